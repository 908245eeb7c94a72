#pragma once
// A wave-out device in memory, put behind a WaveDevice's device calls. It keeps what is written in
// order and returns the buffers either by itself (a device thread, as fast as it can) or when the
// test says so. Failures of single calls are set up by result codes.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "mm/device_settings.h"
#include "mm/wave_device.h"

// A playback settings entry of device 0 with the given switches (none by default).
struct TestEntry : PlayDeviceSettings {
    explicit TestEntry(u32 switches = 0) {
        device = 0;
        choiceFlags = switches;
    }
};

class FakeWaveOut {
public:
    explicit FakeWaveOut(bool autoReturn = true);
    ~FakeWaveOut();
    FakeWaveOut(const FakeWaveOut&) = delete;
    FakeWaveOut& operator=(const FakeWaveOut&) = delete;

    // Puts the fake behind the device.
    void attach(WaveDevice& device) { device.api = &api; }

    // Result codes of the calls (0: success).
    u32 devices = 1;
    u32 openResult = 0, closeResult = 0, prepareResult = 0, writeResult = 0, unprepareResult = 0;
    u32 resetResult = 0, pauseResult = 0, restartResult = 0, messageResult = 0;

    // Returns the oldest n buffers still at the device (manual mode).
    void returnBuffers(size_t n);
    // Waits until the condition holds (checked under the fake's lock); false after the time-out.
    bool waitUntil(const std::function<bool()>& condition, u32 milliseconds = 5000);

    // What happened, read under lock() or after the player has stopped.
    std::vector<std::vector<u8>> written;  // data of every buffer written, in order
    std::vector<std::string> calls;        // "open 2", "close", "reset", "pause", "restart", "message"
    size_t atDevice() const { return pending.size(); }
    std::mutex& lock() { return mutex; }
    size_t countCalls(const std::string& call);

private:
    static const WaveApi api;
    static FakeWaveOut* current;
    static u32 open(void** handle, u32 deviceId, const WAVEFORMATEX*, uintptr_t callback, uintptr_t instance, u32);
    static u32 close(void* handle);
    static u32 prepare(void*, WaveHeader* header, u32);
    static u32 unprepare(void*, WaveHeader* header, u32);
    static u32 write(void*, WaveHeader* header, u32);
    static u32 reset(void* handle);
    static u32 pause(void*);
    static u32 restart(void*);

    void deviceThread();
    // Marks the headers done and calls the device back for each, outside the lock.
    void giveBack(std::vector<WaveHeader*> headers);
    void note(const std::string& call);

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<WaveHeader*> pending;
    uintptr_t callback = 0;
    uintptr_t instance = 0;
    bool paused = false;
    bool autoReturn;
    bool ending = false;
    std::thread worker;
};
