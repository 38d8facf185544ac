#pragma once
// Draw2D::Blitter: draws the overlay (the Studio, the GUI, text) as groups of quads from one
// atlas of pinned bitmaps.
//
// Clients pin the bitmaps they use, create their quads once as a group, update them when they
// change and, each frame, list the groups to draw between Begin and End, back to front:
//
//     int icon = blitter->PinBitmap(bitmap);
//     Managed<Blitter::Quads> group(blitter->CreateQuads(1, &quad));   // quad.bitmap = icon
//     ... each frame: blitter->Begin(); blitter->DrawQuads(group.Get()); blitter->End();
//
// A pinned bitmap keeps its index for as long as the blitter has it; every PinBitmap is
// matched by one UnpinBitmap, every PinFont by one UnpinFont. A quad whose bitmap is not in
// the atlas (unpinned and left out of it, or an index never handed out) draws from the white
// pixel of index 0.

#include "core/Object.h"
#include "utils/Drawable.h"
#include "utils/draw2d/Quad.h"

namespace Nimbrel::Graphics {
class Texture2D;
}

namespace Nimbrel::Utils {
class Bitmap2D;
namespace Typography {
class FontFace;
}
}  // namespace Nimbrel::Utils

namespace Nimbrel::Utils::Draw2D {

class Blitter : public Drawable {
public:
    // A group of quads of one blitter; releasing the last reference returns them to the pool.
    class Quads : public Object {
    public:
        ~Quads() override = default;
        virtual int GetCount() const = 0;
    };

    // Glyph bitmap indices of a face, one per character code.
    static constexpr int FontTableSize = 256;
    // PinFont modes: every code its own glyph, or control codes shown as "?".
    static constexpr int PinAllGlyphs = 0;
    static constexpr int PinPrintableGlyphs = 1;

    ~Blitter() override = default;

    // Issues the frame's quads on the device; see the implementation.
    void Draw() override = 0;
    // The bitmap's index, the same one for as long as it stays pinned, and one more pin.
    virtual int PinBitmap(Bitmap2D* bitmap) = 0;
    // The face's table of FontTableSize bitmap indices, and one more pin of each glyph. In
    // PinPrintableGlyphs mode the control codes (below 32 and 127 to 159) use the glyph of "?";
    // the Latin-1 letters above stay themselves, so "é" shows as "é".
    virtual const int* PinFont(Typography::FontFace* face, int mode) = 0;
    virtual void UnpinFont(const int* table) = 0;
    virtual void UnpinBitmap(int index) = 0;
    // Brings the atlas and the vertex data up to date.
    virtual void Update() = 0;
    // A new group of count quads, filled from the records.
    virtual Quads* CreateQuads(int count, const Quad* quads) = 0;
    // Rewrites the group's quads first … first + count - 1 from the records.
    virtual void SetQuads(Quads* group, int first, int count, const Quad* quads) = 0;
    // Lets go of the bitmaps nothing has pinned.
    virtual void ReleaseUnpinned() = 0;
    virtual void Begin() = 0;
    // Lists the group for this frame's draw; a group listed twice is drawn once.
    virtual void DrawQuads(Quads* group) = 0;
    virtual void End() = 0;
    // The atlas the quads draw from, after Update; null where nothing is drawn on a device.
    virtual Graphics::Texture2D* GetTexture() = 0;
};

}  // namespace Nimbrel::Utils::Draw2D
