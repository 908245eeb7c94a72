// The biquad low-pass at 1000 Hz and the ten-band equalizer over one hour of stereo 16-bit 44.1 kHz
// sound, as the Editor runs them: the WAVE file opened into a store, the action run over the whole
// range, the result saved as WAVE; the median of three runs of each. The input stays in
// "bench_data" as "filter_in.wav", where "./dev bench filters" times sox on the same work.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "core/paths.h"
#include "core/progress.h"
#include "engine/biquad.h"
#include "engine/biquad_sse2.h"
#include "engine/filters.h"
#include "engine/processor.h"
#include "mm/sound_file.h"
#include "mm/sound_format.h"
#include "mm/sound_store.h"

namespace {
struct Timing {
    double run = -1;  // the action through the store
    double total = -1;  // open + run + save
};

// One run of the action: prepare(processor) sets its parameters after the bind.
template <class Prepare>
Timing runOnce(const std::string& input, const std::string& output, u32 actionId, Prepare prepare) {
    BenchErrorPrinter handler("filters");
    Timing t;
    double t0 = benchSeconds();
    SoundStore store;
    SoundFormat format;
    if (!openSoundFile(input.c_str(), &format, &store, &handler, nullptr) || !store.lock(&handler)) return t;
    ChangeKeeper owner(&store);
    JobProgress progress;
    SlotCall call;
    slotForAction(actionId, &call);
    std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(format.encoding, &handler));
    u64 start = store.dataOffset, end = store.soundEnd();
    p->bind(actionId, &format, &store, start, start, end, end,
            edgeFadeBytesFor(true, 0.01, benchRate, benchFrameBytes));
    p->owner = &owner;
    p->progress = &progress;
    prepare(*p);
    progress.setTotal(p->rangeLength);
    double t1 = benchSeconds();
    p->runSlot(call.slot, call.argument, call.argument2);
    double t2 = benchSeconds();
    bool saved = saveSoundFile(output.c_str(), soundFileWave, &format, &store, nullptr, &handler, nullptr, nullptr);
    double t3 = benchSeconds();
    store.unlock();
    if (!saved) {
        printf("filters: the result could not be saved\n");
        return t;
    }
    t.run = t2 - t1;
    t.total = t3 - t0;
    return t;
}

double medianOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class Prepare>
void measure(const char* name, const std::string& folder, u32 actionId, Prepare prepare) {
    std::vector<double> runs, totals;
    for (int k = 0; k < 3; ++k) {
        Timing t = runOnce(folder + "\\filter_in.wav", folder + "\\filter_out.wav", actionId, prepare);
        if (t.total < 0) return;
        runs.push_back(t.run);
        totals.push_back(t.total);
    }
    const double run = medianOf(runs);
    printf("%s through the store: %.3f s (%.1f Msamples/s)\n", name, run, benchHourBytes / 2 / run / 1e6);
    printf("%s, open + filter + save (median of 3): %.3f s\n", name, medianOf(totals));
    fflush(stdout);
}
}  // namespace

RAVO_BENCH(filters) {
    std::string folder = benchDataFolder();
    ensureDataFolder();
    if (!writeHourWave(folder + "\\filter_in.wav")) {
        printf("filters: cannot write the input\n");
        return;
    }
    measure("biquad low-pass", folder, 524, [](SoundBlockProcessor& p) {  // BQF_LOW_PASS
        p.param1 = 1.0;
        p.param2 = 1000.0;
        p.param3 = 0.95;  // about the 0.707 of a Butterworth pair
        setFilterPasses(p, 1);
    });
    // The section alone over stereo frames in memory: the bound that the walk adds its pages to.
    {
        std::vector<f64> pair(2 << 16);
        for (size_t i = 0; i < pair.size(); ++i) pair[i] = (f64)((i * 7919) % 20000) - 10000.0;
        BiquadState s, t;
        biquadCoefficients(&s, biquadLowPass, 1.0, 1000.0, 0.95, benchRate, 32767.0, nullptr);
        t = s;
        const int rounds = 400;
        double t0 = benchSeconds();
        for (int r = 0; r < rounds; ++r) {
            biquadRunPair(
                s, t, pair.size() / 2, [&pair](size_t i) { return _mm_loadu_pd(&pair[2 * i]); },
                [&pair](size_t i, __m128d y) { _mm_storeu_pd(&pair[2 * i], y); });
        }
        double seconds = benchSeconds() - t0;
        benchResult("biquad section pair in memory", pair.size() / 2 * rounds / seconds / 1e6, "Mframes/s");
    }
    measure("equalizer", folder, 522, [](SoundBlockProcessor& p) {  // EQUALIZER
        EqParams* eq = new EqParams;
        eq->bandGains = {3, -2, 1, 4, -3, 2, -1, 3, -4, 2};
        p.setAuxObject(eq);
    });
}
