#pragma once
// Application: the object a host program creates first.
//
// It collects the start-up configuration, creates the window, the devices and the engine's
// services in one fixed order when Start is called, and then runs one pass of the main loop
// per Update: it drains the keyboard and mouse queues (handing every event to the input
// listener and recording the key and button tables), polls the joysticks, samples the frame
// clock and presents the frame. The host draws after Update returns true, so a frame drawn in
// one pass is shown by the next Update.
//
// Setters of the configuration throw once the Application runs; getters of what Start creates
// throw before it. Every failure is an Exception; the Application catches nothing.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/Map.h"
#include "core/Object.h"
#include "core/String.h"
#include "graphics/Device.h"
#include "input/Context.h"
#include "io/FileSystem.h"
#include "io/StdStreams.h"
#include "math/Vector2t.h"
#include "platform/Window.h"
#include "sound/Device.h"
#include "utils/FramebufferProxy.h"
#include "utils/ProbeProxy.h"
#include "utils/ProfileProxy.h"
#include "utils/ResourceProxy.h"
#include "utils/State.h"
#include "utils/Timer.h"

namespace Nimbrel::Utils {

namespace GUI {
class Widget;
}

class Application : public Object {
public:
    Application();
    ~Application() override;

    // Configuration, before Start only.
    void SetNativeBorder(bool nativeBorder);
    // Bit 0 full screen, bit 1 vertical sync; other bits go to the backend unchanged.
    void SetGraphicsFlags(int flags);
    void SetFullscreen(bool fullscreen);
    void SetVSync(bool vsync);
    // Not owned: the backend must outlive the Application's Start.
    void SetGraphicsBackend(Graphics::Device::Factory* backend);
    // Not owned. Without one, Start uses the platform's input context.
    void SetInputBackend(Input::Context::Factory* backend);
    void SetMultiSamples(int samples);
    void SetResolution(int width, int height);
    void SetDepthStencilFormat(int format);
    void SetTitle(const String& title);
    // Makes a native file system rooted at the path the Application's file system.
    void SetFileSystemRoot(const String& path);
    // Takes a reference on the file system and releases the one held before.
    void SetFileSystem(IO::FileSystem* fileSystem);

    // At any time.
    void SetInputProcessing(bool enabled);
    // Turning it on also turns input processing on; turning it off leaves input processing.
    void SetExitOnEscape(bool enabled);
    // Borrowed: the caller keeps the widget alive while it is set.
    void SetInputListener(GUI::Widget* listener) { inputListener = listener; }
    GUI::Widget* GetInputListener() const { return inputListener; }

    // After Start only.
    Input::Context* GetInputContext() const;
    Window* GetWindow() const;
    IO::StdOutStream* GetStdOut() const;
    IO::StdInStream* GetStdIn() const;
    Graphics::Device* GetGraphicsDevice() const;
    Sound::Device* GetSoundDevice() const;
    ResourceProxy* GetResourceProxy() const;
    FramebufferProxy* GetFramebufferProxy() const;
    ProbeProxy* GetProbeProxy() const;
    ProfileProxy* GetProfileProxy() const;
    // The render state, with the window's resolution and the graphics device pushed.
    State* GetState() const;

    // Before and after Start: the file system set, or the native one Start made.
    IO::FileSystem* GetFileSystem() const;

    Math::Vector2t<int> GetResolution() const { return resolution; }
    String GetTitle() const { return title; }
    double GetTime() const { return time; }
    double GetFrameTime() const { return frameTime; }
    double GetFPS() const { return framesPerSecond; }

    // Input tables. A code never seen reads as false or 0.0, and so does a joystick index at
    // or past GetJoystickCount().
    bool IsKeyDown(int key) const;
    // True once per release of the key: reading clears it.
    bool WasKeyPressed(int key);
    bool IsMouseButtonDown(int button) const;
    // True once per press of the button: reading clears it.
    bool WasMouseButtonPressed(int button);
    int GetJoystickCount() const { return joysticks.Count(); }
    bool IsJoystickButtonDown(int joystick, int button) const;
    // True in the pass in which the button went down; reading does not clear it.
    bool WasJoystickButtonPressed(int joystick, int button) const;
    double GetJoystickAxis(int joystick, int axis) const;

    // Writes the message, with no line break, to the std out stream when there is one.
    void ReportException(const Exception& exception);

    // Creates the window, the devices and the services. Throws "Application::Start(): No
    // graphics backend set" without a backend; a failing step leaves what was created so far
    // to the destructor and the Application not running.
    void Start();
    // One pass of the main loop; false when the loop should end.
    bool Update();
    // Makes the next Update return false, as a released Escape does with exit-on-Escape.
    void RequestExit() { exitRequested = true; }

private:
    void ReleaseCreatedMembers(bool releaseFileSystem);
    void ProcessInput();
    void ThrowIfRunning(const char* message) const;
    void ThrowIfNotStarted(const char* message) const;

    // Configuration.
    Graphics::Device::Factory* graphicsBackend = nullptr;
    Input::Context::Factory* inputBackend = nullptr;
    Math::Vector2t<int> resolution{800, 600};
    int depthStencilFormat = Graphics::DepthStencilFormatD24S8;
    String title{"Nimbrel Application"};
    bool nativeBorder = true;
    int graphicsFlags = 0;
    int multiSamples = 0;

    // Created by Start, in this order.
    Managed<Window> window;
    Managed<Graphics::Device> graphicsDevice;
    Managed<Sound::Device> soundDevice;
    Managed<Input::Context> inputContext;
    Input::Keyboard* keyboard = nullptr;
    Input::Mouse* mouse = nullptr;
    Array<Input::Joystick*> joysticks;
    Managed<IO::FileSystem> fileSystem;
    Managed<IO::StdOutStream> stdOut;
    Managed<IO::StdInStream> stdIn;
    Managed<ResourceProxy> resourceProxy;
    Managed<FramebufferProxy> framebufferProxy;
    GUI::Widget* inputListener = nullptr;
    Managed<ProbeProxy> probeProxy;
    Managed<ProfileProxy> profileProxy;
    Managed<Timer> timer;
    Managed<State> state;

    // Frame clock.
    double time = 0.0;
    double frameTime = 0.001;
    double framesPerSecond = 1000.0;

    // Input tables.
    Map<int, bool> keyDown;
    Map<int, bool> keyPressed;
    Map<int, bool> mouseButtonDown;
    Map<int, bool> mouseButtonPressed;
    Array<Managed<Map<int, bool>>> joystickButtonDown;
    Array<Managed<Map<int, bool>>> joystickButtonPressed;
    Array<Managed<Map<int, float>>> joystickAxes;

    bool inputProcessing = false;
    bool exitOnEscape = false;
    bool exitRequested = false;
    bool running = false;
};

}  // namespace Nimbrel::Utils
