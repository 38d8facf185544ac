#include "utils/studio/Sequencer.h"

#include "input/Events.h"
#include "input/KeyCodes.h"
#include "utils/gui/Clock.h"
#include "utils/gui/Label.h"
#include "utils/gui/Menu.h"
#include "utils/gui/MenuItem.h"
#include "utils/gui/Panel.h"
#include "utils/gui/Rectangle.h"
#include "utils/gui/ScrollBar.h"
#include "utils/gui/Skin.h"
#include "utils/gui/Slider.h"
#include "utils/gui/Table.h"
#include "utils/studio/CameraEditor.h"
#include "utils/studio/Root.h"
#include "utils/studio/SequencerWidgets.h"
#include "utils/studio/SyncData.h"
#include "utils/studio/Tracker.h"
#include "utils/xml/RWElement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace Nimbrel::Utils::Studio {

namespace sequencer_detail {

constexpr int QticksPerBar = 64;
constexpr int ScrollBarHeight = 12;
constexpr int LabelWidth = 40;
constexpr GUI::Color Selected(255, 0, 0, 255);

// The bar nearest a time in qticks, halves rounding up.
int64_t NearestBar(double qticks)
{
    return static_cast<int64_t>(std::floor(qticks / QticksPerBar + 0.5));
}

int ClampToInt(double value)
{
    if (!(value > 0.0))
        return 0;
    return value >= double(INT32_MAX) ? INT32_MAX : static_cast<int>(value);
}

}  // namespace sequencer_detail

Sequencer::Sequencer(Root* root, GUI::Skin* skin) : GUI::Applet(skin), root(root)
{
    this->skin.Set(skin);
    skin->AddRef();
    SetTitle("Sequencer");
    SetSize(960, 240);
    Draw2D::Blitter* painter = GetPainter();
    const GUI::Point client = GetClient()->GetSize();

    names = new GUI::Table(painter, 1, RowCount);
    AddChild(names);
    names->SetPosition(0, RulerHeight);
    names->SetSize(NameColumnWidth, RowCount * RowHeight);
    for (int r = 0; r < RowCount; ++r) {
        names->SetRowHeight(r, RowHeight);
        nameLabels[r] = new GUI::Label(painter);
        names->GetCell(0, r)->AddChild(nameLabels[r]);
        nameLabels[r]->SetSize(NameColumnWidth, RowHeight - 4);
        nameLabels[r]->SetTextColor(GUI::Color(0, 0, 0, 255));
    }

    timeArea = new GUI::Widget(painter);
    AddChild(timeArea);
    timeArea->SetClipping(true);
    timeArea->SetPosition(NameColumnWidth, 0);
    timeArea->SetSize(client.x - NameColumnWidth, client.y - sequencer_detail::ScrollBarHeight - 4);
    timeArea->SetAnchors(AnchorLeft | AnchorRight | AnchorTop | AnchorBottom);

    rows = new GUI::Table(painter, 1, RowCount);
    timeArea->AddChild(rows);
    rows->SetPosition(0, RulerHeight);
    rows->SetSize(timeArea->GetSize().x, RowCount * RowHeight);
    rows->SetAnchors(AnchorLeft | AnchorRight | AnchorTop);
    for (int r = 0; r < RowCount; ++r) {
        rows->SetRowHeight(r, RowHeight);
        rows->SetRowMargins(r, 0, 0);
        trackWidgets[r] = new TrackWidget(painter, r);
        GUI::Widget* cell = rows->GetCell(0, r);
        cell->AddChild(trackWidgets[r]);
        trackWidgets[r]->SetSize(timeArea->GetSize().x, RowHeight);
        trackWidgets[r]->SetAnchors(AnchorLeft | AnchorRight | AnchorTop | AnchorBottom);
    }
    for (int i = 0; i < RulerCount; ++i) {
        gridLines[i] = new GUI::Rectangle(painter);
        timeArea->AddChild(gridLines[i]);
        gridLines[i]->SetColor(GUI::Color(0, 0, 0, 60));
        gridLines[i]->SetSize(1, 10000);
        rulerLabels[i] = new GUI::Label(painter);
        timeArea->AddChild(rulerLabels[i]);
        rulerLabels[i]->SetTextColor(GUI::Color(0, 0, 0, 255));
        rulerLabels[i]->SetSize(sequencer_detail::LabelWidth, RulerHeight - 4);
        rulerBars[i] = -1;
    }
    marker = new MarkerWidget(painter);
    timeArea->AddChild(marker);
    marker->SetSize(MarkerWidget::Width, 10000);

    zoomBar = skin->CreateSlider();
    timeArea->AddChild(zoomBar);
    zoomBar->SetPosition(timeArea->GetSize().x - 160, 4);
    zoomBar->SetSize(100, 12);
    zoomBar->SetAnchors(AnchorRight | AnchorTop);
    zoomBar->SetMinimum(0.0f);
    zoomBar->SetMaximum(100.0f);

    scrollBar = skin->CreateScrollBar();
    AddChild(scrollBar);
    scrollBar->SetHorizontal();
    scrollBar->SetPosition(NameColumnWidth + 10, client.y - 14);
    scrollBar->SetSize(client.x - NameColumnWidth - 20, sequencer_detail::ScrollBarHeight);
    scrollBar->SetAnchors(AnchorLeft | AnchorRight | AnchorBottom);
    scrollBar->SetRange(1000);
    scrollBar->SetPageSize(10);

    BuildMenu();
}

Sequencer::~Sequencer() = default;

void Sequencer::BuildMenu()
{
    menu = new GUI::Menu(skin.Get(), this, this);
    editInItem = menu->AddItem("Edit Block in");
    GUI::Menu* editIn = editInItem->GetSubMenu();
    trackerItem = editIn->AddItem("Tracker");
    cameraEditorItem = editIn->AddItem("Camera Editor");
    menu->AddSeparator();
    copyItem = menu->AddItem("Copy Block(s)");
    pasteItem = menu->AddItem("Paste Block(s)");
    deleteBlocksItem = menu->AddItem("Delete Block(s)");
    menu->AddSeparator();
    deleteTrackItem = menu->AddItem("Delete Track");
    menu->Hide();
}

GUI::Panel* Sequencer::GetBlockPanel(int blockIndex) const
{
    if (blockIndex < 0)
        return nullptr;
    const int slot = panelBlocks.IndexOf(blockIndex);
    return slot >= 0 ? panels[slot] : nullptr;
}

GUI::Widget* Sequencer::GetMarker() const
{
    return marker;
}

// ---- Selection and clipboard ----------------------------------------------------------------

void Sequencer::PruneSelection()
{
    SyncData* sync = root->GetSyncData();
    for (int i = selection.Count() - 1; i >= 0; --i) {
        const int index = selection[i];
        if (index < 0 || index >= sync->GetBlockCount() || !sync->GetBlock(index))
            selection.RemoveAt(i);
    }
}

const Array<int>& Sequencer::GetSelection()
{
    PruneSelection();
    return selection;
}

void Sequencer::Select(int blockIndex)
{
    SyncData* sync = root->GetSyncData();
    if (blockIndex < 0 || blockIndex >= sync->GetBlockCount() || !sync->GetBlock(blockIndex))
        return;
    if (!selection.Contains(blockIndex))
        selection.Add(blockIndex);
    dirty = true;
}

GUI::Color Sequencer::GetBlockColour(int blockIndex) const
{
    GUI::Color colour;
    blockColours.TryGet(blockIndex, colour);
    return colour;
}

int Sequencer::Copy()
{
    PruneSelection();
    clipboard.Clear();
    clipboardColours.Clear();
    int end = 0;
    SyncData* sync = root->GetSyncData();
    for (int index : selection) {
        Block* block = sync->GetBlock(index);
        block->AddRef();
        clipboard.Add(Managed<Block>(block));
        clipboardColours.Add(GetBlockColour(index));
        end = std::max(end, block->GetStart() + block->GetLength());
    }
    return end;
}

int Sequencer::Paste(int at)
{
    at = std::max(at, 0);
    int smallest = NoStart;
    for (const Managed<Block>& block : clipboard)
        smallest = std::min(smallest, block->GetStart());
    const int64_t offset = int64_t(at) - smallest;
    selection.Clear();
    dirty = true;
    SyncData* sync = root->GetSyncData();
    int64_t end = -1;
    for (int i = 0; i < clipboard.Count(); ++i) {
        Block* source = clipboard[i].Get();
        // A group removed since the copy has no row and could not be saved.
        if (sync->IndexOfTrackGroup(source->GetGroup()) < 0)
            continue;
        const int64_t start = source->GetStart() + offset;
        const int64_t blockEnd = start + source->GetLength();
        if (start < 0 || blockEnd > INT32_MAX)
            continue;
        Managed<Block> clone(source->Clone());
        clone->SetStart(static_cast<int>(start));
        const int index = sync->AddBlock(clone.Get());
        selection.Add(index);
        blockColours[index] = clipboardColours[i];
        end = std::max(end, blockEnd);
    }
    return end < 0 ? at : static_cast<int>(end);
}

void Sequencer::DeleteSelection()
{
    PruneSelection();
    SyncData* sync = root->GetSyncData();
    for (int index : selection) {
        sync->DeleteBlock(index);
        if (blockColours.Contains(index))
            blockColours.Remove(index);
    }
    selection.Clear();
    dirty = true;
}

// ---- Drawing --------------------------------------------------------------------------------

void Sequencer::Draw(Widget* widget)
{
    if (widget == this) {
        bool rebuild = dirty || GUI::Now() - lastRebuild >= RebuildInterval;
        const float barValue = zoomBar->GetValue();
        if (!zoomFromBar || barValue != static_cast<float>(zoom)) {
            zoomFromBar = true;
            zoom = barValue;
            rebuild = true;
        }
        const double scrolled = 64.0 * scrollBar->GetScrollPosition();
        if (scrolled != viewStart) {
            viewStart = scrolled;
            rebuild = true;
        }
        if (rebuild)
            Rebuild();
    }
    GUI::Applet::Draw(widget);
}

GUI::Panel* Sequencer::PanelAt(int slot)
{
    if (slot < panels.Count())
        return panels[slot];
    GUI::Panel* panel = skin->CreatePanel();
    timeArea->AddChild(panel);
    panels.Add(panel);
    panelBlocks.Add(-1);
    return panel;
}

void Sequencer::Rebuild()
{
    dirty = false;
    lastRebuild = GUI::Now();
    PruneSelection();
    if (!root->IsPaused())
        FollowTime();
    SyncData* sync = root->GetSyncData();
    const int width = timeArea->GetSize().x;
    const int shownGroups = std::min(RowCount, sync->GetTrackGroupCount());
    for (int r = 0; r < RowCount; ++r) {
        const String& name = r < shownGroups ? sync->GetTrackGroup(r)->GetName() : String();
        if (nameLabels[r]->GetText() != name)
            nameLabels[r]->SetText(name);
    }

    int used = 0;
    for (int index = 0; index < sync->GetBlockCount(); ++index) {
        Block* block = sync->GetBlock(index);
        if (!block)
            continue;
        const int row = sync->IndexOfTrackGroup(block->GetGroup());
        if (row < 0 || row >= RowCount)
            continue;
        const double x0 = ToPixels(block->GetStart());
        const double x1 = ToPixels(double(block->GetStart()) + block->GetLength());
        if (x1 < 0.0 || x0 > width)
            continue;
        GUI::Color colour;
        if (!blockColours.TryGet(index, colour)) {
            const auto channel = [this] { return static_cast<uint8_t>(127 + random() % 127); };
            const uint8_t red = channel();
            const uint8_t green = channel();
            const uint8_t blue = channel();
            colour = GUI::Color(red, green, blue, 255);
            blockColours[index] = colour;
        }
        GUI::Panel* panel = PanelAt(used);
        panelBlocks[used] = index;
        ++used;
        const int left = static_cast<int>(std::max(x0, -1.0));
        const int right = static_cast<int>(std::min(x1, double(width) + 1.0));
        panel->SetPosition(left, RulerHeight + row * RowHeight + 2);
        panel->SetSize(std::max(1, right - left), RowHeight - 4);
        panel->SetColor(selection.Contains(index) ? sequencer_detail::Selected : colour);
        panel->SetVisible(true);
    }
    for (int slot = used; slot < panels.Count(); ++slot) {
        panels[slot]->SetVisible(false);
        panelBlocks[slot] = -1;
    }

    const int64_t firstBar = static_cast<int64_t>(std::floor(viewStart / 64.0));
    for (int i = 0; i < RulerCount; ++i) {
        const int64_t bar = firstBar + i;
        const int x = static_cast<int>(std::lround(ToPixels(double(bar) * 64.0)));
        gridLines[i]->SetPosition(x, 0);
        rulerLabels[i]->SetPosition(x + 2, 2);
        if (rulerBars[i] != bar) {
            rulerBars[i] = static_cast<int>(bar);
            char text[16];
            std::snprintf(text, sizeof text, "%d", rulerBars[i]);
            rulerLabels[i]->SetText(text);
        }
    }
    marker->SetPosition(static_cast<int>(std::lround(ToPixels(root->GetTimeQticks()))), 0);
}

void Sequencer::SetViewStartBars(int bars)
{
    scrollBar->SetScrollPosition(bars);
    viewStart = 64.0 * scrollBar->GetScrollPosition();
}

void Sequencer::FollowTime()
{
    const double x = ToPixels(root->GetTimeQticks());
    if (x <= timeArea->GetSize().x - 30 && x >= 0.0)
        return;
    const double start = std::max(0.0, std::trunc(root->GetTimeQticks() - 4.0 / (zoom + 1.0)));
    SetViewStartBars(static_cast<int>(std::min(start / 64.0, double(INT32_MAX))));
    dirty = true;
}

void Sequencer::OnLayout(Widget* widget)
{
    GUI::Applet::OnLayout(widget);
    dirty = true;
}

// ---- Mouse ----------------------------------------------------------------------------------

bool Sequencer::InContent(Widget* sender) const
{
    if (sender->IsWithin(zoomBar))
        return false;
    return sender->IsWithin(timeArea) || sender->IsWithin(names);
}

double Sequencer::LocalX(int screenX) const
{
    return screenX - timeArea->GetScreenPosition().x;
}

TrackGroup* Sequencer::GroupAt(int screenY) const
{
    const int y = screenY - timeArea->GetScreenPosition().y - RulerHeight;
    if (y < 0)
        return nullptr;
    const int row = y / RowHeight;
    SyncData* sync = root->GetSyncData();
    if (row >= RowCount || row >= sync->GetTrackGroupCount())
        return nullptr;
    return sync->GetTrackGroup(row);
}

int Sequencer::BlockOfPanel(Widget* widget) const
{
    for (Widget* w = widget; w && w != timeArea; w = w->GetParent())
        for (int slot = 0; slot < panels.Count(); ++slot)
            if (panels[slot] == w)
                return panelBlocks[slot];
    return -1;
}

void Sequencer::OnMouseDown(Widget* sender, const Input::MouseEvent& event)
{
    GUI::Applet::OnMouseDown(sender, event);
    if (!(event.buttons & (Input::MouseButtonLeft | Input::MouseButtonRight)) || !InContent(sender))
        return;
    pressed = true;
    lastMouse = pressMouse = GUI::Point(event.x, event.y);
    const int y = event.y - timeArea->GetScreenPosition().y;
    if (sender->IsWithin(timeArea) && y >= 0 && y < RulerHeight) {
        root->SetTimeQticks(FromPixels(LocalX(event.x)));
        draggingTime = true;
        dirty = true;
        return;
    }
    draggingTime = false;
    PruneSelection();
    const int index = BlockOfPanel(sender);
    if (index >= 0 && root->GetSyncData()->GetBlock(index)) {
        if (!root->IsControlDown())
            selection.Clear();
        if (!selection.Contains(index))
            selection.Add(index);
    } else {
        selection.Clear();
    }
    dirty = true;
}

void Sequencer::OnMouseMove(Widget* sender, const Input::MouseEvent& event)
{
    GUI::Applet::OnMouseMove(sender, event);
    Track(event);
}

void Sequencer::OnDrag(Widget* sender, const Input::MouseEvent& event)
{
    GUI::Applet::OnDrag(sender, event);
    Track(event);
}

// A move reaches the window twice (as a move and as a drag): the second finds the pointer
// where the first left it and does nothing.
void Sequencer::Track(const Input::MouseEvent& event)
{
    if (!pressed)
        return;
    const GUI::Point at(event.x, event.y);
    if (at == lastMouse)
        return;
    const GUI::Point previous = lastMouse;
    lastMouse = at;
    if (draggingTime) {
        root->SetTimeQticks(FromPixels(LocalX(at.x)));
        dirty = true;
        return;
    }
    PruneSelection();
    if (selection.IsEmpty())
        return;
    SyncData* sync = root->GetSyncData();
    int64_t delta = static_cast<int64_t>(FromPixels(LocalX(at.x)) - FromPixels(LocalX(previous.x)));
    // The earliest selected block stops at 0; the others keep their distances to it.
    int64_t latest = 0;
    for (int index : selection) {
        const Block* block = sync->GetBlock(index);
        delta = std::max(delta, -int64_t(block->GetStart()));
        latest = std::max(latest, int64_t(block->GetStart()));
    }
    delta = std::min(delta, int64_t(INT32_MAX) - latest);
    if (delta == 0)
        return;
    for (int index : selection)
        sync->MoveBlock(index, static_cast<int>(delta));
    dirty = true;
}

void Sequencer::SnapSelection()
{
    PruneSelection();
    SyncData* sync = root->GetSyncData();
    for (int index : selection) {
        Block* block = sync->GetBlock(index);
        const int64_t bar = sequencer_detail::NearestBar(block->GetStart());
        const int64_t snapped = std::min(bar * 64, int64_t(INT32_MAX / 64) * 64);
        block->SetStart(static_cast<int>(std::max<int64_t>(snapped, 0)));
    }
}

void Sequencer::Release(const Input::MouseEvent* event)
{
    if (!pressed)
        return;
    pressed = false;
    dirty = true;
    if (draggingTime) {
        draggingTime = false;
        return;
    }
    PruneSelection();
    if (!selection.IsEmpty()) {
        SnapSelection();
        return;
    }
    if (!event)
        return;
    TrackGroup* group = GroupAt(event->y);
    if (!group)
        return;
    const int64_t first = std::max<int64_t>(0, sequencer_detail::NearestBar(FromPixels(LocalX(pressMouse.x))));
    const int64_t last = sequencer_detail::NearestBar(FromPixels(LocalX(event->x)));
    if (last <= first || last * 64 > INT32_MAX)
        return;
    root->GetSyncData()->CreateBlock(static_cast<int>(first * 64), static_cast<int>((last - first) * 64), group);
}

void Sequencer::OnMouseUp(Widget* sender, const Input::MouseEvent& event)
{
    GUI::Applet::OnMouseUp(sender, event);
    if (InContent(sender))
        Release(&event);
}

// A release outside the window still ends the drag; the blocks moved get snapped.
void Sequencer::OnButtonReleased(Widget* sender, int button)
{
    GUI::Applet::OnButtonReleased(sender, button);
    if (button == 0 || button == 1)
        Release(nullptr);
}

void Sequencer::OnClick(Widget* sender, const Input::MouseEvent& event)
{
    GUI::Applet::OnClick(sender, event);
    // The menu and its sub-menu (a sibling of the menu) tell the window of their clicks.
    if (sender->IsWithin(menu) || sender->IsWithin(editInItem->GetSubMenu())) {
        if (event.buttons & Input::MouseButtonLeft)
            RunMenuItem(sender);
        return;
    }
    if (!InContent(sender))
        return;
    if (event.buttons & Input::MouseButtonRight) {
        TrackGroup* group = GroupAt(event.y);
        if (group)
            group->AddRef();
        targetGroup.Set(group);
        const GUI::Point at = GetClient()->ScreenToLocal(GUI::Point(event.x, event.y));
        menu->SetPosition(at.x, at.y);
        GetClient()->BringToFront(menu);
        menu->Show();
        return;
    }
    if (!(event.buttons & Input::MouseButtonLeft))
        return;
    const int index = BlockOfPanel(sender);
    auto* tracker = dynamic_cast<Tracker*>(root->GetTracker());
    if (index >= 0 && tracker && root->GetSyncData()->GetBlock(index))
        tracker->EditBlock(root->GetSyncData()->GetBlock(index));
}

void Sequencer::PasteAtTime()
{
    const int end = Paste(sequencer_detail::ClampToInt(root->GetTimeQticks()));
    if (root->IsPaused())
        root->SetTimeQticks(end);
}

void Sequencer::RunMenuItem(Widget* item)
{
    // Items that open a sub-menu keep the menu open.
    if (item == editInItem)
        return;
    const bool isItem = item == trackerItem || item == cameraEditorItem || item == copyItem || item == pasteItem || item == deleteBlocksItem ||
                        item == deleteTrackItem;
    if (!isItem)
        return;
    PruneSelection();
    SyncData* sync = root->GetSyncData();
    if (item == trackerItem) {
        auto* tracker = dynamic_cast<Tracker*>(root->GetTracker());
        if (!selection.IsEmpty() && tracker) {
            tracker->EditBlock(sync->GetBlock(selection[0]));
            tracker->Show();
        }
    } else if (item == cameraEditorItem) {
        if (!selection.IsEmpty()) {
            auto* editor = new CameraEditor(skin.Get(), root, sync->GetBlock(selection[0]));
            root->AddChild(editor);
            editor->Show();
        }
    } else if (item == copyItem) {
        Copy();
    } else if (item == pasteItem) {
        PasteAtTime();
    } else if (item == deleteBlocksItem) {
        DeleteSelection();
    } else if (item == deleteTrackItem) {
        // A group another window removed meanwhile is gone already.
        if (targetGroup && sync->IndexOfTrackGroup(targetGroup.Get()) >= 0)
            sync->RemoveTrackGroup(targetGroup.Get());
        targetGroup.Set(nullptr);
        PruneSelection();
    }
    dirty = true;
    menu->Hide();
}

void Sequencer::OnWheel(Widget* sender, const Input::MouseEvent& event)
{
    GUI::Applet::OnWheel(sender, event);
    root->SetTime(root->GetTime() + event.wheel * 0.01);
    FollowTime();
    dirty = true;
}

void Sequencer::OnKey(Widget* sender, int key, int state)
{
    GUI::Applet::OnKey(sender, key, state);
    if (root->IsControlDown() && state == 0) {
        if (key == 'C')
            Copy();
        else if (key == 'V')
            PasteAtTime();
    }
    if (key == Input::KeyDelete && state == 1)
        DeleteSelection();
    dirty = true;
}

Xml::Element* Sequencer::SaveLayout()
{
    return CreateLayoutElement("sequencer");
}

}  // namespace Nimbrel::Utils::Studio
