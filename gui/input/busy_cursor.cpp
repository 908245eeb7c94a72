#include "gui/input/busy_cursor.h"

#include <windows.h>

#include "gui/kernel/window.h"
#include "gui/kernel/window_procedure.h"

namespace {
u32 g_depth = 0;
}

void setAllWindowsCursor(u32 cursorId) {
    HCURSOR cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(cursorId));
    if (GWindowMapEntry* first = parentWindowMap().first())
        SetClassLongPtrA(static_cast<GWindow*>(first)->hwnd, GCLP_HCURSOR, (LONG_PTR)cursor);
    SetCursor(cursor);
}

void beginBusyCursor() {
    if (g_depth++ == 0) setAllWindowsCursor(32514);  // IDC_WAIT
}

void endBusyCursor() {
    if (g_depth && --g_depth == 0) setAllWindowsCursor(32512);  // IDC_ARROW
}
