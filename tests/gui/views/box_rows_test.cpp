// A stand-alone list box over its row model in a real dialog: row operations and the repaint of
// appended texts with and without the redraw lock.
#include <gtest/gtest.h>

#include <memory>

#include "gui/dialog.h"
#include "gui/layout_cell.h"
#include "gui/views/box.h"
#include "gui/window_procedure.h"
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
    EXPECT_FALSE(f.painted());
    ASSERT_TRUE(pumpUntil([&] { return f.painted(); }));

    f.box->flags &= ~WindowRelayoutPending;
    f.box->setRowText(texts, 3, 2);
    EXPECT_EQ(6u, f.box->rowCount());
    EXPECT_EQ(0u, f.box->flags & (WindowRelayoutPending | WindowRepaintPending));
    RECT update, client;
    ASSERT_TRUE(GetUpdateRect(f.box->hwnd, &update, FALSE));
    GetClientRect(f.box->hwnd, &client);
    EXPECT_TRUE(EqualRect(&update, &client));
}
