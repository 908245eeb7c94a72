// The wave pane's commands and their states, and its saved state.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/bag.h"
#include "tests/editor/wave_pane_fixture.h"

using namespace wavetest;

TEST(WavePaneCommands, StatesByDataKind) {
    struct Case {
        u32 id;
        i32 none, samples, bytes;
    };
    const Case cases[] = {
        {321, 1, 0, 0}, {322, 1, 0, 0}, {387, 0, 0, 0}, {501, 1, 1, 1}, {502, 1, 0, 0}, {533, 1, 0, 1},
        {556, 1, 0, 1}, {600, 1, 0, 0}, {601, 1, 1, 1}, {608, 1, 1, 1}, {627, 1, 0, 1}, {630, 1, 0, 1},
        {420, 2, 2, 2}, {1001, 2, 2, 2},
    };
    PaneFixture f;
    for (const Case& c : cases) EXPECT_EQ(f.pane->commandState(c.id), c.none) << c.id;
    f.load("-r 8000 -c 1 -b 16 synth 1 sine 20 norm -0.1");
    for (const Case& c : cases) EXPECT_EQ(f.pane->commandState(c.id), c.samples) << c.id;
    SoundFormat bytes;
    bytes.setPlain(1, 8000, encodingPcm8);
    f.pane->setSound(&f.store, f.store.dataOffset, f.store.length, &bytes);
    EXPECT_EQ(f.pane->dataKind, (u32)WaveRawBytes);
    EXPECT_EQ(f.pane->frameCount, f.store.length);
    for (const Case& c : cases) EXPECT_EQ(f.pane->commandState(c.id), c.bytes) << c.id;
}

TEST(WavePaneCommands, SelectAllToggleCursorStepsAndViewOptionsOverTwoPanes) {
    PaneFixture f;
    f.load("-r 8000 -c 1 -b 16 synth 1 sine 20 norm -0.1");
    WavePane& p = *f.pane;
    SendMessageA(p.hwnd, WM_COMMAND, 322, 0);
    EXPECT_EQ(p.selEnd, p.frameCount);
    SendMessageA(p.hwnd, WM_COMMAND, 322, 0);
    EXPECT_EQ(p.selEnd, 0u);
    EXPECT_EQ(p.commandState(501), 1) << "MARKER_TO_LEFT at 0";
    p.onCommand(502, nullptr);
    EXPECT_GT(p.cursor, 0u);
    p.onCommand(501, nullptr);
    EXPECT_EQ(p.cursor, 0u);

    // One above the other.
    f.pane->setRect(RECT{0, 0, 600, 200}, SWP_NOZORDER);
    WavePane* second = new WavePane(f.host);
    second->create(WS_CHILD | WS_VISIBLE);
    second->setRect(RECT{0, 0, 300, 200}, SWP_NOZORDER);
    second->setSound(&f.store, f.store.dataOffset, f.store.length, &f.format);
    waveViewOptions.viewFlags = (waveViewOptions.viewFlags & ~(u32)WaveTrackModeMask) | WaveTrackAll;
    p.recalculate(true);
    second->recalculate(true);
    u32 before = second->itemCount();
    EXPECT_EQ(p.commandChecked(630), 1);
    p.onCommand(559, nullptr);  // the ruler off: both panes lose their time axis' strip
    EXPECT_EQ(second->itemAt(2)->hidden(), true);
    EXPECT_EQ(p.itemAt(2)->hidden(), true);
    EXPECT_EQ(second->itemCount(), before);
    p.onCommand(627, nullptr);
    EXPECT_EQ(p.commandValue(626), 627);
    EXPECT_EQ(second->commandChecked(627), 1);
}

TEST(WavePaneState, RoundTripEmptyTruncatedAndHugeCounts) {
    PaneFixture f;
    GBag empty;
    f.pane->saveState(empty);
    EXPECT_EQ(empty.size, 0u) << "no sound, no bytes";
    f.load("-r 8000 -c 1 -b 16 synth 1 sine 20 norm -0.1");
    WavePane& p = *f.pane;
    p.setSelection(100, 900);
    p.setCursor(500);
    const u32 marks[] = {300, 200};
    p.addBookmarks(marks, 2);
    p.positions.saved[1] = SavedSelection{10, 20};
    GBag bag;
    p.saveState(bag);
    EXPECT_EQ(bag.size, 8u + 8 + 16 + 12 + 4 + 4 + 8 + 24);

    p.setSelection(0, 0);
    p.setCursor(0);
    arrayFree(p.positions.bookmarks);
    p.positions.saved[1] = SavedSelection{};
    bag.pos = 0;
    ASSERT_TRUE(p.restoreState(bag));
    EXPECT_EQ(p.selStart, 100u);
    EXPECT_EQ(p.selEnd, 900u);
    EXPECT_EQ(p.cursor, 500u);
    ASSERT_EQ(p.positions.bookmarks.count, 2u);
    EXPECT_EQ(p.positions.bookmarks[0], 200u);
    EXPECT_EQ(p.positions.saved[1].end, 20u);

    // Cut short, or a count larger than the bytes left: nothing taken.
    GBag cut;
    bagWriteBytes(cut, bag.data, bag.size - 3);
    cut.pos = 0;
    p.setSelection(1, 2);
    EXPECT_FALSE(p.restoreState(cut));
    EXPECT_EQ(p.selStart, 1u);
    GBag huge;
    bagWriteBytes(huge, bag.data, 48);
    bagWriteU32(huge, 0x40000000);
    bagWriteBytes(huge, bag.data + 52, bag.size - 52);
    huge.pos = 0;
    EXPECT_FALSE(p.restoreState(huge));
    EXPECT_EQ(p.selEnd, 2u);
}

// Raw bytes of a sparse file past 4 GB: the frame count and a selection past 2^32 stay right.
TEST(WavePaneState, FrameCountPastFourGigabytes) {
    PaneFixture f;
    std::string name = f.dir.file("big.raw");
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 5000000000LL;
    ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
    StoreSource source;
    source.size = 5000000000ULL;
    source.frameSize = 1;
    RecordingHandler handler;
    SoundStore store;
    ASSERT_TRUE(store.open(name.c_str(), source, &handler));
    SoundFormat bytes;
    bytes.setPlain(1, 8000, encodingPcm8);
    f.pane->setSound(&store, store.dataOffset, store.length, &bytes);
    EXPECT_EQ(f.pane->frameCount, 5000000000ULL);
    f.pane->setSelection(4500000000ULL, 4900000000ULL);
    EXPECT_EQ(f.pane->selStart, 4500000000ULL);
    EXPECT_EQ(f.pane->selEnd, 4900000000ULL);
    RECT plot = plotAreaRect(*f.pane);
    EXPECT_EQ(f.pane->frameAtX(plot.right + 5), 5000000000ULL);
    i64 x = f.pane->pixelOfFrame(4500000000ULL);
    EXPECT_GT(x, (plot.left + plot.right) / 2) << "drawn where it lies, not wrapped";
    f.pane->setSound(nullptr, 0, 0, nullptr);
}

// Lanes and curves by track mode over four tracks whose layers reverse them, the second inactive.
TEST(WavePaneLayout, TrackModes) {
    struct Case {
        u32 mode;
        i32 limit;
        std::vector<i32> tracks;  // per lane; -1 the common lane
        std::vector<bool> folded;
        i32 curves;
    };
    const Case cases[] = {
        {WaveTrackOverlap, 50, {-1}, {false}, 3},
        {WaveTrackOverlap, 2, {-1}, {false}, 2},
        {WaveTrackActive, 50, {3, 2, 0}, {false, false, false}, 3},
        {WaveTrackAll, 50, {3, 2, 1, 0}, {false, false, false, false}, 4},
        {WaveTrackShrink, 50, {3, 2, 1, 0}, {false, false, true, false}, 3},
    };
    PaneFixture f;
    f.load("-r 8000 -c 4 -b 16 synth 0.1 sine 20 sine 30 sine 40 sine 50");
    f.format.setPlain(4, 8000, encodingInt16);  // four channels come in a layout kept as it is
    for (u32 t = 0; t < 4; ++t) f.format.tracks[t].flags |= trackSelected;
    f.attach();
    for (u32 t = 0; t < 4; ++t) f.format.tracks[t].layer = 3 - t;
    f.format.tracks[1].flags &= ~trackSelected;
    WavePane& p = *f.pane;
    for (const Case& c : cases) {
        waveViewOptions.viewFlags = WaveRulerShown | c.mode;
        waveViewOptions.overlapLimit = c.limit;
        p.recalculate(true);
        ASSERT_EQ(p.laneCount, (i32)c.tracks.size()) << c.mode;
        for (i32 i = 0; i < p.laneCount; ++i) {
            EXPECT_EQ(p.lanes[i].track, c.tracks[i]) << c.mode << " lane " << i;
            EXPECT_EQ(p.lanes[i].folded, c.folded[i]) << c.mode << " lane " << i;
        }
        EXPECT_EQ((i32)(p.endCurve - p.firstCurve) - (c.mode == WaveTrackShrink ? 1 : 0), c.curves) << c.mode;
        if (c.mode == WaveTrackShrink) {
            // The folded lane takes a title strip only; the next starts one title height lower.
            EXPECT_EQ(p.laneTop(3) - p.laneTop(2), p.titleHeight);
            EXPECT_NEAR(p.laneTop(2) - p.laneTop(1), p.titleHeight + kWaveLaneSpan * p.scaleY, 1.0);
        }
        if (c.mode == WaveTrackActive) {
            EXPECT_NEAR(p.laneTop(1) - p.laneTop(0), p.titleHeight + kWaveLaneSpan * p.scaleY, 1.0);
        }
    }
    // No active track in overlap mode: no curve, one level axis.
    for (u32 t = 0; t < 4; ++t) f.format.tracks[t].flags &= ~trackSelected;
    waveViewOptions.viewFlags = WaveRulerShown | WaveTrackOverlap;
    p.recalculate(true);
    EXPECT_EQ(p.endCurve, p.firstCurve);
    u32 levels = 0;
    for (u32 i = 0; i < p.itemCount(); ++i) levels += (p.itemAt(i)->dock() == GraphDockLeft) ? 1 : 0;
    EXPECT_EQ(levels, 1u);
}

TEST(WavePaneKeys, HomeEndPagesAndThePlaybackPick) {
    PaneFixture f;
    waveViewOptions.viewFlags = WaveRulerShown | WaveTrackAll;
    f.load("-r 8000 -c 2 -b 16 synth 1 sine 20 sine 30 norm -0.1");
    reportErrorOnce(20001, "seen");
    WavePane& p = *f.pane;
    f.key(VK_END);
    EXPECT_EQ(p.cursor, p.frameCount);
    f.key(VK_HOME);
    EXPECT_EQ(p.cursor, 0u);
    // Taller than the window: pages to scroll, from the top.
    p.setScale(p.scaleX, p.normalScaleY * 4);
    for (int i = 0; i < 6; ++i) f.key(VK_PRIOR);
    i64 origin = p.vertical.origin;
    f.key(VK_NEXT);
    EXPECT_GT(p.vertical.origin, origin);
    f.key(VK_PRIOR);
    EXPECT_EQ(p.vertical.origin, origin);

    p.setDrawMode(WavePlayback);
    RECT plot = plotAreaRect(p);
    f.click(plot.left + 100, 50);
    ASSERT_EQ(f.codes(WavePanePlayPick).size(), 1u);
    EXPECT_EQ(f.host->notices.back().notice.frame, p.frameAtX(plot.left + 100));
    p.setDrawMode(WaveNoDraw);
    f.click(plot.left + 100, 50);
    EXPECT_EQ(f.codes(WavePanePlayPick).size(), 1u);
}

// COLOR_DEFAULT restores the group's colours and both panes show them.
TEST(WavePaneCommands, ColourDefaultRepaintsBothPanes) {
    PaneFixture f(600, 320);
    f.load("-r 8000 -c 1 -b 16 synth 1 sine 20 norm -0.1");
    // One above the other.
    f.pane->setRect(RECT{0, 0, 600, 200}, SWP_NOZORDER);
    WavePane* second = new WavePane(f.host);
    second->create(WS_CHILD | WS_VISIBLE);
    second->setRect(RECT{0, 200, 600, 320}, SWP_NOZORDER);
    second->setSound(&f.store, f.store.dataOffset, f.store.length, &f.format);
    wavePaneColors.colours.valueOf(WaveColorBackground) = RGB(1, 2, 3);
    f.paintNow();
    RedrawWindow(second->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    auto backgroundOf = [](WavePane* pane) {
        RECT plot = plotAreaRect(*pane);
        HDC dc = GetDC(pane->hwnd);
        // Between the lane's top line and the sine's end, which is near zero.
        COLORREF c = GetPixel(dc, plot.right - 2, plot.top + (plot.bottom - plot.top) / 4);
        ReleaseDC(pane->hwnd, dc);
        return c;
    };
    EXPECT_EQ(backgroundOf(f.pane), RGB(1, 2, 3));
    EXPECT_EQ(backgroundOf(second), RGB(1, 2, 3));
    SendMessageA(f.pane->hwnd, WM_COMMAND, 387, 0);
    const COLORREF window = wavePaneColors.colours.valueOf(WaveColorBackground);
    EXPECT_NE(window, RGB(1, 2, 3));
    EXPECT_EQ(backgroundOf(f.pane), window);
    EXPECT_EQ(backgroundOf(second), window);
}

TEST(WavePaneState, ShorterSoundPullsPositionsToItsEnd) {
    PaneFixture f;
    f.load("-r 8000 -c 1 -b 16 synth 1 sine 20 norm -0.1");
    WavePane& p = *f.pane;
    p.setSelection(5000, 7000);
    p.setCursor(7500);
    const u32 marks[] = {6000, 1000};
    p.addBookmarks(marks, 2);
    p.positions.saved[0] = SavedSelection{5000, 7900};
    p.setLength(4000 * 2);
    EXPECT_EQ(p.frameCount, 4000u);
    EXPECT_EQ(p.cursor, 4000u);
    EXPECT_EQ(p.selStart, 4000u);
    EXPECT_EQ(p.selEnd, 4000u);
    ASSERT_EQ(p.positions.bookmarks.count, 1u);
    EXPECT_EQ(p.positions.bookmarks[0], 1000u);
    EXPECT_EQ(p.positions.saved[0].start, 4000u);
    EXPECT_EQ(p.positions.saved[0].end, 4000u);
}

TEST(WavePaneState, ValueAtMouseAndThumbDragInPlayback) {
    PaneFixture f;
    waveViewOptions.viewFlags = WaveRulerShown | WaveTrackAll;
    f.load("-r 8000 -c 1 -b 16 synth 1 square 20 norm -0.1");
    WavePane& p = *f.pane;
    RECT plot = plotAreaRect(p), lane = p.laneRect(0);
    pointer = POINT{(plot.left + plot.right) / 2, (lane.top + lane.bottom) / 2};
    ClientToScreen(p.hwnd, &pointer);
    u64 frame;
    f64 low, high;
    ASSERT_TRUE(p.valueAtMouse(&frame, &low, &high));
    EXPECT_EQ(frame, p.frameAtX((plot.left + plot.right) / 2));
    EXPECT_LE(low, high);
    EXPECT_GE(low, -32768);
    EXPECT_LE(high, 32767);
    pointer = POINT{2, (lane.top + lane.bottom) / 2};
    ClientToScreen(p.hwnd, &pointer);
    EXPECT_FALSE(p.valueAtMouse(&frame, &low, &high)) << "left of the plot";

    for (int i = 0; i < 3; ++i) p.onCommand(GraphHScalePlus, nullptr);
    p.setDrawMode(WavePlayback);
    SendMessageA(p.hwnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 100), 0);
    EXPECT_TRUE(p.thumbTracking);
    EXPECT_EQ(f.codes(WavePanePlayPick).size(), 0u);
    SendMessageA(p.hwnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 100), 0);
    EXPECT_FALSE(p.thumbTracking);
    ASSERT_EQ(f.codes(WavePanePlayPick).size(), 1u);
    EXPECT_EQ(f.host->notices.back().notice.frame, p.frameAtX(plotAreaRect(p).left));
    p.setDrawMode(WaveNoDraw);
}

// Cursor, selection and bookmark commands from one start: selection (2000, 4000), cursor 3000,
// bookmarks 1000 and 5000, at one frame per pixel or more.
TEST(WavePaneCommands, SelectionCursorAndBookmarkMoves) {
    struct Case {
        u32 id;
        u64 start, end, cursor;
    };
    const Case cases[] = {
        {390, 2000, 4000, 2000}, {391, 2000, 4000, 4000}, {392, 0, 4000, 0},     {393, 2000, 8000, 8000},
        {499, 2999, 3000, 2999}, {500, 3000, 3001, 3001}, {579, 3000, 4000, 3000}, {580, 2000, 3000, 3000},
        {603, 2000, 4000, 5000}, {604, 2000, 4000, 1000}, {605, 5000, 8000, 3000}, {606, 0, 1000, 3000},
        {607, 1000, 5000, 3000}, {586, 10, 20, 3000},
    };
    PaneFixture f;
    f.load("-r 8000 -c 1 -b 16 synth 1 sine 20 norm -0.1");
    WavePane& p = *f.pane;
    p.setScale(2.0, p.scaleY);
    for (const Case& c : cases) {
        p.setSelection(2000, 4000);
        p.setCursor(3000);
        arrayFree(p.positions.bookmarks);
        const u32 marks[] = {1000, 5000};
        p.addBookmarks(marks, 2);
        p.positions.saved[0] = SavedSelection{10, 20};
        ASSERT_EQ(p.commandState(c.id), 0) << c.id;
        ASSERT_TRUE(p.onCommand(c.id, nullptr)) << c.id;
        EXPECT_EQ(p.selStart, c.start) << c.id;
        EXPECT_EQ(p.selEnd, c.end) << c.id;
        EXPECT_EQ(p.cursor, c.cursor) << c.id;
    }
    // SELECT_TO_RIGHT from the selection's end moves that end; the view follows the cursor.
    p.setSelection(2000, 4000);
    p.setCursor(4000);
    p.onCommand(500, nullptr);
    EXPECT_EQ(p.selEnd, 4001u);
    p.showCursorAt(7900);
    RECT plot = plotAreaRect(p);
    i64 x = p.pixelOfFrame(7900);
    EXPECT_GE(x, plot.left);
    EXPECT_LT(x, plot.right);
}
