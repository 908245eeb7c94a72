#include "gui/timers.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "gui/ui_thread.h"

namespace {
std::mutex g_timerLock;
std::vector<TimerRecord*> g_timers;  // registered records

void CALLBACK timerTick(HWND, UINT, UINT_PTR id, DWORD) {
    TimerCallback callback = nullptr;
    void* argument = nullptr;
    ExceptionCarrier* failures = nullptr;
    {
        std::lock_guard<std::mutex> hold(g_timerLock);
        for (TimerRecord* r : g_timers) {
            if (r->id != id) continue;
            callback = r->callback;
            argument = r->argument;
            failures = r->failures;
            break;
        }
    }
    // A record removed on another thread leaves its system timer to be killed here, on its own thread.
    if (!callback) {
        KillTimer(nullptr, id);
        return;
    }
    callGuarded(failures, [&] { callback(argument); });
}

// Takes the record out of the registry; answers its system id (0 when it was not registered).
uintptr_t unregister(TimerRecord* record) {
    std::lock_guard<std::mutex> hold(g_timerLock);
    auto at = std::find(g_timers.begin(), g_timers.end(), record);
    if (at == g_timers.end()) return 0;
    g_timers.erase(at);
    uintptr_t id = record->id;
    record->id = 0;
    return id;
}
}  // namespace

bool addTimer(TimerRecord* record, u32 interval, u32 flags, TimerCallback callback, void* argument) {
    if (!isUiThread()) return false;
    removeTimer(record);
    UINT_PTR id = SetTimer(nullptr, 0, interval, timerTick);
    if (!id) return false;
    std::lock_guard<std::mutex> hold(g_timerLock);
    record->id = id;
    record->interval = interval;
    record->flags = flags;
    record->callback = callback;
    record->argument = argument;
    g_timers.push_back(record);
    return true;
}

void removeTimer(TimerRecord* record) {
    uintptr_t id = unregister(record);
    if (id && isUiThread()) KillTimer(nullptr, id);
}
