// Scene-graph nodes: editing the tree, the matrices of the transform nodes, a traversal over
// every node class that hands targets to the effect and leaves the render state as it found
// it (also when a draw throws), bounding-shape culling and the material parameters.
#include "SceneGraphFixtures.h"

#include "support/Expect.h"

#include "utils/scenegraph/BoundingShape.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/DrawGeometryNode.h"
#include "utils/scenegraph/LinearController.h"
#include "utils/scenegraph/Material.h"
#include "utils/scenegraph/NameNode.h"
#include "utils/scenegraph/SkeletonNode.h"
#include "utils/scenegraph/TargetNodes.h"
#include "utils/scenegraph/TimeNode.h"
#include "utils/scenegraph/TransformNodes.h"
#include "utils/shapes/BoxAligned.h"
#include "utils/shapes/Frustum.h"
#include "utils/shapes/Sphere.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

namespace node_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::SceneGraph;
using Testing::RecordingEffect;
using Testing::StackDepths;
using V = Math::Vector3t<float>;

template <class T>
Managed<T> Make(T* node)
{
    return Managed<T>(node);
}

Managed<Controller> Constant(std::initializer_list<float> values)
{
    return Managed<Controller>(new ConstantController(int(values.size()), values.begin()));
}

// A node that counts its traversals.
class CountingNode : public Node {
public:
    int GetType() override { return 0x7fff; }
    void Traverse(State& state) override
    {
        ++traversals;
        TraverseChildren(state);
    }
    int traversals = 0;
};

TEST(Node, EditingTheTree)
{
    Managed<CountingNode> root(new CountingNode()), a(new CountingNode()), b(new CountingNode()), c(new CountingNode());
    root->AddChild(a.Get());
    EXPECT_TRUE(root->Insert(b.Get()));  // the standard nodes take it as their last child
    a->AddChild(c.Get());
    EXPECT_EQ(root->GetChildCount(), 2);
    EXPECT_EQ(root->GetChild(1), b.Get());
    EXPECT_EQ(c->GetParent(), a.Get());
    EXPECT_EQ(c->GetRefCount(), 2);
    EXPECT_TRUE(root->Contains(c.Get()));
    EXPECT_FALSE(root->Contains(root.Get()));
    EXPECT_THROW(root->GetChild(2), Exception);

    // A node never goes below itself.
    EXPECT_THROW(c->AddChild(root.Get()), Exception);
    EXPECT_THROW(a->AddChild(a.Get()), Exception);
    EXPECT_THROW(a->AddChild(nullptr), Exception);
    EXPECT_EQ(a->GetChildCount(), 1);

    EXPECT_FALSE(root->RemoveChild(c.Get()));  // not a direct child
    EXPECT_EQ(a->GetChildCount(), 1);
    EXPECT_TRUE(root->RemoveDescendant(c.Get()));
    EXPECT_EQ(c->GetParent(), nullptr);
    EXPECT_EQ(c->GetRefCount(), 1);
    EXPECT_FALSE(root->RemoveDescendant(c.Get()));

    // A node under two parents is traversed once per parent.
    b->AddChild(c.Get());
    a->AddChild(c.Get());
    State state;
    root->Traverse(state);
    EXPECT_EQ(c->traversals, 2);
    // Destroying a parent releases its children.
    a.Set(nullptr);
    root.Set(nullptr);
    EXPECT_EQ(b->GetRefCount(), 1);
    EXPECT_EQ(c->GetRefCount(), 2);  // the test's and b's
    b.Set(nullptr);
    EXPECT_EQ(c->GetRefCount(), 1);
}

// The world matrix that `holder`'s children see when `root` is traversed.
Math::Matrix4 WorldBelow(Node& root, Node& holder, State& state)
{
    Math::Matrix4 seen;
    class Probe : public Node {
    public:
        explicit Probe(Math::Matrix4& seen) : seen(seen) {}
        int GetType() override { return 0; }
        void Traverse(State& state) override { seen = state.worlds.Top(); }
        Math::Matrix4& seen;
    };
    Managed<Probe> probe(new Probe(seen));
    holder.AddChild(probe.Get());
    root.Traverse(state);
    holder.RemoveChild(probe.Get());
    return seen;
}

Math::Matrix4 WorldBelow(Node& node, State& state)
{
    return WorldBelow(node, node, state);
}

void ExpectNear(const Math::Matrix4& a, const Math::Matrix4& b, const char* what)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a[i], b[i], 1e-6f) << what << ", element " << i;
}

TEST(TransformNodes, ComposeChildAfterParentAndBuildTheirMatrices)
{
    State state;
    Managed<Controller> two = Constant({2, 2, 2}), one = Constant({1, 0, 0});
    Managed<ScaleNode> scale(new ScaleNode(two.Get()));
    Managed<TranslateNode> translate(new TranslateNode(one.Get()));
    scale->AddChild(translate.Get());
    // Below the scale, the translation's origin lands at x = 2.
    const Math::Matrix4 world = WorldBelow(*scale, *translate, state);
    EXPECT_FLOAT_EQ(world[12], 2);
    EXPECT_FLOAT_EQ(world[0], 2);
    EXPECT_EQ(state.worlds.Count(), 1);

    struct Case {
        const char* what;
        Managed<Node> node;
        Math::Matrix4 expected;
    };
    Managed<Controller> rotation = Constant({0, 0, 2, 90}), zeroAxis = Constant({0, 0, 0, 45}),
                        partial = Constant({2, 0, 0, 0, 0, 3}), shortTranslate = Constant({5});
    Math::Matrix4 partialMatrix;
    partialMatrix[0] = 2;
    partialMatrix[5] = 3;
    const Case cases[] = {
        {"rotation about a long axis", Managed<Node>(new RotateNode(rotation.Get())), Math::Matrix4::Rotation(90, 0, 0, 1)},
        {"zero axis", Managed<Node>(new RotateNode(zeroAxis.Get())), Math::Matrix4::Identity()},
        {"rotation without controller", Managed<Node>(new RotateNode(nullptr)), Math::Matrix4::Identity()},
        {"matrix of six values", Managed<Node>(new MatrixNode(partial.Get())), partialMatrix},
        {"translation of one value", Managed<Node>(new TranslateNode(shortTranslate.Get())), Math::Matrix4::Translation(5, 0, 0)},
        {"scale of one value", Managed<Node>(new ScaleNode(shortTranslate.Get())), Math::Matrix4::Scaling(5, 0, 0)},
    };
    for (const Case& c : cases)
        ExpectNear(WorldBelow(*c.node, state), c.expected, c.what);
    const Math::Matrix4 quarter = WorldBelow(*cases[0].node, state);
    EXPECT_NEAR(quarter[1], 1, 1e-6f);  // x goes to y
    for (int i = 0; i < 16; ++i)
        EXPECT_FALSE(std::isnan(WorldBelow(*cases[1].node, state)[i]));
}

// Every node class in one tree, below a time node whose controller maps t to 2t.
struct EveryNodeTree {
    Testing::FakeDevice device;
    Managed<Testing::TestGeometry> geometry{new Testing::TestGeometry(&device)};
    Managed<Node> root;
    Managed<Testing::FakeTexture2D> texture{new Testing::FakeTexture2D(4, 4)};

    EveryNodeTree()
    {
        Managed<LinearController> doubled(new LinearController(1, nullptr));
        const float keys[] = {0, 20};
        doubled->AddKey(0, 1, &keys[0]);
        doubled->AddKey(10, 1, &keys[1]);
        Managed<LinearController> slide(new LinearController(3, nullptr));
        const float from[] = {0, 0, 0}, to[] = {10, 0, 0};
        slide->AddKey(0, 3, from);
        slide->AddKey(10, 3, to);

        Managed<TimeNode> time(new TimeNode(doubled.Get()));
        Managed<NameNode> name(new NameNode("body"));
        Managed<TranslateNode> move(new TranslateNode(slide.Get()));
        Managed<Controller> axis = Constant({0, 1, 0, 90}), matrixValues = Constant({1}), unit = Constant({1, 1, 1});
        Managed<RotateNode> rotate(new RotateNode(axis.Get()));
        Managed<MatrixNode> matrix(new MatrixNode(matrixValues.Get()));
        Managed<ScaleNode> scale(new ScaleNode(unit.Get()));
        Managed<BoundingShape> bounds(new BoundingShape());
        bounds->SetFlags(TargetTypeDrawable | TargetTypeLight | TargetTypeCamera | TargetTypeSolid);
        Managed<Shapes::Shape> sphere(new Shapes::Sphere({0, 0, 0}, 100));
        bounds->SetShape(sphere.Get());
        Managed<Material> material(new Material());
        Managed<Controller> red = Constant({1, 0, 0}), shine = Constant({8});
        Managed<MaterialParameter> diffuse(new Diffuse(red.Get())), shininess(new Shininess(shine.Get()));
        Managed<MaterialParameter> specularMap(new Specular(TextureResource(texture.Get())));
        material->AddParameter(diffuse.Get());
        material->AddParameter(shininess.Get());
        Managed<ApplyMaterialNode> apply(new ApplyMaterialNode(material.Get()));
        Managed<DrawGeometryNode> draw(new DrawGeometryNode(GeometryResource(geometry.Get())));
        Managed<Light> light(new Light());
        Managed<LightNode> lightNode(new LightNode(light.Get()));
        Managed<Camera> camera(new Camera());
        Managed<CameraNode> cameraNode(new CameraNode(camera.Get()));
        Managed<SolidNode> solid(new SolidNode());
        Managed<BoneNode> bone(new BoneNode());
        Managed<Controller> glow = Constant({0, 0, 1});
        Managed<MaterialParameter> emission(new Emission(glow.Get())), reflectivity(new Reflectivity(nullptr));
        Managed<DrawGeometryNode> hidden(new DrawGeometryNode(GeometryResource(geometry.Get())));

        time->AddChild(name.Get());
        name->AddChild(move.Get());
        move->AddChild(rotate.Get());
        rotate->AddChild(matrix.Get());
        matrix->AddChild(scale.Get());
        scale->AddChild(bounds.Get());
        bounds->AddChild(apply.Get());
        apply->AddChild(specularMap.Get());
        specularMap->AddChild(emission.Get());
        emission->AddChild(reflectivity.Get());
        reflectivity->AddChild(draw.Get());
        bounds->AddChild(lightNode.Get());
        bounds->AddChild(cameraNode.Get());
        cameraNode->AddChild(hidden.Get());  // never drawn
        bounds->AddChild(solid.Get());
        solid->AddChild(bone.Get());
        root = time;
    }
};

TEST(Traversal, EveryNodeClassHandsItsTargetsAndLeavesTheStateAsItWas)
{
    EveryNodeTree tree;
    Managed<RecordingEffect> effect(new RecordingEffect());
    State state;
    state.effects.Push(effect.Get());
    state.times.Push(2.5);
    const std::vector<int> before = StackDepths(state);

    tree.root->Traverse(state);
    EXPECT_EQ(StackDepths(state), before);
    ASSERT_EQ(effect->Kinds(), (std::vector<std::string>{"drawable", "light", "camera"}));
    const RecordingEffect::Call& drawn = effect->calls[0];
    EXPECT_EQ(drawn.name, "body");
    EXPECT_DOUBLE_EQ(drawn.time, 5.0);  // 2.5 through the time node
    EXPECT_FLOAT_EQ(drawn.x, 5.0f);     // the slide at local time 5
    EXPECT_EQ(StackDepths(state), before);

    // A pass that selects solids hands the solid over; the bounding node lets it through.
    state.targetTypes.Push(TargetTypeSolid);
    effect->calls.clear();
    tree.root->Traverse(state);
    EXPECT_EQ(effect->Kinds(), (std::vector<std::string>{"drawable", "light", "camera", "solid"}));
    state.targetTypes.Pop();
    EXPECT_EQ(StackDepths(state), before);
}

TEST(Traversal, AThrowingDrawLeavesEveryStackAtItsDepth)
{
    EveryNodeTree tree;
    Managed<RecordingEffect> effect(new RecordingEffect());
    Managed<Testing::FakeProgram> program(tree.device.MakeProgram("float3 Diffuse"));
    effect->program = program.Get();
    State state;
    state.devices.Push(&tree.device);
    state.effects.Push(effect.Get());
    const std::vector<int> before = StackDepths(state);

    tree.root->Traverse(state);
    EXPECT_EQ(tree.geometry->draws, 1);
    tree.geometry->throws = true;
    EXPECT_THROW(tree.root->Traverse(state), Exception);
    EXPECT_EQ(StackDepths(state), before);
    EXPECT_FALSE(state.IsInBegin());
    // And the state is fit for the next frame.
    tree.geometry->throws = false;
    tree.root->Traverse(state);
    EXPECT_EQ(tree.geometry->draws, 3);
    EXPECT_EQ(StackDepths(state), before);
}

TEST(Traversal, TargetNodesWithoutAnEffectThrow)
{
    Testing::FakeDevice device;
    Managed<Testing::TestGeometry> geometry(new Testing::TestGeometry(&device));
    Managed<Light> light(new Light());
    Managed<Camera> camera(new Camera());
    State state;
    Managed<Node> nodes[] = {Managed<Node>(new DrawGeometryNode(GeometryResource(geometry.Get()))),
                             Managed<Node>(new LightNode(light.Get())), Managed<Node>(new CameraNode(camera.Get()))};
    for (Managed<Node>& node : nodes) {
        SCOPED_TRACE(node->GetType());
        EXPECT_THROW_MESSAGE(node->Traverse(state), "No TargetEffect set");
    }
    Managed<SolidNode> solid(new SolidNode());
    EXPECT_NO_THROW(solid->Traverse(state));  // a drawable pass does not need it
    state.targetTypes.Push(TargetTypeSolid);
    EXPECT_THROW_MESSAGE(solid->Traverse(state), "No TargetEffect set");

    Managed<DrawGeometryNode> empty(new DrawGeometryNode(GeometryResource()));
    Managed<RecordingEffect> effect(new RecordingEffect());
    state.effects.Push(effect.Get());
    EXPECT_THROW_MESSAGE(empty->Traverse(state), "Accessing uninitialized resource");
    EXPECT_FALSE(empty->Draw());
    Managed<SkeletonNode> skeleton(new SkeletonNode());
    EXPECT_THROW_MESSAGE(skeleton->Traverse(state), "Skeleton::Traverse() not properly implemented yet");
}

TEST(BoundingShape, CullsAgainstTheShapeOnTheState)
{
    // The culling shape: what a camera at the origin looking down -z sees, 90 degrees wide,
    // from 1 to 100.
    Shapes::Frustum view(Math::Matrix4::Perspective(true, 90, 1, 1, 100));
    Shapes::BoxAligned room({-5, -5, -5}, {5, 5, 5});
    struct Case {
        const char* what;
        Shapes::Shape* culling;
        Managed<Shapes::Shape> bounds;
        int flags;
        bool drawn;
    };
    auto sphere = [](V c, float r) { return Managed<Shapes::Shape>(new Shapes::Sphere(c, r)); };
    const int drawable = TargetTypeDrawable;
    const Case cases[] = {
        {"inside the view", &view, sphere({0, 0, -10}, 1), drawable, true},
        {"crossing the side of the view", &view, sphere({-10.5f, 0, -10}, 1), drawable, true},
        {"outside the view", &view, sphere({-12, 0, -10}, 1), drawable, false},
        {"behind the camera", &view, sphere({0, 0, 10}, 1), drawable, false},
        {"inside a box", &room, sphere({0, 0, 0}, 0.1f), drawable, true},
        {"crossing a face of a box", &room, sphere({0, 0, 5.5f}, 1), drawable, true},
        {"outside a box", &room, sphere({0, 0, 7}, 1), drawable, false},
        {"no culling shape", nullptr, sphere({0, 0, 10}, 1), drawable, true},
        {"no bounds", &view, Managed<Shapes::Shape>(), drawable, true},
        {"flags for lights only", nullptr, sphere({0, 0, -10}, 1), TargetTypeLight, false},
        {"no flags", &view, sphere({0, 0, -10}, 1), 0, false},
    };
    Testing::FakeDevice device;
    Managed<Testing::TestGeometry> geometry(new Testing::TestGeometry(&device));
    Managed<RecordingEffect> effect(new RecordingEffect());
    for (const Case& c : cases) {
        Managed<BoundingShape> node(new BoundingShape());
        node->SetShape(c.bounds.Get());
        node->SetFlags(c.flags);
        Shapes::Shape* seen = reinterpret_cast<Shapes::Shape*>(1);
        class SecondShapeProbe : public Node {
        public:
            explicit SecondShapeProbe(Shapes::Shape*& seen) : seen(seen) {}
            int GetType() override { return 0; }
            void Traverse(State& state) override { seen = state.secondShapes.Top(); }
            Shapes::Shape*& seen;
        };
        Managed<SecondShapeProbe> probe(new SecondShapeProbe(seen));
        node->AddChild(probe.Get());
        State state;
        state.effects.Push(effect.Get());
        if (c.culling)
            state.shapes.Push(c.culling);
        const std::vector<int> before = StackDepths(state);
        node->Traverse(state);
        EXPECT_EQ(seen != reinterpret_cast<Shapes::Shape*>(1), c.drawn) << c.what;
        if (c.drawn) {
            EXPECT_EQ(seen, c.bounds.Get()) << c.what;
        }
        EXPECT_EQ(StackDepths(state), before) << c.what;
    }

    // An empty shapes stack, and a null top, cull nothing.
    Managed<BoundingShape> node(new BoundingShape());
    node->SetFlag(TargetTypeDrawable | TargetTypeLight, true);
    node->SetFlag(TargetTypeLight, false);
    EXPECT_EQ(node->GetFlags(), int(TargetTypeDrawable));
    EXPECT_TRUE(node->HasFlags(TargetTypeDrawable | TargetTypeSolid));
    Managed<Shapes::Shape> far = sphere({0, 0, 1000}, 1);
    node->SetShape(far.Get());
    Managed<CountingNode> child(new CountingNode());
    node->AddChild(child.Get());
    State state;
    node->Traverse(state);
    state.shapes.Push(nullptr);
    node->Traverse(state);
    EXPECT_EQ(child->traversals, 2);
}

// The material stacks' tops seen by a drawable below the parameter.
TEST(MaterialParameters, PushWhatTheirKindPushesAndPopItAgain)
{
    Testing::FakeDevice device;
    Testing::FakeTexture2D texture(4, 4);
    State state;
    Managed<Controller> green = Constant({0, 1}), half = Constant({0.5f});
    struct Probe : public Node {
        int GetType() override { return 0; }
        void Traverse(State& s) override
        {
            diffuse = s.diffuseColors.Top();
            specularCount = s.specularColors.Count();
            reflectivity = s.reflectivity.Top();
            reflection = s.reflectionColors.Count();
            maps = s.transparencyMaps.Count();
            component = s.transparencyComponents.IsEmpty() ? -1 : s.transparencyComponents.Top();
            transparency = s.transparency.Count();
        }
        V diffuse{0, 0, 0};
        int specularCount = 0, reflection = 0, maps = 0, component = 0, transparency = 0;
        float reflectivity = 0;
    };
    const int specularBefore = state.specularColors.Count(), reflectionBefore = state.reflectionColors.Count(),
              transparencyBefore = state.transparency.Count();
    Managed<Probe> probe(new Probe());
    Managed<Material> material(new Material());
    Managed<MaterialParameter> parameters[] = {
        Managed<MaterialParameter>(new Diffuse(green.Get())), Managed<MaterialParameter>(new Specular(nullptr)),
        Managed<MaterialParameter>(new Reflectivity(nullptr)), Managed<MaterialParameter>(new Reflection(nullptr)),
        Managed<MaterialParameter>(new Transparency(TextureResource(&texture)))};
    for (auto& parameter : parameters)
        material->AddParameter(parameter.Get());
    Managed<ApplyMaterialNode> apply(new ApplyMaterialNode(material.Get()));
    apply->AddChild(probe.Get());
    const std::vector<int> before = StackDepths(state);
    apply->Traverse(state);
    EXPECT_EQ(StackDepths(state), before);
    EXPECT_EQ(probe->diffuse, V(0, 1, 1));  // two components over the default (1, 1, 1)
    EXPECT_EQ(probe->specularCount, specularBefore);
    EXPECT_EQ(probe->reflectivity, 1);
    EXPECT_EQ(probe->reflection, reflectionBefore + 1);
    EXPECT_EQ(probe->maps, 1);
    EXPECT_EQ(probe->component, int(TextureComponentRed));
    EXPECT_EQ(probe->transparency, transparencyBefore);

    // A parameter standing in the tree applies itself to its subtree.
    Managed<MaterialParameter> shininess(new Shininess(half.Get()));
    struct ShininessProbe : public Node {
        int GetType() override { return 0; }
        void Traverse(State& s) override { value = s.shininess.Top(); }
        float value = 0;
    };
    Managed<ShininessProbe> below(new ShininessProbe());
    shininess->AddChild(below.Get());
    shininess->Traverse(state);
    EXPECT_EQ(below->value, 0.5f);
    EXPECT_EQ(shininess->GetType(), int(NodeTypeShininess));
    EXPECT_EQ(StackDepths(state), before);
}

}  // namespace node_test
