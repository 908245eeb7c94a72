#pragma once
// The image of an action or menu item is a void*: an image list of the image-list cache or a
// drawable registered here (the colour swatches of command ranges). A drawable lists itself while
// it lives, so a painter can tell a live drawable from any other pointer.
#include "core/types.h"

class GDrawable;

void registerActionDrawable(GDrawable* drawable);
void unregisterActionDrawable(GDrawable* drawable);
// The registered drawable the image is, or null.
GDrawable* actionDrawable(void* image);
