#include "utils/loaders/ZipFileSystem.h"

#include "io/Buffer.h"
#include "io/NativeFileSystem.h"
#include "support/Expect.h"
#include "support/TempFolder.h"
#include "utils/BufferStream.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Resource.h"
#include "utils/SubFileSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <minizip/zip.h>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::Loaders;

namespace zip_file_system_test {

using Bytes = std::vector<uint8_t>;

struct Entry {
    const char* name;
    std::string data;
    int method;  // 0 stored, Z_DEFLATED
};

// An archive written by minizip's zip writer.
Bytes MakeZip(const std::vector<Entry>& entries)
{
    Testing::TempFolder temp;
    std::string path = temp / "made.zip";
    zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    EXPECT_NE(zip, nullptr);
    for (const Entry& entry : entries) {
        zip_fileinfo info{};
        EXPECT_EQ(zipOpenNewFileInZip(zip, entry.name, &info, nullptr, 0, nullptr, 0, nullptr, entry.method,
                                      entry.method ? Z_BEST_COMPRESSION : 0),
                  ZIP_OK);
        EXPECT_EQ(zipWriteInFileInZip(zip, entry.data.data(), static_cast<unsigned>(entry.data.size())), ZIP_OK);
        EXPECT_EQ(zipCloseFileInZip(zip), ZIP_OK);
    }
    EXPECT_EQ(zipClose(zip, nullptr), ZIP_OK);
    std::string bytes = temp.Read("made.zip");
    return Bytes(bytes.begin(), bytes.end());
}

Managed<IO::Stream> StreamOver(const Bytes& bytes)
{
    Managed<IO::Buffer> buffer(new IO::Buffer(static_cast<int64_t>(bytes.size())));
    if (!bytes.empty())
        std::memcpy(buffer->Data(), bytes.data(), bytes.size());
    return Managed<IO::Stream>(new BufferStream(buffer.Get()));
}

std::string ReadAll(IO::Stream& stream)
{
    std::string text(static_cast<size_t>(stream.GetLength()), '\0');
    int read = stream.Read(text.data(), 1, static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(read, 0)));
    return text;
}

uint32_t Get32(const Bytes& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}
uint16_t Get16(const Bytes& bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
void Put32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
void Put16(Bytes& bytes, size_t at, uint16_t value)
{
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

// Where the pieces of an archive without comment lie.
size_t EndRecord(const Bytes& bytes)
{
    return bytes.size() - 22;
}
size_t CentralHeader(const Bytes& bytes, int index)
{
    size_t at = Get32(bytes, EndRecord(bytes) + 16);
    for (int i = 0; i < index; ++i)
        at += 46 + Get16(bytes, at + 28) + Get16(bytes, at + 30) + Get16(bytes, at + 32);
    return at;
}
size_t LocalHeader(const Bytes& bytes, int index)
{
    return Get32(bytes, CentralHeader(bytes, index) + 42);
}
size_t EntryData(const Bytes& bytes, int index)
{
    size_t local = LocalHeader(bytes, index);
    return local + 30 + Get16(bytes, local + 26) + Get16(bytes, local + 28);
}

// Sets the sizes or the method in both headers of an entry, as a consistent forgery would.
void SetSizes(Bytes& bytes, int index, uint32_t compressed, uint32_t uncompressed)
{
    Put32(bytes, CentralHeader(bytes, index) + 20, compressed);
    Put32(bytes, CentralHeader(bytes, index) + 24, uncompressed);
    Put32(bytes, LocalHeader(bytes, index) + 18, compressed);
    Put32(bytes, LocalHeader(bytes, index) + 22, uncompressed);
}
void SetMethod(Bytes& bytes, int index, uint16_t method)
{
    Put16(bytes, CentralHeader(bytes, index) + 10, method);
    Put16(bytes, LocalHeader(bytes, index) + 8, method);
}

const std::string StoredText = "stored text, kept as it is";
const std::string DeflatedText = [] {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i % 7) + " of a text that deflates well\n";
    return text;
}();

Bytes SampleZip()
{
    return MakeZip({{"a.txt", StoredText, 0}, {"dir/b.txt", DeflatedText, Z_DEFLATED}, {"empty", "", Z_DEFLATED}});
}


TEST(ZipFileSystem, ReadsStoredAndDeflatedEntriesWithNamesInAnyCase)
{
    Managed<IO::Stream> archive = StreamOver(SampleZip());
    Managed<ZipFileSystem> zip(new ZipFileSystem(archive.Get()));
    archive.Set(nullptr);  // the file system keeps its stream

    struct Case {
        const char* path;
        const std::string& content;
    };
    const std::string none;
    for (const Case& c : {Case{"a.txt", StoredText}, Case{"A.TXT", StoredText}, Case{"dir/b.txt", DeflatedText},
                          Case{"./Dir/B.txt", DeflatedText}, Case{"empty", none}, Case{"a.txt", StoredText}}) {
        Managed<IO::Stream> file(zip->OpenFile(c.path, IO::FileModeRead));
        EXPECT_TRUE(file->IsReadable() && file->IsSeekable() && !file->IsWriteable());
        EXPECT_EQ(ReadAll(*file), c.content) << c.path;
    }

    EXPECT_THROW_MESSAGE(zip->OpenFile("./missing.txt", IO::FileModeRead),
                         "Couldn't locate file in zip-archive: missing.txt");
    EXPECT_THROW_MESSAGE(zip->OpenFile("dir", IO::FileModeRead), "Couldn't locate file in zip-archive: dir");
    for (IO::FileMode mode : {IO::FileModeWrite, IO::FileModeAppend})
        EXPECT_THROW_MESSAGE(zip->OpenFile("a.txt", mode),
                             "ZipFileSystem::OpenFile: Invalid FileMode; this FileSystem is Read-Only");

    Array<IO::FileInfo*> files;
    EXPECT_THROW_MESSAGE(zip->GetFiles("", files), "ZipFileSystem::GetFiles not implemented!");
    EXPECT_THROW_MESSAGE(zip->DeleteFile("a.txt"), "FileSystem can not delete files.");
    EXPECT_THROW_MESSAGE(zip->MoveFile("a.txt", "b"), "FileSystem can not move files.");
    EXPECT_THROW_MESSAGE(zip->CreateDirectory("d"), "FileSystem can not create directories.");
    EXPECT_THROW_MESSAGE(zip->DeleteDirectory("d"), "FileSystem can not delete directories.");
    EXPECT_THROW_MESSAGE(zip->MoveDirectory("d", "e"), "FileSystem can not move directories.");
}

TEST(ZipFileSystem, NonArchiveIsRefusedWithTheStreamWhereItWas)
{
    for (const std::string& text : {std::string("just some text, certainly no zip archive at all"), std::string()}) {
        Managed<IO::Stream> stream = StreamOver(Bytes(text.begin(), text.end()));
        int start = stream->Seek(0, text.size() / 2);
        EXPECT_THROW_MESSAGE(ZipFileSystem(stream.Get()), "Could not open Zip-archive");
        EXPECT_EQ(stream->GetPosition(), start);
        EXPECT_EQ(stream->GetRefCount(), 1);
    }
}

TEST(ZipFileSystem, HostileArchivesEndInExceptions)
{
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        const char* path;
        const char* message;
    };
    const char* notOpened = "Could not open Zip-archive";
    const std::vector<Case> cases = {
        {"cut to nothing", [](Bytes& b) { b.clear(); }, "a.txt", notOpened},
        {"cut in half", [](Bytes& b) { b.resize(b.size() / 2); }, "a.txt", notOpened},
        {"last byte missing", [](Bytes& b) { b.pop_back(); }, "a.txt", notOpened},
        {"central directory cut in the middle",
         [](Bytes& b) {
             size_t middle = CentralHeader(b, 1) + 10;
             b.erase(b.begin() + static_cast<long>(middle), b.begin() + static_cast<long>(middle) + 30);
         },
         "a.txt", notOpened},
        {"central directory offset past the end", [](Bytes& b) { Put32(b, EndRecord(b) + 16, 0x7FFFFF00); }, "a.txt",
         notOpened},
        {"more entries claimed than the directory holds",
         [](Bytes& b) {
             Put16(b, EndRecord(b) + 8, 40);
             Put16(b, EndRecord(b) + 10, 40);
         },
         "missing", "Couldn't locate file in zip-archive: missing"},
        {"broken signature of a later directory entry", [](Bytes& b) { b[CentralHeader(b, 1)] ^= 0xFF; }, "dir/b.txt",
         "Couldn't locate file in zip-archive: dir/b.txt"},
        {"stored entry claiming 2 GiB", [](Bytes& b) { SetSizes(b, 0, 0x7FFFFFF0, 0x7FFFFFF0); }, "a.txt",
         "Zip entry claims an impossible size: a.txt"},
        {"stored entry larger than its data",
         [](Bytes& b) { SetSizes(b, 0, static_cast<uint32_t>(StoredText.size()), 0x100000); }, "a.txt",
         "Zip entry claims an impossible size: a.txt"},
        {"deflated entry beyond what deflate can give",
         [](Bytes& b) { SetSizes(b, 1, Get32(b, CentralHeader(b, 1) + 20), 0x7FFFFFF0); }, "dir/b.txt",
         "Zip entry claims an impossible size: dir/b.txt"},
        {"size beyond what a buffer holds",
         [](Bytes& b) { SetSizes(b, 1, Get32(b, CentralHeader(b, 1) + 20), 0xFFFFFFF0); }, "dir/b.txt",
         "Zip entry claims an impossible size: dir/b.txt"},
        {"compressed data past the end of the archive",
         [](Bytes& b) { SetSizes(b, 1, 0x100000, static_cast<uint32_t>(DeflatedText.size())); }, "dir/b.txt",
         "Zip entry claims an impossible size: dir/b.txt"},
        {"local header past the end", [](Bytes& b) { Put32(b, CentralHeader(b, 0) + 42, 0x7FFFFF00); }, "a.txt",
         "Couldn't open file in zip-archive: a.txt"},
        {"local header of another entry", [](Bytes& b) { Put32(b, CentralHeader(b, 0) + 42, 7); }, "a.txt",
         "Couldn't open file in zip-archive: a.txt"},
        {"compression method not supported", [](Bytes& b) { SetMethod(b, 1, 12); }, "dir/b.txt",
         "Couldn't open file in zip-archive: dir/b.txt"},
        {"encrypted entry", [](Bytes& b) { b[CentralHeader(b, 0) + 8] |= 1; }, "a.txt",
         "Couldn't open file in zip-archive: a.txt"},
        {"deflated data cut short",
         [](Bytes& b) {
             uint32_t compressed = Get32(b, CentralHeader(b, 1) + 20);
             SetSizes(b, 1, compressed / 2, static_cast<uint32_t>(DeflatedText.size()));
         },
         "dir/b.txt", "Couldn't read in from zip-archive: dir/b.txt"},
        {"flipped byte in stored data", [](Bytes& b) { b[EntryData(b, 0) + 3] ^= 0x20; }, "a.txt",
         "Couldn't close file in zip-archive: a.txt"},
        {"wrong checksum in both headers",
         [](Bytes& b) {
             Put32(b, CentralHeader(b, 1) + 16, 0x12345678);
             Put32(b, LocalHeader(b, 1) + 14, 0x12345678);
         },
         "dir/b.txt", "Couldn't close file in zip-archive: dir/b.txt"},
    };
    const Bytes sample = SampleZip();
    for (const Case& c : cases) {
        Bytes bytes = sample;
        c.damage(bytes);
        Managed<IO::Stream> stream = StreamOver(bytes);
        String message;
        try {
            Managed<ZipFileSystem> zip(new ZipFileSystem(stream.Get()));
            Managed<IO::Stream> file(zip->OpenFile(c.path, IO::FileModeRead));
        } catch (const Exception& error) {
            message = error.GetMessage();
        }
        EXPECT_STREQ(message.CStr(), c.message) << c.what;
        EXPECT_EQ(stream->GetRefCount(), 1) << c.what;
    }
}

TEST(ZipFileSystem, ArchiveRequestedAsFileSystemOpensItsEntriesFolderGetsAView)
{
    Testing::TempFolder temp;
    temp.Write("packs/pack.zip", SampleZip());
    temp.Write("maps/tree.png", "tree");
    Managed<ResourceProxy> proxy(new DefaultResourceProxy());
    Managed<IO::NativeFileSystem> native(IO::NativeFileSystem::Create(temp.Path().c_str()));
    proxy->SetFileSystem(native.Get());

    {
        Resource<IO::FileSystem, ResourceType::FileSystem> pack(proxy.Get(), "pack.zip{Path=packs}");
        ASSERT_NE(dynamic_cast<ZipFileSystem*>(pack.Get()), nullptr);
        Managed<IO::Stream> entry(pack->OpenFile("Dir/B.TXT", IO::FileModeRead));
        EXPECT_EQ(ReadAll(*entry), DeflatedText);

        Resource<IO::FileSystem, ResourceType::FileSystem> maps(proxy.Get(), "maps");
        ASSERT_NE(dynamic_cast<SubFileSystem*>(maps.Get()), nullptr);
        Managed<IO::Stream> tree(maps->OpenFile("tree.png", IO::FileModeRead));
        EXPECT_EQ(ReadAll(*tree), "tree");
    }
    // The archive's stream is freed in the same Collect as the archive that held it.
    proxy->Collect();
    EXPECT_EQ(proxy->GetRecordCount(), 0) << proxy->Dump().CStr();
}

}  // namespace zip_file_system_test
