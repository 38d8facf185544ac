#include "utils/FileOpener.h"

#include "io/Buffer.h"
#include "io/FileInfo.h"
#include "io/NativeFileSystem.h"
#include "support/Expect.h"
#include "support/StreamText.h"
#include "support/TempFolder.h"
#include "utils/Resource.h"
#include "utils/SubFileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace file_opener_test {

// The native file system of a test folder that logs every path it is asked to open.
class LoggingFileSystem : public IO::FileSystem {
public:
    explicit LoggingFileSystem(const std::string& root) : native(IO::NativeFileSystem::Create(root.c_str())) {}

    IO::Stream* OpenFile(const String& path, IO::FileMode mode) override
    {
        opened.push_back(path.CStr());
        return native->OpenFile(path, mode);
    }
    void GetFiles(const String& folder, Array<IO::FileInfo*>& files) override { native->GetFiles(folder, files); }
    void MoveFile(const String& from, const String& to) override { native->MoveFile(from, to); }
    bool CanMoveFiles() const override { return native->CanMoveFiles(); }
    String GetRoot() const { return native->GetRoot(); }

    std::vector<std::string> opened;

private:
    Managed<IO::NativeFileSystem> native;
};

// A proxy with only the file opener, over a logging file system of the folder.
struct ProxyOverFolder {
    explicit ProxyOverFolder(const Testing::TempFolder& folder)
        : proxy(new ResourceProxy()), files(new LoggingFileSystem(folder.Path()))
    {
        auto* opener = new FileOpener();
        proxy->AddService(opener);
        opener->Release();
        proxy->SetFileSystem(files.Get());
    }

    Managed<ResourceProxy> proxy;
    Managed<LoggingFileSystem> files;
};

using Testing::ReadAll;

// A stream that claims more bytes than it delivers.
class ShortStream : public IO::Stream {
public:
    bool IsReadable() const override { return true; }
    bool IsSeekable() const override { return true; }
    int GetLength() const override { return 10; }
    int GetPosition() const override { return position; }
    int Read(void* data, int size, int count) override
    {
        int n = std::min(size * count, 4 - position);
        if (n <= 0)
            return 0;
        std::fill_n(static_cast<char*>(data), n, 'x');
        position += n;
        return n;
    }
    int Seek(int, int offset) override { return position = std::clamp(offset, 0, 4); }

private:
    int position = 0;
};

class ShortFileSystem : public IO::FileSystem {
public:
    IO::Stream* OpenFile(const String&, IO::FileMode) override { return new ShortStream(); }
    void GetFiles(const String&, Array<IO::FileInfo*>&) override {}
};


TEST(FileOpener, PathHintsAreTriedFromTheLastWrittenBeforeThePlainPath)
{
    struct Case {
        std::vector<std::string> files;
        const char* descriptor;
        std::vector<std::string> opened;
        const char* content;
    };
    for (const Case& c : {
             Case{{"two/x.png", "one/x.png", "x.png"}, "x.png{Path=one; Path=two}", {"two/x.png"}, "two/x.png"},
             Case{{"one/x.png", "x.png"}, "x.png{Path=one; Path=two}", {"two/x.png", "one/x.png"}, "one/x.png"},
             Case{{"x.png"}, "x.png{Path=one; Path=two}", {"two/x.png", "one/x.png", "x.png"}, "x.png"},
             Case{{"one/x.png"}, "x.png{Path=one/}", {"one/x.png"}, "one/x.png"},
             Case{{"a/b/x.png"}, "x.png{Path:a/b}", {"a/b/x.png"}, "a/b/x.png"},
             // Hints that hold no folder, or are no Path hints, are skipped.
             Case{{"x.png"}, "x.png{Path=; Path; P; Size=12}", {"x.png"}, "x.png"},
         }) {
        Testing::TempFolder temp;
        for (const std::string& file : c.files)
            temp.Write(file, file);
        ProxyOverFolder setup(temp);
        Resource<IO::Stream, ResourceType::InputStream> stream(setup.proxy.Get(), c.descriptor);
        EXPECT_EQ(setup.files->opened, c.opened) << c.descriptor;
        EXPECT_EQ(ReadAll(*stream), c.content) << c.descriptor;
    }

    // Only the plain attempt's failure is reported.
    Testing::TempFolder temp;
    ProxyOverFolder setup(temp);
    EXPECT_THROW_MESSAGE(setup.proxy->Get(ResourceType::InputStream, "x.png{Path=one}"),
                         ("Descriptor 'x.png{Path=one}' could not be converted to an object: \n"
                          "FileOpener: File not found: " +
                          setup.files->GetRoot() + "x.png\n")
                             .CStr());
}

TEST(FileOpener, OutputStreamWritesTheFileWithoutConsultingHints)
{
    Testing::TempFolder temp;
    ProxyOverFolder setup(temp);
    {
        Resource<IO::Stream, ResourceType::OutputStream> out(setup.proxy.Get(), "out.txt{Path=one}");
        out->WriteText("hello");
    }
    setup.proxy->Collect();  // the record held the last reference to the file
    EXPECT_EQ(setup.files->opened, std::vector<std::string>{"out.txt"});
    EXPECT_EQ(temp.Read("out.txt"), "hello");
}

TEST(FileOpener, BufferHoldsTheWholeFileFromItsStart)
{
    Testing::TempFolder temp;
    const std::string bytes("a\0b\0c\xff", 6);
    temp.Write("f.bin", bytes);
    temp.Write("maps/g.bin", "in maps");
    ProxyOverFolder setup(temp);

    // Another service read the cached stream to its end first.
    Resource<IO::Stream, ResourceType::InputStream> stream(setup.proxy.Get(), "f.bin");
    EXPECT_EQ(ReadAll(*stream), bytes);
    Resource<IO::Buffer, ResourceType::Buffer> buffer(setup.proxy.Get(), "f.bin");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer->Data()), static_cast<size_t>(buffer->GetSize())), bytes);
    EXPECT_EQ(setup.files->opened, std::vector<std::string>{"f.bin"});  // the stream was shared

    // The hints of the Buffer request reach its stream request.
    Resource<IO::Buffer, ResourceType::Buffer> hinted(setup.proxy.Get(), "g.bin{Path=maps}");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(hinted->Data()), static_cast<size_t>(hinted->GetSize())),
              "in maps");

    // The inner request's whole report is nested in the outer one.
    EXPECT_THROW_MESSAGE(setup.proxy->Get(ResourceType::Buffer, "nope.bin"),
                         ("Descriptor 'nope.bin' could not be converted to an object: \n"
                          "FileOpener: Descriptor 'nope.bin' could not be converted to an object: \n"
                          "FileOpener: File not found: " +
                          setup.files->GetRoot() + "nope.bin\n\n")
                             .CStr());

    // A stream that ends early gives no half-filled buffer.
    Managed<IO::FileSystem> shortFiles(new ShortFileSystem());
    setup.proxy->SetFileSystem(shortFiles.Get());
    EXPECT_THROW_MESSAGE(setup.proxy->Get(ResourceType::Buffer, "short.bin"),
                         "Descriptor 'short.bin' could not be converted to an object: \n"
                         "FileOpener: Could not read the whole file: short.bin\n");
}

TEST(FileOpener, FolderBecomesASubFileSystemOfTheCurrentFileSystem)
{
    Testing::TempFolder temp;
    temp.Write("maps/tree.png", "tree");
    temp.Write("maps/a.tmp", "saved");
    ProxyOverFolder setup(temp);
    Resource<IO::FileSystem, ResourceType::FileSystem> maps(setup.proxy.Get(), "maps");
    ASSERT_NE(dynamic_cast<SubFileSystem*>(maps.Get()), nullptr);

    // Replacing the proxy's file system leaves the view on the old one.
    Testing::TempFolder elsewhere;
    ProxyOverFolder other(elsewhere);
    setup.proxy->SetFileSystem(other.files.Get());

    Managed<IO::Stream> tree(maps->OpenFile("tree.png", IO::FileModeRead));
    EXPECT_EQ(ReadAll(*tree), "tree");
    EXPECT_EQ(setup.files->opened.back(), "maps/tree.png");

    maps->MoveFile("a.tmp", "a.bin");
    EXPECT_EQ(temp.Read("maps/a.bin"), "saved");
    EXPECT_TRUE(maps->CanMoveFiles());

    Array<IO::FileInfo*> files;
    maps->GetFiles("", files);
    std::vector<std::string> paths;
    for (IO::FileInfo* file : files) {
        paths.push_back(file->GetPath().CStr());
        delete file;
    }
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"maps/.", "maps/..", "maps/a.bin", "maps/tree.png"}));

    // The editing operations the parent lacks keep the parent's messages.
    EXPECT_THROW_MESSAGE(maps->DeleteFile("tree.png"), "FileSystem can not delete files.");
    EXPECT_FALSE(maps->CanDeleteFiles());

    // A folder is not checked; an empty one views the parent itself.
    Resource<IO::FileSystem, ResourceType::FileSystem> missing(setup.proxy.Get(), "no/such");
    EXPECT_THROW_MESSAGE(missing->OpenFile("x", IO::FileModeRead),
                         ("File not found: " + other.files->GetRoot() + "no/such/x").CStr());
    Managed<SubFileSystem> whole(
        new SubFileSystem("", Resource<IO::FileSystem, ResourceType::FileSystem>(setup.files.Get())));
    Managed<IO::Stream> same(whole->OpenFile("maps/tree.png", IO::FileModeRead));
    EXPECT_EQ(ReadAll(*same), "tree");
}

TEST(FileOpener, WithoutAFileSystemEveryRequestReportsIt)
{
    Managed<ResourceProxy> proxy(new ResourceProxy());
    auto* opener = new FileOpener();
    proxy->AddService(opener);
    opener->Release();
    for (ResourceType type : {ResourceType::InputStream, ResourceType::OutputStream, ResourceType::FileSystem})
        EXPECT_THROW_MESSAGE(proxy->Get(type, "x{Path=a}"),
                             "Descriptor 'x{Path=a}' could not be converted to an object: \n"
                             "FileOpener: ResoruceProxy: No FileSystem set\n");
}

}  // namespace file_opener_test
