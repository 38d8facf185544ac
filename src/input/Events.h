#pragma once
// The records the keyboard and mouse queues hold.
//
// Key actions: 0 down, 1 up (key is an engine key code, see KeyCodes.h), 2 character (key is
// the character code, 32 … 255 in the engine's 8-bit character set).
// Mouse actions: 0 move, 1 button down, 2 button up, 3 double click, 4 wheel. Buttons are bits:
// 1 left, 2 right, 4 middle, 8 and 16 the two extra buttons; a move carries the held left,
// right and middle buttons. x and y are client coordinates; wheel is 120 per notch, positive
// away from the user.

#include <cstdint>

namespace Nimbrel::Input {

struct KeyEvent {
    int32_t key;
    int32_t action;
    bool operator==(const KeyEvent&) const = default;
};

struct MouseEvent {
    int32_t buttons;
    int32_t x;
    int32_t y;
    int32_t reserved0;
    int32_t reserved1;
    int32_t wheel;
    int32_t action;
    bool operator==(const MouseEvent&) const = default;
};

enum KeyAction : int32_t { KeyActionDown = 0, KeyActionUp = 1, KeyActionCharacter = 2 };

enum MouseAction : int32_t {
    MouseActionMove = 0,
    MouseActionButtonDown = 1,
    MouseActionButtonUp = 2,
    MouseActionDoubleClick = 3,
    MouseActionWheel = 4,
};

enum MouseButton : int32_t {
    MouseButtonLeft = 1,
    MouseButtonRight = 2,
    MouseButtonMiddle = 4,
    MouseButtonExtra1 = 8,
    MouseButtonExtra2 = 16,
};

}  // namespace Nimbrel::Input
