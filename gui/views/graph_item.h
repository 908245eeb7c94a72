#pragma once
// The items a GGraph shows: GGraphItem (a value extent placed by {pixels, factor} pairs),
// GGraphRangeItem (claims an extent, draws nothing), GGraphCurve (one value or one low/high pair
// per column) and GGraphPointCurve ((x, y) points). The graph's item array owns them and deletes
// them with itself.
#include <windows.h>

#include <vector>

#include "core/types.h"

class GGraph;
class GSavedDC;

// A position: factor x scale + pixels, with the scale of its own direction.
struct GraphPair {
    i32 pixels = 0;
    double factor = 0.0;
    double at(double scale) const { return factor * scale + pixels; }
};

// GGraphItem::flags shared by every item.
enum : u32 {
    GraphHidden = 0x3,
    GraphDockMask = 0x1C,
    GraphDockLeft = 0x04,
    GraphDockTop = 0x08,
    GraphDockRight = 0x0C,
    GraphDockBottom = 0x10,
    GraphDockWhole = 0x14,  // floating, painted over the whole window
};

// Curve drawing styles and pair mode.
enum : u32 {
    CurveMarkers = 0x20,
    CurveStems = 0x40,
    CurveLine = 0x80,
    CurvePairs = 0x300,
};

// Every coordinate handed to drawing stays within this.
const i32 kGraphPixelLimit = 10000;

class GGraphItem {
public:
    GGraphItem() = default;
    GGraphItem(const GGraphItem&) = delete;
    GGraphItem& operator=(const GGraphItem&) = delete;

    virtual void prepare(GGraph& graph);
    virtual void place(GGraph& graph);
    virtual ~GGraphItem() = default;
    virtual void paint(GSavedDC& /*dc*/, GGraph& /*graph*/, const RECT& /*clip*/) {}
    virtual bool isRuler() const { return false; }
    virtual bool isData() const { return false; }
    virtual void valueRangeY(double* low, double* high);
    virtual void valueRangeX(double* low, double* high);

    bool hidden() const { return (flags & GraphHidden) != 0; }
    u32 dock() const { return flags & GraphDockMask; }

    i32 valueToPixelX(double v) const;
    i32 valueToPixelY(double v) const;
    i32 anchorPixelX() const;
    i32 anchorPixelY() const;
    double pixelToValueX(double p) const;
    double pixelToValueY(double p) const;

    GraphPair anchorX, anchorY, extentLeft, extentAbove, extentRight, extentBelow;
    double zoomX = 1.0, zoomY = 1.0;
    u32 flags = 0;
    double pixelX = 0.0, pixelY = 0.0;
    double scaleX = 1.0, scaleY = 1.0;
};

// -10000 below -10000, 10000 above 10000, else floor(v + 0.5).
i32 graphClamp(double v);
// floor(scaleX x v + pixelX), not clamped.
i64 graphLinearPixel(const GGraphItem& item, double v);

// An i32 array resized without keeping its content: a new capacity frees and allocates.
struct GraphIntArray {
    i32* data = nullptr;
    u32 capacity = 0;
    u32 count = 0;
    ~GraphIntArray() { delete[] data; }
};
void resizeGraphIntArray(GraphIntArray& array, u32 n);
// Bisection over records sorted by an f64 key: the index of an equal key (found), or where the key
// would be inserted.
i32 graphSearchByKey(void* const* records, i32 count, double (*keyOf)(const void* record), double key, bool* found);

class GGraphRangeItem : public GGraphItem {
public:
    GGraphRangeItem();
    bool isData() const override { return true; }
    COLORREF colour;
};

class GGraphCurve : public GGraphRangeItem {
public:
    void place(GGraph& graph) override;
    void paint(GSavedDC& dc, GGraph& graph, const RECT& clip) override;
    void valueRangeY(double* low, double* high) override;
    virtual double valueAt(i32 /*column*/) { return 0.0; }
    virtual const float* valueBuffer() { return nullptr; }
    virtual void rangeAt(i32 /*column*/, float* low, float* high) { *low = *high = 0.0f; }
    virtual const float* rangeBuffer() { return nullptr; }

    // The value shown in pixel column i (one value or more per pixel).
    double valueAtColumn(i32 i) const;

    double firstValue = 0.0, lastValue = 0.0;
    i32 firstPixel = 0, lastPixel = 0;
    i32 columnCount = 0;
};

class GGraphPointCurve : public GGraphRangeItem {
public:
    void paint(GSavedDC& dc, GGraph& graph, const RECT& clip) override;
    void valueRangeY(double* low, double* high) override;
    void valueRangeX(double* low, double* high) override;
    virtual void pointAt(i32 i, double* x, double* y) = 0;
    // The first point at or before the value; negative when none.
    virtual i32 findPoint(double value) = 0;

    i32 pointCount = 0;

private:
    // Stems or markers (CurveStems, CurveMarkers without CurveLine), one per pixel column, from
    // point i to the last at or before the value.
    void paintColumns(GSavedDC& dc, i32 i, double to);
    std::vector<POINT> columnMarks;
};
