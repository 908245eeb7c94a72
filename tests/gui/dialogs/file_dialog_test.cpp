// File dialogs: the object's names, folders and filters; runFileDialog over a replaced system call
// (retries, error codes, the filter extension, multi-selection, the question boxes) and once per mode
// over the real system dialog, ended by a hook that fills the name and presses OK or Cancel.
#include "gui/dialogs/file_dialog.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/paths.h"
#include "core/wide_text.h"
#include "gui/kernel/message_box.h"
#include "tests/gui/dialogs/real_file_dialog.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

namespace {
char* g_filter = const_cast<char*>("Sounds (*.wav)|*.wav;*.wave|Texts (*.txt)|*.txt|All files (*.*)|*.*");

std::string names(const GFileDialog& d) {
    GString out;
    d.getFileNames(out);
    return out.c_str();
}

// The replaced system call: each call takes the next step.
struct FakeCall {
    DWORD error = 0;  // 0 with ok: confirmed
    bool ok = true;
    std::wstring buffer;  // written into the name buffer (zeros kept)
    WORD offset = 0;
    DWORD filterIndex = 0;
};
std::vector<FakeCall> g_calls;
std::vector<std::wstring> g_seenNames;
std::vector<DWORD> g_seenFlags;
DWORD g_lastError = 0;

BOOL WINAPI fakeCall(OPENFILENAMEW* w) {
    g_seenNames.push_back(w->lpstrFile);
    g_seenFlags.push_back(w->Flags);
    if (g_calls.empty()) {
        g_lastError = 0;
        return FALSE;
    }
    FakeCall call = g_calls.front();
    g_calls.erase(g_calls.begin());
    g_lastError = call.error;
    if (!call.ok) return FALSE;
    memcpy(w->lpstrFile, call.buffer.data(), (call.buffer.size() + 1) * sizeof(wchar_t));
    w->nFileOffset = call.offset;
    if (call.filterIndex) w->nFilterIndex = call.filterIndex;
    return TRUE;
}
DWORD WINAPI fakeError() { return g_lastError; }

std::vector<std::string> g_boxes;
i32 g_answer = 6;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    g_boxes.push_back(text);
    return g_answer;
}

struct FakeSystem {
    TestApplication app;
    FakeSystem() {
        fileDialogSystem = {fakeCall, fakeCall, fakeError};
        setMessageBoxSink(recordBox);
        g_calls.clear();
        g_seenNames.clear();
        g_seenFlags.clear();
        g_boxes.clear();
        g_answer = 6;
    }
    ~FakeSystem() {
        fileDialogSystem = fileDialogSystemDefaults;
        setMessageBoxSink(nullptr);
    }
};

FakeCall confirm(const std::wstring& buffer, WORD offset, DWORD filterIndex = 0) {
    return FakeCall{0, true, buffer, offset, filterIndex};
}
FakeCall failure(DWORD code) { return FakeCall{code, false, L"", 0, 0}; }
}  // namespace

TEST(FileDialog, NamesFoldersAndFiltersOfTheObject) {
    TempDir dir;
    dir.write("a.wav", "x");
    GFileDialog d(&g_filter, "wav", "$t");
    EXPECT_EQ(88u, sizeof(void*) == 4 ? d.ofn.lStructSize : 88u);
    EXPECT_EQ(FileNameChars, d.ofn.nMaxFile);
    EXPECT_STREQ(tempFolder().c_str(), d.folderText.c_str());

    d.setPath(dir.file("b.txt").c_str());
    EXPECT_EQ(dir.path(), d.folderText.c_str());
    EXPECT_EQ("b.txt", names(d));
    EXPECT_EQ(2u, d.ofn.nFilterIndex);
    d.setPath(dir.file("c.mp3").c_str());
    EXPECT_EQ(3u, d.ofn.nFilterIndex);  // "*.*"
    d.setPath(dir.path().c_str());
    EXPECT_EQ("", names(d));

    // A list of names: one byte in, zeros between, offsets recorded; the folder from the text.
    d.setFileNames((dir.path() + "\\x.wav;y.wav").c_str());
    EXPECT_EQ(MultiNameChars, d.ofn.nMaxFile);
    EXPECT_EQ(0, d.nameBuffer[0]);
    ASSERT_EQ(2u, d.nameOffsets.count);
    EXPECT_EQ(1u, d.nameOffsets.data[0]);
    EXPECT_STREQ("y.wav", d.nameBuffer + d.nameOffsets.data[1]);
    EXPECT_EQ(dir.path() + "\\x.wav;y.wav", names(d));
    d.setFolder("C:\\");
    EXPECT_EQ("C:\\x.wav;y.wav", names(d));  // a drive root is written once
    d.setFileNames(std::string(70000, 'n').c_str());
    EXPECT_EQ(0u, d.nameOffsets.count);

    d.clear();
    EXPECT_EQ(FileNameChars, d.ofn.nMaxFile);
    EXPECT_STREQ("C:\\", d.folderText.c_str());
    d.setNameBuffer(10, "abc");
    EXPECT_EQ(FileNameChars, d.ofn.nMaxFile);
    EXPECT_STREQ("abc", d.nameBuffer);
}

TEST(FileDialog, FilterExtensionTable) {
    struct Case {
        u32 filter;
        const char* name;
        const char* expected;
    } cases[] = {
        {1, "C:\\a\\song", "C:\\a\\song.wav"},   {1, "C:\\a\\song.txt", "C:\\a\\song.wav"},
        {1, "C:\\a\\song.WAVE", "C:\\a\\song.WAVE"}, {2, "C:\\a\\song.wav", "C:\\a\\song.txt"},
        {3, "C:\\a\\song", "C:\\a\\song"},      {0, "C:\\a\\song", "C:\\a\\song"},
        {1, "C:\\a.b\\song", "C:\\a.b\\song.wav"},
    };
    GFileDialog d(&g_filter, "wav", nullptr);
    for (const Case& c : cases) {
        d.ofn.nFilterIndex = c.filter;
        strcpy(d.nameBuffer, c.name);
        d.applyFilterExtension();
        EXPECT_STREQ(c.expected, d.nameBuffer) << c.name << " filter " << c.filter;
    }
}

TEST(FileDialog, RunOverTheReplacedCallRetriesAndReports) {
    FakeSystem fake;
    TempDir dir;
    GFileDialog d(&g_filter, "wav", dir.path().c_str());
    // Too small a buffer and a bad name come back; the bad name empties the buffer first.
    strcpy(d.nameBuffer, "old");
    std::wstring chosen = toWide(dir.file("new.wav").c_str()).c_str();
    g_calls = {failure(0x3003), failure(0x3002), confirm(chosen, (WORD)dir.path().size() + 1, 1)};
    EXPECT_TRUE(runFileDialog(&d, 0, nullptr, FileOpenOne));
    ASSERT_EQ(3u, g_seenNames.size());
    EXPECT_EQ(L"old", g_seenNames[1]);
    EXPECT_EQ(L"", g_seenNames[2]);
    EXPECT_EQ(0x201804u, g_seenFlags[0] & 0x2FFFFF);
    EXPECT_EQ(dir.file("new.wav"), d.nameBuffer);
    EXPECT_EQ(dir.path(), d.folderText.c_str());
    EXPECT_TRUE(g_boxes.empty());

    // Other codes show the box with the code's text and end; 0 is a cancel.
    struct Code {
        DWORD code;
        const char* text;
    } codes[] = {{0xFFFF, "could not be created"}, {1, "wrong size"}, {0x1234, "Unknown error"}};
    for (const Code& c : codes) {
        g_boxes.clear();
        g_calls = {failure(c.code)};
        EXPECT_FALSE(runFileDialog(&d, 0, nullptr, FileOpenOne));
        ASSERT_EQ(1u, g_boxes.size());
        EXPECT_NE(std::string::npos, g_boxes[0].find(c.text)) << g_boxes[0];
        char hex[16];
        sprintf(hex, "0x%X", (unsigned)c.code);
        EXPECT_NE(std::string::npos, g_boxes[0].find(hex)) << g_boxes[0];
    }
    g_boxes.clear();
    g_calls = {failure(0)};
    EXPECT_FALSE(runFileDialog(&d, 0, nullptr, FileOpenOne));
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(dir.file("new.wav"), d.nameBuffer);  // a cancel keeps names and folder
}

TEST(FileDialog, RunAppendsTheFilterExtensionAndTakesSeveralNames) {
    FakeSystem fake;
    TempDir dir;
    GFileDialog d(&g_filter, "wav", dir.path().c_str());
    WORD offset = (WORD)dir.path().size() + 1;
    std::wstring folder = toWide(dir.path().c_str()).c_str();
    g_calls = {confirm(folder + L"\\take", offset, 1)};
    EXPECT_TRUE(runFileDialog(&d, 0, nullptr, FileSave));
    EXPECT_EQ(dir.file("take.wav"), d.nameBuffer);
    g_calls = {confirm(folder + L"\\take", offset, 3)};
    EXPECT_TRUE(runFileDialog(&d, 0, nullptr, FileSave));
    EXPECT_EQ(dir.file("take"), d.nameBuffer);

    // Several names: the folder, then a name per offset.
    std::wstring many = folder + L'\0' + L"a.wav" + L'\0' + L"b.wav" + L'\0';
    g_calls = {confirm(many, offset)};
    EXPECT_TRUE(runFileDialog(&d, 0, nullptr, FileOpenMany));
    EXPECT_EQ(0x281A04u, g_seenFlags.back() & 0x2FFFFF);
    EXPECT_EQ(MultiNameChars, d.ofn.nMaxFile);
    EXPECT_EQ(dir.path() + "\\a.wav;b.wav", names(d));
    GString second;
    d.chosenPath(1, second);
    EXPECT_EQ(dir.file("b.wav"), second.c_str());
    // One name in multi mode is one path.
    g_calls = {confirm(folder + L"\\c.wav", offset)};
    EXPECT_TRUE(runFileDialog(&d, 0, nullptr, FileOpenMany));
    EXPECT_EQ(1u, d.chosenCount());
    EXPECT_EQ(dir.file("c.wav"), names(d));
}

TEST(FileDialog, OwnOverwriteQuestionAndFolderCreation) {
    FakeSystem fake;
    TempDir dir;
    dir.write("there.wav", "x");
    GFileDialog d(&g_filter, "wav", dir.path().c_str());
    d.noOverwritePrompt = 1;
    WORD offset = (WORD)dir.path().size() + 1;
    std::wstring folder = toWide(dir.path().c_str()).c_str();
    g_answer = 7;  // No: the dialog comes back
    g_calls = {confirm(folder + L"\\there.wav", offset, 1), confirm(folder + L"\\there.wav", offset, 1)};
    EXPECT_FALSE(runFileDialog(&d, 0, nullptr, FileSave));  // the third call cancels
    EXPECT_EQ(3u, g_seenNames.size());
    EXPECT_EQ(2u, g_boxes.size());
    EXPECT_EQ(0u, g_seenFlags[0] & OFN_OVERWRITEPROMPT);
    g_answer = 6;
    g_calls = {confirm(folder + L"\\there.wav", offset, 1)};
    EXPECT_TRUE(runFileDialog(&d, 0, nullptr, FileSave));

    // Mode 3 offers to create a missing folder; mode 4 refuses it.
    g_boxes.clear();
    g_calls = {confirm(folder + L"\\made", 0)};
    EXPECT_TRUE(runFileDialog(&d, 0, nullptr, FolderCreate));
    EXPECT_TRUE(pathIsDirectory(dir.file("made").c_str()));
    EXPECT_EQ(dir.file("made"), d.folderText.c_str());
    EXPECT_EQ(1u, g_boxes.size());
    g_boxes.clear();
    g_calls = {confirm(folder + L"\\missing", 0)};
    EXPECT_FALSE(runFileDialog(&d, 0, nullptr, FolderExisting));
    EXPECT_EQ(1u, g_boxes.size());
    EXPECT_FALSE(pathIsDirectory(dir.file("missing").c_str()));
}

TEST(FileDialog, WorkerCallRunsOnTheInterfaceThread) {
    FakeSystem fake;
    TempDir dir;
    GFileDialog d(&g_filter, "wav", dir.path().c_str());
    std::wstring folder = toWide(dir.path().c_str()).c_str();
    g_calls = {confirm(folder + L"\\w.wav", (WORD)dir.path().size() + 1, 1)};
    bool result = false, done = false;
    std::thread worker([&] {
        result = runFileDialog(&d, 0, nullptr, FileOpenOne);
        done = true;
    });
    EXPECT_TRUE(pumpUntil([&] { return done; }));
    worker.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(dir.file("w.wav"), d.nameBuffer);
}

// The real system dialogs: tests/gui/dialogs/real_file_dialog.h.

TEST(FileDialogReal, OneRunPerMode) {
    char before[MAX_PATH] = {}, after[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    TempDir dir;
    dir.write("one.wav", "x");
    dir.write("two.wav", "x");
    GFileDialog d(&g_filter, "wav", dir.path().c_str());
    {
        RealDialog real;
        real.ender.name = L"one.wav";
        EXPECT_TRUE(runFileDialog(&d, 0, nullptr, FileOpenOne));
        EXPECT_EQ(dir.file("one.wav"), d.nameBuffer);
    }
    {
        RealDialog real;
        real.ender.name = L"\"one.wav\" \"two.wav\"";
        EXPECT_TRUE(runFileDialog(&d, 0, nullptr, FileOpenMany));
        EXPECT_EQ(dir.path() + "\\one.wav;two.wav", names(d));
    }
    {
        RealDialog real;
        real.ender.name = L"fresh";
        d.clear();
        d.ofn.nFilterIndex = 1;
        EXPECT_TRUE(runFileDialog(&d, 0, nullptr, FileSave));
        EXPECT_EQ(dir.file("fresh.wav"), d.nameBuffer);
    }
    {
        RealDialog real;
        real.ender.ok = false;
        EXPECT_FALSE(runFileDialog(&d, 0, nullptr, FileSave));
        EXPECT_EQ(dir.path(), d.folderText.c_str());
    }
    {
        RealDialog real;
        EXPECT_TRUE(runFileDialog(&d, 0, nullptr, FolderExisting));
        EXPECT_TRUE(real.ender.typeHidden);
        EXPECT_EQ(dir.path(), d.folderText.c_str());
        EXPECT_STREQ("", d.nameBuffer);
    }
    {
        RealDialog real;
        real.ender.name = L"sub";
        setMessageBoxSink(recordBox);
        g_answer = 6;
        EXPECT_TRUE(runFileDialog(&d, 0, nullptr, FolderCreate));
        setMessageBoxSink(nullptr);
        EXPECT_TRUE(pathIsDirectory(dir.file("sub").c_str()));
        EXPECT_EQ(dir.file("sub"), d.folderText.c_str());
    }
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(before, after);  // the dialogs leave the process's directory alone
}

TEST(FileDialogReal, CheckBoxBoundToAValue) {
    TempDir dir;
    GFileDialog d(&g_filter, "wav", dir.path().c_str());
    u8 value = 1;
    d.checkText = "Ask before replacing";
    d.checkValue = &value;
    struct Case {
        bool ok, click;
        u8 after;
    } cases[] = {{true, true, 0}, {false, true, 1}, {true, false, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ok << c.click);
        value = 1;
        RealDialog real;
        real.ender.name = L"x";
        real.ender.ok = c.ok;
        real.ender.clickId = c.click ? FileDialogCheckId : 0;
        EXPECT_EQ(runFileDialog(&d, 0, nullptr, FileSave), c.ok);
        EXPECT_EQ(value, c.after);
        if (c.click) {
            EXPECT_TRUE(real.ender.clickedText == L"Ask before replacing");
        }
    }
}
