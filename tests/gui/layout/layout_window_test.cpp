// Layout with real windows: transactions and the uncovered area read back from the screen, the
// redraw lock, sizing, focus and default keys, the background erase, the splitter drag, scroll bars
// and the scrolling window.
#include <gtest/gtest.h>

#include <memory>

#include "gui/input/input_event.h"
#include "gui/input/system_input.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/user_window.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/layout_transaction.h"
#include "gui/layout/scroll_bar.h"
#include "gui/layout/splitter.h"
#include "gui/paint/colors.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"

namespace {
const COLORREF kMarker = RGB(255, 0, 255);
const COLORREF kUncovered = RGB(10, 20, 30);
const COLORREF kFace = RGB(200, 100, 50);

class Frame : public GParentWindow {
public:
    bool onControlNotify(void* n) override {
        last = *static_cast<GControlNotification*>(n);
        ++notifications;
        return true;
    }
    bool onControlCommand(void* n) override {
        last = *static_cast<GControlNotification*>(n);
        ++controlCommands;
        return true;
    }
    bool onCommand(u32 command, GStateQuery* query) override {
        commands.push_back(command);
        return GParentWindow::onCommand(command, query);
    }
    i32 commandState(u32 command) override { return command == 77 ? CommandEnabled : GParentWindow::commandState(command); }
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override {
        if (message == WM_MOUSEWHEEL) ++wheels;
        return GParentWindow::handleMessage(message, wParam, lParam, result);
    }
    GControlNotification last;
    int notifications = 0, controlCommands = 0, wheels = 0;
    std::vector<u32> commands;
};

// A child window of one colour that counts its paints.
class Swatch : public GUserWindow {
public:
    Swatch(GWindow* owner, COLORREF colour, i32 focusPriority = 0)
        : GUserWindow(owner), colour(colour), priority(focusPriority) {}
    void paint(HDC dc, const RECT&, bool) override {
        ++paints;
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    void getPreferredSize(i32* w, i32* h) override {
        *w = 20;
        *h = 20;
    }
    i32 acceptsFocus() override { return priority; }
    void onLayoutEvent(u32 kind) override { events |= 1u << kind; }
    bool onNotify(void* n) override {
        static_cast<GControlNotification*>(n)->result = 42;
        return true;
    }
    bool onWheel(i32 delta, u32, bool vertical) override {
        wheel = vertical ? delta : -delta;
        return true;
    }
    bool isDefaultButton() override { return defaultButton; }
    void activateByKey() override { ++activations; }
    COLORREF colour;
    i32 priority;
    int paints = 0, activations = 0;
    u32 events = 0;
    i32 wheel = 0;
    bool defaultButton = false;
};

// A container that keeps its children where the test puts them.
class FreeItem : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;
    void setRect(const RECT& r) override { rect = r; }
};

// Colours the transaction and the erase paint with, distinct from anything on screen.
class Colours {
public:
    Colours() : saved(toolkitColors) {
        toolkitColors.classBackground = kUncovered;
        toolkitColors.background = kFace;
    }
    ~Colours() { toolkitColors = saved; }

private:
    ToolkitColors saved;
};

struct Fixture {
    TestApplication app;
    Colours colours;
    Frame* frame = new Frame;

    explicit Fixture(i32 width = 300, i32 height = 200, u32 style = WS_POPUP | WS_CLIPCHILDREN) {
        createTopLevelWindow(frame, style, 0, "");
        SetWindowPos(frame->hwnd, HWND_TOP, 0, 0, width, height, SWP_SHOWWINDOW);
        SetForegroundWindow(frame->hwnd);
    }
    ~Fixture() {
        if (!IsWindow(frame->hwnd)) return;
        // Wine waits two seconds for a visible top-level window to be withdrawn; without the
        // visible style it destroys it at once.
        SetWindowLongA(frame->hwnd, GWL_STYLE, GetWindowLongA(frame->hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(frame->hwnd);
    }
    // A root that keeps its children where the test puts them.
    GLayoutItem* freeRoot() {
        FreeItem* root = new FreeItem(frame);
        frame->setContent(root);
        return root;
    }
    Swatch* swatch(GLayoutItem* into, COLORREF colour, u32 style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                   i32 priority = 0) {
        Swatch* s = new Swatch(frame, colour, priority);
        s->create(style);
        into->addChild(s);
        return s;
    }
};

COLORREF pixelAt(HWND hwnd, i32 x, i32 y) {
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

RECT placeOf(GChildWindow* w) {
    RECT r;
    GetWindowRect(w->hwnd, &r);
    MapWindowPoints(nullptr, GetParent(w->hwnd), (POINT*)&r, 2);
    return r;
}

bool same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

bool allPainted(std::initializer_list<Swatch*> swatches) {
    for (Swatch* s : swatches)
        if (!s->paints) return false;
    return true;
}

POINT g_cursor;
BOOL testCursor(POINT* p) {
    *p = g_cursor;
    return TRUE;
}

GInputEvent keyDown(u32 vk, u32 modifiers = 0) { return GInputEvent::keyDown(vk, modifiers); }
}  // namespace

TEST(LayoutTransactionWindows, MovingAndHidingRepaintsExactlyTheUncoveredArea) {
    Fixture f;
    GLayoutItem* root = f.freeRoot();
    Swatch* a = f.swatch(root, RGB(255, 0, 0));
    Swatch* b = f.swatch(root, RGB(0, 255, 0));
    Swatch* c = f.swatch(root, RGB(0, 0, 255));
    a->setRect(RECT{10, 10, 60, 60});
    b->setRect(RECT{10, 100, 60, 150});
    c->setRect(RECT{200, 100, 250, 150});
    ASSERT_TRUE(pumpUntil([&] { return allPainted({a, b, c}); }));

    // Mark the whole client area of the frame (children are clipped out) and keep it valid.
    HDC dc = GetDC(f.frame->hwnd);
    RECT client{0, 0, 300, 200};
    HBRUSH marker = CreateSolidBrush(kMarker);
    FillRect(dc, &client, marker);
    DeleteObject(marker);
    ReleaseDC(f.frame->hwnd, dc);
    ValidateRect(f.frame->hwnd, nullptr);
    int paintsA = a->paints, paintsC = c->paints;

    beginLayoutTransaction();
    a->setRect(RECT{40, 20, 90, 70});
    a->setRect(RECT{100, 10, 150, 60});  // twice: one entry with the rectangle before the first change
    b->notify(LayoutHide);
    c->setRect(RECT{200, 100, 250, 150});  // unchanged: not listed
    ASSERT_EQ(2u, layoutTransactionEntries().size());
    EXPECT_TRUE(same(layoutTransactionEntries()[0].rect, RECT{10, 10, 60, 60}));
    EXPECT_TRUE(same(placeOf(a), RECT{10, 10, 60, 60}));  // nothing moves before the end
    EXPECT_EQ(2 * 50 * 50, uncoveredArea().area());
    endLayoutTransaction(f.frame);
    ASSERT_TRUE(pumpUntil([&] { return a->paints > paintsA; }));

    EXPECT_TRUE(same(placeOf(a), RECT{100, 10, 150, 60}));
    EXPECT_FALSE(IsWindowVisible(b->hwnd));
    struct Probe {
        i32 x, y;
        COLORREF colour;
    } probes[] = {
        {30, 30, kUncovered},       {59, 59, kUncovered},  {30, 120, kUncovered}, // what A and B left
        {120, 30, RGB(255, 0, 0)},  {220, 120, RGB(0, 0, 255)},                      // windows now
        {5, 5, kMarker},            {75, 30, kMarker},     {160, 30, kMarker},    {280, 190, kMarker},
        {10, 99, kMarker},          {60, 120, kMarker},                              // untouched
    };
    for (const Probe& p : probes) EXPECT_EQ(p.colour, pixelAt(f.frame->hwnd, p.x, p.y)) << p.x << "," << p.y;
    EXPECT_EQ(paintsC, c->paints);
}

TEST(LayoutTransactionWindows, NestingHiddenWindowsAndRemoval) {
    Fixture f;
    GLayoutItem* root = f.freeRoot();
    Swatch* a = f.swatch(root, RGB(255, 0, 0));
    Swatch* hidden = f.swatch(root, RGB(0, 255, 0));
    a->setRect(RECT{0, 0, 10, 10});
    hidden->setRect(RECT{50, 50, 60, 60});
    hidden->notify(LayoutHide);
    EXPECT_FALSE(IsWindowVisible(hidden->hwnd));

    // Only the outermost end touches the windows.
    beginLayoutTransaction();
    beginLayoutTransaction();
    a->setRect(RECT{20, 0, 30, 10});
    hidden->setRect(RECT{70, 70, 80, 80});
    endLayoutTransaction(f.frame);
    EXPECT_TRUE(same(placeOf(a), RECT{0, 0, 10, 10}));
    endLayoutTransaction(f.frame);
    EXPECT_TRUE(same(placeOf(a), RECT{20, 0, 30, 10}));
    EXPECT_EQ(0, layoutTransactionDepth);
    // A hidden window keeps its place, and its recorded rectangle is the old one again.
    EXPECT_TRUE(same(placeOf(hidden), RECT{50, 50, 60, 60}));
    EXPECT_TRUE(same(hidden->rect, RECT{50, 50, 60, 60}));

    // A window taken out of one transaction is still moved by the next one.
    beginLayoutTransaction();
    a->setRect(RECT{40, 0, 50, 10});
    removeFromLayoutTransaction(a);
    EXPECT_TRUE(layoutTransactionEntries().empty());
    endLayoutTransaction(f.frame);
    beginLayoutTransaction();
    a->setRect(RECT{60, 0, 70, 10});
    EXPECT_EQ(1u, layoutTransactionEntries().size());
    endLayoutTransaction(f.frame);
    EXPECT_TRUE(same(placeOf(a), RECT{60, 0, 70, 10}));

    // A window destroyed inside a transaction leaves it before its memory goes.
    beginLayoutTransaction();
    a->setRect(RECT{0, 20, 10, 30});
    DestroyWindow(a->hwnd);
    EXPECT_TRUE(layoutTransactionEntries().empty());
    EXPECT_EQ(nullptr, root->childAt(0));
    endLayoutTransaction(f.frame);
}

TEST(RedrawLock, DefersRepaintsAndLayoutEvents) {
    Fixture f;
    GLayoutItem* root = f.freeRoot();
    Swatch* s = f.swatch(root, RGB(255, 0, 0));
    s->setRect(RECT{0, 0, 40, 40});
    UpdateWindow(s->hwnd);
    int paints = s->paints;

    s->beginRedrawLock();
    s->beginRedrawLock();
    s->invalidate();
    s->markDirty(3);
    UpdateWindow(s->hwnd);
    EXPECT_EQ(paints, s->paints);
    EXPECT_TRUE(s->flags & WindowRepaintPending);
    EXPECT_EQ(0u, s->events);
    s->endRedrawLock();
    EXPECT_EQ(0u, s->events);  // still held once
    s->endRedrawLock();
    EXPECT_EQ(1u << 3, s->events);
    EXPECT_FALSE(s->flags & WindowRepaintPending);
    UpdateWindow(s->hwnd);
    EXPECT_EQ(paints + 1, s->paints);

    // Inside a transaction the repaint waits for the end.
    beginLayoutTransaction();
    s->invalidate();
    UpdateWindow(s->hwnd);
    EXPECT_EQ(paints + 1, s->paints);
    endLayoutTransaction(f.frame);
    UpdateWindow(s->hwnd);
    EXPECT_EQ(paints + 2, s->paints);
}

TEST(LayoutTree, ReparentingMovesWindowsToTheNewOwner) {
    Fixture f;
    Fixture other;
    GLayoutItem* root = f.freeRoot();
    GLayoutItem* inner = new FreeItem(f.frame);
    root->addChild(inner);
    Swatch* s = f.swatch(inner, RGB(1, 2, 3));
    f.frame->focusChild = s;
    GLayoutItem* target = other.freeRoot();
    root->removeChild(inner);
    target->addChild(inner);  // the item and the window in it change owner
    EXPECT_EQ(other.frame, inner->owner);
    EXPECT_EQ(other.frame, s->owner);
    EXPECT_EQ(other.frame->hwnd, GetParent(s->hwnd));
    EXPECT_EQ(nullptr, f.frame->focusChild);
}

TEST(GroupBoxWindows, ContentShowsInsideTheFrameAndZOrderFollowsTheLayout) {
    Fixture f;
    GColumnsItem* column = new GColumnsItem(f.frame);
    Swatch* above = f.swatch(column, RGB(0, 255, 0));
    GGroupBoxItem* group = new GGroupBoxItem(f.frame, "Group");
    column->addChild(group);
    Swatch* inside = new Swatch(f.frame, RGB(255, 0, 0), 0);
    inside->create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    group->addChild(inside);
    setAlignmentCode(inside, "<^");
    setAlignmentCode(group, "UC");
    setAlignmentCode(column, "UC");
    f.frame->setContent(column);
    RedrawWindow(f.frame->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);

    // Layout order is z-order: the window above, the frame, then the content behind it.
    EXPECT_EQ(above->hwnd, GetWindow(f.frame->hwnd, GW_CHILD));
    EXPECT_EQ(group->frame->hwnd, GetWindow(above->hwnd, GW_HWNDNEXT));
    EXPECT_EQ(inside->hwnd, GetWindow(group->frame->hwnd, GW_HWNDNEXT));
    RECT r = inside->rect;
    EXPECT_EQ(RGB(255, 0, 0), pixelAt(f.frame->hwnd, (r.left + r.right) / 2, (r.top + r.bottom) / 2));
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(f.frame->hwnd, &centre);
    EXPECT_EQ(inside->hwnd, WindowFromPoint(centre));
    EXPECT_NE(RGB(255, 0, 0), pixelAt(f.frame->hwnd, group->frame->rect.left + 1, r.top - 1));
    // The inside of the frame around the content is the parent's background.
    RECT hole = group->frame->innerRect(group->frame->rect);
    EXPECT_EQ(kUncovered, pixelAt(f.frame->hwnd, hole.right - 3, hole.bottom - 3));
}

TEST(UserWindow, PaintsThroughTheOffscreenBuffer) {
    Fixture f;
    GLayoutItem* root = f.freeRoot();
    Swatch* s = f.swatch(root, RGB(0, 128, 255));
    s->drawStyle |= DrawOffscreen;
    s->setRect(RECT{10, 10, 70, 50});
    InvalidateRect(s->hwnd, nullptr, TRUE);
    UpdateWindow(s->hwnd);
    EXPECT_EQ(RGB(0, 128, 255), pixelAt(s->hwnd, 0, 0));
    EXPECT_EQ(RGB(0, 128, 255), pixelAt(s->hwnd, 59, 39));
}

TEST(ParentWindow, LaysOutOnSizeAndOnceAfterInteractiveSizing) {
    Fixture f(200, 100);
    GColumnsItem* column = new GColumnsItem(f.frame);
    setLayoutDigits(column, "44444");
    Swatch* top = f.swatch(column, RGB(255, 0, 0));
    Swatch* fill = f.swatch(column, RGB(0, 255, 0));
    setAlignmentCode(top, "U^");
    setAlignmentCode(fill, "UC");
    f.frame->setContent(column);
    EXPECT_TRUE(same(placeOf(top), RECT{4, 4, 196, 24}));
    EXPECT_TRUE(same(placeOf(fill), RECT{4, 28, 196, 96}));

    SetWindowPos(f.frame->hwnd, nullptr, 0, 0, 300, 150, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_TRUE(same(placeOf(fill), RECT{4, 28, 296, 146}));

    SendMessageA(f.frame->hwnd, WM_ENTERSIZEMOVE, 0, 0);
    SetWindowPos(f.frame->hwnd, nullptr, 0, 0, 250, 120, SWP_NOZORDER | SWP_NOMOVE);
    SetWindowPos(f.frame->hwnd, nullptr, 0, 0, 260, 130, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_TRUE(same(placeOf(fill), RECT{4, 28, 296, 146}));
    SendMessageA(f.frame->hwnd, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_TRUE(same(placeOf(fill), RECT{4, 28, 256, 126}));

    SIZE preferred = f.frame->getPreferredSize();
    EXPECT_EQ(4 + 20 + 4, preferred.cx);
    EXPECT_EQ(4 + 20 + 4 + 20 + 4, preferred.cy);
}

TEST(ParentWindow, TabAndTheIdleRefreshMoveTheFocus) {
    Fixture f;
    GColumnsItem* column = new GColumnsItem(f.frame);
    const u32 style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    Swatch* first = f.swatch(column, RGB(255, 0, 0), style, 1);
    Swatch* plain = f.swatch(column, RGB(0, 0, 255), WS_CHILD | WS_VISIBLE, 1);  // no tab stop
    Swatch* second = f.swatch(column, RGB(0, 255, 0), style, 5);
    f.frame->setContent(column);

    // The idle refresh of the activated window gives the focus to the highest priority.
    f.frame->flags |= WindowDirty;
    relayoutPending = true;
    installIdleRefresh();
    ASSERT_TRUE(pumpUntil([] { return !relayoutPending; }));
    EXPECT_EQ(second->hwnd, GetFocus());
    EXPECT_EQ(second, focusWindow);
    EXPECT_EQ(0u, f.frame->flags & WindowDirty);

    GInputEvent tab = keyDown(VK_TAB), backTab = keyDown(VK_TAB, ModShift);
    EXPECT_EQ(2, f.frame->handleKey(&tab));
    EXPECT_EQ(first->hwnd, GetFocus());  // wraps past the end, skips the window without a tab stop
    EXPECT_EQ(2, f.frame->handleKey(&backTab));
    EXPECT_EQ(second->hwnd, GetFocus());

    // With one focusable window Tab leaves the focus where it is.
    EnableWindow(first->hwnd, FALSE);
    EXPECT_EQ(2, f.frame->handleKey(&tab));
    EXPECT_EQ(second->hwnd, GetFocus());
    (void)plain;

    // Alt+letter with no matching window is left for the menus.
    GInputEvent alt;
    alt.kind = KeyCharacter;
    alt.key = 'x';
    alt.modifiers = ModAlt;
    EXPECT_EQ(0, f.frame->handleKey(&alt));

    // Destroying the focused window clears the focus records.
    DestroyWindow(second->hwnd);
    EXPECT_EQ(nullptr, focusWindow);
    EXPECT_EQ(nullptr, f.frame->focusChild);
}

TEST(ParentWindow, RoutesCommandsNotificationsKeysAndTheWheel) {
    Fixture f;
    GLayoutItem* root = f.freeRoot();
    Swatch* s = f.swatch(root, RGB(255, 0, 0));
    s->setRect(RECT{10, 10, 60, 60});

    SendMessageA(f.frame->hwnd, WM_COMMAND, MAKEWPARAM(77, 0), 0);  // a menu item
    ASSERT_EQ(1u, f.frame->commands.size());
    EXPECT_EQ(77u, f.frame->commands[0]);
    SendMessageA(f.frame->hwnd, WM_COMMAND, MAKEWPARAM(1005, 3), (LPARAM)s->hwnd);  // a control
    EXPECT_EQ(1, f.frame->controlCommands);
    EXPECT_EQ(s, f.frame->last.source);
    EXPECT_EQ(3u, f.frame->last.code);
    NMHDR header{s->hwnd, 1005, 12};
    EXPECT_EQ(42, SendMessageA(f.frame->hwnd, WM_NOTIFY, 1005, (LPARAM)&header));
    EXPECT_EQ(-1, SendMessageA(f.frame->hwnd, WM_VKEYTOITEM, 0, 0));

    // The wheel over the window goes to it; away from it, to its owner, once.
    systemInput.cursorPos = testCursor;
    POINT inside{20, 20};
    ClientToScreen(f.frame->hwnd, &inside);
    g_cursor = inside;
    SendMessageA(s->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(inside.x, inside.y));
    EXPECT_EQ(-120, s->wheel);
    EXPECT_EQ(0, f.frame->wheels);
    g_cursor = POINT{-500, -500};
    SendMessageA(s->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0);
    EXPECT_EQ(-120, s->wheel);
    EXPECT_EQ(1, f.frame->wheels);
    systemInput.cursorPos = systemInputDefaults.cursorPos;

    // Enter activates the default button; F1 without a help page is taken and does nothing.
    s->defaultButton = true;
    GInputEvent enter = keyDown(VK_RETURN), f1 = keyDown(VK_F1), other = keyDown('Q');
    EXPECT_EQ(2, f.frame->handleKey(&enter));
    EXPECT_EQ(1, s->activations);
    EXPECT_EQ(2, f.frame->handleKey(&f1));
    EXPECT_EQ(0, f.frame->handleKey(&other));
    EXPECT_EQ(CommandDisabled, f.frame->commandState(9));
}

TEST(Dialog, EscapeAsksForACancel) {
    TestApplication app;
    struct Box : GDialog {
        Box() : GDialog(nullptr, nullptr) {}
        bool onCommand(u32 command, GStateQuery*) override {
            cancelled = command == 2;
            return true;
        }
        i32 commandState(u32 command) override { return command == 2 ? CommandEnabled : CommandUnknown; }
        bool cancelled = false;
    } dialog;
    GInputEvent escape = keyDown(VK_ESCAPE), ctrlF4 = keyDown(VK_F4, ModCtrl);
    EXPECT_EQ(2, dialog.handleKey(&escape));
    EXPECT_TRUE(dialog.cancelled);
    dialog.cancelled = false;
    EXPECT_EQ(2, dialog.handleKey(&ctrlF4));
    EXPECT_TRUE(dialog.cancelled);
}

TEST(ParentWindow, BackgroundEraseAroundChildrenAndOwnBackgroundCells) {
    Fixture f;
    FreeItem* root = new FreeItem(f.frame);
    FreeItem* panel = new FreeItem(f.frame);
    panel->cellFlags |= CellOwnBackground;
    panel->rect = RECT{100, 0, 300, 200};
    root->addChild(panel);
    Swatch* inPanel = f.swatch(panel, RGB(0, 0, 255));
    Swatch* outside = f.swatch(root, RGB(255, 0, 0));
    f.frame->setContent(root);
    inPanel->setRect(RECT{150, 50, 200, 100});
    outside->setRect(RECT{10, 10, 50, 50});
    RedrawWindow(f.frame->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(kUncovered, pixelAt(f.frame->hwnd, 70, 100));
    EXPECT_EQ(kFace, pixelAt(f.frame->hwnd, 120, 100));
    EXPECT_EQ(RGB(0, 0, 255), pixelAt(f.frame->hwnd, 160, 60));
    EXPECT_EQ(RGB(255, 0, 0), pixelAt(f.frame->hwnd, 20, 20));
}

TEST(SplitterWindows, DragMovesTheSplitByTheDistanceDragged) {
    Fixture f(406, 100);
    GSplitterItem* split = new GSplitterItem(f.frame, false, -1, -1);
    Swatch* left = f.swatch(split, RGB(255, 0, 0));
    Swatch* right = f.swatch(split, RGB(0, 255, 0));
    f.frame->setContent(split);
    EXPECT_TRUE(same(placeOf(left), RECT{0, 0, 200, 100}));
    EXPECT_TRUE(same(placeOf(split->bar), RECT{200, 0, 206, 100}));
    EXPECT_TRUE(split->bar->leftRight);

    HWND bar = split->bar->hwnd;
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 50));
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 50));
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(43, 60));
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(43, 60));
    EXPECT_TRUE(same(placeOf(left), RECT{0, 0, 240, 100}));
    EXPECT_TRUE(same(placeOf(split->bar), RECT{240, 0, 246, 100}));
    EXPECT_TRUE(same(placeOf(right), RECT{246, 0, 406, 100}));
    EXPECT_EQ(1, f.frame->notifications);
    EXPECT_EQ(split, f.frame->last.source);
    EXPECT_EQ(kSplitMoved, f.frame->last.code);

    // Resizing keeps the proportion; a drag past the end stops at the limit.
    SetWindowPos(f.frame->hwnd, nullptr, 0, 0, 206, 100, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_TRUE(same(placeOf(left), RECT{0, 0, 120, 100}));
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 50));
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(3, 50));  // ends where it began: same split
    EXPECT_TRUE(same(placeOf(left), RECT{0, 0, 120, 100}));
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 50));
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(500, 50));
    EXPECT_EQ(200, split->sizeA);
    EXPECT_EQ(0, split->sizeB);  // 0 stands for pane 2's preferred width, 20: 200 * 200 / 220
    EXPECT_TRUE(same(placeOf(left), RECT{0, 0, 181, 100}));
    // Escape cancels a drag.
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 50));
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-50, 50));
    SendMessageA(bar, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(-50, 50));
    EXPECT_TRUE(same(placeOf(left), RECT{0, 0, 181, 100}));
}

namespace {
// Paints every pixel by its content position: a header and a footer in the top and bottom margins
// that follow the horizontal origin, a ruler in the left margin that follows the vertical origin,
// corners that never move.
class Sheet : public GUserImage {
public:
    using GUserImage::GUserImage;
    static COLORREF content(i64 x, i64 y) { return RGB((x * 7) & 0xFF, (y * 5) & 0xFF, ((x + y) / 4) & 0xFF); }
    void paint(HDC dc, const RECT& update, bool) override {
        RECT client;
        GetClientRect(hwnd, &client);
        i32 L = horizontal.leadingInset, T = vertical.leadingInset;
        i32 right = client.right - horizontal.trailingInset, bottom = client.bottom - vertical.trailingInset;
        for (i32 y = update.top; y < update.bottom; ++y)
            for (i32 x = update.left; x < update.right; ++x) {
                i64 cx = x - L + horizontal.origin * unitWidth, cy = y - T + vertical.origin * unitHeight;
                bool marginX = x < L || x >= right, marginY = y < T || y >= bottom;
                COLORREF c;
                if (marginX && marginY)
                    c = RGB(0, 0, 0);
                else if (y < T)
                    c = RGB(255, (cx * 3) & 0xFF, 0);
                else if (marginY)
                    c = RGB(128, (cx * 3) & 0xFF, 0);
                else if (marginX)
                    c = RGB(0, (cy * 3) & 0xFF, 255);
                else
                    c = content(cx, cy);
                SetPixelV(dc, x, y, c);
            }
    }
};

void grab(HWND hwnd, DibCanvas& canvas) {
    HDC dc = GetDC(hwnd);
    BitBlt(canvas.dc(), 0, 0, canvas.width, canvas.height, dc, 0, 0, SRCCOPY);
    ReleaseDC(hwnd, dc);
}
}  // namespace

TEST(ScrollingWindow, MovedPixelsMatchAFreshPaint) {
    Fixture f(200, 160);
    GLayoutItem* root = f.freeRoot();
    Sheet* sheet = new Sheet(f.frame);
    sheet->unitWidth = 10;
    sheet->unitHeight = 2;
    sheet->horizontal.leadingInset = 12;
    sheet->vertical.leadingInset = 9;
    sheet->vertical.trailingInset = 5;
    ASSERT_TRUE(sheet->create(1000, 5000, WS_CHILD | WS_VISIBLE));
    root->addChild(sheet);
    sheet->setRect(RECT{0, 0, 150, 120});
    EXPECT_EQ(13, sheet->horizontal.page);  // (150 - 12) / 10
    EXPECT_EQ(53, sheet->vertical.page);    // (120 - 9 - 5) / 2
    UpdateWindow(sheet->hwnd);

    sheet->scrollBy(1, 0);  // less than a unit still moves one
    EXPECT_EQ(1, sheet->horizontal.origin);
    UpdateWindow(sheet->hwnd);
    GInputEvent down = keyDown(VK_DOWN), pageDown = keyDown(VK_NEXT);
    EXPECT_EQ(2, sheet->handleKey(&down));
    UpdateWindow(sheet->hwnd);
    EXPECT_EQ(2, sheet->handleKey(&pageDown));
    UpdateWindow(sheet->hwnd);
    sheet->onWheel(-120, 0, true);
    UpdateWindow(sheet->hwnd);
    EXPECT_EQ(1 + 53 + 97, sheet->vertical.origin);  // a line, a page, 195 pixels of 2

    DibCanvas moved(150, 120), fresh(150, 120);
    grab(sheet->hwnd, moved);
    InvalidateRect(sheet->hwnd, nullptr, FALSE);
    UpdateWindow(sheet->hwnd);
    grab(sheet->hwnd, fresh);
    i32 differ = 0;
    for (i32 y = 0; y < 120; ++y)
        for (i32 x = 0; x < 150; ++x) differ += moved.pixel(x, y) != fresh.pixel(x, y);
    EXPECT_EQ(0, differ);
}

TEST(ScrollingWindow, ScrollBarsReachTheEndOfHugeContent) {
    Fixture f(200, 160);
    GLayoutItem* root = f.freeRoot();
    Sheet* sheet = new Sheet(f.frame);
    const i64 total = (i64)20 << 33;  // 2^33 rows of 20 pixels
    ASSERT_TRUE(sheet->create(100, total, WS_CHILD | WS_VISIBLE | WS_VSCROLL));
    root->addChild(sheet);
    sheet->setRect(RECT{0, 0, 150, 120});

    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(sheet->hwnd, SB_VERT, &info);
    EXPECT_EQ(0, info.nMin);
    EXPECT_EQ(9999, info.nMax);
    EXPECT_EQ(1u, info.nPage);
    i32 last = info.nMax - (i32)info.nPage + 1;
    SendMessageA(sheet->hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, last), 0);
    EXPECT_EQ(sheet->vertical.maxOrigin(), sheet->vertical.origin);
    EXPECT_EQ(last, GetScrollPos(sheet->hwnd, SB_VERT));
    SendMessageA(sheet->hwnd, WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    EXPECT_EQ(0, GetScrollPos(sheet->hwnd, SB_VERT));
    SendMessageA(sheet->hwnd, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    EXPECT_EQ(last, GetScrollPos(sheet->hwnd, SB_VERT));

    // Refreshed after a resize: new pages, centred origins, the layout events of both changes.
    struct Events : Sheet {
        using Sheet::Sheet;
        void onLayoutEvent(u32 kind) override { events |= 1u << kind; }
        u32 events = 0;
    };
    Events* centred = new Events(f.frame);
    ASSERT_TRUE(centred->create(1000, 1000, WS_CHILD | WS_VISIBLE));
    root->addChild(centred);
    centred->setRect(RECT{0, 0, 100, 100});
    centred->setRect(RECT{0, 0, 200, 50});
    centred->refreshScrollState(1 | 2 | 4);
    EXPECT_EQ(200, centred->horizontal.page);
    EXPECT_EQ(400, centred->horizontal.origin);
    EXPECT_EQ(475, centred->vertical.origin);
    EXPECT_EQ((1u << 1), centred->events);
    centred->horizontal.leadingInset = 50;  // a wider margin: a smaller page that shows the caret again
    centred->events = 0;
    centred->refreshScrollState(1);
    EXPECT_EQ(150, centred->horizontal.page);
    EXPECT_EQ(0, centred->horizontal.origin);
    EXPECT_EQ((1u << 1) | (1u << 2), centred->events);

    GScrollBar bar{sheet->hwnd, SB_VERT};
    bar.sync(1000, 500, 500);
    GetScrollInfo(sheet->hwnd, SB_VERT, &info);
    EXPECT_EQ(5000u, info.nPage);
    EXPECT_EQ(5000, info.nPos);
    bar.sync(1000, 300, 1000);  // the page covers all: position 0
    GetScrollInfo(sheet->hwnd, SB_VERT, &info);
    EXPECT_EQ(0, info.nPos);
}
