// scenetool: converts scenes into the engine's own scene files and describes scene files.
//
//     scenetool convert IN OUT.nsgml   write a scene as NSGML markup beside an NSG library
//     scenetool info FILE              print what a scene file holds
//
// Both load their input as a demo does (SceneFile.h: run them under a display or Xvfb), so IN
// is any scene the engine loads, a COLLADA file among them. `convert` writes the scene's
// controllers and geometries into an NSG library named after OUT (its extension replaced by
// ".nsg", or ".nsg" appended) in OUT's folder, and the materials, lights, cameras, texture
// references and node tree as markup importing that library by name, so the two files go
// together. Texture descriptors are kept as they stand, relative to IN's folder: OUT resolves
// them when it is written beside IN or the images are copied along. A scene that cannot be
// written is refused before either file is touched; each file is written to a temporary file
// and renamed over the old one. `info` prints the summary scenecheck prints (PrintSummary in
// SceneFile.h).
//
// Exit status: 0 done, 1 the input did not load or the output could not be written (the
// reason on standard error), 2 a wrong command line.

#include "SceneConversion.h"
#include "SceneFile.h"

#include "core/Exception.h"
#include "io/ByteWriter.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace scenetool {

void WriteFile(const std::string& path, const IO::ByteWriter& bytes)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.Data()), static_cast<std::streamsize>(bytes.Size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw Exception(String("scenetool: could not write '") + path.c_str() + "'");
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw Exception(String("scenetool: could not write '") + path.c_str() + "': " + error.message().c_str());
    }
}

std::string LibraryPathFor(const std::string& markupPath)
{
    const std::filesystem::path markup(markupPath);
    std::filesystem::path library = markup;
    if (markup.has_extension())
        library.replace_extension(".nsg");
    else
        library += ".nsg";
    if (library == markup)
        library += ".nsg";
    return library.string();
}

int Convert(const std::string& in, const std::string& out)
{
    SceneTools::SceneFile file(in, "scenetool");
    const std::string libraryPath = LibraryPathFor(out);
    const std::string libraryName = std::filesystem::path(libraryPath).filename().string();
    IO::ByteWriter library;
    IO::ByteWriter markup;
    SceneTools::ConvertScene(file.GetScene(), libraryName.c_str(), library, markup);

    WriteFile(libraryPath, library);
    WriteFile(out, markup);
    return 0;
}

int Info(const std::string& path)
{
    SceneTools::SceneFile file(path, "scenetool");
    SceneTools::PrintSummary(file.GetScene(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int Run(int, char** argv)
{
    if (std::strcmp(argv[1], "convert") == 0)
        return Convert(argv[2], argv[3]);
    return Info(argv[2]);
}

}  // namespace scenetool

int main(int argc, char** argv)
{
    const bool convert = argc == 4 && std::strcmp(argv[1], "convert") == 0;
    const bool info = argc == 3 && std::strcmp(argv[1], "info") == 0;
    if (!convert && !info) {
        std::fprintf(stderr, "usage: scenetool convert IN OUT.nsgml\n       scenetool info FILE\n");
        return 2;
    }
    return SceneTools::RunReportingErrors("scenetool", scenetool::Run, argc, argv);
}
