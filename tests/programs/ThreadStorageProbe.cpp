// Loads the thread-storage stand-in and starts threads until one of them gets its block of the
// library's thread-local storage at an address ending in 0x010 (where the leak checker once
// took the allocator's chunk header for the bounds of the block), keeps that thread alive and
// exits: the leak checker's scan at exit decides the status.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <dlfcn.h>
#include <future>
#include <thread>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: ThreadStorageProbe LIBRARY\n");
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW);
    auto address = library ? reinterpret_cast<int* (*)()>(dlsym(library, "ThreadValueAddress")) : nullptr;
    if (!address) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    for (int attempt = 0; attempt < 20000; ++attempt) {
        std::atomic<int> state{0};  // 1: elsewhere, 2: at ...010 and kept
        std::thread thread([&] {
            bool kept = reinterpret_cast<uintptr_t>(address()) % 4096 == 16;
            state = kept ? 2 : 1;
            if (kept)
                std::promise<void>().get_future().wait();  // held until the process ends
        });
        while (state == 0)
            std::this_thread::yield();
        if (state == 2) {
            thread.detach();
            std::printf("block placed after %d threads\n", attempt + 1);
            return 0;
        }
        thread.join();
    }
    std::fprintf(stderr, "no thread's block landed at an address ending in 0x010\n");
    return 3;
}
