#include "gui/menus/action_image.h"

#include <commctrl.h>

#include <unordered_set>

#include "gui/paint/drawable.h"
#include "gui/paint/image_list_cache.h"
#include "gui/paint/saved_dc.h"

namespace {
std::unordered_set<void*>& drawables() {
    static std::unordered_set<void*> set;
    return set;
}
}  // namespace

void registerActionDrawable(GDrawable* drawable) { drawables().insert(drawable); }

void unregisterActionDrawable(GDrawable* drawable) { drawables().erase(drawable); }

GDrawable* actionDrawable(void* image) {
    return image && drawables().count(image) ? static_cast<GDrawable*>(image) : nullptr;
}

bool drawActionImage(HDC dc, void* image, i32 x, i32 y, u32 listStyle) {
    if (GDrawable* drawable = actionDrawable(image)) {
        GSavedDC wrapper(dc);
        drawable->draw(wrapper, x, y);
        return true;
    }
    if (!isCachedImageList(image)) return false;
    return ImageList_Draw((HIMAGELIST)image, 0, dc, x, y, listStyle) != FALSE;
}

SIZE actionImageSize(void* image) {
    if (GDrawable* drawable = actionDrawable(image)) return drawable->size();
    int w = 0, h = 0;
    if (isCachedImageList(image)) ImageList_GetIconSize((HIMAGELIST)image, &w, &h);
    return {w, h};
}
