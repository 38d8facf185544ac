#pragma once
// A loaded scene converted into the engine's own scene files: markup beside an NSG library.
//
// Before a scene is written as markup beside its NSG library, every animated controller, material
// and geometry that its tree (or a material, light or camera) uses must be in the scene's
// tables, where the markup can name it. Importers may leave some of them to the tree alone;
// CompleteSceneTables adds those under fresh names ("controller1", "material1", "geometry1", …,
// skipping names the tables hold already). Constant controllers stay out: markup writes them in
// place. A composite's sources are added before it.

#include "io/ByteWriter.h"
#include "utils/Scene.h"

namespace SceneTools {

void CompleteSceneTables(Nimbrel::Utils::Scene& scene);

// The scene (its tables completed first) as an NSG library and as markup importing it under
// `libraryName`. Throws, before either is complete, for what the two formats cannot hold.
void ConvertScene(Nimbrel::Utils::Scene& scene, const Nimbrel::String& libraryName,
                  Nimbrel::IO::ByteWriter& library, Nimbrel::IO::ByteWriter& markup);

}  // namespace SceneTools
