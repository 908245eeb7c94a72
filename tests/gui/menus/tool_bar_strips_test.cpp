#include <gtest/gtest.h>

#include "gui/controls/tool_bar.h"
#include "gui/layout/strip_item.h"
#include "gui/menus/grip_tracker.h"
#include "gui/menus/tool_bar_strips.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"
#include "tests/gui/menu_fixture.h"

namespace {
enum : i32 { A = 501, B = 502, C = 503 };
const i32 kIds[] = {A, B, C};

// A record of a tool bar at a place.
struct Record {
    GToolBarSpec spec;
    Record(WindowKind* kind, const char* name, i32 p1, i32 p3, i32 p2, i32 p4 = 0, u8 shown = 1) {
        spec.name = name;
        spec.entryKind = SpecToolBar;
        spec.defaultIds = kIds;
        spec.defaultCount = 3;
        spec.p1 = p1;
        spec.p2 = p2;
        spec.p3 = p3;
        spec.p4 = p4;
        spec.shown = shown;
        linkSpec(kind, &spec);
    }
    ~Record() { unlinkSpec(&spec); }
    std::string place() const {
        return std::to_string(spec.p1) + " " + std::to_string(spec.p3) + " " + std::to_string(spec.p2) + " " +
               (spec.p4 ? std::string(1, (char)spec.p4) : "0");
    }
};

std::string rowsOf(GStripItem* strip) {
    std::string out;
    for (const auto& row : strip->rows) {
        out += "[";
        for (GLayoutCell* c : row) out += c ? std::string(static_cast<GToolBar*>(c)->name) + " " : "_ ";
        out += "]";
    }
    return out;
}

BOOL CALLBACK countBar(HWND hwnd, LPARAM arg) {
    GChildWindow* w = windowFromHandle(hwnd);
    if (w && w->isKindOf(TypeToolBar)) ++*(int*)arg;
    return TRUE;
}
int countBars(HWND top) {
    int n = 0;
    EnumChildWindows(top, countBar, (LPARAM)&n);
    return n;
}

class Strips : public ::testing::Test {
protected:
    void SetUp() override {
        ansiMode = 0;
        for (i32 id : kIds) fx.add((u32)id, "Action", nullptr);
        ASSERT_TRUE(frame.create());
        SetWindowPos(frame.hwnd, HWND_TOPMOST, 100, 100, 300, 200, SWP_NOACTIVATE);
        seam.active = frame.hwnd;
    }
    void TearDown() override { DestroyWindow(frame.hwnd); }

    TestApplication test;
    InputSeam seam;
    ActionFixture fx;
    KindFrame& frame = *new KindFrame(EditorKindId);  // deletes itself with its window
};

TEST_F(Strips, ArrangeBuildsTheBarsAndWritesTheirPlacesBack) {
    GLayoutItem* root = new GLayoutItem(&frame);
    GStripItem* top = new GStripItem(&frame, 1, 0);
    GStripItem* hidden = new GStripItem(&frame, 2, 0);
    GStripItem* side = new GStripItem(&frame, 3, 1);
    root->addChild(top);
    root->addChild(hidden);
    root->addChild(side);
    hidden->cellFlags &= ~CellVisible;
    frame.setContent(root);

    Record first(&fx.editor, "First", 1, -1, 0);    // a new first row
    Record distant(&fx.editor, "Far", 1, 0, 5);         // past the row's end
    Record same(&fx.editor, "Same", 1, 0, 0);       // the place of First: inserted before it
    Record lost(&fx.editor, "Lost", 2, 0, 0);       // its strip is hidden
    Record off(&fx.editor, "Off", 3, 0, 0, 0, 0);   // not shown
    Record column(&fx.editor, "Column", 3, 0, -1, 'v');
    Record empty(&fx.editor, "Empty", 3, 0, 0);
    empty.spec.defaultCount = 0;
    Record menu(&fx.editor, "Menu", 3, 0, 0);
    menu.spec.entryKind = SpecMenu;

    for (int pass = 0; pass < 2; ++pass) {
        arrangeToolBars(&frame);
        EXPECT_EQ(rowsOf(top), "[Same First Far ]") << pass;
        EXPECT_EQ(rowsOf(side), "[Column ]") << pass;
        EXPECT_EQ(first.place(), "1 0 1 <") << pass;
        EXPECT_EQ(distant.place(), "1 0 2 <") << pass;
        EXPECT_EQ(same.place(), "1 0 0 <") << pass;
        EXPECT_EQ(column.place(), "3 0 0 v") << pass;
        EXPECT_EQ(lost.place(), "2 0 0 0") << pass;
        EXPECT_EQ(countBars(frame.hwnd), 4) << pass;  // the bars of the first pass are gone
    }
    GToolBar* bar = static_cast<GToolBar*>(top->rows[0][0]);
    EXPECT_EQ(bar->spec, &same.spec);
    EXPECT_EQ(bar->buttons.size(), 3u);
    EXPECT_TRUE(bar->hasGrip());

    // A window without a kind only loses its bars.
    KindFrame& plain = *new KindFrame(1700);
    ASSERT_TRUE(plain.create());
    GStripItem* strip = new GStripItem(&plain, 1, 0);
    plain.setContent(strip);
    strip->add(GToolBar::create(&plain, "Old", 0, 0), 0, -1, 0);
    arrangeToolBars(&plain);
    EXPECT_TRUE(strip->rows.empty());
    EXPECT_EQ(countBars(plain.hwnd), 0);
    DestroyWindow(plain.hwnd);
}

// An application window of a kind, recording when its tool-bar set changed.
class AppWindowStub : public KindFrame {
public:
    explicit AppWindowStub(u32 type) : KindFrame(type) {}
    bool isKindOf(u32 id) const override { return id == TypeAppWindow || KindFrame::isKindOf(id); }
    int updates = 0;
};

class Grips : public Strips {
protected:
    void SetUp() override {
        Strips::SetUp();
        strip = new GStripItem(&frame, 1, 0);
        frame.setContent(strip);
        saved = toolBarSetChanged;
        toolBarSetChanged = [](GParentWindow* window) { ++static_cast<AppWindowStub*>(window)->updates; };
    }
    void TearDown() override {
        toolBarSetChanged = saved;
        Strips::TearDown();
    }
    void (*saved)(GParentWindow*) = nullptr;
    // A message to the bar at a client point, with the pointer there.
    void at(GToolBar* bar, u32 message, i32 x, i32 y) {
        seam.pointAt(bar->hwnd, x, y);
        SendMessageA(bar->hwnd, message, 0, MAKELPARAM((u16)x, (u16)y));
    }
    // A move with the pointer at a client point of the frame.
    void dragTo(GToolBar* bar, i32 x, i32 y) {
        seam.pointAt(frame.hwnd, x, y);
        POINT p = seam.cursor;
        ScreenToClient(bar->hwnd, &p);
        SendMessageA(bar->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((u16)p.x, (u16)p.y));
    }
    GToolBar* barAt(int row, int index) { return static_cast<GToolBar*>(strip->rows[row][index]); }

    GStripItem* strip = nullptr;
};

TEST_F(Grips, PressAndReleaseWithoutAMoveStaysInHover) {
    Record one(&fx.editor, "One", 1, 0, 0);
    Record two(&fx.editor, "Two", 1, 1, 0);
    arrangeToolBars(&frame);
    GToolBar* bar = barAt(1, 0);
    at(bar, WM_MOUSEMOVE, 3, 10);
    EXPECT_EQ(bar->gripTracker->state, GripHover);
    at(bar, WM_LBUTTONDOWN, 3, 10);
    EXPECT_EQ(bar->gripTracker->state, GripPressed);
    at(bar, WM_LBUTTONUP, 3, 10);
    EXPECT_EQ(bar->gripTracker->state, GripHover);
    EXPECT_EQ(rowsOf(strip), "[One ][Two ]");
    // Leaving the grip ends the hover.
    at(bar, WM_MOUSEMOVE, 40, 10);
    EXPECT_EQ(bar->gripTracker->state, GripIdle);
    EXPECT_EQ(bar->gripTracker->hot, 0);
}

TEST_F(Grips, DragIntoAnotherRowAlignsAndStoresEveryPlace) {
    Record one(&fx.editor, "One", 1, 0, 0);
    Record two(&fx.editor, "Two", 1, 1, 0);
    AppWindowStub& same = *new AppWindowStub(EditorKindId);
    AppWindowStub& other = *new AppWindowStub(OtherKindId);
    ASSERT_TRUE(same.create());
    ASSERT_TRUE(other.create());
    arrangeToolBars(&frame);
    GToolBar* bar = barAt(1, 0);
    const i32 length = bar->width();
    at(bar, WM_MOUSEMOVE, 3, 10);
    at(bar, WM_LBUTTONDOWN, 3, 10);
    at(bar, WM_MOUSEMOVE, 3, 10);  // the drag starts; the pointer has not moved
    EXPECT_EQ(bar->gripTracker->state, GripDragging);
    EXPECT_EQ(rowsOf(strip), "[One ][Two ]");

    // Into the first row, right of One, at a free place.
    dragTo(bar, 100 + 3, 0 + 10);
    EXPECT_EQ(rowsOf(strip), "[One Two ]");
    EXPECT_EQ(bar->hAlign, '|');
    EXPECT_EQ(bar->gripTracker->lastCursor, 8001u);
    EXPECT_EQ(bar->rect.left, 100);
    // Its own place again: it stays in the row; against the far edge it goes to the end.
    dragTo(bar, 290, 10);
    EXPECT_EQ(rowsOf(strip), "[One Two ]");
    EXPECT_EQ(bar->hAlign, '>');
    EXPECT_EQ(bar->gripTracker->lastCursor, 8002u);
    EXPECT_EQ(bar->rect.right, 300);
    // Past the dock's right end: no slot.
    dragTo(bar, 340, 10);
    EXPECT_EQ(bar->gripTracker->lastCursor, 8006u);
    EXPECT_EQ(rowsOf(strip), "[One Two ]");

    dragTo(bar, 290, 10);
    seam.pointAt(frame.hwnd, 290, 10);
    POINT p = seam.cursor;
    ScreenToClient(bar->hwnd, &p);
    SendMessageA(bar->hwnd, WM_LBUTTONUP, 0, MAKELPARAM((u16)p.x, (u16)p.y));
    EXPECT_EQ(bar->gripTracker->state, GripIdle);
    EXPECT_EQ(two.place(), "1 0 1 >");
    EXPECT_EQ(one.place(), "1 0 0 <");
    EXPECT_EQ(same.updates, 1);
    EXPECT_EQ(other.updates, 0);
    EXPECT_EQ(bar->rect.right - bar->rect.left, length);
    DestroyWindow(same.hwnd);
    DestroyWindow(other.hwnd);
}

TEST_F(Grips, TheBandAboveALoneBarDoesNotMoveIt) {
    Record one(&fx.editor, "One", 1, 0, 0);
    arrangeToolBars(&frame);
    GToolBar* bar = barAt(0, 0);
    at(bar, WM_MOUSEMOVE, 3, 10);
    at(bar, WM_LBUTTONDOWN, 3, 10);
    at(bar, WM_MOUSEMOVE, 3, 10);
    dragTo(bar, 3, 10 - 20);  // the bar's top at -20: in the band above the row
    EXPECT_EQ(bar->gripTracker->lastCursor, 8006u);
    EXPECT_EQ(rowsOf(strip), "[One ]");
    // A right button ends the drag.
    at(bar, WM_RBUTTONDOWN, 3, 10);
    EXPECT_EQ(bar->gripTracker->state, GripIdle);
    EXPECT_EQ(one.place(), "1 0 0 <");
}
}  // namespace
