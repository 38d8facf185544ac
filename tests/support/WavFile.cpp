#include "support/WavFile.h"

#include "io/ByteWriter.h"

namespace Nimbrel::Testing {

std::vector<uint8_t> Wav::Build() const
{
    IO::ByteWriter out;
    auto chunk = [&](const std::string& id, size_t size) {
        out.Bytes(id.data(), 4);
        out.U32(static_cast<uint32_t>(size));
    };
    auto padded = [&](const std::vector<uint8_t>& bytes) {
        out.Bytes(bytes.data(), bytes.size());
        if (bytes.size() % 2)
            out.U8(0);
    };
    const uint16_t align = static_cast<uint16_t>(blockAlign >= 0 ? blockAlign : channels * bits / 8);
    chunk("RIFF", 0);
    out.Bytes("WAVE", 4);
    chunk("fmt ", 16 + formatExtra.size());
    out.U16(tag);
    out.U16(channels);
    out.U32(rate);
    out.U32(static_cast<uint32_t>(byteRate >= 0 ? byteRate : rate * align));
    out.U16(align);
    out.U16(bits);
    padded(formatExtra);
    for (const auto& [id, payload] : chunksBeforeData) {
        chunk(id, payload.size());
        padded(payload);
    }
    if (withData) {
        chunk("data", dataSize >= 0 ? static_cast<size_t>(dataSize) : data.size());
        out.Bytes(data.data(), data.size());
    }
    out.U32At(4, static_cast<uint32_t>(riffSize >= 0 ? riffSize : static_cast<int64_t>(out.Size()) - 8));
    return std::vector<uint8_t>(out.Data(), out.Data() + out.Size());
}

}  // namespace Nimbrel::Testing
