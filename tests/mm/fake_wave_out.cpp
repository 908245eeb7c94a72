#include "tests/mm/fake_wave_out.h"

#include <windows.h>
#include <mmsystem.h>

FakeWaveOut* FakeWaveOut::current = nullptr;

const WaveApi FakeWaveOut::api = {
    []() -> u32 { return current->devices; },
    FakeWaveOut::open,
    FakeWaveOut::closeDevice,
    [](void*, WaveHeader* h, u32) -> u32 { return prepareHeader(current, h); },
    [](void*, WaveHeader* h, u32) -> u32 { return unprepareHeader(current, h); },
    FakeWaveOut::write,
    FakeWaveOut::resetDevice,
    FakeWaveOut::pause,
    FakeWaveOut::restart,
    [](void*, u32, uintptr_t, uintptr_t) -> u32 {
        current->note("message");
        return current->messageResult;
    },
    [](uintptr_t, tagWAVEOUTCAPSA*, u32) -> u32 { return MMSYSERR_NOTSUPPORTED; },
    // No capture side.
    []() -> u32 { return 0; },
    [](void**, u32, const WAVEFORMATEX*, uintptr_t, uintptr_t, u32) -> u32 { return MMSYSERR_NODRIVER; },
    [](void*) -> u32 { return MMSYSERR_INVALHANDLE; },
    [](void*, WaveHeader*, u32) -> u32 { return MMSYSERR_INVALHANDLE; },
    [](void*, WaveHeader*, u32) -> u32 { return MMSYSERR_INVALHANDLE; },
    [](void*, WaveHeader*, u32) -> u32 { return MMSYSERR_INVALHANDLE; },
    [](void*) -> u32 { return MMSYSERR_INVALHANDLE; },
    [](void*) -> u32 { return MMSYSERR_INVALHANDLE; },
    [](void*) -> u32 { return MMSYSERR_INVALHANDLE; },
    [](void*, u32, uintptr_t, uintptr_t) -> u32 { return MMSYSERR_INVALHANDLE; },
    [](uintptr_t, tagWAVEINCAPSA*, u32) -> u32 { return MMSYSERR_NODRIVER; },
};

FakeWaveOut::FakeWaveOut(bool autoReturn) : FakeWaveDevice(MM_WOM_DONE), autoReturn(autoReturn) {
    current = this;
    if (autoReturn) worker = std::thread([this] { deviceThread(); });
}

FakeWaveOut::~FakeWaveOut() {
    {
        std::lock_guard<std::mutex> hold(mutex);
        ending = true;
    }
    changed.notify_all();
    if (worker.joinable()) worker.join();
    current = nullptr;
}

void FakeWaveOut::returnBuffers(size_t n) {
    std::vector<WaveHeader*> back;
    {
        std::lock_guard<std::mutex> hold(mutex);
        while (n-- && !pending.empty()) {
            back.push_back(pending.front());
            pending.pop_front();
        }
    }
    giveBack(back);
}

void FakeWaveOut::deviceThread() {
    std::unique_lock<std::mutex> hold(mutex);
    for (;;) {
        changed.wait(hold, [this] { return ending || (!paused && !pending.empty()); });
        if (ending) return;
        WaveHeader* h = pending.front();
        pending.pop_front();
        hold.unlock();
        giveBack({h});
        hold.lock();
    }
}

u32 FakeWaveOut::open(void** handle, u32 deviceId, const WAVEFORMATEX*, uintptr_t cb, uintptr_t inst, u32) {
    FakeWaveOut* f = current;
    if (u32 result = openDevice(f, handle, deviceId, cb, inst)) return result;
    std::lock_guard<std::mutex> hold(f->mutex);
    f->paused = false;
    return MMSYSERR_NOERROR;
}

u32 FakeWaveOut::write(void*, WaveHeader* h, u32) {
    FakeWaveOut* f = current;
    if (f->writeResult) return f->writeResult;
    {
        std::lock_guard<std::mutex> hold(f->mutex);
        f->written.emplace_back(h->lpData, h->lpData + h->dwBufferLength);
        h->dwFlags |= WHDR_INQUEUE;
        f->pending.push_back(h);
    }
    f->changed.notify_all();
    return MMSYSERR_NOERROR;
}

u32 FakeWaveOut::pause(void*) {
    current->note("pause");
    if (current->pauseResult) return current->pauseResult;
    std::lock_guard<std::mutex> hold(current->mutex);
    current->paused = true;
    return MMSYSERR_NOERROR;
}

u32 FakeWaveOut::restart(void*) {
    current->note("restart");
    if (current->restartResult) return current->restartResult;
    {
        std::lock_guard<std::mutex> hold(current->mutex);
        current->paused = false;
    }
    current->changed.notify_all();
    return MMSYSERR_NOERROR;
}
