#pragma once
// Scene: what a scene file becomes. A root node drawn by Traverse, and three tables of the
// shared objects its nodes use, by name: geometries, controllers and materials.
//
// Tables keep insertion order (positions 0 to count - 1) and compare names exactly; a name is
// unique within its table, and adding it again throws "Map::Add(): Can't add element. Map
// allready contains the given key", keeping the first entry. Looking a name up never adds an
// entry: an unknown name gives null (an empty handle for geometries). Looking an object up
// that the scene does not hold throws. Positions outside the table throw.
//
// The scene holds a reference on each controller and material and a handle on each geometry,
// and releases them with itself. A scene can be drawn inside another through a SceneInstance
// node; a scene that would be drawn inside itself is refused when its root is set and, for
// trees changed later, when it is drawn.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/String.h"
#include "core/StringBytesHash.h"
#include "utils/Geometry.h"
#include "utils/Resource.h"
#include "utils/scenegraph/Controller.h"
#include "utils/scenegraph/Material.h"
#include "utils/scenegraph/Node.h"

#include <unordered_map>

namespace Nimbrel::Utils {

class Scene : public Object {
public:
    using GeometryResource = Resource<Geometry, ResourceType::Geometry>;

    Scene() = default;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // The root's Traverse; throws "Managed nullpointer access attempt" without a root, and
    // "Scene::Traverse(): the scene is drawn inside itself" when a scene instance below the
    // root leads back to this scene.
    void Traverse(State& state);

    // Adds a reference to the new root and releases the previous one. Throws, keeping the
    // previous root, when a scene instance in the new tree leads back to this scene.
    void SetRoot(SceneGraph::Node* root);
    SceneGraph::Node* GetRoot() const { return root.Get(); }

    void AddGeometry(const String& name, const GeometryResource& geometry);
    GeometryResource GetGeometry(const String& name) const;
    GeometryResource GetGeometry(int index) const { return geometries.values[index]; }
    String GetGeometryName(int index) const { return geometries.names[index]; }
    int GetGeometryCount() const { return geometries.Count(); }
    String GetGeometryId(const GeometryResource& geometry) const;

    // Adds a reference to the controller; throws for null.
    void AddController(const String& name, SceneGraph::Controller* controller);
    // No reference is added.
    SceneGraph::Controller* GetController(const String& name) const;
    SceneGraph::Controller* GetController(int index) const { return controllers.values[index].Get(); }
    String GetControllerName(int index) const { return controllers.names[index]; }
    int GetControllerCount() const { return controllers.Count(); }
    String GetControllerId(SceneGraph::Controller* controller) const;

    void AddMaterial(const String& name, SceneGraph::Material* material);
    SceneGraph::Material* GetMaterial(const String& name) const;
    SceneGraph::Material* GetMaterial(int index) const { return materials.values[index].Get(); }
    String GetMaterialName(int index) const { return materials.names[index]; }
    int GetMaterialCount() const { return materials.Count(); }
    String GetMaterialId(SceneGraph::Material* material) const;

    // What an importer noted while reading the file the scene came from (skipped elements,
    // hints), one line each; empty for scenes made otherwise.
    void SetImportLog(const Array<String>& lines) { importLog = lines; }
    const Array<String>& GetImportLog() const { return importLog; }
    // The file's up axis ("X_UP", "Y_UP" or "Z_UP") and its unit in meters, as the file states
    // them. Nothing is rotated or scaled for them: a demo reads them and decides. Scenes from
    // files that state neither say "Z_UP", the engine's world, and 1.
    void SetUpAxis(const String& axis) { upAxis = axis; }
    const String& GetUpAxis() const { return upAxis; }
    void SetUnitMeter(float meters) { unitMeter = meters; }
    float GetUnitMeter() const { return unitMeter; }

    // Whether drawing the tree would draw `target` through scene instances (directly or
    // through other scenes).
    static bool TreeReaches(SceneGraph::Node* tree, const Scene* target);

private:
    // Entries in the order they were added, found by name through a hash: an imported file
    // may bring tens of thousands of them.
    template <class V>
    struct NamedTable {
        Array<String> names;
        Array<V> values;
        std::unordered_map<String, int, StringBytesHash> positions;

        // Throws for a name already there.
        void Add(const String& name, const V& value);
        int Find(const String& name) const;
        int Count() const { return values.Count(); }
    };

    Managed<SceneGraph::Node> root;
    NamedTable<GeometryResource> geometries;
    NamedTable<Managed<SceneGraph::Controller>> controllers;
    NamedTable<Managed<SceneGraph::Material>> materials;
    Array<String> importLog;
    String upAxis = "Z_UP";
    float unitMeter = 1.0f;
    // Set while the scene is drawn, and while TreeReaches looks through it.
    bool traversing = false;
    bool searching = false;
};

}  // namespace Nimbrel::Utils
