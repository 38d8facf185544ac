// GL vertex and index buffers and input layouts on a real context under Xvfb: uploads read
// back through a mapping, lock errors and their exact messages, re-specified sizes and the
// destruction of a locked buffer.
#include "graphics/gl/GLBuffer.h"

#include "core/Managed.h"
#include "support/Expect.h"
#include "support/GLTestDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

namespace gl_buffer_test {

using namespace Nimbrel;
using namespace Nimbrel::Graphics;
using Testing::GLTestDevice;

class GLBufferTest : public ::testing::Test {
protected:
    std::vector<unsigned char> ReadBack(Buffer* buffer)
    {
        std::vector<unsigned char> bytes(buffer->GetSize());
        const void* mapped = buffer->Lock(LockRead, 0, buffer->GetSize());
        std::memcpy(bytes.data(), mapped, bytes.size());
        buffer->Unlock();
        return bytes;
    }

    GLTestDevice device{16, 16};
};

TEST_F(GLBufferTest, SetDataFillsTheWholeBufferOrAnInnerRange)
{
    Managed<VertexBuffer> buffer(device->CreateVertexBuffer(BufferModeDynamic, 64, 16));
    EXPECT_EQ(buffer->GetSize(), 64);
    EXPECT_EQ(buffer->GetStride(), 16);
    std::vector<unsigned char> whole(64);
    std::iota(whole.begin(), whole.end(), 0);
    buffer->SetData(whole.data(), 0, 0);  // size 0: the whole buffer
    EXPECT_EQ(ReadBack(buffer.Get()), whole);

    const std::vector<unsigned char> patch(32, 0xee);
    buffer->SetData(patch.data(), 16, 32);
    std::vector<unsigned char> expected = whole;
    std::fill(expected.begin() + 16, expected.begin() + 48, 0xee);
    EXPECT_EQ(ReadBack(buffer.Get()), expected);

    // A write through a mapping reaches the store at the offset asked for.
    auto* mapped = static_cast<unsigned char*>(buffer->Lock(LockReadWrite, 60, 4));
    mapped[0] = 0x5a;
    buffer->Unlock();
    EXPECT_EQ(ReadBack(buffer.Get())[60], 0x5a);
}

TEST_F(GLBufferTest, ReSpecifyingTheStoreRecordsItsRealSize)
{
    Managed<IndexBuffer> buffer(device->CreateIndexBuffer(BufferModeStatic, 8, 2));
    const uint16_t indices[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    buffer->SetData(indices, 0, sizeof indices);
    EXPECT_EQ(buffer->GetSize(), 16);
    EXPECT_EQ(ReadBack(buffer.Get()).size(), 16u);
    EXPECT_EQ(ReadBack(buffer.Get())[14], 8);
}

TEST_F(GLBufferTest, RangesOutsideTheBufferAreRefused)
{
    Managed<VertexBuffer> buffer(device->CreateVertexBuffer(BufferModeStatic, 32, 4));
    const unsigned char bytes[32] = {};
    EXPECT_THROW_MESSAGE(buffer->SetData(bytes, 16, 32), "Buffer::SetData(): Range outside the buffer");
    EXPECT_THROW_MESSAGE(buffer->SetData(bytes, -4, 4), "Buffer::SetData(): Negative offset or size");
    EXPECT_THROW_MESSAGE(buffer->Lock(LockRead, 33, 1), "Buffer::Lock(): Offset outside the buffer");
    EXPECT_EQ(buffer->GetSize(), 32);
}

TEST_F(GLBufferTest, LockErrorsKeepTheLockStateAndTheirExactMessages)
{
    Managed<VertexBuffer> buffer(device->CreateVertexBuffer(BufferModeVolatile, 16, 4));
    for (int mode : {0, 4, -1})
        EXPECT_THROW_MESSAGE(buffer->Lock(static_cast<LockMode>(mode), 0, 16),
                             "Invalid lock operation. Buffer can not be locked with read-only and write-only at the same time");
    buffer->Lock(LockWrite, 0, 16);
    EXPECT_THROW_MESSAGE(buffer->Lock(LockWrite, 0, 16), "Buffer allready locked");
    buffer->Unlock();
    buffer->Unlock();  // not locked: no error
    buffer->Lock(LockRead, 0, 16);
    buffer->Unlock();

    EXPECT_THROW_MESSAGE(device->CreateVertexBuffer(static_cast<BufferMode>(3), 16, 4), "Buffer mode enum not recognized");
    EXPECT_THROW_MESSAGE(device->CreateIndexBuffer(static_cast<BufferMode>(-1), 16, 2), "Buffer mode enum not recognized");
}

TEST_F(GLBufferTest, ALockedBufferIsUnmappedWhenDestroyed)
{
    VertexBuffer* buffer = device->CreateVertexBuffer(BufferModeStatic, 16, 4);
    buffer->Lock(LockWrite, 0, 16);
    EXPECT_NO_THROW(buffer->Release());
    // The context is left in order: a new buffer maps normally.
    Managed<VertexBuffer> next(device->CreateVertexBuffer(BufferModeStatic, 16, 4));
    EXPECT_NE(next->Lock(LockWrite, 0, 16), nullptr);
    next->Unlock();
    EXPECT_EQ(device.GL().GetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GLBufferTest, IndexSizeTwoIsSixteenBitAndAnythingElseThirtyTwo)
{
    struct Case {
        int asked;
        int size;
    };
    for (const Case& c : {Case{2, 2}, Case{1, 4}, Case{4, 4}, Case{0, 4}}) {
        Managed<IndexBuffer> buffer(device->CreateIndexBuffer(BufferModeStatic, 16, c.asked));
        EXPECT_EQ(buffer->GetIndexSize(), c.size) << c.asked;
    }
}

TEST_F(GLBufferTest, InputLayoutsCopyTheirElementsAndRefuseBadOnes)
{
    InputElement elements[2];
    elements[0] = {0, 0, 3, 0, DataTypeFloat, 0};
    elements[1] = {3, 1, 4, 12, DataTypeUnsignedByte, 1};
    Managed<InputLayout> layout(device->CreateInputLayout(elements, 2));
    InputElement out[2] = {};
    EXPECT_EQ(layout->GetElements(1, out), 1);
    EXPECT_EQ(out[0].components, 3);
    EXPECT_EQ(out[1].components, 0);
    EXPECT_EQ(layout->GetElements(8, out), 2);
    EXPECT_EQ(out[1].offset, 12);
    EXPECT_EQ(out[1].normalized, 1);
    EXPECT_EQ(layout->GetElements(0, nullptr), 0);

    elements[1].type = 5;
    EXPECT_THROW_MESSAGE(device->CreateInputLayout(elements, 2), "Invalid data type enum");
    elements[1].type = DataTypeFloat;
    elements[1].semantic = 16;
    EXPECT_THROW_MESSAGE(device->CreateInputLayout(elements, 2), "CreateInputLayout(): Semantic index out of range");
    InputElement many[17] = {};
    for (InputElement& e : many)
        e.components = 1;
    EXPECT_THROW_MESSAGE(device->CreateInputLayout(many, 17), "CreateInputLayout(): An input layout holds 0 to 16 elements");
}

TEST_F(GLBufferTest, VertexColoursReachTheScreenThroughANormalizedByteElement)
{
    struct Vertex {
        float x, y;
        unsigned char r, g, b, a;
    };
    const Vertex vertices[6] = {{-1, -1, 0, 255, 0, 255}, {1, -1, 0, 255, 0, 255}, {1, 1, 0, 255, 0, 255},
                                {-1, -1, 0, 255, 0, 255}, {1, 1, 0, 255, 0, 255},  {-1, 1, 0, 255, 0, 255}};
    Managed<VertexBuffer> buffer(device->CreateVertexBuffer(BufferModeStatic, sizeof vertices, sizeof(Vertex)));
    buffer->SetData(vertices, 0, 0);
    const InputElement elements[2] = {{0, 0, 2, 0, DataTypeFloat, 0}, {3, 0, 4, 8, DataTypeUnsignedByte, 1}};
    Managed<InputLayout> layout(device->CreateInputLayout(elements, 2));
    Managed<Program> program(Testing::MakeColorProgram(device.device.Get(), true));
    device->SetVertexBuffer(0, buffer.Get());
    device->SetInputLayout(layout.Get());
    device->SetProgram(program.Get());
    device->Clear(ClearColor | ClearDepth, 0, 0, 0, 1, 1, 0);
    device->Draw(0, 6);
    EXPECT_EQ(device.ReadPixel(8, 8), 0x00ff00ffu);
}

}  // namespace gl_buffer_test
