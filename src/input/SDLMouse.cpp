#include "input/SDLMouse.h"

#include "platform/Window.h"

#include <SDL.h>

namespace Nimbrel::Input {

MouseEvent SDLMouse::GetNextEvent()
{
    return queue.Next("GetNextEvent(): No events in queue for mouse (Use HasNextEvent() to check if "
                      "events are available)");
}

void SDLMouse::HideCursor()
{
    SDL_ShowCursor(SDL_DISABLE);
}

void SDLMouse::ShowCursor()
{
    SDL_ShowCursor(SDL_ENABLE);
}

void SDLMouse::SetCursorPosition(int x, int y)
{
    SDL_Window* native = window ? SDL_GetWindowFromID(static_cast<uint32_t>(window->GetHandle())) : nullptr;
    if (native)
        SDL_WarpMouseInWindow(native, x, y);
}

}  // namespace Nimbrel::Input
