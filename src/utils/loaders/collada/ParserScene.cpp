// Visual scenes, their nodes and instances, lights and cameras.

#include "utils/loaders/collada/NumberText.h"
#include "utils/loaders/collada/Parser.h"
#include "utils/loaders/collada/ParserGuard.h"

namespace Nimbrel::Utils::Loaders::COLLADA {

namespace collada_scene_detail {

struct TransformationKind {
    const char* element;
    Transformation::Kind kind;
    int values;
};

constexpr TransformationKind TransformationKinds[] = {
    {"matrix", Transformation::Matrix, 16},
    {"rotate", Transformation::Rotate, 4},
    {"scale", Transformation::Scale, 3},
    {"translate", Transformation::Translate, 3},
};

// The file writes a matrix row by row; the engine keeps columns.
void Transpose(Array<float>& values)
{
    for (int r = 0; r < 4; ++r)
        for (int c = r + 1; c < 4; ++c) {
            float kept = values[r * 4 + c];
            values[r * 4 + c] = values[c * 4 + r];
            values[c * 4 + r] = kept;
        }
}

}  // namespace collada_scene_detail

void Parser::ParseVisualScene(Xml::Element* element)
{
    Managed<Scene> scene(new Scene());
    scene->id = element->GetAttribute("id");
    scene->name = element->GetAttribute("name");
    for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "node")
            scene->nodes.Add(Managed<Node>(ParseNode(child)));
        else if (name == "asset" || name == "evaluate_scene" || name == "extra")
            Ignore(child);
        else
            NotRecognized(child);
    }
    Scene* kept = scene.Get();
    Keep(document->scenes, kept->id, scene.Detach(), element);
}

Node* Parser::ParseNode(Xml::Element* element)
{
    Enter(element);
    Managed<Node> node(new Node());
    node->id = element->GetAttribute("id");
    node->name = element->GetAttribute("name");
    node->sid = element->GetAttribute("sid");
    for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        const collada_scene_detail::TransformationKind* kind = nullptr;
        for (const auto& candidate : collada_scene_detail::TransformationKinds)
            if (name == candidate.element)
                kind = &candidate;
        if (kind) {
            Managed<Transformation> transformation(new Transformation());
            transformation->kind = kind->kind;
            transformation->sid = child->GetAttribute("sid");
            Floats(child, transformation->values);
            if (transformation->values.Count() != kind->values)
                Fail(String::Format("%s holds %d values, not %d", kind->element, transformation->values.Count(),
                                    kind->values),
                     child);
            if (kind->kind == Transformation::Matrix)
                collada_scene_detail::Transpose(transformation->values);
            if (node->id.Length() > 0 && transformation->sid.Length() > 0) {
                transformation->key = node->id + "/" + transformation->sid;
                transformation->AddRef();
                Keep(document->transformations, transformation->key, transformation.Get(), child);
            }
            node->transformations.Add(transformation);
        } else if (name == "instance_camera" || name == "instance_light") {
            String url = Require(child, "url", "instance missing required attribute 'url'");
            (name == "instance_camera" ? node->cameras : node->lights).Add(LocalId(url));
        } else if (name == "instance_geometry" || name == "instance_controller") {
            ParseInstance(child, *node);
        } else if (name == "node") {
            node->children.Add(Managed<Node>(ParseNode(child)));
        } else if (name == "asset" || name == "extra") {
            Ignore(child);
        } else if (name == "lookat") {
            Fail("Unsupported transform type: lookat", child);
        } else if (name == "instance_node") {
            Fail("COLLADA Node instancing not supported (yet)", child);
        } else {
            NotRecognized(child);
        }
    }
    if (node->id.Length() > 0) {
        node->AddRef();
        Keep(document->nodes, node->id, node.Get(), element);
    }
    Leave();
    return node.Detach();
}

void Parser::ParseInstance(Xml::Element* instance, Node& node)
{
    Managed<Batch> batch(new Batch());
    batch->url = LocalId(Require(instance, "url", "instance missing required attribute 'url'"));
    for (Xml::Element* child = instance->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "bind_material")
            ParseBindMaterial(child, *batch);
        else if (name == "skeleton" || name == "extra")
            Ignore(child);
        else
            NotRecognized(child);
    }
    node.batches.Add(batch);
}

void Parser::ParseBindMaterial(Xml::Element* element, Batch& batch)
{
    Enter(element);
    for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "instance_material")
            batch.material = LocalId(
                Require(child, "target", "instance_material missing required attribute 'target'"));
        else if (name == "technique_common" || name == "technique")
            ParseBindMaterial(child, batch);
        else
            NotRecognized(child);
    }
    Leave();
}

// ---- lights ----------------------------------------------------------------------------------

void Parser::ParseLight(Xml::Element* element)
{
    Managed<Light> light(new Light());
    light->id = element->GetAttribute("id");
    ParseLightParameters(element, *light);
    Light* kept = light.Get();
    Keep(document->lights, kept->id, light.Detach(), element);
}

// The light element itself and its extra: the type from technique_common, parameters from the
// type element and from techniques.
void Parser::ParseLightParameters(Xml::Element* holder, Light& light)
{
    Enter(holder);
    for (Xml::Element* child = holder->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        Xml::Element* parameters = nullptr;
        if (name == "technique_common") {
            static const char* const types[] = {"ambient", "point", "spot", "directional"};
            for (Xml::Element* type = child->GetFirstChild(); type; type = type->GetNextSibling())
                for (int t = 0; t < 4; ++t)
                    if (type->GetName() == types[t]) {
                        light.type = t;
                        parameters = type;
                    }
        } else if (name == "technique") {
            parameters = child;
        } else if (name == "extra") {
            ParseLightParameters(child, light);
            continue;
        } else {
            Ignore(child);
            continue;
        }
        if (!parameters)
            continue;
        for (Xml::Element* parameter = parameters->GetFirstChild(); parameter; parameter = parameter->GetNextSibling()) {
            Managed<Attribute> attribute(new Attribute());
            try {
                ReadFloats(parameter->GetInnerText(), attribute->values);
            } catch (const Exception&) {
                AddHint("unable to parse light parameters", parameter);
                continue;
            }
            String parameterName = parameter->GetName();
            // Vendor techniques add to the common parameters, never replace them.
            if (attribute->values.Count() == 0 || light.parameters.Contains(parameterName) ||
                !HasRoom(light.parameters, parameterName, parameter))
                continue;
            String sid = parameter->GetAttribute("sid");
            if (light.id.Length() > 0 && sid.Length() > 0) {
                attribute->key = light.id + "/" + sid;
                attribute->AddRef();
                Keep(document->attributes, attribute->key, attribute.Get(), parameter);
            }
            light.parameters.Add(parameterName, attribute);
        }
    }
    Leave();
}

// ---- cameras ---------------------------------------------------------------------------------

void Parser::ParseCamera(Xml::Element* element)
{
    Managed<Camera> camera(new Camera());
    camera->id = element->GetAttribute("id");
    for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "optics") {
            for (Xml::Element* optics = child->GetFirstChild(); optics; optics = optics->GetNextSibling()) {
                String opticsName = optics->GetName();
                if (opticsName == "technique_common") {
                    for (Xml::Element* type = optics->GetFirstChild(); type; type = type->GetNextSibling())
                        if (type->GetName() == "orthographic" || type->GetName() == "perspective")
                            ParseCameraParameters(type, *camera, true);
                        else
                            NotRecognized(type);
                } else if (opticsName == "technique" || opticsName == "extra") {
                    Ignore(optics);
                } else {
                    NotRecognized(optics);
                }
            }
        } else if (name == "extra") {
            ParseCameraTechniques(child, *camera);
        } else if (name == "asset" || name == "imager") {
            Ignore(child);
        } else {
            NotRecognized(child);
        }
    }
    Camera* kept = camera.Get();
    Keep(document->cameras, kept->id, camera.Detach(), element);
}

void Parser::ParseCameraTechniques(Xml::Element* extra, Camera& camera)
{
    for (Xml::Element* child = extra->GetFirstChild(); child; child = child->GetNextSibling())
        if (child->GetName() == "technique")
            ParseCameraParameters(child, camera, false);
        else
            Ignore(child);
}

// Parameters of technique_common must be numbers; a vendor technique's that are not are
// skipped, and they never replace the common ones.
void Parser::ParseCameraParameters(Xml::Element* holder, Camera& camera, bool common)
{
    for (Xml::Element* parameter = holder->GetFirstChild(); parameter; parameter = parameter->GetNextSibling()) {
        String name = parameter->GetName();
        if (name == "imager" || name == "extra") {
            Ignore(parameter);
            continue;
        }
        Managed<Attribute> attribute(new Attribute());
        try {
            ReadFloats(parameter->GetInnerText(), attribute->values);
        } catch (const Exception& error) {
            if (common)
                Fail("unable to parse light parameters from " + error.GetMessage(), parameter);
            AddHint("camera parameter is not a number, skipped", parameter);
            continue;
        }
        if (!common && (attribute->values.Count() == 0 || camera.parameters.Contains(name)))
            continue;
        if (!HasRoom(camera.parameters, name, parameter))
            continue;
        String sid = parameter->GetAttribute("sid");
        if (camera.id.Length() > 0 && sid.Length() > 0) {
            attribute->key = camera.id + "/" + sid;
            attribute->AddRef();
            Keep(document->attributes, attribute->key, attribute.Get(), parameter);
        }
        camera.parameters[name] = attribute;
    }
}

}  // namespace Nimbrel::Utils::Loaders::COLLADA
