#include "gui/input/system_input.h"

namespace {
DWORD tick() { return GetTickCount(); }
BOOL cursor(POINT* point) { return GetCursorPos(point); }
BOOL moveCursor(int x, int y) { return SetCursorPos(x, y); }
SHORT key(int virtualKey) { return GetKeyState(virtualKey); }
SHORT asyncKey(int virtualKey) { return GetAsyncKeyState(virtualKey); }
HWND active() { return GetActiveWindow(); }
}  // namespace

const SystemInput systemInputDefaults = {tick, cursor, moveCursor, key, asyncKey, active};
SystemInput systemInput = systemInputDefaults;
