// A stand-alone list box over its row model in a real dialog: row operations and the repaint of
// appended texts with and without the redraw lock.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/bag.h"
#include "core/exceptions.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/views/box.h"
#include "tests/gui/gui_fixture.h"

namespace {
class FreeItem : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;
    void setRect(const RECT& r) override { rect = r; }
};

struct BoxFixture {
    TestApplication app;
    GDialog dialog{nullptr, "index.htm"};
    GBox* box = nullptr;

    BoxFixture() {
        createTopLevelWindow(&dialog, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(dialog.hwnd, HWND_TOP, 0, 0, 300, 200, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        auto* root = new FreeItem(&dialog);
        dialog.setContent(root);
        GTableDesc desc;
        desc.flags |= TableMultiSelect;
        box = addTable(root, &dialog, desc);
        box->setRect(RECT{10, 10, 210, 150});
    }
    ~BoxFixture() {
        if (!IsWindow(dialog.hwnd)) return;
        SetWindowLongA(dialog.hwnd, GWL_STYLE, GetWindowLongA(dialog.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(dialog.hwnd);
    }
    bool painted() { return !GetUpdateRect(box->hwnd, nullptr, FALSE); }
};

struct CountedObject : ListRowObject {
    explicit CountedObject(int* deletions) : deletions(deletions) {}
    ~CountedObject() override { ++*deletions; }
    int* deletions;
};
}  // namespace

TEST(BoxRows, ItemsInsertsAndTextCopies) {
    BoxFixture f;
    ASSERT_NE(nullptr, f.box);
    ListRowModel* m = f.box->rowModel();
    ASSERT_NE(nullptr, m);
    int deletions = 0;
    f.box->addItem(5, 6, new CountedObject(&deletions), 7);
    f.box->appendRow();
    f.box->insertRow(99, 1, 2, 3);  // past the end: appended
    f.box->insertRow(0, 8, 9, 10);
    ASSERT_EQ(4u, f.box->rowCount());
    ASSERT_EQ(4u, m->rows.count);
    struct Case {
        u32 value, second, data;
    } cases[] = {{8, 9, 10}, {5, 6, 7}, {0, 0, 0}, {1, 2, 3}};
    for (u32 i = 0; i < 4; ++i) {
        EXPECT_EQ(cases[i].value, m->row(i)->value) << i;
        EXPECT_EQ(cases[i].second, m->row(i)->secondValue) << i;
        EXPECT_EQ(cases[i].data, m->row(i)->data) << i;
    }
    EXPECT_EQ(nullptr, f.box->rowText(0));
    EXPECT_EQ(nullptr, f.box->rowText(4));
    const char* texts[] = {"one", "two"};
    f.box->setRowText(texts, 2, 42);
    std::unique_ptr<char[]> copy(f.box->rowText(5));
    ASSERT_NE(nullptr, copy);
    EXPECT_STREQ("two", copy.get());
    EXPECT_NE(m->row(5)->text, copy.get());
    EXPECT_EQ(42u, m->row(4)->value);
    EXPECT_EQ(6u, f.box->rowCount());
    m->removeRows(1, 2);
    EXPECT_EQ(1, deletions);
}

TEST(BoxRows, SetRowTextUnderTheLockOnlyFlagsOtherwiseRepaints) {
    BoxFixture f;
    ASSERT_TRUE(pumpUntil([&] { return f.painted(); }));
    const char* texts[] = {"a", "b", "c"};

    f.box->beginRedrawLock();
    f.box->setRowText(texts, 3, 1);
    EXPECT_EQ(3u, f.box->rowCount());
    EXPECT_EQ(u32(WindowRelayoutPending | WindowRepaintPending),
              f.box->flags & (WindowRelayoutPending | WindowRepaintPending));
    EXPECT_TRUE(f.painted());  // nothing invalidated while locked
    f.box->endRedrawLock();
    EXPECT_EQ(0u, f.box->flags & (WindowRelayoutPending | WindowRepaintPending));  // both carried out
    EXPECT_FALSE(f.painted());
    ASSERT_TRUE(pumpUntil([&] { return f.painted(); }));

    f.box->setRowText(texts, 3, 2);
    EXPECT_EQ(6u, f.box->rowCount());
    EXPECT_EQ(0u, f.box->flags & (WindowRelayoutPending | WindowRepaintPending));
    RECT update, client;
    ASSERT_TRUE(GetUpdateRect(f.box->hwnd, &update, FALSE));
    GetClientRect(f.box->hwnd, &client);
    EXPECT_TRUE(EqualRect(&update, &client));
}

namespace {
GBag textList(const std::string& bytes) {
    GBag bag;
    bagWriteBytes(bag, bytes.data(), (u32)bytes.size());
    bag.pos = 0;
    return bag;
}

std::string itemTexts(GListInterface& list) {
    std::string out;
    for (i32 i = 0; i < list.itemCount(); ++i) {
        std::unique_ptr<char[]> text(list.itemText(i));
        out += (text ? text.get() : "<null>") + std::string(list.isItemSelected(i) ? "*" : "") + " ";
    }
    return out;
}
}  // namespace

TEST(BoxRows, ListInterfaceFillsSelectsAndReads) {
    BoxFixture f;
    ASSERT_EQ(static_cast<GListInterface*>(f.box), static_cast<GItemBase*>(f.box)->asList());
    EXPECT_EQ(nullptr, f.dialog.asList());
    GListInterface& list = *f.box->asList();
    const char raw[] = "one\0\0two\0three\0four\0five\0six\0seven\0eight\0nine\0ten\0";
    GBag bag = textList(std::string(raw, sizeof raw - 1));
    list.setItems(bag, 8);
    EXPECT_EQ("one two three four five six seven eight nine* ten ", itemTexts(list));
    EXPECT_EQ(8, list.currentItem());
    // The selected row was scrolled into view.
    RECT row = f.box->cellRect(8, 0), client;
    GetClientRect(f.box->hwnd, &client);
    EXPECT_GE(row.top, 0);
    EXPECT_LE(row.bottom, client.bottom);

    list.selectItem(1);
    list.selectItem(10);  // past the items: nothing
    list.addItem("eleven");
    list.addItem(nullptr);
    EXPECT_EQ("one two* three four five six seven eight nine ten eleven <null> ", itemTexts(list));
    EXPECT_EQ(1, list.currentItem());
    EXPECT_EQ(0xFFFFFFFFu, f.box->rowModel()->row(10)->secondValue);
    EXPECT_EQ(nullptr, list.itemText(-1));
    EXPECT_EQ(nullptr, list.itemText(12));

    // A text without its zero byte: the rows before it stay, the view counts them and the lock is
    // released.
    const char cutRaw[] = "alpha\0beta\0gam";
    GBag cut = textList(std::string(cutRaw, sizeof cutRaw - 1));
    EXPECT_THROW(list.setItems(cut, 0), GBagException);
    EXPECT_EQ(2, list.itemCount());
    EXPECT_EQ(2u, f.box->rowCount());
    EXPECT_EQ(0, f.box->redrawLock);
    EXPECT_EQ("alpha* beta ", itemTexts(list));
}

TEST(BoxRows, SetRowsCopiesEveryTextIntoTheList) {
    BoxFixture f;
    const char* texts[] = {"a", "b", "c"};
    f.box->setRowText(texts, 3, 0);
    f.box->appendRow();  // a null text
    StringList list;
    for (const char* old : {"x", "y", "z", "w", "v", "u"}) stringListAppend(list, old);
    f.box->setRows(list);
    ASSERT_EQ(4u, list.count);
    EXPECT_STREQ("a", stringListAt(list, 0));
    EXPECT_STREQ("c", stringListAt(list, 2));
    EXPECT_EQ(nullptr, stringListAt(list, 3));
    EXPECT_NE(f.box->rowModel()->row(0)->text, stringListAt(list, 0));
    f.box->clearRows();
    f.box->setRows(list);
    EXPECT_EQ(0u, list.count);
    deleteOwnedArray(list);
}

TEST(BoxRows, AddTableMakesOneColumnMultiSelectionListsWithTheAlignment) {
    BoxFixture f;
    struct Case {
        const char* alignment;
        char h, v;
    } cases[] = {{nullptr, '?', '?'}, {"<^", '<', '^'}, {"*v", '?', 'v'}, {">*", '>', '?'}};
    for (const Case& c : cases) {
        GTableDesc desc;
        desc.columnCount = 3;
        desc.flags = 0;
        GBox* box = addTable(f.dialog.content->asLayoutItem(), &f.dialog, desc, TableToolTips, c.alignment);
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(c.h, box->hAlign) << (c.alignment ? c.alignment : "null");
        EXPECT_EQ(c.v, box->vAlign) << (c.alignment ? c.alignment : "null");
        EXPECT_TRUE(box->selection()->isMulti());
        EXPECT_EQ(1, box->model()->columnCount());
        EXPECT_EQ(1u, box->columns.count());
        EXPECT_TRUE(box->tableFlags & TableToolTips);
        EXPECT_EQ(box, f.dialog.content->asLayoutItem()->children.back());
        EXPECT_EQ(nullptr, desc.model);
    }
}
