#include "tests/mm/fake_wave_device.h"

#include <windows.h>
#include <mmsystem.h>

#include <chrono>

void FakeWaveDevice::note(const std::string& call) {
    {
        std::lock_guard<std::mutex> hold(mutex);
        calls.push_back(call);
    }
    changed.notify_all();
}

size_t FakeWaveDevice::countCalls(const std::string& call) {
    std::lock_guard<std::mutex> hold(mutex);
    size_t n = 0;
    for (const std::string& c : calls) n += c == call;
    return n;
}

bool FakeWaveDevice::waitUntil(const std::function<bool()>& condition, u32 milliseconds) {
    std::unique_lock<std::mutex> hold(mutex);
    return changed.wait_for(hold, std::chrono::milliseconds(milliseconds), condition);
}

void FakeWaveDevice::giveBack(const std::vector<WaveHeader*>& headers) {
    typedef void(__stdcall * Callback)(void*, u32, uintptr_t, uintptr_t, uintptr_t);
    Callback call = reinterpret_cast<Callback>(callback);
    for (WaveHeader* h : headers) {
        h->dwFlags |= WHDR_DONE;
        h->dwFlags &= ~WHDR_INQUEUE;
        if (call) call(this, doneMessage, instance, reinterpret_cast<uintptr_t>(h), 0);
    }
    changed.notify_all();
}

u32 FakeWaveDevice::openDevice(FakeWaveDevice* f, void** handle, u32 deviceId, uintptr_t cb, uintptr_t inst) {
    f->note("open " + std::to_string(deviceId));
    if (f->openResult) return f->openResult;
    std::lock_guard<std::mutex> hold(f->mutex);
    f->callback = cb;
    f->instance = inst;
    *handle = f;
    return MMSYSERR_NOERROR;
}

u32 FakeWaveDevice::closeDevice(void* handle) {
    FakeWaveDevice* f = static_cast<FakeWaveDevice*>(handle);
    if (!f) return MMSYSERR_INVALHANDLE;
    f->note("close");
    std::lock_guard<std::mutex> hold(f->mutex);
    if (!f->pending.empty()) return WAVERR_STILLPLAYING;
    return f->closeResult;
}

u32 FakeWaveDevice::prepareHeader(FakeWaveDevice* f, WaveHeader* h) {
    if (f->prepareResult) return f->prepareResult;
    h->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

u32 FakeWaveDevice::unprepareHeader(FakeWaveDevice* f, WaveHeader* h) {
    if (h->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    if (f->unprepareResult) return f->unprepareResult;
    h->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

u32 FakeWaveDevice::resetDevice(void* handle) {
    FakeWaveDevice* f = static_cast<FakeWaveDevice*>(handle);
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
