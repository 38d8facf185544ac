#include "FrameCapture.h"

#include "core/Exception.h"
#include "utils/audio/Stream.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace host {

using namespace Nimbrel;

namespace frame_capture_detail {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

void PutU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    PutU16(out, static_cast<uint16_t>(value));
    PutU16(out, static_cast<uint16_t>(value >> 16));
}

void PutTag(std::vector<uint8_t>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

}  // namespace frame_capture_detail

FrameCapture::FrameCapture(const String& folderName) : folder(folderName.CStr())
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder))
        throw Exception(String::Format("Capture: Can not create the folder '%s'", folder.c_str()));
}

int FrameCapture::FrameCount(double from, double to, int fps)
{
    // A frame time that lands on `to` within rounding belongs to the next span.
    return std::max(0, static_cast<int>(std::ceil((to - from) * fps - 1e-6)));
}

double FrameCapture::FrameTime(double from, int fps, int frame)
{
    return from + static_cast<double>(frame) / fps;
}

std::string FrameCapture::FrameName(int frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", frame);
    return name;
}

std::string FrameCapture::Progress(int done, int total, double elapsedSeconds)
{
    const double left = done > 0 ? elapsedSeconds / done * (total - done) : 0.0;
    const long seconds = std::lround(left);
    char text[96];
    std::snprintf(text, sizeof text, "frame %d of %d, %ld:%02ld left", done, total, seconds / 60, seconds % 60);
    return text;
}

void FrameCapture::RemoveFramesFrom(int first) const
{
    for (int frame = first;; ++frame) {
        std::error_code error;
        if (!std::filesystem::remove(folder + "/" + FrameName(frame), error))
            break;
    }
}

void FrameCapture::WriteFrame(int frame, int width, int height, const uint8_t* pixels) const
{
    const std::string path = folder + "/" + FrameName(frame);
    std::unique_ptr<std::FILE, frame_capture_detail::FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        throw Exception(String::Format("Capture: Can not open '%s' for writing", path.c_str()));
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw Exception("Capture: libpng could not start a PNG");
    }
    // libpng returns here on a failed write; nothing with a destructor lives between the
    // setjmp and the writes.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw Exception(String::Format("Capture: Writing '%s' failed", path.c_str()));
    }
    png_init_io(png, file.get());
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int y = height - 1; y >= 0; --y)
        png_write_row(png, const_cast<png_bytep>(pixels + stride * static_cast<size_t>(y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0 || std::ferror(file.get()))
        throw Exception(String::Format("Capture: Writing '%s' failed", path.c_str()));
}

void FrameCapture::WriteAudio(Utils::Audio::Stream* stream, int64_t first, int64_t end) const
{
    using namespace frame_capture_detail;
    const int channels = stream->GetChannelCount();
    const int rate = stream->GetSampleRate();
    first = std::clamp<int64_t>(first, 0, stream->GetSampleCount());
    end = std::clamp<int64_t>(end, first, stream->GetSampleCount());
    const uint64_t dataBytes = static_cast<uint64_t>(end - first) * static_cast<uint64_t>(channels) * 4;
    if (dataBytes > 0xFFFFFFFFull - 64)
        throw Exception("Capture: The span's audio does not fit a WAV file");

    std::vector<uint8_t> header;
    PutTag(header, "RIFF");
    PutU32(header, static_cast<uint32_t>(4 + 8 + 18 + 8 + 4 + 8 + dataBytes));
    PutTag(header, "WAVE");
    PutTag(header, "fmt ");
    PutU32(header, 18);
    PutU16(header, 3);  // IEEE float
    PutU16(header, static_cast<uint16_t>(channels));
    PutU32(header, static_cast<uint32_t>(rate));
    PutU32(header, static_cast<uint32_t>(rate * channels * 4));
    PutU16(header, static_cast<uint16_t>(channels * 4));
    PutU16(header, 32);
    PutU16(header, 0);  // no extension
    PutTag(header, "fact");
    PutU32(header, 4);
    PutU32(header, static_cast<uint32_t>(end - first));
    PutTag(header, "data");
    PutU32(header, static_cast<uint32_t>(dataBytes));

    const std::string path = folder + "/audio.wav";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    stream->SeekSample(static_cast<int>(first));
    std::vector<float> block(static_cast<size_t>(4096) * static_cast<size_t>(channels));
    for (int64_t at = first; at < end && out;) {
        const int want = static_cast<int>(std::min<int64_t>(4096, end - at));
        const int got = stream->ReadSamples(block.data(), want);
        if (got <= 0)
            throw Exception(String::Format("Capture: The music ended at frame %lld before the span did",
                                           static_cast<long long>(at)));
        // The engine runs on little-endian machines only, so the floats go out as they are.
        out.write(reinterpret_cast<const char*>(block.data()),
                  static_cast<std::streamsize>(static_cast<size_t>(got) * static_cast<size_t>(channels) * 4));
        at += got;
    }
    out.flush();
    if (!out)
        throw Exception(String::Format("Capture: Writing '%s' failed", path.c_str()));
}

}  // namespace host
