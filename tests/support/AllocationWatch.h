#pragma once
// Records the largest single heap allocation made while a watch is alive, so a test can show
// that hostile input did not make code allocate what the input claimed, and the number of
// allocations, so a test can show that a steady-state path allocates nothing. It relies on the
// sanitizer runtime's allocation hooks; without AddressSanitizer `Available()` is false and
// callers skip the check.

#include <atomic>
#include <cstddef>
#include <functional>

#if defined(__SANITIZE_ADDRESS__)
#define NIMBREL_ALLOCATION_WATCH 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NIMBREL_ALLOCATION_WATCH 1
#endif
#endif

#ifdef NIMBREL_ALLOCATION_WATCH
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                                         void (*freeHook)(const volatile void*));
#endif

namespace Nimbrel::Testing {

class AllocationWatch {
public:
    AllocationWatch()
    {
        Install();
        Largest().store(0);
        Count().store(0);
        Active().store(true);
    }
    ~AllocationWatch() { Active().store(false); }
    AllocationWatch(const AllocationWatch&) = delete;
    AllocationWatch& operator=(const AllocationWatch&) = delete;

    static bool Available()
    {
#ifdef NIMBREL_ALLOCATION_WATCH
        return Install();
#else
        return false;
#endif
    }
    size_t LargestAllocation() const { return Largest().load(); }
    size_t AllocationCount() const { return Count().load(); }

private:
    static std::atomic<bool>& Active()
    {
        static std::atomic<bool> active{false};
        return active;
    }
    static std::atomic<size_t>& Largest()
    {
        static std::atomic<size_t> largest{0};
        return largest;
    }
    static std::atomic<size_t>& Count()
    {
        static std::atomic<size_t> count{0};
        return count;
    }
    // The runtime keeps a handful of hook slots and never frees one, so install only once.
    static bool Install()
    {
#ifdef NIMBREL_ALLOCATION_WATCH
        static const bool installed = __sanitizer_install_malloc_and_free_hooks(
                                          [](const volatile void*, size_t size) {
                                              if (!Active().load(std::memory_order_relaxed))
                                                  return;
                                              Count().fetch_add(1, std::memory_order_relaxed);
                                              size_t seen = Largest().load(std::memory_order_relaxed);
                                              while (size > seen && !Largest().compare_exchange_weak(seen, size)) {
                                              }
                                          },
                                          [](const volatile void*) {}) != 0;
        return installed;
#else
        return false;
#endif
    }
};

// Heap allocations per call of `work`, averaged over `calls` calls; -1 where the allocation
// hooks are missing. Benchmarks report it beside their times.
inline double AllocationsPerCall(int calls, const std::function<void()>& work)
{
    if (!AllocationWatch::Available())
        return -1;
    AllocationWatch watch;
    for (int i = 0; i < calls; ++i)
        work();
    return double(watch.AllocationCount()) / calls;
}

}  // namespace Nimbrel::Testing
