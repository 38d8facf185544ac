// The table's fixed layout: pixel and fractional columns and rows, margins, and cell access.

#include "utils/gui/Table.h"

#include "core/Exception.h"
#include "support/GuiFixtures.h"

#include <gtest/gtest.h>

using namespace Nimbrel;
using namespace Nimbrel::Utils::GUI;

namespace table_test {

class TableTest : public Testing::GuiTest {};

TEST_F(TableTest, CellsShareWhatPixelColumnsAndRowsLeaveLessTheirMargins)
{
    Table* even = Testing::AddTo<Table>(root.Get(), blitter.Get(), 2, 2);
    even->SetSize(200, 100);
    DrawFrame();
    EXPECT_EQ(even->GetCell(0, 0)->GetPosition(), Point(2, 2));
    EXPECT_EQ(even->GetCell(0, 0)->GetSize(), Point(96, 46));
    EXPECT_EQ(even->GetCell(1, 1)->GetPosition(), Point(102, 52));
    EXPECT_EQ(even->GetCell(1, 1)->GetSize(), Point(96, 46));

    Table* table = Testing::AddTo<Table>(root.Get(), blitter.Get(), 3, 2);
    table->SetSize(400, 100);
    table->SetColumnWidth(0, 1.0f);
    table->SetColumnWidth(1, 80);
    table->SetColumnWidth(2, 150);
    table->SetRowHeight(0, 20);
    table->SetRowHeight(1, 0.5f);  // half of the 80 left
    DrawFrame();
    const struct {
        int column, row;
        Point position, size;
    } cases[] = {
        {0, 0, {2, 2}, {166, 16}},    {1, 0, {172, 2}, {76, 16}}, {2, 0, {252, 2}, {146, 16}},
        {0, 1, {2, 22}, {166, 36}},   {2, 1, {252, 22}, {146, 36}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(table->GetCell(c.column, c.row)->GetPosition(), c.position) << c.column << "," << c.row;
        EXPECT_EQ(table->GetCell(c.column, c.row)->GetSize(), c.size) << c.column << "," << c.row;
    }

    table->SetRowMargins(0, 0, 1);
    DrawFrame();
    EXPECT_EQ(table->GetCell(1, 0)->GetPosition(), Point(172, 0));
    EXPECT_EQ(table->GetCell(1, 0)->GetSize(), Point(76, 19)) << "a row's own margins";
    EXPECT_EQ(table->GetCell(1, 1)->GetPosition(), Point(172, 22)) << "other rows keep theirs";

    // A widget anchored on all sides follows its cell.
    Widget* content = Testing::AddTo<Widget>(table->GetCell(0, 1), blitter.Get());
    content->SetSize(table->GetCell(0, 1)->GetSize());
    content->SetAnchors(15);
    table->SetSize(500, 100);
    DrawFrame();
    EXPECT_EQ(content->GetSize(), Point(266, 36));
}

TEST_F(TableTest, CellsOutsideTheTableAndEmptyTablesAreRefused)
{
    Table* table = Testing::AddTo<Table>(root.Get(), blitter.Get(), 2, 3);
    EXPECT_EQ(table->GetChildCount(), 6);
    EXPECT_EQ(table->GetCell(1, 2), table->GetChild(5));
    const struct {
        int column, row;
    } outside[] = {{2, 0}, {0, 3}, {-1, 0}, {0, -1}};
    for (const auto& c : outside) {
        try {
            table->GetCell(c.column, c.row);
            ADD_FAILURE() << c.column << "," << c.row;
        } catch (const Exception& e) {
            EXPECT_STREQ(e.GetMessage().CStr(), "GUI::Table: Cell out of range");
        }
    }
    EXPECT_THROW(table->SetColumnWidth(2, 10), Exception);
    EXPECT_THROW(table->SetRowHeight(3, 0.5f), Exception);
    try {
        Table empty(blitter.Get(), 0, 2);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.GetMessage().CStr(), "GUI::Table: Invalid column or row count");
    }
}

}  // namespace table_test
