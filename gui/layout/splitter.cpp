#include "gui/layout/splitter.h"

#include <algorithm>

#include "gui/layout/rect_list.h"
#include "gui/paint/colors.h"
#include "gui/paint/saved_dc.h"

// ---- item ----

GSplitterItem::GSplitterItem(GWindow* owner, bool vertical, i32 sizeA, i32 sizeB)
    : GLayoutItem(owner), sizeA(sizeA), sizeB(sizeB), vertical(vertical) {
    children.assign(3, nullptr);
    bar = new GSplitter(owner, this);
    insertChild(1, bar);
    if (owner && owner->hwnd) bar->create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
}

void GSplitterItem::addChild(GLayoutCell* child) {
    insertChild(added++ == 0 ? 0 : 2, child);
}

void GSplitterItem::removeChild(GLayoutCell* child) {
    if (child == bar) bar = nullptr;
    GLayoutItem::removeChild(child);
}

i32 GSplitterItem::extentAlong(GLayoutCell* cell) {
    if (!cell) return 0;
    i32 w, h;
    preferredSizeOf(cell, &w, &h);
    return vertical ? h : w;
}

GSplitterItem::Extents GSplitterItem::splitExtents(i32 length) {
    Extents e{0, 0, 0};
    GLayoutCell* p1 = pane1();
    GLayoutCell* p2 = pane2();
    if (!p1) {
        e.pane2 = length;
        return e;
    }
    if (!p2) {
        e.pane1 = length;
        return e;
    }
    i32 barExtent = bar ? extentAlong(bar) : 0;
    if (length <= barExtent) {
        e.bar = length;
        return e;
    }
    e.bar = barExtent;
    i32 avail = length - barExtent;
    i32 a = sizeA > 0 ? sizeA : extentAlong(p1);
    i32 b = sizeB > 0 ? sizeB : extentAlong(p2);
    if (sizeA >= 0 && sizeB >= 0 && (i64)a + b > 0) {
        e.pane1 = (i32)((i64)avail * a / ((i64)a + b));
    } else if (sizeA >= 0 && sizeB < 0) {
        e.pane1 = avail - b;
    } else if (sizeA < 0 && sizeB >= 0) {
        e.pane1 = a;
    } else {
        // Both free, or two proportions of nothing: halves.
        e.pane1 = avail / 2;
    }
    e.pane2 = avail - e.pane1;
    return e;
}

void GSplitterItem::getPreferredSize(i32* width, i32* height) {
    i32 along = 0, across = 0;
    bool both = pane1() && pane2();
    for (int i = 0; i < 3; ++i) {
        GLayoutCell* child = childAt(i);
        if (!child || (i == 1 && !both)) continue;
        i32 w, h;
        preferredSizeOf(child, &w, &h);
        along += vertical ? h : w;
        across = std::max(across, vertical ? w : h);
    }
    *width = (vertical ? across : along) + digits[0] + digits[1];
    *height = (vertical ? along : across) + digits[2] + digits[3];
}

void GSplitterItem::setRect(const RECT& r) {
    rect = r;
    RECT box = insetRect(r, digits[0], digits[2], digits[1], digits[3]);
    LONG left = box.left, right = box.right, top = box.top, bottom = box.bottom;
    Extents e = splitExtents(vertical ? bottom - top : right - left);
    i32 sizes[3] = {e.pane1, e.bar, e.pane2};
    LONG edge = vertical ? top : left;
    for (int i = 0; i < 3; ++i) {
        RECT slice = vertical ? RECT{left, edge, right, edge + sizes[i]} : RECT{edge, top, edge + sizes[i], bottom};
        edge += sizes[i];
        if (GLayoutCell* child = childAt(i)) placeCellAligned(child, slice, '*', '*');
    }
}

void GSplitterItem::moveSplit(i32 delta) {
    Extents e = splitExtents(vertical ? rect.bottom - rect.top : rect.right - rect.left);
    sizeA = std::max(e.pane1 + delta, 0);
    sizeB = std::max(e.pane2 - delta, 0);
    applyLayoutChange(this, rect);
    GControlNotification notification{this, kSplitMoved, 0};
    notifyUp(this, &notification);
}

void GSplitterItem::barMovedTo(i32 position) {
    if (!bar) return;
    moveSplit(position - (vertical ? bar->rect.top : bar->rect.left));
}

void GSplitterItem::readState(GBag& bag) {
    u32 a, b;
    bagReadU32(bag, &a);
    bagReadU32(bag, &b);
    sizeA = (i32)a;
    sizeB = (i32)b;
    applyLayoutChange(this, rect);
}

void GSplitterItem::writeState(GBag& bag) const {
    bagWriteU32(bag, (u32)sizeA);
    bagWriteU32(bag, (u32)sizeB);
}

// ---- bar ----

GSplitter::GSplitter(GWindow* owner, GSplitterItem* item) : GUserWindow(owner), item(item) { setOrientation(true); }

void GSplitter::setOrientation(bool lr) {
    if (lr == leftRight && cursor) return;
    leftRight = lr;
    cursor = LoadCursorA(nullptr, (LPCSTR)(uintptr_t)(lr ? 32644 : 32645));
}

bool GSplitter::onSetCursor() {
    SetCursor(cursor);
    return true;
}

void GSplitter::paint(HDC dc, const RECT&, bool) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (rectEmpty(client)) return;
    fillRectSolid(dc, client, toolkitColors.background);
    // Two shaded lines along the middle of the bar.
    fillRectSolid(dc, leftRight ? RECT{2, 0, 3, client.bottom} : RECT{0, 2, client.right, 3}, toolkitColors.lightShade);
    fillRectSolid(dc, leftRight ? RECT{3, 0, 4, client.bottom} : RECT{0, 3, client.right, 4}, toolkitColors.darkShade);
}

i32 GSplitter::barPosition(i32 x, i32 y) {
    RECT r;
    GetWindowRect(hwnd, &r);
    POINT corner{r.left, r.top};
    ScreenToClient(owner->hwnd, &corner);
    if (leftRight) return std::max(limits.left, std::min((LONG)(corner.x + x), limits.right)) - grabOffset;
    return std::max(limits.top, std::min((LONG)(corner.y + y), limits.bottom)) - grabOffset;
}

void GSplitter::drawLine(i32 x, i32 y) {
    RECT r;
    GetWindowRect(hwnd, &r);
    i32 w = r.right - r.left, h = r.bottom - r.top;
    if (w == 0 || h == 0 || !owner || !owner->hwnd) return;
    POINT corner{r.left, r.top};
    ScreenToClient(owner->hwnd, &corner);
    i32 at = barPosition(x, y);
    RECT line = leftRight ? RECT{at, corner.y, at + w, corner.y + h} : RECT{corner.x, at, corner.x + w, at + h};
    // Over the panes too: the owner's child windows are not clipped out.
    HDC window = GetDCEx(owner->hwnd, nullptr, DCX_CACHE);
    ShowCursor(FALSE);
    {
        GSavedDC dc(window);
        SetROP2(window, R2_XORPEN);
        dc.selectPen(toolkitColors.darkShade);
        dc.selectSolidBrush(toolkitColors.darkShade);
        Rectangle(window, line.left, line.top, line.right, line.bottom);
    }
    ShowCursor(TRUE);
    ReleaseDC(owner->hwnd, window);
}

void GSplitter::dragBegin(i32 x, i32 y) {
    grabOffset = leftRight ? x : y;
    // The leading edge may go from the start of the item's content to where the bar still fits.
    RECT box = item ? item->rect : rect;
    RECT own;
    GetClientRect(hwnd, &own);
    limits = RECT{box.left + grabOffset, box.top + grabOffset, box.right - own.right + grabOffset,
                  box.bottom - own.bottom + grabOffset};
    lastX = x;
    lastY = y;
    dragging = true;
    drawLine(x, y);
}

void GSplitter::dragMove(i32 oldX, i32 oldY, i32 x, i32 y) {
    if (oldX == x && oldY == y) return;
    drawLine(oldX, oldY);
    drawLine(x, y);
    lastX = x;
    lastY = y;
}

void GSplitter::dragEnd(i32 x, i32 y, i32 finalX, i32 finalY) {
    drawLine(x, y);
    dragging = false;
    if (item) item->barMovedTo(barPosition(finalX, finalY));
}

void GSplitter::dragCancel(i32 x, i32 y) {
    drawLine(x, y);
    dragging = false;
}

bool GSplitter::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    i32 x = (i16)LOWORD(lParam), y = (i16)HIWORD(lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
        SetCapture(hwnd);
        dragBegin(x, y);
        *result = 0;
        return true;
    case WM_MOUSEMOVE:
        if (!dragging) return false;
        dragMove(lastX, lastY, x, y);
        *result = 0;
        return true;
    case WM_LBUTTONUP:
        if (!dragging) return false;
        dragEnd(lastX, lastY, x, y);  // the item may re-arrange (and move) this bar
        if (GetCapture() == hwnd) ReleaseCapture();
        *result = 0;
        return true;
    case WM_KEYDOWN:
        if (!dragging || wParam != VK_ESCAPE) return false;
        dragCancel(lastX, lastY);
        if (GetCapture() == hwnd) ReleaseCapture();
        *result = 0;
        return true;
    case WM_CAPTURECHANGED:
        if (dragging) dragCancel(lastX, lastY);
        return false;
    case WM_SETCURSOR:
        if (onSetCursor()) {
            *result = 1;
            return true;
        }
        return false;
    default:
        return GUserWindow::handleMessage(message, wParam, lParam, result);
    }
}
