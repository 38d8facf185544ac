#include "utils/loaders/TextureCubeLoader.h"

#include "core/Exception.h"
#include "graphics/Device.h"
#include "graphics/Texture.h"
#include "utils/Bitmap2D.h"
#include "utils/Resource.h"
#include "utils/loaders/TextureLevel.h"

namespace Nimbrel::Utils::Loaders {

namespace texture_cube_loader_detail {

constexpr const char* FaceNames[6] = {"px", "py", "pz", "nx", "ny", "nz"};

// The bitmap descriptors of each face's levels, from either descriptor form.
void ListFaces(const String& descriptor, Array<String> (&faces)[6])
{
    Array<String> groups;
    descriptor.Split('#', groups);
    if (groups.Count() == 1) {
        Array<String> patterns;
        descriptor.Split(';', patterns);
        for (const String& pattern : patterns) {
            Array<String> halves;
            pattern.Split('*', halves);
            if (halves.Count() != 2)
                throw Exception("Not a valid TextureCube descriptor");
            for (int face = 0; face < 6; ++face)
                faces[face].Add(halves[0] + FaceNames[face] + halves[1]);
        }
        return;
    }
    if (groups.Count() != 6)
        throw Exception("Invalid number of faces specified in the descriptor. (Must be 6 faces)");
    for (int face = 0; face < 6; ++face)
        groups[face].Split(';', faces[face]);
}

}  // namespace texture_cube_loader_detail

using namespace texture_cube_loader_detail;

Object* TextureCubeLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    using BitmapHandle = Resource<Bitmap2D, ResourceType::Bitmap2D>;
    struct Level {
        BitmapHandle bitmap;
        Graphics::TextureFace face;
        int level;
    };

    Array<String> faces[6];
    ListFaces(descriptor, faces);

    // Bitmaps are requested face by face, level by level. Level 0 of each face goes up at
    // once; the other levels wait until the generated mipmaps (if any) are made.
    Managed<Graphics::TextureCube> cube;
    Array<Level> later;
    bool generate = false;
    for (int face = 0; face < 6; ++face) {
        const Array<String>& levels = faces[face];
        generate = generate || levels.Count() == 1;
        for (int level = 0; level < levels.Count(); ++level) {
            const String& name = levels[level];
            BitmapHandle bitmap(proxy, name);
            if (bitmap->GetWidth() != bitmap->GetHeight())
                throw Exception("Invalid resolutions in bitmap: " + name + " (Width and height must be equal)");
            if (!cube)
                cube.Set(proxy->GetGraphicsDevice()->CreateTextureCube(bitmap->GetWidth(), bitmap->GetPixelFormat(),
                                                                       false));
            else
                CheckTextureLevel(*bitmap, name, level, cube->GetSize(), cube->GetSize(), cube->GetPixelFormat());
            const auto target = static_cast<Graphics::TextureFace>(face);
            if (level == 0)
                cube->SetData(target, 0, bitmap->GetData(), false);
            else
                later.Add(Level{bitmap, target, level});
        }
    }
    if (generate)
        cube->GenerateMipmaps();
    for (Level& level : later)
        cube->SetData(level.face, level.level, level.bitmap->GetData(), false);
    return cube.Detach();
}

}  // namespace Nimbrel::Utils::Loaders
