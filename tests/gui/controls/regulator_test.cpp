// The regulator on real windows: steps and page steps, keys, drags past the ends and the quantum,
// the wheel, an empty range, notifications, the bound variable, and the tick and thumb pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>

#include "gui/controls/regulator.h"
#include "gui/input/input_event.h"
#include "gui/input/mouse_capture.h"
#include "gui/kernel/window_procedure.h"
#include "gui/paint/colors.h"
#include "tests/gui/value_fixture.h"

using namespace valuefix;

namespace {

// A horizontal regulator 113 pixels wide has a usable axis of 100 (6..106).
struct RegFixture : Fixture {
    GRegulator* reg;
    explicit RegFixture(u32 style = 0, i64 minimum = 0, i64 maximum = 100, RECT r = {0, 0, 113, 24}) {
        reg = GRegulator::create(builder, style, 0, 0);
        reg->minimum = minimum;
        reg->maximum = maximum;
        place(reg, r);
    }
    i32 key(u32 vk, u32 mods = 0) {
        GInputEvent e = GInputEvent::keyDown(vk, mods);
        return reg->handleKey(&e);
    }
    void drag(i32 x0, i32 y0, i32 x1, i32 y1) {
        SendMessageA(reg->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y0));
        SendMessageA(reg->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x1, y1));
        SendMessageA(reg->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x1, y1));
    }
};

TEST(Regulator, StepsAndPageStepsFollowTheRangeAndTheAxis) {
    RegFixture f;
    RegulatorGeometry g = f.reg->geometry();
    EXPECT_EQ(6, g.start);
    EXPECT_EQ(106, g.end);
    struct Case {
        i64 minimum, maximum, from;
        i32 direction;
        i64 step, tick, paged;
    } cases[] = {
        {0, 100, 37, +1, 1, 10, 40},        {0, 100, 40, +1, 1, 10, 50},        {-100, 100, -37, -1, 2, 10, -40},
        {0, 1000, 37, +1, 10, 100, 100},    {0, 1000, 995, +1, 10, 100, 1000},  {0, 10, 3, -1, 1, 1, 2},
        {5, 5, 5, +1, 1, 1, 5},             {INT64_MIN, INT64_MAX, 0, +1, 184467440737095516, 1000000000000000000, 1000000000000000000},
    };
    for (const Case& c : cases) {
        f.reg->minimum = c.minimum;
        f.reg->maximum = c.maximum;
        EXPECT_EQ(c.step, f.reg->lineStep(100)) << c.minimum << ".." << c.maximum;
        EXPECT_EQ(c.tick, f.reg->tickStep(100)) << c.minimum << ".." << c.maximum;
        EXPECT_EQ(c.paged, f.reg->pageFrom(c.from, c.direction, 100)) << c.minimum << ".." << c.maximum;
    }
    // An empty axis steps by one and pages by one.
    f.reg->minimum = 0;
    f.reg->maximum = 100;
    EXPECT_EQ(1, f.reg->lineStep(0));
    EXPECT_EQ(1, f.reg->tickStep(-3));
}

TEST(Regulator, KeysMoveTheValueByAxis) {
    RegFixture f(RegulatorHasDefault);
    f.reg->defaultValue = 42;
    struct Step {
        u32 key, mods;
        i32 answer;
        i64 value;
    } horizontal[] = {{VK_RIGHT, 0, 2, 1},     {VK_RIGHT, ModCtrl, 2, 10}, {VK_RIGHT, ModCtrl, 2, 20},
                      {VK_LEFT, 0, 2, 19},     {VK_LEFT, ModCtrl, 2, 10},  {VK_END, 0, 2, 100},
                      {VK_RIGHT, 0, 2, 100},   {VK_HOME, 0, 2, 0},         {VK_LEFT, 0, 2, 0},
                      {VK_SPACE, 0, 2, 42},    {VK_UP, 0, 0, 42},          {VK_HOME, ModShift, 0, 42}};
    for (const Step& s : horizontal) {
        EXPECT_EQ(s.answer, f.key(s.key, s.mods)) << s.key;
        EXPECT_EQ(s.value, f.reg->value) << s.key;
    }
    RegFixture v(RegulatorVertical, 0, 100, {0, 0, 24, 113});
    struct Step vertical[] = {{VK_HOME, 0, 2, 100}, {VK_DOWN, 0, 2, 99}, {VK_NEXT, 0, 2, 90}, {VK_PRIOR, 0, 2, 100},
                              {VK_END, 0, 2, 0},    {VK_UP, 0, 2, 1},    {VK_RIGHT, 0, 0, 1}, {VK_SPACE, 0, 0, 1}};
    for (const Step& s : vertical) {
        EXPECT_EQ(s.answer, v.key(s.key, s.mods)) << s.key;
        EXPECT_EQ(s.value, v.reg->value) << s.key;
    }
}

TEST(Regulator, DraggingClampsToTheEndsAndTruncatesToTheQuantum) {
    RegFixture f(0, 0, 100);
    f.drag(50, 12, 300, 12);
    EXPECT_EQ(100, f.reg->value);
    f.drag(50, 12, -40, 12);
    EXPECT_EQ(0, f.reg->value);
    f.drag(56, 12, 56, 12);
    EXPECT_EQ(50, f.reg->value);
    f.reg->quantum = 5;
    f.drag(19, 12, 19, 12);  // worth 13
    EXPECT_EQ(10, f.reg->value);
    EXPECT_EQ(0, captureCount());

    // Vertical: the maximum at the top, offsets from the bottom.
    RegFixture v(RegulatorVertical, -50, 50, {0, 0, 24, 113});
    v.drag(12, 50, 12, -20);
    EXPECT_EQ(50, v.reg->value);
    v.drag(12, 50, 12, 500);
    EXPECT_EQ(-50, v.reg->value);
    v.drag(12, 96, 12, 96);  // 10 above the bottom of the axis
    EXPECT_EQ(-40, v.reg->value);

    // The widest range: the ends exactly, and no overflow in between.
    RegFixture w(RegulatorTicksBefore | RegulatorTicksAfter, INT64_MIN, INT64_MAX, {0, 0, 113, 36});
    w.drag(0, 18, 200, 18);
    RedrawWindow(w.reg->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(INT64_MAX, w.reg->value);
    w.drag(56, 18, 56, 18);
    EXPECT_NEAR(0.0, (double)w.reg->value, 1e17);
    w.drag(56, 18, -9, 18);
    EXPECT_EQ(INT64_MIN + 0, w.reg->pageFrom(INT64_MIN + 5, -1, 100));
    EXPECT_EQ(-9000000000000000000, w.reg->pageFrom(INT64_MIN + 5, +1, 100));
    EXPECT_EQ(INT64_MIN, w.reg->value);
}

TEST(Regulator, AnEmptyRangeOrAxisIsHarmless) {
    RegFixture f(RegulatorTicksBefore | RegulatorTicksAfter, 7, 7);
    f.reg->value = 7;
    f.drag(50, 12, 60, 12);
    EXPECT_EQ(7, f.reg->value);
    EXPECT_EQ(2, f.key(VK_RIGHT));
    EXPECT_EQ(7, f.reg->value);
    RedrawWindow(f.reg->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    // Narrower than the thumb's margins: no axis at all.
    Fixture::place(f.reg, {0, 0, 8, 8});
    f.reg->maximum = 100;
    f.drag(4, 4, 5, 4);
    EXPECT_EQ(2, f.key(VK_END));
    EXPECT_EQ(100, f.reg->value);
    RedrawWindow(f.reg->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_FALSE(windowFailures().holds());
}

TEST(Regulator, ChangesNotifyOnceAndWaitForTheRedrawLock) {
    RegFixture f;
    f.reg->setValue(10);
    f.reg->setValue(10);
    ASSERT_EQ(1u, f.dialog->notes.size());
    EXPECT_EQ(static_cast<GItemBase*>(f.reg), f.dialog->notes[0].source);
    f.reg->beginRedrawLock();
    f.reg->setValue(11);
    f.key(VK_RIGHT);
    EXPECT_EQ(1u, f.dialog->notes.size());
    f.reg->endRedrawLock();
    EXPECT_EQ(2u, f.dialog->notes.size());
    EXPECT_EQ(12, f.reg->value);
}

TEST(Regulator, AReceiverMayEndTheRegulatorDuringADrag) {
    RegFixture f;
    LifeGuard life(f.reg->lifeRecord());
    f.dialog->onNote = [&] { DestroyWindow(f.reg->hwnd); };
    SendMessageA(f.reg->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(56, 12));
    EXPECT_FALSE(life.alive());
    EXPECT_EQ(0, captureCount());
    EXPECT_FALSE(windowFailures().holds());
    f.dialog->onNote = nullptr;
}

TEST(Regulator, BoundRegulatorsStoreTheirValues) {
    Fixture f;
    i32 a = 30, b = 500;
    GRegulator* ra = GRegulator::createSized(f.builder, &a, 0, 100);
    GRegulator* rb = GRegulator::createSized(f.builder, &b, 0, 100);
    EXPECT_EQ(30, ra->value);
    EXPECT_EQ(100, rb->value);  // kept inside the range
    EXPECT_EQ(rb, f.builder.boundRegulators);
    EXPECT_EQ(RegulatorVertical | RegulatorTicksBefore | RegulatorTicksAfter | RegulatorAlways, ra->style);
    i32 w = -1, h = 0;
    ra->getPreferredSize(&w, &h);
    EXPECT_EQ(22 + 10 + 4, w);
    EXPECT_EQ(104, h);
    ra->setValue(7);
    storeBoundRegulators(f.builder.boundRegulators);
    EXPECT_EQ(7, a);
    EXPECT_EQ(100, b);
}

TEST(Regulator, PaintsTicksEveryTickStepAndTheThumbAtTheValue) {
    RegFixture f(RegulatorTicksBefore | RegulatorTicksAfter, 0, 100, {0, 0, 113, 36});
    ToolkitColors saved = toolkitColors;
    toolkitColors.darkShade = RGB(255, 0, 255);
    toolkitColors.lightShade = RGB(200, 200, 200);
    toolkitColors.background = RGB(40, 120, 40);
    f.reg->value = 50;
    RedrawWindow(f.reg->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    // Ticks at 10, ..., 100: x = 16, ..., 106, on rows 2..7 and 28..33 (the zero mark covers 0).
    for (i32 x = 16; x <= 106; x += 10) {
        EXPECT_EQ(RGB(255, 0, 255), pixelAt(f.reg->hwnd, x, 4)) << x;
        EXPECT_EQ(RGB(255, 0, 255), pixelAt(f.reg->hwnd, x, 30)) << x;
    }
    EXPECT_NE(RGB(255, 0, 255), pixelAt(f.reg->hwnd, 11, 4));
    EXPECT_NE(RGB(255, 0, 255), pixelAt(f.reg->hwnd, 16, 9));
    EXPECT_NE(RGB(255, 0, 255), pixelAt(f.reg->hwnd, 16, 1));
    EXPECT_EQ(RGB(0, 0, 0), pixelAt(f.reg->hwnd, 6, 4));  // the zero mark in the text colour
    // The thumb spans 52..60 across the track; outside it the groove shows.
    RegulatorGeometry g = f.reg->geometry();
    RECT thumb = f.reg->thumbRect(g, f.reg->positionOf(g, 50));
    EXPECT_EQ(52, thumb.left);
    EXPECT_EQ(61, thumb.right);
    i32 mid = (g.track.top + g.track.bottom) / 2;
    COLORREF inThumb = pixelAt(f.reg->hwnd, 56, mid);
    COLORREF groove = pixelAt(f.reg->hwnd, 30, mid);
    EXPECT_NE(inThumb, groove);
    f.reg->setValue(10);
    RedrawWindow(f.reg->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(groove, pixelAt(f.reg->hwnd, 56, mid));
    EXPECT_EQ(inThumb, pixelAt(f.reg->hwnd, 16, mid));
    toolkitColors = saved;
}

// Disabled, nothing but the thumb keeps the dark shade: ticks, groove and zero mark go grey.
TEST(Regulator, ADisabledRegulatorIsGreyedAlongItsWholeTrack) {
    for (u32 vertical : {0u, (u32)RegulatorVertical}) {
        RECT r = vertical ? RECT{0, 0, 36, 113} : RECT{0, 0, 113, 36};
        RegFixture f(vertical | RegulatorTicksBefore | RegulatorTicksAfter, -50, 50, r);
        ToolkitColors saved = toolkitColors;
        toolkitColors.darkShade = RGB(255, 0, 255);
        toolkitColors.text = RGB(0, 0, 255);
        toolkitColors.lightShade = RGB(200, 200, 200);
        toolkitColors.background = RGB(40, 120, 40);
        f.reg->value = 50;
        EnableWindow(f.reg->hwnd, FALSE);
        RedrawWindow(f.reg->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RegulatorGeometry g = f.reg->geometry();
        RECT thumb = f.reg->thumbRect(g, f.reg->positionOf(g, 50));
        for (i32 y = 2; y < r.bottom - 2; ++y)
            for (i32 x = 2; x < r.right - 2; ++x) {
                if (x >= thumb.left - 1 && x <= thumb.right && y >= thumb.top - 1 && y <= thumb.bottom) continue;
                COLORREF c = pixelAt(f.reg->hwnd, x, y);
                ASSERT_NE(RGB(255, 0, 255), c) << vertical << " " << x << "," << y;
                ASSERT_NE(RGB(0, 0, 255), c) << vertical << " " << x << "," << y;
            }
        toolkitColors = saved;
    }
}

TEST(Regulator, TheWheelStepsOverTheRegulator) {
    RegFixture f(0, 0, 1000);
    CursorOver cursor(f.reg->hwnd);
    SendMessageA(f.reg->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    SendMessageA(f.reg->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(20, f.reg->value);
    SendMessageA(f.reg->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-WHEEL_DELTA), 0);
    EXPECT_EQ(10, f.reg->value);
}

}  // namespace
