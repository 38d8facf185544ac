#pragma once
// A small COLLADA 1.4 writer for the demo's generated scenes: meshes with positions, normals
// and texture coordinates in one triangles element, phong materials whose reflective map is
// the demo texture, lights, and nodes that place one mesh each (so every part is a drawable of
// its own). Numbers are printed with a fixed format, so the same scene gives the same bytes.

#include <string>
#include <vector>

namespace demogen {

struct MeshData {
    std::string id;
    std::vector<float> positions;  // x y z per vertex
    std::vector<float> normals;    // x y z per vertex
    std::vector<float> uvs;        // u v per vertex
    std::vector<unsigned> indices; // three per triangle
};

MeshData MakeBox();                               // unit cube centred on the origin
MeshData MakeSphere(int slices, int stacks);      // radius 1
MeshData MakeCylinder(int slices);                // radius 1, z from 0 to 1, capped
MeshData MakeCone(int slices);                    // base radius 1 at z 0, tip at z 1
MeshData MakeGrid(int cells, float size);         // z = 0, centred, `cells` × `cells` quads

struct Colour {
    float r, g, b;
};

struct Part {
    std::string mesh;
    int material = 0;             // index into the scene's palette
    float position[3] = {0, 0, 0};
    float axis[3] = {0, 0, 1};    // rotation axis
    float angle = 0;              // degrees
    float scale[3] = {1, 1, 1};
    float spinSeconds = 0;        // > 0: turns once about its axis in this time, looping keys
    float bobHeight = 0;          // > 0: rises by this much and back over two seconds
};

struct SceneDescription {
    std::string name;
    std::vector<Colour> palette;
    float specular = 0.5f;
    Colour light{1, 1, 1};
    float lightDirection[3] = {-0.4f, -0.3f, -1.0f};
    std::vector<Part> parts;
    std::vector<MeshData> meshes;
};

// `texture` is the image file name as the scene refers to it (relative to the scene's folder).
std::string WriteCollada(const SceneDescription& scene, const std::string& texture);

}  // namespace demogen
