#include "support/RecordingBlitter.h"

#include "core/Exception.h"
#include "utils/Bitmap2D.h"
#include "utils/typography/FontFace.h"

#include <algorithm>

namespace Nimbrel::Testing {

using Utils::Draw2D::Quad;

RecordingBlitter::Group::Group(RecordingBlitter* owner, std::vector<Quad> quads) : owner(owner), quads(std::move(quads))
{
    owner->AddRef();
    owner->groups.push_back(this);
}

RecordingBlitter::Group::~Group()
{
    auto& groups = owner->groups;
    groups.erase(std::find(groups.begin(), groups.end(), this));
    auto& listed = owner->listed;
    listed.erase(std::remove(listed.begin(), listed.end(), this), listed.end());
    owner->Release();
}

RecordingBlitter::RecordingBlitter() : bitmaps{nullptr}, pins{1} {}

RecordingBlitter::~RecordingBlitter()
{
    for (Utils::Bitmap2D* bitmap : bitmaps)
        if (bitmap)
            bitmap->Release();
    for (auto& font : fonts)
        font->face->Release();
}

void RecordingBlitter::Draw()
{
    if (inPass)
        throw Exception("RecordingBlitter::Draw(): Can not draw between Begin()/End()");
    log.push_back("Draw");
}

int RecordingBlitter::PinBitmap(Utils::Bitmap2D* bitmap)
{
    if (!bitmap)
        throw Exception("RecordingBlitter::PinBitmap(): No bitmap");
    auto known = std::find(bitmaps.begin(), bitmaps.end(), bitmap);
    int index = static_cast<int>(known - bitmaps.begin());
    if (known == bitmaps.end()) {
        bitmap->AddRef();
        bitmaps.push_back(bitmap);
        pins.push_back(0);
    }
    ++pins[static_cast<size_t>(index)];
    log.push_back("PinBitmap " + std::to_string(index));
    return index;
}

void RecordingBlitter::UnpinBitmap(int index)
{
    if (index < 0 || index >= static_cast<int>(pins.size()) || pins[static_cast<size_t>(index)] < 1)
        throw Exception("RecordingBlitter::UnpinBitmap(): Pin/Unpin mismatch");
    --pins[static_cast<size_t>(index)];
    log.push_back("UnpinBitmap " + std::to_string(index));
}

int RecordingBlitter::Pins(int index) const
{
    return index >= 0 && index < static_cast<int>(pins.size()) ? pins[static_cast<size_t>(index)] : 0;
}

const int* RecordingBlitter::PinFont(Utils::Typography::FontFace* face, int mode)
{
    if (!face)
        throw Exception("RecordingBlitter::PinFont(): No font face");
    log.push_back("PinFont");
    FontTable* table = nullptr;
    for (auto& font : fonts)
        if (font->face == face && font->mode == mode)
            table = font.get();
    const bool made = !table;
    if (made) {
        fonts.push_back(std::make_unique<FontTable>(FontTable{face, mode, {}}));
        face->AddRef();
        table = fonts.back().get();
    }
    for (int code = 0; code < FontTableSize; ++code) {
        const bool control = code < 32 || (code >= 127 && code < 160);
        const int shown = mode == PinPrintableGlyphs && control ? '?' : code;
        Utils::Bitmap2D* glyph = face->GetGlyph(shown);
        if (!glyph || glyph->GetWidth() == 0 || glyph->GetHeight() == 0) {
            ++pins[0];
            table->indices[code] = 0;
            continue;
        }
        table->indices[code] = PinBitmap(glyph);
        log.pop_back();  // the glyphs' own PinBitmap lines would drown the log
        glyphCodes.emplace(table->indices[code], shown);
    }
    return table->indices;
}

void RecordingBlitter::UnpinFont(const int* table)
{
    auto font = std::find_if(fonts.begin(), fonts.end(), [&](auto& f) { return f->indices == table; });
    if (font == fonts.end())
        throw Exception("RecordingBlitter::UnpinFont(): Unknown font table");
    for (int code = 0; code < FontTableSize; ++code) {
        UnpinBitmap(table[code]);
        log.pop_back();
    }
    log.push_back("UnpinFont");
}

RecordingBlitter::Quads* RecordingBlitter::CreateQuads(int count, const Quad* quads)
{
    if (count < 0)
        throw Exception("Blitter::CreateQuads(): Invalid count");
    log.push_back("CreateQuads " + std::to_string(count));
    return new Group(this, std::vector<Quad>(quads, quads + count));
}

void RecordingBlitter::SetQuads(Quads* quads, int first, int count, const Quad* records)
{
    auto* group = dynamic_cast<Group*>(quads);
    if (!group || group->owner != this)
        throw Exception("Blitter::SetQuads(): Invalid group");
    if (first < 0 || count < 0 || count > group->GetCount() - first)
        throw Exception("Blitter::SetQuads(): Invalid range");
    std::copy(records, records + count, group->quads.begin() + first);
    log.push_back("SetQuads " + std::to_string(first) + " " + std::to_string(count));
}

void RecordingBlitter::Begin()
{
    inPass = true;
    listed.clear();
    log.push_back("Begin");
}

void RecordingBlitter::DrawQuads(Quads* quads)
{
    if (!inPass)
        throw Exception("Blitter::DrawQuads(): Can not be called outside Begin()/End()");
    auto* group = dynamic_cast<Group*>(quads);
    if (!group || group->owner != this)
        throw Exception("Blitter::DrawQuads(): Invalid group");
    log.push_back("DrawQuads " + std::to_string(group->GetCount()));
    if (std::find(listed.begin(), listed.end(), group) == listed.end())
        listed.push_back(group);
}

void RecordingBlitter::End()
{
    inPass = false;
    drawn.clear();
    for (Group* group : listed)
        drawn.insert(drawn.end(), group->quads.begin(), group->quads.end());
    log.push_back("End");
}

std::vector<Quad> RecordingBlitter::DrawnQuads() const
{
    return drawn;
}

int RecordingBlitter::GlyphCode(int index) const
{
    auto code = glyphCodes.find(index);
    return code == glyphCodes.end() ? -1 : code->second;
}

std::string RecordingBlitter::DrawnText() const
{
    std::string text;
    for (const Quad& quad : drawn) {
        const int code = GlyphCode(quad.bitmap);
        if (code >= 0)
            text += static_cast<char>(code);
    }
    return text;
}

}  // namespace Nimbrel::Testing
