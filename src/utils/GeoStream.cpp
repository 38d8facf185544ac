#include "utils/GeoStream.h"

#include "core/Exception.h"
#include "graphics/Device.h"

#include <cstdint>

namespace Nimbrel::Utils {

GeoStream::GeoStream(Graphics::Device* device, int capacity) : capacity(capacity), device(device)
{
    if (!device)
        throw Exception("GeoStream: no device");
    if (capacity < 1 || int64_t(capacity) * VertexBytes > INT32_MAX)
        throw Exception(String::Format("GeoStream: invalid capacity %d", capacity));

    const Graphics::InputElement elements[5] = {
        {0, 0, 4, 0, Graphics::DataTypeFloat, 0},   // position
        {4, 0, 3, 16, Graphics::DataTypeFloat, 0},  // normal
        {3, 0, 4, 28, Graphics::DataTypeFloat, 0},  // colour
        {8, 0, 4, 44, Graphics::DataTypeFloat, 0},  // texture coordinates 0
        {9, 0, 4, 60, Graphics::DataTypeFloat, 0},  // texture coordinates 1
    };
    inputLayout.Set(device->CreateInputLayout(elements, 5));
    vertexBuffer.Set(device->CreateVertexBuffer(Graphics::BufferModeVolatile, capacity * VertexBytes, VertexBytes));
    vertices = std::make_unique<VertexRecord[]>(static_cast<size_t>(capacity));
}

void GeoStream::Draw()
{
    device->SetVertexBuffer(0, vertexBuffer.Get());
    device->SetPrimitiveType(primitive);
    device->SetInputLayout(inputLayout.Get());
    device->Draw(0, count);
}

void GeoStream::Begin(Graphics::PrimitiveType primitive)
{
    this->primitive = primitive;
    count = 0;
}

void GeoStream::End(bool draw)
{
    // A size of 0 would stand for the whole buffer; an empty batch has nothing to upload.
    if (count > 0)
        vertexBuffer->SetData(vertices.get(), 0, count * VertexBytes);
    if (draw)
        Draw();
}

void GeoStream::Vertex(float x, float y, float z) { AddVertex(x, y, z, 1.0f); }
void GeoStream::Vertex(float x, float y) { AddVertex(x, y, 0.0f, 1.0f); }
void GeoStream::Vertex(float x, float y, float z, float w) { AddVertex(x, y, z, w); }

void GeoStream::AddVertex(float x, float y, float z, float w)
{
    if (count >= capacity)
        throw Exception("GeoStream Vertex Overflow");
    VertexRecord& record = vertices[count];
    record.position[0] = x;
    record.position[1] = y;
    record.position[2] = z;
    record.position[3] = w;
    for (int i = 0; i < 3; ++i)
        record.normal[i] = normal[i];
    for (int i = 0; i < 4; ++i) {
        record.color[i] = color[i];
        record.texCoord0[i] = texCoord0[i];
        record.texCoord1[i] = texCoord1[i];
    }
    ++count;
}

void GeoStream::Normal(const Math::Vector3t<float>& value) { Normal(value.x, value.y, value.z); }

void GeoStream::Normal(float x, float y, float z)
{
    normal[0] = x;
    normal[1] = y;
    normal[2] = z;
}

void GeoStream::Color(const Math::Vector4t<float>& value) { Color(value.x, value.y, value.z, value.w); }
void GeoStream::Color(float r, float g, float b) { Color(r, g, b, 1.0f); }

void GeoStream::Color(float r, float g, float b, float a)
{
    color[0] = r;
    color[1] = g;
    color[2] = b;
    color[3] = a;
}

void GeoStream::TexCoord(const Math::Vector4t<float>& value) { TexCoord(value.x, value.y, value.z, value.w); }
void GeoStream::TexCoord(float s, float t, float r) { TexCoord(s, t, r, 1.0f); }
void GeoStream::TexCoord(float s, float t) { TexCoord(s, t, 0.0f, 1.0f); }

void GeoStream::TexCoord(float s, float t, float r, float q)
{
    texCoord0[0] = s;
    texCoord0[1] = t;
    texCoord0[2] = r;
    texCoord0[3] = q;
}

void GeoStream::TexCoord1(const Math::Vector4t<float>& value) { TexCoord1(value.x, value.y, value.z, value.w); }

void GeoStream::TexCoord1(float a, float b, float c, float d)
{
    texCoord1[0] = a;
    texCoord1[1] = b;
    texCoord1[2] = c;
    texCoord1[3] = d;
}

void GeoStream::DrawQuad(float a, float b, float c, float d) { EmitQuad(a, b, c, d); }

void GeoStream::EmitQuad(float, float, float, float)
{
    Begin(Graphics::PrimitiveTriangles);
    const float corners[6][4] = {
        {0, 0, -1, -1}, {1, 0, 1, -1}, {1, 1, 1, 1}, {0, 0, -1, -1}, {1, 1, 1, 1}, {0, 1, -1, 1},
    };
    for (const float* corner : corners) {
        TexCoord(corner[0], corner[1], 0.0f, 0.0f);
        AddVertex(corner[2], corner[3], 0.0f, 1.0f);
    }
    End(true);
}

}  // namespace Nimbrel::Utils
