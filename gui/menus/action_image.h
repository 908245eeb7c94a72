#pragma once
// The image of an action or menu item is a void*: an image list of the image-list cache or a
// drawable registered here (the colour swatches of command ranges). A drawable lists itself while
// it lives; painters go through drawActionImage, which draws nothing for a pointer that is neither
// (one already freed).
#include <windows.h>

#include "core/types.h"

class GDrawable;

void registerActionDrawable(GDrawable* drawable);
void unregisterActionDrawable(GDrawable* drawable);
// The registered drawable the image is, or null.
GDrawable* actionDrawable(void* image);
// As actionDrawable; a cached image list gives a kept drawable of its image 0.
GDrawable* imageDrawable(void* image);
// Image 0 of a cached list (in the ImageList_Draw style) or the drawable at its own size, at
// (x, y); false when nothing was drawn.
bool drawActionImage(HDC dc, void* image, i32 x, i32 y, u32 listStyle);
// The size drawActionImage draws; 0 x 0 for an unknown pointer.
SIZE actionImageSize(void* image);
