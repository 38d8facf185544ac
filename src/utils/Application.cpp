#include "utils/Application.h"

#include "input/KeyCodes.h"
#include "io/NativeFileSystem.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils {

Application::Application() = default;

Application::~Application()
{
    ReleaseCreatedMembers(true);
    inputListener = nullptr;  // borrowed, not destroyed
    title = String();
}

// What Start creates is released in the reverse order of creation; objects that someone else
// still references outlive this. The borrowed listener and what was configured before Start
// stay; the file system, which may have been configured, goes only when asked.
void Application::ReleaseCreatedMembers(bool releaseFileSystem)
{
    joystickAxes.Clear();
    joystickButtonPressed.Clear();
    joystickButtonDown.Clear();
    mouseButtonPressed.Clear();
    mouseButtonDown.Clear();
    keyPressed.Clear();
    keyDown.Clear();
    state.Set(nullptr);
    timer.Set(nullptr);
    profileProxy.Set(nullptr);
    probeProxy.Set(nullptr);
    framebufferProxy.Set(nullptr);
    // A cached object that holds handles (a scene and its textures) holds the proxy through
    // them: freeing what only the cache holds breaks that cycle, so the proxy goes too.
    if (resourceProxy)
        resourceProxy->Collect();
    resourceProxy.Set(nullptr);
    stdIn.Set(nullptr);
    stdOut.Set(nullptr);
    if (releaseFileSystem)
        fileSystem.Set(nullptr);
    joysticks.Clear();
    keyboard = nullptr;
    mouse = nullptr;
    inputContext.Set(nullptr);
    soundDevice.Set(nullptr);
    graphicsDevice.Set(nullptr);
    window.Set(nullptr);
}

void Application::ThrowIfRunning(const char* message) const
{
    if (running)
        throw Exception(message);
}

void Application::ThrowIfNotStarted(const char* message) const
{
    if (!running)
        throw Exception(message);
}

void Application::SetNativeBorder(bool border)
{
    ThrowIfRunning("Application::SetNativeBorder(): Can not change border while application is running");
    nativeBorder = border;
}

void Application::SetGraphicsFlags(int flags)
{
    ThrowIfRunning("Application::SetGraphicsFlags(): Can not change graphics flags while application is running");
    graphicsFlags = flags;
}

void Application::SetFullscreen(bool fullscreen)
{
    ThrowIfRunning("Application::SetFullscreen(): Can not change graphics flags while application is running");
    graphicsFlags = fullscreen ? graphicsFlags | Graphics::DeviceFlagFullScreen : graphicsFlags & ~Graphics::DeviceFlagFullScreen;
}

void Application::SetVSync(bool vsync)
{
    ThrowIfRunning("Application::SetVSync(): Can not change graphics flags while application is running");
    graphicsFlags = vsync ? graphicsFlags | Graphics::DeviceFlagVSync : graphicsFlags & ~Graphics::DeviceFlagVSync;
}

void Application::SetGraphicsBackend(Graphics::Device::Factory* backend)
{
    ThrowIfRunning("Application::SetGraphicsBackend(): Can not change graphics backend while application is running");
    graphicsBackend = backend;
}

void Application::SetInputBackend(Input::Context::Factory* backend)
{
    ThrowIfRunning("Application::SetInputBackend(): Can not change input backend while application is running");
    inputBackend = backend;
}

void Application::SetMultiSamples(int samples)
{
    ThrowIfRunning("Application::SetMultiSamples(): Can not change multi sample level while application is running");
    multiSamples = samples;
}

void Application::SetResolution(int width, int height)
{
    ThrowIfRunning("Application::SetResolution(): Can not change resolution while application is running");
    resolution = Math::Vector2t<int>(width, height);
}

void Application::SetDepthStencilFormat(int format)
{
    ThrowIfRunning("Application::SetDepthStencilFormat(): Can not change depth/stencil format while application is running");
    depthStencilFormat = format;
}

void Application::SetTitle(const String& newTitle)
{
    ThrowIfRunning("Application::SetTitle(): Can not change title while application is running");
    title = newTitle;
}

void Application::SetFileSystemRoot(const String& path)
{
    ThrowIfRunning("Application::SetFileSystemRoot(): Can not change file system root while application is running");
    fileSystem.Set(IO::NativeFileSystem::Create(path));
}

void Application::SetFileSystem(IO::FileSystem* system)
{
    ThrowIfRunning("Application::SetFileSystem(): Can not change file system while application is running");
    if (!system) {
        fileSystem.Set(nullptr);
        throw Exception("Managed nullpointer access attempt");
    }
    system->AddRef();
    fileSystem.Set(system);
}

IO::FileSystem* Application::GetFileSystem() const
{
    if (!fileSystem)
        throw Exception("Application::GetFileSystem(): No file system is set");
    return fileSystem.Get();
}

void Application::SetInputProcessing(bool enabled)
{
    inputProcessing = enabled;
}

void Application::SetExitOnEscape(bool enabled)
{
    exitOnEscape = enabled;
    if (enabled)
        inputProcessing = true;
}

Input::Context* Application::GetInputContext() const
{
    ThrowIfNotStarted("Application::GetInputContext(): Can not get input context before application is started");
    return inputContext.Get();
}

Window* Application::GetWindow() const
{
    ThrowIfNotStarted("Application::GetWindow(): Can not get window before application is started");
    return window.Get();
}

IO::StdOutStream* Application::GetStdOut() const
{
    ThrowIfNotStarted("Application::GetStdOut(): Can not get stdout before application is started");
    return stdOut.Get();
}

IO::StdInStream* Application::GetStdIn() const
{
    ThrowIfNotStarted("Application::GetStdIn(): Can not get stdin before application is started");
    return stdIn.Get();
}

Graphics::Device* Application::GetGraphicsDevice() const
{
    ThrowIfNotStarted("Application::GetGraphicsDevice(): Can not get graphics device before application is started");
    if (!graphicsDevice)
        throw Exception("Application::GetGraphicsDevice(): No graphics device present");
    return graphicsDevice.Get();
}

Sound::Device* Application::GetSoundDevice() const
{
    ThrowIfNotStarted("Application::GetSoundDevice(): Can not get sound device before application is started");
    if (!soundDevice)
        throw Exception("Application::GetSoundDevice(): No sound device present");
    return soundDevice.Get();
}

ResourceProxy* Application::GetResourceProxy() const
{
    ThrowIfNotStarted("Application::GetResourceProxy(): Can not get proxy before application is started");
    return resourceProxy.Get();
}

FramebufferProxy* Application::GetFramebufferProxy() const
{
    ThrowIfNotStarted("Application::GetFramebufferProxy(): Can not get proxy before application is started");
    return framebufferProxy.Get();
}

ProbeProxy* Application::GetProbeProxy() const
{
    ThrowIfNotStarted("Application::GetProbeProxy(): Can not get probe proxy before application is started");
    return probeProxy.Get();
}

State* Application::GetState() const
{
    ThrowIfNotStarted("Application::GetState(): Can not get state before application is started");
    return state.Get();
}

ProfileProxy* Application::GetProfileProxy() const
{
    ThrowIfNotStarted("Application::GetProfileProxy(): Can not get profile proxy before application is started");
    return profileProxy.Get();
}

bool Application::IsKeyDown(int key) const
{
    bool down = false;
    keyDown.TryGet(key, down);
    return down;
}

bool Application::WasKeyPressed(int key)
{
    bool pressed = false;
    if (keyPressed.TryGet(key, pressed) && pressed)
        keyPressed[key] = false;
    return pressed;
}

bool Application::IsMouseButtonDown(int button) const
{
    bool down = false;
    mouseButtonDown.TryGet(button, down);
    return down;
}

bool Application::WasMouseButtonPressed(int button)
{
    bool pressed = false;
    if (mouseButtonPressed.TryGet(button, pressed) && pressed)
        mouseButtonPressed[button] = false;
    return pressed;
}

bool Application::IsJoystickButtonDown(int joystick, int button) const
{
    bool down = false;
    if (joystick >= 0 && joystick < joystickButtonDown.Count())
        joystickButtonDown[joystick]->TryGet(button, down);
    return down;
}

bool Application::WasJoystickButtonPressed(int joystick, int button) const
{
    bool pressed = false;
    if (joystick >= 0 && joystick < joystickButtonPressed.Count())
        joystickButtonPressed[joystick]->TryGet(button, pressed);
    return pressed;
}

double Application::GetJoystickAxis(int joystick, int axis) const
{
    float value = 0.0f;
    if (joystick >= 0 && joystick < joystickAxes.Count())
        joystickAxes[joystick]->TryGet(axis, value);
    return value;
}

void Application::ReportException(const Exception& exception)
{
    if (stdOut)
        stdOut->WriteText(exception.GetMessage());
}

void Application::Start()
{
    if (!graphicsBackend)
        throw Exception("Application::Start(): No graphics backend set");
    if (running)
        throw Exception("Application::Start(): Application is already running");
    // A Start that failed part of the way left its members behind; they go first, in order, so
    // that no device outlives the window it was made for.
    ReleaseCreatedMembers(false);

    window.Set(Window::Create(resolution.x, resolution.y, title, nativeBorder));
    graphicsDevice.Set(graphicsBackend->CreateDevice(
        window.Get(), static_cast<Graphics::DepthStencilFormat>(depthStencilFormat), multiSamples,
        graphicsFlags));

    soundDevice.Set(Sound::Device::Create(window.Get()));

    Input::Context::Factory* inputFactory = inputBackend ? inputBackend : Input::Context::GetDefaultFactory();
    inputContext.Set(inputFactory->CreateContext(window.Get()));
    keyboard = inputContext->GetKeyboard();
    mouse = inputContext->GetMouse();
    const int joystickCount = inputContext->GetJoystickCount();
    for (int i = 0; i < joystickCount; ++i) {
        joysticks.Add(inputContext->GetJoystick(i));
        joystickAxes.Add(Managed<Map<int, float>>(new Map<int, float>()));
        joystickButtonDown.Add(Managed<Map<int, bool>>(new Map<int, bool>()));
        joystickButtonPressed.Add(Managed<Map<int, bool>>(new Map<int, bool>()));
    }

    if (!fileSystem)
        fileSystem.Set(IO::NativeFileSystem::Create("."));

    stdOut.Set(IO::CreateStdOutStream());
    stdIn.Set(IO::CreateStdInStream());

    probeProxy.Set(new ProbeProxy());
    probeProxy->SetGlobal();
    profileProxy.Set(new ProfileProxy(probeProxy.Get()));
    profileProxy->SetGlobal();

    auto* proxy = new DefaultResourceProxy();
    resourceProxy.Set(proxy);
    proxy->SetGraphicsDevice(graphicsDevice.Get());
    proxy->SetSoundDevice(soundDevice.Get());
    proxy->SetFileSystem(fileSystem.Get());

    framebufferProxy.Set(new FramebufferProxy(graphicsDevice.Get()));

    timer.Set(new Timer());

    state.Set(new State());
    state->resolutions.Push(resolution);
    state->devices.Push(graphicsDevice.Get());

    running = true;
}

void Application::ProcessInput()
{
    while (keyboard && keyboard->HasNextEvent()) {
        const Input::KeyEvent event = keyboard->GetNextEvent();
        if (inputListener)
            inputListener->HandleKey(event.key, event.action);
        if (event.action == Input::KeyActionDown) {
            keyDown[event.key] = true;
        } else if (event.action == Input::KeyActionUp) {
            keyDown[event.key] = false;
            keyPressed[event.key] = true;
        }
    }

    while (mouse && mouse->HasNextEvent()) {
        const Input::MouseEvent event = mouse->GetNextEvent();
        if (inputListener)
            inputListener->HandleMouse(Math::Vector2t<int>(event.x, event.y), event);
        if (event.action == Input::MouseActionButtonDown) {
            mouseButtonDown[event.buttons] = true;
            mouseButtonPressed[event.buttons] = true;
        } else if (event.action == Input::MouseActionButtonUp) {
            mouseButtonDown[event.buttons] = false;
        }
    }

    for (int i = 0; i < joysticks.Count(); ++i) {
        Input::Joystick* joystick = joysticks[i];
        if (!joystick)
            continue;
        joystick->Update();
        Map<int, bool>& down = *joystickButtonDown[i];
        Map<int, bool>& pressed = *joystickButtonPressed[i];
        const int buttonCount = joystick->GetButtonCount();
        for (int b = 0; b < buttonCount; ++b) {
            const bool now = joystick->GetButton(b);
            bool before = false;
            down.TryGet(b, before);
            down[b] = now;
            pressed[b] = now && !before;
        }
        Map<int, float>& axes = *joystickAxes[i];
        const int axisCount = joystick->GetAxisCount();
        for (int a = 0; a < axisCount; ++a)
            axes[a] = joystick->GetAxis(a);
    }
}

bool Application::Update()
{
    if (inputProcessing)
        ProcessInput();

    bool escapeReleased = false;
    if (exitOnEscape && keyPressed.TryGet(Input::KeyEscape, escapeReleased) && escapeReleased)
        return false;
    // Input handlers (a menu's "Exit") may have asked for the end during ProcessInput.
    if (exitRequested)
        return false;

    time = timer->GetElapsed();
    frameTime = timer->GetDelta();
    framesPerSecond = timer->GetFPS();

    return graphicsDevice->Present();
}

}  // namespace Nimbrel::Utils
