#include "gui/controls/image_label.h"

#include "gui/kernel/window_behaviour.h"
#include "gui/layout/layout_builder.h"
#include "gui/paint/bitmaps.h"
#include "gui/paint/drawing.h"
#include "gui/paint/paint_composite.h"
#include "gui/paint/saved_dc.h"

GImageLabel* addImageLabel(GLayoutBuilder& builder, i32 imageId, u32 style, const char* alignment) {
    GImageLabel* label = new GImageLabel(builder.owner);
    GBitmap* bitmap = getCachedImage(imageId);
    label->image = bitmap && bitmap->bitmap ? bitmap : nullptr;
    label->style = style;
    label->GUserWindow::create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    builder.add(label, alignment);
    return label;
}

GImageLabel* GImageLabel::create(GLayoutBuilder& builder, i32 imageId) {
    return addImageLabel(builder, imageId, 0, "<-");
}

void GImageLabel::getPreferredSize(i32* width, i32* height) {
    SIZE s = image ? image->size() : SIZE{0, 0};
    if (image && (style & ImageShadow)) {
        s.cx += 2;
        s.cy += 2;
    }
    *width = s.cx;
    *height = s.cy;
}

void GImageLabel::paint(HDC handle, const RECT&, bool) {
    GSavedDC dc(handle);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(handle, &client, backgroundBrush());
    if (!image) return;
    if (style & ImageFill) {
        image->drawAt(dc, 0, 0, client.right, client.bottom);
        return;
    }
    SIZE s = image->size();
    i32 x = client.right > s.cx ? (client.right - s.cx) / 2 : 0;
    i32 y = client.bottom > s.cy ? (client.bottom - s.cy) / 2 : 0;
    if (style & ImageShadow)
        drawImageInState(dc, image, x, y, s.cx, s.cy);
    else
        drawImageAt(dc, image, x, y);
}

bool GImageLabel::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        // As a native button's WM_COMMAND: the label first, then each container and owner up.
        GControlNotification event{this, 0, (intptr_t)GetWindowLongA(hwnd, GWL_ID)};
        for (GItemBase* item = this; item; item = nextReceiver(item))
            if (item->onControlCommand(&event)) break;
        *result = 0;
        return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (acceptsFocus() && GetFocus() != hwnd) giveFocus(this);
        break;
    default:
        break;
    }
    return GUserWindow::handleMessage(message, wParam, lParam, result);
}
