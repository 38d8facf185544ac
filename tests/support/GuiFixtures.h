#pragma once
// What the GUI tests share: a settable clock for the widgets' animations, a font face made by
// hand, mouse records, and a fixture that owns a root widget over the recording blitter and
// checks at the end that closing and collecting freed every widget the test made.

#include "core/Managed.h"
#include "input/Events.h"
#include "support/RecordingBlitter.h"
#include "utils/Bitmap2D.h"
#include "utils/gui/Clock.h"
#include "utils/gui/Menu.h"
#include "utils/gui/MenuItem.h"
#include "utils/gui/Widget.h"
#include "utils/typography/FontFace.h"

#include <gtest/gtest.h>

namespace Nimbrel::Testing {

// The GUI's time while a GuiTest runs; tests set it.
inline double& GuiTestTime()
{
    static double seconds = 0.0;
    return seconds;
}

// Every printable code has a glyph of its own (so the recording blitter can tell the characters
// apart), 6 pixels wide and 9 high at offset (0, -9) from the pen, and advances 7 pixels, "|"
// included; ascender 10, descender 3, line height 15.
inline Managed<Utils::Typography::FontFace> MonospaceFace()
{
    Managed<Utils::Typography::FontFace> face(new Utils::Typography::FontFace());
    face->SetAscender(10);
    face->SetDescender(3);
    face->SetLineHeight(15);
    for (int code = 32; code < 256; ++code) {
        if (code >= 127 && code < 160)
            continue;
        Managed<Utils::Bitmap2D> glyph(new Utils::Bitmap2D(6, 9, Graphics::PixelFormatLuminance8));
        for (int i = 0; i < glyph->GetDataSize(); ++i)
            glyph->GetData()[i] = 255;
        face->SetGlyph(code, code == ' ' ? nullptr : glyph.Get());
        face->SetOffset(code, 0, -9);
        face->SetAdvance(code, 7);
    }
    return face;
}

inline Input::MouseEvent MouseMove(int x, int y, int buttons = 0)
{
    return {buttons, x, y, 0, 0, 0, Input::MouseActionMove};
}
inline Input::MouseEvent MouseDown(int x, int y, int buttons = Input::MouseButtonLeft)
{
    return {buttons, x, y, 0, 0, 0, Input::MouseActionButtonDown};
}
inline Input::MouseEvent MouseUp(int x, int y, int buttons = Input::MouseButtonLeft)
{
    return {buttons, x, y, 0, 0, 0, Input::MouseActionButtonUp};
}
inline Input::MouseEvent MouseWheel(int x, int y, int wheel)
{
    return {0, x, y, 0, 0, wheel, Input::MouseActionWheel};
}

// The item with this text in the menu or one level below it, or null (and a failure).
inline Utils::GUI::MenuItem* FindMenuItem(Utils::GUI::Menu* menu, const char* text)
{
    for (int i = 0; i < menu->GetItemCount(); ++i) {
        Utils::GUI::MenuItem* item = menu->GetItem(i);
        if (item->GetText() == text)
            return item;
        if (Utils::GUI::Menu* sub = item->PeekSubMenu())
            for (int j = 0; j < sub->GetItemCount(); ++j)
                if (sub->GetItem(j)->GetText() == text)
                    return sub->GetItem(j);
    }
    ADD_FAILURE() << "no menu item " << text;
    return nullptr;
}

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GuiTestTime() = 0.0;
        Utils::GUI::SetTimeSource([] { return GuiTestTime(); });
        startCount = Utils::GUI::Widget::GetWidgetCount();
        root.Set(new Utils::GUI::Widget(blitter.Get()));
        root->SetSize(800, 600);
        root->SetFont(Utils::GUI::FontResource(face.Get()));
    }
    void TearDown() override
    {
        root->Close();  // releases the creator's reference, which the fixture held
        root.Detach();
        Utils::GUI::Widget::Collect();
        EXPECT_EQ(Utils::GUI::Widget::GetWidgetCount(), startCount) << "widgets left after Close and Collect";
        Utils::GUI::SetTimeSource(nullptr);
    }

    // Sends the event to the root, as the Application does.
    void Send(const Input::MouseEvent& event) { root->HandleMouse(Utils::GUI::Point(event.x, event.y), event); }
    void Click(int x, int y)
    {
        Send(MouseDown(x, y));
        Send(MouseUp(x, y));
    }
    // One frame of the tree between the blitter's Begin and End.
    void DrawFrame()
    {
        blitter->Begin();
        root->Frame();
        blitter->End();
    }

    Managed<RecordingBlitter> blitter{new RecordingBlitter()};
    Managed<Utils::Typography::FontFace> face = MonospaceFace();
    // The creator's reference is the fixture's; children added to it are the tree's.
    Managed<Utils::GUI::Widget> root;
    int startCount = 0;
};

// Creates a widget, adds it to the parent (which takes the creator's reference) and returns it.
template <class W, class... Args>
W* AddTo(Utils::GUI::Widget* parent, Args&&... args)
{
    W* widget = new W(std::forward<Args>(args)...);
    parent->AddChild(widget);
    return widget;
}

}  // namespace Nimbrel::Testing
