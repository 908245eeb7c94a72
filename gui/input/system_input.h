#pragma once
// The one table through which the toolkit reads the clock, the cursor, the keys and the active
// window. Tests replace entries to drive timing and input without sleeping; every toolkit caller
// goes through it.
#include <windows.h>

struct SystemInput {
    DWORD (*tickCount)();
    BOOL (*cursorPos)(POINT* point);
    BOOL (*setCursorPos)(int x, int y);
    SHORT (*keyState)(int virtualKey);
    SHORT (*asyncKeyState)(int virtualKey);
    HWND (*activeWindow)();
};

// The table in use; its entries start as the system's calls.
extern SystemInput systemInput;
// The system's own calls, to restore the table.
extern const SystemInput systemInputDefaults;
