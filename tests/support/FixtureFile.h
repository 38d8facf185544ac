#pragma once
// Files kept in the source tree under tests/fixtures, for the cases whose input is best kept
// as it was found (the fuzz targets' findings in fixtures/fuzz/<target>/) rather than built.

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

// The bytes of tests/fixtures/<relative>; throws std::runtime_error when it cannot be read.
std::vector<uint8_t> ReadFixture(const std::string& relative);

}  // namespace Nimbrel::Testing
