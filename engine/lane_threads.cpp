#include "engine/lane_threads.h"

LaneThreads::LaneThreads(u32 lanes) {
    const u32 cores = std::thread::hardware_concurrency();
    u32 wanted = lanes < cores ? lanes : cores;
    for (u32 t = 1; t < wanted; ++t) {
        try {
            helpers.emplace_back(&LaneThreads::serve, this, t);
        } catch (...) {
            break;  // fewer threads: the lanes of the missing ones go to this one
        }
    }
}

LaneThreads::~LaneThreads() {
    {
        std::lock_guard<std::mutex> hold(lock);
        ending = true;
    }
    started.notify_all();
    for (std::thread& t : helpers) t.join();
}

void LaneThreads::lanesOf(u32 thread) {
    for (u32 i = thread; i < count; i += threads()) (*work)(i);
}

void LaneThreads::run(u32 lanes, const std::function<void(u32)>& body) {
    if (helpers.empty()) {
        for (u32 i = 0; i < lanes; ++i) body(i);
        return;
    }
    {
        std::lock_guard<std::mutex> hold(lock);
        work = &body;
        count = lanes;
        busy = (u32)helpers.size();
        failure = nullptr;
        ++round;
    }
    started.notify_all();
    std::exception_ptr own;
    try {
        lanesOf(0);
    } catch (...) {
        own = std::current_exception();
    }
    std::unique_lock<std::mutex> hold(lock);
    finished.wait(hold, [this] { return busy == 0; });
    if (own) std::rethrow_exception(own);
    if (failure) std::rethrow_exception(failure);
}

// A helper's routine: nothing may leave it, so a body's exception goes to the caller of run.
void LaneThreads::serve(u32 index) {
    u64 seen = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(lock);
            started.wait(hold, [&] { return ending || round != seen; });
            if (ending) return;
            seen = round;
        }
        std::exception_ptr caught;
        try {
            lanesOf(index);
        } catch (...) {
            caught = std::current_exception();
        }
        std::lock_guard<std::mutex> hold(lock);
        if (caught && !failure) failure = caught;
        if (--busy == 0) finished.notify_one();
    }
}
