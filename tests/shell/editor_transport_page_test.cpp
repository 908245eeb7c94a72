// Play, record and an effect's preview as a user starts them in the main window, through the
// machine's wave devices (the test set-up writes what is played to a file and records silence): the
// played bytes read back from the device's file, the play cursor and the recorded stretch seen in
// the pane's pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/amp_dialog.h"
#include "app/app_settings.h"
#include "app/effect_dialogs.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/frame/file_placer.h"
#include "gui/kernel/dialog.h"
#include "gui/layout/layout_cell.h"
#include "gui/kernel/modal_run.h"
#include "mm/mm_settings.h"
#include "mm/sound_player.h"
#include "tools/mixer_panel.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dib_canvas.h"
#include "tests/mm/sound_bytes.h"
#include "tests/mm/sox_tool.h"
#include "tests/shell/main_window_fixture.h"
#include "tests/support/test_support.h"

namespace {

enum : u32 { Record = 315, PlaySelection = 316 };
const u32 fb = 4;  // 16-bit stereo

bool peaksReady(WavePane* pane) { return pane->source && pane->source->loadProgress() >= 100; }

// Pixels of column x of a client-area image (windowPixels) that differ between two images.
u32 columnDifferences(const std::string& a, const std::string& b, HWND window, i64 x) {
    RECT r;
    GetClientRect(window, &r);
    u32 n = 0;
    if (x < 0 || x >= r.right || a.size() != b.size()) return 0;
    for (i32 y = 0; y < r.bottom; ++y) {
        const size_t at = ((size_t)y * (size_t)r.right + (size_t)x) * 4;
        n += a.compare(at, 4, b, at, 4) != 0;
    }
    return n;
}

// A mixer panel somewhere in the layout tree.
bool holdsMixerPanel(GLayoutCell* cell) {
    if (!cell) return false;
    if (dynamic_cast<GMixerPanel*>(cell)) return true;
    GLayoutItem* item = cell->asLayoutItem();
    for (int i = 0; item && i < item->childCount(); ++i)
        if (holdsMixerPanel(item->childAt(i))) return true;
    return false;
}

bool recordPanelShown = false;

std::string storeBytes(EditorWindow* page) {
    return storeSamples(page->store);
}

// RecordDialog is answered with OK as it opens; the recording then ends by its length.
void CALLBACK acceptRecordDialog(HWND, UINT, UINT_PTR, DWORD) {
    GDialog* d = pendingModalDialog();
    if (!d || !d->hwnd || std::string(d->className()) != "RecordDialog") return;
    recordPanelShown = holdsMixerPanel(d->content ? d->content->asLayoutCell() : nullptr);
    saveWindowShot(d->hwnd, "record_dialog.bmp");
    PostMessageA(d->hwnd, WM_COMMAND, IDOK, 0);
}

// The play entry without fades (the bytes arrive as they are); the settings put back at the end.
struct TransportScope {
    DeviceSettings& entry = multimediaSettings().sound.play;
    const u32 switches = entry.choiceFlags;
    const AppSettings settings = appSettings;
    TransportScope() { entry.choiceFlags = 0; }
    ~TransportScope() {
        entry.choiceFlags = switches;
        appSettings = settings;
    }
};

}  // namespace

class EditorTransportTest : public MainWindowTest {
protected:
    // A stereo tone of the length made by sox, opened in the Editor tab of a new main window with
    // its peaks read; null when any step failed.
    EditorWindow* openTone(const char* seconds) {
        const std::string in = dir.file("tone.wav");
        if (runSox("-n -r 44100 -c 2 -b 16 \"" + unixPath(in) + "\" synth " + seconds + " sine 440 vol 0.8") != 0)
            return nullptr;
        samples = fileSamples(in);
        w = make(KindWelcome);
        auto* page = w ? static_cast<EditorWindow*>(openDocumentInWindow(w, KindEditor, in.c_str())) : nullptr;
        if (!page || !pumpUntil([&] { return peaksReady(page->pane); }, 5000)) return nullptr;
        return page;
    }

    TransportScope scope;
    TempDir dir;
    std::string samples;
    ProgramWindow* w = nullptr;
};

TEST_F(EditorTransportTest, PlayAndRecordFromTheMainWindow) {
    EditorWindow* page = openTone("2");
    ASSERT_NE(nullptr, page);
    WavePane* pane = page->pane;
    const u64 from = 4410, to = 66150;
    pane->setSelection(from, to);
    pane->setCursor(from);
    DeleteFileA(deviceOutputPath().c_str());

    // Playing: the cursor runs ahead of the selection's start and is drawn where it is.
    command(w, PlaySelection);
    ASSERT_TRUE(page->playing);
    ASSERT_TRUE(pumpUntil([&] { return pane->cursor > from + 11025; }, 5000));
    // The same pane (the level window now shows under it) with the line taken back to the start.
    const i64 x = pane->pixelOfFrame(pane->cursor);
    const std::string playing = windowPixels(pane->hwnd);
    pane->setCursor(from);
    const std::string without = windowPixels(pane->hwnd);
    RECT client;
    GetClientRect(pane->hwnd, &client);
    // The line is a pair of columns beside the cursor's pixel across the plot.
    for (i64 side : {x - 1, x + 1})
        EXPECT_GT(columnDifferences(without, playing, pane->hwnd, side), (u32)client.bottom / 2) << "cursor at " << x;
    saveWindowShot(w->hwnd, "main_window_playing.bmp");
    ASSERT_TRUE(pumpUntil([&] { return !page->playing; }, 10000));
    EXPECT_EQ(pane->drawMode, (u32)WaveNoDraw);
    const std::string played = readWholeFile(deviceOutputPath());
    EXPECT_NE(played.find(samples.substr(from * fb, (to - from) * fb)), std::string::npos) << played.size();

    // Recording half a second of the device's silence over the tone at the cursor.
    RecordSettings& r = appSettings.Editor.Record;
    r.writeMode = 2;
    r.positionMode = 0;
    r.begin.mode = 0;
    r.end.mode = 1;
    r.end.delay = {22050, 44100};
    pane->setSelection(0, 0);
    pane->setCursor(22050);
    pumpUntil([] { return false; }, 200);
    const std::string toneShown = windowPixels(pane->hwnd);
    UINT_PTR answer = SetTimer(nullptr, 0, 20, acceptRecordDialog);
    command(w, Record);
    ASSERT_TRUE(pumpUntil([&] { return page->history.canUndo(); }, 10000));
    KillTimer(nullptr, answer);
    EXPECT_TRUE(recordPanelShown);
    EXPECT_EQ(pane->selStart, 22050u);
    EXPECT_EQ(pane->selEnd, 44100u);
    ASSERT_TRUE(pumpUntil([&] { return peaksReady(pane); }, 5000));
    saveWindowShot(w->hwnd, "main_window_recorded.bmp");
    pane->setSelection(0, 0);
    pane->setCursor(22050);
    pumpUntil([] { return false; }, 300);
    // The silent stretch draws otherwise than the tone did; the tone before it is as it was.
    const std::string recordedShown = windowPixels(pane->hwnd);
    const i64 middle = pane->pixelOfFrame(33075), before = pane->pixelOfFrame(11025);
    EXPECT_GT(columnDifferences(toneShown, recordedShown, pane->hwnd, middle), 4u);
    EXPECT_EQ(columnDifferences(toneShown, recordedShown, pane->hwnd, before), 0u);
}

// AMPLIFY's Preview as a user presses it in the main window: the trial heard through the device and
// taken back before the dialog shows again, then OK records the one edit.
TEST_F(EditorTransportTest, AmplifyPreviewedFromTheMainWindow) {
    appSettings.Editor.ampData_mul = levelFactor(0.5);
    EditorWindow* page = openTone("1");
    ASSERT_NE(nullptr, page);
    WavePane* pane = page->pane;
    const u64 from = 4410, to = 17640;
    pane->setSelection(from, to);
    DeleteFileA(deviceOutputPath().c_str());

    int run = 0;
    std::string between;
    bool historyBetween = true;
    ModalScript script(TypeAmpDialog, {[&](GDialog& d) {
        if (++run == 2) {
            between = storeBytes(page);
            historyBetween = page->history.canUndo();
        }
        ModalScript::click(d, run == 1 ? 4 : IDOK);
    }});
    PostMessageA(w->hwnd, WM_COMMAND, EditorAmplify, 0);
    ASSERT_TRUE(pumpUntil([&] { return page->history.canUndo(); }, 15000));
    EXPECT_EQ(run, 2);
    EXPECT_TRUE(between == samples);
    EXPECT_FALSE(historyBetween);
    // The sound holds the range halved, and that is what played.
    const std::string now = storeBytes(page);
    ASSERT_EQ(now.size(), samples.size());
    for (size_t i = from * fb / 2; i < to * fb / 2; ++i)
        ASSERT_LE(std::abs(sampleAt(now, i) - sampleAt(samples, i) / 2), 1) << i;
    const std::string played = readWholeFile(deviceOutputPath());
    EXPECT_NE(played.find(now.substr(from * fb, (to - from) * fb)), std::string::npos) << played.size();
}

// ECHO previewed from the main window: the trial is the edit OK then makes, it is what played, and
// it is taken back before the dialog shows again.
TEST_F(EditorTransportTest, EchoPreviewedFromTheMainWindow) {
    EditorWindow* page = openTone("1");
    ASSERT_NE(nullptr, page);
    const u64 from = 2205, to = 30870;
    page->pane->setSelection(from, to);
    DeleteFileA(deviceOutputPath().c_str());

    int run = 0;
    std::string between, played;
    bool historyBetween = true;
    ModalScript script(TypeEchoDialog, {[&](GDialog& d) {
        if (++run == 2) {
            between = storeBytes(page);
            historyBetween = page->history.canUndo();
            played = readWholeFile(deviceOutputPath());
        }
        ModalScript::click(d, run == 1 ? 4 : IDOK);
    }});
    PostMessageA(w->hwnd, WM_COMMAND, 503, 0);
    ASSERT_TRUE(pumpUntil([&] { return page->history.canUndo() && !page->running(); }, 15000));
    EXPECT_EQ(run, 2);
    EXPECT_TRUE(between == samples);
    EXPECT_FALSE(historyBetween);
    const std::string now = storeBytes(page);
    ASSERT_EQ(now.size(), samples.size());
    EXPECT_TRUE(now != samples);
    EXPECT_TRUE(now.substr(0, from * fb) == samples.substr(0, from * fb));
    EXPECT_NE(played.find(now.substr(from * fb, (to - from) * fb)), std::string::npos) << played.size();
}
