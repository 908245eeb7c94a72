#pragma once
// A wave-out device in memory, put behind a WaveDevice's device calls. It keeps what is written in
// order and returns the buffers either by itself (a device thread, as fast as it can) or when the
// test says so. Failures of single calls are set up by result codes.
#include <thread>

#include "mm/device_settings.h"
#include "tests/mm/fake_wave_device.h"

// A playback settings entry of device 0 with the given switches (none by default).
struct TestEntry : PlayDeviceSettings {
    explicit TestEntry(u32 switches = 0) {
        device = 0;
        choiceFlags = switches;
    }
};

class FakeWaveOut : public FakeWaveDevice {
public:
    explicit FakeWaveOut(bool autoReturn = true);
    ~FakeWaveOut();

    // Puts the fake behind the device.
    void attach(WaveDevice& device) { device.api = &api; }

    // Result codes of the calls besides the shared ones (0: success).
    u32 devices = 1;
    u32 writeResult = 0, pauseResult = 0, restartResult = 0, messageResult = 0;

    // Returns the oldest n buffers still at the device (manual mode).
    void returnBuffers(size_t n);

    // Data of every buffer written, in order, read under lock() or after the player has stopped.
    // The calls are "open 2", "close", "reset", "pause", "restart", "message".
    std::vector<std::vector<u8>> written;

private:
    static const WaveApi api;
    static FakeWaveOut* current;
    static u32 open(void** handle, u32 deviceId, const WAVEFORMATEX*, uintptr_t callback, uintptr_t instance, u32);
    static u32 write(void*, WaveHeader* header, u32);
    static u32 pause(void*);
    static u32 restart(void*);

    void deviceThread();

    bool paused = false;
    bool autoReturn;
    bool ending = false;
    std::thread worker;
};
