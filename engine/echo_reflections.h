#pragma once
// The parameters of the echo and the reverberation: a list of reflections, each a first delay and
// a run of repetitions at a regular spacing, coloured by a low shelf. The Editor builds the list and
// hands it to the processor as its auxObject, which owns and deletes it.
#include <vector>

#include "core/arrays.h"
#include "core/types.h"

struct EchoReflection {
    u32 delay = 0;     // frames from a sample to its first repetition
    u32 spacing = 0;   // frames between further repetitions
    f64 gain = 0.0;    // gain of the first repetition
    f64 decay = 0.0;   // factor from one repetition to the next
    u32 repeats = 0;   // repetitions (0: none, yet the delay still counts as the shortest)
    f64 shelfGain = 1.0;  // linear gain of the low shelf of every repetition (1: flat)
    f64 shelfFrequency = 500.0;
    f64 shelfSlope = 1.5;
    u32 kind = 5;  // set by the dialogs; not read by the engine
};

class EchoReflectionList : public GCommonObject {
public:
    std::vector<EchoReflection> reflections;
};

// Action ids of the fixed presets.
enum : u32 {
    actionEchoWeak = 617,
    actionEchoMedium = 618,
    actionEchoStrong = 619,
    actionReverWeak = 620,
    actionReverMedium = 621,
    actionReverStrong = 622,
};

// Whole frames of ms milliseconds at the rate (rounded down).
u32 framesOfMilliseconds(u32 ms, u32 sampleRate);
// The reflections of a preset action at the sound's rate; null for any other action. The caller
// owns the list.
EchoReflectionList* echoPreset(u32 actionId, u32 sampleRate);
// The echo dialog's one reflection: the delays were entered as sample counts at their own rate,
// damping in percent darkens the shelf (0: flat).
EchoReflection dialogEcho(u32 delaySamples, u32 spacingSamples, u32 enteredRate, f64 gain, f64 decay, u32 repeats,
                          f64 dampingPercent, u32 shelfFrequency, u32 sampleRate);
