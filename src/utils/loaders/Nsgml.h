#pragma once
// Utils::Loaders::Nsgml: the service that builds scenes from NSGML, the engine's hand-written
// XML scene markup.
//
//     <scene>
//       <import desc="ship.nsg"/>                        controllers and geometries (loaders/Nsg.h)
//       <linear_controller id="spin" components="4">
//         <key time="0" value="0, 1, 0, 0"/><key time="2" value="0, 1, 0, 360"/>
//       </linear_controller>
//       <material id="hull"><diffuse value="(1, 0.5, 0)" tex="hull.png"/></material>
//       <name value="ship">                               the last node element is the root
//         <rotate value="spin"><apply_material id="hull"><draw_geometry id="hull"/></apply_material></rotate>
//       </name>
//     </scene>
//
//   Scene      the XmlDocument of the descriptor, its root's children handled in order:
//              linear_controller, composite_controller, material and import fill the scene's
//              tables; any other element is built as a node tree and becomes the root.
//   SceneNode  the document's root element built as a node tree on its own (no tables, so
//              controller-valued attributes are number lists).
//
// Names are compared exactly. An attribute that takes a controller holds either a number list
// ("(1, 0.5, 0)", padded with zeros to the components it needs) or the id of a controller
// declared earlier; an id that names no controller, or an apply_material id that names no
// material, is refused with a message that names it. Controllers have at most 256 components.
// A failure while building a node or material element is reported once, as "Unable to load
// '<element>' node: \n" and the cause, however deep the element lies.
//
// A document that draws itself through scene elements (directly or through other scene
// documents) is refused, as are node trees deeper than MaxDepth and scene elements nested
// through more than MaxDocuments documents, so bad markup ends in an Exception rather than in
// a stack overflow. The service keeps nothing between loads.

#include "core/Array.h"
#include "utils/ResourceProxy.h"
#include "utils/xml/Document.h"

namespace Nimbrel::Utils::Loaders {

class Nsgml : public ResourceProxy::Service {
public:
    static constexpr int MaxComponents = 256;
    static constexpr int MaxDepth = 1000;
    static constexpr int MaxDocuments = 32;

    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override;
    String GetName() override { return "Nsgml"; }

private:
    // The documents whose loads are in progress (a scene element loads another while its own
    // is being built), outermost first. The proxy caches a document by its descriptor, so a
    // document met again here is one that instances itself.
    Array<Xml::Document*> building;
};

}  // namespace Nimbrel::Utils::Loaders
