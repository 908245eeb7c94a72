// The spectrum pane under the window system: its ranges, the display switches on the items and in
// every open pane, the commands' states, and what it paints (stems, note grid and ruler, colours).
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <set>
#include <vector>

#include "gui/controls/notes.h"
#include "gui/dialogs/choose_color.h"
#include "gui/paint/fonts.h"
#include "gui/views/graph_axis.h"
#include "spectrum/harmonic_pane_items.h"
#include "tests/gui/dib_canvas.h"
#include "tests/spectrum/harmonic_fixture.h"

using namespace controls;

namespace {
u32 style(SpectPane* pane, u32 item) { return pane->itemAt(item)->flags; }
bool userHidden(SpectPane* pane, u32 item) { return (style(pane, item) & 2) != 0; }

// The x of every semitone the note ruler and grid draw, by their walk.
std::vector<i32> semitoneColumns(const GGraphItem& item) {
    std::vector<i32> columns;
    double end = item.extentRight.factor, previous = 1e100;
    i32 n = (i32)std::floor(12.0 * std::log(end / 440.0) / std::log(2.0) + 0.5);
    for (i32 N = n + 58; N >= 0; --N) {
        double f = 440.0 * std::pow(2.0, (N - 57) / 12.0);
        double x = std::floor(f * item.scaleX + item.pixelX);
        if (std::fabs(previous - x) <= 3) break;
        previous = x;
        if (f <= end) columns.push_back((i32)x);
        if (x < 0) break;
    }
    return columns;
}

COLORREF chosenColour = 0;
BOOL WINAPI chooseFixed(CHOOSECOLORA* record) {
    record->rgbResult = chosenColour;
    return TRUE;
}
}  // namespace

TEST(SpectPane, RangesFollowTheHighestHarmonicAndAnEmptyPaneHidesAll) {
    HarmonicFixture f;
    const struct Case {
        std::vector<double> frequencies;
        double end;
    } cases[] = {{{100.0}, 1000.0}, {{3000.0}, 6000.0}, {{3000.0, 100.0, 2000.0, 0.0}, 6000.0}, {{499.0}, 1000.0}};
    for (const Case& c : cases) {
        std::vector<HarmonicRecord> l;
        for (double hz : c.frequencies) l.push_back(harmonic(hz));
        f.setList(l);
        SpectPane* p = f.pane;
        EXPECT_EQ(1, p->hasData);
        ASSERT_EQ((i32)c.frequencies.size(), p->recordCount);
        for (i32 i = 1; i < p->recordCount; ++i) EXPECT_LE(p->recordAt(i - 1)->frequency, p->recordAt(i)->frequency);
        for (u32 i : {PaneAmplitude, PanePhase, PaneFrequencyAxis, PaneNoteRuler, PaneNoteGrid, PaneFrequencyRuler}) {
            EXPECT_EQ(0.0, p->itemAt(i)->extentLeft.factor);
            EXPECT_EQ(c.end, p->itemAt(i)->extentRight.factor) << "item " << i;
        }
        for (u32 i : {PaneAmplitude, PaneAmplitudeAxis, PaneAmplitudeRuler}) EXPECT_EQ(40000.0, p->itemAt(i)->extentAbove.factor);
        for (u32 i : {PanePhase, PanePhaseAxis, PanePhaseRuler}) {
            EXPECT_EQ(180.0, p->itemAt(i)->extentAbove.factor);
            EXPECT_EQ(180.0, p->itemAt(i)->extentBelow.factor);
        }
        EXPECT_EQ(-1, p->markerIndex);
        EXPECT_EQ(CommandEnabled, p->commandState(SpectAmplitude));
    }
    // The curves' search: the index before the first record at or above the value.
    f.setList({harmonic(300.0), harmonic(200.0), harmonic(100.0), harmonic(200.0)});
    const struct {
        double hz;
        i32 before;
    } searches[] = {{50.0, -1}, {100.0, -1}, {150.0, 0}, {200.0, 0}, {250.0, 2}, {300.0, 2}, {400.0, 3}};
    for (const auto& s : searches) EXPECT_EQ(s.before, f.pane->curve(PaneAmplitude)->indexBefore(s.hz)) << s.hz;

    f.document = false;
    f.syncPane();
    SpectPane* p = f.pane;
    EXPECT_EQ(0, p->hasData);
    for (u32 i = 0; i < PaneItemCount; ++i) {
        if (i == PaneAmplitude || i == PanePhase) continue;  // their style words come from the settings
        EXPECT_TRUE(style(p, i) & 1) << "item " << i;
        EXPECT_EQ(0.0, p->itemAt(i)->extentRight.factor);
    }
    EXPECT_EQ(0, p->curve(PaneAmplitude)->pointCount);
    EXPECT_EQ(CommandDisabled, p->commandState(SpectAmplitude));
    EXPECT_EQ(CommandEnabled, p->commandState(SpectColorFirst));
}

TEST(SpectPane, DrawFlagsSetTheItemsStyleWords) {
    HarmonicFixture f;
    f.setList({harmonic(440.0)});
    const u32 notesDock = 8, rulerDock = 16, farSide = AxisTicksFar | AxisLabelsFar;
    const struct Case {
        u32 drawFlags;
        bool amplitude, phase, grid, notes, ruler;
        u32 noteDock, rulerDockAndFar;
        bool numbers;
    } cases[] = {
        {85, true, false, false, true, true, notesDock, rulerDock, true},
        {85 & ~16u, false, false, false, true, true, notesDock, rulerDock, true},    // AMPLITUDE off
        {85 & ~64u, true, false, false, true, false, notesDock, 0, true},             // no ruler
        {85 | 32, true, false, false, true, true, rulerDock, notesDock | farSide, true},  // RULER_UP_DOWN
        {2 | 8, false, true, true, false, false, rulerDock, 0, false},                 // the notes keep their side
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.drawFlags);
        appSettings.Spectrum.Pane.drawFlags = c.drawFlags;
        f.pane->applyDrawFlags(true);
        SpectPane* p = f.pane;
        EXPECT_EQ(!c.amplitude, userHidden(p, PaneAmplitude));
        EXPECT_EQ(!c.amplitude, userHidden(p, PaneAmplitudeRuler));
        EXPECT_FALSE(p->itemAt(PaneAmplitudeAxis)->hidden());
        EXPECT_EQ(!c.phase, userHidden(p, PanePhase));
        EXPECT_EQ(!c.phase, userHidden(p, PanePhaseRuler));
        EXPECT_EQ(!c.grid, userHidden(p, PaneNoteGrid));
        EXPECT_EQ(!c.notes, userHidden(p, PaneNoteRuler));
        EXPECT_EQ(!c.ruler, userHidden(p, PaneFrequencyRuler));
        EXPECT_EQ(c.noteDock, style(p, PaneNoteRuler) & GraphDockMask);
        if (c.ruler) EXPECT_EQ(c.rulerDockAndFar, style(p, PaneFrequencyRuler) & (GraphDockMask | farSide));
        for (u32 i : {PaneFrequencyRuler, PaneAmplitudeRuler, PanePhaseRuler})
            EXPECT_EQ(c.numbers, (style(p, i) & AxisLabels) != 0) << "item " << i;
    }
    // The stem styles are the curves' whole style words.
    appSettings.Spectrum.Pane.drawFlags = 85;
    appSettings.Spectrum.Pane.funcFlagsAmp = 32;
    appSettings.Spectrum.Pane.funcFlagsPhase = 64;
    f.pane->applyDrawFlags(true);
    EXPECT_EQ(32u, style(f.pane, PaneAmplitude));
    EXPECT_EQ(64u | 2u, style(f.pane, PanePhase));
    EXPECT_EQ(1, f.pane->commandChecked(SpectPointsAmp));
    EXPECT_EQ(0, f.pane->commandChecked(SpectStrokesAmp));
    EXPECT_EQ(1, f.pane->commandChecked(SpectStrokesPhi));
}

TEST(SpectPane, ASwitchInOnePaneChangesEveryOpenPane) {
    HarmonicFixture f;
    f.setList({harmonic(440.0), harmonic(880.0)});
    SpectPane* second = new SpectPane(f.dialog);
    second->build();
    second->setRecords(f.list);
    SpectPane* empty = new SpectPane(f.dialog);
    empty->build();
    f.dialog->notifications.clear();

    SendMessageA(f.pane->hwnd, WM_COMMAND, SpectAmplitude, 0);
    EXPECT_EQ(85u & ~16u, appSettings.Spectrum.Pane.drawFlags);
    EXPECT_TRUE(userHidden(second, PaneAmplitude));
    EXPECT_TRUE(userHidden(second, PaneAmplitudeRuler));
    EXPECT_EQ(0, second->commandChecked(SpectAmplitude));
    i32 applied = 0;
    for (const GControlNotification& n : f.dialog->notifications) applied += n.code == PaneSettingsApplied;
    EXPECT_EQ(3, applied);

    // RULER_UP_DOWN also shows the ruler.
    appSettings.Spectrum.Pane.drawFlags &= ~(u32)PaneRulerShown;
    SendMessageA(second->hwnd, WM_COMMAND, SpectRulerUpDown, 0);
    EXPECT_EQ(PaneRulerShown | PaneRulerUp, appSettings.Spectrum.Pane.drawFlags & (PaneRulerShown | PaneRulerUp));
    EXPECT_FALSE(userHidden(f.pane, PaneFrequencyRuler));
    EXPECT_EQ(CommandUnknown, f.pane->commandChecked(SpectRulerUpDown));

    // Under the redraw lock the notification waits for its release.
    f.dialog->notifications.clear();
    f.pane->beginRedrawLock();
    f.pane->applyDrawFlags(true);
    EXPECT_TRUE(f.paneCodes().empty());
    f.pane->endRedrawLock();
    EXPECT_EQ(std::vector<u32>{PaneSettingsApplied}, f.paneCodes());

    SendMessageA(f.pane->hwnd, WM_COMMAND, SpectStrokesPhi, 0);
    EXPECT_EQ((u32)CurveStems, appSettings.Spectrum.Pane.funcFlagsPhase);

    // States: the switches with data only; the graph's own commands come from the graph.
    EXPECT_EQ(CommandDisabled, empty->commandState(SpectVgrid));
    EXPECT_EQ(CommandEnabled, second->commandState(SpectVgrid));
    EXPECT_EQ(CommandEnabled, empty->commandState(SpectColorDefault));
    EXPECT_EQ(CommandUnknown, empty->commandState(9999));
    EXPECT_EQ(second->GGraph::commandState(GraphZoom), second->commandState(GraphZoom));
    EXPECT_EQ(0, second->commandChecked(GraphZoom));
    second->toggleZoom();
    EXPECT_EQ(1, second->commandChecked(GraphZoom));
}

TEST(SpectPane, StemsStandAtTheirFrequenciesInTheAmplitudeColour) {
    HarmonicFixture f;
    // 1000.5 Hz falls on the pixel column of 1000 Hz: one stem, as high as the higher.
    f.setList({harmonic(300.0, 30000.0), harmonic(1000.0, 10000.0), harmonic(1000.5, 4000.0), harmonic(1500.0, 20000.0, -1.0)});
    SpectPane* p = f.pane;
    p->setScale(p->scaleX, 0.005);  // the whole amplitude range in view
    GScrollRange h = p->horizontal, v = p->vertical;
    v.setPosition(0);
    p->setScrollState(h, v);
    f.paintNow();
    RECT plot = plotAreaRect(*p);
    const COLORREF green = RGB(0, 128, 0);
    GGraphItem* amp = p->itemAt(PaneAmplitude);
    for (double hz : {300.0, 1000.0, 1500.0}) {
        i32 x = p->pixelOf(hz);
        RECT column{x, plot.top, x + 1, plot.bottom};
        double top = hz == 300.0 ? 30000.0 : hz == 1000.0 ? 10000.0 : 20000.0;
        i32 expected = amp->valueToPixelY(0) - amp->valueToPixelY(top);
        EXPECT_NEAR(expected, countColour(p->hwnd, column, green), 2) << hz;
    }
    // Between the stems nothing is drawn in the amplitude colour.
    i32 between = (p->pixelOf(300.0) + p->pixelOf(1000.0)) / 2;
    EXPECT_EQ(0, countColour(p->hwnd, RECT{between - 5, plot.top, between + 5, plot.bottom}, green));
    saveWindowShot(f.dialog->hwnd, "spectrum_pane.bmp");

    // As points: a cross of one pixel each way at the value, nothing down to the baseline.
    appSettings.Spectrum.Pane.funcFlagsAmp = CurveMarkers;
    p->applyDrawFlags(true);
    f.paintNow();
    i32 x = p->pixelOf(1000.0), y = amp->valueToPixelY(10000.0);
    for (POINT at : {POINT{x, y}, POINT{x - 1, y}, POINT{x + 1, y}, POINT{x, y - 1}, POINT{x, y + 1}})
        EXPECT_EQ(green, pixelAt(p->hwnd, at.x, at.y)) << at.x << "," << at.y;
    EXPECT_EQ(3, countColour(p->hwnd, RECT{x, plot.top, x + 1, plot.bottom}, green));
}

TEST(SpectPane, FitSpreadsTheFrequencyRangeOverThePlotWidth) {
    // The highest harmonic stands at the middle of its range 0..2 x frequency, at any width.
    for (i32 width : {500, 900, 1400}) {
        HarmonicFixture f(width, 500);
        f.setList({harmonic(500.0, 20000.0), harmonic(3000.0, 20000.0)});
        SpectPane* p = f.pane;
        p->fitToWindow();
        f.paintNow();
        RECT plot = plotAreaRect(*p);
        i32 span = plot.right - plot.left;
        EXPECT_NEAR(plot.right, p->pixelOf(6000.0), 6) << width;
        i32 mid = plot.left + span / 2;
        const COLORREF green = RGB(0, 128, 0);
        EXPECT_GT(countColour(p->hwnd, RECT{mid - 4, plot.top, mid + 5, plot.bottom}, green), 10) << width;
        // Nothing of the curve lies beyond the middle: the rest is the empty upper range.
        EXPECT_EQ(0, countColour(p->hwnd, RECT{mid + 6, plot.top, plot.right, plot.bottom}, green)) << width;
        if (width == 900) saveWindowShot(f.dialog->hwnd, "spectrum_pane_fitted.bmp");
    }
}

TEST(SpectPane, NoteGridAndRulerStopWhereSemitonesCrowdAndComeBackZoomedIn) {
    HarmonicFixture f;
    appSettings.Spectrum.Pane.drawFlags |= PaneGrid;
    CommandRange& colours = spectrumPaneColors.colours;
    colours.valueOf(381) = RGB(255, 0, 0);  // grid and ruler ticks
    colours.valueOf(382) = RGB(0, 0, 255);  // ruler text
    colours.valueOf(377) = RGB(255, 255, 255);
    f.pane->applyColors();
    f.setList({harmonic(1000.0)});  // 0..2000 Hz
    SpectPane* p = f.pane;
    auto gridColumns = [&]() {
        RECT plot = plotAreaRect(*p);
        std::set<i32> found;
        HDC dc = GetDC(p->hwnd);
        i32 y = (plot.top + plot.bottom) / 2 - 7;
        for (i32 x = plot.left; x < plot.right; ++x)
            if (GetPixel(dc, x, y) == RGB(255, 0, 0)) found.insert(x);
        ReleaseDC(p->hwnd, dc);
        return found;
    };
    for (double scale : {0.2, 2.0}) {
        SCOPED_TRACE(scale);
        p->setScale(scale, p->scaleY);
        GScrollRange h = p->horizontal, v = p->vertical;
        h.setPosition(0);
        p->setScrollState(h, v);
        f.paintNow();
        RECT plot = plotAreaRect(*p);
        std::vector<i32> expected;
        for (i32 x : semitoneColumns(*p->noteGrid()))
            if (x >= plot.left && x < plot.right) expected.push_back(x);
        ASSERT_FALSE(expected.empty());
        std::set<i32> drawn = gridColumns();
        EXPECT_EQ(std::set<i32>(expected.begin(), expected.end()), drawn);
        // The lowest line stands where semitones come within 4 pixels of each other.
        double lowest = p->frequencyAt(*drawn.begin());
        double spacing = lowest * 0.0594630943592953 * scale;  // 2^(1/12) - 1
        EXPECT_GE(spacing, 2.5);
        EXPECT_LT(spacing, 5.5);
    }
    // A label that would reach the last tick of its row is left out; its tick is drawn.
    p->setScale(0.2, p->scaleY);
    GScrollRange h = p->horizontal, v = p->vertical;
    h.setPosition(0);
    p->setScrollState(h, v);
    f.paintNow();
    const NoteRuler& ruler = *p->noteRuler();
    RECT plot = plotAreaRect(*p);
    HDC dc = GetDC(p->hwnd);
    SelectObject(dc, getMessageFont()->font);
    i32 limits[4] = {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, leftOut = 0, drawn = 0;
    double end = ruler.extentRight.factor, previous = 1e100;
    i32 n = (i32)std::floor(12.0 * std::log(end / 440.0) / std::log(2.0) + 0.5);
    for (i32 N = n + 58; N >= 0; --N) {
        double hz = 440.0 * std::pow(2.0, (N - 57) / 12.0);
        i32 x = (i32)std::floor(hz * ruler.scaleX + ruler.pixelX);
        if (std::fabs(previous - x) <= 3) break;
        previous = x;
        if (hz > end) continue;
        char label[32];
        snprintf(label, sizeof label, "%s/%s", noteName(N % 12), octaveName(N / 12));
        i32 row = N % 4, y = p->border + row * ruler.rowHeight;
        i32 width = graphTextExtent(label, dc).cx;
        i32 limit = limits[row];
        bool shows = x + 2 + width <= limit;
        limits[row] = x;
        if (x + 2 + width >= plot.right) continue;
        i32 text = 0, tick = 0;
        // Up to the next tick of the row, whose own label follows it.
        for (i32 px = x + 2; px < x + 2 + width && px < limit; ++px)
            for (i32 py = y; py < y + ruler.rowHeight - 2; ++py) {
                COLORREF c = GetPixel(dc, px, py);
                text += c != RGB(255, 0, 0) && c != toolkitColors.background;
            }
        for (i32 py = y + ruler.rowHeight; py <= plot.top - 3; ++py) tick += GetPixel(dc, x, py) == RGB(255, 0, 0);
        // Its tick down to the base line (the labels of lower rows may cover a few pixels).
        EXPECT_GE(3 * tick, 2 * (plot.top - 3 - y - ruler.rowHeight + 1)) << label;
        if (shows) {
            ++drawn;
            EXPECT_GT(text, 3) << label;
        } else {
            ++leftOut;
            EXPECT_EQ(0, text) << label;
        }
    }
    ReleaseDC(p->hwnd, dc);
    EXPECT_GE(leftOut, 2);
    EXPECT_GE(drawn, 4);
}

TEST(SpectPane, ColourCommandsChangeEveryPaneAndResetToTheDefaults) {
    HarmonicFixture f;
    f.setList({harmonic(1000.0, 30000.0)});
    setChooseColorFunction(chooseFixed);
    chosenColour = RGB(200, 0, 0);
    SendMessageA(f.pane->hwnd, WM_COMMAND, 378, 0);
    EXPECT_EQ(RGB(200, 0, 0), spectrumPaneColors.colours.valueOf(378));
    // The group posts the change to every pane.
    EXPECT_TRUE(pumpUntil([&] { return f.pane->curve(PaneAmplitude)->colour == RGB(200, 0, 0); }));
    f.paintNow();
    i32 x = f.pane->pixelOf(1000.0);
    RECT plot = plotAreaRect(*f.pane);
    EXPECT_GT(countColour(f.pane->hwnd, RECT{x, plot.top, x + 1, plot.bottom}, RGB(200, 0, 0)), 10);
    SendMessageA(f.pane->hwnd, WM_COMMAND, SpectColorDefault, 0);
    EXPECT_TRUE(pumpUntil([&] { return f.pane->curve(PaneAmplitude)->colour == RGB(0, 128, 0); }));
    setChooseColorFunction(nullptr);
}
