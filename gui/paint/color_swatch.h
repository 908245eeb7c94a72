#pragma once
// ColorSwatch: a 20 x 20 image of the colour in one value cell, drawn from the cell each time, so
// a changed value shows at once. Swatches are made and deleted by their CommandRange; they stand
// as action images while they live.
#include "core/types.h"
#include "gui/paint/drawable.h"

class ColorSwatch : public GDrawable {
public:
    ColorSwatch() { registerSelf(); }
    ~ColorSwatch() override;
    ColorSwatch(const ColorSwatch&) = delete;
    ColorSwatch& operator=(const ColorSwatch&) = delete;

    SIZE size() override { return {width, height}; }
    void drawAt(GSavedDC& dc, i32 x, i32 y, i32 width, i32 height) override;
    void draw(GSavedDC& dc, i32 x, i32 y) override { drawAt(dc, x, y, 20, 20); }

    const u32* cell = nullptr;  // a COLORREF in the range's values
    i32 width = 20;
    i32 height = 20;

private:
    void registerSelf();
};
