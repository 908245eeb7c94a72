// The value steppers on plain texts, and the spinner's arrow window on a real edit line: the
// repeat timing through the clock of systemInput, doubling, limits, the wheel, a disabled buddy
// and the painted halves.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <string>

#include "core/exceptions.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/spinner.h"
#include "gui/controls/value_stepper.h"
#include "gui/input/input_event.h"
#include "gui/kernel/window_procedure.h"
#include "gui/paint/colors.h"
#include "tests/gui/value_fixture.h"

using namespace valuefix;

namespace {

// A text with a selection, as an edit line holds it.
class PlainText : public GStepText {
public:
    PlainText(const char* t, i32 start, i32 end) : value(t), start(start), end(end) {}
    GString text() override { return GString(value.c_str()); }
    void setText(const char* t) override { value = t; }
    void selection(i32* s, i32* e) override {
        *s = start;
        *e = end;
    }
    void select(i32 s, i32 e) override {
        start = s;
        end = e;
    }
    std::string value;
    i32 start, end;
};

TEST(ValueSteppers, StepTheDigitOrPartUnderTheCaret) {
    struct Case {
        ValueKind kind;
        double minimum, maximum;
        const char* text;
        i32 start, end, direction, multiplier;
        const char* result;  // null: refused, text unchanged
        i32 newStart, newEnd;
    } cases[] = {
        {ValueKind::Integer, 0, 100, "47", 1, 1, +1, 1, "50", 1, 1},
        {ValueKind::Integer, 0, 100, "47", 1, 1, -1, 1, "30", 1, 1},
        {ValueKind::Integer, 0, 100, "47", 0, 2, +1, 1, "48", 2, 2},  // select-all steps the last digit
        {ValueKind::Integer, -100, 100, "-47", 2, 2, -1, 1, "-50", 2, 2},
        {ValueKind::Integer, 0, 100, "47", 2, 2, +1, 4, "51", 2, 2},
        {ValueKind::Integer, 0, 100, "100", 3, 3, +1, 1, nullptr, 3, 3},
        {ValueKind::Integer, 0, 100, "4x7", 3, 3, +1, 1, nullptr, 3, 3},
        {ValueKind::Integer, 0, 100, "", 0, 0, +1, 1, nullptr, 0, 0},
        {ValueKind::Integer, INT_MIN, INT_MAX, "2147483647", 10, 10, +1, 1, nullptr, 10, 10},
        {ValueKind::Integer, INT_MIN, INT_MAX, "2147483647", 10, 10, +1, INT_MAX, nullptr, 10, 10},
        {ValueKind::Integer, INT_MIN, INT_MAX, "-5", 0, 0, -1, INT_MAX, nullptr, 0, 0},
        {ValueKind::Unsigned, 0, 4294967295.0, "4294967290", 10, 10, +1, 2, "4294967292", 10, 10},
        {ValueKind::Unsigned, 0, 4294967295.0, "3", 1, 1, -1, 4, nullptr, 1, 1},
        {ValueKind::Double, 0, 10, "1.25", 4, 4, +1, 1, "1.26", 4, 4},
        {ValueKind::Double, 0, 10, "1.25", 1, 1, -1, 1, "0.25", 1, 1},
        {ValueKind::Double, 0, 10, "9.5", 1, 1, +1, 1, nullptr, 1, 1},
        {ValueKind::Time, 0, 3600000, "1:05.250", 3, 3, +1, 1, "1:06.250", 2, 4},
        {ValueKind::Time, 0, 3600000, "1:05.250", 0, 8, -1, 1, "5.250", 0, 5},
        {ValueKind::Time, 0, 3600000, "1:05.250", 6, 6, +1, 1, "1:05.251", 5, 8},
        {ValueKind::Time, 0, 3600000, "59.500", 0, 0, +1, 1, "1:00.500", 2, 4},
        {ValueKind::Time, 0, 0xFFFFFFFFu, "0.500", 0, 0, -1, 1, nullptr, 0, 0},  // no unsigned wrap
        {ValueKind::Time, 0, 0xFFFFFFFFu, "71582:47.295", 9, 9, +1, 1, nullptr, 9, 9},
        {ValueKind::Time, 0, 0xFFFFFFFFu, "1.000", -1, -1, +1, 1, "1.000", -1, -1},  // no selection
    };
    for (const Case& c : cases) {
        PlainText text(c.text, c.start, c.end);
        GValueStepper stepper(c.kind, c.minimum, c.maximum);
        bool refused = false;
        try {
            stepper.step(text, c.direction, c.multiplier);
        } catch (const GVerifyException& e) {
            refused = true;
            EXPECT_TRUE(e.text.empty());
        }
        EXPECT_EQ(c.result == nullptr, refused) << c.text;
        EXPECT_EQ(c.result ? c.result : c.text, text.value) << c.text;
        EXPECT_EQ(c.newStart, text.start) << c.text;
        EXPECT_EQ(c.newEnd, text.end) << c.text;
    }
}

// An edit line with the spinner beside it, stepping integers in [minimum, maximum].
struct SpinFixture : Fixture {
    FakeClock clock;
    GValueStepper stepper;
    GEditLine* line;
    GSpinner* spinner;

    explicit SpinFixture(double minimum = 0, double maximum = 100000, ValueKind kind = ValueKind::Integer)
        : stepper(kind, minimum, maximum) {
        line = GEditLine::create(builder, 8);
        spinner = new GSpinner(dialog);
        spinner->create();
        builder.add(spinner);
        spinner->buddy = line;
        spinner->stepper = &stepper;
        place(line, {10, 10, 90, 30});
        place(spinner, {90, 10, 101, 30});
    }
    void setValue(const char* text) {
        line->setTextQuiet(text);
        i32 n = (i32)strlen(text);
        SendMessageA(line->hwnd, EM_SETSEL, n, n);
    }
    std::string value() { return line->text(); }
    void press(bool upper) { SendMessageA(spinner->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, upper ? 3 : 17)); }
    void release() { SendMessageA(spinner->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 3)); }
    // The clock moves on and the repeat timer ticks.
    void after(DWORD ms) {
        FakeClock::now += ms;
        spinner->onTimer(&spinner->timer);
    }
};

TEST(Spinner, HoldingRepeatsAfterTheDelayAndDoublesAfterTenSteps) {
    SpinFixture f;
    f.setValue("0");
    f.press(true);
    EXPECT_EQ("1", f.value());
    EXPECT_NE(0u, f.spinner->timer.id);
    f.after(300);
    EXPECT_EQ("1", f.value());
    f.after(100);
    EXPECT_EQ("2", f.value());
    for (int i = 0; i < 9; ++i) f.after(100);
    EXPECT_EQ("11", f.value());  // ten repeats of 1
    f.after(100);
    EXPECT_EQ("13", f.value());
    f.after(1000);  // a late tick catches up: nine more steps of 2, the doubling, one step of 4
    EXPECT_EQ("35", f.value());
    EXPECT_EQ(4, f.spinner->multiplier);

    f.release();
    EXPECT_EQ(0u, f.spinner->timer.id);
    EXPECT_EQ(1, f.spinner->multiplier);
    EXPECT_EQ(0u, f.spinner->arrowState & (SpinUpPressed | SpinDownPressed));
    f.after(1000);
    EXPECT_EQ("35", f.value());

    // The lower half steps down.
    f.press(false);
    EXPECT_EQ("34", f.value());
    f.release();
}

TEST(Spinner, ARangeEndOrABadTextStopsTheRepeatAndKeepsTheValue) {
    SpinFixture f(0, 10);
    f.setValue("9");
    f.press(true);
    EXPECT_EQ("10", f.value());
    f.after(400);
    EXPECT_EQ("10", f.value());
    EXPECT_EQ(0u, f.spinner->timer.id);
    EXPECT_EQ(0u, f.spinner->arrowState & (SpinUpPressed | SpinDownPressed));
    EXPECT_FALSE(windowFailures().holds());
    f.release();

    f.setValue("abc");
    f.press(true);
    EXPECT_EQ("abc", f.value());
    EXPECT_EQ(0u, f.spinner->timer.id);
    EXPECT_FALSE(windowFailures().holds());
    f.release();
}

TEST(Spinner, AStepWhoseNotificationEndsTheSpinnerStopsThere) {
    SpinFixture f;
    f.setValue("5");
    bool deleted = false;
    LifeGuard life(f.spinner->lifeRecord());
    f.press(true);
    f.dialog->onNote = [&] {
        if (!deleted) DestroyWindow(f.spinner->hwnd);
        deleted = true;
    };
    f.after(500);  // the first repeat ends the window; the later ticks are not run
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(life.alive());
    EXPECT_EQ("7", f.value());
    EXPECT_FALSE(windowFailures().holds());
    f.dialog->onNote = nullptr;
}

TEST(Spinner, ADisabledOrHiddenBuddyIsInert) {
    SpinFixture f;
    f.setValue("5");
    EnableWindow(f.line->hwnd, FALSE);
    f.press(true);
    f.after(500);
    EXPECT_EQ("5", f.value());
    f.release();
    EnableWindow(f.line->hwnd, TRUE);
    ShowWindow(f.line->hwnd, SW_HIDE);
    f.press(true);
    EXPECT_EQ("5", f.value());
    f.release();
}

TEST(Spinner, TheWheelStepsOnceAndStopsARepeat) {
    SpinFixture f;
    f.setValue("5");
    CursorOver cursor(f.spinner->hwnd);
    SendMessageA(f.spinner->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ("6", f.value());
    SendMessageA(f.spinner->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-WHEEL_DELTA), 0);
    SendMessageA(f.spinner->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-WHEEL_DELTA), 0);
    EXPECT_EQ("4", f.value());
    f.press(true);
    SendMessageA(f.spinner->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ("6", f.value());
    EXPECT_EQ(0u, f.spinner->timer.id);
    f.release();
}

TEST(Spinner, TimeFieldsStepThePartUnderTheCaret) {
    SpinFixture f(0, 3600000, ValueKind::Time);
    f.line->setTextQuiet("1:05.250");
    SendMessageA(f.line->hwnd, EM_SETSEL, 3, 3);
    f.press(true);
    f.release();
    EXPECT_EQ("1:06.250", f.value());
    DWORD start = 0, end = 0;
    SendMessageA(f.line->hwnd, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(2u, start);
    EXPECT_EQ(4u, end);
    // The arrow keys of the edit line step through the spinner.
    GInputEvent up = GInputEvent::keyDown(VK_UP);
    EXPECT_EQ(2, f.spinner->arrowKey(&up));
    EXPECT_EQ("1:07.250", f.value());
}

TEST(Spinner, PaintsTwoHalvesWithArrowsAndTheStateOfEach) {
    SpinFixture f;
    ToolkitColors saved = toolkitColors;
    toolkitColors.text = RGB(255, 0, 255);
    toolkitColors.background = RGB(120, 160, 200);
    f.setValue("5");
    auto arrowPixels = [&](i32 top, i32 bottom) {
        RedrawWindow(f.spinner->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        i32 n = 0;
        for (i32 y = top; y < bottom; ++y)
            for (i32 x = 0; x < 11; ++x) n += pixelAt(f.spinner->hwnd, x, y) == RGB(255, 0, 255);
        return n;
    };
    i32 upper = arrowPixels(0, 9), lower = arrowPixels(9, 20);
    EXPECT_GT(upper, 2);
    EXPECT_EQ(upper, lower);
    // Split at (top + bottom) / 2 - 1 = 9: the upper frame's dark bottom line, then the lower
    // frame's light top line; each half a light-to-dark gradient.
    auto at = [&](i32 x, i32 y) { return pixelAt(f.spinner->hwnd, x, y); };
    EXPECT_EQ(toolkitColors.darkShade, at(1, 8));
    EXPECT_EQ(toolkitColors.lightShade, at(1, 9));
    EXPECT_GT(colorBrightness(at(1, 2)), colorBrightness(at(1, 6)));
    EXPECT_GT(colorBrightness(at(1, 11)), colorBrightness(at(1, 17)));
    // The half under the pointer is hot until the pointer leaves.
    SendMessageA(f.spinner->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 15));
    EXPECT_EQ((u32)SpinDownHot, f.spinner->arrowState);
    SendMessageA(f.spinner->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 3));
    EXPECT_EQ((u32)SpinUpHot, f.spinner->arrowState);
    SendMessageA(f.spinner->hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(0u, f.spinner->arrowState);
    // Pressed: the upper half is sunken (a dark top-left edge) and its arrow moves one pixel.
    COLORREF edgeBefore = pixelAt(f.spinner->hwnd, 0, 0);
    f.press(true);
    RedrawWindow(f.spinner->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    COLORREF edgePressed = pixelAt(f.spinner->hwnd, 0, 0);
    EXPECT_NE(edgeBefore, edgePressed);
    EXPECT_LT(colorBrightness(edgePressed), colorBrightness(edgeBefore));
    // The pressed half inverted (column 1 holds its dotted rectangle now).
    EXPECT_LT(colorBrightness(at(2, 2)), colorBrightness(at(2, 6)));
    EXPECT_GT(colorBrightness(at(1, 11)), colorBrightness(at(1, 17)));
    f.release();
    // Disabled: no arrow in the text colour.
    EnableWindow(f.spinner->hwnd, FALSE);
    EXPECT_EQ(0, arrowPixels(0, 20));
    toolkitColors = saved;
}

}  // namespace
