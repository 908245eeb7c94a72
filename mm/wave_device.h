#pragma once
// The common base of the wave-out player and the wave-in recorder (device handle, error sink, device
// number), the callback every opened device calls, and the checked forms of the device calls: each
// turns a failing result code into a report to the device's error sink and answers the sink's answer
// (true on success).
#include <cstdint>
#include <functional>

#include "core/error.h"
#include "core/guard.h"
#include "core/types.h"

struct tWAVEFORMATEX;
typedef struct tWAVEFORMATEX WAVEFORMATEX;
struct tagWAVEOUTCAPSA;
struct tagWAVEINCAPSA;

// The platform's wave buffer header, declared here to keep the platform headers out.
struct WaveHeader {
    char* lpData;
    u32 dwBufferLength;
    u32 dwBytesRecorded;
    uintptr_t dwUser;
    u32 dwFlags;
    u32 dwLoops;
    WaveHeader* lpNext;
    uintptr_t reserved;
};
static_assert(sizeof(void*) != 4 || sizeof(WaveHeader) == 32, "the 32-bit wave header is 32 bytes");
const u32 waveHeaderDone = 0x01;
const u32 waveHeaderPrepared = 0x02;

// The first 18 bytes of a WAVEFORMATEX.
#pragma pack(push, 1)
struct WaveFormatCopy {
    u16 wFormatTag;
    u16 nChannels;
    u32 nSamplesPerSec;
    u32 nAvgBytesPerSec;
    u16 nBlockAlign;
    u16 wBitsPerSample;
    u16 cbSize;

    const WAVEFORMATEX* format() const { return reinterpret_cast<const WAVEFORMATEX*>(this); }
};
#pragma pack(pop)
static_assert(sizeof(WaveFormatCopy) == 18, "a WAVEFORMATEX without extra bytes is 18 bytes");

// Device messages.
const u32 waveOutDoneMessage = 0x3BD;
const u32 waveInDataMessage = 0x3C0;
const u32 waveCallbackFunction = 0x30000;

// The device functions the library calls. Devices use the machine's set; tests put a set of their
// own behind a device.
struct WaveApi {
    u32 (*outGetNumDevs)();
    u32 (*outOpen)(void** handle, u32 deviceId, const WAVEFORMATEX* format, uintptr_t callback, uintptr_t instance,
                   u32 flags);
    u32 (*outClose)(void* handle);
    u32 (*outPrepareHeader)(void* handle, WaveHeader* header, u32 size);
    u32 (*outUnprepareHeader)(void* handle, WaveHeader* header, u32 size);
    u32 (*outWrite)(void* handle, WaveHeader* header, u32 size);
    u32 (*outReset)(void* handle);
    u32 (*outPause)(void* handle);
    u32 (*outRestart)(void* handle);
    u32 (*outMessage)(void* handle, u32 message, uintptr_t param1, uintptr_t param2);
    u32 (*outGetDevCaps)(uintptr_t deviceId, tagWAVEOUTCAPSA* caps, u32 size);
    u32 (*inGetNumDevs)();
    u32 (*inOpen)(void** handle, u32 deviceId, const WAVEFORMATEX* format, uintptr_t callback, uintptr_t instance,
                  u32 flags);
    u32 (*inClose)(void* handle);
    u32 (*inPrepareHeader)(void* handle, WaveHeader* header, u32 size);
    u32 (*inUnprepareHeader)(void* handle, WaveHeader* header, u32 size);
    u32 (*inAddBuffer)(void* handle, WaveHeader* header, u32 size);
    u32 (*inReset)(void* handle);
    u32 (*inStart)(void* handle);
    u32 (*inStop)(void* handle);
    u32 (*inMessage)(void* handle, u32 message, uintptr_t param1, uintptr_t param2);
    u32 (*inGetDevCaps)(uintptr_t deviceId, tagWAVEINCAPSA* caps, u32 size);
};
extern const WaveApi systemWaveApi;

// A wave-out or wave-in device. The error sink receives every failure of a device call; while it is
// null nothing is reported. The sink may raise GException to break off the operation that reported.
class WaveDevice {
public:
    explicit WaveDevice(bool capture);
    WaveDevice(const WaveDevice&) = delete;
    WaveDevice& operator=(const WaveDevice&) = delete;
    // Closes a still-open handle without reporting a failure.
    virtual ~WaveDevice();

    // The device's message (on the system's callback thread); nothing in the base.
    virtual void onWaveMessage(u32 message, uintptr_t param1, uintptr_t param2);

    void* handle = nullptr;
    ErrorHandler* errorSink = nullptr;
    u32 deviceId = 0;
    const WaveApi* api = &systemWaveApi;
    const bool capture;
    // Exceptions caught where the system or a thread of the device calls in, for the owner to take.
    ExceptionCarrier failures;
};

// Silences a device's error sink for its lifetime.
class SilencedSink {
public:
    explicit SilencedSink(WaveDevice& device) : device(device), saved(device.errorSink) { device.errorSink = nullptr; }
    ~SilencedSink() { device.errorSink = saved; }
    SilencedSink(const SilencedSink&) = delete;
    SilencedSink& operator=(const SilencedSink&) = delete;

private:
    WaveDevice& device;
    ErrorHandler* saved;
};

// The callback given to every opened device; the instance data is the WaveDevice.
void __stdcall waveCallbackThunk(void* handle, u32 message, uintptr_t instance, uintptr_t param1, uintptr_t param2);

// Reports a failing result code to the device's sink: true for success, else the sink's answer.
bool checkWaveResult(WaveDevice& device, u32 result);

bool openWaveOut(WaveDevice& device, const WAVEFORMATEX* format);
bool openWaveIn(WaveDevice& device, const WAVEFORMATEX* format);
// Opens the device for a start (wave-in for a capture device). When no handle results, stopped()
// runs with the sink silenced and the answer is false; a GException of the sink passes on after it.
bool openForStart(WaveDevice& device, const WAVEFORMATEX* format, const std::function<void()>& stopped);
bool getWaveOutDeviceCaps(WaveDevice& device, tagWAVEOUTCAPSA* caps);
bool getWaveInDeviceCaps(WaveDevice& device, tagWAVEINCAPSA* caps);
// Makes the device the preferred one of the wave mapper (nothing to do with one device or device
// 0); afterwards the device is reached as device 0.
bool setPreferredWaveOut(WaveDevice& device);
bool setPreferredWaveIn(WaveDevice& device);

bool waveOutPrepareChecked(WaveDevice& device, WaveHeader* header);
bool waveOutUnprepareChecked(WaveDevice& device, WaveHeader* header);
bool waveOutWriteChecked(WaveDevice& device, WaveHeader* header);
bool waveOutResetChecked(WaveDevice& device);
bool waveOutPauseChecked(WaveDevice& device);
bool waveOutRestartChecked(WaveDevice& device);
// Closes the handle, which is cleared first.
bool waveOutCloseChecked(WaveDevice& device);

bool waveInPrepareChecked(WaveDevice& device, WaveHeader* header);
bool waveInUnprepareChecked(WaveDevice& device, WaveHeader* header);
bool waveInAddBufferChecked(WaveDevice& device, WaveHeader* header);
bool waveInResetChecked(WaveDevice& device);
bool waveInStartChecked(WaveDevice& device);
bool waveInStopChecked(WaveDevice& device);
bool waveInCloseChecked(WaveDevice& device);
