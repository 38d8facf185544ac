#pragma once
// A window with the GL device and its Cg shading, a render state on it, and the frame read
// back pixel by pixel: the fixture of tests that draw through effects under Xvfb.

#include "core/Managed.h"
#include "graphics/VertexSemantics.h"
#include "graphics/gl/CGShadingContext.h"
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "graphics/gl/GLDevice.h"
#include "math/Vector2t.h"
#include "platform/Window.h"
#include "support/SDLVideo.h"
#include "utils/Geometry.h"
#include "utils/Mesh.h"
#include "utils/State.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

using Rgb = std::array<int, 3>;

// A frame read back from the device, rows from the top.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    Rgb At(int x, int y) const
    {
        const size_t i = (size_t(y) * size_t(width) + size_t(x)) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

bool Near(const Rgb& a, const Rgb& b, int tolerance);
// The device's back buffer, top row first.
Frame ReadBackBuffer(Graphics::GLDevice* device);
std::string ToText(const Rgb& c);

// Positions only: the object-space position through WorldViewProjection, in the state's
// diffuse colour.
extern const char* const FlatSource;

// A square from (-half, -half) to (half, half) in the z = 0 plane, as two triangles.
Managed<Utils::Geometry> SquareGeometry(Graphics::Device* device, float half);

class CgGLWindow : public ::testing::Test {
protected:
    void Open(int width, int height);
    void TearDown() override;

    // Compiles the "vsMain" and "psMain" entry points of `source` and links them.
    Managed<Graphics::Program> Link(const char* source);
    Frame ReadFrame() const;

    Graphics::GL2CGDeviceFactory factory;
    Managed<Window> window;
    Managed<Graphics::Device> device;
    Graphics::GLDevice* glDevice = nullptr;
    Managed<Utils::State> state;
};

}  // namespace Nimbrel::Testing
