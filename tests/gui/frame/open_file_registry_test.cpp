#include "gui/frame/open_file_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "core/bag_file.h"
#include "core/exceptions.h"
#include "core/texts.h"
#include "tests/support/test_support.h"

namespace {

class Holder : public OpenFileHolder {
public:
    Holder() : OpenFileHolder(&handler) {}
    void onFileEvent(i32 code, GFile*) override { events.push_back(code); }

    RecordingHandler handler;
    std::vector<i32> events;
};

u32 countedWaits = 0;
HANDLE waitingSignal = nullptr;
u32 countWait(void*, u32 ms) {
    EXPECT_EQ(500u, ms);
    ++countedWaits;
    return WAIT_TIMEOUT;
}

class OpenFileRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("a.bin", "first content");
        path = dir.file("a.bin");
    }
    void TearDown() override {
        OpenFileRegistry::waitForRecord = savedWait;
        fileReplaceHook = savedHook;
        OpenFileRegistry::openRecordStream = savedOpen;
    }
    TempDir dir;
    std::string path;
    OpenFileRegistry::WaitFunction savedWait = OpenFileRegistry::waitForRecord;
    FileReplaceHook savedHook = fileReplaceHook;
    OpenFileRegistry::OpenFunction savedOpen = OpenFileRegistry::openRecordStream;
};

bool refuseOpen(GFile&) { return false; }

// Writes the text through a safe replacement of the target.
bool replaceWith(const std::string& target, const char* text, ErrorHandler* handler) {
    GFile f(handler);
    if (!fileOpen(f, target.c_str(), FileMode::WriteReplace)) return false;
    fileWriteText(f, text);
    return fileCommit(f, target.c_str());
}

}  // namespace

TEST_F(OpenFileRegistryTest, TwoSpellingsShareOneRecordAndTheLastDetachClosesIt) {
    Holder a, b;
    u32 before = OpenFileRegistry::recordCount();
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &a));
    // The same file through a folder step and back, with forward slashes.
    std::string other = dir.path() + "\\.\\a.bin";
    for (char& c : other) if (c == '\\') c = '/';
    ASSERT_TRUE(OpenFileRegistry::attach(other.c_str(), &b));
    EXPECT_EQ(a.record, b.record);
    EXPECT_EQ(before + 1, OpenFileRegistry::recordCount());
    EXPECT_TRUE(OpenFileRegistry::fileInfo(&a));

    OpenFileRegistry::detach(&a);
    EXPECT_EQ(before + 1, OpenFileRegistry::recordCount());
    EXPECT_FALSE(OpenFileRegistry::fileInfo(&a));
    OpenFileRegistry::detach(&b);
    EXPECT_EQ(before, OpenFileRegistry::recordCount());
    EXPECT_TRUE(a.handler.reports.empty());
    EXPECT_TRUE(b.handler.reports.empty());
    // Closed: the file can be deleted now.
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST_F(OpenFileRegistryTest, AMissingFileIsReportedAndNotAttached) {
    Holder a;
    EXPECT_FALSE(OpenFileRegistry::attach(dir.file("none.bin").c_str(), &a));
    EXPECT_EQ(nullptr, a.record);
    ASSERT_EQ(1u, a.handler.reports.size());
    EXPECT_NE(std::string::npos, a.handler.lastText().find(coreText(CoreText::CannotFindFile)));
}

TEST_F(OpenFileRegistryTest, ABorrowWaitsTwiceOnlyWhenTheBorrowerAskedOthersToWait) {
    OpenFileRegistry::waitForRecord = countWait;
    struct Case {
        u32 borrowerMode;
        u32 waits;
    } cases[] = {{FileFlag::Read | RegistryMode::OthersWait, 2}, {FileFlag::Read, 0}};
    for (const Case& c : cases) {
        Holder a, b;
        ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &a));
        ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &b));
        GFile lent, second;
        ASSERT_TRUE(OpenFileRegistry::reopen(lent, &a, c.borrowerMode));
        countedWaits = 0;
        EXPECT_FALSE(OpenFileRegistry::reopen(second, &b, FileFlag::Read));
        EXPECT_EQ(c.waits, countedWaits);
        ASSERT_EQ(1u, b.handler.reports.size());
        EXPECT_NE(std::string::npos, b.handler.lastText().find(coreText(CoreText::RegistryFileBusy)));
        EXPECT_FALSE(second.isOpen());
        EXPECT_TRUE(OpenFileRegistry::endReopen(lent));
        EXPECT_FALSE(lent.isOpen());
        // Free again.
        EXPECT_TRUE(OpenFileRegistry::reopen(second, &b, FileFlag::Read));
        EXPECT_TRUE(OpenFileRegistry::endReopen(second));
    }
}

TEST_F(OpenFileRegistryTest, AWaitingBorrowerOnAnotherThreadGetsTheStreamWhenItIsGivenBack) {
    Holder a, b;
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &a));
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &b));
    GFile lent;
    ASSERT_TRUE(OpenFileRegistry::reopen(lent, &a, FileFlag::Read | RegistryMode::OthersWait));
    HANDLE waiting = waitingSignal = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // The waiter says it waits, and waits long enough for the give-back to wake it.
    OpenFileRegistry::waitForRecord = [](void* event, u32 ms) -> u32 {
        SetEvent(waitingSignal);
        return WaitForSingleObject((HANDLE)event, ms * 20);
    };
    bool borrowed = false;
    char first = 0;
    std::thread worker([&] {
        GFile f;
        borrowed = OpenFileRegistry::reopen(f, &b, FileFlag::Read);
        if (borrowed) fileRead(f, &first, 1);
        OpenFileRegistry::endReopen(f);
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(waiting, 5000));
    EXPECT_TRUE(OpenFileRegistry::endReopen(lent));
    worker.join();
    CloseHandle(waiting);
    EXPECT_TRUE(borrowed);
    EXPECT_EQ('f', first);
    EXPECT_TRUE(b.handler.reports.empty());
}

TEST_F(OpenFileRegistryTest, OthersHearAWriteOnceAndNothingWhenNothingWasWritten) {
    Holder a, b, c;
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &a));
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &b));
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &c));

    GFile idle;
    ASSERT_TRUE(OpenFileRegistry::reopen(idle, &a, FileFlag::Read | FileFlag::Write));
    EXPECT_TRUE(OpenFileRegistry::endReopen(idle));
    EXPECT_TRUE(b.events.empty());
    EXPECT_TRUE(c.events.empty());

    GFile writer;
    ASSERT_TRUE(OpenFileRegistry::reopen(writer, &a, FileFlag::Read | FileFlag::Write));
    ASSERT_TRUE(fileWrite(writer, "FIRST", 5));
    EXPECT_TRUE(OpenFileRegistry::endReopen(writer));
    EXPECT_EQ(std::vector<i32>{1}, b.events);
    EXPECT_EQ(std::vector<i32>{1}, c.events);
    EXPECT_TRUE(a.events.empty());
    EXPECT_EQ("FIRST content", dir.read("a.bin"));

    // The shared stream is open for reading again: a borrow reads the new bytes.
    GFile reader;
    char bytes[5];
    ASSERT_TRUE(OpenFileRegistry::reopen(reader, &b, FileFlag::Read));
    ASSERT_TRUE(fileRead(reader, bytes, 5));
    EXPECT_EQ("FIRST", std::string(bytes, 5));
    EXPECT_TRUE(OpenFileRegistry::endReopen(reader));
    EXPECT_TRUE(a.handler.reports.empty());
}

TEST_F(OpenFileRegistryTest, AWrittenFileThatCannotBeReadAgainIsGoneForEveryHolder) {
    Holder a, b, c;
    for (Holder* h : {&a, &b, &c}) ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), h));
    GFile writer;
    ASSERT_TRUE(OpenFileRegistry::reopen(writer, &a, FileFlag::Read | FileFlag::Write));
    ASSERT_TRUE(fileWrite(writer, "FIRST", 5));
    OpenFileRegistry::openRecordStream = refuseOpen;
    EXPECT_FALSE(OpenFileRegistry::endReopen(writer));
    EXPECT_EQ(0u, OpenFileRegistry::recordCount());
    // The news of the write gives way to the loss of the file, told once to every holder, and no
    // notification stays counted (a holder's end waits for those).
    for (Holder* h : {&a, &b, &c}) {
        EXPECT_EQ(std::vector<i32>{0}, h->events);
        EXPECT_EQ(nullptr, h->record);
        EXPECT_EQ(0, h->notifying.load());
        h->notifying = 0;  // a failure above must not hang the holder's end
    }
}

TEST_F(OpenFileRegistryTest, ReplacingIsRefusedUnlessTheFileIsBorrowedForSafeReplacement) {
    Holder a, b;
    RecordingHandler fileHandler;
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &a));
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &b));

    EXPECT_FALSE(replaceWith(path, "refused", &fileHandler));
    ASSERT_EQ(1u, fileHandler.reports.size());
    EXPECT_NE(std::string::npos, fileHandler.lastText().find(coreText(CoreText::RegistryFileOpenElsewhere)));
    EXPECT_EQ("first content", dir.read("a.bin"));

    // An unregistered file is replaced as usual.
    dir.write("free.bin", "old");
    EXPECT_TRUE(replaceWith(dir.file("free.bin"), "new", &fileHandler));
    EXPECT_EQ("new", dir.read("free.bin"));

    GFile lent;
    ASSERT_TRUE(OpenFileRegistry::reopen(lent, &a, FileFlag::Read | RegistryMode::SafeReplace));
    EXPECT_TRUE(replaceWith(path, "replaced", &fileHandler));
    EXPECT_EQ("replaced", dir.read("a.bin"));
    EXPECT_TRUE(lent.flags & FileFlag::Changed);
    EXPECT_TRUE(OpenFileRegistry::endReopen(lent));
    EXPECT_EQ(std::vector<i32>{1}, b.events);
    // The record follows the new file.
    EXPECT_TRUE(OpenFileRegistry::fileInfo(&a));
    EXPECT_EQ(1u, fileHandler.reports.size());
}

TEST_F(OpenFileRegistryTest, ABorrowerThatDetachesLosesTheStreamAndFreesTheRecord) {
    Holder a, b;
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &a));
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &b));
    GFile lent;
    ASSERT_TRUE(OpenFileRegistry::reopen(lent, &a, FileFlag::Read | RegistryMode::OthersWait));
    OpenFileRegistry::detach(&a);
    GFile second;
    ASSERT_TRUE(OpenFileRegistry::reopen(second, &b, FileFlag::Read));
    EXPECT_TRUE(OpenFileRegistry::endReopen(second));

    // The last holder goes while its borrow is out: the record closes, the lent file is emptied.
    ASSERT_TRUE(OpenFileRegistry::reopen(second, &b, FileFlag::Read));
    OpenFileRegistry::detach(&b);
    EXPECT_FALSE(second.isOpen());
    EXPECT_TRUE(OpenFileRegistry::endReopen(second));
    EXPECT_TRUE(OpenFileRegistry::endReopen(lent));
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST_F(OpenFileRegistryTest, HoldersAreToldOutsideTheRegistryLock) {
    // The holder hands work to another thread that uses the registry and waits for it: inside the
    // lock that thread would never get in.
    struct CrossThreadHolder : Holder {
        void onFileEvent(i32 code, GFile* file) override {
            Holder::events.push_back(code);
            (void)file;
            HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            std::thread helper([this, done] {
                stillAttached = OpenFileRegistry::fileInfo(this);
                SetEvent(done);
            });
            finished = WaitForSingleObject(done, 5000) == WAIT_OBJECT_0;
            if (finished) helper.join();
            else helper.detach();
            CloseHandle(done);
        }
        bool finished = false;
        std::atomic<bool> stillAttached{false};
    };
    Holder writerHolder;
    CrossThreadHolder other;
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &writerHolder));
    ASSERT_TRUE(OpenFileRegistry::attach(path.c_str(), &other));
    GFile writer;
    ASSERT_TRUE(OpenFileRegistry::reopen(writer, &writerHolder, FileFlag::Read | FileFlag::Write));
    ASSERT_TRUE(fileWrite(writer, "x", 1));
    EXPECT_TRUE(OpenFileRegistry::endReopen(writer));
    EXPECT_EQ(std::vector<i32>{1}, other.events);
    EXPECT_TRUE(other.finished);
    EXPECT_TRUE(other.stillAttached);
}

TEST_F(OpenFileRegistryTest, AThrowingReportLeavesTheLockAndBecomesGException) {
    struct ThrowingHandler : ErrorHandler {
        bool report(const char*, int) override { throw 7; }
    } throwing;
    struct Plain : OpenFileHolder {
        explicit Plain(ErrorHandler* h) : OpenFileHolder(h) {}
        void onFileEvent(i32, GFile*) override {}
    } holder(&throwing);
    EXPECT_THROW(OpenFileRegistry::attach(dir.file("none.bin").c_str(), &holder), GException);
    // Another thread gets into the registry at once.
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread other([done] {
        OpenFileRegistry::recordCount();
        SetEvent(done);
    });
    bool entered = WaitForSingleObject(done, 5000) == WAIT_OBJECT_0;
    if (entered) other.join();
    else other.detach();
    CloseHandle(done);
    EXPECT_TRUE(entered);
}
