#pragma once
// GeoStream: vertices built on the fly, immediate-mode style.
//
//     stream->Begin(Graphics::PrimitiveTriangles);
//     stream->Color(1, 0, 0);
//     stream->Vertex(-1, -1); stream->Vertex(1, -1); stream->Vertex(0, 1);
//     stream->End(true);    // uploads the batch and draws it
//
// Every vertex takes the current normal, colour and both texture coordinate sets. A vertex is
// a 76-byte record of floats on vertex stream 0: position (4 components, semantic 0), normal
// (3, semantic 4), colour (4, semantic 3), texture coordinates 0 (4, semantic 8) and 1 (4,
// semantic 9). The stream holds at most `capacity` vertices between two Begins; one more
// throws "GeoStream Vertex Overflow" and is not stored. End does not start a new batch:
// vertices emitted after it are appended to the same one until the next Begin.
//
// Initial values: normal (0, 0, 1), colour (1, 1, 1, 1), texture coordinates 0 (0, 0, 0, 1)
// and 1 (0, 0, 0, 0).

#include "core/Managed.h"
#include "graphics/Buffer.h"
#include "graphics/Enumerations.h"
#include "graphics/InputLayout.h"
#include "math/Vector3t.h"
#include "math/Vector4t.h"
#include "utils/Drawable.h"

#include <cstdint>
#include <memory>

namespace Nimbrel::Graphics {
class Device;
}

namespace Nimbrel::Utils {

class GeoStream : public Drawable {
public:
    // A volatile vertex buffer for capacity vertices on the device. Throws when capacity is not
    // positive or its records would not fit a device buffer.
    GeoStream(Graphics::Device* device, int capacity);
    GeoStream(const GeoStream&) = delete;
    GeoStream& operator=(const GeoStream&) = delete;

    // Draws the vertices of the batch, uploaded by the last End, on the stream's device.
    void Draw() override;

    virtual void Begin(Graphics::PrimitiveType primitive);
    // Uploads the batch to the vertex buffer; then draws it when asked to.
    virtual void End(bool draw);
    virtual void Vertex(float x, float y, float z);
    virtual void Vertex(float x, float y);
    virtual void Vertex(float x, float y, float z, float w);
    virtual void AddVertex(float x, float y, float z, float w);
    virtual void Normal(const Math::Vector3t<float>& normal);
    virtual void Normal(float x, float y, float z);
    virtual void Color(const Math::Vector4t<float>& color);
    virtual void Color(float r, float g, float b);
    virtual void Color(float r, float g, float b, float a);
    virtual void TexCoord(const Math::Vector4t<float>& texCoord);
    virtual void TexCoord(float s, float t, float r);
    virtual void TexCoord(float s, float t);
    virtual void TexCoord(float s, float t, float r, float q);
    virtual void TexCoord1(const Math::Vector4t<float>& texCoord);
    virtual void TexCoord1(float a, float b, float c, float d);
    // Forwards to EmitQuad.
    virtual void DrawQuad(float a, float b, float c, float d);
    // Draws a quad over the whole of clip space as two triangles, with texture coordinates 0
    // running from (0, 0) at the lower left to (1, 1) at the upper right. The arguments are not
    // used. Starts a new batch; needs a capacity of at least 6.
    virtual void EmitQuad(float a, float b, float c, float d);

    int GetCapacity() const { return capacity; }
    int GetCount() const { return count; }
    Graphics::PrimitiveType GetPrimitive() const { return primitive; }
    Graphics::VertexBuffer* GetVertexBuffer() const { return vertexBuffer.Get(); }
    Graphics::InputLayout* GetInputLayout() const { return inputLayout.Get(); }

    static constexpr int VertexBytes = 76;

private:
    struct VertexRecord {
        float position[4];
        float normal[3];
        float color[4];
        float texCoord0[4];
        float texCoord1[4];
    };
    static_assert(sizeof(VertexRecord) == VertexBytes, "a vertex record is 19 packed floats");

    std::unique_ptr<VertexRecord[]> vertices;
    int32_t capacity;
    int32_t count = 0;
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float texCoord0[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float texCoord1[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    Graphics::Device* device;
    Graphics::PrimitiveType primitive = Graphics::PrimitiveTriangles;
    Managed<Graphics::VertexBuffer> vertexBuffer;
    Managed<Graphics::InputLayout> inputLayout;
};

}  // namespace Nimbrel::Utils
