// Row records, row arrays and the row model; filling from a zero-separated text list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/bag.h"
#include "core/exceptions.h"
#include "gui/views/list_rows.h"
#include "tests/gui/control_fixture.h"

using namespace controls;

namespace {
std::vector<std::string> texts(ListRowModel& model) {
    std::vector<std::string> out;
    for (u32 i = 0; i < model.rows.count; ++i) {
        const char* t = model.rows.data[i]->text;
        out.push_back(t ? t : "<null>");
    }
    return out;
}

void fillBag(GBag& bag, const std::string& bytes) {
    bagWriteBytes(bag, bytes.data(), (u32)bytes.size());
    bag.pos = 0;
}

struct CountedObject : ListRowObject {
    explicit CountedObject(int* deletions) : deletions(deletions) {}
    ~CountedObject() override { ++*deletions; }
    int* deletions;
};
}  // namespace

TEST(ListRows, ArrayGrowsInSteps) {
    struct Case {
        u32 n, capacity;
    } cases[] = {{1, 16}, {16, 16}, {17, 32}, {256, 256}, {257, 512}, {4096, 4096}, {4097, 8192}};
    for (const Case& c : cases) EXPECT_EQ(c.capacity, rowArrayCapacity(c.n)) << c.n;
    ListRowArray rows;
    for (int i = 0; i < 300; ++i) addTextRow(rows, "x");
    EXPECT_EQ(300u, rows.count);
    EXPECT_EQ(512u, rows.capacity);
}

TEST(ListRows, RecordsOwnTheirTextAndObject) {
    int deletions = 0;
    {
        ListRowArray rows;
        addTextRow(rows, "text");
        ChoiceList::add(rows, "choice", 7, 9);
        ChoiceList::add(rows, nullptr, 1, 2);
        rows.data[1]->object = new CountedObject(&deletions);
        EXPECT_EQ(0xFFFFFFFFu, rows.data[0]->secondValue);
        EXPECT_EQ(0u, rows.data[0]->value);
        EXPECT_STREQ("choice", rows.data[1]->text);
        EXPECT_EQ(7u, rows.data[1]->value);
        EXPECT_EQ(9u, rows.data[1]->secondValue);
        EXPECT_EQ(nullptr, rows.data[2]->text);
        rows.remove(1, 2);
        EXPECT_EQ(1, deletions);
        EXPECT_EQ(2u, rows.count);
    }
    EXPECT_EQ(1, deletions);
}

TEST(ListRowModel, FindAppendInsertAndSortWithoutCase) {
    ListRowModel model;
    const char* initial[] = {"b", "A", "c"};
    model.appendRows(initial, 3);
    model.appendRowRecords(nullptr, 1);  // one empty row: a null text
    ListRow* given[] = {new ListRow("a", 5, 0), new ListRow("B", 6, 0)};
    model.insertRowRecords(1, given, 2);
    EXPECT_EQ((std::vector<std::string>{"b", "a", "B", "A", "c", "<null>"}), texts(model));
    EXPECT_EQ(5, model.findRowByText(nullptr, 0));
    EXPECT_EQ(2, model.findRowByText("B", 0));
    EXPECT_EQ(-1, model.findRowByText("C", 0));  // case counts in finding
    GString scratch;
    EXPECT_STREQ("a", model.cellText(scratch, 1, 0));
    EXPECT_EQ(5, model.cellValue(1, 0));

    model.sortByColumn(0, true);
    std::vector<std::string> sorted = texts(model);
    EXPECT_EQ("<null>", sorted[0]);  // null as empty, first
    for (int pair = 1; pair <= 3; pair += 2) {
        // Case-only differences stay adjacent.
        EXPECT_EQ(sorted[pair].size(), 1u);
        EXPECT_EQ(tolower(sorted[pair][0]), tolower(sorted[pair + 1][0]));
    }
    EXPECT_EQ("a", std::string(1, (char)tolower(sorted[1][0])));
    EXPECT_EQ("c", sorted[5]);
    model.sortByColumn(0, false);
    EXPECT_EQ("c", texts(model)[0]);
    EXPECT_EQ("<null>", texts(model)[5]);
}

TEST(ListRowModel, TextListSkipsEmptyTextsAndReleasesTheLockOnAMissingZero) {
    Fixture f;
    Patch* window = new Patch(f.dialog, RGB(0, 0, 0));
    window->create(WS_CHILD | WS_VISIBLE);
    ListRowModel model;
    model.appendRows(nullptr, 3);

    GBag bag;
    fillBag(bag, std::string("one\0\0two\0", 9));
    fillRowsFromTextList(model, bag, window);
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), texts(model));
    EXPECT_EQ(0, window->redrawLock);

    GBag broken;
    fillBag(broken, std::string("first\0second", 12));
    EXPECT_THROW(fillRowsFromTextList(model, broken, window), GBagException);
    EXPECT_EQ((std::vector<std::string>{"first"}), texts(model));
    EXPECT_EQ(0, window->redrawLock);
    EXPECT_TRUE(IsWindowVisible(window->hwnd));
}
