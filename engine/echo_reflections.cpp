#include "engine/echo_reflections.h"

u32 framesOfMilliseconds(u32 ms, u32 sampleRate) { return (u32)((u64)ms * sampleRate / 1000); }

namespace {
struct Preset {
    u32 actionId;
    u32 delayMs, spacingMs;
    f64 gain, decay;
    u32 repeats;
    f64 shelfGain;
};
const Preset presets[] = {
    {actionEchoWeak, 200, 200, 0.1, 0.1, 1, 0.1},   {actionEchoMedium, 200, 200, 0.2, 0.4, 2, 1.0},
    {actionEchoStrong, 200, 200, 0.4, 0.4, 10, 1.0}, {actionReverWeak, 60, 60, 0.1, 0.1, 1, 0.1},
    {actionReverMedium, 50, 150, 0.5, 0.3, 2, 1.0},  {actionReverStrong, 50, 100, 0.7, 0.5, 3, 1.0},
};
}  // namespace

EchoReflectionList* echoPreset(u32 actionId, u32 sampleRate) {
    for (const Preset& p : presets) {
        if (p.actionId != actionId) continue;
        EchoReflection r;
        r.delay = framesOfMilliseconds(p.delayMs, sampleRate);
        r.spacing = framesOfMilliseconds(p.spacingMs, sampleRate);
        r.gain = p.gain;
        r.decay = p.decay;
        r.repeats = p.repeats;
        r.shelfGain = p.shelfGain;
        EchoReflectionList* list = new EchoReflectionList;
        list->reflections.push_back(r);
        return list;
    }
    return nullptr;
}

EchoReflection dialogEcho(u32 delaySamples, u32 spacingSamples, u32 enteredRate, f64 gain, f64 decay, u32 repeats,
                          f64 dampingPercent, u32 shelfFrequency, u32 sampleRate) {
    auto ms = [enteredRate](u32 samples) { return enteredRate ? (u32)((u64)samples * 1000 / enteredRate) : 0u; };
    EchoReflection r;
    r.delay = framesOfMilliseconds(ms(delaySamples), sampleRate);
    r.spacing = framesOfMilliseconds(ms(spacingSamples), sampleRate);
    r.gain = gain;
    r.decay = decay;
    r.repeats = repeats;
    r.shelfGain = 1.0 - dampingPercent / 100.0;
    r.shelfFrequency = (f64)shelfFrequency;
    r.shelfSlope = 1.5;
    return r;
}
