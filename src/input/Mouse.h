#pragma once
// Mouse: the queue of mouse events the window system delivered, and the cursor.

#include "core/Object.h"
#include "input/Events.h"

namespace Nimbrel::Input {

class Mouse : public Object {
public:
    ~Mouse() override = default;
    virtual bool HasNextEvent() = 0;
    // Takes the oldest event; throws when the queue is empty.
    virtual MouseEvent GetNextEvent() = 0;
    virtual void HideCursor() = 0;
    virtual void ShowCursor() = 0;
    // Moves the cursor to a client position of the window.
    virtual void SetCursorPosition(int x, int y) = 0;
};

}  // namespace Nimbrel::Input
