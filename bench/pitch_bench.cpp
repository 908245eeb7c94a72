// PITCH by +200 cents and TEMPO 1.25 over ten minutes of stereo 16-bit 44.1 kHz sound, as the Editor
// runs them with the default analysis settings (2048 points, overlap 4, Hann), the median of three
// runs. The input stays in "bench_data", where "./dev bench pitch" times the same work by sox.
#include <cmath>
#include <cstdio>
#include <string>

#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "core/paths.h"
#include "engine/window_functions.h"

RAVO_BENCH(pitch) {
    const std::string folder = benchDataFolder();
    ensureDataFolder();
    if (!keepOrWriteSinesWave(folder + "\\pitch_in.wav", 600)) {
        printf("pitch: cannot write the input\n");
        return;
    }
    const struct {
        const char* name;
        const char* verb;
        u32 actionId;
        f64 factor;
    } actions[] = {
        {"pitch +200 cents", "pitch", 403, std::pow(2.0, 200.0 / 1200)},  // PITCH
        {"tempo 1.25", "tempo", 404, 1.25},                                // TEMPO
    };
    for (const auto& a : actions) {
        const f64 factor = a.factor;
        measureBenchAction(a.name, a.verb, folder, "pitch", a.actionId, [factor](SoundBlockProcessor& p) {
            p.param1 = factor;
            p.periodFrames = 2048;
            p.paramInt2 = 4;
            p.paramInt3 = windowTypeHann;
        });
    }
}
