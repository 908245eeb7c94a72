#pragma once
// Posting commands to the interface thread from any thread. A task asks its owner item's
// commandState and, when the command is enabled, calls onCommand. Tasks wait in a list of their
// owner (the item's own pending list, or a TaskList member of some object) and, unless the list is
// local, in the interface queue; the list's end deletes the tasks still waiting.
#include "core/arrays.h"
#include "core/task_queue.h"
#include "core/types.h"
#include "gui/kernel/item_base.h"

// A stand-alone list of posted tasks for an owner item. A local list only collects its tasks.
struct TaskList {
    explicit TaskList(GItemBase* owner, bool local = false) : owner(owner) { ring.local = local ? 1 : 0; }
    ~TaskList() { TaskQueue::clear(ring); }
    TaskList(const TaskList&) = delete;
    TaskList& operator=(const TaskList&) = delete;

    TaskRing ring;
    GItemBase* owner;
};

// A query record carried by a task, which owns and deletes it.
class PostedQuery : public GCommonObject {
public:
    explicit PostedQuery(u32 command) { query.command = command; }
    GStateQuery query;
};

void postNotification(GItemBase* item, u32 code);
void postNotificationTo(TaskList& list, u32 code);
void postQuery(TaskList& list, PostedQuery* record);
// Runs before every task already waiting in the list and in the queue.
void postQueryFirst(TaskList& list, PostedQuery* record);
