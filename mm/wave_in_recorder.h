#pragma once
// Captures sound from one wave-in device. A worker thread keeps every free buffer at the device and
// hands the buffers the device gives back to the subclass's deliverData, strictly in the order they
// were queued, after the level control (gain and limiter) has run over them. The recorder follows its
// settings entry: a new device is opened without ending the capture.
//
// The worker's locks are those of DeviceWorker. The owner creates and deletes the recorder; the
// buffers and their data blocks belong to it.
#include "mm/device_settings.h"
#include "mm/device_worker.h"
#include "mm/level_control.h"
#include "mm/wave_device.h"

// One buffer of the recorder.
struct CaptureBuffer {
    WaveHeader header;
    u8* data = nullptr;  // owned block of the buffer size
    i32 sequence = -1;   // order of queueing, -1 until first queued
    u32 state = 0;
};

enum : u32 {
    captureFree = 0,
    captureAtDevice = 1,
};

// State bits.
enum : u32 {
    recorderRunning = 0x01,
    recorderWaitFailed = 0x04,
};

// Request bits.
enum : u32 {
    recorderRequestData = 0x01,  // a buffer came back from the device
    recorderRequestStop = 0x02,
    recorderRequestDevice = 0x04,  // the settings entry names another device
};

class WaveInRecorder : public WaveDevice, public DeviceSettingsListener {
public:
    WaveInRecorder(DeviceSettings* entry, i32 bufCount, i32 bufPerSecond);
    // Expects the worker to have ended (stopAndWait).
    ~WaveInRecorder() override;

    // Stops a capture under way, opens the device for the format and starts the worker. False when the
    // device cannot be opened (reported to the sink); a GException of the sink passes on after onStopped.
    bool start(const WAVEFORMATEX* format);
    // Ends the capture and waits for the worker. Returns at once when not running.
    void stopAndWait();
    void onSettingsChanged(DeviceSettings* entry, u32 mask) override;
    void onWaveMessage(u32 message, uintptr_t param1, uintptr_t param2) override;

    u32 stateBits() const { return state; }
    // For owners that read what the worker keeps under the control lock.
    std::recursive_mutex& controlLock() { return worker.controlLock; }
    CaptureBuffer* buffers() const { return bufferArray; }
    u32 bufferBytes() const { return bufferSize; }
    i32 bufferCount() const { return bufCount; }
    const WaveFormatCopy& captureFormat() const { return format; }

    LevelControl level;
    // How long the worker waits for the device; any other end of the wait than a signal counts as a
    // failed wait. Without limit unless a test says otherwise.
    u32 wakeTimeout = 0xFFFFFFFF;

protected:
    // Called on the worker when the device has been closed, and by start when it cannot be opened.
    virtual void onStopped() {}
    // Captured bytes, in the order the buffers were queued, on the worker with the control lock held.
    // False ends the capture.
    virtual bool deliverData(u32 bytes, const void* data);

private:
    friend unsigned long __stdcall waveInWorkerEntry(void* recorder);
    void runWorker();
    void workerLoop();
    void addBuffers();
    bool deliver();
    void releaseAll();
    void reopenDevice();
    void closeDevice();
    void resetUnlocked();

    DeviceWorker worker;
    CaptureBuffer* bufferArray = nullptr;
    u32 bufferSize = 0;
    u32 state = 0;
    i32 nextSequence = 0;
    i32 deliveredUpTo = 0;  // the lowest sequence number not yet delivered
    DeviceSettings* entry;
    DeviceListNode node;
    WaveFormatCopy format = {};
    i32 bufCount;
    i32 bufPerSecond;
};
