#include <gtest/gtest.h>

#include <cmath>

#include "engine/biquad.h"

namespace {
const f64 pi = 3.14159265358979323846;

// The section of a type written from the usual cookbook forms (alpha from the bandwidth, the shelves
// from their own alpha), normalised by a0: {b0, b1, b2, a1, a2}.
struct Raw {
    f64 c[5];
};
Raw cookbook(u32 type, f64 gain, f64 f0, f64 bw, f64 rate) {
    const f64 A = std::sqrt(gain), w0 = 2 * pi * f0 / rate, cs = std::cos(w0), sn = std::sin(w0);
    auto alphaOf = [&](f64 octaves) { return sn * std::sinh(std::log(2.0) / 2 * octaves * w0 / sn); };
    f64 b0, b1, b2, a0, a1, a2;
    if (type == 5 || type == 6) {
        const f64 alpha = sn / 2 * std::sqrt((A + 1 / A) * (1 / bw - 1) + 2);
        const f64 k = 2 * std::sqrt(A) * alpha, sign = type == 5 ? 1 : -1;
        b0 = A * ((A + 1) - sign * (A - 1) * cs + k);
        b1 = sign * 2 * A * ((A - 1) - sign * (A + 1) * cs);
        b2 = A * ((A + 1) - sign * (A - 1) * cs - k);
        a0 = (A + 1) + sign * (A - 1) * cs + k;
        a1 = -sign * 2 * ((A - 1) + sign * (A + 1) * cs);
        a2 = (A + 1) + sign * (A - 1) * cs - k;
    } else {
        // Low, high, band and all pass take twice the bandwidth; notch and peak take it as it is.
        const f64 alpha = alphaOf(type == 3 || type == 4 ? bw : 2 * bw);
        a0 = 1 + alpha, a1 = -2 * cs, a2 = 1 - alpha;
        switch (type) {
        case 0: b0 = (1 - cs) / 2, b1 = 1 - cs, b2 = (1 - cs) / 2; break;
        case 1: b0 = (1 + cs) / 2, b1 = -1 - cs, b2 = (1 + cs) / 2; break;
        case 2: b0 = alpha, b1 = 0, b2 = -alpha; break;
        case 3: b0 = 1, b1 = -2 * cs, b2 = 1; break;
        case 4:
            b0 = 1 + alpha * A, b1 = -2 * cs, b2 = 1 - alpha * A;
            a0 = 1 + alpha / A, a2 = 1 - alpha / A;
            break;
        default: b0 = 1 - alpha, b1 = -2 * cs, b2 = 1 + alpha; break;
        }
    }
    return {{b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0}};
}

void expectCoefficients(const Raw& want, const BiquadState& s) {
    const f64 got[5] = {s.b0, s.b1, s.b2, s.a1, s.a2};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(want.c[i], got[i], 1e-12 * (1 + std::fabs(want.c[i]))) << "coefficient " << i;
}
}  // namespace

TEST(Biquad, CoefficientsOfEveryTypeFollowTheDesignTable) {
    struct Case {
        u32 type;
        f64 gain, frequency, bandwidth;
        u32 rate;
    } cases[] = {
        {0, 1.0, 1000, 1.0, 44100},  {0, 1.0, 300, 0.5, 8000},    {1, 1.0, 1000, 1.0, 44100},
        {1, 1.0, 5000, 2.0, 48000},  {2, 1.0, 1000, 1.0, 44100},  {3, 0.0, 50, 1.0 / 6, 44100},
        {3, 1.0, 2000, 1.0, 22050},  {4, 4.0, 1000, 1.0, 44100},  {4, 0.25, 100, 0.3, 44100},
        {5, 4.0, 200, 1.0, 44100},   {5, 0.1, 500, 0.5, 44100},   {6, 0.1, 3000, 1.0, 44100},
        {6, 2.0, 7000, 0.8, 48000},  {7, 1.0, 1000, 1.0, 44100},  {7, 3.0, 9000, 0.25, 44100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " at " << c.frequency << " Hz");
        BiquadState s;
        u8 marker = 0;
        s.x1 = 5, s.y2 = 6;
        biquadCoefficients(&s, c.type, c.gain, c.frequency, c.bandwidth, c.rate, 32767.0, &marker);
        expectCoefficients(cookbook(c.type, c.gain, c.frequency, c.bandwidth, c.rate), s);
        EXPECT_EQ(32767.0, s.limit);
        EXPECT_EQ(&marker, s.clipMarker);
        EXPECT_EQ(5.0, s.x1);  // the history is not touched
        EXPECT_EQ(6.0, s.y2);
    }
}

// Gain 0.1 (A about 0.316) allows a slope just under (A^2 + 1)/(A - 1)^2, about 2.3527: a slope of 3
// is designed as that limit, and the result is finite.
TEST(Biquad, ShelfSlopeIsHeldUnderItsLimit) {
    const f64 A = std::sqrt(0.1), most = (A * A + 1) / ((A - 1) * (A - 1)) - 1e-10;
    EXPECT_NEAR(2.3527, most, 1e-4);
    for (u32 type : {5u, 6u}) {
        BiquadState limited, atLimit, below;
        biquadCoefficients(&limited, type, 0.1, 3000, 3.0, 44100, 32767.0, nullptr);
        biquadCoefficients(&atLimit, type, 0.1, 3000, most, 44100, 32767.0, nullptr);
        EXPECT_EQ(atLimit.b0, limited.b0);
        EXPECT_EQ(atLimit.a2, limited.a2);
        EXPECT_TRUE(std::isfinite(limited.b0) && std::isfinite(limited.b2) && std::isfinite(limited.a2));
        biquadCoefficients(&below, type, 0.1, 3000, 2.0, 44100, 32767.0, nullptr);
        expectCoefficients(cookbook(type, 0.1, 3000, 2.0, 44100), below);
    }
}

// A design that leaves the signal as it is, or whose coefficients are not finite, is the exact
// identity; a type above 7 leaves the coefficients alone.
TEST(Biquad, NeutralAndUnusableDesignsPassTheInputExactly) {
    struct Case {
        const char* name;
        u32 type;
        f64 gain, frequency, bandwidth;
        u32 rate;
    } cases[] = {
        {"peak of gain 1", 4, 1.0, 1000, 1.0, 44100},
        {"low shelf of gain 1", 5, 1.0, 300, 2.0, 44100},
        {"high shelf of gain 1", 6, 1.0, 3000, 1.0, 44100},
        {"low pass at half the rate", 0, 1.0, 22050, 1.0, 44100},
        {"notch at 0 Hz", 3, 1.0, 0, 1.0, 44100},
        {"band pass at rate 0", 2, 1.0, 1000, 1.0, 0},
        {"peak past half the rate, at the rate", 4, 2.0, 44100, 1.0, 44100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BiquadState s;
        s.b1 = 0.5;  // overwritten
        biquadCoefficients(&s, c.type, c.gain, c.frequency, c.bandwidth, c.rate, 1e10, nullptr);
        EXPECT_TRUE(biquadIsIdentity(s));
        biquadPrime(s, 3, 4);
        for (f64 x : {0.1, -7.25, 1e9, 3.0}) EXPECT_EQ(x, biquadStep(s, x));
    }
    BiquadState s;
    s.b0 = 0.25, s.a2 = 0.5;
    u8 marker = 0;
    biquadCoefficients(&s, 8, 2.0, 1000, 1.0, 44100, 7.0, &marker);
    EXPECT_EQ(0.25, s.b0);
    EXPECT_EQ(0.5, s.a2);
    EXPECT_EQ(7.0, s.limit);
    EXPECT_EQ(&marker, s.clipMarker);
}

// The step is the direct form I; an output beyond the limit marks the clip marker and is kept, and a
// section without a marker runs all the same.
TEST(Biquad, StepKeepsHistoryAndMarksOutputsBeyondTheLimit) {
    BiquadState s;
    s.b0 = 2, s.b1 = 3, s.b2 = 5, s.a1 = 7, s.a2 = 11;
    s.limit = 100;
    biquadPrime(s, 1, 2);  // frame 0, then frame 1
    EXPECT_EQ(2 * 10 + 3 * 2 + 5 * 1 - 7 * 2 - 11 * 1, biquadStep(s, 10));
    EXPECT_EQ(10, s.x1);
    EXPECT_EQ(2, s.x2);
    EXPECT_EQ(6, s.y1);
    EXPECT_EQ(2, s.y2);
    u8 marker = 0;
    s.clipMarker = &marker;
    EXPECT_EQ(2 * 60 + 3 * 10 + 5 * 2 - 7 * 6 - 11 * 2, biquadStep(s, 60));
    EXPECT_EQ(0, marker);
    EXPECT_EQ(2 * 90 + 3 * 60 + 5 * 10 - 7 * 96 - 11 * 6, biquadStep(s, 90));  // -328
    EXPECT_EQ(1, marker);
    s.clipMarker = nullptr;
    biquadStep(s, 1e6);
}
