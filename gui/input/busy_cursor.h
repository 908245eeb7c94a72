#pragma once
// The wait cursor over every toolkit window while work runs on the interface thread: calls nest,
// the first begin shows the wait cursor, the last end the arrow again.
#include "core/types.h"

void beginBusyCursor();
void endBusyCursor();
// Sets a system cursor as the class cursor of the top-level windows and as the current cursor.
void setAllWindowsCursor(u32 cursorId);

struct BusyCursor {
    BusyCursor() { beginBusyCursor(); }
    ~BusyCursor() { endBusyCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
