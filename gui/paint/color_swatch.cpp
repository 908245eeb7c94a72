#include "gui/paint/color_swatch.h"

#include "gui/menus/action_image.h"
#include "gui/paint/draw_text.h"

void ColorSwatch::registerSelf() { registerActionDrawable(this); }

ColorSwatch::~ColorSwatch() { unregisterActionDrawable(this); }

void ColorSwatch::drawAt(GSavedDC& dc, i32 x, i32 y, i32 w, i32 h) {
    if (!cell) return;
    drawColorCell(dc, RECT{x, y, x + w, y + h}, *cell, nullptr);
}
