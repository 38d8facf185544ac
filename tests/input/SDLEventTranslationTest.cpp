// SDL events in, engine key and mouse events out, as tables.
#include "input/SDLEventTranslation.h"

#include "input/KeyCodes.h"
#include "support/FakeInput.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace sdl_event_translation_test {

using namespace Nimbrel::Input;
using Nimbrel::Testing::FakeInputContext;

SDL_Event Key(Uint32 type, SDL_Keycode key)
{
    SDL_Event event{};
    event.type = type;
    event.key.windowID = 7;
    event.key.keysym.sym = key;
    return event;
}

SDL_Event Text(const char* text)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = 7;
    std::strncpy(event.text.text, text, sizeof(event.text.text) - 1);
    return event;
}

SDL_Event Button(Uint32 type, Uint8 button, int x, int y, Uint8 clicks = 1)
{
    SDL_Event event{};
    event.type = type;
    event.button.windowID = 7;
    event.button.button = button;
    event.button.x = x;
    event.button.y = y;
    event.button.clicks = clicks;
    return event;
}

SDL_Event Motion(Uint32 state, int x, int y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = 7;
    event.motion.state = state;
    event.motion.x = x;
    event.motion.y = y;
    return event;
}

SDL_Event Wheel(int notches, Uint32 direction, int x, int y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = 7;
    event.wheel.y = notches;
    event.wheel.direction = direction;
    event.wheel.mouseX = x;
    event.wheel.mouseY = y;
    return event;
}

std::vector<KeyEvent> KeysOf(const std::vector<SDL_Event>& events)
{
    FakeInputContext context;
    for (const SDL_Event& event : events)
        TranslateSDLEvent(event, context);
    EXPECT_TRUE(context.mouseEvents.empty());
    return context.keyEvents;
}

std::vector<MouseEvent> MiceOf(const std::vector<SDL_Event>& events)
{
    FakeInputContext context;
    for (const SDL_Event& event : events)
        TranslateSDLEvent(event, context);
    EXPECT_TRUE(context.keyEvents.empty());
    return context.mouseEvents;
}

TEST(SDLEventTranslationTest, KeysGetTheEngineCodes)
{
    struct Case {
        SDL_Keycode sdl;
        int engine;
    };
    const Case cases[] = {
        {SDLK_a, 'A'}, {SDLK_z, 'Z'}, {SDLK_0, '0'}, {SDLK_9, '9'},
        {SDLK_ESCAPE, 257}, {SDLK_BACKSPACE, 310}, {SDLK_TAB, 9}, {SDLK_RETURN, 10},
        {SDLK_KP_ENTER, 10}, {SDLK_SPACE, 32}, {SDLK_LSHIFT, 260}, {SDLK_RSHIFT, 260},
        {SDLK_LCTRL, 262}, {SDLK_RCTRL, 262}, {SDLK_LALT, 259}, {SDLK_RALT, 259},
        {SDLK_CAPSLOCK, 264}, {SDLK_PAGEUP, 304}, {SDLK_PAGEDOWN, 305}, {SDLK_END, 307},
        {SDLK_HOME, 306}, {SDLK_LEFT, 274}, {SDLK_UP, 272}, {SDLK_RIGHT, 275},
        {SDLK_DOWN, 273}, {SDLK_INSERT, 308}, {SDLK_DELETE, 309},
        {SDLK_F1, 276}, {SDLK_F5, 280}, {SDLK_F6, 281}, {SDLK_F7, 288}, {SDLK_F8, 289},
        {SDLK_F12, 293}, {SDLK_F13, 294}, {SDLK_F16, 297},
        // Keys without a new code keep their Windows virtual-key value.
        {SDLK_KP_0, 96}, {SDLK_KP_9, 105}, {SDLK_KP_PLUS, 107}, {SDLK_KP_DIVIDE, 111},
        {SDLK_SEMICOLON, 186}, {SDLK_COMMA, 188}, {SDLK_MINUS, 189}, {SDLK_PERIOD, 190},
        {SDLK_SLASH, 191}, {SDLK_QUOTE, 222},
        // Keys the engine has no code for are dropped.
        {SDLK_F17, -1}, {SDLK_VOLUMEUP, -1}, {SDLK_UNKNOWN, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TranslateSDLKey(c.sdl), c.engine) << SDL_GetKeyName(c.sdl);

    // No key produces the gap between F6 and F7. SDL's key codes are characters below 0x200
    // and scan codes (below 0x200) with bit 30 set.
    for (SDL_Keycode base : {0, SDLK_SCANCODE_MASK})
        for (SDL_Keycode key = base; key < base + 0x200; ++key) {
            const int code = TranslateSDLKey(key);
            EXPECT_TRUE(code < 282 || code > 287) << key;
        }
}

TEST(SDLEventTranslationTest, PressAndReleaseQueueDownAndUp)
{
    EXPECT_EQ(KeysOf({Key(SDL_KEYDOWN, SDLK_ESCAPE), Key(SDL_KEYUP, SDLK_ESCAPE)}),
              (std::vector<KeyEvent>{{257, 0}, {257, 1}}));
    // Typing the letter a: the key, its character, the release.
    EXPECT_EQ(KeysOf({Key(SDL_KEYDOWN, SDLK_a), Text("a"), Key(SDL_KEYUP, SDLK_a)}),
              (std::vector<KeyEvent>{{65, 0}, {97, 2}, {65, 1}}));
    EXPECT_EQ(KeysOf({Key(SDL_KEYDOWN, SDLK_F7)}), (std::vector<KeyEvent>{{288, 0}}));
    EXPECT_EQ(KeysOf({Key(SDL_KEYDOWN, SDLK_VOLUMEUP), Key(SDL_KEYUP, SDLK_VOLUMEUP)}),
              std::vector<KeyEvent>{});
}

TEST(SDLEventTranslationTest, TextGivesOneCharacterEventPerEightBitCharacter)
{
    struct Case {
        const char* utf8;
        std::vector<KeyEvent> expected;
    };
    const Case cases[] = {
        {"A", {{'A', 2}}},
        {"ab c", {{'a', 2}, {'b', 2}, {' ', 2}, {'c', 2}}},
        {"\xC3\xA9", {{0xE9, 2}}},                  // é, Latin-1 233
        {"\xC3\xBF\xC4\x80", {{0xFF, 2}}},          // ÿ kept, Ā (256) dropped
        {"\xE2\x82\xAC", {}},                       // € has no 8-bit code
        {"\xF0\x9F\x98\x80x", {{'x', 2}}},          // a four-byte character, then x
        {"\xC3", {}},                               // cut short
        {"\xC1\x81", {}},                           // overlong 'A'
        {"\x80y", {{'y', 2}}},                      // stray continuation byte
        {"\x7F\x1F", {}},                           // control characters
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeysOf({Text(c.utf8)}), c.expected) << c.utf8;

    // A field filled to its last byte without a terminator is read no further.
    SDL_Event full = Text("");
    std::memset(full.text.text, 'k', sizeof(full.text.text));
    full.text.text[sizeof(full.text.text) - 1] = '\xC3';
    EXPECT_EQ(KeysOf({full}).size(), sizeof(full.text.text) - 1);
}

TEST(SDLEventTranslationTest, MouseEventsCarryEngineButtonsAndClientPositions)
{
    struct Case {
        const char* what;
        std::vector<SDL_Event> sdl;
        std::vector<MouseEvent> expected;
    };
    const Case cases[] = {
        {"left click",
         {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20), Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 10, 20)},
         {{1, 10, 20, 0, 0, 0, 1}, {1, 10, 20, 0, 0, 0, 2}}},
        {"right and middle",
         {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 2), Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 3, 4)},
         {{2, 1, 2, 0, 0, 0, 1}, {4, 3, 4, 0, 0, 0, 2}}},
        {"extra buttons",
         {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 0, 0), Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_X2, 0, 0)},
         {{8, 0, 0, 0, 0, 0, 1}, {16, 0, 0, 0, 0, 0, 2}}},
        {"double click: the second press is only a double click",
         {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6, 1), Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 5, 6, 1),
          Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6, 2), Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 5, 6, 2)},
         {{1, 5, 6, 0, 0, 0, 1}, {1, 5, 6, 0, 0, 0, 2}, {1, 5, 6, 0, 0, 0, 3}, {1, 5, 6, 0, 0, 0, 2}}},
        {"third and fourth presses pair up again",
         {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 0, 0, 3), Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 0, 0, 4)},
         {{2, 0, 0, 0, 0, 0, 1}, {2, 0, 0, 0, 0, 0, 3}}},
        {"unknown button", {Button(SDL_MOUSEBUTTONDOWN, 9, 5, 6)}, {}},
        {"move with left and middle held",
         {Motion(SDL_BUTTON_LMASK | SDL_BUTTON_MMASK, 100, 200)},
         {{5, 100, 200, 0, 0, 0, 0}}},
        {"move with right held", {Motion(SDL_BUTTON_RMASK | SDL_BUTTON_X1MASK, 1, 1)}, {{2, 1, 1, 0, 0, 0, 0}}},
        {"wheel away", {Wheel(1, SDL_MOUSEWHEEL_NORMAL, 30, 40)}, {{0, 30, 40, 0, 0, 120, 4}}},
        {"wheel towards, two notches", {Wheel(-2, SDL_MOUSEWHEEL_NORMAL, 0, 0)}, {{0, 0, 0, 0, 0, -240, 4}}},
        {"flipped wheel", {Wheel(1, SDL_MOUSEWHEEL_FLIPPED, 0, 0)}, {{0, 0, 0, 0, 0, -120, 4}}},
        {"sideways wheel only", {Wheel(0, SDL_MOUSEWHEEL_NORMAL, 0, 0)}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MiceOf(c.sdl), c.expected) << c.what;
}

TEST(SDLEventTranslationTest, EventsNameTheirWindow)
{
    EXPECT_EQ(GetSDLEventWindowID(Key(SDL_KEYDOWN, SDLK_a)), 7u);
    EXPECT_EQ(GetSDLEventWindowID(Text("a")), 7u);
    EXPECT_EQ(GetSDLEventWindowID(Motion(0, 0, 0)), 7u);
    EXPECT_EQ(GetSDLEventWindowID(Button(SDL_MOUSEBUTTONUP, 1, 0, 0)), 7u);
    EXPECT_EQ(GetSDLEventWindowID(Wheel(1, 0, 0, 0)), 7u);
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = 9;
    EXPECT_EQ(GetSDLEventWindowID(close), 9u);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EQ(GetSDLEventWindowID(quit), 0u);

    // Events that are not input give the context nothing.
    FakeInputContext context;
    TranslateSDLEvent(close, context);
    TranslateSDLEvent(quit, context);
    EXPECT_TRUE(context.keyEvents.empty());
    EXPECT_TRUE(context.mouseEvents.empty());
}

TEST(SDLEventTranslationTest, ControllerReadingsTakeTheGamePadLayout)
{
    struct Case {
        const char* what;
        int16_t sdlAxes[SDL_CONTROLLER_AXIS_MAX];  // left x, left y, right x, right y, LT, RT
        float axes[ControllerAxisCount];
    };
    const Case cases[] = {
        {"at rest", {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
        {"sticks at their ends", {-32768, 32767, 32767, -32768, 0, 0}, {-1, 32767 / 32768.0f, 0, 32767 / 32768.0f, -1}},
        {"left trigger", {0, 0, 0, 0, 32767, 0}, {0, 0, 32767 / 32768.0f, 0, 0}},
        {"right trigger", {0, 0, 0, 0, 0, 32767}, {0, 0, -32767 / 32768.0f, 0, 0}},
        {"both triggers cancel", {0, 0, 0, 0, 16384, 16384}, {0, 0, 0, 0, 0}},
        {"half left stick", {16384, -16384, 0, 0, 0, 0}, {0.5f, -0.5f, 0, 0, 0}},
    };
    const uint8_t noButtons[SDL_CONTROLLER_BUTTON_MAX] = {};
    for (const Case& c : cases) {
        float axes[Joystick::AxisSlots];
        bool buttons[ControllerButtonCount];
        TranslateControllerState(c.sdlAxes, noButtons, axes, buttons);
        for (int i = 0; i < ControllerAxisCount; ++i)
            EXPECT_FLOAT_EQ(axes[i], c.axes[i]) << c.what << ", axis " << i;
        for (int i = ControllerAxisCount; i < Joystick::FirstHatSlot; ++i)
            EXPECT_EQ(axes[i], 0.0f) << c.what << ", axis " << i;
        for (int i = Joystick::FirstHatSlot; i < Joystick::AxisSlots; ++i)
            EXPECT_EQ(axes[i], 4294967295.0f) << c.what << ", hat slot " << i;
        for (bool button : buttons)
            EXPECT_FALSE(button) << c.what;
    }

    const SDL_GameControllerButton order[ControllerButtonCount] = {
        SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_X,
        SDL_CONTROLLER_BUTTON_Y, SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
        SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_CONTROLLER_BUTTON_BACK,
        SDL_CONTROLLER_BUTTON_START, SDL_CONTROLLER_BUTTON_LEFTSTICK,
        SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    };
    const int16_t rest[SDL_CONTROLLER_AXIS_MAX] = {};
    for (int b = 0; b < ControllerButtonCount; ++b) {
        uint8_t sdlButtons[SDL_CONTROLLER_BUTTON_MAX] = {};
        sdlButtons[order[b]] = 1;
        float axes[Joystick::AxisSlots];
        bool buttons[ControllerButtonCount];
        TranslateControllerState(rest, sdlButtons, axes, buttons);
        for (int i = 0; i < ControllerButtonCount; ++i)
            EXPECT_EQ(buttons[i], i == b) << "SDL button " << order[b] << ", engine button " << i;
    }
    // The D-pad is hat 0 and no button; the guide button has no place in the layout.
    struct DPad {
        std::vector<SDL_GameControllerButton> held;
        float hat;
    };
    const DPad pads[] = {
        {{}, 4294967295.0f},
        {{SDL_CONTROLLER_BUTTON_GUIDE}, 4294967295.0f},
        {{SDL_CONTROLLER_BUTTON_DPAD_UP}, 0.0f},
        {{SDL_CONTROLLER_BUTTON_DPAD_RIGHT}, 9000.0f},
        {{SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_LEFT}, 22500.0f},
        {{SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_LEFT}, 31500.0f},
    };
    for (const DPad& pad : pads) {
        uint8_t sdlButtons[SDL_CONTROLLER_BUTTON_MAX] = {};
        for (SDL_GameControllerButton b : pad.held)
            sdlButtons[b] = 1;
        float axes[Joystick::AxisSlots];
        bool buttons[ControllerButtonCount];
        TranslateControllerState(rest, sdlButtons, axes, buttons);
        EXPECT_EQ(axes[Joystick::FirstHatSlot], pad.hat) << pad.held.size() << " held";
        for (int i = Joystick::FirstHatSlot + 1; i < Joystick::AxisSlots; ++i)
            EXPECT_EQ(axes[i], 4294967295.0f);
        for (bool button : buttons)
            EXPECT_FALSE(button);
    }
}

TEST(SDLEventTranslationTest, HatsReadInHundredthsOfADegreeClockwiseFromNorth)
{
    struct Case {
        uint8_t sdl;
        uint32_t hundredths;
    };
    const Case cases[] = {
        {SDL_HAT_CENTERED, 4294967295u},
        {SDL_HAT_UP, 0},
        {SDL_HAT_RIGHTUP, 4500},
        {SDL_HAT_RIGHT, 9000},
        {SDL_HAT_RIGHTDOWN, 13500},
        {SDL_HAT_DOWN, 18000},
        {SDL_HAT_LEFTDOWN, 22500},
        {SDL_HAT_LEFT, 27000},
        {SDL_HAT_LEFTUP, 31500},
        // Opposite directions cancel out.
        {SDL_HAT_UP | SDL_HAT_DOWN, 4294967295u},
        {SDL_HAT_UP | SDL_HAT_DOWN | SDL_HAT_LEFT, 27000},
        {SDL_HAT_LEFT | SDL_HAT_RIGHT | SDL_HAT_DOWN, 18000},
        {SDL_HAT_UP | SDL_HAT_DOWN | SDL_HAT_LEFT | SDL_HAT_RIGHT, 4294967295u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TranslateSDLHat(c.sdl), c.hundredths) << "SDL hat " << int(c.sdl);
}

}  // namespace sdl_event_translation_test
