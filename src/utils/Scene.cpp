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
template <class Table, class T>
void AddCounted(Table& table, const String& name, T* object, const char* nullMessage)
{
    if (!object)
        throw Exception(nullMessage);
    object->AddRef();
    table.Add(name, Managed<T>(object));
}

template <class Table>
auto* Find(const Table& table, const String& name)
{
    const int index = table.Find(name);
    return index < 0 ? nullptr : table.values[index].Get();
}

template <class Table, class T>
String NameOf(const Table& table, T* object, const char* missingMessage)
{
    for (int i = 0; object && i < table.Count(); ++i)
        if (table.values[i].Get() == object)
            return table.names[i];
    throw Exception(missingMessage);
}

}  // namespace

template <class V>
void Scene::NamedTable<V>::Add(const String& name, const V& value)
{
    if (!positions.try_emplace(name, values.Count()).second)
        throw Exception("Map::Add(): Can't add element. Map allready contains the given key");
    names.Add(name);
    values.Add(value);
}

template <class V>
int Scene::NamedTable<V>::Find(const String& name) const
{
    const auto found = positions.find(name);
    return found == positions.end() ? -1 : found->second;
}

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
    const int index = geometries.Find(name);
    return index < 0 ? GeometryResource() : geometries.values[index];
}

String Scene::GetGeometryId(const GeometryResource& geometry) const
{
    if (!geometry.IsEmpty())
        for (int i = 0; i < geometries.Count(); ++i)
            if (!geometries.values[i].IsEmpty() && geometries.values[i].Get() == geometry.Get())
                return geometries.names[i];
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
