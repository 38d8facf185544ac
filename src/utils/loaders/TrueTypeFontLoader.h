#pragma once
// Utils::Loaders::TrueTypeFontLoader: the service that renders font faces with FreeType.
//
// A descriptor is "file:size", e.g. "data/DejaVuSans.ttf:12": the file (any format FreeType
// opens, read through the proxy as a Buffer) rendered at `size` pixels; pieces after the
// second are ignored. Codes 0 to 255 are looked up as the Unicode code points they are in
// Latin-1, so "é" is the font's é. Each glyph is rendered to a Luminance8 bitmap (grey
// coverage; monochrome glyphs as 0 or 255), stored bottom row first; a code the font lacks
// gets the font's missing-glyph, and a glyph without pixels (the space) none. The metrics
// come from the face's design units: line height, ascender and descender scaled to the size
// and rounded down.
//
// Errors: "You must specify both filename and fontsize (ex. "verdana.ttf:12")"; "Error
// setting font pixel size" for a size that is not a whole number from 1 to MaxPixelSize;
// "Unknown file format" for a file FreeType does not recognise, "Error loading font" for one it
// cannot open or whose units per em are 0; "Error initializing FreeType 2".

#include "utils/ResourceProxy.h"

namespace Nimbrel::Utils::Loaders {

class TrueTypeFontLoader : public ResourceProxy::Service {
public:
    static constexpr int MaxPixelSize = 1024;

    Object* Load(ResourceType type, const String& descriptor, ResourceProxy* proxy) override;
    void GetTypes(Array<ResourceType>& types) override { types.Add(ResourceType::FontFace); }
    String GetName() override { return "TrueTypeFontLoader"; }
};

}  // namespace Nimbrel::Utils::Loaders
