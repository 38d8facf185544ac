// Benchmark: opening and reading every entry of a zip archive of a few thousand small
// deflated files, as a data pack of a demo holds them. The archive is written once by
// minizip's zip writer and read from memory, so the time is the file system's own: finding
// each entry, inflating it and checking its checksum. The counter "entries_per_second" is
// the rate at which entries come out.
#include "core/Managed.h"
#include "io/Buffer.h"
#include "utils/BufferStream.h"
#include "utils/loaders/ZipFileSystem.h"

#include "support/TempFolder.h"

#include <benchmark/benchmark.h>

#include <minizip/zip.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace zip_bench {

std::string EntryName(int index)
{
    return "data/folder" + std::to_string(index % 37) + "/entry" + std::to_string(index) + ".txt";
}

std::string EntryText(int index)
{
    std::string text;
    for (int line = 0; line < 8; ++line)
        text += "entry " + std::to_string(index) + " line " + std::to_string(line) + " of some text\n";
    return text;
}

const std::string& Archive(int entries)
{
    static std::string bytes;
    static int made = 0;
    if (made == entries)
        return bytes;
    Testing::TempFolder temp;
    std::string path = temp / "pack.zip";
    zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        throw std::runtime_error("cannot write the archive");
    for (int i = 0; i < entries; ++i) {
        zip_fileinfo info{};
        std::string text = EntryText(i);
        if (zipOpenNewFileInZip(zip, EntryName(i).c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                Z_DEFAULT_COMPRESSION) != ZIP_OK ||
            zipWriteInFileInZip(zip, text.data(), static_cast<unsigned>(text.size())) != ZIP_OK ||
            zipCloseFileInZip(zip) != ZIP_OK)
            throw std::runtime_error("cannot write an entry");
    }
    if (zipClose(zip, nullptr) != ZIP_OK)
        throw std::runtime_error("cannot finish the archive");
    bytes = temp.Read("pack.zip");
    made = entries;
    return bytes;
}

void ReadAllEntries(benchmark::State& state)
{
    const int entries = static_cast<int>(state.range(0));
    const std::string& bytes = Archive(entries);
    Managed<IO::Buffer> buffer(new IO::Buffer(static_cast<int64_t>(bytes.size())));
    std::memcpy(buffer->Data(), bytes.data(), bytes.size());
    std::vector<std::string> names;
    for (int i = 0; i < entries; ++i)
        names.push_back(EntryName(i));

    for (auto _ : state) {
        Managed<IO::Stream> stream(new BufferStream(buffer.Get()));
        Managed<Loaders::ZipFileSystem> zip(new Loaders::ZipFileSystem(stream.Get()));
        int64_t total = 0;
        for (const std::string& name : names) {
            Managed<IO::Stream> file(zip->OpenFile(name.c_str(), IO::FileModeRead));
            total += file->GetLength();
        }
        benchmark::DoNotOptimize(total);
    }
    state.counters["entries_per_second"] =
        benchmark::Counter(static_cast<double>(entries) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(ReadAllEntries)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

}  // namespace zip_bench
