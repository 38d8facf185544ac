// The demo host: configures and starts the Application, builds the Studio over it, loads the
// content of "data/", plays the music and draws one frame of the presentation per pass, timed
// by the Studio's clock, which the music follows. Any failure ends the presentation with its
// message and exit status 1; a wrong command line prints the usage and exits with 2.
//
// In capture mode the Studio's clock reads a time the host steps by one frame per pass, so
// frames come at a fixed step as fast as they can be drawn; nothing is heard, and the music of
// the span is written beside the frames.
#include "CommandLine.h"
#include "FrameCapture.h"
#include "GLFrameReader.h"
#include "Presentation.h"
#include "StudioProject.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "graphics/Device.h"
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "io/FileSystem.h"
#include "io/StdStreams.h"
#include "platform/Clock.h"
#include "utils/Application.h"
#include "utils/ProbeValue.h"
#include "utils/Resource.h"
#include "utils/ResourceProxy.h"
#include "utils/audio/Outlet.h"
#include "utils/gui/Widget.h"
#include "utils/studio/Root.h"
#include "utils/studio/SyncData.h"
#include "utils/typography/FontFace.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace host {

using namespace Nimbrel;

// The Studio clock's reading in capture mode: the time of the frame to be drawn next.
double captureSeconds = 0.0;
double CaptureClock()
{
    return captureSeconds;
}

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

// Owns the Studio root until the end of the protected block: it stops listening, is closed
// and collected there, before the Application and its device go.
class StudioHold {
public:
    StudioHold(Utils::Application& application, Utils::Studio::Root* root) : application(application), root(root) {}
    ~StudioHold()
    {
        application.SetInputListener(nullptr);
        try {
            root->Close();
        } catch (const Exception&) {
            // Nothing left to tell: the root goes with the collection below either way.
        }
        Utils::GUI::Widget::Collect();
    }
    StudioHold(const StudioHold&) = delete;
    StudioHold& operator=(const StudioHold&) = delete;
    Utils::Studio::Root* operator->() const { return root; }

private:
    Utils::Application& application;
    Utils::Studio::Root* root;
};

// Capture mode: the music of the span written first, then per pass the Studio's clock stepped
// to the next frame's time, the finished frame read back and written, and the progress line.
class CaptureRun {
public:
    CaptureRun(const CommandLine& line, Utils::Audio::Stream* music, Graphics::Device* device)
        : line(line), files(line.captureFolder), reader(device), started(GetSeconds())
    {
        const double to = line.to >= 0.0 ? line.to : music->GetDuration();
        frameCount = FrameCapture::FrameCount(line.from, to, line.fps);
        if (frameCount == 0)
            throw Exception(String::Format("Capture: The music ends at %.3f s, before --from", to));
        files.RemoveFramesFrom(frameCount);
        const double rate = music->GetSampleRate();
        files.WriteAudio(music, std::llround(line.from * rate), std::llround(to * rate));
    }

    // Before the Studio's Frame, which advances its clock for the next frame.
    void StepClock() { captureSeconds = FrameCapture::FrameTime(line.from, line.fps, written + 1); }
    // After the Studio's Frame; true once the last frame is written.
    bool WriteFrame(IO::StdOutStream& out)
    {
        files.WriteFrame(written, reader.GetWidth(), reader.GetHeight(), reader.Read());
        ++written;
        const std::string progress = FrameCapture::Progress(written, frameCount, GetSeconds() - started);
        out.WriteText(String::Format("\r%s   ", progress.c_str()));
        if (written < frameCount)
            return false;
        out.WriteText("\n");
        return true;
    }
    // The window closed or Escape ended the loop early.
    void ThrowUnlessComplete() const
    {
        if (written < frameCount)
            throw Exception(String::Format("Capture: Ended after %d of %d frames", written, frameCount));
    }

private:
    const CommandLine& line;
    FrameCapture files;
    GLFrameReader reader;
    double started;
    int frameCount = 0;
    int written = 0;
};

void Configure(Utils::Application& application, Graphics::Device::Factory* backend, const CommandLine& line)
{
    application.SetGraphicsBackend(backend);
    application.SetMultiSamples(4);
    application.SetResolution(1024, 768);
    application.SetFullscreen(!line.windowed && !line.capture);
    application.SetExitOnEscape(true);
    application.SetInputProcessing(true);
    application.SetNativeBorder(line.windowed || line.capture);
    application.SetTitle("Nimbrel 2");
}

int Play(const CommandLine& line, IO::StdOutStream& out, double processStart)
{
    Graphics::GL2CGDeviceFactory backend;
    Managed<Utils::Application> application(new Utils::Application());
    int status = 0;
    try {
        Configure(*application, &backend, line);
        StartApplication(*application, out);

        captureSeconds = line.from;
        StudioHold root(*application, new Utils::Studio::Root(application.Get(), nullptr, nullptr,
                                                              line.capture ? &CaptureClock : nullptr));
        // Player mode: the hidden root neither draws nor polls the joystick, and hears no input.
        if (line.noStudio)
            root->Hide();
        else
            application->SetInputListener(root.operator->());

        Utils::ResourceProxy* proxy = application->GetResourceProxy();
        Utils::Resource<Utils::Typography::FontFace, Utils::ResourceType::FontFace> font(proxy,
                                                                                       "data/DejaVuSans.ttf:12");
        root->SetFont(font);
        Presentation presentation(*application);

        // Capture reads the music itself and plays nothing: the outlet's feeder would own it.
        std::unique_ptr<Utils::Audio::Outlet> outlet;
        if (!line.capture)
            outlet = std::make_unique<Utils::Audio::Outlet>(presentation.GetMusic(), application->GetSoundDevice(), 4096);
        root->SetTempo(140.0);
        root->SetTimeSource(outlet.get());

        root->SetDataFolder(Utils::Studio::FolderResource(proxy, "data/sync/"));
        LoadStudioProject(*root.operator->(), !line.noStudio);
        proxy->Collect();

        std::optional<CaptureRun> capture;
        if (line.capture)
            capture.emplace(line, presentation.GetMusic(), application->GetGraphicsDevice());
        if (outlet)
            outlet->Play();

        Utils::ProbeValue<int> sceneNumber("scene_no");
        sceneNumber = -2;
        root->SetTime(line.from);
        // The first frame reads the values of its own time too.
        root->GetSyncData()->Evaluate(root->GetTimeQticks());

        int passes = 0;
        Utils::ProbeValue<float> framesPerSecond("FPS");
        while (application->Update()) {
            // The frame drawn in the first pass is the one the second pass presented.
            if (++passes == 2 && line.startupTime)
                out.WriteText(String::Format("first frame presented after %.3f s\n", GetSeconds() - processStart));
            framesPerSecond = static_cast<float>(application->GetFPS());
            presentation.Draw(static_cast<float>(root->GetTime()));
            if (capture)
                capture->StepClock();
            root->Frame();
            if (capture && capture->WriteFrame(out))
                break;
        }
        if (capture)
            capture->ThrowUnlessComplete();
        // The outlet goes first, waiting for its feeder; then the content, then the Studio.
        outlet.reset();
    } catch (const Exception& e) {
        // Once, on a line of its own: the Application's report would repeat it on the same line.
        out.WriteText(e.GetMessage() + "\n");
        status = 1;  // so scripts that play the demo see that it failed
    }
    application.Set(nullptr);
    return status;
}

}  // namespace host

int main(int argc, char** argv)
{
    using namespace Nimbrel;
    const double processStart = GetSeconds();
    host::CommandLine line;
    try {
        line = host::CommandLine::Parse(argc, argv);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n\n%s", e.GetMessage().CStr(), host::CommandLine::Usage());
        return 2;
    }
    if (line.help) {
        std::fputs(host::CommandLine::Usage(), stdout);
        return 0;
    }
    Managed<IO::StdOutStream> out(IO::CreateStdOutStream());
    const int status = host::Play(line, *out, processStart);
    out.Set(nullptr);
    return status;
}
