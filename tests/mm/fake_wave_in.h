#pragma once
// A wave-in device in memory, put behind a WaveDevice's device calls. Buffers added stay at the
// device until the test gives one back, in any order, with the bytes it says were recorded. Failures
// of single calls are set up by result codes.
#include "tests/mm/fake_wave_device.h"

class FakeWaveIn : public FakeWaveDevice {
public:
    FakeWaveIn();
    ~FakeWaveIn();

    // Puts the fake behind the device.
    void attach(WaveDevice& device) { device.api = &api; }

    // Result codes of the calls besides the shared ones (0: success).
    u32 addResult = 0, startResult = 0, stopResult = 0;

    // Gives back the buffer at position index among those still at the device (0: the oldest), with
    // bytes recorded, each 16-bit sample holding value. The calls are "open 2", "start", "stop",
    // "reset", "close", "add".
    void returnBuffer(size_t index, u32 bytes, i16 value);

private:
    static const WaveApi api;
    static FakeWaveIn* current;
    static u32 add(void*, WaveHeader* header, u32);
};
