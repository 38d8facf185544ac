#include "utils/draw2d/GraphicsDeviceBlitter.h"

#include "core/Exception.h"
#include "utils/Bitmap2D.h"
#include "utils/Collage2DBuilder.h"
#include "utils/typography/FontFace.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>

namespace Nimbrel::Utils::Draw2D {

// A group of pool quads. It holds its blitter, so the quads can always go back to the pool.
class GraphicsDeviceBlitter::Group : public Blitter::Quads {
public:
    Group(GraphicsDeviceBlitter* blitter, std::vector<int> quads, uint64_t serial)
        : quads(std::move(quads)), serial(serial)
    {
        blitter->AddRef();
        this->blitter.Set(blitter);
    }
    ~Group() override { blitter->ReleaseQuads(this); }
    int GetCount() const override { return static_cast<int>(quads.size()); }

    Managed<GraphicsDeviceBlitter> blitter;
    std::vector<int> quads;
    uint64_t serial;
    uint64_t listedFrame = 0;
};

namespace {

constexpr int VerticesPerQuad = 4;
constexpr int IndicesPerQuad = 6;

int16_t Clamp16(int value)
{
    return static_cast<int16_t>(std::clamp(value, int(INT16_MIN), int(INT16_MAX)));
}

int16_t Normalised16(float coordinate)
{
    return static_cast<int16_t>(std::clamp(coordinate, -1.0f, 1.0f) * 32767.0f);
}

}  // namespace

GraphicsDeviceBlitter::GraphicsDeviceBlitter(Graphics::Device* device, int capacity)
    : device(device), capacity(capacity)
{
    if (!device)
        throw Exception("GraphicsDeviceBlitter: No device");
    if (capacity <= 0 || capacity > INT_MAX / (VerticesPerQuad * int(sizeof(Vertex))))
        throw Exception("GraphicsDeviceBlitter: Invalid capacity");
    const Graphics::InputElement elements[4] = {
        {0, 0, 2, 0, Graphics::DataTypeShort, 0},          // position, pixels
        {8, 0, 2, 4, Graphics::DataTypeShort, 1},          // atlas coordinates
        {9, 0, 4, 8, Graphics::DataTypeShort, 0},          // clip rectangle, pixels
        {3, 0, 4, 16, Graphics::DataTypeUnsignedByte, 1},  // colour
    };
    inputLayout.Set(device->CreateInputLayout(elements, 4));
    vertexBuffer.Set(device->CreateVertexBuffer(Graphics::BufferModeVolatile,
                                                capacity * VerticesPerQuad * int(sizeof(Vertex)), sizeof(Vertex)));
    indexBuffer.Set(device->CreateIndexBuffer(Graphics::BufferModeVolatile,
                                              capacity * IndicesPerQuad * int(sizeof(uint32_t)), sizeof(uint32_t)));
    pool.resize(static_cast<size_t>(capacity));
    vertices.resize(static_cast<size_t>(capacity) * VerticesPerQuad, Vertex{});

    Managed<Bitmap2D> white(new Bitmap2D(1, 1, Graphics::PixelFormatR8G8B8A8));
    std::memset(white->GetData(), 0xff, 4);
    PinBitmap(white.Get());
}

GraphicsDeviceBlitter::~GraphicsDeviceBlitter()
{
    for (Pinned& entry : pinned)
        if (entry.bitmap)
            entry.bitmap->Release();
}

int GraphicsDeviceBlitter::PinBitmap(Bitmap2D* bitmap)
{
    if (!bitmap)
        throw Exception("GraphicsDeviceBlitter::PinBitmap(): No bitmap");
    auto known = indexOf.find(bitmap);
    int index;
    if (known != indexOf.end()) {
        index = known->second;
    } else {
        index = static_cast<int>(pinned.size());
        pinned.push_back(Pinned{bitmap, 0, -1});
        indexOf.emplace(bitmap, index);
        bitmap->AddRef();
    }
    Pinned& entry = pinned[static_cast<size_t>(index)];
    ++entry.pins;
    if (entry.tile < 0)
        atlasDirty = true;
    return index;
}

void GraphicsDeviceBlitter::UnpinBitmap(int index)
{
    if (index < 0 || index >= static_cast<int>(pinned.size()) || pinned[static_cast<size_t>(index)].pins < 1)
        throw Exception("GraphicsDeviceBlitter::UnpinBitmap(): Pin/Unpin mismatch");
    --pinned[static_cast<size_t>(index)].pins;
}

const int* GraphicsDeviceBlitter::PinFont(Typography::FontFace* face, int mode)
{
    if (!face)
        throw Exception("GraphicsDeviceBlitter::PinFont(): No font face");
    mode = mode == PinPrintableGlyphs ? PinPrintableGlyphs : PinAllGlyphs;
    std::unique_ptr<FontTable>& table = fonts[{face, mode}];
    if (table) {
        for (int index : table->indices)
            ++pinned[static_cast<size_t>(index)].pins;
        return table->indices;
    }
    auto made = std::make_unique<FontTable>();
    face->AddRef();
    made->face.Set(face);
    made->mode = mode;
    try {
        for (int code = 0; code < FontTableSize; ++code) {
            const bool control = code < 32 || (code >= 127 && code < 160);
            Bitmap2D* glyph = face->GetGlyph(mode == PinPrintableGlyphs && control ? '?' : code);
            if (glyph && glyph->GetWidth() > 0 && glyph->GetHeight() > 0) {
                made->indices[code] = PinBitmap(glyph);
            } else {
                made->indices[code] = 0;
                ++pinned[0].pins;
            }
        }
    } catch (...) {
        fonts.erase({face, mode});
        throw;
    }
    table = std::move(made);
    return table->indices;
}

bool GraphicsDeviceBlitter::PinsAtLeast(const int* table, int count) const
{
    // An index may occur many times in a table ("?" stands for every control code).
    std::unordered_map<int, int> needed;
    for (int code = 0; code < FontTableSize; ++code)
        ++needed[table[code]];
    for (const auto& [index, times] : needed)
        if (pinned[static_cast<size_t>(index)].pins < times * count)
            return false;
    return true;
}

void GraphicsDeviceBlitter::UnpinFont(const int* table)
{
    bool known = false;
    for (const auto& entry : fonts)
        known = known || entry.second->indices == table;
    if (!known)
        throw Exception("GraphicsDeviceBlitter::UnpinFont(): Unknown font table");
    if (!PinsAtLeast(table, 1))
        throw Exception("GraphicsDeviceBlitter::UnpinBitmap(): Pin/Unpin mismatch");
    for (int code = 0; code < FontTableSize; ++code)
        --pinned[static_cast<size_t>(table[code])].pins;
}

void GraphicsDeviceBlitter::ReleaseUnpinned()
{
    bool released = false;
    for (size_t index = 1; index < pinned.size(); ++index) {
        Pinned& entry = pinned[index];
        if (!entry.bitmap || entry.pins > 0)
            continue;
        indexOf.erase(entry.bitmap);
        entry.bitmap->Release();
        entry.bitmap = nullptr;
        released = true;
    }
    if (!released)
        return;
    for (auto font = fonts.begin(); font != fonts.end();) {
        bool forgotten = false;
        for (int index : font->second->indices)
            forgotten = forgotten || !pinned[static_cast<size_t>(index)].bitmap;
        font = forgotten ? fonts.erase(font) : std::next(font);
    }
}

GraphicsDeviceBlitter::Quads* GraphicsDeviceBlitter::CreateQuads(int count, const Quad* quads)
{
    if (count < 0)
        throw Exception("Blitter::CreateQuads(): Invalid count");
    if (count > capacity - usedQuads)
        throw Exception("Blitter::CreateQuads(): Maximum amount of quads reached");
    if (count > 0 && !quads)
        throw Exception("Blitter::SetQuads(): No quads given");
    std::vector<int> taken;
    taken.reserve(static_cast<size_t>(count));
    for (int index = firstFree; static_cast<int>(taken.size()) < count; ++index)
        if (!pool[static_cast<size_t>(index)].used)
            taken.push_back(index);
    Managed<Group> group(new Group(this, std::move(taken), nextSerial++));
    for (int index : group->quads) {
        pool[static_cast<size_t>(index)] = PoolQuad{true, false, -1};
        firstFree = index + 1;
    }
    usedQuads += count;
    SetQuads(group.Get(), 0, count, quads);
    return group.Detach();
}

void GraphicsDeviceBlitter::ReleaseQuads(Group* group)
{
    for (int index : group->quads) {
        pool[static_cast<size_t>(index)].used = false;
        firstFree = std::min(firstFree, index);
    }
    usedQuads -= static_cast<int>(group->quads.size());
    if (inPass && group->listedFrame == frame)
        listed.erase(std::find(listed.begin(), listed.end(), group));
}

GraphicsDeviceBlitter::Group* GraphicsDeviceBlitter::CheckGroup(Quads* quads, const char* operation) const
{
    auto* group = dynamic_cast<Group*>(quads);
    if (!group || group->blitter.Get() != this)
        throw Exception(String("Blitter::") + operation + "(): Invalid group");
    return group;
}

void GraphicsDeviceBlitter::SetQuads(Quads* quads, int first, int count, const Quad* records)
{
    Group* group = CheckGroup(quads, "SetQuads");
    if (first < 0 || count < 0 || count > group->GetCount() - first)
        throw Exception("Blitter::SetQuads(): Invalid range");
    if (count > 0 && !records)
        throw Exception("Blitter::SetQuads(): No quads given");
    for (int i = 0; i < count; ++i)
        WriteQuad(group->quads[static_cast<size_t>(first + i)], records[i]);
}

void GraphicsDeviceBlitter::WriteQuad(int index, const Quad& quad)
{
    Vertex* vertex = &vertices[static_cast<size_t>(index) * VerticesPerQuad];
    const int16_t left = quad.x;
    const int16_t top = quad.y;
    const int16_t right = Clamp16(quad.x + quad.width);
    const int16_t bottom = Clamp16(quad.y + quad.height);
    const int16_t corners[VerticesPerQuad][2] = {{left, top}, {left, bottom}, {right, bottom}, {right, top}};
    for (int i = 0; i < VerticesPerQuad; ++i) {
        Vertex& v = vertex[i];
        v.x = corners[i][0];
        v.y = corners[i][1];
        v.clipLeft = quad.clipLeft;
        v.clipTop = quad.clipTop;
        v.clipRight = quad.clipRight;
        v.clipBottom = quad.clipBottom;
        v.red = static_cast<uint8_t>(quad.color);
        v.green = static_cast<uint8_t>(quad.color >> 8);
        v.blue = static_cast<uint8_t>(quad.color >> 16);
        v.alpha = static_cast<uint8_t>(quad.color >> 24);
    }
    PoolQuad& pooled = pool[static_cast<size_t>(index)];
    if (pooled.bitmap != quad.bitmap) {
        pooled.bitmap = quad.bitmap;
        MarkTexCoordsDirty(index);
    }
    MarkVerticesDirty(index);
}

void GraphicsDeviceBlitter::MarkTexCoordsDirty(int quad)
{
    PoolQuad& pooled = pool[static_cast<size_t>(quad)];
    if (pooled.texCoordsDirty || allTexCoordsDirty)
        return;
    pooled.texCoordsDirty = true;
    texCoordsDirty.push_back(quad);
}

void GraphicsDeviceBlitter::MarkVerticesDirty(int quad)
{
    if (dirtyLow == dirtyHigh) {
        dirtyLow = quad;
        dirtyHigh = quad + 1;
    } else {
        dirtyLow = std::min(dirtyLow, quad);
        dirtyHigh = std::max(dirtyHigh, quad + 1);
    }
}

void GraphicsDeviceBlitter::Begin()
{
    inPass = true;
    ++frame;
    listed.clear();
}

void GraphicsDeviceBlitter::DrawQuads(Quads* quads)
{
    if (!inPass)
        throw Exception("Blitter::DrawQuads(): Can not be called outside Begin()/End()");
    Group* group = CheckGroup(quads, "DrawQuads");
    if (group->listedFrame == frame)
        return;
    group->listedFrame = frame;
    listed.push_back(group);
}

void GraphicsDeviceBlitter::End()
{
    inPass = false;
    bool same = listed.size() == drawnSerials.size();
    for (size_t i = 0; same && i < listed.size(); ++i)
        same = listed[i]->serial == drawnSerials[i];
    if (!same) {
        size_t count = 0;
        for (const Group* group : listed)
            count += group->quads.size() * IndicesPerQuad;
        indices.resize(count);
        uint32_t* index = indices.data();
        drawnSerials.clear();
        for (const Group* group : listed) {
            drawnSerials.push_back(group->serial);
            for (int quad : group->quads) {
                const uint32_t base = static_cast<uint32_t>(quad) * VerticesPerQuad;
                index[0] = base;
                index[1] = base + 1;
                index[2] = base + 2;
                index[3] = base;
                index[4] = base + 2;
                index[5] = base + 3;
                index += IndicesPerQuad;
            }
        }
        if (!indices.empty()) {
            const int bytes = static_cast<int>(indices.size() * sizeof(uint32_t));
            indexBuffer->SetData(indices.data(), 0, bytes);
            indexBytesUploaded += static_cast<uint64_t>(bytes);
        }
    }
    Update();
}

void GraphicsDeviceBlitter::Update()
{
    if (atlasDirty || !atlas)
        RebuildAtlas();
    if (allTexCoordsDirty || !texCoordsDirty.empty())
        UpdateTexCoords();
    if (dirtyHigh > dirtyLow)
        UploadVertices();
}

void GraphicsDeviceBlitter::RebuildAtlas()
{
    Managed<Collage2DBuilder> builder(new Collage2DBuilder());
    std::vector<int> tiles(pinned.size(), -1);
    for (size_t index = 0; index < pinned.size(); ++index) {
        const Pinned& entry = pinned[index];
        // The white pixel stays whatever its pins, as the tile of every quad without one.
        if (!entry.bitmap || (entry.pins < 1 && index > 0))
            continue;
        const Graphics::PixelFormat format = entry.bitmap->GetPixelFormat();
        int components;
        if (format == Graphics::PixelFormatR8G8B8A8)
            components = Bitmap2D::ComponentsRGBA;
        else if (format == Graphics::PixelFormatLuminance8)
            components = Bitmap2D::Components111R;
        else
            throw Exception("Draw2D::Blitter: Unsupported bitmap format");
        tiles[index] = builder->Add(entry.bitmap, components, true);
    }
    atlas.Set(builder->BuildTextureCollage(device, Graphics::PixelFormatR8G8B8A8, 2));
    for (size_t index = 0; index < pinned.size(); ++index)
        pinned[index].tile = tiles[index];
    atlasDirty = false;
    allTexCoordsDirty = true;
}

int GraphicsDeviceBlitter::GetTile(int index) const
{
    if (index < 0 || index >= static_cast<int>(pinned.size()))
        return -1;
    return pinned[static_cast<size_t>(index)].tile;
}

void GraphicsDeviceBlitter::UpdateTexCoords()
{
    auto update = [this](int quad) {
        PoolQuad& pooled = pool[static_cast<size_t>(quad)];
        pooled.texCoordsDirty = false;
        if (!pooled.used || pooled.bitmap == -1)
            return;
        int tile = GetTile(pooled.bitmap);
        if (tile < 0)
            tile = pinned[0].tile;
        // The quad's top-left, bottom-left, bottom-right and top-right vertices take the
        // tile's corners 3, 0, 1 and 2: where the image's corners went in the atlas.
        const Collage2D::Point corners[VerticesPerQuad] = {atlas->GetCorner3(tile), atlas->GetCorner0(tile),
                                                           atlas->GetCorner1(tile), atlas->GetCorner2(tile)};
        Vertex* vertex = &vertices[static_cast<size_t>(quad) * VerticesPerQuad];
        for (int i = 0; i < VerticesPerQuad; ++i) {
            vertex[i].u = Normalised16(corners[i].x);
            vertex[i].v = Normalised16(corners[i].y);
        }
        MarkVerticesDirty(quad);
    };
    if (allTexCoordsDirty) {
        const int quads = static_cast<int>(vertices.size()) / VerticesPerQuad;
        for (int quad = 0; quad < quads; ++quad)
            update(quad);
    } else {
        for (int quad : texCoordsDirty)
            update(quad);
    }
    texCoordsDirty.clear();
    allTexCoordsDirty = false;
}

// SetData at offset 0 specifies the whole store again, at the size given: a range that starts
// at the first quad is therefore widened to the whole buffer, which keeps its capacity.
void GraphicsDeviceBlitter::UploadVertices()
{
    if (dirtyLow == 0)
        dirtyHigh = capacity;
    const int offset = dirtyLow * VerticesPerQuad * int(sizeof(Vertex));
    const int bytes = (dirtyHigh - dirtyLow) * VerticesPerQuad * int(sizeof(Vertex));
    vertexBuffer->SetData(&vertices[static_cast<size_t>(dirtyLow) * VerticesPerQuad], offset, bytes);
    vertexBytesUploaded += static_cast<uint64_t>(bytes);
    dirtyLow = dirtyHigh = 0;
}

void GraphicsDeviceBlitter::Draw()
{
    if (inPass)
        throw Exception("GraphicsDeviceBlitter::Draw(): Can not draw between Begin()/End()");
    if (indices.empty())
        return;
    device->SetPrimitiveType(Graphics::PrimitiveTriangles);
    device->SetVertexBuffer(0, vertexBuffer.Get());
    device->SetIndexBuffer(indexBuffer.Get());
    device->SetInputLayout(inputLayout.Get());
    device->DrawIndexed(0, static_cast<int>(indices.size()), 0, static_cast<int>(vertices.size()) - 1);
}

Graphics::Texture2D* GraphicsDeviceBlitter::GetTexture()
{
    Update();
    return atlas->GetTexture();
}

const GraphicsDeviceBlitter::Vertex* GraphicsDeviceBlitter::GetVertices(int quad) const
{
    if (quad < 0 || static_cast<size_t>(quad + 1) * VerticesPerQuad > vertices.size())
        throw Exception("GraphicsDeviceBlitter::GetVertices(): Invalid quad");
    return &vertices[static_cast<size_t>(quad) * VerticesPerQuad];
}

}  // namespace Nimbrel::Utils::Draw2D
