#include "tests/mm/fake_wave_in.h"

#include <windows.h>
#include <mmsystem.h>

FakeWaveIn* FakeWaveIn::current = nullptr;

const WaveApi FakeWaveIn::api = {
    // No playback side.
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
    [](uintptr_t, tagWAVEOUTCAPSA*, u32) -> u32 { return MMSYSERR_NODRIVER; },
    []() -> u32 { return 1; },
    [](void** handle, u32 deviceId, const WAVEFORMATEX*, uintptr_t cb, uintptr_t inst, u32) -> u32 {
        return openDevice(current, handle, deviceId, cb, inst);
    },
    FakeWaveIn::closeDevice,
    [](void*, WaveHeader* h, u32) -> u32 { return prepareHeader(current, h); },
    [](void*, WaveHeader* h, u32) -> u32 { return unprepareHeader(current, h); },
    FakeWaveIn::add,
    FakeWaveIn::resetDevice,
    [](void*) -> u32 {
        current->note("start");
        return current->startResult;
    },
    [](void*) -> u32 {
        current->note("stop");
        return current->stopResult;
    },
    [](void*, u32, uintptr_t, uintptr_t) -> u32 { return MMSYSERR_NOTSUPPORTED; },
    [](uintptr_t, tagWAVEINCAPSA*, u32) -> u32 { return MMSYSERR_NOTSUPPORTED; },
};

FakeWaveIn::FakeWaveIn() : FakeWaveDevice(MM_WIM_DATA) { current = this; }

FakeWaveIn::~FakeWaveIn() { current = nullptr; }

void FakeWaveIn::returnBuffer(size_t index, u32 bytes, i16 value) {
    WaveHeader* h;
    {
        std::lock_guard<std::mutex> hold(mutex);
        if (index >= pending.size()) return;
        h = pending[index];
        pending.erase(pending.begin() + index);
    }
    i16* samples = reinterpret_cast<i16*>(h->lpData);
    for (u32 i = 0; i < bytes / 2; ++i) samples[i] = value;
    h->dwBytesRecorded = bytes;
    giveBack({h});
}

u32 FakeWaveIn::add(void*, WaveHeader* h, u32) {
    FakeWaveIn* f = current;
    f->note("add");
    if (!(h->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (f->addResult) return f->addResult;
    {
        std::lock_guard<std::mutex> hold(f->mutex);
        h->dwFlags = (h->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
        h->dwBytesRecorded = 0;
        f->pending.push_back(h);
    }
    f->changed.notify_all();
    return MMSYSERR_NOERROR;
}
