#include "mm/device_worker.h"

#include <windows.h>

DeviceWorker::DeviceWorker() {
    wakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    doneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

DeviceWorker::~DeviceWorker() {
    join();
    CloseHandle(wakeEvent);
    CloseHandle(doneEvent);
}

bool DeviceWorker::start(unsigned long(__stdcall* entry)(void*), void* argument) {
    DWORD id = 0;
    thread = CreateThread(nullptr, 0, entry, argument, 0, &id);
    threadId = thread ? id : 0;
    return thread != nullptr;
}

void DeviceWorker::join() {
    if (!thread || onWorkerThread()) return;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    thread = nullptr;
    threadId = 0;
}

bool DeviceWorker::onWorkerThread() const { return thread && GetCurrentThreadId() == threadId; }

bool DeviceWorker::post(u32 bit) {
    if (requests & bit) return false;
    requests |= bit;
    SetEvent(wakeEvent);
    return true;
}

void DeviceWorker::requestEnd(u32 bit) {
    ResetEvent(doneEvent);
    Hold request(requestLock);
    post(bit);
}

void DeviceWorker::waitDone() { WaitForSingleObject(doneEvent, INFINITE); }

void DeviceWorker::enterWorker() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    controlLock.lock();
}

void DeviceWorker::leaveWorker() {
    SetEvent(doneEvent);
    controlLock.unlock();
}

u32 DeviceWorker::waitWake(u32 milliseconds) {
    ResetEvent(wakeEvent);
    requestLock.unlock();
    controlLock.unlock();
    DWORD waited = WaitForSingleObject(wakeEvent, milliseconds);
    controlLock.lock();
    return waited;
}
