#pragma once
// Studio::Root: the top widget of the in-program editor and the owner of the presentation's
// clock.
//
// The host makes it its Application's input listener and calls Frame() once per pass, after
// the presentation is drawn: the clock advances, the Studio's windows are drawn into the
// root's blitter and composited over the frame, closed widgets are collected
// (GUI::Widget::Collect), every probe is reset and the sync data is evaluated at the current
// musical time for the next frame.
//
// A right click anywhere opens the menu where it was clicked. Its items open tool windows,
// save and load the project, and end the presentation ("Exit"); Ctrl+S saves from anywhere and
// Space toggles play. A menu action that fails prints its message and shows it in a small
// window; the Studio carries on. Save() and Load() themselves throw.
//
// Project files in the data folder: "gui_layout.xml" (the windows) and "syncdata.bin". Save
// writes both under temporary names, checked, and only then renames them over the old files,
// so a failure leaves a pair that loads. Load reads the layout afresh every time (never from
// the proxy's records), replaces the windows an earlier Load made, and loads the sync data
// even when the layout is damaged, then reports the layout's failure.
//
// The root registers itself and its skin with the Application's resource proxy (the layout
// loader builds windows with them). Close() takes them back out, so the root can go: the host
// calls Close() and then GUI::Widget::Collect(). Main thread only.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/Map.h"
#include "utils/gui/Widget.h"
#include "utils/studio/MusicalClock.h"
#include "utils/studio/SaveComponent.h"

namespace Nimbrel::Graphics {
class Device;
}
namespace Nimbrel::Utils {
class Application;
class Bitmap2D;
class Effect;
class State;
}  // namespace Nimbrel::Utils
namespace Nimbrel::Utils::GUI {
class Applet;
class DefaultSkin;
class Label;
class Menu;
class MenuItem;
}  // namespace Nimbrel::Utils::GUI

namespace Nimbrel::Utils::Studio {

class FramebufferBrowser;
class ProbeMonitor;
class Sequencer;
class SyncData;

class Root : public GUI::Widget {
public:
    static constexpr int BlitterCapacity = 100000;
    static constexpr const char* LayoutFileName = "gui_layout.xml";
    static constexpr const char* LayoutTemporaryFileName = "gui_layout.xml.tmp";

    // The Application must be started; it is borrowed and must outlive the root.
    explicit Root(Application* application);
    // Draws with the given blitter (borrowed, outliving the root) and composites with the given
    // effect (counted) in place of a device blitter and a 2D effect of its own, and reads the
    // given clock in place of the platform clock (null for it).
    Root(Application* application, Draw2D::Blitter* blitter, Effect* overlay, MusicalClock::ClockFunction clock);
    ~Root() override;

    void SetTempo(double bpm) { clock.SetTempo(bpm); }
    double GetTempo() const { return clock.GetTempo(); }
    // Borrowed: the music the clock seeks, plays and stops; null for none.
    void SetTimeSource(Audio::Transport* source) { clock.SetTransport(source); }
    void SetDataFolder(const FolderResource& folder) { dataFolder = folder; }
    const FolderResource& GetDataFolder() const { return dataFolder; }
    const MusicalClock& GetClock() const { return clock; }
    Application* GetApplication() const { return application; }

    double GetTime() const { return clock.GetTime(); }
    double GetTimeQticks() const { return clock.GetTimeQticks(); }
    void SetTime(double seconds) { clock.SetTime(seconds); }
    void SetTimeQticks(double qticks) { clock.SetTimeQticks(qticks); }
    void Pause() { clock.Pause(); }
    void Play() { clock.Play(); }
    bool IsPaused() const { return clock.IsPaused(); }
    // Whether Ctrl is held, as the root's key handler saw it.
    bool IsControlDown() const { return controlDown; }

    // The one tracker window, or null. Setting another one closes the one shown before.
    GUI::Widget* GetTracker() const { return tracker; }
    void SetTracker(GUI::Widget* window);
    // Borrowed; saved and loaded after the sync data, in the order added.
    void AddSaveComponent(SaveComponent* component);
    SyncData* GetSyncData() const { return syncData.Get(); }
    GUI::DefaultSkin* GetSkin() const { return skin.Get(); }
    GUI::Menu* GetMenu() const { return menu; }
    // A new probe monitor window, as the menu opens it.
    ProbeMonitor* OpenProbeMonitor();
    // A new sequencer window, as the menu opens it; several may be open.
    Sequencer* OpenSequencer();
    // A new framebuffer browser window, as the menu opens it.
    FramebufferBrowser* OpenFramebufferBrowser();
    // Ends the overlay's batch and composites what it holds over the frame, so that what a
    // window draws straight into the frame next lies above the windows drawn so far. For use
    // while Frame draws the windows; the caller then begins a new batch on the blitter.
    void CompositeOverlay();
    // The window showing the last failed menu action, or null once it is closed.
    GUI::Applet* GetErrorWindow() const { return errorWindow; }

    // Throw "Studio::Root::Save(): No data folder set" / "Studio::Root::Load(): No data folder
    // set" without a data folder, and whatever the files or the folder throw.
    void Save();
    void Load();

    Xml::Element* SaveLayout() override;
    void SetFont(const GUI::FontResource& font) override;
    void Frame() override;
    void Draw(Widget* widget) override;
    void HandleKey(int key, int state) override;
    void OnClick(Widget* sender, const Input::MouseEvent& event) override;
    void OnKey(Widget* sender, int key, int state) override;
    bool CanClose(Widget* widget) override;
    void OnChildRemoved(Widget* sender, Widget* child) override;
    void Close() override;

private:
    void BuildMenu();
    void PollJoystick();
    void Composite();
    void TogglePlay();
    // Runs a menu action; a failure is printed and shown, and the Studio carries on.
    template <class Action>
    void RunMenuAction(const Action& action);
    void ShowError(const String& message);
    void OpenResourceBrowser();
    void OpenTracker();
    void OpenProbeBrowser();
    // Loads the layout file through the proxy with the data folder as its file system; a new
    // container widget with the creator's reference.
    Widget* LoadLayoutContainer();
    void ReplaceLoadedWindows(Widget* container);
    void WriteLayoutTemporary();
    void DiscardTemporary(const char* name);

    Application* application;
    MusicalClock clock;
    Graphics::Device* device;
    State* state;
    Managed<Draw2D::Blitter> ownedBlitter;
    Managed<Effect> overlayEffect;
    GUI::Widget* tracker = nullptr;
    Managed<GUI::DefaultSkin> skin;
    Managed<Bitmap2D> icon;
    GUI::Menu* menu = nullptr;
    GUI::MenuItem* iconItem = nullptr;
    GUI::MenuItem* monitoringItem = nullptr;
    GUI::MenuItem* probeMonitorItem = nullptr;
    GUI::MenuItem* probeBrowserItem = nullptr;
    GUI::MenuItem* resourceBrowserItem = nullptr;
    GUI::MenuItem* framebufferBrowserItem = nullptr;
    GUI::MenuItem* syncingItem = nullptr;
    GUI::MenuItem* sequencerItem = nullptr;
    GUI::MenuItem* trackerItem = nullptr;
    GUI::MenuItem* projectItem = nullptr;
    GUI::MenuItem* newProjectItem = nullptr;
    GUI::MenuItem* loadProjectItem = nullptr;
    GUI::MenuItem* saveProjectItem = nullptr;
    GUI::MenuItem* exitItem = nullptr;
    Map<int, bool> keys;
    bool controlDown = false;
    Managed<SyncData> syncData;
    Array<SaveComponent*> saveComponents;
    FolderResource dataFolder;
    // The windows the last Load added that are still open.
    Array<Widget*> loadedWindows;
    GUI::Applet* errorWindow = nullptr;
    GUI::Label* errorLabel = nullptr;
};

}  // namespace Nimbrel::Utils::Studio
