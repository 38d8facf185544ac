#pragma once
// Utils::Loaders::ImageInput: what the four image services share.
//
// The proxy hands every service that tries a descriptor the same cached stream, so each
// service reads the file from its start and, whenever it refuses the file or fails on it,
// puts the stream back where it found it (LoadImage does that for every Exception). A
// service first looks at a few bytes (ReadStart) to recognise its format quickly; only then
// does it read the whole file in one block (ReadAll), which it parses from memory with an
// IO::ByteReader. Sizes are checked against the limits below before any pixel block exists.
// A stream that cannot seek is read from where it stands and cannot be put back.

#include "core/String.h"
#include "io/ByteReader.h"
#include "io/Stream.h"
#include "utils/Bitmap2D.h"
#include "utils/ResourceProxy.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Nimbrel::Utils::Loaders {

// The largest image an image service decodes: 16384 pixels on a side and 64 Mi pixels in
// all (256 MiB as RGBA).
constexpr int MaxImageSide = 16384;
constexpr int64_t MaxImagePixels = int64_t(1) << 26;

// Throws "<format> image size invalid: W x H" for a side below 1 and "<format> image too
// large: W x H pixels" beyond the limits.
void CheckImageSize(const char* format, int64_t width, int64_t height);

class ImageInput {
public:
    // Remembers where the stream stands.
    explicit ImageInput(IO::Stream* stream);
    ImageInput(const ImageInput&) = delete;
    ImageInput& operator=(const ImageInput&) = delete;

    // Up to `count` bytes from the start of the file; returns how many there were.
    size_t ReadStart(uint8_t* bytes, size_t count);
    // Every byte of the file from its start, as many as the stream delivers.
    void ReadAll();
    const uint8_t* Data() const { return bytes.get(); }
    size_t Size() const { return size; }
    // A cursor over what ReadAll read, its messages starting with `prefix`.
    IO::ByteReader Reader(const String& prefix = String()) const { return IO::ByteReader(bytes.get(), size, prefix); }

    // Puts the stream back where it stood when the input was made.
    void Restore();

private:
    IO::Stream* stream;
    int start;
    // What ReadStart took from a stream that cannot seek back to it.
    std::vector<uint8_t> taken;
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
};

// Opens the descriptor's input stream through the proxy and decodes it. Whatever the
// decoder throws, the stream is put back where it stood.
Object* LoadImage(ResourceProxy* proxy, const String& descriptor, Bitmap2D* (*decode)(ImageInput& input));

}  // namespace Nimbrel::Utils::Loaders
