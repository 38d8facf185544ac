#pragma once
// Writes a frame that a test rendered as a PNG file, so a person can look at what the test
// judged. Pixels are 8-bit RGB, rows from the top.

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

void WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);

}  // namespace Nimbrel::Testing
