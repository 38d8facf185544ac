#include "support/MemoryFileSystem.h"

#include "core/Exception.h"
#include "io/FileInfo.h"
#include "io/Stream.h"

#include <algorithm>
#include <cstring>

namespace Nimbrel::Testing {

class MemoryFileSystem::File : public IO::Stream {
public:
    File(MemoryFileSystem* owner, std::shared_ptr<Bytes> bytes, bool writing)
        : owner(owner), bytes(std::move(bytes)), writing(writing)
    {
    }

    bool IsReadable() const override { return !writing; }
    bool IsWriteable() const override { return writing; }
    bool IsSeekable() const override { return true; }
    int GetLength() const override { return static_cast<int>(bytes->size()); }
    int GetPosition() const override { return position; }

    int Read(void* data, int size, int count) override
    {
        if (writing)
            throw Exception("File not readable!\n");
        int64_t n = std::min<int64_t>(std::max<int64_t>(0, int64_t(size) * count), GetLength() - position);
        if (n <= 0)
            return 0;
        std::memcpy(data, bytes->data() + position, static_cast<size_t>(n));
        if (owner->garbleReads)
            static_cast<uint8_t*>(data)[0] ^= 0xFF;
        position += static_cast<int>(n);
        return static_cast<int>(n);
    }
    int Write(const void* data, int size, int count) override
    {
        if (!writing)
            throw Exception("File not writeable");
        int64_t n = std::max<int64_t>(0, int64_t(size) * count);
        if (owner->writeLimit >= 0) {
            n = std::min(n, owner->writeLimit);
            owner->writeLimit -= n;
        }
        if (n == 0)
            return 0;
        const uint8_t* source = static_cast<const uint8_t*>(data);
        bytes->insert(bytes->end(), source, source + n);
        position += static_cast<int>(n);
        return static_cast<int>(n);
    }
    int Seek(int origin, int offset) override
    {
        int64_t base = origin == 0 ? 0 : origin == 1 ? position : GetLength();
        position = static_cast<int>(std::clamp<int64_t>(base + offset, 0, GetLength()));
        return position;
    }

private:
    MemoryFileSystem* owner;
    std::shared_ptr<Bytes> bytes;
    bool writing;
    int position = 0;
};

IO::Stream* MemoryFileSystem::OpenFile(const String& path, IO::FileMode mode)
{
    std::string name = path.CStr();
    if (mode == IO::FileModeRead) {
        operations.push_back("open r " + name);
        auto found = files.find(name);
        if (found == files.end())
            throw Exception("File not found: " + path);
        return new File(this, found->second, false);
    }
    operations.push_back("open w " + name);
    auto& bytes = files[name];
    bytes = std::make_shared<Bytes>();
    return new File(this, bytes, true);
}

void MemoryFileSystem::MoveFile(const String& from, const String& to)
{
    operations.push_back(std::string("move ") + from.CStr() + " -> " + to.CStr());
    if (failMoves || movesLeft == 0)
        throw Exception("MemoryFileSystem: move failed");
    if (movesLeft > 0)
        --movesLeft;
    auto found = files.find(from.CStr());
    if (found == files.end())
        throw Exception("MemoryFileSystem: no file " + from);
    files[to.CStr()] = found->second;
    files.erase(found);
}

void MemoryFileSystem::DeleteFile(const String& path)
{
    operations.push_back(std::string("delete ") + path.CStr());
    if (files.erase(path.CStr()) == 0)
        throw Exception("MemoryFileSystem: no file " + path);
}

MemoryFileSystem::Bytes& MemoryFileSystem::operator[](const std::string& path)
{
    auto& bytes = files[path];
    if (!bytes)
        bytes = std::make_shared<Bytes>();
    return *bytes;
}

namespace memory_file_system_detail {

class MemoryFileInfo : public IO::FileInfo {
public:
    MemoryFileInfo(const std::string& path, uint64_t writeTime) : path(path.c_str()), writeTime(writeTime) {}
    bool IsReadOnly() const override { return false; }
    bool IsDirectory() const override { return false; }
    String GetPath() const override { return path; }
    uint64_t GetCreationTime() const override { return 0; }
    uint64_t GetLastAccessTime() const override { return 0; }
    uint64_t GetLastWriteTime() const override { return writeTime; }

private:
    String path;
    uint64_t writeTime;
};

}  // namespace memory_file_system_detail

void MemoryFileSystem::GetFiles(const String& folder, Array<IO::FileInfo*>& listing)
{
    std::string prefix = folder.CStr();
    if (!prefix.empty() && prefix.back() != '/')
        prefix += '/';
    for (const auto& file : files) {
        const std::string& path = file.first;
        if (path.compare(0, prefix.size(), prefix) != 0 || path.find('/', prefix.size()) != std::string::npos)
            continue;
        auto time = writeTimes.find(path);
        listing.Add(new memory_file_system_detail::MemoryFileInfo(path, time == writeTimes.end() ? 0 : time->second));
    }
}

}  // namespace Nimbrel::Testing
