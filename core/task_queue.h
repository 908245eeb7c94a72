#pragma once
// Cross-thread task queue. Worker threads must not touch windows: they hand task objects to a queue
// that the interface thread's message loop drains, and may wait until a task has run. Every task
// also belongs to the ring of tasks of its owner, so that an owner going away can drop what it
// queued. One process-wide lock guards every queue and every ring; task bodies and destructors run
// outside it, so a task may queue further tasks.
#include <atomic>
#include <mutex>

#include "core/arrays.h"
#include "core/guard.h"
#include "core/types.h"

class TaskQueue;
struct TaskRing;

class QueuedTask : public GCommonObject {
public:
    virtual void run() = 0;

    QueuedTask* queuePrevious = nullptr;
    QueuedTask* queueNext = nullptr;
    QueuedTask* ringNext = nullptr;  // next task of the same owner
    TaskRing* ring = nullptr;        // the owner ring holding the task, or null
    TaskQueue* queue = nullptr;      // the queue the task is for
    bool queued = false;             // linked into `queue` now
};

// The tasks one object has queued: a circular list held by its last task. A single-thread ring is
// queued like any other, only without the lock. A local ring is used by one thread only: nothing
// is locked, and its tasks wait in the ring until they are moved into their queue (cancelAll).
struct TaskRing {
    QueuedTask* last = nullptr;
    u8 local = 0;
    u8 singleThread = 0;

    bool locked() const { return !local && !singleThread; }

    TaskRing() = default;
    TaskRing(const TaskRing&) = delete;
    TaskRing& operator=(const TaskRing&) = delete;
};

class TaskQueue {
public:
    TaskQueue();
    virtual ~TaskQueue() = default;
    TaskQueue(const TaskQueue&) = delete;
    TaskQueue& operator=(const TaskQueue&) = delete;

    // Called, under the lock, whenever a task is added to the empty queue; wakes the consumer.
    virtual void notify() {}

    // Puts the task into the ring (as its last task, or its first when atFront) and, unless the
    // ring is local, links it into the task's queue at the tail (head when atFront). A task
    // without a queue is given this process's interface queue.
    static void enqueue(TaskRing& ring, QueuedTask* task, bool atFront = false);
    // Runs the queued tasks in order until the queue is empty, on the consumer's thread; a task is
    // destroyed after its run unless it queued itself again. A task body's exception passes on to
    // the caller after the task was destroyed; the tasks behind it stay queued.
    static void runPending(TaskQueue& queue);
    // Destroys every queued task unrun (a waiting caller is released with a failure).
    static void dropPending(TaskQueue& queue);
    // Destroys every task of the ring unrun (outside the lock); the ring becomes empty.
    static void clear(TaskRing& ring);
    // Takes every task of the ring out of its queue; the ring keeps them.
    static void unlinkAll(TaskRing& ring);
    // Moves every task of the ring, in ring order, to the tail of its queue, notifying each queue
    // that was empty; the consumer then runs (or, for cross-thread calls, ends) them.
    static void cancelAll(TaskRing& ring);
    static void requeueAll(TaskRing& ring) { cancelAll(ring); }

    bool empty() const { return head == nullptr; }

    QueuedTask* head = nullptr;
    QueuedTask* tail = nullptr;
    std::atomic<u32> consumerThread;  // the thread that runs the tasks (the creating thread until one runs them)
};

// The process-wide lock of all queues and rings.
void lockTaskQueues();
void unlockTaskQueues();
struct TaskQueueLock {
    TaskQueueLock() { lockTaskQueues(); }
    ~TaskQueueLock() { unlockTaskQueues(); }
    TaskQueueLock(const TaskQueueLock&) = delete;
    TaskQueueLock& operator=(const TaskQueueLock&) = delete;
};

// The interface thread's queue, published by the application run (null before).
void setUiTaskQueue(TaskQueue* queue);
TaskQueue* uiTaskQueue();

// A request run on the consumer's thread for a waiting caller. execute() tells the observer
// (flag 0), calls run() and tells the observer again (flag 1).
class CrossThreadRequest : public GCommonObject {
public:
    virtual void execute();
    virtual void run() = 0;
};
typedef void (*CrossThreadObserver)(CrossThreadRequest* request, u32 flag);
extern CrossThreadObserver crossThreadObserver;

// The task that carries a request to the consumer and releases its waiter: by running (result 1)
// or by being destroyed unrun or with a failed body (result 0). It owns the request.
class CrossThreadTask : public QueuedTask {
public:
    CrossThreadTask(CrossThreadRequest* request, void* event, u8* result)
        : request(request), event(event), result(result) {}
    ~CrossThreadTask() override;
    void run() override;

    CrossThreadRequest* request;
    void* event;  // the waiter's event, null once released
    u8* result;
};

// Runs the request on the queue's consumer thread and waits for it; true when it ran to its end.
// On the consumer thread itself the request runs at once. Without a queue nothing runs (false).
// The request is destroyed in every case.
bool callAndWait(CrossThreadRequest* request, TaskRing& ring, TaskQueue* queue);
// The same through the interface queue and a ring of the process's own.
bool callAndWait(CrossThreadRequest* request);

// A worker thread object: run() on a thread of its own, then the flags are cleared, the done event
// is signalled and, when deleteOnExit is set, the object destroys itself. An exception escaping
// run() is kept in `failure` and the thread ends normally.
class ThreadObject : public GCommonObject {
public:
    ThreadObject();
    ~ThreadObject() override;
    ThreadObject(const ThreadObject&) = delete;
    ThreadObject& operator=(const ThreadObject&) = delete;

    virtual void run() = 0;

    // Marks the object running and starts its thread; false when the thread could not start.
    bool start();
    // Waits for the done event; false on time-out.
    bool waitDone(u32 milliseconds = 0xFFFFFFFF);
    void requestStop();
    bool stopRequested();
    bool isRunning();

    std::mutex lock;
    void* doneEvent;
    bool running = false;
    bool stop = false;
    bool deleteOnExit = false;
    ExceptionCarrier failure;
};

// The thread routine of ThreadObject; its argument is the object.
unsigned __stdcall threadObjectMain(void* object);
