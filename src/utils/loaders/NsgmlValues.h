#pragma once
// The attribute values of NSGML markup (loaders/Nsgml.h), read from an element.
//
//   number list        "(1, 0.5, 0)": spaces and the surrounding parentheses go, the pieces
//                      between commas are floats; a piece that is no number ends the list.
//   controller         a number list as a constant controller, or the id of a scene's
//                      controller when the text does not start with a number.
//
// Vectors of three are read by Math::Vector3t's parser.
//
// Everything here is internal to the NSGML service.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/String.h"
#include "utils/Scene.h"
#include "utils/scenegraph/Controller.h"
#include "utils/xml/Element.h"

namespace Nimbrel::Utils::Loaders::NsgmlValues {

// The controller of attribute `name`, for `count` components: without the attribute a
// constant of `count` zeros; a number list as a constant, padded with zeros to `count` values
// (longer lists stay whole); otherwise the scene's controller of that id, with a reference for
// the caller. Throws "Unknown controller '<text>'" when the scene has none of that id.
Managed<SceneGraph::Controller> Controller(Xml::Element& element, const char* name, int count, const Scene& scene);

// The values the text gives as a number list: the pieces up to the first that is no number.
// Empty when the text names a controller.
void NumberList(const String& text, Array<float>& values);

// The attribute as a component count: an integer from 0 to Nsgml::MaxComponents.
int ComponentCount(Xml::Element& element, const char* name);

}  // namespace Nimbrel::Utils::Loaders::NsgmlValues
