#include "io/NativeFileSystem.h"

#include "core/Managed.h"
#include "io/FileInfo.h"
#include "io/NativeFile.h"
#include "io/NativeFileSystemPosix.h"
#include "support/Expect.h"
#include "support/StreamText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::IO;

namespace native_file_system_test {

using Testing::ReadAll;

struct Listing {
    bool directory;
    bool readOnly;
    uint64_t lastWrite;
};

// The listing of a folder by path, the FileInfos deleted.
std::map<std::string, Listing> List(FileSystem& system, const String& folder)
{
    Array<FileInfo*> files;
    system.GetFiles(folder, files);
    std::map<std::string, Listing> entries;
    for (FileInfo* file : files) {
        entries[file->GetPath().CStr()] = {file->IsDirectory(), file->IsReadOnly(), file->GetLastWriteTime()};
        delete file;
    }
    return entries;
}

class FixedPathInfo : public FileInfo {
public:
    explicit FixedPathInfo(const char* path) : path(path) {}
    bool IsReadOnly() const override { return false; }
    bool IsDirectory() const override { return false; }
    String GetPath() const override { return path; }
    uint64_t GetCreationTime() const override { return 0; }
    uint64_t GetLastAccessTime() const override { return 0; }
    uint64_t GetLastWriteTime() const override { return 0; }

private:
    String path;
};


TEST(NativeFileSystem, PathIsRootFollowedByThePathAsGiven)
{
    Testing::TempFolder temp;
    temp.Write("a/b.txt", "inside");
    struct Case {
        std::string root;
        const char* path;
    };
    std::string absolute = temp / "a/b.txt";
    for (const Case& c : {Case{temp.Path(), "a/b.txt"}, Case{temp.Path() + "/", "a/b.txt"},
                          Case{temp.Path() + "/a", "b.txt"}, Case{"", absolute.c_str()},
                          Case{temp.Path() + "/a", "../a/./b.txt"}}) {
        Managed<NativeFileSystem> system(NativeFileSystem::Create(c.root.c_str()));
        Managed<Stream> file(system->OpenFile(c.path, FileModeRead));
        EXPECT_EQ(ReadAll(*file), "inside") << c.root << " + " << c.path;
    }

    // The native path shows in the message of a failed open.
    Managed<NativeFileSystem> dot(NativeFileSystem::Create("."));
    EXPECT_STREQ(dot->GetRoot().CStr(), "./");
    EXPECT_THROW_MESSAGE(dot->OpenFile("data/none.png", FileModeRead), "File not found: ./data/none.png");
    Managed<NativeFileSystem> data(NativeFileSystem::Create("data/"));
    EXPECT_THROW_MESSAGE(data->OpenFile("a/b.txt", FileModeRead), "File not found: data/a/b.txt");
    Managed<NativeFileSystem> bare(NativeFileSystem::Create(""));
    EXPECT_THROW_MESSAGE(bare->OpenFile("no/such.txt", FileModeRead), "File not found: no/such.txt");
}

TEST(NativeFileSystem, RefusesFoldersAndUnknownModes)
{
    Testing::TempFolder temp;
    temp.MakeFolder("folder");
    temp.Write("file.txt", "x");
    Managed<NativeFileSystem> system(NativeFileSystem::Create(temp.Path().c_str()));
    String root = system->GetRoot();
    EXPECT_THROW_MESSAGE(system->OpenFile("folder", FileModeRead), ("File not found: " + root + "folder").CStr());
    EXPECT_THROW_MESSAGE(system->OpenFile("folder", FileModeWrite), ("File not found: " + root + "folder").CStr());
    EXPECT_THROW_MESSAGE(system->OpenFile("file.txt", static_cast<FileMode>(3)),
                         ("File not found: " + root + "file.txt").CStr());
}

TEST(NativeFileSystem, WriteAppendAndReadBack)
{
    Testing::TempFolder temp;
    Managed<NativeFileSystem> system(NativeFileSystem::Create(temp.Path().c_str()));
    {
        Managed<Stream> out(system->OpenFile("f.bin", FileModeWrite));
        EXPECT_TRUE(out->IsWriteable());
        EXPECT_FALSE(out->IsReadable());
        out->WriteInt32(1);
        char byte;
        EXPECT_THROW_MESSAGE(out->Read(&byte, 1, 1), "File not readable!\n");
    }
    {
        Managed<Stream> more(system->OpenFile("f.bin", FileModeAppend));
        more->WriteText("tail");
    }
    EXPECT_EQ(temp.Read("f.bin"), std::string("\x01\x00\x00\x00tail", 8));

    Managed<Stream> in(system->OpenFile("f.bin", FileModeRead));
    EXPECT_TRUE(in->IsReadable());
    EXPECT_FALSE(in->IsWriteable());
    EXPECT_TRUE(in->IsSeekable());
    EXPECT_THROW_MESSAGE(in->Write("x", 1, 1), "File not writeable");
    EXPECT_EQ(in->Seek(0, 2), 2);
    EXPECT_EQ(in->GetLength(), 8);
    EXPECT_EQ(in->GetPosition(), 2);  // the length leaves the position alone
    EXPECT_EQ(in->Seek(1, 2), 4);
    EXPECT_EQ(in->Seek(7, 0), 4);  // an unknown origin does not move
    EXPECT_EQ(in->Seek(2, -1), 7);
    char last = 0;
    EXPECT_EQ(in->Read(&last, 1, 1), 1);
    EXPECT_EQ(last, 'l');
    EXPECT_EQ(in->Read(&last, 1, 1), 0);
    // Files count whole items: 8 bytes are two items of 4, not three.
    in->Seek(0, 0);
    char items[12];
    EXPECT_EQ(in->Read(items, 4, 3), 2);

    // Truncating an existing file.
    Managed<Stream>(system->OpenFile("f.bin", FileModeWrite));
    EXPECT_EQ(temp.Read("f.bin"), "");
}

TEST(NativeFileSystem, MoveFileReplacesTheTarget)
{
    Testing::TempFolder temp;
    temp.Write("data/syncdata.bin", "old");
    temp.Write("data/syncdata.tmp", "new");
    temp.MakeFolder("data/folder");
    Managed<NativeFileSystem> system(NativeFileSystem::Create(temp.Path().c_str()));
    EXPECT_TRUE(system->CanMoveFiles());

    system->MoveFile("data/syncdata.tmp", "data/syncdata.bin");
    EXPECT_EQ(temp.Read("data/syncdata.bin"), "new");
    EXPECT_FALSE(temp.Exists("data/syncdata.tmp"));

    String root = system->GetRoot();
    EXPECT_THROW_MESSAGE(system->MoveFile("data/missing", "data/x"),
                         ("Could not move file " + root + "data/missing to " + root +
                          "data/x: No such file or directory")
                             .CStr());
    EXPECT_THROW_MESSAGE(system->MoveFile("data/folder", "data/moved"),
                         ("Could not move file " + root + "data/folder to " + root + "data/moved: it is a folder")
                             .CStr());
    EXPECT_TRUE(temp.Exists("data/folder"));
}

// Notes each flush, with what the target of the move holds at that moment, and makes it.
class FlushLog : public NativeFileSystemPosix {
public:
    FlushLog(const Testing::TempFolder& temp, std::string target)
        : NativeFileSystemPosix(temp.Path().c_str()), temp(temp), target(std::move(target))
    {
    }
    void Flush(const String& nativePath) { SyncFile(nativePath); }
    std::vector<std::string> calls;

protected:
    void SyncFile(const String& nativePath) override
    {
        NativeFileSystemPosix::SyncFile(nativePath);
        Note("file", nativePath);
    }
    void SyncFolderOf(const String& nativePath) override
    {
        NativeFileSystemPosix::SyncFolderOf(nativePath);
        Note("folder of", nativePath);
    }

private:
    void Note(const char* what, const String& nativePath)
    {
        std::string path = nativePath.CStr();
        path = path.substr(GetRoot().Length());
        calls.push_back(std::string(what) + " " + path + ", target " + (temp.Exists(target) ? temp.Read(target) : "-"));
    }
    const Testing::TempFolder& temp;
    std::string target;
};

TEST(NativeFileSystem, MoveFileFlushesTheFileBeforeAndTheFoldersAroundTheRename)
{
    Testing::TempFolder temp;
    temp.Write("data/syncdata.bin", "old");
    temp.Write("data/syncdata.tmp", "new");
    Managed<FlushLog> system(new FlushLog(temp, "data/syncdata.bin"));
    system->MoveFile("data/syncdata.tmp", "data/syncdata.bin");
    EXPECT_EQ(system->calls, (std::vector<std::string>{"file data/syncdata.tmp, target old",
                                                       "folder of data/syncdata.tmp, target old",
                                                       "folder of data/syncdata.bin, target new"}));
    EXPECT_EQ(temp.Read("data/syncdata.bin"), "new");

    // A failed rename flushes nothing after it.
    system->calls.clear();
    EXPECT_THROW(system->MoveFile("data/missing", "data/syncdata.bin"), Exception);
    EXPECT_EQ(system->calls, std::vector<std::string>{});

    String missing = system->GetRoot() + "data/missing";
    EXPECT_THROW_MESSAGE(system->Flush(missing), ("Could not flush " + missing + " to the disk: No such file or directory").CStr());
}

TEST(NativeFileSystem, DeleteFileRemovesFilesOnly)
{
    Testing::TempFolder temp;
    temp.Write("data/a.tmp", "a");
    temp.MakeFolder("data/folder");
    Managed<NativeFileSystem> system(NativeFileSystem::Create(temp.Path().c_str()));
    EXPECT_TRUE(system->CanDeleteFiles());
    system->DeleteFile("data/a.tmp");
    EXPECT_FALSE(temp.Exists("data/a.tmp"));

    String root = system->GetRoot();
    EXPECT_THROW_MESSAGE(system->DeleteFile("data/a.tmp"),
                         ("Could not delete file " + root + "data/a.tmp: No such file or directory").CStr());
    EXPECT_THROW_MESSAGE(system->DeleteFile("data/folder"),
                         ("Could not delete file " + root + "data/folder: it is a folder").CStr());
    EXPECT_TRUE(temp.Exists("data/folder"));
}

TEST(NativeFileSystem, OtherEditingOperationsAreNotImplemented)
{
    Managed<NativeFileSystem> system(NativeFileSystem::Create("."));
    EXPECT_THROW_MESSAGE(system->CreateDirectory("a"), "FileSystem can not create directories. (NOT IMPLEMENTED!)");
    EXPECT_THROW_MESSAGE(system->DeleteDirectory("a"), "FileSystem can not delete directories. (NOT IMPLEMENTED!)");
    EXPECT_THROW_MESSAGE(system->MoveDirectory("a", "b"), "FileSystem can not move directories. (NOT IMPLEMENTED!)");
    EXPECT_FALSE(system->CanCreateDirectories() || system->CanDeleteDirectories() || system->CanMoveDirectories());
}

TEST(NativeFileSystem, ListsEveryEntryWithDotsAttributesAndTimes)
{
    Testing::TempFolder temp;
    temp.Write("maps/tree.png", "png");
    temp.Write("maps/locked.txt", "ro");
    temp.MakeFolder("maps/sub");
    namespace fs = std::filesystem;
    fs::permissions(temp / "maps/locked.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // 1970-01-01 00:00:01.5 UTC
    const std::chrono::sys_time<std::chrono::milliseconds> written{std::chrono::milliseconds(1500)};
    fs::last_write_time(temp / "maps/tree.png", std::chrono::file_clock::from_sys(written));

    Managed<NativeFileSystem> system(NativeFileSystem::Create(temp.Path().c_str()));
    for (const char* folder : {"maps", "maps/"}) {
        auto entries = List(*system, folder);
        ASSERT_EQ(entries.size(), 5u) << folder;
        EXPECT_TRUE(entries.at("maps/.").directory);
        EXPECT_TRUE(entries.at("maps/..").directory);
        EXPECT_TRUE(entries.at("maps/sub").directory);
        EXPECT_FALSE(entries.at("maps/tree.png").directory);
        EXPECT_FALSE(entries.at("maps/tree.png").readOnly);
        EXPECT_TRUE(entries.at("maps/locked.txt").readOnly);
        EXPECT_EQ(entries.at("maps/tree.png").lastWrite, 116444736000000000u + 15000000u);
    }

    // The root's own listing: paths without a folder in front.
    Managed<NativeFileSystem> maps(NativeFileSystem::Create((temp / "maps").c_str()));
    auto top = List(*maps, "");
    EXPECT_EQ(top.size(), 5u);
    EXPECT_EQ(top.count("tree.png"), 1u);

    EXPECT_TRUE(List(*system, "no/such/folder").empty());
    EXPECT_TRUE(List(*system, "maps/tree.png").empty());
}

TEST(FileInfo, NameExtensionAndFolderComeFromThePath)
{
    struct Case {
        const char* path;
        const char* name;
        const char* extension;
        const char* folder;
    };
    for (const Case& c : {
             Case{"a/b.c", "b.c", ".c", "a/"},
             Case{"a.b/c", "c", "", "a.b/"},
             Case{"name", "name", "", ""},
             Case{"archive.tar.gz", "archive.tar.gz", ".gz", ""},
             Case{".hidden", ".hidden", "", ""},
             Case{"a/.c", ".c", ".c", "a/"},
             Case{"x/y/z/", "z/", "", "x/y/"},
             Case{"/", "/", "", ""},
             Case{"", "", "", ""},
         }) {
        FixedPathInfo info(c.path);
        EXPECT_STREQ(info.GetName().CStr(), c.name) << c.path;
        EXPECT_STREQ(info.GetExtension().CStr(), c.extension) << c.path;
        EXPECT_STREQ(info.GetFolder().CStr(), c.folder) << c.path;
    }
}

}  // namespace native_file_system_test
