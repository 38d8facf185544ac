// imgdump: prints an image file's pixels as the engine loads them.
//
//     imgdump <file>
//
// The file is requested as a Bitmap2D from a default resource proxy over the file's folder,
// so it meets the image services exactly as a demo's textures do. Standard output gets the
// width and height in decimal, then one line per row, the image's top row first, each pixel
// as eight lowercase hex digits rrggbbaa with nothing between them (for Radiance files the
// four stored RGBE bytes). A file that does not load prints the proxy's report on standard
// error and exits with 1; a wrong command line exits with 2.

#include "core/Exception.h"
#include "core/Managed.h"
#include "io/NativeFileSystem.h"
#include "io/Stream.h"
#include "utils/Bitmap2D.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Resource.h"
#include "utils/loaders/HDRLoader.h"

#include <cstdint>
#include <cstdio>
#include <new>
#include <string>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace imgdump {

// Radiance bitmaps keep their first scanline, the top, as row 0; every other image service
// stores the bottom row first. Only the Radiance service takes a file that starts like one.
bool StoredTopFirst(ResourceProxy* proxy, const String& descriptor)
{
    Resource<IO::Stream, ResourceType::InputStream> stream(proxy, descriptor);
    uint8_t start[Loaders::HDRLoader::SignatureSize];
    stream->Seek(0, 0);
    const int read = stream->Read(start, 1, int(sizeof start));
    return read > 0 && Loaders::HDRLoader::HasSignature(start, size_t(read));
}

int Dump(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    // The name is a descriptor: one that ends in a {...} block is read as hints.
    const String descriptor = (slash == std::string::npos ? path : path.substr(slash + 1)).c_str();

    Managed<IO::NativeFileSystem> files(IO::NativeFileSystem::Create(folder.c_str()));
    Managed<ResourceProxy> proxy(new DefaultResourceProxy());
    proxy->SetFileSystem(files.Get());
    Resource<Bitmap2D, ResourceType::Bitmap2D> image(proxy.Get(), descriptor);
    const Bitmap2D& bitmap = *image.Get();
    if (bitmap.GetPixelFormat() != Graphics::PixelFormatR8G8B8A8)
        throw Exception("imgdump: the bitmap is not of 8-bit RGBA pixels");
    const bool topFirst = StoredTopFirst(proxy.Get(), descriptor);

    const int width = bitmap.GetWidth();
    const int height = bitmap.GetHeight();
    std::printf("%d %d\n", width, height);
    static const char digits[] = "0123456789abcdef";
    std::string line(size_t(width) * 8 + 1, '\n');
    for (int r = 0; r < height; ++r) {
        const int row = topFirst ? r : height - 1 - r;
        const uint8_t* pixel = bitmap.GetData() + size_t(row) * size_t(width) * 4;
        for (size_t i = 0; i < size_t(width) * 4; ++i) {
            line[i * 2] = digits[pixel[i] >> 4];
            line[i * 2 + 1] = digits[pixel[i] & 15];
        }
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace imgdump

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: imgdump <file>\n");
        return 2;
    }
    try {
        return imgdump::Dump(argv[1]);
    } catch (const Exception& error) {
        const String message = error.GetMessage();
        std::fprintf(stderr, "%s%s", message.CStr(), message.EndsWith("\n") ? "" : "\n");
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "imgdump: out of memory\n");
    }
    return 1;
}
