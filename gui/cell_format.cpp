#include "gui/cell_format.h"

#include <algorithm>

#include "gui/draw_text.h"
#include "gui/drawable.h"
#include "gui/saved_dc.h"
#include "gui/text_measure.h"

bool GTextCellFormat::draw(GSavedDC& dc, const char* text, GDrawable* image, const RECT* rect, u32 state,
                           i32 formatParam, GHotTracker*, GTableTypeAhead*) {
    i32 left = std::min<i32>(rect->left + 3, rect->right);
    i32 right = std::max<i32>(rect->right - 4, left);
    i32 top = std::min<i32>(rect->top + 3, rect->bottom);
    i32 bottom = std::max<i32>(rect->bottom - 3, top);
    if ((state & CellSeparators) && bottom > top) --bottom;
    i32 x;
    if (image && formatParam) {
        RECT box{left, top, std::min(left + formatParam, right), bottom};
        clipToRectAligned(dc, box, image, '|', '-');
        x = left + formatParam <= right ? left + formatParam + 2 : right + 2;
    } else if (image) {
        RECT box{left, top, right, bottom};
        clipToRectAligned(dc, box, image, '<', '-');
        left = box.left;
        x = left + 2;
    } else {
        x = left + formatParam + 2;
    }
    x = std::min(x, right);
    if (!text || !*text || x >= right || top >= bottom) return true;
    RECT measured{0, 0, 0, 0};
    drawTextW(dc.dc(), &measured, text, -1, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    i32 w = measured.right - measured.left, h = measured.bottom - measured.top;
    if (w > 0) --w;
    RECT t{x, top, right - x > w ? x + w : right, bottom};
    if (bottom - top > h) {
        t.top = top + (bottom - top - h) / 2;
        t.bottom = t.top + h;
    }
    if (t.left < t.right && t.top < t.bottom) {
        RECT out{t.left, t.top, t.right + 2, t.bottom};
        drawTextW(dc.dc(), &out, text, -1, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    return true;
}

i32 GTextCellFormat::measure(GSavedDC& dc, const char* text, GDrawable* image) {
    i32 width = image ? image->size().cx : 0;
    if (text && *text) {
        RECT r{0, 0, 0, 0};
        drawTextW(dc.dc(), &r, text, -1, DT_CALCRECT | DT_SINGLELINE);
        width += r.right - r.left;
    }
    return width;
}

GCellFormat* defaultCellFormat() {
    static GTextCellFormat format;
    return &format;
}
