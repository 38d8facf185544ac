#pragma once
// Keyboard: the queue of key events the window system delivered, read by the Application once
// per pass.

#include "core/Object.h"
#include "input/Events.h"

namespace Nimbrel::Input {

class Keyboard : public Object {
public:
    ~Keyboard() override = default;
    virtual bool HasNextEvent() = 0;
    // Takes the oldest event; throws when the queue is empty.
    virtual KeyEvent GetNextEvent() = 0;
};

}  // namespace Nimbrel::Input
