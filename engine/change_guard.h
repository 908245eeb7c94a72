#pragma once
// The guard of an opened change, on the stack of the slot that opened it: when an exception leaves
// the slot (a Stop that throws from a progress report, a failed allocation) before the new bytes are
// all written, the bytes not written get the fill rule (fillNewBytes), so the range holds old or new
// bytes, never what the work file held there. A writer over the change that finishes tells the
// guard through the change (RangeChange::guard); a slot writing directly says how far it got.
#include "engine/processor.h"

class ChangeGuard {
public:
    // Takes charge of the change and marks it as guarded.
    ChangeGuard(SoundStore* store, RangeChange& change);
    ChangeGuard(const ChangeGuard&) = delete;
    ChangeGuard& operator=(const ChangeGuard&) = delete;
    ~ChangeGuard();

    // The new bytes before `bytes` hold what the slot wrote.
    void reached(u64 bytes) { written = bytes; }

private:
    SoundStore* store;
    RangeChange change;
    u64 written = 0;
    int exceptions;
};

// Silences the store's error handlers for a scope (cleanup while unwinding reports nothing).
class QuietStore {
public:
    explicit QuietStore(SoundStore* store);
    QuietStore(const QuietStore&) = delete;
    QuietStore& operator=(const QuietStore&) = delete;
    ~QuietStore();

private:
    SoundStore* store;
    ErrorHandler* work;
    ErrorHandler* source;
};
