// The batch runner over tasks that record their runs: target patterns, the same-file check by file
// identity, source sizes, the overwrite box's buttons and answers, the progress base and total.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/exceptions.h"
#include "core/gfile.h"
#include "core/progress.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/dialogs/message_box_window.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/toolkit_steps.h"
#include "mm/mm_texts.h"
#include "tests/gui/box_recorder.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"
#include "tools/conversion_task.h"

namespace {
struct Box {
    std::string text;
    std::vector<u32> buttons;
};
std::vector<Box> boxes;
std::vector<i32> answers;  // given in turn; the default button when none is left

i32 answerBox(const MessageBoxDescription* d, GWindow*, const char* text) {
    Box box{text, {}};
    for (u32 i = 0; i < d->count; ++i) box.buttons.push_back(d->buttons[i].id);
    boxes.push_back(box);
    if (answers.empty()) return (i32)d->defaultButton;
    i32 a = answers.front();
    answers.erase(answers.begin());
    return a;
}

std::vector<std::string> ran;

// Writes its source's name into the target and reports half and all of its size.
struct RecordingTask : ConversionTask {
    using ConversionTask::ConversionTask;
    void run(GWindow*, JobProgress* progress) override {
        ran.push_back(targetName.c_str());
        if (progress) progress->report(sourceSize / 2, nullptr), progress->report(sourceSize, nullptr);
        fileWrite(targetFile, sourceName.c_str(), sourceName.length);
        commitTarget();
    }
};

struct Progress : JobProgress {
    bool report(u64 done, const char* text) override {
        positions.push_back(committed + done);
        if (text) texts.push_back(text);
        return JobProgress::report(done, text);
    }
    void setTotal(u64 t) override {
        totals.push_back(t);
        JobProgress::setTotal(t);
    }
    std::vector<u64> positions, totals;
    std::vector<std::string> texts;
};

class ConversionBatch : public ::testing::Test {
protected:
    void SetUp() override {
        boxes.clear();
        answers.clear();
        ran.clear();
        setMessageBoxSink(answerBox);
    }
    void TearDown() override {
        setMessageBoxSink(nullptr);
        for (ConversionTask* t : list.tasks) delete t;
    }
    std::string source(const std::string& name, u32 bytes) {
        dir.write(name, std::string(bytes, 'x'));
        return dir.file(name);
    }
    void add(const std::string& from, const std::string& to) {
        list.tasks.push_back(new RecordingTask(from.c_str(), to.c_str()));
    }
    TempDir dir;
    ConversionList list;
    Progress progress;
};

std::string shortName(const std::string& path) {
    char out[MAX_PATH] = {};
    GetShortPathNameA(path.c_str(), out, MAX_PATH);
    return out;
}
}  // namespace

TEST_F(ConversionBatch, OtherSpellingsOfTheSourceStopBeforeAnyWork) {
    std::string in = source("a long source name.wav", 100);
    char folder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, folder);
    SetCurrentDirectoryA(dir.path().c_str());
    std::string upper = dir.path() + "\\A LONG SOURCE NAME.WAV";
    std::string shortSpelling = shortName(in);
    ASSERT_NE(shortSpelling, "");
    ASSERT_NE(shortSpelling, in);
    for (const std::string& target : {upper, std::string("a long source name.wav"), shortSpelling,
                                      dir.path() + "\\.\\a long source name.wav"}) {
        SCOPED_TRACE(target);
        for (ConversionTask* t : list.tasks) delete t;
        list.tasks.clear();
        boxes.clear();
        add(in, target);
        EXPECT_FALSE(runConversionBatch(list, nullptr, &progress, true));
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].text.find(target), std::string::npos);
        EXPECT_TRUE(ran.empty());
        EXPECT_EQ(dir.read("a long source name.wav"), std::string(100, 'x'));
    }
    SetCurrentDirectoryA(folder);
}

TEST_F(ConversionBatch, PatternsSizesAndProgressAcrossTasks) {
    for (const char* name : {"one.wav", "two.wav", "three.wav"}) add(source(name, 1000), dir.file("%-out.raw"));
    EXPECT_TRUE(runConversionBatch(list, nullptr, &progress, true));
    EXPECT_EQ(ran, (std::vector<std::string>{dir.file("one-out.raw"), dir.file("two-out.raw"), dir.file("three-out.raw")}));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(dir.read("two-out.raw"), dir.file("two.wav"));
    EXPECT_EQ(progress.totals, std::vector<u64>{3000});
    // Each task's positions count on from the sizes before it, and the last reaches the total.
    EXPECT_EQ(progress.positions, (std::vector<u64>{0, 0, 500, 1000, 1000, 1500, 2000, 2000, 2500, 3000, 3000}));
    EXPECT_EQ(progress.percent, 100u);
    EXPECT_EQ(progress.texts[0], mmText(MmText::ConvertPreparing));
    EXPECT_EQ(progress.texts[2], dir.file("two.wav") + " -> " + dir.file("two-out.raw"));
    for (ConversionTask* t : list.tasks) EXPECT_EQ(t->selected, 1);
}

TEST_F(ConversionBatch, OverwriteAnswersAndButtons) {
    struct Case {
        const char* name;
        std::vector<i32> answers;
        bool result;
        u32 asked;
        std::vector<const char*> run;
        u64 total;
    } cases[] = {
        {"skip all on the first", {overwriteSkipAll}, true, 1, {}, 0},
        {"overwrite all", {overwriteAll}, true, 1, {"a", "b", "c"}, 30},
        {"skip, overwrite, skip", {overwriteSkip, overwriteOnce, overwriteSkip}, true, 3, {"b"}, 10},
        {"cancel on the second", {overwriteOnce, overwriteCancel}, false, 2, {}, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (ConversionTask* t : list.tasks) delete t;
        list.tasks.clear();
        boxes.clear();
        ran.clear();
        Progress p;
        for (const char* name : {"a", "b", "c"}) {
            dir.write(std::string(name) + ".out", "old");
            add(source(name, 10), dir.file(std::string(name) + ".out"));
        }
        answers = c.answers;
        EXPECT_EQ(runConversionBatch(list, nullptr, &p, true), c.result);
        EXPECT_EQ(boxes.size(), c.asked);
        std::vector<std::string> expected;
        for (const char* name : c.run) expected.push_back(dir.file(std::string(name) + ".out"));
        EXPECT_EQ(ran, expected);
        if (c.result) {
            EXPECT_EQ(p.totals, std::vector<u64>{c.total});
        }
        for (const char* name : {"a", "b", "c"}) {
            bool written = false;
            for (const char* r : c.run) written = written || std::string(r) == name;
            EXPECT_EQ(dir.read(std::string(name) + ".out"), written ? dir.file(name) : "old") << name;
        }
    }
    // The buttons: skip only with more than one task, skip all and overwrite all not on the last.
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].buttons, (std::vector<u32>{overwriteSkip, overwriteSkipAll, overwriteOnce, overwriteAll, overwriteCancel}));
    EXPECT_NE(boxes[0].text.find(dir.file("a.out")), std::string::npos);

    for (ConversionTask* t : list.tasks) delete t;
    list.tasks.clear();
    boxes.clear();
    add(source("a", 10), dir.file("a.out"));
    add(source("b", 10), dir.file("b.out"));
    answers = {overwriteSkip, overwriteCancel};
    runConversionBatch(list, nullptr, nullptr, true);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].buttons, (std::vector<u32>{overwriteSkip, overwriteOnce, overwriteCancel}));

    for (ConversionTask* t : list.tasks) delete t;
    list.tasks.clear();
    boxes.clear();
    add(source("a", 10), dir.file("a.out"));
    answers = {overwriteCancel};
    runConversionBatch(list, nullptr, nullptr, true);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].buttons, (std::vector<u32>{overwriteOnce, overwriteCancel}));
}

TEST_F(ConversionBatch, UnreadableSourceCheckAndStop) {
    add(source("a", 10), dir.file("a.out"));
    add(dir.file("missing.wav"), dir.file("b.out"));
    EXPECT_FALSE(runConversionBatch(list, nullptr, &progress, true));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(dir.file("missing.wav")), std::string::npos);
    EXPECT_TRUE(ran.empty());

    // The list's check refuses the second target: nothing runs.
    list.tasks[1]->sourceName = GString(source("b", 10).c_str());
    std::vector<std::string> checked;
    list.checkTarget = [&](GWindow*, const char* target) {
        checked.push_back(target);
        return checked.size() < 2;
    };
    EXPECT_FALSE(runConversionBatch(list, nullptr, &progress, true));
    EXPECT_EQ(checked.size(), 2u);
    EXPECT_TRUE(ran.empty());

    // A stop requested before the batch.
    list.checkTarget = nullptr;
    Progress stopped;
    stopped.cancel();
    EXPECT_FALSE(runConversionBatch(list, nullptr, &stopped, true));
    EXPECT_TRUE(ran.empty());
}

// The real box, asked from a job thread: its five buttons with their captions, and skip all
// pressed on the first of three existing targets.
TEST(ConversionBatchBox, TheRealBoxFromAJobThread) {
    TestApplication app;
    // The box service as the first start step sets it up.
    CommonControlsStep service;
    service.start(nullptr, false);
    setMessageBoxRunner(nullptr);  // the modal run of the box itself
    TempDir dir;
    ConversionList list;
    for (const char* name : {"a", "b", "c"}) {
        dir.write(name, "in");
        dir.write(std::string(name) + ".out", "old");
        list.tasks.push_back(new RecordingTask(dir.file(name).c_str(), dir.file(std::string(name) + ".out").c_str()));
    }
    std::vector<std::string> captions;
    std::string message;
    ModalScript script(TypeMessageBox, {[&](GDialog& d) {
        GMessageBox& box = static_cast<GMessageBox&>(d);
        message = box.message.c_str();
        for (u32 id : {overwriteSkip, overwriteSkipAll, overwriteOnce, overwriteAll, overwriteCancel}) {
            GButton* b = box.buttonRow->findButton(id);
            captions.push_back(b && b->hwnd && IsWindowVisible(b->hwnd) ? b->text.c_str() : "-");
        }
        ModalScript::unmark(d);
        box.buttonRow->findButton(overwriteSkipAll)->click();
    }});
    ran.clear();
    Progress progress;
    std::atomic<int> result{-1};
    std::thread job([&] { result = runConversionBatch(list, nullptr, &progress, true) ? 1 : 0; });
    EXPECT_TRUE(pumpUntil([&] { return result >= 0; }, 10000));
    job.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(script.runs, 1);
    EXPECT_EQ(captions, (std::vector<std::string>{"Skip", "Skip all", "Overwrite", "Overwrite all", "Cancel"}));
    EXPECT_NE(message.find(dir.file("a.out")), std::string::npos);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(progress.totals, std::vector<u64>{0});
    for (ConversionTask* t : list.tasks) delete t;
    setMessageBoxRunner(recordMessageBox);
    service.stop();
}
