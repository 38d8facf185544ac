#pragma once
// Utils::Loaders::NsgmlBuilder: turns the elements of one NSGML document (loaders/Nsgml.h)
// into the parts of a scene. Internal to the NSGML service.
//
// The scene given is where names are declared and looked up: BuildScene fills its tables and
// sets its root; BuildNode only looks names up. Nested requests (imports, textures, other
// scenes) go through the proxy, so they are cached and the hints of the load apply.
//
// NsgmlBuilder.cpp holds the top level (controllers, materials, imports) and the material
// parameters; NsgmlNodes.cpp the node elements.

#include "core/Exception.h"
#include "core/Managed.h"
#include "utils/ResourceProxy.h"
#include "utils/Scene.h"
#include "utils/scenegraph/MaterialParameters.h"
#include "utils/scenegraph/Node.h"
#include "utils/xml/Element.h"

namespace Nimbrel::Utils::Loaders {

class NsgmlBuilder {
public:
    NsgmlBuilder(Scene& scene, ResourceProxy& proxy) : scene(scene), proxy(proxy) {}

    // The root element's children in document order; every node-tree child replaces the root.
    void BuildScene(Xml::Element& root);
    // The element and everything below it as a node tree. `depth` is the element's depth
    // below the tree's top (0), checked against Nsgml::MaxDepth.
    Managed<SceneGraph::Node> BuildNode(Xml::Element& element, int depth = 0);

private:
    void BuildLinearController(Xml::Element& element);
    void BuildCompositeController(Xml::Element& element);
    void BuildMaterial(Xml::Element& element);
    void Import(Xml::Element& element);

    // The material parameter an element names, or null when it names none.
    Managed<SceneGraph::MaterialParameter> BuildParameter(Xml::Element& element);
    template <class P>
    Managed<SceneGraph::MaterialParameter> BuildValueParameter(Xml::Element& element);
    template <class P>
    Managed<SceneGraph::MaterialParameter> BuildVectorParameter(Xml::Element& element);

    // The node of one element, without its children (NsgmlNodes.cpp).
    Managed<SceneGraph::Node> BuildOneNode(Xml::Element& element);
    Managed<SceneGraph::Node> BuildLight(Xml::Element& element);
    Managed<SceneGraph::Node> BuildCamera(Xml::Element& element);
    Managed<SceneGraph::Node> BuildShape(Xml::Element& element);
    Managed<SceneGraph::Node> BuildSceneInstance(Xml::Element& element);

    // The exception that reports a failure inside a node or material element.
    static Exception ElementFailure(const String& element, const Exception& cause);
    Managed<SceneGraph::Controller> ControllerOf(Xml::Element& element, const char* name, int count);

    Scene& scene;
    ResourceProxy& proxy;
};

}  // namespace Nimbrel::Utils::Loaders
