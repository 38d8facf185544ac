#include "utils/loaders/collada/SceneBuilder.h"

#include "core/Exception.h"
#include "graphics/Device.h"
#include "utils/loaders/collada/Parser.h"
#include "utils/loaders/collada/TexturePath.h"
#include "utils/scenegraph/CompositeController.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/DrawGeometryNode.h"
#include "utils/scenegraph/LinearController.h"
#include "utils/scenegraph/Material.h"
#include "utils/scenegraph/NameNode.h"
#include "utils/scenegraph/TargetNodes.h"
#include "utils/scenegraph/TransformNodes.h"

namespace Nimbrel::Utils::Loaders::COLLADA {

namespace collada_builder_detail {

using namespace SceneGraph;

// The effect parameters the engine's materials take, and the material parameter each becomes.
struct ParameterKind {
    const char* name;
    MaterialParameter* (*fromController)(Controller*);
    MaterialParameter* (*fromTexture)(const TextureResource&);
};

template <class P>
MaterialParameter* FromController(Controller* controller)
{
    return new P(controller);
}

template <class P>
MaterialParameter* FromTexture(const TextureResource& texture)
{
    return new P(texture);
}

#define NIMBREL_COLLADA_PARAMETER(text, Class) {text, FromController<Class>, FromTexture<Class>}
constexpr ParameterKind ParameterKinds[] = {
    NIMBREL_COLLADA_PARAMETER("emission", Emission),       NIMBREL_COLLADA_PARAMETER("diffuse", Diffuse),
    NIMBREL_COLLADA_PARAMETER("shininess", Shininess),     NIMBREL_COLLADA_PARAMETER("reflective", Reflection),
    NIMBREL_COLLADA_PARAMETER("reflectivity", Reflectivity), NIMBREL_COLLADA_PARAMETER("transparent", Transparency),
    NIMBREL_COLLADA_PARAMETER("specular", Specular),
};
#undef NIMBREL_COLLADA_PARAMETER

const ParameterKind* FindParameterKind(const String& name)
{
    for (const ParameterKind& kind : ParameterKinds)
        if (name == kind.name)
            return &kind;
    return nullptr;
}

// Component k of a row-major matrix is component TransposedIndex(k) of a column-major one.
int TransposedIndex(int k)
{
    return (k % 4) * 4 + k / 4;
}

String OneLine(const String& text)
{
    String line = text.Trim();
    for (int i = 0; i < line.Length(); ++i)
        if (line[i] == '\n')
            line.SetChar(i, ' ');
    return line;
}

}  // namespace collada_builder_detail

SceneBuilder::SceneBuilder(Parser& parser, ResourceProxy* proxy, const String& folder)
    : parser(parser), document(parser.GetDocument()), proxy(proxy), folder(folder)
{
    for (int i = 0; i < document.channels.Count(); ++i)
        channels[document.channels[i]->target].push_back(i);
}

Utils::Scene* SceneBuilder::Build()
{
    scene.Set(new Utils::Scene());
    BuildControllers();
    BuildMaterials();
    BuildGeometry();
    if (document.scenes.Count() == 0)
        throw Exception("Document did not contain any scenes");
    const Scene& first = *document.scenes.At(0);
    Managed<SceneGraph::Node> root(new SceneGraph::NameNode(first.id));
    for (const Managed<Node>& node : first.nodes)
        BuildNode(*node, root.Get(), 1);
    // Channels may target what the engine skips (bones, other visual scenes); they are noted.
    for (const Managed<Channel>& channel : document.channels)
        if (!animatedKeys.contains(channel->target))
            parser.AddHint("channel target '" + channel->target + "' names nothing the scene uses, skipped");
    scene->SetRoot(root.Get());
    scene->SetUpAxis(document.upAxis);
    scene->SetUnitMeter(document.unitMeter);
    return scene.Detach();
}

// ---- controllers -----------------------------------------------------------------------------

void SceneBuilder::BuildControllers()
{
    for (const Managed<Channel>& channel : document.channels)
        if (!document.samplers.Find(channel->sampler))
            throw Exception("Channel of '" + channel->target + "' names unknown sampler '" + channel->sampler + "'");
    for (int s = 0; s < document.samplers.Count(); ++s) {
        const AnimationSampler& sampler = *document.samplers.At(s);
        const String invalid = "Invalid animation sampler: " + sampler.id;
        if (!sampler.input || !sampler.output || !sampler.interpolation || sampler.interpolation->names.Count() == 0)
            throw Exception(invalid);
        const String& interpolation = sampler.interpolation->names[0];
        if (interpolation == "BEZIER")
            parser.AddHint("BEZIER interpolation interpreted as LINEAR, might result in incorrect animation");
        else if (!(interpolation == "LINEAR"))
            continue;
        const Source& input = *sampler.input;
        const Source& output = *sampler.output;
        const int keys = input.count;
        const int components = output.stride;
        if (components > MaxAnimatedComponents) {
            parser.AddHint(String::Format("sampler '%s' skipped: its keys hold %d values, more than a target takes",
                                          sampler.id.CStr(), components));
            continue;
        }
        if (int64_t(input.offset) + keys > input.floats.Count())
            throw Exception(invalid);
        if (keys > 0 && int64_t(keys - 1) * output.stride + output.offset + components > output.floats.Count())
            throw Exception(invalid);
        Managed<SceneGraph::LinearController> controller(new SceneGraph::LinearController(components, nullptr));
        controller->Reserve(keys);
        try {
            for (int j = 0; j < keys; ++j)
                controller->AddKey(input.floats[input.offset + j], components,
                                   output.floats.Data() + int64_t(j) * output.stride + output.offset);
        } catch (const Exception& error) {
            throw Exception(invalid + " (" + error.GetMessage() + ")");
        }
        scene->AddController(sampler.id, controller.Get());
    }
}

SceneGraph::Controller* SceneBuilder::ControllerFor(const Array<float>& values, const String& key, bool matrix)
{
    const int count = values.Count();
    Array<SceneGraph::Controller*> sources;
    Array<int> sourceComponents;
    sources.SetSize(count);
    sourceComponents.SetSize(count);
    bool animated = false;
    const auto found = key.Length() > 0 ? channels.find(key) : channels.end();
    if (found != channels.end()) {
        animatedKeys.insert(key);
        for (int position : found->second) {
            const Channel& channel = *document.channels[position];
            SceneGraph::Controller* source = scene->GetController(channel.sampler);
            if (!source) {
                parser.AddHint("channel of '" + key + "' skipped: sampler '" + channel.sampler + "' made no controller");
                continue;
            }
            const int animatedCount = source->GetComponentCount();
            if (channel.component + animatedCount > count) {
                parser.AddHint(String::Format("channel of '%s' skipped: components %d to %d are past its %d values",
                                              key.CStr(), channel.component, channel.component + animatedCount - 1, count));
                continue;
            }
            for (int j = 0; j < animatedCount; ++j) {
                int component = channel.component + j;
                if (matrix)
                    component = collada_builder_detail::TransposedIndex(component);
                sources[component] = source;
                sourceComponents[component] = j;
                animated = true;
            }
        }
    }
    if (!animated)
        return new SceneGraph::ConstantController(count, values.Data());
    Managed<SceneGraph::CompositeController> composite(new SceneGraph::CompositeController(count));
    for (int i = 0; i < count; ++i) {
        if (sources[i]) {
            composite->SetComponent(i, sources[i], sourceComponents[i]);
        } else {
            Managed<SceneGraph::Controller> constant(new SceneGraph::ConstantController(values[i]));
            composite->SetComponent(i, constant.Get(), 0);
        }
    }
    return composite.Detach();
}

// ---- materials -------------------------------------------------------------------------------

void SceneBuilder::BuildMaterials()
{
    for (int m = 0; m < document.materials.Count(); ++m) {
        const String& id = document.materials.At(m)->id;
        const String& effectId = document.materials.At(m)->effect;
        const Effect* effect = document.effects.Find(effectId);
        if (!effect)
            throw Exception("Material '" + id + "' refers to unknown effect '" + effectId + "'");
        Managed<SceneGraph::Material> material(new SceneGraph::Material());
        for (int c = 0; c < effect->colors.Count(); ++c) {
            const auto* kind = collada_builder_detail::FindParameterKind(effect->colors.KeyAt(c));
            if (!kind)
                continue;
            const Attribute& color = *effect->colors.ValueAt(c);
            Managed<SceneGraph::Controller> controller(ControllerFor(color.values, color.key, false));
            Managed<SceneGraph::MaterialParameter> parameter(kind->fromController(controller.Get()));
            material->AddParameter(parameter.Get());
        }
        for (int t = 0; t < effect->textures.Count(); ++t) {
            const auto* kind = collada_builder_detail::FindParameterKind(effect->textures.KeyAt(t));
            if (!kind)
                continue;
            SceneGraph::TextureResource texture = LoadTexture(*effect, effect->textures.ValueAt(t));
            if (texture.IsEmpty())
                continue;
            Managed<SceneGraph::MaterialParameter> parameter(kind->fromTexture(texture));
            material->AddParameter(parameter.Get());
        }
        scene->AddMaterial(id, material.Get());
    }
}

SceneGraph::TextureResource SceneBuilder::LoadTexture(const Effect& effect, const String& reference)
{
    // A sampler of the effect leads to a surface and then an image; some exporters name the
    // image directly.
    const Image* image = nullptr;
    if (const Sampler2D* sampler = document.samplers2D.Find(effect.id + "/" + reference)) {
        const Surface* surface = document.surfaces.Find(effect.id + "/" + sampler->source);
        if (!surface)
            throw Exception("Effect '" + effect.id + "': sampler '" + reference + "' names unknown surface '" +
                            sampler->source + "'");
        image = document.images.Find(surface->image);
        if (!image)
            throw Exception("Effect '" + effect.id + "': surface '" + sampler->source + "' names unknown image '" +
                            surface->image + "'");
    } else {
        image = document.images.Find(reference);
        if (!image)
            throw Exception("Effect '" + effect.id + "': texture '" + reference + "' names no sampler or image");
    }
    Array<String> candidates;
    TexturePathCandidates(image->file, folder, candidates);
    String failure;
    for (const String& candidate : candidates) {
        try {
            // The material keeps the texture and its descriptor but not the proxy: the proxy
            // caches the scene, and a handle holding the proxy would close a cycle that keeps
            // both alive forever. The descriptor lets a converter name the texture.
            SceneGraph::TextureResource loaded(proxy, candidate);
            return SceneGraph::TextureResource::WithoutProxy(loaded.Get(), candidate);
        } catch (const Exception& error) {
            if (failure.Length() == 0)
                failure = collada_builder_detail::OneLine(error.GetMessage());
        }
    }
    parser.AddHint("texture '" + image->file + "' of image '" + image->id + "' skipped: " + failure);
    return SceneGraph::TextureResource();
}

// ---- geometry --------------------------------------------------------------------------------

void SceneBuilder::BuildGeometry()
{
    for (int m = 0; m < document.meshes.Count(); ++m) {
        const String& id = document.meshes.KeyAt(m);
        Mesh* mesh = document.meshes.At(m);
        if (mesh->GetSubMeshCount() == 0) {
            parser.AddHint("geometry '" + id + "' holds no triangles and is not drawn");
            continue;
        }
        Managed<Geometry> geometry;
        try {
            geometry.Set(mesh->CreateGeometry(proxy->GetGraphicsDevice(), Graphics::BufferModeStatic));
        } catch (const Exception& error) {
            throw Exception("Geometry '" + id + "': " + error.GetMessage());
        }
        scene->AddGeometry(id, Utils::Scene::GeometryResource(geometry.Get()));
    }
}

// ---- nodes -----------------------------------------------------------------------------------

SceneGraph::Node* SceneBuilder::Insert(SceneGraph::Node* parent, SceneGraph::Node* node, const char* message,
                                       int& depth)
{
    Managed<SceneGraph::Node> owned(node);
    if (++depth > MaxTreeDepth)
        throw Exception("Scene tree nests too deep");
    if (!parent->Insert(node))
        throw Exception(message);
    return node;
}

void SceneBuilder::BuildNode(const Node& node, SceneGraph::Node* parent, int depth)
{
    SceneGraph::Node* current = parent;
    if (node.name.Length() > 0)
        current = Insert(current, new SceneGraph::NameNode(node.name), "Unable to insert name node", depth);
    for (const Managed<Transformation>& transformation : node.transformations) {
        const bool matrix = transformation->kind == Transformation::Matrix;
        Managed<SceneGraph::Controller> controller(ControllerFor(transformation->values, transformation->key, matrix));
        SceneGraph::Node* made = nullptr;
        switch (transformation->kind) {
        case Transformation::Matrix: made = new SceneGraph::MatrixNode(controller.Get()); break;
        case Transformation::Rotate: made = new SceneGraph::RotateNode(controller.Get()); break;
        case Transformation::Scale: made = new SceneGraph::ScaleNode(controller.Get()); break;
        case Transformation::Translate: made = new SceneGraph::TranslateNode(controller.Get()); break;
        default: throw Exception("Invalid transformation type enum");
        }
        current = Insert(current, made, "Unable to insert transformation node", depth);
    }
    for (const String& id : node.cameras) {
        const Camera* camera = document.cameras.Find(id);
        if (!camera)
            throw Exception("Unknown camera '" + id + "'");
        Managed<SceneGraph::Camera> built(BuildCamera(*camera));
        int leaf = depth;
        Insert(current, new SceneGraph::CameraNode(built.Get()), "Unable to insert camera node", leaf);
    }
    for (const String& id : node.lights) {
        const Light* light = document.lights.Find(id);
        if (!light)
            throw Exception("Unknown light '" + id + "'");
        Managed<SceneGraph::Light> built(BuildLight(*light));
        int leaf = depth;
        Insert(current, new SceneGraph::LightNode(built.Get()), "Unable to insert light node", leaf);
    }
    for (const Managed<Batch>& batch : node.batches) {
        if (batch->material.Length() > 0) {
            SceneGraph::Material* material = scene->GetMaterial(batch->material);
            if (!material)
                throw Exception("Unknown material '" + batch->material + "'");
            current = Insert(current, new SceneGraph::ApplyMaterialNode(material), "Unable to insert apply_material node",
                             depth);
        }
        if (document.meshes.Find(batch->url)) {
            Utils::Scene::GeometryResource geometry = scene->GetGeometry(batch->url);
            if (geometry.IsEmpty())
                continue;
            int leaf = depth;
            Insert(current, new SceneGraph::DrawGeometryNode(geometry), "Unable to insert draw_geometry node", leaf);
        } else if (document.skins.Find(batch->url)) {
            throw Exception("COLLADA skinning import not properly implemented yet");
        } else {
            throw Exception("Invalid batch (no geometry or controller with id '" + batch->url + "')");
        }
    }
    for (const Managed<Node>& child : node.children)
        BuildNode(*child, current, depth);
}

SceneGraph::Camera* SceneBuilder::BuildCamera(const Camera& camera)
{
    Managed<SceneGraph::Camera> built(new SceneGraph::Camera());
    using Setter = void (SceneGraph::Camera::*)(SceneGraph::Controller*);
    static const struct {
        const char* name;
        Setter set;
    } members[] = {
        {"xfov", &SceneGraph::Camera::SetXFov},
        {"aspect", &SceneGraph::Camera::SetAspect},
        {"znear", &SceneGraph::Camera::SetZNear},
        {"zfar", &SceneGraph::Camera::SetZFar},
    };
    for (const auto& member : members) {
        Managed<Attribute> attribute;
        if (!camera.parameters.TryGet(member.name, attribute))
            continue;
        Managed<SceneGraph::Controller> controller(ControllerFor(attribute->values, attribute->key, false));
        ((*built).*member.set)(controller.Get());
    }
    return built.Detach();
}

SceneGraph::Light* SceneBuilder::BuildLight(const Light& light)
{
    Managed<SceneGraph::Light> built(new SceneGraph::Light());
    built->SetLightType(light.type);
    static const struct {
        const char* name;
        SceneGraph::Light::Value value;
    } members[] = {
        {"color", SceneGraph::Light::Color},
        {"constant_attenuation", SceneGraph::Light::ConstantAttenuation},
        {"linear_attenuation", SceneGraph::Light::LinearAttenuation},
        {"quadratic_attenuation", SceneGraph::Light::QuadraticAttenuation},
        {"near_attenuation_start", SceneGraph::Light::NearAttenuationStart},
        {"far_attenuation_start", SceneGraph::Light::FarAttenuationStart},
    };
    for (const auto& member : members) {
        Managed<Attribute> attribute;
        if (!light.parameters.TryGet(member.name, attribute))
            continue;
        Managed<SceneGraph::Controller> controller(ControllerFor(attribute->values, attribute->key, false));
        built->Set(member.value, controller.Get());
    }
    return built.Detach();
}

}  // namespace Nimbrel::Utils::Loaders::COLLADA
