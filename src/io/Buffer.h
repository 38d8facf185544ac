#pragma once
// IO::Buffer: a block of memory of a fixed size, the form in which loaders get whole files.
//
// The bytes start uninitialised. Sizes are limited to what a signed 32-bit count can hold;
// a negative or larger size, or one the system cannot provide, throws instead of allocating.

#include "core/Object.h"

#include <cstdint>

namespace Nimbrel::IO {

class Buffer : public Object {
public:
    // Takes a 64-bit size so that sizes from wider sources are checked, not truncated.
    explicit Buffer(int64_t size);
    ~Buffer() override;
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    uint8_t* Data() { return data; }
    const uint8_t* Data() const { return data; }
    int GetSize() const { return size; }

private:
    uint8_t* data;
    int32_t size;
};

}  // namespace Nimbrel::IO
