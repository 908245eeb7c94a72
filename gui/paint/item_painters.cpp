#include "gui/paint/item_painters.h"

#include <cstring>

#include "gui/paint/bitmaps.h"
#include "gui/paint/colors.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/drawable.h"
#include "gui/paint/saved_dc.h"

namespace {
const UINT kTextFormat = DT_SINGLELINE | DT_NOPREFIX;

// Centred in the column, vertically in the rectangle.
void drawCentred(GSavedDC& dc, GDrawable* image, i32 left, i32 width, const RECT& rect) {
    if (!image) return;
    SIZE s = image->size();
    image->draw(dc, left + (width - s.cx) / 2, rect.top + (rect.bottom - rect.top - s.cy) / 2);
}

// The text before the first tab by the alignment, the rest right-aligned.
void drawSplitText(GSavedDC& dc, const RECT& area, const char* text, char alignment) {
    if (!text) return;
    const char* tab = strchr(text, '\t');
    i32 head = tab ? (i32)(tab - text) : -1;
    char letter = alignment == '>' || alignment == '|' ? alignment : '<';
    drawTextClipped(dc, area, text, head, letter, '-', kTextFormat);
    if (tab) drawTextClipped(dc, area, tab + 1, -1, '>', '-', kTextFormat);
}
}  // namespace

void drawImageTextCell(GSavedDC& dc, const RECT& rect, const ImageTextCell& cell) {
    RECT area = rect;
    area.left += cell.imageWidth ? cell.imageWidth + 4 : 3;
    area.right -= 4 + cell.rightReserve;
    if (cell.imageWidth) {
        drawCentred(dc, cell.image, rect.left, cell.imageWidth, rect);
        if (cell.checked) drawCentred(dc, getCachedImage(CheckImageId), rect.left, cell.imageWidth, rect);
    }
    drawSplitText(dc, area, cell.text, cell.alignment);
}

void paintOwnerDrawItem(HDC dc, const RECT& rect, u32 state, GDrawable* image, i32 imageWidth, const char* text,
                        char alignment) {
    GSavedDC saved(dc);
    bool selected = (state & ItemSelected) != 0;
    COLORREF background = selected ? toolkitColors.selection : toolkitColors.window;
    COLORREF foreground = selected ? toolkitColors.selectionText : toolkitColors.text;
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
    RECT area{rect.left + 3, rect.top, rect.right - 4, rect.bottom};
    if (imageWidth > 0) {
        GDrawable* shown = image ? image : (state & ItemChecked) ? getCachedImage(CheckImageId) : nullptr;
        drawCentred(saved, shown, rect.left, imageWidth, rect);
        area.left = rect.left + imageWidth + 4;
    }
    int oldMode = SetBkMode(dc, TRANSPARENT);
    if (state & ItemDisabled) {
        // Embossed: the light shade one pixel down and right, the dark shade in place.
        RECT shadow{area.left + 1, area.top + 1, area.right + 1, area.bottom + 1};
        SetTextColor(dc, toolkitColors.lightShade);
        drawSplitText(saved, shadow, text, alignment);
        SetTextColor(dc, toolkitColors.darkShade);
    } else {
        SetTextColor(dc, foreground);
    }
    drawSplitText(saved, area, text, alignment);
    SetBkMode(dc, oldMode);
    if (state & ItemFocus) DrawFocusRect(dc, &rect);
}
