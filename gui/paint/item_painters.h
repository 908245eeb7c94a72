#pragma once
// Two painters of an item made of an optional image and a text that may hold one tab: the part
// before the tab takes the item's alignment, the part after it is right-aligned (a key name). They
// own nothing; the image stays the caller's.
#include <windows.h>

#include "core/types.h"

class GDrawable;
class GSavedDC;

// The image-and-text cell drawer.
struct ImageTextCell {
    i32 imageWidth = 0;  // 0: no image column
    i32 imageHeight = 0;
    GDrawable* image = nullptr;
    const char* text = nullptr;
    u8 checked = 0;  // the stock check image in the image column
    char alignment = '<';  // '>' right, '|' centred, else left
    i32 rightReserve = 0;  // pixels kept free at the right edge
};

const i32 CheckImageId = 9030;

void drawImageTextCell(GSavedDC& dc, const RECT& rect, const ImageTextCell& cell);

// Owner-draw item states.
enum : u32 { ItemSelected = 1, ItemDisabled = 4, ItemChecked = 8, ItemFocus = 0x10 };

// The owner-drawn item painter: the item's rectangle filled in the normal or selection colours, the
// image (or, checked, the check image) in a column of imageWidth at the left, the text split at
// its tab, a disabled text embossed, and the focus rectangle when focused.
void paintOwnerDrawItem(HDC dc, const RECT& rect, u32 state, GDrawable* image, i32 imageWidth, const char* text,
                        char alignment);
