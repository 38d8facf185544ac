// Zip archives: the FileSystem request of the default proxy for the archive's name (the zip
// reader is tried before the file opener), then every entry that the archive's central
// directory names, opened and read whole.
#include "FuzzProxy.h"
#include "ZipChecksums.h"

#include "io/FileSystem.h"
#include "io/Stream.h"

#include <string>
#include <vector>

using namespace Nimbrel;

namespace {

// The names in the central directory records of the bytes, found by their signature (a
// mutated archive may hold records the reader's walk never reaches), at most `most` of them.
std::vector<std::string> EntryNames(const uint8_t* data, size_t size, size_t most)
{
    std::vector<std::string> names;
    for (size_t at = 0; at + 46 <= size && names.size() < most; ++at) {
        if (data[at] != 'P' || data[at + 1] != 'K' || data[at + 2] != 1 || data[at + 3] != 2)
            continue;
        const size_t length = data[at + 28] | data[at + 29] << 8;
        if (at + 46 + length <= size)
            names.emplace_back(reinterpret_cast<const char*>(data + at + 46), length);
    }
    return names;
}

}  // namespace

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

// A mutation as libFuzzer makes it, with the entries' checksums made right again afterwards.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int)
{
    size = LLVMFuzzerMutate(data, size, maxSize);
    Fuzzing::SetZipChecksums(data, size);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzzing::FuzzProxy proxy("data.zip", data, size);
    Fuzzing::Attempt([&] {
        Managed<IO::FileSystem> archive = proxy.Get<IO::FileSystem>(Utils::ResourceType::FileSystem, "data.zip");
        for (const std::string& name : EntryNames(data, size, 16)) {
            Fuzzing::Attempt([&] {
                Managed<IO::Stream> entry(archive->OpenFile(String(name.data(), static_cast<int>(name.size())), IO::FileModeRead));
                std::vector<uint8_t> bytes(static_cast<size_t>(entry->GetLength()));
                if (entry->Read(bytes.data(), 1, static_cast<int>(bytes.size())) != static_cast<int>(bytes.size())) {
                    std::fprintf(stderr, "The entry '%s' gave fewer bytes than its length\n", name.c_str());
                    std::abort();
                }
            });
        }
    });
    return 0;
}
