#include "utils/loaders/ZipFileSystem.h"

#include "io/Buffer.h"
#include "io/NativeFileSystem.h"
#include "support/AllocationWatch.h"
#include "support/Expect.h"
#include "support/StreamText.h"
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
#include <zlib.h>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::Loaders;

namespace zip_file_system_test {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t Zip64ExtraId = 0x0001;

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

using Testing::ReadAll;

// The message of what opening the entry at `path` of the archive throws; empty if nothing does.
String OpeningError(IO::Stream* archive, const char* path)
{
    try {
        Managed<ZipFileSystem> zip(new ZipFileSystem(archive));
        Managed<IO::Stream> file(zip->OpenFile(path, IO::FileModeRead));
    } catch (const Exception& error) {
        return error.GetMessage();
    }
    return String();
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
        {"bzip2 entry", [](Bytes& b) { SetMethod(b, 1, 12); }, "dir/b.txt",
         "Unsupported compression method 12 (bzip2) in zip entry: dir/b.txt"},
        {"LZMA entry", [](Bytes& b) { SetMethod(b, 1, 14); }, "dir/b.txt",
         "Unsupported compression method 14 (LZMA) in zip entry: dir/b.txt"},
        {"entry of a method nobody defined", [](Bytes& b) { SetMethod(b, 0, 200); }, "a.txt",
         "Unsupported compression method 200 (unknown) in zip entry: a.txt"},
        {"encrypted entry", [](Bytes& b) { b[CentralHeader(b, 0) + 8] |= 1; }, "a.txt",
         "Unsupported encryption (traditional PKWARE) in zip entry: a.txt"},
        {"AES-encrypted entry", [](Bytes& b) { SetMethod(b, 1, 99); }, "dir/b.txt",
         "Unsupported encryption (AES) in zip entry: dir/b.txt"},
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
        const String message = OpeningError(stream.Get(), c.path);
        EXPECT_STREQ(message.CStr(), c.message) << c.what;
        EXPECT_EQ(stream->GetRefCount(), 1) << c.what;
    }
}

TEST(ZipFileSystem, ExactCaseWinsOverNamesThatDifferOnlyInCase)
{
    Managed<IO::Stream> archive = StreamOver(
        MakeZip({{"Index.html", "upper", 0}, {"index.html", "lower", Z_DEFLATED}, {"INDEX.HTML", "shout", 0}}));
    Managed<ZipFileSystem> zip(new ZipFileSystem(archive.Get()));
    struct Case {
        const char* path;
        const char* content;
    };
    for (const Case& c : {Case{"index.html", "lower"}, Case{"Index.html", "upper"}, Case{"INDEX.HTML", "shout"},
                          Case{"./index.html", "lower"}, Case{"iNDEX.html", "upper"}}) {
        Managed<IO::Stream> file(zip->OpenFile(c.path, IO::FileModeRead));
        EXPECT_EQ(ReadAll(*file), c.content) << c.path;
    }
}

// A memory stream that counts the bytes read from it.
class CountingStream : public BufferStream {
public:
    using BufferStream::BufferStream;
    int Read(void* data, int size, int count) override
    {
        int moved = BufferStream::Read(data, size, count);
        if (moved > 0)
            bytesRead += moved;
        return moved;
    }
    int64_t bytesRead = 0;
};

TEST(ZipFileSystem, OpeningAnEntryDoesNotWalkTheDirectoryAgain)
{
    std::vector<Entry> entries;
    std::vector<std::string> names;
    for (int i = 0; i < 2000; ++i)
        names.push_back("folder/entry" + std::to_string(i) + ".txt");
    for (int i = 0; i < 2000; ++i)
        entries.push_back({names[static_cast<size_t>(i)].c_str(), "entry " + std::to_string(i), Z_DEFLATED});
    const Bytes bytes = MakeZip(entries);
    Managed<IO::Buffer> buffer(new IO::Buffer(static_cast<int64_t>(bytes.size())));
    std::memcpy(buffer->Data(), bytes.data(), bytes.size());
    Managed<CountingStream> stream(new CountingStream(buffer.Get()));
    Managed<ZipFileSystem> zip(new ZipFileSystem(stream.Get()));

    // The directory alone is larger than 100 KB; one entry with its two headers is not 1 KB.
    ASSERT_GT(bytes.size(), 100000u);
    for (int i : {1999, 0, 1000, 1999}) {
        const int64_t before = stream->bytesRead;
        Managed<IO::Stream> file(zip->OpenFile(("FOLDER/entry" + std::to_string(i) + ".txt").c_str(), IO::FileModeRead));
        EXPECT_EQ(ReadAll(*file), "entry " + std::to_string(i));
        EXPECT_LT(stream->bytesRead - before, 1024) << i;
    }
}

TEST(ZipFileSystem, BufferGrowsWithWhatDecompressesNotWithTheClaim)
{
    if (!Testing::AllocationWatch::Available())
        GTEST_SKIP() << "allocation hooks need AddressSanitizer";
    // Noise deflates to about its own size, so the claimed gigabyte is within what deflate
    // could give from that much data.
    std::string noise(1 << 20, '\0');
    uint32_t seed = 99;
    for (char& c : noise) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    Bytes bytes = MakeZip({{"noise.bin", noise, Z_DEFLATED}});
    const uint32_t compressed = Get32(bytes, CentralHeader(bytes, 0) + 20);
    SetSizes(bytes, 0, compressed, 1u << 30);
    ASSERT_LT(1u << 30, (uint64_t{compressed} + 1) * 1032);

    Managed<IO::Stream> archive = StreamOver(bytes);
    Managed<ZipFileSystem> zip(new ZipFileSystem(archive.Get()));
    Testing::AllocationWatch watch;
    EXPECT_THROW_MESSAGE(zip->OpenFile("noise.bin", IO::FileModeRead),
                         "Couldn't read in from zip-archive: noise.bin");
    EXPECT_LT(watch.LargestAllocation(), size_t{16} << 20);
}

// Zip64 archives as other writers make them, byte by byte: the 32-bit sizes hold 0xFFFFFFFF
// and the real ones stand in the Zip64 extra field of the central directory, the local
// header having either the same (as written in one go) or zeros and a data descriptor after
// the data (as written by a streaming writer). Optionally the archive ends in the Zip64 end
// records too.
struct Zip64Layout {
    bool streaming = false;
    bool zip64End = false;
    bool sizesInExtra = true;  // false: the 0xFFFFFFFF sizes have no extra field to go with
};

Bytes Deflated(const std::string& data)
{
    z_stream deflater{};
    EXPECT_EQ(deflateInit2(&deflater, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    Bytes out(deflateBound(&deflater, static_cast<uLong>(data.size())));
    deflater.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    deflater.avail_in = static_cast<uInt>(data.size());
    deflater.next_out = out.data();
    deflater.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&deflater, Z_FINISH), Z_STREAM_END);
    out.resize(deflater.total_out);
    deflateEnd(&deflater);
    return out;
}

Bytes MakeZip64(const std::vector<Entry>& entries, const Zip64Layout& layout)
{
    Bytes out, directory;
    auto put = [](Bytes& to, uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            to.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    for (const Entry& entry : entries) {
        const Bytes data = entry.method ? Deflated(entry.data) : Bytes(entry.data.begin(), entry.data.end());
        const uint32_t crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()), static_cast<uInt>(entry.data.size())));
        const uint16_t nameLength = static_cast<uint16_t>(std::strlen(entry.name));
        Bytes extra;
        if (layout.sizesInExtra) {
            put(extra, Zip64ExtraId, 2);
            put(extra, 16, 2);
            put(extra, entry.data.size(), 8);
            put(extra, data.size(), 8);
        }
        const uint64_t local = out.size();
        put(out, 0x04034b50, 4);
        put(out, 45, 2);
        put(out, layout.streaming ? 8 : 0, 2);
        put(out, static_cast<uint64_t>(entry.method), 2);
        put(out, 0, 4);  // time and date
        put(out, layout.streaming ? 0 : crc, 4);
        put(out, layout.streaming ? 0 : 0xFFFFFFFF, 4);
        put(out, layout.streaming ? 0 : 0xFFFFFFFF, 4);
        put(out, nameLength, 2);
        put(out, layout.streaming ? 0 : extra.size(), 2);
        out.insert(out.end(), entry.name, entry.name + nameLength);
        if (!layout.streaming)
            out.insert(out.end(), extra.begin(), extra.end());
        out.insert(out.end(), data.begin(), data.end());
        if (layout.streaming) {
            put(out, 0x08074b50, 4);
            put(out, crc, 4);
            put(out, data.size(), 8);
            put(out, entry.data.size(), 8);
        }

        put(directory, 0x02014b50, 4);
        put(directory, 45, 2);
        put(directory, 45, 2);
        put(directory, layout.streaming ? 8 : 0, 2);
        put(directory, static_cast<uint64_t>(entry.method), 2);
        put(directory, 0, 4);
        put(directory, crc, 4);
        put(directory, 0xFFFFFFFF, 4);
        put(directory, 0xFFFFFFFF, 4);
        put(directory, nameLength, 2);
        put(directory, extra.size(), 2);
        put(directory, 0, 2);  // comment
        put(directory, 0, 2);  // disk
        put(directory, 0, 2);  // internal attributes
        put(directory, 0, 4);  // external attributes
        put(directory, local, 4);
        directory.insert(directory.end(), entry.name, entry.name + nameLength);
        directory.insert(directory.end(), extra.begin(), extra.end());
    }
    const uint64_t directoryStart = out.size();
    out.insert(out.end(), directory.begin(), directory.end());
    const bool wide = layout.zip64End;
    if (wide) {
        const uint64_t record = out.size();
        put(out, 0x06064b50, 4);
        put(out, 44, 8);
        put(out, 45, 2);
        put(out, 45, 2);
        put(out, 0, 4);
        put(out, 0, 4);
        put(out, entries.size(), 8);
        put(out, entries.size(), 8);
        put(out, directory.size(), 8);
        put(out, directoryStart, 8);
        put(out, 0x07064b50, 4);
        put(out, 0, 4);
        put(out, record, 8);
        put(out, 1, 4);
    }
    put(out, 0x06054b50, 4);
    put(out, 0, 2);
    put(out, 0, 2);
    put(out, wide ? 0xFFFF : entries.size(), 2);
    put(out, wide ? 0xFFFF : entries.size(), 2);
    put(out, wide ? 0xFFFFFFFF : directory.size(), 4);
    put(out, wide ? 0xFFFFFFFF : directoryStart, 4);
    put(out, 0, 2);
    return out;
}

TEST(ZipFileSystem, ReadsZip64EntriesOfEveryLayout)
{
    const std::vector<Entry> entries = {{"a.txt", StoredText, 0}, {"dir/b.txt", DeflatedText, Z_DEFLATED},
                                        {"empty", "", Z_DEFLATED}, {"last.txt", "the last one", Z_DEFLATED}};
    struct Case {
        const char* what;
        Zip64Layout layout;
    };
    for (const Case& c : {Case{"sizes in both headers", {}}, Case{"streamed with data descriptors", {true}},
                          Case{"with Zip64 end records", {false, true}}, Case{"streamed, Zip64 end", {true, true}}}) {
        Managed<IO::Stream> archive = StreamOver(MakeZip64(entries, c.layout));
        Managed<ZipFileSystem> zip(new ZipFileSystem(archive.Get()));
        for (const Entry& entry : entries) {
            Managed<IO::Stream> file(zip->OpenFile(entry.name, IO::FileModeRead));
            EXPECT_EQ(ReadAll(*file), entry.data) << c.what << ": " << entry.name;
        }
    }

    // Without the extra field a deflated entry's size is found by inflating it; a stored one
    // has no end to go by.
    Managed<IO::Stream> archive = StreamOver(MakeZip64(entries, {false, false, false}));
    Managed<ZipFileSystem> zip(new ZipFileSystem(archive.Get()));
    Managed<IO::Stream> file(zip->OpenFile("dir/b.txt", IO::FileModeRead));
    EXPECT_EQ(ReadAll(*file), DeflatedText);
    EXPECT_THROW_MESSAGE(zip->OpenFile("a.txt", IO::FileModeRead), "Zip entry claims an impossible size: a.txt");
}

TEST(ZipFileSystem, DamagedZip64EntriesEndInExceptions)
{
    const std::vector<Entry> entries = {{"a.txt", StoredText, 0}, {"dir/b.txt", DeflatedText, Z_DEFLATED}};
    const Bytes sample = MakeZip64(entries, {});
    const uint64_t deflatedSize = Deflated(DeflatedText).size();
    // The extra field of an entry's directory record: id, size, uncompressed, compressed.
    auto extraField = [](const Bytes& b, int index) {
        size_t central = CentralHeader(b, index);
        return central + 46 + Get16(b, central + 28);
    };
    auto setExtraSizes = [&](Bytes& b, int index, uint64_t uncompressed, uint64_t compressed) {
        size_t at = extraField(b, index) + 4;
        for (int i = 0; i < 8; ++i) {
            b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(uncompressed >> (8 * i));
            b[at + 8 + static_cast<size_t>(i)] = static_cast<uint8_t>(compressed >> (8 * i));
        }
    };
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        const char* path;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"flipped byte in deflated data", [](Bytes& b) { b[EntryData(b, 1) + 5] ^= 0x01; }, "dir/b.txt", nullptr},
        {"flipped byte in stored data", [](Bytes& b) { b[EntryData(b, 0) + 2] ^= 0x20; }, "a.txt",
         "Couldn't close file in zip-archive: a.txt"},
        {"deflated data cut short",
         [&](Bytes& b) { setExtraSizes(b, 1, DeflatedText.size(), deflatedSize / 2); },
         "dir/b.txt", "Couldn't read in from zip-archive: dir/b.txt"},
        {"deflated entry claiming more than it gives",
         [&](Bytes& b) { setExtraSizes(b, 1, DeflatedText.size() + 1, deflatedSize); },
         "dir/b.txt", "Couldn't read in from zip-archive: dir/b.txt"},
        {"compressed size past the end", [&](Bytes& b) { setExtraSizes(b, 1, DeflatedText.size(), 1u << 30); },
         "dir/b.txt", "Zip entry claims an impossible size: dir/b.txt"},
        {"uncompressed size of 64 bits",
         [&](Bytes& b) { setExtraSizes(b, 0, uint64_t{1} << 40, StoredText.size()); }, "a.txt",
         "Zip entry claims an impossible size: a.txt"},
        {"stored entry longer than its data",
         [&](Bytes& b) { setExtraSizes(b, 0, StoredText.size() + 1, StoredText.size()); }, "a.txt",
         "Zip entry claims an impossible size: a.txt"},
        {"extra field cut to its header", [&](Bytes& b) { Put16(b, extraField(b, 0) + 2, 0); }, "a.txt",
         "Zip entry claims an impossible size: a.txt"},
    };
    for (const Case& c : cases) {
        Bytes bytes = sample;
        c.damage(bytes);
        Managed<IO::Stream> stream = StreamOver(bytes);
        const String message = OpeningError(stream.Get(), c.path);
        if (c.message)
            EXPECT_STREQ(message.CStr(), c.message) << c.what;
        else
            EXPECT_TRUE(message.StartsWith("Couldn't")) << c.what << ": " << message.CStr();
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
