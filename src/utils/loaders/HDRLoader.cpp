#include "utils/loaders/HDRLoader.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "io/ByteReader.h"
#include "utils/Bitmap2D.h"
#include "utils/loaders/ImageInput.h"

#include <cstring>

namespace Nimbrel::Utils::Loaders {

namespace hdr_loader_detail {

constexpr char Signature[] = "#?RADIANCE\n";
static_assert(sizeof Signature - 1 == HDRLoader::SignatureSize);

[[noreturn]] void Corrupt()
{
    throw Exception("RADIANCE file corrupt");
}

const uint8_t* Take(IO::ByteReader& in, size_t count)
{
    if (in.Remaining() < count)
        throw Exception("Unable to read data from stream");
    return in.Bytes(count);
}

// The bytes up to the next line feed, which is consumed. A header that never ends is corrupt.
String ReadLine(IO::ByteReader& in, const uint8_t* block)
{
    const size_t start = in.Position();
    const void* end = std::memchr(block + start, '\n', in.Remaining());
    if (!end)
        Corrupt();
    const size_t length = size_t(static_cast<const uint8_t*>(end) - (block + start));
    if (length > 4096)
        Corrupt();
    in.Skip(length + 1);
    return String(reinterpret_cast<const char*>(block + start), static_cast<int>(length));
}

// A size field: decimal digits only, at most what the limits allow.
int ParseSize(const String& field)
{
    if (field.Length() < 1 || field.Length() > 9)
        Corrupt();
    int value = 0;
    for (int i = 0; i < field.Length(); ++i) {
        if (field[i] < '0' || field[i] > '9')
            Corrupt();
        value = value * 10 + (field[i] - '0');
    }
    return value;
}

// Each channel in runs: n > 128 repeats the next byte n - 128 times, otherwise n bytes
// follow as they are.
void ReadRunLengthScanline(IO::ByteReader& in, uint8_t* row, int width)
{
    for (int channel = 0; channel < 4; ++channel) {
        int x = 0;
        while (x < width) {
            const int code = *Take(in, 1);
            if (code > 128) {
                const int count = code - 128;
                if (count > width - x)
                    Corrupt();
                const uint8_t value = *Take(in, 1);
                for (int i = 0; i < count; ++i, ++x)
                    row[size_t(x) * 4 + size_t(channel)] = value;
            } else {
                if (code == 0 || code > width - x)
                    Corrupt();
                const uint8_t* values = Take(in, size_t(code));
                for (int i = 0; i < code; ++i, ++x)
                    row[size_t(x) * 4 + size_t(channel)] = values[i];
            }
        }
    }
}

// Four-byte pixels; 1, 1, 1, n repeats the previous pixel n times, shifted 8 bits further
// for each repeat pixel that follows another.
void ReadFlatScanline(IO::ByteReader& in, uint8_t* row, int width)
{
    int x = 0;
    int shift = 0;
    while (x < width) {
        const uint8_t* pixel = Take(in, 4);
        if (pixel[0] == 1 && pixel[1] == 1 && pixel[2] == 1) {
            if (x == 0 || shift > 24)
                Corrupt();
            const uint64_t count = uint64_t(pixel[3]) << shift;
            if (count > uint64_t(width - x))
                Corrupt();
            for (uint64_t i = 0; i < count; ++i, ++x)
                std::memcpy(row + size_t(x) * 4, row + size_t(x - 1) * 4, 4);
            shift += 8;
        } else {
            std::memcpy(row + size_t(x) * 4, pixel, 4);
            ++x;
            shift = 0;
        }
    }
}

void ReadScanline(IO::ByteReader& in, uint8_t* row, int width)
{
    if (width >= 8 && width <= 0x7FFF && in.Remaining() >= 4) {
        const size_t start = in.Position();
        const uint8_t* marker = in.Bytes(4);
        if (marker[0] == 2 && marker[1] == 2 && (marker[2] & 0x80) == 0) {
            if (((marker[2] << 8) | marker[3]) != width)
                Corrupt();
            ReadRunLengthScanline(in, row, width);
            return;
        }
        in.Seek(start);
    }
    ReadFlatScanline(in, row, width);
}

Bitmap2D* Decode(ImageInput& input)
{
    uint8_t start[HDRLoader::SignatureSize];
    if (!HDRLoader::HasSignature(start, input.ReadStart(start, sizeof start)))
        throw Exception("Not a valid #?RADIANCE HDR file");
    input.ReadAll();
    IO::ByteReader in = input.Reader();
    in.Skip(HDRLoader::SignatureSize);

    for (;;) {
        const String line = ReadLine(in, input.Data());
        if (line.Length() == 0)
            break;
        if (line.StartsWith("#"))
            continue;
        if (line.StartsWith("FORMAT") && !line.EndsWith("32-bit_rle_rgbe"))
            throw Exception("RADIANCE format not supported (must be 32-bit_rle_rgbe)");
    }
    Array<String> fields;
    ReadLine(in, input.Data()).Split(' ', fields);
    if (fields.Count() != 4 || !(fields[0] == "-Y") || !(fields[2] == "+X"))
        Corrupt();
    const int height = ParseSize(fields[1]);
    const int width = ParseSize(fields[3]);
    CheckImageSize("HDR", width, height);
    // Every scanline takes at least one four-byte pixel or marker.
    if (in.Remaining() / 4 < size_t(height))
        throw Exception("Unable to read data from stream");

    Managed<Bitmap2D> bitmap(new Bitmap2D(width, height, Graphics::PixelFormatR8G8B8A8));
    for (int y = 0; y < height; ++y)
        ReadScanline(in, bitmap->GetData() + size_t(y) * size_t(width) * 4, width);
    return bitmap.Detach();
}

}  // namespace hdr_loader_detail

bool HDRLoader::HasSignature(const uint8_t* bytes, size_t count)
{
    return count >= SignatureSize && std::memcmp(bytes, hdr_loader_detail::Signature, SignatureSize) == 0;
}

Object* HDRLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    return LoadImage(proxy, descriptor, hdr_loader_detail::Decode);
}

}  // namespace Nimbrel::Utils::Loaders
