#include "gui/paint/saved_dc.h"

#include "gui/kernel/window.h"

static const UINT objectTypes[3] = {OBJ_PEN, OBJ_BRUSH, OBJ_FONT};

void deleteGdiObject(GdiSlot& slot) {
    if (slot.owned && slot.created) DeleteObject(slot.created);
    slot = GdiSlot();
}

GSavedDC::GSavedDC(HDC dc) { attach(dc); }

GSavedDC::GSavedDC(HWND w) : window(w) { attach(GetDC(w)); }

GSavedDC::GSavedDC(const GWindow* w) : GSavedDC(w->hwnd) {}

GSavedDC::GSavedDC(HWND w, HideCursorTag) : window(w), cursorHidden(true) {
    ShowCursor(FALSE);
    attach(GetDC(w));
}

GSavedDC::~GSavedDC() {
    HDC dc = handle;
    restore();
    if (window && dc) ReleaseDC(window, dc);
    if (cursorHidden) ShowCursor(TRUE);
}

void GSavedDC::attach(HDC dc) {
    handle = dc;
    for (int i = 0; i < 3; ++i) {
        slots[i] = GdiSlot();
        slots[i].previous = slots[i].created = dc ? GetCurrentObject(dc, objectTypes[i]) : nullptr;
    }
    savedState = dc ? SaveDC(dc) : 0;
}

void GSavedDC::restore() {
    if (!handle) return;
    for (GdiSlot& s : slots)
        if (s.previous && s.created != s.previous) SelectObject(handle, s.previous);
    if (savedState) RestoreDC(handle, savedState);
    savedState = 0;
    for (GdiSlot& s : slots) deleteGdiObject(s);
    handle = nullptr;
}

void GSavedDC::drawSelectCleanup(SlotKind kind, HGDIOBJ object, bool owned) {
    GdiSlot& s = slots[kind];
    if (!object) {
        if (s.created != s.previous && s.previous) SelectObject(handle, s.previous);
        if (s.owned && s.created && s.created != s.previous) DeleteObject(s.created);
        s.created = s.previous;
        s.owned = false;
        return;
    }
    if (object != s.created) {
        // A failed selection leaves the previous object in place (and ours is not kept).
        if (!SelectObject(handle, object)) {
            if (owned) DeleteObject(object);
            return;
        }
        if (s.owned && s.created) DeleteObject(s.created);
        s.created = object;
    }
    s.owned = owned;
}

void GSavedDC::selectDeleteObject(SlotKind kind, GdiSlot& source) {
    bool takeOver = source.passesOwnership && source.owned;
    HGDIOBJ object = source.created;
    if (takeOver) source = GdiSlot();
    drawSelectCleanup(kind, object, takeOver);
}

void GSavedDC::selectPen(COLORREF colour) { drawSelectCleanup(Pen, CreatePen(PS_SOLID, 0, colour)); }

void GSavedDC::selectStylePen(COLORREF colour, u32 style) {
    LOGBRUSH brush = {BS_SOLID, colour, 0};
    drawSelectCleanup(Pen, ExtCreatePen(style, 1, &brush, 0, nullptr));
}

void GSavedDC::selectSolidBrush(COLORREF colour) { drawSelectCleanup(Brush, CreateSolidBrush(colour)); }

void GSavedDC::selectFont(HFONT font) { drawSelectCleanup(Font, font, false); }

void GSavedDC::intersectClipRect(i32 left, i32 top, i32 right, i32 bottom) {
    IntersectClipRect(handle, left, top, right, bottom);
}

// ---- clip guards ----

ClipGuard::~ClipGuard() { popClipRect(*this); }

void pushClipCoords(ClipGuard& guard, HDC dc, i32 left, i32 top, i32 right, i32 bottom) {
    popClipRect(guard);
    guard.dc = dc;
    guard.saved = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc, guard.saved) != 1) {
        DeleteObject(guard.saved);
        guard.saved = nullptr;
    }
    HRGN region = CreateRectRgn(left, top, right, bottom);
    ExtSelectClipRgn(dc, region, RGN_AND);
    DeleteObject(region);
}

void pushClipRect(ClipGuard& guard, HDC dc, const RECT& r) { pushClipCoords(guard, dc, r.left, r.top, r.right, r.bottom); }

void popClipRect(ClipGuard& guard) {
    if (!guard.dc) return;
    restoreClipRegion(guard.dc, guard.saved);
    guard.dc = nullptr;
    guard.saved = nullptr;
}

void restoreClipRegion(HDC dc, HRGN saved) {
    SelectClipRgn(dc, saved);
    if (saved) DeleteObject(saved);
}
