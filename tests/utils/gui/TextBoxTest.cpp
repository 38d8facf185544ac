// The text box: editing keys, selection and overwrite, what reaches the owner, and the caret,
// selection and text it draws.

#include "utils/gui/TextBox.h"

#include "input/KeyCodes.h"
#include "support/GuiFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::GUI;

namespace text_box_test {

// The keys and notes a text box's owner receives.
struct TextBoxOwner : Widget {
    explicit TextBoxOwner(Draw2D::Blitter* painter) : Widget(painter) {}
    void OnKey(Widget* sender, int key, int state) override { keys.push_back({sender, key, state}); }
    void OnNotify(Widget* sender, int id, Widget*) override { notes.push_back({sender, id, 0}); }
    struct Heard {
        Widget* sender;
        int key, state;
        bool operator==(const Heard&) const = default;
    };
    std::vector<Heard> keys;
    std::vector<Heard> notes;
};

class TextBoxTest : public Testing::GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        owner = Testing::AddTo<TextBoxOwner>(root.Get(), blitter.Get());
        owner->SetPosition(20, 30);
        box = Testing::AddTo<TextBox>(owner, blitter.Get());
        box->SetPosition(5, 5);
        box->SetSize(200, 15);
        box->SetTextColor(Color(0, 0, 0, 255));
    }
    // Key events as the root hands them down the active path, to the text box.
    void Keys(TextBox* target, const std::vector<Input::KeyEvent>& keys)
    {
        target->Activate();
        for (const Input::KeyEvent& k : keys)
            root->HandleKey(k.key, k.action);
    }
    void Keys(const std::vector<Input::KeyEvent>& keys) { Keys(box, keys); }

    TextBoxOwner* owner = nullptr;
    TextBox* box = nullptr;
};

constexpr Input::KeyEvent Down(int key)
{
    return {key, Input::KeyActionDown};
}
constexpr Input::KeyEvent Up(int key)
{
    return {key, Input::KeyActionUp};
}
constexpr Input::KeyEvent Char(int code)
{
    return {code, Input::KeyActionCharacter};
}

TEST_F(TextBoxTest, KeysEditTheTextCaretAndSelection)
{
    using namespace Input;
    const struct {
        const char* name;
        const char* text;
        int caret;  // -1: BeginEdit
        std::vector<KeyEvent> keys;
        std::string expected;
        int expectedCaret;
        bool selection;
    } cases[] = {
        {"typing after BeginEdit replaces all", "hello", -1, {Char('x')}, "x", 1, false},
        {"Shift Left twice, Delete", "abc", 3, {Down(KeyShift), Down(KeyLeft), Down(KeyLeft), Down(KeyDelete)}, "a", 1, false},
        {"Shift Left twice selects", "abc", 3, {Down(KeyShift), Down(KeyLeft), Down(KeyLeft), Up(KeyShift)}, "abc", 1,
         true},
        {"overwrite in the middle", "abc", 1, {Down(KeyInsert), Char('x')}, "axc", 2, false},
        {"overwrite at the end appends", "abc", 3, {Down(KeyInsert), Char('x')}, "abcx", 4, false},
        {"insert in the middle", "abc", 1, {Char('x')}, "axbc", 2, false},
        {"Backspace at 0", "abc", 0, {Down(KeyBackspace)}, "abc", 0, false},
        {"Backspace", "abc", 2, {Down(KeyBackspace)}, "ac", 1, false},
        {"Delete at the end", "abc", 3, {Down(KeyDelete)}, "abc", 3, false},
        {"Delete", "abc", 0, {Down(KeyDelete)}, "bc", 0, false},
        {"Left without Shift ends a selection at its start", "hello", -1, {Down(KeyLeft)}, "hello", 0, false},
        {"Right without Shift ends it at its end", "hello", 2, {Down(KeyShift), Down(KeyLeft), Up(KeyShift),
         Down(KeyRight)}, "hello", 2, false},
        {"Shift End selects to the end", "hello", 1, {Down(KeyShift), Down(KeyEnd)}, "hello", 5, true},
        {"Home", "hello", 3, {Down(KeyHome)}, "hello", 0, false},
        {"Left and Right stop at the ends", "ab", 0, {Down(KeyLeft), Down(KeyRight), Down(KeyRight), Down(KeyRight)},
         "ab", 2, false},
        {"character 200 is typed, 31 and 256 are not", "", 0, {Char(200), Char(31), Char(256), Char(32)}, "\xC8 ", 2,
         false},
        {"Backspace removes the selection", "hello", -1, {Down(KeyBackspace)}, "", 0, false},
    };
    for (const auto& c : cases) {
        TextBox* edited = Testing::AddTo<TextBox>(owner, blitter.Get());
        edited->SetText(c.text);
        if (c.caret < 0)
            edited->BeginEdit();
        else
            edited->SetCaret(c.caret);
        Keys(edited, c.keys);
        EXPECT_EQ(std::string(edited->GetText().CStr(), size_t(edited->GetLength())), c.expected) << c.name;
        EXPECT_EQ(edited->GetCaret(), c.expectedCaret) << c.name;
        EXPECT_EQ(edited->HasSelection(), c.selection) << c.name;
        edited->Close();
    }
}

TEST_F(TextBoxTest, EveryKeyReachesTheOwnerAndAnEditIsNotedAtTheNextDraw)
{
    box->SetText("ab");
    box->SetCaret(0);
    DrawFrame();
    owner->notes.clear();
    Keys({Down(Input::KeyBackspace), Char(7), Char('z')});
    EXPECT_EQ(owner->keys, (std::vector<TextBoxOwner::Heard>{{box, Input::KeyBackspace, Input::KeyActionDown},
                                                             {box, 7, Input::KeyActionCharacter},
                                                             {box, 'z', Input::KeyActionCharacter}}));
    EXPECT_TRUE(owner->notes.empty());
    DrawFrame();
    EXPECT_EQ(owner->notes, (std::vector<TextBoxOwner::Heard>{{box, 0, 0}}));
    EXPECT_EQ(std::string(box->GetText().CStr()), "zab");

    // Losing the activation ends the edit.
    box->BeginEdit();
    owner->Activate();
    EXPECT_FALSE(box->IsSelectionActive());
}

TEST_F(TextBoxTest, DrawsTheSelectionTheBlinkingCaretAndTheText)
{
    box->SetText("hello");
    Keys({Down(Input::KeyShift), Down(Input::KeyLeft), Down(Input::KeyLeft), Up(Input::KeyShift)});
    const int left = 20 + 5;
    const int top = 30 + 5;
    // Losing the activation (the last case) also ends the selection.
    const struct {
        double time;
        bool active, caret;
    } cases[] = {{10.2, true, true}, {10.7, true, false}, {11.4, true, true}, {11.2, false, false}};
    for (const auto& c : cases) {
        Testing::GuiTestTime() = c.time;
        if (!c.active)
            owner->Activate();
        DrawFrame();
        const std::vector<Draw2D::Quad> drawn = blitter->DrawnQuads();
        std::vector<Draw2D::Quad> carets;
        std::vector<Draw2D::Quad> plain;
        for (const Draw2D::Quad& q : drawn) {
            if (blitter->GlyphCode(q.bitmap) == '|')
                carets.push_back(q);
            else if (q.bitmap == 0)
                plain.push_back(q);
        }
        EXPECT_EQ(carets.size(), c.caret ? 1u : 0u) << c.time;
        if (!carets.empty()) {
            EXPECT_EQ((std::vector<int>{carets[0].x, carets[0].y, carets[0].width, carets[0].height}),
                      (std::vector<int>{left + 3 * 7, top, 6, 9}));
            EXPECT_EQ(carets[0].color, Draw2D::PackColor(0, 0, 0, 255));
        }
        ASSERT_EQ(plain.size(), c.active ? 1u : 0u) << c.time;
        if (c.active) {
            EXPECT_EQ((std::vector<int>{plain[0].x, plain[0].y, plain[0].width, plain[0].height}),
                      (std::vector<int>{left + 3 * 7, top, 2 * 7, 9}));
            EXPECT_EQ(plain[0].color, Draw2D::PackColor(204, 204, 204, 255));
            EXPECT_EQ(drawn[0].bitmap, 0);  // the selection goes under the caret and the text
        }
        EXPECT_EQ(blitter->DrawnText(), c.caret ? "|hello" : "hello") << c.time;
    }
}

}  // namespace text_box_test
