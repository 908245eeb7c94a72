#include <gtest/gtest.h>

#include "gui/input/drag_image.h"
#include "gui/kernel/temporary_window.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
// A drag source whose drop kind the test sets.
class Source : public Pane {
public:
    using Pane::Pane;
    i32 dropKindAt(i32, i32) override {
        ++asked;
        return kind;
    }
    i32 kind = 0;
    int asked = 0;
};

class DragImage : public ::testing::Test {
protected:
    void SetUp() override {
        ansiMode = 0;
        frame = new InputFrame(nullptr, 100, 100, 300, 200);
        source = new Source(frame, nullptr, "source");
        source->place(0, 0, 200, 150);
        seam.cursor = POINT{150, 150};
    }
    void TearDown() override {
        layerWithColourKey = saved;
        delete frame;
    }
    void moveTo(i32 x, i32 y) {
        seam.cursor = POINT{x, y};
        SendMessageA(source->hwnd, WM_MOUSEMOVE, 0, 0);
    }
    RECT rectOf(GTemporaryWindow* w) {
        RECT r;
        GetWindowRect(w->hwnd, &r);
        return r;
    }

    TestApplication test;
    InputSeam seam;
    InputFrame* frame = nullptr;
    Source* source = nullptr;
    bool (*saved)(HWND, COLORREF) = layerWithColourKey;
};

TEST_F(DragImage, FollowsTheCursorAndReloadsTheMarkOnlyWhenTheKindChanges) {
    source->kind = 2;
    GDragImageWindow* drag = new GDragImageWindow(source, nullptr);
    ASSERT_TRUE(drag->markWindow && drag->imageWindow);
    EXPECT_EQ(drag->markBitmap, 9082);
    EXPECT_FALSE(drag->markOpaque);
    EXPECT_TRUE(GetWindowLongA(drag->markWindow->hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(IsWindowVisible(drag->markWindow->hwnd));
    EXPECT_EQ(rectOf(drag->markWindow).left, 150);
    EXPECT_EQ(rectOf(drag->imageWindow).top, 160);
    const u32 loads = drag->markLoads;

    moveTo(170, 180);
    EXPECT_EQ(drag->markLoads, loads);
    EXPECT_EQ(rectOf(drag->markWindow).left, 170);
    EXPECT_EQ(rectOf(drag->markWindow).top, 180);
    EXPECT_EQ(rectOf(drag->imageWindow).left, 180);
    // The cursor did not move: nothing is asked.
    const int asked = source->asked;
    SendMessageA(source->hwnd, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(source->asked, asked);

    struct { i32 kind, bitmap; } kinds[] = {{3, 9083}, {4, 9081}, {7, 9080}, {2, 9082}};
    i32 x = 170;
    for (const auto& k : kinds) {
        source->kind = k.kind;
        moveTo(x += 5, 180);
        EXPECT_EQ(drag->markBitmap, k.bitmap) << k.kind;
    }
    EXPECT_EQ(drag->markLoads, loads + 4);

    HWND mark = drag->markWindow->hwnd;
    delete drag;
    EXPECT_FALSE(IsWindow(mark));
}

TEST_F(DragImage, RefusedLayeringShowsTheMarkOpaque) {
    layerWithColourKey = [](HWND, COLORREF) { return false; };
    GDragImageWindow* drag = new GDragImageWindow(source, nullptr);
    EXPECT_TRUE(drag->markOpaque);
    EXPECT_TRUE(IsWindowVisible(drag->markWindow->hwnd));
    EXPECT_EQ(drag->markBitmap, 9080);
    // The windows die with the source's drag; their slots are cleared first.
    GTemporaryWindow* image = drag->imageWindow;
    DestroyWindow(image->hwnd);
    EXPECT_EQ(drag->imageWindow, nullptr);
    delete drag;
}
}  // namespace
