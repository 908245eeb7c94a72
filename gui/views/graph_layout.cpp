// Graph layout: content size, docked strips, scroll totals and insets, and placing the items.
#include <algorithm>
#include <cmath>

#include "gui/views/graph.h"

void computeGraphLayout(GGraph& graph) {
    for (u32 i = 0; i < graph.itemCount(); ++i) graph.itemAt(i)->prepare(graph);
    double minX = 1e100, minY = 1e100, maxX = -1e100, maxY = -1e100;
    double left = 0, top = 0, right = 0, bottom = 0;
    for (u32 i = 0; i < graph.itemCount(); ++i) {
        GGraphItem& item = *graph.itemAt(i);
        if (item.hidden()) continue;
        double s = item.scaleX, t = item.scaleY;
        double l = item.extentLeft.at(s), r = item.extentRight.at(s);
        double a = item.extentAbove.at(t), b = item.extentBelow.at(t);
        u32 d = item.dock();
        if (d == GraphDockLeft) {
            left = std::max(left, 1 + l + r);
        } else if (d == GraphDockRight) {
            right = std::max(right, 1 + l + r);
        } else {
            double x = std::floor(item.anchorX.at(s) + 0.5);
            minX = std::min(minX, x - l);
            if (x + r > maxX) maxX = x + r;
        }
        if (d == GraphDockTop) {
            top = std::max(top, a + b + 1);
        } else if (d == GraphDockBottom) {
            bottom = std::max(bottom, a + b + 1);
        } else {
            double y = std::floor(item.anchorY.at(t) + 0.5);
            minY = std::min(minY, y - a);
            if (y + b > maxY) maxY = y + b;
        }
    }
    // No floating extent: an empty content.
    if (minX > maxX) minX = maxX = 0;
    if (minY > maxY) minY = maxY = 0;
    minX = std::floor(minX);
    maxX = std::ceil(maxX);
    minY = std::floor(minY);
    maxY = std::ceil(maxY);
    graph.contentWidth = std::ceil(maxX - minX);
    graph.contentHeight = std::ceil(maxY - minY);
    graph.contentOffsetX = -minX;
    graph.contentOffsetY = -minY;
    auto total = [](double v) { return v < 9.2e18 ? (i64)v : (i64)9.2e18; };
    graph.horizontal.setTotal(total(graph.contentWidth));
    graph.vertical.setTotal(total(graph.contentHeight));
    graph.horizontal.leadingInset = (i32)(left + graph.border);
    graph.horizontal.trailingInset = (i32)(right + graph.border);
    graph.vertical.leadingInset = (i32)(top + graph.border);
    graph.vertical.trailingInset = (i32)(bottom + graph.border);
}

RECT plotAreaRect(const GGraph& graph) {
    RECT r;
    r.left = graph.horizontal.leadingInset;
    r.top = graph.vertical.leadingInset;
    r.right = r.left + graph.horizontal.page;
    r.bottom = r.top + graph.vertical.page;
    return r;
}

void GGraph::placeItems() {
    for (u32 i = 0; i < itemCount(); ++i) itemAt(i)->place(*this);
}
