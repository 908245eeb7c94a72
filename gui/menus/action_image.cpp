#include "gui/menus/action_image.h"

#include <commctrl.h>

#include <map>
#include <unordered_set>

#include "gui/paint/drawable.h"
#include "gui/paint/image_list_cache.h"
#include "gui/paint/saved_dc.h"

namespace {
std::unordered_set<void*>& drawables() {
    static std::unordered_set<void*> set;
    return set;
}

// Image 0 of a cached list; the lists live until exit, as these do.
class ListImage : public GDrawable {
public:
    explicit ListImage(HIMAGELIST list) : list(list) {}
    SIZE size() override {
        int w = 0, h = 0;
        ImageList_GetIconSize(list, &w, &h);
        return {w, h};
    }
    void drawAt(GSavedDC& dc, i32 x, i32 y, i32 width, i32 height) override {
        ImageList_DrawEx(list, 0, dc.dc(), x, y, width, height, CLR_NONE, CLR_NONE, ILD_NORMAL);
    }
    void draw(GSavedDC& dc, i32 x, i32 y) override { ImageList_Draw(list, 0, dc.dc(), x, y, ILD_NORMAL); }

private:
    HIMAGELIST list;
};
}  // namespace

GDrawable* imageDrawable(void* image) {
    if (GDrawable* drawable = actionDrawable(image)) return drawable;
    if (!isCachedImageList(image)) return nullptr;
    static std::map<void*, ListImage> kept;
    return &kept.emplace(image, ListImage((HIMAGELIST)image)).first->second;
}

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
