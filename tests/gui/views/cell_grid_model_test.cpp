#include "gui/views/cell_grid_model.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Counts the objects alive.
struct Counted : GCommonObject {
    static int alive;
    Counted() { ++alive; }
    ~Counted() override { --alive; }
};
int Counted::alive = 0;

std::string column(GTableModel& model, i32 c) {
    std::string out;
    GString scratch;
    for (u64 r = 0; r < model.rowCount(); ++r) {
        const char* t = model.cellText(scratch, r, c);
        out += t ? t : "-";
        out += " ";
    }
    return out;
}

void fill(GCellGridModel& model, std::initializer_list<const char*> texts) {
    std::vector<const char*> v(texts);
    model.appendRows(v.data(), (i32)(v.size() / model.columnCount()));
}

TEST(CellGridModel, RowsAndCells) {
    GCellGridModel model(2);
    EXPECT_EQ(model.appendRows(nullptr, 3), 3u);
    EXPECT_EQ(column(model, 0), "- - - ");
    EXPECT_EQ(column(model, 1), "- - - ");
    EXPECT_EQ(model.cellValue(2, 1), 0);

    model.clearRows();
    fill(model, {"a", "0", "b", "1", "c", "2", "d", "3", "e", "4"});
    model.removeRows(1, 3);
    EXPECT_EQ(column(model, 0), "a d e ");
    EXPECT_EQ(column(model, 1), "0 3 4 ");

    const char* two[] = {"x", "9", "y", "8"};
    model.insertRows(1, two, 2);
    EXPECT_EQ(column(model, 0), "a x y d e ");
    model.insertRows(99, nullptr, 1);  // past the end appends
    EXPECT_EQ(column(model, 0), "a x y d e - ");
    model.swapRows(0, 4);
    EXPECT_EQ(column(model, 0), "e x y d a - ");

    model.setCellText(5, 0, "z");
    model.setCellValue(5, 1, 42);
    EXPECT_EQ(column(model, 0), "e x y d a z ");
    EXPECT_EQ(model.cellValue(5, 1), 42);
    model.setCellText(5, 0, nullptr);
    EXPECT_EQ(column(model, 0), "e x y d a - ");
    // Texts the rows were made with are replaced, cleared and set again.
    model.setCellText(0, 0, "first");
    model.setCellText(1, 1, nullptr);
    model.setCellText(1, 1, "again");
    EXPECT_EQ(column(model, 0), "first x y d a - ");
    EXPECT_EQ(column(model, 1), "4 again 8 3 0 - ");
    // Outside the grid nothing is read or written.
    model.setCellText(6, 0, "no");
    model.setCellValue(0, 2, 1);
    EXPECT_EQ(model.rowCount(), 6u);
    GString scratch;
    EXPECT_EQ(model.cellText(scratch, 6, 0), nullptr);
}

TEST(CellGridModel, FindRows) {
    GCellGridModel model(1);
    fill(model, {"Alpha", nullptr, "beta", "alpha"});
    EXPECT_EQ(model.findRowByText("alpha", 0), 3);
    EXPECT_EQ(model.findRowByText("BETA", 0), -1);  // case differs
    EXPECT_EQ(model.findRowByTextNoCase("BETA", 0), 2);
    EXPECT_EQ(model.findRowByTextNoCase("alpha", 0), 0);
    EXPECT_EQ(model.findRowByText(nullptr, 0), -1);
    GString scratch;
    const char* held = model.cellText(scratch, 2, 0);
    EXPECT_EQ(model.findRowByText(held, 0), 2);  // the same pointer
}

TEST(CellGridModel, SortWithoutCase) {
    GCellGridModel model(2);
    fill(model, {"pear", "1", "Apple", "2", nullptr, "3", "banana", "4", "apple", "5"});
    model.sortByColumn(0, true);
    EXPECT_TRUE(column(model, 0) == "- Apple apple banana pear " || column(model, 0) == "- apple Apple banana pear ")
        << column(model, 0);
    model.sortByColumn(0, false);
    EXPECT_EQ(column(model, 0).substr(0, 12), "pear banana ");
    EXPECT_EQ(column(model, 0).substr(24), "- ");

    // A column of empty cells loses no row.
    GCellGridModel empty(1);
    empty.appendRows(nullptr, 4);
    for (u64 r = 0; r < 4; ++r) empty.setCellValue(r, 0, (i32)r);
    empty.sortByColumn(0, true);
    i32 sum = 0;
    for (u64 r = 0; r < 4; ++r) sum += 1 << empty.cellValue(r, 0);
    EXPECT_EQ(sum, 15);
}

TEST(CellGridModel, AttachmentsDieWithTheirRows) {
    {
        GCellGridModel model(2);
        model.appendRows(nullptr, 4);
        for (u64 r = 0; r < 4; ++r) model.setAttachment(r, 1, new Counted);
        EXPECT_EQ(Counted::alive, 4);
        model.setAttachment(0, 1, new Counted);  // replaces and deletes the old one
        EXPECT_EQ(Counted::alive, 4);
        model.removeRows(1, 3);
        EXPECT_EQ(Counted::alive, 2);
        model.sortByColumn(0, true);
        EXPECT_EQ(Counted::alive, 2);
    }
    EXPECT_EQ(Counted::alive, 0);
}

// Rows of one heap text, to check the row array's own sort.
class TextRows : public GRowArrayModel {
public:
    ~TextRows() override { clearRows(); }
    i32 columnCount() override { return 1; }
    const char* cellText(GString&, u64 r, i32) override { return static_cast<const char*>(row(r)); }

protected:
    void* makeRow(const char* const* texts) override { return copyHeapText(texts ? texts[0] : nullptr); }
    void deleteRow(void* r) override { delete[] static_cast<char*>(r); }
};

TEST(RowArrayModel, SortsByGatheredTextsAndTakesRows) {
    TextRows model;
    const char* texts[] = {"b", "B", nullptr, "a"};
    model.appendRows(texts, 4);
    model.sortByColumn(0, true);
    EXPECT_EQ(column(model, 0), "- B a b ");  // byte order, none first
    model.sortByColumn(0, false);
    EXPECT_EQ(column(model, 0), "b a B - ");
    void* made[] = {copyHeapText("m"), copyHeapText("n")};
    model.insertRowPointers(1, made, 2);
    EXPECT_EQ(column(model, 0), "b m n a B - ");
    model.removeRows(4, 99);
    EXPECT_EQ(column(model, 0), "b m n a ");
}

}  // namespace
