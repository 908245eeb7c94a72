#include "core/task_queue.h"

#include <windows.h>

#include <process.h>

namespace {
struct GlobalTaskLock {
    CRITICAL_SECTION section;
    GlobalTaskLock() { InitializeCriticalSection(&section); }
    ~GlobalTaskLock() { DeleteCriticalSection(&section); }
};

CRITICAL_SECTION& taskSection() {
    static GlobalTaskLock lock;
    return lock.section;
}

// Holds the global lock unless the ring is local.
struct RingLock {
    bool held;
    explicit RingLock(bool take) : held(take) {
        if (held) lockTaskQueues();
    }
    ~RingLock() {
        if (held) unlockTaskQueues();
    }
};

TaskQueue* g_uiQueue = nullptr;
TaskRing g_callRing;

void ringInsert(TaskRing& ring, QueuedTask* task, bool atFront) {
    task->ring = &ring;
    if (!ring.last) {
        task->ringNext = task;
        ring.last = task;
        return;
    }
    task->ringNext = ring.last->ringNext;
    ring.last->ringNext = task;
    if (!atFront) ring.last = task;
}

void ringRemove(TaskRing& ring, QueuedTask* task) {
    QueuedTask* previous = ring.last;
    if (!previous) return;
    while (previous->ringNext != task) {
        previous = previous->ringNext;
        if (previous == ring.last) return;  // not in this ring
    }
    if (previous == task) {
        ring.last = nullptr;
    } else {
        previous->ringNext = task->ringNext;
        if (ring.last == task) ring.last = previous;
    }
    task->ringNext = nullptr;
    task->ring = nullptr;
}

void queueUnlink(QueuedTask* task) {
    if (!task->queued) return;
    TaskQueue& queue = *task->queue;
    if (task->queuePrevious)
        task->queuePrevious->queueNext = task->queueNext;
    else
        queue.head = task->queueNext;
    if (task->queueNext)
        task->queueNext->queuePrevious = task->queuePrevious;
    else
        queue.tail = task->queuePrevious;
    task->queuePrevious = task->queueNext = nullptr;
    task->queued = false;
}

void queueLink(QueuedTask* task, bool atFront) {
    TaskQueue* queue = task->queue;
    if (!queue) return;
    bool wasEmpty = queue->head == nullptr;
    if (atFront) {
        task->queuePrevious = nullptr;
        task->queueNext = queue->head;
        if (queue->head) queue->head->queuePrevious = task;
        queue->head = task;
        if (!queue->tail) queue->tail = task;
    } else {
        task->queueNext = nullptr;
        task->queuePrevious = queue->tail;
        if (queue->tail) queue->tail->queueNext = task;
        queue->tail = task;
        if (!queue->head) queue->head = task;
    }
    task->queued = true;
    if (wasEmpty) queue->notify();
}

// Calls f for every task of the ring, first to last; f may not change the ring.
template <class F>
void forEachInRing(TaskRing& ring, F f) {
    if (!ring.last) return;
    QueuedTask* task = ring.last->ringNext;
    for (;;) {
        QueuedTask* following = task->ringNext;
        bool wasLast = task == ring.last;
        f(task);
        if (wasLast) break;
        task = following;
    }
}
}  // namespace

void lockTaskQueues() { EnterCriticalSection(&taskSection()); }
void unlockTaskQueues() { LeaveCriticalSection(&taskSection()); }

void setUiTaskQueue(TaskQueue* queue) {
    TaskQueueLock hold;
    g_uiQueue = queue;
}

TaskQueue* uiTaskQueue() {
    TaskQueueLock hold;
    return g_uiQueue;
}

TaskQueue::TaskQueue() : consumerThread(GetCurrentThreadId()) {}

void TaskQueue::enqueue(TaskRing& ring, QueuedTask* task, bool atFront) {
    if (!task->queue) task->queue = uiTaskQueue();
    RingLock hold(ring.locked());
    ringInsert(ring, task, atFront);
    if (!ring.local) queueLink(task, atFront);
}

namespace {
// Takes the first task out of the queue and its ring; null when the queue is empty.
QueuedTask* takeHead(TaskQueue& queue) {
    TaskQueueLock hold;
    QueuedTask* task = queue.head;
    if (!task) return nullptr;
    queueUnlink(task);
    if (task->ring) ringRemove(*task->ring, task);
    return task;
}
}  // namespace

void TaskQueue::runPending(TaskQueue& queue) {
    queue.consumerThread = GetCurrentThreadId();
    while (QueuedTask* task = takeHead(queue)) {
        // Destroys the task after its run, also when the run throws, unless it queued itself again.
        struct Finish {
            QueuedTask* task;
            ~Finish() {
                bool relinked;
                {
                    TaskQueueLock hold;
                    relinked = task->queued || task->ring;
                }
                if (!relinked) delete task;
            }
        } finish{task};
        task->run();
    }
}

void TaskQueue::dropPending(TaskQueue& queue) {
    while (QueuedTask* task = takeHead(queue)) delete task;
}

void TaskQueue::unlinkAll(TaskRing& ring) {
    RingLock hold(ring.locked());
    forEachInRing(ring, queueUnlink);
}

void TaskQueue::clear(TaskRing& ring) {
    QueuedTask* last;
    {
        RingLock hold(ring.locked());
        forEachInRing(ring, queueUnlink);
        last = ring.last;
        ring.last = nullptr;
    }
    if (!last) return;
    QueuedTask* task = last->ringNext;
    for (;;) {
        QueuedTask* following = task->ringNext;
        bool wasLast = task == last;
        task->ring = nullptr;
        task->ringNext = nullptr;
        delete task;
        if (wasLast) break;
        task = following;
    }
}

void TaskQueue::cancelAll(TaskRing& ring) {
    TaskQueueLock hold;
    forEachInRing(ring, [](QueuedTask* task) {
        queueUnlink(task);
        queueLink(task, false);
    });
}

// ---- cross-thread calls ----

CrossThreadObserver crossThreadObserver = nullptr;

void CrossThreadRequest::execute() {
    if (crossThreadObserver) crossThreadObserver(this, 0);
    try {
        run();
    } catch (...) {
        if (crossThreadObserver) crossThreadObserver(this, 1);
        throw;
    }
    if (crossThreadObserver) crossThreadObserver(this, 1);
}

CrossThreadTask::~CrossThreadTask() {
    if (event) {
        *result = 0;
        SetEvent(static_cast<HANDLE>(event));
        event = nullptr;
    }
    delete request;
}

void CrossThreadTask::run() {
    // A failing body still releases the waiter, with a failure result.
    u8 done = callGuarded(nullptr, (u8)0, [&]() -> u8 {
        request->execute();
        return 1;
    });
    if (!event) return;
    *result = done;
    HANDLE waiter = static_cast<HANDLE>(event);
    event = nullptr;
    SetEvent(waiter);
}

bool callAndWait(CrossThreadRequest* request, TaskRing& ring, TaskQueue* queue) {
    if (!queue) {
        delete request;
        return false;
    }
    if (GetCurrentThreadId() == queue->consumerThread) {
        // Waiting here would wait for ourselves: run it now.
        bool done = callGuarded(nullptr, false, [&] {
            request->execute();
            return true;
        });
        delete request;
        return done;
    }
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event) {
        delete request;
        return false;
    }
    u8 result = 0;
    CrossThreadTask* task = new CrossThreadTask(request, event, &result);
    task->queue = queue;
    TaskQueue::enqueue(ring, task);
    WaitForSingleObject(event, INFINITE);
    CloseHandle(event);
    return result != 0;
}

bool callAndWait(CrossThreadRequest* request) { return callAndWait(request, g_callRing, uiTaskQueue()); }

// ---- worker thread objects ----

ThreadObject::ThreadObject() : doneEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

ThreadObject::~ThreadObject() {
    if (doneEvent) CloseHandle(static_cast<HANDLE>(doneEvent));
}

bool ThreadObject::start() {
    {
        std::lock_guard<std::mutex> hold(lock);
        running = true;
        stop = false;
    }
    ResetEvent(static_cast<HANDLE>(doneEvent));
    uintptr_t thread = _beginthreadex(nullptr, 0, threadObjectMain, this, 0, nullptr);
    if (thread) {
        CloseHandle((HANDLE)thread);
        return true;
    }
    std::lock_guard<std::mutex> hold(lock);
    running = false;
    SetEvent(static_cast<HANDLE>(doneEvent));
    return false;
}

bool ThreadObject::waitDone(u32 milliseconds) {
    return WaitForSingleObject(static_cast<HANDLE>(doneEvent), milliseconds) == WAIT_OBJECT_0;
}

void ThreadObject::requestStop() {
    std::lock_guard<std::mutex> hold(lock);
    stop = true;
}

bool ThreadObject::stopRequested() {
    std::lock_guard<std::mutex> hold(lock);
    return stop;
}

bool ThreadObject::isRunning() {
    std::lock_guard<std::mutex> hold(lock);
    return running;
}

unsigned __stdcall threadObjectMain(void* object) {
    ThreadObject* job = static_cast<ThreadObject*>(object);
    callGuarded(&job->failure, [&] { job->run(); });
    callGuarded(nullptr, [&] {
        bool destroy;
        {
            std::lock_guard<std::mutex> hold(job->lock);
            job->running = false;
            job->stop = false;
            destroy = job->deleteOnExit;
        }
        SetEvent(static_cast<HANDLE>(job->doneEvent));
        if (destroy) delete job;
    });
    return 0;
}
