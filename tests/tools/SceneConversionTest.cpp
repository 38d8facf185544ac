// Before conversion, what the tree uses but the scene's tables lack is added to them under
// fresh names, composite sources first; constants and what the tables hold already stay as
// they are.
#include "SceneConversion.h"

#include "core/Managed.h"
#include "support/FakeDevice.h"
#include "utils/Geometry.h"
#include "utils/Scene.h"
#include "utils/scenegraph/CompositeController.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/DrawGeometryNode.h"
#include "utils/scenegraph/LinearController.h"
#include "utils/scenegraph/Material.h"
#include "utils/scenegraph/TransformNodes.h"

#include <gtest/gtest.h>

#include <string>

namespace scene_conversion_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::SceneGraph;

Managed<LinearController> ConversionTestRamp()
{
    Managed<LinearController> ramp(new LinearController(1, nullptr));
    const float start = 0, end = 1;
    ramp->AddKey(0, 1, &start);
    ramp->AddKey(1, 1, &end);
    return ramp;
}

std::string ControllerTable(const Scene& scene)
{
    std::string names;
    for (int i = 0; i < scene.GetControllerCount(); ++i)
        names += scene.GetControllerName(i).CStr() + std::string(" ");
    return names;
}

TEST(SceneConversion, TablesGainWhatTheTreeUsesUnderFreshNamesSourcesFirst)
{
    Managed<Testing::FakeDevice> device(new Testing::FakeDevice());
    Managed<Scene> scene(new Scene());
    // The tables hold a ramp under the first fresh name, a material and a geometry already.
    Managed<LinearController> named = ConversionTestRamp();
    scene->AddController("controller1", named.Get());
    Managed<Material> held(new Material());
    scene->AddMaterial("held", held.Get());
    Managed<Geometry> heldGeometry(new Geometry(device.Get()));
    scene->AddGeometry("held", Scene::GeometryResource(heldGeometry.Get()));

    // A translation by a composite of an unnamed ramp and a constant, a rotation by a
    // constant, a material whose diffuse colour follows another unnamed ramp, and a geometry,
    // all used only by the tree; the held material and geometry are used too.
    Managed<LinearController> unnamed = ConversionTestRamp();
    Managed<ConstantController> constant(new ConstantController(2.0f));
    Managed<CompositeController> composite(new CompositeController(3));
    composite->SetComponent(0, unnamed.Get(), 0);
    composite->SetComponent(1, constant.Get(), 0);
    composite->SetComponent(2, named.Get(), 0);
    Managed<LinearController> colour = ConversionTestRamp();
    Managed<Material> loose(new Material());
    loose->AddParameter(Managed<Diffuse>(new Diffuse(colour.Get())).Get());
    Managed<Geometry> looseGeometry(new Geometry(device.Get()));

    Managed<TranslateNode> root(new TranslateNode(composite.Get()));
    Managed<RotateNode> rotate(new RotateNode(constant.Get()));
    Managed<ApplyMaterialNode> applyLoose(new ApplyMaterialNode(loose.Get()));
    Managed<ApplyMaterialNode> applyHeld(new ApplyMaterialNode(held.Get()));
    Managed<DrawGeometryNode> drawLoose(new DrawGeometryNode(Scene::GeometryResource(looseGeometry.Get())));
    Managed<DrawGeometryNode> drawHeld(new DrawGeometryNode(Scene::GeometryResource(heldGeometry.Get())));
    root->AddChild(rotate.Get());
    rotate->AddChild(applyLoose.Get());
    applyLoose->AddChild(drawLoose.Get());
    // Met twice in the tree, the loose material is added once.
    root->AddChild(Managed<ApplyMaterialNode>(new ApplyMaterialNode(loose.Get())).Get());
    root->AddChild(applyHeld.Get());
    applyHeld->AddChild(drawHeld.Get());
    scene->SetRoot(root.Get());

    SceneTools::CompleteSceneTables(*scene);

    EXPECT_EQ(ControllerTable(*scene), "controller1 controller2 controller3 controller4 ");
    EXPECT_EQ(scene->GetController("controller2"), unnamed.Get());
    EXPECT_EQ(scene->GetController("controller3"), composite.Get());
    EXPECT_EQ(scene->GetController("controller4"), colour.Get());
    ASSERT_EQ(scene->GetMaterialCount(), 2);
    EXPECT_EQ(scene->GetMaterial("material1"), loose.Get());
    ASSERT_EQ(scene->GetGeometryCount(), 2);
    EXPECT_EQ(scene->GetGeometry("geometry1").Get(), looseGeometry.Get());

    // A second pass finds nothing left to add.
    SceneTools::CompleteSceneTables(*scene);
    EXPECT_EQ(scene->GetControllerCount(), 4);
    EXPECT_EQ(scene->GetMaterialCount(), 2);
    EXPECT_EQ(scene->GetGeometryCount(), 2);
}

}  // namespace scene_conversion_test
