#pragma once
// Thread timers of the interface thread. The client owns the record (embedded or allocated); the
// service only links it into its list while it runs. The ticks are picked up by the timer service,
// a listener on the application's filter chain, and go to the record's callback or, without one,
// to its listener's onTimer. A callback may add or remove timers, its own included, and once it
// removed its own record it may delete it.
#include <cstdint>

#include "core/types.h"

class GItemBase;
struct TimerRecord;
typedef void (*TimerCallback)(TimerRecord* record, uintptr_t argument);

struct TimerRecord {
    uintptr_t id = 0;  // the system's timer id while running, else 0
    TimerRecord* previous = nullptr;
    TimerRecord* next = nullptr;
    uintptr_t argument = 0;
    TimerCallback callback = nullptr;
    GItemBase* listener = nullptr;  // used when callback is null
    u8 busy = 0;                    // 1 while its callback or listener runs
};

// Starts the timer (stopping it first when it runs). Timers belong to the interface thread: on any
// other thread nothing starts and the answer is false.
bool addTimer(TimerRecord* record, u32 interval, GItemBase* listener, TimerCallback callback, uintptr_t argument = 0);
// Stops the timer, on any thread; a record that does not run is left alone.
void removeTimer(TimerRecord* record);
// The filter of the timer service: consumes a WM_TIMER of a running record that is not busy.
bool filterTimerMessage(const struct tagMSG* message);
