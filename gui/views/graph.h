#pragma once
// GGraph ("GGraph", type 66): the scrolling window that owns and shows graph items, with its two
// scales, zoom commands and fits. Made by a pane or dialog and added to a layout; it deletes itself
// with its native window, and with itself every item and the saved view.
#include "core/arrays.h"
#include "gui/kernel/user_window.h"
#include "gui/views/graph_item.h"

const u32 TypeGraph = 66;

// The graph's commands.
enum : u32 {
    GraphScaleNormal = 169,
    GraphScalePlus = 170,
    GraphHScalePlus = 171,
    GraphScaleMinus = 172,
    GraphHScaleMinus = 173,
    GraphFitX = 174,
    GraphFitY = 175,
    GraphFitSelection = 176,
    GraphZoom = 177,
    GraphScaleMenu = 179,
};

// Notifications sent up the layout tree.
enum : u32 { GraphViewChanged = 5, GraphZoomModeChanged = 12 };

struct GGraphView {
    double scaleX = 1.0;
    double scaleY = 1.0;  // relative to normalScaleY
    u64 originX = 0, originY = 0;
    // Kept by zoom mode: the exact scaleY and the normal scale it was saved under (0: none).
    double absoluteScaleY = 0.0, normalAtSave = 0.0;
};

// The next zoom step up or down from a scale.
double nextScale(double scale, bool up);

class GGraph : public GUserImage {
public:
    explicit GGraph(GWindow* owner);
    ~GGraph() override;

    bool isKindOf(u32 id) const override { return id == TypeGraph || GUserImage::isKindOf(id); }
    const char* className() const override { return "GGraph"; }
    u32 typeId() const override { return TypeGraph; }

    bool create(u32 style, u32 exStyle = 0);
    void getPreferredSize(i32* width, i32* height) override;
    void paint(HDC dc, const RECT& update, bool erase) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    bool handleMouse(GInputEvent* event) override;
    i32 handleKey(GInputEvent* event) override;
    bool onSize(i32 width, i32 height) override;
    void onDestroy() override;
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    i32 commandChecked(u32 command) override;
    void onLayoutEvent(u32 kind) override;
    i32 acceptsFocus() override { return 1; }
    void setScrollState(const GScrollRange& h, const GScrollRange& v) override;

    // Owned from here on; painted last to first.
    void addItem(GGraphItem* item);
    GGraphItem* itemAt(u32 i) const { return items.at<GGraphItem>(i); }
    u32 itemCount() const { return items.count; }

    void placeItems();
    void setScale(double x, double y);
    void invalidateLayout();
    void applyView(const GGraphView& view);
    void setCurveRange(double xFrom, double yFrom, double xTo, double yTo);
    void scrollToValue(i32 item, double value);
    void scrollToRange(double from, double to);
    void fitX();
    void fitY();
    void fitToWindow();
    void zoomToSelection();
    void toggleZoom();
    bool zoomMode() const { return savedView != nullptr; }
    // The relayout between the two fits; subclasses add their own.
    virtual void relayout() { invalidateLayout(); }
    // The current selection of the current item; 0 and 0 in the base.
    virtual void selection(double* low, double* high) {
        *low = 0.0;
        *high = 0.0;
    }

    // Overlays.
    void drawHintBox(GSavedDC& dc, const char* text);
    void drawSelectionFrame(GSavedDC& dc, COLORREF colour);
    void drawXorLine(GSavedDC& dc, COLORREF colour, double value);
    void drawGridLine(GSavedDC& dc, double value, COLORREF colour, const char* label);
    void drawCurves(GSavedDC& dc, GGraphCurve& curve);

    double scaleX = 1.0, scaleY = 1.0;
    double minScaleX = 0.1, minScaleY = 0.1;
    double maxScaleX = 100.0, maxScaleY = 100.0;
    double normalScaleX = 1.0, normalScaleY = 1.0;
    bool scalable = true;
    PointerArray items;
    i32 preferredWidth = 0, preferredHeight = 0;
    COLORREF background;
    i32 currentItem = 0;
    i32 border = 0;
    GGraphView* savedView = nullptr;
    i32 dragCursor = 0;
    bool focusFrame = false;  // a focus rectangle while focused
    // Layout results (computeGraphLayout).
    double contentWidth = 0.0, contentHeight = 0.0;
    double contentOffsetX = 0.0, contentOffsetY = 0.0;

private:
    void afterScaleChange();
    void fitAlong(bool vertical);
    void notifyParents(u32 code);
    void scrollOriginBy(i64 dx);
    bool wheelZoom(i32 delta, u32 keys);
    void deleteItems();
};

// Prepares every item, measures the content and the docked strips, sets totals and insets.
void computeGraphLayout(GGraph& graph);
// The client area less the four strips.
RECT plotAreaRect(const GGraph& graph);
