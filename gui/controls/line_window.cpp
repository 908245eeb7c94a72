#include "gui/controls/line_window.h"

#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/saved_dc.h"

void GLineN::paint(HDC handle, const RECT&, bool) {
    GSavedDC dc(handle);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(handle, &r, backgroundBrush());
    if (r.right <= r.left) return;
    i32 y = (r.top + r.bottom) / 2 - 1;
    dc.selectPen(toolkitColors.darkShade);
    drawHLine(dc, r.left, r.right - 1, y);
    dc.selectPen(toolkitColors.lightShade);
    drawHLine(dc, r.left, r.right - 1, y + 1);
}
