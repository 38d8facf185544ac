#pragma once
// The SDL window procedure: where every SDL event the graphics device pumps in Present goes.
//
// Key, text and mouse events are translated and handed to the input context registered for
// the event's window; a close request on a window records that window as the last closed
// one, which the device's Present compares with its own window. Main thread only.

#include <SDL.h>

#include <cstdint>

namespace Nimbrel {

namespace Input {
class Context;
}

// Registers the context that receives the events of the window with the handle; none removes
// the registration.
void RegisterInputContext(intptr_t windowHandle, Input::Context* context);
// The context registered for the window handle, or none.
Input::Context* FindInputContext(intptr_t windowHandle);

void DispatchSDLWindowEvent(const SDL_Event& event);

// The handle of the last window that received a close request, 0 for none.
intptr_t GetLastClosedWindow();
void ResetLastClosedWindow();

}  // namespace Nimbrel
