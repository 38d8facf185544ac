#include "utils/Texture2DCollage.h"

namespace Nimbrel::Utils {

Texture2DCollage::Texture2DCollage(int tileCount, Graphics::Texture2D* atlas)
    : Collage2D(tileCount, atlas ? atlas->GetWidth() : 0, atlas ? atlas->GetHeight() : 0)
{
    atlas->AddRef();
    this->atlas.Set(atlas);
}

}  // namespace Nimbrel::Utils
