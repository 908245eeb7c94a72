#pragma once
// The input event record: one key or mouse event on its way through the items.
#include "core/types.h"

class GItemBase;

// Kinds of key events.
enum : u32 { KeyCharacter = 0, KeyDown = 1, KeyUp = 2 };
// Modifier bits of key events.
enum : u32 { ModShift = 1, ModCtrl = 2, ModAlt = 4 };

struct GInputEvent {
    GItemBase* target = nullptr;
    u32 kind = 0;
    u32 key = 0;        // virtual key, or the character
    u32 modifiers = 0;
    i32 x = 0, y = 0;
    bool noScanCode = false;

    bool isKeyDown(u32 vk, u32 mods = 0) const { return kind == KeyDown && key == vk && (modifiers & 7) == mods; }
    static GInputEvent keyDown(u32 vk, u32 mods = 0) {
        GInputEvent e;
        e.kind = KeyDown;
        e.key = vk;
        e.modifiers = mods;
        return e;
    }
};
