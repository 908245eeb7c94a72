#include "tests/mm/fake_wave_out.h"

#include <windows.h>
#include <mmsystem.h>

#include <chrono>

FakeWaveOut* FakeWaveOut::current = nullptr;

const WaveApi FakeWaveOut::api = {
    []() -> u32 { return current->devices; },
    FakeWaveOut::open,
    FakeWaveOut::close,
    FakeWaveOut::prepare,
    FakeWaveOut::unprepare,
    FakeWaveOut::write,
    FakeWaveOut::reset,
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

FakeWaveOut::FakeWaveOut(bool autoReturn) : autoReturn(autoReturn) {
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

void FakeWaveOut::note(const std::string& call) {
    {
        std::lock_guard<std::mutex> hold(mutex);
        calls.push_back(call);
    }
    changed.notify_all();
}

size_t FakeWaveOut::countCalls(const std::string& call) {
    std::lock_guard<std::mutex> hold(mutex);
    size_t n = 0;
    for (const std::string& c : calls) n += c == call;
    return n;
}

bool FakeWaveOut::waitUntil(const std::function<bool()>& condition, u32 milliseconds) {
    std::unique_lock<std::mutex> hold(mutex);
    return changed.wait_for(hold, std::chrono::milliseconds(milliseconds), condition);
}

void FakeWaveOut::giveBack(std::vector<WaveHeader*> headers) {
    typedef void(__stdcall * Callback)(void*, u32, uintptr_t, uintptr_t, uintptr_t);
    Callback call = reinterpret_cast<Callback>(callback);
    for (WaveHeader* h : headers) {
        h->dwFlags |= WHDR_DONE;
        h->dwFlags &= ~WHDR_INQUEUE;
        if (call) call(this, MM_WOM_DONE, instance, reinterpret_cast<uintptr_t>(h), 0);
    }
    changed.notify_all();
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
    f->note("open " + std::to_string(deviceId));
    if (f->openResult) return f->openResult;
    std::lock_guard<std::mutex> hold(f->mutex);
    f->callback = cb;
    f->instance = inst;
    f->paused = false;
    *handle = f;
    return MMSYSERR_NOERROR;
}

u32 FakeWaveOut::close(void* handle) {
    FakeWaveOut* f = static_cast<FakeWaveOut*>(handle);
    if (!f) return MMSYSERR_INVALHANDLE;
    f->note("close");
    std::lock_guard<std::mutex> hold(f->mutex);
    if (!f->pending.empty()) return WAVERR_STILLPLAYING;
    return f->closeResult;
}

u32 FakeWaveOut::prepare(void*, WaveHeader* h, u32) {
    if (current->prepareResult) return current->prepareResult;
    h->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

u32 FakeWaveOut::unprepare(void*, WaveHeader* h, u32) {
    if (h->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    if (current->unprepareResult) return current->unprepareResult;
    h->dwFlags &= ~WHDR_PREPARED;
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

u32 FakeWaveOut::reset(void* handle) {
    FakeWaveOut* f = static_cast<FakeWaveOut*>(handle);
    if (!f) return MMSYSERR_INVALHANDLE;
    f->note("reset");
    std::vector<WaveHeader*> back;
    {
        std::lock_guard<std::mutex> hold(f->mutex);
        back.assign(f->pending.begin(), f->pending.end());
        f->pending.clear();
    }
    f->giveBack(back);
    return f->resetResult;
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
