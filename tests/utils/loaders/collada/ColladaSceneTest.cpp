// Building scenes from COLLADA documents: the node tree, controllers for constants and
// animations, materials, textures, cameras, lights, and the references that do not resolve.
#include "ColladaFixture.h"

#include "utils/scenegraph/CompositeController.h"
#include "utils/scenegraph/DrawGeometryNode.h"
#include "utils/scenegraph/Material.h"
#include "utils/scenegraph/MaterialParameters.h"
#include "utils/scenegraph/NameNode.h"
#include "utils/scenegraph/TargetNodes.h"
#include "utils/scenegraph/TransformNodes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace collada_scene_test {

using namespace Nimbrel;
using namespace Nimbrel::Testing;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::SceneGraph;

// The tree below `node` in one line: each node's kind, its children in braces.
std::string Outline(SceneGraph::Node* node)
{
    std::string text;
    switch (node->GetType()) {
    case NodeTypeName: text = "name:" + std::string(static_cast<NameNode*>(node)->GetName().CStr()); break;
    case NodeTypeMatrix: text = "matrix"; break;
    case NodeTypeTranslate: text = "translate"; break;
    case NodeTypeRotate: text = "rotate"; break;
    case NodeTypeScale: text = "scale"; break;
    case NodeTypeCamera: text = "camera"; break;
    case NodeTypeLight: text = "light"; break;
    case NodeTypeDrawGeometry: text = "draw"; break;
    case NodeTypeApplyMaterial: text = "apply"; break;
    default: text = "?"; break;
    }
    if (node->GetChildCount() == 0)
        return text;
    text += "{";
    for (int i = 0; i < node->GetChildCount(); ++i)
        text += (i ? " " : "") + Outline(node->GetChild(i));
    return text + "}";
}

// The first node of the type in the tree, depth first.
SceneGraph::Node* Find(SceneGraph::Node* node, int type)
{
    if (node->GetType() == type)
        return node;
    for (int i = 0; i < node->GetChildCount(); ++i)
        if (SceneGraph::Node* found = Find(node->GetChild(i), type))
            return found;
    return nullptr;
}

// The world matrix the children of the deepest transformation on the first path down see.
Math::Matrix4 WorldAt(Scene& scene, double time)
{
    SceneGraph::Node* holder = scene.GetRoot();
    while (holder->GetChildCount() > 0)
        holder = holder->GetChild(0);
    Math::Matrix4 seen;
    class Probe : public SceneGraph::Node {
    public:
        explicit Probe(Math::Matrix4& seen) : seen(seen) {}
        int GetType() override { return 0; }
        void Traverse(State& state) override { seen = state.worlds.Top(); }
        Math::Matrix4& seen;
    };
    Managed<Probe> probe(new Probe(seen));
    holder->AddChild(probe.Get());
    State state;
    state.times.Push(time);
    scene.GetRoot()->Traverse(state);
    holder->RemoveChild(probe.Get());
    return seen;
}

// An animation with one sampler "s" and its channel to `target`.
std::string Animation(const std::string& interpolation, const std::string& times, const std::string& values,
                      int stride, const std::string& target)
{
    const int keys = int(std::count(times.begin(), times.end(), ' ')) + 1;
    return "<library_animations><animation>"
           "<source id=\"in\"><float_array id=\"in-a\">" + times + "</float_array><technique_common>"
           "<accessor source=\"#in-a\" count=\"" + std::to_string(keys) + "\"/></technique_common></source>"
           "<source id=\"out\"><float_array id=\"out-a\">" + values + "</float_array><technique_common>"
           "<accessor source=\"#out-a\" count=\"" + std::to_string(keys) + "\" stride=\"" + std::to_string(stride) +
           "\"/></technique_common></source>"
           "<source id=\"ip\"><Name_array id=\"ip-a\">" + interpolation + "</Name_array></source>"
           "<sampler id=\"s\"><input semantic=\"INPUT\" source=\"#in\"/><input semantic=\"OUTPUT\" source=\"#out\"/>"
           "<input semantic=\"INTERPOLATION\" source=\"#ip\"/></sampler>"
           "<channel source=\"#s\" target=\"" + target + "\"/></animation></library_animations>";
}

TEST(ColladaScene, ANodeNestsItsNameTransformationsAndChildrenInDocumentOrder)
{
    ColladaFiles files;
    Managed<Scene> scene = files.Build(Collada(
        "<library_cameras><camera id=\"cam\"><optics><technique_common><perspective><znear>0.1</znear>"
        "<zfar>500</zfar></perspective></technique_common></optics></camera>"
        "<camera id=\"cam2\"><optics><technique_common><perspective><znear>2</znear></perspective>"
        "</technique_common></optics></camera></library_cameras>" +
        VisualScene("<node id=\"n\" name=\"ship\"><translate>1 2 3</translate><rotate>0 0 1 90</rotate>"
                    "<instance_camera url=\"#cam\"/><node id=\"c\"><scale>2 2 2</scale>"
                    "<instance_camera url=\"#cam2\"/></node></node>")));
    EXPECT_EQ(Outline(scene->GetRoot()), "name:main{name:ship{translate{rotate{camera scale{camera}}}}}");

    auto* near = static_cast<CameraNode*>(Find(scene->GetRoot(), NodeTypeCamera))->GetCamera();
    EXPECT_EQ(ValuesAt(near->GetZNear(), 0)[0], 0.1f);
    EXPECT_EQ(ValuesAt(near->GetZFar(), 0)[0], 500.0f);
    auto* child = static_cast<CameraNode*>(Find(Find(scene->GetRoot(), NodeTypeScale), NodeTypeCamera))->GetCamera();
    EXPECT_EQ(ValuesAt(child->GetZNear(), 0)[0], 2.0f);
    EXPECT_EQ(ValuesAt(child->GetZFar(), 0)[0], 1000.0f);
}

// The file writes matrices row by row, the translation in the last column.
TEST(ColladaScene, AMatrixWithATranslationGivesThatWorldTranslation)
{
    ColladaFiles files;
    Managed<Scene> scene = files.Build(Collada(VisualScene(
        "<node id=\"n\"><matrix>1 0 0 1  0 1 0 2  0 0 1 3  0 0 0 1</matrix></node>")));
    const Math::Matrix4 world = WorldAt(*scene, 0);
    EXPECT_FLOAT_EQ(world[12], 1);
    EXPECT_FLOAT_EQ(world[13], 2);
    EXPECT_FLOAT_EQ(world[14], 3);
    EXPECT_FLOAT_EQ(world[3], 0);
    EXPECT_FLOAT_EQ(world[15], 1);
}

TEST(ColladaScene, AnAnimatedTranslateXDrivesTheNode)
{
    ColladaFiles files;
    Managed<Scene> scene = files.Build(Collada(
        Animation("LINEAR", "0 2", "0 10", 1, "n/t.X") +
        VisualScene("<node id=\"n\"><translate sid=\"t\">1 2 3</translate></node>")));
    auto* node = static_cast<TranslateNode*>(Find(scene->GetRoot(), NodeTypeTranslate));
    auto* composite = dynamic_cast<CompositeController*>(node->GetController());
    ASSERT_NE(composite, nullptr);
    EXPECT_EQ(composite->GetComponentCount(), 3);
    EXPECT_EQ(composite->GetSource(0), scene->GetController("s"));
    EXPECT_EQ(ValuesAt(composite, 1.0), (std::vector<float>{5, 2, 3}));
    EXPECT_FLOAT_EQ(WorldAt(*scene, 0.5)[12], 2.5f);
    EXPECT_FLOAT_EQ(WorldAt(*scene, 2.0)[12], 10.0f);
    EXPECT_FLOAT_EQ(WorldAt(*scene, 2.0)[13], 2.0f);
}

// An animated matrix addresses the file's row-major components: the output's component 3 is
// the X translation.
TEST(ColladaScene, AnAnimatedMatrixMovesItsTranslationColumn)
{
    const std::string identity = "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1";
    ColladaFiles files;
    Managed<Scene> scene = files.Build(Collada(
        Animation("LINEAR", "0 1", "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 1 0 0 4 0 1 0 0 0 0 1 0 0 0 0 1", 16,
                  "n/m") +
        VisualScene("<node id=\"n\"><matrix sid=\"m\">" + identity + "</matrix></node>")));
    const Math::Matrix4 world = WorldAt(*scene, 1.0);
    EXPECT_FLOAT_EQ(world[12], 4);
    EXPECT_FLOAT_EQ(world[3], 0);
}

TEST(ColladaScene, TwoMaterialInstancesNestTheSecondApplyInsideTheFirst)
{
    const std::string effect = "<profile_COMMON><technique sid=\"t\"><lambert><diffuse><color>1 0 0 1</color>"
                               "</diffuse><ambient><color>0 0 0 1</color></ambient></lambert></technique>"
                               "</profile_COMMON>";
    ColladaFiles files;
    Managed<Scene> scene = files.Build(Collada(
        "<library_effects><effect id=\"e\">" + effect + "</effect></library_effects>"
        "<library_materials><material id=\"m1\"><instance_effect url=\"#e\"/></material>"
        "<material id=\"m2\"><instance_effect url=\"#e\"/></material></library_materials>" +
        TriangleGeometry("a") + TriangleGeometry("b") +
        VisualScene("<node id=\"n\"><instance_geometry url=\"#a\"><bind_material><technique_common>"
                    "<instance_material symbol=\"x\" target=\"#m1\"/></technique_common></bind_material>"
                    "</instance_geometry><instance_geometry url=\"#b\"><bind_material><technique_common>"
                    "<instance_material symbol=\"x\" target=\"#m2\"/></technique_common></bind_material>"
                    "</instance_geometry></node>")));
    EXPECT_EQ(Outline(scene->GetRoot()), "name:main{apply{draw apply{draw}}}");
    auto* outer = static_cast<ApplyMaterialNode*>(scene->GetRoot()->GetChild(0));
    EXPECT_EQ(outer->GetMaterial(), scene->GetMaterial("m1"));
    auto* first = static_cast<DrawGeometryNode*>(outer->GetChild(0));
    EXPECT_EQ(first->GetGeometry().Get(), scene->GetGeometry("a").Get());
    // Only the diffuse colour has a material parameter.
    ASSERT_EQ(scene->GetMaterial("m1")->GetParameterCount(), 1);
    EXPECT_EQ(scene->GetMaterial("m1")->GetParameter(0)->GetType(), NodeTypeDiffuse);
    EXPECT_EQ(ValuesAt(scene->GetMaterial("m1")->GetParameter(0)->GetController(), 0),
              (std::vector<float>{1, 0, 0, 1}));
}

// Samplers whose interpolation the engine does not take make no controller: their channels are
// skipped with a line in the log, as are channels past their target's values.
TEST(ColladaScene, ChannelsThatCannotDriveTheirTargetAreSkippedWithALogLine)
{
    struct Case {
        std::string animation;
        std::string logLine;
    } cases[] = {
        {Animation("STEP", "0 1", "0 10", 1, "n/t.X"), "Hint: channel of 'n/t' skipped: sampler 's' made no controller"},
        {Animation("LINEAR", "0 1", "0 10", 1, "n/t(3)"),
         "Hint: channel of 'n/t' skipped: components 3 to 3 are past its 3 values"},
        {Animation("LINEAR", "0 1", "0 0 10 10", 2, "n/t.Z"),
         "Hint: channel of 'n/t' skipped: components 2 to 3 are past its 3 values"},
        {Animation("LINEAR", "0", "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16", 17, "n/t.X"),
         "Hint: channel of 'n/t' skipped: sampler 's' made no controller"},
        {Animation("LINEAR", "0 1", "0 10", 1, "bone/t.X"),
         "Hint: channel target 'bone/t' names nothing the scene uses, skipped"},
    };
    for (const Case& c : cases) {
        ColladaFiles files;
        Managed<Scene> scene = files.Build(
            Collada(c.animation + VisualScene("<node id=\"n\"><translate sid=\"t\">1 2 3</translate></node>")));
        ASSERT_GE(scene->GetImportLog().Count(), 1) << c.animation;
        EXPECT_STREQ(scene->GetImportLog()[scene->GetImportLog().Count() - 1].CStr(), c.logLine.c_str());
        EXPECT_FLOAT_EQ(WorldAt(*scene, 1.0)[12], 1.0f);
    }
}

TEST(ColladaScene, BezierSamplersAreReadAsLinearWithAHint)
{
    ColladaFiles files;
    Managed<Scene> scene = files.Build(Collada(Animation("BEZIER", "0 1", "0 10", 1, "n/t.X") +
                                               VisualScene("<node id=\"n\"><translate sid=\"t\">1 2 3</translate></node>")));
    ASSERT_EQ(scene->GetImportLog().Count(), 1);
    EXPECT_STREQ(scene->GetImportLog()[0].CStr(),
                 "Hint: BEZIER interpolation interpreted as LINEAR, might result in incorrect animation");
    EXPECT_FLOAT_EQ(WorldAt(*scene, 0.5)[12], 5.0f);
}

// Every reference that does not resolve, and every sampler that cannot be read, ends the import
// with a message that names it.
TEST(ColladaScene, UnresolvedReferencesAndBrokenSamplersFailWithTheirNames)
{
    const std::string node = VisualScene("<node id=\"n\"><translate sid=\"t\">1 2 3</translate></node>");
    std::string missingInput = Animation("LINEAR", "0 1", "0 10", 1, "n/t.X");
    const std::string input = "<input semantic=\"INPUT\" source=\"#in\"/>";
    missingInput.erase(missingInput.find(input), input.size());
    struct Case {
        std::string document;
        std::string message;
    } cases[] = {
        {Collada(Animation("", "0 1", "0 10", 1, "n/t.X") + node), "Invalid animation sampler: s"},
        {Collada(missingInput + node), "Invalid animation sampler: s"},
        {Collada(Animation("LINEAR", "0 1", "0", 1, "n/t.X") + node), "Invalid animation sampler: s"},
        {Collada("<library_animations><animation><channel source=\"#ghost\" target=\"n/t.X\"/></animation>"
                 "</library_animations>" + node),
         "Channel of 'n/t' names unknown sampler 'ghost'"},
        {Collada("<library_animations><animation><sampler id=\"s\"><input semantic=\"INPUT\" source=\"#nowhere\"/>"
                 "</sampler></animation></library_animations>"),
         "Error: Unknown source '#nowhere'. In COLLADA/library_animations/animation/sampler/input"},
        {Collada(VisualScene("<node><instance_geometry url=\"#ghost\"/></node>")),
         "Invalid batch (no geometry or controller with id 'ghost')"},
        {Collada(VisualScene("<node><instance_camera url=\"#ghost\"/></node>")), "Unknown camera 'ghost'"},
        {Collada(VisualScene("<node><instance_light url=\"#ghost\"/></node>")), "Unknown light 'ghost'"},
        {Collada(TriangleGeometry() + VisualScene("<node><instance_geometry url=\"#tri\"><bind_material>"
                                                  "<technique_common><instance_material symbol=\"x\" target=\"#ghost\"/>"
                                                  "</technique_common></bind_material></instance_geometry></node>")),
         "Unknown material 'ghost'"},
        {Collada("<library_materials><material id=\"m\"><instance_effect url=\"#ghost\"/></material>"
                 "</library_materials>" + node),
         "Material 'm' refers to unknown effect 'ghost'"},
        {Collada("<library_effects><effect id=\"e\"><profile_COMMON><technique sid=\"t\"><phong><diffuse>"
                 "<texture texture=\"ghost\" texcoord=\"uv\"/></diffuse></phong></technique></profile_COMMON>"
                 "</effect></library_effects><library_materials><material id=\"m\"><instance_effect url=\"#e\"/>"
                 "</material></library_materials>" + node),
         "Effect 'e': texture 'ghost' names no sampler or image"},
        {Collada("<library_controllers><controller id=\"k\"><skin source=\"#tri\"/></controller></library_controllers>" +
                 TriangleGeometry() + VisualScene("<node><instance_controller url=\"#k\"/></node>")),
         "COLLADA skinning import not properly implemented yet"},
        {Collada("<library_visual_scenes/>"), "Document did not contain any scenes"},
    };
    for (const Case& c : cases) {
        ColladaFiles files;
        std::string message = files.Failure(c.document);
        if (message.rfind("Error: ", 0) == 0 || message.find("\nError: ") != std::string::npos)
            message = LastLine(message);
        EXPECT_EQ(message, c.message) << c.document;
    }
}

// A texture is found beside the document, whatever form its path takes; one that does not load
// is left out of the material with a line in the log.
TEST(ColladaScene, TexturesLoadFromTheDocumentsFolderOrAreSkippedWithALogLine)
{
    auto document = [](const std::string& path) {
        return Collada(
            "<library_images><image id=\"img\"><init_from>" + path + "</init_from></image></library_images>"
            "<library_effects><effect id=\"e\"><profile_COMMON><newparam sid=\"surf\"><surface type=\"2D\">"
            "<init_from>img</init_from></surface></newparam><newparam sid=\"smp\"><sampler2D><source>surf</source>"
            "</sampler2D></newparam><technique sid=\"t\"><phong><diffuse><texture texture=\"smp\" texcoord=\"uv\"/>"
            "</diffuse></phong></technique></profile_COMMON></effect></library_effects>"
            "<library_materials><material id=\"m\"><instance_effect url=\"#e\"/></material></library_materials>" +
            VisualScene("<node/>"));
    };
    const ImageBytes png = EncodePngRgb(1, 1, {255, 0, 0});
    struct Case {
        std::string path;
        bool loads;
    } cases[] = {
        {"maps/red%20brick.png", true},
        {"file:///C:/art/maps/red brick.png", true},
        {".\\maps\\red brick.png", true},
        {"file://maps/red%20brick.png", true},
        {"maps/missing.png", false},
    };
    for (const Case& c : cases) {
        ColladaFiles files;
        files.PutBytes("scenes/maps/red brick.png", png);
        files.PutBytes("scenes/red brick.png", png);
        files.Put("scenes/ship.dae", document(c.path));
        Managed<Scene> scene = files.Load("scenes/ship.dae");
        ASSERT_TRUE(scene.Get());
        SceneGraph::Material* material = scene->GetMaterial("m");
        ASSERT_NE(material, nullptr);
        EXPECT_EQ(material->GetParameterCount(), c.loads ? 1 : 0) << c.path;
        const auto& log = scene->GetImportLog();
        if (c.loads) {
            EXPECT_EQ(log.Count(), 0) << c.path;
        } else {
            ASSERT_EQ(log.Count(), 1);
            EXPECT_EQ(std::string(log[0].CStr()).rfind("Hint: texture 'maps/missing.png' of image 'img' skipped: ", 0), 0u)
                << log[0].CStr();
        }
    }
}

TEST(ColladaScene, LightsTakeTheirTypeAndKnownParameters)
{
    ColladaFiles files;
    Managed<Scene> scene = files.Build(Collada(
        "<library_lights><light id=\"l\"><technique_common><spot><color sid=\"c\">1 0.5 0</color>"
        "<constant_attenuation>1</constant_attenuation><falloff_angle>45</falloff_angle></spot>"
        "</technique_common><extra><technique profile=\"x\"><shadow>yes</shadow>"
        "<linear_attenuation>0.25</linear_attenuation></technique></extra></light></library_lights>" +
        Animation("LINEAR", "0 1", "0 1", 1, "l/c.G") + VisualScene("<node><instance_light url=\"#l\"/></node>")));
    auto* light = static_cast<LightNode*>(Find(scene->GetRoot(), NodeTypeLight))->GetLight();
    EXPECT_EQ(light->GetLightType(), 2);
    EXPECT_EQ(ValuesAt(light->GetColor(), 0.5), (std::vector<float>{1, 0.5f, 0}));
    EXPECT_EQ(ValuesAt(light->GetColor(), 1.0), (std::vector<float>{1, 1, 0}));
    EXPECT_EQ(ValuesAt(light->GetConstantAttenuation(), 0)[0], 1.0f);
    EXPECT_EQ(ValuesAt(light->GetLinearAttenuation(), 0)[0], 0.25f);
    ASSERT_EQ(scene->GetImportLog().Count(), 1);
    EXPECT_STREQ(scene->GetImportLog()[0].CStr(),
                 "Hint: unable to parse light parameters. In COLLADA/library_lights/light/extra/technique/shadow");
}

// Files written as exporters write them: a byte-order mark, or UTF-16 either way round.
TEST(ColladaScene, TheServiceLoadsUtf8WithAMarkAndUtf16)
{
    const std::string text = Collada(TriangleGeometry() + VisualScene("<node><instance_geometry url=\"#tri\"/></node>"));
    std::vector<uint8_t> marked = {0xEF, 0xBB, 0xBF};
    marked.insert(marked.end(), text.begin(), text.end());
    std::vector<uint8_t> little = {0xFF, 0xFE};
    std::vector<uint8_t> big = {0xFE, 0xFF};
    for (char c : text) {
        little.insert(little.end(), {uint8_t(c), 0});
        big.insert(big.end(), {0, uint8_t(c)});
    }
    for (const auto& bytes : {marked, little, big}) {
        ColladaFiles files;
        files.PutBytes("a.dae", bytes);
        Managed<Scene> scene = files.Load("a.dae");
        ASSERT_TRUE(scene.Get());
        EXPECT_EQ(Outline(scene->GetRoot()), "name:main{draw}");
        EXPECT_EQ(scene->GetGeometryCount(), 1);
    }
}

TEST(ColladaScene, TheProxyReportsTheImportersMessageWhenNoSceneServiceTakesTheFile)
{
    ColladaFiles files;
    files.Put("bad.dae", Collada("<library_stuff/>"));
    try {
        files.Load("bad.dae");
        FAIL() << "loaded";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.GetMessage().CStr()).find("COLLADALoader: Error: unknown library. In COLLADA/library_stuff"),
                  std::string::npos)
            << error.GetMessage().CStr();
    }
}

}  // namespace collada_scene_test
