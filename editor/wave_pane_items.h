#pragma once
// The wave pane's own graph items: the frame axis (the first item; its placement is the visible
// window the data source reads), the ruler (the pane's overlays) and one curve per shown track,
// which reads the pane's visible-data buffer. The pane's graph owns and deletes them.
#include "gui/views/graph_axis.h"
#include "gui/views/graph_item.h"

class WavePane;

class WaveFrameAxis : public GGraphCurve {
public:
    bool isData() const override { return false; }
    void place(GGraph& graph) override;
    void paint(GSavedDC&, GGraph&, const RECT&) override {}
};

class WaveRuler : public GGraphItem {
public:
    WaveRuler() { flags = GraphDockWhole; }
    void paint(GSavedDC& dc, GGraph& graph, const RECT& clip) override;
};

// A lane's level axis; its labels in decibels of full scale when asked.
class WaveLevelAxis : public GGraphAxis {
public:
    void labelText(char* out, u32 size, double value) const override;
    bool decibels = false;
};

// The grid lines under the curves (the last item, painted first).
class WaveGrid : public GGraphItem {
public:
    WaveGrid() { flags = GraphDockWhole; }
    void paint(GSavedDC& dc, GGraph& graph, const RECT& clip) override;
};

class WaveTrackCurve : public GGraphCurve {
public:
    WaveTrackCurve(WavePane* pane, i32 track) : pane(pane), trackIndex(track) {}
    double valueAt(i32 column) override;
    void rangeAt(i32 column, float* low, float* high) override;
    // The lane's span, whatever is visible.
    void valueRangeY(double* low, double* high) override { GGraphItem::valueRangeY(low, high); }

    WavePane* pane;
    i32 trackIndex;
    u32 offset = 0;  // of the track's first float within a column or frame
    u32 stride = 1;  // floats per column or frame
};
