#include "mm/wave_device.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstddef>
#include <cstring>

#include "core/exceptions.h"
#include "mm/mm_error.h"

static_assert(sizeof(WAVEHDR) == sizeof(WaveHeader), "wave header layout");
static_assert(offsetof(WAVEHDR, dwBufferLength) == offsetof(WaveHeader, dwBufferLength), "wave header layout");
static_assert(offsetof(WAVEHDR, dwFlags) == offsetof(WaveHeader, dwFlags), "wave header layout");
static_assert(offsetof(WAVEHDR, lpNext) == offsetof(WaveHeader, lpNext), "wave header layout");
static_assert(sizeof(WAVEOUTCAPSA) == 52 && sizeof(WAVEINCAPSA) == 48, "device capability records");
static_assert(WHDR_DONE == waveHeaderDone && WHDR_PREPARED == waveHeaderPrepared, "header flags");
static_assert(MM_WOM_DONE == waveOutDoneMessage && MM_WIM_DATA == waveInDataMessage, "device messages");
static_assert(CALLBACK_FUNCTION == waveCallbackFunction, "callback kind");

namespace {
const u32 mapperPreferredSet = 0x2016;

HWAVEOUT outHandle(void* h) { return static_cast<HWAVEOUT>(h); }
HWAVEIN inHandle(void* h) { return static_cast<HWAVEIN>(h); }
WAVEHDR* hdr(WaveHeader* h) { return reinterpret_cast<WAVEHDR*>(h); }

}  // namespace

const WaveApi systemWaveApi = {
    []() -> u32 { return waveOutGetNumDevs(); },
    [](void** h, u32 id, const WAVEFORMATEX* f, uintptr_t cb, uintptr_t inst, u32 flags) -> u32 {
        return waveOutOpen(reinterpret_cast<HWAVEOUT*>(h), id, f, cb, inst, flags);
    },
    [](void* h) -> u32 { return waveOutClose(outHandle(h)); },
    [](void* h, WaveHeader* w, u32 n) -> u32 { return waveOutPrepareHeader(outHandle(h), hdr(w), n); },
    [](void* h, WaveHeader* w, u32 n) -> u32 { return waveOutUnprepareHeader(outHandle(h), hdr(w), n); },
    [](void* h, WaveHeader* w, u32 n) -> u32 { return waveOutWrite(outHandle(h), hdr(w), n); },
    [](void* h) -> u32 { return waveOutReset(outHandle(h)); },
    [](void* h) -> u32 { return waveOutPause(outHandle(h)); },
    [](void* h) -> u32 { return waveOutRestart(outHandle(h)); },
    [](void* h, u32 m, uintptr_t p1, uintptr_t p2) -> u32 { return waveOutMessage(outHandle(h), m, p1, p2); },
    [](uintptr_t id, tagWAVEOUTCAPSA* caps, u32 n) -> u32 { return waveOutGetDevCapsA(id, caps, n); },
    []() -> u32 { return waveInGetNumDevs(); },
    [](void** h, u32 id, const WAVEFORMATEX* f, uintptr_t cb, uintptr_t inst, u32 flags) -> u32 {
        return waveInOpen(reinterpret_cast<HWAVEIN*>(h), id, f, cb, inst, flags);
    },
    [](void* h) -> u32 { return waveInClose(inHandle(h)); },
    [](void* h, WaveHeader* w, u32 n) -> u32 { return waveInPrepareHeader(inHandle(h), hdr(w), n); },
    [](void* h, WaveHeader* w, u32 n) -> u32 { return waveInUnprepareHeader(inHandle(h), hdr(w), n); },
    [](void* h, WaveHeader* w, u32 n) -> u32 { return waveInAddBuffer(inHandle(h), hdr(w), n); },
    [](void* h) -> u32 { return waveInReset(inHandle(h)); },
    [](void* h) -> u32 { return waveInStart(inHandle(h)); },
    [](void* h) -> u32 { return waveInStop(inHandle(h)); },
    [](void* h, u32 m, uintptr_t p1, uintptr_t p2) -> u32 { return waveInMessage(inHandle(h), m, p1, p2); },
    [](uintptr_t id, tagWAVEINCAPSA* caps, u32 n) -> u32 { return waveInGetDevCapsA(id, caps, n); },
};

WaveDevice::WaveDevice(bool capture) : capture(capture) {}

WaveDevice::~WaveDevice() {
    if (!handle) return;
    void* h = handle;
    handle = nullptr;
    if (capture)
        api->inClose(h);
    else
        api->outClose(h);
}

void WaveDevice::onWaveMessage(u32, uintptr_t, uintptr_t) {}

void __stdcall waveCallbackThunk(void*, u32 message, uintptr_t instance, uintptr_t param1, uintptr_t param2) {
    WaveDevice* device = reinterpret_cast<WaveDevice*>(instance);
    if (!device) return;
    callGuarded(&device->failures, [&] { device->onWaveMessage(message, param1, param2); });
}

bool checkWaveResult(WaveDevice& device, u32 result) {
    return result == MMSYSERR_NOERROR || reportMmError(device.errorSink, result);
}

static uintptr_t thunkAddress() {
    void(__stdcall * thunk)(void*, u32, uintptr_t, uintptr_t, uintptr_t) = waveCallbackThunk;
    return reinterpret_cast<uintptr_t>(thunk);
}

// A failed open leaves no handle behind.
static bool openChecked(WaveDevice& d, u32 result) {
    if (result != MMSYSERR_NOERROR) d.handle = nullptr;
    return checkWaveResult(d, result);
}

bool openWaveOut(WaveDevice& d, const WAVEFORMATEX* format) {
    return openChecked(d, d.api->outOpen(&d.handle, d.deviceId, format, thunkAddress(),
                                         reinterpret_cast<uintptr_t>(&d), waveCallbackFunction));
}

bool openWaveIn(WaveDevice& d, const WAVEFORMATEX* format) {
    return openChecked(d, d.api->inOpen(&d.handle, d.deviceId, format, thunkAddress(),
                                        reinterpret_cast<uintptr_t>(&d), waveCallbackFunction));
}

bool openForStart(WaveDevice& d, const WAVEFORMATEX* format, const std::function<void()>& stopped) {
    bool opened;
    try {
        opened = d.capture ? openWaveIn(d, format) : openWaveOut(d, format);
    } catch (const GException&) {
        {
            SilencedSink quiet(d);
            stopped();
        }
        throw;
    }
    // A sink that answers true lets a failed open go on, but there is no device to use.
    if (opened && d.handle) return true;
    SilencedSink quiet(d);
    stopped();
    return false;
}

bool getWaveOutDeviceCaps(WaveDevice& d, tagWAVEOUTCAPSA* caps) {
    memset(caps, 0, sizeof(WAVEOUTCAPSA));
    return checkWaveResult(d, d.api->outGetDevCaps(d.deviceId, caps, sizeof(WAVEOUTCAPSA)));
}

bool getWaveInDeviceCaps(WaveDevice& d, tagWAVEINCAPSA* caps) {
    memset(caps, 0, sizeof(WAVEINCAPSA));
    return checkWaveResult(d, d.api->inGetDevCaps(d.deviceId, caps, sizeof(WAVEINCAPSA)));
}

static bool setPreferred(WaveDevice& d, u32 (*numDevs)(), u32 (*message)(void*, u32, uintptr_t, uintptr_t)) {
    if (numDevs() == 1 || d.deviceId == 0) return true;
    void* mapper = reinterpret_cast<void*>((uintptr_t)WAVE_MAPPER);
    bool ok = checkWaveResult(d, message(mapper, mapperPreferredSet, d.deviceId, 0));
    if (ok) d.deviceId = 0;
    return ok;
}

bool setPreferredWaveOut(WaveDevice& d) { return setPreferred(d, d.api->outGetNumDevs, d.api->outMessage); }
bool setPreferredWaveIn(WaveDevice& d) { return setPreferred(d, d.api->inGetNumDevs, d.api->inMessage); }

bool waveOutPrepareChecked(WaveDevice& d, WaveHeader* h) {
    return checkWaveResult(d, d.api->outPrepareHeader(d.handle, h, sizeof(WaveHeader)));
}
bool waveOutUnprepareChecked(WaveDevice& d, WaveHeader* h) {
    return checkWaveResult(d, d.api->outUnprepareHeader(d.handle, h, sizeof(WaveHeader)));
}
bool waveOutWriteChecked(WaveDevice& d, WaveHeader* h) {
    return checkWaveResult(d, d.api->outWrite(d.handle, h, sizeof(WaveHeader)));
}
bool waveOutResetChecked(WaveDevice& d) { return checkWaveResult(d, d.api->outReset(d.handle)); }
bool waveOutPauseChecked(WaveDevice& d) { return checkWaveResult(d, d.api->outPause(d.handle)); }
bool waveOutRestartChecked(WaveDevice& d) { return checkWaveResult(d, d.api->outRestart(d.handle)); }
bool waveOutCloseChecked(WaveDevice& d) {
    void* h = d.handle;
    d.handle = nullptr;
    return checkWaveResult(d, d.api->outClose(h));
}

bool waveInPrepareChecked(WaveDevice& d, WaveHeader* h) {
    return checkWaveResult(d, d.api->inPrepareHeader(d.handle, h, sizeof(WaveHeader)));
}
bool waveInUnprepareChecked(WaveDevice& d, WaveHeader* h) {
    return checkWaveResult(d, d.api->inUnprepareHeader(d.handle, h, sizeof(WaveHeader)));
}
bool waveInAddBufferChecked(WaveDevice& d, WaveHeader* h) {
    return checkWaveResult(d, d.api->inAddBuffer(d.handle, h, sizeof(WaveHeader)));
}
bool waveInResetChecked(WaveDevice& d) { return checkWaveResult(d, d.api->inReset(d.handle)); }
bool waveInStartChecked(WaveDevice& d) { return checkWaveResult(d, d.api->inStart(d.handle)); }
bool waveInStopChecked(WaveDevice& d) { return checkWaveResult(d, d.api->inStop(d.handle)); }
bool waveInCloseChecked(WaveDevice& d) {
    void* h = d.handle;
    d.handle = nullptr;
    return checkWaveResult(d, d.api->inClose(h));
}
