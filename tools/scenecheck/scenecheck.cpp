// scenecheck: loads a scene file the way a demo does and prints what it holds.
//
//     scenecheck FILE
//
// FILE is loaded as a demo loads it (SceneFile.h: run it under a display or Xvfb). Standard
// output gets the scene's summary (PrintSummary in SceneFile.h); the exit status is 0. A file that does not load prints
// the proxy's report on standard error and exits with 1; a wrong command line exits with 2.

#include "SceneFile.h"

#include <cstdio>

namespace scenecheck {

int Check(int, char** argv)
{
    SceneTools::SceneFile file(argv[1], "scenecheck");
    SceneTools::PrintSummary(file.GetScene(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace scenecheck

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: scenecheck FILE\n");
        return 2;
    }
    return SceneTools::RunReportingErrors("scenecheck", scenecheck::Check, argc, argv);
}
