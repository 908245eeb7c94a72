#pragma once
// The single-instance hand-over: the first instance holds "running" in the data folder open for
// its whole life; a second start writes its command line to "command" there and ends; the first
// polls for it (170 ms), queues the names and opens them in its main window (270 ms). The installer
// asks a running instance to quit the same way. All state here is process-wide.
#include <string>
#include <vector>

#include "core/types.h"

enum class HandOver {
    First,        // this process runs now, holding the lock
    Passed,       // another instance took the command (or did not within the time)
    NoDataFolder  // the data folder cannot be made
};

// The names queued for opening (the command line's own first), the count of names not yet
// opened, and the stop requests not yet honoured.
extern std::vector<std::string> queuedFiles;
extern u32 queuedCount;
extern u32 stopRequests;

HandOver handOverToRunningInstance(const char* commandLine);
// Writes the text as the whole content of the data folder's file: first under a temporary name
// beside it, then moved into place, so that no reader sees it half written.
bool writeCommandFile(const char* name, const char* text);
// Waits until no instance holds the lock, asking once with "-stop"; true then. After the wait
// (milliseconds) a message asks the user to close it; after each further wait a question whether
// to go on waiting, whose No answers false.
bool requestRunningInstanceStop();
extern i32 runningStopWaitMs;
// Queues the names of a pending command and opens them at once when it queued any.
void pollCommandFile();
void openQueuedFiles();
// The two timers, and the queued count set to the names queued so far.
void startHandOverTimers();
void stopHandOverTimers();
// Closes the lock (process exit; tests).
void releaseInstanceLock();

// The window kind that opens a file of the name (by its extension, case-sensitive).
u32 windowKindForFile(const char* name);
// Opens a queued file in a main window; replaceable for tests. The default brings a page showing
// it forward or makes one of the kind.
extern void (*openQueuedFile)(class GObjectWindow* target, u32 kind, const char* path);
