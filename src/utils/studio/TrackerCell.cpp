#include "utils/studio/TrackerCell.h"

#include "core/Array.h"
#include "input/KeyCodes.h"
#include "utils/gui/Rectangle.h"
#include "utils/gui/TextBox.h"
#include "utils/studio/Key.h"
#include "utils/studio/Tracker.h"

#include <charconv>
#include <cmath>
#include <string>

namespace Nimbrel::Utils::Studio {

namespace tracker_cell_detail {

constexpr int StripeWidth = 5;

// Printed with std::to_chars, which never follows the process locale.
std::string FormatValue(float value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), static_cast<double>(value), std::chars_format::fixed, 3);
    std::string text(buffer, result.ptr);
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0')
            text.pop_back();
        if (!text.empty() && text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = "0";
    return text;
}

GUI::Color StripeColor(int interpolation)
{
    switch (interpolation) {
    case InterpolationStep:
        return GUI::Color(255, 0, 0, 255);
    case InterpolationLinear:
        return GUI::Color(0, 0, 255, 255);
    default:
        return GUI::Color(0, 255, 0, 255);
    }
}

// The whole piece must be one finite number: "1..2" or "3x" is rejected, not read as far as
// it goes. from_chars reads the C locale's form whatever the process locale is.
bool ReadNumber(const String& piece, float& value)
{
    const char* first = piece.CStr();
    const char* last = first + piece.Length();
    if (first != last && *first == '+')
        ++first;
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last && std::isfinite(value);
}

}  // namespace tracker_cell_detail

TrackerCell::TrackerCell(Tracker* tracker, int column, int row)
    : Widget(tracker->GetPainter()), column(column), row(row), tracker(tracker)
{
    SetClipping(true);
    background = new GUI::Rectangle(GetPainter());
    AddChild(background);
    stripe = new GUI::Rectangle(GetPainter());
    AddChild(stripe);
    stripe->SetVisible(false);
    textBox = new GUI::TextBox(GetPainter());
    AddChild(textBox);
    textBox->SetTextColor(GUI::Color(0, 0, 0, 255));
    ApplyColors();
}

TrackerCell::~TrackerCell() = default;

String TrackerCell::FormatValues(float left, float right)
{
    std::string text = tracker_cell_detail::FormatValue(left);
    if (left != right)
        text += ", " + tracker_cell_detail::FormatValue(right);
    return String(text.c_str());
}

void TrackerCell::BeginEdit()
{
    textBox->Activate();
    textBox->BeginEdit();
}

void TrackerCell::SetState(int newState)
{
    if (state == newState)
        return;
    state = newState;
    ApplyColors();
}

void TrackerCell::SetRowGrey(int newGrey)
{
    if (grey == newGrey)
        return;
    grey = newGrey;
    ApplyColors();
}

void TrackerCell::ApplyColors()
{
    const uint8_t g = static_cast<uint8_t>(grey);
    switch (state) {
    case StateRejected:
        background->SetColor(GUI::Color(g, 0, 0, 255));
        break;
    case StateBetweenRows:
        background->SetColor(GUI::Color(g, g, 0, 255));
        break;
    case StateSeveralKeys:
        background->SetColor(GUI::Color(g, static_cast<uint8_t>(g / 2), 0, 255));
        break;
    default:
        background->SetColor(GUI::Color(g, g, g, 255));
        break;
    }
}

void TrackerCell::WriteText(const String& text)
{
    ignoreNextNotify = true;
    textBox->SetText(text);
}

void TrackerCell::Clear()
{
    SetState(StateNormal);
    stripe->SetVisible(false);
    if (hasKey) {
        hasKey = false;
        WriteText("");
    }
}

void TrackerCell::ShowKey(float left, float right, int keyInterpolation)
{
    hasKey = true;
    leftValue = left;
    rightValue = right;
    interpolation = keyInterpolation;
    stripe->SetColor(tracker_cell_detail::StripeColor(interpolation));
    stripe->SetVisible(true);
    WriteText(FormatValues(left, right));
}

void TrackerCell::Draw(Widget* widget)
{
    if (widget == this && layoutDirty) {
        layoutDirty = false;
        const GUI::Point size = GetSize();
        background->SetPosition(0, 0);
        background->SetSize(size);
        stripe->SetPosition(size.x - tracker_cell_detail::StripeWidth, 0);
        stripe->SetSize(tracker_cell_detail::StripeWidth, size.y);
        textBox->SetPosition(0, 0);
        textBox->SetSize(size.x - tracker_cell_detail::StripeWidth, size.y);
    }
    Widget::Draw(widget);
}

void TrackerCell::OnLayout(Widget* widget)
{
    if (widget == this)
        layoutDirty = true;
    Widget::OnLayout(widget);
}

void TrackerCell::OnNotify(Widget* sender, int id, Widget* source)
{
    if (sender != textBox) {
        Widget::OnNotify(sender, id, source);
        return;
    }
    if (ignoreNextNotify) {
        ignoreNextNotify = false;
        return;
    }
    ReadTypedText();
}

void TrackerCell::ReadTypedText()
{
    const int blockRow = tracker->GetFirstRow() + row;
    const int blockColumn = tracker->GetFirstColumn() + column;
    const String text = textBox->GetText();
    if (text.Remove(' ').Length() == 0) {
        if (hasKey) {
            tracker->ClearCell(blockColumn, blockRow);
            hasKey = false;
            stripe->SetVisible(false);
        }
        SetState(StateNormal);
        return;
    }
    Array<String> pieces;
    text.Remove('(').Remove(')').Remove(' ').Split(',', pieces);
    float values[2] = {0.0f, 0.0f};
    if (pieces.Count() != 1 && pieces.Count() != 2) {
        SetState(StateRejected);
        return;
    }
    for (int i = 0; i < pieces.Count(); ++i) {
        if (!tracker_cell_detail::ReadNumber(pieces[i], values[i])) {
            SetState(StateRejected);
            return;
        }
    }
    const float left = values[0];
    const float right = pieces.Count() == 2 ? values[1] : values[0];
    if (!(hasKey && left == leftValue && right == rightValue)) {
        tracker->SetCellKey(blockColumn, blockRow, left, right, interpolation);
        hasKey = true;
        leftValue = left;
        rightValue = right;
        stripe->SetColor(tracker_cell_detail::StripeColor(interpolation));
        stripe->SetVisible(true);
    }
    SetState(StateNormal);
}

void TrackerCell::SetInterpolation(int newInterpolation)
{
    if (interpolation == newInterpolation)
        return;
    interpolation = newInterpolation;
    if (!hasKey)
        return;
    stripe->SetColor(tracker_cell_detail::StripeColor(interpolation));
    tracker->SetCellKey(tracker->GetFirstColumn() + column, tracker->GetFirstRow() + row, leftValue, rightValue, interpolation);
}

void TrackerCell::OnKey(Widget* sender, int key, int keyState)
{
    if (key == Input::KeyShift && (keyState == 0 || keyState == 1))
        shiftHeld = keyState == 0;
    if (keyState != 0) {
        Widget::OnKey(sender, key, keyState);
        return;
    }
    const bool atStart = textBox->GetCaret() == 0 && !textBox->HasSelection();
    const bool atEnd = textBox->GetCaret() == textBox->GetLength() && !textBox->HasSelection();
    const bool leftOrRight = key == Input::KeyLeft || key == Input::KeyRight;
    if (!leftOrRight)
        edgeArmed = false;
    switch (key) {
    case Input::KeyTab:
        tracker->SelectCell(column + (shiftHeld ? -1 : 1), row);
        return;
    case Input::KeyEnter:
    case Input::KeyDown:
        tracker->SelectCell(column, row + 1);
        return;
    case Input::KeyUp:
        tracker->SelectCell(column, row - 1);
        return;
    case Input::KeyPageUp:
        tracker->SelectCell(column, row - 16);
        return;
    case Input::KeyPageDown:
        tracker->SelectCell(column, row + 16);
        return;
    case Input::KeyF5:
        SetInterpolation(InterpolationLinear);
        return;
    case Input::KeyF6:
        SetInterpolation(InterpolationCosine);
        return;
    case Input::KeyF7:
        SetInterpolation(InterpolationStep);
        return;
    case Input::KeyLeft:
    case Input::KeyRight: {
        // The text box has already moved the caret; the edge counts when the caret was
        // there before this press as well, which the armed flag remembers.
        const bool atEdge = key == Input::KeyLeft ? atStart : atEnd;
        if (!atEdge) {
            edgeArmed = false;
            return;
        }
        if (edgeArmed || !hasKey) {
            edgeArmed = false;
            tracker->SelectCell(column + (key == Input::KeyLeft ? -1 : 1), row);
        } else {
            edgeArmed = true;
        }
        return;
    }
    default:
        return;
    }
}

}  // namespace Nimbrel::Utils::Studio
