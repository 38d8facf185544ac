#include "utils/loaders/ImageInput.h"

#include "core/Exception.h"
#include "utils/Resource.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace Nimbrel::Utils::Loaders {

namespace image_input_detail {

// A stream that cannot tell its length is read in pieces of this size.
constexpr int Piece = 65536;
// ... and refused beyond this many bytes, which no image within the limits needs.
constexpr size_t MaxUnknownLength = size_t(1) << 30;

// Reads until `count` bytes came or the stream gives no more; returns how many came.
size_t ReadUpTo(IO::Stream* stream, uint8_t* bytes, size_t count)
{
    size_t total = 0;
    while (total < count) {
        const int want = static_cast<int>(std::min<size_t>(count - total, INT_MAX));
        const int moved = stream->Read(bytes + total, 1, want);
        if (moved <= 0 || moved > want)
            break;
        total += size_t(moved);
    }
    return total;
}

}  // namespace image_input_detail

using namespace image_input_detail;

void CheckImageSize(const char* format, int64_t width, int64_t height)
{
    if (width < 1 || height < 1)
        throw Exception(String::Format("%s image size invalid: %lld x %lld", format, static_cast<long long>(width),
                                       static_cast<long long>(height)));
    if (width > MaxImageSide || height > MaxImageSide || width * height > MaxImagePixels)
        throw Exception(String::Format("%s image too large: %lld x %lld pixels", format,
                                       static_cast<long long>(width), static_cast<long long>(height)));
}

ImageInput::ImageInput(IO::Stream* stream) : stream(stream), start(stream->IsSeekable() ? stream->GetPosition() : 0)
{
}

size_t ImageInput::ReadStart(uint8_t* out, size_t count)
{
    if (stream->IsSeekable()) {
        stream->Seek(0, 0);
        return ReadUpTo(stream, out, count);
    }
    const size_t before = taken.size();
    if (before < count) {
        taken.resize(count);
        taken.resize(before + ReadUpTo(stream, taken.data() + before, count - before));
    }
    const size_t have = std::min(count, taken.size());
    std::memcpy(out, taken.data(), have);
    return have;
}

void ImageInput::ReadAll()
{
    try {
        if (stream->IsSeekable()) {
            stream->Seek(0, 0);
            const size_t length = size_t(std::max(stream->GetLength(), 0));
            bytes.reset(new uint8_t[std::max<size_t>(length, 1)]);
            size = ReadUpTo(stream, bytes.get(), length);
            return;
        }
        std::vector<uint8_t> all = std::move(taken);
        for (;;) {
            const size_t before = all.size();
            all.resize(before + Piece);
            const size_t moved = ReadUpTo(stream, all.data() + before, Piece);
            all.resize(before + moved);
            if (moved < size_t(Piece))
                break;
            if (all.size() > MaxUnknownLength)
                throw Exception("Image file too large");
        }
        bytes.reset(new uint8_t[std::max<size_t>(all.size(), 1)]);
        std::copy(all.begin(), all.end(), bytes.get());
        size = all.size();
    } catch (const std::bad_alloc&) {
        throw Exception("Not enough memory to read the image file");
    }
}

void ImageInput::Restore()
{
    if (stream->IsSeekable())
        stream->Seek(0, start);
}

Object* LoadImage(ResourceProxy* proxy, const String& descriptor, Bitmap2D* (*decode)(ImageInput& input))
{
    Resource<IO::Stream, ResourceType::InputStream> stream(proxy, descriptor);
    ImageInput input(stream.Get());
    try {
        return decode(input);
    } catch (const Exception&) {
        input.Restore();
        throw;
    }
}

}  // namespace Nimbrel::Utils::Loaders
