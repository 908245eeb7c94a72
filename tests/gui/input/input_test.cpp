#include <gtest/gtest.h>

#include "core/texts.h"
#include "gui/input/input_routing.h"
#include "gui/input/key_names.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/layout/layout_cell.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
LPARAM keyParam(u32 scanCode) { return (LPARAM)(1 | scanCode << 16); }

TEST(InputTranslation, KeyMessagesGiveKindKeyModifiersAndTheSynthesisedFlag) {
    InputSeam seam;
    seam.held = {VK_SHIFT, VK_CONTROL, VK_LBUTTON, VK_RBUTTON};
    const struct {
        u32 message;
        u32 kind;
    } rows[] = {{WM_KEYDOWN, KeyDown},   {WM_SYSKEYDOWN, KeyDown},   {WM_KEYUP, KeyUp},
                {WM_SYSKEYUP, KeyUp},    {WM_CHAR, KeyCharacter},    {WM_SYSCHAR, KeyCharacter}};
    for (const auto& row : rows) {
        GInputEvent e;
        ASSERT_TRUE(keyModifierState(row.message, 'Q', keyParam(0x10), &e)) << row.message;
        EXPECT_EQ(e.kind, row.kind) << row.message;
        EXPECT_EQ(e.key, (u32)'Q');
        EXPECT_EQ(e.modifiers, ModShift | ModCtrl | ModLeftButton | ModRightButton);
        EXPECT_FALSE(e.noScanCode);
        EXPECT_TRUE(e.isShift() && e.isCtrl() && !e.isAlt());
    }
    seam.held = {VK_MENU, VK_MBUTTON};
    GInputEvent e;
    ASSERT_TRUE(keyModifierState(WM_KEYDOWN, VK_F5, keyParam(0), &e));
    EXPECT_TRUE(e.noScanCode);
    EXPECT_EQ(e.modifiers, ModAlt | ModMiddleButton);
    EXPECT_FALSE(e.repeat);
    // Bit 30 (the key was down before) marks an auto-repeated key down; every key up has it.
    const LPARAM wasDown = 0x40000000;
    ASSERT_TRUE(keyModifierState(WM_SYSKEYDOWN, VK_F5, keyParam(0x3F) | wasDown, &e));
    EXPECT_TRUE(e.repeat);
    ASSERT_TRUE(keyModifierState(WM_KEYUP, VK_F5, keyParam(0x3F) | wasDown | (LPARAM)0x80000000u, &e));
    EXPECT_FALSE(e.repeat);
    EXPECT_FALSE(keyModifierState(WM_MOUSEMOVE, 0, 0, &e));
    EXPECT_FALSE(keyModifierState(WM_DEADCHAR, 'a', 0, &e));
}

TEST(InputTranslation, MouseMessagesGiveButtonActionPointAndModifiers) {
    InputSeam seam;
    const struct {
        u32 message;
        u8 button, action;
    } rows[] = {
        {WM_MOUSEMOVE, ButtonNone, MouseMove},         {WM_LBUTTONDOWN, ButtonLeft, MousePress},
        {WM_LBUTTONUP, ButtonLeft, MouseRelease},      {WM_LBUTTONDBLCLK, ButtonLeft, MouseDoubleClick},
        {WM_RBUTTONDOWN, ButtonRight, MousePress},     {WM_RBUTTONUP, ButtonRight, MouseRelease},
        {WM_RBUTTONDBLCLK, ButtonRight, MouseDoubleClick}, {WM_MBUTTONDOWN, ButtonMiddle, MousePress},
        {WM_MBUTTONUP, ButtonMiddle, MouseRelease},    {WM_MBUTTONDBLCLK, ButtonMiddle, MouseDoubleClick},
    };
    for (const auto& row : rows) {
        GInputEvent e;
        ASSERT_TRUE(mouseEventFromMessage(row.message, MK_SHIFT | MK_LBUTTON, MAKELPARAM(-3, 40), &e));
        EXPECT_EQ(e.button, row.button) << row.message;
        EXPECT_EQ(e.action, row.action) << row.message;
        EXPECT_EQ(e.x, -3);
        EXPECT_EQ(e.y, 40);
        EXPECT_EQ(e.modifiers, (u32)MouseShift);
        EXPECT_TRUE(e.isShift() && !e.isCtrl() && !e.isAlt());
    }
    seam.held = {VK_MENU};
    GInputEvent e;
    ASSERT_TRUE(mouseEventFromMessage(WM_LBUTTONDOWN, MK_CONTROL, 0, &e));
    EXPECT_EQ(e.modifiers, MouseCtrl | MouseAlt);
    EXPECT_TRUE(e.isPress() && e.isCtrl() && e.isAlt() && !e.isShift());
    // A mouse event is never a key: its Ctrl bit is not the key events' Ctrl.
    EXPECT_FALSE(isCtrlKey(&e, 0));

    EXPECT_FALSE(mouseEventFromMessage(WM_MOUSEWHEEL, 0, 0, &e));
    EXPECT_FALSE(mouseEventFromMessage(WM_XBUTTONDOWN, 0, 0, &e));
    mouseInputBlocked = true;
    EXPECT_FALSE(mouseEventFromMessage(WM_LBUTTONDOWN, 0, 0, &e));
    mouseInputBlocked = false;
}

TEST(InputTranslation, PlainAndCtrlKeyTests) {
    const struct {
        u32 kind, key, modifiers;
        bool plainD, ctrlD;
    } rows[] = {
        {KeyDown, 'D', 0, true, false},
        {KeyDown, 'D', ModCtrl, false, true},
        {KeyDown, 'D', ModCtrl | ModShift, false, false},
        {KeyUp, 'D', ModCtrl, false, false},
        {KeyDown, 'E', ModCtrl, false, false},
        {KeyDown, 'D', ModLeftButton, false, false},  // a held button is a modifier bit too
        {KeyCharacter, 'D', 0, false, false},
    };
    for (const auto& row : rows) {
        GInputEvent e;
        e.kind = row.kind;
        e.key = row.key;
        e.modifiers = row.modifiers;
        EXPECT_EQ(isKeyDownPlain(&e, 'D'), row.plainD) << row.key << " " << row.modifiers;
        EXPECT_EQ(isCtrlKey(&e, 'D'), row.ctrlD) << row.key << " " << row.modifiers;
    }
}

TEST(KeyNames, CombinationTexts) {
    const struct {
        i32 key;
        u32 modifiers;
        const char* text;
    } rows[] = {
        {VK_F5, ModCtrl | ModShift, "Ctrl+Shift+F5"},
        {'K', ModShift | ModAlt | ModCtrl, "Ctrl+Alt+Shift+K"},
        {0, ModAlt, "Alt+..."},
        {0, 0, ""},
        {0xE5, 0, "[E5H]"},
        {VK_MULTIPLY, 0, "Num *"},
        {VK_SEPARATOR, 0, "Num ?"},
        {VK_F24, 0, "F24"},
        {VK_NEXT, 0, "PgDn"},
        {'7', 0, "7"},
        {0xBA, 0, ";"},
        {0xDC, 0, "\\"},
        {VK_SPACE, ModCtrl, "Ctrl+Space"},
        {VK_LBUTTON, 0, "Left Button"},
        {7, ModShift, "Shift+"},  // a label that is empty is still the key's text
    };
    for (const auto& row : rows) {
        GString text;
        keyToText(text, row.key, row.modifiers);
        EXPECT_STREQ(text.c_str(), row.text) << row.key;
    }
    GString appended("Undo\t");
    keyToText(appended, 'Z', ModCtrl);
    EXPECT_STREQ(appended.c_str(), "Undo\tCtrl+Z");
}

TEST(KeyNames, ArrowsFollowTheLanguageAndOthersAskTheSystem) {
    const char* saved = kxcoreTexts[(u32)CoreText::KeyLeft];
    kxcoreTexts[(u32)CoreText::KeyLeft] = "Links";
    GString text;
    keyToText(text, VK_LEFT, 0);
    kxcoreTexts[(u32)CoreText::KeyLeft] = saved;
    EXPECT_STREQ(text.c_str(), "Links");

    // Keys without a table name take the system's name of their scan code.
    EXPECT_EQ(keyTableName(VK_OEM_102), nullptr);
    EXPECT_EQ(keyTableName(VK_CLEAR), nullptr);
    UINT scan = MapVirtualKeyA(VK_OEM_102, 0);
    if (scan) {
        char expected[100] = "";
        ASSERT_GT(GetKeyNameTextA((LONG)(scan << 16), expected, sizeof expected), 0);
        GString name;
        keyToText(name, VK_OEM_102, 0);
        EXPECT_STREQ(name.c_str(), expected);
    }
}

// A frame holding an outer pane, an inner pane inside it and a hidden pane beside the inner one.
class Routing : public ::testing::Test {
protected:
    void SetUp() override {
        ansiMode = 0;
        frame = new InputFrame(&log, 100, 100, 300, 200);
        outer = (new Pane(frame, &log, "outer"))->place(20, 20, 200, 150);
        inner = (new Pane(outer, &log, "inner"))->place(30, 40, 50, 50);
        hidden = (new Pane(outer, &log, "hidden"))->place(100, 40, 50, 50, false);
    }
    void TearDown() override { delete frame; }

    TestApplication test;
    InputSeam seam;
    Log log;
    InputFrame* frame = nullptr;
    Pane *outer = nullptr, *inner = nullptr, *hidden = nullptr;
};

TEST_F(Routing, KeysClimbUntilAnItemStopsOrHandles) {
    const struct {
        i32 inner, outer, frame;
        bool handled;
        Log reached;
    } rows[] = {
        {1, 2, 2, false, {"inner key"}},  // 1 stops: the container never sees it
        {2, 0, 0, true, {"inner key"}},
        {0, 2, 0, true, {"inner key", "outer key"}},
        {0, 0, 2, true, {"inner key", "outer key", "frame key"}},
        {0, 0, 0, false, {"inner key", "outer key", "frame key"}},
        {0, 1, 2, false, {"inner key", "outer key"}},
    };
    for (const auto& row : rows) {
        inner->keyAnswer = row.inner;
        outer->keyAnswer = row.outer;
        frame->keyAnswer = row.frame;
        log.clear();
        GInputEvent e;
        ASSERT_TRUE(keyModifierState(WM_KEYDOWN, VK_F2, keyParam(0x3C), &e));
        e.target = inner;
        lastKeyDownTime = 0;
        EXPECT_EQ(routeKeyEvent(&e), row.handled);
        EXPECT_EQ(log, row.reached);
        EXPECT_GT(lastKeyDownTime, 0);
    }
}

TEST_F(Routing, KeysOfTheLoopGoToTheFocusedItem) {
    // The loop pre-translates the keys of the active toolkit window.
    SendMessageA(frame->hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    inner->setFocusSafe();
    inner->keyAnswer = 0;
    outer->keyAnswer = 2;
    PostMessageA(inner->hwnd, WM_KEYDOWN, VK_F3, keyParam(0x3D));
    EXPECT_TRUE(pumpUntil([&] { return log.size() >= 2; }));
    EXPECT_EQ(log, (Log{"inner key", "outer key"}));

    // Without a focused toolkit window the frame's item is the target.
    log.clear();
    SetFocus(frame->hwnd);
    PostMessageA(frame->hwnd, WM_KEYDOWN, VK_F3, keyParam(0x3D));
    EXPECT_TRUE(pumpUntil([&] { return !log.empty(); }));
    EXPECT_EQ(log, (Log{"frame key"}));
}

TEST_F(Routing, MouseGoesToTheDeepestVisibleItemInItsOwnCoordinates) {
    // Sent to the outer pane: its handler routes the message.
    SendMessageA(outer->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(35, 47));
    EXPECT_EQ(log, (Log{"inner mouse 5,7", "outer mouse 35,47"}));

    // An item that answers true ends the walk, and the message does not reach the pane's own handler.
    log.clear();
    inner->mouseAnswer = true;
    lastMouseActionTime = 0;
    EXPECT_EQ(SendMessageA(outer->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(35, 47)), 0);
    EXPECT_EQ(log, (Log{"inner mouse 5,7"}));
    EXPECT_GT(lastMouseActionTime, 0);

    // From the frame: the point is moved into each item.
    log.clear();
    inner->mouseAnswer = false;
    GInputEvent e;
    ASSERT_TRUE(mouseEventFromMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(55, 67), &e));
    e.target = frame;
    EXPECT_FALSE(routeMouseEvent(&e));
    EXPECT_EQ(log, (Log{"inner mouse 5,7", "outer mouse 35,47", "frame mouse 55,67"}));

    // Over the hidden pane the outer pane is the deepest visible item.
    log.clear();
    SendMessageA(outer->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(110, 50));
    EXPECT_EQ(log, (Log{"outer mouse 110,50"}));

    // A move goes straight to the target's captured-mouse slot, whatever lies under it.
    log.clear();
    SendMessageA(outer->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(35, 47));
    EXPECT_EQ(log, (Log{"outer move 35,47"}));
}

TEST_F(Routing, APressGivesATabStopTheFocus) {
    class Focusable : public Pane {
    public:
        using Pane::Pane;
        i32 acceptsFocus() override { return 1; }
    };
    Focusable* stop = new Focusable(frame, &log, "stop");
    stop->create(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    MoveWindow(stop->hwnd, 240, 20, 40, 40, FALSE);
    Focusable* plain = new Focusable(frame, &log, "plain");
    plain->place(240, 100, 40, 40);  // no tab stop
    SendMessageA(plain->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_NE(focusWindow, plain);
    SendMessageA(stop->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_NE(focusWindow, stop);
    SendMessageA(stop->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(focusWindow, stop);
    EXPECT_EQ(frame->focusChild, stop);
}

// A cell of the layout that is no window.
class MouseCell : public GLayoutCell {
public:
    MouseCell(Log* log, std::string name) : log(log), name(std::move(name)) {}
    bool handleMouse(GInputEvent* e) override {
        log->push_back(name + " mouse " + std::to_string(e->x) + "," + std::to_string(e->y));
        return false;
    }
    Log* log;
    std::string name;
};

TEST(LayoutRouting, ATopLevelWindowAsksItsLayout) {
    TestApplication test;
    ansiMode = 0;
    Log log;
    InputFrame* frame = new InputFrame(&log, 100, 100, 300, 200);
    GLayoutItem* root = new GLayoutItem(frame);
    MouseCell* cell = new MouseCell(&log, "cell");
    MouseCell* hidden = new MouseCell(&log, "hidden");
    root->addChild(cell);
    root->addChild(hidden);
    frame->setContent(root);
    root->rect = {0, 0, 300, 200};
    cell->rect = {50, 60, 150, 160};
    hidden->rect = {160, 60, 260, 160};
    hidden->cellFlags &= ~CellVisible;
    SendMessageA(frame->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 90));
    SendMessageA(frame->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(170, 90));
    EXPECT_EQ(log, (Log{"cell mouse 20,30", "frame mouse 70,90", "frame mouse 170,90"}));
    delete frame;
}

TEST_F(Routing, AnItemThatEndsItsWindowEndsTheWalk) {
    // The inner pane's handler destroys the outer pane (and with it the inner one).
    class Closing : public Pane {
    public:
        using Pane::Pane;
        bool handleMouse(GInputEvent*) override {
            DestroyWindow(closeWindow);
            return false;
        }
        HWND closeWindow = nullptr;
    };
    Closing* closing = new Closing(outer, &log, "closing");
    closing->place(30, 100, 20, 20);
    closing->closeWindow = outer->hwnd;
    HWND innerHandle = inner->hwnd;
    GInputEvent e;
    ASSERT_TRUE(mouseEventFromMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(55, 125), &e));
    e.target = frame;
    routeMouseEvent(&e);
    EXPECT_EQ(windowFromHandle(innerHandle), nullptr);
    EXPECT_EQ(log, (Log{"frame mouse 55,125"}));
}
}  // namespace
