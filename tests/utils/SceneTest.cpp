// Scenes: their name tables, drawing through the root, and scene instances that draw one scene
// inside another but never a scene inside itself.
#include "utils/Scene.h"

#include "scenegraph/SceneGraphFixtures.h"
#include "support/Expect.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/DrawGeometryNode.h"
#include "utils/scenegraph/SceneInstance.h"
#include "utils/scenegraph/TransformNodes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scene_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::SceneGraph;

TEST(Scene, NameTables)
{
    Managed<Scene> scene(new Scene());
    State state;
    EXPECT_EQ(scene->GetControllerCount() + scene->GetGeometryCount() + scene->GetMaterialCount(), 0);
    EXPECT_EQ(scene->GetRoot(), nullptr);
    EXPECT_THROW_MESSAGE(scene->Traverse(state), "Managed nullpointer access attempt");

    Managed<Controller> spin(new ConstantController(1.0f)), other(new ConstantController(2.0f)),
        stranger(new ConstantController(3.0f));
    scene->AddController("spin", spin.Get());
    scene->AddController("wobble", other.Get());
    EXPECT_THROW_MESSAGE(scene->AddController("spin", other.Get()), "Map::Add(): Can't add element. Map allready contains the given key");
    EXPECT_EQ(scene->GetController("spin"), spin.Get());
    EXPECT_EQ(scene->GetControllerName(0), String("spin"));
    EXPECT_EQ(scene->GetControllerName(1), String("wobble"));
    EXPECT_EQ(scene->GetControllerId(spin.Get()), String("spin"));
    EXPECT_THROW_MESSAGE(scene->GetControllerId(stranger.Get()), "Scene::GetControllerId(): Scene does not contain the given controller");
    EXPECT_EQ(scene->GetController("Spin"), nullptr);  // exact names
    EXPECT_EQ(scene->GetControllerCount(), 2);          // look-ups add nothing
    EXPECT_THROW(scene->GetControllerName(2), Exception);
    EXPECT_THROW(scene->AddController("none", nullptr), Exception);
    EXPECT_EQ(other->GetRefCount(), 2);  // the failed add took no reference

    Managed<Material> body(new Material()), loose(new Material());
    scene->AddMaterial("body", body.Get());
    EXPECT_EQ(scene->GetMaterial("head"), nullptr);
    EXPECT_EQ(scene->GetMaterialCount(), 1);
    EXPECT_EQ(scene->GetMaterialId(body.Get()), String("body"));
    EXPECT_THROW(scene->GetMaterialId(loose.Get()), Exception);

    Testing::FakeDevice device;
    Managed<Geometry> mesh(new Geometry(&device)), elsewhere(new Geometry(&device));
    scene->AddGeometry("body", Scene::GeometryResource(mesh.Get()));  // a geometry may share a material's name
    EXPECT_EQ(scene->GetGeometry("body").Get(), mesh.Get());
    EXPECT_TRUE(scene->GetGeometry("head").IsEmpty());
    EXPECT_THROW_MESSAGE(scene->GetGeometry("head").Get(), "Accessing uninitialized resource");
    EXPECT_EQ(scene->GetGeometryCount(), 1);
    EXPECT_EQ(scene->GetGeometryId(Scene::GeometryResource(mesh.Get())), String("body"));
    EXPECT_THROW(scene->GetGeometryId(Scene::GeometryResource(elsewhere.Get())), Exception);
    EXPECT_THROW(scene->GetGeometryId(Scene::GeometryResource()), Exception);

    // The scene releases what it held.
    const int bodyCount = body->GetRefCount(), meshCount = mesh->GetRefCount();
    scene.Set(nullptr);
    EXPECT_EQ(spin->GetRefCount(), 1);
    EXPECT_EQ(body->GetRefCount(), bodyCount - 1);
    EXPECT_EQ(mesh->GetRefCount(), meshCount - 1);
}

TEST(SceneInstance, DrawsAnotherScenesTreeInPlace)
{
    Testing::FakeDevice device;
    Managed<Testing::TestGeometry> geometry(new Testing::TestGeometry(&device));
    Managed<Scene> inner(new Scene()), outer(new Scene());
    Managed<DrawGeometryNode> draw(new DrawGeometryNode(GeometryResource(geometry.Get())));
    inner->SetRoot(draw.Get());

    Managed<Controller> offset(new ConstantController(3, std::vector<float>{4, 0, 0}.data()));
    Managed<TranslateNode> move(new TranslateNode(offset.Get()));
    Managed<SceneInstance> first(new SceneInstance(SceneResource(inner.Get())));
    Managed<SceneInstance> second(new SceneInstance(SceneResource(inner.Get())));
    Managed<DrawGeometryNode> ignored(new DrawGeometryNode(GeometryResource(geometry.Get())));
    second->AddChild(ignored.Get());  // an instance's own children are not drawn
    move->AddChild(first.Get());
    move->AddChild(second.Get());
    outer->SetRoot(move.Get());

    Managed<Testing::RecordingEffect> effect(new Testing::RecordingEffect());
    State state;
    state.effects.Push(effect.Get());
    outer->Traverse(state);
    ASSERT_EQ(effect->calls.size(), 2u);
    EXPECT_FLOAT_EQ(effect->calls[0].x, 4);
    EXPECT_FLOAT_EQ(effect->calls[1].x, 4);

    // The node tree outlives its scene.
    Managed<Node> root(outer->GetRoot());
    root->AddRef();
    outer.Set(nullptr);
    root->Traverse(state);
    EXPECT_EQ(effect->calls.size(), 4u);

    Managed<SceneInstance> empty(new SceneInstance(SceneResource()));
    EXPECT_THROW_MESSAGE(empty->Traverse(state), "Accessing uninitialized resource");
}

TEST(SceneInstance, ASceneNeverDrawsItself)
{
    Managed<Scene> a(new Scene()), b(new Scene()), c(new Scene());
    Managed<SceneInstance> toA(new SceneInstance(SceneResource(a.Get())));
    Managed<SceneInstance> toB(new SceneInstance(SceneResource(b.Get())));
    Managed<SceneInstance> toC(new SceneInstance(SceneResource(c.Get())));
    Managed<TranslateNode> holder(new TranslateNode(nullptr));
    holder->AddChild(toA.Get());

    // Directly, and through other scenes, when the root is set.
    EXPECT_THROW(a->SetRoot(holder.Get()), Exception);
    EXPECT_EQ(a->GetRoot(), nullptr);
    c->SetRoot(toA.Get());
    b->SetRoot(toC.Get());
    EXPECT_THROW(a->SetRoot(toB.Get()), Exception);

    // A tree changed after its root was set is caught when it is drawn.
    Managed<TranslateNode> root(new TranslateNode(nullptr));
    a->SetRoot(root.Get());
    root->AddChild(toB.Get());
    State state;
    Managed<Testing::RecordingEffect> effect(new Testing::RecordingEffect());
    state.effects.Push(effect.Get());
    const std::vector<int> before = Testing::StackDepths(state);
    EXPECT_THROW_MESSAGE(a->Traverse(state), "Scene::Traverse(): the scene is drawn inside itself");
    EXPECT_EQ(Testing::StackDepths(state), before);
    // Once the loop is broken the scenes draw again.
    root->RemoveChild(toB.Get());
    EXPECT_NO_THROW(a->Traverse(state));
    // Break the reference cycle a -> c -> a so the scenes can go.
    c->SetRoot(nullptr);
}

}  // namespace scene_test
