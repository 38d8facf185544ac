#include "utils/loaders/NgmWriter.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "graphics/VertexSemantics.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace Nimbrel::Utils::Loaders {

namespace NgmWriterDetail {

void WriteBytes(IO::Stream* stream, const uint8_t* data, int size)
{
    int done = 0;
    while (done < size) {
        int moved = stream->Write(data + done, 1, size - done);
        if (moved <= 0 || moved > size - done)
            throw Exception("Unable to write data to stream");
        done += moved;
    }
}

// Values of `size` bytes in host order go to the file little-endian.
void WriteValues(IO::Stream* stream, const Array<uint8_t>& bytes, int size)
{
    if constexpr (std::endian::native == std::endian::big) {
        std::vector<uint8_t> swapped(bytes.begin(), bytes.end());
        if (size > 1)
            for (size_t i = 0; i + size <= swapped.size(); i += size)
                std::reverse(swapped.begin() + i, swapped.begin() + i + size);
        WriteBytes(stream, swapped.data(), static_cast<int>(swapped.size()));
    } else {
        (void)size;
        WriteBytes(stream, bytes.Data(), bytes.Count());
    }
}

const char* TypeWord(Graphics::DataType type)
{
    return type == Graphics::DataTypeShort ? "short" : type == Graphics::DataTypeByte ? "byte" : "float";
}

const char* PrimitiveWord(Graphics::PrimitiveType primitive)
{
    return primitive == Graphics::PrimitiveLines ? "lines" : "triangles";
}

}  // namespace NgmWriterDetail

void WriteNgm(IO::Stream* stream, const NgmData& data)
{
    using namespace NgmWriterDetail;
    if (!stream)
        throw Exception("NGM: no stream to write");
    CheckNgmData(data);
    const int version = data.version;

    stream->WriteText(String::Format("NGM%d", version));
    stream->WriteInt32(data.vertexCount);
    stream->WriteInt32(data.attributes.Count());
    for (const NgmAttribute& attribute : data.attributes) {
        stream->WriteString(Graphics::GetStandardSemanticName(attribute.semantic));
        if (version > 100) {
            stream->WriteString(TypeWord(attribute.type));
            if (attribute.scaleAndBias) {
                stream->WriteString("scale_and_bias");
                stream->WriteFloat(attribute.scale);
                stream->WriteFloat(attribute.bias);
            } else {
                stream->WriteString(attribute.normalized ? "normalize" : "none");
            }
        }
        stream->WriteInt32(attribute.components);
        WriteValues(stream, attribute.data, NgmComponentSize(attribute.type));
    }
    if (version < 200)
        stream->WriteString(PrimitiveWord(data.subMeshes[0].primitive));
    if (version > 100)
        stream->WriteString(data.indexSize == 2 ? "int16" : "int32");
    stream->WriteInt32(data.indexCount);
    WriteValues(stream, data.indices, data.indexSize);
    if (version == 200) {
        stream->WriteInt32(data.subMeshes.Count());
        for (const SubMesh& subMesh : data.subMeshes) {
            stream->WriteString(PrimitiveWord(subMesh.primitive));
            stream->WriteInt32(subMesh.firstIndex);
            stream->WriteInt32(subMesh.maxVertex);
            stream->WriteInt32(subMesh.indexCount);
            stream->WriteInt32(subMesh.minVertex);
        }
    }
}

NgmData NgmDataFromMesh(Mesh* mesh)
{
    if (!mesh)
        throw Exception("NGM: no mesh to write");
    Managed<Mesh> single(mesh->ConvertToSingleIndexPrVertex());
    int vertexCount = single->CheckSingleIndexVertices();
    if (single->GetAttributeCount() > 16)
        throw Exception(String::Format("NGM: the mesh has %d attributes, a file holds at most 16", single->GetAttributeCount()));

    NgmData data;
    data.version = 200;
    data.vertexCount = vertexCount;
    for (int a = 0; a < single->GetAttributeCount(); ++a) {
        const Mesh::Attribute& source = *single->GetAttribute(a);
        NgmAttribute& attribute = data.attributes[data.attributes.AddEmpty()];
        attribute.semantic = source.semantic;
        attribute.type = Graphics::DataTypeFloat;
        attribute.components = source.components;
        int64_t bytes = int64_t(source.values.Count()) * 4;
        if (bytes > INT32_MAX)
            throw Exception(String::Format("NGM: attribute %d is too large for a file", a));
        attribute.data.SetSize(static_cast<int>(bytes));
        if (bytes > 0)
            std::memcpy(attribute.data.Data(), source.values.Data(), static_cast<size_t>(bytes));
    }

    data.indexSize = vertexCount <= 65536 ? 2 : 4;
    data.indexCount = single->GetIndexCount();
    if (int64_t(data.indexCount) * data.indexSize > INT32_MAX)
        throw Exception("NGM: the mesh has too many indices for a file");
    data.indices.SetSize(data.indexCount * data.indexSize);
    for (int i = 0; i < data.indexCount; ++i) {
        uint32_t index = static_cast<uint32_t>(single->GetIndex(i));
        if (data.indexSize == 2) {
            uint16_t narrow = static_cast<uint16_t>(index);
            std::memcpy(data.indices.Data() + 2 * i, &narrow, 2);
        } else {
            std::memcpy(data.indices.Data() + 4 * i, &index, 4);
        }
    }
    for (int s = 0; s < single->GetSubMeshCount(); ++s)
        data.subMeshes.Add(single->GetSubMesh(s));
    return data;
}

}  // namespace Nimbrel::Utils::Loaders
