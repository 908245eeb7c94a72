#pragma once
// The input event record: one key or mouse event on its way through the items, filled on the stack
// by the translators below and passed by pointer. Read it through the accessors: key and mouse
// events keep their modifier bits in different layouts.
#include <windows.h>

#include "core/types.h"

class GItemBase;

// Kinds of key events.
enum : u32 { KeyCharacter = 0, KeyDown = 1, KeyUp = 2 };
// Modifier bits of key events; the mouse buttons held at the time of the key.
enum : u32 { ModShift = 1, ModCtrl = 2, ModAlt = 4, ModLeftButton = 8, ModRightButton = 0x10, ModMiddleButton = 0x20 };
// Modifier bits of mouse events: the message's MK_SHIFT and MK_CONTROL, and Alt.
enum : u32 { MouseShift = MK_SHIFT, MouseCtrl = MK_CONTROL, MouseAlt = 0x80 };
// Buttons and actions of mouse events.
enum : u8 { ButtonNone = 0, ButtonLeft = 1, ButtonRight = 2, ButtonMiddle = 3 };
enum : u8 { MouseMove = 1, MousePress = 2, MouseRelease = 3, MouseDoubleClick = 4 };

struct GInputEvent {
    GItemBase* target = nullptr;
    u32 kind = 0;       // key events: KeyCharacter, KeyDown, KeyUp
    u32 key = 0;        // virtual key, or the character
    u32 modifiers = 0;
    i32 x = 0, y = 0;   // mouse events: client coordinates of the target's window
    bool noScanCode = false;  // synthesised: the key message carried no scan code
    bool repeat = false;      // a key down of a key already down (auto-repeat)
    bool mouse = false;
    u8 button = ButtonNone;
    u8 action = 0;

    bool isShift() const { return (modifiers & (mouse ? (u32)MouseShift : (u32)ModShift)) != 0; }
    bool isCtrl() const { return (modifiers & (mouse ? (u32)MouseCtrl : (u32)ModCtrl)) != 0; }
    bool isAlt() const { return (modifiers & (mouse ? (u32)MouseAlt : (u32)ModAlt)) != 0; }
    bool isPress() const { return mouse && action == MousePress; }
    bool isDoubleClick() const { return mouse && action == MouseDoubleClick; }
    // A key down of the key with exactly the Shift/Ctrl/Alt bits given.
    bool isKeyDown(u32 vk, u32 mods = 0) const { return !mouse && kind == KeyDown && key == vk && (modifiers & 7) == mods; }
    static GInputEvent keyDown(u32 vk, u32 mods = 0) {
        GInputEvent e;
        e.kind = KeyDown;
        e.key = vk;
        e.modifiers = mods;
        return e;
    }
};

// A key event from WM_KEYDOWN, WM_KEYUP, WM_CHAR and their WM_SYS forms; false for other messages.
bool keyModifierState(u32 message, uintptr_t wParam, intptr_t lParam, GInputEvent* event);
// A mouse event from the move, button and double-click messages of the three buttons; false for
// other messages and while mouseInputBlocked is set.
bool mouseEventFromMessage(u32 message, uintptr_t wParam, intptr_t lParam, GInputEvent* event);
extern bool mouseInputBlocked;

// Seconds of the runtime clock of the last key down and of the last mouse action other than a move.
extern i64 lastKeyDownTime;
extern i64 lastMouseActionTime;

// The move and button messages of the three buttons.
inline bool isMouseMessage(u32 message) { return message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK; }
// Down, up and double click of the right or middle button.
inline bool isOtherButtonMessage(u32 message) { return message >= WM_RBUTTONDOWN && message <= WM_MBUTTONDBLCLK; }

// Right and bottom exclusive.
inline bool rectContainsPoint(const RECT& rect, i32 x, i32 y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}
// A key down of the key with no modifier bit at all (a held mouse button counts).
bool isKeyDownPlain(const GInputEvent* event, u32 key);
// A key down of the key with Ctrl alone.
bool isCtrlKey(const GInputEvent* event, u32 key);
