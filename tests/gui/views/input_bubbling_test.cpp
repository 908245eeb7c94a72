#include "gui/views/input_bubbling.h"

#include <gtest/gtest.h>

#include <string>

#include "gui/input/system_input.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "tests/gui/gui_fixture.h"

namespace {

std::string visits;

// An item that records each offer and takes it when told to.
class Offered : public GLayoutItem {
public:
    Offered(GWindow* owner, char name, bool takes) : GLayoutItem(owner), name(name), takes(takes) {}
    bool handleMouse(GInputEvent*) override {
        visits += name;
        return takes;
    }
    char name;
    bool takes;
};

class OfferedFrame : public GParentWindow {
public:
    bool handleMouse(GInputEvent*) override {
        visits += 'W';
        return takes;
    }
    bool takes = false;
};

TEST(InputBubbling, OffersUpTheTreeThenToTheOwnerWindow) {
    OfferedFrame frame;  // no native window: only its item is asked
    frame.flags &= ~WindowDeleteOnFinal;
    Offered* root = new Offered(&frame, 'R', false);
    Offered* middle = new Offered(&frame, 'M', false);
    Offered* leaf = new Offered(&frame, 'L', false);
    root->addChild(middle);
    middle->addChild(leaf);
    GInputEvent e;

    visits.clear();
    EXPECT_FALSE(bubbleInputEvent(leaf, &e));
    EXPECT_EQ(visits, "LMRW");  // the root has no container: its owner window's item

    middle->takes = true;
    visits.clear();
    EXPECT_TRUE(bubbleInputEvent(leaf, &e));
    EXPECT_EQ(visits, "LM");

    frame.takes = true;
    middle->takes = false;
    visits.clear();
    EXPECT_TRUE(bubbleInputEvent(leaf, &e));
    EXPECT_EQ(visits, "LMRW");
    delete root;
}

POINT cursor;
BOOL fixedCursor(POINT* p) {
    *p = cursor;
    return TRUE;
}

TEST(InputBubbling, CursorEventInTheTargetWindowsClientArea) {
    TestApplication app;
    GParentWindow* frame = new GParentWindow;
    createTopLevelWindow(frame, WS_POPUP, 0, "");
    SetWindowPos(frame->hwnd, HWND_TOP, 100, 50, 200, 100, SWP_NOACTIVATE | SWP_NOZORDER);
    GLayoutItem* item = new GLayoutItem(frame);
    frame->setContent(item);
    cursor = {130, 90};
    systemInput.cursorPos = fixedCursor;
    GInputEvent e = makeCursorEvent(item, KeyDown, 7, ModShift);
    systemInput = systemInputDefaults;
    EXPECT_EQ(e.target, item);
    EXPECT_EQ(e.kind, (u32)KeyDown);
    EXPECT_EQ(e.key, 7u);
    EXPECT_EQ(e.modifiers, (u32)ModShift);
    EXPECT_EQ(e.x, 30);
    EXPECT_EQ(e.y, 40);
    DestroyWindow(frame->hwnd);
}

TEST(InputBubbling, InputEventsFromRawMouseEvents) {
    GLayoutItem* target = reinterpret_cast<GLayoutItem*>(0x1000);
    struct Case {
        bool mouse;
        u8 action;
        u32 code;
    };
    const Case cases[] = {{true, MousePress, CellInputPress},     {true, MouseDoubleClick, CellInputDoubleClick},
                          {true, MouseRelease, CellInputRelease}, {true, MouseMove, 0},
                          {false, 0, 0}};
    for (const Case& c : cases) {
        GInputEvent raw;
        raw.target = target;
        raw.mouse = c.mouse;
        raw.action = c.action;
        raw.kind = 99;
        raw.x = 12;
        raw.y = 34;
        GInputEvent e = makeInputEvent(raw, 5, MouseShift);
        EXPECT_EQ(c.code, e.kind) << (int)c.action;
        EXPECT_EQ(target, e.target);
        EXPECT_EQ(12, e.x);
        EXPECT_EQ(34, e.y);
        EXPECT_EQ(0, e.action);
        EXPECT_EQ(5u, e.key);
        EXPECT_EQ((u32)MouseShift, e.modifiers);
    }
}

}  // namespace
