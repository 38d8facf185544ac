#pragma once
// The NGM writer: the engine's compact geometry files (the format is described in NgmData.h),
// for converters and importers.
//
//     Managed<Mesh> mesh(...);                 // built by an importer or a tool
//     NgmData data = NgmDataFromMesh(mesh.Get());
//     WriteNgm(file, data);
//
// The writer refuses, before it writes a byte, content that the reader would not accept back
// (CheckNgmData). Semantics are written as their standard names ("N_POSITION", ...), data
// types as "float", "short" and "byte", index types as "int32" and "int16".

#include "io/Stream.h"
#include "utils/Mesh.h"
#include "utils/loaders/NgmData.h"

namespace Nimbrel::Utils::Loaders {

// Writes the content in the version it names, from the stream's current position.
void WriteNgm(IO::Stream* stream, const NgmData& data);

// The content of a mesh as version 200: the mesh converted to one index per vertex, every
// attribute as float data, 16-bit indices when there are at most 65536 vertices (else 32-bit)
// and the mesh's submeshes. Throws what the conversion throws, and when the mesh has more
// than 16 attributes or attributes of other than 1 to 4 components.
NgmData NgmDataFromMesh(Mesh* mesh);

}  // namespace Nimbrel::Utils::Loaders
