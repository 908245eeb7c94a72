// The Editor's file commands on real files made by sox: saving in place and under new names,
// backups and their restore, delete, rename, new sounds, the rate change, and the names of split
// parts. Results read back by sox or compared byte for byte.
#include "editor/editor_file_commands.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "app/app_settings.h"
#include "app/sound_format_dialogs.h"
#include "editor/rate_change.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/spinner_field.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/dialogs/input_edit_dialog.h"
#include "gui/frame/placer.h"
#include "gui/kernel/modal_run.h"
#include "gui/menus/action_table.h"
#include "mm/riff_block.h"
#include "tests/editor/editor_fixture.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dialogs/scripted_file_dialog.h"

namespace {

// The first panel of the kind in a dialog's body.
template <class Panel>
Panel* bodyPanel(GDialog& d) {
    auto* body = dynamic_cast<GLayoutItem*>(d.content);
    return body ? dynamic_cast<Panel*>(body->childAt(0)) : nullptr;
}

void clickBox(GMarkWindow* box) {
    RECT mark, text;
    box->geometry(&mark, &text);
    const LPARAM at = MAKELPARAM((mark.left + mark.right) / 2, (mark.top + mark.bottom) / 2);
    SendMessageA(box->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(box->hwnd, WM_LBUTTONUP, 0, at);
}

u32 id(const char* name) { return (u32)actionIdByName(name); }

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// What sox decodes of a file: its raw 16-bit samples.
std::string soxSamples(TempDir& dir, const std::string& path) {
    static int n = 0;
    std::string raw = dir.file("decoded" + std::to_string(++n) + ".raw");
    EXPECT_EQ(0, runSox("\"" + unixPath(path) + "\" -t raw -e signed -b 16 \"" + unixPath(raw) + "\""));
    return readAll(raw);
}

// What "sox --i" says of the file (-r rate, -c channels, -s samples).
std::string soxInfo(TempDir& dir, const std::string& path, const char* what) {
    std::string out = dir.file("info.txt");
    runSox("--i " + std::string(what) + " \"" + unixPath(path) + "\" > \"" + unixPath(out) + "\"");
    std::string text = readAll(out);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

u32 le32(const std::string& b, size_t at) {
    u32 v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

std::string chunk(const char* id, const std::string& content) {
    std::string out(id, 4);
    u32 n = (u32)content.size();
    out.append(reinterpret_cast<const char*>(&n), 4);
    out += content;
    if (n & 1) out.push_back('\0');
    return out;
}

// The chunk of the id at the top level of a RIFF file, header included; empty when absent.
std::string topChunk(const std::string& file, const char* id) {
    for (size_t at = 12; at + 8 <= file.size();) {
        u32 n = le32(file, at + 4);
        size_t whole = 8 + n + (n & 1);
        if (file.compare(at, 4, id, 4) == 0) return file.substr(at, whole);
        at += whole;
    }
    return "";
}

// A sox WAVE with a LIST chunk before its data and a cue chunk after it.
std::string withOtherChunks(const std::string& wave) {
    std::string fmt = topChunk(wave, "fmt "), data = topChunk(wave, "data");
    std::string list = chunk("LIST", "INFOICMT" + std::string("\x07\0\0\0", 4) + "a take" + std::string(2, '\0'));
    std::string cue = chunk("cue ", std::string("\x01\0\0\0", 4) + std::string(24, '\x05'));
    std::string body = "WAVE" + fmt + list + data + cue;
    u32 n = (u32)body.size();
    return "RIFF" + std::string(reinterpret_cast<const char*>(&n), 4) + body;
}

struct FileFixture : EditorFixture {
    FileFixture() {
        scriptedFileDialogs();
        scriptedFileChoice().clear();
        openConverterHook = converter;
        converterCalls.clear();
        page->saveDialog = &saveDialog;
        page->openDialog = &openDialog;
    }
    ~FileFixture() {
        fileDialogSystem = fileDialogSystemDefaults;
        openConverterHook = nullptr;
    }
    static bool converter(GWindow*, const char* source, const char* target) {
        converterCalls.push_back(std::string(source) + " > " + target);
        return true;
    }
    bool amplify(u64 from, u64 to) {
        select(from, to);
        command(EditorAmplify);
        return finished();
    }
    bool saved(u32 which) {
        command(which);
        return finished();
    }
    bool boxed(RavoText text, const char* a = "", const char* b = "") {
        GString expected;
        stringFormat(expected, ravoText(text), a, b);
        for (const std::string& box : boxes)
            if (box == expected.c_str()) return true;
        return false;
    }
    // A second Editor page in a frame of its own; destroyed with the fixture.
    EditorWindow* secondPage() {
        second.reset(new GDialog(nullptr, "edit.htm"));
        createTopLevelWindow(second.get(), WS_POPUP, 0, "");
        auto* other = new EditorWindow(second.get());
        second->setContent(other);
        return other;
    }

    GFileDialog saveDialog{nullptr, "wav", nullptr}, openDialog{nullptr, "wav", nullptr};
    std::unique_ptr<GDialog> second;
    static inline std::vector<std::string> converterCalls;
};

}  // namespace

TEST(EditorSave, InPlaceAfterAnEditSoxDecodesTheEditedSamples) {
    FileFixture f;
    std::string path = f.make("-r 8000 -c 2 -b 16", "synth 1 sine 300 sine 500 vol 0.8");
    ASSERT_TRUE(f.open(path));
    ASSERT_TRUE(f.amplify(1000, 3000));
    std::string edited = f.bytes();
    ASSERT_TRUE(f.page->modified);
    // The store still reads the untouched parts from the file it writes over.
    ASSERT_TRUE(f.saved(FileCommandSave));
    EXPECT_FALSE(f.page->modified);
    EXPECT_TRUE(soxSamples(f.dir, path) == edited);
    EXPECT_TRUE(f.bytes() == edited);
    // Saving again unmodified writes nothing.
    std::string file = readAll(path);
    f.command(FileCommandSave);
    EXPECT_FALSE(f.page->job);
    EXPECT_TRUE(readAll(path) == file);
    // The page goes on editing the new file.
    ASSERT_TRUE(f.amplify(0, 500));
    ASSERT_TRUE(f.saved(FileCommandSave));
    EXPECT_TRUE(soxSamples(f.dir, path) == f.bytes());
}

TEST(EditorSave, OtherChunksOfTheWaveStayByteForByte) {
    FileFixture f;
    std::string path = f.make("-r 8000 -c 1 -b 16", "synth 0.5 sine 440");
    writeAll(path, withOtherChunks(readAll(path)));
    const std::string before = readAll(path);
    ASSERT_TRUE(f.open(path));
    ASSERT_TRUE(f.amplify(100, 2000));
    std::string edited = f.bytes();
    std::string copy = f.dir.file("copy.wav");
    for (const std::string& target : {path, copy}) {
        SCOPED_TRACE(target);
        if (target == path) {
            ASSERT_TRUE(f.saved(FileCommandSave));
        } else {
            ASSERT_TRUE(f.amplify(0, 10));
            edited = f.bytes();
            scriptedFileChoice() = copy;
            ASSERT_TRUE(f.saved(FileCommandSaveAs));
            EXPECT_STREQ(f.page->documentPath(), copy.c_str());
        }
        std::string after = readAll(target);
        for (const char* id : {"LIST", "cue ", "fmt "}) EXPECT_TRUE(topChunk(after, id) == topChunk(before, id)) << id;
        EXPECT_EQ(le32(after, 4) + 8, after.size());
        EXPECT_TRUE(soxSamples(f.dir, target) == edited);
    }
}

TEST(EditorSave, AFailedWriteLeavesTheFileAsItWas) {
    FileFixture f;
    std::string path = f.make("-r 8000 -c 1 -b 16", "synth 0.5 sine 440");
    ASSERT_TRUE(f.open(path));
    ASSERT_TRUE(f.amplify(0, 1000));
    const std::string before = readAll(path);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(f.saved(FileCommandSave));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(readAll(path) == before);
    EXPECT_TRUE(f.page->modified);
    EXPECT_FALSE(boxes.empty());
    // The document still reads its samples, and saves once the file may be written.
    ASSERT_TRUE(f.saved(FileCommandSave));
    EXPECT_TRUE(soxSamples(f.dir, path) == f.bytes());
}

TEST(EditorSave, RefusedTargetsWriteNothing) {
    FileFixture f;
    std::string path = f.make("-r 8000 -c 1 -b 16", "synth 0.2 sine 440");
    std::string held = f.make("-r 8000 -c 1 -b 16", "synth 0.3 sine 880");
    const std::string heldBytes = readAll(held);
    ASSERT_TRUE(f.open(path));
    ASSERT_TRUE(f.amplify(0, 100));
    EditorWindow* other = f.secondPage();
    other->loadDocument(held.c_str(), nullptr);
    ASSERT_TRUE(other->hasDocument);

    // A path another page holds.
    scriptedFileChoice() = held;
    f.command(FileCommandSaveAs);
    EXPECT_FALSE(f.page->job);
    EXPECT_TRUE(f.boxed(RavoText::EditorFileHeld, held.c_str()));
    EXPECT_TRUE(readAll(held) == heldBytes);

    // Another extension: the converter is offered, nothing is written.
    struct Case {
        i32 answer;
        size_t calls;
    } cases[] = {{7, 0}, {6, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        boxes.clear();
        boxAnswer = c.answer;
        FileFixture::converterCalls.clear();
        std::string mp3 = f.dir.file("song.mp3");
        scriptedFileChoice() = mp3;
        f.command(FileCommandSaveAs);
        EXPECT_FALSE(f.page->job);
        EXPECT_TRUE(f.boxed(RavoText::FileSwitchToConverter, mp3.c_str(), path.c_str()));
        EXPECT_FALSE(exists(mp3));
        ASSERT_EQ(FileFixture::converterCalls.size(), c.calls);
        if (c.calls) EXPECT_EQ(FileFixture::converterCalls[0], path + " > " + mp3);
    }
    EXPECT_TRUE(f.page->modified);
    EXPECT_STREQ(f.page->documentPath(), path.c_str());
}

TEST(EditorBackup, BackupAndRestoreWithTheirQuestions) {
    FileFixture f;
    std::string path = f.make("-r 8000 -c 1 -b 16", "synth 0.5 sine 440");
    const std::string original = readAll(path);
    const std::string backup = path + ".bak";
    ASSERT_TRUE(f.open(path));
    EXPECT_EQ(f.page->commandState(id("UNBACKUP_FILE")), 1);
    EXPECT_EQ(f.page->commandState(id("DELETE_BACKUP_FILE")), 1);
    ASSERT_TRUE(f.saved(id("BACKUP_FILE")));
    EXPECT_TRUE(readAll(backup) == original);
    EXPECT_TRUE(f.boxed(RavoText::FileBackupMade, backup.c_str(), path.c_str()));
    EXPECT_EQ(f.page->commandState(id("UNBACKUP_FILE")), 0);

    // A second backup asks before it overwrites; No keeps the old one.
    ASSERT_TRUE(f.amplify(0, 2000));
    ASSERT_TRUE(f.saved(FileCommandSave));
    boxAnswer = 7;
    f.command(id("BACKUP_FILE"));
    EXPECT_FALSE(f.page->job);
    EXPECT_TRUE(f.boxed(RavoText::FileBackupExists, backup.c_str()));
    EXPECT_TRUE(readAll(backup) == original);

    // Restoring over a modified document asks first; No changes nothing.
    ASSERT_TRUE(f.amplify(0, 100));
    boxes.clear();
    f.command(id("UNBACKUP_FILE"));
    EXPECT_TRUE(f.boxed(RavoText::FileDropChanges));
    EXPECT_TRUE(f.page->modified);
    EXPECT_FALSE(readAll(path) == original);
    // Yes: the file is let go, restored and opened again.
    boxAnswer = 6;
    boxes.clear();
    ASSERT_TRUE(f.saved(id("UNBACKUP_FILE")));
    EXPECT_TRUE(f.boxed(RavoText::FileOverwrite, path.c_str()));
    EXPECT_TRUE(readAll(path) == original);
    ASSERT_TRUE(f.page->hasDocument);
    EXPECT_FALSE(f.page->modified);
    EXPECT_STREQ(f.page->documentPath(), path.c_str());
    EXPECT_TRUE(f.bytes() == fileSamples(path));
    EXPECT_TRUE(f.boxed(RavoText::FileBackupRestored, backup.c_str(), path.c_str()));

    // Deleting the backup disables the restore again.
    f.command(id("DELETE_BACKUP_FILE"));
    EXPECT_FALSE(exists(backup));
    EXPECT_EQ(f.page->commandState(id("UNBACKUP_FILE")), 1);
}

TEST(EditorFiles, DeleteAndRename) {
    FileFixture f;
    // Deleting a file that is already gone reports success.
    std::string gone = f.dir.file("gone.wav");
    scriptedFileChoice() = gone;
    f.command(id("DELETE_FILE"));
    EXPECT_TRUE(f.boxed(RavoText::FileDeleted, gone.c_str()));
    EXPECT_FALSE(f.boxed(RavoText::FileMissing, gone.c_str()));

    std::string path = f.make("-r 8000 -c 1 -b 16", "synth 0.2 sine 440");
    std::string held = f.make("-r 8000 -c 1 -b 16", "synth 0.2 sine 660");
    ASSERT_TRUE(f.open(path));
    EditorWindow* other = f.secondPage();
    other->loadDocument(held.c_str(), nullptr);

    // Renaming onto a file another page holds is refused.
    auto renameTo = [&](const std::string& name) {
        ModalScript script(TypeInputEditStrDialog, {[&](GDialog& d) {
            GEditLine* edit = static_cast<GInputEditStrDialog&>(d).edit;
            SetWindowTextA(edit->hwnd, name.c_str());
            ModalScript::post(d, 1);
        }});
        f.command(id("RENAME_FILE"));
    };
    renameTo("s2.wav");
    EXPECT_TRUE(f.boxed(RavoText::EditorFileHeld, held.c_str()));
    EXPECT_TRUE(exists(path));
    EXPECT_STREQ(f.page->documentPath(), path.c_str());
    // A free name: the file moves and the page shows it there.
    std::string renamed = f.dir.file("renamed.wav");
    renameTo("renamed.wav");
    EXPECT_FALSE(exists(path));
    ASSERT_TRUE(exists(renamed));
    EXPECT_STREQ(f.page->documentPath(), renamed.c_str());
    EXPECT_TRUE(f.page->hasDocument);

    // Delete with its backup; No to the question keeps the file.
    ASSERT_TRUE(f.saved(id("BACKUP_FILE")));
    boxAnswer = 7;
    f.command(id("DELETE_FILE"));
    EXPECT_TRUE(exists(renamed));
    EXPECT_TRUE(f.page->hasDocument);
    boxAnswer = 6;
    boxes.clear();
    f.command(id("DELETE_FILE"));
    EXPECT_FALSE(exists(renamed));
    EXPECT_FALSE(exists(renamed + ".bak"));
    EXPECT_FALSE(f.page->hasDocument);
    EXPECT_TRUE(f.boxed(RavoText::FileDeleteBackupToo, (renamed + ".bak").c_str()));
}

TEST(EditorFiles, PartNamesStayInTheChosenFolder) {
    struct Case {
        const char* folder;
        const char* name;
        u32 index;
        const char* path;
    } cases[] = {
        {"out", "", 0, "out\\unnamed.000.wav"},
        {"out", nullptr, 7, "out\\unnamed.007.wav"},
        {"out\\", "take", 2, "out\\take.002.wav"},
        {"out/", "take", 2, "out/take.002.wav"},
        {"out", "..\\x", 1, "out\\x.001.wav"},
        {"out", "../../evil", 1, "out\\evil.001.wav"},
        {"out", "C:\\win\\a", 3, "out\\Cwina.003.wav"},
        {"out", "con", 0, "out\\_con.000.wav"},
        {"out", "Lpt1.x", 0, "out\\_Lpt1.x.000.wav"},
        {"out", "..", 4, "out\\unnamed.004.wav"},
    };
    for (const Case& c : cases) EXPECT_STREQ(splitPartPath(c.folder, c.name, c.index).c_str(), c.path) << c.name;
    EXPECT_STREQ(backupNameOf("C:\\a\\song.wav").c_str(), "C:\\a\\song.wav.bak");
    EXPECT_STREQ(backupNameOf("C:\\a\\song.").c_str(), "C:\\a\\song.bak");
}

TEST(EditorFiles, ThreeBlocksBecomeThreeWaveFiles) {
    FileFixture f;
    // A RIFF file of three wave forms without names.
    std::string body = "ABCD";
    std::vector<std::string> samples;
    for (int i = 0; i < 3; ++i) {
        std::string one = readAll(f.make("-r 8000 -c 1 -b 16", "synth 0.1 sine " + std::to_string(300 + 200 * i)));
        samples.push_back(topChunk(one, "data").substr(8));
        body += chunk("LIST", "wave" + topChunk(one, "fmt ") + topChunk(one, "data"));
    }
    u32 n = (u32)body.size();
    std::string container = f.dir.file("three.riff");
    writeAll(container, "RIFF" + std::string(reinterpret_cast<const char*>(&n), 4) + body);

    RecordingHandler handler;
    GFile source(&handler);
    ASSERT_TRUE(fileOpen(source, container.c_str(), FileMode::Read));
    std::unique_ptr<RiffListBlock> root(readRiffFile(source, nullptr));
    ASSERT_TRUE(root);
    std::string out = f.dir.file("out");
    ASSERT_TRUE(createDirectory(out.c_str()));
    u32 parts = 0;
    for (u32 i = 0; i < root->childCount(); ++i) {
        auto* form = dynamic_cast<RiffListBlock*>(root->child(i));
        if (!form || !form->isWaveForm()) continue;
        ASSERT_TRUE(writeBlockAsWave(form, &source, splitPartPath(out.c_str(), "", parts).c_str(), nullptr, &handler));
        // The node keeps its own tags.
        EXPECT_EQ(form->id, ChunkId::List);
        ++parts;
    }
    fileClose(source);
    ASSERT_EQ(parts, 3u);
    for (u32 i = 0; i < 3; ++i) {
        std::string part = f.dir.file("out\\unnamed.00" + std::to_string(i) + ".wav");
        ASSERT_TRUE(exists(part)) << part;
        EXPECT_TRUE(soxSamples(f.dir, part) == samples[i]) << part;
    }
}

TEST(EditorNewSound, ChosenFormatAndLengthOpenAgain) {
    FileFixture f;
    SoundFormatSettings keep = appSettings.Common.SoundFormat;
    SamplePeriod keepLength = appSettings.Editor.newFilePeriod;
    appSettings.Common.SoundFormat = {2, 2, 44100, 1};
    appSettings.Editor.newFilePeriod = {8000, 8000};
    std::string path = f.dir.file("new.wav");
    scriptedFileChoice() = path;
    ModalScript script(TypeFormatDialog, {[&](GDialog& d) {
        auto* panel = bodyPanel<NewSoundFormatPanel>(d);
        ASSERT_NE(panel, nullptr);
        clickBox(panel->oneTrack);
        clickBox(panel->ratePanel->boxes[2]);
        ModalScript::post(d, 1);
    }});
    f.command(FileCommandNew);
    ASSERT_TRUE(f.finished());
    EXPECT_EQ(script.runs, 1);
    ASSERT_TRUE(f.page->hasDocument);
    EXPECT_EQ(f.page->format.sampleRate, 22050u);
    EXPECT_EQ(f.page->format.trackCount(), 1u);
    // One second at 8000 Hz opens as 44100 frames at 44100 Hz; the new rate keeps the count.
    EXPECT_EQ(f.page->dataLength, 44100u * 2);
    ASSERT_TRUE(f.saved(FileCommandSave));
    EXPECT_EQ(soxInfo(f.dir, path, "-r"), "22050");
    EXPECT_EQ(soxInfo(f.dir, path, "-c"), "1");
    EXPECT_EQ(soxInfo(f.dir, path, "-s"), "44100");
    appSettings.Common.SoundFormat = keep;
    appSettings.Editor.newFilePeriod = keepLength;
}

TEST(EditorRateChange, ResamplesMapsTheSelectionAndUndoes) {
    FileFixture f;
    std::string path = f.make("-r 44100 -c 1 -b 16", "synth 0.5 sine 440");
    ASSERT_TRUE(f.open(path));
    const std::string original = f.bytes();
    struct Case {
        i32 pick;  // standard rate box, -1 keeps the rate
        u32 rate;
        u64 frames, selStart, selEnd;
    } cases[] = {{-1, 44100, 22050, 1000, 3000}, {2, 22050, 11025, 500, 1500}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        f.select(1000, 3000);
        ModalScript script(TypeRateDialog, {[&](GDialog& d) {
            SampleRatePanel* panel = bodyPanel<SampleRatePanel>(d);
            ASSERT_NE(panel, nullptr);
            if (c.pick >= 0) clickBox(panel->boxes[c.pick]);
            ModalScript::post(d, 1);
        }});
        f.command(EditorChangeRate);
        ASSERT_TRUE(f.finished());
        EXPECT_EQ(f.page->format.sampleRate, c.rate);
        EXPECT_EQ(f.page->pane->frameCount, c.frames);
        EXPECT_EQ(f.page->pane->selStart, c.selStart);
        EXPECT_EQ(f.page->pane->selEnd, c.selEnd);
        ASSERT_TRUE(f.page->history.canUndo());
        if (c.pick < 0) {
            EXPECT_TRUE(f.bytes() == original);
            f.command(EditorUndo);
        }
    }
    std::string copy = f.dir.file("half.wav");
    scriptedFileChoice() = copy;
    ASSERT_TRUE(f.saved(FileCommandSaveAs));
    EXPECT_EQ(soxInfo(f.dir, copy, "-r"), "22050");
    EXPECT_EQ(soxInfo(f.dir, copy, "-s"), "11025");
    EXPECT_EQ(mapFrameToRate(3, 44100, 22050), 1u);
    EXPECT_EQ(mapFrameToRate(1000000, 44100, 48000), 1088435u);
}

TEST(EditorRateChange, UndoGivesBackRateAndBytes) {
    struct Case {
        const char *format, *synth;
        i32 pick;          // standard rate box, -1 types the rate
        const char* typed;
        u32 oldRate, newRate, frameBytes;
    } cases[] = {
        {"-r 44100 -c 2 -b 16", "synth 0.3 sine 440", 0, "", 44100, 8000, 4},
        {"-r 8000 -c 1 -b 16", "synth 0.5 sine 440", -1, "16000", 8000, 16000, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.newRate);
        FileFixture f;
        ASSERT_TRUE(f.open(f.make(c.format, c.synth)));
        const std::string original = f.bytes();
        const u64 seconds1000 = (u64)original.size() / c.frameBytes * 1000 / c.oldRate;
        ModalScript script(TypeRateDialog, {[&](GDialog& d) {
            SampleRatePanel* panel = bodyPanel<SampleRatePanel>(d);
            ASSERT_NE(panel, nullptr);
            if (c.pick >= 0) {
                clickBox(panel->boxes[c.pick]);
            } else {
                clickBox(panel->other);
                SetWindowTextA(panel->edit->hwnd, c.typed);
            }
            ModalScript::post(d, 1);
        }});
        f.command(EditorChangeRate);
        ASSERT_TRUE(f.finished());
        ASSERT_EQ(f.page->format.sampleRate, c.newRate);
        EXPECT_EQ(f.page->format.bytesPerSecond, c.newRate * c.frameBytes);
        // The length in time stays.
        EXPECT_EQ(f.page->dataLength / c.frameBytes * 1000 / c.newRate, seconds1000);
        f.command(EditorUndo);
        EXPECT_EQ(f.page->format.sampleRate, c.oldRate);
        EXPECT_EQ(f.page->format.bytesPerSecond, c.oldRate * c.frameBytes);
        EXPECT_TRUE(f.bytes() == original);
        f.command(EditorRedo);
        EXPECT_EQ(f.page->format.sampleRate, c.newRate);
        EXPECT_EQ(f.page->pane->frameCount, f.page->dataLength / c.frameBytes);
    }
}

TEST(EditorFiles, GotoMovesTheCursorToTheTypedTime) {
    FileFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 2 sine 440")));
    struct Case {
        const char* typed;
        u32 end;
        u64 cursor;
    } cases[] = {{"0.500", 1, 4000}, {"1.250", 1, 10000}, {"0.100", 2, 10000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ModalScript script(TypeDurationDialog, {[&](GDialog& d) {
            DigitField* field = bodyPanel<DigitField>(d);
            ASSERT_NE(field, nullptr);
            SetWindowTextA(field->time->edit->hwnd, c.typed);
            ModalScript::post(d, c.end);
        }});
        f.command(id("GOTO"));
        EXPECT_EQ(script.runs, 1);
        EXPECT_EQ(f.page->pane->cursor, c.cursor);
    }
}
