#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/task_queue.h"

namespace {

// A queue whose wake-up counts and signals an event the consumer waits on.
class TestQueue : public TaskQueue {
public:
    TestQueue() : wake(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~TestQueue() override { CloseHandle(wake); }
    void notify() override {
        ++notified;
        SetEvent(wake);
    }
    u32 pending() {
        TaskQueueLock hold;
        u32 n = 0;
        for (QueuedTask* t = head; t; t = t->queueNext) ++n;
        return n;
    }
    std::atomic<int> notified{0};
    HANDLE wake;
};

std::atomic<int> g_destroyed{0};

class LogTask : public QueuedTask {
public:
    LogTask(TaskQueue& target, std::vector<int>& log, int id) : log(log), id(id) { queue = &target; }
    ~LogTask() override { ++g_destroyed; }
    void run() override {
        log.push_back(id);
        if (then) then(*this);
    }
    std::vector<int>& log;
    int id;
    void (*then)(LogTask&) = nullptr;
    TaskRing* ringToUse = nullptr;
    int repeats = 0;
};

class CountRequest : public CrossThreadRequest {
public:
    CountRequest(int& counter, u32 consumer, std::atomic<int>& wrongThread)
        : counter(counter), consumer(consumer), wrongThread(wrongThread) {}
    ~CountRequest() override { ++g_destroyed; }
    void run() override {
        if (GetCurrentThreadId() != consumer) ++wrongThread;
        ++counter;  // only the consumer touches it
    }
    int& counter;
    u32 consumer;
    std::atomic<int>& wrongThread;
};

class ThrowingRequest : public CrossThreadRequest {
public:
    void run() override { throw std::runtime_error("request failed"); }
};

// Runs the queue until `done` holds, waking on notify.
template <class Done>
void consume(TestQueue& queue, Done done) {
    for (int i = 0; i < 20000 && !done(); ++i) {
        WaitForSingleObject(queue.wake, 5);
        TaskQueue::runPending(queue);
    }
    TaskQueue::runPending(queue);
}

// A queue, a ring and the log of the tasks that ran.
class TaskQueueTest : public testing::Test {
protected:
    void SetUp() override { g_destroyed = 0; }
    TestQueue queue;
    TaskRing ring;
    std::vector<int> log;
    int counter = 0;  // counted by requests on the consumer thread
    std::atomic<int> wrongThread{0};
};

}  // namespace

TEST_F(TaskQueueTest, RunsInOrderAndNotifiesOnceWhenTurningNonEmpty) {
    TaskQueue::enqueue(ring, new LogTask(queue, log, 1));
    TaskQueue::enqueue(ring, new LogTask(queue, log, 2));
    EXPECT_EQ(queue.notified, 1);
    TaskQueue::enqueue(ring, new LogTask(queue, log, 0), true);  // to the front
    EXPECT_EQ(queue.notified, 1);
    TaskQueue::runPending(queue);
    EXPECT_EQ(log, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(g_destroyed, 3);
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(ring.last, nullptr);

    TaskQueue::enqueue(ring, new LogTask(queue, log, 3));
    EXPECT_EQ(queue.notified, 2);
    TaskQueue::runPending(queue);
    EXPECT_EQ(log.back(), 3);
}

TEST_F(TaskQueueTest, TasksQueuedWhileRunningRunInTheSameCall) {
    // One task queues a new one; another queues itself again twice before it is done.
    LogTask* spawner = new LogTask(queue, log, 1);
    spawner->ringToUse = &ring;
    spawner->then = [](LogTask& t) {
        TaskQueue::enqueue(*t.ringToUse, new LogTask(*t.queue, t.log, 10));
    };
    LogTask* repeater = new LogTask(queue, log, 2);
    repeater->ringToUse = &ring;
    repeater->then = [](LogTask& t) {
        if (++t.repeats < 3) TaskQueue::enqueue(*t.ringToUse, &t);
    };
    TaskQueue::enqueue(ring, spawner);
    TaskQueue::enqueue(ring, repeater);
    TaskQueue::runPending(queue);
    EXPECT_EQ(log, (std::vector<int>{1, 2, 10, 2, 2}));
    EXPECT_EQ(g_destroyed, 3);
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(ring.last, nullptr);
}

TEST_F(TaskQueueTest, ClearUnlinkAndRequeue) {
    TaskRing& mine = ring;
    TaskRing other;
    TaskQueue::enqueue(mine, new LogTask(queue, log, 1));
    TaskQueue::enqueue(other, new LogTask(queue, log, 2));
    TaskQueue::enqueue(mine, new LogTask(queue, log, 3));

    // Unlinked tasks stay in their ring; requeued ones go to the tail in ring order.
    TaskQueue::unlinkAll(mine);
    EXPECT_EQ(queue.pending(), 1u);
    TaskQueue::cancelAll(mine);
    EXPECT_EQ(queue.pending(), 3u);
    TaskQueue::runPending(queue);
    EXPECT_EQ(log, (std::vector<int>{2, 1, 3}));

    log.clear();
    TaskQueue::enqueue(mine, new LogTask(queue, log, 4));
    TaskQueue::enqueue(other, new LogTask(queue, log, 5));
    TaskQueue::enqueue(mine, new LogTask(queue, log, 6));
    g_destroyed = 0;
    TaskQueue::clear(mine);
    EXPECT_EQ(g_destroyed, 2);
    EXPECT_EQ(mine.last, nullptr);
    EXPECT_EQ(queue.pending(), 1u);
    TaskQueue::runPending(queue);
    EXPECT_EQ(log, (std::vector<int>{5}));

    // A local ring only collects its tasks, without the lock or the queue, until they are requeued.
    TaskRing local;
    local.local = 1;
    int notifiedBefore = queue.notified;
    TaskQueue::enqueue(local, new LogTask(queue, log, 7));
    TaskQueue::enqueue(local, new LogTask(queue, log, 8));
    TaskQueue::enqueue(local, new LogTask(queue, log, 6), true);
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(queue.notified, notifiedBefore);
    TaskQueue::requeueAll(local);
    EXPECT_EQ(queue.notified, notifiedBefore + 1);
    TaskQueue::runPending(queue);
    EXPECT_EQ(log, (std::vector<int>{5, 6, 7, 8}));
    EXPECT_EQ(local.last, nullptr);

    // A single-thread ring skips the lock but its tasks are queued and run like any other.
    log.clear();
    TaskRing single;
    single.singleThread = 1;
    notifiedBefore = queue.notified;
    TaskQueue::enqueue(single, new LogTask(queue, log, 9));
    TaskQueue::enqueue(single, new LogTask(queue, log, 8), true);
    EXPECT_EQ(queue.pending(), 2u);
    EXPECT_EQ(queue.notified, notifiedBefore + 1);
    TaskQueue::runPending(queue);
    EXPECT_EQ(log, (std::vector<int>{8, 9}));
    EXPECT_EQ(single.last, nullptr);
}

TEST_F(TaskQueueTest, AThrowingTaskIsDestroyedAndTheRestWaits) {
    LogTask* failing = new LogTask(queue, log, 1);
    failing->then = [](LogTask&) { throw std::runtime_error("task failed"); };
    TaskQueue::enqueue(ring, failing);
    TaskQueue::enqueue(ring, new LogTask(queue, log, 2));
    EXPECT_THROW(TaskQueue::runPending(queue), std::runtime_error);
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(queue.pending(), 1u);
    TaskQueue::runPending(queue);
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
}

TEST_F(TaskQueueTest, ManyWorkersWaitForTheConsumer) {
    std::atomic<int> failed{0}, finished{0};
    const int workers = 6, calls = 50;
    u32 consumer = GetCurrentThreadId();
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&] {
            for (int i = 0; i < calls; ++i)
                if (!callAndWait(new CountRequest(counter, consumer, wrongThread), ring, &queue)) ++failed;
            ++finished;
        });
    consume(queue, [&] { return finished == workers; });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(counter, workers * calls);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(wrongThread, 0);
    EXPECT_EQ(g_destroyed, workers * calls);
    EXPECT_EQ(ring.last, nullptr);
}

TEST_F(TaskQueueTest, WaitersAreReleasedWhenTasksNeverRun) {
    std::atomic<int> released{0}, answeredTrue{0};
    const int workers = 4;
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&] {
            if (callAndWait(new CountRequest(counter, 0, wrongThread), ring, &queue)) ++answeredTrue;
            ++released;
        });
    for (int i = 0; i < 2000 && queue.pending() < (u32)workers; ++i) Sleep(1);
    ASSERT_EQ(queue.pending(), (u32)workers);
    EXPECT_EQ(released, 0);
    TaskQueue::clear(ring);
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(released, workers);
    EXPECT_EQ(answeredTrue, 0);
    EXPECT_EQ(counter, 0);
    EXPECT_EQ(g_destroyed, workers);  // the requests too
    EXPECT_TRUE(queue.empty());
}

TEST_F(TaskQueueTest, FailingCallsAndSpecialCallers) {
    std::atomic<int> answer{-1};
    std::thread worker([&] { answer = callAndWait(new ThrowingRequest, ring, &queue) ? 1 : 0; });
    consume(queue, [&] { return answer != -1; });
    worker.join();
    EXPECT_EQ(answer, 0);  // released, with a failure

    // On the consumer's own thread the request runs at once; without a queue nothing runs.
    g_destroyed = 0;
    EXPECT_TRUE(callAndWait(new CountRequest(counter, GetCurrentThreadId(), wrongThread), ring, &queue));
    EXPECT_FALSE(callAndWait(new ThrowingRequest, ring, &queue));
    EXPECT_FALSE(callAndWait(new CountRequest(counter, 0, wrongThread), ring, nullptr));
    EXPECT_EQ(counter, 1);
    EXPECT_EQ(g_destroyed, 2);
    EXPECT_TRUE(queue.empty());

    // The observer hears of every executed request before and after its run.
    static std::vector<u32> flags;
    flags.clear();
    crossThreadObserver = [](CrossThreadRequest*, u32 flag) { flags.push_back(flag); };
    EXPECT_TRUE(callAndWait(new CountRequest(counter, GetCurrentThreadId(), wrongThread), ring, &queue));
    EXPECT_FALSE(callAndWait(new ThrowingRequest, ring, &queue));
    crossThreadObserver = nullptr;
    EXPECT_EQ(flags, (std::vector<u32>{0, 1, 0, 1}));
}

namespace {
class TestThread : public ThreadObject {
public:
    explicit TestThread(bool fail, HANDLE destroyed = nullptr) : fail(fail), destroyed(destroyed) {}
    ~TestThread() override {
        if (destroyed) SetEvent(destroyed);
    }
    void run() override {
        ranOn = GetCurrentThreadId();
        if (fail) throw std::runtime_error("worker failed");
    }
    bool fail;
    HANDLE destroyed;
    std::atomic<u32> ranOn{0};
};
}  // namespace

TEST(ThreadObject, RunsClearsFlagsAndSignalsDone) {
    for (bool fail : {false, true}) {
        TestThread job(fail);
        ASSERT_TRUE(job.start());
        ASSERT_TRUE(job.waitDone(5000)) << fail;
        EXPECT_NE(job.ranOn.load(), 0u);
        EXPECT_NE(job.ranOn.load(), (u32)GetCurrentThreadId());
        EXPECT_FALSE(job.isRunning());
        EXPECT_FALSE(job.stopRequested());
        EXPECT_EQ(job.failure.holds(), fail);
    }

    // A self-deleting object is gone after its run, even when the run threw.
    HANDLE destroyed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    TestThread* job = new TestThread(true, destroyed);
    job->deleteOnExit = true;
    ASSERT_TRUE(job->start());
    EXPECT_EQ(WaitForSingleObject(destroyed, 5000), WAIT_OBJECT_0);
    CloseHandle(destroyed);
}
