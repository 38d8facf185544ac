#include "utils/loaders/NsgmlBuilder.h"

#include "core/Array.h"
#include "core/Exception.h"
#include "utils/loaders/Nsg.h"
#include "utils/loaders/Nsgml.h"
#include "utils/loaders/NsgmlValues.h"
#include "utils/scenegraph/CompositeController.h"
#include "utils/scenegraph/LinearController.h"
#include "utils/scenegraph/Material.h"

namespace Nimbrel::Utils::Loaders {

using namespace SceneGraph;

namespace {

TextureComponent NsgmlTextureComponent(const String& letter)
{
    if (letter.Length() != 1)
        throw Exception("'comp' must be exactly one character ('r', 'g', 'b', or 'a')");
    switch (letter[0]) {
    case 'r':
        return TextureComponentRed;
    case 'g':
        return TextureComponentGreen;
    case 'b':
        return TextureComponentBlue;
    case 'a':
        return TextureComponentAlpha;
    case 'n':
        return TextureComponentNone;
    default:
        throw Exception("invalid 'comp' character. must be 'r', 'g', 'b', 'a' or 'n'");
    }
}

}  // namespace

Exception NsgmlBuilder::ElementFailure(const String& element, const Exception& cause)
{
    return Exception("Unable to load '" + element + "' node: \n" + cause.GetMessage());
}

void NsgmlBuilder::BuildScene(Xml::Element& root)
{
    for (Xml::Element* child = root.GetFirstChild(); child; child = child->GetNextSibling()) {
        const String name = child->GetName();
        if (name == "linear_controller") {
            BuildLinearController(*child);
        } else if (name == "composite_controller") {
            BuildCompositeController(*child);
        } else if (name == "material") {
            BuildMaterial(*child);
        } else if (name == "import") {
            Import(*child);
        } else {
            Managed<Node> tree = BuildNode(*child);
            scene.SetRoot(tree.Get());
        }
    }
}

Managed<Controller> NsgmlBuilder::ControllerOf(Xml::Element& element, const char* name, int count)
{
    return NsgmlValues::Controller(element, name, count, scene);
}

void NsgmlBuilder::BuildLinearController(Xml::Element& element)
{
    if (!element.HasAttribute("components"))
        throw Exception("'linear_controller' missing 'components'");
    const int count = NsgmlValues::ComponentCount(element, "components");
    if (!element.HasAttribute("id"))
        throw Exception("'linear_controller' missing 'id'");
    Managed<LinearController> controller(new LinearController(count, nullptr));
    for (Xml::Element* key = element.GetFirstChild(); key; key = key->GetNextSibling()) {
        if (!(key->GetName() == "key"))
            throw Exception("'linear_controller': unsupported child element: " + key->GetName());
        const float time = key->GetAttribute("time").ToFloat();
        Array<float> values;
        key->GetAttribute("value").ToFloatArray(values);
        controller->AddKey(time, values.Count(), values.Data());
    }
    scene.AddController(element.GetAttribute("id"), controller.Get());
}

void NsgmlBuilder::BuildCompositeController(Xml::Element& element)
{
    if (!element.HasAttribute("components"))
        throw Exception("'composite_controller' missing 'components'");
    const int count = NsgmlValues::ComponentCount(element, "components");
    if (!element.HasAttribute("id"))
        throw Exception("'composite_controller' missing 'id'");
    Managed<CompositeController> controller(new CompositeController(count));
    int index = 0;
    for (Xml::Element* entry = element.GetFirstChild(); entry; entry = entry->GetNextSibling()) {
        if (!(entry->GetName() == "comp"))
            continue;
        if (!entry->HasAttribute("value"))
            throw Exception("'comp' missing 'value'");
        if (index == count)
            throw Exception(String::Format("'composite_controller' has more 'comp' entries than its %d components", count));
        Managed<Controller> source = ControllerOf(*entry, "value", count);
        const int component = entry->HasAttribute("comp") ? entry->GetAttribute("comp").ToInt() : 0;
        controller->SetComponent(index++, source.Get(), component);
    }
    scene.AddController(element.GetAttribute("id"), controller.Get());
}

void NsgmlBuilder::BuildMaterial(Xml::Element& element)
{
    try {
        if (!element.HasAttribute("id"))
            throw Exception("'material' missing 'id'");
        Managed<Material> material(new Material());
        for (Xml::Element* child = element.GetFirstChild(); child; child = child->GetNextSibling()) {
            Managed<MaterialParameter> parameter = BuildParameter(*child);
            if (!parameter)
                throw Exception("Unsupported material parameter");
            material->AddParameter(parameter.Get());
        }
        scene.AddMaterial(element.GetAttribute("id"), material.Get());
    } catch (const Exception& error) {
        throw ElementFailure(element.GetName(), error);
    }
}

void NsgmlBuilder::Import(Xml::Element& element)
{
    if (!element.HasAttribute("desc"))
        throw Exception("Missing attribute 'desc'");
    Nsg::Load(scene, Nsg::StreamResource(&proxy, element.GetAttribute("desc")), proxy);
}

Managed<MaterialParameter> NsgmlBuilder::BuildParameter(Xml::Element& element)
{
    const String name = element.GetName();
    if (name == "shininess")
        return BuildValueParameter<Shininess>(element);
    if (name == "transparency")
        return BuildValueParameter<Transparency>(element);
    if (name == "displacement")
        return BuildValueParameter<Displacement>(element);
    if (name == "reflectivity")
        return BuildValueParameter<Reflectivity>(element);
    if (name == "diffuse")
        return BuildVectorParameter<Diffuse>(element);
    if (name == "normal")
        return BuildVectorParameter<Normal>(element);
    if (name == "specular")
        return BuildVectorParameter<Specular>(element);
    if (name == "emission")
        return BuildVectorParameter<Emission>(element);
    if (name == "reflection")
        return BuildVectorParameter<Reflection>(element);
    return Managed<MaterialParameter>();
}

// An absent `value` leaves the parameter without a controller, so the kind's own default
// holds (a diffuse texture is not darkened by a zero colour).
template <class P>
Managed<MaterialParameter> NsgmlBuilder::BuildValueParameter(Xml::Element& element)
{
    const bool hasValue = element.HasAttribute("value");
    const bool hasTexture = element.HasAttribute("tex");
    if (!hasValue && !hasTexture)
        throw Exception("missing 'value' or 'tex' attribute");
    Managed<Controller> controller;
    if (hasValue)
        controller = ControllerOf(element, "value", 1);
    Managed<P> parameter(new P(controller.Get()));
    if (hasTexture) {
        parameter->SetTexture(TextureResource(&proxy, element.GetAttribute("tex")));
        parameter->SetComponent(TextureComponentRed);
    }
    if (element.HasAttribute("comp"))
        parameter->SetComponent(NsgmlTextureComponent(element.GetAttribute("comp")));
    return parameter;
}

template <class P>
Managed<MaterialParameter> NsgmlBuilder::BuildVectorParameter(Xml::Element& element)
{
    Managed<Controller> controller;
    if (element.HasAttribute("value"))
        controller = ControllerOf(element, "value", 3);
    Managed<P> parameter(new P(controller.Get()));
    if (element.HasAttribute("tex"))
        parameter->SetTexture(TextureResource(&proxy, element.GetAttribute("tex")));
    return parameter;
}

}  // namespace Nimbrel::Utils::Loaders
