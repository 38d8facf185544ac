#pragma once
// Utils::Bitmap2D: an image in memory, as the image and font loaders make it and textures and
// atlases take it.
//
// Rows are tightly packed and stored bottom row first: row 0 of the data is the bottom of the
// image, the order in which textures receive it. The rectangles given to Copy and
// CopyRotated are counted from the top of the image, as a person reads it.
//
// Only three pixel formats have a size: PixelFormatR8G8B8A8 (4 bytes R, G, B, A),
// PixelFormatFloatR32G32B32A32 (16 bytes) and PixelFormatLuminance8 (1 byte). Any other
// format throws "Unknown pixel format" wherever a pixel size is needed, construction included.
// A size that is negative or whose pixel block would not fit a signed 32-bit byte count
// throws "Bitmap2D: Invalid size W x H" before anything is allocated.
//
// Rotation codes (W, H the source size, (x, y) a source pixel counted in storage order,
// (x', y') where it goes):
//   0  W by H  x' = x,          y' = y              (copies only)
//   1  H by W  x' = y,          y' = W - 1 - x      a quarter turn clockwise
//   2  H by W  x' = H - 1 - y,  y' = x              a quarter turn counter-clockwise
//   3  W by H  x' = W - 1 - x,  y' = H - 1 - y      a half turn
// Any other code throws "Invalid RotateAngle".

#include "core/Object.h"
#include "graphics/Enumerations.h"
#include "math/Vector2t.h"

#include <cstdint>
#include <memory>

namespace Nimbrel::Utils {

class Bitmap2D : public Object {
public:
    // How CopyRotated turns a source pixel into a destination pixel.
    enum Components {
        ComponentsRGBA = 0,  // the 4-byte pixel as it is
        Components111R = 1,  // R = G = B = 255, A = the source pixel's first byte (a glyph's coverage)
    };

    // The pixels start undefined.
    Bitmap2D(int width, int height, Graphics::PixelFormat format);
    // Adopts `data`, which must hold width * height pixels of the format.
    Bitmap2D(int width, int height, Graphics::PixelFormat format, std::unique_ptr<uint8_t[]> data);
    Bitmap2D(const Bitmap2D&) = delete;
    Bitmap2D& operator=(const Bitmap2D&) = delete;

    // Bytes per pixel of a format; "Unknown pixel format" for one without a size.
    static int GetPixelSize(Graphics::PixelFormat format);

    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    Math::Vector2t<int> GetSize() const { return Math::Vector2t<int>(width, height); }
    Graphics::PixelFormat GetPixelFormat() const { return format; }
    uint8_t* GetData() { return data.get(); }
    const uint8_t* GetData() const { return data.get(); }
    // Bytes of the pixel block.
    int GetDataSize() const { return width * height * pixelSize; }

    // R, G and B of every pixel become (value * A) >> 8, so 255 * 255 gives 254; A stays.
    // Only PixelFormatR8G8B8A8: "Bitmap2D::PremultiplyAlpha(): Pixel format unsupported."
    void PremultiplyAlpha();

    // A new bitmap, owned by the caller, holding this one turned by code 1, 2 or 3.
    Bitmap2D* Rotated(int rotation) const;
    // Turns this bitmap in place by code 1, 2 or 3; codes 1 and 2 swap its width and height.
    void Rotate(int rotation);

    // Copies the width by height rectangle of `source` at (sourceX, sourceY) to (destX,
    // destY) of this bitmap. Only the part of the rectangle that lies inside both bitmaps is
    // copied, each pixel to where it would have gone; the rest is left alone. The source may
    // be this bitmap when the two rectangles do not overlap. The formats must be equal:
    // "Bitmap2D::Copy(): Source and Target has different pixel formats".
    void Copy(const Bitmap2D* source, int sourceX, int sourceY, int destX, int destY, int width, int height);
    // Like Copy, with the rectangle turned by a rotation code 0 to 3 on its way (codes 1 and
    // 2 give a height by width rectangle at the destination) and each pixel converted by the
    // component mode. ComponentsRGBA needs 4-byte pixels on both sides ("ComponentsRGBA:
    // Target BPP must be 4", "ComponentsRGBA: Source BPP must be 4"), Components111R a
    // 4-byte destination ("Components111R: Target BPP must be 4"); other modes throw "Invalid
    // Components". With `premultiply` the pixels written are premultiplied afterwards.
    void CopyRotated(const Bitmap2D* source, int sourceX, int sourceY, int destX, int destY, int width, int height,
                     int components, int rotation, bool premultiply);

private:
    int width;
    int height;
    Graphics::PixelFormat format;
    int pixelSize;
    std::unique_ptr<uint8_t[]> data;
};

}  // namespace Nimbrel::Utils
