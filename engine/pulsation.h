#pragma once
// The parameters of the pulsation actions, taken from the program settings the way the Editor's
// command handler sets them before the run.
#include "core/types.h"

class SoundBlockProcessor;

// Program settings keys of the pulsation actions.
const char pulseDepthKey[] = "ampData_pulse0";       // depth of PULSATION, _POSITIVE and _NEGATIVE
const char pulseUpperDepthKey[] = "ampData_pulse1";  // upper depth of PULSATION_DISSYMETRIC and _RANDOM
const char pulseLowerDepthKey[] = "ampData_pulse2";  // their lower depth
const char pulsationPeriodKey[] = "pulsationPeriod"; // frames, then the rate at which they were chosen
const char pulsationFadeKey[] = "pulsationFade";     // the fade-out choice

// Fade-out choices.
enum : u32 {
    pulsationFadeNone = 0,
    pulsationFadePeriod = 1,  // one period, at most the range
    pulsationFadeHalf = 2,    // half the range
    pulsationFadeWhole = 3,   // the whole range
};

// What the settings hold: the factors of the three levels, the period and the fade choice.
struct PulsationSettings {
    f64 depth = 1.0;
    f64 upperDepth = 1.0;
    f64 lowerDepth = 1.0;
    u32 periodCount = 0;
    u32 periodRate = 0;
    u32 fadeChoice = pulsationFadeNone;
};

// The period at the sound's rate: the count itself at the same rate (or an unknown one), else
// count x soundRate / storedRate in 64 bits, truncated. Never 0: a period converted below one frame
// is one frame.
u32 pulsationPeriodFrames(u32 count, u32 storedRate, u32 soundRate);
// The fade-out length in frames for a choice (an unknown choice fades nothing).
u32 pulsationFadeFrames(u32 choice, u64 rangeFrames, u32 periodFrames);
// Sets param1, param2, periodFrames and paramInt2 of a bound processor for its pulsation action
// (actionId): PULSATION_DISSYMETRIC and PULSATION_RANDOM take the upper and lower depths, the others
// the depth; PULSATION_RANDOM has no fade-out.
void setPulsationParameters(SoundBlockProcessor& p, const PulsationSettings& settings);
