// ngmtool: makes and inspects the engine's NGM geometry files.
//
//     ngmtool obj <model.obj> <model.ngm>   convert a Wavefront OBJ model
//     ngmtool info <model.ngm>              print what an NGM file holds
//
// The OBJ model is read with tinyobjloader; polygons are split into triangles. Its positions,
// and its normals and texture coordinates when every face has them, become the attributes
// POSITION, NORMAL and TEXCOORD0; each named object ("o" or "g") becomes a submesh. The file
// is written as NGM version 200 with one shared index per vertex (16-bit indices when the
// model has at most 65536 distinct vertices).

#include "core/Exception.h"
#include "core/Managed.h"
#include "graphics/VertexSemantics.h"
#include "io/NativeFileSystem.h"
#include "io/Stream.h"
#include "utils/Mesh.h"
#include "utils/loaders/NgmReader.h"
#include "utils/loaders/NgmWriter.h"

#include <tiny_obj_loader.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::Loaders;

namespace ngmtool {

Managed<IO::Stream> Open(const char* path, IO::FileMode mode)
{
    Managed<IO::NativeFileSystem> files(IO::NativeFileSystem::Create(""));
    return Managed<IO::Stream>(files->OpenFile(path, mode));
}

// The faces of every shape as one mesh of (position[, normal][, texture coordinate]) index
// groups, and where each shape's groups start.
Managed<Mesh> MeshFromObj(const tinyobj::ObjReader& reader, std::vector<size_t>& shapeStarts)
{
    const tinyobj::attrib_t& attrib = reader.GetAttrib();
    bool normals = !attrib.normals.empty();
    bool texCoords = !attrib.texcoords.empty();
    size_t groups = 0;
    for (const tinyobj::shape_t& shape : reader.GetShapes())
        for (const tinyobj::index_t& index : shape.mesh.indices) {
            normals = normals && index.normal_index >= 0;
            texCoords = texCoords && index.texcoord_index >= 0;
            ++groups;
        }
    if (groups == 0)
        throw Exception("the model has no faces");
    int stride = 1 + (normals ? 1 : 0) + (texCoords ? 1 : 0);
    if (groups * stride > size_t(INT32_MAX))
        throw Exception("the model has too many faces");

    Managed<Mesh> mesh(new Mesh());
    auto add = [&](int semantic, int offset, int components, const std::vector<tinyobj::real_t>& values) {
        Managed<Mesh::Attribute> attribute(new Mesh::Attribute(semantic, offset, components));
        for (tinyobj::real_t value : values)
            attribute->values.Add(static_cast<float>(value));
        mesh->AddAttribute(attribute.Get());
    };
    add(Graphics::SemanticPosition, 0, 3, attrib.vertices);
    if (normals)
        add(Graphics::SemanticNormal, 1, 3, attrib.normals);
    if (texCoords)
        add(Graphics::SemanticTexCoord0, normals ? 2 : 1, 2, attrib.texcoords);

    mesh->SetIndexStride(stride);
    mesh->SetIndexCount(static_cast<int>(groups * stride));
    int at = 0;
    for (const tinyobj::shape_t& shape : reader.GetShapes()) {
        shapeStarts.push_back(static_cast<size_t>(at / stride));
        for (const tinyobj::index_t& index : shape.mesh.indices) {
            mesh->SetIndex(at++, index.vertex_index);
            if (normals)
                mesh->SetIndex(at++, index.normal_index);
            if (texCoords)
                mesh->SetIndex(at++, index.texcoord_index);
        }
    }
    return mesh;
}

int ConvertObj(const char* objPath, const char* ngmPath)
{
    tinyobj::ObjReaderConfig config;
    config.triangulate = true;
    config.vertex_color = false;
    tinyobj::ObjReader reader;
    if (!reader.ParseFromFile(objPath, config)) {
        std::fprintf(stderr, "ngmtool: %s: %s\n", objPath, reader.Error().c_str());
        return 1;
    }
    if (!reader.Warning().empty())
        std::fprintf(stderr, "ngmtool: %s: %s", objPath, reader.Warning().c_str());

    std::vector<size_t> shapeStarts;
    Managed<Mesh> mesh = MeshFromObj(reader, shapeStarts);
    // The conversion keeps the order of the index groups, so each shape's triangles stay one
    // range of the single-index mesh.
    Managed<Mesh> single(mesh->ConvertToSingleIndexPrVertex());
    size_t total = static_cast<size_t>(single->GetIndexCount());
    shapeStarts.push_back(total);
    for (size_t s = 0; s + 1 < shapeStarts.size(); ++s) {
        int first = static_cast<int>(shapeStarts[s]);
        int count = static_cast<int>(shapeStarts[s + 1] - shapeStarts[s]);
        if (count == 0)
            continue;
        const int* indices = single->GetIndices() + first;
        auto [low, high] = std::minmax_element(indices, indices + count);
        single->AddSubMesh(SubMesh{first, count, *low, *high, Graphics::PrimitiveTriangles});
    }

    NgmData data = NgmDataFromMesh(single.Get());
    Managed<IO::Stream> out = Open(ngmPath, IO::FileModeWrite);
    WriteNgm(out.Get(), data);
    std::printf("%s: %d vertices, %d triangles in %d submeshes\n", ngmPath, data.vertexCount, data.indexCount / 3,
                data.subMeshes.Count());
    return 0;
}

const char* TypeName(Graphics::DataType type)
{
    return type == Graphics::DataTypeShort ? "short" : type == Graphics::DataTypeByte ? "byte" : "float";
}

int Describe(const char* ngmPath)
{
    Managed<IO::Stream> in = Open(ngmPath, IO::FileModeRead);
    NgmData data = ReadNgmData(in.Get());
    std::printf("%s: NGM%d, %d vertices, %d indices of %d bits\n", ngmPath, data.version, data.vertexCount,
                data.indexCount, data.indexSize * 8);
    for (int i = 0; i < data.attributes.Count(); ++i) {
        const NgmAttribute& attribute = data.attributes[i];
        std::printf("  attribute %d: %s, %d x %s", i, Graphics::GetStandardSemanticName(attribute.semantic),
                    attribute.components, TypeName(attribute.type));
        if (attribute.normalized)
            std::printf(", normalised");
        if (attribute.scaleAndBias)
            std::printf(", scale %g bias %g", attribute.scale, attribute.bias);
        if (attribute.type == Graphics::DataTypeFloat && data.vertexCount > 0) {
            std::vector<float> low(4, 0.0f), high(4, 0.0f);
            const float* values = reinterpret_cast<const float*>(attribute.data.Data());
            for (int v = 0; v < data.vertexCount; ++v)
                for (int c = 0; c < attribute.components; ++c) {
                    float value;
                    std::memcpy(&value, values + v * attribute.components + c, 4);
                    low[c] = v == 0 ? value : std::min(low[c], value);
                    high[c] = v == 0 ? value : std::max(high[c], value);
                }
            std::printf(", from (");
            for (int c = 0; c < attribute.components; ++c)
                std::printf(c ? ", %g" : "%g", low[c]);
            std::printf(") to (");
            for (int c = 0; c < attribute.components; ++c)
                std::printf(c ? ", %g" : "%g", high[c]);
            std::printf(")");
        }
        std::printf("\n");
    }
    for (int i = 0; i < data.subMeshes.Count(); ++i) {
        const SubMesh& subMesh = data.subMeshes[i];
        std::printf("  submesh %d: %s, %d indices from %d, vertices %d to %d\n", i,
                    subMesh.primitive == Graphics::PrimitiveLines ? "lines" : "triangles", subMesh.indexCount,
                    subMesh.firstIndex, subMesh.minVertex, subMesh.maxVertex);
    }
    return 0;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: ngmtool obj <model.obj> <model.ngm>   convert a Wavefront OBJ model\n"
                 "       ngmtool info <model.ngm>              print what an NGM file holds\n");
    return 2;
}

}  // namespace ngmtool

int main(int argc, char** argv)
{
    try {
        if (argc == 4 && std::strcmp(argv[1], "obj") == 0)
            return ngmtool::ConvertObj(argv[2], argv[3]);
        if (argc == 3 && std::strcmp(argv[1], "info") == 0)
            return ngmtool::Describe(argv[2]);
        return ngmtool::Usage();
    } catch (const Exception& error) {
        std::fprintf(stderr, "ngmtool: %s\n", error.GetMessage().CStr());
        return 1;
    }
}
