#include "gui/paint/bitmaps.h"

#include <map>

#include "gui/kernel/module_instance.h"
#include "gui/paint/saved_dc.h"

GBitmap::~GBitmap() { clear(); }

void GBitmap::clear() {
    if (bitmap) DeleteObject(bitmap);
    bitmap = nullptr;
    width = height = 0;
    delete[] data;
    data = nullptr;
}

bool GBitmap::adopt(HBITMAP made) {
    clear();
    bitmap = made;
    BITMAP info;
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return false;
    width = info.bmWidth;
    height = info.bmHeight;
    return true;
}

bool GBitmap::load(i32 id) {
    return adopt((HBITMAP)LoadImageA(toolkitInstance(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
}

bool GBitmap::measure() {
    return adopt((HBITMAP)LoadImageA(nullptr, MAKEINTRESOURCEA(32760 /* OBM_CHECK */), IMAGE_BITMAP, 0, 0, 0));
}

namespace {
bool monochrome(HDC dc) {
    BITMAP info{};
    HGDIOBJ target = GetCurrentObject(dc, OBJ_BITMAP);
    return target && GetObjectA(target, sizeof info, &info) && info.bmBitsPixel == 1;
}
}  // namespace

void GBitmap::draw(GSavedDC& dc, i32 x, i32 y) { drawAt(dc, x, y, width, height); }

void GBitmap::drawAt(GSavedDC& dc, i32 x, i32 y, i32 w, i32 h) {
    if (!bitmap) return;
    HDC memory = CreateCompatibleDC(dc.dc());
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (monochrome(dc.dc())) {
        // The key turns white, the rest black: the silhouette DrawState's effects need.
        COLORREF back = SetBkColor(memory, kBitmapKey);
        StretchBlt(dc.dc(), x, y, w, h, memory, 0, 0, width, height, SRCCOPY);
        SetBkColor(memory, back);
    } else {
        TransparentBlt(dc.dc(), x, y, w, h, memory, 0, 0, width, height, kBitmapKey);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
}

GBitmap* getCachedImage(i32 id) {
    static std::map<i32, GBitmap*> cache;
    GBitmap*& entry = cache[id];
    if (!entry) {
        entry = new GBitmap();
        entry->load(id);
    }
    return entry;
}
