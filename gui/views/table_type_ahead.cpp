#include "gui/views/table_type_ahead.h"

#include <windows.h>

#include "gui/input/system_input.h"
#include "gui/views/table.h"

bool GTableTypeAhead::onCharacter(u32 character) {
    if ((systemInput.keyState(VK_MENU) & 0x8000) || (systemInput.keyState(VK_CONTROL) & 0x8000)) return false;
    if (character == 8) {
        stringTruncate(text, 1);
    } else if (character < 32) {
        return false;
    } else {
        stringAppendChar(text, (char)character);
    }
    owner->typedText(*this, text.c_str());
    return true;
}

bool GTableTypeAhead::handleMessage(u32 message, uintptr_t wParam, intptr_t, intptr_t* result) {
    if (message != WM_CHAR || !onCharacter((u32)wParam)) return false;
    *result = 0;
    return true;
}
