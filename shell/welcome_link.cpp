#include "shell/welcome_link.h"

#include "gui/layout/layout_builder.h"
#include "gui/paint/bitmaps.h"
#include "gui/paint/saved_dc.h"

WelcomeLink* WelcomeLink::create(GLayoutBuilder& builder, i32 imageId, const char* alignment) {
    WelcomeLink* link = new WelcomeLink(builder.owner, imageId);
    link->GUserWindow::create(WS_CHILD | WS_VISIBLE);
    builder.add(link, alignment);
    return link;
}

void WelcomeLink::getPreferredSize(i32* width, i32* height) {
    SIZE size = getCachedImage(imageId)->size();
    *width = size.cx + 20;
    *height = size.cy + 20;
}

void WelcomeLink::drawPicture(HDC dc, const RECT& rect, i32 imageId) {
    i32 w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP buffer = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ old = SelectObject(memory, buffer);
    RECT local{0, 0, w, h};
    FillRect(memory, &local, GetSysColorBrush(COLOR_BTNFACE));
    GBitmap* picture = getCachedImage(imageId);
    SIZE size = picture->size();
    i32 x = w > size.cx ? (w - size.cx) / 2 : 0;
    i32 y = h > size.cy ? (h - size.cy) / 2 : 0;
    {
        GSavedDC saved(memory);
        picture->draw(saved, x, y);
    }
    BitBlt(dc, rect.left, rect.top, w, h, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(buffer);
    DeleteDC(memory);
}

void WelcomeLink::paint(HDC dc, const RECT&, bool) {
    RECT client;
    GetClientRect(hwnd, &client);
    drawPicture(dc, client, imageId);
}

SIZE drawSplash(HDC dc, const RECT* rect, void*, void*) {
    SIZE size = getCachedImage(ProductImage)->size();
    size.cx += 40;
    size.cy += 40;
    if (dc && rect) WelcomeLink::drawPicture(dc, *rect, ProductImage);
    return size;
}
