#pragma once
// FramebufferSetup: the set of render targets the device draws into: count colour surfaces
// (0 to 16) and an optional depth-stencil surface, compared by identity. Count 0 with no
// depth-stencil surface is the back buffer. The setup owns a copy of its surface list, so it
// can be kept as a cache key.

#include "core/Exception.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>

namespace Nimbrel::Graphics {

class Surface;

struct FramebufferSetup {
    static constexpr int MaxColorSurfaces = 16;

    int32_t count = 0;
    std::array<Surface*, MaxColorSurfaces> colors{};
    Surface* depthStencil = nullptr;

    FramebufferSetup() = default;
    // Throws when count is outside 0 to 16 or colors is null with a non-zero count.
    FramebufferSetup(int colorCount, Surface* const* colorSurfaces, Surface* depthStencilSurface)
        : count(colorCount), depthStencil(depthStencilSurface)
    {
        if (colorCount < 0 || colorCount > MaxColorSurfaces)
            throw Exception("FramebufferSetup: A framebuffer takes 0 to 16 color surfaces");
        if (colorCount > 0 && !colorSurfaces)
            throw Exception("FramebufferSetup: No color surfaces given");
        std::copy(colorSurfaces, colorSurfaces + colorCount, colors.begin());
    }

    // True when one of its surfaces is the given one.
    bool Uses(const Surface* surface) const
    {
        if (surface == depthStencil)
            return true;
        return std::find(colors.begin(), colors.begin() + count, surface) != colors.begin() + count;
    }

    bool operator==(const FramebufferSetup& other) const
    {
        return count == other.count && depthStencil == other.depthStencil &&
               std::equal(colors.begin(), colors.begin() + count, other.colors.begin());
    }
    // Count first, then the depth-stencil surface, then the colour surfaces one by one.
    bool operator<(const FramebufferSetup& other) const
    {
        if (count != other.count)
            return count < other.count;
        if (depthStencil != other.depthStencil)
            return std::less<const Surface*>()(depthStencil, other.depthStencil);
        for (int i = 0; i < count; ++i)
            if (colors[i] != other.colors[i])
                return std::less<const Surface*>()(colors[i], other.colors[i]);
        return false;
    }
};

}  // namespace Nimbrel::Graphics
