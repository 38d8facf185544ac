// A scene written back as markup beside its NSG library reads back as the same scene, and
// what markup cannot say is refused before anything is written.
#include "NsgmlFixture.h"

#include "utils/loaders/NsgmlWriter.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/Material.h"
#include "utils/scenegraph/SkeletonNode.h"
#include "utils/shapes/BoxAligned.h"

#include <functional>
#include <sstream>

namespace nsgml_test {

// Everything a node says when drawn: its kind, its values at two times, the ids, names and
// descriptors it refers to, and the same for its children.
class SceneDescription {
public:
    explicit SceneDescription(const Scene& scene) : scene(scene) {}

    std::string Of()
    {
        for (int i = 0; i < scene.GetMaterialCount(); ++i) {
            text << "material " << scene.GetMaterialName(i).CStr() << "\n";
            Material* material = scene.GetMaterial(i);
            for (int p = 0; p < material->GetParameterCount(); ++p)
                Node(material->GetParameter(p), 1);
        }
        if (scene.GetRoot())
            Node(scene.GetRoot(), 0);
        return text.str();
    }

private:
    void Controlled(const char* name, Controller* controller)
    {
        text << " " << name << "=";
        if (!controller) {
            text << "none";
            return;
        }
        for (double time : {0.25, 1.5})
            for (float value : At(controller, time))
                text << value << ",";
    }

    void Node(SceneGraph::Node* node, int depth)
    {
        text << std::string(size_t(depth) * 2, ' ') << std::hex << node->GetType() << std::dec;
        if (auto* time = dynamic_cast<TimeNode*>(node))
            Controlled("value", time->GetController());
        if (auto* transform = dynamic_cast<ControlledTransformNode*>(node))
            Controlled("value", transform->GetController());
        if (auto* name = dynamic_cast<NameNode*>(node))
            text << " '" << name->GetName().CStr() << "'";
        if (auto* apply = dynamic_cast<ApplyMaterialNode*>(node))
            text << " " << scene.GetMaterialId(apply->GetMaterial()).CStr();
        if (auto* draw = dynamic_cast<DrawGeometryNode*>(node))
            text << " " << scene.GetGeometryId(draw->GetGeometry()).CStr();
        if (auto* instance = dynamic_cast<SceneInstance*>(node))
            text << " " << instance->GetScene().GetDescriptor().CStr();
        if (auto* light = dynamic_cast<LightNode*>(node)) {
            text << " type " << light->GetLight()->GetLightType();
            for (int i = 0; i < Light::ValueCount; ++i)
                Controlled("light", light->GetLight()->Get(Light::Value(i)));
        }
        if (auto* camera = dynamic_cast<CameraNode*>(node)) {
            Camera* c = camera->GetCamera();
            for (Controller* value : {c->GetXFov(), c->GetAspect(), c->GetZNear(), c->GetZFar(), c->GetUp()})
                Controlled("camera", value);
        }
        if (auto* bounds = dynamic_cast<BoundingShape*>(node)) {
            const Math::Vector3t<float> centre = bounds->GetShape()->GetCenter();
            text << " shape " << bounds->GetShape()->GetType() << " (" << centre.x << ", " << centre.y << ", "
                 << centre.z << ") flags " << bounds->GetFlags();
        }
        if (auto* parameter = dynamic_cast<MaterialParameter*>(node)) {
            Controlled("value", parameter->GetController());
            text << " tex '" << parameter->GetTexture().GetDescriptor().CStr() << "'";
            if (auto* value = dynamic_cast<Value*>(parameter))
                text << " comp " << value->GetComponent();
        }
        text << "\n";
        for (int i = 0; i < node->GetChildCount(); ++i)
            Node(node->GetChild(i), depth + 1);
    }

    const Scene& scene;
    std::ostringstream text;
};

class NsgmlWriterTest : public NsgmlTest {
protected:
    // The scene as markup importing "written.nsg", which holds its controllers and geometries.
    std::string Written(const Scene& scene)
    {
        IO::ByteWriter library;
        Loaders::Nsg::Write(library, scene);
        (*files)["written.nsg"].assign(library.Data(), library.Data() + library.Size());
        IO::ByteWriter markup;
        Loaders::NsgmlWriter::Write(markup, scene, "written.nsg");
        return std::string(markup.Data(), markup.Data() + markup.Size());
    }

    std::string Refusal(const Scene& scene)
    {
        try {
            Written(scene);
        } catch (const Exception& error) {
            return error.GetMessage().CStr();
        }
        return "(written)";
    }
};

TEST_F(NsgmlWriterTest, WrittenMarkupReadsBackAsTheSameScene)
{
    File("other.nsgml", "<s><solid/></s>");
    Managed<Scene> original = Load(
        "<s><import desc=\"library.nsg\"/>"
        "<linear_controller id=\"walk\" components=\"3\"><key time=\"0\" value=\"0, 10\"/>"
        "<key time=\"2\" value=\"2, 30, 5\"/></linear_controller>"
        "<composite_controller id=\"mix\" components=\"3\"><comp value=\"walk\" comp=\"1\"/><comp value=\"0.1\"/>"
        "</composite_controller>"
        "<material id=\"paint\"><diffuse value=\"1, 0.5, 0.333333343\" tex=\"t.png\"/>"
        "<shininess tex=\"t.png\" comp=\"a\"/><displacement value=\"0.5\" comp=\"b\"/><emission/></material>"
        "<material id=\"bare\"/>"
        "<name value=\"top &amp; &quot;tail&quot;\">"
        "<time value=\"2\"><rotate value=\"spin\"><translate value=\"mix\"><scale value=\"1e-07, -0, 3\">"
        "<apply_material id=\"paint\"><draw_geometry id=\"tri\"/></apply_material></scale></translate></rotate></time>"
        "<matrix value=\"1, 0, 0, 0, 0, 3\"/><solid/><name/><name value=\"line&#10;break&#9;tab\"/>"
        "<light type=\"spot\" color=\"1, 0.25\" falloff_angle=\"walk\"/><light type=\"ambient\"/>"
        "<camera xfov=\"60\" aspect=\"1.5\" up=\"0, 1\"/>"
        "<scene desc=\"other.nsgml\"/>"
        "<shape type=\"box\" min=\"-1, -2, -3\" max=\"1, 2, 3.5\" bounds=\"drawable, solid\"/>"
        "<shape type=\"sphere\" position=\"(4, 5, 6)\" radius=\"0.75\" bounds=\"light, camera, playable\"/>"
        "<reflectivity tex=\"t.png\" comp=\"n\"/><transparency value=\"0.5\"/><normal value=\"0, 0, 1\"/>"
        "</name></s>");
    const std::string markup = Written(*original);
    File("written.nsgml", markup);
    Managed<Scene> reread(static_cast<Scene*>(service->Load(ResourceType::Scene, "written.nsgml", proxy.Get())));

    const std::string expected = SceneDescription(*original).Of();
    EXPECT_EQ(SceneDescription(*reread).Of(), expected);
    EXPECT_EQ(reread->GetControllerCount(), original->GetControllerCount());
    EXPECT_EQ(reread->GetGeometryCount(), 1);
    // Written again, the markup is the same text.
    EXPECT_EQ(Written(*reread), markup);
    EXPECT_THAT(expected, testing::HasSubstr("'top & \"tail\"'"));  // the description covers the tree
    EXPECT_THAT(expected, testing::HasSubstr("'line\nbreak\ttab'"));
}

TEST_F(NsgmlWriterTest, WhatMarkupCannotSayIsRefused)
{
    struct Case {
        const char* what;
        std::function<void(Scene&, Node&)> build;
        const char* message;
    };
    Managed<Controller> keyed(new LinearController(1, nullptr));
    Managed<Controller> constant(new ConstantController(1.0f));
    const Case cases[] = {
        {"a keyed controller outside the table",
         [&](Scene&, Node& root) { root.AddChild(Managed<Node>(new TranslateNode(keyed.Get())).Get()); },
         "NsgmlWriter: a controller that is neither a constant nor in the scene's table"},
        {"an id that reads as a number",
         [&](Scene& scene, Node& root) {
             scene.AddController("inflate", keyed.Get());
             root.AddChild(Managed<Node>(new TranslateNode(keyed.Get())).Get());
         },
         "NsgmlWriter: the controller id 'inflate' would read back as numbers"},
        {"a material outside the table",
         [&](Scene&, Node& root) {
             Managed<Material> material(new Material());
             root.AddChild(Managed<Node>(new ApplyMaterialNode(material.Get())).Get());
         },
         "Scene::GetMaterialId(): Scene does not contain the given material"},
        {"a scene that was not loaded by name",
         [&](Scene&, Node& root) {
             Managed<Scene> other(new Scene());
             root.AddChild(Managed<Node>(new SceneInstance(SceneResource(other.Get()))).Get());
         },
         "NsgmlWriter: a scene instance of a scene that was not loaded by name"},
        {"a light type without a word",
         [&](Scene&, Node& root) {
             Managed<Light> light(new Light());
             light->SetLightType(7);
             root.AddChild(Managed<Node>(new LightNode(light.Get())).Get());
         },
         "NsgmlWriter: no word for light type 7"},
        {"bounds without flags",
         [&](Scene&, Node& root) {
             Managed<BoundingShape> bounds(new BoundingShape());
             Managed<Shapes::Shape> box(new Shapes::BoxAligned({0, 0, 0}, {1, 1, 1}));
             bounds->SetShape(box.Get());
             root.AddChild(bounds.Get());
         },
         "NsgmlWriter: bounds flags 0 are not a set of target types"},
        {"a shininess of nothing",
         [&](Scene&, Node& root) { root.AddChild(Managed<Node>(new Shininess(static_cast<Controller*>(nullptr))).Get()); },
         "NsgmlWriter: a 'shininess' without a value or a texture"},
        {"a skeleton",
         [&](Scene&, Node& root) { root.AddChild(Managed<Node>(new SkeletonNode()).Get()); },
         "NsgmlWriter: no element for node type 0x70002"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Managed<Scene> scene(new Scene());
        Managed<Node> root(new NameNode("root"));
        root->AddChild(Managed<Node>(new TranslateNode(constant.Get())).Get());
        c.build(*scene, *root);
        scene->SetRoot(root.Get());
        EXPECT_EQ(Refusal(*scene), c.message);
    }
}

}  // namespace nsgml_test
