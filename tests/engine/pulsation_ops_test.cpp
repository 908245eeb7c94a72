#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/processor.h"
#include "engine/pulsation.h"
#include "engine/random.h"
#include "tests/engine/engine_fixture.h"

namespace {

// The rounded store: floor(x + 0.5), clipped to +-32767 in 16 bits.
f64 rounded(u32 encoding, f64 x) {
    f64 y = std::floor(x + 0.5);
    return encoding == encodingInt16 ? std::max(-32767.0, std::min(32767.0, y)) : y;
}

// One pulsation over a small range of each type. With P = 4 the frames k = 1, 2, 3, 4 are at a
// quarter, half, three quarters and the whole of a period.
struct PulseCase {
    const char* name;
    Slot slot;
    f64 param1, param2;
    u32 period, fade;
    u32 channels;
    std::vector<u8> mask;
    std::vector<f64> input;
    std::vector<f64> results;  // s + s v before the store
    f64 param1After;
};

const std::vector<u8> mono = {1}, left = {1, 0};

std::vector<PulseCase> pulseCases() {
    const f64 k = keep;
    return {
        {"one frame is k = 1, not 0", Slot::pulsation, 1.0, 0, 4, 0, 1, mono, {1000}, {1500}, 0.5},
        {"one frame faded whole keeps factor 1", Slot::pulsation, 1.0, 0, 4, 1, 1, mono, {1000}, {1500}, 0.5},
        {"a sine between 1 - depth/2 and 1 + depth/2", Slot::pulsation, 1.0, 0, 4, 0, 1, mono,
         {1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000}, {1500, 1000, 500, 1000, 1500, 1000, 500, 1000}, 0.5},
        {"fade over the last 4 of 8 frames", Slot::pulsation, 1.0, 0, 4, 4, 1, mono,
         {1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000}, {1500, 1000, 500, 1000, 1375, 1000, 875, 1000}, 0.5},
        {"fade over the whole range ends at 1/N", Slot::pulsation, 1.0, 0, 4, 5, 1, mono,
         {1000, 1000, 1000, 1000, 1000}, {1500, 1000, 700, 1000, 1100}, 0.5},
        {"16 bits clip at +-32767", Slot::pulsation, 1.0, 0, 4, 0, 1, mono, {30000, -30000, -30000},
         {45000, -30000, -15000}, 0.5},
        {"positive only boosts", Slot::pulsationPositive, 1.0, 0, 4, 0, 1, mono, {1000, 1000, 1000, 1000},
         {1500, 2000, 1500, 1000}, 0.5},
        {"negative only cuts", Slot::pulsationNegative, 1.0, 0, 4, 0, 1, mono, {1000, -1000, 1000, 1000},
         {500, 0, 500, 1000}, -0.5},
        {"dissymetric half-waves", Slot::pulsationDissymetric, 0.5, 0.25, 4, 0, 1, mono, {1000, 1000, 1000, 1000},
         {1500, 1000, 750, 1000}, 0.5},
        {"a period of 0 counts as 1", Slot::pulsation, 1.0, 0, 0, 0, 1, mono, {1000, 1000, 1000},
         {1000, 1000, 1000}, 0.5},
        {"unselected tracks are copied as they are", Slot::pulsation, 1.0, 0, 4, 0, 2, left,
         {1000, 30000, 1000, -32768}, {1500, k, 1000, k}, 0.5},
    };
}
}  // namespace

TEST(PulsationOperations, GainsOfEachPulsationInEachType) {
    for (const PulseCase& c : pulseCases()) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << encodingName(encoding));
            FramedRangeSound f(encoding, c.channels, c.mask, c.input, 16);
            SoundBlockProcessor* p = f.p.get();
            p->param1 = c.param1;
            p->param2 = c.param2;
            p->periodFrames = c.period;
            p->paramInt2 = c.fade;
            p->runSlot(c.slot);

            std::vector<f64> want = sampleValues(encoding, sampleBytes(encoding, framedRange(c.input, c.channels)));
            bool clips = false;
            for (size_t i = 0; i < c.results.size(); ++i) {
                if (c.results[i] == keep) continue;
                want[c.channels + i] = rounded(encoding, c.results[i]);
                clips |= encoding == encodingInt16 && std::fabs(c.results[i]) > 32767;
            }
            EXPECT_EQ(want, f.sound.samples());
            EXPECT_EQ(clips ? clippedFlag : 0u, p->flags & clippedFlag);
            EXPECT_EQ(c.param1After, p->param1);
            EXPECT_EQ(nullptr, p->savedStartEdge.data);  // no edge crossfades
            EXPECT_EQ(nullptr, p->savedEndEdge.data);
        }
    }
}

// Depth 0.4 and a period of 100 frames: the gains at the quarters of the period.
TEST(PulsationOperations, QuartersOfAPeriod) {
    struct Case {
        Slot slot;
        f64 param1, param2;
        f64 gains[4];  // frames 25, 50, 75, 100
    } cases[] = {
        {Slot::pulsation, 0.4, 0, {1.2, 1.0, 0.8, 1.0}},
        {Slot::pulsationPositive, 0.4, 0, {1.2, 1.4, 1.2, 1.0}},
        {Slot::pulsationNegative, 0.4, 0, {0.8, 0.6, 0.8, 1.0}},
        {Slot::pulsationDissymetric, 0.4, 0.2, {1.4, 1.0, 0.8, 1.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((u32)c.slot);
        TestSound s(encodingInt32, 1, std::vector<f64>(300, 100000.0));
        auto p = bindProcessor(s, 0, 300);
        p->param1 = c.param1;
        p->param2 = c.param2;
        p->periodFrames = 100;
        p->runSlot(c.slot);
        std::vector<f64> result = s.samples();
        for (u32 period = 0; period < 3; ++period) {
            for (u32 q = 0; q < 4; ++q) {
                const u32 frame = period * 100 + 25 * (q + 1) - 1;
                EXPECT_EQ(std::round(100000.0 * c.gains[q]), result[frame]) << frame;
            }
        }
    }
}

// 40 frames with a period of 8 from state 0: segments of 5, 4, 8 and 11 frames toward drawn levels
// (0.979, 0.641, 1.161, 0.866), then the last segment of 12 frames back toward 1.
TEST(PulsationOperations, RandomEnvelopeFromStateZero) {
    const std::vector<f64> golden = {10000, 9959,  9917,  9876,  9834, 9793, 8946, 8099,  7253, 6406,
                                     7057,  7708,  8359,  9011,  9662, 10313, 10964, 11615, 11346, 11078,
                                     10809, 10540, 10272, 10003, 9734, 9466, 9197,  8928,  8660, 8771,
                                     8883,  8995,  9107,  9218,  9330, 9442, 9553,  9665,  9777, 9888};
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        KnownGenerator generator;
        TestSound s(encoding, 2, std::vector<f64>(2 * 42, 10000.0));
        s.select(left);
        auto p = bindProcessor(s, 1, 41);
        p->param1 = 0.5;
        p->param2 = 0.5;
        p->periodFrames = 8;
        p->paramInt2 = 40;  // not read
        p->pulsationRandom();
        std::vector<f64> result = s.samples();
        std::vector<f64> left, right;
        for (size_t i = 2; i < 82; i += 2) {
            left.push_back(result[i]);
            right.push_back(result[i + 1]);
        }
        EXPECT_EQ(golden, left);
        EXPECT_EQ(std::vector<f64>(40, 10000.0), right);
        EXPECT_EQ(10000.0, result[0]);
        EXPECT_EQ(10000.0, result[82]);
        EXPECT_EQ(0x2EA7B016EAA10E01ull, randomState());
    }
}

TEST(PulsationOperations, RandomEnvelopeShorterThanItsFirstSegmentIsUnity) {
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        KnownGenerator generator;
        const std::vector<f64> input = {1, -2, 3, 30000, -32767, 5, 6, 7, 8, 9};
        TestSound s(encoding, 1, input);
        auto p = bindProcessor(s, 0, 10);
        p->param1 = 0.9;
        p->param2 = 0.9;
        p->periodFrames = 8;
        p->pulsationRandom();
        EXPECT_EQ(input, s.samples());
        EXPECT_EQ(0u, p->flags);
        EXPECT_EQ(0x361962E9361962E9ull, randomState());  // the discarded length took one step
    }
}

// Period 0 counts as 1: segments of one frame, each at the level the segment before drew.
TEST(PulsationOperations, RandomEnvelopeWithPeriodZeroEnds) {
    KnownGenerator generator;
    TestSound s(encodingDouble, 1, std::vector<f64>(1000, 10000.0));
    auto p = bindProcessor(s, 0, 1000);
    p->param1 = 0.5;
    p->param2 = 0.25;
    p->periodFrames = 0;
    p->pulsationRandom();
    std::vector<f64> result = s.samples();
    EXPECT_EQ(10000.0, result[0]);
    for (f64 x : result) {
        ASSERT_GE(x, 7500.0);
        ASSERT_LE(x, 15000.0);
    }
    EXPECT_NE(result[1], result[2]);
}

TEST(PulsationOperations, ParametersFromTheSettings) {
    struct Case {
        u32 action;
        u32 count, storedRate, fadeChoice;
        u64 rangeFrames;
        f64 param1;
        u32 period, fade;
    } cases[] = {
        {506, 1000, 44100, 0, 10000, 0.3, 1000, 0},
        {506, 1000, 44100, 1, 10000, 0.3, 1000, 1000},
        {507, 1000, 44100, 1, 600, 0.3, 1000, 600},  // one period, at most the range
        {508, 1000, 44100, 2, 10001, 0.3, 1000, 5000},
        {506, 1000, 44100, 3, 10001, 0.3, 1000, 10001},
        {506, 1000, 44100, 7, 10001, 0.3, 1000, 0},  // an unknown choice fades nothing
        {509, 1000, 44100, 3, 10000, 0.8, 1000, 10000},
        {510, 1000, 44100, 3, 10000, 0.8, 1000, 0},  // the random envelope has no fade-out
        {506, 1000, 48000, 1, 10000, 0.3, 918, 918},  // 918.75 truncated
        {506, 1, 48000, 1, 10000, 0.3, 1, 1},        // truncated to 0: one frame
        {506, 0, 44100, 0, 10000, 0.3, 1, 0},
        {506, 4000000000u, 22050, 0, 10000, 0.3, 0xFFFFFFFFu, 0},  // limited to 32 bits
        {506, 500, 0, 0, 10000, 0.3, 500, 0},  // no stored rate: the count as it is
    };
    SoundFormat format;
    format.setPlain(2, 44100, encodingInt16);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.action << " " << c.count << "/" << c.storedRate << " choice "
                                        << c.fadeChoice);
        std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(encodingInt16, nullptr));
        p->bind(c.action, &format, nullptr, 0, 100, 100 + c.rangeFrames * 4, 1u << 30, 0);
        PulsationSettings settings;
        settings.depth = 0.3;
        settings.upperDepth = 0.8;
        settings.lowerDepth = 0.6;
        settings.periodCount = c.count;
        settings.periodRate = c.storedRate;
        settings.fadeChoice = c.fadeChoice;
        setPulsationParameters(*p, settings);
        EXPECT_EQ(c.param1, p->param1);
        EXPECT_EQ(0.6, p->param2);
        EXPECT_EQ(c.period, p->periodFrames);
        EXPECT_EQ(c.fade, p->paramInt2);
    }
}
