// The Editor's file rows on real files: extracting and splitting the sounds of a file of several,
// decompressing through the codec hook, their targets and overwrite questions, and choosing another
// block. Parts are decoded by sox and compared with the samples planted in the file.
#include "editor/file_rows.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/work_folder.h"
#include "core/paths.h"
#include "editor/effect_command.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/dialogs/select_dialog.h"
#include "gui/frame/progress_line.h"
#include "gui/kernel/window_procedure.h"
#include "gui/menus/action_table.h"
#include "gui/views/box.h"
#include "tests/editor/editor_fixture.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dialogs/scripted_file_dialog.h"
#include "tests/mm/riff_bytes.h"

namespace {

u32 id(const char* name) { return (u32)actionIdByName(name); }

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// What sox decodes of a file: its raw 16-bit samples.
std::string soxSamples(TempDir& dir, const std::string& path) {
    static int n = 0;
    std::string raw = dir.file("decoded" + std::to_string(++n) + ".raw");
    EXPECT_EQ(0, runSox("\"" + unixPath(path) + "\" -t raw -e signed -b 16 \"" + unixPath(raw) + "\""));
    return dir.read(raw.substr(dir.path().size() + 1));
}

// The save dialog answered with the name it proposes, which is kept (an empty answer cancels).
std::string proposed, answerInstead;
bool cancelDialog = false;
BOOL WINAPI keepProposal(OPENFILENAMEW* w) {
    std::wstring name(w->lpstrFile);
    std::wstring folder(w->lpstrInitialDir ? w->lpstrInitialDir : L"");
    proposed.assign(folder.begin(), folder.end());
    if (!proposed.empty() && !name.empty()) proposed += '\\';
    proposed.append(name.begin(), name.end());
    if (cancelDialog) return FALSE;
    const std::string& answer = answerInstead.empty() ? proposed : answerInstead;
    std::wstring whole(answer.begin(), answer.end());
    memcpy(w->lpstrFile, whole.c_str(), (whole.size() + 1) * sizeof(wchar_t));
    w->nFileOffset = (WORD)(whole.rfind(L'\\') + 1);
    return TRUE;
}
DWORD WINAPI noError() { return 0; }

// A box with exactly the text formatted from the arguments was shown.
template <class... Args>
bool shownWith(RavoText id, Args... args) {
    GString text;
    stringFormat(text, ravoText(id), args...);
    return std::find(boxes.begin(), boxes.end(), std::string(text.c_str())) != boxes.end();
}
bool splitReported(u32 parts) { return shownWith(RavoText::FileSplitDone, parts); }

// The files of a folder.
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> out;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.push_back(found.cFileName);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return out;
}

// A pool of three sounds made by sox, named "low", none and "..\x", each of the seconds.
struct PoolFixture : EditorFixture {
    explicit PoolFixture(const char* seconds = "0.1") {
        effectCommandHandler = runEffectCommand;
        fileDialogSystem = {keepProposal, keepProposal, noError};
        cancelDialog = false;
        page->saveDialog = &saveDialog;
        page->openDialog = &saveDialog;
        const char* names[] = {"low", "", "..\\x"};
        std::string pool;
        for (int i = 0; i < 3; ++i) {
            std::string one = dir.read(pathName(make("-r 8000 -c 1 -b 16", "synth " + std::string(seconds) + " sine " +
                                                                              std::to_string(300 + 200 * i))));
            std::string data = one.substr(one.find("data") + 8);
            samples.push_back(data);
            std::string body;
            if (*names[i]) body += riffList("LIST", "INFO", chunk("INAM", std::string(names[i]) + '\0'));
            body += chunk("fmt ", pcmFmt(1, 8000, 16)) + chunk("data", data);
            pool += riffList("LIST", "wave", body);
        }
        dir.write("pool.dls", riffList("RIFF", "DLS ", riffList("LIST", "wvpl", pool)));
        path = dir.file("pool.dls");
    }
    ~PoolFixture() { fileDialogSystem = fileDialogSystemDefaults; }
    static std::string pathName(const std::string& full) { return full.substr(full.rfind('\\') + 1); }
    // Opens the pool on the block (the offer to extract declined).
    bool openBlock(i32 block) {
        ModalScript choose(TypeSelectDialog, {[&](GDialog& d) {
            static_cast<GSelectDialog&>(d).list->selectItem(block);
            ModalScript::post(d, 1);
        }});
        boxAnswer = 7;
        page->loadDocument(path.c_str(), nullptr);
        boxAnswer = 6;
        return page->hasDocument && page->currentBlock == block;
    }
    // Runs the command (none for 0) and waits for its job and the commands it queued.
    bool run(u32 which) {
        if (which) command(which);
        return finished() && pumpUntil([&] { return page->commandTasks.last == nullptr; }, 5000);
    }

    GFileDialog saveDialog{nullptr, "wav", nullptr};
    std::vector<std::string> samples;
    std::string path;
};

}  // namespace

TEST(FileRows, TargetNames) {
    struct Case {
        bool extract;
        const char* document;
        const char* stream;
        const char* target;
    } cases[] = {
        {false, "C:\\m\\song.wav", nullptr, "D:\\out\\song.-.wav"},
        {false, "C:\\m\\song.mp3", nullptr, "D:\\out\\song.wav"},
        {false, "C:\\m\\SONG.WAV", nullptr, "D:\\out\\SONG.-.wav"},
        {false, "C:\\m\\song.", nullptr, "D:\\out\\song.wav"},
        {true, "C:\\m\\take.ravo", "", "D:\\out\\take.unnamed.wav"},
        {true, "C:\\m\\take.ravo", nullptr, "D:\\out\\take.unnamed.wav"},
        {true, "C:\\m\\take.dls", "low", "D:\\out\\take.low.wav"},
        // A name from the file never leads out of the folder.
        {true, "C:\\m\\take.dls", "..\\x", "D:\\out\\take.x.wav"},
        {true, "C:\\m\\take.dls", "../../C:\\win\\evil", "D:\\out\\take.Cwinevil.wav"},
        {true, "C:\\m\\take.dls", "..", "D:\\out\\take.unnamed.wav"},
    };
    for (const Case& c : cases) {
        for (const char* folder : {"D:\\out", "D:\\out\\"}) {
            GString got = c.extract ? extractTargetPath(folder, c.document, c.stream)
                                    : decompressTargetPath(folder, c.document);
            EXPECT_STREQ(got.c_str(), c.target) << c.document << " " << (c.stream ? c.stream : "(null)");
        }
    }
}

TEST(FileRows, SplitWritesEveryBlockInsideTheFolder) {
    // Large enough to be written on the job's thread.
    PoolFixture f("3");
    ASSERT_TRUE(f.openBlock(0));
    // A block of a larger file is shown, not edited.
    EXPECT_FALSE(f.page->samplesPresent);
    EXPECT_EQ(f.page->commandState(id("SPLIT_FILE")), 0);
    // The folder is proposed after the file and made after a question.
    const std::string out = f.dir.file("pool");
    f.command(id("SPLIT_FILE"));
    EXPECT_TRUE(f.page->running());
    ASSERT_TRUE(f.run(0));
    EXPECT_EQ(proposed, out);
    EXPECT_TRUE(splitReported(3));
    const char* parts[] = {"low.000.wav", "unnamed.001.wav", "x.002.wav"};
    for (int i = 0; i < 3; ++i) {
        const std::string part = out + "\\" + parts[i];
        ASSERT_TRUE(exists(part)) << part;
        EXPECT_TRUE(soxSamples(f.dir, part) == f.samples[i]) << part;
    }
    EXPECT_FALSE(exists(f.dir.file("x.002.wav")));
    // The document stays as it was.
    EXPECT_STREQ(f.page->documentPath(), f.path.c_str());

    // Stopped at once: the parts written so far are whole, the one under way is gone.
    const std::string stopped = f.dir.file("stopped");
    boxes.clear();
    cancelDialog = false;
    answerInstead = stopped;
    f.command(id("SPLIT_FILE"));
    answerInstead.clear();
    f.page->progressLine->requestStop();
    ASSERT_TRUE(f.run(0));
    u32 whole = 0;
    for (const std::string& name : namesIn(stopped)) {
        ASSERT_EQ(name.substr(name.size() - 4), ".wav") << name;
        for (int i = 0; i < 3; ++i)
            if (name == parts[i]) whole += soxSamples(f.dir, stopped + "\\" + name) == f.samples[i];
    }
    EXPECT_EQ(whole, namesIn(stopped).size());
    EXPECT_EQ(splitReported(3), whole == 3);

    // A cancelled folder choice writes nothing.
    boxes.clear();
    cancelDialog = true;
    ASSERT_TRUE(f.run(id("SPLIT_FILE")));
    EXPECT_TRUE(boxes.empty());
}

TEST(FileRows, ExtractWritesTheCurrentBlockAndOpensIt) {
    PoolFixture f;
    ASSERT_TRUE(f.openBlock(2));
    f.saveDialog.setFolder(f.dir.path().c_str());
    const std::string target = f.dir.file("pool.x.wav");
    ASSERT_TRUE(f.run(EditorExtract));
    EXPECT_EQ(proposed, target);
    ASSERT_TRUE(exists(target));
    EXPECT_TRUE(soxSamples(f.dir, target) == f.samples[2]);
    // The page shows the new file, a sound of its own that may be edited.
    ASSERT_TRUE(f.page->hasDocument);
    EXPECT_STREQ(f.page->documentPath(), target.c_str());
    EXPECT_TRUE(f.page->samplesPresent);
    EXPECT_TRUE(f.bytes() == f.samples[2]);

    // Another page extracting the same block is refused: the first page reads that file.
    GDialog frame(nullptr, "edit.htm");
    createTopLevelWindow(&frame, WS_POPUP, 0, "");
    auto* other = new EditorWindow(&frame);
    frame.setContent(other);
    other->saveDialog = &f.saveDialog;
    ModalScript choose(TypeSelectDialog, {[&](GDialog& d) {
        static_cast<GSelectDialog&>(d).list->selectItem(2);
        ModalScript::post(d, 1);
    }});
    boxAnswer = 7;
    other->loadDocument(f.path.c_str(), nullptr);
    boxAnswer = 6;
    ASSERT_EQ(other->currentBlock, 2);
    const std::string before = f.dir.read("pool.x.wav");
    boxes.clear();
    GStateQuery query{EditorExtract, 0};
    routeCommandUp(other->pane, QueryExecute, &query);
    EXPECT_FALSE(other->running() || other->job);
    EXPECT_TRUE(shownWith(RavoText::EditorFileHeld, f.dir.file("pool.x.wav").c_str()));
    EXPECT_EQ(f.dir.read("pool.x.wav"), before);
    EXPECT_STREQ(other->documentPath(), f.path.c_str());
    DestroyWindow(frame.hwnd);
}

TEST(FileRows, OverwriteQuestionsOfTheTargets) {
    PoolFixture f;
    GString keepFolder;
    loadWorkDirectory(keepFolder);
    const std::string work = f.dir.file("work");
    ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
    setWorkDirectory(work.c_str());
    const std::string target = work + "\\pool.unnamed.wav";
    const u8 keepWarning = appSettings.Editor.extractOverwriteWarning;
    // The save dialog proposes the same name in its folder and asks the same question after it.
    f.saveDialog.setFolder(work.c_str());
    struct Case {
        u32 row;
        u8 warning;
        i32 answer;
        bool replaced;
    } cases[] = {{EditorExtractAuto, 1, 7, false}, {EditorExtractAuto, 1, 6, true}, {EditorExtractAuto, 0, 7, true},
                 {EditorExtract, 1, 7, false},     {EditorExtract, 1, 6, true},     {EditorExtract, 0, 7, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << " " << (int)c.warning << " " << c.answer);
        ASSERT_TRUE(f.openBlock(1));
        f.dir.write("work\\pool.unnamed.wav", "old bytes");
        appSettings.Editor.extractOverwriteWarning = c.warning;
        boxes.clear();
        boxAnswer = c.answer;
        ASSERT_TRUE(f.run(c.row));
        boxAnswer = 6;
        EXPECT_EQ(shownWith(RavoText::FileOverwrite, target.c_str()), c.warning == 1);
        if (c.replaced) {
            EXPECT_TRUE(soxSamples(f.dir, target) == f.samples[1]);
            EXPECT_STREQ(f.page->documentPath(), target.c_str());
        } else {
            EXPECT_EQ(f.dir.read("work\\pool.unnamed.wav"), "old bytes");
            EXPECT_STREQ(f.page->documentPath(), f.path.c_str());
        }
        f.page->newDocument();
    }
    appSettings.Editor.extractOverwriteWarning = keepWarning;
    setWorkDirectory(keepFolder.c_str());
}

namespace {
std::vector<std::string> decoded;
i32 streams = 1;
i32 countStreams(const char*) { return streams; }
// Decodes as the codec library would: sox writes the 16-bit file.
bool soxDecode(GWindow*, const char* source, i32 stream, const char* target, JobProgress*) {
    decoded.push_back(std::string(source) + " " + std::to_string(stream) + " " + target);
    return runSox("\"" + unixPath(source) + "\" -b 16 \"" + unixPath(target) + "\"") == 0;
}
}  // namespace

TEST(FileRows, DecompressThroughTheCodecHook) {
    PoolFixture f;
    decompressHook = soxDecode;
    codecStreamCount = countStreams;
    decoded.clear();
    // 8-bit samples are shown, not edited: decompressing is offered on opening.
    std::string song = f.dir.file("song.wav");
    ASSERT_EQ(0, runSox("-n -r 8000 -c 1 -b 8 \"" + unixPath(song) + "\" synth 0.2 sine 440"));
    boxAnswer = 7;
    ASSERT_TRUE(f.open(song));
    boxAnswer = 6;
    EXPECT_TRUE(shown(RavoText::EditorOfferDecompress));
    EXPECT_FALSE(f.page->samplesPresent);
    EXPECT_EQ(f.page->commandState(EditorDecompress), 0);

    // Nothing the library can read: a message, no run.
    streams = 0;
    boxes.clear();
    ASSERT_TRUE(f.run(EditorDecompress));
    EXPECT_TRUE(shownWith(RavoText::FileRowNothingToDecode, song.c_str()));
    EXPECT_TRUE(decoded.empty());

    streams = 1;
    f.saveDialog.setFolder(f.dir.path().c_str());
    const std::string target = f.dir.file("song.-.wav");
    ASSERT_TRUE(f.run(EditorDecompress));
    EXPECT_EQ(proposed, target);
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0], song + " -1 " + target);
    // The decoded file opens, held as samples.
    EXPECT_STREQ(f.page->documentPath(), target.c_str());
    EXPECT_TRUE(f.page->samplesPresent);
    EXPECT_EQ(f.page->commandState(EditorDecompress), 1);
    decompressHook = nullptr;
}

TEST(FileRows, SelectBlockBindsTheChosenSound) {
    PoolFixture f;
    ASSERT_TRUE(f.openBlock(0));
    EXPECT_EQ(f.page->commandState(id("SELECT_PREV")), 1);
    f.command(id("SELECT_NEXT"));
    EXPECT_EQ(f.page->currentBlock, 1);
    EXPECT_TRUE(f.bytes() == f.samples[1]);
    ModalScript choose(TypeSelectDialog, {[&](GDialog& d) {
        static_cast<GSelectDialog&>(d).list->selectItem(2);
        ModalScript::post(d, 1);
    }});
    f.command(id("SELECT_BLOCK"));
    EXPECT_EQ(choose.runs, 1);
    EXPECT_EQ(f.page->currentBlock, 2);
    EXPECT_TRUE(f.bytes() == f.samples[2]);
    EXPECT_EQ(f.page->commandState(id("SELECT_NEXT")), 1);
    EXPECT_EQ(f.page->pane->frameCount, f.samples[2].size() / 2);
    f.command(id("SELECT_PREV"));
    EXPECT_EQ(f.page->currentBlock, 1);
    EXPECT_STREQ(f.page->documentPath(), f.path.c_str());
}

TEST(FileRows, UnbackupWithoutADocumentRestoresTheChosenBackup) {
    PoolFixture f;
    const std::string song = f.make("-r 8000 -c 1 -b 16", "synth 0.2 sine 440");
    const std::string other = f.make("-r 8000 -c 1 -b 16", "synth 0.3 sine 880");
    const std::string backup = song + ".bak";
    f.dir.write(PoolFixture::pathName(backup), f.dir.read(PoolFixture::pathName(other)));
    ASSERT_FALSE(f.page->hasDocument);
    EXPECT_EQ(f.page->commandState(id("UNBACKUP_FILE")), 0);
    // The process-wide backup dialog picks the backup; the file is its name without ".bak".
    scriptedFileChoice() = backup;
    fileDialogSystem = {scriptedFileDialog, scriptedFileDialog, scriptedFileDialogError};
    ASSERT_TRUE(f.run(id("UNBACKUP_FILE")));
    EXPECT_TRUE(shownWith(RavoText::FileOverwrite, song.c_str()));
    EXPECT_EQ(f.dir.read(PoolFixture::pathName(song)), f.dir.read(PoolFixture::pathName(other)));
    ASSERT_TRUE(pumpUntil([&] { return f.page->hasDocument; }, 5000));
    EXPECT_STREQ(f.page->documentPath(), song.c_str());
}
