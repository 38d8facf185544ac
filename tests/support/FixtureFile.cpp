#include "support/FixtureFile.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace Nimbrel::Testing {

std::vector<uint8_t> ReadFixture(const std::string& relative)
{
    const std::string path = std::string(NIMBREL_TEST_FIXTURES) + "/" + relative;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("Cannot read the fixture " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace Nimbrel::Testing
