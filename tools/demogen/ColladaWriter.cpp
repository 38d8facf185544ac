#include "ColladaWriter.h"

#include <cmath>
#include <cstdio>

namespace demogen {

namespace {

constexpr float kPi = 3.14159265358979f;
// The animations' keys span the whole presentation.
constexpr float kAnimationSeconds = 144.0f;

void AddVertex(MeshData& mesh, float x, float y, float z, float nx, float ny, float nz, float u, float v)
{
    mesh.positions.insert(mesh.positions.end(), {x, y, z});
    mesh.normals.insert(mesh.normals.end(), {nx, ny, nz});
    mesh.uvs.insert(mesh.uvs.end(), {u, v});
}

unsigned VertexCount(const MeshData& mesh) { return static_cast<unsigned>(mesh.positions.size() / 3); }

void AddQuad(MeshData& mesh, unsigned a, unsigned b, unsigned c, unsigned d)
{
    mesh.indices.insert(mesh.indices.end(), {a, b, c, a, c, d});
}

// A number as the document prints it: up to five significant digits, "-0" printed as "0".
void Number(std::string& out, float value)
{
    char text[32];
    if (std::fabs(value) < 5e-6f)
        value = 0;
    std::snprintf(text, sizeof text, "%.5g", static_cast<double>(value));
    out += text;
}

void Numbers(std::string& out, const std::vector<float>& values)
{
    for (size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += i % 12 ? " " : "\n";
        Number(out, values[i]);
    }
}

std::string Text(float value)
{
    std::string out;
    Number(out, value);
    return out;
}

std::string ColourText(const Colour& c) { return Text(c.r) + " " + Text(c.g) + " " + Text(c.b) + " 1"; }

void Source(std::string& out, const std::string& id, const std::vector<float>& values, int stride)
{
    out += "<source id=\"" + id + "\"><float_array id=\"" + id + "-a\" count=\"" + std::to_string(values.size()) + "\">";
    Numbers(out, values);
    out += "</float_array>\n<technique_common><accessor source=\"#" + id + "-a\" count=\"" +
           std::to_string(values.size() / stride) + "\" stride=\"" + std::to_string(stride) +
           "\"/></technique_common></source>\n";
}

void Geometry(std::string& out, const MeshData& mesh)
{
    out += "<geometry id=\"" + mesh.id + "\"><mesh>\n";
    Source(out, mesh.id + "-pos", mesh.positions, 3);
    Source(out, mesh.id + "-nrm", mesh.normals, 3);
    Source(out, mesh.id + "-uv", mesh.uvs, 2);
    out += "<vertices id=\"" + mesh.id + "-v\"><input semantic=\"POSITION\" source=\"#" + mesh.id +
           "-pos\"/><input semantic=\"NORMAL\" source=\"#" + mesh.id + "-nrm\"/><input semantic=\"TEXCOORD\" source=\"#" +
           mesh.id + "-uv\"/></vertices>\n";
    out += "<triangles count=\"" + std::to_string(mesh.indices.size() / 3) +
           "\"><input semantic=\"VERTEX\" source=\"#" + mesh.id + "-v\" offset=\"0\"/><p>";
    for (size_t i = 0; i < mesh.indices.size(); ++i) {
        if (i)
            out += i % 24 ? " " : "\n";
        out += std::to_string(mesh.indices[i]);
    }
    out += "</p></triangles>\n</mesh></geometry>\n";
}

void Animation(std::string& out, const std::string& id, const std::string& target, const std::vector<float>& times,
               const std::vector<float>& values)
{
    out += "<animation id=\"" + id + "\">\n";
    Source(out, id + "-in", times, 1);
    Source(out, id + "-out", values, 1);
    out += "<source id=\"" + id + "-ip\"><Name_array id=\"" + id + "-ip-a\" count=\"1\">LINEAR</Name_array>"
           "<technique_common><accessor source=\"#" + id + "-ip-a\" count=\"1\" stride=\"1\"/></technique_common></source>\n";
    out += "<sampler id=\"" + id + "-s\"><input semantic=\"INPUT\" source=\"#" + id + "-in\"/><input semantic=\"OUTPUT\" source=\"#" +
           id + "-out\"/><input semantic=\"INTERPOLATION\" source=\"#" + id + "-ip\"/></sampler>\n";
    out += "<channel source=\"#" + id + "-s\" target=\"" + target + "\"/>\n</animation>\n";
}

}  // namespace

MeshData MakeBox()
{
    MeshData mesh;
    mesh.id = "box";
    // One face per axis direction, four vertices each so every face has its own normal.
    const float faces[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const auto& n : faces) {
        // Two edge directions u, w along the other axes, with u × w = n.
        float u[3] = {n[2], n[0], n[1]};
        float w[3] = {n[1] * u[2] - n[2] * u[1], n[2] * u[0] - n[0] * u[2], n[0] * u[1] - n[1] * u[0]};
        const unsigned first = VertexCount(mesh);
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& c : corners)
            AddVertex(mesh, 0.5f * (n[0] + c[0] * u[0] + c[1] * w[0]), 0.5f * (n[1] + c[0] * u[1] + c[1] * w[1]),
                      0.5f * (n[2] + c[0] * u[2] + c[1] * w[2]), n[0], n[1], n[2], 0.5f * (c[0] + 1), 0.5f * (c[1] + 1));
        AddQuad(mesh, first, first + 1, first + 2, first + 3);
    }
    return mesh;
}

MeshData MakeSphere(int slices, int stacks)
{
    MeshData mesh;
    mesh.id = "sphere";
    for (int j = 0; j <= stacks; ++j) {
        const float theta = kPi * j / stacks;
        for (int i = 0; i <= slices; ++i) {
            const float phi = 2 * kPi * i / slices;
            const float x = std::sin(theta) * std::cos(phi), y = std::sin(theta) * std::sin(phi), z = -std::cos(theta);
            AddVertex(mesh, x, y, z, x, y, z, float(i) / slices, float(j) / stacks);
        }
    }
    for (int j = 0; j < stacks; ++j)
        for (int i = 0; i < slices; ++i) {
            const unsigned a = j * (slices + 1) + i;
            AddQuad(mesh, a, a + 1, a + slices + 2, a + slices + 1);
        }
    return mesh;
}

MeshData MakeCylinder(int slices)
{
    MeshData mesh;
    mesh.id = "cylinder";
    for (int i = 0; i <= slices; ++i) {
        const float phi = 2 * kPi * i / slices, x = std::cos(phi), y = std::sin(phi);
        AddVertex(mesh, x, y, 0, x, y, 0, float(i) / slices, 0);
        AddVertex(mesh, x, y, 1, x, y, 0, float(i) / slices, 1);
    }
    for (int i = 0; i < slices; ++i)
        AddQuad(mesh, 2 * i, 2 * i + 2, 2 * i + 3, 2 * i + 1);
    for (int cap = 0; cap < 2; ++cap) {
        const float z = float(cap), nz = cap ? 1.0f : -1.0f;
        const unsigned centre = VertexCount(mesh);
        AddVertex(mesh, 0, 0, z, 0, 0, nz, 0.5f, 0.5f);
        for (int i = 0; i <= slices; ++i) {
            const float phi = 2 * kPi * i / slices, x = std::cos(phi), y = std::sin(phi);
            AddVertex(mesh, x, y, z, 0, 0, nz, 0.5f + 0.5f * x, 0.5f + 0.5f * y);
        }
        for (int i = 0; i < slices; ++i) {
            const unsigned a = centre + 1 + i, b = a + 1;
            if (cap)
                mesh.indices.insert(mesh.indices.end(), {centre, a, b});
            else
                mesh.indices.insert(mesh.indices.end(), {centre, b, a});
        }
    }
    return mesh;
}

MeshData MakeCone(int slices)
{
    MeshData mesh;
    mesh.id = "cone";
    const float slope = 1 / std::sqrt(2.0f);
    for (int i = 0; i < slices; ++i) {
        const float phi0 = 2 * kPi * i / slices, phi1 = 2 * kPi * (i + 1) / slices, mid = 0.5f * (phi0 + phi1);
        const unsigned first = VertexCount(mesh);
        AddVertex(mesh, std::cos(phi0), std::sin(phi0), 0, slope * std::cos(phi0), slope * std::sin(phi0), slope,
                  float(i) / slices, 0);
        AddVertex(mesh, std::cos(phi1), std::sin(phi1), 0, slope * std::cos(phi1), slope * std::sin(phi1), slope,
                  float(i + 1) / slices, 0);
        AddVertex(mesh, 0, 0, 1, slope * std::cos(mid), slope * std::sin(mid), slope, (i + 0.5f) / slices, 1);
        mesh.indices.insert(mesh.indices.end(), {first, first + 1, first + 2});
    }
    const unsigned centre = VertexCount(mesh);
    AddVertex(mesh, 0, 0, 0, 0, 0, -1, 0.5f, 0.5f);
    for (int i = 0; i <= slices; ++i) {
        const float phi = 2 * kPi * i / slices;
        AddVertex(mesh, std::cos(phi), std::sin(phi), 0, 0, 0, -1, 0.5f + 0.5f * std::cos(phi), 0.5f + 0.5f * std::sin(phi));
    }
    for (int i = 0; i < slices; ++i)
        mesh.indices.insert(mesh.indices.end(), {centre, centre + 2 + unsigned(i), centre + 1 + unsigned(i)});
    return mesh;
}

MeshData MakeGrid(int cells, float size)
{
    MeshData mesh;
    mesh.id = "grid";
    for (int j = 0; j <= cells; ++j)
        for (int i = 0; i <= cells; ++i)
            AddVertex(mesh, size * (float(i) / cells - 0.5f), size * (float(j) / cells - 0.5f), 0, 0, 0, 1,
                      float(i) / 4, float(j) / 4);
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            const unsigned a = j * (cells + 1) + i;
            AddQuad(mesh, a, a + 1, a + cells + 2, a + cells + 1);
        }
    return mesh;
}

std::string WriteCollada(const SceneDescription& scene, const std::string& texture)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
                      "<asset><contributor><authoring_tool>demogen</authoring_tool></contributor>"
                      "<unit name=\"meter\" meter=\"1\"/><up_axis>Z_UP</up_axis></asset>\n";

    out += "<library_images><image id=\"pattern\"><init_from>" + texture + "</init_from></image></library_images>\n";

    out += "<library_effects>\n";
    for (size_t m = 0; m < scene.palette.size(); ++m) {
        const std::string id = "fx" + std::to_string(m);
        out += "<effect id=\"" + id + "\"><profile_COMMON>\n"
               "<newparam sid=\"surface\"><surface type=\"2D\"><init_from>pattern</init_from></surface></newparam>\n"
               "<newparam sid=\"sampler\"><sampler2D><source>surface</source></sampler2D></newparam>\n"
               "<technique sid=\"common\"><phong>\n";
        out += "<diffuse><color sid=\"diffuse\">" + ColourText(scene.palette[m]) + "</color></diffuse>\n";
        const Colour specular{scene.specular, scene.specular, scene.specular};
        out += "<specular><color sid=\"specular\">" + ColourText(specular) + "</color></specular>\n";
        out += "<shininess><float>24</float></shininess>\n";
        out += "<reflective><texture texture=\"sampler\" texcoord=\"uv\"/></reflective>\n";
        out += "</phong></technique></profile_COMMON></effect>\n";
    }
    out += "</library_effects>\n<library_materials>\n";
    for (size_t m = 0; m < scene.palette.size(); ++m)
        out += "<material id=\"mat" + std::to_string(m) + "\"><instance_effect url=\"#fx" + std::to_string(m) +
               "\"/></material>\n";
    out += "</library_materials>\n<library_geometries>\n";
    for (const MeshData& mesh : scene.meshes)
        Geometry(out, mesh);
    out += "</library_geometries>\n";

    out += "<library_lights>\n<light id=\"sun\"><technique_common><directional><color>" + Text(scene.light.r) + " " +
           Text(scene.light.g) + " " + Text(scene.light.b) + "</color></directional></technique_common></light>\n"
           "<light id=\"lamp\"><technique_common><point><color>1 0.9 0.8</color>"
           "<constant_attenuation>1</constant_attenuation><linear_attenuation>0.002</linear_attenuation>"
           "</point></technique_common></light>\n</library_lights>\n";

    std::string animations;
    for (size_t i = 0; i < scene.parts.size(); ++i) {
        const Part& part = scene.parts[i];
        const std::string node = "part" + std::to_string(i);
        if (part.spinSeconds > 0)
            Animation(animations, node + "-spin", node + "/rotate.ANGLE", {0, kAnimationSeconds},
                      {part.angle, part.angle + 360 * kAnimationSeconds / part.spinSeconds});
        if (part.bobHeight > 0) {
            std::vector<float> times, heights;
            for (int s = 0; s <= int(kAnimationSeconds); ++s) {
                times.push_back(float(s));
                heights.push_back(part.position[2] + (s % 2 ? part.bobHeight : 0));
            }
            Animation(animations, node + "-bob", node + "/translate.Z", times, heights);
        }
    }
    if (!animations.empty())
        out += "<library_animations>\n" + animations + "</library_animations>\n";

    out += "<library_visual_scenes><visual_scene id=\"" + scene.name + "\">\n";
    out += "<node id=\"sun-node\"><instance_light url=\"#sun\"/></node>\n";
    out += "<node id=\"lamp-node\"><translate sid=\"translate\">0 0 150</translate><instance_light url=\"#lamp\"/></node>\n";
    for (size_t i = 0; i < scene.parts.size(); ++i) {
        const Part& part = scene.parts[i];
        const std::string node = "part" + std::to_string(i);
        out += "<node id=\"" + node + "\" name=\"" + node + "\">";
        out += "<translate sid=\"translate\">" + Text(part.position[0]) + " " + Text(part.position[1]) + " " +
               Text(part.position[2]) + "</translate>";
        out += "<rotate sid=\"rotate\">" + Text(part.axis[0]) + " " + Text(part.axis[1]) + " " + Text(part.axis[2]) +
               " " + Text(part.angle) + "</rotate>";
        out += "<scale sid=\"scale\">" + Text(part.scale[0]) + " " + Text(part.scale[1]) + " " + Text(part.scale[2]) +
               "</scale>\n";
        out += "<instance_geometry url=\"#" + part.mesh + "\"><bind_material><technique_common><instance_material "
               "symbol=\"material\" target=\"#mat" + std::to_string(part.material) +
               "\"/></technique_common></bind_material></instance_geometry></node>\n";
    }
    out += "</visual_scene></library_visual_scenes>\n"
           "<scene><instance_visual_scene url=\"#" + scene.name + "\"/></scene>\n</COLLADA>\n";
    return out;
}

}  // namespace demogen
