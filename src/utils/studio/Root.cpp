// Studio::Root: construction, the frame step, input and the menu. Save and Load are in
// RootFiles.cpp.

#include "utils/studio/Root.h"

#include "core/Exception.h"
#include "input/KeyCodes.h"
#include "utils/Application.h"
#include "utils/Bitmap2D.h"
#include "utils/ProbeProxy.h"
#include "utils/State.h"
#include "utils/draw2d/Default2DEffect.h"
#include "utils/draw2d/GraphicsDeviceBlitter.h"
#include "utils/gui/Applet.h"
#include "utils/gui/DefaultSkin.h"
#include "utils/gui/Label.h"
#include "utils/gui/Menu.h"
#include "utils/gui/MenuItem.h"
#include "utils/studio/FramebufferBrowser.h"
#include "utils/studio/ProbeBrowser.h"
#include "utils/studio/Sequencer.h"
#include "utils/studio/ProbeMonitor.h"
#include "utils/studio/ResourceBrowser.h"
#include "utils/studio/SyncData.h"
#include "utils/studio/Tracker.h"
#include "utils/xml/RWElement.h"

#include <algorithm>
#include <cmath>

namespace Nimbrel::Utils::Studio {

namespace studio_root_detail {

Draw2D::Blitter* BlitterFor(Application* application, Draw2D::Blitter* given)
{
    if (given)
        return given;
    return new Draw2D::GraphicsDeviceBlitter(application->GetGraphicsDevice(), Root::BlitterCapacity);
}

// The built-in Studio icon: a 16 x 16 blue disc in a white ring, on transparent pixels.
Bitmap2D* CreateStudioIcon()
{
    constexpr int Size = 16;
    auto* bitmap = new Bitmap2D(Size, Size, Graphics::PixelFormatR8G8B8A8);
    uint8_t* pixel = bitmap->GetData();
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x, pixel += 4) {
            const double distance = std::hypot(x + 0.5 - Size / 2.0, y + 0.5 - Size / 2.0);
            const bool ring = distance >= 5.5 && distance < 7.5;
            const bool disc = distance < 5.5;
            pixel[0] = ring ? 255 : disc ? 60 : 0;
            pixel[1] = ring ? 255 : disc ? 130 : 0;
            pixel[2] = ring ? 255 : disc ? 220 : 0;
            pixel[3] = ring || disc ? 255 : 0;
        }
    }
    return bitmap;
}

}  // namespace studio_root_detail

Root::Root(Application* application) : Root(application, nullptr, nullptr, nullptr) {}

Root::Root(Application* application, Draw2D::Blitter* blitter, Effect* overlay,
           MusicalClock::ClockFunction clockFunction)
    : Widget(studio_root_detail::BlitterFor(application, blitter)),
      application(application),
      clock(clockFunction),
      device(application->GetGraphicsDevice()),
      state(application->GetState())
{
    if (!blitter)
        ownedBlitter.Set(GetPainter());
    // What can fail comes before any child widget exists, so a failed construction leaves no
    // window behind that would outlive the blitter.
    if (overlay) {
        overlay->AddRef();
        overlayEffect.Set(overlay);
    } else {
        overlayEffect.Set(new Effects::Default2DEffect(device));
    }
    syncData.Set(new SyncData());
    SetPosition(0, 0);
    SetSize(application->GetResolution());
    skin.Set(new GUI::DefaultSkin(GetPainter()));
    icon.Set(studio_root_detail::CreateStudioIcon());
    BuildMenu();
    ResourceProxy* proxy = application->GetResourceProxy();
    proxy->SetStudioRoot(this);
    proxy->SetSkin(skin.Get());
}

Root::~Root()
{
    // The windows draw with this root's blitter and skin: they are freed while both exist.
    while (GetChildCount() > 0) {
        Widget* child = GetChild(GetChildCount() - 1);
        RemoveChild(child);
        child->Release();
    }
    Widget::Collect();
}

void Root::Close()
{
    ResourceProxy* proxy = application->GetResourceProxy();
    bool registered = false;
    try {
        registered = proxy->GetStudioRoot() == this;
    } catch (const Exception&) {
        // None is set: nothing to take back.
    }
    if (registered) {
        proxy->SetStudioRoot(static_cast<Root*>(nullptr));
        proxy->SetSkin(static_cast<GUI::Skin*>(nullptr));
    }
    Widget::Close();
}

void Root::BuildMenu()
{
    menu = new GUI::Menu(skin.Get(), this, this);
    iconItem = menu->AddItem("");
    iconItem->SetIcon(icon.Get());
    menu->AddSeparator();
    monitoringItem = menu->AddItem("Monitoring");
    GUI::Menu* monitoring = monitoringItem->GetSubMenu();
    probeMonitorItem = monitoring->AddItem("Probe Monitor");
    probeBrowserItem = monitoring->AddItem("Probe Browser");
    resourceBrowserItem = monitoring->AddItem("Resource Browser");
    framebufferBrowserItem = monitoring->AddItem("Framebuffer Browser");
    syncingItem = menu->AddItem("Syncing");
    sequencerItem = syncingItem->GetSubMenu()->AddItem("Sequencer");
    trackerItem = menu->AddItem("Tracker");
    menu->AddSeparator();
    projectItem = menu->AddItem("Project");
    GUI::Menu* project = projectItem->GetSubMenu();
    newProjectItem = project->AddItem("New Project");
    loadProjectItem = project->AddItem("Load Project");
    saveProjectItem = project->AddItem("Save Project");
    menu->AddSeparator();
    exitItem = menu->AddItem("Exit");
    menu->Hide();
}

void Root::AddSaveComponent(SaveComponent* component)
{
    saveComponents.Add(component);
}

void Root::SetFont(const GUI::FontResource& font)
{
    Widget::SetFont(font);
    skin->SetFont(font);
}

// ---- Frame ----------------------------------------------------------------------------------

void Root::Frame()
{
    clock.Advance();
    Draw2D::Blitter* blitter = GetPainter();
    blitter->Begin();
    Widget::Frame();  // Draw(this), then every child's Frame
    blitter->End();
    Composite();
    // Windows closed during this pass's events and drawing go now, outside any handler.
    Widget::Collect();
    ProbeProxy::GetGlobal()->ResetValues();
    syncData->Evaluate(GetTimeQticks());
}

void Root::CompositeOverlay()
{
    GetPainter()->End();
    Composite();
}

void Root::Composite()
{
    Graphics::BlendStateDescriptor blend;
    blend.blendEnable = true;
    blend.srcBlend = blend.srcBlendAlpha = Graphics::BlendOne;
    blend.destBlend = blend.destBlendAlpha = Graphics::BlendInvSrcAlpha;
    Graphics::SamplerStateDescriptor sampler;
    sampler.magFilter = Graphics::FilterLinear;
    sampler.minFilter = Graphics::FilterLinear;
    sampler.mipFilter = Graphics::FilterNone;
    Draw2D::Blitter* blitter = GetPainter();
    state->blendStates.Push(blend);
    state->diffuseSamplers.Push(sampler);
    state->diffuseMaps.Push(blitter->GetTexture());
    overlayEffect->Render(*blitter, *state);
    state->diffuseMaps.Pop();
    state->blendStates.Pop();
    state->diffuseSamplers.Pop();
}

void Root::Draw(Widget* widget)
{
    if (widget == this)
        PollJoystick();
}

// Axis 2 of the first joystick scrubs (pushed to the positive side it winds back, to the
// negative side forward, up to about 25 seconds per second); button 7 toggles play.
void Root::PollJoystick()
{
    if (application->GetJoystickCount() < 1)
        return;
    double axis = application->GetJoystickAxis(0, 2);
    if (std::fabs(axis) > 0.25) {
        axis += axis > 0.0 ? -0.25 : 0.25;
        const double cubed = axis * axis * axis;
        SetTime(GetTime() + application->GetFrameTime() * (cubed * -60.0));
    }
    if (application->WasJoystickButtonPressed(0, 7))
        TogglePlay();
}

void Root::TogglePlay()
{
    if (IsPaused())
        Play();
    else
        Pause();
}

// ---- Input ----------------------------------------------------------------------------------

void Root::HandleKey(int key, int state)
{
    if (key == Input::KeyControl && (state == 0 || state == 1))
        controlDown = state == 0;
    if (controlDown && key == 'S' && (state == 0 || state == 1)) {
        if (state == 0)
            RunMenuAction([this] { Save(); });
        return;
    }
    Widget::HandleKey(key, state);
}

void Root::OnKey(Widget*, int key, int state)
{
    if (state == 0) {
        keys[key] = true;
        if (key == Input::KeySpace)
            TogglePlay();
    } else if (state == 1) {
        keys[key] = false;
    }
}

void Root::OnClick(Widget* sender, const Input::MouseEvent& event)
{
    if (event.buttons & Input::MouseButtonRight) {
        const GUI::Point at = ScreenToLocal(GUI::Point(event.x, event.y));
        menu->SetPosition(at.x, at.y);
        BringToFront(menu);
        menu->Show();
        return;
    }
    if (!(event.buttons & Input::MouseButtonLeft))
        return;
    // Items that open a sub-menu keep the menu open.
    if (sender == iconItem || sender == monitoringItem || sender == syncingItem || sender == projectItem)
        return;
    if (sender == resourceBrowserItem)
        OpenResourceBrowser();
    else if (sender == trackerItem)
        OpenTracker();
    else if (sender == sequencerItem)
        OpenSequencer();
    else if (sender == probeMonitorItem)
        OpenProbeMonitor();
    else if (sender == probeBrowserItem)
        OpenProbeBrowser();
    else if (sender == framebufferBrowserItem)
        RunMenuAction([this] { OpenFramebufferBrowser(); });
    else if (sender == loadProjectItem)
        RunMenuAction([this] { Load(); });
    else if (sender == saveProjectItem)
        RunMenuAction([this] { Save(); });
    else if (sender == exitItem)
        application->RequestExit();
    menu->Hide();
}

bool Root::CanClose(Widget* widget)
{
    if (widget == tracker)
        tracker = nullptr;
    return Widget::CanClose(widget);
}

void Root::OnChildRemoved(Widget* sender, Widget* child)
{
    if (sender == this) {
        if (child == tracker)
            tracker = nullptr;
        if (loadedWindows.Contains(child))
            loadedWindows.Remove(child);
        if (child == errorWindow) {
            errorWindow = nullptr;
            errorLabel = nullptr;
        }
    }
    Widget::OnChildRemoved(sender, child);
}

// ---- Tool windows and errors ----------------------------------------------------------------

void Root::OpenResourceBrowser()
{
    auto* browser = new ResourceBrowser(skin.Get(), application->GetResourceProxy());
    AddChild(browser);
    browser->SetPosition(40, 40);
    browser->Show();
    browser->Activate();
}

ProbeMonitor* Root::OpenProbeMonitor()
{
    auto* monitor = new ProbeMonitor(skin.Get());
    AddChild(monitor);
    monitor->SetPosition(80, 80);
    monitor->Show();
    return monitor;
}

Sequencer* Root::OpenSequencer()
{
    auto* sequencer = new Sequencer(this, skin.Get());
    AddChild(sequencer);
    sequencer->SetPosition(20, 300);
    sequencer->Show();
    sequencer->Activate();
    return sequencer;
}

FramebufferBrowser* Root::OpenFramebufferBrowser()
{
    auto* browser = new FramebufferBrowser(skin.Get(), this);
    AddChild(browser);
    browser->SetPosition(140, 40);
    browser->Show();
    browser->Activate();
    return browser;
}

void Root::OpenProbeBrowser()
{
    auto* browser = new ProbeBrowser(skin.Get(), this);
    AddChild(browser);
    browser->SetPosition(100, 40);
    browser->SetSize(300, 400);
    browser->Show();
}

void Root::OpenTracker()
{
    if (!tracker) {
        auto* made = new Tracker(this);
        AddChild(made);
        made->SetPosition(60, 60);
        tracker = made;
    }
    tracker->Show();
    BringToFront(tracker);
    tracker->Activate();
}

void Root::SetTracker(GUI::Widget* window)
{
    // A loaded layout brings its own tracker: the one open before goes, so there is never a
    // second one.
    if (tracker && tracker != window && tracker->GetParent() == this)
        tracker->Close();
    tracker = window;
}

template <class Action>
void Root::RunMenuAction(const Action& action)
{
    try {
        action();
    } catch (const Exception& failure) {
        ShowError(failure.GetMessage());
    }
}

void Root::ShowError(const String& message)
{
    application->ReportException(Exception(message));
    if (IO::StdOutStream* out = application->GetStdOut())
        out->Write("\n", 1, 1);
    if (!errorWindow) {
        errorWindow = new GUI::Applet(skin.Get());
        AddChild(errorWindow);
        errorWindow->SetTitle("Studio Error");
        errorLabel = new GUI::Label(GetPainter());
        errorWindow->AddChild(errorLabel);
        errorLabel->SetPosition(6, 4);
    }
    errorLabel->SetText(message);
    const GUI::Point text = errorLabel->GetTextSize();
    errorLabel->SetSize(text);
    const GUI::Point area = GetSize();
    errorWindow->SetSize(std::min(text.x + 16, area.x), GUI::Applet::TitleHeight + text.y + 14);
    errorWindow->SetPosition(8, 8);
    errorWindow->Show();
    BringToFront(errorWindow);
}

// ---- Layout ---------------------------------------------------------------------------------

Xml::Element* Root::SaveLayout()
{
    Managed<Xml::RWElement> layout(Xml::CreateElement());
    layout->SetName("studio_root");
    for (int i = 0; i < GetChildCount(); ++i)
        if (Xml::Element* element = GetChild(i)->SaveLayout())
            layout->AppendChild(element);
    return layout.Detach();
}

}  // namespace Nimbrel::Utils::Studio
