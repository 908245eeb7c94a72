// The spectrum pane's marker, its mouse and hover feedback, and its view record.
#include <algorithm>
#include <cmath>

#include "app/app_settings.h"
#include "app/pane_color_groups.h"
#include "gui/input/input_event.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/saved_dc.h"
#include "spectrum/harmonic_hover.h"
#include "spectrum/harmonic_pane.h"
#include "spectrum/harmonic_pane_items.h"

namespace {
// Marker and hover lines: XOR of the marker colour over the background.
COLORREF xorColour() {
    CommandRange& c = spectrumPaneColors.colours;
    return (c.valueOf(377) ^ c.valueOf(383)) & 0xFFFFFF;
}

// Raster mode XOR for the scope.
struct XorScope {
    HDC dc;
    int old;
    explicit XorScope(HDC dc) : dc(dc), old(SetROP2(dc, R2_XORPEN)) {}
    ~XorScope() { SetROP2(dc, old ? old : R2_COPYPEN); }
};
}  // namespace

double SpectPane::frequencyAt(i32 x) const {
    const GGraphItem& c = *itemAt(PaneAmplitude);
    return (x - c.pixelX) / c.scaleX;
}

i32 SpectPane::pixelOf(double frequency) const {
    const GGraphItem& c = *itemAt(PaneAmplitude);
    return graphClamp(std::floor(frequency * c.scaleX + c.pixelX));
}

void SpectPane::selectNearest(double f) {
    if (recordCount < 1) return;
    i32 low = 0, high = recordCount - 1;
    while (low <= high) {
        i32 mid = (low + high) >> 1;
        double at = records[mid]->frequency;
        if (at == f) {
            setMarker(mid);
            return;
        }
        if (f > at)
            low = mid + 1;
        else
            high = mid - 1;
    }
    i32 i = low;
    if (i <= 0)
        i = 0;
    else if (i >= recordCount)
        i = recordCount - 1;
    else if (std::fabs(records[i - 1]->frequency - f) < std::fabs(records[i]->frequency - f))
        i = i - 1;
    setMarker(i);
}

void SpectPane::setMarker(i32 index) {
    if (itemAt(PaneMarker)->hidden() || index == markerIndex) return;
    if (markerIndex < -1) markerIndex = -1;
    if (markerIndex >= recordCount) markerIndex = recordCount - 1;
    if (index >= recordCount) index = recordCount - 1;
    if (index < -1) index = -1;
    if (hwnd) {
        GSavedDC dc(hwnd);
        drawMarker(dc);
        markerIndex = index;
        drawMarker(dc);
    } else {
        markerIndex = index;
    }
    if (index >= 0) scrollToValue(PaneAmplitude, records[index]->frequency);
}

void SpectPane::drawMarker(GSavedDC& dc) {
    if (recordCount < 1 || markerIndex < 0) return;
    i32 x = pixelOf(records[markerIndex]->frequency);
    RECT plot = plotAreaRect(*this);
    if (!(x + 1 >= plot.left && x - 1 < plot.right) || plot.bottom <= plot.top) return;
    XorScope mode(dc.dc());
    dc.selectPen(xorColour());
    for (i32 side : {x - 1, x + 1})
        if (side >= plot.left && side < plot.right) drawLine(dc, side, plot.top, plot.bottom - 1);
}

bool SpectPane::handleMouse(GInputEvent* event) {
    if (recordCount > 0) {
        selectNearest(frequencyAt(event->x));
        notify(PaneMarkerMoved);
    }
    if (event->isPress() && event->button == ButtonMiddle) {
        toggleZoom();
        return true;
    }
    return GGraph::handleMouse(event);
}

bool SpectPane::handleCapturedMouse(GInputEvent* event) {
    if (recordCount > 0) {
        selectNearest(frequencyAt(event->x));
        notify(PaneMarkerMoved);
    }
    return GGraph::handleCapturedMouse(event);
}

bool SpectPane::hitTestHover(i32 x, i32 y, HCURSOR* cursor) {
    *cursor = LoadCursor(nullptr, IDC_ARROW);
    RECT plot = plotAreaRect(*this);
    if (!hasData || !rectContainsPoint(plot, x, y)) return false;
    const GGraphItem& c = *itemAt(PaneAmplitude);
    double fx = (x - c.pixelX) / c.scaleX, fy = (c.pixelY - y) / c.scaleY;
    if (!(fy >= -c.extentBelow.factor && fy < kPaneAmplitudeTop && fx >= -c.extentLeft.factor && fx < frequencyEnd() + 10))
        return false;
    *cursor = nullptr;
    return true;
}

void SpectPane::drawHoverFeedback(GSavedDC& dc, i32 x, i32 y) {
    RECT client;
    GetClientRect(hwnd, &client);
    XorScope mode(dc.dc());
    SetBkColor(dc.dc(), toolkitColors.window);
    COLORREF colour = xorColour();
    dc.selectStylePen(colour, PS_COSMETIC | PS_DOT);
    drawHLine(dc, 0, client.right - 1, y);
    drawLine(dc, x, 0, client.bottom - 1);
    if (appSettings.Spectrum.Pane.drawFlags & PaneOvertoneLines) {
        dc.selectStylePen(colour, PS_COSMETIC | PS_ALTERNATE);
        i32 step = graphClamp((double)x - pixelOf(0.0));
        if (step >= 1) {
            for (i32 k = 1; k <= 4; ++k) {
                i64 at = (i64)x + (i64)k * step;
                if (at >= client.right) break;
                drawLine(dc, (i32)at, 0, client.bottom - 1);
            }
        }
    }
    notify(PaneHoverMoved);
}

void SpectPane::writeViewState(GBag& bag) {
    if (!hasData) return;
    bagWriteF64(bag, scaleX);
    bagWriteF64(bag, normalScaleY != 0 ? scaleY / normalScaleY : scaleY);
    bagWriteU64(bag, (u64)horizontal.origin);
    bagWriteU64(bag, (u64)vertical.origin);
}

void SpectPane::readViewState(GBag& bag) {
    if (!hasData) return;
    struct {
        f64 scaleX, scaleY;
        u64 originX, originY;
    } stored;
    static_assert(sizeof stored == 32, "the view record is 32 bytes");
    bagReadBytes(bag, &stored, sizeof stored);
    GGraphView view;
    view.scaleX = stored.scaleX;
    view.scaleY = stored.scaleY;
    view.originX = stored.originX;
    view.originY = stored.originY;
    applyView(view);
}

SpectrumHoverTracker::SpectrumHoverTracker(SpectPane* pane) : GHoverTracker(pane, HoverPlain), pane(pane) {}

void SpectrumHoverTracker::follow(i32 x, i32 y) {
    HCURSOR cursor = nullptr;
    bool hit = pane->hitTestHover(x, y, &cursor);
    SetCursor(cursor);
    GSavedDC dc(pane->hwnd);
    if (shown) pane->drawHoverFeedback(dc, shownX, shownY);
    shown = hit;
    shownX = x;
    shownY = y;
    if (hit) pane->drawHoverFeedback(dc, x, y);
}

void SpectrumHoverTracker::onLeave() {
    if (shown && pane->hwnd) {
        GSavedDC dc(pane->hwnd);
        pane->drawHoverFeedback(dc, shownX, shownY);
    }
    shown = false;
    pane->hoverEnded();
}
