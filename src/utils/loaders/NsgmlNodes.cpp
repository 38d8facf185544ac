// The node elements of NSGML markup: one node per element, its child elements built below it.
#include "utils/loaders/NsgmlBuilder.h"

#include "core/Array.h"
#include "core/Exception.h"
#include "math/Vector3t.h"
#include "utils/TargetType.h"
#include "utils/loaders/Nsgml.h"
#include "utils/scenegraph/BoundingShape.h"
#include "utils/scenegraph/Camera.h"
#include "utils/scenegraph/DrawGeometryNode.h"
#include "utils/scenegraph/Light.h"
#include "utils/scenegraph/Material.h"
#include "utils/scenegraph/NameNode.h"
#include "utils/scenegraph/SceneInstance.h"
#include "utils/scenegraph/TargetNodes.h"
#include "utils/scenegraph/TimeNode.h"
#include "utils/scenegraph/TransformNodes.h"
#include "utils/shapes/BoxAligned.h"
#include "utils/shapes/Sphere.h"

namespace Nimbrel::Utils::Loaders {

using namespace SceneGraph;

namespace {

template <class N, class... Args>
Managed<Node> NsgmlNode(Args&&... args)
{
    return Managed<Node>(new N(std::forward<Args>(args)...));
}

// The required attribute's text, or "Missing attribute '<name>'".
String NsgmlRequired(Xml::Element& element, const char* name)
{
    if (!element.HasAttribute(name))
        throw Exception(String("Missing attribute '") + name + "'");
    return element.GetAttribute(name);
}

int NsgmlBoundFlag(const String& word)
{
    static const struct {
        const char* word;
        int bit;
    } flags[] = {{"drawable", TargetTypeDrawable},
                 {"playable", TargetTypePlayable},
                 {"light", TargetTypeLight},
                 {"camera", TargetTypeCamera},
                 {"solid", TargetTypeSolid}};
    for (const auto& flag : flags)
        if (word == flag.word)
            return flag.bit;
    throw Exception("Unsupported bound flag: " + word);
}

}  // namespace

Managed<Node> NsgmlBuilder::BuildNode(Xml::Element& element, int depth)
{
    if (depth > Nsgml::MaxDepth)
        throw Exception(String::Format("Nsgml: nodes nested deeper than %d levels", Nsgml::MaxDepth));
    Managed<Node> node;
    try {
        node = BuildOneNode(element);
    } catch (const Exception& error) {
        throw ElementFailure(element.GetName(), error);
    }
    for (Xml::Element* child = element.GetFirstChild(); child; child = child->GetNextSibling()) {
        Managed<Node> built = BuildNode(*child, depth + 1);
        if (!node->Insert(built.Get()))
            throw Exception("Unable to insert '" + child->GetName() + "' node below '" + element.GetName() + "'");
    }
    return node;
}

Managed<Node> NsgmlBuilder::BuildOneNode(Xml::Element& element)
{
    const String name = element.GetName();
    if (name == "time")
        return NsgmlNode<TimeNode>(ControllerOf(element, "value", 1).Get());
    if (name == "name")
        return NsgmlNode<NameNode>(element.GetAttribute("value"));
    if (name == "translate")
        return NsgmlNode<TranslateNode>(ControllerOf(element, "value", 3).Get());
    if (name == "rotate")
        return NsgmlNode<RotateNode>(ControllerOf(element, "value", 4).Get());
    if (name == "scale")
        return NsgmlNode<ScaleNode>(ControllerOf(element, "value", 3).Get());
    if (name == "matrix")
        return NsgmlNode<MatrixNode>(ControllerOf(element, "value", 16).Get());
    if (name == "apply_material") {
        const String id = NsgmlRequired(element, "id");
        Material* material = scene.GetMaterial(id);
        if (!material)
            throw Exception("Unknown material '" + id + "'");
        return NsgmlNode<ApplyMaterialNode>(material);
    }
    if (name == "draw_geometry") {
        Scene::GeometryResource geometry = scene.GetGeometry(NsgmlRequired(element, "id"));
        geometry.Get();  // an id of no geometry: "Accessing uninitialized resource"
        return NsgmlNode<DrawGeometryNode>(geometry);
    }
    if (name == "solid")
        return NsgmlNode<SolidNode>();
    if (name == "light")
        return BuildLight(element);
    if (name == "camera")
        return BuildCamera(element);
    if (name == "sound")
        throw Exception("nsgml: loadSoundNode not implemented");
    if (name == "scene")
        return BuildSceneInstance(element);
    if (name == "shape")
        return BuildShape(element);
    if (name == "effect")
        throw Exception("loadEffectNode not implemented");
    if (Managed<MaterialParameter> parameter = BuildParameter(element))
        return parameter;
    if (name == "bone")
        throw Exception("loadBoneNode not implemented");
    if (name == "skeleton")
        throw Exception("loadSkeletonNode not implemented");
    throw Exception("Unsupported node type");
}

Managed<Node> NsgmlBuilder::BuildLight(Xml::Element& element)
{
    static const struct {
        const char* name;
        Light::Value value;
        int count;
    } values[] = {{"color", Light::Color, 3},
                  {"constant_attenuation", Light::ConstantAttenuation, 1},
                  {"linear_attenuation", Light::LinearAttenuation, 1},
                  {"quadratic_attenuation", Light::QuadraticAttenuation, 1},
                  {"near_attenuation_start", Light::NearAttenuationStart, 1},
                  {"far_attenuation_start", Light::FarAttenuationStart, 1},
                  {"near_attenuation_end", Light::NearAttenuationEnd, 1},
                  {"far_attenuation_end", Light::FarAttenuationEnd, 1},
                  {"falloff_angle", Light::FalloffAngle, 1},
                  {"falloff_exponent", Light::FalloffExponent, 1}};
    static const struct {
        const char* word;
        Light::LightType type;
    } types[] = {{"omni", Light::Omni}, {"ambient", Light::Ambient}, {"spot", Light::Spot}, {"directional", Light::Directional}};

    Managed<Light> light(new Light());
    for (const auto& value : values)
        light->Set(value.value, ControllerOf(element, value.name, value.count).Get());
    const String type = element.GetAttribute("type");
    for (const auto& known : types)
        if (type == known.word)
            light->SetLightType(known.type);
    return NsgmlNode<LightNode>(light.Get());
}

// Every value is set, so an absent one is a zero constant in place of the camera's default.
Managed<Node> NsgmlBuilder::BuildCamera(Xml::Element& element)
{
    Managed<Camera> camera(new Camera());
    camera->SetXFov(ControllerOf(element, "xfov", 1).Get());
    camera->SetAspect(ControllerOf(element, "aspect", 1).Get());
    camera->SetZNear(ControllerOf(element, "znear", 1).Get());
    camera->SetZFar(ControllerOf(element, "zfar", 1).Get());
    camera->SetUp(ControllerOf(element, "up", 3).Get());
    return NsgmlNode<CameraNode>(camera.Get());
}

Managed<Node> NsgmlBuilder::BuildShape(Xml::Element& element)
{
    if (!element.HasAttribute("type"))
        throw Exception("Missing attribute 'shape'");
    const String type = element.GetAttribute("type");
    Managed<Shapes::Shape> shape;
    if (type == "box") {
        if (!element.HasAttribute("min"))
            throw Exception("Type is 'box', missing attribute 'min'");
        if (!element.HasAttribute("max"))
            throw Exception("Type is 'box', missing attribute 'max'");
        shape.Set(new Shapes::BoxAligned(Math::Vector3t<float>(element.GetAttribute("min")),
                                         Math::Vector3t<float>(element.GetAttribute("max"))));
    } else if (type == "sphere") {
        if (!element.HasAttribute("position"))
            throw Exception("Type is 'sphere', missing attribute 'position'");
        if (!element.HasAttribute("radius"))
            throw Exception("Type is 'sphere', missing attribute 'radius'");
        shape.Set(new Shapes::Sphere(Math::Vector3t<float>(element.GetAttribute("position")),
                                     element.GetAttribute("radius").ToFloat()));
    } else {
        throw Exception("Unsupported shape type: " + type);
    }

    Managed<BoundingShape> node(new BoundingShape());
    node->SetShape(shape.Get());
    if (!element.HasAttribute("bounds"))
        throw Exception("Missing attribute 'bounds'");
    Array<String> words;
    element.GetAttribute("bounds").Remove('(').Remove(')').Remove(' ').Split(',', words);
    int flags = 0;
    for (const String& word : words)
        if (word.Length() > 0)
            flags |= NsgmlBoundFlag(word);
    if (flags == 0)
        throw Exception("'bounds' attribute can't be empty");
    node->SetFlags(flags);
    return node;
}

Managed<Node> NsgmlBuilder::BuildSceneInstance(Xml::Element& element)
{
    const SceneResource instanced(&proxy, NsgmlRequired(element, "desc"));
    return NsgmlNode<SceneInstance>(instanced);
}

}  // namespace Nimbrel::Utils::Loaders
