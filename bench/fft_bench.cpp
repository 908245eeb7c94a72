// The transform of lengths from 2^10 to 2^22 and of a prime near a million (the chirp-z path):
// the median time of one forward transform and the time per point; real input at 2^16 to 2^22.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/bench.h"
#include "engine/fft.h"

namespace {
// Median seconds of one transform of n points over `runs` runs of `repeat` transforms each (real:
// forward transforms of real input).
double medianSeconds(i32 n, int runs, int repeat, bool real = false) {
    std::vector<Complex> data((size_t)n);
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        for (i32 i = 0; i < n; ++i) data[(size_t)i] = {(f64)(i % 17) - 8.0, (f64)(i % 5)};
        double t0 = benchSeconds();
        for (int k = 0; k < repeat; ++k) {
            if (real) fftReal(data.data(), n);
            else fft(data.data(), n, (k & 1) != 0);
        }
        times.push_back((benchSeconds() - t0) / repeat);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
}  // namespace

RAVO_BENCH(fft) {
    const struct {
        const char* name;
        i32 n;
        int repeat;
    } sizes[] = {
        {"fft 2^10", 1 << 10, 2000}, {"fft 2^13", 1 << 13, 200}, {"fft 2^16", 1 << 16, 20},
        {"fft 2^20", 1 << 20, 2},    {"fft 2^22", 1 << 22, 1},   {"fft 999983 (prime)", 999983, 1},
    };
    for (const auto& s : sizes) {
        double seconds = medianSeconds(s.n, 5, s.repeat);
        char line[100];
        snprintf(line, sizeof line, "%s, per point", s.name);
        benchResult(s.name, seconds * 1e6, "us");
        benchResult(line, seconds * 1e9 / s.n, "ns");
    }
    for (i32 order : {16, 20, 22}) {
        const i32 n = 1 << order;
        char line[100];
        snprintf(line, sizeof line, "fft real 2^%d, per point", (int)order);
        benchResult(line, medianSeconds(n, 5, order == 16 ? 20 : 2, true) * 1e9 / n, "ns");
    }
    printf("fft goal at 2^16: 5 ns per point (within 3x: 15 ns)\n");
    fflush(stdout);

    // The plan alone, as the phase vocoder runs it: 2048 points, forward and inverse.
    FftPlan plan(11);
    std::vector<Complex> block(2048, Complex{0.5, -0.25});
    const int rounds = 20000;
    double t0 = benchSeconds();
    for (int r = 0; r < rounds; r += 2) {
        plan.forward(block.data());
        plan.inverse(block.data());
        for (Complex& c : block) c = {c.re / 2048, c.im / 2048};  // back to the start, within rounding
    }
    benchResult("fft plan 2^11, per transform", (benchSeconds() - t0) / rounds * 1e6, "us");
}
