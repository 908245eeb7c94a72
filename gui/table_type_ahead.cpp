#include "gui/table_type_ahead.h"

#include <windows.h>

#include "gui/system_input.h"

static bool held(int key) { return (systemInput.keyState(key) & 0x8000) != 0; }

bool GTableTypeAhead::handleChar(u32 character) {
    if (held(VK_MENU) || held(VK_CONTROL)) return false;
    if (character == 8) {
        stringTruncate(text, 1);
    } else if (character < 32) {
        return false;
    } else {
        stringAppendChar(text, (char)character);
    }
    if (owner) owner->typeAhead(*this, text.c_str());
    return true;
}
