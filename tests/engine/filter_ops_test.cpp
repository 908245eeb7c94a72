#include <gtest/gtest.h>

#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/progress.h"
#include "engine/biquad.h"
#include "engine/filters.h"
#include "engine/processor.h"
#include "tests/engine/engine_fixture.h"

namespace {
// Keeps every progress position reported; cancels once the position passes cancelAfter.
class RecordingProgress : public JobProgress {
public:
    bool report(u64 done, const char* text) override {
        seen.push_back(committed + done);
        if (committed + done > cancelAfter) cancel();
        return JobProgress::report(done, text);
    }
    std::vector<u64> seen;
    u64 cancelAfter = ~0ull;
};

const f64 pi = 3.14159265358979323846;
const std::vector<u8> mono = {1}, both = {1, 1}, left = {1, 0};

// The coefficients at the test sound's 8000 Hz: high-pass a = RC / (RC + dt), low-pass b = dt / (RC + dt).
f64 rcOf(f64 f) { return 0.15915494309189535 / f; }
f64 highPassA(f64 f) { return rcOf(f) / (rcOf(f) + 1 / 8000.0); }
f64 lowPassB(f64 f) { return (1 / 8000.0) / (rcOf(f) + 1 / 8000.0); }

// The filter store: integers truncated toward zero, floats converted.
f64 filtered(u32 encoding, f64 y) {
    if (encoding == encodingInt16 || encoding == encodingInt32) return std::trunc(y);
    return encoding == encodingFloat ? (f64)(f32)y : y;
}

void runFilter(SoundBlockProcessor* p, Slot slot, f64 f1, f64 f2, u32 passes) {
    p->param1 = f1;
    p->param2 = f2;
    setFilterPasses(*p, passes);
    p->runSlot(slot);
}
}  // namespace

// The first frame passes; the second is the filter's first step from state primed by the first.
TEST(CutAndPassFilters, FirstTwoFramesOfEachFilterInEachType) {
    const f64 x0 = 1000, x1 = -2001;
    const f64 a = highPassA(500), b = lowPassB(500), b2 = lowPassB(2000);
    struct Case {
        const char* name;
        Slot slot;
        f64 second;
    } cases[] = {
        {"low cut", Slot::lowCutFilter, a * x1},
        {"high cut", Slot::highCutFilter, x0 + b * (x1 - x0)},
        {"band cut", Slot::bandCutFilter, x1 - ((x0 + b2 * (x1 - x0)) - (x0 + b * (x1 - x0)))},
        {"band pass", Slot::bandPassFilter, x0 + b2 * (a * x1 - x0)},
    };
    for (const Case& c : cases) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << encodingName(encoding));
            FramedRangeSound f(encoding, 2, left, {x0, 5, x1, 6});
            runFilter(f.p.get(), c.slot, 500, 2000, 1);
            EXPECT_EQ(std::vector<f64>({7, 7, x0, 5, filtered(encoding, c.second), 6, 7, 7}), f.sound.samples());
            EXPECT_EQ(0u, f.p->flags);
            const std::string length = std::to_string(2 * f.sound.frameBytes());
            EXPECT_EQ(std::vector<std::string>({"range " + std::to_string(f.sound.at(1)) + " " + length + " " + length,
                                                "finished"}),
                      f.owner.events);
        }
    }
}

// A constant stays under the low-passes and the band cut; the low cut decays by a per frame.
TEST(CutAndPassFilters, ConstantSignals) {
    const f64 c = 1000, a = highPassA(100);
    for (u32 encoding : {encodingInt32, encodingDouble}) {
        SCOPED_TRACE(encodingName(encoding));
        for (Slot slot : {Slot::highCutFilter, Slot::bandCutFilter}) {
            TestSound s(encoding, 1, std::vector<f64>(50, c));
            auto p = bindProcessor(s, 0, 50);
            runFilter(p.get(), slot, 100, 1000, 2);
            EXPECT_EQ(std::vector<f64>(50, c), s.samples());
        }
        TestSound s(encoding, 1, std::vector<f64>(6, c));
        auto p = bindProcessor(s, 0, 6);
        runFilter(p.get(), Slot::lowCutFilter, 100, 0, 1);
        std::vector<f64> want = {c};
        f64 y = c;
        for (int k = 1; k < 6; ++k) want.push_back(filtered(encoding, y = a * (y + c - c)));
        EXPECT_EQ(want, s.samples());
    }
}

// Outputs of -2.7 and 2.7 are stored as -2 and 2 in the integer types; a low cut's overshoot
// beyond the 16-bit range is held at 32767 and flagged instead of wrapping around.
TEST(CutAndPassFilters, IntegerTypesTruncateAndHoldTheRange) {
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        // High cut with b about 0.9: from 0, the step to 3 gives about 2.7.
        const f64 f = 9 * 8000 / (2 * pi), b = lowPassB(f);
        TestSound s(encoding, 1, {0, 3, 0});
        auto p = bindProcessor(s, 0, 3);
        runFilter(p.get(), Slot::highCutFilter, f, 0, 1);
        const f64 y1 = 0 + b * (3 - 0), y2 = y1 + b * (0 - y1);
        EXPECT_NEAR(2.7, y1, 1e-9);
        EXPECT_EQ(std::vector<f64>({0, filtered(encoding, y1), filtered(encoding, y2)}), s.samples());
        TestSound n(encoding, 1, {0, -3});
        auto q = bindProcessor(n, 0, 2);
        runFilter(q.get(), Slot::highCutFilter, f, 0, 1);
        EXPECT_EQ(filtered(encoding, -y1), n.samples()[1]);
    }
    TestSound s(encodingInt16, 1, {-32767, -32767, -32767, 32767});
    auto p = bindProcessor(s, 0, 4);
    runFilter(p.get(), Slot::lowCutFilter, 10, 0, 1);  // the step up overshoots to about 33000
    EXPECT_EQ(32767, s.samples()[3]);
    EXPECT_EQ(clippedFlag, p->flags);
}

// Three passes are the filter run three times, each from the untouched first frame; the progress
// total covers the three and is reached at the end of the last. A pass count of 0 runs once.
TEST(CutAndPassFilters, PassesCascadeAndShareOneProgress) {
    std::vector<f64> input;
    for (int i = 0; i < 12000; ++i) input.push_back(std::floor(8000 * std::sin(i * 0.05) + (i % 7) * 300));
    for (Slot slot : {Slot::lowCutFilter, Slot::highCutFilter, Slot::bandCutFilter, Slot::bandPassFilter}) {
        SCOPED_TRACE((u32)slot);
        TestSound once(encodingInt16, 1, input);
        for (int k = 0; k < 3; ++k) {
            auto p = bindProcessor(once, 0, 12000);
            runFilter(p.get(), slot, 300, 1200, 1);
        }
        TestSound thrice(encodingInt16, 1, input);
        auto p = bindProcessor(thrice, 0, 12000);
        RecordingProgress progress;
        p->progress = &progress;
        p->param1 = 300, p->param2 = 1200;
        setFilterPasses(*p, 3);
        EXPECT_EQ(3 * 24000u, p->rangeLength);
        progress.setTotal(p->rangeLength);  // as the job runner does before the run
        p->runSlot(slot);
        EXPECT_EQ(once.samples(), thrice.samples());
        EXPECT_TRUE(std::is_sorted(progress.seen.begin(), progress.seen.end()));
        EXPECT_EQ(3 * 24000u, progress.seen.back());
        EXPECT_EQ(1, std::count(progress.seen.begin(), progress.seen.end(), 3 * 24000u));
        EXPECT_NE(progress.seen.end(), std::find(progress.seen.begin(), progress.seen.end(), 24000u));
        EXPECT_NE(progress.seen.end(), std::find(progress.seen.begin(), progress.seen.end(), 48000u));
        EXPECT_EQ(100u, progress.percent.load());

        TestSound zero(encodingInt16, 1, input), one(encodingInt16, 1, input);
        auto z = bindProcessor(zero, 0, 12000);
        z->param1 = 300, z->param2 = 1200, z->paramInt = 0;
        z->runSlot(slot);
        auto o = bindProcessor(one, 0, 12000);
        runFilter(o.get(), slot, 300, 1200, 1);
        EXPECT_EQ(one.samples(), zero.samples());
    }
}

// A cancel during the second pass stops it at a page boundary: the frames before keep both passes,
// the frames after only the first.
TEST(CutAndPassFilters, CancelInALaterPassKeepsTheEarlierResultAfterIt) {
    std::vector<f64> input;
    for (int i = 0; i < 30000; ++i) input.push_back(std::floor(9000 * std::sin(i * 0.013)));
    TestSound onePass(encodingInt16, 1, input), twoPasses(encodingInt16, 1, input), cut(encodingInt16, 1, input);
    runFilter(bindProcessor(onePass, 0, 30000).get(), Slot::highCutFilter, 200, 0, 1);
    runFilter(bindProcessor(twoPasses, 0, 30000).get(), Slot::highCutFilter, 200, 0, 2);
    auto p = bindProcessor(cut, 0, 30000);
    RecordingProgress progress;
    progress.cancelAfter = 60000 + 20000;  // a third into the second pass
    p->progress = &progress;
    runFilter(p.get(), Slot::highCutFilter, 200, 0, 2);
    EXPECT_TRUE(progress.isCancelled());
    std::vector<f64> got = cut.samples(), both = twoPasses.samples(), first = onePass.samples();
    size_t stop = 0;
    while (stop < got.size() && got[stop] == both[stop]) ++stop;
    EXPECT_GT(stop, 1000u);
    EXPECT_LT(stop, 29000u);
    EXPECT_EQ(std::vector<f64>(first.begin() + stop, first.end()), std::vector<f64>(got.begin() + stop, got.end()));
}

// The tracks of a frame run side by side where all are selected, one by one under a mask: both give
// the same samples, over several pages, with samples off their alignment, and unselected tracks are
// copied bit for bit.
TEST(RecursiveFilters, SelectedTracksGiveTheSameResultsWithAndWithoutTheOthers) {
    const u32 channels = 3, frames = 7001;
    std::vector<f64> input;
    for (u32 i = 0; i < frames * channels; ++i)
        input.push_back(i % channels == 1 ? -32768.0 : std::floor(12000 * std::sin(i * 0.011 * (1 + i % channels))));
    struct Run {
        Slot slot;
        u32 argument;
    } runs[] = {{Slot::lowCutFilter, 0}, {Slot::bandPassFilter, 0}, {Slot::biquadFilter, biquadLowPass},
                {Slot::biquadFilter, biquadPeak}, {Slot::equalizer, 0}};
    for (const Run& r : runs) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << (u32)r.slot << ", " << encodingName(encoding));
            std::vector<f64> results[2];
            for (int masked = 0; masked < 2; ++masked) {
                TestSound s(encoding, channels, input, 45);
                s.select(masked ? std::vector<u8>{1, 0, 1} : std::vector<u8>{1, 1, 1});
                auto p = bindProcessor(s, 1, frames - 2);
                p->param1 = 3.0, p->param2 = 900, p->param3 = 1.0;
                p->paramInt = 2;
                EqParams* eq = new EqParams;
                eq->startFrequency = 100;
                eq->bandGains = {3, -4, 0, 5};
                p->setAuxObject(eq);
                p->runSlot(r.slot, r.argument);
                results[masked] = s.samples();
            }
            for (size_t i = 0; i < input.size(); ++i) {
                if (i % channels == 1) {
                    ASSERT_EQ(input[i], results[1][i]) << i;
                } else {
                    ASSERT_EQ(results[0][i], results[1][i]) << i;
                }
            }
            EXPECT_NE(input[channels * 100], results[0][channels * 100]);
        }
    }
}

// Coefficients that are not finite leave the sound as it is instead of filling it with NaN.
TEST(RecursiveFilters, UnusableCoefficientsPassTheInput) {
    const std::vector<f64> input = {100, -200, 300, 50, 7, -9};
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        struct Case {
            Slot slot;
            u32 type;
            f64 f1, f2;
            u32 rate;
        } cases[] = {
            {Slot::lowCutFilter, 0, 0, 0, 8000},          {Slot::highCutFilter, 0, 1000, 0, 0},
            {Slot::bandPassFilter, 0, 0, 1000, 0},        {Slot::biquadFilter, biquadLowPass, 1, 4000, 8000},
            {Slot::biquadFilter, biquadPeak, 2, 0, 8000},
        };
        for (const Case& c : cases) {
            TestSound s(encoding, 1, input);
            auto p = bindProcessor(s, 0, 6);
            p->param1 = c.f1, p->param2 = c.f2, p->param3 = 1.0, p->paramInt = 1;
            p->sampleRate = c.rate;
            p->runSlot(c.slot, c.type);
            EXPECT_EQ(input, s.samples()) << (u32)c.slot;
        }
    }
}

// A recursion decaying toward 0 halves its value per frame down to the smallest normal value and
// never into denormals; the caller's floating-point mode is left as it was.
TEST(RecursiveFilters, DecayNeverReachesDenormals) {
    const unsigned mode = _mm_getcsr();
    std::vector<f64> input(1200, 0.0);
    input[0] = 1.0;
    TestSound s(encodingDouble, 1, input);
    auto p = bindProcessor(s, 0, 1200);
    runFilter(p.get(), Slot::highCutFilter, 8000 / (2 * pi), 0, 1);  // b about 1/2
    std::vector<f64> got = s.samples();
    EXPECT_NEAR(1000, -std::log2(got[1000]), 1);
    for (f64 y : got) EXPECT_NE(FP_SUBNORMAL, std::fpclassify(y)) << y;
    EXPECT_EQ(mode, _mm_getcsr());
}

// With edge smoothing only the end of the range is blended back: the start never changes.
TEST(RecursiveFilters, OnlyTheEndEdgeIsBlended) {
    for (Slot slot : {Slot::lowCutFilter, Slot::biquadFilter, Slot::equalizer}) {
        std::vector<f64> input;
        for (int i = 0; i < 40; ++i) input.push_back((i % 5) * 1000 - 2000);
        TestSound s(encodingInt32, 1, input);
        auto p = bindProcessor(s, 10, 30, 4);
        p->param1 = 2, p->param2 = 1000, p->param3 = 1, p->paramInt = 1;
        EqParams* eq = new EqParams;
        eq->bandGains = {10, 10, 10};
        p->setAuxObject(eq);
        p->runSlot(slot, biquadHighPass);
        EXPECT_EQ(nullptr, p->savedStartEdge.data);
        EXPECT_EQ(4u * 4, p->savedEndEdge.length);

        TestSound plain(encodingInt32, 1, input);
        auto q = bindProcessor(plain, 10, 30);
        q->param1 = 2, q->param2 = 1000, q->param3 = 1, q->paramInt = 1;
        q->setAuxObject(new EqParams(*eq));
        q->runSlot(slot, biquadHighPass);
        std::vector<f64> got = s.samples(), unblended = plain.samples();
        EXPECT_EQ(std::vector<f64>(got.begin(), got.begin() + 26), std::vector<f64>(unblended.begin(), unblended.begin() + 26));
        EXPECT_NE(input[29], unblended[29]);
        EXPECT_EQ(std::trunc(unblended[29] * 0.25 + input[29] * 0.75), got[29]);  // the old weight at the last frame: 3/4
    }
}

// Two frames or fewer: the biquad filter leaves the range alone. Three frames: only the third
// changes, from the history primed by frame 0 (older) and frame 1 (newer).
TEST(BiquadFilter, ShortRanges) {
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        FramedRangeSound two(encoding, 1, mono, {100, 200});
        two.p->param1 = 2, two.p->param2 = 1000, two.p->param3 = 1, two.p->paramInt = 1;
        two.p->runSlot(Slot::biquadFilter, biquadLowShelf);
        EXPECT_TRUE(two.owner.events.empty());
        EXPECT_EQ(std::vector<f64>({7, 100, 200, 7}), two.sound.samples());

        FramedRangeSound three(encoding, 1, mono, {100, 200, -300});
        three.p->param1 = 2, three.p->param2 = 1000, three.p->param3 = 1, three.p->paramInt = 1;
        three.p->runSlot(Slot::biquadFilter, biquadLowShelf);
        BiquadState s;
        biquadCoefficients(&s, biquadLowShelf, 2, 1000, 1, 8000, 1, nullptr);
        const f64 y = s.b0 * -300 + s.b1 * 200 + s.b2 * 100 - s.a2 * 100 - s.a1 * 200;
        EXPECT_EQ(std::vector<f64>({7, 100, 200, filtered(encoding, y), 7}), three.sound.samples());
        EXPECT_EQ(2u, three.owner.events.size());
    }
}

// Two passes: the first two frames stay, and the rest has passed two identical sections.
TEST(BiquadFilter, PassesFormACascade) {
    std::vector<f64> input = {0.5, -1.25, 3, 8, -2, 100.75, 64, 0};
    TestSound s(encodingDouble, 1, input);
    auto p = bindProcessor(s, 0, 8);
    p->param1 = 1, p->param2 = 700, p->param3 = 0.7;
    setFilterPasses(*p, 2);
    p->runSlot(Slot::biquadFilter, biquadBandPass);
    std::vector<f64> want = input;
    for (int pass = 0; pass < 2; ++pass) {
        BiquadState st;
        biquadCoefficients(&st, biquadBandPass, 1, 700, 0.7, 8000, 1e10, nullptr);
        biquadPrime(st, want[0], want[1]);
        for (size_t i = 2; i < want.size(); ++i) want[i] = biquadStep(st, want[i]);
    }
    EXPECT_EQ(want, s.samples());
}

// An output beyond the type's peak limit sets the clip flag: 16 bits hold 32767, 32 bits keep the
// value past their limit of 1e9.
TEST(BiquadFilter, OutputsBeyondTheLimitSetTheClipFlag) {
    for (u32 encoding : {encodingInt16, encodingInt32}) {
        std::vector<f64> input(20, encoding == encodingInt16 ? 30000 : 3e8);
        input[0] = input[1] = 0;
        TestSound s(encoding, 1, input);
        auto p = bindProcessor(s, 0, 20);
        p->param1 = 4, p->param2 = 500, p->param3 = 1, p->paramInt = 1;
        p->runSlot(Slot::biquadFilter, biquadLowShelf);  // gain 4: a step of 30000 rises past 60000
        EXPECT_EQ(clippedFlag, p->flags);
        const f64 last = s.samples()[19];

        if (encoding == encodingInt16) EXPECT_EQ(32767, last);
        else EXPECT_GT(last, 1e9);
    }
}

namespace {
// Amplitude of the sine of frequency f in samples [from, to) at 44100 Hz.
f64 amplitudeAt(const std::vector<f64>& x, f64 f, size_t from, size_t to) {
    f64 re = 0, im = 0;
    for (size_t i = from; i < to; ++i) {
        re += x[i] * std::cos(2 * pi * f * i / 44100);
        im += x[i] * std::sin(2 * pi * f * i / 44100);
    }
    return 2 * std::hypot(re, im) / (f64)(to - from);
}

// |H| of a section at frequency f.
f64 response(const BiquadState& s, f64 f, f64 rate) {
    const f64 w = 2 * pi * f / rate;
    const f64 nr = s.b0 + s.b1 * std::cos(w) + s.b2 * std::cos(2 * w), ni = -s.b1 * std::sin(w) - s.b2 * std::sin(2 * w);
    const f64 dr = 1 + s.a1 * std::cos(w) + s.a2 * std::cos(2 * w), di = -s.a1 * std::sin(w) - s.a2 * std::sin(2 * w);
    return std::hypot(nr, ni) / std::hypot(dr, di);
}
}  // namespace

// REMOVE_HUM over a 50 Hz hum with a 1000 Hz tone: once settled, the hum falls by the notch's
// response at 50 Hz (all of it) and the tone keeps its level.
TEST(BiquadFilter, RemoveHumTakesOutTheHumAndKeepsTheTone) {
    const size_t n = 3 * 44100;
    std::vector<f64> input(n);
    for (size_t i = 0; i < n; ++i)
        input[i] = std::floor(8000 * std::sin(2 * pi * 50 * i / 44100) + 5000 * std::sin(2 * pi * 1000 * i / 44100));
    TestSound s(encodingInt32, 1, input);
    auto p = bindProcessor(s, 0, n);
    p->sampleRate = 44100;
    ASSERT_TRUE(setBiquadPreset(*p, 595));
    SlotCall call;
    ASSERT_TRUE(slotForAction(595, &call));
    p->runSlot(call.slot, call.argument);
    std::vector<f64> got = s.samples();
    BiquadState notch;
    biquadCoefficients(&notch, biquadNotch, 0, 50, 1.0 / 6, 44100, 1, nullptr);
    EXPECT_LT(response(notch, 50, 44100), 1e-9);
    EXPECT_NEAR(1.0, response(notch, 1000, 44100), 1e-3);
    const size_t from = 2 * 44100, to = 3 * 44100;  // whole periods of both
    EXPECT_NEAR(8000, amplitudeAt(input, 50, from, to), 1);
    EXPECT_LT(amplitudeAt(got, 50, from, to), 8);
    EXPECT_NEAR(5000 * response(notch, 1000, 44100), amplitudeAt(got, 1000, from, to), 2);
}

TEST(BiquadFilter, PresetsOfTheNoiseRemovals) {
    TestSound s(encodingInt16, 1, std::vector<f64>(10, 0));
    auto p = bindProcessor(s, 0, 10);
    for (u32 id : {596u, 597u, 598u}) {
        ASSERT_TRUE(setBiquadPreset(*p, id));
        EXPECT_EQ(0.1, p->param1);
        EXPECT_EQ(id == 596 ? 3000.0 : id == 597 ? 5000.0 : 7000.0, p->param2);
        EXPECT_EQ(1.0, p->param3);
        EXPECT_EQ(1u, p->paramInt);
        SlotCall call;
        ASSERT_TRUE(slotForAction(id, &call));
        EXPECT_EQ(biquadHighShelf, call.argument);
    }
    EXPECT_FALSE(setBiquadPreset(*p, 524));
}
