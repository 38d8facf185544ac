#pragma once
// Studio::TrackerCell: one cell of the Tracker's grid, showing the key of one track at one
// row and taking typed values.
//
// The text box tells the cell about every change of its text at its next drawing; the cell
// reads the text then, so a value takes effect while it is being typed. Text the cell writes
// itself (a key's values, or clearing a cell that showed a key) is not read back as typing.
// Text that is not one or two numbers turns the cell red and changes nothing.

#include "core/String.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils::GUI {
class Rectangle;
class TextBox;
}  // namespace Nimbrel::Utils::GUI

namespace Nimbrel::Utils::Studio {

class Tracker;

class TrackerCell : public GUI::Widget {
public:
    enum State { StateRejected = 0, StateBetweenRows = 1, StateSeveralKeys = 2, StateNormal = 3 };

    TrackerCell(Tracker* tracker, int column, int row);
    ~TrackerCell() override;

    virtual void BeginEdit();

    int GetColumn() const { return column; }
    int GetRow() const { return row; }
    int GetState() const { return state; }
    void SetState(int state);
    bool HasKey() const { return hasKey; }
    float GetLeftValue() const { return leftValue; }
    float GetRightValue() const { return rightValue; }
    int GetInterpolation() const { return interpolation; }
    GUI::TextBox* GetTextBox() const { return textBox; }
    GUI::Rectangle* GetBackground() const { return background; }
    GUI::Rectangle* GetStripe() const { return stripe; }

    // The row's grey; the state's colour is derived from it.
    void SetRowGrey(int grey);
    // Forgets the key the cell showed; its text empties.
    void Clear();
    void ShowKey(float left, float right, int interpolation);

    // "%.3f" without trailing zeros and point; equal values show once, else "left, right".
    static String FormatValues(float left, float right);

    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;
    void OnKey(Widget* sender, int key, int state) override;
    void OnNotify(Widget* sender, int id, Widget* source) override;

private:
    void ApplyColors();
    void ReadTypedText();
    void SetInterpolation(int interpolation);
    void WriteText(const String& text);

    int column;
    int row;
    int grey = 255;
    int state = StateNormal;
    Tracker* tracker;  // the grid's owner, which outlives its cells
    GUI::Rectangle* background;
    GUI::Rectangle* stripe;
    GUI::TextBox* textBox;
    bool hasKey = false;
    float leftValue = 0.0f;
    float rightValue = 0.0f;
    int interpolation = 2;
    bool layoutDirty = true;
    bool ignoreNextNotify = false;
    bool shiftHeld = false;
    bool edgeArmed = false;
};

}  // namespace Nimbrel::Utils::Studio
