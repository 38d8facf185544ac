#include "utils/loaders/PNGLoader.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "io/ByteReader.h"
#include "utils/Bitmap2D.h"
#include "utils/loaders/ImageInput.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace Nimbrel::Utils::Loaders {

namespace png_loader_detail {

constexpr size_t SignatureSize = 8;
// The most that deflate can inflate one byte to.
constexpr int MaxDeflateRatio = 1032;
// The most libpng may allocate at once: the buffer of one ancillary chunk, or anything else
// (the row buffers of the widest image allowed take 128 KiB).
constexpr png_alloc_size_t MaxChunkBytes = 8 << 20;

// Everything the libpng calls share. libpng leaves its functions by longjmp, so the
// functions that call it hold nothing with a destructor and keep their state here.
struct PngState {
    png_structp png;
    png_infop info;
    IO::ByteReader* input;
    char message[256];
};

enum Status { StatusDone, StatusError, StatusUnsupported };

void OnError(png_structp png, png_const_charp message)
{
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    std::strncpy(state->message, message ? message : "unknown error", sizeof state->message - 1);
    state->message[sizeof state->message - 1] = '\0';
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp)
{
}

// libpng reads an ancillary chunk into a buffer of the length the chunk claims. It checks
// that length against the chunk limit, but while reading that check only warns, so a chunk
// that claims a gigabyte in a file of a hundred bytes would be allocated. Every allocation of
// libpng's comes here instead, and one beyond the limit fails as if memory had run out:
// libpng then skips the chunk (and finds the file too short for it) or stops with an error.
png_voidp Allocate(png_structp, png_alloc_size_t size)
{
    return size <= MaxChunkBytes ? std::malloc(size) : nullptr;
}

void Free(png_structp, png_voidp pointer)
{
    std::free(pointer);
}

// A short read is an error for libpng, never a read past the block.
void ReadData(png_structp png, png_bytep data, size_t length)
{
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (state->input->Remaining() < length)
        png_error(png, "The file ends early");
    std::memcpy(data, state->input->Bytes(length), length);
}

// Reads the chunks up to the image data.
Status ReadInfo(PngState* state, png_uint_32* width, png_uint_32* height, int* bitsPerPixel)
{
    if (setjmp(png_jmpbuf(state->png)))
        return StatusError;
    png_set_chunk_malloc_max(state->png, MaxChunkBytes);
    png_set_read_fn(state->png, state, ReadData);
    png_read_info(state->png, state->info);
    *width = png_get_image_width(state->png, state->info);
    *height = png_get_image_height(state->png, state->info);
    *bitsPerPixel = png_get_channels(state->png, state->info) * png_get_bit_depth(state->png, state->info);
    return StatusDone;
}

// Asks for 8-bit RGBA of whatever the file holds and reads the image through `rows`.
Status ReadImage(PngState* state, png_bytepp rows, png_uint_32 width)
{
    png_structp png = state->png;
    png_infop info = state->info;
    if (setjmp(png_jmpbuf(png)))
        return StatusError;
    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (transparency)
        png_set_tRNS_to_alpha(png);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (bitDepth < 8)
        png_set_packing(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (!(colourType & PNG_COLOR_MASK_ALPHA) && !transparency)
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_color_type(png, info) != PNG_COLOR_TYPE_RGB_ALPHA || png_get_bit_depth(png, info) != 8 ||
        png_get_rowbytes(png, info) != size_t(width) * 4)
        return StatusUnsupported;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return StatusDone;
}

// Frees libpng's structures however the decode ends.
struct PngStructures {
    PngState* state;
    ~PngStructures() { png_destroy_read_struct(&state->png, &state->info, nullptr); }
};

[[noreturn]] void Fail(const PngState& state)
{
    throw Exception(String("Not a PNG file: ") + state.message);
}

Bitmap2D* Decode(ImageInput& input)
{
    uint8_t start[SignatureSize];
    if (input.ReadStart(start, SignatureSize) != SignatureSize || png_sig_cmp(start, 0, SignatureSize) != 0)
        throw Exception("Not a PNG file");
    input.ReadAll();
    IO::ByteReader reader = input.Reader();

    PngState state{};
    state.input = &reader;
    std::strcpy(state.message, "out of memory");
    PngStructures structures{&state};
    state.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning, nullptr, Allocate, Free);
    if (!state.png)
        Fail(state);
    state.info = png_create_info_struct(state.png);
    if (!state.info)
        Fail(state);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitsPerPixel = 0;
    if (ReadInfo(&state, &width, &height, &bitsPerPixel) != StatusDone)
        Fail(state);
    CheckImageSize("PNG", width, height);
    // Deflate packs at most 1032 bytes into one, and every row starts with a filter byte.
    const uint64_t rawBytes = uint64_t(height) * (1 + (uint64_t(width) * uint64_t(bitsPerPixel) + 7) / 8);
    if (rawBytes > uint64_t(MaxDeflateRatio) * input.Size())
        throw Exception("PNG file truncated");

    Managed<Bitmap2D> bitmap(new Bitmap2D(int(width), int(height), Graphics::PixelFormatR8G8B8A8));
    // The file's first row is the top of the image, the bitmap's last.
    std::vector<png_bytep> rows(height);
    for (png_uint_32 r = 0; r < height; ++r)
        rows[r] = bitmap->GetData() + size_t(height - 1 - r) * size_t(width) * 4;
    switch (ReadImage(&state, rows.data(), width)) {
    case StatusDone:
        return bitmap.Detach();
    case StatusUnsupported:
        throw Exception("Unsupported PNG pixel format");
    default:
        Fail(state);
    }
}

}  // namespace png_loader_detail

Object* PNGLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    return LoadImage(proxy, descriptor, png_loader_detail::Decode);
}

}  // namespace Nimbrel::Utils::Loaders
