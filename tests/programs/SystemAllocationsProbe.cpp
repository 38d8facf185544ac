// Loads the stand-in system library, lets it allocate (inside a SystemAllocations scope when
// the first argument is "scoped"), unloads it and exits: the leak checker decides the status.
#include "platform/SystemAllocations.h"

#include <cstdio>
#include <dlfcn.h>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: SystemAllocationsProbe scoped|plain LIBRARY\n");
        return 2;
    }
    void* library = dlopen(argv[2], RTLD_NOW);
    auto keep = library ? reinterpret_cast<void (*)()>(dlsym(library, "KeepSomeMemory")) : nullptr;
    if (!keep) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    if (argv[1][0] == 's') {
        Nimbrel::SystemAllocations system;
        keep();
    } else {
        keep();
    }
    dlclose(library);
    return 0;
}
