#pragma once
// Surface: one 2D image that can be rendered to or copied: a texture level, a cube face level,
// a stand-alone render surface or the window's back buffer. Surfaces of textures belong to
// their texture and die with it; whoever holds one must not outlive the texture.

#include "core/Object.h"
#include "graphics/Enumerations.h"
#include "graphics/Rect.h"

namespace Nimbrel::Graphics {

class Surface : public Object {
public:
    ~Surface() override = default;
    // Copies sourceRect of source into destRect of this surface, scaling with the filter
    // (FilterPoint or FilterLinear). Both surfaces must be renderable; a multisampled source is
    // resolved.
    virtual void Copy(Surface* source, const Rect& sourceRect, const Rect& destRect, Filter filter) = 0;
    virtual int GetWidth() = 0;
    virtual int GetHeight() = 0;
};

}  // namespace Nimbrel::Graphics
