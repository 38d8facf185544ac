#include "support/ColladaWriter.h"

#include <charconv>
#include <cmath>

namespace Nimbrel::Testing {

namespace collada_writer_detail {

void AppendFloats(std::string& out, const std::vector<float>& values)
{
    char number[32];
    for (size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += ' ';
        const std::to_chars_result end = std::to_chars(number, number + sizeof number, values[i]);
        out.append(number, end.ptr);
    }
}

// A float source of `components` values an item.
std::string FloatSource(const std::string& id, const std::vector<float>& values, int components)
{
    std::string out = "<source id=\"" + id + "\"><float_array id=\"" + id + "-array\" count=\"" +
                      std::to_string(values.size()) + "\">";
    AppendFloats(out, values);
    out += "</float_array><technique_common><accessor source=\"#" + id + "-array\" count=\"" +
           std::to_string(values.size() / size_t(components)) + "\" stride=\"" + std::to_string(components) + "\">";
    static const char* const xyzw[] = {"X", "Y", "Z", "W"};
    static const char* const st[] = {"S", "T"};
    const char* const* names = components == 2 ? st : xyzw;
    for (int c = 0; c < components && c < 4; ++c)
        out += std::string("<param name=\"") + names[c] + "\" type=\"float\"/>";
    return out + "</accessor></technique_common></source>";
}

}  // namespace collada_writer_detail

ColladaMesh CubeMesh(const std::string& id, float half)
{
    ColladaMesh mesh;
    mesh.id = id;
    for (int i = 0; i < 8; ++i)
        mesh.positions.insert(mesh.positions.end(), {i & 1 ? half : -half, i & 2 ? half : -half, i & 4 ? half : -half});
    mesh.uvs = {0, 0, 1, 0, 1, 1, 0, 1};
    // Each face: its normal and its corners counter-clockwise seen from outside.
    struct Face {
        float normal[3];
        int corners[4];
    } faces[] = {
        {{-1, 0, 0}, {0, 4, 6, 2}}, {{1, 0, 0}, {1, 3, 7, 5}}, {{0, -1, 0}, {0, 1, 5, 4}},
        {{0, 1, 0}, {2, 6, 7, 3}},  {{0, 0, -1}, {0, 2, 3, 1}}, {{0, 0, 1}, {4, 5, 7, 6}},
    };
    for (int f = 0; f < 6; ++f) {
        mesh.normals.insert(mesh.normals.end(), faces[f].normal, faces[f].normal + 3);
        const int order[] = {0, 1, 2, 0, 2, 3};
        for (int k : order)
            mesh.corners.push_back({faces[f].corners[k], f, k});
    }
    return mesh;
}

ColladaMesh SphereMesh(const std::string& id, float radius, int rings, int segments)
{
    ColladaMesh mesh;
    mesh.id = id;
    const float pi = 3.14159265358979f;
    for (int r = 0; r <= rings; ++r) {
        const float polar = pi * float(r) / float(rings);
        for (int s = 0; s <= segments; ++s) {
            const float azimuth = 2 * pi * float(s) / float(segments);
            const float n[3] = {std::sin(polar) * std::cos(azimuth), std::sin(polar) * std::sin(azimuth), std::cos(polar)};
            mesh.normals.insert(mesh.normals.end(), n, n + 3);
            mesh.positions.insert(mesh.positions.end(), {radius * n[0], radius * n[1], radius * n[2]});
            mesh.uvs.insert(mesh.uvs.end(), {float(s) / float(segments), 1 - float(r) / float(rings)});
        }
    }
    auto at = [segments](int r, int s) { return r * (segments + 1) + s; };
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            const int a = at(r, s), b = at(r + 1, s), c = at(r + 1, s + 1), d = at(r, s + 1);
            if (r > 0)
                for (int v : {a, b, d})
                    mesh.corners.push_back({v, v, v});
            if (r < rings - 1)
                for (int v : {d, b, c})
                    mesh.corners.push_back({v, v, v});
        }
    return mesh;
}

void ColladaWriter::AddMesh(const ColladaMesh& mesh)
{
    using collada_writer_detail::FloatSource;
    std::string& out = geometries;
    out += "<geometry id=\"" + mesh.id + "\" name=\"" + mesh.id + "\"><mesh>";
    out += FloatSource(mesh.id + "-positions", mesh.positions, 3);
    out += FloatSource(mesh.id + "-normals", mesh.normals, 3);
    out += FloatSource(mesh.id + "-uvs", mesh.uvs, 2);
    out += "<vertices id=\"" + mesh.id + "-vertices\"><input semantic=\"POSITION\" source=\"#" + mesh.id +
           "-positions\"/></vertices>";
    out += "<triangles count=\"" + std::to_string(mesh.corners.size() / 3) + "\">";
    out += "<input semantic=\"VERTEX\" source=\"#" + mesh.id + "-vertices\" offset=\"0\"/>";
    out += "<input semantic=\"NORMAL\" source=\"#" + mesh.id + "-normals\" offset=\"1\"/>";
    out += "<input semantic=\"TEXCOORD\" source=\"#" + mesh.id + "-uvs\" offset=\"2\" set=\"0\"/><p>";
    char number[16];
    for (size_t i = 0; i < mesh.corners.size(); ++i)
        for (int k = 0; k < 3; ++k) {
            if (i || k)
                out += ' ';
            const std::to_chars_result end = std::to_chars(number, number + sizeof number, mesh.corners[i][size_t(k)]);
            out.append(number, end.ptr);
        }
    out += "</p></triangles></mesh></geometry>";
}

void ColladaWriter::AddImage(const std::string& id, const std::string& file)
{
    images += "<image id=\"" + id + "\"><init_from>" + file + "</init_from></image>";
}

void ColladaWriter::AddColorEffect(const std::string& id, const std::string& model, const std::string& parameter,
                                   const std::array<float, 3>& color)
{
    std::string values;
    collada_writer_detail::AppendFloats(values, {color[0], color[1], color[2], 1});
    effects += "<effect id=\"" + id + "\"><profile_COMMON><technique sid=\"common\"><" + model + "><" + parameter +
               "><color sid=\"" + parameter + "\">" + values + "</color></" + parameter + "></" + model +
               "></technique></profile_COMMON></effect>";
}

void ColladaWriter::AddTextureEffect(const std::string& id, const std::string& image)
{
    effects += "<effect id=\"" + id + "\"><profile_COMMON>"
               "<newparam sid=\"surface\"><surface type=\"2D\"><init_from>" + image + "</init_from></surface></newparam>"
               "<newparam sid=\"sampler\"><sampler2D><source>surface</source></sampler2D></newparam>"
               "<technique sid=\"common\"><lambert><diffuse><texture texture=\"sampler\" texcoord=\"UVSET0\"/>"
               "</diffuse></lambert></technique></profile_COMMON></effect>";
}

void ColladaWriter::AddMaterial(const std::string& id, const std::string& effect)
{
    materials += "<material id=\"" + id + "\" name=\"" + id + "\"><instance_effect url=\"#" + effect + "\"/></material>";
}

void ColladaWriter::AddDirectionalLight(const std::string& id, const std::array<float, 3>& color)
{
    std::string values;
    collada_writer_detail::AppendFloats(values, {color[0], color[1], color[2]});
    lights += "<light id=\"" + id + "\"><technique_common><directional><color sid=\"color\">" + values +
              "</color></directional></technique_common></light>";
}

void ColladaWriter::AddLinearAnimation(const std::string& id, const std::string& target,
                                       const std::vector<float>& times, const std::vector<float>& values, int stride)
{
    using collada_writer_detail::FloatSource;
    std::string interpolation;
    for (size_t i = 0; i < times.size(); ++i)
        interpolation += i ? " LINEAR" : "LINEAR";
    animations += "<animation id=\"" + id + "-animation\">" + FloatSource(id + "-input", times, 1) +
                  FloatSource(id + "-output", values, stride) + "<source id=\"" + id +
                  "-interpolation\"><Name_array id=\"" + id + "-interpolation-array\" count=\"" +
                  std::to_string(times.size()) + "\">" + interpolation + "</Name_array><technique_common>" +
                  "<accessor source=\"#" + id + "-interpolation-array\" count=\"" + std::to_string(times.size()) +
                  "\" stride=\"1\"><param name=\"INTERPOLATION\" type=\"name\"/></accessor></technique_common></source>" +
                  "<sampler id=\"" + id + "\"><input semantic=\"INPUT\" source=\"#" + id + "-input\"/>" +
                  "<input semantic=\"OUTPUT\" source=\"#" + id + "-output\"/><input semantic=\"INTERPOLATION\" source=\"#" +
                  id + "-interpolation\"/></sampler><channel source=\"#" + id + "\" target=\"" + target +
                  "\"/></animation>";
}

void ColladaWriter::AddNode(const std::string& node)
{
    nodes += node;
}

std::string ColladaWriter::Instance(const std::string& mesh, const std::string& material)
{
    std::string out = "<instance_geometry url=\"#" + mesh + "\">";
    if (!material.empty())
        out += "<bind_material><technique_common><instance_material symbol=\"" + material + "\" target=\"#" + material +
               "\"/></technique_common></bind_material>";
    return out + "</instance_geometry>";
}

std::string ColladaWriter::Text() const
{
    auto library = [](const char* name, const std::string& content) {
        return content.empty() ? std::string() : "<" + std::string(name) + ">" + content + "</" + name + ">\n";
    };
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
           "<asset><unit name=\"meter\" meter=\"1\"/><up_axis>Z_UP</up_axis></asset>\n" +
           library("library_images", images) + library("library_effects", effects) +
           library("library_materials", materials) + library("library_geometries", geometries) +
           library("library_animations", animations) + library("library_lights", lights) +
           "<library_visual_scenes><visual_scene id=\"scene\" name=\"scene\">" + nodes +
           "</visual_scene></library_visual_scenes>\n<scene><instance_visual_scene url=\"#scene\"/></scene>\n"
           "</COLLADA>\n";
}

std::string PlanetScene()
{
    ColladaWriter writer;
    writer.AddColorEffect("grey-fx", "phong", "diffuse", {0.5f, 0.5f, 0.5f});
    writer.AddMaterial("grey-m", "grey-fx");
    // 2 * 250 * 200 triangles.
    writer.AddMesh(SphereMesh("planet", 10.0f, 201, 250));
    writer.AddMesh(CubeMesh("box", 1.0f));
    writer.AddDirectionalLight("sun", {1, 1, 1});
    writer.AddLinearAnimation("spin", "planet/turn.ANGLE", {0, 10}, {0, 360}, 1);
    writer.AddNode("<node id=\"planet\" name=\"planet\"><rotate sid=\"turn\">0 0 1 0</rotate>" +
                   ColladaWriter::Instance("planet", "grey-m") + "</node>");
    writer.AddNode("<node id=\"box\"><translate>20 0 0</translate>" + ColladaWriter::Instance("box", "grey-m") +
                   "<instance_light url=\"#sun\"/></node>");
    return writer.Text();
}

}  // namespace Nimbrel::Testing
