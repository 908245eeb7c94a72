#include "gui/paint/draw_text.h"

#include <algorithm>

#include "gui/layout/align.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawable.h"
#include "gui/paint/drawing.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"

int drawTextW(HDC dc, RECT* rect, const char* text, i32 length, UINT format) {
    WideTextBuffer wide(text, length);
    int result = DrawTextW(dc, wide.text(), wide.length(), rect, format);
    if (!result && rect) *rect = RECT{0, 0, 0, 0};
    return result;
}

void drawTextOutW(GSavedDC& dc, i32 x, i32 y, const char* text) {
    WideTextBuffer wide(text);
    TextOutW(dc.dc(), x, y, wide.text(), wide.length());
}

static UINT alignmentFlags(char horizontal, char vertical) {
    UINT flags = 0;
    if (horizontal == '>') flags |= DT_RIGHT;
    if (horizontal == '|') flags |= DT_CENTER;
    if (vertical == '-') flags |= DT_VCENTER | DT_SINGLELINE;
    if (vertical == 'v') flags |= DT_BOTTOM | DT_SINGLELINE;
    return flags;
}

static bool isLeftAligned(char horizontal) { return horizontal != '>' && horizontal != '|'; }

void drawTextClipped(GSavedDC& dc, const RECT& rect, const char* text, i32 length, char horizontal,
                     char vertical, UINT format) {
    if (!text || rect.left >= rect.right || rect.top >= rect.bottom) return;
    RECT r = rect;
    if (isLeftAligned(horizontal)) r.right += 2;
    drawTextW(dc.dc(), &r, text, length, format | alignmentFlags(horizontal, vertical));
}

void drawTextEllipsis(GSavedDC& dc, const RECT& rect, const wchar_t* text, i32 length) {
    RECT r = rect;
    r.right += 2;
    DrawTextW(dc.dc(), text, length, &r, DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
}

// Takes the width used by a box placed by the letter from the rectangle.
static void consumeWidth(RECT& rect, i32 width, char horizontal) {
    if (horizontal == '<') {
        rect.left = rect.left + width < rect.right ? rect.left + width : rect.right;
    } else if (horizontal == '>') {
        rect.right = rect.right - width > rect.left ? rect.right - width : rect.left;
    } else {
        rect.left = rect.right;
    }
}

void drawTextAligned(GSavedDC& dc, RECT& rect, const char* text, char horizontal, char vertical, UINT format,
                     i32 overhang) {
    if (!text || !*text || rect.left >= rect.right || rect.top >= rect.bottom) return;
    RECT measured = {0, 0, rect.right - rect.left, rect.bottom - rect.top};
    drawTextW(dc.dc(), &measured, text, -1, (format & ~(UINT)DT_END_ELLIPSIS) | DT_CALCRECT);
    SIZE size = {measured.right - measured.left - 1, measured.bottom - measured.top};
    if (size.cx < 0) size.cx = 0;
    // Right or centred text is placed by its whole width, ink past the extent included; the box
    // clips what it does not hold.
    SIZE boxSize = {isLeftAligned(horizontal) ? size.cx : size.cx + 1 + std::max<i32>(overhang, 0), size.cy};
    RECT box = alignRect(boxSize, rect, horizontal, vertical);
    if (isLeftAligned(horizontal)) box.right += 2;
    drawTextW(dc.dc(), &box, text, -1, format);
    consumeWidth(rect, size.cx, horizontal);
}

void clipToRectAligned(GSavedDC& dc, RECT& rect, GDrawable* image, char horizontal, char vertical) {
    if (!image) return;
    SIZE size = image->size();
    RECT box = alignRect(size, rect, horizontal, vertical);
    {
        ClipGuard clip;
        pushClipRect(clip, dc.dc(), rect);
        image->draw(dc, box.left, box.top);
    }
    consumeWidth(rect, size.cx, horizontal);
}

void drawColorCell(GSavedDC& dc, const RECT& rect, COLORREF colour, const char* text) {
    dc.selectPen(0);
    drawRectOutline(dc, rect.left, rect.right, rect.top, rect.bottom);
    dc.selectPen(0xFFFFFF);
    drawRectOutline(dc, rect.left + 1, rect.right - 1, rect.top + 1, rect.bottom - 1);
    RECT inner = {rect.left + 2, rect.top + 2, rect.right - 2, rect.bottom - 2};
    if (colour != 0xFFFFFFFFu) {
        fillSolidRect(dc, inner, colour);
        return;
    }
    SetTextColor(dc.dc(), toolkitColors.text);
    int mode = SetBkMode(dc.dc(), TRANSPARENT);
    drawTextW(dc.dc(), &inner, text, -1, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetBkMode(dc.dc(), mode);
}
