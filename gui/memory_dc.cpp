#include "gui/memory_dc.h"

#include "gui/alpha_blend.h"
#include "gui/drawing.h"

GMemoryDC::GMemoryDC(GSavedDC& target) : targetDC(target) { attach(CreateCompatibleDC(target.dc())); }

GMemoryDC::~GMemoryDC() {
    HDC memory = dc();
    restore();
    if (bitmap) {
        SelectObject(memory, previousBitmap);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
}

bool GMemoryDC::offscreenBuffer(const RECT& rect, u32 flags) {
    bufferRect = rect;
    i32 width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    HBITMAP made = CreateCompatibleBitmap((flags & BufferFlag::OwnCompatible) ? dc() : targetDC.dc(), width, height);
    if (!made) return false;
    HGDIOBJ old = SelectObject(dc(), made);
    if (bitmap) {
        DeleteObject(bitmap);
    } else {
        previousBitmap = old;
    }
    bitmap = made;
    RECT whole = {0, 0, width, height};
    if (flags & BufferFlag::FillBackground) FillRect(dc(), &whole, backgroundBrush());
    if (flags & BufferFlag::FillTabHighlight) FillRect(dc(), &whole, tabHighlightBrush());
    if (flags & BufferFlag::CopyState) copyDCState(targetDC, *this);
    if (flags & BufferFlag::CopyPixels) BitBlt(dc(), 0, 0, width, height, targetDC.dc(), rect.left, rect.top, SRCCOPY);
    return true;
}

void GMemoryDC::copyOffscreen() {
    const RECT& r = bufferRect;
    if (bitmap) BitBlt(targetDC.dc(), r.left, r.top, r.right - r.left, r.bottom - r.top, dc(), 0, 0, SRCCOPY);
}

void GMemoryDC::flushOffscreen(u8 alpha) {
    if (bitmap) alphaBlendImage(targetDC.dc(), bufferRect, dc(), 0, 0, alpha);
}

void copyDCState(GSavedDC& source, GSavedDC& destination) {
    HDC from = source.dc(), to = destination.dc();
    destination.drawSelectCleanup(GSavedDC::Pen, GetCurrentObject(from, OBJ_PEN), false);
    destination.drawSelectCleanup(GSavedDC::Brush, GetCurrentObject(from, OBJ_BRUSH), false);
    destination.drawSelectCleanup(GSavedDC::Font, GetCurrentObject(from, OBJ_FONT), false);
    SetTextColor(to, GetTextColor(from));
    SetBkColor(to, GetBkColor(from));
    SetBkMode(to, GetBkMode(from));
    SetROP2(to, GetROP2(from));
    SetPolyFillMode(to, GetPolyFillMode(from));
    SetTextCharacterExtra(to, GetTextCharacterExtra(from));
    SetTextAlign(to, GetTextAlign(from));
    SetStretchBltMode(to, GetStretchBltMode(from));
}
