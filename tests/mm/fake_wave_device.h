#pragma once
// What the wave-in and wave-out fakes share: the calls made, the buffers at the device, handing a
// buffer back through the device's callback, and waiting for the fake to change. Failures of single
// calls are set up by result codes.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "mm/wave_device.h"

class FakeWaveDevice {
public:
    FakeWaveDevice(const FakeWaveDevice&) = delete;
    FakeWaveDevice& operator=(const FakeWaveDevice&) = delete;

    // Result codes of the calls (0: success).
    u32 openResult = 0, closeResult = 0, prepareResult = 0, unprepareResult = 0, resetResult = 0;

    // Waits until the condition holds (checked under the fake's lock); false after the time-out.
    bool waitUntil(const std::function<bool()>& condition, u32 milliseconds = 5000);
    size_t atDevice() const { return pending.size(); }
    size_t countCalls(const std::string& call);
    std::mutex& lock() { return mutex; }

    // The calls made ("open 2", "close", "reset", ...), read under lock().
    std::vector<std::string> calls;

protected:
    // doneMessage: what the callback gets with a buffer given back.
    explicit FakeWaveDevice(u32 doneMessage) : doneMessage(doneMessage) {}
    ~FakeWaveDevice() = default;

    // The device calls both sides answer alike; f is the fake in use.
    static u32 openDevice(FakeWaveDevice* f, void** handle, u32 deviceId, uintptr_t callback, uintptr_t instance);
    static u32 closeDevice(void* handle);
    static u32 prepareHeader(FakeWaveDevice* f, WaveHeader* header);
    static u32 unprepareHeader(FakeWaveDevice* f, WaveHeader* header);
    // Gives back every buffer at the device.
    static u32 resetDevice(void* handle);

    // Marks the headers done and calls the device back for each, outside the lock.
    void giveBack(const std::vector<WaveHeader*>& headers);
    void note(const std::string& call);

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<WaveHeader*> pending;
    uintptr_t callback = 0;
    uintptr_t instance = 0;

private:
    const u32 doneMessage;
};
