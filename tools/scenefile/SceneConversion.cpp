#include "SceneConversion.h"

#include "utils/loaders/Nsg.h"
#include "utils/loaders/NsgmlWriter.h"
#include "utils/scenegraph/Camera.h"
#include "utils/scenegraph/CompositeController.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/DrawGeometryNode.h"
#include "utils/scenegraph/Light.h"
#include "utils/scenegraph/Material.h"
#include "utils/scenegraph/MaterialParameters.h"
#include "utils/scenegraph/TargetNodes.h"
#include "utils/scenegraph/TimeNode.h"
#include "utils/scenegraph/TransformNodes.h"

#include <string>
#include <unordered_set>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::SceneGraph;

namespace SceneTools {

namespace {

class TableCompletion {
public:
    explicit TableCompletion(Scene& scene) : scene(scene)
    {
        for (int i = 0; i < scene.GetControllerCount(); ++i)
            controllers.insert(scene.GetController(i));
        for (int i = 0; i < scene.GetMaterialCount(); ++i)
            materials.insert(scene.GetMaterial(i));
        for (int i = 0; i < scene.GetGeometryCount(); ++i)
            if (!scene.GetGeometry(i).IsEmpty())
                geometries.insert(scene.GetGeometry(i).Get());
    }

    void Run()
    {
        // The tables' own materials may use controllers the table lacks.
        for (int i = 0; i < scene.GetMaterialCount(); ++i)
            MaterialControllers(scene.GetMaterial(i));
        // Iterative, so a deep tree cannot exhaust the stack.
        std::vector<Node*> pending;
        if (scene.GetRoot())
            pending.push_back(scene.GetRoot());
        while (!pending.empty()) {
            Node* node = pending.back();
            pending.pop_back();
            Visit(node);
            for (int i = node->GetChildCount() - 1; i >= 0; --i)
                pending.push_back(node->GetChild(i));
        }
    }

private:
    void Visit(Node* node)
    {
        if (auto* time = dynamic_cast<TimeNode*>(node))
            AddController(time->GetController());
        else if (auto* transform = dynamic_cast<ControlledTransformNode*>(node))
            AddController(transform->GetController());
        else if (auto* apply = dynamic_cast<ApplyMaterialNode*>(node))
            AddMaterial(apply->GetMaterial());
        else if (auto* draw = dynamic_cast<DrawGeometryNode*>(node))
            AddGeometry(draw->GetGeometry());
        else if (auto* light = dynamic_cast<LightNode*>(node)) {
            for (int i = 0; i < Light::ValueCount; ++i)
                AddController(light->GetLight()->Get(Light::Value(i)));
        } else if (auto* camera = dynamic_cast<CameraNode*>(node)) {
            Camera* c = camera->GetCamera();
            for (Controller* value : {c->GetXFov(), c->GetAspect(), c->GetZNear(), c->GetZFar(), c->GetUp()})
                AddController(value);
        }
    }

    void MaterialControllers(Material* material)
    {
        for (int p = 0; p < material->GetParameterCount(); ++p)
            AddController(material->GetParameter(p)->GetController());
    }

    void AddController(Controller* controller)
    {
        if (!controller || controllers.count(controller) || dynamic_cast<ConstantController*>(controller))
            return;
        controllers.insert(controller);
        // Composites cannot refer to themselves, so the recursion ends with the sources.
        if (auto* composite = dynamic_cast<CompositeController*>(controller))
            for (int i = 0; i < composite->GetComponentCount(); ++i)
                AddController(composite->GetSource(i));
        scene.AddController(FreshName("controller", [this](const String& name) { return scene.GetController(name) != nullptr; }),
                            controller);
    }

    void AddMaterial(Material* material)
    {
        if (!material || !materials.insert(material).second)
            return;
        MaterialControllers(material);
        scene.AddMaterial(FreshName("material", [this](const String& name) { return scene.GetMaterial(name) != nullptr; }),
                          material);
    }

    void AddGeometry(const Scene::GeometryResource& geometry)
    {
        if (geometry.IsEmpty() || !geometries.insert(geometry.Get()).second)
            return;
        scene.AddGeometry(FreshName("geometry", [this](const String& name) { return !scene.GetGeometry(name).IsEmpty(); }),
                          geometry);
    }

    template <class Taken>
    String FreshName(const char* stem, Taken taken)
    {
        for (int number = 1;; ++number) {
            const String name = (std::string(stem) + std::to_string(number)).c_str();
            if (!taken(name))
                return name;
        }
    }

    Scene& scene;
    std::unordered_set<Controller*> controllers;
    std::unordered_set<Material*> materials;
    std::unordered_set<const void*> geometries;
};

}  // namespace

void CompleteSceneTables(Scene& scene)
{
    TableCompletion(scene).Run();
}

void ConvertScene(Scene& scene, const String& libraryName, IO::ByteWriter& library, IO::ByteWriter& markup)
{
    CompleteSceneTables(scene);
    Loaders::Nsg::Write(library, scene);
    Loaders::NsgmlWriter::Write(markup, scene, libraryName);
}

}  // namespace SceneTools
