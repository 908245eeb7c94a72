#include "gui/kernel/posting.h"

namespace {
class NotificationTask : public QueuedTask {
public:
    NotificationTask(GItemBase* item, u32 code) : item(item), code(code) {}
    void run() override {
        if (item->commandState(code) == CommandEnabled) item->onCommand(code, nullptr);
    }
    GItemBase* item;
    u32 code;
};

class QueryTask : public QueuedTask {
public:
    QueryTask(GItemBase* item, PostedQuery* record) : item(item), record(record) {}
    ~QueryTask() override { delete record; }
    void run() override {
        u32 command = record->query.command;
        if (item->commandState(command) == CommandEnabled) item->onCommand(command, &record->query);
    }
    GItemBase* item;
    PostedQuery* record;
};

void post(TaskRing& ring, QueuedTask* task, bool atFront) {
    task->queue = uiTaskQueue();
    TaskQueue::enqueue(ring, task, atFront);
}
}  // namespace

void postNotification(GItemBase* item, u32 code) { post(item->pendingTasks, new NotificationTask(item, code), false); }

void postNotificationTo(TaskList& list, u32 code) { post(list.ring, new NotificationTask(list.owner, code), false); }

void postQuery(TaskList& list, PostedQuery* record) { post(list.ring, new QueryTask(list.owner, record), false); }

void postQueryFirst(TaskList& list, PostedQuery* record) { post(list.ring, new QueryTask(list.owner, record), true); }
