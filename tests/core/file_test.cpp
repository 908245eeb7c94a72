#include <gtest/gtest.h>

#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/exceptions.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "core/progress.h"
#include "tests/support/test_support.h"

namespace {

class CancelAfter : public JobProgress {
public:
    explicit CancelAfter(u32 calls) : left(calls) {}
    bool report(u64 done, const char* text) override {
        seen.push_back(done);
        if (left && --left == 0) cancel();
        return JobProgress::report(done, text);
    }
    u32 left;
    std::vector<u64> seen;
};

}  // namespace

TEST(ErrorText, Composition) {
    struct Case {
        const char* message;
        const char* detail;
        const char* file;
        int code;
        const char* text;
    } cases[] = {
        {"Cannot read file", nullptr, "D:\\a\\b.wav", 13,
         "Cannot read file.\nD:\\a\\b.wav.\nError Code: 13 (Permission denied)."},
        {"Cannot read file", nullptr, "x.wav", -1, "Cannot read file.\nx.wav.\nError Code: -1 (Unexpected end of file)."},
        {"Deadlock", nullptr, nullptr, 36, "Deadlock.\nError Code: 36 (Resource deadlock would occur)."},
        {"Odd", nullptr, nullptr, 15, "Odd.\nError Code: 15."},
        {"Message!", "detail", "name'", 0, "Message!\ndetail.\nname'"},
        {"", "", "", 2, "Error Code: 2 (No such file or directory)."},
        {"Busy", nullptr, nullptr, 16, "Busy.\nError Code: 16 (Device, file or resource is busy.)."},
    };
    for (const Case& c : cases) {
        GString text;
        errorText(text, c.message, c.detail, c.file, c.code);
        EXPECT_STREQ(text.c_str(), c.text);
    }
    EXPECT_STREQ(errorCodeText(80), "String was truncated");
    EXPECT_EQ(errorCodeText(26), nullptr);
}

TEST(ErrorText, ReportingHelpers) {
    RecordingHandler handler;
    EXPECT_FALSE(reportToHandler(nullptr, "m", nullptr, nullptr, 0));
    handler.answer = true;
    EXPECT_TRUE(reportToHandler(&handler, "m", nullptr, "f", 2));
    EXPECT_EQ(handler.lastText(), "m.\nf.\nError Code: 2 (No such file or directory).");
    EXPECT_EQ(handler.lastCode(), 2);
    handler.answer = false;
    reportMessage(&handler, "Plain message", 5);
    EXPECT_EQ(handler.lastText(), "Plain message.");
    reportMessageDetail(&handler, "Top", "below", 0);
    EXPECT_EQ(handler.lastText(), "Top.\nbelow.");
    std::string huge(10000, 'z');
    reportFormatted(&handler, "%s", huge.c_str());
    EXPECT_EQ(handler.lastText().size(), 4095u);

    ForwardingErrorHandler forward(&handler);
    forward.report("passed on", 3);
    EXPECT_EQ(handler.lastText(), "passed on");
    ForwardingErrorHandler empty;
    EXPECT_FALSE(empty.report("nobody", 0));
}

TEST(ErrorText, WindowHandlerShowsThenThrows) {
    recordedBoxes().clear();
    WindowErrorHandler boxOnly(nullptr, 2);
    EXPECT_FALSE(boxOnly.report("first", 4));
    EXPECT_EQ(boxOnly.lastCode, 4);
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0].title, "Error");
    EXPECT_EQ(recordedBoxes()[0].text, "first");

    WindowErrorHandler abandon(nullptr, 3);
    GFile f(&abandon);
    EXPECT_THROW(fileRead(f, nullptr, 1), GException);
    EXPECT_EQ(recordedBoxes().back().text, "File is not opened.");

    WindowErrorHandler silent(nullptr, 0);
    EXPECT_FALSE(silent.report("nothing shown", 1));
    EXPECT_EQ(recordedBoxes().size(), 2u);
}

TEST(GFile, UsageErrorsAreReported) {
    TempDir dir;
    RecordingHandler handler;
    GFile f(&handler);
    char byte;
    EXPECT_FALSE(fileRead(f, &byte, 1));
    EXPECT_FALSE(fileWrite(f, &byte, 1));
    EXPECT_FALSE(fileOpen(f, dir.file("a").c_str(), 0));
    EXPECT_FALSE(fileOpen(f, "", FileMode::Read));
    EXPECT_FALSE(fileOpen(f, dir.file("missing").c_str(), FileMode::Read));
    ASSERT_EQ(handler.reports.size(), 5u);
    EXPECT_EQ(handler.reports[0].first, "File is not opened.");
    EXPECT_EQ(handler.reports[2].first, "File mode is not read and not write.\n" + dir.file("a") + ".");
    EXPECT_EQ(handler.reports[3].first, "File name is not set.");
    EXPECT_EQ(handler.reports[4].first,
              "Cannot open or create file.\n" + dir.file("missing") + ".\nError Code: 2 (No such file or directory).");
    EXPECT_TRUE(f.failed());

    ASSERT_TRUE(fileOpen(f, dir.file("w").c_str(), FileMode::Write));
    EXPECT_FALSE(f.failed());  // the error bit lasts until the next open
    EXPECT_FALSE(fileOpen(f, dir.file("w").c_str(), FileMode::Write));
    EXPECT_EQ(handler.lastText(), "File is already opened.\n" + dir.file("w") + ".");
    EXPECT_TRUE(f.isOpen());
    EXPECT_FALSE(fileRead(f, &byte, 1));
    EXPECT_EQ(handler.lastText(), "File is not opened for reading.\n" + dir.file("w") + ".");

    GFile reader(&handler);
    dir.write("r", "x");
    ASSERT_TRUE(fileOpen(reader, dir.file("r").c_str(), FileMode::Read));
    EXPECT_FALSE(fileWrite(reader, "y", 1));
    EXPECT_EQ(handler.lastText(), "File is not opened for writing.\n" + dir.file("r") + ".");

    // Quiet files fail without telling the handler.
    size_t before = handler.reports.size();
    GFile quiet(&handler);
    EXPECT_FALSE(fileOpen(quiet, dir.file("missing").c_str(), FileMode::Read | FileFlag::Quiet));
    EXPECT_EQ(handler.reports.size(), before);
    EXPECT_TRUE(quiet.failed());
}

TEST(GFile, ShortReadReportsUnexpectedEnd) {
    TempDir dir;
    dir.write("short.bin", std::string(14, 'a'));
    RecordingHandler handler;
    GFile f(&handler);
    ASSERT_TRUE(fileOpen(f, dir.file("short.bin").c_str(), FileMode::Read));
    char buffer[16];
    ASSERT_TRUE(fileRead(f, buffer, 10));
    EXPECT_FALSE(fileRead(f, buffer, 10));  // 4 left
    EXPECT_TRUE(f.flags & FileFlag::Eof);
    EXPECT_TRUE(f.failed());
    EXPECT_EQ(handler.lastCode(), -1);
    EXPECT_EQ(handler.lastText(), "Cannot read file.\n" + dir.file("short.bin") + ".\nError Code: -1 (Unexpected end of file).");
    i64 position = 0;
    ASSERT_TRUE(fileTell(f, &position));
    EXPECT_EQ(position, 14);
    EXPECT_TRUE(fileRead(f, buffer, 0));
}

TEST(GFile, DirectionChangesSeekFirst) {
    TempDir dir;
    dir.write("rw.bin", "0123456789");
    GFile f;
    ASSERT_TRUE(fileOpen(f, dir.file("rw.bin").c_str(), FileFlag::Read | FileFlag::Write));
    char two[2];
    ASSERT_TRUE(fileRead(f, two, 2));
    ASSERT_TRUE(fileWrite(f, "ab", 2));  // lands at position 2
    char rest[6];
    ASSERT_TRUE(fileRead(f, rest, 6));  // continues at position 4
    EXPECT_EQ(std::string(rest, 6), "456789");
    ASSERT_TRUE(fileWriteAtPosition(f, 9, "Z", 1));
    EXPECT_TRUE(f.flags & FileFlag::Changed);
    ASSERT_TRUE(fileClose(f));
    EXPECT_EQ(dir.read("rw.bin"), "01ab45678Z");
}

TEST(GFile, ShareModes) {
    TempDir dir;
    dir.write("s.bin", "data");
    const std::string name = dir.file("s.bin");
    struct Case {
        u32 first, second;
        bool secondOpens;
    } cases[] = {
        {FileMode::Read, FileMode::Read, true},                    // deny writing lets readers in
        {FileMode::Read, FileFlag::Write, false},                  // but no writer
        {FileMode::Write, FileFlag::Read, false},                  // deny both
        {FileFlag::Read, FileFlag::Read | FileFlag::Write, true},  // deny none
        {FileFlag::Read | FileFlag::DenyRead, FileFlag::Read, false},
    };
    for (const Case& c : cases) {
        GFile first, second;
        ASSERT_TRUE(fileOpen(first, name.c_str(), c.first)) << c.first;
        EXPECT_EQ(fileOpen(second, name.c_str(), c.second), c.secondOpens) << c.first << " then " << c.second;
    }
}

TEST(GFile, DeleteOnClose) {
    TempDir dir;
    dir.write("t1", "x");
    GFile reader;
    ASSERT_TRUE(fileOpen(reader, dir.file("t1").c_str(), FileMode::ReadTemp));
    EXPECT_TRUE(fileClose(reader));
    EXPECT_FALSE(dir.exists("t1"));
    EXPECT_TRUE(reader.flags & FileFlag::Deleted);

    RecordingHandler handler;
    {
        GFile writer(&handler);
        ASSERT_TRUE(fileOpen(writer, dir.file("t2").c_str(), FileMode::WriteTemp));
        ASSERT_TRUE(fileWrite(writer, "abc", 3));
        EXPECT_TRUE(dir.exists("t2"));
    }  // the destructor closes and deletes
    EXPECT_FALSE(dir.exists("t2"));

    // A file already removed by another party is no error.
    GFile gone(&handler);
    dir.write("t3", "x");
    ASSERT_TRUE(fileOpen(gone, dir.file("t3").c_str(), FileFlag::Read | FileFlag::DeleteOnClose));
    ASSERT_TRUE(fileClose(gone));
    GFile again(&handler);
    assignHeapText(&again.name, dir.file("t3").c_str());
    again.flags = FileFlag::DeleteOnClose;
    EXPECT_TRUE(fileClose(again));
    EXPECT_TRUE(handler.reports.empty());
}

TEST(GFile, SeekAndTellPast4GiB) {
    TempDir dir;
    GFile f;
    ASSERT_TRUE(fileOpen(f, dir.file("sparse.bin").c_str(), FileFlag::Read | FileFlag::Write | FileFlag::Create));
    const i64 far = 5LL << 30;
    ASSERT_TRUE(fileSeek(f, far, SEEK_SET));
    ASSERT_TRUE(fileWrite(f, "END", 3));
    i64 position = 0;
    ASSERT_TRUE(fileTell(f, &position));
    EXPECT_EQ(position, far + 3);
    EXPECT_EQ(fileSize(f), far + 3);
    ASSERT_TRUE(fileSeek(f, -3, SEEK_END));
    char tail[3];
    ASSERT_TRUE(fileRead(f, tail, 3));
    EXPECT_EQ(std::string(tail, 3), "END");
    ASSERT_TRUE(fileSeek(f, far - 1, SEEK_SET));
    ASSERT_TRUE(fileRead(f, tail, 1));
    EXPECT_EQ(tail[0], 0);
    ASSERT_TRUE(fileClose(f));
    EXPECT_EQ(fileSizeByName(dir.file("sparse.bin").c_str()), far + 3);
}

TEST(GFile, ReadLine) {
    TempDir dir;
    dir.write("lines.txt", "one\rtwo\r\nthree\nlongerline\n\nlast");
    RecordingHandler handler;
    GFile f(&handler);
    ASSERT_TRUE(fileOpen(f, dir.file("lines.txt").c_str(), FileMode::Read));
    char line[8];
    const char* expected[] = {"one", "two", "three"};
    for (const char* e : expected) {
        ASSERT_TRUE(fileReadLine(f, line, sizeof line));
        EXPECT_STREQ(line, e);
    }
    EXPECT_FALSE(fileReadLine(f, line, sizeof line));
    EXPECT_EQ(handler.lastText().substr(0, 14), "Too long line.");
    char big[64];
    ASSERT_TRUE(fileReadLine(f, big, sizeof big));  // the rest of the long line
    EXPECT_STREQ(big, "ine");
    ASSERT_TRUE(fileReadLine(f, big, sizeof big));
    EXPECT_STREQ(big, "");
    ASSERT_TRUE(fileReadLine(f, big, sizeof big));
    EXPECT_STREQ(big, "last");
    EXPECT_FALSE(fileReadLine(f, big, sizeof big));
    EXPECT_FALSE(fileReadLine(f, big, 1));
    EXPECT_EQ(handler.lastText().substr(0, 20), "Buffer is too small.");
}

TEST(GFile, CopyRangeAlignsChunksAndCancels) {
    TempDir dir;
    std::string bytes(100000, 0);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = (char)(i * 7);
    dir.write("src.bin", bytes);
    GFile source, target;
    ASSERT_TRUE(fileOpen(source, dir.file("src.bin").c_str(), FileMode::Read));
    ASSERT_TRUE(fileOpen(target, dir.file("dst.bin").c_str(),
                         FileFlag::Read | FileFlag::Write | FileFlag::Create | FileFlag::Truncate));

    // Chunks end on 16 KiB boundaries of the target position.
    CancelAfter progress(0);
    progress.setTotal(60000);
    ASSERT_TRUE(fileCopyRange(source, 10, target, 1000, 60000, &progress));
    std::vector<u64> expected = {15384, 31768, 48152, 60000};
    EXPECT_EQ(progress.seen, expected);
    EXPECT_EQ(progress.percent, 100u);
    ASSERT_TRUE(fileFlush(target));
    std::string copied = dir.read("dst.bin");
    ASSERT_EQ(copied.size(), 61000u);
    EXPECT_EQ(copied.substr(1000), bytes.substr(10, 60000));
    EXPECT_EQ(copied.substr(0, 1000), std::string(1000, 0));

    // Source-aligned chunks.
    CancelAfter aligned(0);
    ASSERT_TRUE(fileCopyRangeSourceAligned(source, 16000, target, 0, 20000, &aligned));
    EXPECT_EQ(aligned.seen, (std::vector<u64>{384, 16768, 20000}));

    // Cancel after the second chunk: the copy stops and says so.
    RecordingHandler listener;
    CancelAfter cancelling(2);
    cancelling.listener = &listener;
    EXPECT_FALSE(fileCopyRange(source, 0, target, 0, 90000, &cancelling));
    EXPECT_EQ(cancelling.seen.size(), 2u);
    EXPECT_EQ(listener.lastText(), "Operation was canceled");

    // The rest of a file, and zero fill.
    ASSERT_TRUE(fileSeek(source, 99990, SEEK_SET));
    ASSERT_TRUE(fileSeek(target, 0, SEEK_SET));
    ASSERT_TRUE(fileCopyRest(source, target, nullptr));
    ASSERT_TRUE(fileFillZero(target, 40000, nullptr));
    ASSERT_TRUE(fileClose(target));
    std::string result = dir.read("dst.bin");
    EXPECT_EQ(result.substr(0, 10), bytes.substr(99990));
    EXPECT_EQ(result.substr(10, 40000), std::string(40000, 0));
}

TEST(GFile, CopyRangeWithinOneFile) {
    TempDir dir;
    std::string bytes(50000, 0);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = (char)(i * 13 + 1);
    dir.write("one.bin", bytes);
    GFile f;
    ASSERT_TRUE(fileOpen(f, dir.file("one.bin").c_str(), FileFlag::Read | FileFlag::Write));
    ASSERT_TRUE(fileCopyRange(f, 100, f, 60000, 40000, nullptr));
    ASSERT_TRUE(fileClose(f));
    std::string result = dir.read("one.bin");
    ASSERT_EQ(result.size(), 100000u);
    EXPECT_EQ(result.substr(0, 50000), bytes);
    EXPECT_EQ(result.substr(60000), bytes.substr(100, 40000));
}

TEST(FileSystem, Helpers) {
    TempDir dir;
    RecordingHandler handler;
    dir.write("a", "12345");
    EXPECT_TRUE(pathExists(dir.file("a").c_str()));
    EXPECT_TRUE(pathIsFile(dir.file("a").c_str()));
    EXPECT_FALSE(pathIsDirectory(dir.file("a").c_str()));
    EXPECT_TRUE(pathIsDirectory(dir.path().c_str()));
    EXPECT_EQ(fileSizeByName(dir.file("a").c_str()), 5);
    EXPECT_EQ(fileSizeByName(dir.file("none").c_str()), -1);

    FileInfo info;
    ASSERT_TRUE(fileInfo(dir.file("a").c_str(), &info, &handler));
    EXPECT_EQ(info.size, 5u);
    EXPECT_FALSE(fileInfo(dir.file("none").c_str(), &info, &handler));
    EXPECT_EQ(handler.lastText(), "Cannot find file.\n" + dir.file("none") + ".");

    EXPECT_TRUE(moveFile(dir.file("a").c_str(), dir.file("b").c_str(), &handler));
    EXPECT_FALSE(moveFile(dir.file("a").c_str(), dir.file("c").c_str(), &handler));
    EXPECT_EQ(handler.lastText().substr(0, 19), "Cannot rename file.");
    EXPECT_TRUE(deleteFile(dir.file("b").c_str(), &handler));
    EXPECT_TRUE(deleteFile(dir.file("b").c_str(), &handler));  // missing counts as deleted

    std::string sub = dir.file("sub");
    EXPECT_TRUE(createDirectory(sub.c_str(), &handler));
    EXPECT_TRUE(createDirectory(sub.c_str(), &handler));  // already there
    dir.write("sub\\f", "x");
    EXPECT_FALSE(removeDirectory(sub.c_str(), &handler));
    EXPECT_EQ(handler.lastText().substr(0, 24), "Cannot delete directory.");
    EXPECT_FALSE(createDirectory(dir.file("no\\such\\parent").c_str(), &handler));
    EXPECT_EQ(handler.lastText().substr(0, 24), "Cannot create directory.");
}

TEST(SafeReplace, CommitsOrRollsBack) {
    TempDir dir;
    RecordingHandler handler;
    const std::string target = dir.file("song.ravo");

    // A missing target is a plain rename.
    {
        GFile f(&handler);
        ASSERT_TRUE(fileOpen(f, target.c_str(), FileMode::WriteReplace));
        ASSERT_TRUE(fileWriteText(f, "first"));
        ASSERT_TRUE(fileCommit(f, target.c_str()));
    }
    EXPECT_EQ(dir.read("song.ravo"), "first");
    EXPECT_EQ(dir.list().size(), 1u);

    // An existing target is replaced; nothing else is left behind.
    {
        GFile f(&handler);
        ASSERT_TRUE(fileOpen(f, target.c_str(), FileMode::WriteReplace));
        ASSERT_TRUE(fileWriteText(f, "second"));
        ASSERT_TRUE(safeReplaceFile(f, target.c_str()));
    }
    EXPECT_EQ(dir.read("song.ravo"), "second");
    EXPECT_EQ(dir.list().size(), 1u);

    // The final rename fails (the new file's name is gone): the old target comes back and the
    // temporary name is not left behind.
    {
        GFile f(&handler);
        ASSERT_TRUE(fileOpen(f, target.c_str(), FileMode::WriteReplace));
        ASSERT_TRUE(fileWriteText(f, "third"));
        ASSERT_TRUE(fileClose(f));  // closing deletes the temporary file
        EXPECT_FALSE(safeReplaceFile(f, target.c_str()));
        EXPECT_TRUE(f.failed());
    }
    EXPECT_EQ(dir.read("song.ravo"), "second");
    EXPECT_EQ(dir.list().size(), 1u);

    // A file whose writing failed never replaces the target.
    {
        GFile f(&handler);
        ASSERT_TRUE(fileOpen(f, target.c_str(), FileMode::WriteReplace));
        ASSERT_TRUE(fileWriteText(f, "broken"));
        f.flags |= FileFlag::Error;
        EXPECT_FALSE(fileCommit(f, target.c_str()));
    }
    EXPECT_EQ(dir.read("song.ravo"), "second");
    EXPECT_EQ(dir.list().size(), 1u);

    // The target cannot be moved away (it is held open without sharing): nothing changes.
    {
        GFile holder;
        ASSERT_TRUE(fileOpen(holder, target.c_str(), FileFlag::Read | FileFlag::DenyRead | FileFlag::DenyWrite));
        GFile f(&handler);
        ASSERT_TRUE(fileOpen(f, target.c_str(), FileMode::WriteReplace));
        ASSERT_TRUE(fileWriteText(f, "fourth"));
        EXPECT_FALSE(fileCommit(f, target.c_str()));
    }
    EXPECT_EQ(dir.read("song.ravo"), "second");
    EXPECT_EQ(dir.list().size(), 1u);
}

TEST(SafeReplace, AThrowingHandlerHearsOnceAfterTheRollback) {
    // The handler shows the box, then throws: the failing step must not strand the old file under
    // its temporary name.
    TempDir dir;
    const std::string target = dir.file("song.ravo");
    struct Case {
        const char* what;
        bool commit;    // through fileCommit, else safeReplaceFile
        bool readOnly;  // the old file cannot be deleted once moved away
        const char* message;
    } cases[] = {
        {"final rename fails", false, false, "Cannot rename file."},
        {"final rename fails, committed", true, false, "Cannot rename file."},
        {"old file cannot be deleted", false, true, "Cannot delete file."},
        {"old file cannot be deleted, committed", true, true, "Cannot delete file."},
    };
    for (const Case& c : cases) {
        dir.write("song.ravo", "old");
        if (c.readOnly) _chmod(target.c_str(), _S_IREAD);
        recordedBoxes().clear();
        WindowErrorHandler abandon(nullptr, 3);
        {
            GFile f(&abandon);
            ASSERT_TRUE(fileOpen(f, target.c_str(), FileMode::WriteReplace)) << c.what;
            ASSERT_TRUE(fileWriteText(f, "new")) << c.what;
            if (!c.readOnly) {
                ASSERT_TRUE(fileClose(f)) << c.what;  // the new file's name is gone
            }
            if (c.commit)
                EXPECT_FALSE(fileCommit(f, target.c_str())) << c.what;
            else
                EXPECT_THROW(safeReplaceFile(f, target.c_str()), GException) << c.what;
            EXPECT_TRUE(f.failed()) << c.what;
        }
        _chmod(target.c_str(), _S_IREAD | _S_IWRITE);
        EXPECT_EQ(dir.read("song.ravo"), "old") << c.what;
        EXPECT_EQ(dir.list(), std::vector<std::string>{"song.ravo"}) << c.what;
        ASSERT_EQ(recordedBoxes().size(), 1u) << c.what;
        EXPECT_EQ(recordedBoxes()[0].text.rfind(c.message, 0), 0u) << c.what << ": " << recordedBoxes()[0].text;
    }
}

namespace {
// What the completion of a commit was handed.
struct HandedOver {
    bool open = true;
    std::string content;
};
HandedOver g_handedOver;
bool recordingReplace(GFile& f, const char*) {
    g_handedOver.open = f.isOpen();
    g_handedOver.content = readWholeFile(f.name);
    return false;
}
}  // namespace

TEST(SafeReplace, CommitHandsOverTheClosedFile) {
    TempDir dir;
    dir.write("song.ravo", "old");
    FileReplaceHook saved = fileReplaceHook;
    fileReplaceHook = recordingReplace;
    {
        GFile f;
        ASSERT_TRUE(fileOpen(f, dir.file("song.ravo").c_str(), FileMode::WriteReplace));
        ASSERT_TRUE(fileWriteText(f, "written"));
        EXPECT_FALSE(fileCommit(f, dir.file("song.ravo").c_str()));
        EXPECT_TRUE(fileClose(f));  // a file the completion did not take is deleted by its close
    }
    fileReplaceHook = saved;
    EXPECT_FALSE(g_handedOver.open);
    EXPECT_EQ(g_handedOver.content, "written");
    EXPECT_EQ(dir.list(), std::vector<std::string>{"song.ravo"});
    EXPECT_EQ(dir.read("song.ravo"), "old");
}

TEST(SafeReplace, TemporaryNameNeverTakesAnExistingFile) {
    TempDir dir;
    // The next two temporary names are already taken by the user's own files.
    GString probe;
    makeTempFileName(dir.file("x").c_str(), probe, "temp");
    char name[32];
    u32 next = nextTempCounter();
    for (u32 i = next + 1; i < next + 3; ++i) {
        snprintf(name, sizeof name, "temp%04u.tmp", i);
        dir.write(name, "user data");
    }
    GFile f;
    ASSERT_TRUE(fileOpen(f, dir.file("out.wav").c_str(), FileMode::WriteReplace));
    snprintf(name, sizeof name, "temp%04u.tmp", next + 3);
    EXPECT_EQ(std::string(f.name), dir.file(name));
    ASSERT_TRUE(fileClose(f));
    for (u32 i = next + 1; i < next + 3; ++i) {
        snprintf(name, sizeof name, "temp%04u.tmp", i);
        EXPECT_EQ(dir.read(name), "user data");
    }
}
