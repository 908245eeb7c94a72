#pragma once
// GDragImageWindow: the picture of a dragged item following the cursor, with a drop-feedback mark
// chosen by the source's dropKindAt. Two temporary top-level windows (image and mark), each
// clearing its slot here when it dies. A listener on the source window; the source deletes it at
// the drop or cancel (or it goes with the source window).
#include <windows.h>

#include "gui/kernel/window_listener.h"

class GDrawable;
class GDrawerWindow;
class GTemporaryWindow;

// The mark bitmaps of the drop kinds: 2, 3, 4 and any other.
enum : i32 { DropMarkCopy = 9082, DropMarkLink = 9083, DropMarkMove = 9081, DropMarkNone = 9080 };
// The colour the mark window shows through.
const COLORREF kDragMarkKey = RGB(255, 0, 255);

class GDragImageWindow : public GWindowListener {
public:
    GDragImageWindow(GWindow* source, GDrawable* image);
    ~GDragImageWindow() override;

    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;

    i32 dropKind = 0;
    POINT last = {0, 0};
    i32 markBitmap = DropMarkNone;
    u32 markLoads = 0;        // how often the mark took a new bitmap
    bool markOpaque = false;  // layering refused: the mark is shown opaque
    GTemporaryWindow* markWindow = nullptr;
    GTemporaryWindow* imageWindow = nullptr;
    GDrawerWindow* markLabel = nullptr;
    GDrawable* image;

private:
    void setMark(i32 kind);
};

// The bitmap of a drop kind.
i32 dropMarkBitmap(i32 kind);
// Makes the window colour-keyed; replaceable for tests. False when the system refuses.
extern bool (*layerWithColourKey)(HWND window, COLORREF key);
