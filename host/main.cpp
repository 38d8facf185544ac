// The demo host: configures and starts the Application, runs the main loop and reports any
// failure. The presentation's content (Studio, scenes, music) joins the loop as the engine
// grows; for now each frame is cleared to the presentation's background colour.
#include "core/Exception.h"
#include "core/Managed.h"
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "io/StdStreams.h"
#include "utils/Application.h"

namespace host {

using namespace Nimbrel;

// Starts the Application. A display whose visual has no multisampling at the requested count
// would end the demo before it begins; the host then says so on the console and plays without
// multisampling instead.
void StartApplication(Utils::Application& application, IO::StdOutStream& out)
{
    try {
        application.Start();
    } catch (const Exception& e) {
        out.WriteText(String::Format("Starting with 4 samples per pixel failed (%s); trying "
                                     "without multisampling.\n",
                                     e.GetMessage().CStr()));
        application.SetMultiSamples(0);
        application.Start();
    }
}

}  // namespace host

int main()
{
    using namespace Nimbrel;

    Managed<IO::StdOutStream> out(IO::CreateStdOutStream());
    Graphics::GL2CGDeviceFactory backend;
    Managed<Utils::Application> application(new Utils::Application());
    int status = 0;
    try {
        application->SetGraphicsBackend(&backend);
        application->SetMultiSamples(4);
        application->SetResolution(1024, 768);
        application->SetFullscreen(true);
        application->SetExitOnEscape(true);
        application->SetInputProcessing(true);
        application->SetNativeBorder(false);
        application->SetTitle("Nimbrel 2");
        host::StartApplication(*application, *out);

        // Studio root, content, music outlet and sync folder: set up here as they arrive.

        Graphics::Device* device = application->GetGraphicsDevice();
        while (application->Update()) {
            device->Clear(Graphics::ClearColor | Graphics::ClearDepth | Graphics::ClearStencil,
                          0.05f, 0.03f, 0.09f, 0.0f, 1.0f, 0);
        }
    } catch (const Exception& e) {
        out->WriteText(e.GetMessage());
        application->ReportException(e);
        status = 1;  // so scripts that play the demo see that it failed
    }
    application.Set(nullptr);
    out.Set(nullptr);
    return status;
}
