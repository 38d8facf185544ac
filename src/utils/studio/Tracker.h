#pragma once
// Studio::Tracker: the key editor. One column per track of the edited block, one row per
// resolution step (qticks per row: 1, 4, 16 or 64), each cell showing the key at its time.
//
// Row r stands for r x resolution qticks from the block start, column c for track c of the
// block's group and pattern c of the block. Edits act on the block directly, so the sync data
// evaluates them in the same frame. Moving between cells wraps at the grid's edges; a grid
// without tracks or rows ignores cell selection. While the root plays, the grid pages to keep
// the current time in view. There is at most one Tracker per root; the root forgets it when it
// closes.
//
// Joystick 0 edits the row under the cursor line: button 0 stores the curve's current value
// as a key there, 1 clears the row, 2 cycles the interpolation of its keys (linear, cosine,
// step), 3 toggles the edit mode, 4 and 5 jump to the previous and the next key of any track.
// Axes 0 and 1 fly the camera of a camera group (button 9 held: sideways and up, else
// sideways and forward), axes 3 and 4 turn and pitch it (button 8 held: roll and zoom).
// Outside the block the joystick edits nothing.

#include "core/Managed.h"
#include "core/String.h"
#include "utils/gui/Applet.h"
#include "utils/studio/Block.h"

#include <optional>

namespace Nimbrel::Utils::GUI {
class Button;
class Label;
class Menu;
class MenuItem;
class Rectangle;
class ScrollBar;
class Table;
}  // namespace Nimbrel::Utils::GUI

namespace Nimbrel::Utils::Studio {

class Root;
class TrackerCell;

class Tracker : public GUI::Applet {
public:
    static constexpr int MaxColumns = 8;
    static constexpr int MaxRows = 32;
    static constexpr int CellHeight = 12;
    static constexpr int RowPitch = 13;
    static constexpr int ColumnWidth = 75;
    static constexpr int HeaderHeight = 20;
    static constexpr double LayoutInterval = 0.15;

    // The root is borrowed: it frees its windows before it goes, and a counted reference
    // here would keep a root with an open tracker alive for ever.
    explicit Tracker(Root* root);
    ~Tracker() override;

    // Null edits an empty placeholder block.
    void EditBlock(Block* block);
    Block* GetBlock() const { return block.Get(); }
    void SetResolution(int qticks);
    int GetResolution() const { return resolution; }
    void SetTimeMode(bool global);
    bool IsGlobalTime() const { return globalTime; }
    void SetEditMode(bool rightOnly);
    bool IsRightOnly() const { return rightOnly; }

    int GetFirstColumn() const { return firstColumn; }
    int GetFirstRow() const { return firstRow; }
    int GetVisibleColumns() const { return visibleColumns; }
    int GetVisibleRows() const { return visibleRows; }
    // Rows of the block at the current resolution.
    int GetRowCount() const;
    int GetTrackCount() const;

    // Column and row counted from the first visible ones; wraps into the grid, scrolls it into
    // view and starts editing the cell.
    void SelectCell(int column, int row);
    // Column and row of the block (not of the view).
    void SetCellKey(int column, int row, float left, float right, int interpolation);
    void ClearCell(int column, int row);
    std::optional<float> GetCellValue(int column, int row) const;
    void SetCellValue(int column, int row, float value);

    // The visible cell at a position counted from the first visible column and row.
    TrackerCell* GetCell(int column, int row) const;
    GUI::Label* GetRowLabel(int row) const;
    GUI::Label* GetHeaderLabel(int column) const;
    GUI::Rectangle* GetCursorLine() const { return cursorLine; }
    GUI::Button* GetModeButton() const { return modeButton; }
    GUI::Menu* GetContextMenu() const { return menu; }

    // "bars:beats:ticks:qticks" of a time in qticks.
    static String FormatTime(int qticks);
    // The last two dot-separated parts of a track name (the last part when it has fewer).
    static String ShortTrackName(const String& name);
    // The grey of a row of the grid by its index.
    static int RowGrey(int row);

    void Refresh();

    Xml::Element* SaveLayout() override;
    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;
    void OnClick(Widget* sender, const Input::MouseEvent& event) override;
    void OnWheel(Widget* sender, const Input::MouseEvent& event) override;
    bool CanClose(Widget* widget) override;

private:
    void BuildMenu();
    void Layout();
    void FollowTime(double rowNow);
    // Joystick 0 records and edits keys at the given row of the block.
    void EditWithJoystick(int row);
    // Returns whether a key changed.
    bool FlyCamera(int row);
    void ScrollTo(int column, int row);
    void SetScrollBars();
    void RefreshColumn(int viewColumn);

    Root* root;
    Managed<Block> block;
    GUI::Menu* menu = nullptr;
    GUI::MenuItem* resolutionItems[4] = {};
    GUI::MenuItem* timeModeItems[2] = {};
    GUI::MenuItem* editModeItems[2] = {};
    GUI::Rectangle* cursorLine = nullptr;
    GUI::Table* cells = nullptr;
    GUI::Table* rowLabels = nullptr;
    GUI::Table* header = nullptr;
    GUI::ScrollBar* horizontalScroll = nullptr;
    GUI::ScrollBar* verticalScroll = nullptr;
    TrackerCell* cellGrid[MaxColumns][MaxRows] = {};
    GUI::Label* rowLabelWidgets[MaxRows] = {};
    GUI::Label* headerWidgets[MaxColumns] = {};
    int visibleColumns = 1;
    int visibleRows = 1;
    int resolution = 16;
    bool globalTime = true;
    bool needsLayout = true;
    int forcedLayouts = 0;
    double lastLayoutTime = -1.0e9;
    int firstColumn = 0;
    int firstRow = 0;
    bool rightOnly = false;
    GUI::Button* modeButton = nullptr;
    // Reused by every refresh, so a frame's refresh allocates nothing once grown.
    Array<Key> collected;
};

}  // namespace Nimbrel::Utils::Studio
