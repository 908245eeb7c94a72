#pragma once
// SpectPane ("SpectPane", type 1004): the graph of a spectrum page's harmonics, amplitude and
// phase over frequency, with its rulers, note ruler and grid, a marker on one harmonic and the
// hover crosshair. Made and built by its page; it deletes itself with its native window, and with
// itself its array of record pointers (the records stay the page's) and, as a graph, its items.
// The display switches are the program's Spectrum.Pane settings, shared by every pane.
#include "core/bag.h"
#include "engine/harmonics.h"
#include "gui/menus/color_pane.h"
#include "gui/views/graph.h"

class GSavedDC;
class NoteGrid;
class NoteRuler;
class SpectrumCurve;
class SpectrumHoverTracker;

// The items by index.
enum : u32 {
    PaneMarker = 0,
    PaneAmplitude = 1,
    PanePhase = 2,
    PaneFrequencyAxis = 3,
    PaneAmplitudeAxis = 4,
    PanePhaseAxis = 5,
    PaneNoteRuler = 6,
    PaneNoteGrid = 7,
    PaneFrequencyRuler = 8,
    PaneAmplitudeRuler = 9,
    PanePhaseRuler = 10,
    PaneItemCount = 11,
};

// Spectrum.Pane drawFlags bits.
enum : u32 {
    PaneNumbers = 1,
    PaneGrid = 2,
    PaneNotes = 4,
    PanePhaseShown = 8,
    PaneAmplitudeShown = 16,
    PaneRulerUp = 32,
    PaneRulerShown = 64,
    PaneOvertoneLines = 128,
};

// The pane's commands.
enum : u32 {
    SpectVgrid = 323,
    SpectNumbers = 325,
    SpectNotes = 326,
    SpectAmplitude = 426,
    SpectPhase = 427,
    SpectOvertoneLines = 440,
    SpectStrokesAmp = 539,
    SpectPointsAmp = 540,
    SpectStrokesPhi = 541,
    SpectPointsPhi = 542,
    SpectRulerOnOff = 559,
    SpectRulerUpDown = 560,
    SpectColorFirst = 377,
    SpectColorLast = 385,
    SpectColorDefault = 387,
};

// Notifications to the page: the hover feedback moved or ended, the display settings were
// applied, the mouse put the marker on a harmonic, the window took a new size.
enum : u32 { PaneHoverMoved = 0, PaneSettingsApplied = 15, PaneMarkerMoved = 16, PaneResized = 17 };

// Amplitude that stands as high as 180 degrees of phase.
const double kPaneAmplitudeTop = 40000.0;
const double kPanePhaseFactor = 40000.0 / 180.0;

class SpectPane : public GGraph {
public:
    explicit SpectPane(GWindow* owner);
    ~SpectPane() override;

    bool isKindOf(u32 id) const override { return id == TypeSpectrumPane || GGraph::isKindOf(id); }
    const char* className() const override { return "SpectPane"; }
    u32 typeId() const override { return TypeSpectrumPane; }

    // Makes the native window (300 x 300), the scales and the items.
    bool build(u32 style = WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    // Points at every record of the array, sorted by rising frequency (NaN last); marks the pane
    // as holding data, then refresh.
    void setRecords(const HarmonicArray& array);
    // No records, no data: every item hidden, the ranges 0..0.
    void clearRecords();
    // Ranges from the records (frequency end max(2 x highest, 1000) Hz, amplitude 40000, phase
    // 180), the marker removed, the draw flags applied, repainted once.
    void refresh();
    // The display settings on the items; with relayout also laid out, repainted and notified (15).
    void applyDrawFlags(bool relayout);
    // The colour group's colours on the pane and its items; repainted.
    void applyColors();

    // The marker on the harmonic nearest the frequency (the higher one at equal distance).
    void selectNearest(double frequency);
    // -1 removes it; drawn in XOR on the window, and brought 10 pixels into view.
    void setMarker(i32 index);
    void drawMarker(GSavedDC& dc);
    // The frequency of a client x and the x of a frequency, through the amplitude curve.
    double frequencyAt(i32 x) const;
    i32 pixelOf(double frequency) const;
    // The hover slots: inside the plot and the value area, with the cursor (null: hidden).
    bool hitTestHover(i32 x, i32 y, HCURSOR* cursor);
    void drawHoverFeedback(GSavedDC& dc, i32 x, i32 y);
    void hoverEnded() { notify(PaneHoverMoved); }

    // 32 bytes: f64 scale x, f64 scale y relative to the reset scale (raw when that is 0), i64
    // horizontal and vertical origins. Neither does anything without data; a short bag throws.
    void writeViewState(GBag& bag);
    void readViewState(GBag& bag);

    // Every event with records moves the marker to the nearest harmonic (16); a middle press
    // toggles the zoom and is taken.
    bool handleMouse(GInputEvent* event) override;
    bool handleCapturedMouse(GInputEvent* event) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    i32 commandChecked(u32 command) override;
    void onDeferredRelayout() override;

    SpectrumCurve* curve(u32 index) const;
    NoteRuler* noteRuler() const;
    NoteGrid* noteGrid() const;
    double frequencyEnd() const;
    const HarmonicRecord* recordAt(i32 i) const { return records[i]; }

    const HarmonicRecord** records = nullptr;
    u32 recordCapacity = 0;
    i32 recordCount = 0;
    u8 hasData = 0;
    i32 markerIndex = -1;

private:
    // Sent up now, or flagged while the redraw lock is held and sent at its release.
    void notify(u32 code);

    u32 pendingNotifications = 0;
    SpectrumHoverTracker* hover = nullptr;  // on the window's chain, which deletes it
};

// applyDrawFlags(true) on every live spectrum pane.
void applyDrawFlagsToAllPanes();
