#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exceptions.h"
#include "gui/views/cell_format.h"
#include "gui/views/report_row.h"
#include "gui/views/string_list_model.h"
#include "gui/views/table_model.h"

namespace {
// Two columns over fixed texts; column 1 is the row number. Only the abstract slots are filled.
class TextsModel : public GTableModel {
public:
    explicit TextsModel(std::vector<const char*> texts) : texts(std::move(texts)) {}
    u64 rowCount() override { return texts.size(); }
    i32 columnCount() override { return 2; }
    const char* cellText(GString& scratch, u64 row, i32 column) override {
        if (column == 0) return texts[row];
        stringFormat(scratch, "%u", (u32)row);
        return scratch.c_str();
    }
    void clearRows() override {}
    void removeRows(u64, u64) override {}
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }
    std::vector<const char*> texts;
};

// Any number of rows whose text is made from the row number.
class CountingModel : public TextsModel {
public:
    explicit CountingModel(u64 n) : TextsModel({}), n(n) {}
    u64 rowCount() override { return n; }
    const char* cellText(GString& scratch, u64 row, i32) override {
        stringFormat(scratch, "row %llu", (unsigned long long)row);
        return scratch.c_str();
    }
    u64 n;
};

struct Counted : GCommonObject {
    explicit Counted(int* alive) : alive(alive) { ++*alive; }
    ~Counted() override { --*alive; }
    int* alive;
};

std::vector<std::string> column0(GTableModel& model) {
    std::vector<std::string> out;
    GString scratch;
    for (u64 r = 0; r < model.rowCount(); ++r) {
        const char* t = model.cellText(scratch, r, 0);
        out.push_back(t ? t : "<null>");
    }
    return out;
}
}  // namespace

TEST(TableModelDefaults, FindRowByTextAndWithoutCase) {
    TextsModel empty({});
    EXPECT_EQ(empty.findRowByText("a", 0), -1);
    EXPECT_EQ(empty.findRowByTextNoCase("a", 0), -1);

    TextsModel model({nullptr, "Beta", "beta", "", "alpha", "Beta"});
    struct Case {
        const char* text;
        i64 exact, noCase;
    } cases[] = {
        {"beta", 2, 1},   {"Beta", 1, 1},    {"BETA", -1, 1},  {"bet", -1, -1}, {"betas", -1, -1},
        {"", 3, 3},       {nullptr, -1, -1}, {"ALPHA", -1, 4}, {"gamma", -1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(model.findRowByText(c.text, 0), c.exact) << (c.text ? c.text : "null");
        EXPECT_EQ(model.findRowByTextNoCase(c.text, 0), c.noCase) << (c.text ? c.text : "null");
    }
    EXPECT_EQ(model.findRowByText("4", 1), 4);  // another column, text made in the scratch
}

TEST(TableModelDefaults, TrivialSlots) {
    TextsModel model({"a"});
    u64 rows = 9, rowOffset = 9;
    i32 columns = 9, columnOffset = 9;
    model.cellSpan(0, 0, &rows, &columns, &rowOffset, &columnOffset);
    EXPECT_EQ(rows, 1u);
    EXPECT_EQ(columns, 1);
    EXPECT_EQ(rowOffset, 0u);
    EXPECT_EQ(columnOffset, 0);
    EXPECT_EQ(model.cellFormat(0, 0), defaultCellFormat());
    EXPECT_EQ(model.cellFormat(0, 0)->inputBits(), (u32)(CellPressSelects | CellPressOwnInput));
    EXPECT_THROW(model.sortByColumn(0, true), GException);
}

TEST(TableModelDefaults, SortRowsByText) {
    TextsModel model({"b", nullptr, "a", "B", "ab", "b"});
    SortedRows up = sortModelRowsByText(model, 0, true, 6);
    ASSERT_EQ(up.count, 6u);
    std::vector<u64> order;
    for (u32 i = 0; i < up.count; ++i) order.push_back(up[i].row);
    // null sorts as the empty text; byte order puts "B" before "a"; the two "b" rows in any order.
    EXPECT_EQ(std::vector<u64>(order.begin(), order.begin() + 4), (std::vector<u64>{1, 3, 2, 4}));
    EXPECT_EQ(up[0].text, nullptr);
    EXPECT_STREQ(up[5].text, "b");
    EXPECT_NE(up[5].text, model.texts[up[5].row]);  // a copy

    SortedRows down = sortModelRowsByText(model, 0, false, 6);
    std::vector<u64> tail;
    for (u32 i = 2; i < 6; ++i) tail.push_back(down[i].row);
    EXPECT_EQ(tail, (std::vector<u64>{4, 2, 3, 1}));

    SortedRows firstTwo = sortModelRowsByText(model, 1, false, 2);  // only the first n rows
    EXPECT_EQ(firstTwo[0].row, 1u);
    EXPECT_STREQ(firstTwo[0].text, "1");
}

TEST(TableModelDefaults, SortRefusesCountsOutsideTheRange) {
    CountingModel model(MaxSortedRows + 1);
    for (i32 n : {0, -1, (i32)MaxSortedRows + 1}) {
        try {
            sortModelRowsByText(model, 0, true, n);
            ADD_FAILURE() << n;
        } catch (i32 thrown) {
            EXPECT_EQ(thrown, n);
        }
    }
    SortedRows all = sortModelRowsByText(model, 0, true, (i32)MaxSortedRows);
    EXPECT_EQ(all.count, (u32)MaxSortedRows);
    EXPECT_STREQ(all[0].text, "row 0");
    EXPECT_STREQ(all[1].text, "row 1");
    EXPECT_STREQ(all[2].text, "row 10");
}

TEST(StringListModel, InsertRemoveAndOwnedObjects) {
    int alive = 0;
    {
        GStringListModel model;
        model.addItem("one", 11, new Counted(&alive));
        model.addItem("four", 44);
        const char* middle[] = {"two", "three"};
        EXPECT_EQ(model.insertRows(1, middle, 2), 2u);
        EXPECT_EQ(model.appendRows(nullptr, 1), 1u);
        EXPECT_EQ(column0(model), (std::vector<std::string>{"one", "two", "three", "four", ""}));
        EXPECT_EQ(model.cellValue(3, 0), 44);
        EXPECT_EQ(model.findRowByText("three", 0), 2);

        model.setCellText(1, 0, "TWO");
        model.removeRows(0, 2);  // deletes the owned object with its item
        EXPECT_EQ(alive, 0);
        EXPECT_EQ(column0(model), (std::vector<std::string>{"three", "four", ""}));
        model.removeRows(2, 99);
        EXPECT_EQ(model.rowCount(), 2u);
        GString scratch;
        EXPECT_EQ(model.cellText(scratch, 5, 0), nullptr);

        model.addItem("five", 0, new Counted(&alive));
    }
    EXPECT_EQ(alive, 0);
}

TEST(ReportRow, CellsFormsAndOwnership) {
    int alive = 0;
    ReportRow* root = new ReportRow(nullptr, "Device", nullptr);
    EXPECT_EQ(root->parent, nullptr);
    EXPECT_FALSE(root->hasChildren());

    ReportRow* negative = ReportRow::fromInt(root, "Gain", -1);
    ReportRow* bits = ReportRow::fromUnsigned(root, "Mask", (u32)-1);
    ReportRow* nested = new ReportRow(negative, "Inner", "x");
    nested->extra = new Counted(&alive);
    root->extra = new Counted(&alive);
    EXPECT_EQ(negative->parent, root);
    EXPECT_EQ(root->childCount(), 2u);
    EXPECT_EQ(root->child(1), bits);
    EXPECT_TRUE(root->hasChildren());

    GString scratch, name("x");
    struct Case {
        ReportRow* row;
        i32 column;
        const char* text;
    } cases[] = {
        {root, 0, "Device"}, {root, 1, ""},   {negative, 1, "-1"}, {bits, 1, "4294967295"},
        {bits, 0, "Mask"},   {bits, 2, ""},   {bits, 7, ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(c.row->columnText(scratch, c.column, nullptr), c.text) << c.column;
    EXPECT_EQ(root->cells[1].text, nullptr);  // a null value stays null

    bits->cells[1].value = 7;
    static GTextCellFormat other;
    bits->cells[1].format = &other;
    EXPECT_EQ(bits->columnValue(1), 7u);
    EXPECT_EQ(bits->columnValue(2), 0u);
    EXPECT_EQ(bits->cellObject(1), &other);
    EXPECT_EQ(bits->cellObject(0), defaultCellFormat());
    EXPECT_EQ(bits->cellObject(2), defaultCellFormat());
    bits->displayName(name);
    EXPECT_STREQ(name.c_str(), "");

    EXPECT_EQ(alive, 2);
    delete root;  // children, grandchildren and every extra object
    EXPECT_EQ(alive, 0);
}
