// The document placer with a fake page kind over real temporary files: writes heard by the other
// page of one file, failing writes that keep the document, Save As away from a held file, a file
// taken away from a modified page, commands while a job runs, SAVE_ALL and the ask-all walk, and
// the command states.
#include "gui/frame/file_placer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exceptions.h"
#include "core/gfile.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/kernel/window_procedure.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

namespace {
std::vector<std::string> boxes;
std::vector<i32> answers;  // taken in order; none left: 2
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    boxes.push_back(text);
    if (answers.empty()) return 2;
    i32 a = answers.front();
    answers.erase(answers.begin());
    return a;
}

// A page whose document is the file's text.
class TextPage : public GFilePlacer {
public:
    explicit TextPage(GWindow* owner) : GFilePlacer(nullptr, owner, nullptr, nullptr, nullptr) {}
    void openFile(const char* path, GBag& state) override {
        GFilePlacer::openFile(path, state);
        if (!hasDocument) return;
        GFile f;
        text.clear();
        if (fileOpen(f, path, FileMode::Read | FileFlag::Quiet)) {
            char buffer[256];
            i64 n = fileSize(f);
            if (n > 0 && n < 256 && fileRead(f, buffer, (u32)n)) text.assign(buffer, (size_t)n);
        }
        ++loads;
    }
    void saveFile(GFile& file, u32) override { fileWriteText(file, text.c_str()); }
    void newDocument() override {
        GFilePlacer::newDocument();
        text.clear();
    }
    void edit(const char* newText) {
        text = newText;
        setModified(true);
    }
    std::string text;
    int loads = 0;
};

struct Fixture {
    TestApplication app;
    GDialog owner{nullptr, nullptr};
    TempDir dir;
    Fixture() {
        createTopLevelWindow(&owner, WS_POPUP, 0, "");
        boxes.clear();
        answers.clear();
        setMessageBoxSink(recordBox);
        dir.write("a.txt", "first");
    }
    ~Fixture() {
        setMessageBoxSink(nullptr);
        DestroyWindow(owner.hwnd);
    }
    std::string path(const char* name) { return dir.file(name); }
};

// Pumps the posted commands.
void settle() { pumpUntil([] { return false; }, 100); }
}  // namespace

TEST(FilePlacer, ASaveInOnePageReachesTheOtherPageOfTheFile) {
    Fixture f;
    TextPage a(&f.owner), b(&f.owner);
    std::string file = f.path("a.txt");
    a.loadDocument(file.c_str(), nullptr);
    b.loadDocument(file.c_str(), nullptr);
    ASSERT_EQ("first", b.text);
    EXPECT_STREQ("a.txt", a.firstCaption());

    // b clean: it reloads.
    a.edit("second");
    ASSERT_TRUE(a.onCommand(FileCommandSave, nullptr));
    EXPECT_EQ("second", f.dir.read("a.txt"));
    EXPECT_FALSE(a.modified);
    settle();
    EXPECT_EQ("second", b.text);
    EXPECT_TRUE(boxes.empty());

    // b modified, answer 6: b writes its own version, no reload.
    b.edit("b's");
    a.edit("a's");
    answers = {6};
    a.onCommand(FileCommandSave, nullptr);
    settle();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::string::npos, boxes[0].find("a.txt"));
    EXPECT_EQ("b's", f.dir.read("a.txt"));
    EXPECT_FALSE(b.modified);
    // ... which a hears and reloads.
    settle();
    EXPECT_EQ("b's", a.text);

    // Answer 7: b drops its edits and reloads.
    boxes.clear();
    b.edit("lost");
    a.edit("third");
    answers = {7};
    a.onCommand(FileCommandSave, nullptr);
    settle();
    EXPECT_EQ(1u, boxes.size());
    EXPECT_EQ("third", b.text);
    EXPECT_FALSE(b.modified);
    EXPECT_EQ("third", f.dir.read("a.txt"));

    // Saving without changes writes nothing: the other page hears nothing.
    int loads = b.loads;
    boxes.clear();
    a.onCommand(FileCommandSave, nullptr);
    settle();
    EXPECT_EQ(loads, b.loads);
    EXPECT_TRUE(boxes.empty());
}

TEST(FilePlacer, AFailedWriteKeepsTheDocumentAndItsFlag) {
    Fixture f;
    TextPage a(&f.owner);
    std::string file = f.path("a.txt");
    a.loadDocument(file.c_str(), nullptr);
    f.dir.write("locked.txt", "old");
    std::string locked = f.path("locked.txt");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    std::string missing = f.path("no\\such\\folder.txt");
    for (const std::string& target : {locked, missing}) {
        SCOPED_TRACE(target);
        a.errorHandler.lastCode = 0;
        a.edit("edited");
        // The error goes to the error box queue, then the handler throws.
        EXPECT_THROW(a.saveDocument(target.c_str(), SaveAs), GException);
        EXPECT_NE(0, a.errorHandler.lastCode);
        EXPECT_TRUE(a.modified);
        EXPECT_TRUE(a.hasDocument);
        EXPECT_EQ("edited", a.text);
        EXPECT_STREQ(file.c_str(), a.documentPath());
    }
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ("old", f.dir.read("locked.txt"));
    EXPECT_EQ("first", f.dir.read("a.txt"));
}

TEST(FilePlacer, SaveAsAwayFromAHeldFileTellsItsHoldersNothing) {
    Fixture f;
    TextPage a(&f.owner), b(&f.owner);
    std::string file = f.path("a.txt"), other = f.path("b.txt");
    a.loadDocument(file.c_str(), nullptr);
    b.loadDocument(file.c_str(), nullptr);
    b.edit("b's");
    a.edit("moved");
    a.saveDocument(other.c_str(), SaveAs);
    settle();
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(b.modified);
    EXPECT_EQ("b's", b.text);
    EXPECT_EQ("moved", f.dir.read("b.txt"));
    EXPECT_TRUE(isPageFile(&a, other.c_str()));
    EXPECT_FALSE(isPageFile(&a, file.c_str()));
    EXPECT_EQ(&b, findWindowForFile(0, file.c_str()));
    EXPECT_EQ(&a, findWindowForFile(0, other.c_str()));
}

TEST(FilePlacer, AFileTakenFromAModifiedPageAsksFirst) {
    Fixture f;
    TextPage a(&f.owner);
    std::string file = f.path("a.txt");
    a.loadDocument(file.c_str(), nullptr);
    a.edit("precious");
    answers = {2};
    EXPECT_TRUE(a.onCommand(FileCommandGone, nullptr));
    EXPECT_EQ(1u, boxes.size());
    EXPECT_TRUE(a.modified);
    EXPECT_EQ("precious", a.text);
    answers = {7};
    a.onCommand(FileCommandGone, nullptr);
    EXPECT_FALSE(a.hasDocument);
    EXPECT_EQ("", a.text);
    // A clean page closes without a word.
    a.loadDocument(file.c_str(), nullptr);
    boxes.clear();
    a.onCommand(FileCommandGone, nullptr);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(a.hasDocument);
}

TEST(FilePlacer, CommandStatesAndARunningJob) {
    Fixture f;
    TextPage a(&f.owner);
    struct Case {
        u32 command;
        i32 empty, open;
    };
    const Case cases[] = {{FileCommandOpen, 0, 0},  {FileCommandReload, 1, 0}, {FileCommandRefresh, 2, 2},
                          {FileCommandClose, 1, 0}, {FileCommandSave, 1, 0},   {FileCommandSaveAs, 1, 0},
                          {FileCommandSaveAll, 0, 0}, {FileCommandPick, 1, 1}, {FileCommandNew, 0, 0},
                          {FileCommandChanged, 0, 0}, {FileCommandGone, 0, 0}, {5000, 0, 0}};
    for (const Case& c : cases) EXPECT_EQ(c.empty, a.commandState(c.command)) << c.command;
    std::string file = f.path("a.txt");
    a.loadDocument(file.c_str(), nullptr);
    for (const Case& c : cases) EXPECT_EQ(c.open, a.commandState(c.command)) << c.command;

    // While a job runs: nothing handled; closing answers 2 and stops the job unless it saves.
    a.edit("x");
    for (u32 action : {0u, 108u, 110u, 112u}) {
        PlacerJob job;
        job.action = action;
        a.job = &job;
        EXPECT_FALSE(a.onCommand(FileCommandClose, nullptr));
        EXPECT_EQ(CommandDisabled, a.commandState(FileCommandOpen));
        EXPECT_EQ(2, a.queryClose());
        EXPECT_EQ(action < 108 || action > 110, job.stopRequested.load()) << action;
        a.job = nullptr;
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(a.hasDocument);
}

TEST(FilePlacer, SaveAllStopsAtTheFirstFailureAndAskAllAtCancel) {
    Fixture f;
    f.dir.write("b.txt", "b");
    f.dir.write("c.txt", "c");
    {
        TextPage a(&f.owner), b(&f.owner), c(&f.owner);
        a.loadDocument(f.path("a.txt").c_str(), nullptr);
        b.loadDocument(f.path("b.txt").c_str(), nullptr);
        c.loadDocument(f.path("c.txt").c_str(), nullptr);
        saveAllDocuments(&f.owner);
        EXPECT_EQ(std::vector<std::string>{guiText(GuiText::FilesNoneToSave)}, boxes);
        a.edit("A");
        b.edit("B");
        c.edit("C");
        SetFileAttributesA(f.path("b.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        boxes.clear();
        saveAllDocuments(&f.owner);
        SetFileAttributesA(f.path("b.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ("A", f.dir.read("a.txt"));
        EXPECT_EQ("b", f.dir.read("b.txt"));
        EXPECT_EQ("c", f.dir.read("c.txt"));  // not reached
        ASSERT_EQ(1u, boxes.size());  // the page's (the write's own error is queued)
        EXPECT_NE(std::string::npos, boxes[0].find("b.txt"));
        EXPECT_TRUE(c.modified);

        // Asking all: b answered No, c Cancel; the walk ends there.
        boxes.clear();
        answers = {7, 2};
        EXPECT_FALSE(askSaveAllDocuments());
        EXPECT_EQ(2u, boxes.size());
        EXPECT_FALSE(b.modified);
        EXPECT_TRUE(c.modified);
        answers = {7};
        EXPECT_TRUE(askSaveAllDocuments());
    }
}
