#include "core/Managed.h"

namespace Nimbrel::Detail {

void ThrowManagedNull()
{
    throw Exception("Managed nullpointer access attempt");
}

}  // namespace Nimbrel::Detail
