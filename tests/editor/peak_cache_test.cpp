#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/gfile.h"
#include "core/paths.h"
#include "editor/peak_cache.h"
#include "tests/editor/peak_fixture.h"

namespace {
// Short retries, restored afterwards.
struct QuickRetry {
    QuickRetry() { peakRetryDelay = 10; }
    ~QuickRetry() { peakRetryDelay = 500; }
};

PeakHandle* requestAll(FileCache& cache, SoxSound& s, PeakListener* listener) {
    return cache.request(&s.store, s.dataOffset, s.dataSize, s.tracks, s.encoding, listener);
}

// A stereo sound whose first step is held by the gate after reading its samples.
class PeakCacheHeldStep : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(s.ok);
        gate.close();
        h = requestAll(cache, s, &listener);
        ASSERT_TRUE(gate.waitEntered());
    }
    void TearDown() override {
        gate.open();
        if (h) cache.release(h);
    }

    QuickRetry quick;
    SoxSound s{2, 2, 30000};
    FileCache cache;
    StepGate gate;
    SignalListener listener;
    PeakHandle* h = nullptr;
};
}  // namespace

TEST(PeakCache, EveryRecordHoldsTheMinAndMaxOfItsFrames) {
    struct Case {
        u32 tracks, encoding;
        u64 frames;
    };
    const Case cases[] = {
        {1, 2, 20400},    // a partial last peak
        {2, 3, 20400},    {3, 4, 20400}, {4, 5, 20400},
        {6, 2, 1400000},  // three steps
        {5, 2, 9000},     // tracks that do not divide the vector lanes
        {25, 4, 3050},    // 100 frames per peak
        {201, 2, 700},    // one frame per peak
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.tracks) + " tracks, encoding " + std::to_string(c.encoding));
        SoxSound s(c.tracks, c.encoding, c.frames);
        ASSERT_TRUE(s.ok);
        FileCache cache;
        StepGate gate;
        SignalListener listener;
        PeakHandle* h = requestAll(cache, s, &listener);
        ASSERT_NE(h->entry, nullptr);
        ASSERT_TRUE(listener.wait());
        EXPECT_TRUE(h->isComplete());
        EXPECT_EQ(h->loadProgress(), 100);
        expectPeaksMatch(*h->entry, s);
        // Steps of whole peaks, at most the step size, one after the other.
        auto steps = gate.steps();
        ASSERT_FALSE(steps.empty());
        u64 at = s.dataOffset;
        for (auto& step : steps) {
            EXPECT_EQ(step.from, at);
            EXPECT_LE(step.to - step.from, (u64)h->entry->stepBytes);
            at = step.to;
        }
        EXPECT_EQ(at, s.dataOffset + s.dataSize);
        EXPECT_EQ(listener.completes, 1);
        EXPECT_EQ(listener.progresses, (int)steps.size() - 1);
        cache.release(h);
    }
}

TEST(PeakCache, EmptyRangeIsCompleteAtOnce) {
    SoxSound s(2, 2, 100);
    ASSERT_TRUE(s.ok);
    FileCache cache;
    PeakHandle* h = cache.request(&s.store, s.dataOffset, 0, 2, 2, nullptr);
    ASSERT_NE(h->entry, nullptr);
    EXPECT_TRUE(h->isComplete());
    EXPECT_EQ(h->loadProgress(), 100);
    cache.release(h);
}

TEST(PeakCache, EntriesAreSharedByFileIdentityAndStart) {
    SoxSound s(2, 2, 5000);
    ASSERT_TRUE(s.ok);
    FileCache cache;
    PeakHandle* first = requestAll(cache, s, nullptr);
    PeakHandle* second = requestAll(cache, s, nullptr);
    ASSERT_NE(first->entry, nullptr);
    EXPECT_EQ(first->entry, second->entry);

    // The same file by another spelling of its path.
    std::string other = s.path;
    other.insert(other.rfind('\\'), "\\.");
    SoundStore again;
    StoreSource source;
    source.dataOffset = s.dataOffset;
    source.size = s.dataSize;
    source.frameSize = s.frameBytes;
    ASSERT_TRUE(again.open(other.c_str(), source, &s.handler));
    PeakHandle* third = cache.request(&again, s.dataOffset, s.dataSize - 4000, 2, 2, nullptr);
    EXPECT_EQ(third->entry, first->entry);
    EXPECT_EQ(first->entry->end, s.dataOffset + s.dataSize - 4000);  // the new length applies

    // Another start: an entry and a peak file of its own, in the work temp folder.
    PeakHandle* shifted = cache.request(&s.store, s.dataOffset + 400, s.dataSize - 400, 2, 2, nullptr);
    ASSERT_NE(shifted->entry, nullptr);
    EXPECT_NE(shifted->entry, first->entry);
    std::string name = shifted->entry->cacheFile.name, firstName = first->entry->cacheFile.name;
    EXPECT_NE(name, firstName);
    GString folder = workTempFolder();
    pathJoin(folder, "cache");
    for (const std::string& n : {name, firstName}) {
        EXPECT_EQ(n.compare(0, folder.length, folder.c_str()), 0) << n;
        EXPECT_EQ(n.size(), folder.length + 8) << n;
        EXPECT_EQ(n.substr(n.size() - 4), ".tmp");
    }

    // The peak file goes with the last handle on its entry.
    cache.release(first);
    cache.release(third);
    EXPECT_TRUE(pathExists(firstName.c_str()));
    cache.release(second);
    EXPECT_FALSE(pathExists(firstName.c_str()));
    cache.release(shifted);
    EXPECT_FALSE(pathExists(name.c_str()));
    EXPECT_EQ(cache.entries, nullptr);
    EXPECT_EQ(cache.handles, nullptr);
}

TEST(PeakCache, UnreadableFileGivesAHandleWithoutEntry) {
    SoundStore empty;
    FileCache cache;
    PeakHandle* h = cache.request(&empty, 0, 100, 1, 2, nullptr);
    EXPECT_EQ(h->entry, nullptr);
    EXPECT_FALSE(h->isComplete());
    EXPECT_EQ(h->loadProgress(), -1);
    FrameAxisView view;
    float column[2];
    EXPECT_FALSE(h->readColumns(view, column));
    h->invalidate(0, 100);
    h->pause();
    cache.release(h);
}

TEST_F(PeakCacheHeldStep, ChangeDuringAStepIsRecomputed) {
    // The step has read the old samples. An edit that does not wait for the worker, then its invalidation.
    s.overwrite(12000, 3000, 1234);
    h->invalidate(s.dataOffset + 12000 * 4, s.dataOffset + 15000 * 4);
    EXPECT_EQ(h->entry->stale, 1);
    gate.open();
    ASSERT_TRUE(listener.wait());
    auto steps = gate.steps();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].from, steps[1].from);
    EXPECT_EQ(steps[0].to, steps[1].to);
    expectPeaksMatch(*h->entry, s);
}

TEST_F(PeakCacheHeldStep, ReleaseWaitsForTheStepThatDeletesTheEntry) {
    std::string peakFile = h->entry->cacheFile.name;
    PeakHandle* handle = h;
    h = nullptr;
    Runner caller([&] { cache.release(handle); });
    EXPECT_FALSE(caller.finished(100));
    gate.open();
    EXPECT_TRUE(caller.finished(30000));
    // The worker let go of the entry last and deleted it with its file.
    EXPECT_EQ(cache.entries, nullptr);
    EXPECT_FALSE(pathExists(peakFile.c_str()));
}

TEST_F(PeakCacheHeldStep, PauseWaitsForTheStepAndHoldsTheEntry) {
    Runner caller([&] { h->pause(); });
    EXPECT_FALSE(caller.finished(100));
    gate.open();
    EXPECT_TRUE(caller.finished(30000));
    // The step was accounted; the paused entry gets no further step until resumed.
    EXPECT_TRUE(h->isComplete());
    listener.reset();
    h->invalidate(s.dataOffset, s.dataOffset + 100);
    EXPECT_FALSE(gate.waitEntered(50));
    h->resume();
    ASSERT_TRUE(listener.wait());
    EXPECT_EQ(gate.steps().size(), 2u);
}

TEST_F(PeakCacheHeldStep, DestroyStopsTheWorkerAndDeletesEverything) {
    std::string peakFile = h->entry->cacheFile.name;
    h = nullptr;
    EXPECT_NE(cache.worker, nullptr);
    Runner destroyer([&] { cache.destroy(); });
    EXPECT_FALSE(destroyer.finished(100));
    gate.open();
    ASSERT_TRUE(destroyer.finished(30000));
    EXPECT_EQ(cache.worker, nullptr);
    EXPECT_EQ(cache.entries, nullptr);
    EXPECT_EQ(cache.handles, nullptr);
    EXPECT_FALSE(pathExists(peakFile.c_str()));
}

TEST_F(PeakCacheHeldStep, PausedAcrossAStoreEdit) {
    // The Editor's order: pause (waits for the step), edit the store, invalidate, resume.
    Runner editor([&] {
        h->pause();
        listener.reset();  // the paused step was accounted
        s.overwrite(0, 30000, -7);
        h->invalidate(s.dataOffset, s.dataOffset + s.dataSize);
        h->resume();
    });
    EXPECT_FALSE(editor.finished(100));
    gate.open();
    ASSERT_TRUE(editor.finished(30000));
    ASSERT_TRUE(listener.wait());
    expectPeaksMatch(*h->entry, s);
}

TEST(PeakCache, FailedStepStaysPendingAndIsRetried) {
    QuickRetry quick;
    SoxSound s(1, 2, 9000);
    ASSERT_TRUE(s.ok);
    FileCache cache;
    StepGate gate;
    SignalListener listener;
    // Longer than the sound: every read of the step fails.
    PeakHandle* h = cache.request(&s.store, s.dataOffset, s.dataSize + 2000, 1, 2, &listener);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(gate.waitEntered());
    auto steps = gate.steps();
    for (const GateStep& step : steps) {
        EXPECT_EQ(step.from, s.dataOffset);
        EXPECT_EQ(step.to, s.dataOffset + s.dataSize + 2000);
    }
    EXPECT_FALSE(h->isComplete());
    EXPECT_EQ(h->loadProgress(), 0);
    EXPECT_EQ(listener.completes + listener.progresses, 0);
    h->setLength(s.dataSize);
    ASSERT_TRUE(listener.wait());
    expectPeaksMatch(*h->entry, s);
    cache.release(h);
}

TEST(PeakCache, MoveToFrontIsServedFirst) {
    QuickRetry quick;
    SoxSound a(1, 2, 9000), b(1, 2, 9000);
    ASSERT_TRUE(a.ok && b.ok);
    FileCache cache;
    StepGate gate;
    gate.close();
    PeakHandle* ha = requestAll(cache, a, nullptr);
    ASSERT_TRUE(gate.waitEntered());  // a's only step runs
    PeakHandle* hb = requestAll(cache, b, nullptr);
    EXPECT_EQ(cache.entries, hb->entry);
    ha->invalidate(a.dataOffset, a.dataOffset + 2000);  // the step goes stale: a has work again
    ha->moveToFront();
    EXPECT_EQ(cache.entries, ha->entry);
    gate.open();
    ASSERT_TRUE(gate.waitEntered());
    ASSERT_TRUE(gate.waitEntered());
    auto steps = gate.steps();
    ASSERT_GE(steps.size(), 3u);
    EXPECT_EQ(steps[1].entry, ha->entry);
    EXPECT_EQ(steps[2].entry, hb->entry);
    cache.release(hb);
    cache.release(ha);
}
