#include "gui/frame/placer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "core/exceptions.h"
#include "core/paths.h"
#include "tests/gui/gui_fixture.h"

namespace {

enum : u32 { EditorKind = 1, AnalyzerKind = 2 };

class TestPlacer : public GPlacer {
public:
    explicit TestPlacer(u32 kind) : GPlacer(nullptr), kind(kind) {}
    ~TestPlacer() override {
        if (release) SetEvent(release);
    }

    const char* firstCaption() override { return first; }
    const char* secondCaption() override { return second; }
    u32 windowKind() override { return kind; }
    bool isModified() override { return modified; }
    void saveStateBlocks(GBag* blocks) override {
        bagWriteU8(blocks[0], 7);
        bagWriteU32(blocks[2], 0x01020304);
    }

    void prepareJob(PlacerJob*) override {
        steps += "prepare;";
        prepareThread = GetCurrentThreadId();
        if (prepareThrows) throw GException();
    }
    bool performJob(PlacerJob*) override {
        performThread = GetCurrentThreadId();
        if (release) WaitForSingleObject(release, 5000);
        if (throws) throw GException();
        return answer;
    }
    void afterJob(PlacerJob*) override { steps += "after;"; }
    void jobFailed(PlacerJob*) override { steps += "failed;"; }
    void jobSucceeded(PlacerJob*) override { steps += "succeeded;"; }

    u32 kind;
    const char* first = nullptr;
    const char* second = nullptr;
    bool modified = false;
    bool answer = true;
    bool throws = false;
    bool prepareThrows = false;
    HANDLE release = nullptr;  // the perform step waits for it
    std::string steps;
    DWORD prepareThread = 0;
    std::atomic<DWORD> performThread{0};
};

struct CountedJob : PlacerJob, PlacerJobSink {
    explicit CountedJob(bool* deleted) : deleted(deleted) {
        sink = this;
        a = 3;
        b = 4;
    }
    ~CountedJob() override { *deleted = true; }
    void start(i32 first, i32 second) override { started = first * 10 + second; }
    void end() override { ended = true; }

    bool* deleted;
    i32 started = 0;
    bool ended = false;
};

}  // namespace

TEST(Placer, TheLastActivatedIdlePlacerOfAKindIsFound) {
    TestApplication app;
    TestPlacer editorA(EditorKind), editorB(EditorKind), analyzer(AnalyzerKind);
    editorA.markActivated();
    editorB.markActivated();
    analyzer.markActivated();
    EXPECT_EQ(&editorB, findRecentPlacer(EditorKind));
    EXPECT_EQ(&analyzer, findRecentPlacer(AnalyzerKind));
    EXPECT_EQ(nullptr, findRecentPlacer(99));

    // While the last one runs a background job, the other one is found.
    editorB.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool deleted = false;
    CountedJob* job = new CountedJob(&deleted);
    ASSERT_TRUE(editorB.runJobInBackground(job));
    EXPECT_TRUE(editorB.busy());
    EXPECT_EQ(&editorA, findRecentPlacer(EditorKind));
    SetEvent(editorB.release);
    ASSERT_TRUE(pumpUntil([&] { return deleted; }));
    EXPECT_FALSE(editorB.busy());
    EXPECT_EQ(&editorB, findRecentPlacer(EditorKind));
    CloseHandle(editorB.release);
    editorB.release = nullptr;
}

TEST(Placer, CaptionFromProductNameTextsAndModifiedMark) {
    GString product = productName();
    struct Case {
        const char* first;
        const char* second;
        bool modified;
        std::string tail;
    } cases[] = {
        {nullptr, nullptr, false, ""},
        {"song.wav", nullptr, false, " - song.wav"},
        {nullptr, "Editor", false, " - Editor"},
        {"song.wav", "Editor", false, " - Editor: song.wav"},
        {"song.wav", "Editor", true, " - Editor: song.wav*"},
        {nullptr, nullptr, true, "*"},
    };
    for (const Case& c : cases) {
        TestPlacer placer(EditorKind);
        placer.first = c.first;
        placer.second = c.second;
        placer.modified = c.modified;
        EXPECT_EQ(std::string(product.c_str()) + c.tail, placer.caption().c_str());
    }
}

TEST(Placer, SaveStateWritesThreeLengthPrefixedBlocks) {
    TestPlacer placer(EditorKind);
    GBag bag;
    placer.saveState(bag);
    const u8 expected[] = {1, 0, 0, 0, 7, 0, 0, 0, 0, 4, 0, 0, 0, 4, 3, 2, 1};
    ASSERT_EQ(sizeof expected, bag.size);
    EXPECT_EQ(0, memcmp(expected, bag.data, bag.size));
}

TEST(Placer, AJobRunNowRunsItsStepsInOrderOnThisThread) {
    TestPlacer placer(EditorKind);
    bool deleted = false;
    CountedJob job(&deleted);
    EXPECT_TRUE(placer.runJobNow(&job));
    EXPECT_EQ("prepare;after;", placer.steps);
    EXPECT_EQ(&placer, job.placer);
    EXPECT_EQ(1, job.result);
    EXPECT_EQ(34, job.started);
    EXPECT_EQ(GetCurrentThreadId(), placer.performThread);
    EXPECT_FALSE(placer.busy());
    EXPECT_EQ(nullptr, placer.job);
    EXPECT_FALSE(deleted);
}

TEST(Placer, AJobRunNowThatThrowsEndsItsSink) {
    for (bool inPrepare : {true, false}) {
        TestPlacer placer(EditorKind);
        placer.prepareThrows = inPrepare;
        placer.throws = !inPrepare;
        bool deleted = false;
        CountedJob job(&deleted);
        EXPECT_THROW(placer.runJobNow(&job), GException);
        EXPECT_TRUE(job.ended) << inPrepare;
        EXPECT_FALSE(placer.busy());
        EXPECT_EQ(nullptr, placer.job);
    }
}

TEST(Placer, ABackgroundJobPerformsOnAWorkerAndEndsOnTheInterfaceThread) {
    TestApplication app;
    struct Case {
        const char* name;
        bool answer, throws;
        std::string steps;
    } cases[] = {
        {"succeeds", true, false, "prepare;after;succeeded;"},
        {"fails", false, false, "prepare;after;failed;"},
        {"throws", true, true, "prepare;after;failed;"},
    };
    for (const Case& c : cases) {
        TestPlacer placer(EditorKind);
        placer.answer = c.answer;
        placer.throws = c.throws;
        bool deleted = false;
        CountedJob* job = new CountedJob(&deleted);
        ASSERT_TRUE(placer.runJobInBackground(job)) << c.name;
        EXPECT_EQ(34, job->started);
        if (c.throws) {
            // The perform step's exception reaches the run on this thread, after the job ended.
            EXPECT_THROW(pumpUntil([&] { return deleted; }), GException) << c.name;
        } else {
            EXPECT_TRUE(pumpUntil([&] { return deleted; })) << c.name;
        }
        EXPECT_TRUE(deleted) << c.name;
        EXPECT_EQ(c.steps, placer.steps) << c.name;
        EXPECT_FALSE(placer.busy()) << c.name;
        EXPECT_EQ(nullptr, placer.job) << c.name;
        EXPECT_EQ(GetCurrentThreadId(), placer.prepareThread);
        EXPECT_NE(GetCurrentThreadId(), placer.performThread.load()) << c.name;
    }
}

TEST(Placer, DestroyingAPlacerWhileItsJobRunsWaitsForTheWorker) {
    TestApplication app;
    bool deleted = false;
    std::string steps;
    {
        TestPlacer placer(EditorKind);
        placer.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ASSERT_TRUE(placer.runJobInBackground(new CountedJob(&deleted)));
        while (!placer.performThread) Sleep(0);
        // The destructor releases the worker, which still uses the placer until it ends.
    }
    EXPECT_TRUE(deleted);
    // Nothing of the destroyed placer runs later.
    pumpUntil([] { return false; }, 50);
}

TEST(Placer, AThrowingPrepareStepEndsTheJobAndThePlacerCanGo) {
    TestApplication app;
    TestPlacer* placer = new TestPlacer(EditorKind);
    placer->prepareThrows = true;
    bool deleted = false;
    CountedJob* job = new CountedJob(&deleted);
    EXPECT_THROW(placer->runJobInBackground(job), GException);
    EXPECT_TRUE(deleted);
    EXPECT_EQ("prepare;failed;", placer->steps);
    EXPECT_FALSE(placer->busy());
    EXPECT_EQ(nullptr, placer->job);
    // Its end waits for no worker.
    HANDLE gone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread closing([placer, gone] {
        delete placer;
        SetEvent(gone);
    });
    bool ended = WaitForSingleObject(gone, 5000) == WAIT_OBJECT_0;
    EXPECT_TRUE(ended);
    if (ended) closing.join();
    else closing.detach();
    CloseHandle(gone);
}

TEST(Placer, ASecondJobIsRefusedWhileOneIsCurrent) {
    TestApplication app;
    TestPlacer placer(EditorKind);
    placer.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool firstDeleted = false, secondDeleted = false, nowDeleted = false;
    CountedJob* first = new CountedJob(&firstDeleted);
    ASSERT_TRUE(placer.runJobInBackground(first));
    EXPECT_FALSE(placer.runJobInBackground(new CountedJob(&secondDeleted)));
    EXPECT_TRUE(secondDeleted);
    CountedJob now(&nowDeleted);
    EXPECT_FALSE(placer.runJobNow(&now));
    EXPECT_EQ(0, now.started);
    EXPECT_EQ(first, placer.job);
    SetEvent(placer.release);
    EXPECT_TRUE(pumpUntil([&] { return firstDeleted; }));
    EXPECT_EQ("prepare;after;succeeded;", placer.steps);
    CloseHandle(placer.release);
    placer.release = nullptr;
}
