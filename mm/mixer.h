#pragma once
// The layer over the machine's audio mixers: lines and their controls found, control values read and
// set (with an optional read-back check), and the volume, mute and recording-source helpers of the
// device panels. Every failing mixer call is reported to the mixer's error sink with its multimedia
// error text, and the sink's answer is the call's answer. Callers own every object here.
#include "core/arrays.h"
#include "core/error.h"
#include "core/types.h"

#include <cstdint>

struct tagMIXERCAPSA;
struct tagMIXERLINEA;
struct tagMIXERCONTROLA;
struct tagMIXERLINECONTROLSA;
struct tMIXERCONTROLDETAILS;
struct tagMIXERCONTROLDETAILS_LISTTEXTA;

// The mixer functions the layer calls, by mixer number; replaceable for tests.
struct MixerApi {
    u32 (*getNumDevs)();
    u32 (*getDevCaps)(u32 mixer, tagMIXERCAPSA* caps, u32 size);
    u32 (*getLineInfo)(u32 mixer, tagMIXERLINEA* line, u32 flags);
    u32 (*getLineControls)(u32 mixer, tagMIXERLINECONTROLSA* controls, u32 flags);
    u32 (*getControlDetails)(u32 mixer, tMIXERCONTROLDETAILS* details, u32 flags);
    u32 (*setControlDetails)(u32 mixer, tMIXERCONTROLDETAILS* details, u32 flags);
    // An open handle whose changes go to the callback as the flags say; and its close.
    u32 (*open)(uintptr_t* handle, u32 mixer, uintptr_t callback, uintptr_t instance, u32 flags);
    u32 (*close)(uintptr_t handle);
};
extern MixerApi mixerApi;

// One mixer of the machine. With readBack, every value set is read again and compared.
struct Mixer {
    ErrorHandler* errorSink = nullptr;
    u32 mixerId = 0;
    bool readBack = false;
};

// A line of a mixer: a destination, or one of its sources (source -1: the destination itself).
struct MixerLineRef {
    u32 destination;
    i32 source;
};

// What reading and setting a control needs: its id and the shape of its values (channels x items,
// one 32-bit value each).
struct MixerControlMetrics {
    u32 controlId = 0;
    u32 channels = 0;
    u32 items = 0;  // 0 for controls of one item
    u32 valueCount = 0;
    bool readBack = false;
};

// Control types the helpers look for.
const u32 mixerControlVolume = 0x50030001;
const u32 mixerControlMute = 0x20010002;
const u32 mixerControlMux = 0x70010001;
const u32 mixerControlMixer = 0x71010001;

// The messages an open mixer posts to its window: wParam the handle, lParam the line or control id.
const u32 mixerLineChangeMessage = 0x3D0;
const u32 mixerControlChangeMessage = 0x3D1;

// The controls of a line, in the order the mixer lists them.
typedef RecordArray<tagMIXERCONTROLA> MixerControls;

bool getMixerDevCaps(Mixer& mixer, tagMIXERCAPSA& caps);
// Opens the mixer so that its line and control changes are posted to the window; 0 on failure.
uintptr_t openMixerToWindow(Mixer& mixer, uintptr_t window);
void closeMixerHandle(uintptr_t handle);
bool getMixerLineInfo(Mixer& mixer, tagMIXERLINEA& line, MixerLineRef ref);
// The line's control of the type.
bool getLineControlByType(Mixer& mixer, const tagMIXERLINEA& line, u32 type, tagMIXERCONTROLA& control);
// All controls of the line; the array is sized to the line's control count.
bool loadLineControls(Mixer& mixer, const tagMIXERLINEA& line, MixerControls& controls);
// Channels: 1 for uniform controls and for every type but volume, else the line's channels.
MixerControlMetrics controlMetrics(const Mixer& mixer, const tagMIXERLINEA& line, const tagMIXERCONTROLA& control);
// The control's current values, the array sized to the metrics' value count.
bool getMixerControlDetails(Mixer& mixer, const MixerControlMetrics& metrics, U32Array& values);
// The item texts of a multiple-item control (channels x items records).
bool getMixerControlValues(Mixer& mixer, const MixerControlMetrics& metrics,
                           RecordArray<tagMIXERCONTROLDETAILS_LISTTEXTA>& texts);
// Sets the values: true at once when the control takes none; a count that does not fit is reported
// with the value-count message; with the read-back flag a value that reads back otherwise is
// reported as MIXERR_INVALVALUE.
bool setMixerControlDetails(const MixerControlMetrics& metrics, Mixer& mixer, const U32Array& values);

// The line's volume: left is the first channel, right the second (the first again for a one-channel
// control). Setting leaves channels beyond the second as they are.
bool accessLineVolume(Mixer& mixer, u32& left, u32& right, bool set, MixerLineRef ref);
// The line's mute: read from the first channel, set on every channel.
bool accessLineMute(Mixer& mixer, bool& value, bool set, MixerLineRef ref);
// Whether a source line is the recording source of its destination (its multiplexer, or else its
// mixer control). False for a destination, for a destination with neither control, and for
// selecting a source that the control does not list (nothing is changed then). Reading a source
// that is not listed gives not selected.
bool selectRecordSource(Mixer& mixer, bool& selected, bool set, MixerLineRef ref);

// The display name of a line's component type.
const char* mixerComponentTypeName(u32 componentType);
