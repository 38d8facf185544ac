#pragma once
// A folder of its own under the system's temporary folder for one test, removed with
// everything in it when the test ends. Paths given to Write and Read are relative to it;
// Write creates the folders a path needs.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "nimbrel-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("TempFolder: mkdtemp failed");
        path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, without a trailing '/'.
    const std::string& Path() const { return path; }
    std::string operator/(const std::string& relative) const { return path + "/" + relative; }

    void Write(const std::string& relative, const std::string& bytes) const
    {
        std::filesystem::path file = *this / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }
    void Write(const std::string& relative, const std::vector<uint8_t>& bytes) const
    {
        Write(relative, std::string(bytes.begin(), bytes.end()));
    }
    void MakeFolder(const std::string& relative) const { std::filesystem::create_directories(*this / relative); }
    std::string Read(const std::string& relative) const
    {
        std::ifstream file(*this / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    bool Exists(const std::string& relative) const { return std::filesystem::exists(*this / relative); }

private:
    std::string path;
};

}  // namespace Nimbrel::Testing
