#pragma once
// The window system's libraries keep state for the life of the process that they never give
// back: the GL driver, loaded while SDL opens a GL window, allocates in there and is unloaded
// again when video stops, so the leak checker finds its memory orphaned and cannot even name
// the library any more. A SystemAllocations scope around such a call into the system marks
// what is allocated inside it as the system's own; outside the sanitizer builds it is empty.
//
// Only calls that run no engine code belong in such a scope.

#if defined(__SANITIZE_ADDRESS__)
#define NIMBREL_LEAK_CHECKER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer)
#define NIMBREL_LEAK_CHECKER 1
#endif
#endif

#ifdef NIMBREL_LEAK_CHECKER
#include <sanitizer/lsan_interface.h>
#endif

namespace Nimbrel {

class SystemAllocations {
public:
#ifdef NIMBREL_LEAK_CHECKER
    SystemAllocations() { __lsan_disable(); }
    ~SystemAllocations() { __lsan_enable(); }
#else
    // User-provided, so that a scope that does nothing here is not an unused variable.
    SystemAllocations() {}
    ~SystemAllocations() {}
#endif
    SystemAllocations(const SystemAllocations&) = delete;
    SystemAllocations& operator=(const SystemAllocations&) = delete;
};

}  // namespace Nimbrel
