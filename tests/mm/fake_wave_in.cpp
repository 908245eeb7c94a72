#include "tests/mm/fake_wave_in.h"

#include <windows.h>
#include <mmsystem.h>

#include <chrono>

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
    FakeWaveIn::open,
    FakeWaveIn::close,
    FakeWaveIn::prepare,
    FakeWaveIn::unprepare,
    FakeWaveIn::add,
    FakeWaveIn::reset,
    FakeWaveIn::start,
    FakeWaveIn::stop,
    [](void*, u32, uintptr_t, uintptr_t) -> u32 { return MMSYSERR_NOTSUPPORTED; },
    [](uintptr_t, tagWAVEINCAPSA*, u32) -> u32 { return MMSYSERR_NOTSUPPORTED; },
};

FakeWaveIn::FakeWaveIn() { current = this; }

FakeWaveIn::~FakeWaveIn() { current = nullptr; }

void FakeWaveIn::note(const std::string& call) {
    {
        std::lock_guard<std::mutex> hold(mutex);
        calls.push_back(call);
    }
    changed.notify_all();
}

size_t FakeWaveIn::countCalls(const std::string& call) {
    std::lock_guard<std::mutex> hold(mutex);
    size_t n = 0;
    for (const std::string& c : calls) n += c == call;
    return n;
}

bool FakeWaveIn::waitUntil(const std::function<bool()>& condition, u32 milliseconds) {
    std::unique_lock<std::mutex> hold(mutex);
    return changed.wait_for(hold, std::chrono::milliseconds(milliseconds), condition);
}

void FakeWaveIn::giveBack(WaveHeader* h) {
    typedef void(__stdcall * Callback)(void*, u32, uintptr_t, uintptr_t, uintptr_t);
    h->dwFlags |= WHDR_DONE;
    h->dwFlags &= ~WHDR_INQUEUE;
    if (Callback call = reinterpret_cast<Callback>(callback)) call(this, MM_WIM_DATA, instance, reinterpret_cast<uintptr_t>(h), 0);
    changed.notify_all();
}

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
    giveBack(h);
}

u32 FakeWaveIn::open(void** handle, u32 deviceId, const WAVEFORMATEX*, uintptr_t cb, uintptr_t inst, u32) {
    FakeWaveIn* f = current;
    f->note("open " + std::to_string(deviceId));
    if (f->openResult) return f->openResult;
    std::lock_guard<std::mutex> hold(f->mutex);
    f->callback = cb;
    f->instance = inst;
    *handle = f;
    return MMSYSERR_NOERROR;
}

u32 FakeWaveIn::close(void* handle) {
    FakeWaveIn* f = static_cast<FakeWaveIn*>(handle);
    if (!f) return MMSYSERR_INVALHANDLE;
    f->note("close");
    std::lock_guard<std::mutex> hold(f->mutex);
    if (!f->pending.empty()) return WAVERR_STILLPLAYING;
    return f->closeResult;
}

u32 FakeWaveIn::prepare(void*, WaveHeader* h, u32) {
    if (current->prepareResult) return current->prepareResult;
    h->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

u32 FakeWaveIn::unprepare(void*, WaveHeader* h, u32) {
    if (h->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    if (current->unprepareResult) return current->unprepareResult;
    h->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
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

u32 FakeWaveIn::reset(void* handle) {
    FakeWaveIn* f = static_cast<FakeWaveIn*>(handle);
    if (!f) return MMSYSERR_INVALHANDLE;
    f->note("reset");
    std::deque<WaveHeader*> back;
    {
        std::lock_guard<std::mutex> hold(f->mutex);
        back.swap(f->pending);
    }
    for (WaveHeader* h : back) f->giveBack(h);
    return f->resetResult;
}

u32 FakeWaveIn::start(void*) {
    current->note("start");
    return current->startResult;
}

u32 FakeWaveIn::stop(void*) {
    current->note("stop");
    return current->stopResult;
}
