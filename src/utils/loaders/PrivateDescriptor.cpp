#include "utils/loaders/PrivateDescriptor.h"

#include <atomic>

namespace Nimbrel::Utils::Loaders {

String PrivateDescriptor(const String& descriptor)
{
    static std::atomic<unsigned long long> issued{0};
    return descriptor + String::Format("{Private=%llu}", ++issued);
}

}  // namespace Nimbrel::Utils::Loaders
