#include "gui/paint/memory_dc.h"

#include "gui/paint/alpha_blend.h"
#include "gui/paint/drawing.h"

HBITMAP createTopDownDib(HDC dc, i32 width, i32 height, u32** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bits) *bits = static_cast<u32*>(pixels);
    return bitmap;
}

// A 32-bit DIB in place of a bitmap of the target's own kind: it takes any target's pixels, and the
// system draws into it in process, where a device bitmap may live on the display server.
static HBITMAP screenFormatBitmap(HDC target, i32 width, i32 height) {
    return createTopDownDib(target, width, height, nullptr);
}

namespace {
// One bitmap shared by the buffers that do not nest (nearly all of them), grown to the largest
// size asked for and kept for the process, so that a painting step makes no bitmap of its own.
struct ScratchBitmap {
    HBITMAP bitmap = nullptr;
    i32 width = 0, height = 0;
    bool inUse = false;
    ~ScratchBitmap() {
        if (bitmap) DeleteObject(bitmap);
    }
    HBITMAP take(HDC target, i32 w, i32 h) {
        if (inUse) return nullptr;
        if (w > width || h > height) {
            if (bitmap) DeleteObject(bitmap);
            width = w > width ? w : width;
            height = h > height ? h : height;
            bitmap = screenFormatBitmap(target, width, height);
            if (!bitmap) width = height = 0;
        }
        inUse = bitmap != nullptr;
        return bitmap;
    }
} scratch;

// One memory DC kept for the buffers that do not nest; its saved state is restored after each use.
struct SpareDC {
    HDC dc = nullptr;
    bool inUse = false;
    ~SpareDC() {
        if (dc) DeleteDC(dc);
    }
    HDC take(HDC target) {
        if (inUse) return CreateCompatibleDC(target);
        if (!dc) dc = CreateCompatibleDC(target);
        inUse = dc != nullptr;
        return dc;
    }
    void give(HDC memory) {
        if (memory == dc)
            inUse = false;
        else
            DeleteDC(memory);
    }
} spare;
}  // namespace

GMemoryDC::GMemoryDC(GSavedDC& target) : targetDC(target) { attach(spare.take(target.dc())); }

GMemoryDC::~GMemoryDC() {
    HDC memory = dc();
    restore();
    if (bitmap) {
        SelectObject(memory, previousBitmap);
        releaseBitmap();
    }
    spare.give(memory);
}

void GMemoryDC::releaseBitmap() {
    if (sharedBitmap)
        scratch.inUse = false;
    else
        DeleteObject(bitmap);
    bitmap = nullptr;
    sharedBitmap = false;
}

bool GMemoryDC::offscreenBuffer(const RECT& rect, u32 flags) {
    bufferRect = rect;
    i32 width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    bool shared = !(flags & BufferFlag::OwnCompatible) && !bitmap;
    HBITMAP made = nullptr;
    if (shared) made = scratch.take(targetDC.dc(), width, height);
    if (!made) {
        shared = false;
        made = (flags & BufferFlag::OwnCompatible) ? CreateCompatibleBitmap(dc(), width, height)
                                                   : screenFormatBitmap(targetDC.dc(), width, height);
    }
    if (!made) return false;
    HGDIOBJ old = SelectObject(dc(), made);
    if (bitmap) {
        releaseBitmap();
    } else {
        previousBitmap = old;
    }
    bitmap = made;
    sharedBitmap = shared;
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
