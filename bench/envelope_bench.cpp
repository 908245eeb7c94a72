// Fades and pulsations over one hour of stereo 16-bit 44.1 kHz sound, run as the Editor runs them:
// the processor over the whole range through the store's change and page walks.
#include <memory>
#include <string>

#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "core/progress.h"
#include "engine/processor.h"
#include "engine/pulsation.h"
#include "mm/sound_format.h"
#include "mm/sound_store.h"

namespace {
const u32 rate = benchRate, channels = benchChannels, frameBytes = benchFrameBytes;
const u64 frames = benchHourBytes / benchFrameBytes;

// Runs one action over the whole hour; prints its time and rate (per sample or per frame).
void runOverHour(const char* name, u32 actionId, f64 param1, f64 param2, bool perFrame) {
    SoundStore store;
    SoundFormat format;
    if (!openHourOfSound(store, format)) return;
    ChangeKeeper owner(&store);
    JobProgress progress;
    std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(format.encoding, nullptr));
    u64 start = store.dataOffset, end = store.soundEnd();
    p->bind(actionId, &format, &store, start, start, end, end, edgeFadeBytesFor(true, 0.01, rate, frameBytes));
    p->owner = &owner;
    p->progress = &progress;
    p->param1 = param1;
    p->param2 = param2;
    PulsationSettings pulse;
    pulse.depth = pulse.upperDepth = param1;
    pulse.lowerDepth = param2;
    pulse.periodCount = rate / 4;
    pulse.periodRate = rate;
    pulse.fadeChoice = pulsationFadePeriod;
    if (actionId >= 506 && actionId <= 510) setPulsationParameters(*p, pulse);
    progress.setTotal(p->rangeLength);
    SlotCall call;
    slotForAction(actionId, &call);
    double t0 = benchSeconds();
    p->runSlot(call.slot, call.argument, call.argument2);
    double seconds = benchSeconds() - t0;
    store.unlock();
    std::string label = std::string(name) + " over one hour";
    benchResult(label.c_str(), seconds, "s");
    u64 count = perFrame ? frames : frames * channels;
    label = std::string(name) + (perFrame ? " frames" : " samples");
    benchResult(label.c_str(), (f64)count / seconds / 1e6, perFrame ? "Mframes/s" : "Msamples/s");
}
}  // namespace

RAVO_BENCH(fade) {
    runOverHour("fade-in", 543, 0, 0, false);            // PREFADING
    runOverHour("non-linear fade-in", 544, -1.0, 0, false);  // NLPREFADING
    runOverHour("crescendo", 491, 0.5, 0, false);          // CRESCENDO
}

RAVO_BENCH(pulsation) {
    runOverHour("pulsation", 506, 0.5, 0, true);          // PULSATION
    runOverHour("random pulsation", 510, 0.5, 0.5, true);  // PULSATION_RANDOM
}
