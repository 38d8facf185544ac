#pragma once
// Mouse fed by the SDL event pump through SDLInputContext; the cursor calls go to SDL.

#include "input/EventQueue.h"
#include "input/Mouse.h"

namespace Nimbrel {
class Window;
}

namespace Nimbrel::Input {

class SDLMouse : public Mouse {
public:
    // The window (borrowed; it outlives the input context) places SetCursorPosition.
    explicit SDLMouse(Window* window) : window(window) {}

    void Queue(const Input::MouseEvent& event) { queue.Push(event); }

    bool HasNextEvent() override { return queue.HasNext(); }
    Input::MouseEvent GetNextEvent() override;
    void HideCursor() override;
    void ShowCursor() override;
    void SetCursorPosition(int x, int y) override;

private:
    EventQueue<Input::MouseEvent> queue;
    Window* window;
};

}  // namespace Nimbrel::Input
