#include "input/SDLKeyboard.h"

namespace Nimbrel::Input {

KeyEvent SDLKeyboard::GetNextEvent()
{
    return queue.Next("GetNextEvent(): No events in queue for keyboard (Use HasNextEvent() to check "
                      "if events are available)");
}

}  // namespace Nimbrel::Input
