#include "utils/loaders/TGALoader.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "io/ByteReader.h"
#include "utils/Bitmap2D.h"
#include "utils/loaders/ImageInput.h"

#include <cstring>
#include <vector>

namespace Nimbrel::Utils::Loaders {

namespace tga_loader_detail {

constexpr size_t HeaderSize = 18;
// Image descriptor bits: pixels of a row run right to left, rows top to bottom, interleaving.
constexpr uint8_t RightToLeft = 0x10;
constexpr uint8_t TopToBottom = 0x20;
constexpr uint8_t Interleaving = 0xC0;

enum Kind { KindMapped, KindTrueColour, KindGrey };

struct Header {
    uint8_t idLength;
    uint8_t mapType;
    uint8_t imageType;
    uint16_t mapFirst;
    uint16_t mapLength;
    uint8_t mapEntryBits;
    uint16_t width;
    uint16_t height;
    uint8_t depth;
    uint8_t descriptor;
};

[[noreturn]] void NotTga()
{
    throw Exception("Not a TGA file");
}

[[noreturn]] void Truncated()
{
    throw Exception("TGA file truncated");
}

[[noreturn]] void Corrupt()
{
    throw Exception("TGA file corrupt");
}

Header ReadHeader(const uint8_t* bytes)
{
    IO::ByteReader in(bytes, HeaderSize);
    Header header;
    header.idLength = in.U8();
    header.mapType = in.U8();
    header.imageType = in.U8();
    header.mapFirst = in.U16();
    header.mapLength = in.U16();
    header.mapEntryBits = in.U8();
    in.Skip(4);  // origin of the image on a screen
    header.width = in.U16();
    header.height = in.U16();
    header.depth = in.U8();
    header.descriptor = in.U8();
    return header;
}

// True-colour bytes of a pixel or map entry as R, G, B, A.
void TrueColour(const uint8_t* in, int bits, uint8_t* out)
{
    if (bits <= 16) {
        const unsigned v = unsigned(in[0]) | (unsigned(in[1]) << 8);
        out[0] = static_cast<uint8_t>(((v >> 10) & 31) * 8);
        out[1] = static_cast<uint8_t>(((v >> 5) & 31) * 8);
        out[2] = static_cast<uint8_t>((v & 31) * 8);
        out[3] = 255;
        return;
    }
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    out[3] = bits == 32 ? in[3] : 255;
}

// Turns the file's pixel values into RGBA.
struct PixelDecoder {
    Kind kind;
    int depth;
    size_t bytes;
    const uint8_t* map;  // mapped: RGBA entries
    unsigned mapFirst;
    unsigned mapLength;

    void Convert(const uint8_t* in, uint8_t* out) const
    {
        switch (kind) {
        case KindTrueColour:
            TrueColour(in, depth, out);
            break;
        case KindGrey:
            out[0] = out[1] = out[2] = in[0];
            out[3] = depth == 16 ? in[1] : 255;
            break;
        case KindMapped: {
            const unsigned index = depth == 16 ? unsigned(in[0]) | (unsigned(in[1]) << 8) : in[0];
            if (index < mapFirst || index - mapFirst >= mapLength)
                Corrupt();
            std::memcpy(out, map + size_t(index - mapFirst) * 4, 4);
            break;
        }
        }
    }
};

// Hands out the bitmap's pixels in the file's order: along a row in the file's direction,
// rows from the file's first on, bottom first unless the file starts at the top.
class PixelCursor {
public:
    PixelCursor(Bitmap2D& bitmap, uint8_t descriptor)
        : data(bitmap.GetData()), width(bitmap.GetWidth()), height(bitmap.GetHeight()),
          rightToLeft(descriptor & RightToLeft), topToBottom(descriptor & TopToBottom)
    {
        StartRow();
    }
    uint8_t* Next()
    {
        uint8_t* pixel = at;
        at += step;
        if (++column == width) {
            column = 0;
            ++row;
            if (row < height)
                StartRow();
        }
        return pixel;
    }

private:
    void StartRow()
    {
        const int stored = topToBottom ? height - 1 - row : row;
        uint8_t* start = data + size_t(stored) * size_t(width) * 4;
        at = rightToLeft ? start + size_t(width - 1) * 4 : start;
        step = rightToLeft ? -4 : 4;
    }

    uint8_t* data;
    int width;
    int height;
    bool rightToLeft;
    bool topToBottom;
    int row = 0;
    int column = 0;
    uint8_t* at = nullptr;
    std::ptrdiff_t step = 4;
};

Bitmap2D* Decode(ImageInput& input)
{
    uint8_t start[HeaderSize];
    if (input.ReadStart(start, HeaderSize) != HeaderSize)
        NotTga();
    const Header header = ReadHeader(start);

    if (header.mapType > 1)
        NotTga();
    const uint8_t type = header.imageType;
    const bool runLength = type >= 9;
    Kind kind;
    switch (type & 7) {
    case 1:
        kind = KindMapped;
        break;
    case 2:
        kind = KindTrueColour;
        break;
    case 3:
        kind = KindGrey;
        break;
    default:
        NotTga();
    }
    if ((type != (type & 7) && type != (type & 7) + 8) || (header.descriptor & Interleaving))
        NotTga();
    const int depth = header.depth;
    const bool depthFits = kind == KindTrueColour ? depth == 15 || depth == 16 || depth == 24 || depth == 32
                                                  : depth == 8 || depth == 16;
    if (!depthFits)
        throw Exception("Unsupported pixel format");
    const int mapBits = header.mapEntryBits;
    if (header.mapType == 1 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)
        NotTga();
    if (kind == KindMapped && (header.mapType != 1 || header.mapLength == 0))
        NotTga();
    CheckImageSize("TGA", header.width, header.height);

    const size_t pixelBytes = size_t(depth + 7) / 8;
    const size_t entryBytes = size_t(mapBits + 7) / 8;
    const size_t mapBytes = header.mapType == 1 ? size_t(header.mapLength) * entryBytes : 0;
    const size_t pixels = size_t(header.width) * header.height;
    // Uncompressed pixels take their bytes each; a packet holds at most 128 pixels.
    const size_t leastPixelBytes = runLength ? (pixels + 127) / 128 * (1 + pixelBytes) : pixels * pixelBytes;
    input.ReadAll();
    IO::ByteReader in = input.Reader();
    if (in.Size() < HeaderSize + header.idLength + mapBytes + leastPixelBytes)
        Truncated();
    in.Skip(HeaderSize + header.idLength);

    std::vector<uint8_t> map;
    if (kind == KindMapped) {
        const uint8_t* entries = in.Bytes(mapBytes);
        map.resize(size_t(header.mapLength) * 4);
        for (size_t i = 0; i < header.mapLength; ++i)
            TrueColour(entries + i * entryBytes, mapBits, map.data() + i * 4);
    } else {
        in.Skip(mapBytes);
    }
    const PixelDecoder decoder{kind, depth, pixelBytes, map.data(), header.mapFirst, header.mapLength};

    Managed<Bitmap2D> bitmap(new Bitmap2D(header.width, header.height, Graphics::PixelFormatR8G8B8A8));
    PixelCursor cursor(*bitmap, header.descriptor);
    if (!runLength) {
        const uint8_t* values = in.Bytes(pixels * pixelBytes);
        for (size_t i = 0; i < pixels; ++i)
            decoder.Convert(values + i * pixelBytes, cursor.Next());
        return bitmap.Detach();
    }
    // A packet header h: h >= 128 repeats the one value that follows h - 127 times,
    // otherwise h + 1 values follow.
    size_t left = pixels;
    while (left > 0) {
        if (in.Remaining() < 1 + pixelBytes)
            Truncated();
        const uint8_t packet = in.U8();
        const size_t count = size_t(packet & 0x7F) + 1;
        if (count > left)
            Corrupt();
        if (packet & 0x80) {
            uint8_t value[4];
            decoder.Convert(in.Bytes(pixelBytes), value);
            for (size_t i = 0; i < count; ++i)
                std::memcpy(cursor.Next(), value, 4);
        } else {
            if (in.Remaining() < count * pixelBytes)
                Truncated();
            const uint8_t* values = in.Bytes(count * pixelBytes);
            for (size_t i = 0; i < count; ++i)
                decoder.Convert(values + i * pixelBytes, cursor.Next());
        }
        left -= count;
    }
    return bitmap.Detach();
}

}  // namespace tga_loader_detail

Object* TGALoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    return LoadImage(proxy, descriptor, tga_loader_detail::Decode);
}

}  // namespace Nimbrel::Utils::Loaders
