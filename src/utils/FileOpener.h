#pragma once
// Utils::FileOpener: the service that opens files of the proxy's file system.
//
//   InputStream   the file opened for reading. Each "Path=<folder>" hint is tried first,
//                 from the hint written last to the first, as <folder>/<descriptor>; then
//                 the descriptor itself. Only the last attempt's failure is reported.
//   OutputStream  the file created or truncated for writing; hints are not consulted.
//   FileSystem    a SubFileSystem of the named folder in the proxy's current file system.
//   Buffer        all bytes of the InputStream of the same descriptor (requested through
//                 the proxy, so it is cached and the hints apply), read from its start.

#include "io/Buffer.h"
#include "io/Stream.h"
#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils {

class FileOpener : public ResourceProxy::Service {
public:
    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override;
    String GetName() override { return "FileOpener"; }

    // Every byte of the stream from its start (a cached stream may have been read before),
    // in a new buffer owned by the caller. Throws "Could not read the whole file: " +
    // descriptor when fewer bytes arrive than the stream's length.
    static IO::Buffer* ReadWhole(IO::Stream* stream, const String& descriptor);

private:
    IO::Stream* OpenInput(const String& descriptor, ResourceProxy* proxy);
};

}  // namespace Nimbrel::Utils
