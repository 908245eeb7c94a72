#pragma once
// Threads that share the independent lanes of one operation (a vocoder per track): run(count, body)
// calls body(i) for every i < count, lane i always on the same thread, and returns when all are done.
// As many threads as the processor has, up to the lanes; the caller's thread is one of them. Made for
// one operation and deleted after it; the destructor ends the threads.
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "core/types.h"

class LaneThreads {
public:
    explicit LaneThreads(u32 lanes);
    ~LaneThreads();
    LaneThreads(const LaneThreads&) = delete;
    LaneThreads& operator=(const LaneThreads&) = delete;

    // Rethrows here the first exception of a body on another thread.
    void run(u32 count, const std::function<void(u32)>& body);
    u32 threads() const { return (u32)helpers.size() + 1; }

private:
    void serve(u32 index);
    void lanesOf(u32 thread);

    std::vector<std::thread> helpers;
    std::mutex lock;
    std::condition_variable started, finished;
    const std::function<void(u32)>* work = nullptr;
    u32 count = 0;
    u64 round = 0;     // one per run
    u32 busy = 0;      // helpers still at the round
    bool ending = false;
    std::exception_ptr failure;
};
