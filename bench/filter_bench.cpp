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


RAVO_BENCH(filters) {
    std::string folder = benchDataFolder();
    ensureDataFolder();
    if (!keepOrWriteSinesWave(folder + "\\filter_in.wav", benchHourSeconds)) {
        printf("filters: cannot write the input\n");
        return;
    }
    // BQF_LOW_PASS
    measureBenchAction("biquad low-pass", "filter", folder, "filter", 524, [](SoundBlockProcessor& p) {
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
    measureBenchAction("equalizer", "filter", folder, "filter", 522, [](SoundBlockProcessor& p) {  // EQUALIZER
        EqParams* eq = new EqParams;
        eq->bandGains = {3, -2, 1, 4, -3, 2, -1, 3, -4, 2};
        p.setAuxObject(eq);
    });
}
