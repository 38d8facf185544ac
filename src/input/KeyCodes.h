#pragma once
// Engine key codes. Letters and digits are their upper-case ASCII codes ('A' … 'Z', '0' … '9');
// other keys that have no entry here keep their Windows virtual-key value (keypad digits 96 …
// 105, punctuation 186 … 222). The function keys are not consecutive: F6 is 281, F7 is 288.

#include <cstdint>

namespace Nimbrel::Input {

enum KeyCode : int32_t {
    KeyTab = 9,
    KeyEnter = 10,
    KeySpace = 32,
    KeyEscape = 257,
    KeyAlt = 259,
    KeyShift = 260,
    KeyControl = 262,
    KeyCapsLock = 264,
    KeyUp = 272,
    KeyDown = 273,
    KeyLeft = 274,
    KeyRight = 275,
    KeyF1 = 276,
    KeyF2 = 277,
    KeyF3 = 278,
    KeyF4 = 279,
    KeyF5 = 280,
    KeyF6 = 281,
    KeyF7 = 288,
    KeyF8 = 289,
    KeyF9 = 290,
    KeyF10 = 291,
    KeyF11 = 292,
    KeyF12 = 293,
    KeyF13 = 294,
    KeyF14 = 295,
    KeyF15 = 296,
    KeyF16 = 297,
    KeyPageUp = 304,
    KeyPageDown = 305,
    KeyHome = 306,
    KeyEnd = 307,
    KeyInsert = 308,
    KeyDelete = 309,
    KeyBackspace = 310,
};

}  // namespace Nimbrel::Input
