#pragma once
// Builds NGM files byte by byte, independently of the engine's writer, so reader tests can
// state a file field by field and spoil any field. Every field's end is remembered (a
// truncation point), and int32 fields given a name can be overwritten later.
//
//     NgmBytes file;
//     file.Magic("NGM100").Int("vertices", 3).Int("attributes", 1).Word("POSITION")
//         .Int("components", 3).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0})
//         .Word("triangles").Int("indices", 3).UInt32s({0, 1, 2});

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

class NgmBytes {
public:
    NgmBytes& Magic(const std::string& magic)
    {
        Append(magic.data(), magic.size());
        return End();
    }
    // An int32 field; named ones can be patched with Set.
    NgmBytes& Int(const std::string& name, int32_t value)
    {
        fields[name] = bytes.size();
        return Int(value);
    }
    NgmBytes& Int(int32_t value)
    {
        uint32_t bits = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(bits >> (8 * i)));
        return End();
    }
    NgmBytes& Float(float value)
    {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        return Int(static_cast<int32_t>(bits));
    }
    // A string: its 32-bit length, then its bytes.
    NgmBytes& Word(const std::string& word)
    {
        Int(static_cast<int32_t>(word.size()));
        Append(word.data(), word.size());
        return End();
    }
    NgmBytes& Floats(std::initializer_list<float> values)
    {
        for (float value : values)
            Float(value);
        return *this;
    }
    NgmBytes& UInt32s(std::initializer_list<uint32_t> values)
    {
        for (uint32_t value : values)
            Int(static_cast<int32_t>(value));
        return *this;
    }
    NgmBytes& UInt16s(std::initializer_list<uint16_t> values)
    {
        for (uint16_t value : values) {
            bytes.push_back(static_cast<uint8_t>(value));
            bytes.push_back(static_cast<uint8_t>(value >> 8));
            End();
        }
        return *this;
    }
    NgmBytes& UInt8s(std::initializer_list<uint8_t> values)
    {
        for (uint8_t value : values) {
            bytes.push_back(value);
            End();
        }
        return *this;
    }

    // Overwrites the named int32 field.
    NgmBytes& Set(const std::string& name, int32_t value)
    {
        size_t at = fields.at(name);
        uint32_t bits = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(bits >> (8 * i));
        return *this;
    }

    std::vector<uint8_t> bytes;
    std::map<std::string, size_t> fields;
    // The length of the file after each field, in order.
    std::vector<size_t> fieldEnds;

private:
    void Append(const char* data, size_t size) { bytes.insert(bytes.end(), data, data + size); }
    NgmBytes& End()
    {
        fieldEnds.push_back(bytes.size());
        return *this;
    }
};

}  // namespace Nimbrel::Testing
