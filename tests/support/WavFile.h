#pragma once
// RIFF WAVE files written by tests, field by field: sizes are computed unless a test overrides
// them to make a broken file.

#include <cstdint>
#include <cstring>
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

    std::vector<uint8_t> Build() const
    {
        std::vector<uint8_t> out;
        auto text = [&](const std::string& s) { out.insert(out.end(), s.begin(), s.begin() + 4); };
        auto u32 = [&](uint32_t v) {
            for (int i = 0; i < 4; ++i)
                out.push_back(static_cast<uint8_t>(v >> (8 * i)));
        };
        auto u16 = [&](uint16_t v) {
            out.push_back(static_cast<uint8_t>(v));
            out.push_back(static_cast<uint8_t>(v >> 8));
        };
        const uint16_t align = static_cast<uint16_t>(blockAlign >= 0 ? blockAlign : channels * bits / 8);
        text("RIFF");
        u32(0);
        text("WAVE");
        text("fmt ");
        u32(static_cast<uint32_t>(16 + formatExtra.size()));
        u16(tag);
        u16(channels);
        u32(rate);
        u32(static_cast<uint32_t>(byteRate >= 0 ? byteRate : rate * align));
        u16(align);
        u16(bits);
        out.insert(out.end(), formatExtra.begin(), formatExtra.end());
        if (formatExtra.size() % 2)
            out.push_back(0);
        for (const auto& [id, payload] : chunksBeforeData) {
            text(id);
            u32(static_cast<uint32_t>(payload.size()));
            out.insert(out.end(), payload.begin(), payload.end());
            if (payload.size() % 2)
                out.push_back(0);
        }
        if (withData) {
            text("data");
            u32(static_cast<uint32_t>(dataSize >= 0 ? dataSize : data.size()));
            out.insert(out.end(), data.begin(), data.end());
        }
        const uint32_t riff = static_cast<uint32_t>(riffSize >= 0 ? riffSize : out.size() - 8);
        std::memcpy(out.data() + 4, &riff, 4);
        return out;
    }
};

}  // namespace Nimbrel::Testing
