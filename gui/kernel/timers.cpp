#include "gui/kernel/timers.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "core/linked_list.h"
#include "gui/kernel/application.h"
#include "gui/kernel/item_base.h"
#include "gui/kernel/ui_thread.h"

namespace {
std::recursive_mutex g_lock;
TimerRecord* g_first = nullptr;
TimerRecord* g_last = nullptr;
std::vector<uintptr_t> g_orphans;  // ids removed on another thread, killed on their next tick

// The ticks being delivered, innermost first. Removing a record clears it here, so that nothing
// touches a record after a callback that stopped it (and perhaps deleted its owner).
struct Delivery {
    TimerRecord* record;
    Delivery* outer;
};
Delivery* g_deliveries = nullptr;

// Listed on the application's filter chain; lives as long as the program.
class TimerService : public GItemBase {
public:
    bool filterMessage(tagMSG* message) override { return filterTimerMessage(message); }
};

TimerService* g_service = nullptr;
}  // namespace

bool addTimer(TimerRecord* record, u32 interval, GItemBase* listener, TimerCallback callback, uintptr_t argument) {
    if (!isUiThread()) return false;
    std::lock_guard<std::recursive_mutex> hold(g_lock);
    if (!g_service) g_service = new TimerService;
    GApplication* app = application();
    if (app && g_service->lifeRecord()->owner != &app->filterList)
        ListenerChain::append(app->filterList, g_service->lifeRecord());
    removeTimer(record);
    record->listener = listener;
    record->callback = callback;
    record->argument = argument;
    record->id = SetTimer(nullptr, 0, interval, nullptr);
    if (!record->id) return false;
    linkAtEnd(g_first, g_last, record);
    return true;
}

void removeTimer(TimerRecord* record) {
    std::lock_guard<std::recursive_mutex> hold(g_lock);
    for (Delivery* d = g_deliveries; d; d = d->outer)
        if (d->record == record) {
            d->record = nullptr;
            record->busy = 0;
        }
    if (!record->id) return;
    unlinkNode(g_first, g_last, record);
    if (isUiThread())
        KillTimer(nullptr, record->id);
    else
        g_orphans.push_back(record->id);
    record->id = 0;
}

bool filterTimerMessage(const tagMSG* message) {
    if (message->message != WM_TIMER || message->hwnd) return false;
    TimerRecord* record = nullptr;
    Delivery delivery{nullptr, nullptr};
    {
        std::lock_guard<std::recursive_mutex> hold(g_lock);
        auto orphan = std::find(g_orphans.begin(), g_orphans.end(), message->wParam);
        if (orphan != g_orphans.end()) {
            KillTimer(nullptr, *orphan);
            g_orphans.erase(orphan);
            return true;
        }
        for (TimerRecord* r = g_first; r; r = r->next)
            if (r->id == message->wParam) {
                record = r;
                break;
            }
        if (!record || record->busy) return false;
        record->busy = 1;
        delivery = Delivery{record, g_deliveries};
        g_deliveries = &delivery;
    }
    struct Done {
        Delivery& delivery;
        ~Done() {
            std::lock_guard<std::recursive_mutex> hold(g_lock);
            if (delivery.record) delivery.record->busy = 0;
            g_deliveries = delivery.outer;
        }
    } done{delivery};
    if (record->callback)
        record->callback(record, record->argument);
    else if (record->listener)
        record->listener->onTimer(record);
    return true;
}
