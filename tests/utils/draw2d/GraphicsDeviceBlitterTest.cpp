// The blitter over the fake device: the quad pool, vertex and index uploads, pins, font
// tables and the atlas.

#include "utils/draw2d/GraphicsDeviceBlitter.h"

#include "support/AllocationWatch.h"
#include "support/Expect.h"
#include "support/FakeDevice.h"
#include "utils/Bitmap2D.h"
#include "utils/typography/FontFace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Draw2D::GraphicsDeviceBlitter;
using Draw2D::Quad;

namespace graphics_device_blitter_test {

Managed<Bitmap2D> Solid(int width, int height, uint8_t value,
                        Graphics::PixelFormat format = Graphics::PixelFormatR8G8B8A8)
{
    Managed<Bitmap2D> bitmap(new Bitmap2D(width, height, format));
    std::memset(bitmap->GetData(), value, static_cast<size_t>(bitmap->GetDataSize()));
    return bitmap;
}

Quad At(int x, int y, int width = 10, int height = 10, int bitmap = 0)
{
    Quad quad;
    quad.x = int16_t(x);
    quad.y = int16_t(y);
    quad.width = int16_t(width);
    quad.height = int16_t(height);
    quad.clipRight = quad.clipBottom = 1000;
    quad.bitmap = bitmap;
    return quad;
}

class GraphicsDeviceBlitterTest : public ::testing::Test {
protected:
    // The quads the uploaded indices draw, in order.
    std::vector<int> IndexedQuads()
    {
        std::vector<int> quads;
        const auto* indices = reinterpret_cast<const uint32_t*>(IndexBytes().data());
        for (int i = 0; i < blitter->GetIndexCount(); i += 6) {
            const uint32_t base = indices[i];
            EXPECT_EQ(base % 4, 0u);
            const uint32_t expected[6] = {base, base + 1, base + 2, base, base + 2, base + 3};
            EXPECT_TRUE(std::equal(expected, expected + 6, indices + i)) << "quad " << i / 6;
            quads.push_back(int(base / 4));
        }
        return quads;
    }
    const std::vector<uint8_t>& IndexBytes()
    {
        // Draw binds the index buffer, which makes it reachable through the device.
        blitter->Draw();
        return static_cast<Testing::FakeIndexBuffer*>(device->GetIndexBuffer())->bytes;
    }
    void Frame(std::initializer_list<Draw2D::Blitter::Quads*> groups)
    {
        blitter->Begin();
        for (auto* group : groups)
            blitter->DrawQuads(group);
        blitter->End();
    }

    Managed<Testing::FakeDevice> device{new Testing::FakeDevice()};
    Managed<GraphicsDeviceBlitter> blitter{new GraphicsDeviceBlitter(device.Get(), 8)};
};

TEST_F(GraphicsDeviceBlitterTest, TakesTheLowestFreeQuadsAndRefusesPastItsCapacity)
{
    const Quad quads[4] = {At(0, 0), At(1, 0), At(2, 0), At(3, 0)};
    Managed<Draw2D::Blitter::Quads> a(blitter->CreateQuads(3, quads));
    Managed<Draw2D::Blitter::Quads> b(blitter->CreateQuads(2, quads));
    a.Set(nullptr);
    Managed<Draw2D::Blitter::Quads> c(blitter->CreateQuads(4, quads));  // 0, 1, 2 and then 5
    Frame({c.Get(), b.Get()});
    EXPECT_EQ(IndexedQuads(), (std::vector<int>{0, 1, 2, 5, 3, 4}));

    EXPECT_EQ(blitter->GetUsedQuadCount(), 6);
    EXPECT_THROW_MESSAGE(blitter->CreateQuads(3, quads), "Blitter::CreateQuads(): Maximum amount of quads reached");
    EXPECT_EQ(blitter->GetUsedQuadCount(), 6);  // the failed call took nothing
    Managed<Draw2D::Blitter::Quads> d(blitter->CreateQuads(2, quads));
    EXPECT_EQ(blitter->GetUsedQuadCount(), 8);
}

TEST_F(GraphicsDeviceBlitterTest, WritesFourVerticesPerQuadAndUploadsOnlyWhatChanged)
{
    Quad quad = At(10, 20, 30, 40);
    quad.clipLeft = 1;
    quad.clipTop = 2;
    quad.clipRight = 300;
    quad.clipBottom = 400;
    quad.color = Draw2D::PackColor(0x11, 0x22, 0x33, 0x44);
    Managed<Draw2D::Blitter::Quads> first(blitter->CreateQuads(1, &quad));
    Managed<Draw2D::Blitter::Quads> second(blitter->CreateQuads(1, &quad));
    Frame({first.Get(), second.Get()});

    const GraphicsDeviceBlitter::Vertex* v = blitter->GetVertices(0);
    const int corners[4][2] = {{10, 20}, {10, 60}, {40, 60}, {40, 20}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i].x, corners[i][0]) << i;
        EXPECT_EQ(v[i].y, corners[i][1]) << i;
        EXPECT_EQ((std::vector<int>{v[i].clipLeft, v[i].clipTop, v[i].clipRight, v[i].clipBottom}),
                  (std::vector<int>{1, 2, 300, 400}));
        EXPECT_EQ((std::vector<int>{v[i].red, v[i].green, v[i].blue, v[i].alpha}),
                  (std::vector<int>{0x11, 0x22, 0x33, 0x44}));
    }
    // The white pixel's tile: the top-left vertex takes the tile's top-left corner (corner 3).
    Texture2DCollage* atlas = blitter->GetAtlas();
    const int tile = blitter->GetTile(0);
    EXPECT_EQ(v[0].u, int16_t(atlas->GetCorner3(tile).x * 32767));
    EXPECT_EQ(v[0].v, int16_t(atlas->GetCorner3(tile).y * 32767));
    EXPECT_EQ(v[2].u, int16_t(atlas->GetCorner1(tile).x * 32767));
    EXPECT_EQ(v[2].v, int16_t(atlas->GetCorner1(tile).y * 32767));

    // The buffer holds what the array holds (Draw binds it, which makes it reachable).
    blitter->Draw();
    auto* buffer = static_cast<Testing::FakeVertexBuffer*>(device->GetVertexBuffer(0));
    EXPECT_EQ(std::memcmp(buffer->bytes.data(), v, 2 * 4 * sizeof(GraphicsDeviceBlitter::Vertex)), 0);

    // Nothing moved: nothing is uploaded. One quad moved: its 80 bytes.
    uint64_t uploaded = blitter->GetVertexBytesUploaded();
    Frame({first.Get(), second.Get()});
    EXPECT_EQ(blitter->GetVertexBytesUploaded(), uploaded);
    quad.x = 11;
    blitter->SetQuads(second.Get(), 0, 1, &quad);
    Frame({first.Get(), second.Get()});
    EXPECT_EQ(blitter->GetVertexBytesUploaded(), uploaded + 80);
    EXPECT_EQ(std::memcmp(buffer->bytes.data() + 80, blitter->GetVertices(1), 80), 0);

    EXPECT_THROW_MESSAGE(blitter->SetQuads(second.Get(), 1, 1, &quad), "Blitter::SetQuads(): Invalid range");
}

TEST_F(GraphicsDeviceBlitterTest, UploadsIndicesOnlyWhenTheFramesGroupsChange)
{
    const Quad quad = At(0, 0);
    Managed<Draw2D::Blitter::Quads> a(blitter->CreateQuads(1, &quad));
    Managed<Draw2D::Blitter::Quads> b(blitter->CreateQuads(1, &quad));
    const struct {
        const char* frame;
        std::vector<Draw2D::Blitter::Quads*> groups;
        bool uploads;
        std::vector<int> quads;
    } frames[] = {
        {"first", {a.Get(), b.Get()}, true, {0, 1}},
        {"same groups, same order", {a.Get(), b.Get()}, false, {0, 1}},
        {"other order", {b.Get(), a.Get()}, true, {1, 0}},
        {"a group listed twice is drawn once", {b.Get(), a.Get(), b.Get()}, false, {1, 0}},
        {"one group fewer", {a.Get()}, true, {0}},
    };
    for (const auto& f : frames) {
        const uint64_t before = blitter->GetIndexBytesUploaded();
        blitter->Begin();
        for (auto* group : f.groups)
            blitter->DrawQuads(group);
        blitter->End();
        EXPECT_EQ(blitter->GetIndexBytesUploaded() > before, f.uploads) << f.frame;
        EXPECT_EQ(IndexedQuads(), f.quads) << f.frame;
    }

    // A group made where a destroyed one lived is another group, whatever its address.
    a.Set(nullptr);
    Managed<Draw2D::Blitter::Quads> c(blitter->CreateQuads(1, &quad));
    Frame({c.Get()});
    EXPECT_EQ(IndexedQuads(), (std::vector<int>{0}));
    Managed<Draw2D::Blitter::Quads> d(blitter->CreateQuads(1, &quad));
    c.Set(nullptr);
    Managed<Draw2D::Blitter::Quads> e(blitter->CreateQuads(1, &quad));  // quad 0 again
    const uint64_t before = blitter->GetIndexBytesUploaded();
    Frame({e.Get(), d.Get()});
    EXPECT_GT(blitter->GetIndexBytesUploaded(), before);
    EXPECT_EQ(IndexedQuads(), (std::vector<int>{0, 2}));

    // A group destroyed between DrawQuads and End is not drawn.
    blitter->Begin();
    blitter->DrawQuads(d.Get());
    blitter->DrawQuads(e.Get());
    e.Set(nullptr);
    blitter->End();
    EXPECT_EQ(IndexedQuads(), (std::vector<int>{2}));
}

TEST_F(GraphicsDeviceBlitterTest, DrawsOnceAPassHasEndedAndOnlyWhenThereIsSomethingToDraw)
{
    device->log.clear();
    blitter->Draw();
    EXPECT_TRUE(device->log.empty());

    const Quad quads[2] = {At(0, 0), At(20, 0)};
    Managed<Draw2D::Blitter::Quads> group(blitter->CreateQuads(2, quads));
    blitter->Begin();
    EXPECT_THROW_MESSAGE(blitter->Draw(), "GraphicsDeviceBlitter::Draw(): Can not draw between Begin()/End()");
    blitter->DrawQuads(group.Get());
    blitter->End();
    EXPECT_THROW_MESSAGE(blitter->DrawQuads(group.Get()), "Blitter::DrawQuads(): Can not be called outside Begin()/End()");
    device->log.clear();
    device->draws.clear();
    blitter->Draw();
    EXPECT_EQ(device->log, (Testing::CallLog{"SetPrimitiveType", "SetVertexBuffer", "SetIndexBuffer",
                                             "SetInputLayout", "DrawIndexed"}));
    ASSERT_EQ(device->draws.size(), 1u);
    EXPECT_TRUE(device->draws[0].indexed);
    EXPECT_EQ(device->draws[0].first, 0);
    EXPECT_EQ(device->draws[0].count, 12);
}

TEST_F(GraphicsDeviceBlitterTest, PinsAreCountedAndReleasedBitmapsAreForgotten)
{
    Managed<Bitmap2D> image = Solid(4, 4, 200);
    const int index = blitter->PinBitmap(image.Get());
    EXPECT_EQ(index, 1);
    EXPECT_EQ(blitter->PinBitmap(image.Get()), index);
    blitter->UnpinBitmap(index);
    blitter->UnpinBitmap(index);
    EXPECT_THROW_MESSAGE(blitter->UnpinBitmap(index), "GraphicsDeviceBlitter::UnpinBitmap(): Pin/Unpin mismatch");
    EXPECT_THROW_MESSAGE(blitter->UnpinBitmap(99), "GraphicsDeviceBlitter::UnpinBitmap(): Pin/Unpin mismatch");

    // Released, the bitmap is the blitter's no more, and pinned again it is a new index.
    blitter->ReleaseUnpinned();
    EXPECT_EQ(image->GetRefCount(), 1);
    EXPECT_EQ(blitter->PinBitmap(image.Get()), 2);
    blitter->UnpinBitmap(2);

    // A quad of a forgotten index draws the white pixel once the atlas is rebuilt.
    const Quad quad = At(0, 0, 4, 4, index);
    Managed<Draw2D::Blitter::Quads> group(blitter->CreateQuads(1, &quad));
    Frame({group.Get()});
    EXPECT_EQ(blitter->GetTile(index), -1);
    const GraphicsDeviceBlitter::Vertex* v = blitter->GetVertices(0);
    EXPECT_EQ(v[0].u, int16_t(blitter->GetAtlas()->GetCorner3(blitter->GetTile(0)).x * 32767));
}

TEST_F(GraphicsDeviceBlitterTest, TheAtlasIsRebuiltOnlyForABitmapItDoesNotHold)
{
    Managed<Bitmap2D> image = Solid(6, 3, 255);
    const int index = blitter->PinBitmap(image.Get());
    blitter->Update();
    Texture2DCollage* atlas = blitter->GetAtlas();
    EXPECT_GE(blitter->GetTile(index), 0);

    blitter->PinBitmap(image.Get());  // held already
    blitter->Update();
    EXPECT_EQ(blitter->GetAtlas(), atlas);

    Managed<Bitmap2D> unsupported = Solid(2, 2, 0, Graphics::PixelFormatFloatR32G32B32A32);
    blitter->PinBitmap(unsupported.Get());
    EXPECT_THROW_MESSAGE(blitter->Update(), "Draw2D::Blitter: Unsupported bitmap format");
    EXPECT_EQ(blitter->GetAtlas(), atlas);  // the old atlas still serves
}

Managed<Typography::FontFace> FaceWithGlyphs()
{
    Managed<Typography::FontFace> face(new Typography::FontFace());
    for (int code : {int('?'), int('A'), 10, 150, 200, 233}) {
        Managed<Bitmap2D> glyph = Solid(3, 5, uint8_t(code), Graphics::PixelFormatLuminance8);
        face->SetGlyph(code, glyph.Get());
    }
    return face;
}

TEST_F(GraphicsDeviceBlitterTest, FontTablesShowControlCodesAsAQuestionMarkInPrintableMode)
{
    Managed<Typography::FontFace> face = FaceWithGlyphs();
    const int* all = blitter->PinFont(face.Get(), Draw2D::Blitter::PinAllGlyphs);
    const int* printable = blitter->PinFont(face.Get(), Draw2D::Blitter::PinPrintableGlyphs);
    const int question = printable['?'];
    EXPECT_NE(question, 0);
    const struct {
        int code;
        bool asQuestionMark;
    } codes[] = {{10, true}, {150, true}, {'A', false}, {200, false}, {233, false}};
    for (const auto& c : codes) {
        EXPECT_EQ(printable[c.code] == question, c.asQuestionMark) << c.code;
        EXPECT_NE(all[c.code], question) << c.code;
        EXPECT_NE(all[c.code], 0) << c.code;
    }
    EXPECT_EQ(all[' '], 0);  // no glyph: the white pixel, drawn with no area
    EXPECT_EQ(blitter->PinFont(face.Get(), Draw2D::Blitter::PinAllGlyphs), all);

    // Pinned twice, unpinned twice; a third unpin is a mismatch.
    blitter->UnpinFont(all);
    blitter->UnpinFont(all);
    EXPECT_THROW_MESSAGE(blitter->UnpinFont(all), "GraphicsDeviceBlitter::UnpinBitmap(): Pin/Unpin mismatch");
    int unknown[256] = {};
    EXPECT_THROW_MESSAGE(blitter->UnpinFont(unknown), "GraphicsDeviceBlitter::UnpinFont(): Unknown font table");

    // The printable table still pins "?" and the letters, so nothing of it is forgotten; once
    // it is unpinned too, its glyphs and the table go.
    blitter->ReleaseUnpinned();
    EXPECT_EQ(blitter->PinFont(face.Get(), Draw2D::Blitter::PinPrintableGlyphs), printable);
    const int oldA = printable['A'];
    blitter->UnpinFont(printable);
    blitter->UnpinFont(printable);
    blitter->ReleaseUnpinned();
    EXPECT_THROW_MESSAGE(blitter->UnpinFont(printable), "GraphicsDeviceBlitter::UnpinFont(): Unknown font table");
    const int* again = blitter->PinFont(face.Get(), Draw2D::Blitter::PinPrintableGlyphs);
    EXPECT_GT(again['A'], oldA);  // new indices for the glyphs pinned anew
}

TEST_F(GraphicsDeviceBlitterTest, AWarmFrameAllocatesNothing)
{
    std::vector<Quad> quads(4, At(0, 0));
    Managed<Draw2D::Blitter::Quads> a(blitter->CreateQuads(4, quads.data()));
    Managed<Draw2D::Blitter::Quads> b(blitter->CreateQuads(2, quads.data()));
    device->recording = false;
    for (int warm = 0; warm < 2; ++warm) {
        Frame({a.Get(), b.Get()});
        blitter->Draw();
        Frame({b.Get(), a.Get()});
        blitter->Draw();
    }
    if (!Testing::AllocationWatch::Available())
        GTEST_SKIP() << "no allocation hooks without AddressSanitizer";
    Testing::AllocationWatch allocations;
    for (int frame = 0; frame < 10; ++frame) {
        device->draws.clear();  // the fake's own record of draws would grow
        quads[0].x = int16_t(frame);
        blitter->SetQuads(a.Get(), 0, 1, quads.data());
        Frame({a.Get(), b.Get()});
        blitter->Draw();
        Frame({b.Get(), a.Get()});
        blitter->Draw();
    }
    EXPECT_EQ(allocations.AllocationCount(), 0u);
}

TEST(GraphicsDeviceBlitter, RefusesAnImpossibleCapacity)
{
    Managed<Testing::FakeDevice> device(new Testing::FakeDevice());
    for (int capacity : {0, -1, 1 << 30})
        EXPECT_THROW_MESSAGE(GraphicsDeviceBlitter(device.Get(), capacity), "GraphicsDeviceBlitter: Invalid capacity");
}

}  // namespace graphics_device_blitter_test
