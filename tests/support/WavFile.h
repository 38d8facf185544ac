#pragma once
// RIFF WAVE files written by tests, field by field: sizes are computed unless a test overrides
// them to make a broken file.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Nimbrel::Testing {

struct Wav {
    uint16_t tag = 1;
    uint16_t channels = 2;
    uint32_t rate = 44100;
    uint16_t bits = 16;
    int blockAlign = -1;       // -1: channels × bits / 8
    int64_t byteRate = -1;     // -1: rate × block alignment
    std::vector<uint8_t> formatExtra;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> chunksBeforeData;
    std::vector<uint8_t> data;
    int64_t dataSize = -1;     // -1: the size of data
    int64_t riffSize = -1;     // -1: the size of everything after it
    bool withData = true;

    std::vector<uint8_t> Build() const;
};

}  // namespace Nimbrel::Testing
