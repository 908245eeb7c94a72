#pragma once
// GBitmap: a bitmap handle with its size, drawn at a point of a DC wrapper. Bitmaps of the
// program's resources come from a process-wide cache, one object per id, kept until the process
// ends.
#include <windows.h>

#include "core/types.h"
#include "gui/paint/drawable.h"

// Pixels of this colour in a bitmap are not drawn: what is under them shows.
const COLORREF kBitmapKey = RGB(255, 0, 255);

class GBitmap : public GDrawable {
public:
    GBitmap() = default;
    GBitmap(const GBitmap&) = delete;
    GBitmap& operator=(const GBitmap&) = delete;
    ~GBitmap() override;

    SIZE size() override { return {width, height}; }
    // Stretched to the size; both leave the key colour's pixels untouched.
    void drawAt(GSavedDC& dc, i32 x, i32 y, i32 width, i32 height) override;
    void draw(GSavedDC& dc, i32 x, i32 y) override;

    // A bitmap resource of the toolkit's module in place of the held one; false when there is none.
    bool load(i32 id);
    // The system's check mark in place of the held bitmap.
    bool measure();
    // Drops the held bitmap and its data.
    void clear();
    // Takes a bitmap handle over, with its size.
    bool adopt(HBITMAP bitmap);

    HBITMAP bitmap = nullptr;
    i32 width = 0;
    i32 height = 0;
    u8* data = nullptr;  // pixel data kept with the bitmap, freed with it
};

// The cached bitmap of a resource id; the same object for every request of the id, stored even
// when the resource is missing (with a null handle).
GBitmap* getCachedImage(i32 id);
