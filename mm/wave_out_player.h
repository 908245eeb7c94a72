#pragma once
// Streams sound to one wave-out device. A worker thread keeps bufPresend buffers queued at the device,
// refilling them through the subclass's fillBuffer and passing each through the level control (gain,
// limiter, fades) first. The player follows its settings entry: a new device is opened without a
// restart, a new gain is taken from the next buffer filled on.
//
// The worker's locks are those of DeviceWorker; the request lock also guards the in-flight count.
#include <atomic>

#include "mm/device_settings.h"
#include "mm/device_worker.h"
#include "mm/level_control.h"
#include "mm/wave_device.h"

// One buffer of the player.
struct WaveBuffer {
    WaveHeader header;
    u8* data = nullptr;    // owned block of the buffer size
    u64 position = 0;      // set by fillBuffer, in the source's units
    i32 sequence = -1;     // order of filling, -1 when never filled
    u32 state = 0;
};

enum : u32 {
    bufferFree = 0,
    bufferFilled = 1,
    bufferHanding = 2,  // being handed to the device
    bufferAtDevice = 3,
};

// State bits.
enum : u32 {
    playerRunning = 0x01,
    playerPaused = 0x02,
    playerDraining = 0x04,  // no further refill; ends when nothing is left to play
    playerFadeIn = 0x08,    // fade in the next filled buffer
    playerRepeat = 0x10,    // set by the owner under the control lock
    playerTimedOut = 0x20,  // the device stopped answering
};

// Request bits.
enum : u32 {
    requestStop = 0x01,
    requestReposition = 0x02,
    requestFinish = 0x04,  // fade out, then stop
    requestBufferDone = 0x08,
    requestDeviceChanged = 0x10,
};

struct PlayRange {
    u64 start;
    u64 end;
};

class WaveOutPlayer : public WaveDevice, public DeviceSettingsListener {
public:
    WaveOutPlayer(DeviceSettings* entry, i32 bufCount, i32 bufPresend, i32 bufPerSecond);
    // Stops a running worker and waits for it. A subclass whose overrides the worker calls stops it in
    // its own destructor, before its part of the object is gone.
    ~WaveOutPlayer() override;

    // Stops what plays, opens the device for the format and starts the worker. False when the device
    // cannot be opened (reported to the sink); a GException of the sink passes on after onStopped.
    bool start(const WAVEFORMATEX* format);
    // Ends playback and waits for the worker; gently fades out first when the entry's fade switch is
    // on and the player is not paused. Returns at once when not running.
    void stopAndWait(bool gently);
    // Plays on from a new range (running and not paused only).
    void reposition(const PlayRange& range);
    void pause();
    void resume();
    void onSettingsChanged(DeviceSettings* entry, u32 mask) override;
    void onWaveMessage(u32 message, uintptr_t param1, uintptr_t param2) override;

    // For owners that change the repeat bit or read the state.
    void lockControl() { worker.controlLock.lock(); }
    void unlockControl() { worker.controlLock.unlock(); }
    // The control lock held for the caller's scope.
    DeviceWorker::Hold holdControl() { return DeviceWorker::Hold(worker.controlLock); }
    // Read without the lock too: the interface takes the running and paused bits while the worker
    // may hold the lock under an error box.
    u32 stateBits() const { return state; }
    void setStateBits(u32 set, u32 clear) { state = (state | set) & ~clear; }

    WaveBuffer* buffers() const { return bufferArray; }
    u32 bufferBytes() const { return bufferSize; }
    i32 bufferCount() const { return bufCount; }
    i32 presendCount() const { return bufPresend; }
    i32 buffersPerSecond() const { return bufPerSecond; }
    const WaveFormatCopy& outputFormat() const { return format; }
    DeviceSettings* settingsEntry() const { return entry; }

    LevelControl level;
    // How long the worker waits for the device before it gives up, in ms.
    u32 wakeTimeout = 5000;

protected:
    // Called on the worker when the device has been closed, and by start when it cannot be opened.
    virtual void onStopped() {}
    // A new range to play, stored under the control lock by reposition.
    virtual void setPlayRange(const PlayRange&) {}
    virtual void onPaused() {}
    virtual void onResumed() {}
    // Writes up to the buffer size into the buffer's data, sets the header's length (0 at the end of
    // the source) and the buffer's position.
    virtual void fillBuffer(WaveBuffer& buffer) { buffer.header.dwBufferLength = 0; }
    // True to go on playing from the range given to setPlayRange, false to stop.
    virtual bool restartAtRange() { return true; }
    // A buffer has been handed to the device.
    virtual void positionReport(u64) {}
    // Back to the start of the source (looping).
    virtual void rewind() {}

private:
    friend unsigned long __stdcall waveOutWorkerEntry(void* player);
    void runWorker();
    void workerLoop();
    bool drained(i32 inFlightNow) const;
    bool switchOn(u32 bit) const;
    void resetUnlocked();
    void freeReturnedBuffers();
    void refill();
    i32 queueFilled(i32 n);
    WaveBuffer* filledWithLowestSequence() const;
    WaveBuffer* filledWithHighestSequence() const;
    void fadeOutBuffer(WaveBuffer& b);
    void fadeInBuffer(WaveBuffer& b);
    void fadeOutNext();
    bool applyReposition();
    void reopenDevice();
    void closeDevice();
    void abandonBuffers();

    DeviceWorker worker;
    WaveBuffer* bufferArray = nullptr;
    u32 bufferSize = 0;
    std::atomic<u32> state{0};
    i32 nextSequence = 0;
    i32 inFlight = 0;
    DeviceSettings* entry;
    DeviceListNode node;
    WaveFormatCopy format = {};
    i32 bufCount;
    i32 bufPresend;
    i32 bufPerSecond;
    bool finishing = false;  // a finish request was taken: draining for good
};
