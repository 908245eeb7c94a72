#pragma once
// The parameters of the chorus and the stages they give. The Editor copies its dialog's values into
// a ChorusParams and hands it to the processor as its auxObject, which owns and deletes it.
#include <vector>

#include "core/arrays.h"
#include "core/types.h"
#include "engine/biquad.h"

class ChorusParams : public GCommonObject {
public:
    i32 voices = 0;     // voices wanted; nothing happens for 1 or fewer
    i32 maxDelay = 0;   // frames shared out over the stages
    i32 lfoPeriod = 0;  // frames of one period of the level modulation
    f64 driftRatio = 1.0;  // a drifting delay moves by segment x (1 - 1 / driftRatio) frames per segment
    f64 lfoDepth = 0.0;
    f64 levelSpread = 0.0;  // dry and wet levels are 1 - levelSpread / 2
    f64 gain = 0.0;         // dry and wet levels are multiplied by 1 + gain
    u8 useDelay = 0, driftDelay = 0, useLfo = 0, useLevelSpread = 0, useGain = 0, usePhaseFilters = 0;
};

// One stage mixes its input with one delayed copy of it, doubling the voices heard.
struct ChorusStage {
    i32 delay = 0;  // frames
    f64 dry = 1.0, wet = 1.0;
    f64 lfoStep = 0.0, lfoDepth = 0.0;  // both 0 without the level modulation
    // A drifting delay glides from driftStart by driftDelta over segmentLength frames.
    i32 counter = 0, segmentLength = 0, driftStart = 0, currentDelay = 0, driftDelta = 0;
};

// The stages of a run and their all-pass sections ([stage x tracks + track]; none without phase
// filters), drawn from the shared generator: every section's frequency, then per stage its delay,
// level spread, modulation period and depth.
struct ChorusSetup {
    std::vector<ChorusStage> stages;
    std::vector<BiquadState> phaseFilters;
};

// The stages for a number of voices: the doublings of 1 needed to reach it (0 for 1 or fewer).
u32 chorusStageCount(i32 voices);
// blockFrames is the largest delay a stage can read (one block of history).
ChorusSetup makeChorusSetup(const ChorusParams& params, u32 sampleRate, i32 channels, i32 blockFrames);
