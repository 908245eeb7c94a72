// PITCH by +200 cents and TEMPO 1.25 over ten minutes of stereo 16-bit 44.1 kHz sound, as the Editor
// runs them with the default analysis settings (2048 points, overlap 4, Hann), the median of three
// runs. The input stays in "bench_data", where "./dev bench pitch" times the same work by sox.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "core/paths.h"
#include "engine/phase_vocoder.h"
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
        {"change rate 1.25", "change rate", 402, 1.25},                    // PITCH_SCALE
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

// The vocoder alone, without the store: one and two lanes of a minute of sound (in blocks of 1024
// frames, as the operation feeds it), in nanoseconds per frame.
RAVO_BENCH(vocoder) {
    const u32 frames = 60 * 44100, block = 1024;
    std::vector<f64> a(block), b(block), tone(block);
    for (u32 i = 0; i < block; ++i) tone[i] = 9000 * std::sin(0.03 * i);
    for (u32 lanes = 1; lanes <= 2; ++lanes) {
        const double ms = medianMilliseconds([&] {
            PhaseVocoder v(2048, 4, 44100, windowFunctionOf(windowTypeHann), lanes);
            for (u32 done = 0; done < frames; done += block) {
                a = tone;
                b = tone;
                v.process(1.25, a.data(), lanes == 2 ? b.data() : nullptr, block);
            }
        });
        benchResult(lanes == 1 ? "vocoder, one lane, per frame" : "vocoder, two lanes, per frame", ms * 1e6 / frames, "ns");
    }
}
