// A program's main loop: a window, a device, and a frame cleared until Escape or close.
#include "core/Exception.h"
#include "core/Managed.h"
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "utils/Application.h"

#include <cstdio>

int main()
{
    using namespace Nimbrel;
    Graphics::GL2CGDeviceFactory backend;
    Managed<Utils::Application> application(new Utils::Application());
    try {
        application->SetGraphicsBackend(&backend);
        application->SetResolution(640, 480);
        application->SetExitOnEscape(true);
        application->Start();
        Graphics::Device* device = application->GetGraphicsDevice();
        while (application->Update())
            device->Clear(Graphics::ClearColor | Graphics::ClearDepth, 0.1f, 0.1f, 0.2f, 0.0f, 1.0f, 0);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.GetMessage().CStr());
        return 1;
    }
    return 0;
}
