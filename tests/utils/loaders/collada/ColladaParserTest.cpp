// The COLLADA parser: what it keeps of a document, what it logs, and the messages it stops
// with. Documents are written inline and read through the XML loader.
#include "ColladaFixture.h"

#include "graphics/VertexSemantics.h"
#include "utils/Mesh.h"
#include "utils/loaders/collada/NumberText.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace collada_parser_test {

using namespace Nimbrel;
using namespace Nimbrel::Testing;
using namespace Nimbrel::Utils;
using Loaders::COLLADA::Parser;

// A mesh "m" over four positions (a unit square), three normals and four texture coordinates,
// with the primitive elements given.
std::string SquareMesh(const std::string& primitives)
{
    return "<library_geometries><geometry id=\"m\"><mesh>"
           "<source id=\"pos\"><float_array id=\"pos-a\" count=\"12\">0 0 0 1 0 0 1 1 0 0 1 0</float_array>"
           "<technique_common><accessor source=\"#pos-a\" count=\"4\" stride=\"3\"/></technique_common></source>"
           "<source id=\"nrm\"><float_array id=\"nrm-a\" count=\"9\">0 0 1 0 1 0 1 0 0</float_array>"
           "<technique_common><accessor source=\"#nrm-a\" count=\"3\" stride=\"3\"/></technique_common></source>"
           "<source id=\"uv\"><float_array id=\"uv-a\" count=\"8\">0 0 1 0 1 1 0 1</float_array>"
           "<technique_common><accessor source=\"#uv-a\" count=\"4\" stride=\"2\"/></technique_common></source>"
           "<vertices id=\"v\"><input semantic=\"POSITION\" source=\"#pos\"/></vertices>" +
           primitives + "</mesh></geometry></library_geometries>";
}

std::vector<int> Indices(const Mesh& mesh)
{
    return std::vector<int>(mesh.GetIndices(), mesh.GetIndices() + mesh.GetIndexCount());
}

TEST(ColladaParser, IgnoredElementsAreLoggedAndTheLogStaysReadableAfterTheImport)
{
    ColladaFiles files;
    const std::string text =
        Collada("<asset><up_axis>Y_UP</up_axis><unit name=\"centimeter\" meter=\"0.01\"/></asset>"
                "<library_physics_models/><library_animation_clips/>" + TriangleGeometry() +
                VisualScene("<node id=\"n\"/>"));
    auto parser = files.Parse(text);
    const std::vector<std::string> expected = {"Element ignored: COLLADA/asset",
                                               "Element ignored: COLLADA/library_physics_models",
                                               "Element ignored: COLLADA/library_animation_clips"};
    ASSERT_EQ(parser->GetLog().Count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(parser->GetLog()[i].CStr(), expected[size_t(i)]);

    Managed<Scene> scene(parser->BuildScene(files.proxy.Get(), ""));
    ASSERT_EQ(scene->GetImportLog().Count(), 3);
    EXPECT_STREQ(scene->GetImportLog()[1].CStr(), expected[1].c_str());
    EXPECT_STREQ(scene->GetUpAxis().CStr(), "Y_UP");
    EXPECT_FLOAT_EQ(scene->GetUnitMeter(), 0.01f);
}

TEST(ColladaParser, AnErrorThrowsTheWholeLogWithTheErrorLineLast)
{
    ColladaFiles files;
    const std::string message =
        files.Failure(Collada("<extra/><library_geometries><geometry id=\"g\"><mesh><polylist_x/></mesh></geometry>"
                              "</library_geometries>"));
    EXPECT_EQ(message, "Element ignored: COLLADA/extra\n"
                       "Error: Element not recognized. In COLLADA/library_geometries/geometry/mesh/polylist_x\n");
}

// Each document fails with the given last line of the message.
TEST(ColladaParser, FaultsEndInAnErrorNamingTheElement)
{
    const std::string inputs = "<input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/>";
    const std::string mesh = "COLLADA/library_geometries/geometry/mesh/";
    struct Case {
        std::string document;
        std::string lastLine;
    } cases[] = {
        {Collada("<library_stuff/>"), "Error: unknown library. In COLLADA/library_stuff"},
        {Collada(VisualScene("<node><lookat>0 0 0 1 1 1 0 0 1</lookat></node>")),
         "Error: Unsupported transform type: lookat. In COLLADA/library_visual_scenes/visual_scene/node/lookat"},
        {Collada(VisualScene("<node><instance_node url=\"#x\"/></node>")),
         "Error: COLLADA Node instancing not supported (yet). In "
         "COLLADA/library_visual_scenes/visual_scene/node/instance_node"},
        {Collada(VisualScene("<node><instance_geometry/></node>")),
         "Error: instance missing required attribute 'url'. In "
         "COLLADA/library_visual_scenes/visual_scene/node/instance_geometry"},
        {Collada("<library_images><image id=\"i\"><data>00</data></image></library_images>"),
         "Error: This compiler does not support embedded images in the COLLADA format. In "
         "COLLADA/library_images/image/data"},
        {Collada("<library_geometries><geometry id=\"g\"><mesh/></geometry></library_geometries>"),
         "Error: mesh had no vertices. In COLLADA/library_geometries/geometry/mesh"},
        {Collada("<library_geometries><geometry id=\"g\"><brep/></geometry></library_geometries>"),
         "Error: Unsupported geometry type. In COLLADA/library_geometries/geometry/brep"},
        {Collada(SquareMesh("<triangles>" + inputs + "<p>0 1 2</p></triangles>")),
         "Error: triangles missing required attribute 'count'. In " + mesh + "triangles"},
        {Collada(SquareMesh("<triangles count=\"1\">" + inputs + "<p>0 1 4</p></triangles>")),
         "Error: Index 4 is outside the 4 items of source 'pos'. In " + mesh + "triangles"},
        {Collada(SquareMesh("<triangles count=\"1\">" + inputs + "<p>0 1 -1</p></triangles>")),
         "Error: Index -1 is outside the 4 items of source 'pos'. In " + mesh + "triangles"},
        {Collada(SquareMesh("<triangles count=\"2\">" + inputs + "<p>0 1 2</p></triangles>")),
         "Error: p holds 3 indices where count, inputs and offsets call for 6. In " + mesh + "triangles"},
        {Collada(SquareMesh("<triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#v\" offset=\"-1\"/>"
                            "<p>0 1 2</p></triangles>")),
         "Error: Input offset -1 is negative. In " + mesh + "triangles"},
        {Collada(SquareMesh("<triangles count=\"1\">" + inputs +
                            "<input semantic=\"TEXCOORD\" source=\"#uv\" offset=\"0\" set=\"8\"/><p>0 1 2</p></triangles>")),
         "Error: Input set 8 is outside 0 to 7. In " + mesh + "triangles"},
        {Collada(SquareMesh("<triangles count=\"1\">" + inputs + "<p>0 1 2</p></triangles>"
                            "<triangles count=\"1\">" + inputs +
                            "<input semantic=\"NORMAL\" source=\"#nrm\" offset=\"1\"/><p>0 0 1 1 2 2</p></triangles>")),
         "Error: Primitives of one mesh use different inputs. In " + mesh + "triangles"},
        {Collada(SquareMesh("<triangles count=\"1\">" + inputs + "<p>0 1 x</p></triangles>")),
         "Error: Malformed number 'x'. In " + mesh + "triangles/p"},
        {Collada(SquareMesh("<triangles count=\"1\">" + inputs + "<p>0 1 2</p></triangles><polygons count=\"1\">" +
                            inputs + "<ph><p>0 1 2</p><h>3</h></ph></polygons>")),
         "Error: Element not supported. In " + mesh + "polygons/ph"},
        {Collada("<library_geometries><geometry id=\"g\"><mesh><source id=\"s\"><bool_array>true</bool_array>"
                 "</source></mesh></geometry></library_geometries>"),
         "Error: Element not supported. In " + mesh + "source/bool_array"},
        {Collada("<library_controllers><controller id=\"c\"><morph/></controller></library_controllers>"),
         "Error: Element not supported. In COLLADA/library_controllers/controller/morph"},
        {Collada("<library_effects><effect id=\"e\"><newparam><surface type=\"2D\"/></newparam></effect>"
                 "</library_effects>"),
         "Error: 'newparam' misses required attribute 'sid'. In COLLADA/library_effects/effect/newparam"},
        {Collada("<library_effects><effect id=\"e\"><newparam sid=\"s\"><surface type=\"CUBE\"><init_from>i"
                 "</init_from></surface></newparam></effect></library_effects>"),
         "Error: This compiler only supports 2D surfaces (textures). In "
         "COLLADA/library_effects/effect/newparam/surface"},
        {Collada("<library_animations><animation><sampler id=\"s\"><input semantic=\"INPUT\"/></sampler>"
                 "</animation></library_animations>"),
         "Error: animation input missing semantic or source. In "
         "COLLADA/library_animations/animation/sampler/input"},
        {Collada("<library_cameras><camera id=\"c\"><optics><technique_common><perspective><znear>near</znear>"
                 "</perspective></technique_common></optics></camera></library_cameras>"),
         "Error: unable to parse light parameters from Malformed number 'near'. In "
         "COLLADA/library_cameras/camera/optics/technique_common/perspective/znear"},
    };
    for (const Case& c : cases) {
        ColladaFiles files;
        EXPECT_EQ(LastLine(files.Failure(c.document)), c.lastLine) << c.document;
    }
}

TEST(ColladaParser, AnAccessorStrideOutsideOneToFourFailsForAMeshInput)
{
    std::string geometry = SquareMesh("<triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#v\"/><p>0 1 2</p>"
                                      "</triangles>");
    geometry.replace(geometry.find("count=\"4\" stride=\"3\""), 20, "count=\"2\" stride=\"6\"");
    ColladaFiles files;
    EXPECT_EQ(LastLine(files.Failure(Collada(geometry))),
              "Error: Source 'pos' has a stride of 6, outside 1 to 4. In COLLADA/library_geometries/geometry/mesh/triangles");
}

TEST(ColladaParser, TrianglesWithOneVertexInputKeepOneIndexPerVertex)
{
    ColladaFiles files;
    auto parser = files.Parse(
        Collada(SquareMesh("<triangles count=\"2\"><input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/>"
                           "<p>0 1 2 0 2 3</p></triangles>")));
    Mesh* mesh = parser->GetDocument().meshes.Find("m");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetIndexStride(), 1);
    EXPECT_EQ(Indices(*mesh), (std::vector<int>{0, 1, 2, 0, 2, 3}));
    ASSERT_EQ(mesh->GetSubMeshCount(), 1);
    EXPECT_EQ(mesh->GetSubMesh(0), (SubMesh{0, 6, 0, 3, Graphics::PrimitiveTriangles}));
    ASSERT_EQ(mesh->GetAttributeCount(), 1);
    EXPECT_EQ(mesh->GetAttribute(0)->semantic, Graphics::SemanticPosition);
    EXPECT_EQ(mesh->GetAttribute(0)->components, 3);
    EXPECT_EQ(mesh->GetAttribute(0)->values.Count(), 12);
}

TEST(ColladaParser, InputsAtThreeOffsetsTakeEveryThirdIndex)
{
    ColladaFiles files;
    auto parser = files.Parse(Collada(SquareMesh(
        "<triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/>"
        "<input semantic=\"NORMAL\" source=\"#nrm\" offset=\"1\"/>"
        "<input semantic=\"TEXCOORD\" source=\"#uv\" offset=\"2\" set=\"1\"/><p>3 2 1 0 1 2 1 0 3</p></triangles>")));
    Mesh* mesh = parser->GetDocument().meshes.Find("m");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetIndexStride(), 3);
    struct Expected {
        int semantic;
        int offset;
        int components;
        std::vector<int> indices;
    } expected[] = {
        {Graphics::SemanticPosition, 0, 3, {3, 0, 1}},
        {Graphics::SemanticNormal, 1, 3, {2, 1, 0}},
        {Graphics::SemanticTexCoord0 + 1, 2, 2, {1, 2, 3}},
    };
    ASSERT_EQ(mesh->GetAttributeCount(), 3);
    for (const Expected& e : expected) {
        Mesh::Attribute* attribute = mesh->GetAttributeBySemantic(e.semantic);
        ASSERT_NE(attribute, nullptr) << e.semantic;
        EXPECT_EQ(attribute->indexOffset, e.offset);
        EXPECT_EQ(attribute->components, e.components);
        std::vector<int> read;
        for (int v = 0; v < 3; ++v)
            read.push_back(mesh->GetIndex(v * 3 + e.offset));
        EXPECT_EQ(read, e.indices) << e.semantic;
    }
    EXPECT_EQ(mesh->GetSubMesh(0), (SubMesh{0, 3, 0, 3, Graphics::PrimitiveTriangles}));
}

// Polygons become fans from their first corner, strips alternate to keep the winding of their
// first triangle, and several elements with the same inputs add to one submesh.
TEST(ColladaParser, PolygonsStripsAndFansBecomeTrianglesWithTheirWinding)
{
    const std::string vertex = "<input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/>";
    struct Case {
        std::string primitives;
        std::vector<int> indices;
    } cases[] = {
        {"<polylist count=\"1\">" + vertex + "<vcount>4</vcount><p>0 1 2 3</p></polylist>", {0, 1, 2, 0, 2, 3}},
        {"<polylist count=\"2\">" + vertex + "<vcount>3 4</vcount><p>0 1 2 3 2 1 0</p></polylist>",
         {0, 1, 2, 3, 2, 1, 3, 1, 0}},
        {"<polygons count=\"2\">" + vertex + "<p>0 1 2 3</p><p>3 2 1</p></polygons>", {0, 1, 2, 0, 2, 3, 3, 2, 1}},
        {"<tristrips count=\"1\">" + vertex + "<p>0 1 3 2</p></tristrips>", {0, 1, 3, 3, 1, 2}},
        {"<trifans count=\"1\">" + vertex + "<p>0 1 2 3</p></trifans>", {0, 1, 2, 0, 2, 3}},
        {"<triangles count=\"1\">" + vertex + "<p>0 1 2</p></triangles><trifans count=\"1\">" + vertex +
             "<p>0 2 3</p></trifans>",
         {0, 1, 2, 0, 2, 3}},
    };
    for (const Case& c : cases) {
        ColladaFiles files;
        auto parser = files.Parse(Collada(SquareMesh(c.primitives)));
        Mesh* mesh = parser->GetDocument().meshes.Find("m");
        ASSERT_NE(mesh, nullptr) << c.primitives;
        EXPECT_EQ(Indices(*mesh), c.indices) << c.primitives;
        ASSERT_EQ(mesh->GetSubMeshCount(), 1);
        EXPECT_EQ(mesh->GetSubMesh(0).indexCount, int(c.indices.size()));
    }
}

TEST(ColladaParser, APolylistWhoseCountsDisagreeWithItsIndicesFails)
{
    const std::string vertex = "<input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/>";
    ColladaFiles files;
    EXPECT_EQ(LastLine(files.Failure(
                  Collada(SquareMesh("<polylist count=\"1\">" + vertex + "<vcount>4</vcount><p>0 1 2</p></polylist>")))),
              "Error: p holds 3 indices where vcount, inputs and offsets call for 4. In "
              "COLLADA/library_geometries/geometry/mesh/polylist");
}

TEST(ColladaParser, LinesAreSkippedWithALogLine)
{
    ColladaFiles files;
    auto parser = files.Parse(Collada(SquareMesh(
        "<lines count=\"1\"><input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/><p>0 1</p></lines>"
        "<triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/><p>0 1 2</p></triangles>")));
    ASSERT_EQ(parser->GetLog().Count(), 1);
    EXPECT_STREQ(parser->GetLog()[0].CStr(), "Element ignored: COLLADA/library_geometries/geometry/mesh/lines");
    EXPECT_EQ(parser->GetDocument().meshes.Find("m")->GetSubMesh(0).indexCount, 3);
}

TEST(ColladaParser, AMissingAccessorStrideMeansOneAndDecimalCommasRead)
{
    ColladaFiles files;
    auto parser = files.Parse(Collada(
        "<library_animations><animation><source id=\"t\"><float_array id=\"t-a\" count=\"2\">0 1,5</float_array>"
        "<technique_common><accessor source=\"#t-a\" count=\"2\"/></technique_common></source></animation>"
        "</library_animations>"));
    Loaders::COLLADA::Source* source = parser->GetDocument().sources.Find("t");
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->stride, 1);
    EXPECT_EQ(source->count, 2);
    ASSERT_EQ(source->floats.Count(), 2);
    EXPECT_FLOAT_EQ(source->floats[1], 1.5f);
}

TEST(ColladaParser, NumberListsReadEveryFormExportersWrite)
{
    Array<float> floats;
    Loaders::COLLADA::ReadFloats(String(" 1 -2.5e1\n+3\t0,25 1e-50 1e-999 INF 1e50 -1e999 "), floats);
    const float infinity = std::numeric_limits<float>::infinity();
    const std::vector<float> expected = {1.0f, -25.0f, 3.0f, 0.25f, 0.0f, 0.0f, infinity, infinity, -infinity};
    EXPECT_EQ(std::vector<float>(floats.begin(), floats.end()), expected);

    Array<int> ints;
    Loaders::COLLADA::ReadInts(String("-2147483648 0000000000007\n+5 2147483647"), ints);
    EXPECT_EQ(std::vector<int>(ints.begin(), ints.end()), (std::vector<int>{INT32_MIN, 7, 5, INT32_MAX}));
    struct Bad {
        const char* text;
        const char* message;
    } bad[] = {{"1 2x", "Malformed number '2x'"},
               {"1 2147483648", "Number out of range '2147483648'"},
               {"-2147483649", "Number out of range '-2147483649'"},
               {"- 1", "Malformed number '-'"},
               {"1.5", "Malformed number '1.5'"}};
    for (const Bad& b : bad) {
        try {
            Loaders::COLLADA::ReadInts(String(b.text), ints);
            ADD_FAILURE() << b.text << " read";
        } catch (const Exception& error) {
            EXPECT_STREQ(error.GetMessage().CStr(), b.message);
        }
    }
}

TEST(ColladaParser, ChannelTargetsSelectTheirFirstComponent)
{
    struct Case {
        const char* selector;
        int component;
    } cases[] = {{"X", 0}, {"G", 1}, {"Z", 2},     {"ANGLE", 3},   {"W", 3},  {"2)", 2}, {"0)(1)", 1},
                 {"15)", 15}, {"3)(3)", 15}, {"2)(1)", 9}, {"16)", -1}, {"4)(0)", -1}, {"Q", -1}, {"1)(", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(Parser::TargetComponent(c.selector), c.component) << c.selector;

    ColladaFiles files;
    auto parser = files.Parse(Collada(
        "<library_animations><animation><channel source=\"#s\" target=\"node1/rot.ANGLE\"/>"
        "<channel source=\"#s2\" target=\"node1/m(1)(2)\"/><channel source=\"#s3\" target=\"node1/t\"/>"
        "</animation></library_animations>"));
    const auto& channels = parser->GetDocument().channels;
    ASSERT_EQ(channels.Count(), 3);
    EXPECT_STREQ(channels[0]->target.CStr(), "node1/rot");
    EXPECT_STREQ(channels[0]->sampler.CStr(), "s");
    EXPECT_EQ(channels[0]->component, 3);
    EXPECT_STREQ(channels[1]->target.CStr(), "node1/m");
    EXPECT_EQ(channels[1]->component, 6);
    EXPECT_EQ(channels[2]->component, 0);
}

TEST(ColladaParser, AnInstanceKeepsTheLastMaterialItBinds)
{
    ColladaFiles files;
    auto parser = files.Parse(Collada(VisualScene(
        "<node id=\"n\"><instance_geometry url=\"#tri\"><bind_material><technique_common>"
        "<instance_material symbol=\"a\" target=\"#m1\"/><instance_material symbol=\"b\" target=\"#m2\"/>"
        "</technique_common></bind_material></instance_geometry></node>")));
    Loaders::COLLADA::Node* node = parser->GetDocument().nodes.Find("n");
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->batches.Count(), 1);
    EXPECT_STREQ(node->batches[0]->url.CStr(), "tri");
    EXPECT_STREQ(node->batches[0]->material.CStr(), "m2");
}

// Look-up keys need both the owner's id and the element's sid; sids repeat across effects.
TEST(ColladaParser, KeysAreMadeFromAnIdAndASidAndParametersAreScopedPerEffect)
{
    const std::string effect = "<profile_COMMON><newparam sid=\"surf\"><surface type=\"2D\"><init_from>IMG</init_from>"
                               "</surface></newparam><newparam sid=\"smp\"><sampler2D><source>surf</source></sampler2D>"
                               "</newparam><technique sid=\"t\"><phong><diffuse><color sid=\"diffuse\">1 0 0 1</color>"
                               "</diffuse></phong></technique></profile_COMMON>";
    auto withImage = [&](const std::string& image) {
        std::string text = effect;
        text.replace(text.find("IMG"), 3, image);
        return text;
    };
    ColladaFiles files;
    auto parser = files.Parse(Collada(
        "<library_effects><effect id=\"a\">" + withImage("ia") + "</effect><effect id=\"b\">" + withImage("ib") +
        "</effect><effect>" + withImage("ic") + "</effect></library_effects>"
        "<library_visual_scenes><visual_scene id=\"s\"><node><translate sid=\"t\">1 2 3</translate></node>"
        "<node id=\"k\"><translate>1 2 3</translate><rotate sid=\"r\">0 0 1 90</rotate></node></visual_scene>"
        "</library_visual_scenes>"));
    const auto& document = parser->GetDocument();
    EXPECT_STREQ(document.surfaces.Find("a/surf")->image.CStr(), "ia");
    EXPECT_STREQ(document.surfaces.Find("b/surf")->image.CStr(), "ib");
    EXPECT_STREQ(document.samplers2D.Find("b/smp")->source.CStr(), "surf");
    ASSERT_EQ(document.attributes.Count(), 2);
    EXPECT_STREQ(document.attributes.KeyAt(0).CStr(), "a/common/diffuse");
    EXPECT_STREQ(document.attributes.KeyAt(1).CStr(), "b/common/diffuse");
    ASSERT_EQ(document.transformations.Count(), 1);
    EXPECT_STREQ(document.transformations.KeyAt(0).CStr(), "k/r");
}

TEST(ColladaParser, ARepeatedIdKeepsTheFirstElementWithALogLine)
{
    ColladaFiles files;
    auto parser = files.Parse(Collada(
        "<library_images><image id=\"i\"><init_from>a.png</init_from></image><image id=\"i\"><init_from>b.png"
        "</init_from></image></library_images><library_visual_scenes><visual_scene/><visual_scene/>"
        "</library_visual_scenes>"));
    const auto& document = parser->GetDocument();
    EXPECT_STREQ(document.images.Find("i")->file.CStr(), "a.png");
    EXPECT_EQ(document.images.Count(), 1);
    // Scenes without an id are kept all the same: the first one is drawn.
    EXPECT_EQ(document.scenes.Count(), 2);
    ASSERT_EQ(parser->GetLog().Count(), 1);
    EXPECT_STREQ(parser->GetLog()[0].CStr(),
                 "Hint: duplicate id 'i', the later element ignored. In COLLADA/library_images/image");
}

TEST(ColladaParser, VendorCameraParametersThatAreNotNumbersAreSkipped)
{
    ColladaFiles files;
    auto parser = files.Parse(Collada(
        "<library_cameras><camera id=\"c\"><optics><technique_common><perspective><xfov sid=\"fov\">45</xfov>"
        "<znear>0.1</znear></perspective></technique_common><technique profile=\"x\"/></optics>"
        "<extra><technique profile=\"y\"><target>#n</target><shiftx>0.5</shiftx><znear>9</znear></technique></extra>"
        "</camera></library_cameras>"));
    Loaders::COLLADA::Camera* camera = parser->GetDocument().cameras.Find("c");
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->parameters.Count(), 3);
    EXPECT_FLOAT_EQ(camera->parameters["znear"]->values[0], 0.1f);
    EXPECT_FLOAT_EQ(camera->parameters["shiftx"]->values[0], 0.5f);
    EXPECT_STREQ(camera->parameters["xfov"]->key.CStr(), "c/fov");
    const auto& log = parser->GetLog();
    ASSERT_EQ(log.Count(), 2);
    EXPECT_STREQ(log[0].CStr(), "Element ignored: COLLADA/library_cameras/camera/optics/technique");
    EXPECT_STREQ(log[1].CStr(), "Hint: camera parameter is not a number, skipped. In "
                                "COLLADA/library_cameras/camera/extra/technique/target");
}

TEST(ColladaParser, ElementsNestedPastTheLimitFailInsteadOfExhaustingTheStack)
{
    std::string nodes;
    for (int i = 0; i <= Parser::MaxDepth; ++i)
        nodes += "<node>";
    for (int i = 0; i <= Parser::MaxDepth; ++i)
        nodes += "</node>";
    ColladaFiles files;
    const std::string line = LastLine(files.Failure(Collada(VisualScene(nodes))));
    EXPECT_EQ(line.rfind("Error: Elements nested too deep. In COLLADA/library_visual_scenes/visual_scene/node/", 0), 0u)
        << line;
}

}  // namespace collada_parser_test
