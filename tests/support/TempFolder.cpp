#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace Nimbrel::Testing {

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "nimbrel-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("TempFolder: mkdtemp failed");
    path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path, ignored);
}

void TempFolder::Write(const std::string& relative, const std::string& bytes) const
{
    std::filesystem::path file = *this / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

void TempFolder::MakeFolder(const std::string& relative) const
{
    std::filesystem::create_directories(*this / relative);
}

std::string TempFolder::Read(const std::string& relative) const
{
    std::ifstream file(*this / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool TempFolder::Exists(const std::string& relative) const
{
    return std::filesystem::exists(*this / relative);
}

}  // namespace Nimbrel::Testing
