#pragma once
// GHotTracker: the hot (under the pointer) and pressed state of the owner-drawn parts of a window,
// such as the buttons of a tool bar. The owner answers hitPart with a part's rectangle and flags,
// and hears clickPart when a pressed part is released over itself and redrawPart when a part
// stops being hot. A listener at the head of the owner's chain; the owner window owns it.
#include "gui/kernel/window_listener.h"

#include <windows.h>

// State bits: the low byte holds the flags of the owner's hit test.
enum : u32 {
    HotDisabled = 1,
    HotChecked = 2,
    HotNoPressOnClick = 4,   // a single click does not press
    HotKeepInside = 8,       // stays hot while the pointer moves to another rectangle
    HotPressed = 0x10000,
    HotActive = 0x20000,
};

class GHotTracker : public GWindowListener {
public:
    explicit GHotTracker(GWindow* owner) { beginMouseTracking(this, owner); }

    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    // Clears hot and pressed, tells the owner's redrawPart and repaints the owner.
    void leave();
    // Presses the whole client area (keyboard presses of a button) or lets go.
    void setPressed(bool pressed);

    bool hot() const { return (state & HotActive) != 0; }
    bool pressed() const { return (state & HotPressed) != 0; }

    u32 state = 0;
    RECT hotRect = {0, 0, 0, 0};

private:
    void repaintOwner();
    bool pointerOverOwner(i32 x, i32 y);
};

// The frame painter's style for a part: the extra state plus the tracker's hot and pressed bits
// when the rectangle is the hot one, turned into style bits; removed bits cleared last.
u32 frameStateStyle(u32 style, const RECT& rect, const GHotTracker* tracker, u32 removed, u32 state);
