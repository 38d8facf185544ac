#pragma once
// Translation of SDL events into the engine's key and mouse events, and of SDL game
// controller readings into the engine's game-pad layout. Pure functions: they read only their
// arguments, so they are tested as tables.
//
// Keys: letters and digits give their upper-case ASCII code; the keys of KeyCodes.h give
// their engine code (both Shifts, Ctrls and Alts one code each, keypad Enter like Enter); the
// keypad and punctuation keys give their Windows virtual-key value; other keys are dropped.
// Text input gives one character event per character; characters outside the engine's 8-bit
// set (code points above 255) and control characters are dropped.
// Mouse: SDL's left, middle, right buttons are 1, 4, 2; X1 and X2 are 8 and 16; the second
// press of a double-click gives only a double-click event (down, up, double-click, up), and a
// third press starts a new pair; wheel deltas are 120 per notch; positions are client
// coordinates.

#include "input/Joystick.h"

#include <SDL.h>

#include <cstdint>

namespace Nimbrel::Input {

class Context;

// The engine key code of an SDL key, or -1 when the engine has none.
int TranslateSDLKey(SDL_Keycode key);
// The engine button bit of an SDL button number, or 0 for an unknown button.
int TranslateSDLMouseButton(uint8_t button);
// The held left, right and middle buttons of an SDL button state, as engine bits.
int TranslateSDLButtonState(uint32_t state);

// Hands the engine events an SDL event stands for to the context, in order. Events that are
// not key, text or mouse events give nothing.
void TranslateSDLEvent(const SDL_Event& event, Context& context);

// The SDL window id an event is addressed to; 0 for events that belong to no window.
uint32_t GetSDLEventWindowID(const SDL_Event& event);

// Game pad layout of an SDL game controller, in the joystick axis slots of Joystick.h: axes
// 0/1 left stick (X, Y), 2 both triggers combined (Z: left trigger towards +1, right towards
// -1, 0 at rest), 3/4 right stick (rotation X, Y), 5 … 7 unused (0), the D-pad as hat 0
// (slot 8), hats 1 … 3 centred; buttons 0 … 9 A, B, X, Y, left shoulder, right shoulder,
// Back, Start, left stick, right stick.
constexpr int ControllerAxisCount = 5;
constexpr int ControllerButtonCount = 10;

// The hat value of a centred (or missing) point-of-view hat.
constexpr uint32_t HatCentred = 4294967295u;

// An SDL axis reading (-32768 … 32767) as -1 … 1.
float ScaleSDLAxis(int value);
// An SDL hat position (SDL_HAT_* bits) in hundredths of a degree clockwise from north;
// HatCentred when no direction is held. Opposite directions held together cancel.
uint32_t TranslateSDLHat(uint8_t hat);
// Fills the game pad's axis slots and buttons from SDL's controller readings, indexed by
// SDL_GameControllerAxis and SDL_GameControllerButton.
void TranslateControllerState(const int16_t sdlAxes[SDL_CONTROLLER_AXIS_MAX],
                              const uint8_t sdlButtons[SDL_CONTROLLER_BUTTON_MAX],
                              float axes[Joystick::AxisSlots],
                              bool buttons[ControllerButtonCount]);

}  // namespace Nimbrel::Input
