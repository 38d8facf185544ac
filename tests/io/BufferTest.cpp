#include "io/Buffer.h"
#include "support/Expect.h"

#include <cstring>

using namespace Nimbrel;

TEST(Buffer, HoldsTheRequestedNumberOfBytes)
{
    for (int size : {0, 1, 4096}) {
        IO::Buffer buffer(size);
        EXPECT_EQ(buffer.GetSize(), size);
        std::memset(buffer.Data(), 0xAB, static_cast<size_t>(size));  // the sanitizer checks the extent
    }
}

TEST(Buffer, RefusesSizesItCannotHold)
{
    EXPECT_THROW_MESSAGE(IO::Buffer(-1), "Buffer: Invalid size -1");
    EXPECT_THROW_MESSAGE(IO::Buffer(INT64_MIN), "Buffer: Invalid size -9223372036854775808");
    EXPECT_THROW_MESSAGE(IO::Buffer(int64_t{1} << 31),
                         "Buffer: Size 2147483648 is larger than a buffer can hold (2147483647 bytes)");
    // A 64-bit size from a file header must not be truncated into a small, wrong buffer.
    EXPECT_THROW_MESSAGE(IO::Buffer((int64_t{1} << 32) + 16),
                         "Buffer: Size 4294967312 is larger than a buffer can hold (2147483647 bytes)");
}
