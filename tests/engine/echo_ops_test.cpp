#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/biquad.h"
#include "engine/echo_reflections.h"
#include "engine/processor.h"
#include "tests/engine/engine_fixture.h"

namespace {

f64 rounded(u32 encoding, f64 x) {
    f64 y = std::floor(x + 0.5);
    if (encoding == encodingInt16) return std::max(-32767.0, std::min(32767.0, y));
    if (encoding == encodingFloat) return (f32)y;
    return y;
}

EchoReflection reflection(u32 delay, u32 spacing, f64 gain, f64 decay, u32 repeats, f64 shelfGain = 1.0) {
    EchoReflection r;
    r.delay = delay;
    r.spacing = spacing;
    r.gain = gain;
    r.decay = decay;
    r.repeats = repeats;
    r.shelfGain = shelfGain;
    return r;
}

EchoReflectionList* listOf(const std::vector<EchoReflection>& reflections) {
    EchoReflectionList* list = new EchoReflectionList;
    list->reflections = reflections;
    return list;
}

// The echo sample by sample over the old samples: every repetition a tap with its own shelf per
// selected track, the taps added in delay order. Unselected tracks are copied.
std::vector<f64> echoModel(const std::vector<f64>& x, u32 channels, const std::vector<u8>& mask,
                           const std::vector<EchoReflection>& reflections, u32 rate, u32 encoding) {
    struct Tap {
        u64 delay;
        f64 gain;
        const EchoReflection* r;
    };
    std::vector<Tap> taps;
    for (const EchoReflection& r : reflections)
        for (u32 j = 0; j < r.repeats; ++j)
            taps.push_back({r.delay + (u64)j * r.spacing, r.gain * std::pow(r.decay, j), &r});
    std::stable_sort(taps.begin(), taps.end(), [](const Tap& a, const Tap& b) { return a.delay < b.delay; });
    std::vector<f64> out = x;
    const size_t frames = x.size() / channels;
    for (u32 c = 0; c < channels; ++c) {
        if (!mask[c]) continue;
        std::vector<BiquadState> shelves(taps.size());
        for (size_t t = 0; t < taps.size(); ++t)
            biquadCoefficients(&shelves[t], biquadLowShelf, taps[t].r->shelfGain, taps[t].r->shelfFrequency,
                               taps[t].r->shelfSlope, rate, 32767.0, nullptr);
        for (size_t f = 0; f < frames; ++f) {
            f64 acc = x[f * channels + c];
            for (size_t t = 0; t < taps.size(); ++t) {
                f64 v = f >= taps[t].delay ? x[(f - taps[t].delay) * channels + c] * taps[t].gain : 0.0;
                acc += biquadStep(shelves[t], v);
            }
            out[f * channels + c] = rounded(encoding, acc);
        }
    }
    return out;
}

// Samples that change from one to the next, within +-amplitude.
std::vector<f64> noise(size_t n, f64 amplitude, u32 seed) {
    std::vector<f64> v(n);
    u32 s = seed;
    for (size_t i = 0; i < n; ++i) {
        s = s * 1103515245u + 12345u;
        v[i] = std::floor(((f64)(s >> 8) / 16777216.0 * 2.0 - 1.0) * amplitude);
    }
    return v;
}

std::vector<f64> impulse(size_t frames, u32 channels, std::vector<f64> first) {
    std::vector<f64> v(frames * channels, 0.0);
    std::copy(first.begin(), first.end(), v.begin());
    return v;
}

struct EchoCase {
    const char* name;
    u32 channels;
    std::vector<u8> mask;
    std::vector<f64> input;
    std::vector<EchoReflection> reflections;
};

std::vector<EchoCase> echoCases() {
    return {
        {"flat single repeat: x[n] + 0.5 x[n-100]", 1, {1}, noise(300, 10000, 1), {reflection(100, 0, 0.5, 1.0, 1)}},
        {"impulse through shelved repeats", 2, {1, 1}, impulse(40, 2, {10000, -8000}),
         {reflection(7, 5, 0.6, 0.5, 4, 0.3)}},
        {"only the right track selected", 2, {0, 1}, noise(600, 12000, 2), {reflection(30, 40, 0.5, 0.7, 5, 0.2)}},
        {"the k-th selected track keeps its own shelf history", 3, {1, 0, 1}, noise(900, 9000, 3),
         {reflection(11, 13, 0.4, 0.9, 6, 0.25)}},
        {"equal delays both count; a reflection without repeats only sets the shortest delay", 1, {1},
         noise(400, 9000, 4),
         {reflection(50, 10, 0.3, 0.5, 3), reflection(3, 0, 0.9, 0.9, 0), reflection(50, 20, 0.2, 0.5, 2, 0.5)}},
        {"many pages and a repeat past the range", 2, {1, 1}, noise(2 * 20000, 8000, 5),
         {reflection(700, 2900, 0.5, 0.8, 9, 0.4), reflection(1200, 1200, 0.25, 0.5, 3)}},
    };
}
}  // namespace

TEST(EchoOperation, TapsAddShelvedRepetitionsOfTheOldRange) {
    for (const EchoCase& c : echoCases()) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << encodingName(encoding));
            FramedRangeSound f(encoding, c.channels, c.mask, c.input);
            const std::vector<f64> before = f.sound.samples();
            const std::vector<f64> in(before.begin() + c.channels, before.end() - c.channels);
            f.p->setAuxObject(listOf(c.reflections));
            f.p->runSlot(Slot::echo);

            std::vector<f64> want = before;
            std::vector<f64> echoed = echoModel(in, c.channels, c.mask, c.reflections, 8000, encoding);
            std::copy(echoed.begin(), echoed.end(), want.begin() + c.channels);
            EXPECT_EQ(want, f.sound.samples());
            EXPECT_EQ(0u, f.p->flags);
            const u64 bytes = in.size() * bytesPerSampleOf(encoding);
            const std::string range = "range " + std::to_string(f.sound.at(1)) + " " + std::to_string(bytes) + " " +
                                      std::to_string(bytes);
            EXPECT_EQ((std::vector<std::string>{range, "finished"}), f.owner.events);
            f.owner.undoAll();
            EXPECT_EQ(before, f.sound.samples()) << "undo";
        }
    }
}

TEST(EchoOperation, AnImpulseComesBackAtEachDelayThroughTheShelf) {
    // A flat shelf gives the gains themselves at 2 x delay samples (frame delay of track 0); a shelf
    // of gain 0.25 gives its impulse response from there, until the next repetition starts.
    for (f64 shelfGain : {1.0, 0.25}) {
        SCOPED_TRACE(shelfGain);
        TestSound s(encodingDouble, 2, impulse(60, 2, {1000, 0}));
        auto p = bindProcessor(s, 0, 60);
        p->setAuxObject(listOf({reflection(10, 20, 0.5, 0.5, 3, shelfGain)}));
        p->runSlot(Slot::echo);
        std::vector<f64> out = s.samples();
        EXPECT_EQ(1000.0, out[0]);
        for (u32 frame = 0; frame < 60; ++frame) EXPECT_EQ(0.0, out[2 * frame + 1]) << "a silent track stays silent";
        if (shelfGain == 1.0) {
            for (u32 frame = 1; frame < 60; ++frame) {
                const f64 want = frame == 10 ? 500 : frame == 30 ? 250 : frame == 50 ? 125 : 0;
                EXPECT_EQ(want, out[2 * frame]) << frame;
            }
        } else {
            BiquadState shelf;
            biquadCoefficients(&shelf, biquadLowShelf, 0.25, 500.0, 1.5, 8000, 32767.0, nullptr);
            for (u32 frame = 10; frame < 30; ++frame)
                EXPECT_EQ(std::floor(biquadStep(shelf, frame == 10 ? 500.0 : 0.0) + 0.5), out[2 * frame]) << frame;
            EXPECT_NE(0.0, out[2 * 11]) << "the shelf rings on";
        }
    }
}

TEST(EchoOperation, NothingHappensWithoutReflectionsOrWithARangeShorterThanTheShortestDelay) {
    struct Case {
        const char* name;
        u32 frames;
        EchoReflectionList* list;
        u32 flags;
        bool changed;  // a change is made that leaves the samples as they were
    } cases[] = {
        {"no reflection", 2000, listOf({}), 0, false},
        {"150 ms with the weak echo of 200 ms", 1200, echoPreset(actionEchoWeak, 8000), shortRangeFlag, false},
        {"a range as long as the delay", 1600, echoPreset(actionEchoWeak, 8000), shortRangeFlag, false},
        {"a reflection without repeats counts for the shortest delay", 60,
         listOf({reflection(80, 0, 0.5, 0.5, 1), reflection(3, 0, 0.5, 0.5, 0)}), 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FramedRangeSound f(encodingInt16, 1, {1}, noise(c.frames, 5000, 6));
        const std::vector<f64> before = f.sound.samples();
        f.p->setAuxObject(c.list);
        f.p->runSlot(Slot::echo);
        EXPECT_EQ(c.flags, f.p->flags);
        EXPECT_EQ(before, f.sound.samples());
        EXPECT_EQ(c.changed ? 2u : 0u, f.owner.events.size());
    }
}

TEST(EchoOperation, StrongEchoOfAFullScaleToneClipsIn16Bits) {
    // A square wave of 16 frames: the repetitions at 200 ms (1600 frames) fall in phase.
    std::vector<f64> tone(16000);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = (i / 8) % 2 ? -32767.0 : 32767.0;
    for (u32 encoding : {encodingInt16, encodingInt32}) {
        SCOPED_TRACE(encodingName(encoding));
        TestSound s(encoding, 1, tone);
        auto p = bindProcessor(s, 0, 16000);
        p->setAuxObject(echoPreset(actionEchoStrong, 8000));
        p->runSlot(Slot::echo);
        std::vector<f64> out = s.samples();
        if (encoding == encodingInt16) {
            EXPECT_EQ(clippedFlag, p->flags);
            for (size_t i = 1600; i < out.size(); ++i) ASSERT_EQ(tone[i], out[i]) << i;
        } else {
            EXPECT_EQ(0u, p->flags);
            EXPECT_EQ(std::floor(32767 * 1.4 + 0.5), out[1600]);
        }
    }
}

// The old range lies in two files: its first half in the sound's source file, its second half
// rewritten into the work file, where it starts at the same file position as the first half. The
// repetition's reader follows the direct reader exactly as many bytes behind as the halves are apart,
// so both read the same positions of different files at the same moments.
TEST(EchoOperation, RepetitionsReadTheirOwnFileWhereTheRangeSpansSegments) {
    const u64 header = 48;  // a whole number of frames of every type
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        const u32 frames = 24000, half = 12000;
        TestSound s(encoding, 1, noise(frames, 10000, 7), header);
        const u32 bytes = bytesPerSampleOf(encoding);
        SegmentCursor oldAt, newAt;
        ASSERT_TRUE(s.store.beginChange(&oldAt, s.at(half), (u64)half * bytes, (u64)half * bytes, &newAt));
        std::vector<u8> rewritten = sampleBytes(encoding, noise(half, 10000, 8));
        s.store.writeRange(newAt, rewritten.size(), rewritten.data());
        delete s.store.takePendingChange();
        const i64 workStart = s.store.findSegment(s.at(half)).segment->start;
        ASSERT_EQ(0, (i64)(header - workStart) % (i64)bytes);
        const u32 delay = half + (u32)((i64)(header - workStart) / (i64)bytes);

        const std::vector<f64> before = s.samples();
        const std::vector<EchoReflection> reflections = {reflection(delay, 0, 0.5, 1.0, 1)};
        auto p = bindProcessor(s, 0, frames);
        p->setAuxObject(listOf(reflections));
        p->runSlot(Slot::echo);
        EXPECT_EQ(echoModel(before, 1, {1}, reflections, 8000, encoding), s.samples());
    }
}

TEST(EchoOperation, ACancelledEchoLeavesTheOldSamplesInTheRestOfTheRange) {
    const u32 frames = 40000;
    const std::vector<f64> input = noise(frames, 10000, 9);
    const std::vector<EchoReflection> reflections = {reflection(100, 100, 0.5, 0.5, 3)};
    TestSound s(encodingInt16, 1, input);
    RecordingOwner owner(&s);
    auto p = bindProcessor(s, 0, frames, 0, &owner);
    CancellingProgress progress(2);
    progress.setTotal(p->rangeLength);
    p->progress = &progress;
    p->setAuxObject(listOf(reflections));
    p->runSlot(Slot::echo);

    const std::vector<f64> echoed = echoModel(input, 1, {1}, reflections, 8000, encodingInt16);
    const std::vector<f64> out = s.samples();
    ASSERT_TRUE(progress.isCancelled());
    size_t done = 0;
    while (done < frames && out[done] == echoed[done]) ++done;
    EXPECT_GT(done, 100u) << "the echo was written up to the cancel";
    EXPECT_LT(done, frames - 1000u) << "the cancel ended the walk";
    for (size_t i = done; i < frames; ++i) ASSERT_EQ(input[i], out[i]) << "the old sample, not an unwritten: " << i;
    owner.undoAll();
    EXPECT_EQ(input, s.samples());
}

TEST(EchoReflections, PresetsAndTheDialogEcho) {
    struct Case {
        u32 action;
        u32 delay, spacing;
        f64 gain, decay;
        u32 repeats;
        f64 shelfGain;
    } cases[] = {
        {actionEchoWeak, 8820, 8820, 0.1, 0.1, 1, 0.1},    {actionEchoMedium, 8820, 8820, 0.2, 0.4, 2, 1.0},
        {actionEchoStrong, 8820, 8820, 0.4, 0.4, 10, 1.0}, {actionReverWeak, 2646, 2646, 0.1, 0.1, 1, 0.1},
        {actionReverMedium, 2205, 6615, 0.5, 0.3, 2, 1.0}, {actionReverStrong, 2205, 4410, 0.7, 0.5, 3, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        std::unique_ptr<EchoReflectionList> list(echoPreset(c.action, 44100));
        ASSERT_TRUE(list);
        ASSERT_EQ(1u, list->reflections.size());
        const EchoReflection& r = list->reflections[0];
        EXPECT_EQ(c.delay, r.delay);
        EXPECT_EQ(c.spacing, r.spacing);
        EXPECT_EQ(c.gain, r.gain);
        EXPECT_EQ(c.decay, r.decay);
        EXPECT_EQ(c.repeats, r.repeats);
        EXPECT_EQ(c.shelfGain, r.shelfGain);
        EXPECT_EQ(500.0, r.shelfFrequency);
        EXPECT_EQ(1.5, r.shelfSlope);
    }
    EXPECT_EQ(nullptr, echoPreset(503, 44100)) << "the dialogs' actions have no preset";
    EXPECT_EQ(1323u, framesOfMilliseconds(30, 44100));
    EXPECT_EQ(0u, framesOfMilliseconds(3, 300)) << "rounded down";

    // 1000 samples at 22050 Hz are 45 ms (rounded down from 45.35), 1984 frames at 44100 Hz.
    EchoReflection d = dialogEcho(1000, 2205, 22050, 0.6, 0.5, 10, 25.0, 800, 44100);
    EXPECT_EQ(1984u, d.delay);
    EXPECT_EQ(4410u, d.spacing);
    EXPECT_EQ(0.75, d.shelfGain);
    EXPECT_EQ(800.0, d.shelfFrequency);
    EXPECT_EQ(10u, d.repeats);
}
