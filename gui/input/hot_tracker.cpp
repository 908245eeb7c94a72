#include "gui/input/hot_tracker.h"

#include "gui/input/cursor.h"
#include "gui/input/input_event.h"
#include "gui/kernel/child_window.h"
#include "gui/layout/rect_list.h"

void GHotTracker::repaintOwner() {
    GWindow* owner = watched;
    if (!owner || !owner->hwnd) return;
    GItemBase* item = owner->item();
    GChildWindow* child = item ? item->asChildWindow() : nullptr;
    if (child && child->redrawLock != 0)
        owner->flags |= WindowRepaintPending;
    else
        InvalidateRect(owner->hwnd, nullptr, FALSE);
}

bool GHotTracker::pointerOverOwner(i32 x, i32 y) {
    HWND hwnd = watched ? watched->hwnd : nullptr;
    if (!hwnd) return false;
    requestHoverTracking(watched);
    return pointerOverWindow(hwnd, x, y);
}

void GHotTracker::leave() {
    if (!(state & (HotActive | HotPressed))) return;
    state &= ~(HotActive | HotPressed);
    LifeGuard guard(lifeRecord());
    if (GItemBase* item = watched ? watched->item() : nullptr) item->redrawPart(this);
    if (guard.alive()) repaintOwner();
}

void GHotTracker::setPressed(bool pressed) {
    if (pressed) {
        state |= HotActive | HotPressed;
        if (watched && watched->hwnd) GetClientRect(watched->hwnd, &hotRect);
    } else {
        state &= ~HotPressed;
    }
    repaintOwner();
}

bool GHotTracker::handleMessage(u32 message, uintptr_t, intptr_t lParam, intptr_t*) {
    switch (message) {
    case WM_MOUSELEAVE:
        if (watched) watched->flags &= ~WindowHoverTracking;
        leave();
        return false;
    case WM_MOUSEHOVER:
        if (watched) watched->flags &= ~WindowHoverTracking;
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        break;
    default:
        return false;
    }
    i32 x = (i16)LOWORD(lParam), y = (i16)HIWORD(lParam);
    GItemBase* item = watched ? watched->item() : nullptr;
    RECT rect = {0, 0, 0, 0};
    u32 partFlags = 0;
    LifeGuard guard(lifeRecord());
    if (!item || !pointerOverOwner(x, y) || !item->hitPart(this, x, y, &rect, &partFlags)) {
        if (guard.alive()) leave();
        return false;
    }
    if (!guard.alive()) return false;
    if (hot() && !rectsEqual(rect, hotRect) && !(partFlags & HotKeepInside)) leave();
    if (!guard.alive()) return false;
    state = (state & ~0xFFu) | (partFlags & 0xFF);
    if (!IsWindowEnabled(watched->hwnd)) state |= HotDisabled;
    if (!hot()) {
        state |= HotActive;
        hotRect = rect;
        repaintOwner();
    }
    bool disabled = (state & HotDisabled) != 0;
    if ((message == WM_LBUTTONDOWN && !disabled && !(state & HotNoPressOnClick)) ||
        (message == WM_LBUTTONDBLCLK && !disabled)) {
        state |= HotPressed;
        repaintOwner();
    } else if (message == WM_LBUTTONUP && pressed()) {
        state &= ~HotPressed;
        repaintOwner();
        item->clickPart(this);
    }
    return false;
}

u32 frameStateStyle(u32 style, const RECT& rect, const GHotTracker* tracker, u32 removed, u32 state) {
    if (tracker && rectsEqual(rect, tracker->hotRect)) state |= tracker->state & (HotActive | HotPressed);
    if (state & HotActive) {
        if (!(style & 0x77)) style |= 2;
        style |= 0x4000000;
    }
    if (state & HotDisabled) style |= 0x800000;
    if (!(style & 0xF000)) {
        if (state & HotChecked) {
            style |= 0x5000;
        } else {
            style |= 0x6000;
            if (!(state & HotPressed)) style |= 0x10000000;
        }
    }
    if ((state & HotPressed) && tracker && tracker->hotRect.right - tracker->hotRect.left > 8) style |= 0x100000;
    return style & ~removed;
}
