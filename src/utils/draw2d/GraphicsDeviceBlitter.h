#pragma once
// Draw2D::GraphicsDeviceBlitter: the blitter of a graphics device.
//
// A fixed pool of quads lives in one vertex buffer (four 20-byte vertices a quad) and every
// bitmap in one atlas texture, so the whole overlay is one indexed draw:
//   - vertices are uploaded at the next Update only where a quad changed;
//   - indices are rebuilt and uploaded at End only when the frame's groups differ from those
//     of the frame whose indices are current (groups are told apart by a serial number, so a
//     group made where a destroyed one lived is a new group);
//   - the atlas is rebuilt only when a bitmap was pinned that it does not hold.
// The atlas holds every bitmap pinned at least once at the time it is built, premultiplied,
// luminance bitmaps as white with the luminance as alpha; a bitmap's index stays valid until
// ReleaseUnpinned forgets it. Once warm, a frame of Begin, DrawQuads, End and Draw allocates
// nothing.
//
// Vertex of the buffer: x, y (16-bit, pixels); u, v (16-bit, atlas coordinates times 32767);
// clip left, top, right, bottom (16-bit, pixels); red, green, blue, alpha (8-bit).
//
// Quads are taken lowest free pool index first. Main thread only.

#include "core/Managed.h"
#include "graphics/Buffer.h"
#include "graphics/Device.h"
#include "graphics/InputLayout.h"
#include "utils/Texture2DCollage.h"
#include "utils/draw2d/Blitter.h"

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace Nimbrel::Utils::Draw2D {

class GraphicsDeviceBlitter : public Blitter {
public:
    struct Vertex {
        int16_t x, y;
        int16_t u, v;
        int16_t clipLeft, clipTop, clipRight, clipBottom;
        uint8_t red, green, blue, alpha;
    };
    static_assert(sizeof(Vertex) == 20, "a blitter vertex is 20 packed bytes");

    // Buffers for `capacity` quads on the device (which is not counted and must outlive the
    // blitter), and the white pixel pinned as bitmap index 0. Throws "GraphicsDeviceBlitter:
    // Invalid capacity" unless 0 < capacity and its buffers fit an int.
    GraphicsDeviceBlitter(Graphics::Device* device, int capacity);
    ~GraphicsDeviceBlitter() override;
    GraphicsDeviceBlitter(const GraphicsDeviceBlitter&) = delete;
    GraphicsDeviceBlitter& operator=(const GraphicsDeviceBlitter&) = delete;

    // Throws "GraphicsDeviceBlitter::Draw(): Can not draw between Begin()/End()" in a pass;
    // without indices issues nothing, otherwise the one indexed draw of the frame's quads.
    void Draw() override;
    // Throws "GraphicsDeviceBlitter::PinBitmap(): No bitmap" for null.
    int PinBitmap(Bitmap2D* bitmap) override;
    // Throws "GraphicsDeviceBlitter::PinFont(): No font face" for null. The table stays the
    // same for the face and mode until ReleaseUnpinned forgets its glyphs; the blitter holds
    // the face meanwhile. Glyphs with no pixels use index 0 (their quads have no area).
    const int* PinFont(Typography::FontFace* face, int mode) override;
    // Throws "GraphicsDeviceBlitter::UnpinFont(): Unknown font table" for a table PinFont did
    // not return (or one already forgotten), and the mismatch message when its glyphs are
    // unpinned more often than pinned; nothing changes then.
    void UnpinFont(const int* table) override;
    // Throws "GraphicsDeviceBlitter::UnpinBitmap(): Pin/Unpin mismatch" when the index is
    // unpinned more often than pinned or was never handed out.
    void UnpinBitmap(int index) override;
    // Throws "Draw2D::Blitter: Unsupported bitmap format" when a pinned bitmap is neither
    // R8G8B8A8 nor Luminance8; the atlas stays as it was and is tried again at the next Update.
    void Update() override;
    // Throws "Blitter::CreateQuads(): Maximum amount of quads reached" when fewer than count
    // quads are free, "Blitter::CreateQuads(): Invalid count" for a negative count.
    Quads* CreateQuads(int count, const Quad* quads) override;
    // Throws "Blitter::SetQuads(): Invalid group" for a group of another blitter and
    // "Blitter::SetQuads(): Invalid range" for quads outside the group.
    void SetQuads(Quads* group, int first, int count, const Quad* quads) override;
    // Releases the bitmaps whose pin count is 0 and forgets their indices, and the font
    // tables of those glyphs; their tiles leave the atlas at its next rebuild.
    void ReleaseUnpinned() override;
    void Begin() override;
    // Throws "Blitter::DrawQuads(): Can not be called outside Begin()/End()" outside a pass.
    void DrawQuads(Quads* group) override;
    // Leaves the pass, uploads the indices when the groups changed, then Update.
    void End() override;
    Graphics::Texture2D* GetTexture() override;

    int GetCapacity() const { return capacity; }
    int GetIndexCount() const { return static_cast<int>(indices.size()); }
    // Quads taken from the pool and not returned.
    int GetUsedQuadCount() const { return usedQuads; }
    // Bytes given to the vertex and index buffers since construction.
    uint64_t GetVertexBytesUploaded() const { return vertexBytesUploaded; }
    uint64_t GetIndexBytesUploaded() const { return indexBytesUploaded; }
    // The pool quad's vertices (four from quad * 4), as the next Update uploads them.
    const Vertex* GetVertices(int quad) const;
    Texture2DCollage* GetAtlas() const { return atlas.Get(); }
    // The bitmap index's tile in the atlas, -1 when the atlas does not hold it.
    int GetTile(int index) const;

private:
    class Group;
    struct PoolQuad {
        bool used = false;
        bool texCoordsDirty = false;
        int32_t bitmap = -1;
    };
    struct Pinned {
        Bitmap2D* bitmap = nullptr;  // a reference of its own; null once forgotten
        int pins = 0;
        int tile = -1;
    };
    struct FontTable {
        Managed<Typography::FontFace> face;
        int mode = 0;
        int indices[FontTableSize] = {};
    };

    // Returns the group's quads to the pool and takes it off this frame's list.
    void ReleaseQuads(Group* group);
    Group* CheckGroup(Quads* group, const char* operation) const;
    void WriteQuad(int index, const Quad& quad);
    void MarkTexCoordsDirty(int quad);
    void MarkVerticesDirty(int quad);
    void RebuildAtlas();
    void UpdateTexCoords();
    void UploadVertices();
    bool PinsAtLeast(const int* table, int count) const;

    Graphics::Device* device;
    int capacity;
    Managed<Graphics::VertexBuffer> vertexBuffer;
    Managed<Graphics::IndexBuffer> indexBuffer;
    Managed<Graphics::InputLayout> inputLayout;

    std::vector<PoolQuad> pool;
    int usedQuads = 0;
    int firstFree = 0;  // no pool quad below it is free
    std::vector<Vertex> vertices;  // the whole pool's, as the buffer holds them
    std::vector<uint32_t> indices;
    int dirtyLow = 0;   // the vertex range the next upload covers, in quads
    int dirtyHigh = 0;
    std::vector<int> texCoordsDirty;
    bool allTexCoordsDirty = false;

    std::vector<Pinned> pinned;
    std::unordered_map<Bitmap2D*, int> indexOf;
    std::map<std::pair<Typography::FontFace*, int>, std::unique_ptr<FontTable>> fonts;
    Managed<Texture2DCollage> atlas;
    bool atlasDirty = true;

    bool inPass = false;
    uint64_t frame = 0;
    uint64_t nextSerial = 1;
    std::vector<Group*> listed;          // this frame's groups
    std::vector<uint64_t> drawnSerials;  // the groups the current indices draw, in order
    uint64_t vertexBytesUploaded = 0;
    uint64_t indexBytesUploaded = 0;
};

}  // namespace Nimbrel::Utils::Draw2D
