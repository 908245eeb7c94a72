#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "engine/chorus_params.h"
#include "engine/echo_reflections.h"
#include "engine/filters.h"
#include "engine/processor.h"
#include "tests/engine/engine_fixture.h"

namespace {
// zero over [from, to) of a mono sound of 1000 frames of 1024, with edges of edgeFrames frames.
// Edges of 128 frames make every weight exact in every type.
struct EdgeCase {
    const char* name;
    u64 from, to;
    i32 edgeFrames;
    // Expected frames of the range that are not 0: {frame, value}.
    std::vector<std::pair<u64, f64>> blended;
};

std::vector<std::pair<u64, f64>> ramp(u64 at, u32 from, u32 to, bool rising) {
    std::vector<std::pair<u64, f64>> v;
    for (u32 j = from; j < to; ++j) v.emplace_back(at + (j - from), rising ? 8.0 * j : 1024.0 - 8.0 * j);
    return v;
}

std::vector<std::pair<u64, f64>> join(std::vector<std::pair<u64, f64>> a, const std::vector<std::pair<u64, f64>>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<EdgeCase> edgeCases() {
    return {
        {"10 frames split 5 and 5", 200, 210, 128,
         {{200, 1024}, {201, 1016}, {202, 1008}, {203, 1000}, {204, 992},
          {205, 984}, {206, 992}, {207, 1000}, {208, 1008}, {209, 1016}}},
        {"7 frames split 4 and 3", 200, 207, 128,
         {{200, 1024}, {201, 1016}, {202, 1008}, {203, 1000}, {204, 1000}, {205, 1008}, {206, 1016}}},
        {"a long range gets both full ramps", 200, 600, 128, join(ramp(200, 0, 128, false), ramp(472, 0, 128, true))},
        {"the sound's start has no start edge", 0, 300, 128, ramp(172, 0, 128, true)},
        {"the sound's end has no end edge", 700, 1000, 128, ramp(700, 0, 128, false)},
        {"the whole sound has no edges", 0, 1000, 128, {}},
        {"smoothing off", 200, 600, 0, {}},
        {"an edge of 2 frames", 200, 600, 2, {{200, 1024}, {201, 512}, {598, 0}, {599, 512}}},
    };
}
}  // namespace

TEST(EdgeCrossfades, BothEdgesBlendTheOldSoundBackIn) {
    for (const EdgeCase& c : edgeCases()) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << encodingName(encoding));
            TestSound s(encoding, 1, std::vector<f64>(1000, 1024.0));
            auto p = bindProcessor(s, c.from, c.to, c.edgeFrames);
            p->zero();
            std::vector<f64> want(1000, 1024.0);
            for (u64 i = c.from; i < c.to; ++i) want[i] = 0;
            for (auto& b : c.blended) want[b.first] = b.second;
            EXPECT_EQ(want, s.samples());
        }
    }
}

TEST(EdgeCrossfades, UnselectedTracksKeepWhatTheOperationWrote) {
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        std::vector<f64> frames;
        for (int i = 0; i < 100; ++i) {
            frames.push_back(1024);
            frames.push_back(-300 - i);
        }
        TestSound s(encoding, 2, frames);
        s.select({1, 0});
        auto p = bindProcessor(s, 40, 50, 128);
        p->zero();
        std::vector<f64> result = s.samples();
        for (int i = 0; i < 100; ++i) EXPECT_EQ(-300 - i, result[2 * i + 1]) << i;
        EXPECT_EQ(1016.0, result[2 * 41]);
        EXPECT_EQ(1016.0, result[2 * 49]);
    }
}

TEST(EdgeCrossfades, BlendsTruncateTowardZero) {
    // Old -3 blended into new 0 over an edge of 10 frames (weights in tenths).
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        TestSound s(encoding, 1, std::vector<f64>(40, 0.0));
        auto p = bindProcessor(s, 10, 30, 10);
        const std::vector<u8> old = sampleBytes(encoding, std::vector<f64>(10, -3.0));
        const std::vector<u8> silence = sampleBytes(encoding, std::vector<f64>(10, 0.0));
        std::vector<u8> start = silence, end = silence;
        p->crossfadeStart(old.data(), start.data(), (i32)start.size());
        // The last two frames of a full edge: old weights 0.8 and 0.9.
        p->crossfadeEnd(old.data(), end.data(), 2 * p->frameBytes);
        std::vector<f64> a = sampleValues(encoding, start), b = sampleValues(encoding, end);
        bool integer = encoding == encodingInt16 || encoding == encodingInt32;
        auto stored = [&](f64 x) { return integer ? (f64)(i64)x : encoding == encodingFloat ? (f64)(f32)x : x; };
        EXPECT_EQ(-3.0, a[0]);
        EXPECT_EQ(integer ? -2.0 : stored(-3.0 * (1.0 - 0.1)), a[1]);  // -2.7
        EXPECT_EQ(integer ? -2.0 : stored(-3.0 * (1.0 - 2 * 0.1)), a[2]);
        EXPECT_EQ(stored(-3.0 * (1.0 - 9 * 0.1)), a[9]);
        EXPECT_EQ(integer ? -2.0 : stored(-3.0 * (8 * 0.1)), b[0]);
        EXPECT_EQ(integer ? -2.0 : stored(-3.0 * (9 * 0.1)), b[1]);
    }
}

// Which edges an effect saves with smoothing on: echo and the equalizer only the end (their start
// follows on from the sound before it), chorus both. An edge saved is blended back in: its frames
// differ from those of the same run without smoothing.
TEST(EdgeCrossfades, EffectsSaveTheirOwnEdges) {
    auto echo = [](SoundBlockProcessor& p) {
        EchoReflectionList* list = new EchoReflectionList;
        EchoReflection r;
        r.delay = 5;
        r.spacing = 5;
        r.gain = 0.6;
        r.decay = 0.5;
        r.repeats = 3;
        list->reflections = {r};
        p.setAuxObject(list);
    };
    auto equalizer = [](SoundBlockProcessor& p) {
        EqParams* eq = new EqParams;
        eq->startFrequency = 400;
        eq->bandRatio = 2;
        eq->bandGains = {8, -6};
        p.setAuxObject(eq);
    };
    auto chorus = [](SoundBlockProcessor& p) {
        ChorusParams* c = new ChorusParams;
        c->voices = 2;
        c->maxDelay = 40;
        c->useDelay = 1;
        p.setAuxObject(c);
    };
    struct Case {
        const char* name;
        Slot slot;
        std::function<void(SoundBlockProcessor&)> setup;
        bool startSaved;
    } cases[] = {
        {"echo", Slot::echo, echo, false},
        {"equalizer", Slot::equalizer, equalizer, false},
        {"chorus", Slot::chorus, chorus, true},
    };
    const u64 frames = 4000, from = 1000, to = 3000, edge = 64;
    std::vector<f64> input(frames);
    for (u64 i = 0; i < frames; ++i) input[i] = std::floor(9000 * std::sin(0.21 * (f64)i) + 3000 * std::sin(0.037 * (f64)i));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::vector<f64>> results;
        for (i32 edgeFrames : {0, (i32)edge}) {
            KnownGenerator generator(3);
            TestSound s(encodingInt16, 1, input);
            auto p = bindProcessor(s, from, to, edgeFrames);
            c.setup(*p);
            p->runSlot(c.slot);
            results.push_back(s.samples());
        }
        auto differs = [&](u64 a, u64 b) {
            return !std::equal(results[0].begin() + a, results[0].begin() + b, results[1].begin() + a);
        };
        EXPECT_TRUE(differs(from, to)) << "the effect changed the range";
        EXPECT_EQ(c.startSaved, differs(from, from + edge));
        EXPECT_TRUE(differs(to - edge, to));
        EXPECT_FALSE(differs(from + edge, to - edge));
    }
}
