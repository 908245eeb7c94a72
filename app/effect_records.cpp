#include "app/effect_records.h"

#include <cmath>

#include "engine/echo_reflections.h"

i32 roundToInt(f64 x) { return (i32)std::floor(x + 0.5); }

namespace {
u32 msOf(const SamplePeriod& p) { return p.rate ? (u32)((u64)p.count * 1000 / p.rate) : 0; }
u32 framesOf(u32 ms, u32 rate) { return (u32)(((u64)ms * rate + 500) / 1000); }

EchoBlock preset(u32 d, f64 f, u32 repeats, f64 decay) {
    EchoBlock b;
    b.delay1 = b.delay2 = d;
    b.factor1 = b.factor2 = f;
    b.repeats = repeats;
    b.decay = decay;
    return b;
}

const EchoBlock presets[echoPresetCount] = {
    preset(200, 0.4, 10, 1.0),  preset(10, 0.8, 7, 1.0),   preset(10, 0.5, 4, 1.0),    preset(40, 0.8, 7, 1.0),
    preset(60, 0.75, 5, 0.4),   preset(100, 0.2, 1, 1.0),  preset(100, 0.25, 7, 1.0),  preset(100, 0.5, 1, 1.0),
    preset(100, 0.75, 10, 0.1), preset(500, 0.4, 5, 1.0),  preset(800, 0.6, 8, 1.0),   preset(1000, 0.5, 6, 1.0),
};
}  // namespace

EchoBlock echoBlockOf(const EchoParams& params) {
    EchoBlock b;
    b.delay1 = msOf(params.firstDelay);
    b.delay2 = msOf(params.nextDelay);
    b.factor1 = params.firstLevel.factor;
    b.factor2 = params.nextLevel.factor;
    b.repeats = params.count;
    b.decay = 1.0 - (i32)params.mode / 100.0;
    b.tone = (f64)params.feedback;
    return b;
}

void echoParamsFromBlock(const EchoBlock& block, u32 rate, EchoParams* params) {
    params->firstDelay = SamplePeriod{framesOf(block.delay1, rate), rate};
    params->nextDelay = SamplePeriod{framesOf(block.delay2, rate), rate};
    params->count = block.repeats;
    params->firstLevel.setFactor(block.factor1);
    params->nextLevel.setFactor(block.factor2);
    params->feedback = (u32)roundToInt(block.tone);
    params->mode = (u32)roundToInt((1.0 - block.decay) * 100.0);
}

const EchoBlock& echoPresetBlock(u32 row) { return presets[row >= 1 && row <= echoPresetCount ? row - 1 : 0]; }

EchoReflectionList* echoReflectionsOf(const EchoParams& params, u32 soundRate) {
    auto* list = new EchoReflectionList;
    // The second delay is taken at the first delay's rate.
    const u32 rate = params.firstDelay.rate ? params.firstDelay.rate : soundRate;
    list->reflections.push_back(dialogEcho(params.firstDelay.count, params.nextDelay.countAt(rate), rate,
                                           params.firstLevel.factor, params.nextLevel.factor, params.count,
                                           (f64)(i32)params.mode, params.feedback, soundRate));
    return list;
}
