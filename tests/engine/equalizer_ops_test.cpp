#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/biquad.h"
#include "engine/filters.h"
#include "engine/processor.h"
#include "tests/engine/engine_fixture.h"

namespace {
const f64 pi = 3.14159265358979323846;

EqParams* bands(f64 start, f64 ratio, const std::vector<i32>& gains) {
    EqParams* eq = new EqParams;
    eq->startFrequency = start;
    eq->bandRatio = ratio;
    eq->bandGains = gains;
    return eq;
}
}  // namespace

// Ten bands at 0 dB leave every type exactly as it was, fractions and extremes included; so do bands
// that are not finite (a centre at half the rate).
TEST(Equalizer, NeutralBandsLeaveTheSoundUnchanged) {
    std::vector<f64> input;
    for (int i = 0; i < 3000; ++i) input.push_back(std::floor(30000 * std::sin(i * 0.37)) + (i % 3) * 0.25);
    input[500] = 32767, input[501] = -32768, input[502] = -32767;
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        const std::vector<f64> stored = sampleValues(encoding, sampleBytes(encoding, input));
        for (EqParams* eq : {bands(50, 2, std::vector<i32>(10, 0)), bands(4000, 1, {7, -3})}) {
            TestSound s(encoding, 2, input);
            auto p = bindProcessor(s, 0, 1500);
            p->setAuxObject(eq);
            p->runSlot(Slot::equalizer);
            EXPECT_EQ(stored, s.samples());
            EXPECT_EQ(0u, p->flags);
        }
    }
}

// Two frames are replaced by themselves (the change is recorded); one frame, or no bands object,
// is left alone.
TEST(Equalizer, ShortRanges) {
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        FramedRangeSound two(encoding, 1, {1}, {100, -200});
        two.p->setAuxObject(bands(50, 2, {10, 10}));
        two.p->runSlot(Slot::equalizer);
        EXPECT_EQ(2u, two.owner.events.size());
        EXPECT_EQ(std::vector<f64>({7, 100, -200, 7}), two.sound.samples());

        FramedRangeSound one(encoding, 1, {1}, {100});
        one.p->setAuxObject(bands(50, 2, {10}));
        one.p->runSlot(Slot::equalizer);
        EXPECT_TRUE(one.owner.events.empty());

        FramedRangeSound none(encoding, 1, {1}, {100, 200, 300});
        none.p->runSlot(Slot::equalizer);
        EXPECT_TRUE(none.owner.events.empty());
    }
}

// The bands run in order, each band's f64 output feeding the next; only the last is stored as a
// sample. A boost followed by a cut stays in range in 16 bits although the boost alone goes past
// full scale (the clip flag says so, the samples are not clipped).
TEST(Equalizer, BandsChainInF64AndStoreOnce) {
    struct Case {
        const char* name;
        std::vector<f64> input;
        f64 start, ratio;
        std::vector<i32> gains;
        bool pastFullScale;
    };
    std::vector<f64> tone(400);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = std::floor(12000 * std::sin(2 * pi * 707 * i / 8000.0));
    const Case cases[] = {
        {"three bands", {100, -50, 3000, -2000, 1234, 17, -999, 4000, 0, 12}, 300, 3, {6, -8, 3}, false},
        {"a boost, then a cut", tone, 500, 2, {10, -10}, true},
    };
    for (const Case& c : cases) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << encodingName(encoding));
            const size_t n = c.input.size();
            TestSound s(encoding, 1, c.input);
            auto p = bindProcessor(s, 0, n);
            p->setAuxObject(bands(c.start, c.ratio, c.gains));
            p->runSlot(Slot::equalizer);
            std::vector<BiquadState> st(c.gains.size());
            f64 f = c.start;
            for (size_t b = 0; b < st.size(); ++b, f *= c.ratio) {
                biquadCoefficients(&st[b], biquadPeak, std::pow(10.0, c.gains[b] / 10.0), f, std::log2(c.ratio), 8000,
                                   1e10, nullptr);
                biquadPrime(st[b], c.input[0], c.input[1]);
            }
            std::vector<f64> want = c.input;
            f64 middle = 0, last = 0;
            for (size_t i = 2; i < n; ++i) {
                f64 x = c.input[i];
                for (size_t b = 0; b < st.size(); ++b) {
                    x = biquadStep(st[b], x);
                    if (b + 1 < st.size()) middle = std::max(middle, std::fabs(x));
                }
                last = std::max(last, std::fabs(x));
                want[i] = encoding == encodingFloat ? (f64)(f32)x : encoding == encodingDouble ? x : std::trunc(x);
            }
            EXPECT_EQ(want, s.samples());
            EXPECT_LT(last, 32767.0);
            EXPECT_EQ(c.pastFullScale, middle > 32767.0);
            EXPECT_EQ(c.pastFullScale && encoding == encodingInt16 ? clippedFlag : 0u, p->flags);
        }
    }
}

// A band of level 10 (gain 10, A about 3.16) raises a tone at its centre tenfold in amplitude; the
// 16-bit form then clips and says so.
TEST(Equalizer, LevelTenRaisesItsCentreTenfold) {
    const size_t n = 8000;
    std::vector<f64> input(n);
    for (size_t i = 0; i < n; ++i) input[i] = std::floor(4000 * std::sin(2 * pi * 1000 * i / 8000.0));
    for (u32 encoding : {encodingInt32, encodingInt16}) {
        TestSound s(encoding, 1, input);
        auto p = bindProcessor(s, 0, n);
        p->setAuxObject(bands(250, 2, {0, 0, 10, 0}));
        p->runSlot(Slot::equalizer);
        std::vector<f64> got = s.samples();
        f64 peak = 0;
        for (size_t i = n / 2; i < n; ++i) peak = std::max(peak, std::fabs(got[i]));
        if (encoding == encodingInt32) {
            EXPECT_NEAR(40000, peak, 60);
            EXPECT_EQ(0u, p->flags);
        } else {
            EXPECT_EQ(32767, peak);
            EXPECT_EQ(clippedFlag, p->flags);
        }
    }
}
