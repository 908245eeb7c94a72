// The Editor's file commands through the real main window: a backup, a rate change answered by a
// click in its dialog, a save read back by sox, the analyzer opened on the document's file, and
// the file rows: decompressing through the codec library and splitting a file of several sounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/effect_dialogs.h"
#include "app/format_panels.h"
#include "app/program_texts.h"
#include "editor/editor_window.h"
#include "editor/rate_change.h"
#include "editor/wave_pane.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/status_line.h"
#include "gui/frame/file_placer.h"
#include "gui/kernel/message_box.h"
#include "gui/dialogs/select_dialog.h"
#include "gui/menus/action_table.h"
#include "mm/codec_plugin.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dialogs/scripted_file_dialog.h"
#include "tests/mm/riff_bytes.h"
#include "tests/mm/sound_bytes.h"
#include "tests/gui/dib_canvas.h"
#include "tests/mm/sox_tool.h"
#include "tests/shell/main_window_fixture.h"
#include "tests/support/test_support.h"

namespace {

std::vector<std::string> shownBoxes;
i32 answerYes(const MessageBoxDescription*, GWindow*, const char* text) {
    shownBoxes.push_back(text ? text : "");
    return 6;
}

// A count of the pane's pixels that are not its background colour at the top left.
u32 drawnPixels(WavePane* pane) {
    RECT r;
    GetClientRect(pane->hwnd, &r);
    DibCanvas canvas(r.right, r.bottom);
    RedrawWindow(pane->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(pane->hwnd);
    BitBlt(canvas.dc(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(pane->hwnd, dc);
    u32 n = 0;
    const COLORREF ground = canvas.pixel(r.right / 2, 2);
    for (i32 y = 0; y < r.bottom; ++y)
        for (i32 x = r.right / 2; x < r.right; ++x) n += canvas.pixel(x, y) != ground;
    return n;
}

}  // namespace

TEST_F(MainWindowTest, EditorFileCommandsFromTheMainWindow) {
    setMessageBoxSink(answerYes);
    TempDir dir;
    std::string path = dir.file("song.wav");
    ASSERT_EQ(0, runSox("-n -r 44100 -c 1 -b 16 \"" + unixPath(path) + "\" synth 1 sine 300 vol 0.9"));
    const std::string original = dir.read("song.wav");
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    auto* page = static_cast<EditorWindow*>(openDocumentInWindow(w, KindEditor, path.c_str()));
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(page->hasDocument);
    auto idle = [&] { return pumpUntil([&] { return !page->job; }, 20000); };

    // BACKUP_FILE, then UNBACKUP_FILE is enabled.
    const u32 unbackup = (u32)actionIdByName("UNBACKUP_FILE");
    EXPECT_EQ(page->commandState(unbackup), 1);
    command(w, (u32)actionIdByName("BACKUP_FILE"));
    ASSERT_TRUE(idle());
    EXPECT_TRUE(dir.read("song.wav.bak") == original);
    EXPECT_EQ(page->commandState(unbackup), 0);

    // CHANGE_RATE with a click on 22.05 kHz: the sound keeps its look over half the frames.
    pumpUntil([] { return false; }, 300);
    const u32 before = drawnPixels(page->pane);
    ModalScript script(TypeRateDialog, {[&](GDialog& d) {
        auto* body = dynamic_cast<GLayoutItem*>(d.content);
        auto* panel = body ? dynamic_cast<SampleRatePanel*>(body->childAt(0)) : nullptr;
        ASSERT_NE(panel, nullptr);
        saveWindowShot(d.hwnd, "rate_dialog.bmp");
        RECT mark, text;
        panel->boxes[2]->geometry(&mark, &text);
        const LPARAM at = MAKELPARAM((mark.left + mark.right) / 2, (mark.top + mark.bottom) / 2);
        SendMessageA(panel->boxes[2]->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(panel->boxes[2]->hwnd, WM_LBUTTONUP, 0, at);
        ModalScript::post(d, 1);
    }});
    command(w, EditorChangeRate);
    ASSERT_TRUE(idle());
    EXPECT_EQ(script.runs, 1);
    EXPECT_EQ(page->format.sampleRate, 22050u);
    EXPECT_EQ(page->pane->frameCount, 22050u);
    pumpUntil([] { return false; }, 300);
    saveWindowShot(w->hwnd, "editor_rate_changed.bmp");
    EXPECT_GT(drawnPixels(page->pane), before / 4);
    // The information strip names the new rate.
    auto* field = static_cast<StatusField*>(page->infoStrip->fields.data[0]);
    ASSERT_TRUE(field && field->text);
    const std::string sound = field->text;
    EXPECT_NE(sound.find("22.05"), std::string::npos) << sound;
    EXPECT_EQ(sound.find("44.1"), std::string::npos) << sound;

    // SAVE writes the new rate; sox reads it.
    command(w, FileCommandSave);
    ASSERT_TRUE(idle());
    EXPECT_FALSE(page->modified);
    ASSERT_EQ(0, runSox("--i -r \"" + unixPath(path) + "\" > \"" + unixPath(dir.file("rate.txt")) + "\""));
    EXPECT_EQ(dir.read("rate.txt").substr(0, 5), "22050");

    // ANALYZE_FILE opens the analyzer on the file as a tab of the same window.
    command(w, (u32)actionIdByName("ANALYZE_FILE"));
    EXPECT_EQ(kindOfCurrent(w), (u32)KindAnalyzer);
    setMessageBoxSink(nullptr);
}

namespace {
// Declines the offers made on opening, says yes to the rest.
i32 declineOffers(const MessageBoxDescription*, GWindow*, const char* text) {
    std::string t = text ? text : "";
    shownBoxes.push_back(t);
    return t == ravoText(RavoText::EditorOfferDecompress) || t == ravoText(RavoText::EditorOfferExtract) ? 7 : 6;
}
}  // namespace

TEST_F(MainWindowTest, FileRowsFromTheMainWindow) {
    setMessageBoxSink(declineOffers);
    scriptedFileDialogs();
    ASSERT_TRUE(loadCodecPlugin());
    TempDir dir;
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);

    // DECOMPRESS of 8-bit samples through the codec library: the 16-bit file opens in the page.
    const std::string song = dir.file("song.wav"), target = dir.file("song.-.wav"), sox16 = dir.file("sox16.wav");
    ASSERT_EQ(0, runSox("-n -r 8000 -c 1 -b 8 \"" + unixPath(song) + "\" synth 0.3 sine 440 vol 0.7"));
    ASSERT_EQ(0, runSox("\"" + unixPath(song) + "\" -b 16 \"" + unixPath(sox16) + "\""));
    auto* page = static_cast<EditorWindow*>(openDocumentInWindow(w, KindEditor, song.c_str()));
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(page->hasDocument);
    EXPECT_FALSE(page->samplesPresent);
    scriptedFileChoice() = target;
    // A failing library: its message is shown, nothing is written and the sound stays open.
    SetEnvironmentVariableA("DARODEZA_RESULT", "1");
    SetEnvironmentVariableA("DARODEZA_MESSAGE", "no decoder");
    shownBoxes.clear();
    command(w, EditorDecompress);
    ASSERT_TRUE(pumpUntil([&] { return !page->job; }, 20000));
    SetEnvironmentVariableA("DARODEZA_RESULT", nullptr);
    SetEnvironmentVariableA("DARODEZA_MESSAGE", nullptr);
    EXPECT_FALSE(dir.exists("song.-.wav"));
    EXPECT_STREQ(page->documentPath(), song.c_str());
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_NE(shownBoxes[0].find("no decoder"), std::string::npos) << shownBoxes[0];

    command(w, EditorDecompress);
    ASSERT_TRUE(pumpUntil([&] { return !page->job && page->documentPath() && target == page->documentPath(); }, 20000));
    EXPECT_TRUE(page->samplesPresent);
    EXPECT_TRUE(fileSamples(target) == fileSamples(sox16));

    // SPLIT_FILE of three sounds: one WAVE file each in the chosen folder.
    std::string pool;
    std::vector<std::string> samples;
    for (int i = 0; i < 3; ++i) {
        std::string data;
        for (int k = 0; k < 400; ++k) {
            const i16 v = (i16)((k * (i + 3) * 97) % 20000 - 10000);
            data.append(reinterpret_cast<const char*>(&v), 2);
        }
        samples.push_back(data);
        pool += riffList("LIST", "wave", chunk("fmt ", pcmFmt(1, 8000, 16)) + chunk("data", data));
    }
    dir.write("pool.dls", riffList("RIFF", "DLS ", riffList("LIST", "wvpl", pool)));
    ModalScript first(TypeSelectDialog, {[](GDialog& d) { ModalScript::post(d, 1); }});
    page->loadDocument(dir.file("pool.dls").c_str(), nullptr);
    ASSERT_TRUE(page->hasDocument);
    const std::string out = dir.file("parts");
    scriptedFileChoice() = out;
    shownBoxes.clear();
    command(w, (u32)actionIdByName("SPLIT_FILE"));
    ASSERT_TRUE(pumpUntil([&] { return !page->job; }, 20000));
    for (int i = 0; i < 3; ++i) {
        const std::string part = out + "\\unnamed.00" + std::to_string(i) + ".wav";
        EXPECT_TRUE(fileSamples(part) == samples[i]) << part;
    }
    GString done;
    stringFormat(done, ravoText(RavoText::FileSplitDone), 3u);
    EXPECT_NE(std::find(shownBoxes.begin(), shownBoxes.end(), std::string(done.c_str())), shownBoxes.end());

    unloadCodecPlugin();
    fileDialogSystem = fileDialogSystemDefaults;
    setMessageBoxSink(nullptr);
}
