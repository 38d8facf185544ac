#pragma once
// Studio::Sequencer: the sync data's blocks on the musical timeline. One row per track group
// (its name in the column on the left), one coloured panel per block from its start to its end,
// bar numbers and grid lines along the top, and a marker at the root's time.
//
// Geometry of the time area (right of the name column): pixelsPerQtick = (zoom x 0.1 + 1) x
// 6 / 64; ToPixels(q) = (q - viewStart) x pixelsPerQtick. The band above the first row
// (RulerHeight pixels) is the ruler: pressing there sets the root's time, dragging scrubs it.
//
// Mouse: a press on a block selects it (Ctrl adds to the selection), a press elsewhere clears
// the selection. Dragging moves the selected blocks by whole qticks and never below 0;
// releasing snaps their starts to the nearest bar. Without a selection, dragging along a row
// draws a new block of its group from the bar nearest the press to the bar nearest the release.
// A left click on a block opens it in the root's Tracker; a right click opens the block menu.
// Ctrl+C copies, Ctrl+V pastes at the root's time, releasing Delete deletes the selection; the
// wheel moves the time by 0.01 seconds per unit.
//
// Several sequencers may show the same sync data, which may change under them (a Load, a
// removed group, another window's edit): the selection is pruned of indices that no longer
// hold a block before every use, and a clipboard block whose group is gone is not pasted.
// Block colours and the clipboard belong to the window and are not saved. Block panels are
// kept and reused from one rebuild to the next.

#include "core/Array.h"
#include "core/Managed.h"
#include "core/Map.h"
#include "utils/gui/Applet.h"
#include "utils/gui/Color.h"
#include "utils/studio/Block.h"

#include <random>

namespace Nimbrel::Utils::GUI {
class Label;
class Menu;
class MenuItem;
class Panel;
class Rectangle;
class ScrollBar;
class Skin;
class Slider;
class Table;
}  // namespace Nimbrel::Utils::GUI

namespace Nimbrel::Utils::Studio {

class Root;
class MarkerWidget;
class TrackWidget;

class Sequencer : public GUI::Applet {
public:
    static constexpr int RulerCount = 30;
    static constexpr int RowCount = 10;
    static constexpr int RowHeight = 18;
    static constexpr int RulerHeight = 18;
    static constexpr int NameColumnWidth = 200;
    static constexpr double RebuildInterval = 0.03;
    // The smallest start an empty clipboard offers Paste.
    static constexpr int NoStart = 134217727;

    // The root is borrowed: it frees its windows before it goes.
    Sequencer(Root* root, GUI::Skin* skin);
    ~Sequencer() override;

    // Holds every selected block and its colour; returns the largest end among them (0 for
    // none).
    int Copy();
    // Adds clones of the clipboard's blocks moved so the earliest starts at at (not below 0),
    // selects them and returns the largest end; at itself when nothing was pasted.
    int Paste(int at);
    void DeleteSelection();

    double PixelsPerQtick() const { return (zoom * 0.1 + 1.0) * 6.0 / 64.0; }
    double ToPixels(double qticks) const { return (qticks - viewStart) * PixelsPerQtick(); }
    double FromPixels(double x) const { return x / PixelsPerQtick() + viewStart; }
    double GetViewStart() const { return viewStart; }
    double GetZoom() const { return zoom; }

    // Block indices, pruned of empty and vanished slots.
    const Array<int>& GetSelection();
    void Select(int blockIndex);
    // The colour a block is drawn in, unselected; black when it has none yet.
    GUI::Color GetBlockColour(int blockIndex) const;
    // The panel showing the block, or null when it is not shown.
    GUI::Panel* GetBlockPanel(int blockIndex) const;
    int GetPanelCount() const { return panels.Count(); }
    GUI::Widget* GetTimeArea() const { return timeArea; }
    GUI::Label* GetRulerLabel(int index) const { return rulerLabels[index]; }
    GUI::Label* GetNameLabel(int row) const { return nameLabels[row]; }
    GUI::Widget* GetMarker() const;
    GUI::Slider* GetZoomBar() const { return zoomBar; }
    GUI::ScrollBar* GetScrollBar() const { return scrollBar; }
    GUI::Menu* GetBlockMenu() const { return menu; }
    TrackGroup* GetTargetGroup() const { return targetGroup.Get(); }

    // Rebuilds the rows, panels, ruler and marker now.
    void Rebuild();

    Xml::Element* SaveLayout() override;
    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;
    void OnMouseDown(Widget* sender, const Input::MouseEvent& event) override;
    void OnMouseUp(Widget* sender, const Input::MouseEvent& event) override;
    void OnButtonReleased(Widget* sender, int button) override;
    void OnClick(Widget* sender, const Input::MouseEvent& event) override;
    void OnMouseMove(Widget* sender, const Input::MouseEvent& event) override;
    void OnDrag(Widget* sender, const Input::MouseEvent& event) override;
    void OnWheel(Widget* sender, const Input::MouseEvent& event) override;
    void OnKey(Widget* sender, int key, int state) override;

private:
    void BuildMenu();
    void RunMenuItem(Widget* item);
    void PruneSelection();
    // Follows the pointer while a button is down: scrubs the time or drags the selection.
    void Track(const Input::MouseEvent& event);
    void Release(const Input::MouseEvent* event);
    void SnapSelection();
    // Keeps the marker in view by moving the view start.
    void FollowTime();
    void SetViewStartBars(int bars);
    bool InContent(Widget* sender) const;
    // The time area's local x of a screen point.
    double LocalX(int screenX) const;
    // The group of the row at a screen y, or null.
    TrackGroup* GroupAt(int screenY) const;
    int BlockOfPanel(Widget* widget) const;
    GUI::Panel* PanelAt(int slot);
    void PasteAtTime();

    Root* root;
    Managed<GUI::Skin> skin;
    GUI::Widget* timeArea = nullptr;
    GUI::Table* names = nullptr;
    GUI::Table* rows = nullptr;
    GUI::Label* nameLabels[RowCount] = {};
    TrackWidget* trackWidgets[RowCount] = {};
    GUI::Label* rulerLabels[RulerCount] = {};
    int rulerBars[RulerCount] = {};
    GUI::Rectangle* gridLines[RulerCount] = {};
    MarkerWidget* marker = nullptr;
    GUI::Slider* zoomBar = nullptr;
    GUI::ScrollBar* scrollBar = nullptr;
    // Panels are children of the time area, kept for reuse; slot i shows panelBlocks[i].
    Array<GUI::Panel*> panels;
    Array<int> panelBlocks;
    Map<int, GUI::Color> blockColours;
    Array<int> selection;
    Array<Managed<Block>> clipboard;
    Array<GUI::Color> clipboardColours;
    std::minstd_rand random{1};
    double viewStart = 0.0;
    double zoom = 1.0;
    bool zoomFromBar = false;
    GUI::Menu* menu = nullptr;
    GUI::MenuItem* editInItem = nullptr;
    GUI::MenuItem* trackerItem = nullptr;
    GUI::MenuItem* cameraEditorItem = nullptr;
    GUI::MenuItem* copyItem = nullptr;
    GUI::MenuItem* pasteItem = nullptr;
    GUI::MenuItem* deleteBlocksItem = nullptr;
    GUI::MenuItem* deleteTrackItem = nullptr;
    Managed<TrackGroup> targetGroup;
    bool pressed = false;
    bool draggingTime = false;
    GUI::Point lastMouse{0, 0};
    GUI::Point pressMouse{0, 0};
    bool dirty = true;
    double lastRebuild = -1.0e9;
};

}  // namespace Nimbrel::Utils::Studio
