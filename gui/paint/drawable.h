#pragma once
// A small image that paints itself at a point of a DC wrapper: icons, bitmaps and image lists.
#include <windows.h>

#include "core/types.h"

class GSavedDC;

class GDrawable {
public:
    virtual ~GDrawable() = default;
    virtual SIZE size() = 0;
    virtual void drawAt(GSavedDC& dc, i32 x, i32 y, i32 width, i32 height) = 0;
    virtual void draw(GSavedDC& dc, i32 x, i32 y) = 0;
};
