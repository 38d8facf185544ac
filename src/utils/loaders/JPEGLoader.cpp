#include "utils/loaders/JPEGLoader.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "io/ByteReader.h"
#include "utils/Bitmap2D.h"
#include "utils/loaders/ImageInput.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace Nimbrel::Utils::Loaders {

namespace jpeg_loader_detail {

// The most memory libjpeg may take for one decode (the coefficients of a progressive file
// are held whole).
constexpr long MaxMemory = 256L << 20;
// Real files have a dozen scans; hostile ones make each scan cost a pass over the image.
constexpr int MaxScans = 500;

const JOCTET EndOfImage[2] = {0xFF, JPEG_EOI};

// Everything the libjpeg calls share. libjpeg leaves its functions by longjmp, so the
// functions that call it hold nothing with a destructor and keep their state here.
struct JpegState {
    jpeg_decompress_struct decompressor;
    jpeg_error_mgr errors;
    jpeg_source_mgr source;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

JpegState* StateOf(j_common_ptr info)
{
    return static_cast<JpegState*>(info->client_data);
}

void OnError(j_common_ptr info)
{
    JpegState* state = StateOf(info);
    (*info->err->format_message)(info, state->message);
    std::longjmp(state->jump, 1);
}

void Silent(j_common_ptr)
{
}

void CountScans(j_common_ptr info)
{
    const auto* decompressor = reinterpret_cast<j_decompress_ptr>(info);
    if (decompressor->input_scan_number > MaxScans) {
        JpegState* state = StateOf(info);
        std::snprintf(state->message, sizeof state->message, "more than %d scans", MaxScans);
        std::longjmp(state->jump, 1);
    }
}

void InitSource(j_decompress_ptr)
{
}

// Past the end of the file there is only an end-of-image marker, as often as asked.
boolean FillInput(j_decompress_ptr info)
{
    info->src->next_input_byte = EndOfImage;
    info->src->bytes_in_buffer = sizeof EndOfImage;
    return TRUE;
}

void SkipInput(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* source = info->src;
    if (size_t(count) > source->bytes_in_buffer) {
        FillInput(info);
        return;
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr)
{
}

// Creates the decompressor over the file's bytes and reads the header.
bool ReadHeader(JpegState* state, const uint8_t* bytes, size_t size)
{
    j_decompress_ptr decompressor = &state->decompressor;
    decompressor->err = jpeg_std_error(&state->errors);
    state->errors.error_exit = OnError;
    state->errors.output_message = Silent;
    decompressor->client_data = state;
    if (setjmp(state->jump))
        return false;
    // Creation keeps the error manager and the client data.
    jpeg_create_decompress(decompressor);
    decompressor->mem->max_memory_to_use = MaxMemory;

    state->source.init_source = InitSource;
    state->source.fill_input_buffer = FillInput;
    state->source.skip_input_data = SkipInput;
    state->source.resync_to_restart = jpeg_resync_to_restart;
    state->source.term_source = TermSource;
    state->source.next_input_byte = bytes;
    state->source.bytes_in_buffer = size;
    decompressor->src = &state->source;
    state->progress.progress_monitor = CountScans;
    decompressor->progress = &state->progress;

    jpeg_read_header(decompressor, TRUE);
    return true;
}

enum Status { StatusDone, StatusError, StatusUnsupported };

// Decodes into `pixels`, which holds width * height RGBA pixels; the file's first scanline
// goes to the last row.
Status ReadImage(JpegState* state, uint8_t* pixels, JDIMENSION width, JDIMENSION height)
{
    j_decompress_ptr decompressor = &state->decompressor;
    if (setjmp(state->jump))
        return StatusError;
    decompressor->out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(decompressor);
    if (decompressor->output_width != width || decompressor->output_height != height ||
        decompressor->output_components != 4)
        return StatusUnsupported;
    while (decompressor->output_scanline < height) {
        JSAMPROW row = pixels + size_t(height - 1 - decompressor->output_scanline) * size_t(width) * 4;
        if (jpeg_read_scanlines(decompressor, &row, 1) != 1)
            return StatusError;
    }
    jpeg_finish_decompress(decompressor);
    return StatusDone;
}

// Frees libjpeg's memory however the decode ends.
struct JpegDecompressor {
    JpegState* state;
    ~JpegDecompressor() { jpeg_destroy_decompress(&state->decompressor); }
};

[[noreturn]] void Fail(const JpegState& state)
{
    throw Exception(String("Not a JPG file: ") + state.message);
}

Bitmap2D* Decode(ImageInput& input)
{
    uint8_t start[3];
    if (input.ReadStart(start, sizeof start) != sizeof start || start[0] != 0xFF || start[1] != 0xD8 ||
        start[2] != 0xFF)
        throw Exception("Not a JPG file");
    input.ReadAll();
    IO::ByteReader reader = input.Reader();
    const size_t size = reader.Remaining();
    const uint8_t* bytes = reader.Bytes(size);

    JpegState state{};
    JpegDecompressor decompressor{&state};
    if (!ReadHeader(&state, bytes, size))
        Fail(state);
    const jpeg_decompress_struct& header = state.decompressor;
    const bool grey = header.jpeg_color_space == JCS_GRAYSCALE && header.num_components == 1;
    const bool colour =
        (header.jpeg_color_space == JCS_YCbCr || header.jpeg_color_space == JCS_RGB) && header.num_components == 3;
    if (!grey && !colour)
        throw Exception("Unsupported JPEG pixel format");
    CheckImageSize("JPEG", header.image_width, header.image_height);
    // Every 8 by 8 block of the first component takes at least one bit of the first scan.
    const uint64_t blocks = (uint64_t(header.image_width) + 7) / 8 * ((uint64_t(header.image_height) + 7) / 8);
    if (blocks > uint64_t(size) * 8)
        throw Exception("JPEG file truncated");

    Managed<Bitmap2D> bitmap(
        new Bitmap2D(int(header.image_width), int(header.image_height), Graphics::PixelFormatR8G8B8A8));
    switch (ReadImage(&state, bitmap->GetData(), header.image_width, header.image_height)) {
    case StatusDone:
        return bitmap.Detach();
    case StatusUnsupported:
        throw Exception("Unsupported JPEG pixel format");
    default:
        Fail(state);
    }
}

}  // namespace jpeg_loader_detail

Object* JPEGLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    return LoadImage(proxy, descriptor, jpeg_loader_detail::Decode);
}

}  // namespace Nimbrel::Utils::Loaders
