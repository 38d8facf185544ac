#pragma once
// Keyboard fed by the SDL event pump through SDLInputContext.

#include "input/EventQueue.h"
#include "input/Keyboard.h"

namespace Nimbrel::Input {

class SDLKeyboard : public Keyboard {
public:
    void Queue(const Input::KeyEvent& event) { queue.Push(event); }

    bool HasNextEvent() override { return queue.HasNext(); }
    Input::KeyEvent GetNextEvent() override;

private:
    EventQueue<Input::KeyEvent> queue;
};

}  // namespace Nimbrel::Input
