#include "mm/wave_in_recorder.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "core/exceptions.h"
#include "mm/mm_texts.h"

namespace {
typedef DeviceWorker::Hold Hold;

void clearHeader(CaptureBuffer& b) { memset(&b.header, 0, sizeof b.header); }
}  // namespace

unsigned long __stdcall waveInWorkerEntry(void* p) {
    WaveInRecorder* recorder = static_cast<WaveInRecorder*>(p);
    callGuarded(&recorder->failures, [&] { recorder->runWorker(); });
    return 0;
}

WaveInRecorder::WaveInRecorder(DeviceSettings* entry, i32 bufCount, i32 bufPerSecond)
    : WaveDevice(true),
      entry(entry),
      bufCount(bufCount < 0 ? 0 : bufCount),
      bufPerSecond(bufPerSecond < 1 ? 1 : bufPerSecond) {
    deviceId = entry->device;
    bufferArray = new CaptureBuffer[this->bufCount];
    for (i32 i = 0; i < this->bufCount; ++i) clearHeader(bufferArray[i]);
    level.attach(entry);
    deviceListLink(node, entry, this);
}

WaveInRecorder::~WaveInRecorder() {
    // A capturing worker ends only when asked.
    stopAndWait();
    worker.join();
    deviceListLink(node, nullptr, nullptr);
    level.attach(nullptr);
    for (i32 i = 0; i < bufCount; ++i) delete[] bufferArray[i].data;
    delete[] bufferArray;
}

bool WaveInRecorder::deliverData(u32, const void*) { return false; }

bool WaveInRecorder::start(const WAVEFORMATEX* wf) {
    stopAndWait();
    worker.join();

    memcpy(&format, wf, sizeof format);
    bufferSize = format.nSamplesPerSec / (u32)bufPerSecond * format.nBlockAlign;
    for (i32 i = 0; i < bufCount; ++i) {
        CaptureBuffer& b = bufferArray[i];
        delete[] b.data;
        b.data = bufferSize ? new u8[bufferSize] : nullptr;
        clearHeader(b);
        b.state = captureFree;
        b.sequence = -1;
    }
    state &= ~recorderWaitFailed;
    level.flags = (format.wBitsPerSample == 8 ? (u32)levelUnsigned8 : 0u) | levelDeviceOpen;
    level.reset(entry);

    if (!openForStart(*this, wf, [this] { onStopped(); })) return false;

    {
        Hold control(worker.controlLock);
        state |= recorderRunning;
        Hold request(worker.requestLock);
        worker.requests = 0;
    }
    if (!worker.start(waveInWorkerEntry, this)) {
        Hold control(worker.controlLock);
        SilencedSink quiet(*this);
        state &= ~recorderRunning;
        waveInCloseChecked(*this);
        onStopped();
        return false;
    }
    return true;
}

void WaveInRecorder::stopAndWait() {
    {
        Hold control(worker.controlLock);
        // The worker cannot wait for itself (deliverData calling in).
        if (!(state & recorderRunning) || worker.onWorkerThread()) return;
        worker.requestEnd(recorderRequestStop);
    }
    worker.waitDone();
}

void WaveInRecorder::onSettingsChanged(DeviceSettings* changed, u32 mask) {
    if (!(mask & (DeviceChange::Device | DeviceChange::Line)) || changed->device == deviceId) return;
    Hold request(worker.requestLock);
    deviceId = changed->device;
    worker.post(recorderRequestDevice);
}

void WaveInRecorder::onWaveMessage(u32 message, uintptr_t, uintptr_t) {
    if (message != waveInDataMessage) return;
    Hold request(worker.requestLock);
    worker.post(recorderRequestData);
}

// ---- worker ----

void WaveInRecorder::runWorker() {
    worker.enterWorker();
    nextSequence = 0;
    deliveredUpTo = 0;
    try {
        workerLoop();
    } catch (const GException&) {
        // The sink, deliverData or the failed wait broke off: end as after a stop.
    } catch (...) {
        failures.store(std::current_exception());
    }
    {
        SilencedSink quiet(*this);
        callGuarded(&failures, [&] { closeDevice(); });
    }
    // Running ends only now, so that stopAndWait cannot return while the worker still works.
    state &= ~recorderRunning;
    worker.leaveWorker();
}

void WaveInRecorder::workerLoop() {
    waveInStartChecked(*this);
    addBuffers();
    for (;;) {
        worker.requestLock.lock();
        u32 taken = worker.requests;
        worker.requests = 0;
        if (!taken) {
            if (worker.waitWake(wakeTimeout) == WAIT_OBJECT_0) continue;
            state |= recorderWaitFailed;
            reportMessage(errorSink, mmText(MmText::RecorderWaitFailed), -1);
            throw GException();
        }
        worker.requestLock.unlock();

        if (taken & recorderRequestStop) return;
        if (taken & recorderRequestDevice) {
            reopenDevice();
            addBuffers();
        }
        if (!deliver()) return;
        addBuffers();
    }
}

void WaveInRecorder::addBuffers() {
    for (i32 i = 0; i < bufCount; ++i) {
        CaptureBuffer& b = bufferArray[i];
        if (b.state == captureAtDevice) continue;
        clearHeader(b);
        b.header.lpData = reinterpret_cast<char*>(b.data);
        b.header.dwBufferLength = bufferSize;
        if (!waveInPrepareChecked(*this, &b.header)) continue;
        b.state = captureAtDevice;
        // A buffer the device did not take would never come back and hold up every later one.
        if (!waveInAddBufferChecked(*this, &b.header)) {
            waveInUnprepareChecked(*this, &b.header);
            b.state = captureFree;
            continue;
        }
        b.sequence = nextSequence++;
    }
}

// Delivers the returned buffers in sequence order. A buffer the device still holds stops the walk
// (the later ones wait for it); a sequence number with no buffer at the device is passed over.
bool WaveInRecorder::deliver() {
    while (deliveredUpTo < nextSequence) {
        CaptureBuffer* b = nullptr;
        for (i32 i = 0; i < bufCount && !b; ++i)
            if (bufferArray[i].state == captureAtDevice && bufferArray[i].sequence == deliveredUpTo) b = &bufferArray[i];
        if (b && !(b->header.dwFlags & waveHeaderDone)) return true;
        ++deliveredUpTo;
        if (!b) continue;
        waveInUnprepareChecked(*this, &b->header);
        b->state = captureFree;
        u32 bytes = b->header.dwBytesRecorded;
        if (bytes > bufferSize) bytes = bufferSize;
        if (!bytes) continue;
        level.limitBuffer(b->data, bytes);
        if (!deliverData(bytes, b->data)) return false;
    }
    return true;
}

// waveInReset with the control lock left.
void WaveInRecorder::resetUnlocked() {
    worker.unlocked([this] { waveInResetChecked(*this); });
}

// Unprepares what is at the device and frees every buffer.
void WaveInRecorder::releaseAll() {
    for (i32 i = 0; i < bufCount; ++i) {
        CaptureBuffer& b = bufferArray[i];
        if (b.state == captureAtDevice) waveInUnprepareChecked(*this, &b.header);
        b.state = captureFree;
    }
}

void WaveInRecorder::reopenDevice() {
    resetUnlocked();
    releaseAll();
    waveInStopChecked(*this);
    waveInCloseChecked(*this);
    openWaveIn(*this, format.format());
    waveInStartChecked(*this);
}

void WaveInRecorder::closeDevice() {
    const bool waitFailed = (state & recorderWaitFailed) != 0;
    if (!waitFailed) resetUnlocked();
    releaseAll();
    waveInStopChecked(*this);
    void* h = handle;
    handle = nullptr;
    u32 result = api->inClose(h);
    if (h && result != MMSYSERR_NOERROR && waitFailed) {
        // Buffers still queued keep the device open: take them back after all, then close again.
        handle = h;
        resetUnlocked();
        for (i32 i = 0; i < bufCount; ++i) {
            WaveHeader& header = bufferArray[i].header;
            if (header.dwFlags & waveHeaderPrepared) waveInUnprepareChecked(*this, &header);
        }
        handle = nullptr;
        result = api->inClose(h);
    }
    if (h && result != MMSYSERR_NOERROR) {
        // The device may still write into its buffers: they are left to it for good.
        bufferArray = new CaptureBuffer[bufCount];
        for (i32 i = 0; i < bufCount; ++i) clearHeader(bufferArray[i]);
    }
    checkWaveResult(*this, result);
    onStopped();
}
