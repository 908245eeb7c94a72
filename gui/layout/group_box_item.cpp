#include "gui/layout/group_box_item.h"

#include <algorithm>

#include "gui/layout/rect_list.h"
#include "gui/paint/colors.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/text_measure.h"

GGroupBox::GGroupBox(GWindow* owner, const char* caption) : GUserWindow(owner) {
    stringAssignText(this->caption, caption ? caption : "");
}

i32 GGroupBox::captionHeight() {
    if (caption.length == 0) return 0;
    return textExtent(getMessageFont(), caption.data).cy;
}

void GGroupBox::getPreferredSize(i32* width, i32* height) {
    if (!caption.length) {
        *width = 0;
        *height = 2;
        return;
    }
    SIZE s = textExtent(getMessageFont(), caption.data);
    *width = s.cx + 12;
    *height = s.cy;
}

RECT GGroupBox::innerRect(const RECT& outer) {
    i32 caption = captionHeight();
    return insetRect(outer, 2, caption ? caption : 2, 2, 2);
}

void GGroupBox::framePieces(const RECT& outer, RectangleList& pieces) {
    pieces.add(outer);
    RECT inner = innerRect(outer);
    if (!rectEmpty(inner)) pieces.subtract(inner);
}

bool GGroupBox::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message == WM_NCHITTEST) {
        *result = HTTRANSPARENT;
        return true;
    }
    return GUserWindow::handleMessage(message, wParam, lParam, result);
}

void GGroupBox::setRect(const RECT& r, u32 swpFlags) {
    GUserWindow::setRect(r, swpFlags);
    if (!hwnd) return;
    RECT client{0, 0, r.right - r.left, r.bottom - r.top};
    RECT inner = innerRect(client);
    HRGN band = CreateRectRgnIndirect(&client);
    HRGN hole = CreateRectRgnIndirect(&inner);
    CombineRgn(band, band, hole, RGN_DIFF);
    DeleteObject(hole);
    // The system owns the region once it is set.
    if (!SetWindowRgn(hwnd, band, FALSE)) DeleteObject(band);
}

void GGroupBox::removeCoveredArea(RectangleList& area) {
    RectangleList pieces;
    framePieces(rect, pieces);
    for (const RECT& piece : pieces.rects) area.subtract(piece);
}

void GGroupBox::addOwnArea(RectangleList& area) {
    RectangleList pieces;
    framePieces(rect, pieces);
    for (const RECT& piece : pieces.rects) area.add(piece);
}

void GGroupBox::paint(HDC dc, const RECT&, bool) {
    RECT client;
    GetClientRect(hwnd, &client);
    // The colour of uncovered areas, so the caption band matches what lies around the box.
    const COLORREF panel = toolkitColors.classBackground;
    fillRectSolid(dc, client, panel);
    if (!caption.length) {
        DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
        return;
    }
    HGDIOBJ oldFont = SelectObject(dc, getMessageFont()->font);
    RECT measured{0, 0, 0, 0};
    drawTextW(dc, &measured, caption.data, -1, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    i32 tw = measured.right - measured.left, th = measured.bottom - measured.top;
    RECT frameRect = client;
    frameRect.top = std::min(client.top + th / 2, client.bottom);
    DrawEdge(dc, &frameRect, EDGE_ETCHED, BF_RECT);
    SetBkMode(dc, TRANSPARENT);
    if (client.bottom >= th + 1 && client.right >= 15) {
        // Room for ink that passes the measured width.
        i32 ink = drawnTextOverhang(getMessageFont(), caption.data, DT_SINGLELINE | DT_NOPREFIX);
        RECT box{5, 0, std::min<i32>(tw + 7 + ink, client.right), th};
        fillRectSolid(dc, box, panel);
        SetTextColor(dc, toolkitColors.text);
        RECT text{box.left + 1, box.top, box.right - 1, box.bottom};
        drawTextW(dc, &text, caption.data, -1, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
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
