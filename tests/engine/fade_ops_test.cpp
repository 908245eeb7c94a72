#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/processor.h"
#include "tests/engine/engine_fixture.h"

namespace {

// What a type stores for an exact result: the truncated rule (integers toward zero, 16 bits keeping
// the low 16 bits; f32 converted) or the rounded one (floor(x + 0.5), 16 bits clipped).
f64 storedAs(u32 encoding, bool rounded, f64 x) {
    if (rounded) {
        f64 y = std::floor(x + 0.5);
        return encoding == encodingInt16 ? std::max(-32767.0, std::min(32767.0, y)) : y;
    }
    switch (encoding) {
    case encodingInt16: return (f64)(i16)(u16)(i64)std::trunc(x);
    case encodingInt32: return std::trunc(x);
    case encodingFloat: return (f64)(f32)x;
    default: return x;
    }
}

// One envelope over a small range: the input frames and the exact products g(i) x.
struct FadeCase {
    const char* name;
    Slot slot;
    f64 param;
    u32 channels;
    std::vector<u8> mask;
    std::vector<f64> input;
    std::vector<f64> exact;
    f64 paramAfter = keep;
};

const std::vector<u8> mono = {1}, both = {1, 1}, left = {1, 0};

// Undoing every change the owner took gives the input back; redoing them, the edited sound.
void expectUndoneAndRedone(RecordingOwner& owner, const std::vector<f64>& input, const std::vector<f64>& edited) {
    const u32 encoding = owner.sound->format.encoding;
    owner.undoAll();
    EXPECT_EQ(sampleValues(encoding, sampleBytes(encoding, input)), owner.sound->samples());
    owner.redoAll();
    EXPECT_EQ(edited, owner.sound->samples());
}

std::vector<FadeCase> fadeCases() {
    const f64 k = keep;
    return {
        {"prefading over 4 frames", Slot::prefading, 0, 1, mono, {1000, 1000, 1000, 1000}, {0, 250, 500, 750}},
        {"prefading keeps fractions in the float types", Slot::prefading, 0, 1, mono, {1000, 1000, 1000},
         {0, (1 * (1.0 / 3)) * 1000, (2 * (1.0 / 3)) * 1000}},
        {"fading over 4 frames", Slot::fading, 0, 1, mono, {1000, 1000, 1000, 1000}, {1000, 750, 500, 250}},
        {"fading truncates toward zero", Slot::fading, 0, 1, mono, {-999, -999, -999, -999},
         {-999, -749.25, -499.5, -249.75}},
        {"nlPrefading p = -1 over 3 frames", Slot::nlPrefading, -1, 1, mono, {1000, 1000, 1000}, {0, 250, 1000}},
        {"nlPrefading p = -1 over 5 frames", Slot::nlPrefading, -1, 1, mono, {1600, 1600, 1600, 1600, 1600},
         {0, 100, 400, 900, 1600}},
        {"nlFading p = -1 over 3 frames", Slot::nlFading, -1, 1, mono, {1000, 1000, 1000}, {1000, 250, 0}},
        {"nlFading p = -1 over 5 frames", Slot::nlFading, -1, 1, mono, {1600, 1600, 1600, 1600, 1600},
         {1600, 900, 400, 100, 0}},
        {"nlPrefading above full scale keeps the low 16 bits", Slot::nlPrefading, 1, 1, mono, {20000, 20000},
         {40000, 20000}},
        {"crescendo p = 1 clips in 16 bits", Slot::crescendo, 1, 1, mono, {20000, 20000, 20000},
         {20000, 30000, 40000}, 0.5},
        {"crescendo rounds half up, both tracks", Slot::crescendo, 1, 2, both, {3, -3, 3, -3, 3, -3},
         {3, -3, 4.5, -4.5, 6, -6}, 0.5},
        {"diminuendo p = -0.5", Slot::diminuendo, -0.5, 1, mono, {1001, 1001, 1001}, {1001, 750.75, 500.5}, -0.25},
        {"diminuendo truncates 3 x 0.75", Slot::diminuendo, -0.5, 1, mono, {3, 3, 3}, {3, 2.25, 1.5}, -0.25},
        {"prefading the left track", Slot::prefading, 0, 2, left, {1000, 7, 1000, 8, 1000, 9, 1000, 10},
         {0, k, 250, k, 500, k, 750, k}},
        // One frame: the gain of the curve's first frame.
        {"nlPrefading of one frame", Slot::nlPrefading, -0.5, 1, mono, {1000}, {500}},
        {"nlFading of one frame", Slot::nlFading, -0.5, 1, mono, {1000}, {1000}},
        {"crescendo of one frame", Slot::crescendo, 1, 1, mono, {1000}, {1000}, 1},
        {"diminuendo of one frame", Slot::diminuendo, -0.5, 1, mono, {1000}, {1000}, -0.5},
        {"prefading of one frame", Slot::prefading, 0, 1, mono, {1000}, {0}},
        {"fading of one frame", Slot::fading, 0, 1, mono, {1000}, {1000}},
    };
}
}  // namespace

TEST(FadeOperations, GainsOfEachEnvelopeInEachType) {
    for (const FadeCase& c : fadeCases()) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << encodingName(encoding));
            FramedRangeSound f(encoding, c.channels, c.mask, c.input);
            f.p->param1 = c.param;
            f.p->runSlot(c.slot);

            const bool rounded = c.slot == Slot::crescendo;
            bool clips = false;
            std::vector<f64> want = framedRange(c.input, c.channels);
            for (size_t i = 0; i < c.exact.size(); ++i) {
                if (c.exact[i] == keep) continue;
                want[c.channels + i] = storedAs(encoding, rounded, c.exact[i]);
                clips |= rounded && encoding == encodingInt16 && std::fabs(std::floor(c.exact[i] + 0.5)) > 32767;
            }
            EXPECT_EQ(want, f.sound.samples());
            EXPECT_EQ(clips ? clippedFlag : 0u, f.p->flags & clippedFlag);
            EXPECT_EQ(c.paramAfter == keep ? c.param : c.paramAfter, f.p->param1);
        }
    }
}

// Each envelope saves only the edge where its result meets the untouched sound at another level,
// and so blends that edge over the whole of a range shorter than two edges.
TEST(FadeOperations, EachEnvelopeBlendsOneEdge) {
    struct Case {
        Slot slot;
        f64 param;
        u64 from, to;
        bool start, end;
    } cases[] = {
        {Slot::prefading, 0, 40, 50, true, false},   {Slot::nlPrefading, -1, 40, 50, true, false},
        {Slot::fading, 0, 40, 50, false, true},      {Slot::nlFading, -1, 40, 50, false, true},
        {Slot::crescendo, 0.5, 40, 50, false, true}, {Slot::diminuendo, -0.5, 40, 50, false, true},
        {Slot::prefading, 0, 0, 10, false, false},   // a fade-in from the start of the sound
        {Slot::fading, 0, 990, 1000, false, false},  // a fade-out to its end
    };
    const i32 edge = 128;  // frames; every weight j / 128 is exact
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "slot " << (u32)c.slot << " over " << c.from << ".." << c.to);
        TestSound plain(encodingInt16, 1, std::vector<f64>(1000, 1024.0));
        auto q = bindProcessor(plain, c.from, c.to);
        q->param1 = c.param;
        q->runSlot(c.slot);
        const std::vector<f64> unblended = plain.samples(c.from, c.to);

        TestSound s(encodingInt16, 1, std::vector<f64>(1000, 1024.0));
        auto p = bindProcessor(s, c.from, c.to, edge);
        p->param1 = c.param;
        p->runSlot(c.slot);
        EXPECT_EQ(c.start, p->savedStartEdge.length != 0);
        EXPECT_EQ(c.end, p->savedEndEdge.length != 0);

        const u64 frames = c.to - c.from;
        std::vector<f64> want = unblended;
        for (u64 j = 0; j < frames; ++j) {
            if (c.start) {
                f64 w = j / (f64)edge;
                want[j] = std::trunc(1024.0 * (1 - w) + unblended[j] * w);
            } else if (c.end) {
                f64 w = (edge - frames + j) / (f64)edge;
                want[j] = std::trunc(unblended[j] * (1 - w) + 1024.0 * w);
            }
        }
        EXPECT_EQ(want, s.samples(c.from, c.to));
        EXPECT_EQ(std::vector<f64>(c.from, 1024.0), s.samples(0, c.from));
        EXPECT_EQ(std::vector<f64>(1000 - c.to, 1024.0), s.samples(c.to, 1000));
    }
}

// Three tracks of which the middle one is not selected, over many pages and a range that runs
// through source and work segments; the change is undone and redone.
TEST(FadeOperations, LongRangesFollowTheCurvesFrameByFrame) {
    const u64 frames = 30000, channels = 3;
    std::vector<f64> input(frames * channels);
    for (size_t i = 0; i < input.size(); ++i) input[i] = (f64)((i * 37) % 20000) - 10000.0;
    for (u32 encoding : {encodingInt16, encodingDouble}) {
        SCOPED_TRACE(encodingName(encoding));
        TestSound s(encoding, channels, input);
        s.select({1, 0, 1});
        RecordingOwner owner(&s);
        auto first = bindProcessor(s, 5000, 9000, 0, &owner);
        first->fading();  // puts a work segment into the range below

        std::vector<f64> want = s.samples();
        const u64 from = 3000, to = 27000, n = to - from;
        auto p = bindProcessor(s, from, to, 0, &owner);
        p->param1 = -0.75;
        p->nlFading();
        const f64 m = (f64)(n - 1), a = 0.75 / (m * m), b = 0.25;
        for (u64 i = 0; i < n; ++i) {
            f64 t = (f64)i - m, g = a * (t * t) + b;
            for (u64 c : {0, 2}) {
                f64& x = want[(from + i) * channels + c];
                x = storedAs(encoding, false, g * x);
            }
        }
        ASSERT_EQ(want, s.samples());
        expectUndoneAndRedone(owner, input, want);
    }
}

TEST(Crossfading, HalvesMixIntoOneAndTheSoundShortens) {
    struct Case {
        const char* name;
        u32 channels;
        std::vector<u8> mask;
        std::vector<f64> range;
        std::vector<f64> floats, integers;  // the mixed frames
    } cases[] = {
        {"into silence", 1, mono, {1000, 1000, 1000, 1000, 0, 0, 0, 0}, {1000, 750, 500, 250}, {1000, 750, 500, 250}},
        {"from 1 to 3", 1, mono, {1, 1, 1, 1, 3, 3, 3, 3}, {1, 1.5, 2, 2.5}, {1, 1, 2, 2}},
        {"the right track keeps the first half", 2, left, {8, 1, 8, 2, 0, 3, 0, 4}, {8, 1, 4, 2}, {8, 1, 4, 2}},
        {"an odd frame after the halves stays", 1, mono, {100, 100, 0, 0, 55}, {100, 50, 55}, {100, 50, 55}},
    };
    for (const Case& c : cases) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << encodingName(encoding));
            FramedRangeSound x(encoding, c.channels, c.mask, c.range);
            x.p->crossfading();
            bool integer = encoding == encodingInt16 || encoding == encodingInt32;
            EXPECT_EQ(framedRange(integer ? c.integers : c.floats, c.channels), x.sound.samples());

            const u64 frames = c.range.size() / c.channels, half = frames / 2 * x.sound.frameBytes();
            const u64 start = x.sound.at(1);
            const std::string change = std::to_string(start) + " " + std::to_string(2 * half) + " " +
                                       std::to_string(half);
            EXPECT_EQ(std::vector<std::string>({"range " + change, "finished"}), x.owner.events);
            EXPECT_EQ(start, x.p->extraPositions[newSelectionStart]);
            EXPECT_EQ(start + half, x.p->extraPositions[newSelectionEnd]);
            EXPECT_EQ(start + half, x.p->extraPositions[newCursor]);
            EXPECT_EQ(unsetPosition, x.p->extraPositions[showPosition]);
        }
    }
}

TEST(Crossfading, LongRangeAcrossSegmentsUndoneAndRedone) {
    const u64 frames = 40000;
    std::vector<f64> input(frames);
    for (u64 i = 0; i < frames; ++i) input[i] = (f64)((i * 53) % 30000) - 15000.0;
    for (u32 encoding : {encodingInt16, encodingFloat}) {
        SCOPED_TRACE(encodingName(encoding));
        TestSound s(encoding, 1, input);
        RecordingOwner owner(&s);
        auto first = bindProcessor(s, 15000, 16000, 0, &owner);
        first->invert();  // a work segment inside the range

        std::vector<f64> before = s.samples();
        const u64 from = 2000, n = 30000, half = n / 2;
        auto p = bindProcessor(s, from, from + n, 0, &owner);
        p->crossfading();
        std::vector<f64> want(before.begin(), before.begin() + from);
        const f64 step = 2.0 / (f64)n;
        for (u64 k = 0; k < half; ++k) {
            f64 w = (f64)k * step;
            want.push_back(storedAs(encoding, false, (1.0 - w) * before[from + k] + w * before[from + half + k]));
        }
        want.insert(want.end(), before.begin() + from + n, before.end());
        ASSERT_EQ(want, s.samples());
        expectUndoneAndRedone(owner, input, want);
    }
}

TEST(Crossfading, EmptyRangeChangesNothing) {
    FramedRangeSound x(encodingInt16, 1, mono, {});
    x.p->crossfading();
    EXPECT_EQ(std::vector<f64>({7, 7}), x.sound.samples());
    const std::string start = std::to_string(x.sound.at(1));
    EXPECT_EQ(std::vector<std::string>({"range " + start + " 0 0", "finished"}), x.owner.events);
}

// Every operation here tells the owner of its change before it writes a sample, and a cancel does
// not stop its walk: the whole range is written.
TEST(FadeOperations, AnnouncedBeforeWritingAndNotStoppedByACancel) {
    const Slot slots[] = {Slot::nlPrefading, Slot::nlFading,          Slot::prefading,
                          Slot::fading,      Slot::crossfading,       Slot::crescendo,
                          Slot::diminuendo,  Slot::pulsation,         Slot::pulsationPositive,
                          Slot::pulsationNegative, Slot::pulsationDissymetric, Slot::pulsationRandom};
    const u64 frames = 40000, from = 10, to = frames - 10;
    for (Slot slot : slots) {
        SCOPED_TRACE((u32)slot);
        // The right track is copied by every operation, so any early write would show in it.
        std::vector<f64> input(2 * frames);
        for (u64 i = 0; i < frames; ++i) {
            input[2 * i] = 1000;
            input[2 * i + 1] = (f64)(i % 1000);
        }
        TestSound s(encodingInt16, 2, input);
        s.select(left);
        RecordingOwner owner(&s);
        auto p = bindProcessor(s, from, to, 0, &owner);
        CancellingProgress progress(2);
        progress.setTotal(p->rangeLength);
        p->progress = &progress;
        p->param1 = -0.5;
        p->param2 = 0.5;
        p->periodFrames = 100;
        p->runSlot(slot);
        EXPECT_TRUE(progress.isCancelled());

        const u64 length = (to - from) * s.frameBytes();
        const u64 newLength = slot == Slot::crossfading ? length / 2 : length;
        ASSERT_EQ(2u, owner.events.size());
        EXPECT_EQ("range " + std::to_string(s.at(from)) + " " + std::to_string(length) + " " +
                      std::to_string(newLength),
                  owner.events[0]);
        EXPECT_EQ("finished", owner.events[1]);
        EXPECT_EQ(std::vector<u8>(newLength, 0), owner.newBytesAtNotice[0]);
        // The copied track shows that every frame of the new range was written.
        std::vector<f64> result = s.samples(from, from + newLength / s.frameBytes());
        for (u64 i = 0; i < result.size() / 2; ++i) ASSERT_EQ((f64)((from + i) % 1000), result[2 * i + 1]) << i;
    }
}
