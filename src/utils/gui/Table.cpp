#include "utils/gui/Table.h"

#include "core/Exception.h"

namespace Nimbrel::Utils::GUI {

int Table::Extent::Of(int total) const
{
    return isFraction ? static_cast<int>(total * value) : static_cast<int>(value);
}

Table::Table(Draw2D::Blitter* painter, int columnCount, int rowCount) : Widget(painter)
{
    if (columnCount <= 0 || rowCount <= 0)
        throw Exception("GUI::Table: Invalid column or row count");
    columns.resize(static_cast<size_t>(columnCount));
    rows.resize(static_cast<size_t>(rowCount));
    for (Line& column : columns)
        column.size = {true, 1.0 / columnCount};
    for (Line& row : rows)
        row.size = {true, 1.0 / rowCount};
    cells.reserve(static_cast<size_t>(columnCount) * static_cast<size_t>(rowCount));
    for (int i = 0; i < columnCount * rowCount; ++i) {
        Widget* cell = new Widget(painter);
        cell->SetClipping(true);
        AddChild(cell);
        cells.push_back(cell);
    }
}

Table::~Table() = default;

Table::Line& Table::ColumnAt(int column)
{
    if (column < 0 || column >= GetColumnCount())
        throw Exception("GUI::Table: Cell out of range");
    return columns[static_cast<size_t>(column)];
}

Table::Line& Table::RowAt(int row)
{
    if (row < 0 || row >= GetRowCount())
        throw Exception("GUI::Table: Cell out of range");
    return rows[static_cast<size_t>(row)];
}

Widget* Table::GetCell(int column, int row) const
{
    if (column < 0 || column >= GetColumnCount() || row < 0 || row >= GetRowCount())
        throw Exception("GUI::Table: Cell out of range");
    return cells[static_cast<size_t>(column + row * GetColumnCount())];
}

void Table::SetColumnWidth(int column, int pixels)
{
    ColumnAt(column).size = {false, double(pixels)};
    dirty = true;
}

void Table::SetColumnWidth(int column, float fraction)
{
    ColumnAt(column).size = {true, double(fraction)};
    dirty = true;
}

void Table::SetRowHeight(int row, int pixels)
{
    RowAt(row).size = {false, double(pixels)};
    dirty = true;
}

void Table::SetRowMargins(int row, int top, int bottom)
{
    Line& line = RowAt(row);
    line.before = {false, double(top)};
    line.after = {false, double(bottom)};
    dirty = true;
}

void Table::SetRowHeight(int row, float fraction)
{
    RowAt(row).size = {true, double(fraction)};
    dirty = true;
}

void Table::UpdateLayout()
{
    if (!dirty)
        return;
    const Point size = GetSize();
    int restWidth = size.x;
    for (const Line& column : columns)
        if (!column.size.isFraction)
            restWidth -= column.size.Of(0);
    int restHeight = size.y;
    for (const Line& row : rows)
        if (!row.size.isFraction)
            restHeight -= row.size.Of(0);
    int y = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        const int h = rows[r].size.Of(restHeight);
        const int top = rows[r].before.Of(h);
        const int bottom = rows[r].after.Of(h);
        int x = 0;
        for (size_t c = 0; c < columns.size(); ++c) {
            const int w = columns[c].size.Of(restWidth);
            const int left = columns[c].before.Of(w);
            const int right = columns[c].after.Of(w);
            Widget* cell = cells[c + r * columns.size()];
            cell->SetPosition(x + left, y + top);
            cell->SetSize(w - left - right, h - top - bottom);
            x += w;
        }
        y += h;
    }
    dirty = false;
}

void Table::Draw(Widget* widget)
{
    if (widget == this)
        UpdateLayout();
}

void Table::OnLayout(Widget*)
{
    dirty = true;
}

}  // namespace Nimbrel::Utils::GUI
