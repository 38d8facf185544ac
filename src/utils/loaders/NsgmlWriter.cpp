#include "utils/loaders/NsgmlWriter.h"

#include "core/Exception.h"
#include "io/StreamBytes.h"
#include "utils/TargetType.h"
#include "utils/loaders/NsgmlValues.h"
#include "utils/scenegraph/BoundingShape.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/DrawGeometryNode.h"
#include "utils/scenegraph/Material.h"
#include "utils/scenegraph/MaterialParameters.h"
#include "utils/scenegraph/NameNode.h"
#include "utils/scenegraph/SceneInstance.h"
#include "utils/scenegraph/TargetNodes.h"
#include "utils/scenegraph/TimeNode.h"
#include "utils/scenegraph/TransformNodes.h"
#include "utils/shapes/BoxAligned.h"
#include "utils/shapes/Sphere.h"

#include <pugixml.hpp>

#include <cstdio>
#include <string>

namespace Nimbrel::Utils::Loaders::NsgmlWriter {

namespace {

using namespace SceneGraph;

// The element of each node kind the markup has; the node kinds missing here cannot be written.
const struct {
    int type;
    const char* element;
} NsgmlElements[] = {
    {NodeTypeTime, "time"},
    {NodeTypeName, "name"},
    {NodeTypeTranslate, "translate"},
    {NodeTypeRotate, "rotate"},
    {NodeTypeScale, "scale"},
    {NodeTypeMatrix, "matrix"},
    {NodeTypeApplyMaterial, "apply_material"},
    {NodeTypeDrawGeometry, "draw_geometry"},
    {NodeTypeSolid, "solid"},
    {NodeTypeLight, "light"},
    {NodeTypeCamera, "camera"},
    {NodeTypeSceneInstance, "scene"},
    {NodeTypeBoundingShape, "shape"},
    {NodeTypeShininess, "shininess"},
    {NodeTypeTransparency, "transparency"},
    {NodeTypeDisplacement, "displacement"},
    {NodeTypeReflectivity, "reflectivity"},
    {NodeTypeDiffuse, "diffuse"},
    {NodeTypeNormal, "normal"},
    {NodeTypeSpecular, "specular"},
    {NodeTypeEmission, "emission"},
    {NodeTypeReflection, "reflection"},
};

const char* NsgmlElementOf(int type)
{
    for (const auto& known : NsgmlElements)
        if (known.type == type)
            return known.element;
    return nullptr;
}

std::string NsgmlNumber(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", double(value));
    return text;
}

std::string NsgmlVector(const Math::Vector3t<float>& vector)
{
    return NsgmlNumber(vector.x) + ", " + NsgmlNumber(vector.y) + ", " + NsgmlNumber(vector.z);
}

std::string NsgmlNumbers(const float* values, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? ", " : "") + NsgmlNumber(values[i]);
    return text;
}

class MarkupWriter {
public:
    explicit MarkupWriter(const Scene& scene) : scene(scene) {}

    void WriteDocument(pugi::xml_node document, const String& library)
    {
        pugi::xml_node top = document.append_child("scene");
        if (library.Length() > 0)
            top.append_child("import").append_attribute("desc") = library.CStr();
        for (int i = 0; i < scene.GetMaterialCount(); ++i) {
            pugi::xml_node material = top.append_child("material");
            material.append_attribute("id") = scene.GetMaterialName(i).CStr();
            Material* held = scene.GetMaterial(i);
            for (int p = 0; p < held->GetParameterCount(); ++p)
                WriteNode(material, held->GetParameter(p), false);
        }
        if (scene.GetRoot())
            WriteNode(top, scene.GetRoot(), true);
    }

private:
    void WriteNode(pugi::xml_node parent, Node* node, bool withChildren)
    {
        const char* name = NsgmlElementOf(node->GetType());
        if (!name)
            throw Exception(String::Format("NsgmlWriter: no element for node type 0x%x", node->GetType()));
        pugi::xml_node element = parent.append_child(name);
        switch (node->GetType()) {
        case NodeTypeTime:
            WriteController(element, "value", static_cast<TimeNode*>(node)->GetController());
            break;
        case NodeTypeName:
            element.append_attribute("value") = static_cast<NameNode*>(node)->GetName().CStr();
            break;
        case NodeTypeTranslate:
        case NodeTypeRotate:
        case NodeTypeScale:
        case NodeTypeMatrix:
            WriteController(element, "value", static_cast<ControlledTransformNode*>(node)->GetController());
            break;
        case NodeTypeApplyMaterial:
            element.append_attribute("id") = scene.GetMaterialId(static_cast<ApplyMaterialNode*>(node)->GetMaterial()).CStr();
            break;
        case NodeTypeDrawGeometry:
            element.append_attribute("id") = scene.GetGeometryId(static_cast<DrawGeometryNode*>(node)->GetGeometry()).CStr();
            break;
        case NodeTypeSolid:
            break;
        case NodeTypeLight:
            WriteLight(element, *static_cast<LightNode*>(node)->GetLight());
            break;
        case NodeTypeCamera:
            WriteCamera(element, *static_cast<CameraNode*>(node)->GetCamera());
            break;
        case NodeTypeSceneInstance:
            WriteSceneInstance(element, *static_cast<SceneInstance*>(node));
            break;
        case NodeTypeBoundingShape:
            WriteShape(element, *static_cast<BoundingShape*>(node));
            break;
        default:
            WriteParameter(element, *static_cast<MaterialParameter*>(node));
            break;
        }
        if (withChildren)
            for (int i = 0; i < node->GetChildCount(); ++i)
                WriteNode(element, node->GetChild(i), true);
    }

    // By id when the scene's table holds the controller, else a constant's values in place.
    void WriteController(pugi::xml_node element, const char* attribute, Controller* controller)
    {
        if (!controller)
            return;
        for (int i = 0; i < scene.GetControllerCount(); ++i)
            if (scene.GetController(i) == controller) {
                const String id = scene.GetControllerName(i);
                Array<float> numbers;
                NsgmlValues::NumberList(id, numbers);
                if (!numbers.IsEmpty())
                    throw Exception("NsgmlWriter: the controller id '" + id + "' would read back as numbers");
                element.append_attribute(attribute) = id.CStr();
                return;
            }
        auto* constant = dynamic_cast<ConstantController*>(controller);
        if (!constant)
            throw Exception("NsgmlWriter: a controller that is neither a constant nor in the scene's table");
        const Array<float>& values = constant->GetValues();
        if (values.Count() > 0)
            element.append_attribute(attribute) = NsgmlNumbers(values.Data(), values.Count()).c_str();
    }

    void WriteLight(pugi::xml_node element, Light& light)
    {
        static const char* const types[] = {"ambient", "omni", "spot", "directional"};
        static const char* const values[Light::ValueCount] = {
            "color",
            "constant_attenuation",
            "linear_attenuation",
            "quadratic_attenuation",
            "near_attenuation_start",
            "far_attenuation_start",
            "near_attenuation_end",
            "far_attenuation_end",
            "falloff_angle",
            "falloff_exponent",
        };
        const int type = light.GetLightType();
        if (type < 0 || type > 3)
            throw Exception(String::Format("NsgmlWriter: no word for light type %d", type));
        element.append_attribute("type") = types[type];
        for (int i = 0; i < Light::ValueCount; ++i)
            WriteController(element, values[i], light.Get(Light::Value(i)));
    }

    void WriteCamera(pugi::xml_node element, Camera& camera)
    {
        WriteController(element, "xfov", camera.GetXFov());
        WriteController(element, "aspect", camera.GetAspect());
        WriteController(element, "znear", camera.GetZNear());
        WriteController(element, "zfar", camera.GetZFar());
        WriteController(element, "up", camera.GetUp());
    }

    void WriteSceneInstance(pugi::xml_node element, SceneInstance& instance)
    {
        const String& descriptor = instance.GetScene().GetDescriptor();
        if (descriptor.Length() == 0)
            throw Exception("NsgmlWriter: a scene instance of a scene that was not loaded by name");
        element.append_attribute("desc") = descriptor.CStr();
    }

    void WriteShape(pugi::xml_node element, BoundingShape& node)
    {
        Shapes::Shape* shape = node.GetShape();
        if (auto* box = dynamic_cast<Shapes::BoxAligned*>(shape)) {
            element.append_attribute("type") = "box";
            element.append_attribute("min") = NsgmlVector(box->min).c_str();
            element.append_attribute("max") = NsgmlVector(box->max).c_str();
        } else if (auto* sphere = dynamic_cast<Shapes::Sphere*>(shape)) {
            element.append_attribute("type") = "sphere";
            element.append_attribute("position") = NsgmlVector(sphere->center).c_str();
            element.append_attribute("radius") = NsgmlNumber(sphere->radius).c_str();
        } else {
            throw Exception("NsgmlWriter: a bounding node without a box or a sphere");
        }
        static const struct {
            int bit;
            const char* word;
        } flags[] = {{TargetTypeDrawable, "drawable"},
                     {TargetTypePlayable, "playable"},
                     {TargetTypeLight, "light"},
                     {TargetTypeCamera, "camera"},
                     {TargetTypeSolid, "solid"}};
        std::string words;
        int left = node.GetFlags();
        for (const auto& flag : flags)
            if (left & flag.bit) {
                words += (words.empty() ? "" : ", ") + std::string(flag.word);
                left &= ~flag.bit;
            }
        if (words.empty() || left != 0)
            throw Exception(String::Format("NsgmlWriter: bounds flags %d are not a set of target types", node.GetFlags()));
        element.append_attribute("bounds") = words.c_str();
    }

    void WriteParameter(pugi::xml_node element, MaterialParameter& parameter)
    {
        const TextureResource& texture = parameter.GetTexture();
        const bool hasTexture = !texture.IsEmpty() || texture.GetDescriptor().Length() > 0;
        if (hasTexture && texture.GetDescriptor().Length() == 0)
            throw Exception("NsgmlWriter: a material texture that was not loaded by name");
        Controller* controller = parameter.GetController();
        auto* value = dynamic_cast<Value*>(&parameter);
        if (value && !hasTexture && !(controller && controller->GetComponentCount() > 0))
            throw Exception(String("NsgmlWriter: a '") + element.name() + "' without a value or a texture");
        WriteController(element, "value", controller);
        if (hasTexture)
            element.append_attribute("tex") = texture.GetDescriptor().CStr();
        // The reader takes red with a texture and none without; another channel is written.
        if (value && value->GetComponent() != (hasTexture ? TextureComponentRed : TextureComponentNone)) {
            static const char letters[] = {'n', 'r', 'g', 'b', 'a'};
            const int component = value->GetComponent();
            if (component < 0 || component > 4)
                throw Exception("NsgmlWriter: a texture component outside none, red, green, blue and alpha");
            element.append_attribute("comp") = std::string(1, letters[component]).c_str();
        }
    }

    const Scene& scene;
};

class NsgmlByteWriter : public pugi::xml_writer {
public:
    explicit NsgmlByteWriter(IO::ByteWriter& out) : out(out) {}
    void write(const void* data, size_t size) override { out.Bytes(data, size); }

private:
    IO::ByteWriter& out;
};

}  // namespace

void Write(IO::ByteWriter& out, const Scene& scene, const String& library)
{
    pugi::xml_document document;
    MarkupWriter(scene).WriteDocument(document, library);
    NsgmlByteWriter writer(out);
    document.save(writer, "  ", pugi::format_indent | pugi::format_no_declaration);
}

void Write(IO::Stream* stream, const Scene& scene, const String& library)
{
    if (!stream)
        throw Exception("NsgmlWriter::Write(): no stream to write");
    IO::ByteWriter out;
    Write(out, scene, library);
    IO::WriteAll(stream, out);
}

}  // namespace Nimbrel::Utils::Loaders::NsgmlWriter
