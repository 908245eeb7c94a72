#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/page_walk.h"
#include "engine/processor.h"
#include "tests/engine/engine_fixture.h"

namespace {

// One operation on a small range of each type: the input frames, the expected result (common to all
// types unless a type has its own), and whether the 16-bit form clips.
struct OpCase {
    const char* name;
    Slot slot;
    f64 param;
    u32 channels;
    std::vector<u8> mask;
    std::vector<f64> input;
    std::vector<f64> expected;
    std::vector<f64> int16 = {}, int32 = {}, floating = {}, dbl = {};
    bool clipped16 = false;
};

const std::vector<u8> all1 = {1}, all2 = {1, 1}, left = {1, 0}, none2 = {0, 0}, second3 = {0, 1, 0};

std::vector<OpCase> opCases() {
    const f64 k = keep;
    return {
        {"amplify 2 clips in 16 bits", Slot::amplify, 2.0, 1, all1, {20000, -20000, 3}, {40000, -40000, 6},
         {32767, -32767, 6}, {}, {}, {}, true},
        {"amplify 0.5 rounds half up", Slot::amplify, 0.5, 1, all1, {3, -3, -5, 5}, {2, -1, -2, 3}},
        {"amplify the second of three tracks", Slot::amplify, 2.0, 3, second3, {1, 2, 3, 4, 5, 6},
         {k, 4, k, k, 10, k}},
        {"assign truncates toward zero", Slot::assign, -1.7, 1, all1, {5, 6}, {-1, -1}, {}, {}, {(f32)-1.7, (f32)-1.7},
         {-1.7, -1.7}},
        {"assign keeps the low 16 bits", Slot::assign, 40000.9, 1, all1, {5}, {40000}, {-25536}, {}, {(f32)40000.9},
         {40000.9}},
        {"add 0.4 rounds", Slot::add, 0.4, 1, all1, {5, -5, 1.7}, {5, -5, 1}, {}, {}, {5, -5, 2}, {5, -5, 2}},
        {"add 0.5 rounds half up", Slot::add, 0.5, 1, all1, {-1, 1}, {0, 2}},
        {"add clips in 16 bits", Slot::add, 40000, 2, left, {1000, 1000}, {41000, k}, {32767, k}, {}, {}, {}, true},
        {"invert keeps -32768 in 16 bits", Slot::invert, 0, 1, all1, {-32768, 32767, 0, 5}, {32768, -32767, 0, -5},
         {-32768, -32767, 0, -5}},
        {"invert the second of three tracks", Slot::invert, 0, 3, second3, {1, 2, 3, 4, 5, 6}, {k, -2, k, k, -5, k}},
        {"changeMaxVolume counts the selected tracks only", Slot::changeMaxVolume, 16000, 2, left,
         {8000, 30000, -4000, 5, 2, -30000}, {16000, k, -8000, k, 4, k}},
        {"changeMaxVolume leaves silence alone", Slot::changeMaxVolume, 16000, 1, all1, {0, 0, 0}, {0, 0, 0}},
        {"center", Slot::center, 0, 1, all1, {1, 2, 3, 4}, {-1, 0, 1, 2}},
        {"center a selected track", Slot::center, 0, 2, left, {1, 10, 2, 20, 3, 30, 6, 40}, {-2, k, -1, k, 0, k, 3, k}},
        {"zero without a selected track", Slot::zero, 0, 2, none2, {1, 2, 3, 4}, {k, k, k, k}},
        {"zero the second of three tracks", Slot::zero, 0, 3, second3, {1, 2, 3, 4, 5, 6}, {k, 0, k, k, 0, k}},
        {"mirror mono", Slot::mirror, 0, 1, all1, {1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}},
        {"mirror the left track", Slot::mirror, 0, 2, left, {1, 10, 2, 20, 3, 30}, {3, 10, 2, 20, 1, 30}},
        {"mirror both tracks", Slot::mirror, 0, 2, all2, {1, 10, 2, 20, 3, 30}, {3, 30, 2, 20, 1, 10}},
    };
}

const std::vector<f64>& expectedFor(const OpCase& c, u32 encoding) {
    const std::vector<f64>* own = encoding == encodingInt16   ? &c.int16
                                  : encoding == encodingInt32 ? &c.int32
                                  : encoding == encodingFloat ? &c.floating
                                                              : &c.dbl;
    return own->empty() ? c.expected : *own;
}

// The samples of `input` as the type stores them.
std::vector<f64> stored(u32 encoding, const std::vector<f64>& input) {
    return sampleValues(encoding, sampleBytes(encoding, input));
}
}  // namespace

TEST(LevelOperations, ResultsOfEachOperationInEachType) {
    for (const OpCase& c : opCases()) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << encodingName(encoding));
            // One frame of 7s before and after the range must stay as it is.
            std::vector<f64> sound(c.channels, 7.0);
            sound.insert(sound.end(), c.input.begin(), c.input.end());
            sound.insert(sound.end(), c.channels, 7.0);
            TestSound s(encoding, c.channels, sound);
            s.select(c.mask);
            u64 frames = c.input.size() / c.channels;
            auto p = bindProcessor(s, 1, 1 + frames);
            p->param1 = c.param;
            p->runSlot(c.slot);

            std::vector<f64> want = stored(encoding, sound);
            const std::vector<f64>& result = expectedFor(c, encoding);
            std::vector<f64> input = stored(encoding, c.input);
            for (size_t i = 0; i < result.size(); ++i) want[c.channels + i] = result[i] == keep ? input[i] : result[i];
            EXPECT_EQ(want, s.samples());
            bool clips = encoding == encodingInt16 && c.clipped16;
            EXPECT_EQ(clips ? clippedFlag : 0u, p->flags & clippedFlag);
        }
    }
}

TEST(LevelOperations, ChangeMaxVolumeLeavesTheFactorItApplied) {
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        TestSound s(encoding, 1, {8192, -4096, 100});
        auto p = bindProcessor(s, 0, 3);
        p->param1 = 16384;
        p->changeMaxVolume();
        EXPECT_EQ(2.0, p->param1);
        EXPECT_EQ(std::vector<f64>({16384, -8192, 200}), s.samples());
    }
}

TEST(LevelOperations, OwnerIsToldOfTheChangeBeforeAnySampleIsWritten) {
    const Slot slots[] = {Slot::zero,   Slot::amplify, Slot::changeMaxVolume, Slot::assign,
                          Slot::add,    Slot::mirror,  Slot::invert,          Slot::center};
    for (Slot slot : slots) {
        SCOPED_TRACE((u32)slot);
        // The right track is copied by every operation, so any early write would show in it.
        TestSound s(encodingInt16, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        s.select(left);
        RecordingOwner owner(&s);
        auto p = bindProcessor(s, 1, 4, 0, &owner);
        GCommonObject record;
        p->undoRecord = &record;
        p->param1 = 3;
        p->runSlot(slot);
        u64 at = s.at(1), length = 3 * s.frameBytes();
        EXPECT_EQ(std::vector<std::string>({"range " + std::to_string(at) + " " + std::to_string(length) + " " +
                                                std::to_string(length),
                                            "finished"}),
                  owner.events);
        EXPECT_EQ(std::vector<GCommonObject*>({&record}), owner.records);
        ASSERT_EQ(1u, owner.newBytesAtNotice.size());
        EXPECT_EQ(std::vector<u8>(length, 0), owner.newBytesAtNotice[0]);
        EXPECT_EQ(std::vector<f64>({2, 4, 6, 8}), std::vector<f64>({s.samples()[1], s.samples()[3],
                                                                     s.samples()[5], s.samples()[7]}));
        ASSERT_TRUE(owner.changes[0]);
    }
}

TEST(LevelOperations, EmptyRangeStillNotifiesAndWritesNothing) {
    TestSound s(encodingInt16, 1, {1, 2, 3});
    RecordingOwner owner(&s);
    auto p = bindProcessor(s, 1, 1, 4, &owner);
    p->param1 = 2;
    p->amplify();
    EXPECT_EQ(std::vector<std::string>({"range " + std::to_string(s.at(1)) + " 0 0", "finished"}), owner.events);
    EXPECT_EQ(std::vector<f64>({1, 2, 3}), s.samples());
}

namespace {
// A reference of the sound as numbers, edited like the store.
std::vector<f64> patternSamples(u32 frames, u32 channels) {
    std::vector<f64> v(frames * channels);
    for (size_t i = 0; i < v.size(); ++i) v[i] = (f64)((i * 37) % 20000) - 10000.0;
    return v;
}

void mirrorReference(std::vector<f64>& v, u32 channels, const std::vector<u8>& mask, u64 from, u64 to) {
    std::vector<f64> old(v);
    for (u64 k = from; k < to; ++k) {
        u64 source = from + (to - 1 - k);
        for (u32 c = 0; c < channels; ++c) {
            if (mask[c]) v[k * channels + c] = old[source * channels + c];
        }
    }
}

void invertReference(std::vector<f64>& v, u32 channels, u64 from, u64 to) {
    for (u64 i = from * channels; i < to * channels; ++i) v[i] = -v[i];
}
}  // namespace

// Mirror and invert over a sound whose range runs through source and work segments and many pages,
// and inside one work segment (changed in place); every change undone and redone.
TEST(LevelOperations, MirrorAndInvertAcrossSegmentsUndoneAndRedone) {
    const u32 frames = 30000, channels = 2;
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        std::vector<f64> reference = patternSamples(frames, channels);
        TestSound s(encoding, channels, reference);
        const std::vector<f64> original = s.samples();
        RecordingOwner owner(&s);
        auto run = [&](Slot slot, u64 from, u64 to, const std::vector<u8>& mask) {
            s.select(mask);
            auto p = bindProcessor(s, from, to, 0, &owner);
            p->runSlot(slot);
            if (slot == Slot::mirror) mirrorReference(reference, channels, mask, from, to);
            else invertReference(reference, channels, from, to);
            ASSERT_EQ(reference, s.samples()) << "after slot " << (u32)slot << " over " << from << ".." << to;
        };
        run(Slot::invert, 5000, 9000, all2);
        run(Slot::invert, 15000, 17000, all2);
        run(Slot::mirror, 5500, 8500, all2);  // inside the first work segment: in place
        run(Slot::mirror, 6000, 6003, left);
        run(Slot::mirror, 3000, 20000, all2);  // through source and work segments
        run(Slot::mirror, 1, 29999, left);
        run(Slot::invert, 0, frames, all2);
        const std::vector<f64> edited = s.samples();
        ASSERT_EQ(7u, owner.changes.size());
        owner.undoAll();
        EXPECT_EQ(original, s.samples());
        owner.redoAll();
        EXPECT_EQ(edited, s.samples());
    }
}

TEST(LevelOperations, CancelLeavesTheWholeRangeWritten) {
    const u32 frames = 40000;
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        std::vector<f64> input = patternSamples(frames, 1);
        for (Slot slot : {Slot::amplify, Slot::mirror, Slot::changeMaxVolume, Slot::center}) {
            SCOPED_TRACE((u32)slot);
            TestSound s(encoding, 1, input);
            auto p = bindProcessor(s, 10, frames - 10);
            CancellingProgress progress(2);
            progress.setTotal(p->rangeLength * 2);
            p->progress = &progress;
            p->param1 = slot == Slot::changeMaxVolume ? 5000 : 3;
            p->runSlot(slot);
            EXPECT_TRUE(progress.isCancelled());
            std::vector<f64> result = s.samples();
            for (u64 i = 0; i < 10; ++i) {
                ASSERT_EQ(input[i], result[i]);
                ASSERT_EQ(input[frames - 1 - i], result[frames - 1 - i]);
            }
            if (slot == Slot::mirror) {
                for (u64 i = 10; i < frames - 10; ++i) ASSERT_EQ(input[frames - 1 - i], result[i]) << i;
                continue;
            }
            if (slot == Slot::center) {
                // One mean, from the part read, taken from every sample.
                f64 shift = result[10] - input[10];
                EXPECT_NE(0.0, shift);
                for (u64 i = 10; i < frames - 10; ++i) ASSERT_EQ(shift, result[i] - input[i]) << i;
                continue;
            }
            // One factor for the whole range: param1, or the one derived from the part read.
            f64 factor = p->param1;
            if (slot == Slot::changeMaxVolume) {
                EXPECT_NE(5000.0 / 10000.0, factor);
            }
            for (u64 i = 10; i < frames - 10; ++i) ASSERT_EQ(std::floor(input[i] * factor + 0.5), result[i]) << i;
        }
    }
}

// An owner that undoes a stopped run has nothing written after the Stop: the walk ends there and
// the undo gives the old samples back.
TEST(LevelOperations, AStopOfARunItsOwnerRollsBackEndsTheWalk) {
    const u32 frames = 400000;
    std::vector<f64> input = patternSamples(frames, 1);
    for (Slot slot : {Slot::amplify, Slot::invert}) {
        SCOPED_TRACE((u32)slot);
        TestSound s(encodingInt16, 1, input);
        RecordingOwner owner(&s);
        auto p = bindProcessor(s, 10, frames - 10, 0, &owner);
        p->ownerRollsBackStops = true;
        CancellingProgress progress(2);
        progress.setTotal(p->rangeLength);
        p->progress = &progress;
        p->param1 = 3;
        p->runSlot(slot);
        EXPECT_TRUE(progress.isCancelled());
        EXPECT_LT(progress.reports, 6u);
        owner.undoAll();
        EXPECT_EQ(input, s.samples());
    }
}

// A walk whose writer carries the progress ends on a cancel; the rest of the new bytes are then
// the old ones, never left unwritten.
TEST(LevelOperations, AWalkEndedEarlyFillsTheRestWithTheOldBytes) {
    const u32 frames = 30000;
    std::vector<f64> input = patternSamples(frames, 1);
    TestSound s(encodingInt16, 1, input);
    auto p = bindProcessor(s, 100, frames - 100);
    CancellingProgress progress(2);
    RangeChange change = p->openChange(p->rangeStart, p->rangeEnd - p->rangeStart, p->rangeEnd - p->rangeStart);
    {
        PageWalk out(openBlockWriter, p->store, p->frameBytes, change.newCursor, change.newLength, &progress);
        while (out.next()) {
            for (i16* w = (i16*)out.begin; w < (i16*)out.end; ++w) *w = 12345;
        }
        ASSERT_FALSE(out.atEnd());
        out.writeBackBeforePage();
        p->fillRestWithOld(change, out.bytesBeforePage());
    }
    std::vector<f64> result = s.samples();
    u64 i = 100;
    while (i < frames - 100 && result[i] == 12345) ++i;
    EXPECT_GT(i, 100u);
    EXPECT_LT(i, frames - 100u);
    for (; i < frames; ++i) ASSERT_EQ(input[i], result[i]) << i;
}

// Walks in step where either side carries the progress: a cancel ends the loop only through the
// walk that ends it (here the writer), and the new bytes it did not reach keep the old ones.
TEST(LevelOperations, TheWalkThatEndsTheLoopDecidesWhatACancelStops) {
    const u32 frames = 30000;
    const std::vector<f64> input = patternSamples(frames, 1);
    for (bool writerCarries : {false, true}) {
        SCOPED_TRACE(writerCarries ? "the writer carries the progress" : "the reader carries the progress");
        TestSound s(encodingInt16, 1, input);
        auto p = bindProcessor(s, 100, frames - 100);
        CancellingProgress progress(2);
        progress.setTotal(p->rangeLength);
        RangeChange change = p->openSameLengthChange();
        {
            PageWalk in(openBlockReader, p->store, p->frameBytes, change.oldCursor, change.newLength,
                        writerCarries ? nullptr : &progress);
            PageWalk out(openBlockWriter, p->store, p->frameBytes, change, writerCarries ? &progress : nullptr);
            while (nextPages(out, {&in})) {
                const size_t n = std::min(in.left(), out.left()) / 2;
                const i16* r = (const i16*)in.take(2 * n);
                i16* w = (i16*)out.take(2 * n);
                for (size_t i = 0; i < n; ++i) w[i] = (i16)-r[i];
            }
            EXPECT_EQ(!writerCarries, out.atEnd());
            out.finish();
        }
        EXPECT_TRUE(progress.isCancelled());
        std::vector<f64> result = s.samples();
        u64 i = 100;
        while (i < frames - 100 && result[i] == -input[i]) ++i;
        if (writerCarries) {
            EXPECT_GT(i, 100u);
            EXPECT_LT(i, frames - 100u);
        } else {
            EXPECT_EQ(frames - 100u, i);
        }
        for (; i < frames; ++i) ASSERT_EQ(input[i], result[i]) << i;
    }
}

// The source file cut short under [source | work | source]: what cannot be read counts as silence
// in its own place, and the work part's results still land at its own positions.
TEST(LevelOperations, AnUnreadablePartOfTheSourceKeepsEverythingElseInPlace) {
    const u32 frames = 30000, readable = 10000, workFrom = 12000, workTo = 16000;
    std::vector<f64> reference = patternSamples(frames, 1);
    TestSound s(encodingInt16, 1, reference);
    auto first = bindProcessor(s, workFrom, workTo);
    first->invert();
    invertReference(reference, 1, workFrom, workTo);
    ASSERT_EQ(reference, s.samples());

    s.store.unlock();
    std::string file = s.dir.read("sound.raw");
    s.dir.write("sound.raw", file.substr(0, (size_t)(s.header + 2 * readable)));
    ASSERT_TRUE(s.store.lock(&s.handler));
    auto p = bindProcessor(s, 0, frames);
    p->param1 = 2;
    p->amplify();
    EXPECT_FALSE(s.handler.reports.empty());

    std::vector<f64> result = s.samples();
    for (u32 i = 0; i < frames; ++i) {
        f64 amplified = 2 * reference[i];
        if (i >= workFrom && i < workTo) ASSERT_EQ(amplified, result[i]) << i;
        else if (i < 8000) ASSERT_EQ(amplified, result[i]) << i;  // the first read succeeded
        else if (i >= readable) ASSERT_EQ(0.0, result[i]) << i;
        else ASSERT_TRUE(result[i] == amplified || result[i] == 0.0) << i;
    }
}

// The per-sample walk tells each selected sample its track and its frame in the range, across pages.
TEST(LevelOperations, WalkGivesEachSampleItsTrackAndFrame) {
    const u32 frames = 9000, channels = 3;
    TestSound s(encodingInt32, channels, std::vector<f64>(frames * channels, -1.0));
    s.select({1, 0, 1});
    auto p = bindProcessor(s, 10, frames);
    RangeChange change = p->openSameLengthChange();
    mapPlacedSamples<SampleInt32>(*p, change, [](i32, i32 c, u64 frame) { return (i32)(frame * 10 + c); });
    std::vector<f64> result = s.samples();
    for (u32 f = 0; f < frames; ++f) {
        for (u32 c = 0; c < channels; ++c) {
            f64 want = f < 10 || c == 1 ? -1.0 : (f64)((f - 10) * 10 + c);
            ASSERT_EQ(want, result[f * channels + c]) << f << " " << c;
        }
    }
}

// A change whose new bytes the work file cannot take is refused by the store: the operation then
// changes nothing and tells the owner of no change.
TEST(LevelOperations, AChangeTheStoreRefusesChangesNothing) {
    const u32 frames = 400;
    const std::vector<f64> input = patternSamples(frames, 1);
    for (Slot slot : {Slot::zero, Slot::amplify, Slot::assign, Slot::invert}) {
        SCOPED_TRACE((u32)slot);
        TestSound s(encodingInt16, 1, input);
        RecordingOwner owner(&s);
        auto p = bindProcessor(s, 50, 350, 20, &owner);
        p->param1 = 3;
        fileCloseQuietly(s.store.workFile);  // it can no longer grow
        p->runSlot(slot);
        for (const std::string& e : owner.events) EXPECT_EQ(e.find("range"), std::string::npos) << e;
        EXPECT_EQ(s.samples(), input);
    }
}
