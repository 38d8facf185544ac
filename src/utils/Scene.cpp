#include "utils/Scene.h"

#include "core/Exception.h"
#include "utils/scenegraph/SceneInstance.h"

namespace Nimbrel::Utils {

namespace {

// Sets a flag for as long as it lives.
class Raised {
public:
    explicit Raised(bool& flag) : flag(flag) { flag = true; }
    ~Raised() { flag = false; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

private:
    bool& flag;
};

// Tables of counted objects: each entry holds a reference of its own.
template <class T>
void AddCounted(LinearMap<String, Managed<T>>& table, const String& name, T* object, const char* nullMessage)
{
    if (!object)
        throw Exception(nullMessage);
    object->AddRef();
    table.Add(name, Managed<T>(object));
}

template <class T>
T* Find(const LinearMap<String, Managed<T>>& table, const String& name)
{
    const int index = table.IndexOfKey(name);
    return index < 0 ? nullptr : table.ValueAt(index).Get();
}

template <class T>
String NameOf(const LinearMap<String, Managed<T>>& table, T* object, const char* missingMessage)
{
    for (int i = 0; object && i < table.Count(); ++i)
        if (table.ValueAt(i).Get() == object)
            return table.KeyAt(i);
    throw Exception(missingMessage);
}

}  // namespace

void Scene::Traverse(State& state)
{
    if (traversing)
        throw Exception("Scene::Traverse(): the scene is drawn inside itself");
    Raised drawing(traversing);
    root->Traverse(state);
}

bool Scene::TreeReaches(SceneGraph::Node* tree, const Scene* target)
{
    if (!tree)
        return false;
    if (auto* instance = dynamic_cast<SceneGraph::SceneInstance*>(tree)) {
        if (!instance->GetScene().IsEmpty()) {
            Scene* scene = instance->GetScene().Get();
            if (scene == target)
                return true;
            if (!scene->searching) {
                Raised searching(scene->searching);
                if (TreeReaches(scene->GetRoot(), target))
                    return true;
            }
        }
    }
    for (int i = 0; i < tree->GetChildCount(); ++i)
        if (TreeReaches(tree->GetChild(i), target))
            return true;
    return false;
}

void Scene::SetRoot(SceneGraph::Node* node)
{
    if (TreeReaches(node, this))
        throw Exception("Scene::SetRoot(): a scene instance in the tree draws this scene inside itself");
    if (node)
        node->AddRef();
    root.Set(node);
}

void Scene::AddGeometry(const String& name, const GeometryResource& geometry)
{
    geometries.Add(name, geometry);
}

Scene::GeometryResource Scene::GetGeometry(const String& name) const
{
    const int index = geometries.IndexOfKey(name);
    return index < 0 ? GeometryResource() : geometries.ValueAt(index);
}

String Scene::GetGeometryId(const GeometryResource& geometry) const
{
    if (!geometry.IsEmpty())
        for (int i = 0; i < geometries.Count(); ++i)
            if (!geometries.ValueAt(i).IsEmpty() && geometries.ValueAt(i).Get() == geometry.Get())
                return geometries.KeyAt(i);
    throw Exception("Scene::GetGeometryId(): Scene does not contain the given geometry");
}

void Scene::AddController(const String& name, SceneGraph::Controller* controller)
{
    AddCounted(controllers, name, controller, "Scene::AddController(): no controller given");
}

SceneGraph::Controller* Scene::GetController(const String& name) const
{
    return Find(controllers, name);
}

String Scene::GetControllerId(SceneGraph::Controller* controller) const
{
    return NameOf(controllers, controller, "Scene::GetControllerId(): Scene does not contain the given controller");
}

void Scene::AddMaterial(const String& name, SceneGraph::Material* material)
{
    AddCounted(materials, name, material, "Scene::AddMaterial(): no material given");
}

SceneGraph::Material* Scene::GetMaterial(const String& name) const
{
    return Find(materials, name);
}

String Scene::GetMaterialId(SceneGraph::Material* material) const
{
    return NameOf(materials, material, "Scene::GetMaterialId(): Scene does not contain the given material");
}

}  // namespace Nimbrel::Utils
