#pragma once
// GSavedDC: the wrapper every painter draws through. It remembers the pen, brush and font selected
// when it was made and the DC's saved state, and restores both when it ends; objects it created and
// owns are deleted then. Made on the stack by the code that paints, for one painting step.
#include <windows.h>

#include "core/types.h"

class GWindow;

// One selectable object kind of a wrapper.
struct GdiSlot {
    HGDIOBJ created = nullptr;   // the object this wrapper selected (the previous one until then)
    HGDIOBJ previous = nullptr;  // the object selected when the wrapper was made
    bool owned = false;          // the wrapper deletes `created`
    bool passesOwnership = false;  // selectDeleteObject from this slot takes the object over
};

// Deletes the slot's object when the slot owns it and empties the slot; the object must no longer
// be selected into a DC.
void deleteGdiObject(GdiSlot& slot);

class GSavedDC {
public:
    enum SlotKind { Pen, Brush, Font };
    enum HideCursorTag { HideCursor };

    // On a DC the caller owns (a paint DC, a DC handed to a callback): restores, releases nothing.
    explicit GSavedDC(HDC dc);
    // On a window's DC from GetDC, released at the end.
    explicit GSavedDC(HWND window);
    // On the DC of a toolkit window's native window.
    explicit GSavedDC(const GWindow* window);
    // As the window form, with the mouse cursor hidden while the wrapper lives.
    GSavedDC(HWND window, HideCursorTag);
    GSavedDC(const GSavedDC&) = delete;
    GSavedDC& operator=(const GSavedDC&) = delete;
    virtual ~GSavedDC();

    HDC dc() const { return handle; }
    GdiSlot& slot(SlotKind kind) { return slots[kind]; }

    // A non-null object is selected into the slot (when it differs from the one there, whose object
    // is deleted when owned); the slot then owns it unless `owned` is false. Null selects the
    // previous object back and deletes the created one when owned.
    void drawSelectCleanup(SlotKind kind, HGDIOBJ object, bool owned = true);
    // Selects the object of another slot; a source that passes ownership and owns its object hands
    // it over and is emptied.
    void selectDeleteObject(SlotKind kind, GdiSlot& source);

    // A solid pen of width 0.
    void selectPen(COLORREF colour);
    // A cosmetic pen of width 1 of a pen style (PS_DOT for dotted lines).
    void selectStylePen(COLORREF colour, u32 style);
    void selectSolidBrush(COLORREF colour);
    // A font the wrapper does not own.
    void selectFont(HFONT font);
    // Narrows the clip region to the rectangle (the saved state restores it).
    void intersectClipRect(i32 left, i32 top, i32 right, i32 bottom);

protected:
    GSavedDC() = default;
    // Remembers the selected objects and saves the DC's state.
    void attach(HDC dc);
    // Selects the previous objects back, restores the state and deletes the owned objects.
    void restore();

private:
    HDC handle = nullptr;
    GdiSlot slots[3];
    int savedState = 0;
    HWND window = nullptr;
    bool cursorHidden = false;
};

// The DC's clip region kept while a narrower one is in force; the destructor restores it when
// popClipRect was not called.
struct ClipGuard {
    HDC dc = nullptr;
    HRGN saved = nullptr;

    ClipGuard() = default;
    ClipGuard(const ClipGuard&) = delete;
    ClipGuard& operator=(const ClipGuard&) = delete;
    ~ClipGuard();
};
// Keeps the current clip region (none when the DC has none) and intersects it with the rectangle.
void pushClipRect(ClipGuard& guard, HDC dc, const RECT& rect);
void pushClipCoords(ClipGuard& guard, HDC dc, i32 left, i32 top, i32 right, i32 bottom);
// Selects the kept region back (no clip when there was none) and deletes it.
void popClipRect(ClipGuard& guard);
// Selects the saved region into the DC (null: no clip), then deletes it.
void restoreClipRegion(HDC dc, HRGN saved);
