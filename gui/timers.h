#pragma once
// Thread timers of the interface thread: a caller-owned record names a callback that the interface
// thread's message loop calls with its argument every interval until the record is removed.
#include <cstdint>

#include "core/guard.h"
#include "core/types.h"

typedef void (*TimerCallback)(void* argument);

struct TimerRecord {
    uintptr_t id = 0;  // the system's timer id while registered, else 0
    u32 interval = 0;
    u32 flags = 0;
    TimerCallback callback = nullptr;
    void* argument = nullptr;
    ExceptionCarrier* failures = nullptr;  // receives what a callback throws; dropped when null
};

// Registers the record (again, when it already is). Only the interface thread can own timers: on any
// other thread nothing is registered and the answer is false.
bool addTimer(TimerRecord* record, u32 interval, u32 flags, TimerCallback callback, void* argument);
// Unregisters the record, on any thread; a record that is not registered is left as it is. A call
// that the interface thread has already begun may still complete after the return.
void removeTimer(TimerRecord* record);
