// The demo host. For now it only proves that the engine library links and runs.
#include "core/Exception.h"
#include "core/String.h"

#include <cstdio>

int main()
{
    using namespace Nimbrel;
    try {
        String title("Nimbrel 2");
        std::printf("%s: the demo host has no content yet.\n", title.CStr());
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.GetMessage().CStr());
        return 1;
    }
}
