#include "utils/loaders/TrueTypeFontLoader.h"

#include "core/Exception.h"
#include "io/Buffer.h"
#include "utils/Bitmap2D.h"
#include "utils/Resource.h"
#include "utils/loaders/FreeTypeGlyph.h"
#include "utils/typography/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>

namespace Nimbrel::Utils::Loaders {

namespace {

// The library is made on first use and kept for the rest of the run.
FT_Library Library()
{
    static FT_Library library = nullptr;
    static FT_Error error = 0;
    static std::once_flag once;
    std::call_once(once, [] { error = FT_Init_FreeType(&library); });
    if (error)
        throw Exception("Error initializing FreeType 2");
    return library;
}

struct FaceCloser {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FaceHandle = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceCloser>;

int ParseSize(const String& text)
{
    int size = 0;
    try {
        size = text.Strip(' ').ToInt();
    } catch (const Exception&) {
        throw Exception("Error setting font pixel size");
    }
    if (size < 1 || size > TrueTypeFontLoader::MaxPixelSize)
        throw Exception("Error setting font pixel size");
    return size;
}

int Scaled(int size, long designUnits, int unitsPerEm)
{
    return static_cast<int>(std::floor(double(size) * double(designUnits) / double(unitsPerEm)));
}

}  // namespace

Object* TrueTypeFontLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    Array<String> pieces;
    descriptor.Split(':', pieces);
    if (pieces.Count() < 2)
        throw Exception("You must specify both filename and fontsize (ex. \"verdana.ttf:12\")");
    const int size = ParseSize(pieces[1]);
    FT_Library library = Library();

    Resource<IO::Buffer, ResourceType::Buffer> file(proxy, pieces[0]);
    FT_Face opened = nullptr;
    const FT_Error error = FT_New_Memory_Face(library, file->Data(), file->GetSize(), 0, &opened);
    if (error == FT_Err_Unknown_File_Format)
        throw Exception("Unknown file format");
    if (error || !opened)
        throw Exception("Error loading font");
    FaceHandle face(opened);
    if (face->units_per_EM == 0)
        throw Exception("Error loading font");
    if (FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(size)))
        throw Exception("Error setting font pixel size");
    // Codes are Latin-1, which are the first 256 Unicode code points. A face without a
    // Unicode map keeps the map FreeType chose.
    FT_Select_Charmap(face.get(), FT_ENCODING_UNICODE);

    Managed<Typography::FontFace> font(new Typography::FontFace());
    const int unitsPerEm = face->units_per_EM;
    font->SetLineHeight(Scaled(size, face->height, unitsPerEm));
    font->SetAscender(Scaled(size, face->ascender, unitsPerEm));
    font->SetDescender(-Scaled(size, face->descender, unitsPerEm));
    for (int code = 0; code < Typography::FontFace::CodeCount; ++code) {
        const FT_UInt index = FT_Get_Char_Index(face.get(), static_cast<FT_ULong>(code));
        if (FT_Load_Glyph(face.get(), index, FT_LOAD_RENDER))
            continue;  // a damaged glyph stays empty, the rest of the face still serves
        const FT_GlyphSlot slot = face->glyph;
        Managed<Bitmap2D> glyph(GlyphCoverage(library, slot->bitmap));
        font->SetGlyph(code, glyph.Get());
        font->SetAdvance(code, static_cast<int>(slot->advance.x >> 6));
        font->SetOffset(code, slot->bitmap_left, -slot->bitmap_top);
    }
    return font.Detach();
}

}  // namespace Nimbrel::Utils::Loaders
