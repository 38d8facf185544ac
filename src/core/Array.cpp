#include "core/Array.h"

namespace Nimbrel::Detail {

void ThrowIndexOutOfRange(int index, int count)
{
    throw Exception(String::Format("Array index %d out of range (count %d)", index, count));
}

void ThrowCapacityTooLarge(int64_t capacity)
{
    throw Exception(String::Format("Array capacity %lld is too large", static_cast<long long>(capacity)));
}

}  // namespace Nimbrel::Detail
