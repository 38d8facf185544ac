#pragma once
// RecordingBlitter: the test double of Draw2D::Blitter, for tests of code that draws overlay
// quads and text (typography, the GUI, the Studio) without a device.
//
// It keeps the blitter contract callers rely on (indices 1, 2, ... per distinct bitmap, 0
// for the white pixel, pins counted and checked, DrawQuads only in a pass, each group listed
// once a frame) and remembers what it was asked: the calls in order, every group's current
// quads, and the groups of the last finished frame. Glyphs pinned through PinFont are known
// by their character code, so a test can read back the text a frame shows.

#include "core/Managed.h"
#include "utils/draw2d/Blitter.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

class RecordingBlitter : public Utils::Draw2D::Blitter {
public:
    class Group : public Quads {
    public:
        Group(RecordingBlitter* owner, std::vector<Utils::Draw2D::Quad> quads);
        ~Group() override;
        int GetCount() const override { return static_cast<int>(quads.size()); }

        RecordingBlitter* owner;
        std::vector<Utils::Draw2D::Quad> quads;
    };

    RecordingBlitter();
    ~RecordingBlitter() override;

    // "Draw", "PinBitmap 3", "UnpinBitmap 3", "PinFont", "UnpinFont", "Update", "CreateQuads 5",
    // "SetQuads 0 2", "ReleaseUnpinned", "Begin", "DrawQuads 5" (the group's count), "End".
    std::vector<std::string> log;

    void Draw() override;
    int PinBitmap(Utils::Bitmap2D* bitmap) override;
    const int* PinFont(Utils::Typography::FontFace* face, int mode) override;
    void UnpinFont(const int* table) override;
    void UnpinBitmap(int index) override;
    void Update() override { log.push_back("Update"); }
    Quads* CreateQuads(int count, const Utils::Draw2D::Quad* quads) override;
    void SetQuads(Quads* group, int first, int count, const Utils::Draw2D::Quad* quads) override;
    void ReleaseUnpinned() override { log.push_back("ReleaseUnpinned"); }
    void Begin() override;
    void DrawQuads(Quads* group) override;
    void End() override;
    Graphics::Texture2D* GetTexture() override { return nullptr; }

    bool InPass() const { return inPass; }
    // The pin count of a bitmap index (0 for an index never handed out).
    int Pins(int index) const;
    // The live groups, in order of creation.
    const std::vector<Group*>& Groups() const { return groups; }
    // The quads of the last finished frame, group after group in the order listed.
    std::vector<Utils::Draw2D::Quad> DrawnQuads() const;
    // The characters of the last frame's glyph quads, in order; a quad that is not a glyph
    // adds nothing.
    std::string DrawnText() const;
    // The code of the glyph an index stands for, or -1.
    int GlyphCode(int index) const;

private:
    struct FontTable {
        Utils::Typography::FontFace* face;
        int mode;
        int indices[FontTableSize];
    };

    std::vector<Utils::Bitmap2D*> bitmaps;  // a reference each; [0] is null, the white pixel
    std::vector<int> pins;
    std::map<int, int> glyphCodes;
    std::vector<std::unique_ptr<FontTable>> fonts;
    std::vector<Group*> groups;
    std::vector<Group*> listed;
    std::vector<Utils::Draw2D::Quad> drawn;
    bool inPass = false;
};

}  // namespace Nimbrel::Testing
