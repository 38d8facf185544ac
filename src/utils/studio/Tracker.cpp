#include "utils/studio/Tracker.h"

#include "input/Events.h"
#include "utils/Application.h"
#include "utils/Camera.h"
#include "utils/gui/Button.h"
#include "utils/gui/Clock.h"
#include "utils/gui/DefaultSkin.h"
#include "utils/gui/Label.h"
#include "utils/gui/Menu.h"
#include "utils/gui/MenuItem.h"
#include "utils/gui/Rectangle.h"
#include "utils/gui/ScrollBar.h"
#include "utils/gui/Table.h"
#include "utils/gui/TextBox.h"
#include "utils/studio/Root.h"
#include "utils/studio/TrackerCell.h"
#include "utils/xml/RWElement.h"

#include <algorithm>
#include <cmath>

namespace Nimbrel::Utils::Studio {

namespace tracker_detail {

constexpr int ScrollBarThickness = 16;
constexpr int ResolutionChoices[4] = {1, 4, 16, 64};
constexpr const char* ResolutionNames[4] = {"Qticks", "Ticks", "Beats", "Bars"};

// Floor division and remainder for rows and columns that wrap from the end.
int Wrap(int value, int count)
{
    const int rest = value % count;
    return rest < 0 ? rest + count : rest;
}

Block* NewPlaceholderBlock()
{
    Managed<TrackGroup> group(new TrackGroup());
    return new Block(0, 0, group.Get());
}

}  // namespace tracker_detail

Tracker::Tracker(Root* root) : GUI::Applet(root->GetSkin()), root(root)
{
    block.Set(tracker_detail::NewPlaceholderBlock());
    SetTitle("Tracker");
    SetSize(600, 300);
    GUI::Skin* skin = root->GetSkin();
    Draw2D::Blitter* painter = GetPainter();

    header = new GUI::Table(painter, MaxColumns, 1);
    AddChild(header);
    rowLabels = new GUI::Table(painter, 1, MaxRows);
    AddChild(rowLabels);
    cells = new GUI::Table(painter, MaxColumns, MaxRows);
    AddChild(cells);
    for (int c = 0; c < MaxColumns; ++c) {
        headerWidgets[c] = new GUI::Label(painter);
        header->GetCell(c, 0)->AddChild(headerWidgets[c]);
        for (int r = 0; r < MaxRows; ++r) {
            cellGrid[c][r] = new TrackerCell(this, c, r);
            GUI::Widget* slot = cells->GetCell(c, r);
            slot->AddChild(cellGrid[c][r]);
        }
    }
    // The grid's rows are too low for the table's usual margins: one pixel parts them.
    for (int r = 0; r < MaxRows; ++r) {
        rowLabels->SetRowMargins(r, 0, 1);
        cells->SetRowMargins(r, 0, 1);
    }
    for (int r = 0; r < MaxRows; ++r) {
        rowLabelWidgets[r] = new GUI::Label(painter);
        rowLabels->GetCell(0, r)->AddChild(rowLabelWidgets[r]);
    }
    horizontalScroll = skin->CreateScrollBar();
    AddChild(horizontalScroll);
    horizontalScroll->SetHorizontal();
    verticalScroll = skin->CreateScrollBar();
    AddChild(verticalScroll);
    verticalScroll->SetVertical();
    modeButton = skin->CreateButton();
    AddChild(modeButton);
    modeButton->SetPosition(0, 0);
    modeButton->SetSize(75, 20);
    modeButton->SetText("Both");
    cursorLine = new GUI::Rectangle(painter);
    AddChild(cursorLine);
    cursorLine->SetColor(GUI::Color(0, 0, 0, 255));
    BuildMenu();
    Layout();
    Refresh();
}

Tracker::~Tracker() = default;

void Tracker::BuildMenu()
{
    menu = new GUI::Menu(root->GetSkin(), this, this);
    GUI::Menu* resolutionMenu = menu->AddItem("Resolution")->GetSubMenu();
    for (int i = 0; i < 4; ++i)
        resolutionItems[i] = resolutionMenu->AddItem(tracker_detail::ResolutionNames[i]);
    GUI::Menu* timeMenu = menu->AddItem("Time Mode")->GetSubMenu();
    timeModeItems[0] = timeMenu->AddItem("Local");
    timeModeItems[1] = timeMenu->AddItem("Global");
    GUI::Menu* editMenu = menu->AddItem("Edit Mode")->GetSubMenu();
    editModeItems[0] = editMenu->AddItem("Both");
    editModeItems[1] = editMenu->AddItem("Right Only");
    menu->Hide();
}

int Tracker::GetTrackCount() const
{
    return block->GetGroup()->GetTrackCount();
}

int Tracker::GetRowCount() const
{
    return block->GetLength() / resolution;
}

TrackerCell* Tracker::GetCell(int column, int row) const
{
    return cellGrid[column][row];
}

GUI::Label* Tracker::GetRowLabel(int row) const
{
    return rowLabelWidgets[row];
}

GUI::Label* Tracker::GetHeaderLabel(int column) const
{
    return headerWidgets[column];
}

// ---- Modes ----------------------------------------------------------------------------------

void Tracker::EditBlock(Block* newBlock)
{
    if (newBlock == block.Get())
        return;
    if (newBlock) {
        newBlock->AddRef();
        block.Set(newBlock);
        SetTitle("Tracker - " + newBlock->GetGroup()->GetName());
    } else {
        block.Set(tracker_detail::NewPlaceholderBlock());
        SetTitle("Tracker");
    }
    firstColumn = std::clamp(firstColumn, 0, std::max(0, GetTrackCount() - 1));
    firstRow = std::clamp(firstRow, 0, std::max(0, GetRowCount() - 1));
    Layout();
    Refresh();
}

void Tracker::SetResolution(int qticks)
{
    if (qticks == resolution || qticks <= 0)
        return;
    firstRow = static_cast<int>(int64_t(firstRow) * resolution / qticks);
    resolution = qticks;
    firstRow = std::clamp(firstRow, 0, std::max(0, GetRowCount() - 1));
    SetScrollBars();
    Refresh();
}

void Tracker::SetTimeMode(bool global)
{
    if (global == globalTime)
        return;
    globalTime = global;
    Refresh();
}

void Tracker::SetEditMode(bool rightOnlyMode)
{
    if (rightOnlyMode == rightOnly)
        return;
    rightOnly = rightOnlyMode;
    modeButton->SetText(rightOnly ? "Right" : "Both");
    Refresh();
}

// ---- Cells and keys -------------------------------------------------------------------------

void Tracker::SelectCell(int column, int row)
{
    const int tracks = GetTrackCount();
    const int rows = GetRowCount();
    if (tracks <= 0 || rows <= 0)
        return;
    const int blockColumn = tracker_detail::Wrap(firstColumn + column, tracks);
    const int blockRow = tracker_detail::Wrap(firstRow + row, rows);
    ScrollTo(blockColumn, blockRow);
    const int viewColumn = blockColumn - firstColumn;
    const int viewRow = blockRow - firstRow;
    if (viewColumn >= 0 && viewColumn < visibleColumns && viewRow >= 0 && viewRow < visibleRows)
        cellGrid[viewColumn][viewRow]->BeginEdit();
}

// Scrolls only as far as needed to bring the cell into view.
void Tracker::ScrollTo(int column, int row)
{
    const int oldColumn = firstColumn;
    const int oldRow = firstRow;
    if (column < firstColumn)
        firstColumn = column;
    else if (column >= firstColumn + visibleColumns)
        firstColumn = column - visibleColumns + 1;
    if (row < firstRow)
        firstRow = row;
    else if (row >= firstRow + visibleRows)
        firstRow = row - visibleRows + 1;
    if (firstColumn != oldColumn || firstRow != oldRow) {
        SetScrollBars();
        Refresh();
    }
}

void Tracker::SetCellKey(int column, int row, float left, float right, int interpolation)
{
    Pattern* pattern = block->GetPattern(column);
    if (!pattern)
        return;
    const int q = row * resolution;
    if (resolution > 1)
        pattern->RemoveKeys(q + 1, resolution - 1);
    pattern->SetKey(Key{interpolation, left, right, q});
}

void Tracker::ClearCell(int column, int row)
{
    if (Pattern* pattern = block->GetPattern(column))
        pattern->RemoveKeys(row * resolution, resolution);
}

std::optional<float> Tracker::GetCellValue(int column, int row) const
{
    Pattern* pattern = block->GetPattern(column);
    Key key;
    if (!pattern || !pattern->GetKey(row * resolution, key))
        return std::nullopt;
    return key.rightValue;
}

void Tracker::SetCellValue(int column, int row, float value)
{
    Pattern* pattern = block->GetPattern(column);
    if (!pattern)
        return;
    const int q = row * resolution;
    if (resolution > 1)
        pattern->RemoveKeys(q + 1, resolution - 1);
    Key key{InterpolationCosine, value, value, q};
    pattern->GetKey(q, key);
    if (!rightOnly)
        key.leftValue = value;
    key.rightValue = value;
    pattern->SetKey(key);
}

// ---- Layout and refresh ---------------------------------------------------------------------

void Tracker::Layout()
{
    needsLayout = false;
    lastLayoutTime = GUI::Now();
    const GUI::Point client = GetClient()->GetSize();
    const int left = ColumnWidth + 1;
    const int top = HeaderHeight + 1;
    visibleColumns = std::clamp(GetTrackCount(), 1, MaxColumns);
    const int available = client.y - top - tracker_detail::ScrollBarThickness;
    visibleRows = std::clamp(available / RowPitch, 1, MaxRows);
    const int width = std::max(visibleColumns, client.x - left - tracker_detail::ScrollBarThickness);
    const int height = visibleRows * CellHeight;

    header->SetPosition(left, 0);
    header->SetSize(width, HeaderHeight);
    rowLabels->SetPosition(0, top);
    rowLabels->SetSize(ColumnWidth, height);
    cells->SetPosition(left, top);
    cells->SetSize(width, height);
    for (int c = 0; c < MaxColumns; ++c) {
        const bool shown = c < visibleColumns;
        header->SetColumnWidth(c, shown ? 1.0f / visibleColumns : 0.0f);
        cells->SetColumnWidth(c, shown ? 1.0f / visibleColumns : 0.0f);
    }
    for (int r = 0; r < MaxRows; ++r) {
        const bool shown = r < visibleRows;
        rowLabels->SetRowHeight(r, shown ? CellHeight : 0);
        cells->SetRowHeight(r, shown ? CellHeight : 0);
    }
    header->UpdateLayout();
    rowLabels->UpdateLayout();
    cells->UpdateLayout();
    for (int c = 0; c < MaxColumns; ++c) {
        for (int r = 0; r < MaxRows; ++r) {
            GUI::Widget* slot = cells->GetCell(c, r);
            cellGrid[c][r]->SetPosition(0, 0);
            cellGrid[c][r]->SetSize(slot->GetSize());
        }
        GUI::Widget* slot = header->GetCell(c, 0);
        headerWidgets[c]->SetPosition(0, 0);
        headerWidgets[c]->SetSize(slot->GetSize());
    }
    for (int r = 0; r < MaxRows; ++r) {
        GUI::Widget* slot = rowLabels->GetCell(0, r);
        rowLabelWidgets[r]->SetPosition(0, 0);
        rowLabelWidgets[r]->SetSize(slot->GetSize());
    }
    horizontalScroll->SetPosition(left, top + height);
    horizontalScroll->SetSize(width, tracker_detail::ScrollBarThickness);
    verticalScroll->SetPosition(left + width, top);
    verticalScroll->SetSize(tracker_detail::ScrollBarThickness, height);
    SetScrollBars();
}

void Tracker::SetScrollBars()
{
    horizontalScroll->SetRange(std::max(1, GetTrackCount()));
    horizontalScroll->SetPageSize(visibleColumns);
    horizontalScroll->SetScrollPosition(firstColumn);
    verticalScroll->SetRange(std::max(1, GetRowCount()));
    verticalScroll->SetPageSize(visibleRows);
    verticalScroll->SetScrollPosition(firstRow);
}

String Tracker::FormatTime(int t)
{
    return String::Format("%d:%d:%d:%d", t / 64, (t / 16) % 4, (t / 4) % 4, t % 4);
}

String Tracker::ShortTrackName(const String& name)
{
    Array<String> parts;
    name.Split('.', parts);
    if (parts.Count() == 0)
        return name;
    if (parts.Count() < 3)
        return parts[parts.Count() - 1];
    return parts[parts.Count() - 2] + "." + parts[parts.Count() - 1];
}

int Tracker::RowGrey(int row)
{
    if (row % 64 == 0)
        return 207;
    if (row % 16 == 0)
        return 223;
    if (row % 4 == 0)
        return 239;
    return 255;
}

void Tracker::Refresh()
{
    const int tracks = GetTrackCount();
    const int length = block->GetLength();
    for (int c = 0; c < MaxColumns; ++c) {
        const bool shown = c < visibleColumns && firstColumn + c < tracks;
        headerWidgets[c]->SetVisible(shown);
        if (shown)
            headerWidgets[c]->SetText(ShortTrackName(block->GetGroup()->GetTrack(firstColumn + c)->GetName()));
    }
    for (int r = 0; r < MaxRows; ++r) {
        int64_t t = int64_t(firstRow + r) * resolution;
        const bool shown = r < visibleRows && t < length;
        rowLabelWidgets[r]->SetVisible(shown);
        if (!shown)
            continue;
        if (globalTime)
            t += block->GetStart();
        rowLabelWidgets[r]->SetText(FormatTime(static_cast<int>(t)));
    }
    for (int c = 0; c < MaxColumns; ++c) {
        for (int r = 0; r < MaxRows; ++r) {
            TrackerCell* cell = cellGrid[c][r];
            const bool shown = c < visibleColumns && r < visibleRows && block->GetPattern(firstColumn + c) &&
                               int64_t(firstRow + r) * resolution < length;
            cell->SetRowGrey(RowGrey(firstRow + r));
            cell->Clear();
            cell->SetVisible(shown);
        }
        if (c < visibleColumns)
            RefreshColumn(c);
    }
}

void Tracker::RefreshColumn(int viewColumn)
{
    Pattern* pattern = block->GetPattern(firstColumn + viewColumn);
    if (!pattern)
        return;
    const int spanStart = firstRow * resolution;
    collected.SetSize(0);
    pattern->CollectKeys(spanStart, visibleRows * resolution, collected);
    for (int i = collected.Count() - 1; i >= 0; --i) {
        const Key& key = collected[i];
        const int viewRow = (key.time - spanStart) / resolution;
        TrackerCell* cell = cellGrid[viewColumn][viewRow];
        if (cell->HasKey()) {
            cell->SetState(TrackerCell::StateSeveralKeys);
            continue;
        }
        cell->ShowKey(key.leftValue, key.rightValue, key.interpolation);
        if (key.time % resolution != 0)
            cell->SetState(TrackerCell::StateBetweenRows);
    }
}

// ---- Frame and input ------------------------------------------------------------------------

void Tracker::Draw(Widget* widget)
{
    GUI::Applet::Draw(widget);
    if (widget != this)
        return;
    const int column = horizontalScroll->GetScrollPosition();
    const int row = verticalScroll->GetScrollPosition();
    if (column != firstColumn || row != firstRow) {
        firstColumn = column;
        firstRow = row;
        Refresh();
    }
    if (needsLayout && GUI::Now() - lastLayoutTime >= LayoutInterval) {
        Layout();
        Refresh();
        forcedLayouts = 2;
    } else if (forcedLayouts > 0) {
        --forcedLayouts;
        Layout();
        Refresh();
    }

    const double rowNow = (root->GetTimeQticks() - block->GetStart()) / resolution;
    const double offset = std::clamp((rowNow - firstRow) * CellHeight, 0.0, double(visibleRows * CellHeight));
    const GUI::Point cellsAt = cells->GetPosition();
    cursorLine->SetPosition(cellsAt.x, cellsAt.y + static_cast<int>(offset));
    cursorLine->SetSize(cells->GetSize().x, 2);
    // The clock keeps seconds: a time set in qticks can come back a hair early, and a jump
    // to a key must still edit the key's row.
    EditWithJoystick(static_cast<int>(std::floor(rowNow + 1.0e-6)));
    if (!root->IsPaused())
        FollowTime(rowNow);
}

// Pages by whole screens, computed in one step so a tiny grid cannot loop.
void Tracker::FollowTime(double rowNow)
{
    const int rows = GetRowCount();
    if (rows <= 0 || rowNow < 0.0 || rowNow >= rows)
        return;
    const int target = static_cast<int>(std::floor(rowNow));
    int row = firstRow;
    if (target >= row + visibleRows)
        row += (target - row) / visibleRows * visibleRows;
    else if (target < row)
        row -= (row - target + visibleRows - 1) / visibleRows * visibleRows;
    row = std::clamp(row, 0, std::max(0, rows - 1));
    if (row != firstRow) {
        firstRow = row;
        SetScrollBars();
        Refresh();
    }
}

void Tracker::EditWithJoystick(int row)
{
    Application* application = root->GetApplication();
    if (application->GetJoystickCount() < 1 || row < 0 || row >= GetRowCount())
        return;
    const int q = row * resolution;
    const int patterns = block->GetPatternCount();
    bool changed = false;
    if (application->WasJoystickButtonPressed(0, 0)) {
        for (int c = 0; c < patterns; ++c) {
            Pattern* pattern = block->GetPattern(c);
            const float value = pattern->Evaluate(q);
            if (resolution > 1)
                pattern->RemoveKeys(q + 1, resolution - 1);
            Key before;
            const int interpolation = pattern->GetKeyBefore(q, before) ? before.interpolation : int(InterpolationCosine);
            pattern->SetKey(Key{interpolation, value, value, q});
        }
        changed = true;
    }
    if (application->WasJoystickButtonPressed(0, 1)) {
        for (int c = 0; c < patterns; ++c)
            ClearCell(c, row);
        changed = true;
    }
    if (application->WasJoystickButtonPressed(0, 2)) {
        for (int c = 0; c < patterns; ++c) {
            Key key;
            Pattern* pattern = block->GetPattern(c);
            if (!pattern->GetKey(q, key))
                continue;
            key.interpolation = key.interpolation == InterpolationLinear   ? InterpolationCosine
                                : key.interpolation == InterpolationCosine ? InterpolationStep
                                                                           : InterpolationLinear;
            pattern->SetKey(key);
        }
        changed = true;
    }
    if (application->WasJoystickButtonPressed(0, 3))
        SetEditMode(!rightOnly);
    const bool back = application->WasJoystickButtonPressed(0, 4);
    const bool forward = application->WasJoystickButtonPressed(0, 5);
    if (back || forward) {
        int target = back ? 0 : block->GetLength();
        for (int c = 0; c < patterns; ++c) {
            Key key;
            if (back && block->GetPattern(c)->GetKeyBefore(q, key))
                target = std::max(target, key.time);
            if (forward && block->GetPattern(c)->GetKeyAfter(q, key))
                target = std::min(target, key.time);
        }
        root->SetTimeQticks(double(block->GetStart()) + target);
        const int targetRow = std::clamp(target / resolution, 0, std::max(0, GetRowCount() - 1));
        ScrollTo(firstColumn, targetRow);
    }
    if (std::fabs(application->GetJoystickAxis(0, 2)) > 0.25)
        ScrollTo(firstColumn, row);
    changed = FlyCamera(row) || changed;
    if (changed)
        Refresh();
}

namespace tracker_detail {

// The axis beyond the dead zone, moved towards zero by it and cubed; 0 inside it.
double ShapedAxis(Application* application, int axis)
{
    double value = application->GetJoystickAxis(0, axis);
    if (std::fabs(value) <= 0.25)
        return 0.0;
    value += value > 0.0 ? -0.25 : 0.25;
    return value * value * value;
}

}  // namespace tracker_detail

// Columns 0 to 6 of a camera group hold position x, y, z, turn, roll, pitch and field of
// view; the joystick flies a camera built from the row's values and writes back what moved.
bool Tracker::FlyCamera(int row)
{
    Application* application = root->GetApplication();
    const float f = static_cast<float>(application->GetFrameTime());
    const float move0 = static_cast<float>(tracker_detail::ShapedAxis(application, 0));
    const float move1 = static_cast<float>(tracker_detail::ShapedAxis(application, 1));
    const float angle3 = static_cast<float>(tracker_detail::ShapedAxis(application, 3));
    const float angle4 = static_cast<float>(tracker_detail::ShapedAxis(application, 4));
    if (move0 == 0.0f && move1 == 0.0f && angle3 == 0.0f && angle4 == 0.0f)
        return false;
    float values[7];
    for (int c = 0; c < 7; ++c)
        values[c] = GetCellValue(c, row).value_or(0.0f);
    Camera camera;
    camera.SetPosition(Math::Vector3t<float>(values[0], values[1], values[2]));
    camera.SetTurn(values[3]);
    camera.SetRoll(values[4]);
    camera.SetPitch(values[5]);
    camera.SetFov(values[6]);
    if (move0 != 0.0f || move1 != 0.0f) {
        if (move0 != 0.0f)
            camera.MoveRight(move0 * 500.0f * f);
        if (move1 != 0.0f) {
            if (application->IsJoystickButtonDown(0, 9))
                camera.MoveUp(move1 * -500.0f * f);
            else
                camera.MoveForward(move1 * -500.0f * f);
        }
        const Math::Vector3t<float> at = camera.GetPosition();
        SetCellValue(0, row, at.x);
        SetCellValue(1, row, at.y);
        SetCellValue(2, row, at.z);
    }
    const bool rollAndZoom = application->IsJoystickButtonDown(0, 8);
    if (angle3 != 0.0f) {
        if (rollAndZoom)
            SetCellValue(4, row, values[4] + angle3 * 360.0f * f);
        else
            SetCellValue(3, row, values[3] + angle3 * 360.0f * f);
    }
    if (angle4 != 0.0f) {
        if (rollAndZoom)
            SetCellValue(6, row, values[6] + angle4 * 120.0f * f);
        else
            SetCellValue(5, row, values[5] + angle4 * -360.0f * f);
    }
    return true;
}

void Tracker::OnLayout(Widget* widget)
{
    if (widget == this)
        needsLayout = true;
    GUI::Applet::OnLayout(widget);
}

void Tracker::OnClick(Widget* sender, const Input::MouseEvent& event)
{
    GUI::Applet::OnClick(sender, event);
    if (event.buttons & Input::MouseButtonLeft) {
        if (sender == modeButton) {
            SetEditMode(!rightOnly);
            return;
        }
        if (!menu->IsVisible())
            return;
        bool chosen = false;
        for (int i = 0; i < 4; ++i)
            if (sender == resolutionItems[i]) {
                SetResolution(tracker_detail::ResolutionChoices[i]);
                chosen = true;
            }
        if (sender == timeModeItems[0] || sender == timeModeItems[1]) {
            SetTimeMode(sender == timeModeItems[1]);
            chosen = true;
        }
        if (sender == editModeItems[0] || sender == editModeItems[1]) {
            SetEditMode(sender == editModeItems[1]);
            chosen = true;
        }
        if (chosen)
            menu->Hide();
    } else if (event.buttons & Input::MouseButtonRight) {
        const GUI::Point at = ScreenToLocal(GUI::Point(event.x, event.y));
        menu->SetPosition(at.x, at.y);
        BringToFront(menu);
        menu->Show();
    }
}

void Tracker::OnWheel(Widget* sender, const Input::MouseEvent& event)
{
    GUI::Applet::OnWheel(sender, event);
    const int maxRow = std::max(0, GetRowCount() - 1);
    firstRow = std::clamp(firstRow - event.wheel / 30, 0, maxRow);
    SetScrollBars();
    Refresh();
}

bool Tracker::CanClose(Widget* widget)
{
    if (widget == this)
        block.Set(tracker_detail::NewPlaceholderBlock());
    return GUI::Applet::CanClose(widget);
}

Xml::Element* Tracker::SaveLayout()
{
    return CreateLayoutElement("tracker");
}

}  // namespace Nimbrel::Utils::Studio
