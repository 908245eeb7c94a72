#include "gui/paint/icons.h"

#include <map>

#include "gui/kernel/module_instance.h"
#include "gui/paint/saved_dc.h"

GIcon::~GIcon() {
    if (owned && icon) DestroyIcon(icon);
}

void GIcon::drawAt(GSavedDC& dc, i32 x, i32 y, i32 w, i32 h) { DrawIconEx(dc.dc(), x, y, icon, w, h, 0, nullptr, DI_NORMAL); }

void GIcon::draw(GSavedDC& dc, i32 x, i32 y) { DrawIconEx(dc.dc(), x, y, icon, 0, 0, 0, nullptr, DI_NORMAL); }

void GIcon::measure() {
    ICONINFO info;
    if (!icon || !GetIconInfo(icon, &info)) return;
    BITMAP bitmap;
    HBITMAP measured = info.hbmColor ? info.hbmColor : info.hbmMask;
    if (GetObjectA(measured, sizeof bitmap, &bitmap)) {
        width = bitmap.bmWidth;
        // A monochrome icon's mask holds the AND and XOR halves one above the other.
        height = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
}

void GIcon::load(i32 id) {
    if (owned && icon) DestroyIcon(icon);
    owned = true;
    icon = (HICON)LoadImageA(toolkitInstance(), MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0);
    if (width < 0) measure();
}

GIcon* GIcon::create(i32 id) {
    GIcon* made = new GIcon();
    made->load(id);
    return made;
}

GIcon* getCachedIcon(i32 id) {
    static std::map<i32, GIcon*> cache;
    GIcon*& entry = cache[id];
    if (!entry) entry = GIcon::create(id);
    return entry;
}

GIcon* defaultApplicationIcon() {
    static GIcon* icon = [] {
        GIcon* made = new GIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)), -1, -1, false);
        made->measure();
        return made;
    }();
    return icon;
}
