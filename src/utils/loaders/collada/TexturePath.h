#pragma once
// The descriptors to try for an image path as exporters write it.
//
// Exporters write image paths relative to the document ("maps/brick.png"), as file URIs
// ("file:///C:/art/maps/brick.png", "file://maps/brick.png"), with percent-escapes ("my%20map.png")
// and with backslashes ("maps\brick.png"). The path is decoded (URI scheme dropped, escapes
// decoded, backslashes made slashes); a relative path is taken from the document's folder. An
// absolute path (a leading slash or a drive letter) from another machine rarely exists here,
// so it is followed by its file name in the document's folder.

#include "core/Array.h"
#include "core/String.h"

namespace Nimbrel::Utils::Loaders::COLLADA {

// `folder` is "" or ends in "/". Appends the candidates in the order to try them.
void TexturePathCandidates(const String& path, const String& folder, Array<String>& candidates);

// The folder part of a descriptor, with its last '/', or "" ("scenes/ship.dae" gives "scenes/").
String FolderOf(const String& descriptor);

}  // namespace Nimbrel::Utils::Loaders::COLLADA
