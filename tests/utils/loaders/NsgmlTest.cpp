// NSGML scene markup over the fake device: the value forms, every node kind, controllers,
// materials, lights, cameras and bounds, the messages of bad markup, and documents that would
// draw themselves.
#include "NsgmlFixture.h"

namespace nsgml_test {

TEST_F(NsgmlTest, ServiceAnswersForScenesAndNodeTreesInItsPlaceBeforeTheLibraryLoader)
{
    EXPECT_STREQ(service->GetName().CStr(), "Nsgml");
    Array<ResourceType> types;
    service->GetTypes(types);
    ASSERT_EQ(types.Count(), 2);
    EXPECT_EQ(types[0], ResourceType::Scene);
    EXPECT_EQ(types[1], ResourceType::SceneNode);
    EXPECT_EQ(service->Load(ResourceType::Geometry, Fresh("<translate/>"), proxy.Get()), nullptr);

    // Through the default proxy: markup is tried after the COLLADA importer and before the NSG
    // library loader, which still answers for its own files.
    File("a.nsgml", "<s><translate value=\"1, 2, 3\"/></s>");
    Managed<Scene> scene(static_cast<Scene*>(proxy->Get(ResourceType::Scene, "a.nsgml")));
    EXPECT_EQ(scene->GetRoot()->GetType(), NodeTypeTranslate);
    Managed<Scene> library(static_cast<Scene*>(proxy->Get(ResourceType::Scene, "library.nsg")));
    EXPECT_EQ(library->GetControllerCount(), 1);
    File("bad.nsgml", "<s><sky/></s>");
    EXPECT_THAT(ProxyFailure("bad.nsgml"),
                testing::StartsWith("Descriptor 'bad.nsgml' could not be converted to an object: \n"
                                    "COLLADALoader: Not a COLLADA document\n"
                                    "Nsgml: Unable to load 'sky' node: \nUnsupported node type\n"
                                    "Nimbrel Scene Library (Nsg) Loader: "));
}

TEST_F(NsgmlTest, ControllerValuedAttributesTakeNumberListsOrDeclaredIds)
{
    struct Case {
        const char* attribute;  // null: no value attribute at all
        Values values;
    };
    const Case cases[] = {
        {"(1, 2, 3)", {1, 2, 3}},
        {"1", {1, 0, 0}},
        {"1, 2, 3, 4", {1, 2, 3, 4}},
        {" ( -1.5 ,2e1 ) ", {-1.5f, 20, 0}},
        {"1, x, 3", {1, 0, 0}},  // the list ends at the piece that is no number
        {nullptr, {0, 0, 0}},
        {"slide", {4, 5, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attribute ? c.attribute : "(absent)");
        const std::string value = c.attribute ? std::string(" value=\"") + c.attribute + "\"" : "";
        Managed<Scene> scene;
        Managed<Node> root = Root("<linear_controller id=\"slide\" components=\"3\"><key time=\"0\" value=\"4, 5, 6\"/>"
                                  "</linear_controller><translate" + value + "/>",
                                  &scene);
        ASSERT_EQ(root->GetType(), NodeTypeTranslate);
        Controller* controller = static_cast<TranslateNode*>(root.Get())->GetController();
        EXPECT_EQ(At(controller), c.values);
        if (c.attribute && std::string(c.attribute) == "slide")
            EXPECT_EQ(controller, scene->GetController("slide"));
        else
            EXPECT_EQ(controller->GetType(), int(Controller::TypeConstant));
    }
}

TEST_F(NsgmlTest, EveryNodeKindIsBuiltInDocumentOrderAndTheLastTreeIsTheRoot)
{
    File("other.nsgml", "<s><solid/></s>");
    Managed<Scene> scene;
    Managed<Node> root = Root("<scale value=\"9\"/>"
                              "<material id=\"m\"><diffuse value=\"1, 0, 0\"/></material>"
                              "<name value=\"top\">"
                              "<time value=\"2\"/><name/><translate value=\"1\"/><rotate value=\"spin\"/>"
                              "<scale value=\"2, 2, 2\"/><matrix value=\"1, 0, 0, 0, 0, 3\"/>"
                              "<apply_material id=\"m\"><draw_geometry id=\"tri\"/></apply_material>"
                              "<solid/><light/><camera/><scene desc=\"other.nsgml\"/>"
                              "<shape type=\"sphere\" position=\"0, 0, 0\" radius=\"1\" bounds=\"drawable\"/>"
                              "<shininess value=\"8\"/><transparency value=\"0.5\"/><displacement value=\"1\"/>"
                              "<reflectivity value=\"1\"/><diffuse/><normal/><specular/><emission/><reflection/>"
                              "</name>",
                              &scene);
    ASSERT_EQ(root->GetType(), NodeTypeName);
    EXPECT_STREQ(static_cast<NameNode*>(root.Get())->GetName().CStr(), "top");
    const std::vector<int> expected = {
        NodeTypeTime,         NodeTypeName,        NodeTypeTranslate,    NodeTypeRotate,     NodeTypeScale,
        NodeTypeMatrix,       NodeTypeApplyMaterial, NodeTypeSolid,      NodeTypeLight,      NodeTypeCamera,
        NodeTypeSceneInstance, NodeTypeBoundingShape, NodeTypeShininess, NodeTypeTransparency,
        NodeTypeDisplacement, NodeTypeReflectivity, NodeTypeDiffuse,     NodeTypeNormal,     NodeTypeSpecular,
        NodeTypeEmission,     NodeTypeReflection};
    std::vector<int> types;
    for (int i = 0; i < root->GetChildCount(); ++i)
        types.push_back(root->GetChild(i)->GetType());
    EXPECT_EQ(types, expected);

    EXPECT_EQ(At(static_cast<TimeNode*>(root->GetChild(0))->GetController()), Values{2});
    EXPECT_STREQ(static_cast<NameNode*>(root->GetChild(1))->GetName().CStr(), "");
    EXPECT_EQ(static_cast<RotateNode*>(root->GetChild(3))->GetController(), scene->GetController("spin"));
    Values matrix(16, 0.0f);
    matrix[0] = 1;
    matrix[5] = 3;
    EXPECT_EQ(At(static_cast<MatrixNode*>(root->GetChild(5))->GetController()), matrix);
    auto* apply = static_cast<ApplyMaterialNode*>(root->GetChild(6));
    EXPECT_EQ(apply->GetMaterial(), scene->GetMaterial("m"));
    ASSERT_EQ(apply->GetChildCount(), 1);
    EXPECT_EQ(static_cast<DrawGeometryNode*>(apply->GetChild(0))->GetGeometry().Get(), scene->GetGeometry("tri").Get());
    auto* instance = static_cast<SceneInstance*>(root->GetChild(10));
    EXPECT_EQ(instance->GetScene()->GetRoot()->GetType(), NodeTypeSolid);
}

TEST_F(NsgmlTest, LinearAndCompositeControllers)
{
    Managed<Scene> scene = Load("<s>"
                                "<linear_controller id=\"walk\" components=\"3\">"
                                "<key time=\"0\" value=\"0, 10\"/><key time=\"2\" value=\"(2, 30, 5, 99)\"/>"
                                "</linear_controller>"
                                "<composite_controller id=\"mix\" components=\"3\">"
                                "<comp value=\"walk\" comp=\"1\"/><note/><comp value=\"0.5\"/><comp value=\"1, 2, 3\" comp=\"2\"/>"
                                "</composite_controller>"
                                "<composite_controller id=\"part\" components=\"2\"><comp value=\"mix\" comp=\"2\"/>"
                                "</composite_controller>"
                                "</s>");
    Controller* walk = scene->GetController("walk");
    EXPECT_EQ(At(walk, 0), (Values{0, 10, 0}));  // a short key takes the zero defaults
    EXPECT_EQ(At(walk, 1), (Values{1, 20, 2.5f}));
    EXPECT_EQ(At(walk, 3), (Values{2, 30, 5}));  // a long key keeps only its components
    EXPECT_EQ(At(scene->GetController("mix"), 1), (Values{20, 0.5f, 3}));
    EXPECT_EQ(At(scene->GetController("part"), 1), (Values{3, 0}));  // components without entries are 0
    EXPECT_EQ(static_cast<CompositeController*>(scene->GetController("mix"))->GetSource(0), walk);
}

TEST_F(NsgmlTest, LightTypesAndTheTenValuesAlwaysSet)
{
    struct Case {
        const char* attributes;
        int type;
    };
    const Case cases[] = {{"", Light::Omni},
                          {" type=\"spot\"", Light::Spot},
                          {" type=\"ambient\"", Light::Ambient},
                          {" type=\"directional\"", Light::Directional},
                          {" type=\"omni\"", Light::Omni},
                          {" type=\"Spot\"", Light::Omni},
                          {" type=\"laser\"", Light::Omni}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        Managed<Node> root = Root(std::string("<light") + c.attributes + "/>");
        Light* light = static_cast<LightNode*>(root.Get())->GetLight();
        EXPECT_EQ(light->GetLightType(), c.type);
        for (int value = 0; value < Light::ValueCount; ++value) {
            ASSERT_NE(light->Get(Light::Value(value)), nullptr) << value;
            EXPECT_EQ(At(light->Get(Light::Value(value))), Values(value == Light::Color ? 3 : 1, 0.0f)) << value;
        }
    }
    Managed<Node> lit = Root("<light color=\"1, 0.5\" linear_attenuation=\"0.25\" falloff_exponent=\"spin\"/>");
    Light* light = static_cast<LightNode*>(lit.Get())->GetLight();
    EXPECT_EQ(At(light->GetColor()), (Values{1, 0.5f, 0}));
    EXPECT_EQ(At(light->GetLinearAttenuation()), Values{0.25f});
    EXPECT_EQ(light->GetFalloffExponent()->GetComponentCount(), 4);
}

TEST_F(NsgmlTest, CameraValuesReplaceTheDefaultsEvenWhenAbsent)
{
    Managed<Node> bare = Root("<camera/>");
    Camera* camera = static_cast<CameraNode*>(bare.Get())->GetCamera();
    EXPECT_EQ(At(camera->GetAspect()), Values{0});
    EXPECT_EQ(At(camera->GetZFar()), Values{0});
    EXPECT_EQ(At(camera->GetUp()), (Values{0, 0, 0}));
    Managed<Node> given = Root("<camera xfov=\"60\" aspect=\"1.5\" znear=\"0.1\" zfar=\"50\" up=\"0, 1\"/>");
    camera = static_cast<CameraNode*>(given.Get())->GetCamera();
    EXPECT_EQ(At(camera->GetXFov()), Values{60});
    EXPECT_EQ(At(camera->GetAspect()), Values{1.5f});
    EXPECT_EQ(At(camera->GetZNear()), Values{0.1f});
    EXPECT_EQ(At(camera->GetZFar()), Values{50});
    EXPECT_EQ(At(camera->GetUp()), (Values{0, 1, 0}));
}

TEST_F(NsgmlTest, ShapeTypesBoundsFlagsAndTheirMessages)
{
    struct Case {
        const char* attributes;
        int flags;          // -1: fails with `message`
        int shapeType;
        const char* message;
    };
    const Case cases[] = {
        {"type=\"sphere\" position=\"(0, 0, 0)\" radius=\"2\" bounds=\"light\"", 4, Shapes::ShapeTypeSphere, ""},
        {"type=\"box\" min=\"(-1, -1, -1)\" max=\"1, 1, 1\" bounds=\"(drawable, light)\"", 5, Shapes::ShapeTypeBoxAligned, ""},
        {"type=\"box\" min=\"(-1, -1, -1)\" max=\"1,1,1\" bounds=\"playable,camera,, solid\"", 26, Shapes::ShapeTypeBoxAligned, ""},
        {"type=\"sphere\" position=\"(0, 0, 0)\" radius=\"2\" bounds=\" \"", -1, 0, "'bounds' attribute can't be empty"},
        {"type=\"sphere\" position=\"(0, 0, 0)\" radius=\"2\" bounds=\"light, sky\"", -1, 0, "Unsupported bound flag: sky"},
        {"type=\"sphere\" position=\"(0, 0, 0)\" radius=\"2\" bounds=\"Light\"", -1, 0, "Unsupported bound flag: Light"},
        {"type=\"sphere\" position=\"(0, 0, 0)\" radius=\"2\"", -1, 0, "Missing attribute 'bounds'"},
        {"bounds=\"light\"", -1, 0, "Missing attribute 'shape'"},
        {"type=\"cone\" bounds=\"light\"", -1, 0, "Unsupported shape type: cone"},
        {"type=\"box\" max=\"1, 1, 1\" bounds=\"light\"", -1, 0, "Type is 'box', missing attribute 'min'"},
        {"type=\"box\" min=\"1, 1, 1\" bounds=\"light\"", -1, 0, "Type is 'box', missing attribute 'max'"},
        {"type=\"sphere\" radius=\"2\" bounds=\"light\"", -1, 0, "Type is 'sphere', missing attribute 'position'"},
        {"type=\"sphere\" position=\"0, 0, 0\" bounds=\"light\"", -1, 0, "Type is 'sphere', missing attribute 'radius'"},
        {"type=\"box\" min=\"(1, 1)\" max=\"1, 1, 1\" bounds=\"light\"", -1, 0, "Invalid Vector3 String"},
        {"type=\"sphere\" position=\"0, 0, 0\" radius=\"big\" bounds=\"light\"", -1, 0, "Unable to convert string to float"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        const std::string markup = std::string("<s><shape ") + c.attributes + "/></s>";
        if (c.flags < 0) {
            EXPECT_EQ(Failure(markup), std::string("Unable to load 'shape' node: \n") + c.message);
            continue;
        }
        Managed<Node> root = Root(std::string("<shape ") + c.attributes + "/>");
        auto* bounds = static_cast<BoundingShape*>(root.Get());
        EXPECT_EQ(bounds->GetFlags(), c.flags);
        ASSERT_NE(bounds->GetShape(), nullptr);
        EXPECT_EQ(bounds->GetShape()->GetType(), c.shapeType);
    }
    Managed<Node> root = Root("<shape type=\"sphere\" position=\"(1, 2, 3)\" radius=\"2\" bounds=\"light\"/>");
    auto* shape = static_cast<Shapes::Sphere*>(static_cast<BoundingShape*>(root.Get())->GetShape());
    EXPECT_EQ(shape->GetCenter().y, 2.0f);
}

TEST_F(NsgmlTest, MaterialParametersTakeValueTextureAndChannel)
{
    struct Case {
        const char* element;
        bool controller;
        bool texture;
        int component;  // -1 for a Vector parameter, which has none
    };
    const Case cases[] = {
        {"<shininess value=\"8\"/>", true, false, TextureComponentNone},
        {"<shininess tex=\"t.png\"/>", false, true, TextureComponentRed},
        {"<shininess tex=\"t.png\" comp=\"a\"/>", false, true, TextureComponentAlpha},
        {"<transparency value=\"0.5\" tex=\"t.png\" comp=\"g\"/>", true, true, TextureComponentGreen},
        {"<displacement value=\"0.5\" comp=\"b\"/>", true, false, TextureComponentBlue},
        {"<reflectivity tex=\"t.png\" comp=\"n\"/>", false, true, TextureComponentNone},
        {"<diffuse tex=\"t.png\"/>", false, true, -1},
        {"<specular value=\"1, 1, 1\" tex=\"t.png\"/>", true, true, -1},
        {"<emission/>", false, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.element);
        Managed<Scene> scene = Load(std::string("<s><material id=\"m\">") + c.element + "</material></s>");
        ASSERT_EQ(scene->GetMaterial("m")->GetParameterCount(), 1);
        MaterialParameter* parameter = scene->GetMaterial("m")->GetParameter(0);
        EXPECT_EQ(parameter->GetController() != nullptr, c.controller);
        EXPECT_EQ(!parameter->GetTexture().IsEmpty(), c.texture);
        if (c.component >= 0) {
            EXPECT_EQ(static_cast<Value*>(parameter)->GetComponent(), c.component);
        }
        // The same element as a node in the tree.
        Managed<Node> node = Root(c.element);
        EXPECT_EQ(node->GetType(), parameter->GetType());
    }
    Managed<Scene> scene = Load("<s><material id=\"m\"><shininess value=\"8\"/><diffuse value=\"1, 0.5\"/></material></s>");
    Material* material = scene->GetMaterial("m");
    ASSERT_EQ(material->GetParameterCount(), 2);
    EXPECT_EQ(At(material->GetParameter(0)->GetController()), Values{8});
    EXPECT_EQ(At(material->GetParameter(1)->GetController()), (Values{1, 0.5f, 0}));
}

TEST_F(NsgmlTest, BadMarkupFailsWithAMessageThatNamesTheCause)
{
    struct Case {
        const char* body;
        const char* message;
    };
    const Case cases[] = {
        // Controllers.
        {"<linear_controller id=\"c\"/>", "'linear_controller' missing 'components'"},
        {"<linear_controller components=\"x\"/>", "Unable to convert string to integer"},
        {"<linear_controller components=\"3\"/>", "'linear_controller' missing 'id'"},
        {"<linear_controller id=\"c\" components=\"257\"/>", "'linear_controller' components must be from 0 to 256, not 257"},
        {"<linear_controller id=\"c\" components=\"-1\"/>", "'linear_controller' components must be from 0 to 256, not -1"},
        {"<linear_controller id=\"c\" components=\"1\"><frame/></linear_controller>",
         "'linear_controller': unsupported child element: frame"},
        {"<linear_controller id=\"c\" components=\"1\"><key value=\"1\"/></linear_controller>",
         "Unable to convert string to float"},
        {"<linear_controller id=\"c\" components=\"1\"><key time=\"2\" value=\"1\"/><key time=\"1\" value=\"1\"/>"
         "</linear_controller>",
         "LinearController::AddKey(): key times must not decrease"},
        {"<composite_controller id=\"c\"/>", "'composite_controller' missing 'components'"},
        {"<composite_controller components=\"1\"/>", "'composite_controller' missing 'id'"},
        {"<composite_controller id=\"c\" components=\"300\"/>",
         "'composite_controller' components must be from 0 to 256, not 300"},
        {"<composite_controller id=\"c\" components=\"1\"><comp comp=\"0\"/></composite_controller>",
         "'comp' missing 'value'"},
        {"<composite_controller id=\"c\" components=\"1\"><comp value=\"1\"/><comp value=\"2\"/></composite_controller>",
         "'composite_controller' has more 'comp' entries than its 1 components"},
        {"<composite_controller id=\"c\" components=\"1\"><comp value=\"spin\" comp=\"4\"/></composite_controller>",
         "CompositeController::SetComponent(): the source has no component 4 (it has 4)"},
        {"<composite_controller id=\"c\" components=\"1\"><comp value=\"spin\" comp=\"-1\"/></composite_controller>",
         "CompositeController::SetComponent(): the source has no component -1 (it has 4)"},
        {"<composite_controller id=\"c\" components=\"2\"><comp value=\"1, 2\" comp=\"2\"/></composite_controller>",
         "CompositeController::SetComponent(): the source has no component 2 (it has 2)"},
        {"<composite_controller id=\"c\" components=\"1\"><comp value=\"gone\"/></composite_controller>",
         "Unknown controller 'gone'"},
        {"<linear_controller id=\"spin\" components=\"1\"/>",
         "Map::Add(): Can't add element. Map allready contains the given key"},
        // Materials: the element's failure is wrapped like a node's.
        {"<material><diffuse/></material>", "Unable to load 'material' node: \n'material' missing 'id'"},
        {"<material id=\"m\"><glow/></material>", "Unable to load 'material' node: \nUnsupported material parameter"},
        {"<material id=\"m\"><shininess/></material>", "Unable to load 'material' node: \nmissing 'value' or 'tex' attribute"},
        {"<material id=\"m\"><shininess value=\"1\" comp=\"ab\"/></material>",
         "Unable to load 'material' node: \n'comp' must be exactly one character ('r', 'g', 'b', or 'a')"},
        {"<material id=\"m\"><shininess value=\"1\" comp=\"\"/></material>",
         "Unable to load 'material' node: \n'comp' must be exactly one character ('r', 'g', 'b', or 'a')"},
        {"<material id=\"m\"><shininess value=\"1\" comp=\"x\"/></material>",
         "Unable to load 'material' node: \ninvalid 'comp' character. must be 'r', 'g', 'b', 'a' or 'n'"},
        {"<material id=\"m\"><diffuse value=\"red\"/></material>", "Unable to load 'material' node: \nUnknown controller 'red'"},
        {"<material id=\"m\"/><material id=\"m\"/>",
         "Unable to load 'material' node: \nMap::Add(): Can't add element. Map allready contains the given key"},
        // Nodes.
        {"<translate value=\"nowhere\"/>", "Unable to load 'translate' node: \nUnknown controller 'nowhere'"},
        {"<light color=\"\"/>", "Unable to load 'light' node: \nUnknown controller ''"},
        {"<apply_material/>", "Unable to load 'apply_material' node: \nMissing attribute 'id'"},
        {"<apply_material id=\"chrome\"/>", "Unable to load 'apply_material' node: \nUnknown material 'chrome'"},
        {"<draw_geometry/>", "Unable to load 'draw_geometry' node: \nMissing attribute 'id'"},
        {"<draw_geometry id=\"box\"/>", "Unable to load 'draw_geometry' node: \nAccessing uninitialized resource"},
        {"<scene/>", "Unable to load 'scene' node: \nMissing attribute 'desc'"},
        {"<sound/>", "Unable to load 'sound' node: \nnsgml: loadSoundNode not implemented"},
        {"<effect/>", "Unable to load 'effect' node: \nloadEffectNode not implemented"},
        {"<bone/>", "Unable to load 'bone' node: \nloadBoneNode not implemented"},
        {"<skeleton/>", "Unable to load 'skeleton' node: \nloadSkeletonNode not implemented"},
        {"<Translate/>", "Unable to load 'Translate' node: \nUnsupported node type"},
        {"<import/>", "Missing attribute 'desc'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Failure(std::string("<s><import desc=\"library.nsg\"/>") + c.body + "</s>"), c.message) << c.body;
}

TEST_F(NsgmlTest, AnUnknownElementAnywhereInTheTreeIsReportedOnce)
{
    const char* trees[] = {
        "<x/>",
        "<name><x/></name>",
        "<name><translate value=\"1\"/><rotate value=\"0, 0, 1, 90\"><scale value=\"1\"><x/></scale></rotate></name>",
        "<camera><x><translate/></x></camera>",
    };
    for (const char* tree : trees) {
        EXPECT_EQ(Failure(std::string("<s><import desc=\"library.nsg\"/>") + tree + "</s>"),
                  "Unable to load 'x' node: \nUnsupported node type")
            << tree;
        EXPECT_EQ(Failure(tree, ResourceType::SceneNode), "Unable to load 'x' node: \nUnsupported node type") << tree;
    }
}

TEST_F(NsgmlTest, NodeTreeRequestBuildsTheRootElementWithNumbersOnly)
{
    Managed<Node> tree = Tree("<name value=\"n\"><translate value=\"1, 2, 3\"/><light type=\"spot\"/></name>");
    ASSERT_EQ(tree->GetType(), NodeTypeName);
    ASSERT_EQ(tree->GetChildCount(), 2);
    EXPECT_EQ(At(static_cast<TranslateNode*>(tree->GetChild(0))->GetController()), (Values{1, 2, 3}));
    EXPECT_EQ(static_cast<LightNode*>(tree->GetChild(1))->GetLight()->GetLightType(), Light::Spot);
    EXPECT_EQ(Failure("<translate value=\"spin\"/>", ResourceType::SceneNode),
              "Unable to load 'translate' node: \nUnknown controller 'spin'");
    EXPECT_EQ(Failure("<linear_controller id=\"c\" components=\"1\"/>", ResourceType::SceneNode),
              "Unable to load 'linear_controller' node: \nUnsupported node type");
}

TEST_F(NsgmlTest, DocumentsThatDrawThemselvesAreRefused)
{
    const std::string itself = "Nsgml: 'a.nsgml' is drawn inside itself";
    File("a.nsgml", "<s><name><scene desc=\"a.nsgml\"/></name></s>");
    EXPECT_THAT(ProxyFailure("a.nsgml"), testing::HasSubstr(itself));

    // Through another document, and from a node tree request.
    File("b.nsgml", "<s><scene desc=\"c.nsgml\"/></s>");
    File("c.nsgml", "<s><translate><scene desc=\"b.nsgml\"/></translate></s>");
    EXPECT_THAT(ProxyFailure("b.nsgml"), testing::HasSubstr("Nsgml: 'b.nsgml' is drawn inside itself"));
    File("n.nsgml", "<name><scene desc=\"n.nsgml\"/></name>");
    EXPECT_THAT(Failure("<scene desc=\"n.nsgml\"/>", ResourceType::SceneNode),
                testing::HasSubstr("Nsgml: 'n.nsgml' is drawn inside itself"));

    // A document drawn twice by another is no cycle.
    File("leaf.nsgml", "<s><solid/></s>");
    File("twice.nsgml", "<s><name><scene desc=\"leaf.nsgml\"/><scene desc=\"leaf.nsgml\"/></name></s>");
    Managed<Scene> twice(static_cast<Scene*>(proxy->Get(ResourceType::Scene, "twice.nsgml")));
    EXPECT_EQ(twice->GetRoot()->GetChildCount(), 2);

    // Importing itself reads the markup as an NSG library, which it is not.
    File("i.nsgml", "<s><import desc=\"i.nsgml\"/></s>");
    EXPECT_THAT(ProxyFailure("i.nsgml"),
                testing::HasSubstr("Nsgml: Nsg::Load(): Unsupported NSG Version / Corrupt file"));

    // A chain of documents too long to be anything but a cycle under different names.
    for (int i = 0; i < 40; ++i)
        File("chain" + std::to_string(i) + ".nsgml",
             "<s><scene desc=\"chain" + std::to_string(i + 1) + ".nsgml\"/></s>");
    File("chain40.nsgml", "<s><solid/></s>");
    EXPECT_THAT(ProxyFailure("chain0.nsgml"),
                testing::HasSubstr("Nsgml: scenes drawn inside each other through more than 32 documents"));
    File("short0.nsgml", "<s><scene desc=\"chain10.nsgml\"/></s>");
    Managed<Scene> chain(static_cast<Scene*>(proxy->Get(ResourceType::Scene, "short0.nsgml")));
    EXPECT_EQ(chain->GetRoot()->GetType(), NodeTypeSceneInstance);
}

TEST_F(NsgmlTest, TreesDeeperThanTheLimitAreRefused)
{
    auto nested = [](int depth) {
        std::string markup;
        for (int i = 0; i < depth; ++i)
            markup += "<name>";
        for (int i = 0; i < depth; ++i)
            markup += "</name>";
        return markup;
    };
    // The tree's top is at depth 0.
    Managed<Node> deepest = Tree(nested(Loaders::Nsgml::MaxDepth + 1));
    int levels = 1;
    for (Node* node = deepest.Get(); node->GetChildCount() > 0; node = node->GetChild(0))
        ++levels;
    EXPECT_EQ(levels, Loaders::Nsgml::MaxDepth + 1);
    EXPECT_EQ(Failure(nested(Loaders::Nsgml::MaxDepth + 2), ResourceType::SceneNode),
              "Nsgml: nodes nested deeper than 1000 levels");
}

}  // namespace nsgml_test
