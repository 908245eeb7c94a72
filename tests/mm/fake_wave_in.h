#pragma once
// A wave-in device in memory, put behind a WaveDevice's device calls. Buffers added stay at the
// device until the test gives one back, in any order, with the bytes it says were recorded. Failures
// of single calls are set up by result codes.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "mm/wave_device.h"

class FakeWaveIn {
public:
    FakeWaveIn();
    ~FakeWaveIn();
    FakeWaveIn(const FakeWaveIn&) = delete;
    FakeWaveIn& operator=(const FakeWaveIn&) = delete;

    // Puts the fake behind the device.
    void attach(WaveDevice& device) { device.api = &api; }

    // Result codes of the calls (0: success).
    u32 openResult = 0, closeResult = 0, prepareResult = 0, unprepareResult = 0, addResult = 0;
    u32 resetResult = 0, startResult = 0, stopResult = 0;

    // Gives back the buffer at position index among those still at the device (0: the oldest), with
    // bytes recorded, each 16-bit sample holding value.
    void returnBuffer(size_t index, u32 bytes, i16 value);
    // Waits until the condition holds (checked under the fake's lock); false after the time-out.
    bool waitUntil(const std::function<bool()>& condition, u32 milliseconds = 5000);
    size_t atDevice() const { return pending.size(); }
    size_t countCalls(const std::string& call);
    std::mutex& lock() { return mutex; }

    // "open 2", "start", "stop", "reset", "close", "add", read under lock().
    std::vector<std::string> calls;

private:
    static const WaveApi api;
    static FakeWaveIn* current;
    static u32 open(void** handle, u32 deviceId, const WAVEFORMATEX*, uintptr_t callback, uintptr_t instance, u32);
    static u32 close(void* handle);
    static u32 prepare(void*, WaveHeader* header, u32);
    static u32 unprepare(void*, WaveHeader* header, u32);
    static u32 add(void*, WaveHeader* header, u32);
    static u32 reset(void* handle);
    static u32 start(void*);
    static u32 stop(void*);

    // Marks the header done and calls the device back, outside the lock.
    void giveBack(WaveHeader* header);
    void note(const std::string& call);

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<WaveHeader*> pending;
    uintptr_t callback = 0;
    uintptr_t instance = 0;
};
