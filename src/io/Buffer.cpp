#include "io/Buffer.h"

#include "core/Exception.h"

#include <cinttypes>
#include <new>

namespace Nimbrel::IO {

namespace buffer_detail {

uint8_t* Allocate(int64_t size)
{
    if (size < 0)
        throw Exception(String::Format("Buffer: Invalid size %" PRId64, size));
    if (size > INT32_MAX)
        throw Exception(String::Format("Buffer: Size %" PRId64 " is larger than a buffer can hold (%d bytes)",
                                       size, INT32_MAX));
    auto* data = new (std::nothrow) uint8_t[static_cast<size_t>(size)];
    if (!data)
        throw Exception(String::Format("Buffer: Unable to allocate %" PRId64 " bytes", size));
    return data;
}

}  // namespace buffer_detail

Buffer::Buffer(int64_t size) : data(buffer_detail::Allocate(size)), size(static_cast<int32_t>(size)) {}

Buffer::~Buffer()
{
    delete[] data;
}

}  // namespace Nimbrel::IO
