// The graph's actions, their states, and the fits.
#include <algorithm>
#include <cmath>

#include "gui/kernel/gui_texts.h"
#include "gui/menus/action_table.h"
#include "gui/views/graph.h"

namespace {
struct GraphActionName {
    u32 id;
    const char* name;
    u32 image;
    GuiText title;
};
const GraphActionName kGraphActions[] = {
    {GraphScaleNormal, "GGraph_SCALE_NORMAL", 9096, GuiText::GraphScaleNormal},
    {GraphScalePlus, "GGraph_SCALE_PLUS", 9092, GuiText::GraphScalePlus},
    {GraphHScalePlus, "GGraph_HSCALE_PLUS", 9094, GuiText::GraphHScalePlus},
    {GraphScaleMinus, "GGraph_SCALE_MINUS", 9093, GuiText::GraphScaleMinus},
    {GraphHScaleMinus, "GGraph_HSCALE_MINUS", 9095, GuiText::GraphHScaleMinus},
    {GraphFitX, "GGraph_FIT_TO_WINDOW_X", 9090, GuiText::GraphFitX},
    {GraphFitY, "GGraph_FIT_TO_WINDOW_Y", 9091, GuiText::GraphFitY},
    {GraphFitSelection, "GGraph_FIT_TO_SELECTION", 9098, GuiText::GraphFitSelection},
    {GraphZoom, "GGraph_ZOOM", 9099, GuiText::GraphZoom},
    {GraphScaleMenu, "GGraph_SCALE_MENU", 9097, GuiText::GraphScaleMenu},
};
const i32 kGraphActionCount = (i32)(sizeof kGraphActions / sizeof kGraphActions[0]);
// -1 is a separator.
const i32 kScaleMenuItems[] = {GraphScalePlus, GraphScaleMinus, GraphHScalePlus, GraphHScaleMinus, GraphScaleNormal, -1,
                               GraphFitX,      GraphFitY,       GraphFitSelection, -1,            GraphZoom};

GActionItem graphActions[kGraphActionCount];

struct GraphActionRegistrar {
    GraphActionRegistrar() {
        for (i32 i = 0; i < kGraphActionCount; ++i) {
            GActionItem& a = graphActions[i];
            a.id = kGraphActions[i].id;
            a.keyName = kGraphActions[i].name;
            a.bitmapId = kGraphActions[i].image;
            a.title = const_cast<char**>(&kxguiTexts[(u32)kGraphActions[i].title]);
            if (a.id == GraphScaleMenu) {
                a.flags = ActionPopup;
                a.subItems = kScaleMenuItems;
                a.subItemCount = (i32)(sizeof kScaleMenuItems / sizeof kScaleMenuItems[0]);
            }
            registerAction(&a);
        }
    }
} graphActionRegistrar;

// A docked width or height and a data span, each as pixels plus a factor of the scale.
struct Span {
    double pixels = 0, factor = 0;
};

// What a fit along one direction finds over the visible items.
struct FitExtent {
    double dockedPixels = 0, dockedFactors = 0;
    bool any = false;
    Span start, end;
    GGraphItem* first = nullptr;
};

FitExtent measureFit(GGraph& g, bool vertical) {
    FitExtent f;
    Span lead, trail;
    u32 dockLead = vertical ? GraphDockTop : GraphDockLeft, dockTrail = vertical ? GraphDockBottom : GraphDockRight;
    for (u32 i = 0; i < g.itemCount(); ++i) {
        GGraphItem& item = *g.itemAt(i);
        if (item.hidden()) continue;
        double zoom = vertical ? item.zoomY : item.zoomX;
        double scale = vertical ? g.scaleY : g.scaleX;
        if (item.dock() == dockLead || item.dock() == dockTrail) {
            Span s;
            s.pixels = vertical ? item.extentAbove.pixels + 1 + item.extentBelow.pixels
                                : item.extentLeft.pixels + 1 + item.extentRight.pixels;
            s.factor = (vertical ? item.extentAbove.factor + item.extentBelow.factor
                                 : item.extentLeft.factor + item.extentRight.factor) * zoom;
            Span& widest = item.dock() == dockLead ? lead : trail;
            if (s.pixels + s.factor * scale > widest.pixels + widest.factor * scale) widest = s;
            continue;
        }
        if (!item.isData()) continue;
        double low, high;
        if (vertical) {
            item.valueRangeY(&low, &high);
            low = std::min(low, 0.0);
            high = std::max(high, 0.0);
        } else {
            item.valueRangeX(&low, &high);
        }
        const GraphPair& anchor = vertical ? item.anchorY : item.anchorX;
        // Vertically the data runs from its high end (top) down to its low end.
        Span s{(double)anchor.pixels, (anchor.factor + (vertical ? -high : low)) * zoom};
        Span e{(double)anchor.pixels, (anchor.factor + (vertical ? -low : high)) * zoom};
        if (!f.any || s.pixels + s.factor * scale < f.start.pixels + f.start.factor * scale) {
            f.start = s;
            f.first = &item;
        }
        if (!f.any || e.pixels + e.factor * scale > f.end.pixels + f.end.factor * scale) f.end = e;
        f.any = true;
    }
    f.dockedPixels = lead.pixels + trail.pixels;
    f.dockedFactors = lead.factor + trail.factor;
    return f;
}
}  // namespace

void GGraph::fitX() { fitAlong(false); }
void GGraph::fitY() { fitAlong(true); }

void GGraph::fitAlong(bool isVertical) {
    GScrollRange& range = isVertical ? vertical : horizontal;
    if (!scalable || range.page <= 1 || !hwnd) return;
    FitExtent f = measureFit(*this, isVertical);
    RECT client;
    GetClientRect(hwnd, &client);
    double factors = f.dockedFactors + (f.any ? f.end.factor - f.start.factor : 0);
    double room = (isVertical ? client.bottom : client.right) - f.dockedPixels - 2.0 * border -
                  (f.any ? f.end.pixels - f.start.pixels : 0);
    double& scale = isVertical ? scaleY : scaleX;
    if (room > 4 && factors != 0)
        scale = std::max(std::min((room - 4) / factors, isVertical ? maxScaleY : maxScaleX), isVertical ? minScaleY : minScaleX);
    invalidateLayout();
    if (f.first) {
        // The start of the data (its high end, vertically) to the leading edge.
        double low, high, start;
        if (isVertical) {
            f.first->valueRangeY(&low, &high);
            start = f.first->pixelY - std::max(high, 0.0) * f.first->scaleY;
        } else {
            f.first->valueRangeX(&low, &high);
            start = f.first->pixelX + low * f.first->scaleX;
        }
        GScrollRange h = horizontal, v = vertical;
        GScrollRange& moved = isVertical ? v : h;
        moved.setPosition(moved.origin + (i64)std::floor(start) - moved.leadingInset);
        setScrollState(h, v);
    }
    notifyParents(GraphViewChanged);
}

void GGraph::fitToWindow() {
    fitX();
    relayout();
    fitY();
}

void GGraph::zoomToSelection() {
    if (!scalable || horizontal.page <= 1 || currentItem < 0 || (u32)currentItem >= itemCount()) return;
    double low, high;
    selection(&low, &high);
    double saved = scaleX;
    scaleX = 1.0;
    invalidateLayout();
    GGraphItem& item = *itemAt((u32)currentItem);
    i64 p1 = graphLinearPixel(item, low), p2 = graphLinearPixel(item, high);
    if (p2 <= p1) {
        scaleX = saved;
        invalidateLayout();
        return;
    }
    scaleX = std::max(std::min((double)horizontal.page / (double)(p2 - p1), maxScaleX), minScaleX);
    invalidateLayout();
    scrollOriginBy(graphLinearPixel(item, low) - horizontal.leadingInset);
    notifyParents(GraphViewChanged);
}

bool GGraph::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case GraphScaleNormal: setScale(normalScaleX, normalScaleY); return true;
    case GraphScalePlus:
    case GraphScaleMinus: setScale(scaleX, nextScale(scaleY, command == GraphScalePlus)); return true;
    case GraphHScalePlus:
    case GraphHScaleMinus: setScale(nextScale(scaleX, command == GraphHScalePlus), scaleY); return true;
    case GraphFitX: fitX(); return true;
    case GraphFitY: fitY(); return true;
    case GraphFitSelection: zoomToSelection(); return true;
    case GraphZoom: toggleZoom(); return true;
    default: return GUserImage::onCommand(command, query);
    }
}

i32 GGraph::commandState(u32 command) {
    auto disabledIf = [](bool off) { return off ? CommandDisabled : CommandEnabled; };
    switch (command) {
    case GraphScaleNormal: return disabledIf(!scalable || (scaleX == normalScaleX && scaleY == normalScaleY));
    case GraphScalePlus: return disabledIf(!scalable || scaleY >= maxScaleY);
    case GraphScaleMinus: return disabledIf(!scalable || scaleY <= minScaleY);
    case GraphHScalePlus: return disabledIf(!scalable || scaleX >= maxScaleX);
    case GraphHScaleMinus: return disabledIf(!scalable || scaleX <= minScaleX);
    case GraphFitX: return disabledIf(!scalable || minScaleX == maxScaleX);
    case GraphFitY: return disabledIf(!scalable || minScaleY == maxScaleY);
    case GraphFitSelection: {
        double low, high;
        selection(&low, &high);
        return disabledIf(!scalable || !(low < high));
    }
    case GraphZoom: return disabledIf(!scalable);
    case 178:
    case GraphScaleMenu: return CommandEnabled;
    default: return GUserImage::commandState(command);
    }
}

i32 GGraph::commandChecked(u32 command) {
    if (command == GraphZoom) return zoomMode() ? 1 : 0;
    return GUserImage::commandChecked(command);
}
