#include "gui/input/input_event.h"

#include "gui/input/system_input.h"

bool mouseInputBlocked = false;
i64 lastKeyDownTime = 0;
i64 lastMouseActionTime = 0;

namespace {
bool keyHeld(int vk) { return (systemInput.keyState(vk) & 0x8000) != 0; }
}  // namespace

bool keyModifierState(u32 message, uintptr_t wParam, intptr_t lParam, GInputEvent* event) {
    u32 kind;
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: kind = KeyDown; break;
    case WM_KEYUP:
    case WM_SYSKEYUP: kind = KeyUp; break;
    case WM_CHAR:
    case WM_SYSCHAR: kind = KeyCharacter; break;
    default: return false;
    }
    static const struct {
        int vk;
        u32 bit;
    } bits[] = {{VK_SHIFT, ModShift},         {VK_CONTROL, ModCtrl},         {VK_MENU, ModAlt},
                {VK_LBUTTON, ModLeftButton}, {VK_MBUTTON, ModMiddleButton}, {VK_RBUTTON, ModRightButton}};
    *event = GInputEvent();
    event->kind = kind;
    event->key = (u32)wParam;
    for (const auto& b : bits)
        if (keyHeld(b.vk)) event->modifiers |= b.bit;
    event->noScanCode = ((lParam >> 16) & 0xFF) == 0;
    event->repeat = kind == KeyDown && (lParam & 0x40000000) != 0;
    return true;
}

bool mouseEventFromMessage(u32 message, uintptr_t wParam, intptr_t lParam, GInputEvent* event) {
    if (mouseInputBlocked) return false;
    u8 button, action;
    if (message == WM_MOUSEMOVE) {
        button = ButtonNone;
        action = MouseMove;
    } else if (message >= WM_LBUTTONDOWN && message <= WM_MBUTTONDBLCLK) {
        u32 n = message - WM_LBUTTONDOWN;  // three messages a button: down, up, double click
        button = (u8)(ButtonLeft + n / 3);
        action = (u8)(MousePress + n % 3);
    } else {
        return false;
    }
    *event = GInputEvent();
    event->mouse = true;
    event->button = button;
    event->action = action;
    event->x = (i16)LOWORD(lParam);
    event->y = (i16)HIWORD(lParam);
    event->modifiers = (u32)wParam & (MK_SHIFT | MK_CONTROL);
    if (keyHeld(VK_MENU)) event->modifiers |= MouseAlt;
    return true;
}

bool isKeyDownPlain(const GInputEvent* event, u32 key) {
    return !event->mouse && event->kind == KeyDown && event->key == key && event->modifiers == 0;
}

bool isCtrlKey(const GInputEvent* event, u32 key) {
    return !event->mouse && event->kind == KeyDown && event->key == key && event->modifiers == ModCtrl;
}
