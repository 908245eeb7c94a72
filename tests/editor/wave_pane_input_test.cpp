// Real mouse and key messages to a wave pane: edges, the rows of the mouse table, bookmarks, the
// tools and the hints.
#include <gtest/gtest.h>

#include "tests/editor/wave_pane_fixture.h"

using namespace wavetest;

namespace {
struct Loaded : PaneFixture {
    Loaded() {
        waveViewOptions.viewFlags = WaveRulerShown | WaveTrackAll;
        load("-r 8000 -c 1 -b 16 synth 1 sine 20 norm -0.1");
        reportErrorOnce(20001, "seen");  // the first press's hint is tested on its own
        hints.clear();
    }
    i32 x(u64 frame) { return (i32)pane->pixelOfFrame(frame); }
    i32 midY() {
        RECT r = pane->laneRect(0);
        return (r.top + r.bottom) / 2;
    }
    void drag(i32 from, i32 to) {
        mouse(WM_LBUTTONDOWN, from, midY(), MK_LBUTTON);
        mouse(WM_MOUSEMOVE, to, midY(), MK_LBUTTON);
        mouse(WM_LBUTTONUP, to, midY(), 0);
    }
};
}  // namespace

TEST(WavePaneMouse, FirstPressShowsTheHintOnceAndIsConsumed) {
    PaneFixture f;
    f.load("-r 8000 -c 1 -b 16 synth 1 sine 20 norm -0.1");
    RECT plot = plotAreaRect(*f.pane);
    f.click(plot.left + 50, 100, 0, true);
    EXPECT_EQ(hints.size(), 1u);
    EXPECT_EQ(f.pane->cursor, 0u) << "the press that showed the hint does nothing else";
    f.click(plot.left + 50, 100, 0, true);
    EXPECT_EQ(hints.size(), 1u);
    EXPECT_EQ(f.pane->cursor, f.pane->frameAtX(plot.left + 50));
}

TEST(WavePaneMouse, EdgeGrabWithinFourPixels) {
    struct Case {
        i32 offset;
        bool grabs;
    };
    for (Case c : {Case{4, true}, Case{-4, true}, Case{5, false}, Case{-5, false}}) {
        Loaded f;
        f.pane->setSelection(2000, 5000);
        i32 to = f.x(6500);
        f.drag(f.x(2000) + c.offset, to);
        if (c.grabs) {
            EXPECT_EQ(f.pane->selStart, 5000u) << c.offset;
            EXPECT_EQ(f.pane->selEnd, f.pane->frameAtX(to)) << c.offset;
        } else {
            EXPECT_EQ(f.pane->selStart, f.pane->frameAtX(f.x(2000) + c.offset)) << c.offset;
            EXPECT_EQ(f.pane->selEnd, f.pane->frameAtX(to)) << c.offset;
        }
    }
}

TEST(WavePaneMouse, ShiftCtrlRowsAndBookmarks) {
    Loaded f;
    WavePane& p = *f.pane;
    p.setSelection(2000, 5000);
    f.click(f.x(1000), f.midY(), MK_SHIFT);
    EXPECT_EQ(p.selStart, p.frameAtX(f.x(1000)));
    EXPECT_EQ(p.selEnd, 5000u);
    f.click(f.x(6000), f.midY(), MK_SHIFT, true);
    EXPECT_EQ(p.selEnd, p.frameAtX(f.x(6000)));

    u64 mark = p.frameAtX(f.x(3000));
    f.click(f.x(3000), f.midY(), MK_CONTROL);
    ASSERT_EQ(p.positions.bookmarks.count, 1u);
    EXPECT_EQ(hints.size(), 1u) << "the bookmark hint";
    f.click(f.x(3000), f.midY(), MK_CONTROL);
    EXPECT_EQ(p.positions.bookmarks.count, 1u) << "no duplicate";
    EXPECT_EQ(hints.size(), 1u);
    f.click(f.x(mark) + 11, f.midY(), MK_CONTROL, true);
    EXPECT_EQ(p.positions.bookmarks.count, 1u) << "11 pixels away";
    f.click(f.x(mark) + 10, f.midY(), MK_CONTROL, true);
    EXPECT_EQ(p.positions.bookmarks.count, 0u) << "10 pixels away";

    p.setSelection(0, 0);
    f.click(f.x(3000), f.midY(), MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(p.positions.bookmarks.count, 0u) << "no selection, no bookmarks";
    p.setSelection(1000, 2000);
    f.click(f.x(3000), f.midY(), MK_SHIFT | MK_CONTROL);
    ASSERT_EQ(p.positions.bookmarks.count, 2u);
    EXPECT_EQ(p.positions.bookmarks[0], 1000u);
    EXPECT_EQ(p.positions.bookmarks[1], 2000u);
}

TEST(WavePaneMouse, DoubleClickSelectsBetweenBookmarksNarrowedByTheCursor) {
    Loaded f;
    WavePane& p = *f.pane;
    const u32 marks[] = {1000, 6000};
    p.addBookmarks(marks, 2);
    p.setCursor(2000);
    f.mouse(WM_LBUTTONDBLCLK, f.x(4000), f.midY(), MK_LBUTTON);
    f.mouse(WM_LBUTTONUP, f.x(4000), f.midY(), 0);
    EXPECT_EQ(p.selStart, 2000u);
    EXPECT_EQ(p.selEnd, 6000u);
    f.mouse(WM_LBUTTONDBLCLK, f.x(7000), f.midY(), MK_LBUTTON);
    f.mouse(WM_LBUTTONUP, f.x(7000), f.midY(), 0);
    EXPECT_EQ(p.selStart, 6000u);
    EXPECT_EQ(p.selEnd, p.frameCount);
    // The middle button toggles the zoom view.
    f.mouse(WM_MBUTTONDOWN, f.x(3000), f.midY(), MK_MBUTTON);
    EXPECT_TRUE(p.zoomMode());
    f.mouse(WM_MBUTTONDOWN, f.x(3000), f.midY(), MK_MBUTTON);
    EXPECT_FALSE(p.zoomMode());
}

TEST(WavePaneTools, LineCurveEscapeAndRightClick) {
    Loaded f;
    WavePane& p = *f.pane;
    p.setDrawMode(WaveLineDraw);
    EXPECT_EQ(hints.size(), 1u) << "the tools' hint";
    RECT lane = p.laneRect(0);
    f.click(f.x(1000), f.midY());
    f.click(f.x(3000), lane.top + 10);
    ASSERT_EQ(f.host->codes(WavePaneLine).size(), 1u);
    const WavePaneNotice* line = nullptr;
    for (const Notice& n : f.host->notices)
        if (n.code == WavePaneLine) line = &n.notice;
    ASSERT_EQ(line->count, 2);
    EXPECT_EQ(line->frames[0], (f64)p.frameAtX(f.x(1000)));
    EXPECT_EQ(line->frames[1], (f64)p.frameAtX(f.x(3000)));
    EXPECT_GT(line->values[1], 25000);
    EXPECT_EQ(p.toolCount, 0);

    p.setDrawMode(WaveCurveDraw);
    f.click(f.x(1000), f.midY());
    f.click(f.x(2000), f.midY());
    f.click(f.x(3000), f.midY());
    f.click(f.x(2100), f.midY(), 0, true);
    EXPECT_EQ(p.toolCount, 2);
    EXPECT_EQ(p.toolFrames[1], (f64)p.frameAtX(f.x(3000))) << "the last point takes the removed one's place";
    f.key(VK_ESCAPE);
    EXPECT_EQ(p.toolCount, 0);
    f.click(f.x(1000), f.midY());
    f.click(f.x(2000), f.midY());
    // Space outside the lanes sends nothing; over a lane it sends the points and the pointer.
    pointer = POINT{f.x(4000), 2};
    ClientToScreen(p.hwnd, &pointer);
    f.key(VK_SPACE);
    EXPECT_EQ(f.host->codes(WavePaneCurve).size(), 0u);
    pointer = POINT{f.x(4000), f.midY()};
    ClientToScreen(p.hwnd, &pointer);
    f.key(VK_SPACE);
    ASSERT_EQ(f.host->codes(WavePaneCurve).size(), 1u);
    EXPECT_EQ(f.host->notices.back().notice.count, 3);
}

// A click on a title box sends 625 with the track; in shrink mode the pointer follows the box of
// a lane the owner folded.
TEST(WavePaneMouse, TitleBoxClickAndHover) {
    Loaded f;
    f.load("-r 8000 -c 2 -b 16 synth 1 sine 20 sine 30 norm -0.1");
    WavePane& p = *f.pane;
    waveViewOptions.viewFlags = WaveRulerShown | WaveTrackShrink;
    p.setScale(p.scaleX, 0.002);
    p.recalculate(true);
    ASSERT_EQ(p.laneCount, 2);
    RECT second = p.titleBox(1);
    f.mouse(WM_MOUSEMOVE, 9, second.top + 7);
    EXPECT_EQ(p.activeTrack, 1);
    RECT first = p.titleBox(0);
    i32 secondBefore = p.laneTop(1);
    std::vector<Notice>& notices = f.host->notices;
    size_t before = notices.size();
    f.format.tracks[0].flags &= ~trackSelected;  // what the owner does, ahead of the click here
    f.click(9, first.top + 7);
    ASSERT_GT(notices.size(), before);
    EXPECT_EQ(notices.back().code, (u32)WavePaneTitleClick);
    EXPECT_EQ(notices.back().notice.track, 0);
    p.recalculate(true);
    EXPECT_TRUE(p.lanes[0].folded);
    EXPECT_LT(p.laneTop(1), secondBefore);
    f.mouse(WM_MOUSEMOVE, 9, f.midY());
    EXPECT_EQ(p.activeTrack, -1);
}

TEST(WavePaneTools, PointToolOnlyOverALaneAndQuestionOnEscape) {
    Loaded f;
    WavePane& p = *f.pane;
    p.setDrawMode(WavePointDraw);
    RECT plot = plotAreaRect(p), lane = p.laneRect(0);
    f.click(f.x(1000), lane.bottom + 3);
    f.click(f.x(1000), plot.bottom + 5);
    EXPECT_EQ(f.host->codes(WavePanePoint).size(), 0u);
    f.click(f.x(1000), lane.top + 2);
    ASSERT_EQ(f.host->codes(WavePanePoint).size(), 1u);
    EXPECT_GT(f.host->notices.back().notice.values[0], 30000);
    yesNoAnswer = 7;
    f.key(VK_ESCAPE);
    EXPECT_EQ(p.drawMode, (u32)WavePointDraw);
    yesNoAnswer = 6;
    f.key(VK_ESCAPE);
    EXPECT_EQ(p.drawMode, (u32)WaveNoDraw);
}

// Drawing with the pointer left of the plot scrolls the view and puts the pointer back on its sample.
TEST(WavePaneTools, PenKeptVisibleBesideThePlot) {
    Loaded f;
    WavePane& p = *f.pane;
    for (int i = 0; i < 3; ++i) p.onCommand(GraphHScalePlus, nullptr);
    GScrollRange h = p.horizontal, v = p.vertical;
    h.setPosition(h.total / 2);
    p.setScrollState(h, v);
    static POINT placed;
    placed = POINT{-1, -1};
    systemInput.setCursorPos = [](int x, int y) -> BOOL {
        placed = POINT{x, y};
        return TRUE;
    };
    p.setDrawMode(WaveCurveDraw);
    RECT plot = plotAreaRect(p);
    i64 origin = p.horizontal.origin;
    i32 x = plot.left - 20;
    double frame = (x - p.itemAt(0)->pixelX) / p.itemAt(0)->scaleX;
    f.mouse(WM_MOUSEMOVE, x, f.midY());
    EXPECT_EQ(p.horizontal.origin, origin - 20);
    POINT back = placed;
    ScreenToClient(p.hwnd, &back);
    EXPECT_NEAR((back.x - p.itemAt(0)->pixelX) / p.itemAt(0)->scaleX, frame, 1.0 / p.itemAt(0)->scaleX + 1);
    EXPECT_GE(back.x, plot.left);
    // Over the plot nothing moves.
    origin = p.horizontal.origin;
    f.mouse(WM_MOUSEMOVE, plot.left + 30, f.midY());
    EXPECT_EQ(p.horizontal.origin, origin);
}
