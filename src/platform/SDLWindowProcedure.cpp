#include "platform/SDLWindowProcedure.h"

#include "core/LinearMap.h"
#include "input/Context.h"
#include "input/SDLEventTranslation.h"

namespace Nimbrel {

namespace SDLWindowProcedureDetail {

LinearMap<intptr_t, Input::Context*>& InputContexts()
{
    static LinearMap<intptr_t, Input::Context*> contexts;
    return contexts;
}

intptr_t lastClosedWindow = 0;

}  // namespace SDLWindowProcedureDetail

void RegisterInputContext(intptr_t windowHandle, Input::Context* context)
{
    auto& contexts = SDLWindowProcedureDetail::InputContexts();
    if (context)
        contexts[windowHandle] = context;
    else if (contexts.Contains(windowHandle))
        contexts.Remove(windowHandle);
}

Input::Context* FindInputContext(intptr_t windowHandle)
{
    Input::Context* context = nullptr;
    SDLWindowProcedureDetail::InputContexts().TryGet(windowHandle, context);
    return context;
}

void DispatchSDLWindowEvent(const SDL_Event& event)
{
    const intptr_t handle = Input::GetSDLEventWindowID(event);
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) {
        SDLWindowProcedureDetail::lastClosedWindow = handle;
        return;
    }
    if (Input::Context* context = FindInputContext(handle))
        Input::TranslateSDLEvent(event, *context);
}

intptr_t GetLastClosedWindow()
{
    return SDLWindowProcedureDetail::lastClosedWindow;
}

void ResetLastClosedWindow()
{
    SDLWindowProcedureDetail::lastClosedWindow = 0;
}

}  // namespace Nimbrel
