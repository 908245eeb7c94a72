#pragma once
// The drawn items of the spectrum pane: the harmonic curves (amplitude or phase over frequency),
// the note ruler, the note grid and the marker layer. The pane makes them and its graph owns and
// deletes them; the curves only point at the pane's record pointers.
#include "engine/harmonics.h"
#include "gui/views/graph_item.h"

class SpectPane;

// One point per record, x the frequency, y the amplitude or the phase in degrees.
class SpectrumCurve : public GGraphPointCurve {
public:
    explicit SpectrumCurve(bool phase) : phase(phase) {}

    void pointAt(i32 i, double* x, double* y) override;
    // The index before the first record at or above the value (bisection); -1 when that is the
    // first or there is none.
    i32 findPoint(double value) override;
    i32 indexBefore(double value) { return findPoint(value); }
    // The frequency range (the amplitude curve from -1); the value extents up and down.
    void valueRangeX(double* low, double* high) override;
    void valueRangeY(double* low, double* high) override { GGraphItem::valueRangeY(low, high); }
    bool isData() const override { return true; }

    const bool phase;
    const HarmonicRecord* const* records = nullptr;
    GGraph* graph = nullptr;
};

// The note names of the semitones up to the frequency end, in four staggered rows with a tick
// each, docked to the top (8) or the bottom (16). Semitones closer than 4 pixels are left out
// from there down; a label that would reach the last tick of its row is left out, its tick not.
class NoteRuler : public GGraphItem {
public:
    void prepare(GGraph& graph) override;
    void paint(GSavedDC& dc, GGraph& graph, const RECT& clip) override;
    bool isRuler() const override { return true; }

    COLORREF textColor = 0, tickColor = 0;
    i32 rowHeight = 0;
};

// One line per semitone over the plot, by the note ruler's walk.
class NoteGrid : public GGraphItem {
public:
    void paint(GSavedDC& dc, GGraph& graph, const RECT& clip) override;

    COLORREF lineColor = 0;
};

// Draws the pane's marker over everything else.
class MarkerLayer : public GGraphItem {
public:
    void paint(GSavedDC& dc, GGraph& graph, const RECT& clip) override;
};
