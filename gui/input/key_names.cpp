#include "gui/input/key_names.h"

#include <windows.h>

#include "core/texts.h"
#include "gui/input/input_event.h"

namespace {
const char* const numpadNames[] = {"Num 0", "Num 1", "Num 2", "Num 3", "Num 4", "Num 5", "Num 6", "Num 7",
                                   "Num 8", "Num 9", "Num *", "Num +", "Num ?", "Num -", "Num .", "Num /"};
const char* const functionNames[] = {"F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",
                                     "F9",  "F10", "F11", "F12", "F13", "F14", "F15", "F16",
                                     "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24"};
const char* const punctuationNames[] = {";", "=", ",", "-", ".", "/", "`"};   // 186..192
const char* const bracketNames[] = {"[", "\\", "]", "'"};                     // 219..222
const char* const digitAndLetterNames[] = {
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C", "D", "E", "F", "G", "H",
    "I", "J", "K", "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};

// The language's labels: keys 1, 2, 4-7, 32 and 37-40.
const char* labelOf(i32 key) {
    switch (key) {
    case 1: return coreText(CoreText::KeyLeftButton);
    case 2: return coreText(CoreText::KeyRightButton);
    case 4: return coreText(CoreText::KeyMiddleButton);
    case 5: return coreText(CoreText::KeyXButton1);
    case 6: return coreText(CoreText::KeyXButton2);
    case 7: return coreText(CoreText::KeyButton7);
    case 32: return coreText(CoreText::KeySpace);
    case 37: return coreText(CoreText::KeyLeft);
    case 38: return coreText(CoreText::KeyUp);
    case 39: return coreText(CoreText::KeyRight);
    case 40: return coreText(CoreText::KeyDown);
    default: return nullptr;
    }
}

const char* staticName(i32 key) {
    switch (key) {
    case 3: return "Cancel";
    case 8: return "Backspace";
    case 9: return "Tab";
    case 13: return "Enter";
    case 16: return "Shift";
    case 17: return "Ctrl";
    case 18: return "Alt";
    case 19: return "Pause/Break";
    case 20: return "Caps Lock";
    case 27: return "Escape";
    case 33: return "PgUp";
    case 34: return "PgDn";
    case 35: return "End";
    case 36: return "Home";
    case 45: return "Ins";
    case 46: return "Del";
    case 91: return "Left Windows";
    case 92: return "Right Windows";
    case 93: return "Menu";
    case 144: return "Num Lock";
    case 145: return "Scroll Lock";
    default: break;
    }
    if (key >= 48 && key <= 57) return digitAndLetterNames[key - 48];
    if (key >= 65 && key <= 90) return digitAndLetterNames[10 + key - 65];
    if (key >= 96 && key <= 111) return numpadNames[key - 96];
    if (key >= 112 && key <= 135) return functionNames[key - 112];
    if (key >= 186 && key <= 192) return punctuationNames[key - 186];
    if (key >= 219 && key <= 222) return bracketNames[key - 219];
    return nullptr;
}
}  // namespace

const char* keyTableName(i32 key) {
    if (key < 1 || key > 255) return nullptr;
    if (const char* label = labelOf(key)) return label;
    return staticName(key);
}

void keyToText(GString& text, i32 key, u32 modifiers) {
    if (modifiers & ModCtrl) stringAppend(text, "Ctrl+");
    if (modifiers & ModAlt) stringAppend(text, "Alt+");
    if (modifiers & ModShift) stringAppend(text, "Shift+");
    if (key <= 0) {
        if (!text.empty()) stringAppend(text, "...");
        return;
    }
    if (const char* name = keyTableName(key)) {
        stringAppend(text, name);
        return;
    }
    LONG scan = (LONG)(MapVirtualKeyA((UINT)key, 0) << 16);
    if (key >= 33 && key <= 46) scan |= 0x1000000;
    char name[100];
    if (scan != 0 && GetKeyNameTextA(scan, name, sizeof name) > 0) {
        stringAppend(text, name);
        return;
    }
    stringAppendFormat(text, "[%XH]", (unsigned)key);
}
