#include "utils/loaders/Nsgml.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/Resource.h"
#include "utils/Scene.h"
#include "utils/loaders/NsgmlBuilder.h"

namespace Nimbrel::Utils::Loaders {

namespace {

// Keeps a document on the stack of those being built for as long as it lives.
class NsgmlBuilding {
public:
    NsgmlBuilding(Array<Xml::Document*>& stack, Xml::Document* document) : stack(stack) { stack.Add(document); }
    ~NsgmlBuilding() { stack.RemoveAt(stack.Count() - 1); }
    NsgmlBuilding(const NsgmlBuilding&) = delete;
    NsgmlBuilding& operator=(const NsgmlBuilding&) = delete;

private:
    Array<Xml::Document*>& stack;
};

}  // namespace

void Nsgml::GetTypes(Array<ResourceType>& types)
{
    types.Add(ResourceType::Scene);
    types.Add(ResourceType::SceneNode);
}

Object* Nsgml::Load(ResourceType type, const String& descriptor, ResourceProxy* proxy)
{
    if (type != ResourceType::Scene && type != ResourceType::SceneNode)
        return nullptr;
    Resource<Xml::Document, ResourceType::XmlDocument> document(proxy, descriptor);
    if (building.Contains(document.Get()))
        throw Exception("Nsgml: '" + descriptor + "' is drawn inside itself");
    if (building.Count() >= MaxDocuments)
        throw Exception(String::Format("Nsgml: scenes drawn inside each other through more than %d documents",
                                       MaxDocuments));
    Xml::Element* root = document->GetRoot();
    if (!root)
        throw Exception("Nsgml: the document has no root element");
    const NsgmlBuilding guard(building, document.Get());

    Managed<Scene> scene(new Scene());
    NsgmlBuilder builder(*scene, *proxy);
    if (type == ResourceType::Scene) {
        builder.BuildScene(*root);
        return scene.Detach();
    }
    // A node tree alone: the scene only answers look-ups, and has nothing to answer with.
    return builder.BuildNode(*root).Detach();
}

}  // namespace Nimbrel::Utils::Loaders
