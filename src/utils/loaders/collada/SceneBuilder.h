#pragma once
// COLLADA::SceneBuilder: turns a parsed document into a Utils::Scene.
//
// In order: animation samplers become linear controllers (under the sampler id), materials
// become scene-graph materials, meshes become geometry on the proxy's graphics device (under
// the geometry id), and the first visual scene becomes the node tree under a NameNode named
// after it. Every constant (a transform, a colour, a light or camera value) is wrapped in a
// controller; one that animation channels target becomes a composite that takes the animated
// components from the samplers' controllers and keeps the others constant. Matrix channels
// address the file's row-major components and land on the engine's column-major ones.
//
// What the engine cannot use is skipped with a line in the parser's log: a sampler whose keys
// hold more values than any target, a channel whose sampler made no controller (STEP, HERMITE
// and other interpolations), that reaches past its target's components or whose target the
// scene does not use, a texture that does not load, a geometry without triangles.
// References that do not resolve, samplers missing an input or holding too few values, and
// skins throw.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/String.h"
#include "core/StringBytesHash.h"
#include "utils/Scene.h"
#include "utils/loaders/collada/Document.h"
#include "utils/scenegraph/Camera.h"
#include "utils/scenegraph/Controller.h"
#include "utils/scenegraph/Light.h"
#include "utils/scenegraph/MaterialParameters.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace Nimbrel::Utils::Loaders::COLLADA {

class Parser;

class SceneBuilder {
public:
    // Nodes nest at most this deep in the built tree (names and transformations included).
    static constexpr int MaxTreeDepth = 1024;
    // The most values an animated target has (a matrix).
    static constexpr int MaxAnimatedComponents = 16;

    SceneBuilder(Parser& parser, ResourceProxy* proxy, const String& folder);
    SceneBuilder(const SceneBuilder&) = delete;
    SceneBuilder& operator=(const SceneBuilder&) = delete;

    // The new scene, with one reference for the caller.
    Utils::Scene* Build();

private:
    void BuildControllers();
    void BuildMaterials();
    void BuildGeometry();
    void BuildNode(const Node& node, SceneGraph::Node* parent, int depth);
    SceneGraph::Node* Insert(SceneGraph::Node* parent, SceneGraph::Node* node, const char* message, int& depth);
    // A new controller for the values (one reference for the caller). `key` finds the channels
    // that animate it; `matrix` says the channels address a row-major matrix.
    SceneGraph::Controller* ControllerFor(const Array<float>& values, const String& key, bool matrix);
    SceneGraph::Camera* BuildCamera(const Camera& camera);
    SceneGraph::Light* BuildLight(const Light& light);
    // Empty when the texture was skipped.
    SceneGraph::TextureResource LoadTexture(const Effect& effect, const String& reference);

    Parser& parser;
    const Document& document;
    ResourceProxy* proxy;
    String folder;
    Managed<Utils::Scene> scene;
    // Channel positions by target path.
    std::unordered_map<String, std::vector<int>, StringBytesHash> channels;
    // The channel targets that met a transformation or attribute of the scene.
    std::unordered_set<String, StringBytesHash> animatedKeys;
};

}  // namespace Nimbrel::Utils::Loaders::COLLADA
