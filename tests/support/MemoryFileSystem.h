#pragma once
// A file system in memory, for tests of code that saves and loads files. Files are byte
// vectors by path. A file opened for writing is created (or emptied) at once and written
// through, so a test sees exactly what reached "disk", including a half-written file.
// Knobs imitate a failing disk: `writeLimit` is the number of bytes all further writes accept
// in total (-1 for no limit), `failMoves` makes MoveFile throw (`movesLeft` lets that many
// moves through first), `garbleReads` flips the first byte of what every read returns. `operations` logs every OpenFile, MoveFile and DeleteFile
// ("open r syncdata.bin", "open w x.tmp", "move a -> b", "delete x.tmp").
// GetFiles lists nothing but files, with the write times a test gives them.

#include "io/FileSystem.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

class MemoryFileSystem : public IO::FileSystem {
public:
    using Bytes = std::vector<uint8_t>;

    IO::Stream* OpenFile(const String& path, IO::FileMode mode) override;
    // Lists the files directly in the folder ("" for the top), each with its time from
    // `writeTimes` (0 when it has none).
    void GetFiles(const String& folder, Array<IO::FileInfo*>& listing) override;
    void MoveFile(const String& from, const String& to) override;
    bool CanMoveFiles() const override { return true; }
    void DeleteFile(const String& path) override;
    bool CanDeleteFiles() const override { return true; }

    bool Has(const std::string& path) const { return files.count(path) != 0; }
    // The bytes of a file, made empty when there is none.
    Bytes& operator[](const std::string& path);

    int64_t writeLimit = -1;
    bool failMoves = false;
    // MoveFile calls that still succeed before every further one throws; -1 for no limit.
    int movesLeft = -1;
    bool garbleReads = false;
    std::vector<std::string> operations;
    // The last write time GetFiles reports per path; tests set it when they change a file.
    std::map<std::string, uint64_t> writeTimes;

private:
    class File;

    std::map<std::string, std::shared_ptr<Bytes>> files;
};

}  // namespace Nimbrel::Testing
