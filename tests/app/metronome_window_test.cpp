// The metronome window on a fake clock: which beat is lit (read back from the window's pixels), the
// count-down and its own start, the waiting state and the sizes it draws nothing at.
#include "app/metronome_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/value_fixture.h"

namespace {

using valuefix::FakeClock;

// Records the notifications that reach the dialog.
class NoticeDialog : public GDialog {
public:
    NoticeDialog() : GDialog(nullptr, "") {}
    bool onControlNotify(void* n) override {
        auto* notice = static_cast<GControlNotification*>(n);
        if (notice->code == MetronomeStarted) ++started;
        return true;
    }
    i32 started = 0;
};

struct MetronomeRig {
    TestApplication app;
    FakeClock clock;
    NoticeDialog dialog;
    GMetronomeWindow* window = nullptr;

    explicit MetronomeRig(MetronomeSetup setup, i32 size = 120) {
        createTopLevelWindow(&dialog, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(dialog.hwnd, HWND_TOP, 0, 0, 200, 200, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        GLayoutBuilder builder(&dialog);
        window = GMetronomeWindow::build(builder, setup);
        dialog.setContent(window);
        window->setRect(RECT{0, 0, size, size});
        MoveWindow(window->hwnd, 0, 0, size, size, FALSE);
    }
    ~MetronomeRig() { destroyHidden(dialog.hwnd); }

    void paintNow() {
        InvalidateRect(window->hwnd, nullptr, FALSE);
        UpdateWindow(window->hwnd);
    }
    // The pixel on the axis of beat i at 80% of the radius.
    COLORREF beatPixel(i32 i, i32 beats) {
        RECT client;
        GetClientRect(window->hwnd, &client);
        POINT centre;
        i32 radius;
        RECT text;
        GMetronomeWindow::dialGeometry(client, &centre, &radius, &text);
        double a = i * 2 * 3.14159265358979 / beats;
        HDC dc = GetDC(window->hwnd);
        COLORREF c = GetPixel(dc, centre.x + (i32)std::lround(std::sin(a) * radius * 0.8),
                              centre.y - (i32)std::lround(std::cos(a) * radius * 0.8));
        ReleaseDC(window->hwnd, dc);
        return c;
    }
};

bool nearLit(COLORREF c) {
    return std::abs((int)GetRValue(c) - (int)GetRValue(kMetronomeLitColor)) < 48 &&
           std::abs((int)GetGValue(c) - (int)GetGValue(kMetronomeLitColor)) < 48 &&
           std::abs((int)GetBValue(c) - (int)GetBValue(kMetronomeLitColor)) < 48;
}

// The beats lit, as a string of 0 and 1 by index.
std::string litBeats(MetronomeRig& rig, i32 beats) {
    rig.paintNow();
    std::string out;
    for (i32 i = 0; i < beats; ++i) out += nearLit(rig.beatPixel(i, beats)) ? '1' : '0';
    return out;
}

}  // namespace

TEST(MetronomeWindow, NamesItsClassAndPrefersEightyPixels) {
    MetronomeRig rig({});
    EXPECT_STREQ(rig.window->className(), "GMetronomeWindow");
    EXPECT_EQ(rig.window->typeId(), 115u);
    for (u32 kind : {115u, 6u, 3u, 1u}) EXPECT_TRUE(rig.window->isKindOf(kind)) << kind;
    EXPECT_FALSE(rig.window->isKindOf(2));
    i32 w = 0, h = 0;
    rig.window->getPreferredSize(&w, &h);
    EXPECT_EQ(w, 80);
    EXPECT_EQ(h, 80);
}

// 4 beats of 500 ms: beat 3 is lit at 1750 ms, beat 0 again at 2000 ms; the time reads 00:01 and
// 00:02.
TEST(MetronomeWindow, LightsTheBeatOfTheElapsedTime) {
    MetronomeRig rig({4, 500, 0, false, "wait"});
    FakeClock::now = 100000;
    rig.window->start();
    EXPECT_EQ(rig.dialog.started, 1);
    struct Case {
        u32 after;
        const char* lit;
        i32 seconds;
    };
    for (Case c : {Case{0, "1000", 0}, Case{600, "0100", 0}, Case{1750, "0001", 1}, Case{2000, "1000", 2}}) {
        FakeClock::now = 100000 + c.after;
        EXPECT_EQ(litBeats(rig, 4), c.lit) << c.after;
        EXPECT_EQ(rig.window->shownSeconds(FakeClock::now), c.seconds) << c.after;
    }
    rig.window->stop();
    EXPECT_TRUE(rig.window->stopped());
    EXPECT_EQ(litBeats(rig, 4), "0000");
    EXPECT_EQ(rig.window->shownSeconds(FakeClock::now), -1);
}

// A start tick 3000 ms ahead counts down 3, 2, 1, then the window starts itself when painted at the
// tick and tells its owner.
TEST(MetronomeWindow, CountsDownToItsStartTick) {
    MetronomeRig rig({4, 500, 100000 + 3000, false, "wait"});
    FakeClock::now = 100000;
    for (u32 at : {0u, 1000u, 2000u}) {
        FakeClock::now = 100000 + at;
        rig.paintNow();
        EXPECT_FALSE(rig.window->running());
        EXPECT_EQ(rig.window->shownSeconds(FakeClock::now), (i32)(3 - at / 1000)) << at;
    }
    FakeClock::now = 100000 + 2999;
    EXPECT_EQ(rig.window->shownSeconds(FakeClock::now), 1);
    FakeClock::now = 100000 + 3000;
    EXPECT_EQ(litBeats(rig, 4), "1000");
    EXPECT_TRUE(rig.window->running());
    EXPECT_EQ(rig.dialog.started, 1);
}

// Made stopped (waiting for a level), it shows no beat and no time until its owner starts it.
TEST(MetronomeWindow, AStoppedWindowWaitsForItsOwner) {
    MetronomeRig rig({4, 500, 0, true, "wait"});
    FakeClock::now = 200000;
    EXPECT_EQ(litBeats(rig, 4), "0000");
    EXPECT_FALSE(rig.window->running());
    EXPECT_EQ(rig.window->shownSeconds(FakeClock::now), -1);
    EXPECT_EQ(rig.dialog.started, 0);
    rig.window->start();
    EXPECT_EQ(litBeats(rig, 4), "1000");
}

// Stored zeros count as one beat of one millisecond; a window too small for a dial draws nothing.
TEST(MetronomeWindow, ZeroSettingsAndTinyWindows) {
    {
        MetronomeRig rig({0, 0, 0, false, ""});
        FakeClock::now = 100000;
        rig.window->start();
        FakeClock::now = 100000 + 12345;
        EXPECT_EQ(rig.window->currentBeat(FakeClock::now), 0);
        EXPECT_EQ(litBeats(rig, 1), "1");
    }
    {
        MetronomeRig rig({4, 500, 0, false, ""}, 30);
        rig.window->start();
        rig.paintNow();
        HDC dc = GetDC(rig.window->hwnd);
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        for (i32 y = 0; y < 30; y += 3)
            for (i32 x = 0; x < 30; x += 3) EXPECT_EQ(GetPixel(dc, x, y), face) << x << "," << y;
        ReleaseDC(rig.window->hwnd, dc);
    }
}
