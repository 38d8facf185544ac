#pragma once
// GUI::Table: a fixed grid of cell widgets (clipping, children of the table, row by row). A
// client puts its widget into a cell by adding it to the cell widget, usually sized to the cell
// and anchored on all four sides.
//
// Each column has a width and each row a height, given in pixels or as a fraction of what the
// pixel-sized columns (rows) leave over; fractions are truncated towards zero. Every cell is
// inset by its column's left and right and its row's top and bottom margin (2 pixels each). A
// new table gives each of its N columns the fraction 1/N and each of its M rows 1/M. The table
// lays its cells out when it draws after a change, or when asked (UpdateLayout).

#include "utils/gui/Widget.h"

#include <vector>

namespace Nimbrel::Utils::GUI {

class Table : public Widget {
public:
    // Throws "GUI::Table: Invalid column or row count" unless both are positive.
    Table(Draw2D::Blitter* painter, int columns, int rows);
    ~Table() override;

    int GetColumnCount() const { return static_cast<int>(columns.size()); }
    int GetRowCount() const { return static_cast<int>(rows.size()); }
    // Throws "GUI::Table: Cell out of range" for a column or row outside the table.
    Widget* GetCell(int column, int row) const;
    void SetColumnWidth(int column, int pixels);
    void SetColumnWidth(int column, float fraction);
    void SetRowHeight(int row, int pixels);
    void SetRowHeight(int row, float fraction);
    // Pixels inset above and below every cell of the row (2 and 2 for a new table).
    void SetRowMargins(int row, int top, int bottom);
    void UpdateLayout();

    void Draw(Widget* widget) override;
    void OnLayout(Widget* widget) override;

private:
    struct Extent {
        bool isFraction = false;
        double value = 0.0;
        int Of(int total) const;
    };
    struct Line {
        Extent size;
        Extent before{false, 2.0};
        Extent after{false, 2.0};
    };
    Line& ColumnAt(int column);
    Line& RowAt(int row);

    std::vector<Line> columns;
    std::vector<Line> rows;
    std::vector<Widget*> cells;  // children: the tree holds them
    bool dirty = true;
};

}  // namespace Nimbrel::Utils::GUI
