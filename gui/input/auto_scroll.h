#pragma once
// GAutoScrollTracker: a mouse capture for a drag with the left button that scrolls its owner while
// the pointer stays outside the client area: every 100 ms the owner's scrollBy gets the distance
// to the edge, and a still pointer gets a posted WM_MOUSEMOVE so the drag follows the new content.
// Owned like every GMouseCapture.
#include "gui/input/mouse_capture.h"
#include "gui/kernel/timers.h"

class GAutoScrollTracker : public GMouseCapture {
public:
    using GMouseCapture::GMouseCapture;
    ~GAutoScrollTracker() override { removeTimer(&timer); }

    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    void end() override;
    void onTimer(TimerRecord*) override;

    bool scrolling() const { return timer.id != 0; }

    TimerRecord timer;
    i32 lastX = 0, lastY = 0;  // the point of the last move, client coordinates
};
enum : u32 { AutoScrollInterval = 100 };
