// What a real wave pane shows over sounds made by sox: the wave in its lane, the selection, the
// cursor, bookmarks, title boxes and the tools' pen, read back from the window.
#include <gtest/gtest.h>

#include <algorithm>

#include "editor/wave_pane_items.h"
#include "gui/paint/saved_dc.h"
#include "tests/editor/wave_pane_fixture.h"

using namespace wavetest;

namespace {
const COLORREF kBack = RGB(255, 255, 255), kFirst = RGB(0, 0, 200), kLast = RGB(200, 0, 0);
const COLORREF kSelect = RGB(0, 255, 0), kMarker = RGB(255, 0, 255);

void setColours(COLORREF back = kBack, COLORREF marker = kMarker) {
    CommandRange& c = wavePaneColors.colours;
    c.valueOf(WaveColorBackground) = back;
    c.valueOf(WaveColorFirstVoice) = kFirst;
    c.valueOf(WaveColorLastVoice) = kLast;
    c.valueOf(WaveColorSelection) = kSelect;
    c.valueOf(WaveColorMarker) = marker;
}

// Columns x of the rectangle holding a pixel of the colour.
i32 countIn(const DibCanvas& shot, COLORREF colour, const RECT& r) {
    i32 n = 0;
    for (i32 y = r.top; y < r.bottom; ++y)
        for (i32 x = r.left; x < r.right; ++x) n += shot.pixel(x, y) == colour;
    return n;
}
}  // namespace

TEST(WavePanePaint, FullScaleSineInTheFirstVoiceColourWithinItsLane) {
    PaneFixture f;
    setColours();
    waveViewOptions.viewFlags = WaveRulerShown | WaveTrackAll;
    f.load("-r 8000 -c 1 -b 16 synth 1 sine 20 norm -0.1");
    f.pane->recalculate(true);
    f.pane->setScale(f.pane->scaleX, 0.004);
    f.paintNow();
    DibCanvas shot(f.width, f.height);
    f.shot(shot);
    saveShot(shot, "wave_sine.bmp");
    RECT lane = f.pane->laneRect(0), plot = plotAreaRect(*f.pane);
    ASSERT_GT(lane.bottom - lane.top, 100);
    // Inside the lane the wave reaches near both edges; nothing of it outside.
    RECT inside{plot.left, lane.top, plot.right, lane.bottom + 1};
    EXPECT_GT(countIn(shot, kFirst, inside), 200);
    RECT above{plot.left, plot.top, plot.right, lane.top - 1};
    RECT below{plot.left, lane.bottom + 2, plot.right, plot.bottom};
    EXPECT_EQ(countIn(shot, kFirst, above), 0);
    EXPECT_EQ(countIn(shot, kFirst, below), 0);
    i32 top = lane.bottom, bottom = lane.top;
    for (i32 y = lane.top; y <= lane.bottom; ++y)
        for (i32 x = plot.left; x < plot.right; ++x)
            if (shot.pixel(x, y) == kFirst) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    i32 h = lane.bottom - lane.top;
    EXPECT_LT(top - lane.top, h / 20) << "the peaks reach the lane's top";
    EXPECT_LT(lane.bottom - bottom, h / 20) << "and its bottom";
}

// The selection inverts its columns only; the cursor is drawn by one exclusive-or and erased by
// the next; a cursor set to its own frame draws and tells nothing.
TEST(WavePanePaint, SelectionAndCursorByExclusiveOr) {
    PaneFixture f;
    setColours();
    waveViewOptions.viewFlags = WaveRulerShown | WaveTrackAll;
    f.load("-r 8000 -c 1 -b 16 synth 1 sine 20 norm -0.1");
    WavePane& p = *f.pane;
    p.setSelection(2000, 4000);
    f.paintNow();
    DibCanvas shot(f.width, f.height);
    f.shot(shot);
    RECT plot = plotAreaRect(p);
    i32 x1 = (i32)p.pixelOfFrame(2000), x2 = (i32)p.pixelOfFrame(4000);
    i32 y = plot.top + 3;  // above the wave: background or its inverse
    EXPECT_EQ(shot.pixel(x1 + 1, y), kSelect);
    EXPECT_EQ(shot.pixel(x2 - 1, y), kSelect);
    EXPECT_EQ(shot.pixel(x1 - 2, y), kBack);
    EXPECT_EQ(shot.pixel(x2 + 2, y), kBack);

    i32 cx = (i32)p.pixelOfFrame(6000);
    size_t notices = f.host->notices.size();
    p.setCursor(6000);
    f.shot(shot);
    EXPECT_EQ(shot.pixel(cx + 1, y), kMarker);
    EXPECT_EQ(f.codes(WavePaneCursorMoved).size(), 1u);
    ASSERT_EQ(f.host->notices.size(), notices + 1);
    DibCanvas before(f.width, f.height), after(f.width, f.height);
    f.shot(before);
    p.setCursor(6000);
    f.shot(after);
    EXPECT_EQ(before.mask(), after.mask());
    EXPECT_EQ(f.host->notices.size(), notices + 1);
    p.setCursor(7000);
    f.shot(shot);
    EXPECT_EQ(shot.pixel(cx + 1, y), kBack) << "the old line is erased";
    EXPECT_EQ(shot.pixel((i32)p.pixelOfFrame(7000) + 1, y), kMarker);
}

TEST(WavePanePaint, BookmarksNoticeAndTitleBoxes) {
    PaneFixture f;
    setColours();
    waveViewOptions.viewFlags = WaveRulerShown | WaveTrackShrink;
    f.load("-r 8000 -c 2 -b 16 synth 1 sine 20 sine 30 norm -0.1");
    WavePane& p = *f.pane;
    f.format.tracks[1].flags &= ~trackSelected;
    p.recalculate(true);
    p.addBookmarkAt(3000);
    p.setCursor(100);
    f.paintNow();
    DibCanvas shot(f.width, f.height);
    f.shot(shot);
    saveShot(shot, "wave_shrink.bmp");
    RECT plot = plotAreaRect(p);
    EXPECT_EQ(shot.pixel((i32)p.pixelOfFrame(3000), plot.bottom - 2), kMarker);
    // The shown track's box is ticked, the folded one's is not: the tick's dark pixels.
    ASSERT_EQ(p.laneCount, 2);
    auto dark = [&](i32 lane) {
        RECT b = p.titleBox(lane);
        i32 n = 0;
        for (i32 yy = b.top + 3; yy < b.bottom - 3; ++yy)
            for (i32 xx = b.left + 3; xx < b.right - 3; ++xx) n += GetRValue(shot.pixel(xx, yy)) < 60;
        return n;
    };
    EXPECT_GT(dark(0), 4);
    EXPECT_EQ(dark(1), 0);
    EXPECT_TRUE(p.lanes[1].folded);

    // Suspended and the timer fired: the notice replaces the overlays.
    p.suspendReading();
    p.onTimer(&p.suspensionTimer);
    EXPECT_EQ(p.suspension, 2u);
    EXPECT_EQ(p.noticeShown(), (u32)WaveSuspendedBitmap);
    f.paintNow();
    f.shot(shot);
    EXPECT_NE(shot.pixel((i32)p.pixelOfFrame(3000), plot.bottom - 2), kMarker);
    p.resumeReading();
    EXPECT_EQ(p.suspension, 0u);
    EXPECT_EQ(p.noticeShown(), 0u);
}

// With the marker in the background colour the tools' pen leaves no trace.
TEST(WavePanePaint, ToolPenOfMarkerEqualToBackgroundIsInvisible) {
    PaneFixture f;
    setColours(kBack, kBack);
    waveViewOptions.viewFlags = WaveRulerShown | WaveTrackAll;
    f.load("-r 8000 -c 1 -b 16 synth 1 sine 20 norm -0.1");
    WavePane& p = *f.pane;
    p.setDrawMode(WaveCurveDraw);
    f.paintNow();
    DibCanvas before(f.width, f.height), after(f.width, f.height);
    f.shot(before);
    RECT lane = p.laneRect(0);
    p.addToolPoint(1000, 0);
    HDC dc = GetDC(p.hwnd);
    p.drawOverlay(dc, (lane.left + lane.right) / 2, (lane.top + lane.bottom) / 2);
    ReleaseDC(p.hwnd, dc);
    f.shot(after);
    EXPECT_EQ(before.mask(), after.mask());
}

// The curve tool's feedback under real mouse moves: crosshair, the curve through the points
// clipped to the lane, squares at the points; moving on erases the previous feedback.
TEST(WavePanePaint, ToolFeedbackClippedToTheLaneAndErasedOnMove) {
    PaneFixture f;
    setColours();
    waveViewOptions.viewFlags = WaveRulerShown | WaveTrackAll;
    f.load("-r 8000 -c 2 -b 16 synth 1 sine 20 sine 30 norm -0.1");
    WavePane& p = *f.pane;
    reportErrorOnce(20001, "seen");
    p.setScale(p.scaleX, 0.002);
    p.setDrawMode(WaveCurveDraw);
    f.paintNow();
    DibCanvas clean(f.width, f.height), shot(f.width, f.height);
    f.shot(clean);
    RECT lane = p.laneRect(0);
    i32 mid = (lane.top + lane.bottom) / 2;
    f.click((i32)p.pixelOfFrame(1000), mid);
    // A point far above the lane's values: the curve leaves the lane and is cut at its top.
    p.addToolPoint(3000, 90000);
    i32 mx = (i32)p.pixelOfFrame(5000);
    f.mouse(WM_MOUSEMOVE, mx, mid);
    f.shot(shot);
    saveShot(shot, "wave_tool.bmp");
    const COLORREF ink = kMarker;  // the pen shows in the marker colour over the background
    i32 crossRow = 0, aboveLane = 0, inLane = 0;
    for (i32 x = 0; x < f.width; ++x) crossRow += shot.pixel(x, mid) != clean.pixel(x, mid);
    // Left of the cursor's columns.
    for (i32 y = 0; y < lane.top - 1; ++y)
        for (i32 x = lane.left + 3; x < lane.right; ++x) aboveLane += shot.pixel(x, y) == ink && x != mx;
    for (i32 y = lane.top; y < lane.bottom; ++y)
        for (i32 x = (i32)p.pixelOfFrame(1000) + 3; x < mx - 3; ++x) inLane += shot.pixel(x, y) != clean.pixel(x, y) && y != mid;
    EXPECT_GT(crossRow, f.width / 4) << "the dotted horizontal line";
    EXPECT_EQ(aboveLane, 0) << "nothing of the curve above its lane";
    EXPECT_GT(inLane, 20) << "the curve between the points";
    // Moving away from the lanes erases everything.
    f.mouse(WM_MOUSEMOVE, mx, f.height - 2);
    f.shot(shot);
    EXPECT_EQ(shot.mask(), clean.mask());
}

// The decibel option labels the level axes in decibels of full scale.
TEST(WavePanePaint, LevelLabelsInDecibels) {
    PaneFixture f;
    setColours();
    waveViewOptions.viewFlags = WaveRulerShown | WaveTrackAll | WaveDecibels;
    f.load("-r 8000 -c 1 -b 16 synth 1 sine 20 norm -0.1");
    f.paintNow();
    DibCanvas shot(f.width, f.height);
    f.shot(shot);
    saveShot(shot, "wave_decibels.bmp");
    WaveLevelAxis* level = nullptr;
    for (u32 i = 0; i < f.pane->itemCount() && !level; ++i) level = dynamic_cast<WaveLevelAxis*>(f.pane->itemAt(i));
    ASSERT_NE(level, nullptr);
    struct Case {
        double value;
        const char* text;
    };
    for (Case c : {Case{32767, "0.0"}, Case{-16383.5, "-6.0"}, Case{0, "-inf"}, Case{3276.7, "-20.0"}}) {
        char text[32];
        level->labelText(text, sizeof text, c.value);
        EXPECT_STREQ(text, c.text) << c.value;
    }
    waveViewOptions.viewFlags &= ~(u32)WaveDecibels;
    f.pane->recalculate(true);
    level = nullptr;
    for (u32 i = 0; i < f.pane->itemCount() && !level; ++i) level = dynamic_cast<WaveLevelAxis*>(f.pane->itemAt(i));
    char text[32];
    level->labelText(text, sizeof text, 20000);
    EXPECT_STREQ(text, "20000");
}
