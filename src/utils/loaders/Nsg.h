#pragma once
// The NSG scene library: named animation controllers and named geometries, added to a scene
// that markup is building (the markup's import element reads one). No nodes, no materials.
//
// The format, little-endian, no padding; a string is a signed 32-bit byte count and that
// many bytes:
//
//     header    6 bytes "NSG200"
//     records   to the end of the file, each a tag string and a body the tag selects:
//       "LinearController200"     name, N (int32 components), K (int32 keys),
//                                 K x (float32 time, N x float32 value), times ascending
//       "CompositeController200"  name, M (int32 components), M entries of
//                                 kind int32 0: float32 constant value
//                                 kind int32 1: string source name, int32 source component;
//                                               the source must be in the scene already
//       "Geometry200"             name, a complete NGM geometry (loaders/NgmData.h)
//     A record of another tag has no body: reading goes on with the next tag.
//
// The whole stream is read into memory (from its start when it can seek, so a cached stream
// can be imported again) and then parsed; every count is checked against the bytes left
// before anything is reserved for it. Messages: "Nsg::Load(): Unsupported NSG Version /
// Corrupt file" for a wrong header, "Corrupt NSG file" for a component of unknown kind, a
// source that is not in the scene or a source component it does not have, the scene's
// duplicate-name message, and "Nsg::Load(): " followed by what ended early or did not fit.
// Records read before a fault stay in the scene.

#include "io/ByteWriter.h"
#include "io/Stream.h"
#include "utils/Resource.h"
#include "utils/Scene.h"

namespace Nimbrel::Utils::Loaders::Nsg {

using StreamResource = Resource<IO::Stream, ResourceType::InputStream>;

// Geometries are made on the proxy's graphics device ("ResoruceProxy: No GraphicsDevice set"
// without one).
void Load(Scene& scene, const StreamResource& stream, ResourceProxy& proxy);

// The scene's controllers and geometries as an NSG file. A composite's sources go before it
// (those not in the scene's table must be one-component constants, written inline);
// constant controllers in the table are written as linear controllers of one key, which
// evaluate alike. Throws for a composite whose source is neither.
void Write(IO::Stream* stream, const Scene& scene);
void Write(IO::ByteWriter& out, const Scene& scene);

}  // namespace Nimbrel::Utils::Loaders::Nsg
