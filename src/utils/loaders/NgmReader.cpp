#include "utils/loaders/NgmReader.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "graphics/VertexSemantics.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace Nimbrel::Utils::Loaders {

namespace NgmReaderDetail {

// Streams that cannot tell what they have left are read in pieces of this size, so a hostile
// count costs no more memory than the bytes that really arrive.
constexpr int Piece = 1 << 20;

bool IsWord(const String& word, const char* expected)
{
    size_t length = std::strlen(expected);
    return static_cast<size_t>(word.Length()) == length && std::memcmp(word.CStr(), expected, length) == 0;
}

// Reads until `size` bytes have arrived or the stream delivers nothing; returns the count.
int ReadUpTo(IO::Stream* stream, uint8_t* data, int size)
{
    int total = 0;
    while (total < size) {
        int moved = stream->Read(data + total, 1, size - total);
        if (moved <= 0 || moved > size - total)
            break;
        total += moved;
    }
    return total;
}

// Reads `bytes` bytes of `what` into out, or throws.
void ReadBlock(IO::Stream* stream, int64_t bytes, Array<uint8_t>& out, const String& what)
{
    if (bytes > INT32_MAX)
        throw Exception(String::Format("NGM: %s would take %lld bytes, more than a device buffer holds", what.CStr(),
                                       static_cast<long long>(bytes)));
    if (stream->IsSeekable()) {
        int64_t left = int64_t(stream->GetLength()) - stream->GetPosition();
        if (bytes > left)
            throw Exception(String::Format("NGM: the file ends inside %s (%lld bytes needed, %lld left)", what.CStr(),
                                           static_cast<long long>(bytes), static_cast<long long>(std::max<int64_t>(left, 0))));
    }
    int size = static_cast<int>(bytes);
    out.Reserve(std::min(size, Piece));
    int done = 0;
    while (done < size) {
        int piece = std::min(Piece, size - done);
        out.SetSize(done + piece);
        if (ReadUpTo(stream, out.Data() + done, piece) != piece)
            throw Exception(String::Format("NGM: the file ends inside %s", what.CStr()));
        done += piece;
    }
}

// Values of `size` bytes arrive little-endian; the device takes them in host order.
void ToHostOrder(Array<uint8_t>& bytes, int size)
{
    if constexpr (std::endian::native == std::endian::big) {
        if (size > 1)
            for (int i = 0; i + size <= bytes.Count(); i += size)
                std::reverse(bytes.Data() + i, bytes.Data() + i + size);
    }
}

Graphics::PrimitiveType PrimitiveFromWord(const String& word)
{
    if (IsWord(word, "lines"))
        return Graphics::PrimitiveLines;
    if (IsWord(word, "triangles"))
        return Graphics::PrimitiveTriangles;
    throw Exception("Unsupported Primitive Type: " + word);
}

NgmData Parse(IO::Stream* stream)
{
    NgmData data;
    uint8_t magic[6];
    const char* const magics[] = {"NGM100", "NGM101", "NGM102", "NGM200"};
    const int versions[] = {100, 101, 102, 200};
    data.version = 0;
    if (ReadUpTo(stream, magic, 6) == 6)
        for (int i = 0; i < 4; ++i)
            if (std::memcmp(magic, magics[i], 6) == 0)
                data.version = versions[i];
    if (data.version == 0)
        throw Exception("Unsupported Format");
    const int version = data.version;

    data.vertexCount = stream->ReadInt32();
    if (data.vertexCount < 0)
        throw Exception(String::Format("NGM: invalid vertex count %d", data.vertexCount));
    int attributeCount = stream->ReadInt32();
    if (attributeCount < 0 || attributeCount > 16)
        throw Exception(String::Format("NGM: invalid attribute count %d (a geometry takes 0 to 16)", attributeCount));

    for (int i = 0; i < attributeCount; ++i) {
        NgmAttribute& attribute = data.attributes[data.attributes.AddEmpty()];
        String semantic = stream->ReadString();
        String type = "float";
        if (version > 100) {
            type = stream->ReadString();
            String remap = stream->ReadString();
            if (IsWord(remap, "normalize")) {
                attribute.normalized = true;
            } else if (IsWord(remap, "scale_and_bias")) {
                attribute.scaleAndBias = true;
                attribute.scale = stream->ReadFloat();
                attribute.bias = stream->ReadFloat();
            } else if (!IsWord(remap, "none")) {
                throw Exception("Unsupported Remap Type: " + remap);
            }
        }
        attribute.components = stream->ReadInt32();
        if (IsWord(type, "float"))
            attribute.type = Graphics::DataTypeFloat;
        else if (IsWord(type, "short") || IsWord(type, "int16"))
            attribute.type = Graphics::DataTypeShort;
        else if (IsWord(type, "byte") || IsWord(type, "int8"))
            attribute.type = Graphics::DataTypeByte;
        else
            throw Exception("Unsupported Data Type: " + type);
        attribute.semantic = Graphics::SemanticFromString(semantic);
        if (attribute.components < 1 || attribute.components > 4)
            throw Exception(String::Format("NGM: attribute %d has %d components (1 to 4)", i, attribute.components));

        int size = NgmComponentSize(attribute.type);
        ReadBlock(stream, int64_t(data.vertexCount) * attribute.components * size, attribute.data,
                  String::Format("the data of attribute %d", i));
        ToHostOrder(attribute.data, size);
    }

    String primitive;
    if (version < 200)
        primitive = stream->ReadString();
    String indexType = version > 100 ? stream->ReadString() : String("int32");
    data.indexCount = stream->ReadInt32();
    if (data.indexCount < 0)
        throw Exception(String::Format("NGM: invalid index count %d", data.indexCount));
    if (IsWord(indexType, "int") || IsWord(indexType, "int32"))
        data.indexSize = 4;
    else if (IsWord(indexType, "short") || IsWord(indexType, "int16"))
        data.indexSize = 2;
    else
        throw Exception("Unsupported Index Type: " + indexType);
    ReadBlock(stream, int64_t(data.indexCount) * data.indexSize, data.indices, "the indices");
    ToHostOrder(data.indices, data.indexSize);

    if (version < 200) {
        data.subMeshes.Add(SubMesh{0, data.indexCount, 0, data.vertexCount, PrimitiveFromWord(primitive)});
    } else {
        int count = stream->ReadInt32();
        // A record takes at least 20 bytes: an empty word and four integers.
        if (count < 0 || (stream->IsSeekable() && int64_t(count) * 20 > int64_t(stream->GetLength()) - stream->GetPosition()))
            throw Exception(String::Format("NGM: invalid submesh count %d", count));
        for (int i = 0; i < count; ++i) {
            String word = stream->ReadString();
            SubMesh subMesh;
            subMesh.firstIndex = stream->ReadInt32();
            subMesh.maxVertex = stream->ReadInt32();
            subMesh.indexCount = stream->ReadInt32();
            subMesh.minVertex = stream->ReadInt32();
            subMesh.primitive = PrimitiveFromWord(word);
            data.subMeshes.Add(subMesh);
        }
    }

    CheckNgmData(data);
    return data;
}

}  // namespace NgmReaderDetail

NgmData ReadNgmData(IO::Stream* stream)
{
    if (!stream)
        throw Exception("NGM: no stream to read");
    int start = stream->IsSeekable() ? stream->GetPosition() : 0;
    try {
        return NgmReaderDetail::Parse(stream);
    } catch (const Exception&) {
        if (stream->IsSeekable())
            stream->Seek(0, start);
        throw;
    }
}

Geometry* CreateNgmGeometry(const NgmData& data, Graphics::Device* device)
{
    if (!device)
        throw Exception("NGM: no device to create the geometry on");
    CheckNgmData(data);

    Managed<Geometry> geometry(new Geometry(device));
    geometry->SetVertexCount(data.vertexCount);
    Graphics::InputElement elements[16];
    for (int i = 0; i < data.attributes.Count(); ++i) {
        const NgmAttribute& attribute = data.attributes[i];
        int size = NgmComponentSize(attribute.type);
        Graphics::InputElement& element = elements[i];
        element.semantic = attribute.semantic;
        element.stream = i;
        element.components = attribute.components;
        element.offset = 0;
        element.type = attribute.type;
        element.normalized = attribute.normalized ? 1 : 0;
        Managed<Graphics::VertexBuffer> buffer(
            device->CreateVertexBuffer(Graphics::BufferModeStatic, attribute.data.Count(), attribute.components * size));
        // A size of 0 would stand for the whole buffer; an empty attribute has nothing to upload.
        if (attribute.data.Count() > 0)
            buffer->SetData(attribute.data.Data(), 0, attribute.data.Count());
        geometry->AddScale(attribute.scale);
        geometry->AddBias(attribute.bias);
        geometry->AddVertexBuffer(buffer.Get());
    }
    Managed<Graphics::InputLayout> layout(device->CreateInputLayout(elements, data.attributes.Count()));
    geometry->SetInputLayout(layout.Get());

    geometry->SetIndexCount(data.indexCount);
    Managed<Graphics::IndexBuffer> indexBuffer(
        device->CreateIndexBuffer(Graphics::BufferModeStatic, data.indices.Count(), data.indexSize));
    if (data.indices.Count() > 0)
        indexBuffer->SetData(data.indices.Data(), 0, data.indices.Count());
    geometry->SetIndexBuffer(indexBuffer.Get());

    for (const SubMesh& subMesh : data.subMeshes)
        geometry->AddSubMesh(subMesh);
    return geometry.Detach();
}

Geometry* ReadNgm(IO::Stream* stream, Graphics::Device* device)
{
    if (!device)
        throw Exception("NGM: no device to create the geometry on");
    NgmData data = ReadNgmData(stream);
    return CreateNgmGeometry(data, device);
}

}  // namespace Nimbrel::Utils::Loaders
