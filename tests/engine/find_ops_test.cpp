#include <gtest/gtest.h>

#include <vector>

#include "engine/find_params.h"
#include "engine/processor.h"
#include "tests/engine/engine_fixture.h"

namespace {

// Rewrites every third frame from frame 2 on as a change of its own, so that the sound lies in
// segments of one to two frames that alternate between the source and the work file.
void splitIntoSegments(TestSound& sound) {
    const u64 frames = sound.store.length / sound.frameBytes();
    for (u64 f = 2; f < frames; f += 3) {
        std::vector<u8> bytes = sound.bytes(sound.at(f), sound.at(f + 1));
        SegmentCursor oldCursor, newCursor;
        sound.store.beginChange(&oldCursor, sound.at(f), bytes.size(), bytes.size(), &newCursor);
        sound.store.writeRange(newCursor, bytes.size(), bytes.data());
        delete sound.store.takePendingChange();
    }
}

// Search parameters of the mode, installed on the processor, which owns them.
FindParams* installFind(SoundBlockProcessor& p, u32 mode) {
    FindParams* params = new FindParams;
    params->mode = mode;
    p.setAuxObject(params);
    return params;
}

const i64 none = -1;

struct FindCase {
    const char* name;
    u32 mode;
    bool forward;
    u32 period;
    f64 level;
    u64 from, to;  // frames
    i64 hit;       // frame, or none
    f64 peak = 0;  // param1 after a peak search
    u32 channels = 1;
    std::vector<u8> mask = {1};
    std::vector<f64> samples = {};
    bool jumps = true, clipping = true;
};

// Loud frames 0, 5, 6, 11; frames 7 to 10 quiet (frame 9 holds exactly the level).
const std::vector<f64> silences = {500, 0, 0, 0, 0, 600, 700, 0, 0, 10, 0, 800};
const std::vector<f64> jumpsUp = {0, 100, 150, 250, 240};
const std::vector<f64> clipped = {0, 32767, 32767, -32767, 5, 0};
const std::vector<f64> peaks = {100, -300, 300, 200, 300, 50};  // stereo

std::vector<FindCase> findCases() {
    const u32 S = findSilence, D = findDefects, P = findPeak;
    return {
        // Repeated searches alternate between the start of a silence and the sound that ends it.
        {"in sound: the next silence", S, true, 3, 10, 0, 12, 1, 0, 1, {1}, silences},
        {"in silence: the sound after it", S, true, 3, 10, 1, 12, 5, 0, 1, {1}, silences},
        {"from that sound: the next silence", S, true, 3, 10, 5, 12, 7, 0, 1, {1}, silences},
        {"a level sample is quiet", S, true, 3, 10, 7, 12, 11, 0, 1, {1}, silences},
        {"a short silence is passed over", S, true, 5, 10, 5, 12, none, 0, 1, {1}, silences},
        {"the last frame is never judged", S, true, 4, 10, 5, 11, none, 0, 1, {1}, silences},
        {"an unselected loud track is not heard", S, true, 2, 10, 0, 4, 1, 0, 2, {1, 0},
         {500, 9000, 0, 9000, 0, 9000, 0, 9000}},
        {"period 0 finds nothing", S, true, 0, 10, 0, 12, none, 0, 1, {1}, silences},
        {"backward in sound: the latest frame of the silence", S, false, 3, 10, 0, 12, 10, 0, 1, {1}, silences},
        {"backward in silence: the sound before it", S, false, 3, 10, 0, 11, 6, 0, 1, {1}, silences},
        {"a jump of exactly the level", D, true, 10, 100, 0, 5, 1, 0, 1, {1}, jumpsUp, true, false},
        {"no jump into the first frame", D, true, 10, 100, 1, 5, 3, 0, 1, {1}, jumpsUp, true, false},
        {"a jump just below the level", D, true, 10, 101, 0, 5, none, 0, 1, {1}, jumpsUp, true, false},
        {"backward: the earlier frame of the jump", D, false, 10, 100, 0, 5, 2, 0, 1, {1}, jumpsUp, true, false},
        {"a clipped run equal to the period", D, true, 3, 1e9, 0, 6, 3, 0, 1, {1}, clipped, false, true},
        {"a clipped run shorter than the period", D, true, 4, 1e9, 0, 6, none, 0, 1, {1}, clipped, false, true},
        {"a clipped run to the end of the range", D, true, 2, 1e9, 0, 4, none, 0, 1, {1}, clipped, false, true},
        {"backward: the run's last clipped frame", D, false, 3, 1e9, 0, 6, 1, 0, 1, {1}, clipped, false, true},
        {"period 0: the frame before the first unclipped", D, true, 0, 1e9, 1, 6, 3, 0, 1, {1}, clipped, false,
         true},
        {"a jump is tested before a clipped run", D, true, 1, 30000, 0, 6, 1, 0, 1, {1}, clipped},
        {"neither test finds nothing", D, true, 0, 0, 0, 6, none, 0, 1, {1}, clipped, false, false},
        {"forward: the first of equal peaks", P, true, 0, 0, 0, 3, 0, -300, 2, {1, 1}, peaks},
        {"backward: the last of equal peaks", P, false, 0, 0, 0, 3, 2, 300, 2, {1, 1}, peaks},
        {"the selected track only", P, true, 0, 0, 0, 3, 1, 300, 2, {1, 0}, peaks},
        {"no track selected", P, true, 0, 0, 0, 3, none, 0, 2, {0, 0}, peaks},
        {"one frame", P, false, 0, 0, 2, 3, 2, 300, 2, {0, 1}, {1, 2, 3, 4, 5, 300}},
        {"backward inside a range", P, false, 0, 0, 1, 4, 3, -30, 1, {1}, {900, 20, -30, -30, 10, 900}},
        {"an unknown mode", 7, true, 0, 0, 0, 6, none, 0, 1, {1}, clipped},
    };
}
}  // namespace

TEST(Find, ModesDirectionsAndPositionsOverSegments) {
    for (const FindCase& c : findCases()) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << encodingName(encoding));
            TestSound sound(encoding, c.channels, c.samples);
            sound.select(c.mask);
            splitIntoSegments(sound);
            RecordingOwner owner(&sound);
            auto p = bindProcessor(sound, c.from, c.to, 0, &owner);
            FindParams* params = installFind(*p, c.mode);
            params->forward = c.forward;
            params->jumps = c.jumps;
            params->clipping = c.clipping;
            params->period = c.period;
            params->level = c.level;
            p->param1 = 0;
            p->runSlot(Slot::find);

            const u64 expected = c.hit == none ? unsetPosition : sound.at((u64)c.hit);
            EXPECT_EQ(c.hit == none, params->notFound == 1);
            EXPECT_EQ(expected, p->extraPositions[newCursor]);
            EXPECT_EQ(expected, p->extraPositions[showPosition]);
            EXPECT_EQ(c.peak, p->param1);
            EXPECT_TRUE(owner.events.empty());
            EXPECT_EQ(sampleValues(encoding, sampleBytes(encoding, c.samples)), sound.samples());
        }
    }
}

TEST(Find, EmptyRangeFindsNothingInEveryMode) {
    TestSound sound(encodingInt16, 1, {0, 32767, 32767, 0});
    for (u32 mode : {findDefects, findSilence, findPeak}) {
        auto p = bindProcessor(sound, 2, 2);
        FindParams* params = installFind(*p, mode);
        p->runSlot(Slot::find);
        EXPECT_EQ(1, params->notFound) << mode;
        EXPECT_EQ(unsetPosition, p->extraPositions[newCursor]);
    }
}

// Samples of 32767 or more count as clipped in the wide types, whatever their own peak.
TEST(Find, WideTypesClipAtTheSixteenBitScale) {
    for (u32 encoding : {encodingInt32, encodingFloat, encodingDouble}) {
        TestSound sound(encoding, 1, {0, 100000, -40000, 0});
        auto p = bindProcessor(sound, 0, 4);
        FindParams* params = installFind(*p, findDefects);
        params->jumps = 0;
        params->period = 2;
        p->runSlot(Slot::find);
        EXPECT_EQ(sound.at(2), p->extraPositions[newCursor]) << encodingName(encoding);
    }
}

// A cancel ends the walk as the range's end does: the peak of what was read is the hit, a silence
// not met yet is not found.
TEST(Find, CancelEndsTheSearch) {
    std::vector<f64> samples(20000, 0.0);
    samples[10] = 50;
    samples[19990] = 9000;
    for (u32 mode : {findPeak, findSilence}) {
        TestSound sound(encodingInt16, 1, samples);
        auto p = bindProcessor(sound, 0, 20000);
        CancellingProgress progress(2);  // after the first page
        p->progress = &progress;
        FindParams* params = installFind(*p, mode);
        params->period = 5;
        params->level = 100;
        p->runSlot(Slot::find);
        if (mode == findPeak) {
            EXPECT_EQ(0, params->notFound);
            EXPECT_EQ(sound.at(10), p->extraPositions[newCursor]);
            EXPECT_EQ(50, p->param1);
        } else {
            EXPECT_EQ(1, params->notFound);
        }
    }
}

TEST(Find, RangeFromCursorSelectionAndMode) {
    struct Case {
        const char* name;
        bool inSelection, forward;
        u32 mode;
        u64 cursor;
        u64 start, end;
    } cases[] = {
        {"forward from the cursor", false, true, findSilence, 500, 500, 1000},
        {"backward to the cursor", false, false, findDefects, 500, 100, 500},
        {"peak: the whole sound", false, false, findPeak, 500, 100, 1000},
        {"the selection, cursor outside", true, true, findSilence, 700, 200, 600},
        {"forward from a cursor inside the selection", true, true, findSilence, 300, 300, 600},
        {"backward to a cursor inside the selection", true, false, findDefects, 300, 200, 300},
        {"peak: forward from a cursor inside the selection", true, true, findPeak, 300, 300, 600},
        {"peak backward: up to a cursor inside the selection", true, false, findPeak, 300, 200, 300},
        {"a cursor on the selection's start", true, false, findDefects, 200, 200, 600},
    };
    for (const Case& c : cases) {
        FindParams params;
        params.inSelection = c.inSelection;
        params.forward = c.forward;
        params.mode = c.mode;
        FindRange r = findRange(params, c.cursor, 200, 600, 100, 1000);
        EXPECT_EQ(c.start, r.start) << c.name;
        EXPECT_EQ(c.end, r.end) << c.name;
    }
    EXPECT_EQ(20u, periodAtRate(10, 44100, 88200));
    EXPECT_EQ(2205u, periodAtRate(2205, 44100, 44100));
    EXPECT_EQ(9u, periodAtRate(10, 48000, 44100));  // 9.1875, truncated
}
