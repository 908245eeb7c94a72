#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "gui/input/drag_tracker.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
const i32 kWidth = 120, kHeight = 60;

// A pane of coloured stripes whose overlay is an inverted column under the pointer, wanted left of
// `limit`; its paint ends with the tracker's paintInto.
class OverlayPane : public Pane, public GOverlaySource {
public:
    OverlayPane(GWindow* owner, const char* name) : Pane(owner, nullptr, name) {}
    void paint(HDC dc, const RECT&, bool) override {
        ++paints;
        for (i32 x = 0; x < kWidth; x += 10) {
            RECT stripe = {x, 0, x + 10, kHeight};
            HBRUSH brush = CreateSolidBrush(RGB(x * 2, 255 - x * 2, (x * 7) & 0xFF));
            FillRect(dc, &stripe, brush);
            DeleteObject(brush);
        }
        if (tracker) tracker->paintInto(dc);
    }
    void drawOverlay(HDC dc, i32 x, i32) override {
        if (throwing) throw std::runtime_error("overlay");
        PatBlt(dc, x, 0, 1, kHeight, DSTINVERT);
    }
    bool overlayAt(i32 x, i32, HCURSOR* cursor) override {
        if (x >= limit) return false;
        *cursor = LoadCursorA(nullptr, (LPCSTR)IDC_SIZEWE);
        return true;
    }
    void overlayMoved() override { ++moves; }

    GDragTracker* tracker = nullptr;
    i32 limit = kWidth;
    int moves = 0;
    bool throwing = false;
};

class Overlay : public ::testing::Test {
protected:
    void SetUp() override {
        ansiMode = 0;
        frame = new InputFrame(nullptr, 100, 100, 2 * kWidth + 30, kHeight + 20);
        for (int i = 0; i < 2; ++i) {
            panes[i] = new OverlayPane(frame, i ? "second" : "first");
            panes[i]->place(10 + i * (kWidth + 10), 10, kWidth, kHeight);
            panes[i]->tracker = new GDragTracker(panes[i], new GOverlayForwarder(panes[i]));
            InvalidateRect(panes[i]->hwnd, nullptr, FALSE);
            UpdateWindow(panes[i]->hwnd);
            ASSERT_NE(pixel(i, 0, 0), pixel(i, 10, 0));  // the stripes are on the screen
        }
        seam.active = frame->hwnd;
        clean[0] = shot(0);
        clean[1] = shot(1);
    }
    void TearDown() override {
        delete frame;
        EXPECT_EQ(currentOverlayPainter, nullptr);
        windowFailures().take();
    }
    // The pane's pixels as they are on the screen.
    std::vector<COLORREF> shot(int i) {
        DibCanvas canvas(kWidth, kHeight);
        HDC dc = GetDC(panes[i]->hwnd);
        BitBlt(canvas.dc(), 0, 0, kWidth, kHeight, dc, 0, 0, SRCCOPY);
        ReleaseDC(panes[i]->hwnd, dc);
        std::vector<COLORREF> pixels;
        for (i32 y = 0; y < kHeight; ++y)
            for (i32 x = 0; x < kWidth; ++x) pixels.push_back(canvas.pixel(x, y));
        return pixels;
    }
    // Pixels of the pane that differ from the picture.
    int changed(int i, const std::vector<COLORREF>& picture) {
        std::vector<COLORREF> now = shot(i);
        int n = 0;
        for (size_t k = 0; k < now.size(); ++k) n += now[k] != picture[k];
        return n;
    }
    COLORREF pixel(int i, i32 x, i32 y) {
        HDC dc = GetDC(panes[i]->hwnd);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(panes[i]->hwnd, dc);
        return c;
    }
    void moveTo(int i, i32 x, i32 y) {
        seam.pointAt(panes[i]->hwnd, x, y);
        SendMessageA(panes[i]->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM((u16)x, (u16)y));
    }
    // Whether column x of the pane shows the overlay.
    bool inverted(int i, i32 x) {
        COLORREF now = pixel(i, x, 5);
        COLORREF neighbour = pixel(i, x % 10 ? x - 1 : x + 1, 5);  // same stripe, never the overlay here
        return now != neighbour;
    }
    HCURSOR cursorAfterSetCursor(int i) {
        SendMessageA(panes[i]->hwnd, WM_SETCURSOR, (WPARAM)panes[i]->hwnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    }

    TestApplication test;
    InputSeam seam;
    InputFrame* frame = nullptr;
    OverlayPane* panes[2] = {nullptr, nullptr};
    std::vector<COLORREF> clean[2];
};

// A painter that forwards to its pane and tells when it is deleted.
class WatchedPainter : public GOverlayForwarder {
public:
    WatchedPainter(GOverlaySource* pane, bool* deleted) : GOverlayForwarder(pane), deleted(deleted) {}
    ~WatchedPainter() override { *deleted = true; }
    bool* deleted;
};

// The cursor's display count.
int cursorCount() {
    ShowCursor(FALSE);
    return ShowCursor(TRUE);
}

TEST_F(Overlay, FollowsThePointerWithoutRepaintingAndRestoresThePixels) {
    int paints = panes[0]->paints;
    int shown = cursorCount();
    moveTo(0, 21, 5);
    EXPECT_EQ(currentOverlayPainter, panes[0]->tracker);
    EXPECT_TRUE(inverted(0, 21));
    // Moves: the first erases and keeps the clean area, the others go through the buffer.
    for (i32 x : {35, 36, 52, 99, 3}) {
        moveTo(0, x, 5);
        EXPECT_TRUE(inverted(0, x)) << x;
        EXPECT_EQ(panes[0]->tracker->lastX, x);
    }
    EXPECT_FALSE(inverted(0, 21));
    EXPECT_FALSE(inverted(0, 99));
    moveTo(0, 3, 30);  // the same column, another point: a move that draws the same
    EXPECT_TRUE(inverted(0, 3));
    EXPECT_EQ(panes[0]->moves, 7);
    EXPECT_EQ(changed(0, clean[0]), kHeight);
    EXPECT_EQ(cursorAfterSetCursor(0), LoadCursorA(nullptr, (LPCSTR)IDC_SIZEWE));

    // Left of nowhere: the pane's limit refuses the point, the overlay goes and the arrow comes.
    panes[0]->limit = 50;
    moveTo(0, 80, 5);
    EXPECT_EQ(changed(0, clean[0]), 0);
    EXPECT_EQ(cursorAfterSetCursor(0), LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
    moveTo(0, 40, 5);
    EXPECT_TRUE(inverted(0, 40));
    SendMessageA(panes[0]->hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(changed(0, clean[0]), 0);
    EXPECT_EQ(currentOverlayPainter, nullptr);
    EXPECT_EQ(panes[0]->paints, paints);  // no WM_PAINT on the way
    EXPECT_EQ(cursorCount(), shown);
}

TEST_F(Overlay, LeavesWhenThePointerIsOutsideOrOverAnotherWindow) {
    moveTo(0, 20, 5);
    SendMessageA(panes[0]->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM((u16)-2, 5));
    EXPECT_EQ(changed(0, clean[0]), 0);
    EXPECT_EQ(currentOverlayPainter, nullptr);

    moveTo(0, 20, 5);
    seam.pointAt(frame->hwnd, 2, 2);  // the frame is under the pointer
    SendMessageA(panes[0]->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(30, 5));
    EXPECT_EQ(changed(0, clean[0]), 0);

    seam.active = nullptr;  // not in the active window
    moveTo(0, 20, 5);
    EXPECT_EQ(changed(0, clean[0]), 0);
    EXPECT_EQ(currentOverlayPainter, nullptr);
}

TEST_F(Overlay, TwoPanesShareOnePainter) {
    moveTo(0, 20, 5);
    moveTo(0, 30, 5);
    moveTo(1, 40, 5);
    EXPECT_EQ(currentOverlayPainter, panes[1]->tracker);
    EXPECT_EQ(changed(0, clean[0]), 0);
    EXPECT_TRUE(inverted(1, 40));
    // The first pane's late leave leaves the second alone.
    SendMessageA(panes[0]->hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(currentOverlayPainter, panes[1]->tracker);
    EXPECT_TRUE(inverted(1, 40));
    SendMessageA(panes[1]->hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(changed(1, clean[1]), 0);
}

TEST_F(Overlay, ShowLevels) {
    GDragTracker* tracker = panes[0]->tracker;
    moveTo(0, 20, 5);
    tracker->hide();
    EXPECT_EQ(tracker->showLevel, 0);
    EXPECT_EQ(changed(0, clean[0]), 0);
    // At level 0 nothing is drawn and the cursor is the arrow.
    moveTo(0, 30, 5);
    EXPECT_EQ(changed(0, clean[0]), 0);
    EXPECT_EQ(cursorAfterSetCursor(0), LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
    tracker->show();  // 0 -> 1 draws at the last point
    EXPECT_TRUE(inverted(0, 30));
    std::vector<COLORREF> drawn = shot(0);
    tracker->show();  // 1 -> 2 draws nothing more
    EXPECT_EQ(changed(0, drawn), 0);
    tracker->hide();
    tracker->hide();
    tracker->hide();  // -1: still hidden after one show
    tracker->show();
    EXPECT_EQ(changed(0, clean[0]), 0);
    tracker->show();
    tracker->leave();
}

TEST_F(Overlay, ARepaintDrawsTheOverlayAgainAndTheNextMoveErasesIt) {
    int paints = panes[0]->paints;
    moveTo(0, 20, 5);
    moveTo(0, 25, 5);  // the clean buffer exists now
    InvalidateRect(panes[0]->hwnd, nullptr, FALSE);
    UpdateWindow(panes[0]->hwnd);
    EXPECT_EQ(panes[0]->paints, paints + 1);
    EXPECT_TRUE(inverted(0, 25));
    EXPECT_TRUE(panes[0]->tracker->drawn);
    moveTo(0, 60, 5);
    EXPECT_FALSE(inverted(0, 25));
    EXPECT_TRUE(inverted(0, 60));
    SendMessageA(panes[0]->hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(changed(0, clean[0]), 0);
}

TEST_F(Overlay, TheCursorComesBackWhenDrawingThrows) {
    int shown = cursorCount();
    moveTo(0, 20, 5);
    panes[0]->throwing = true;
    moveTo(0, 30, 5);
    EXPECT_TRUE(windowFailures().take() != nullptr);
    EXPECT_EQ(cursorCount(), shown);
    InvalidateRect(panes[0]->hwnd, nullptr, FALSE);
    UpdateWindow(panes[0]->hwnd);
    EXPECT_TRUE(windowFailures().take() != nullptr);
    EXPECT_EQ(cursorCount(), shown);
    panes[0]->throwing = false;
    panes[0]->tracker->leave();
}

TEST_F(Overlay, TheTrackerDeletesItsPainterAndClearsTheCurrentPainter) {
    bool deleted[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        delete panes[i]->tracker;
        panes[i]->tracker = new GDragTracker(panes[i], new WatchedPainter(panes[i], &deleted[i]));
    }
    moveTo(0, 20, 5);
    EXPECT_TRUE(inverted(0, 20));  // drawn by the pane through the forwarder
    EXPECT_EQ(panes[0]->moves, 1);
    EXPECT_EQ(cursorAfterSetCursor(0), LoadCursorA(nullptr, (LPCSTR)IDC_SIZEWE));
    // The current painter goes: the global is cleared and its painter deleted.
    delete panes[0]->tracker;
    panes[0]->tracker = nullptr;
    EXPECT_EQ(currentOverlayPainter, nullptr);
    EXPECT_TRUE(deleted[0]);
    EXPECT_FALSE(deleted[1]);

    // A tracker that is not the current painter leaves the current one alone.
    moveTo(1, 30, 5);
    panes[0]->tracker = new GDragTracker(panes[0], new GOverlayForwarder(panes[0]));
    delete panes[0]->tracker;
    panes[0]->tracker = nullptr;
    EXPECT_EQ(currentOverlayPainter, panes[1]->tracker);
    // The window's end deletes its tracker, and with it the painter.
    delete frame;
    frame = nullptr;
    EXPECT_TRUE(deleted[1]);
}
}  // namespace
