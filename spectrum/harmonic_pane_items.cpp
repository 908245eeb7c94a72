#include "spectrum/harmonic_pane_items.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "gui/controls/notes.h"
#include "gui/paint/drawing.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"
#include "gui/views/graph.h"
#include "gui/views/graph_axis.h"
#include "spectrum/harmonic_page.h"
#include "spectrum/harmonic_pane.h"

void SpectrumCurve::pointAt(i32 i, double* x, double* y) {
    const HarmonicRecord& r = *records[i];
    *x = r.frequency;
    *y = phase ? phaseInDegrees(r.phase) : r.amplitude;
}

i32 SpectrumCurve::findPoint(double value) {
    // The first record not below the value (NaN frequencies sort last and count as not below).
    i32 low = 0, high = pointCount;
    while (low < high) {
        i32 mid = low + (high - low) / 2;
        if (records[mid]->frequency < value)
            low = mid + 1;
        else
            high = mid;
    }
    return low - 1;
}

// The frequency range, not the visible one: a fit over what is in view would keep the scale.
void SpectrumCurve::valueRangeX(double* low, double* high) {
    *low = phase ? -extentLeft.factor : -1.0;
    *high = extentRight.factor;
}

namespace {
// Calls visit(note number, x) for the semitones of the item's frequency range from the top down,
// the pixel clamped, until two lie 3 pixels or less apart or one falls left of the window.
template <class Visit>
void walkSemitones(const GGraphItem& item, Visit visit) {
    double end = item.extentRight.factor;
    if (!(end > 0) || !std::isfinite(end)) return;
    i32 n = (i32)std::floor(12.0 * std::log(end / 440.0) / std::log(2.0) + 0.5);
    double previous = 1e100;
    for (i32 N = n + 58; N >= 0; --N) {
        double f = 440.0 * std::pow(2.0, (N - 57) / 12.0);
        double x = std::floor(f * item.scaleX + item.pixelX);
        if (std::fabs(previous - x) <= 3) break;
        previous = x;
        if (f <= end) visit(N, graphClamp(x));
        if (x < 0) break;
    }
}

// The strip of a docked item: above or below the plot area.
RECT stripRect(const GGraphItem& item, GGraph& graph) {
    RECT plot = plotAreaRect(graph);
    if (item.dock() == GraphDockBottom)
        return RECT{plot.left, plot.bottom, plot.right, plot.bottom + graph.vertical.trailingInset - graph.border};
    return RECT{plot.left, graph.border, plot.right, plot.top};
}

// The octave names of scheme 4 are read as those of scheme 3 here.
struct OctaveSchemeThree {
    const u32* saved;
    OctaveSchemeThree() : saved(noteSchemes().octaveStyle) {
        static const u32 three = 3;
        if (saved && *saved == 4) noteSchemes().octaveStyle = &three;
    }
    ~OctaveSchemeThree() { noteSchemes().octaveStyle = saved; }
};
}  // namespace

void NoteRuler::prepare(GGraph& graph) {
    GGraphItem::prepare(graph);
    extentAbove.pixels = 0;
    if (hidden()) {
        rowHeight = 0;
        extentBelow.pixels = 0;
        return;
    }
    rowHeight = graphMeasureText("Q/").cy + 2;
    // Thickness 4 x rowHeight + 3.
    extentBelow.pixels = 4 * rowHeight + 2;
}

void NoteRuler::paint(GSavedDC& dc, GGraph& graph, const RECT&) {
    RECT rect = stripRect(*this, graph);
    bool docked = dock() == GraphDockBottom;
    SetTextColor(dc.dc(), textColor);
    dc.selectPen(tickColor);
    i32 limits[4] = {INT_MAX, INT_MAX, INT_MAX, INT_MAX};
    OctaveSchemeThree scheme;
    char label[64];
    walkSemitones(*this, [&](i32 N, i32 x) {
        i32 note = N % 12, octave = N / 12;
        snprintf(label, sizeof label, "%s/%s", note > 11 ? "" : noteName(note), octave > 15 ? "" : octaveName(octave));
        i32 row = N % 4;
        i32 y = docked ? rect.bottom - (row + 1) * rowHeight : rect.top + row * rowHeight;
        SIZE size = graphTextExtent(label, dc.dc());
        if ((i64)x + 2 + size.cx <= limits[row]) {
            WideTextBuffer wide(label);
            TextOutW(dc.dc(), x + 2, y, wide.text(), wide.length());
        }
        if (docked)
            drawLine(dc, x, rect.top + 3, y);
        else
            drawLine(dc, x, y + rowHeight, rect.bottom - 3);
        limits[row] = x;
    });
    drawHLine(dc, rect.left, rect.right - 1, docked ? rect.top + 2 : rect.bottom - 3);
}

void NoteGrid::paint(GSavedDC& dc, GGraph& graph, const RECT&) {
    RECT plot = plotAreaRect(graph);
    if (plot.bottom <= plot.top) return;
    dc.selectPen(lineColor);
    walkSemitones(*this, [&](i32, i32 x) { drawLine(dc, x, plot.top, plot.bottom - 1); });
}

void MarkerLayer::paint(GSavedDC& dc, GGraph& graph, const RECT&) { static_cast<SpectPane&>(graph).drawMarker(dc); }
