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
    f.load("-r 8000 -c 1 -b 16 synth 1 sine 20 norm");
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
