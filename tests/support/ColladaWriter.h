#pragma once
// COLLADA documents written by the tests, the benchmarks and the fuzz seeds: meshes with
// positions, normals and texture coordinates (each input at an index offset of its own, as
// exporters write them), effects with a colour or a texture, linear animations, lights and
// the node markup of one visual scene.
//
//     ColladaWriter writer;
//     writer.AddMesh(CubeMesh("box", 0.5f));
//     writer.AddColorEffect("red", "lambert", "diffuse", {1, 0, 0});
//     writer.AddMaterial("red-m", "red");
//     writer.AddNode("<node id=\"n\">" + ColladaWriter::Instance("box", "red-m") + "</node>");
//     std::string text = writer.Text();

#include <array>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

struct ColladaMesh {
    std::string id;
    std::vector<float> positions;  // x y z
    std::vector<float> normals;    // x y z
    std::vector<float> uvs;        // u v
    // Corners of the triangles, counter-clockwise seen from outside: three indices each, into
    // the positions, the normals and the texture coordinates.
    std::vector<std::array<int, 3>> corners;
};

// A cube centred on the origin; six faces of two triangles, each face with its own normal and
// the four corners of the texture.
ColladaMesh CubeMesh(const std::string& id, float half);
// A sphere of `rings` bands by `segments` around the z axis, with normals and texture
// coordinates; 2 * segments * (rings - 1) triangles.
ColladaMesh SphereMesh(const std::string& id, float radius, int rings, int segments);

class ColladaWriter {
public:
    void AddMesh(const ColladaMesh& mesh);
    void AddImage(const std::string& id, const std::string& file);
    // `model` is constant, lambert, phong or blinn; `parameter` the colour's element (diffuse,
    // emission, ...).
    void AddColorEffect(const std::string& id, const std::string& model, const std::string& parameter,
                        const std::array<float, 3>& color);
    // A lambert effect whose diffuse colour is the image, through a surface and a sampler.
    void AddTextureEffect(const std::string& id, const std::string& image);
    void AddMaterial(const std::string& id, const std::string& effect);
    // A directional light of the colour.
    void AddDirectionalLight(const std::string& id, const std::array<float, 3>& color);
    // A linear animation of one sampler `id` driving `target` ("node/sid.X"): a key at each
    // time, `stride` values each.
    void AddLinearAnimation(const std::string& id, const std::string& target, const std::vector<float>& times,
                            const std::vector<float>& values, int stride);
    // A node element of the visual scene, markup as written.
    void AddNode(const std::string& node);
    std::string Text() const;

    // An instance_geometry of the mesh bound to the material ("" for none).
    static std::string Instance(const std::string& mesh, const std::string& material);

private:
    std::string images, effects, materials, geometries, animations, lights, nodes;
};

// The benchmarks' scene, about 10 MB: a grey sphere of 100,000 triangles turned by an
// animation, a cube beside it and a directional light.
std::string PlanetScene();

}  // namespace Nimbrel::Testing
