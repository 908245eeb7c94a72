#include "gui/kernel/error_queue.h"

#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>

#include "core/error.h"
#include "core/gstring.h"
#include "core/task_queue.h"
#include "gui/dialogs/message_box_window.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/child_window.h"
#include "gui/kernel/item_base.h"
#include "gui/kernel/life_record.h"
#include "gui/kernel/ui_thread.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_placement.h"

namespace {
struct PendingError {
    GLifeRecord* owner;  // counted, may be null
    GString message;
};

struct PendingList {
    std::deque<PendingError> entries;
    bool overflow = false;
    GMessageBox* showing = nullptr;  // the error box on the screen
    bool showingNow = false;         // the re-entry flag of the showing loop
    TaskRing ring;                   // the wake-up and re-caption tasks
};

// Guards the list pointer and everything in the list.
std::mutex g_lock;
PendingList* g_list = nullptr;
// Errors carried from a worker while there is no list.
TaskRing g_carried;

class WakeTask : public QueuedTask {
public:
    void run() override { showPendingErrorBoxes(); }
};

// More errors arrived while a box is open: its last button moves on to the next one.
class RecaptionTask : public QueuedTask {
public:
    void run() override {
        GMessageBox* box = nullptr;
        {
            std::lock_guard<std::mutex> hold(g_lock);
            if (g_list && !g_list->entries.empty()) box = g_list->showing;
        }
        if (box) box->showNextCaption();
    }
};

class CarriedError : public QueuedTask {
public:
    explicit CarriedError(const char* message) : message(message) {}
    void run() override { showMessageBoxNow(message.c_str()); }
    GString message;
};

GWindow* windowOf(GItemBase* item) {
    if (GParentWindow* parent = item->asParentWindow()) return parent;
    return item->asChildWindow();
}

void release(PendingError& e) {
    if (e.owner) e.owner->release();
    e.owner = nullptr;
}
}  // namespace

void createPendingBoxList() {
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_list) g_list = new PendingList;
}

void deletePendingBoxList() {
    PendingList* list;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        list = g_list;
        g_list = nullptr;
    }
    if (!list) return;
    TaskQueue::clear(list->ring);
    for (PendingError& e : list->entries) release(e);
    delete list;
}

bool pendingBoxListExists() {
    std::lock_guard<std::mutex> hold(g_lock);
    return g_list != nullptr;
}

void queueMessageBoxRequest(GWindow* owner, const char* message) {
    {
        std::lock_guard<std::mutex> hold(g_lock);
        if (PendingList* list = g_list) {
            if (list->overflow) return;
            size_t n = list->entries.size();
            if (n >= 20) {
                list->overflow = true;
                list->entries.push_back({nullptr, GString(guiText(GuiText::BoxMessagesDropped))});
                return;
            }
            GLifeRecord* record = owner ? owner->item()->lifeRecord() : nullptr;
            if (record) record->addRef();
            list->entries.push_back({record, GString(message)});
            if (uiTaskQueue()) {
                if (n == 0) TaskQueue::enqueue(list->ring, new WakeTask);
                if (list->showing) TaskQueue::enqueue(list->ring, new RecaptionTask);
            }
            return;
        }
    }
    if (isUiThread())
        showMessageBoxNow(message);
    else if (uiTaskQueue())
        TaskQueue::enqueue(g_carried, new CarriedError(message));
    else
        plainMessageBox(mbError.title, message, MB_TASKMODAL | MB_ICONHAND | MB_OK);
}

void showPendingErrorBoxes() {
    if (!isUiThread()) return;
    std::unique_lock<std::mutex> hold(g_lock);
    if (!g_list || g_list->showingNow) return;
    g_list->showingNow = true;
    // Also when a run ends by an exception.
    struct Done {
        std::unique_lock<std::mutex>& hold;
        ~Done() {
            if (!hold.owns_lock()) hold.lock();
            if (g_list) g_list->showingNow = false;
            if (g_list) g_list->showing = nullptr;
        }
    } done{hold};
    while (g_list && !g_list->entries.empty()) {
        PendingError entry = std::move(g_list->entries.front());
        g_list->entries.pop_front();
        hold.unlock();
        struct Release {
            PendingError& e;
            ~Release() { release(e); }
        } releasing{entry};
        if (entry.owner && entry.owner->alive()) prepareBoxOwner(windowOf(entry.owner->object));
        std::unique_ptr<GMessageBox> box(new GMessageBox(nullptr));
        bool built = box->build(entry.message.c_str(), nullptr, &mbError);
        hold.lock();
        if (!g_list) break;
        g_list->showing = built ? box.get() : nullptr;
        bool more = !g_list->entries.empty();
        hold.unlock();
        if (built) {
            if (more) box->showNextCaption();
            runMessageBox(box.get(), -1);
        }
        hold.lock();
        if (!g_list) break;
        g_list->showing = nullptr;
        hold.unlock();
        box.reset();
        hold.lock();
    }
    if (g_list) g_list->overflow = false;
}

u32 pendingErrorCount() {
    std::lock_guard<std::mutex> hold(g_lock);
    return g_list ? (u32)g_list->entries.size() : 0;
}

bool pendingErrorsOverflowed() {
    std::lock_guard<std::mutex> hold(g_lock);
    return g_list && g_list->overflow;
}
