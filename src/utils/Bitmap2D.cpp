#include "utils/Bitmap2D.h"

#include "core/Exception.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <utility>

namespace Nimbrel::Utils {

namespace bitmap2d_detail {

// Checks the size before anything is allocated and returns the bytes per pixel.
int CheckedPixelSize(int width, int height, Graphics::PixelFormat format)
{
    const int pixelSize = Bitmap2D::GetPixelSize(format);
    if (width < 0 || height < 0 || int64_t(width) * height * pixelSize > INT_MAX)
        throw Exception(String::Format("Bitmap2D: Invalid size %d x %d", width, height));
    return pixelSize;
}

void CheckRotation(int rotation)
{
    if (rotation < 0 || rotation > 3)
        throw Exception("Invalid RotateAngle");
}

void Premultiply(uint8_t* pixel)
{
    const unsigned alpha = pixel[3];
    for (int c = 0; c < 3; ++c)
        pixel[c] = static_cast<uint8_t>((pixel[c] * alpha) >> 8);
}

// A half-open range of positions inside the copied rectangle.
struct Range {
    int64_t begin;
    int64_t end;
    void Limit(int64_t low, int64_t high)
    {
        begin = std::max(begin, low);
        end = std::min(end, high);
    }
    bool Empty() const { return begin >= end; }
};

// The part of a width by height rectangle, in its own coordinates counted from its top-left
// corner, that lies inside the source at (sourceX, sourceY) and, once turned, inside the
// destination at (destX, destY). A turned pixel (tx, ty) lands at (h - 1 - ty, tx) for a
// quarter turn clockwise, (ty, w - 1 - tx) counter-clockwise and (w - 1 - tx, h - 1 - ty)
// for a half turn: the rotation codes, counted from the top.
struct Clip {
    Range x;
    Range y;
};

Clip ClipRectangle(const Bitmap2D& source, int64_t sourceX, int64_t sourceY, const Bitmap2D& dest, int64_t destX,
                   int64_t destY, int64_t w, int64_t h, int rotation)
{
    Clip clip{{0, w}, {0, h}};
    clip.x.Limit(-sourceX, source.GetWidth() - sourceX);
    clip.y.Limit(-sourceY, source.GetHeight() - sourceY);

    const bool turned = rotation == 1 || rotation == 2;
    Range destXRange{0, turned ? h : w};
    Range destYRange{0, turned ? w : h};
    destXRange.Limit(-destX, dest.GetWidth() - destX);
    destYRange.Limit(-destY, dest.GetHeight() - destY);
    switch (rotation) {
    case 0:
        clip.x.Limit(destXRange.begin, destXRange.end);
        clip.y.Limit(destYRange.begin, destYRange.end);
        break;
    case 1:
        clip.y.Limit(h - destXRange.end, h - destXRange.begin);
        clip.x.Limit(destYRange.begin, destYRange.end);
        break;
    case 2:
        clip.y.Limit(destXRange.begin, destXRange.end);
        clip.x.Limit(w - destYRange.end, w - destYRange.begin);
        break;
    default:
        clip.x.Limit(w - destXRange.end, w - destXRange.begin);
        clip.y.Limit(h - destYRange.end, h - destYRange.begin);
        break;
    }
    return clip;
}

// Where a pixel of the rectangle goes, in the turned rectangle's own coordinates.
void Turn(int rotation, int64_t w, int64_t h, int64_t tx, int64_t ty, int64_t& outX, int64_t& outY)
{
    switch (rotation) {
    case 0:
        outX = tx;
        outY = ty;
        break;
    case 1:
        outX = h - 1 - ty;
        outY = tx;
        break;
    case 2:
        outX = ty;
        outY = w - 1 - tx;
        break;
    default:
        outX = w - 1 - tx;
        outY = h - 1 - ty;
        break;
    }
}

}  // namespace bitmap2d_detail

using namespace bitmap2d_detail;

Bitmap2D::Bitmap2D(int width, int height, Graphics::PixelFormat format)
    : width(width), height(height), format(format), pixelSize(CheckedPixelSize(width, height, format))
{
    try {
        data.reset(new uint8_t[size_t(width) * size_t(height) * size_t(pixelSize)]);
    } catch (const std::bad_alloc&) {
        throw Exception(String::Format("Bitmap2D: Not enough memory for %d x %d pixels", width, height));
    }
}

Bitmap2D::Bitmap2D(int width, int height, Graphics::PixelFormat format, std::unique_ptr<uint8_t[]> data)
    : width(width), height(height), format(format), pixelSize(CheckedPixelSize(width, height, format)),
      data(std::move(data))
{
    if (!this->data && width > 0 && height > 0)
        throw Exception("Bitmap2D: No pixel data");
}

int Bitmap2D::GetPixelSize(Graphics::PixelFormat format)
{
    switch (format) {
    case Graphics::PixelFormatR8G8B8A8:
        return 4;
    case Graphics::PixelFormatFloatR32G32B32A32:
        return 16;
    case Graphics::PixelFormatLuminance8:
        return 1;
    default:
        throw Exception("Unknown pixel format");
    }
}

void Bitmap2D::PremultiplyAlpha()
{
    if (format != Graphics::PixelFormatR8G8B8A8)
        throw Exception("Bitmap2D::PremultiplyAlpha(): Pixel format unsupported.");
    uint8_t* pixel = data.get();
    for (int64_t i = 0, count = int64_t(width) * height; i < count; ++i, pixel += 4)
        Premultiply(pixel);
}

Bitmap2D* Bitmap2D::Rotated(int rotation) const
{
    if (rotation < 1 || rotation > 3)
        throw Exception("Invalid RotateAngle");
    const bool turned = rotation != 3;
    Bitmap2D* result = new Bitmap2D(turned ? height : width, turned ? width : height, format);
    const size_t bytes = size_t(pixelSize);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = data.get() + size_t(y) * size_t(width) * bytes;
        for (int x = 0; x < width; ++x) {
            int toX;
            int toY;
            switch (rotation) {
            case 1:
                toX = y;
                toY = width - 1 - x;
                break;
            case 2:
                toX = height - 1 - y;
                toY = x;
                break;
            default:
                toX = width - 1 - x;
                toY = height - 1 - y;
                break;
            }
            std::memcpy(result->data.get() + (size_t(toY) * size_t(result->width) + size_t(toX)) * bytes,
                        row + size_t(x) * bytes, bytes);
        }
    }
    return result;
}

void Bitmap2D::Rotate(int rotation)
{
    Bitmap2D* turned = Rotated(rotation);
    std::swap(width, turned->width);
    std::swap(height, turned->height);
    std::swap(data, turned->data);
    turned->Release();
}

void Bitmap2D::Copy(const Bitmap2D* source, int sourceX, int sourceY, int destX, int destY, int width, int height)
{
    if (source->format != format)
        throw Exception("Bitmap2D::Copy(): Source and Target has different pixel formats");
    const Clip clip = ClipRectangle(*source, sourceX, sourceY, *this, destX, destY, width, height, 0);
    if (clip.x.Empty() || clip.y.Empty())
        return;
    const size_t bytes = size_t(pixelSize);
    const size_t rowBytes = size_t(clip.x.end - clip.x.begin) * bytes;
    for (int64_t ty = clip.y.begin; ty < clip.y.end; ++ty) {
        const int64_t fromRow = source->height - 1 - (sourceY + ty);
        const int64_t toRow = this->height - 1 - (destY + ty);
        const uint8_t* from = source->data.get() + size_t(fromRow * source->width + sourceX + clip.x.begin) * bytes;
        uint8_t* to = data.get() + size_t(toRow * this->width + destX + clip.x.begin) * bytes;
        std::memmove(to, from, rowBytes);
    }
}

void Bitmap2D::CopyRotated(const Bitmap2D* source, int sourceX, int sourceY, int destX, int destY, int width,
                           int height, int components, int rotation, bool premultiply)
{
    switch (components) {
    case ComponentsRGBA:
        if (pixelSize != 4)
            throw Exception("ComponentsRGBA: Target BPP must be 4");
        if (source->pixelSize != 4)
            throw Exception("ComponentsRGBA: Source BPP must be 4");
        break;
    case Components111R:
        if (pixelSize != 4)
            throw Exception("Components111R: Target BPP must be 4");
        break;
    default:
        throw Exception("Invalid Components");
    }
    CheckRotation(rotation);

    const Clip clip = ClipRectangle(*source, sourceX, sourceY, *this, destX, destY, width, height, rotation);
    if (clip.x.Empty() || clip.y.Empty())
        return;
    const size_t sourceBytes = size_t(source->pixelSize);
    for (int64_t ty = clip.y.begin; ty < clip.y.end; ++ty) {
        const int64_t fromRow = source->height - 1 - (sourceY + ty);
        for (int64_t tx = clip.x.begin; tx < clip.x.end; ++tx) {
            const uint8_t* from = source->data.get() + size_t(fromRow * source->width + sourceX + tx) * sourceBytes;
            int64_t toX;
            int64_t toY;
            Turn(rotation, width, height, tx, ty, toX, toY);
            uint8_t* to = data.get() + size_t((this->height - 1 - (destY + toY)) * this->width + destX + toX) * 4;
            if (components == ComponentsRGBA) {
                std::memcpy(to, from, 4);
            } else {
                to[0] = to[1] = to[2] = 255;
                to[3] = from[0];
            }
            if (premultiply)
                Premultiply(to);
        }
    }
}

}  // namespace Nimbrel::Utils
