#pragma once
// The NGM reader: geometry files of versions 100, 101, 102 and 200 (the format is described in
// NgmData.h).
//
// Reading starts at the stream's current position and stops after the last field, so the
// scene reader can read a geometry embedded in its own file. A file is input from outside:
// every count is checked before anything is allocated for it (against the bytes a seekable
// stream has left), every read must deliver all its bytes, indices must be below the vertex
// count and draw ranges inside the indices. Any fault throws, and a seekable stream is then put
// back where reading began.
//
// Messages of the words a file may hold: "Unsupported Format" (the magic, also when the stream
// holds fewer than six bytes), "Unsupported Remap Type: ", "Unsupported Data Type: ",
// "Unsupported Index Type: " and "Unsupported Primitive Type: " followed by the word, and
// "NGMLoader: unsupported semantic enum".

#include "graphics/Device.h"
#include "io/Stream.h"
#include "utils/Geometry.h"
#include "utils/loaders/NgmData.h"

namespace Nimbrel::Utils::Loaders {

// The file's content, read from the stream into memory.
NgmData ReadNgmData(IO::Stream* stream);

// The content on the device: one static vertex buffer per attribute on streams 0, 1, ... with
// an input layout of the attributes' semantics, types and normalisation, a static index buffer,
// the submeshes, and one scale and bias per attribute (1 and 0 unless the file gives them).
// Returns a new geometry with one reference for the caller. Checks the content first.
Geometry* CreateNgmGeometry(const NgmData& data, Graphics::Device* device);

// ReadNgmData, then CreateNgmGeometry.
Geometry* ReadNgm(IO::Stream* stream, Graphics::Device* device);

}  // namespace Nimbrel::Utils::Loaders
