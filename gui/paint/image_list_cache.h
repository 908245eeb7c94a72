#pragma once
// Image lists of action bitmaps, made on first request and kept until clearImageListCache (exit):
// the cache owns every list. A bitmap strip of height h gives square images of h x h; magenta is
// transparent.
#include "core/types.h"

// The HIMAGELIST of the bitmap resource, or null when it is missing.
void* getImageList(u32 bitmapId);
void clearImageListCache();
// True for a list the cache holds.
bool isCachedImageList(void* list);
