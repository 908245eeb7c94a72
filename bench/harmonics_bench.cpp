// Harmonics read out of a spectrum of 2^22 points, 2000 off-bin harmonics added into and taken out of
// a spectrum of 2^20 points, and a minute of the play synthesizer.
#include <cmath>
#include <vector>

#include "bench/bench.h"
#include "engine/harmonic_synth.h"
#include "engine/harmonics.h"

RAVO_BENCH(harmonics) {
    // Bins of pseudo-random size: about one in five passes the threshold.
    const i32 big = 1 << 22;
    std::vector<Complex> spectrum((size_t)big);
    u32 seed = 7;
    for (Complex& c : spectrum) {
        seed = seed * 1103515245 + 12345;
        c = {(f64)(seed >> 16 & 0x3FF) * big / 1024, (f64)(seed >> 6 & 0x3FF) * big / 1024};
    }
    // A list of one bin in five (dense) and one of peaks only (threshold near the top).
    for (f64 threshold : {2.0, 2.8}) {
        size_t found = 0;
        const double list = medianMilliseconds([&] {
            HarmonicArray array;
            harmonicsFromFft(spectrum.data(), big, array, 44100, true, threshold);
            found = array.count;
        });
        benchResult(threshold < 2.5 ? "harmonicsFromFft, 2^22 points, dense list" : "harmonicsFromFft, 2^22 points, peaks",
                    list, "ms");
        printf("  %u records; goal under 100 ms\n", (unsigned)found);
    }

    // 2000 harmonics of amplitude 1000 between bins, threshold 1: walks of about 300 bins each way.
    const i32 n = 1 << 20;
    std::vector<Complex> bins((size_t)n, Complex{0, 0});
    std::vector<HarmonicRecord> harmonics(2000);
    for (size_t i = 0; i < harmonics.size(); ++i)
        harmonics[i] = HarmonicRecord{1000, 40 + 10.37 * (f64)i, 0.1 * (f64)(i % 60)};
    i32 first, last;
    const double spread = medianMilliseconds([&] {
        for (const HarmonicRecord& h : harmonics) addHarmonicToSpectrum(h, bins.data(), n, 44100, 1.0);
        for (const HarmonicRecord& h : harmonics)
            subtractHarmonicFromSpectrum(h, bins.data(), n, 44100, &first, &last, 1.0);
    });
    benchResult("add and subtract 2000 harmonics, 2^20 points", spread, "ms");
    printf("  goal under 200 ms\n");

    // The play envelope with a hold of a minute over a period of 16384 samples.
    PeriodLoop* loop = new PeriodLoop(16384, 44100);
    for (int h = 1; h <= 8; ++h)
        placeHarmonicOnBin(HarmonicRecord{2000.0 / h, 220.0 * h, 0}, loop->spectrum.data(), 16384, 44100);
    buildPeriod(*loop, nullptr);
    EnvelopeParams minute = playEnvelope;
    minute.holdTime = 60.0 - minute.attackTime - minute.decayTime - minute.releaseTime;
    HarmonicSynth synth(loop, minute, 44100, true);
    std::vector<i16> block(4410);
    size_t samples = 0;
    const double play = medianMilliseconds([&] {
        synth.rewind();
        samples = 0;
        for (u32 got; (got = synth.readFrames(block.data(), 4410)) != 0;) samples += got;
    });
    benchResult("play synthesizer, one minute", play, "ms");
    printf("  %u samples; goal under 20 ms\n", (unsigned)samples);
    fflush(stdout);
}
