#include "mm/wave_out_player.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "core/exceptions.h"
#include "mm/mm_texts.h"

namespace {
typedef DeviceWorker::Hold Hold;

void clearHeader(WaveBuffer& b) { memset(&b.header, 0, sizeof b.header); }
}  // namespace

unsigned long __stdcall waveOutWorkerEntry(void* p) {
    WaveOutPlayer* player = static_cast<WaveOutPlayer*>(p);
    callGuarded(&player->failures, [&] { player->runWorker(); });
    return 0;
}

WaveOutPlayer::WaveOutPlayer(DeviceSettings* entry, i32 bufCount, i32 bufPresend, i32 bufPerSecond)
    : WaveDevice(false),
      entry(entry),
      bufCount(bufCount < 0 ? 0 : bufCount),
      bufPresend(bufPresend),
      bufPerSecond(bufPerSecond < 1 ? 1 : bufPerSecond) {
    deviceId = entry->device;
    bufferArray = new WaveBuffer[this->bufCount];
    for (i32 i = 0; i < this->bufCount; ++i) clearHeader(bufferArray[i]);
    level.attach(entry);
    deviceListLink(node, entry, this);
}

WaveOutPlayer::~WaveOutPlayer() {
    // A worker still playing is asked to stop, or the join would wait for the end of the sound.
    stopAndWait(false);
    worker.join();
    deviceListLink(node, nullptr, nullptr);
    level.attach(nullptr);
    for (i32 i = 0; i < bufCount; ++i) delete[] bufferArray[i].data;
    delete[] bufferArray;
}

bool WaveOutPlayer::switchOn(u32 bit) const { return (entry->switches() & bit) != 0; }

bool WaveOutPlayer::start(const WAVEFORMATEX* wf) {
    stopAndWait(true);
    // A previous worker must have left, so that nothing of it touches the player after.
    worker.join();

    memcpy(&format, wf, sizeof format);
    if (!openForStart(*this, wf, [this] { onStopped(); })) return false;

    u32 align = format.nBlockAlign ? format.nBlockAlign : 1;
    bufferSize = format.nAvgBytesPerSec / (u32)bufPerSecond / align * align;
    nextSequence = 0;
    level.flags = (format.wBitsPerSample == 8 ? (u32)levelUnsigned8 : 0u) | levelDeviceOpen;
    level.reset(entry);
    for (i32 i = 0; i < bufCount; ++i) {
        WaveBuffer& b = bufferArray[i];
        delete[] b.data;
        b.data = bufferSize ? new u8[bufferSize] : nullptr;
        clearHeader(b);
        b.position = 0;
        b.state = bufferFree;
        b.sequence = -1;
    }
    {
        Hold request(worker.requestLock);
        inFlight = 0;
        worker.requests = 0;
    }
    {
        Hold control(worker.controlLock);
        state |= playerRunning;
        if (switchOn(DeviceSwitch::Fade)) state |= playerFadeIn;
        state &= ~(playerPaused | playerDraining | playerTimedOut);
        finishing = false;
    }
    if (!worker.start(waveOutWorkerEntry, this)) {
        Hold control(worker.controlLock);
        SilencedSink quiet(*this);
        state &= ~playerRunning;
        waveOutCloseChecked(*this);
        onStopped();
        return false;
    }
    return true;
}

void WaveOutPlayer::stopAndWait(bool gently) {
    {
        Hold control(worker.controlLock);
        // The worker cannot wait for itself (a subclass's notification calling in).
        if (!(state & playerRunning) || worker.onWorkerThread()) return;
        worker.requestEnd(gently && switchOn(DeviceSwitch::Fade) && !(state & playerPaused) ? requestFinish
                                                                                            : requestStop);
    }
    worker.waitDone();
}

void WaveOutPlayer::reposition(const PlayRange& range) {
    Hold control(worker.controlLock);
    if ((state & (playerRunning | playerPaused)) != playerRunning) return;
    setPlayRange(range);
    Hold request(worker.requestLock);
    worker.post(requestReposition);
}

void WaveOutPlayer::pause() {
    if (!(state & playerRunning)) return;
    try {
        waveOutPauseChecked(*this);
    } catch (const GException&) {
        return;
    }
    Hold control(worker.controlLock);
    onPaused();
    state |= playerPaused;
}

void WaveOutPlayer::resume() {
    // A stopped player has no device to restart.
    if (!(state & playerRunning)) return;
    try {
        waveOutRestartChecked(*this);
    } catch (const GException&) {
        return;
    }
    Hold control(worker.controlLock);
    state &= ~playerPaused;
    onResumed();
}

void WaveOutPlayer::onSettingsChanged(DeviceSettings* changed, u32 mask) {
    if (!(mask & (DeviceChange::Device | DeviceChange::Line)) || changed->device == deviceId) return;
    Hold request(worker.requestLock);
    deviceId = changed->device;
    worker.post(requestDeviceChanged);
}

void WaveOutPlayer::onWaveMessage(u32 message, uintptr_t, uintptr_t) {
    if (message != waveOutDoneMessage) return;
    Hold request(worker.requestLock);
    --inFlight;
    worker.post(requestBufferDone);
}

// ---- worker ----

void WaveOutPlayer::runWorker() {
    worker.enterWorker();
    u32 sleepTime = 0;
    try {
        workerLoop();
    } catch (const GException&) {
        // The sink, a fill or the time-out broke off: end as after a stop.
    } catch (...) {
        failures.store(std::current_exception());
    }
    if (finishing) sleepTime = 1000 / (u32)bufPerSecond;
    Sleep(sleepTime);
    {
        SilencedSink quiet(*this);
        callGuarded(&failures, [&] { closeDevice(); });
    }
    // Running ends only now, so that stopAndWait cannot return while the worker still works.
    state &= ~(playerRunning | playerPaused);
    worker.leaveWorker();
}

// True when draining has nothing left: no buffer at the device and none filled.
bool WaveOutPlayer::drained(i32 inFlightNow) const {
    return (state & playerDraining) && inFlightNow <= 0 && !filledWithLowestSequence();
}

void WaveOutPlayer::workerLoop() {
    refill();
    i32 queued = queueFilled(bufPresend);
    for (;;) {
        worker.requestLock.lock();
        inFlight += queued;
        queued = 0;
        i32 flying = inFlight;
        u32 taken = worker.requests;
        worker.requests = 0;
        if (!taken) {
            // The source ended with nothing at the device: no buffer will come back to wake the worker.
            if (drained(flying)) {
                worker.requestLock.unlock();
                return;
            }
            const bool pausedBefore = (state & playerPaused) != 0;
            u32 waited = worker.waitWake(wakeTimeout);
            if (waited == WAIT_OBJECT_0) continue;
            // A paused device gives nothing back: only a failed wait counts then, also for a wait that
            // a resume cut short.
            if (waited == WAIT_TIMEOUT && (pausedBefore || (state & playerPaused))) continue;
            state |= playerTimedOut;
            reportMessage(errorSink, mmText(MmText::DeviceTimeout), -1);
            throw GException();
        }
        worker.requestLock.unlock();

        if (drained(flying)) return;
        if (taken & requestStop) return;
        if ((taken & requestFinish) && !finishing) {
            finishing = true;
            fadeOutNext();
            state |= playerDraining;
        }
        if ((taken & requestReposition) && !finishing && !applyReposition()) return;
        if (taken & requestDeviceChanged) reopenDevice();
        i32 wanted = bufPresend - flying;
        i32 q = queueFilled(wanted);
        refill();
        q += queueFilled(wanted - q);
        queued = q;
    }
}

// waveOutReset with the control lock left.
void WaveOutPlayer::resetUnlocked() {
    worker.unlocked([this] { waveOutResetChecked(*this); });
}

WaveBuffer* WaveOutPlayer::filledWithLowestSequence() const {
    WaveBuffer* best = nullptr;
    for (i32 i = 0; i < bufCount; ++i) {
        WaveBuffer& b = bufferArray[i];
        if (b.state == bufferFilled && (!best || b.sequence < best->sequence)) best = &b;
    }
    return best;
}

WaveBuffer* WaveOutPlayer::filledWithHighestSequence() const {
    WaveBuffer* best = nullptr;
    for (i32 i = 0; i < bufCount; ++i) {
        WaveBuffer& b = bufferArray[i];
        if (b.state == bufferFilled && (!best || b.sequence > best->sequence)) best = &b;
    }
    return best;
}

void WaveOutPlayer::fadeOutBuffer(WaveBuffer& b) {
    if (level.flags & levelUnsigned8)
        fadeOut8(b.data, b.header.dwBufferLength);
    else
        fadeOut16(b.data, b.header.dwBufferLength);
}

void WaveOutPlayer::fadeInBuffer(WaveBuffer& b) {
    if (level.flags & levelUnsigned8)
        fadeIn8(b.data, b.header.dwBufferLength);
    else
        fadeIn16(b.data, b.header.dwBufferLength);
}

void WaveOutPlayer::freeReturnedBuffers() {
    for (i32 i = 0; i < bufCount; ++i) {
        WaveBuffer& b = bufferArray[i];
        if (b.state != bufferAtDevice || !(b.header.dwFlags & waveHeaderDone)) continue;
        waveOutUnprepareChecked(*this, &b.header);
        b.state = bufferFree;
    }
}

void WaveOutPlayer::refill() {
    if (state & playerDraining) return;
    freeReturnedBuffers();
    for (i32 i = 0; i < bufCount; ++i) {
        WaveBuffer& b = bufferArray[i];
        if (b.state != bufferFree) continue;
        clearHeader(b);
        b.header.lpData = reinterpret_cast<char*>(b.data);
        b.header.dwBufferLength = bufferSize;
        fillBuffer(b);
        if (b.header.dwBufferLength == 0 && (state & playerRepeat) && switchOn(DeviceSwitch::Loop)) {
            if (switchOn(DeviceSwitch::Fade))
                if (WaveBuffer* last = filledWithHighestSequence()) fadeOutBuffer(*last);
            rewind();
            b.header.dwBufferLength = bufferSize;
            fillBuffer(b);
            state |= playerFadeIn;
        }
        if (b.header.dwBufferLength == 0) {
            if (switchOn(DeviceSwitch::Fade))
                if (WaveBuffer* last = filledWithHighestSequence()) fadeOutBuffer(*last);
            state |= playerDraining;
            return;
        }
        if (state & playerFadeIn) {
            state &= ~playerFadeIn;
            fadeInBuffer(b);
        }
        level.limitBuffer(b.data, b.header.dwBufferLength);
        b.sequence = nextSequence++;
        b.state = bufferFilled;
    }
}

i32 WaveOutPlayer::queueFilled(i32 n) {
    i32 queued = 0;
    while (queued < n) {
        WaveBuffer* b = filledWithLowestSequence();
        if (!b) break;
        b->header.dwFlags = 0;
        waveOutPrepareChecked(*this, &b->header);
        b->state = bufferHanding;
        waveOutWriteChecked(*this, &b->header);
        b->state = bufferAtDevice;
        ++queued;
        positionReport(b->position);
    }
    return queued;
}

void WaveOutPlayer::fadeOutNext() {
    WaveBuffer* next = filledWithLowestSequence();
    if (!next) return;
    for (i32 i = 0; i < bufCount; ++i)
        if (&bufferArray[i] != next && bufferArray[i].state == bufferFilled) bufferArray[i].state = bufferFree;
    fadeOutBuffer(*next);
}

// After a reset: unprepares what the device held or was being given, and frees every buffer.
static void releaseAfterReset(WaveOutPlayer& p, WaveBuffer* buffers, i32 count) {
    for (i32 i = 0; i < count; ++i) {
        WaveBuffer& b = buffers[i];
        if (b.state == bufferHanding || (b.state == bufferAtDevice && (b.header.dwFlags & waveHeaderDone)))
            waveOutUnprepareChecked(p, &b.header);
        b.state = bufferFree;
    }
}

bool WaveOutPlayer::applyReposition() {
    if (switchOn(DeviceSwitch::Fade)) {
        fadeOutNext();
        state |= playerFadeIn;
    } else {
        resetUnlocked();
        releaseAfterReset(*this, bufferArray, bufCount);
    }
    // A source that had ended plays again from the new range.
    state &= ~playerDraining;
    return restartAtRange();
}

void WaveOutPlayer::reopenDevice() {
    resetUnlocked();
    releaseAfterReset(*this, bufferArray, bufCount);
    waveOutCloseChecked(*this);
    openWaveOut(*this, format.format());
}

void WaveOutPlayer::closeDevice() {
    const bool timedOut = (state & playerTimedOut) != 0;
    if (!timedOut) resetUnlocked();
    for (i32 i = 0; i < bufCount; ++i) {
        WaveBuffer& b = bufferArray[i];
        if (b.state == bufferHanding || b.state == bufferAtDevice) waveOutUnprepareChecked(*this, &b.header);
        b.state = bufferFree;
    }
    void* h = handle;
    handle = nullptr;
    u32 result = api->outClose(h);
    if (h && result != MMSYSERR_NOERROR && timedOut) {
        // The silent device still holds buffers: take them back after all, then close again.
        handle = h;
        resetUnlocked();
        for (i32 i = 0; i < bufCount; ++i) {
            WaveHeader& header = bufferArray[i].header;
            if (header.dwFlags & waveHeaderPrepared) waveOutUnprepareChecked(*this, &header);
        }
        handle = nullptr;
        result = api->outClose(h);
    }
    if (h && result != MMSYSERR_NOERROR) abandonBuffers();
    checkWaveResult(*this, result);
    onStopped();
}

// The device would not be closed, so it may still write into its buffers: they are left to it for
// good (never freed nor used again) and the player goes on with fresh ones.
void WaveOutPlayer::abandonBuffers() {
    bufferArray = new WaveBuffer[bufCount];
    for (i32 i = 0; i < bufCount; ++i) clearHeader(bufferArray[i]);
}
