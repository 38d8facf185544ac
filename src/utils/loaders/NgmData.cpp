#include "utils/loaders/NgmData.h"

#include "core/Exception.h"

#include <cstring>

namespace Nimbrel::Utils::Loaders {

int NgmComponentSize(Graphics::DataType type)
{
    switch (type) {
    case Graphics::DataTypeFloat:
        return 4;
    case Graphics::DataTypeShort:
        return 2;
    case Graphics::DataTypeByte:
        return 1;
    default:
        return 0;
    }
}

uint32_t GetNgmIndex(const NgmData& data, int i)
{
    const uint8_t* bytes = data.indices.Data() + static_cast<size_t>(i) * data.indexSize;
    if (data.indexSize == 2) {
        uint16_t value;
        std::memcpy(&value, bytes, 2);
        return value;
    }
    uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

void CheckNgmData(const NgmData& data)
{
    const int version = data.version;
    if (version != 100 && version != 101 && version != 102 && version != 200)
        throw Exception(String::Format("NGM: unsupported version %d", version));
    if (data.vertexCount < 0)
        throw Exception(String::Format("NGM: invalid vertex count %d", data.vertexCount));
    if (data.attributes.Count() > 16)
        throw Exception(String::Format("NGM: %d attributes, a geometry takes 0 to 16", data.attributes.Count()));

    for (int i = 0; i < data.attributes.Count(); ++i) {
        const NgmAttribute& attribute = data.attributes[i];
        if (attribute.semantic < 0 || attribute.semantic > 15)
            throw Exception(String::Format("NGM: attribute %d has semantic %d (0 to 15)", i, attribute.semantic));
        int size = NgmComponentSize(attribute.type);
        if (size == 0)
            throw Exception(String::Format("NGM: attribute %d has data type %d, which a file cannot hold", i,
                                           static_cast<int>(attribute.type)));
        if (attribute.components < 1 || attribute.components > 4)
            throw Exception(String::Format("NGM: attribute %d has %d components (1 to 4)", i, attribute.components));
        if (attribute.normalized && attribute.scaleAndBias)
            throw Exception(String::Format("NGM: attribute %d is both normalised and scaled", i));
        if (version == 100 && (attribute.type != Graphics::DataTypeFloat || attribute.normalized || attribute.scaleAndBias))
            throw Exception(String::Format("NGM: attribute %d is not plain float data, which version 100 cannot hold", i));
        int64_t bytes = int64_t(data.vertexCount) * attribute.components * size;
        if (attribute.data.Count() != bytes)
            throw Exception(String::Format("NGM: attribute %d holds %d bytes, %lld expected", i, attribute.data.Count(),
                                           static_cast<long long>(bytes)));
    }

    if (data.indexSize != 2 && data.indexSize != 4)
        throw Exception(String::Format("NGM: invalid index size %d (2 or 4)", data.indexSize));
    if (version == 100 && data.indexSize != 4)
        throw Exception("NGM: version 100 holds only 32-bit indices");
    if (data.indexCount < 0)
        throw Exception(String::Format("NGM: invalid index count %d", data.indexCount));
    if (data.indices.Count() != int64_t(data.indexCount) * data.indexSize)
        throw Exception(String::Format("NGM: the indices take %d bytes, %lld expected", data.indices.Count(),
                                       static_cast<long long>(int64_t(data.indexCount) * data.indexSize)));
    for (int i = 0; i < data.indexCount; ++i) {
        uint32_t index = GetNgmIndex(data, i);
        if (index >= static_cast<uint32_t>(data.vertexCount))
            throw Exception(String::Format("NGM: index %u at position %d is not below the vertex count %d", index, i,
                                           data.vertexCount));
    }

    if (version < 200) {
        if (data.subMeshes.Count() != 1 || data.subMeshes[0].firstIndex != 0 ||
            data.subMeshes[0].indexCount != data.indexCount)
            throw Exception("NGM: before version 200 a file has exactly one submesh over all its indices");
    }
    for (int i = 0; i < data.subMeshes.Count(); ++i) {
        const SubMesh& subMesh = data.subMeshes[i];
        if (subMesh.primitive != Graphics::PrimitiveLines && subMesh.primitive != Graphics::PrimitiveTriangles)
            throw Exception(String::Format("NGM: submesh %d has primitive type %d (lines or triangles)", i,
                                           static_cast<int>(subMesh.primitive)));
        if (subMesh.firstIndex < 0 || subMesh.indexCount < 0 ||
            int64_t(subMesh.firstIndex) + subMesh.indexCount > data.indexCount)
            throw Exception(String::Format("NGM: submesh %d draws indices %d to %lld, outside the %d indices", i,
                                           subMesh.firstIndex,
                                           static_cast<long long>(int64_t(subMesh.firstIndex) + subMesh.indexCount) - 1,
                                           data.indexCount));
    }
}

}  // namespace Nimbrel::Utils::Loaders
