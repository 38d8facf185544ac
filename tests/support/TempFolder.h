#pragma once
// A folder of its own under the system's temporary folder for one test, removed with
// everything in it when the test ends. Paths given to Write and Read are relative to it;
// Write creates the folders a path needs.

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, without a trailing '/'.
    const std::string& Path() const { return path; }
    std::string operator/(const std::string& relative) const { return path + "/" + relative; }

    void Write(const std::string& relative, const std::string& bytes) const;
    void Write(const std::string& relative, const std::vector<uint8_t>& bytes) const
    {
        Write(relative, std::string(bytes.begin(), bytes.end()));
    }
    void MakeFolder(const std::string& relative) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;

private:
    std::string path;
};

}  // namespace Nimbrel::Testing
