#include "gui/views/graph.h"

#include <algorithm>
#include <cmath>

#include "gui/input/input_event.h"
#include "gui/input/system_input.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_boxes.h"
#include "gui/layout/layout_cell.h"
#include "gui/layout/sized_box.h"
#include "gui/paint/colors.h"

double nextScale(double scale, bool up) {
    if (!(scale > 0) || !std::isfinite(scale)) return scale;
    static const double mantissas[] = {0.75, 1, 1.5, 2, 2.5, 3, 4, 5, 7.5, 10, 15};
    double b = std::pow(10.0, std::floor(std::log10(scale)));
    if (up) {
        for (double m : mantissas)
            if (m * b - b / 100 > scale) return m * b;
        return 15 * b;
    }
    for (i32 i = (i32)(sizeof mantissas / sizeof mantissas[0]); i-- > 0;)
        if (mantissas[i] * b + b / 100 < scale) return mantissas[i] * b;
    return 0.75 * b;
}

GGraph::GGraph(GWindow* owner) : GUserImage(owner), background(toolkitColors.window) {
    const RECT& area = primaryWorkArea();
    preferredWidth = (area.right - area.left) / 4;
    preferredHeight = (area.bottom - area.top) / 4;
}

GGraph::~GGraph() {
    deleteItems();
    destroyNative();
}

void GGraph::deleteItems() {
    for (u32 i = 0; i < items.count; ++i) delete itemAt(i);
    arrayFree(items);
}

bool GGraph::create(u32 style, u32 exStyle) {
    if (!GUserImage::create(0, 0, style, exStyle)) return false;
    invalidateLayout();
    return true;
}

void GGraph::getPreferredSize(i32* width, i32* height) {
    *width = preferredWidth;
    *height = preferredHeight;
}

void GGraph::addItem(GGraphItem* item) { appendSlot(items, item); }

void GGraph::setScrollState(const GScrollRange& h, const GScrollRange& v) {
    GUserImage::setScrollState(h, v);
    placeItems();
}

bool GGraph::onSize(i32, i32) {
    invalidateLayout();
    return false;
}

void GGraph::invalidateLayout() {
    computeGraphLayout(*this);
    GScrollRange h = horizontal, v = vertical;
    setScrollState(h, v);
    if (hwnd) invalidate();
}

void GGraph::onDestroy() {
    delete savedView;
    savedView = nullptr;
    if (hwnd && GetCapture() == hwnd) ReleaseCapture();
    GUserImage::onDestroy();
}

void GGraph::notifyParents(u32 code) {
    // Under the redraw lock a view change is recorded and sent at the release.
    if (code == GraphViewChanged) {
        markDirty(GraphViewChanged);
        return;
    }
    GControlNotification n;
    n.source = this;
    n.code = code;
    notifyUp(this, &n);
}

void GGraph::onLayoutEvent(u32 kind) {
    if (kind != GraphViewChanged) return;
    GControlNotification n;
    n.source = this;
    n.code = kind;
    notifyUp(this, &n);
}

void GGraph::afterScaleChange() {
    invalidateLayout();
    notifyParents(GraphViewChanged);
}

void GGraph::setScale(double x, double y) {
    if (!scalable) return;
    x = std::max(std::min(x, maxScaleX), minScaleX);
    y = std::max(std::min(y, maxScaleY), minScaleY);
    bool changedX = std::fabs(x - scaleX) >= 1e-100, changedY = std::fabs(y - scaleY) >= 1e-100;
    if (!changedX && !changedY) return;
    RECT client{0, 0, 0, 0};
    POINT p{-1, -1};
    if (hwnd) {
        GetClientRect(hwnd, &client);
        systemInput.cursorPos(&p);
        ScreenToClient(hwnd, &p);
    }
    if (p.x < 0 || p.x >= client.right) p.x = client.right / 2;
    if (p.y < 0 || p.y >= client.bottom) p.y = client.bottom / 2;
    GGraphItem* anchor = nullptr;
    i32 best = -1;
    for (u32 i = 0; i < itemCount(); ++i) {
        GGraphItem* item = itemAt(i);
        i32 score = item->hidden() ? 0 : 1;
        double vy = (item->pixelY - p.y) / item->scaleY, vx = (p.x - item->pixelX) / item->scaleX;
        if (vy >= -item->extentBelow.factor && vy <= item->extentAbove.factor) score += 2;
        if (vx >= -item->extentLeft.factor && vx <= item->extentRight.factor) score += 2;
        if (item->isData()) score += 3;
        if (score > best) {
            best = score;
            anchor = item;
        }
    }
    double valueX = 0, valueY = 0;
    if (anchor) {
        valueX = (p.x - anchor->pixelX) / anchor->scaleX;
        valueY = (anchor->pixelY - p.y) / anchor->scaleY;
    }
    scaleX = x;
    scaleY = y;
    if (anchor) {
        computeGraphLayout(*this);
        GScrollRange h = horizontal, v = vertical;
        setScrollState(h, v);
        auto moved = [](double d) { return std::isfinite(d) ? (i64)std::floor(d + 0.5) : 0; };
        if (changedX) h.setPosition(h.origin + moved(valueX * anchor->scaleX + anchor->pixelX - p.x));
        if (changedY) v.setPosition(v.origin + moved(anchor->pixelY - valueY * anchor->scaleY - p.y));
        setScrollState(h, v);
    }
    afterScaleChange();
}

void GGraph::setCurveRange(double xFrom, double yFrom, double xTo, double yTo) {
    for (u32 i = 0; i < itemCount(); ++i) {
        GGraphItem* item = itemAt(i);
        item->extentLeft.factor = -xFrom;
        item->extentBelow.factor = -yFrom;
        item->extentRight.factor = xTo;
        item->extentAbove.factor = yTo;
    }
}

void GGraph::scrollOriginBy(i64 dx) {
    GScrollRange h = horizontal, v = vertical;
    h.setPosition(h.origin + dx);
    setScrollState(h, v);
}

void GGraph::scrollToValue(i32 index, double value) {
    if (index < 0 || (u32)index >= itemCount()) return;
    i64 p = graphLinearPixel(*itemAt((u32)index), value);
    i64 L = horizontal.leadingInset, page = horizontal.page, R = L + page;
    if (p < L)
        scrollOriginBy((p - 10) - L);
    else if (p >= R)
        scrollOriginBy((p - page + 10) - L);
}

void GGraph::scrollToRange(double from, double to) {
    if (!itemCount()) return;
    GGraphItem& item = *itemAt(0);
    i64 p1 = graphLinearPixel(item, from), p2 = graphLinearPixel(item, to);
    i64 L = horizontal.leadingInset, page = horizontal.page, R = L + page;
    if (p1 >= R - 10) {
        i64 d = p1 - L;
        if (p2 - p1 < page) d -= (page - (p2 - p1)) / 2;
        scrollOriginBy(d);
    } else if (p2 < L + 10) {
        if (p2 - p1 >= page)
            scrollOriginBy(p2 - L - (page - 1));
        else
            scrollOriginBy(p1 - L - (page - (p2 - p1)) / 2);
    }
}

void GGraph::applyView(const GGraphView& view) {
    scaleX = view.scaleX;
    if (view.normalAtSave != 0 && view.normalAtSave == normalScaleY)
        scaleY = view.absoluteScaleY;
    else
        scaleY = normalScaleY != 0 ? view.scaleY * normalScaleY : view.scaleY;
    computeGraphLayout(*this);
    GScrollRange h = horizontal, v = vertical;
    setScrollState(h, v);
    h = horizontal;
    v = vertical;
    h.setPosition((i64)view.originX);
    v.setPosition((i64)view.originY);
    setScrollState(h, v);
    invalidateLayout();
    notifyParents(GraphViewChanged);
}

void GGraph::toggleZoom() {
    if (!savedView) {
        reportErrorOnce(1, guiText(GuiText::GraphZoomHint));
        savedView = new GGraphView;
        savedView->scaleX = scaleX;
        savedView->scaleY = normalScaleY != 0 ? scaleY / normalScaleY : scaleY;
        savedView->originX = (u64)horizontal.origin;
        savedView->originY = (u64)vertical.origin;
        savedView->absoluteScaleY = scaleY;
        savedView->normalAtSave = normalScaleY;
    } else {
        GGraphView view = *savedView;
        delete savedView;
        savedView = nullptr;
        applyView(view);
    }
    notifyParents(GraphZoomModeChanged);
}

bool GGraph::wheelZoom(i32 delta, u32 keys) {
    keys &= MK_SHIFT | MK_CONTROL | MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;
    bool up = delta > 0;
    if (keys == MK_SHIFT) {
        setScale(scaleX, nextScale(scaleY, up));
        return true;
    }
    if (keys == (MK_SHIFT | MK_CONTROL) || zoomMode()) {
        setScale(nextScale(scaleX, up), scaleY);
        return true;
    }
    return false;
}

bool GGraph::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message == WM_MOUSEWHEEL && wheelZoom((i16)HIWORD(wParam), LOWORD(wParam))) {
        *result = 0;
        return true;
    }
    if (message == WM_COMMAND && !lParam) {
        GStateQuery query{LOWORD(wParam), 0};
        if (answerStateQuery(QueryExecute, &query)) {
            *result = 0;
            return true;
        }
    }
    return GUserImage::handleMessage(message, wParam, lParam, result);
}

bool GGraph::handleMouse(GInputEvent* event) {
    if (event->isPress() && event->button == ButtonMiddle) toggleZoom();
    return GUserImage::handleMouse(event);
}

i32 GGraph::handleKey(GInputEvent* event) {
    if (!event->mouse && event->kind == KeyDown && event->key == VK_ESCAPE && zoomMode()) {
        toggleZoom();
        return 2;
    }
    return GUserImage::handleKey(event);
}
