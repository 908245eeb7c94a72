#pragma once
// GHoverTracker: a mouse capture that is active while the pointer is over its owner window: it
// begins when the pointer comes in and ends when it leaves (the capture brings the moves outside).
// Subclasses hear enter, move and leave. Owned like every GMouseCapture.
#include "gui/input/mouse_capture.h"

enum HoverKind : u8 {
    HoverPlain,        // inside: in the client area of an active window, under the pointer
    HoverWhileHeld,    // also inside while a mouse button is held; the pointer window is asked
                       // only of an enabled owner
};

class GHoverTracker : public GMouseCapture {
public:
    GHoverTracker(GWindow* owner, HoverKind kind, bool cancelOnFocusLoss = false)
        : GMouseCapture(owner), kind(kind), cancelOnFocusLoss(cancelOnFocusLoss) {}

    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    void cancel() override;
    // Whether the point counts as over the owner.
    bool pointInside(uintptr_t wParam, i32 x, i32 y) const;

    virtual void onEnter(i32 /*x*/, i32 /*y*/) {}
    virtual void onHover(i32 /*x*/, i32 /*y*/) {}
    virtual void onLeave() {}

    const HoverKind kind;
    const bool cancelOnFocusLoss;
};
