#include "gui/controls/image_button.h"

#include "gui/layout/layout_builder.h"
#include "gui/paint/bitmaps.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/system_metrics.h"

GImageButton::~GImageButton() {
    destroyNative();
    if (ownsImage) delete image;
}

void GImageButton::onDestroy() {
    if (image && hwnd) {
        SendMessageA(hwnd, BM_SETIMAGE, IMAGE_ICON, 0);
        SendMessageA(hwnd, BM_SETIMAGE, IMAGE_BITMAP, 0);
    }
    clearDefault();
    GUserButton::onDestroy();
}

void GImageButton::setImage(GDrawable* newImage, bool owned) {
    if (newImage == image) {
        ownsImage = owned;
        return;
    }
    if (ownsImage) delete image;
    image = newImage;
    ownsImage = owned;
    invalidate();
}

void GImageButton::getPreferredSize(i32* width, i32* height) {
    if (!systemMetrics.filled) initSystemMetrics();
    SIZE s = image ? image->size() : SIZE{0, 0};
    i32 w = s.cx + 2 * systemMetrics.cxEdge + 4;
    i32 h = s.cy + 2 * systemMetrics.cyEdge + 4;
    if (hwnd && (GetWindowLongA(hwnd, GWL_STYLE) & WS_TABSTOP)) {
        w += 2;
        h += 2;
    }
    *width = w;
    *height = h;
}

void GImageButton::paintContent(HDC handle, const RECT& rect) {
    if (!image) return;
    GSavedDC dc(handle);
    SIZE s = image->size();
    i32 w = rect.right - rect.left, h = rect.bottom - rect.top;
    i32 x = rect.left + (w > s.cx ? (w - s.cx) / 2 : 0);
    i32 y = rect.top + (h > s.cy ? (h - s.cy) / 2 : 0);
    image->draw(dc, x, y);
}

GImageButton* addImageButton(GLayoutBuilder& builder, i32 bitmapId, u32 command, const char* alignment) {
    GImageButton* button = new GImageButton(builder.owner);
    GBitmap* bitmap = getCachedImage(bitmapId);
    button->image = bitmap && bitmap->bitmap ? bitmap : nullptr;
    button->createHandle(0, command);
    builder.add(button, alignment);
    return button;
}
