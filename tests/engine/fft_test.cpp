#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/exceptions.h"
#include "core/progress.h"
#include "engine/fast_trig.h"
#include "engine/fft.h"
#include "engine/window_functions.h"
#include "tests/engine/engine_fixture.h"

namespace {
const f64 pi = 3.14159265358979323846;

// The transform by its definition, in long double.
std::vector<Complex> directDft(const std::vector<Complex>& x, bool inverse) {
    const size_t n = x.size();
    std::vector<Complex> out(n);
    const long double sign = inverse ? 1.0L : -1.0L;
    for (size_t k = 0; k < n; ++k) {
        long double re = 0, im = 0;
        for (size_t j = 0; j < n; ++j) {
            long double a = sign * 2.0L * (long double)pi * (long double)((j * k) % n) / (long double)n;
            long double c = std::cos(a), s = std::sin(a);
            re += x[j].re * c - x[j].im * s;
            im += x[j].re * s + x[j].im * c;
        }
        if (inverse) {
            re /= n;
            im /= n;
        }
        out[k] = {(f64)re, (f64)im};
    }
    return out;
}

std::vector<Complex> randomData(size_t n, u32 seed) {
    std::vector<Complex> x(n);
    for (Complex& c : x) {
        seed = seed * 1664525u + 1013904223u;
        c.re = (f64)(seed >> 8) / (1 << 24) - 0.5;
        seed = seed * 1664525u + 1013904223u;
        c.im = (f64)(seed >> 8) / (1 << 24) - 0.5;
    }
    return x;
}

f64 largestError(const std::vector<Complex>& a, const Complex* b) {
    f64 e = 0;
    for (size_t i = 0; i < a.size(); ++i) e = std::max(e, std::max(std::fabs(a[i].re - b[i].re), std::fabs(a[i].im - b[i].im)));
    return e;
}

// Counts the reports and answers cancelled from the report numbered cancelAt on (0: never).
class CountingProgress : public JobProgress {
public:
    explicit CountingProgress(u32 cancelAt = 0) : cancelAt(cancelAt) {}
    bool report(u64 done, const char* text) override {
        steps.push_back(done);
        if (cancelAt && steps.size() >= cancelAt) cancel();
        return JobProgress::report(done, text);
    }
    u32 cancelAt;
    std::vector<u64> steps;
};
}  // namespace

// Every length against the definition, both directions, on data that starts 8 bytes off the
// alignment of 16 (one path of the butterflies must not assume aligned values).
TEST(Fft, MatchesTheDefinitionForEveryLength) {
    const i32 lengths[] = {1, 2, 3, 4, 5, 6, 7, 8, 12, 16, 17, 32, 63, 64, 127, 128, 256, 512, 1000, 1024, 2048, 4096};
    for (i32 n : lengths) {
        for (bool inverse : {false, true}) {
            SCOPED_TRACE(testing::Message() << "n " << n << (inverse ? " inverse" : " forward"));
            std::vector<Complex> x = randomData((size_t)n, (u32)n * 7 + inverse);
            std::vector<Complex> want = directDft(x, inverse);
            std::vector<f64> storage(2 * (size_t)n + 1);
            Complex* data = (Complex*)(storage.data() + 1);
            memcpy(data, x.data(), n * sizeof(Complex));
            ASSERT_TRUE(fft(data, n, inverse));
            // Rounding grows with log n; the values are of size sqrt(n) forward, 1/sqrt(n) inverse.
            f64 scale = inverse ? 1.0 / std::sqrt((f64)n) : std::sqrt((f64)n);
            EXPECT_LT(largestError(want, data), 1e-12 * scale * (1 + std::log2((f64)n)));
        }
    }
}

// A textbook radix-2 transform in long double: the reference for lengths too long for the definition.
void referenceFft(std::vector<Complex>& x) {
    const size_t n = x.size();
    std::vector<long double> re(n), im(n);
    for (size_t i = 0, j = 0; i < n; ++i) {
        re[j] = x[i].re;
        im[j] = x[i].im;
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j |= bit;
    }
    for (size_t len = 2; len <= n; len *= 2) {
        for (size_t j = 0; j < len / 2; ++j) {
            const long double a = -2.0L * 3.141592653589793238462643L * (long double)j / (long double)len;
            const long double c = std::cos(a), s = std::sin(a);
            for (size_t b = 0; b < n; b += len) {
                const size_t p = b + j, q = p + len / 2;
                const long double tr = re[q] * c - im[q] * s, ti = re[q] * s + im[q] * c;
                re[q] = re[p] - tr;
                im[q] = im[p] - ti;
                re[p] += tr;
                im[p] += ti;
            }
        }
    }
    for (size_t i = 0; i < n; ++i) x[i] = {(f64)re[i], (f64)im[i]};
}

f64 largestValue(const std::vector<Complex>& a) {
    f64 m = 0;
    for (const Complex& c : a) m = std::max(m, std::max(std::fabs(c.re), std::fabs(c.im)));
    return m;
}

// Lengths of every path: tiny ones, powers of two below and above the blocked stages (2^17 and up),
// three times a power of two and primes up to a million (the chirp-z path over 2^21 points). Forward
// then inverse gives the input back; up to 4096 points forward matches the definition, and powers of
// two match the long double reference.
TEST(Fft, RoundTripsAndReferencesOverEveryPath) {
    const i32 lengths[] = {1, 2, 3, 5, 7, 3 << 4, 3 << 10, 1021, 1 << 16, 1 << 17, 1 << 18,
                           3 << 16, 65537, 999983};
    for (i32 n : lengths) {
        SCOPED_TRACE(n);
        const std::vector<Complex> x = randomData((size_t)n, (u32)n);
        std::vector<Complex> y = x;
        ASSERT_TRUE(fft(y.data(), n, false));
        const f64 size = largestValue(y);
        if (n <= 4096) {
            EXPECT_LT(largestError(directDft(x, false), y.data()), 1e-12 * size);
        } else if ((n & (n - 1)) == 0) {
            std::vector<Complex> want = x;
            referenceFft(want);
            EXPECT_LT(largestError(want, y.data()), 1e-12 * size);
        }
        ASSERT_TRUE(fft(y.data(), n, true));
        EXPECT_LT(largestError(x, y.data()), 1e-12 * largestValue(x));
        // Again, with the chirp's tables kept from the first call: the same bits.
        std::vector<Complex> z = x;
        ASSERT_TRUE(fft(z.data(), n, false));
        ASSERT_TRUE(fft(z.data(), n, true));
        EXPECT_EQ(0, memcmp(y.data(), z.data(), n * sizeof(Complex)));
    }
}

// The blocked stages report every stage in order and leave the data alone when cancelled.
TEST(Fft, BlockedStagesReportAndCancel) {
    const i32 n = 1 << 18;
    std::vector<Complex> x = randomData((size_t)n, 4), y = x;
    CountingProgress all;
    ASSERT_TRUE(fft(y.data(), n, false, &all));
    ASSERT_EQ((size_t)fftOrder(n), all.steps.size());
    for (size_t i = 0; i < all.steps.size(); ++i) EXPECT_EQ(i + 1, all.steps[i]);
    for (u32 at : {3u, 15u}) {
        std::vector<Complex> z = x;
        CountingProgress cancel(at);
        EXPECT_FALSE(fft(z.data(), n, false, &cancel));
        EXPECT_EQ(0, memcmp(x.data(), z.data(), n * sizeof(Complex))) << at;
    }
}

TEST(Fft, ImpulsesAndRoundTrips) {
    std::vector<Complex> a = {{1, 0}, {0, 0}, {0, 0}, {0, 0}};
    ASSERT_TRUE(fft(a.data(), 4, false));
    EXPECT_EQ(0.0, largestError({{1, 0}, {1, 0}, {1, 0}, {1, 0}}, a.data()));
    std::vector<Complex> b = {{0, 0}, {1, 0}, {0, 0}, {0, 0}};
    ASSERT_TRUE(fft(b.data(), 4, false));
    EXPECT_LT(largestError({{1, 0}, {0, -1}, {-1, 0}, {0, 1}}, b.data()), 1e-15);

    // The chirp-z path (6 points over 16) and the power-of-two path come back within rounding.
    for (i32 n : {6, 1000, 1024, 65536}) {
        std::vector<Complex> x = randomData((size_t)n, 99), y = x;
        ASSERT_TRUE(fft(y.data(), n, false));
        ASSERT_TRUE(fft(y.data(), n, true));
        EXPECT_LT(largestError(x, y.data()), 1e-14 * (1 + std::log2((f64)n))) << n;
    }
}

TEST(Fft, PlanRunsUnscaledInBothDirections) {
    FftPlan plan(10);
    std::vector<Complex> x = randomData(1024, 5), y = x;
    plan.forward(y.data());
    plan.inverse(y.data());
    for (Complex& c : y) c = {c.re / 1024, c.im / 1024};
    EXPECT_LT(largestError(x, y.data()), 1e-14);
}

// Without reordering, both directions and on both sides of the blocked plans: the spectrum comes
// out at the bit-reversed indices and goes back from them.
TEST(Fft, PlanRunsWithoutReordering) {
    for (u32 order : {1u, 2u, 3u, 4u, 5u, 10u, 16u, 17u, 18u, 19u}) {
        const u32 n = 1u << order;
        FftPlan plan(order);
        for (bool inverse : {false, true}) {
            std::vector<Complex> x = randomData(n, order), want = x, y = x;
            plan.run(want.data(), inverse, nullptr);
            ASSERT_TRUE(plan.runToReversed(y.data(), inverse, nullptr));
            std::vector<Complex> got(n);
            for (u32 k = 0; k < n; ++k) {
                u32 r = 0;
                for (u32 b = 0; b < order; ++b) r |= ((k >> b) & 1) << (order - 1 - b);
                got[k] = y[r];
            }
            EXPECT_LT(largestError(want, got.data()), 1e-12 * std::sqrt((f64)n)) << order << " " << inverse;
            ASSERT_TRUE(plan.runFromReversed(y.data(), !inverse, nullptr, 1.0 / n));
            EXPECT_LT(largestError(x, y.data()), 1e-14 * (1 + order)) << order << " " << inverse;
        }
    }
}

TEST(Fft, OrderCountsTheReports) {
    const struct {
        i32 n;
        u32 order;
    } cases[] = {{1, 1}, {2, 2}, {3, 13}, {6, 16}, {1000, 37}, {1024, 11}, {1025, 3 * 12 + 4}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.order, fftOrder(c.n)) << c.n;
        std::vector<Complex> x = randomData((size_t)c.n, 3);
        CountingProgress progress;
        progress.committed = 1000;
        ASSERT_TRUE(fft(x.data(), c.n, false, &progress));
        ASSERT_FALSE(progress.steps.empty());
        // Steps count up by one from 1 to the order, never back.
        for (size_t i = 0; i < progress.steps.size(); ++i) EXPECT_EQ(i + 1, progress.steps[i]) << c.n;
        EXPECT_EQ(1000 + c.order, progress.current) << c.n;
    }
}

// A cancel at any report leaves the data as it was, on both paths.
TEST(Fft, CancelledTransformLeavesTheDataAlone) {
    for (i32 n : {1024, 1000}) {
        for (u32 at : {1u, 2u, 5u, fftOrder(n)}) {
            SCOPED_TRACE(testing::Message() << "n " << n << ", cancelled at report " << at);
            std::vector<Complex> x = randomData((size_t)n, 11), y = x;
            CountingProgress progress(at);
            EXPECT_FALSE(fft(y.data(), n, false, &progress));
            EXPECT_EQ((size_t)at, progress.steps.size());
            EXPECT_EQ(0, memcmp(x.data(), y.data(), n * sizeof(Complex)));
        }
    }
}

// In place (the caller drops cancelled data): the same bits as through the copy, with the same
// reports, and a cancel still answers false.
TEST(Fft, InPlaceTransformGivesTheSameBits) {
    for (i32 n : {8, 1024, 1 << 15, 1000}) {
        SCOPED_TRACE(n);
        std::vector<Complex> x = randomData((size_t)n, 12), y = x;
        CountingProgress a, b;
        EXPECT_TRUE(fft(x.data(), n, false, &a));
        EXPECT_TRUE(fft(y.data(), n, false, &b, true));
        EXPECT_EQ(0, memcmp(x.data(), y.data(), n * sizeof(Complex)));
        EXPECT_EQ(a.steps, b.steps);
        CountingProgress cancel(2);
        EXPECT_FALSE(fft(y.data(), n, true, &cancel, true));
    }
}

TEST(Fft, LengthsBeyondMemoryThrowAClearError) {
    Complex one = {1, 0};
    for (i32 n : {1 << 30, 200000003}) {
        try {
            fft(&one, n, false);
            ADD_FAILURE() << n << " points transformed";
        } catch (const GVerifyException& e) {
            EXPECT_STREQ("There is not enough memory for an FFT of this size", e.text.c_str());
            EXPECT_EQ((u32)n, e.code);
        }
    }
    EXPECT_EQ(1.0, one.re);
}

// Real input: the half-length path (even lengths, powers of two or not) and the plain one (odd and
// tiny lengths) give the complex transform of the same values with zero imaginary parts; two real
// sequences transformed as a + ib come apart into their own spectra. Steps as fftRealOrder says;
// a cancel at any report leaves the data alone.
TEST(Fft, RealInputMatchesTheComplexTransform) {
    for (i32 n : {1, 2, 3, 4, 6, 7, 8, 10, 1000, 1024, 3 << 10, 1 << 15, 1 << 17, 100003, 200006}) {
        SCOPED_TRACE(n);
        std::vector<Complex> x = randomData((size_t)n, 21), other = randomData((size_t)n, 22);
        for (size_t i = 0; i < x.size(); ++i) other[i].re = x[i].im;  // a second real sequence
        std::vector<Complex> expected = x, expectedOther = other;
        for (Complex& c : expected) c.im = 0;
        for (Complex& c : expectedOther) c = {c.re, 0.0};
        ASSERT_TRUE(fft(expected.data(), n, false));
        ASSERT_TRUE(fft(expectedOther.data(), n, false));
        f64 scale = 0;
        for (const Complex& c : expected) scale = std::max(scale, std::hypot(c.re, c.im));

        std::vector<Complex> y = x;  // the imaginary parts are not read
        CountingProgress progress;
        ASSERT_TRUE(fftReal(y.data(), n, &progress));
        EXPECT_LE(largestError(expected, y.data()), 1e-12 * scale);
        EXPECT_EQ((size_t)fftRealOrder(n), progress.steps.size());
        EXPECT_EQ(fftRealOrder(n), progress.steps.back());
        std::vector<Complex> inPlace = x;
        ASSERT_TRUE(fftReal(inPlace.data(), n, &progress, true));
        EXPECT_EQ(0, memcmp(y.data(), inPlace.data(), n * sizeof(Complex))) << "in place, the same bits";

        std::vector<Complex> z = x, b((size_t)n);
        ASSERT_TRUE(fft(z.data(), n, false));
        splitTwoReal(z.data(), b.data(), n);
        EXPECT_LE(largestError(expected, z.data()), 1e-12 * scale);
        EXPECT_LE(largestError(expectedOther, b.data()), 1e-12 * scale);
    }
    for (i32 n : {1024, 1000, 999}) {
        for (u32 at = 1; at <= fftRealOrder(n); at += at < 3 ? 1 : fftRealOrder(n) - 3) {
            SCOPED_TRACE(testing::Message() << "n " << n << ", cancelled at report " << at);
            std::vector<Complex> x = randomData((size_t)n, 23), y = x;
            CountingProgress progress(at);
            EXPECT_FALSE(fftReal(y.data(), n, &progress));
            EXPECT_EQ(0, memcmp(x.data(), y.data(), n * sizeof(Complex)));
        }
    }
}

TEST(WindowFunctions, ValuesAtTheEndsAndTheMiddle) {
    const struct {
        u32 type;
        i32 i, n;
        f64 weight;
    } cases[] = {
        {windowTypeRectangular, 3, 8, 1.0},  {windowTypeHann, 0, 8, 0.0},          {windowTypeHann, 7, 8, 0.0},
        {windowTypeHann, 4, 9, 1.0},         {windowTypeHamming, 0, 8, 0.08},      {windowTypeHamming, 4, 9, 1.0},
        {windowTypeGaussian, 4, 9, 1.0},     {windowTypeGaussian, 0, 9, std::exp(-0.5 * 2.5 * 2.5)},
        {windowTypeBlackman, 0, 8, 0.0},     {windowTypeBlackman, 4, 9, 1.0},      {windowTypeNuttall, 4, 9, 1.0},
        {windowTypeNuttall, 0, 9, 0.355768 - 0.487396 + 0.144232 - 0.012604},
        {windowTypeBlackmanHarris, 4, 9, 1.0}, {windowTypeBlackmanNuttall, 4, 9, 1.0},
        {windowTypeFlatTop, 4, 9, 4.64},     {windowTypeFlatTop, 0, 9, 1 - 1.93 + 1.29 - 0.388 + 0.032},
        {windowTypeTriangle, 3, 7, 1.0},     {windowTypeTriangle, 0, 7, 0.0},      {windowTypeTriangle, 1, 4, 2.0 / 3},
        // A frame of one point divides by nothing: weight 1.
        {windowTypeHann, 0, 1, 1.0},         {windowTypeGaussian, 0, 1, 1.0},     {windowTypeTriangle, 0, 1, 1.0},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(c.weight, windowFunctions[c.type](c.i, c.n), 1e-12) << "type " << c.type << " i " << c.i << " n " << c.n;
    }
    // Every window is symmetric.
    for (u32 type = 0; type < windowTypeCount; ++type) {
        for (i32 i = 0; i < 10; ++i) EXPECT_NEAR(windowFunctions[type](i, 10), windowFunctions[type](9 - i, 10), 1e-12);
    }
    EXPECT_EQ(windowHann, windowFunctionOf(99));
}

// The vocoder's inline arc tangent, sine and cosine against the library's, in both lanes: a dense
// grid of directions over every quadrant, the axes and signed zeros, huge and tiny ratios, the wrap at
// +-pi, and the range the phases take.
TEST(FastTrig, MatchesTheLibrary) {
    auto atanPair = [](f64 y0, f64 x0, f64 y1, f64 x1, f64* out) {
        _mm_storeu_pd(out, fastAtan2Pair(_mm_set_pd(y1, y0), _mm_set_pd(x1, x0)));
    };
    f64 got[2];
    const f64 edges[][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}, {-0.0, 1}, {-0.0, -1}, {1e-300, -5}, {-1e-300, -5},
                            {-3, 1e-300}, {2, 2}, {-2, 2}, {2, -2}, {1e300, 1e-300}, {1e-300, 1e300}, {-1e-300, -1e300},
                            {5e-324, 1}, {1, 5e-324}, {3e-310, 7e-310}, {1e308, -1e308}, {0.41421356237309503, 1},
                            {0.4142135623730951, 1}, {1, 0.41421356237309503}};
    for (const auto& e : edges) {
        atanPair(e[0], e[1], -e[0], e[1], got);
        EXPECT_NEAR(std::atan2(e[0], e[1]), got[0], 1e-15) << e[0] << " " << e[1];
        EXPECT_NEAR(std::atan2(-e[0], e[1]), got[1], 1e-15) << -e[0] << " " << e[1];
    }
    // (0, 0) gives a zero of y's sign.
    atanPair(0.0, 0.0, -0.0, -0.0, got);
    EXPECT_EQ(0.0, got[0]);
    EXPECT_FALSE(std::signbit(got[0]));
    EXPECT_EQ(0.0, got[1]);
    EXPECT_TRUE(std::signbit(got[1]));
    // Directions 2 pi i / 2^18 at radii from 1e-200 to 1e200, and ratios from 2^-60 to 2^60.
    const u32 steps = 1u << 18;
    for (u32 i = 0; i < steps; i += 2) {
        const f64 r = std::pow(10.0, (i % 41) * 10.0 - 200);
        const f64 t0 = 2 * 3.14159265358979323846 * i / steps, t1 = t0 + 2 * 3.14159265358979323846 / steps;
        const f64 y0 = r * std::sin(t0), x0 = r * std::cos(t0), y1 = r * std::sin(t1), x1 = r * std::cos(t1);
        atanPair(y0, x0, y1, x1, got);
        ASSERT_NEAR(std::atan2(y0, x0), got[0], 1e-15) << y0 << " " << x0;
        ASSERT_NEAR(std::atan2(y1, x1), got[1], 1e-15) << y1 << " " << x1;
    }
    for (i32 e = -60; e <= 60; ++e) {
        const f64 ratio = std::ldexp(1.3, e);
        atanPair(ratio, 1, -1, -ratio, got);
        ASSERT_NEAR(std::atan2(ratio, 1), got[0], 1e-15) << e;
        ASSERT_NEAR(std::atan2(-1, -ratio), got[1], 1e-15) << e;
    }
    // Sine and cosine: a dense grid of [-8 pi, 8 pi], the quadrant edges, and far phases (the
    // library itself drifts by units of 1e-15 near 1e6).
    auto sinCosPair = [](f64 a0, f64 a1, f64* s, f64* c) {
        __m128d sv, cv;
        fastSinCosPair(_mm_set_pd(a1, a0), &sv, &cv);
        _mm_storeu_pd(s, sv);
        _mm_storeu_pd(c, cv);
    };
    f64 s[2], c[2];
    std::vector<f64> angles = {0.0, -0.0, 1e-300, -1e-300, 1e-8, 1000.0, -1000.0, 2345.678};
    for (i32 q = -16; q <= 16; ++q) {
        for (f64 off : {-1e-12, 0.0, 1e-12}) angles.push_back(q * 0.78539816339744830962 + off);
    }
    for (i32 i = -(1 << 17); i <= (1 << 17); ++i) angles.push_back(8 * 3.14159265358979323846 * i / (1 << 17));
    for (size_t i = 0; i < angles.size(); ++i) {
        const f64 a = angles[i], b = -angles[i] * 0.999;
        sinCosPair(a, b, s, c);
        ASSERT_NEAR(std::sin(a), s[0], 1e-15) << a;
        ASSERT_NEAR(std::cos(a), c[0], 1e-15) << a;
        ASSERT_NEAR(std::sin(b), s[1], 1e-15) << b;
        ASSERT_NEAR(std::cos(b), c[1], 1e-15) << b;
    }
}
