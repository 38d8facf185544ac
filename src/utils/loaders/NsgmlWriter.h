#pragma once
// Utils::Loaders::NsgmlWriter: a Scene written back as NSGML markup (loaders/Nsgml.h), for
// converters that keep a scene in the engine's own files.
//
// The markup holds what markup can: an import of the NSG library named `library` (left out
// when empty), the scene's materials, and its root as the node tree. The scene's controllers
// and geometries belong in that library (Nsg::Write of the same scene); the markup refers to
// them by id. A controller outside the scene's table is written in place as a number list when
// it is a constant; a null controller leaves its attribute out, which reads back as zeros.
// Floats are written with nine significant digits, so they read back to the same bits.
//
// What markup cannot say is refused with an Exception before anything is written: a node kind
// it has no element for, a controller outside the table that is not a constant, an id that
// would read back as a number list, a material, geometry or scene that the markup could not
// name, a light type without a word, a bounding node without a box or sphere or without flags,
// and a Value parameter with neither controller nor texture.

#include "io/ByteWriter.h"
#include "io/Stream.h"
#include "utils/Scene.h"

namespace Nimbrel::Utils::Loaders::NsgmlWriter {

void Write(IO::ByteWriter& out, const Scene& scene, const String& library);
void Write(IO::Stream* stream, const Scene& scene, const String& library);

}  // namespace Nimbrel::Utils::Loaders::NsgmlWriter
