#pragma once
// COLLADA::Parser: reads a COLLADA 1.4 element tree into a Document, all at once in the
// constructor, and builds the engine scene from it (BuildScene, see SceneBuilder.h).
//
// The parser is strict about what it does not know and quiet about what it knows to be
// irrelevant. Its log collects, in order:
//   "Element ignored: " + path       a known element the engine does not need;
//   "Hint: " + message + ". In " + path, or "Hint: " + message without an element;
//   "Error: " + message + ". In " + path, the last line of a failed import.
// A path is the element names from the root element down, joined by "/". An error throws an
// Exception whose text is every log line so far, each followed by "\n". After a successful
// import GetLog gives the lines, so a tool can show what was skipped.
//
// Beyond the shapes the triangles element gives, polylist and polygons (without holes) are
// cut into fans, tristrips and trifans into triangles, and lines and linestrips are ignored;
// libraries exporters add beside the scene (animation clips, physics scenes, kinematics) are
// ignored too, and a repeated id keeps its first element.
// Every index is checked against its source and every count against the data it counts.
// Recursive elements (nodes, animations, techniques) nest at most MaxDepth deep.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/String.h"
#include "utils/loaders/collada/Document.h"
#include "utils/xml/Element.h"

namespace Nimbrel::Utils {
class ResourceProxy;
class Scene;
}  // namespace Nimbrel::Utils

namespace Nimbrel::Utils::Loaders::COLLADA {

class MeshAssembly;

class Parser {
public:
    static constexpr int MaxDepth = 128;
    // Distinct parameters an effect, a light or a camera keeps; exporters write a dozen at most.
    static constexpr int MaxParameters = 64;

    explicit Parser(Xml::Element* root);
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    Document& GetDocument() const { return *document; }
    const Array<String>& GetLog() const { return log; }

    // A new scene with one reference for the caller. Geometry goes to the proxy's graphics
    // device and textures are requested through the proxy, their paths taken relative to
    // `folder` (the document's folder, "" or ending in "/").
    Utils::Scene* BuildScene(ResourceProxy* proxy, const String& folder);

    void AddHint(const String& message);
    void AddHint(const String& message, Xml::Element* element);
    // Appends the error line and throws the log.
    [[noreturn]] void Fail(const String& message, Xml::Element* element);
    [[noreturn]] void Fail(const String& message);

    static String PathOf(Xml::Element* element);
    // The component a channel target selects after its '.' or '(' ("X", "ANGLE", "2)",
    // "1)(3)"); -1 for a selector that is none of those.
    static int TargetComponent(const String& selector);

private:
    // Runs `body`, turning an Exception it throws into an error at the element (an error
    // already in the log goes on as it is).
    template <class Body>
    void Guard(Xml::Element* element, Body body);
    // Adds the object (the caller's reference) to the table; an id met before keeps its first
    // object, and the later one is noted in the log. Exporters do repeat ids now and then.
    template <class T>
    void Keep(Table<T>& table, String key, T* object, Xml::Element* element);
    void Ignore(Xml::Element* element);
    [[noreturn]] void NotRecognized(Xml::Element* element);
    [[noreturn]] void NotSupported(Xml::Element* element);
    String Require(Xml::Element* element, const char* attribute, const char* message);
    // Whether a map of parameters has room for `name`; a name past MaxParameters is noted.
    template <class Map>
    bool HasRoom(const Map& parameters, const String& name, Xml::Element* element);
    // The attribute as an integer, `fallback` when it is missing; not a number is an error.
    int IntAttribute(Xml::Element* element, const char* name, int fallback);
    void Floats(Xml::Element* element, Array<float>& out);
    void Ints(Xml::Element* element, Array<int>& out);
    void Enter(Xml::Element* element);
    void Leave() { --depth; }

    // Parser.cpp: the root, its libraries and the asset.
    void ParseRoot(Xml::Element* root);
    void ParseAsset(Xml::Element* asset);
    static bool IsUnusedLibrary(const String& name);
    template <class Each>
    void ParseLibrary(Xml::Element* library, const char* item, Each each);

    // ParserGeometry.cpp
    void ParseGeometry(Xml::Element* geometry);
    void ParseMesh(Xml::Element* mesh, const String& id);
    void ParseSource(Xml::Element* source);
    void ParseAccessor(Xml::Element* technique, Source& source);
    void ParseVertices(Xml::Element* vertices, MeshAssembly& assembly);
    void ParsePrimitives(Xml::Element* primitives, MeshAssembly& assembly);

    // ParserEffects.cpp
    void ParseMaterial(Xml::Element* material);
    void ParseEffect(Xml::Element* effect);
    void ParseProfileCommon(Xml::Element* profile, Effect& effect);
    void ParseEffectTechnique(Xml::Element* technique, Effect& effect);
    void ParseShading(Xml::Element* model, Effect& effect);
    void ParseNewParam(Xml::Element* newparam, Effect& effect);
    void ParseImage(Xml::Element* image);

    // ParserScene.cpp
    void ParseVisualScene(Xml::Element* scene);
    Node* ParseNode(Xml::Element* element);
    void ParseInstance(Xml::Element* instance, Node& node);
    void ParseBindMaterial(Xml::Element* element, Batch& batch);
    void ParseLight(Xml::Element* light);
    void ParseLightParameters(Xml::Element* holder, Light& light);
    void ParseCamera(Xml::Element* camera);
    void ParseCameraParameters(Xml::Element* holder, Camera& camera, bool common);
    void ParseCameraTechniques(Xml::Element* holder, Camera& camera);

    // ParserAnimation.cpp
    void ParseAnimation(Xml::Element* animation);
    void ParseAnimationSampler(Xml::Element* sampler);
    void ParseChannel(Xml::Element* channel);
    void ParseController(Xml::Element* controller);
    void ParseSkin(Xml::Element* element, const String& id);
    Source* InputSource(Xml::Element* input, const String& reference);

    Managed<Document> document;
    Array<String> log;
    int depth = 0;
    bool failing = false;
};

}  // namespace Nimbrel::Utils::Loaders::COLLADA
