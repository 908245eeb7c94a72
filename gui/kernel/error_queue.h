#pragma once
// The pending-error list: errors queued from any thread wait here and are shown one after another
// on the interface thread, by a wake-up task or first thing in a modal scope. At most 20 wait, then
// one notice that further messages were dropped, then none until the list drains. The list is made
// by the common-controls step's start and deleted by its stop; without it an error is shown at once
// on the interface thread, or carried there from a worker.
#include "core/types.h"

class GWindow;

void createPendingBoxList();
// Drops whatever still waits (the owners' records released, the wake-up tasks unrun).
void deletePendingBoxList();
bool pendingBoxListExists();

// Queues the error for the owner (may be null); never touches a window.
void queueMessageBoxRequest(GWindow* owner, const char* message);
// Shows the pending errors, first in first out (interface thread; nothing on another thread or
// while already showing them).
void showPendingErrorBoxes();

// What waits now, and whether the notice was queued.
u32 pendingErrorCount();
bool pendingErrorsOverflowed();
