// demogen: writes the demo's generated content.
//
//     demogen scenes DIR    the fifteen scenes "scene00.dae" … "scene14.dae" and "floor.dae"
//     demogen texture DIR   "texture.png", which the scenes' materials refer to
//     demogen music DIR     "music.ogg"
//     demogen all DIR       all of the above
//
// DIR must exist. The output depends on nothing but this program, so rebuilding the content
// gives the same bytes. Exits 0 on success, 1 when a file cannot be written, 2 on a wrong
// command line.

#include "ColladaWriter.h"
#include "MusicSynth.h"
#include "Scenes.h"
#include "TextureImage.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>

namespace demogen {

namespace {

void WriteFile(const std::string& path, const void* data, size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(static_cast<const char*>(data), std::streamsize(size));
    file.close();
    if (!file)
        throw std::runtime_error("could not write " + path);
    std::printf("%s\n", path.c_str());
}

constexpr const char* kTexture = "texture.png";

void WriteScenes(const std::string& folder)
{
    const std::vector<SceneDescription> scenes = MakeScenes();
    for (size_t i = 0; i < scenes.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "scene%02zu.dae", i);
        const std::string text = WriteCollada(scenes[i], kTexture);
        WriteFile(folder + "/" + name, text.data(), text.size());
    }
    const std::string floor = WriteCollada(MakeFloor(), kTexture);
    WriteFile(folder + "/floor.dae", floor.data(), floor.size());
}

void WriteTexture(const std::string& folder)
{
    const std::vector<uint8_t> png = MakeTexturePng();
    WriteFile(folder + "/" + kTexture, png.data(), png.size());
}

void WriteMusic(const std::string& folder)
{
    const std::vector<uint8_t> ogg = EncodeOggVorbis(SynthesiseMusic(), 0.0f);
    WriteFile(folder + "/music.ogg", ogg.data(), ogg.size());
}

}  // namespace

}  // namespace demogen

int main(int argc, char** argv)
{
    const std::string what = argc == 3 ? argv[1] : "";
    if (what != "scenes" && what != "texture" && what != "music" && what != "all") {
        std::fprintf(stderr, "usage: demogen scenes|texture|music|all DIR\n");
        return 2;
    }
    const std::string folder = argv[2];
    try {
        if (what == "scenes" || what == "all")
            demogen::WriteScenes(folder);
        if (what == "texture" || what == "all")
            demogen::WriteTexture(folder);
        if (what == "music" || what == "all")
            demogen::WriteMusic(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "demogen: %s\n", e.what());
        return 1;
    }
    return 0;
}
