#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/chorus_params.h"
#include "engine/cubic_interpolate.h"
#include "engine/processor.h"
#include "engine/random.h"
#include "tests/engine/engine_fixture.h"

namespace {
ChorusParams* chorusOf(i32 voices) {
    ChorusParams* c = new ChorusParams;
    c->voices = voices;
    return c;
}

// Frame n holds n + 1 in every track, the second track negated, starting again after `period` frames.
std::vector<f64> ramp(size_t n, u32 channels, size_t period) {
    std::vector<f64> v(n * channels);
    for (size_t i = 0; i < v.size(); ++i) v[i] = (f64)((i / channels) % period + 1) * (i % channels ? -1 : 1);
    return v;
}
}  // namespace

TEST(CubicInterpolate, ThroughFourPointsAndTruncatedForIntegers) {
    const i16 line[] = {10, 20, 30, 40};
    const f64 square[] = {0.0, 1.0, 4.0, 9.0};
    const f32 spread[] = {0, 100, 0, 100, 7, 100, 0, 100};  // every second value, stride 2
    EXPECT_EQ(25.0, cubicInterpolate<SampleInt16>(line, 1, 1.5));
    EXPECT_EQ(2.25, cubicInterpolate<SampleDouble>(square, 1, 1.5));
    EXPECT_EQ(7.0, cubicInterpolate<SampleFloat>(spread, 2, 2.0)) << "a node gives its point";
    const i32 wave[] = {0, 1000, -1000, 0};
    // 546.875 at 1.25 and -546.875 at 1.75.
    EXPECT_EQ(546.0, cubicInterpolate<SampleInt32>(wave, 1, 1.25)) << "toward zero";
    EXPECT_EQ(-546.0, cubicInterpolate<SampleInt32>(wave, 1, 1.75));
    const i16 loud[] = {0, 32767, 32767, 0};
    EXPECT_EQ(36862.0, cubicInterpolate<SampleInt16>(loud, 1, 1.5)) << "beyond the type, not wrapped";
}

TEST(ChorusSetup, StagesPerVoices) {
    const std::pair<i32, u32> cases[] = {{-1, 0}, {0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {8, 3}, {9, 4}};
    for (auto c : cases) EXPECT_EQ(c.second, chorusStageCount(c.first)) << c.first;
}

// The draws in their order: every all-pass frequency (stage by stage, every track), then per stage
// the delay (one stage only), the level spread, the modulation period and its depth (two or more).
TEST(ChorusSetup, DrawsFromTheSharedGeneratorInOrder) {
    for (i32 voices : {2, 3, 8}) {
        SCOPED_TRACE(voices);
        ChorusParams params;
        params.voices = voices;
        params.maxDelay = 900;
        params.lfoPeriod = 4000;
        params.lfoDepth = 0.4;
        params.levelSpread = 0.5;
        params.gain = 0.5;
        params.useDelay = params.useLfo = params.useLevelSpread = params.useGain = params.usePhaseFilters = 1;
        KnownGenerator generator;
        const ChorusSetup setup = makeChorusSetup(params, 44100, 2, 22050);

        const u32 stages = chorusStageCount(voices);
        u64 state = 0;
        ASSERT_EQ(stages * 2, setup.phaseFilters.size());
        for (const BiquadState& f : setup.phaseFilters) {
            BiquadState want;
            const f64 frequency = randomInRange(&state, 200.0, 600.0);
            biquadCoefficients(&want, biquadAllPass, 0.0, frequency, 1.0, 44100, 0.0, nullptr);
            EXPECT_EQ(want.b0, f.b0);
            EXPECT_EQ(want.a1, f.a1);
            EXPECT_EQ(want.a2, f.a2);
        }
        ASSERT_EQ(stages, setup.stages.size());
        const u32 share = 900 / stages;
        for (const ChorusStage& s : setup.stages) {
            const i32 delay = stages == 1 ? (i32)randomBelow(&state, share / 2, share) : (i32)share;
            const f64 spread = stages == 1 ? 0.5 : randomInRange(&state, 0.0, 0.5);
            const u32 period = stages == 1 ? 4000 : randomBelow(&state, 2000, 4000);
            const f64 depth = stages == 1 ? 0.4 : randomInRange(&state, 0.2, 0.4);
            EXPECT_EQ(delay, s.delay);
            EXPECT_EQ(delay, s.currentDelay);
            EXPECT_EQ((1.0 - spread / 2.0) * 1.5, s.dry);
            EXPECT_EQ(s.dry, s.wet);
            EXPECT_EQ(6.283185307179586 / period, s.lfoStep);
            EXPECT_EQ(depth, s.lfoDepth);
        }
        EXPECT_EQ(state, randomState()) << "no other draw";
    }
}

TEST(ChorusSetup, DelaysStayInsideOneBlockAndDriftingOnesAtFourOrMore) {
    struct Case {
        const char* name;
        i32 maxDelay;
        u8 useDelay, driftDelay;
        i32 delay;
    } cases[] = {
        {"no delay", 0, 0, 0, 0},
        {"a drifting delay without the fixed one", 0, 0, 1, 4},
        {"a drifting delay below four", 6, 1, 1, 4},
        {"a fixed delay longer than a block", 5000, 1, 0, 1000},
        {"a drifting delay longer than a block", 5000, 1, 1, 999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChorusParams params;
        params.voices = 4;
        params.maxDelay = c.maxDelay;
        params.useDelay = c.useDelay;
        params.driftDelay = c.driftDelay;
        const ChorusSetup setup = makeChorusSetup(params, 2000, 1, 1000);
        for (const ChorusStage& s : setup.stages) EXPECT_EQ(c.delay, s.delay);
    }
}

// Without delay, the stage adds its input at the wet level squared: with every switch off each stage
// doubles the signal.
TEST(ChorusOperation, StagesWithoutDelayDoubleTheSignal) {
    struct Case {
        i32 voices;
        f64 factor;
    } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 4}, {4, 4}, {5, 8}};
    const std::vector<f64> input = {1000, -3000, 20000, 5, -6000, 7};
    for (const Case& c : cases) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.voices << " voices, " << encodingName(encoding));
            FramedRangeSound f(encoding, 2, {1, 0}, input);
            const std::vector<f64> before = f.sound.samples();
            f.p->setAuxObject(chorusOf(c.voices));
            f.p->runSlot(Slot::chorus);
            std::vector<f64> want = before;
            bool clips = false;
            for (size_t i = 0; i < input.size(); i += 2) {
                f64 v = input[i] * c.factor;
                clips |= encoding == encodingInt16 && std::fabs(v) > 32767;
                want[2 + i] = encoding == encodingInt16 ? std::max(-32767.0, std::min(32767.0, v)) : v;
            }
            EXPECT_EQ(want, f.sound.samples());
            EXPECT_EQ(clips ? clippedFlag : 0u, f.p->flags);
            EXPECT_EQ(c.voices > 1 ? 2u : 0u, f.owner.events.size()) << "no change for one voice";
            f.owner.undoAll();
            EXPECT_EQ(before, f.sound.samples());
        }
    }
}

// One stage with a fixed delay d: y[n] = x[n] + x[n - d], silence before the range. At 11025 Hz a
// block is 5512 frames of both tracks; the range spans three blocks and a piece.
TEST(ChorusOperation, AFixedDelayReachesIntoThePreviousBlock) {
    struct Case {
        const char* name;
        i32 maxDelay;
        i32 lowest, highest;
    } cases[] = {
        {"a delay drawn from 300 to 600 frames", 600, 300, 600},
        {"a delay longer than a block reads the whole block back", 50000, 5512, 5512},
    };
    const u32 frames = 3 * 5512 + 700;
    const std::vector<f64> input = ramp(frames, 2, 9000);
    for (const Case& c : cases) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << encodingName(encoding));
            KnownGenerator generator;
            TestSound s(encoding, 2, input);
            s.format.sampleRate = 11025;
            ChorusParams* params = chorusOf(2);
            params->maxDelay = c.maxDelay;
            params->useDelay = 1;
            ChorusParams copy = *params;
            auto p = bindProcessor(s, 0, frames);
            p->setAuxObject(params);
            p->runSlot(Slot::chorus);

            setRandomState(0);
            const i32 d = makeChorusSetup(copy, 11025, 2, 5512).stages[0].delay;
            EXPECT_LE(c.lowest, d);
            EXPECT_GE(c.highest, d);
            std::vector<f64> want = input;
            for (size_t i = (size_t)d * 2; i < want.size(); ++i) want[i] += input[i - (size_t)d * 2];
            EXPECT_EQ(want, s.samples());
        }
    }
}

// One stage with level spread, gain and the level modulation, with and without a fixed delay:
// y[n] = x[n] dry + (1 + depth sin((n - d) 2 pi / period)) wet x[n - d], and wet twice over x[n] for d = 0.
TEST(ChorusOperation, OneStageMixesItsLevelsAndModulation) {
    for (i32 maxDelay : {0, 30}) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << "delay up to " << maxDelay << ", " << encodingName(encoding));
            KnownGenerator generator;
            const u32 frames = 700;
            std::vector<f64> input(frames);
            for (u32 n = 0; n < frames; ++n) input[n] = std::floor(9000 * std::sin(0.05 * n));
            TestSound s(encoding, 1, input);
            ChorusParams* params = chorusOf(2);
            params->maxDelay = maxDelay;
            params->lfoPeriod = 160;
            params->lfoDepth = 0.5;
            params->levelSpread = 0.3;
            params->gain = 0.25;
            params->useDelay = maxDelay > 0;
            params->useLfo = params->useLevelSpread = params->useGain = 1;
            auto p = bindProcessor(s, 0, frames);
            p->setAuxObject(params);
            p->runSlot(Slot::chorus);

            u64 state = 0;
            const i32 d = maxDelay > 0 ? (i32)randomBelow(&state, 15, 30) : 0;
            const f64 level = (1.0 - 0.3 / 2.0) * 1.25;
            std::vector<f64> want(frames);
            for (u32 n = 0; n < frames; ++n) {
                const f64 m = 0.5 * std::sin(((f64)n - d) * (6.283185307179586 / 160));
                const f64 y = d == 0 ? (1.0 + m) * level * level * input[n]
                                     : (1.0 + m) * level * (n >= (u32)d ? input[n - d] : 0.0);
                f64 v = std::floor(input[n] * level + y + 0.5);
                want[n] = encoding == encodingFloat ? (f32)v : v;
            }
            EXPECT_EQ(want, s.samples());
        }
    }
}

// A delay drifting up to the ceiling of a block at 48 kHz, where a segment is up to 96000 frames and
// the delay moves by up to 23999: frames into the segment times the move pass 2^31. On a ramp the
// interpolated copy is exact, so each output tells the delay in effect.
TEST(ChorusOperation, ADriftingDelayGlidesInsideTheBlockOverLongSegments) {
    // A start state whose first segment, drawn after the delay, is one of the longest.
    u64 start = 0;
    for (u64 s = 1;; ++s) {
        u64 probe = s;
        randomBelow(&probe, 20, 40);
        if (randomBelow(&probe, 24000, 96000) > 93000) {
            start = s;
            break;
        }
    }
    KnownGenerator generator(start);
    const u32 frames = 120000;
    TestSound s(encodingDouble, 1, ramp(frames, 1, frames));
    s.format.sampleRate = 48000;
    ChorusParams* params = chorusOf(2);
    params->maxDelay = 40;
    params->useDelay = params->driftDelay = 1;
    params->driftRatio = 1e9;  // each segment moves by its whole length, held at the ceiling
    auto p = bindProcessor(s, 0, frames);
    p->setAuxObject(params);
    p->runSlot(Slot::chorus);

    const std::vector<f64> out = s.samples();
    f64 previous = 0, highest = 0;
    for (u32 n = 24000; n < frames; ++n) {
        const f64 delay = 2.0 * (n + 1) - out[n];
        ASSERT_GE(delay, 3.5) << n;
        ASSERT_LE(delay, 23999.5) << n;
        if (n > 24000) {
            ASSERT_LE(std::fabs(delay - previous), 1.5) << "a glide, not a jump: " << n;
        }
        previous = delay;
        highest = std::max(highest, delay);
    }
    EXPECT_GT(highest, 23000.0) << "the glide reached the ceiling";
}

// Every switch on, two tracks of which one is selected, from generator state 0 at 200 Hz (blocks of
// 100 frames).
TEST(ChorusOperation, GoldenRunFromStateZero) {
    const std::vector<f64> golden = {
        112, 1922, 3032, 2389, 476, -1484, -2994, -2581, -1104, 1083, 2761, 2765, 1660,
        -662, -2378, -2946, -2068, 151, 1942, 3058, 2340, 460, -1530, -3003, -2550, -1087,
        1146, 2760, 2763, 1629, -717, -2379, -3405, 1248, 4908, 3035, 913, -6467, -8407,
        -11535, -5776, -3638, 4755, 3250, 5938, -1124, -2745, -8157, -6883, -5890, -676, 2594,
        5201, 3481, -637, -5812, -10202, -9150, -6870, 1274, 3832, 8000, 1664, -1000, -10662,
        -11048, -11061, -793, 233, 5323, -374, -3006, -10370, -11531, -12117, -7239, -1682, 2675,
        6374, 1990, -253, -10480, -10706, -15284, -6188, -3556, 6843, 4639, 4421, -5895, -11296,
        -16645, -13612, -7157, 1357, 7083, 7107, 1796, -6220, -13857, -15721, -13871, -6461, 1517,
        5477, 7621, 105, -3631, -13619, -11922, -12807, -3299, 438, 7336, 4307, 1639, -7372,
        -12392, -15295, -12813, -5097, 650, 7976, 4007, 2700, -9866, -10553, -18195, -8198, -7951,
        4560, 2488, 5311, -2383, -5402, -10581, -9530, -7818, -2885, 350, 2668, 1757, -817,
        -5544, -8711, -11805, -9346, -6658, -1053, 2180, 1463, 286, -7654, -7748, -12532, -6790,
        -6260, -13, -400, 1085, -1758, -3053, -4998, -6277, -5361, -6385, -2239, -4115, 1603,
        -3615, 28, -8340, -5034, -11533, -3999, -6310, 970, -2520, -623, -4837, -4978, -6278,
        -5666, -5353, -4267, -3766, -2161, -2093, -1281, -2783, -2856, -4931, -5118, -5715, -7066,
        -4750, -6474, -1766, -3730, -334, -4470, -3382, -6641, -4415, -4010, -1421, -389, -1237,
        -1587, -6101, -5516, -11059, -5538, -9803, 1118, -3336, 3885, -5686, -3896, -12342, -7571,
        -7949, -251, 548, 2199, -1641, -4897, -7649, -7669, -5229, -1172, 1694, 3644, 72,
        -3887, -11997, -14225, -14168, -8385, 297, 3075, 4966, -3042, -6970, -13186, -9929, -6793,
        868, 3734, 4915, 1084, -4552, -8891, -12768, -8458, -6483, 4448, 2826, 7758, -5615,
    };
    std::vector<f64> input(2 * 260);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = std::floor(8000 * std::sin(0.37 * (f64)i) + 300 * std::cos(1.3 * (f64)i));
    KnownGenerator generator;
    TestSound s(encodingInt16, 2, input);
    s.format.sampleRate = 200;
    s.select({1, 0});
    ChorusParams* params = chorusOf(3);
    params->maxDelay = 60;
    params->lfoPeriod = 40;
    params->driftRatio = 1.05;
    params->lfoDepth = 0.3;
    params->levelSpread = 0.4;
    params->gain = -0.3;
    params->useDelay = params->driftDelay = params->useLfo = params->useLevelSpread = params->useGain =
        params->usePhaseFilters = 1;
    auto p = bindProcessor(s, 0, 260);
    p->setAuxObject(params);
    p->runSlot(Slot::chorus);
    const std::vector<f64> out = s.samples();
    std::vector<f64> left;
    for (size_t i = 0; i < out.size(); i += 2) left.push_back(out[i]);
    for (size_t i = 1; i < out.size(); i += 2) ASSERT_EQ(input[i], out[i]) << "the unselected track";
    EXPECT_EQ(golden, left);
}
