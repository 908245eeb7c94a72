#pragma once
// The binary interface between the host and a plug-in library: the effect record the library's
// entry point returns, the host callback, the operation codes of both directions, the event and
// time records. Plain C layout with pointer-sized fields where the platform's pointers are, cdecl
// calls; the test plug-ins build against it too.
#include <cstdint>

#include "core/types.h"

struct AEffect;

typedef intptr_t (*audioMasterCallback)(AEffect* effect, i32 opcode, i32 index, intptr_t value, void* ptr, f32 opt);
typedef intptr_t (*AEffectDispatcherProc)(AEffect* effect, i32 opcode, i32 index, intptr_t value, void* ptr, f32 opt);
typedef void (*AEffectProcessProc)(AEffect* effect, f32** inputs, f32** outputs, i32 frames);
typedef void (*AEffectProcessDoubleProc)(AEffect* effect, f64** inputs, f64** outputs, i32 frames);
typedef void (*AEffectSetParameterProc)(AEffect* effect, i32 index, f32 value);
typedef f32 (*AEffectGetParameterProc)(AEffect* effect, i32 index);
// The entry point of a plug-in library ("main", "MAIN" or "VSTPluginMain").
typedef AEffect* (*PluginEntryProc)(audioMasterCallback host);

const i32 kEffectMagic = 0x56737450;  // 'VstP'

struct AEffect {
    i32 magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;  // accumulating; unused
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    i32 numPrograms;
    i32 numParams;
    i32 numInputs;
    i32 numOutputs;
    i32 flags;
    intptr_t resvd1;
    intptr_t resvd2;
    i32 initialDelay;
    i32 realQualities;
    i32 offQualities;
    f32 ioRatio;
    void* object;  // the plug-in's own
    void* user;    // the host's own: its VstPlugin
    i32 uniqueID;
    i32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};
static_assert(sizeof(AEffect) == (sizeof(void*) == 4 ? 144 : 192), "the effect record");

// Flags of AEffect::flags.
enum : i32 {
    effFlagsHasEditor = 1 << 0,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsCanDoubleReplacing = 1 << 12,
};

// Host to plug-in.
enum : i32 {
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditIdle = 19,
    effProcessEvents = 25,
    effGetProgramNameIndexed = 29,
    effGetEffectName = 45,
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effCanDo = 51,
    effIdle = 53,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effStartProcess = 71,
    effStopProcess = 72,
};

// Plug-in to host.
enum : i32 {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterIOChanged = 13,
    audioMasterNeedIdle = 14,
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterCanDo = 37,
    audioMasterGetLanguage = 38,
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
};

// Text sizes the plug-in may fill.
enum : u32 {
    kVstMaxProgNameLen = 24,
    kVstMaxParamStrLen = 8,
    kVstMaxEffectNameLen = 32,
    kVstMaxProductStrLen = 64,
    kVstMaxVendorStrLen = 64,
};

const i32 kVstMidiType = 1;
const i32 kVstMidiEventIsRealtime = 1;

struct VstEvent {
    i32 type;
    i32 byteSize;
    i32 deltaFrames;
    i32 flags;
    char data[16];
};

struct VstMidiEvent {
    i32 type;
    i32 byteSize;  // 32
    i32 deltaFrames;
    i32 flags;
    i32 noteLength;
    i32 noteOffset;
    char midiData[4];
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};
static_assert(sizeof(VstMidiEvent) == 32, "the MIDI event record");

// A list of events; plug-ins read numEvents pointers from events.
struct VstEvents {
    i32 numEvents;
    intptr_t reserved;
    VstEvent* events[2];
};
static_assert(sizeof(VstEvents) == 4 * sizeof(void*), "the event list");

// Flags of VstTimeInfo::flags that the host grants.
enum : i32 {
    kVstNanosValid = 1 << 8,
    kVstPpqPosValid = 1 << 9,
    kVstTempoValid = 1 << 10,
    kVstTimeSigValid = 1 << 13,
};

struct VstTimeInfo {
    f64 samplePos;
    f64 sampleRate;
    f64 nanoSeconds;
    f64 ppqPos;
    f64 tempo;
    f64 barStartPos;
    f64 cycleStartPos;
    f64 cycleEndPos;
    i32 timeSigNumerator;
    i32 timeSigDenominator;
    i32 smpteOffset;
    i32 smpteFrameRate;
    i32 samplesToNextClock;
    i32 flags;
};

// The editor's rectangle as effEditGetRect hands it out.
struct ERect {
    i16 top;
    i16 left;
    i16 bottom;
    i16 right;
};
