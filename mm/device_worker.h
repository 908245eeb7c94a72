#pragma once
// The thread machinery of a wave device (player or recorder): the worker thread, its wake and done
// events, the request bits and the two locks. The device object holds one and deletes it with itself.
//
// Locks: the control lock guards the device's state, its buffers and the worker's device calls; the
// request lock guards the request bits and the wake event. Take the control lock before the request
// lock, never the other way round; the device callback takes only the request lock.
#include <mutex>

#include "core/types.h"

class DeviceWorker {
public:
    typedef std::lock_guard<std::recursive_mutex> Hold;

    DeviceWorker();
    // Expects the worker to have ended; waits for its thread to leave.
    ~DeviceWorker();
    DeviceWorker(const DeviceWorker&) = delete;
    DeviceWorker& operator=(const DeviceWorker&) = delete;

    // Starts the worker thread; false when it cannot be created.
    bool start(unsigned long(__stdcall* entry)(void*), void* argument);
    // Waits until the thread of the last start has left (at once on the thread itself).
    void join();
    bool onWorkerThread() const;

    // With the request lock held: adds the bit and signals the wake event, unless the bit was pending
    // (false then).
    bool post(u32 bit);
    // With the control lock held: posts the bit that ends the worker. Leave the lock, then waitDone.
    void requestEnd(u32 bit);
    void waitDone();

    // The worker's first and last steps: priority one step above normal and the control lock taken;
    // the done event set and the lock left.
    void enterWorker();
    void leaveWorker();
    // With both locks held once and no request pending: waits for the wake event with both left, and
    // comes back with the control lock held. The wait's result (0 when signalled).
    u32 waitWake(u32 milliseconds);
    // Runs call with the control lock left; the lock is held again whatever the call raises.
    template <class F>
    void unlocked(F&& call) {
        controlLock.unlock();
        try {
            call();
        } catch (...) {
            controlLock.lock();
            throw;
        }
        controlLock.lock();
    }

    u32 requests = 0;
    std::recursive_mutex requestLock;
    std::recursive_mutex controlLock;

private:
    void* wakeEvent = nullptr;
    // Stays set once the worker has ended, so that every waiting stopAndWait wakes; reset by the next
    // end request.
    void* doneEvent = nullptr;
    void* thread = nullptr;
    u32 threadId = 0;
};
