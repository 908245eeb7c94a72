#include "gui/views/cell_format.h"

#include <string.h>

#include <algorithm>

#include "core/format.h"
#include "core/gstring.h"
#include "gui/input/hot_tracker.h"
#include "gui/paint/bitmaps.h"
#include "gui/paint/colors.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/drawable.h"
#include "gui/paint/paint_composite.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"

namespace {
const UINT kMeasureDrawn = DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX;
const UINT kMeasureMnemonics = DT_CALCRECT | DT_SINGLELINE;
const UINT kDrawPlain = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
const UINT kDrawButton = DT_SINGLELINE | DT_END_ELLIPSIS;
const i32 kCheckSide = 15;
const u32 kCheckImage = 9030;

// Draws the image of a cell from `left` and answers where its text starts: centred in a box of
// formatParam pixels, or at the left edge when the column has no image box; texts of a column
// line up whether or not their row has an image.
i32 placeImage(GSavedDC& dc, GDrawable* image, i32 formatParam, i32 left, i32 top, i32 right, i32 bottom) {
    i32 x;
    if (image && formatParam) {
        RECT box{left, top, std::min(left + formatParam, right), bottom};
        clipToRectAligned(dc, box, image, '|', '-');
        x = left + formatParam > right ? right + 2 : left + formatParam + 2;
    } else if (image) {
        RECT box{left, top, right, bottom};
        clipToRectAligned(dc, box, image, '<', '-');
        x = box.left + 2;
    } else {
        x = left + formatParam + 2;
    }
    return std::min(x, right);
}

// Marks the typed text where it first occurs in the lower-cased cell text, white on the mark colour.
void markTypedText(GSavedDC& dc, const char* text, const RECT& t, const char* typed) {
    GString lower(text);
    textToLowerInPlace(lower.data, lower.length);
    int p = stringFind(lower, typed, 0);
    if (p < 0) return;
    i32 px = textPrefixWidth(dc.dc(), text, p);
    if (px >= t.right - t.left) return;
    HDC h = dc.dc();
    COLORREF background = GetBkColor(h), foreground = GetTextColor(h);
    int mode = GetBkMode(h);
    SetBkColor(h, toolkitColors.glass);
    SetTextColor(h, 0x00FFFFFF);
    SetBkMode(h, OPAQUE);
    RECT mark{t.left + px, t.top, t.right, t.bottom};
    drawTextClipped(dc, mark, text + p, (i32)strlen(typed), '<', '^', kDrawPlain);
    SetBkColor(h, background);
    SetTextColor(h, foreground);
    SetBkMode(h, mode);
}

i32 measureCell(GSavedDC& dc, const char* text, GDrawable* image, UINT format) {
    i32 iw = image ? image->size().cx : 0;
    if (!text || !*text) return iw ? iw + 7 : 0;
    RECT r{0, 0, 0, 0};
    drawTextW(dc.dc(), &r, text, -1, format);
    i32 total = r.right - r.left;
    if (total > 0) --total;
    if (iw > 0) total += iw + 2;
    return total ? total + 7 : 0;
}
}  // namespace

RECT cellInnerRect(const RECT& cell, bool separators) {
    RECT r;
    r.left = std::min<LONG>(cell.left + 3, cell.right);
    r.right = std::max<LONG>(cell.right - 4, r.left);
    r.top = std::min<LONG>(cell.top + 3, cell.bottom);
    r.bottom = std::max<LONG>(cell.bottom - 3, r.top);
    if (separators && r.bottom > r.top) --r.bottom;
    return r;
}

RECT checkSquareRect(const RECT& cell) {
    RECT inner = cellInnerRect(cell, false);
    inner.bottom = std::max<LONG>(cell.bottom - 4, inner.top);
    RECT s = inner;
    if (inner.right - inner.left > kCheckSide) s.right = inner.left + kCheckSide;
    if (inner.bottom - inner.top > kCheckSide) {
        s.top = inner.top + ((inner.bottom - inner.top - kCheckSide) >> 1);
        s.bottom = s.top + kCheckSide;
    }
    return s;
}

RECT buttonFaceRect(const RECT& cell) { return RECT{cell.left + 1, cell.top + 1, cell.right - 2, cell.bottom - 2}; }

bool GTextCellFormat::draw(GSavedDC& dc, const char* text, GDrawable* image, const RECT* rect, u32 state,
                           i32 formatParam, GHotTracker*, const char* typed) {
    RECT inner = cellInnerRect(*rect, (state & CellSeparators) != 0);
    i32 x = placeImage(dc, image, formatParam, inner.left, inner.top, inner.right, inner.bottom);
    i32 right = inner.right, top = inner.top, bottom = inner.bottom;
    if (!text || !*text || x >= right || top >= bottom) return true;
    RECT measured{0, 0, 0, 0};
    drawTextW(dc.dc(), &measured, text, -1, kMeasureDrawn);
    i32 w = measured.right - measured.left, h = measured.bottom - measured.top;
    if (w > 0) --w;
    RECT t{x, top, right - x > w ? x + w : right, bottom};
    if (bottom - top > h) {
        t.top = top + ((bottom - top - h) >> 1);
        t.bottom = t.top + h;
    }
    if (t.left < t.right && t.top < t.bottom) {
        RECT out{t.left, t.top, t.right + 2, t.bottom};
        drawTextW(dc.dc(), &out, text, -1, kDrawPlain);
    }
    if (typed && *typed) markTypedText(dc, text, t, typed);
    return true;
}

i32 GTextCellFormat::measure(GSavedDC& dc, const char* text, GDrawable* image) {
    return measureCell(dc, text, image, kMeasureDrawn);
}

bool GCheckCellFormat::draw(GSavedDC& dc, const char* text, GDrawable* image, const RECT* rect, u32 state,
                            i32 formatParam, GHotTracker* tracker, const char*) {
    RECT inner = cellInnerRect(*rect, false);
    inner.bottom = std::max<LONG>(rect->bottom - 4, inner.top);
    RECT square = checkSquareRect(*rect);
    u32 flags = frameStateStyle(4, square, tracker, 0x400000, (state & CellChecked) ? (u32)HotChecked : 0u);
    GEmptyElement empty;
    GImageElement check((state & CellChecked) ? getCachedImage(kCheckImage) : nullptr);
    paintComposite(dc, square, (state & CellChecked) ? static_cast<GPaintElement*>(&check) : &empty, flags);
    i32 x = placeImage(dc, image, formatParam, square.right, inner.top, inner.right, inner.bottom);
    RECT t{x, inner.top, inner.right, inner.bottom};
    if (text && *text) drawTextAligned(dc, t, text, '<', '-', kDrawPlain);
    return true;
}

i32 GCheckCellFormat::measure(GSavedDC& dc, const char* text, GDrawable* image) {
    i32 m = measureCell(dc, text, image, kMeasureDrawn);
    return (m ? m : 7) + kCheckSide;
}

bool GCheckCellFormat::press(GHotTracker*, i32 x, i32 y, RECT* rect, u32* elementState, bool checked) {
    *rect = checkSquareRect(*rect);
    if (x < rect->left || x >= rect->right || y < rect->top || y >= rect->bottom) return false;
    if (checked) *elementState |= HotChecked;
    return true;
}

bool GButtonCellFormat::draw(GSavedDC& dc, const char* text, GDrawable*, const RECT* rect, u32, i32,
                             GHotTracker* tracker, const char*) {
    RECT face = buttonFaceRect(*rect);
    SetTextColor(dc.dc(), toolkitColors.text);
    GTextElement content(text, "|-", kDrawButton);
    paintComposite(dc, face, &content, frameStateStyle(4, face, tracker, 0, 0));
    return true;
}

i32 GButtonCellFormat::measure(GSavedDC& dc, const char* text, GDrawable* image) {
    return measureCell(dc, text, image, kMeasureMnemonics) + 6;
}

bool GButtonCellFormat::press(GHotTracker*, i32, i32, RECT* rect, u32*, bool) {
    *rect = buttonFaceRect(*rect);
    return true;
}

GCellFormat* defaultCellFormat() {
    static GTextCellFormat format;
    return &format;
}

GCellFormat* checkCellFormat() {
    static GCheckCellFormat format;
    return &format;
}

GCellFormat* buttonCellFormat() {
    static GButtonCellFormat format;
    return &format;
}
