#pragma once
// GLFrameReader: reads the finished frame back from the window's back buffer of the OpenGL
// device, for the capture. Read after everything of the frame is drawn and before the next
// Present swaps it away; a multisampled back buffer is resolved by the read.

#include <cstdint>
#include <vector>

namespace Nimbrel::Graphics {
class Device;
}

namespace host {

class GLFrameReader {
public:
    // Throws unless the device is the OpenGL device.
    explicit GLFrameReader(Nimbrel::Graphics::Device* device);

    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    // RGB triples, bottom row first; the buffer is reused by the next read.
    const uint8_t* Read();

private:
    Nimbrel::Graphics::Device* device;
    int width;
    int height;
    std::vector<uint8_t> pixels;
};

}  // namespace host
