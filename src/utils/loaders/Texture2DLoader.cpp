#include "utils/loaders/Texture2DLoader.h"

#include "graphics/Device.h"
#include "graphics/Texture.h"
#include "utils/Bitmap2D.h"
#include "utils/Resource.h"
#include "utils/loaders/TextureLevel.h"

namespace Nimbrel::Utils::Loaders {

Object* Texture2DLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    Array<String> pieces;
    descriptor.Split(';', pieces);
    Managed<Graphics::Texture2D> texture;
    for (int level = 0; level < pieces.Count(); ++level) {
        Resource<Bitmap2D, ResourceType::Bitmap2D> bitmap(proxy, pieces[level]);
        if (level == 0)
            texture.Set(proxy->GetGraphicsDevice()->CreateTexture2D(bitmap->GetWidth(), bitmap->GetHeight(),
                                                                    bitmap->GetPixelFormat(), false));
        else
            CheckTextureLevel(*bitmap, pieces[level], level, texture->GetWidth(), texture->GetHeight(),
                              texture->GetPixelFormat());
        texture->SetData(level, bitmap->GetData(), pieces.Count() == 1);
    }
    return texture.Detach();
}

}  // namespace Nimbrel::Utils::Loaders
