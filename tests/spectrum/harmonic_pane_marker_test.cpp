// The spectrum pane's marker, mouse and hover feedback with real mouse messages, and its view
// record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/exceptions.h"
#include "gui/paint/saved_dc.h"
#include "spectrum/harmonic_hover.h"
#include "tests/gui/input_fixture.h"
#include "tests/spectrum/harmonic_fixture.h"

using namespace controls;

namespace {
LRESULT mouse(SpectPane* pane, u32 message, i32 x, i32 y, WPARAM keys = 0) {
    return SendMessageA(pane->hwnd, message, keys, MAKELPARAM((u16)x, (u16)y));
}

std::vector<COLORREF> snapshot(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    std::vector<COLORREF> p;
    HDC dc = GetDC(hwnd);
    for (i32 y = 0; y < client.bottom; ++y)
        for (i32 x = 0; x < client.right; ++x) p.push_back(GetPixel(dc, x, y));
    ReleaseDC(hwnd, dc);
    return p;
}

// Rows of column x that differ between two snapshots, leaving out row skipY.
i32 changedInColumn(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b, i32 width, i32 x, i32 skipY) {
    i32 n = 0;
    for (size_t i = (size_t)x, y = 0; i < a.size(); i += (size_t)width, ++y)
        if ((i32)y != skipY && a[i] != b[i]) ++n;
    return n;
}
}  // namespace

TEST(SpectPaneMarker, TheMouseMarksTheNearestHarmonic) {
    HarmonicFixture f;
    f.setList({harmonic(200.0), harmonic(100.0)});
    SpectPane* p = f.pane;
    p->setScale(10.0, p->scaleY);  // a tenth of a hertz per pixel
    const struct Case {
        double hz;
        double marked;
    } cases[] = {{150.0, 200.0}, {149.9, 100.0}, {20.0, 100.0}, {100.0, 100.0}, {900.0, 200.0}, {199.0, 200.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hz);
        // The marker may have scrolled the pane: the pixel of the frequency now.
        const GGraphItem& amp = *p->itemAt(PaneAmplitude);
        i32 x = (i32)std::lround(amp.pixelX + c.hz * amp.scaleX);
        ASSERT_DOUBLE_EQ(c.hz, p->frequencyAt(x));
        f.dialog->notifications.clear();
        mouse(p, WM_LBUTTONDOWN, x, 50, MK_LBUTTON);
        ASSERT_GE(p->markerIndex, 0);
        EXPECT_EQ(c.marked, p->recordAt(p->markerIndex)->frequency);
        EXPECT_EQ(std::vector<u32>{PaneMarkerMoved}, f.paneCodes());
        // The release too follows the mouse, on the view the marker may have scrolled.
        mouse(p, WM_LBUTTONUP, p->pixelOf(c.marked), 50);
        EXPECT_EQ(c.marked, p->recordAt(p->markerIndex)->frequency);
        // Brought into view with a margin of 10 pixels.
        RECT plot = plotAreaRect(*p);
        i32 at = p->pixelOf(c.marked);
        EXPECT_GE(at, plot.left + 9);
        EXPECT_LT(at, plot.right - 9);
    }
    // A move alone moves the marker and sends 16.
    InputSeam seam;
    seam.active = f.dialog->hwnd;
    f.dialog->notifications.clear();
    i32 x = p->pixelOf(100.0) + 2;
    seam.pointAt(p->hwnd, x, 50);
    mouse(p, WM_MOUSEMOVE, x, 50);
    EXPECT_EQ(100.0, p->recordAt(p->markerIndex)->frequency);
    std::vector<u32> codes = f.paneCodes();
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), (u32)PaneMarkerMoved));
    mouse(p, WM_MOUSEMOVE, -50, -50);

    // A middle press toggles the zoom and goes no further.
    EXPECT_FALSE(p->zoomMode());
    mouse(p, WM_MBUTTONDOWN, x, 50, MK_MBUTTON);
    EXPECT_TRUE(p->zoomMode());
    mouse(p, WM_MBUTTONUP, x, 50);
    EXPECT_TRUE(p->zoomMode());
}

TEST(SpectPaneMarker, DrawnTwiceTheMarkerRestoresEveryPixel) {
    HarmonicFixture f;
    f.setList({harmonic(300.0, 20000.0), harmonic(700.0, 5000.0)});
    SpectPane* p = f.pane;
    f.paintNow();
    std::vector<COLORREF> before = snapshot(p->hwnd);
    p->setMarker(1);
    std::vector<COLORREF> marked = snapshot(p->hwnd);
    RECT client;
    GetClientRect(p->hwnd, &client);
    i32 x = p->pixelOf(700.0);
    RECT plot = plotAreaRect(*p);
    EXPECT_EQ(plot.bottom - plot.top, changedInColumn(before, marked, client.right, x - 1, -1));
    EXPECT_EQ(plot.bottom - plot.top, changedInColumn(before, marked, client.right, x + 1, -1));
    EXPECT_EQ(0, changedInColumn(before, marked, client.right, x, -1));  // the stem stays
    {
        GSavedDC dc(p->hwnd);
        p->drawMarker(dc);
    }
    EXPECT_EQ(before, snapshot(p->hwnd));
    // A repaint draws the marker again; removing it restores the picture.
    f.paintNow();
    EXPECT_EQ(marked, snapshot(p->hwnd));
    p->setMarker(-1);
    EXPECT_EQ(before, snapshot(p->hwnd));
}

TEST(SpectPaneMarker, HoverDrawsTheCrosshairAndOvertoneLinesAsFarAsTheWindowGoes) {
    HarmonicFixture f;
    appSettings.Spectrum.Pane.drawFlags |= PaneOvertoneLines;
    f.setList({harmonic(400.0, 20000.0)});  // 0..1000 Hz at 0.2 pixels per Hz
    SpectPane* p = f.pane;
    // The window ends between the 4th and the 5th harmonic of 300 Hz.
    i32 zero = p->pixelOf(0.0);
    RECT r;
    GetWindowRect(p->hwnd, &r);
    MapWindowPoints(nullptr, f.dialog->hwnd, (POINT*)&r, 2);
    p->setRect(RECT{r.left, r.top, r.left + zero + 270, r.bottom}, SWP_NOZORDER);
    p->invalidateLayout();
    f.paintNow();
    ASSERT_EQ(zero, p->pixelOf(0.0));
    InputSeam seam;
    seam.active = f.dialog->hwnd;
    p->setMarker(0);  // where the moves put it
    std::vector<COLORREF> before = snapshot(p->hwnd);
    RECT client;
    GetClientRect(p->hwnd, &client);
    i32 x = p->pixelOf(300.0), y = (plotAreaRect(*p).top + plotAreaRect(*p).bottom) / 2;
    f.dialog->notifications.clear();
    seam.pointAt(p->hwnd, x, y);
    mouse(p, WM_MOUSEMOVE, x, y);
    std::vector<COLORREF> shown = snapshot(p->hwnd);
    EXPECT_GT(changedInColumn(before, shown, client.right, x, y), 20);  // the vertical crosshair
    for (double hz : {600.0, 900.0, 1200.0}) EXPECT_GT(changedInColumn(before, shown, client.right, p->pixelOf(hz), y), 20) << hz;
    ASSERT_GE(p->pixelOf(1500.0), client.right);
    for (i32 c : {x + 7, p->pixelOf(750.0), p->pixelOf(1050.0)}) EXPECT_EQ(0, changedInColumn(before, shown, client.right, c, y)) << c;
    std::vector<u32> codes = f.paneCodes();
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), (u32)PaneHoverMoved));

    // Moving erases at the old point; leaving erases all.
    seam.pointAt(p->hwnd, x + 20, y);
    mouse(p, WM_MOUSEMOVE, x + 20, y);
    std::vector<COLORREF> moved = snapshot(p->hwnd);
    EXPECT_EQ(0, changedInColumn(before, moved, client.right, x, y));
    seam.pointAt(p->hwnd, -5, y);
    mouse(p, WM_MOUSEMOVE, -5, y);
    EXPECT_EQ(before, snapshot(p->hwnd));
    // Outside the value area there is no feedback.
    HCURSOR cursor;
    EXPECT_FALSE(p->hitTestHover(x, plotAreaRect(*p).top - 1, &cursor));
    EXPECT_TRUE(p->hitTestHover(x, y, &cursor));
    EXPECT_EQ(nullptr, cursor);
}

TEST(SpectPaneMarker, ViewRecordKeepsTheVerticalScaleRelativeToItsReset) {
    HarmonicFixture f;
    f.setList({harmonic(1000.0)});
    SpectPane* p = f.pane;
    p->setScale(0.5, 2 * p->normalScaleY);
    GScrollRange h = p->horizontal, v = p->vertical;
    h.setPosition(120);
    p->setScrollState(h, v);
    GBag bag;
    p->writeViewState(bag);
    ASSERT_EQ(32u, bag.size);
    p->normalScaleY = 0.03;  // the reset scale changed meanwhile
    p->setScale(0.2, 0.01);
    bag.pos = 0;
    p->readViewState(bag);
    EXPECT_EQ(32u, bag.pos);
    EXPECT_DOUBLE_EQ(0.06, p->scaleY);
    EXPECT_DOUBLE_EQ(0.5, p->scaleX);
    EXPECT_EQ(120, p->horizontal.origin);

    // A short record throws before anything is applied.
    GBag shortBag;
    bagWriteBytes(shortBag, bag.data, 31);
    shortBag.pos = 0;
    p->setScale(0.2, 0.01);
    EXPECT_THROW(p->readViewState(shortBag), GBagException);
    EXPECT_DOUBLE_EQ(0.2, p->scaleX);

    // An empty pane writes and reads nothing.
    f.document = false;
    f.syncPane();
    GBag none;
    p->writeViewState(none);
    EXPECT_EQ(0u, none.size);
    bag.pos = 0;
    p->readViewState(bag);
    EXPECT_EQ(0u, bag.pos);
}
