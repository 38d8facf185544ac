#include "input/SDLEventTranslation.h"

#include "input/Context.h"
#include "input/KeyCodes.h"

#include <algorithm>

namespace Nimbrel::Input {

namespace SDLEventTranslationDetail {

struct KeyEntry {
    SDL_Keycode sdl;
    int engine;
};

// Keys whose engine code is neither their ASCII letter or digit nor computed from a range.
constexpr KeyEntry KeyTable[] = {
    {SDLK_BACKSPACE, KeyBackspace},
    {SDLK_TAB, KeyTab},
    {SDLK_RETURN, KeyEnter},
    {SDLK_RETURN2, KeyEnter},
    {SDLK_KP_ENTER, KeyEnter},
    {SDLK_LSHIFT, KeyShift},
    {SDLK_RSHIFT, KeyShift},
    {SDLK_LCTRL, KeyControl},
    {SDLK_RCTRL, KeyControl},
    {SDLK_LALT, KeyAlt},
    {SDLK_RALT, KeyAlt},
    {SDLK_CAPSLOCK, KeyCapsLock},
    {SDLK_ESCAPE, KeyEscape},
    {SDLK_SPACE, KeySpace},
    {SDLK_PAGEUP, KeyPageUp},
    {SDLK_PAGEDOWN, KeyPageDown},
    {SDLK_END, KeyEnd},
    {SDLK_HOME, KeyHome},
    {SDLK_LEFT, KeyLeft},
    {SDLK_UP, KeyUp},
    {SDLK_RIGHT, KeyRight},
    {SDLK_DOWN, KeyDown},
    {SDLK_INSERT, KeyInsert},
    {SDLK_DELETE, KeyDelete},
    {SDLK_F1, KeyF1},
    {SDLK_F2, KeyF2},
    {SDLK_F3, KeyF3},
    {SDLK_F4, KeyF4},
    {SDLK_F5, KeyF5},
    {SDLK_F6, KeyF6},
    {SDLK_F7, KeyF7},
    {SDLK_F8, KeyF8},
    {SDLK_F9, KeyF9},
    {SDLK_F10, KeyF10},
    {SDLK_F11, KeyF11},
    {SDLK_F12, KeyF12},
    {SDLK_F13, KeyF13},
    {SDLK_F14, KeyF14},
    {SDLK_F15, KeyF15},
    {SDLK_F16, KeyF16},
    // Windows virtual-key values, which the engine keeps for keys it does not rename.
    {SDLK_PAUSE, 19},
    {SDLK_PRINTSCREEN, 44},
    {SDLK_LGUI, 91},
    {SDLK_RGUI, 92},
    {SDLK_APPLICATION, 93},
    {SDLK_KP_0, 96},
    {SDLK_KP_1, 97},
    {SDLK_KP_2, 98},
    {SDLK_KP_3, 99},
    {SDLK_KP_4, 100},
    {SDLK_KP_5, 101},
    {SDLK_KP_6, 102},
    {SDLK_KP_7, 103},
    {SDLK_KP_8, 104},
    {SDLK_KP_9, 105},
    {SDLK_KP_MULTIPLY, 106},
    {SDLK_KP_PLUS, 107},
    {SDLK_KP_MINUS, 109},
    {SDLK_KP_PERIOD, 110},
    {SDLK_KP_DIVIDE, 111},
    {SDLK_NUMLOCKCLEAR, 144},
    {SDLK_SCROLLLOCK, 145},
    {SDLK_SEMICOLON, 186},
    {SDLK_EQUALS, 187},
    {SDLK_PLUS, 187},
    {SDLK_COMMA, 188},
    {SDLK_MINUS, 189},
    {SDLK_PERIOD, 190},
    {SDLK_SLASH, 191},
    {SDLK_BACKQUOTE, 192},
    {SDLK_LEFTBRACKET, 219},
    {SDLK_BACKSLASH, 220},
    {SDLK_RIGHTBRACKET, 221},
    {SDLK_QUOTE, 222},
};

// Decodes one UTF-8 sequence at text[*at]; returns the code point, or -1 for a malformed
// sequence (then skips one byte). Reads nothing at or past text[limit].
int DecodeUtf8(const char* text, int limit, int* at)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const unsigned char lead = bytes[*at];
    int length;
    int codePoint;
    if (lead < 0x80) {
        length = 1;
        codePoint = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        ++*at;
        return -1;
    }
    for (int i = 1; i < length; ++i) {
        if (*at + i >= limit || (bytes[*at + i] & 0xC0) != 0x80) {
            ++*at;
            return -1;
        }
        codePoint = (codePoint << 6) | (bytes[*at + i] & 0x3F);
    }
    *at += length;
    constexpr int shortest[5] = {0, 0, 0x80, 0x800, 0x10000};
    return codePoint < shortest[length] ? -1 : codePoint;  // overlong forms are malformed
}

void QueueMouse(Context& context, int buttons, int x, int y, int wheel, int action)
{
    context.MouseEvent(buttons, x, y, 0, 0, wheel, action);
}

}  // namespace SDLEventTranslationDetail

int TranslateSDLKey(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return key;
    for (const auto& entry : SDLEventTranslationDetail::KeyTable)
        if (entry.sdl == key)
            return entry.engine;
    return -1;
}

int TranslateSDLMouseButton(uint8_t button)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return MouseButtonLeft;
    case SDL_BUTTON_MIDDLE: return MouseButtonMiddle;
    case SDL_BUTTON_RIGHT: return MouseButtonRight;
    case SDL_BUTTON_X1: return MouseButtonExtra1;
    case SDL_BUTTON_X2: return MouseButtonExtra2;
    default: return 0;
    }
}

int TranslateSDLButtonState(uint32_t state)
{
    int buttons = 0;
    if (state & SDL_BUTTON_LMASK)
        buttons |= MouseButtonLeft;
    if (state & SDL_BUTTON_RMASK)
        buttons |= MouseButtonRight;
    if (state & SDL_BUTTON_MMASK)
        buttons |= MouseButtonMiddle;
    return buttons;
}

void TranslateSDLEvent(const SDL_Event& event, Context& context)
{
    using namespace SDLEventTranslationDetail;
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const int key = TranslateSDLKey(event.key.keysym.sym);
        if (key >= 0)
            context.KeyEvent(key, event.type == SDL_KEYDOWN ? KeyActionDown : KeyActionUp);
        break;
    }
    case SDL_TEXTINPUT: {
        const char* text = event.text.text;
        // SDL terminates the text inside its fixed-size field; stop at the field's end anyway.
        const int limit = static_cast<int>(sizeof(event.text.text));
        int at = 0;
        while (at < limit && text[at] != '\0') {
            const int codePoint = DecodeUtf8(text, limit, &at);
            if (codePoint >= 32 && codePoint <= 255 && codePoint != 127)
                context.KeyEvent(codePoint, KeyActionCharacter);
        }
        break;
    }
    case SDL_MOUSEMOTION:
        QueueMouse(context, TranslateSDLButtonState(event.motion.state), event.motion.x,
                   event.motion.y, 0, MouseActionMove);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const int button = TranslateSDLMouseButton(event.button.button);
        if (button == 0)
            break;
        // Presses pair up: the second, fourth, ... press of a quick series is a double-click
        // in place of a button-down, so a double-click reads down, up, double-click, up.
        int action = MouseActionButtonUp;
        if (event.type == SDL_MOUSEBUTTONDOWN)
            action = event.button.clicks >= 2 && event.button.clicks % 2 == 0
                         ? MouseActionDoubleClick
                         : MouseActionButtonDown;
        QueueMouse(context, button, event.button.x, event.button.y, 0, action);
        break;
    }
    case SDL_MOUSEWHEEL: {
        int notches = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        if (notches == 0)
            break;
        QueueMouse(context, 0, event.wheel.mouseX, event.wheel.mouseY, notches * 120,
                   MouseActionWheel);
        break;
    }
    default:
        break;
    }
}

uint32_t GetSDLEventWindowID(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT: return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return event.key.windowID;
    case SDL_TEXTINPUT: return event.text.windowID;
    case SDL_TEXTEDITING: return event.edit.windowID;
    case SDL_MOUSEMOTION: return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return event.button.windowID;
    case SDL_MOUSEWHEEL: return event.wheel.windowID;
    default: return 0;
    }
}

float ScaleSDLAxis(int value)
{
    return std::clamp(static_cast<float>(value) / 32768.0f, -1.0f, 1.0f);
}

uint32_t TranslateSDLHat(uint8_t hat)
{
    const bool up = (hat & SDL_HAT_UP) && !(hat & SDL_HAT_DOWN);
    const bool down = (hat & SDL_HAT_DOWN) && !(hat & SDL_HAT_UP);
    const bool right = (hat & SDL_HAT_RIGHT) && !(hat & SDL_HAT_LEFT);
    const bool left = (hat & SDL_HAT_LEFT) && !(hat & SDL_HAT_RIGHT);
    if (up)
        return right ? 4500 : left ? 31500 : 0;
    if (down)
        return right ? 13500 : left ? 22500 : 18000;
    if (right)
        return 9000;
    if (left)
        return 27000;
    return HatCentred;
}

void TranslateControllerState(const int16_t sdlAxes[SDL_CONTROLLER_AXIS_MAX],
                              const uint8_t sdlButtons[SDL_CONTROLLER_BUTTON_MAX],
                              float axes[Joystick::AxisSlots], bool buttons[ControllerButtonCount])
{
    std::fill(axes, axes + Joystick::FirstHatSlot, 0.0f);
    std::fill(axes + Joystick::FirstHatSlot, axes + Joystick::AxisSlots, static_cast<float>(HatCentred));
    axes[0] = ScaleSDLAxis(sdlAxes[SDL_CONTROLLER_AXIS_LEFTX]);
    axes[1] = ScaleSDLAxis(sdlAxes[SDL_CONTROLLER_AXIS_LEFTY]);
    axes[2] = ScaleSDLAxis(sdlAxes[SDL_CONTROLLER_AXIS_TRIGGERLEFT] -
                           sdlAxes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT]);
    axes[3] = ScaleSDLAxis(sdlAxes[SDL_CONTROLLER_AXIS_RIGHTX]);
    axes[4] = ScaleSDLAxis(sdlAxes[SDL_CONTROLLER_AXIS_RIGHTY]);

    constexpr SDL_GameControllerButton order[ControllerButtonCount] = {
        SDL_CONTROLLER_BUTTON_A,
        SDL_CONTROLLER_BUTTON_B,
        SDL_CONTROLLER_BUTTON_X,
        SDL_CONTROLLER_BUTTON_Y,
        SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
        SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
        SDL_CONTROLLER_BUTTON_BACK,
        SDL_CONTROLLER_BUTTON_START,
        SDL_CONTROLLER_BUTTON_LEFTSTICK,
        SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    };
    for (int i = 0; i < ControllerButtonCount; ++i)
        buttons[i] = sdlButtons[order[i]] != 0;

    uint8_t dpad = SDL_HAT_CENTERED;
    if (sdlButtons[SDL_CONTROLLER_BUTTON_DPAD_UP])
        dpad |= SDL_HAT_UP;
    if (sdlButtons[SDL_CONTROLLER_BUTTON_DPAD_RIGHT])
        dpad |= SDL_HAT_RIGHT;
    if (sdlButtons[SDL_CONTROLLER_BUTTON_DPAD_DOWN])
        dpad |= SDL_HAT_DOWN;
    if (sdlButtons[SDL_CONTROLLER_BUTTON_DPAD_LEFT])
        dpad |= SDL_HAT_LEFT;
    axes[Joystick::FirstHatSlot] = static_cast<float>(TranslateSDLHat(dpad));
}

}  // namespace Nimbrel::Input
