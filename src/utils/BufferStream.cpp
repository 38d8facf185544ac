#include "utils/BufferStream.h"

#include <algorithm>
#include <cstring>

namespace Nimbrel::Utils {

BufferStream::BufferStream(IO::Buffer* buffer)
{
    if (!buffer)
        throw Exception("BufferStream: No buffer given");
    buffer->AddRef();
    this->buffer.Set(buffer);
}

int BufferStream::Read(void* data, int size, int count)
{
    int64_t wanted = static_cast<int64_t>(size) * count;
    int64_t left = static_cast<int64_t>(buffer->GetSize()) - position;
    int bytes = static_cast<int>(std::clamp<int64_t>(wanted, 0, left));
    if (bytes == 0)
        return 0;
    std::memcpy(data, buffer->Data() + position, static_cast<size_t>(bytes));
    position += bytes;
    return bytes;
}

int BufferStream::Seek(int origin, int offset)
{
    int64_t target = position;
    if (origin == 0)
        target = offset;
    else if (origin == 1)
        target = static_cast<int64_t>(position) + offset;
    else if (origin == 2)
        target = static_cast<int64_t>(buffer->GetSize()) + offset;
    position = static_cast<int32_t>(std::clamp<int64_t>(target, 0, buffer->GetSize()));
    return position;
}

}  // namespace Nimbrel::Utils
