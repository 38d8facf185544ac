#pragma once
// Enumerations of the graphics device. The numeric values are fixed.

#include <cstdint>

namespace Nimbrel::Graphics {

// Depth and stencil buffer of the window, chosen when the device is made. The values 2 and 3
// are defined too; the GL backend refuses them.
enum DepthStencilFormat : int32_t {
    DepthStencilFormatD16 = 0,    // 16-bit depth, no stencil
    DepthStencilFormatD24S8 = 1,  // 24-bit depth, 8-bit stencil
};

// Bits of the flags given to Device::Clear.
enum ClearFlags : int32_t {
    ClearColor = 1,
    ClearDepth = 2,
    ClearStencil = 4,
};

}  // namespace Nimbrel::Graphics
