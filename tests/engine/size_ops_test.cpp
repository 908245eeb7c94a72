#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/processor.h"
#include "engine/size_fields.h"
#include "tests/engine/engine_fixture.h"

namespace {

const i64 unset = -1;

struct Step {
    u64 at, removed, inserted;  // frames
};

// One length change of a mono sound: the range in frames (for setSize from the sound's end to the new
// end), the sound after it, the change steps announced and the selection and cursor left.
struct SizeCase {
    const char* name;
    Slot slot;
    u64 from, to;
    i32 edgeFrames;
    std::vector<f64> expected;
    std::vector<Step> steps;
    i64 selectionStart, selectionEnd, cursor;
};

const std::vector<f64> eight = {100, 200, 300, 400, 500, 600, 700, 800};

std::vector<SizeCase> sizeCases() {
    return {
        {"setSize grows with silence", Slot::setSize, 8, 11, 0, {100, 200, 300, 400, 500, 600, 700, 800, 0, 0, 0},
         {{8, 0, 3}}, 8, 11, 8},
        {"setSize shrinks", Slot::setSize, 8, 5, 0, {100, 200, 300, 400, 500}, {{5, 3, 0}}, unset, unset, unset},
        {"setSize to the same length", Slot::setSize, 8, 8, 0, eight, {{8, 0, 0}}, unset, unset, unset},
        {"insertWave at the start", Slot::insertWave, 0, 2, 2, {0, 0, 100, 200, 300, 400, 500, 600, 700, 800},
         {{0, 0, 2}}, 0, 2, 0},
        {"insertWave at the end", Slot::insertWave, 8, 9, 2, {100, 200, 300, 400, 500, 600, 700, 800, 0}, {{8, 0, 1}},
         8, 9, 8},
        {"insertWave without smoothing", Slot::insertWave, 3, 7, 0,
         {100, 200, 300, 0, 0, 0, 0, 400, 500, 600, 700, 800}, {{3, 0, 4}}, 3, 7, 3},
        // The silence fades out of the sound that followed the point and into the sound before it.
        {"insertWave with smoothing", Slot::insertWave, 3, 7, 2,
         {100, 200, 300, 400, 250, 0, 150, 400, 500, 600, 700, 800}, {{3, 0, 4}}, 3, 7, 3},
        {"cutOut without smoothing", Slot::cutOut, 2, 5, 0, {100, 200, 600, 700, 800}, {{2, 3, 0}}, 2, 2, 2},
        // The removed range's first frames fade into what now follows the splice.
        {"cutOut with smoothing", Slot::cutOut, 2, 5, 2, {100, 200, 300, 550, 800}, {{5, 2, 2}, {2, 3, 0}}, 2, 2, 2},
        {"cutOut: the fade no longer than the tail", Slot::cutOut, 2, 6, 4, {100, 200, 300, 500},
         {{6, 2, 2}, {2, 4, 0}}, 2, 2, 2},
        {"cutOut to the end: no fade", Slot::cutOut, 5, 8, 2, {100, 200, 300, 400, 500}, {{5, 3, 0}}, 5, 5, 5},
        {"cutOut from the start: no fade", Slot::cutOut, 0, 3, 2, {400, 500, 600, 700, 800}, {{0, 3, 0}}, 0, 0, 0},
        {"crop: the tail, then the head", Slot::crop, 2, 5, 2, {300, 400, 500}, {{5, 3, 0}, {0, 2, 0}}, 0, 3, 0},
        {"crop of the whole sound", Slot::crop, 0, 8, 0, eight, {{8, 0, 0}, {0, 0, 0}}, 0, 8, 0},
    };
}

u64 positionOf(const TestSound& sound, i64 frame) { return frame == unset ? unsetPosition : sound.at((u64)frame); }
}  // namespace

TEST(SizeOperations, ResultsStepsAndSelectionInEachType) {
    for (const SizeCase& c : sizeCases()) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << encodingName(encoding));
            TestSound sound(encoding, 1, eight);
            RecordingOwner owner(&sound);
            auto p = bindProcessor(sound, c.from, c.to, c.edgeFrames, &owner);
            p->runSlot(c.slot);

            EXPECT_EQ(c.expected, sound.samples());
            std::vector<std::string> events;
            const u32 f = sound.frameBytes();
            for (const Step& s : c.steps) {
                events.push_back("range " + std::to_string(sound.at(s.at)) + " " + std::to_string(s.removed * f) + " " +
                                 std::to_string(s.inserted * f));
            }
            events.push_back("finished");
            EXPECT_EQ(events, owner.events);
            EXPECT_EQ(positionOf(sound, c.selectionStart), p->extraPositions[newSelectionStart]);
            EXPECT_EQ(positionOf(sound, c.selectionEnd), p->extraPositions[newSelectionEnd]);
            EXPECT_EQ(positionOf(sound, c.cursor), p->extraPositions[newCursor]);
            EXPECT_EQ(unsetPosition, p->extraPositions[showPosition]);

            owner.undoAll();
            EXPECT_EQ(eight, sound.samples());
            owner.redoAll();
            EXPECT_EQ(c.expected, sound.samples());
        }
    }
}

// The blend of a cut-out touches the selected tracks only; the others are spliced as they are.
TEST(SizeOperations, CutOutBlendsTheSelectedTracks) {
    TestSound sound(encodingInt16, 2, {1, 10, 2, 20, 300, 30, 400, 40, 5, 50, 600, 60, 700, 70, 8, 80});
    sound.select({1, 0});
    RecordingOwner owner(&sound);
    auto p = bindProcessor(sound, 2, 5, 2, &owner);
    p->runSlot(Slot::cutOut);
    EXPECT_EQ((std::vector<f64>{1, 10, 2, 20, 300, 60, 550, 70, 8, 80}), sound.samples());
}

// The silence spans many pages of the writer, which a cancel does not stop.
TEST(SizeOperations, SilenceAcrossPagesDespiteACancel) {
    TestSound sound(encodingInt16, 2, {3, 4, 5, 6});
    CancellingProgress progress(2);
    auto p = bindProcessor(sound, 1, 30001);
    p->progress = &progress;
    p->runSlot(Slot::insertWave);
    EXPECT_TRUE(progress.isCancelled());
    std::vector<f64> samples = sound.samples();
    ASSERT_EQ(60004u, samples.size());
    EXPECT_EQ(3, samples[0]);
    EXPECT_EQ(4, samples[1]);
    for (size_t i = 2; i < 60002; ++i) ASSERT_EQ(0, samples[i]) << i;
    EXPECT_EQ(5, samples[60002]);
    EXPECT_EQ(6, samples[60003]);
}

TEST(SizeOperations, RangesFromTheDurationDialogs) {
    TestSound sound(encodingInt32, 2, std::vector<f64>(16, 1.0));  // 8 frames
    auto p = bindProcessor(sound, 0, 8);
    EXPECT_FALSE(setNewLength(*p, 8));
    ASSERT_TRUE(setNewLength(*p, 11));
    EXPECT_EQ(sound.end(), p->rangeStart);
    EXPECT_EQ(sound.at(11), p->rangeEnd);
    EXPECT_EQ(3u * sound.frameBytes(), p->rangeLength);
    ASSERT_TRUE(setNewLength(*p, 2));
    EXPECT_EQ(sound.at(2), p->rangeEnd);
    EXPECT_EQ(0u, p->rangeLength);
    p->runSlot(Slot::setSize);
    EXPECT_EQ(std::vector<f64>(4, 1.0), sound.samples());

    setInsertRange(*p, 1, 5);
    EXPECT_EQ(sound.at(1), p->rangeStart);
    EXPECT_EQ(sound.at(6), p->rangeEnd);
    EXPECT_EQ(5u * sound.frameBytes(), p->rangeLength);

    EXPECT_EQ(88200u, lengthAtRate(44100, 22050, 44100));
    EXPECT_EQ(9u, lengthAtRate(10, 48000, 44100));  // 9.1875, truncated
    EXPECT_EQ(158760000000ull, lengthAtRate(158760000000ull, 44100, 44100));
    EXPECT_EQ(317520000000ull, lengthAtRate(158760000000ull, 44100, 88200));
}

// Inserted and added silence spans every track, selected or not: a stereo sound with one track
// selected gets zeros in both, over several pages.
TEST(SizeOperations, SilenceFillsEveryTrackWhateverTheSelection) {
    const u64 frames = 1000, added = 70000;
    std::vector<f64> input(2 * frames);
    for (size_t i = 0; i < input.size(); ++i) input[i] = (f64)(i % 500) + 1;
    for (Slot slot : {Slot::insertWave, Slot::growTo}) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << encodingName(encoding) << ", slot " << (u32)slot);
            TestSound sound(encoding, 2, input);
            sound.select({0, 1});
            const u64 from = slot == Slot::insertWave ? 300 : frames;
            auto p = bindProcessor(sound, from, from + added);
            p->runSlot(slot);
            std::vector<f64> want = input;
            want.insert(want.begin() + (size_t)(2 * from), (size_t)(2 * added), 0.0);
            EXPECT_EQ(want, sound.samples());
        }
    }
}
