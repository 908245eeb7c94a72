#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/phase_kernels.h"
#include "engine/phase_vocoder.h"
#include "engine/window_functions.h"

namespace {
const f64 pi = 3.14159265358979323846, twoPi = 2 * pi;
const f64 eps = 2.220446049250313e-16;

// The vocoder's choice back to the processor when the test ends.
struct NarrowKernels {
    explicit NarrowKernels(bool narrow) { forceNarrowBinKernels(narrow); }
    ~NarrowKernels() { forceNarrowBinKernels(false); }
};

bool wideRunsHere() {
    forceNarrowBinKernels(false);
    return wideBinKernels();
}

// Distance of a and b as phases: the difference brought into [-pi, pi].
f64 phaseDistance(f64 a, f64 b) { return std::fabs(std::remainder(a - b, twoPi)); }

// 1026 bins (a frame of 2048 points): the table's cases at the start and again near the top, random
// ones between.
template <class Case>
std::vector<Case> spread(const std::vector<Case>& table, Case (*random)(u32)) {
    std::vector<Case> bins(1026);
    for (u32 k = 0; k < bins.size(); ++k) bins[k] = random(k);
    for (size_t i = 0; i < table.size(); ++i) {
        bins[i] = table[i];
        bins[bins.size() - 2 - table.size() + i] = table[i];
    }
    return bins;
}

u32 seed = 12345;
f64 uniform(f64 low, f64 high) {
    seed = seed * 1103515245u + 12345u;
    return low + (high - low) * ((seed >> 8) & 0xffffff) / 16777216.0;
}
}  // namespace

// Analysis: magnitude, phase and true bin of each bin by the four-wide body against the two-wide one,
// over zeros and signed zeros, the +-pi edge of the arc tangent, huge and tiny values and far phases
// carried from the last frame.
TEST(BinKernels, WideAnalysisMatchesTheNarrowOne) {
    if (!wideRunsHere()) GTEST_SKIP() << "no AVX2 and FMA here";
    struct Bin {
        f64 re, im, last;
    };
    const std::vector<Bin> table = {
        {0, 0, 0},          {-0.0, 0, 0},         {0, -0.0, 1},           {-0.0, -0.0, -1},      {-1, 0, 0},
        {-1, -0.0, 0},      {-1, 1e-300, 3},      {-1, -1e-300, -3},      {-5, 1e-17, pi},       {-5, -1e-17, -pi},
        {3, -4, -2},        {1e-300, 1e-300, 0},  {1e150, -1e150, 3},     {5e-324, -5e-324, 0},  {5, 0, 1e6},
        {0.5, 0.5, -1e6},   {-2, 7, 12345.678},   {1, 2, -pi},            {-7, -7, pi},          {0, -3, 2e8},
        {9000, 1e-9, -2e8}, {1, 0.41421356237309503, 0.1}, {-0.41421356237309503, -1, 0.2},
    };
    const std::vector<Bin> bins = spread<Bin>(table, [](u32) {
        return Bin{uniform(-1e4, 1e4), uniform(-1e4, 1e4), uniform(-100, 100)};
    });
    for (u32 osamp : {1u, 4u, 32u}) {
        SCOPED_TRACE(testing::Message() << "oversampling " << osamp);
        const u32 count = (u32)bins.size();
        const f64 expected = twoPi / osamp;
        std::vector<Complex> x(count);
        for (u32 k = 0; k < count; ++k) x[k] = {bins[k].re, bins[k].im};
        std::vector<f64> last[2], mag[2], bin[2], sum(count);
        for (int w = 0; w < 2; ++w) {
            last[w].resize(count);
            mag[w].resize(count);
            bin[w].resize(count);
            for (u32 k = 0; k < count; ++k) last[w][k] = bins[k].last;
            analyseBins(w == 1, x.data(), count, expected, osamp, {last[w].data(), sum.data(), mag[w].data(), bin[w].data()});
        }
        for (u32 k = 0; k < count; ++k) {
            SCOPED_TRACE(testing::Message() << "bin " << k << ": " << bins[k].re << ", " << bins[k].im << ", last " << bins[k].last);
            EXPECT_NEAR(mag[0][k], mag[1][k], 4 * eps * mag[0][k]);
            EXPECT_NEAR(last[0][k], last[1][k], 4 * eps * pi);
            EXPECT_EQ(std::signbit(last[0][k]), std::signbit(last[1][k]));
            // The deviation is unwrapped into (-pi, pi]: a true bin lies within osamp / 2 of its bin
            // (a deviation of pi may go either way by rounding).
            const f64 scale = 1 + std::fabs(bins[k].last) + k * expected;
            const f64 deviation = std::remainder(bin[1][k] - bin[0][k], (f64)osamp);
            EXPECT_NEAR(0.0, deviation, 8 * eps * scale * osamp);
            EXPECT_LE(std::fabs(bin[1][k] - k), osamp / 2.0 * (1 + 1e-9));
        }
    }
}

// Synthesis: the phase sums and the spectrum out of moved magnitudes and true bins, both bodies, over
// zero and negative magnitudes, bins far from their place and sums at the wrap.
TEST(BinKernels, WideSynthesisMatchesTheNarrowOne) {
    if (!wideRunsHere()) GTEST_SKIP() << "no AVX2 and FMA here";
    struct Bin {
        f64 magnitude, offset, sum;  // offset: the true bin less the bin
    };
    const std::vector<Bin> table = {
        {0, 0, 0},    {1, 0, 0},       {2.5, 1.7, pi},    {1, -0.3, -pi},   {3, 1e4, 1e5},   {-1, 0, 2},
        {1e-300, 0.5, -1}, {1e300, -0.5, 1}, {7, 0, pi / 2}, {7, 0, -pi / 2}, {7, 0.25, 3 * pi / 4}, {0, 300, -1e5},
        {5, -1023, 0.125},
    };
    const std::vector<Bin> bins = spread<Bin>(table, [](u32) {
        return Bin{uniform(0, 1e4), uniform(-3, 3), uniform(-pi, pi)};
    });
    for (u32 osamp : {1u, 4u, 32u}) {
        SCOPED_TRACE(testing::Message() << "oversampling " << osamp);
        const u32 count = (u32)bins.size();
        const f64 expected = twoPi / osamp, perBin = twoPi / osamp;
        std::vector<f64> magnitude(count), synBin(count), sum[2], unused(count);
        std::vector<Complex> out[2];
        for (u32 k = 0; k < count; ++k) {
            magnitude[k] = bins[k].magnitude;
            synBin[k] = k + bins[k].offset;
        }
        for (int w = 0; w < 2; ++w) {
            sum[w].resize(count);
            out[w].resize(count);
            for (u32 k = 0; k < count; ++k) sum[w][k] = bins[k].sum;
            synthesiseBins(w == 1, magnitude.data(), synBin.data(), count, expected, osamp,
                           {unused.data(), sum[w].data(), unused.data(), unused.data()}, out[w].data());
        }
        for (u32 k = 0; k < count; ++k) {
            SCOPED_TRACE(testing::Message() << "bin " << k << ": " << bins[k].magnitude << ", " << bins[k].offset << ", sum " << bins[k].sum);
            const f64 scale = 1 + std::fabs(bins[k].sum) + std::fabs(bins[k].offset) * perBin + k * expected;
            EXPECT_LE(std::fabs(sum[1][k]), pi * (1 + eps));
            EXPECT_NEAR(0.0, phaseDistance(sum[0][k], sum[1][k]), 8 * eps * scale);
            const f64 tolerance = std::fabs(bins[k].magnitude) * 8 * eps * (scale + 1);
            EXPECT_NEAR(out[0][k].re, out[1][k].re, tolerance);
            EXPECT_NEAR(out[0][k].im, out[1][k].im, tolerance);
        }
    }
}

// A whole shift of one and of two lanes through vocoders of both bodies: the same output within
// rounding at every frame size (the smallest frames run only the tails or only the wide loop).
TEST(BinKernels, VocoderOutputIsTheSameWithEitherBody) {
    if (!wideRunsHere()) GTEST_SKIP() << "no AVX2 and FMA here";
    const struct {
        u32 frameSize, oversampling, lanes;
        f64 factor;
    } cases[] = {{4, 1, 1, 1.0}, {4, 2, 2, 1.5}, {8, 2, 2, 0.8}, {16, 4, 1, 1.25}, {2048, 4, 2, 1.122462048309373},
                 {2048, 4, 1, 1 / 1.25}, {8192, 8, 2, 1.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frameSize << " points, overlap " << c.oversampling << ", " << c.lanes
                                        << " lanes, factor " << c.factor);
        const size_t frames = 3 * c.frameSize + 5000;
        std::vector<f64> in[2];
        for (size_t i = 0; i < frames; ++i) {
            in[0].push_back(9000 * std::sin(0.05 * (f64)i) + 3000 * std::sin(0.31 * (f64)i) + (f64)(i % 13));
            in[1].push_back(-7000 * std::sin(0.011 * (f64)i) + (f64)(i % 7) * 100);
        }
        std::vector<f64> out[2][2];
        for (int w = 0; w < 2; ++w) {
            NarrowKernels narrow(w == 0);
            PhaseVocoder v(c.frameSize, c.oversampling, 44100, windowFunctionOf(windowTypeHann), c.lanes);
            out[w][0] = in[0];
            out[w][1] = in[1];
            for (size_t at = 0, block = 1; at < frames; at += block, block = block * 3 % 1031 + 1) {
                const size_t n = std::min(block, frames - at);
                v.process(c.factor, out[w][0].data() + at, c.lanes == 2 ? out[w][1].data() + at : nullptr, n);
            }
        }
        for (u32 l = 0; l < c.lanes; ++l) {
            f64 largest = 0, worst = 0;
            for (size_t i = 0; i < frames; ++i) {
                largest = std::max(largest, std::fabs(out[0][l][i]));
                worst = std::max(worst, std::fabs(out[0][l][i] - out[1][l][i]));
            }
            EXPECT_GT(largest, 1000.0) << "lane " << l;
            EXPECT_LT(worst, 1e-9 * largest) << "lane " << l;
        }
    }
}
