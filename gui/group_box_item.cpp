#include "gui/group_box_item.h"

#include <algorithm>

#include "gui/colors.h"
#include "gui/draw_text.h"
#include "gui/rect_list.h"
#include "gui/text_measure.h"

GGroupBox::GGroupBox(GWindow* owner, const char* caption) : GUserWindow(owner) {
    stringAssignText(this->caption, caption ? caption : "");
}

i32 GGroupBox::captionHeight() {
    if (caption.length == 0) return 0;
    return textExtent(getMessageFont(), caption.data).cy;
}

void GGroupBox::getPreferredSize(i32* width, i32* height) {
    SIZE s = caption.length ? textExtent(getMessageFont(), caption.data) : SIZE{0, 0};
    *width = s.cx + 16;
    *height = s.cy;
}

RECT GGroupBox::innerRect(const RECT& outer) {
    i32 caption = captionHeight();
    return insetRect(outer, 2, caption ? caption : 2, 2, 2);
}

bool GGroupBox::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message == WM_NCHITTEST) {
        *result = HTTRANSPARENT;
        return true;
    }
    if (message == WM_SIZE) {
        RECT client{0, 0, LOWORD(lParam), HIWORD(lParam)};
        RECT inner = innerRect(client);
        HRGN band = CreateRectRgnIndirect(&client);
        HRGN hole = CreateRectRgnIndirect(&inner);
        CombineRgn(band, band, hole, RGN_DIFF);
        DeleteObject(hole);
        SetWindowRgn(hwnd, band, TRUE);  // the window owns the region
    }
    return GUserWindow::handleMessage(message, wParam, lParam, result);
}

void GGroupBox::removeCoveredArea(RectangleList& area) {
    RECT inner = innerRect(rect);
    area.subtract(RECT{rect.left, rect.top, rect.right, inner.top});
    area.subtract(RECT{rect.left, inner.bottom, rect.right, rect.bottom});
    area.subtract(RECT{rect.left, inner.top, inner.left, inner.bottom});
    area.subtract(RECT{inner.right, inner.top, rect.right, inner.bottom});
}

void GGroupBox::paint(HDC dc, const RECT&, bool) {
    RECT client;
    GetClientRect(hwnd, &client);
    fillRectSolid(dc, client, toolkitColors.background);
    i32 ch = captionHeight();
    RECT frameRect = client;
    frameRect.top += ch / 2;
    DrawEdge(dc, &frameRect, EDGE_ETCHED, BF_RECT);
    if (!ch) return;
    SelectObject(dc, getMessageFont()->font);
    SetBkColor(dc, toolkitColors.background);
    SetTextColor(dc, toolkitColors.text);
    SetBkMode(dc, OPAQUE);
    RECT text{client.left + 8, client.top, client.right - 4, client.top + ch};
    drawTextW(dc, &text, caption.data, -1, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX);
}

GGroupBoxItem::GGroupBoxItem(GWindow* owner, const char* caption) : GLayoutItem(owner) {
    static const u8 defaults[8] = {0, 8, 8, 0, 0, 4, 8, 0};
    std::copy(defaults, defaults + 8, digits);
    children.assign(2, nullptr);
    frame = new GGroupBox(owner, caption);
    insertChild(0, frame);
    if (owner && owner->hwnd) frame->create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
}

GGroupBoxItem::~GGroupBoxItem() {
    for (int i = 1; i >= 0; --i)
        if (GLayoutCell* child = childAt(i)) deleteChildCell(child);
}

void GGroupBoxItem::addChild(GLayoutCell* child) { insertChild(1, child); }

void GGroupBoxItem::getPreferredSize(i32* width, i32* height) {
    i32 bw = 0, bh = 0, cw = 0, ch = 0;
    if (GLayoutCell* box = childAt(0)) preferredSizeOf(box, &bw, &bh);
    if (GLayoutCell* content = childAt(1)) preferredSizeOf(content, &cw, &ch);
    *width = digits[0] + digits[3] + std::max(cw + digits[1] + digits[2], bw) + 4;
    *height = digits[4] + digits[5] + ch + digits[6] + digits[7] + bh + 2;
}

void GGroupBoxItem::setRect(const RECT& r) {
    rect = r;
    RECT outer = insetRect(r, digits[0], digits[4], digits[3], digits[7]);
    GLayoutCell* box = childAt(0);
    if (box) placeCellAligned(box, outer, 'U', 'C');
    GLayoutCell* content = childAt(1);
    if (!content) return;
    if (box == frame && frame) outer = frame->innerRect(outer);
    placeCellAligned(content, insetRect(outer, digits[1], digits[5], digits[2], digits[6]), '*', '*');
}

u32 GGroupBoxItem::refreshLayoutFlags() {
    cellFlags &= ~(CellSizeCached | CellHeightForWidth | CellHfwCached);
    for (int i = 0; i < 2; ++i)
        if (GLayoutCell* child = childAt(i)) cellFlags |= child->refreshLayoutFlags() & CellHeightForWidth;
    return cellFlags & CellHeightForWidth;
}
