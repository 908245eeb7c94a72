// Stop and Cancel in the middle of an operation: the toolkit's stop throws from the progress report,
// a plain cancel answers true; either way the range ends up holding old or new bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "core/exceptions.h"
#include "engine/chorus_params.h"
#include "engine/processor.h"
#include "engine/window_functions.h"
#include "tests/engine/engine_fixture.h"

namespace {

// The listener of the progress dialog: Stop throws out of the report that tells it of the cancel.
class ThrowingStop : public ErrorHandler {
public:
    bool report(const char*, int) override { throw GException(); }
};

std::vector<f64> tone(size_t frames, u32 channels) {
    std::vector<f64> v(frames * channels);
    for (size_t i = 0; i < v.size(); ++i) v[i] = std::floor(9000 * std::sin(0.013 * (f64)i)) + 100 * (i % 7) + 51;
    return v;
}

struct StopCase {
    const char* name;
    Slot slot;
    std::function<void(SoundBlockProcessor&)> setup;
    u32 stopAt;  // the report that cancels; 0: the last report of the whole run
};

void tempoBy(SoundBlockProcessor& p, f64 factor) {
    p.periodFrames = 2048;
    p.paramInt2 = 4;
    p.paramInt3 = windowTypeHann;
    p.param1 = factor;
}

// The operations whose stop came before any writer of their change: reading passes, the copy of a
// cut, direct block writes, a first step into the scratch area.
std::vector<StopCase> stopCases() {
    auto chorus = [](SoundBlockProcessor& p) {
        ChorusParams* c = new ChorusParams;
        c->voices = 4;
        c->maxDelay = 300;
        c->useDelay = 1;
        p.setAuxObject(c);
    };
    return {
        {"change max volume, in its reading pass", Slot::changeMaxVolume, [](SoundBlockProcessor& p) { p.param1 = 20000; }, 2},
        {"center, in its reading pass", Slot::center, [](SoundBlockProcessor&) {}, 2},
        {"cut, while copying", Slot::cut, [](SoundBlockProcessor&) {}, 2},
        {"chorus, before its first block", Slot::chorus, chorus, 1},
        {"chorus, between blocks", Slot::chorus, chorus, 2},
        {"tempo longer, in its first step", Slot::tempo, [](SoundBlockProcessor& p) { tempoBy(p, 0.8); }, 2},
        {"tempo shorter, in its first step", Slot::tempo, [](SoundBlockProcessor& p) { tempoBy(p, 1.25); }, 2},
        {"tempo shorter, in its second step", Slot::tempo, [](SoundBlockProcessor& p) { tempoBy(p, 1.25); }, 0},
        {"pitch scale", Slot::pitchScale, [](SoundBlockProcessor& p) { p.param1 = 0.7; }, 2},
        {"amplify", Slot::amplify, [](SoundBlockProcessor& p) { p.param1 = 0.5; }, 2},
    };
}

// A tempo over the range leaves its scratch bytes in the work file where the next change's new
// bytes go.
void leaveScratch(TestSound& s, RecordingOwner& owner, u64 from, u64 to) {
    auto p = bindProcessor(s, from, to, 0, &owner);
    tempoBy(*p, 0.99);
    p->runSlot(Slot::tempo);
}

// Runs the case over frames [from, to), stopped at report stopAt (~0u: never; *reports: how many
// were made). Answers whether it threw.
bool runCase(TestSound& s, RecordingOwner& owner, const StopCase& c, u64 from, u64 to, u32 stopAt,
             u32* reports = nullptr) {
    KnownGenerator generator(5);
    auto p = bindProcessor(s, from, to, 0, &owner);
    c.setup(*p);
    ThrowingStop stop;
    CancellingProgress progress(stopAt);
    progress.setTotal(p->rangeLength);
    progress.listener = &stop;
    p->progress = &progress;
    bool threw = false;
    try {
        p->runSlot(c.slot);
    } catch (const GException&) {
        threw = true;
    }
    if (reports) *reports = progress.reports;
    return threw;
}
}  // namespace

// Every sample of the range is the one the whole run gives (`done`) or the old one at the same
// offset (silence past the old length), never zeros or bytes of an earlier scratch area. Answers how
// many samples of the range are not the whole run's.
size_t expectOldOrNew(const std::vector<f64>& before, const std::vector<f64>& done, const std::vector<f64>& got,
                      size_t from, size_t to) {
    EXPECT_EQ(done.size(), got.size());
    if (done.size() != got.size()) return 0;
    const size_t oldLength = to - from, newEnd = got.size() - (before.size() - to);
    size_t kept = 0;
    for (size_t i = 0; i < got.size(); ++i) {
        const bool inRange = i >= from && i < newEnd;
        const f64 was = !inRange ? done[i] : i - from < oldLength ? before[i] : 0.0;
        EXPECT_TRUE(got[i] == done[i] || got[i] == was) << i << ": " << got[i] << ", new " << done[i] << ", old " << was;
        if (got[i] != done[i] && got[i] != was) break;
        kept += inRange && got[i] != done[i];
    }
    return kept;
}

TEST(Stop, AThrowingStopLeavesOldOrNewBytes) {
    const u64 frames = 150000, from = 1000, to = 141000;
    for (const StopCase& c : stopCases()) {
        SCOPED_TRACE(c.name);
        const std::vector<f64> input = tone(frames, 1);
        TestSound whole(encodingInt16, 1, input);
        RecordingOwner wholeScratch(&whole), wholeOwner(&whole);
        leaveScratch(whole, wholeScratch, from, to);
        u32 reports = 0;
        ASSERT_FALSE(runCase(whole, wholeOwner, c, from, to, ~0u, &reports));

        TestSound s(encodingInt16, 1, input);
        RecordingOwner scratch(&s), owner(&s);
        leaveScratch(s, scratch, from, to);
        const std::vector<f64> before = s.samples();
        EXPECT_TRUE(runCase(s, owner, c, from, to, c.stopAt ? c.stopAt : reports));
        EXPECT_GT(expectOldOrNew(before, whole.samples(), s.samples(), from, to), 0u) << "stopped before the end";
        owner.undoAll();
        EXPECT_EQ(before, s.samples());
    }
}

// Cancel (a report answering true) ends CHANGE_RATE, PITCH_SCALE, TEMPO and STRETCH at the
// resampling writer's next page (the vocoder step of a tempo runs whole): the rest of the range
// filled.
TEST(Stop, CancelEndsTheResamplingEarly) {
    const u64 frames = 150000, from = 1000, to = 141000;
    struct Case {
        const char* name;
        Slot slot;
        f64 factor;
    } cases[] = {
        {"change rate, longer", Slot::pitchScale, 0.7},
        {"change rate, shorter", Slot::pitchScale, 1.4},
        {"tempo, longer", Slot::tempo, 0.8},
        {"tempo, shorter", Slot::tempo, 1.25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<f64> input = tone(frames, 1);
        std::vector<f64> done;
        for (bool cancel : {false, true}) {
            TestSound s(encodingInt16, 1, input);
            RecordingOwner owner(&s);
            auto p = bindProcessor(s, from, to, 0, &owner);
            tempoBy(*p, c.factor);
            CancellingProgress progress(cancel ? 2 : 1000000);
            progress.setTotal(p->rangeLength);
            p->progress = &progress;
            p->runSlot(c.slot);
            if (!cancel) {
                done = s.samples();
                continue;
            }
            EXPECT_TRUE(progress.isCancelled());
            EXPECT_GT(expectOldOrNew(input, done, s.samples(), from, to), 0u);
            owner.undoAll();
            EXPECT_EQ(input, s.samples());
        }
    }
}

// A track click during a background run replaces the format's mask, or changes it in place: the run
// goes on with the tracks selected when it was bound.
TEST(Stop, ARunKeepsTheSelectionItWasBoundWith) {
    class Clicking : public JobProgress {
    public:
        explicit Clicking(SoundFormat& format) : format(format) {}
        bool report(u64 done, const char* text) override {
            if (++reports == 2) {
                format.selectionMask[0] = 0;
                format.tracks[1].flags &= ~trackSelected;
                format.rebuildSelectionMask();
                format.selectionMask[1] = 1;
            }
            return JobProgress::report(done, text);
        }
        SoundFormat& format;
        u32 reports = 0;
    };
    const std::vector<f64> input = tone(60000, 2);
    for (Slot slot : {Slot::amplify, Slot::pitchScale}) {
        SCOPED_TRACE((u32)slot);
        std::vector<std::vector<f64>> results;
        for (bool click : {false, true}) {
            TestSound s(encodingInt16, 2, input);
            s.select({1, 0});
            auto p = bindProcessor(s, 0, 60000);
            p->param1 = 0.5;
            Clicking progress(s.format);
            progress.setTotal(p->rangeLength);
            if (click) p->progress = &progress;
            p->runSlot(slot);
            EXPECT_TRUE(!click || progress.reports > 2);
            results.push_back(s.samples());
        }
        EXPECT_EQ(results[0], results[1]);
    }
}
