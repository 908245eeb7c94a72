#include <gtest/gtest.h>

#include "gui/input/system_input.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "tests/gui/gui_fixture.h"

namespace {
// Two side-by-side monitors: the left one 0..800 x 0..600 (work area to 560), the right one
// 800..1600 x 100..700.
RECT leftArea() { return RECT{0, 0, 800, 560}; }
RECT rightArea() { return RECT{800, 100, 1600, 700}; }
RECT areaAtX(i32 x) { return x >= 800 ? rightArea() : leftArea(); }
RECT fakeAreaOfWindow(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return areaAtX(r.left + (r.right - r.left) / 2);
}
RECT fakeAreaOfPoint(POINT p) { return areaAtX(p.x); }

POINT g_cursor{100, 100};
BOOL fakeCursor(POINT* p) {
    *p = g_cursor;
    return TRUE;
}

class SizedFrame : public GParentWindow {
public:
    SizedFrame(GWindow* owner, SIZE preferred) : GParentWindow(owner), preferred(preferred) {}
    SIZE getPreferredSize() override { return preferred; }
    SIZE preferred;
};

class SizedDialog : public GDialog {
public:
    SizedDialog(GWindow* owner, SIZE preferred) : GDialog(owner, nullptr), preferred(preferred) {}
    SIZE getPreferredSize() override { return preferred; }
    SIZE preferred;
};

// Creates a top-level window at the rectangle, shown without activation when asked.
void make(GParentWindow* window, RECT r, bool visible, u32 exStyle = 0) {
    ASSERT_TRUE(createTopLevelWindow(window, WS_POPUP, exStyle, "placed"));
    SetWindowPos(window->hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : 0));
}

RECT rectOf(GWindow* window) {
    RECT r{};
    GetWindowRect(window->hwnd, &r);
    return r;
}

class PlacementTest : public testing::Test {
protected:
    void SetUp() override {
        workAreas = WorkAreas{fakeAreaOfWindow, fakeAreaOfPoint};
        systemInput.cursorPos = fakeCursor;
        g_cursor = POINT{100, 100};
    }
    void TearDown() override {
        workAreas = systemWorkAreas;
        systemInput = systemInputDefaults;
    }
    TestApplication app;
};
}  // namespace

TEST_F(PlacementTest, CodesOwnersAndClamping) {
    struct Row {
        const char* what;
        i32 x, y;
        bool owner, ownerVisible;
        SIZE size;
        RECT start;  // the window's rectangle before
        POINT cursor;
        RECT expected;
    };
    // The owner stands on the right monitor at 1000..1400 x 200..500 (centre 1200, 350).
    const Row rows[] = {
        {"centre on visible owner", -1, -1, true, true, {200, 100}, {0, 0, 10, 10}, {100, 100}, {1100, 300, 1300, 400}},
        {"-4 centres on owner too", -4, -4, true, true, {200, 100}, {0, 0, 10, 10}, {100, 100}, {1100, 300, 1300, 400}},
        {"hidden owner: cursor's monitor", -1, -1, true, false, {200, 100}, {0, 0, 10, 10}, {100, 100}, {300, 230, 500, 330}},
        {"no owner, cursor on the right", -1, -1, false, false, {200, 100}, {0, 0, 10, 10}, {900, 300}, {1100, 350, 1300, 450}},
        {"-4 without owner: own monitor", -4, -4, false, false, {200, 100}, {900, 150, 1000, 250}, {100, 100}, {1100, 350, 1300, 450}},
        {"-2 keeps left and top", -2, -2, false, false, {200, 100}, {30, 40, 50, 50}, {900, 300}, {30, 40, 230, 140}},
        {"-2 still clamps", -2, -2, false, false, {200, 100}, {700, 500, 720, 510}, {100, 100}, {600, 460, 800, 560}},
        {"-3 keeps the centre", -3, -3, false, false, {100, 60}, {300, 200, 500, 300}, {100, 100}, {350, 220, 450, 280}},
        {"oversized shrinks to the area", -1, -1, false, false, {2000, 900}, {0, 0, 10, 10}, {100, 100}, {0, 0, 800, 560}},
        {"screen coordinates", 850, 120, false, false, {100, 50}, {0, 0, 10, 10}, {900, 300}, {850, 120, 950, 170}},
        {"coordinates go to the cursor's monitor", 850, 120, false, false, {100, 50}, {0, 0, 10, 10}, {100, 100}, {700, 120, 800, 170}},
        {"coordinates clamped", 780, 550, false, false, {100, 50}, {0, 0, 10, 10}, {100, 100}, {700, 510, 800, 560}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SizedFrame owner(nullptr, SIZE{0, 0});
        if (row.owner) make(&owner, RECT{1000, 200, 1400, 500}, row.ownerVisible);
        SizedFrame window(row.owner ? &owner : nullptr, row.size);
        make(&window, row.start, false);
        g_cursor = row.cursor;
        placeOnMonitor(&window, row.x, row.y);
        RECT r = rectOf(&window);
        EXPECT_EQ(r.left, row.expected.left);
        EXPECT_EQ(r.top, row.expected.top);
        EXPECT_EQ(r.right, row.expected.right);
        EXPECT_EQ(r.bottom, row.expected.bottom);
    }
}

TEST_F(PlacementTest, DialogGoesBelowTopmostToolWindow) {
    SizedFrame tool(nullptr, SIZE{0, 0});
    make(&tool, RECT{300, 0, 500, 120}, true, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    SizedDialog dialog(nullptr, SIZE{200, 100});
    make(&dialog, RECT{0, 0, 10, 10}, false);
    placeOnMonitor(&dialog, 350, 50);
    EXPECT_EQ(rectOf(&dialog).top, 120);
    EXPECT_EQ(rectOf(&dialog).left, 350);

    // A plain window is left where it was asked to go.
    SizedFrame frame(nullptr, SIZE{200, 100});
    make(&frame, RECT{0, 0, 10, 10}, false);
    placeOnMonitor(&frame, 350, 50);
    EXPECT_EQ(rectOf(&frame).top, 50);
}

TEST_F(PlacementTest, CascadeNearTheEdges) {
    struct Row {
        const char* what;
        RECT start;
        RECT expected;
    };
    const Row rows[] = {
        {"inside: 20 on", {100, 100, 300, 200}, {120, 120, 320, 220}},
        {"at the left edge", {0, 100, 200, 200}, {0, 120, 200, 220}},
        {"bottom within 20: bottom-aligned", {100, 400, 300, 550}, {120, 410, 320, 560}},
        {"bottom within 20 at the left edge", {0, 400, 200, 550}, {20, 410, 220, 560}},
        {"at the top", {100, 0, 300, 100}, {80, 0, 280, 100}},
        {"at the top-left corner", {10, 0, 210, 100}, {0, 20, 200, 120}},
        {"past the right edge", {700, 200, 900, 300}, {600, 180, 800, 280}},
        {"past the right edge near the top", {700, 10, 900, 110}, {580, 0, 780, 100}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SizedFrame window(nullptr, SIZE{0, 0});
        make(&window, RECT{0, 0, 10, 10}, false);
        WINDOWPLACEMENT p{};
        p.length = sizeof p;
        GetWindowPlacement(window.hwnd, &p);
        p.rcNormalPosition = row.start;
        p.showCmd = SW_HIDE;
        SetWindowPlacement(window.hwnd, &p);
        workAreas.ofWindow = [](HWND) { return leftArea(); };
        cascadeFrom(&window);
        workAreas.ofWindow = fakeAreaOfWindow;
        GetWindowPlacement(window.hwnd, &p);
        EXPECT_FALSE(IsWindowVisible(window.hwnd));  // a hidden window is moved, not shown
        EXPECT_EQ(p.rcNormalPosition.left, row.expected.left);
        EXPECT_EQ(p.rcNormalPosition.top, row.expected.top);
        EXPECT_EQ(p.rcNormalPosition.right, row.expected.right);
        EXPECT_EQ(p.rcNormalPosition.bottom, row.expected.bottom);
    }
}

namespace {
class Temporary : public SizedFrame {
public:
    using SizedFrame::SizedFrame;
    bool isKindOf(u32 id) const override { return id == TypeTemporaryWindow || SizedFrame::isKindOf(id); }
};
}  // namespace

TEST_F(PlacementTest, WalksByKindPointsAndOwnedChains) {
    SizedFrame main(nullptr, SIZE{0, 0});
    make(&main, RECT{100, 100, 400, 400}, true);
    SizedDialog first(&main, SIZE{0, 0});
    make(&first, RECT{150, 150, 250, 250}, true);
    SizedDialog second(&first, SIZE{0, 0});
    make(&second, RECT{600, 100, 700, 200}, true);
    Temporary popup(&second, SIZE{0, 0});
    make(&popup, RECT{620, 120, 640, 140}, true);

    EXPECT_EQ(lastOwnedWindow(&main), &second);  // the temporary window does not count
    EnableWindow(second.hwnd, FALSE);
    EXPECT_EQ(lastOwnedWindow(&main), &first);
    EnableWindow(second.hwnd, TRUE);

    // Dialogs by kind, in z-order, each once.
    std::vector<GParentWindow*> dialogs;
    for (GParentWindow* w = firstWindowOfKind(TypeDialog); w; w = nextWindowOfKind(w, GW_HWNDNEXT, TypeDialog))
        dialogs.push_back(w);
    EXPECT_EQ(dialogs.size(), 2u);
    EXPECT_NE(std::find(dialogs.begin(), dialogs.end(), &first), dialogs.end());
    EXPECT_NE(std::find(dialogs.begin(), dialogs.end(), &second), dialogs.end());

    // The point finds the window under it in client coordinates, passing the temporary one.
    POINT p{200, 200};
    GParentWindow* at = windowAtPoint(&p);
    ASSERT_TRUE(at == &first || at == &main);
    RECT r = rectOf(at);
    EXPECT_EQ(p.x, 200 - r.left);
    POINT onPopup{630, 130};
    EXPECT_EQ(windowAtPoint(&onPopup), &second);
    POINT nowhere{1500, 900};
    EXPECT_EQ(windowAtPoint(&nowhere), nullptr);

    SizedFrame never(nullptr, SIZE{0, 0});
    EXPECT_EQ(lastOwnedWindow(&never), nullptr);
}

TEST_F(PlacementTest, ActivatingShowsRestoresAndPrefersTheBoxOfAModalRun) {
    SizedFrame main(nullptr, SIZE{0, 0});
    make(&main, RECT{100, 100, 400, 400}, false);
    activateWindow(&main);
    EXPECT_TRUE(IsWindowVisible(main.hwnd));
    EXPECT_EQ(GetActiveWindow(), main.hwnd);

    ShowWindow(main.hwnd, SW_MINIMIZE);
    activateWindow(&main);
    EXPECT_FALSE(IsIconic(main.hwnd));
    EXPECT_EQ(GetActiveWindow(), main.hwnd);

    // While a box of the window runs modally, the box is brought forward in its place.
    SizedDialog box(&main, SIZE{0, 0});
    make(&box, RECT{150, 150, 250, 250}, true);
    {
        ModalScope run(&main, &box);
        activateWindow(&main);
        EXPECT_EQ(GetActiveWindow(), box.hwnd);
    }
    activateWindow(&main);
    EXPECT_EQ(GetActiveWindow(), main.hwnd);
}
