#pragma once
// GGraphAxis: a ruler item with line, arrows, ticks, titles and tick labels; owned and deleted by
// its graph like every item. Measures itself in prepare.
#include "gui/views/graph_item.h"

// GGraphAxis::flags.
enum : u32 {
    AxisVertical = 0x20,
    AxisShortTicks = 0x40,
    AxisLongTicks = 0x80,
    AxisCrossTicks = 0xC0,
    AxisStartArrow = 0x100,
    AxisEndArrow = 0x200,
    AxisLabels = 0x400,
    AxisTicksFar = 0x800,
    AxisLabelsFar = 0x1000,
    AxisTime = 0x2000,
    AxisLine = 0x4000,
    AxisTitlesOther = 0x8000,
    AxisTitlesInward = 0x10000,
    AxisTitlesKept = 0x20000,
};

class GGraphAxis : public GGraphItem {
public:
    GGraphAxis();
    ~GGraphAxis() override;

    void prepare(GGraph& graph) override { measure(graph); }
    void paint(GSavedDC& dc, GGraph& graph, const RECT& clip) override;
    bool isRuler() const override { return true; }

    void measure(GGraph& graph);
    // The smallest power of ten (60-based once in time mode) whose pixel length reaches minimum;
    // 0 when the scale allows no step.
    double chooseTickStep(double minimum) const;
    // Owned copies; null clears.
    void setTitles(const char* start, const char* end);
    // The text of the label of a value; tickLabelText in the base.
    virtual void labelText(char* out, u32 size, double value) const;

    COLORREF lineColour, tickColour, crossColour, titleColour, labelColour;
    char* titleStart = nullptr;
    char* titleEnd = nullptr;
    RECT titleStartRect{0, 0, 0, 0};
    RECT titleEndRect{0, 0, 0, 0};
    RECT labelRect{0, 0, 0, 0};
    double tickStep = 0.0;
    GraphPair crossAnchor;

private:
    void paintTicks(GSavedDC& dc, const RECT& clip);
    void paintLine(GSavedDC& dc, const RECT& clip);
    void paintTitles(GSavedDC& dc, GGraph& graph);
    void paintLabels(GSavedDC& dc, GGraph& graph, const RECT& clip);
};

// The widest text of a label's form: digits as '8', one '8' more.
void tickLabelMask(char* out, u32 size, double value, bool time);
// The label text of a value: "%.15G", or a time of the value in seconds.
void tickLabelText(char* out, u32 size, double value, bool time);
// The size of a text in the default interface font; tests replace it.
extern SIZE (*graphMeasureText)(const char* text);
SIZE graphTextExtent(const char* text, HDC dc);
