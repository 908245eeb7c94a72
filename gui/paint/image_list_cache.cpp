#include "gui/paint/image_list_cache.h"

#include <windows.h>

#include <commctrl.h>

#include <map>

#include "gui/kernel/module_instance.h"
#include "gui/paint/bitmaps.h"

namespace {
// One cached list; its end destroys the list with its pixels.
struct ImageListHolder {
    HIMAGELIST list = nullptr;
    ~ImageListHolder() {
        if (list) ImageList_Destroy(list);
    }
};

std::map<u32, ImageListHolder>& cache() {
    static std::map<u32, ImageListHolder> lists;
    return lists;
}

HIMAGELIST loadStrip(u32 bitmapId) {
    HBITMAP strip = (HBITMAP)LoadImageA(toolkitInstance(), MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0,
                                        LR_CREATEDIBSECTION);
    if (!strip) return nullptr;
    BITMAP info{};
    GetObjectA(strip, sizeof info, &info);
    i32 side = info.bmHeight > 0 ? info.bmHeight : 1;
    i32 count = info.bmWidth / side > 0 ? info.bmWidth / side : 1;
    HIMAGELIST list = ImageList_Create(side, side, ILC_COLOR24 | ILC_MASK, count, 0);
    if (list) ImageList_AddMasked(list, strip, kBitmapKey);
    DeleteObject(strip);
    return list;
}
}  // namespace

void* getImageList(u32 bitmapId) {
    auto at = cache().find(bitmapId);
    if (at != cache().end()) return at->second.list;
    HIMAGELIST list = loadStrip(bitmapId);
    if (!list) return nullptr;
    cache()[bitmapId].list = list;
    return list;
}

void clearImageListCache() { cache().clear(); }

bool isCachedImageList(void* list) {
    if (!list) return false;
    for (const auto& entry : cache())
        if (entry.second.list == list) return true;
    return false;
}
