// The instrument window of the Editor in a real main window: the tests' instrument chosen from the
// instruments popup with the keys, a letter key played while recording, the recording played on the
// machine's device (read back from the file the device writes) and rendered into the sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/note_events.h"
#include "core/paths.h"
#include "editor/editor_menus.h"
#include "editor/editor_window.h"
#include "editor/instrument_dialog.h"
#include "editor/wave_pane.h"
#include "gui/frame/board_window.h"
#include "gui/frame/shown_notices.h"
#include "gui/input/system_input.h"
#include "gui/menus/popup_menu.h"
#include "tests/editor/plugin_folder_scope.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dib_canvas.h"
#include "tests/mm/sox_tool.h"
#include "tests/shell/main_window_fixture.h"
#include "tests/shell/tick_steps.h"
#include "tests/support/test_plugins.h"
#include "tests/support/test_support.h"

namespace {
DWORD g_tick = 0;
DWORD fakeTick() { return g_tick; }


// The lengths of the runs of stereo 16-bit frames whose left sample is the value.
std::vector<size_t> runsOf(const std::string& bytes, i16 value) {
    std::vector<size_t> runs;
    size_t run = 0;
    for (size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        i16 left;
        memcpy(&left, bytes.data() + at, 2);
        if (left == value) {
            ++run;
        } else if (run) {
            runs.push_back(run);
            run = 0;
        }
    }
    if (run) runs.push_back(run);
    return runs;
}

// A run of 300 ms at 44100 Hz, give or take the processing blocks.
bool holdsPlayedNote(const std::string& bytes) {
    for (size_t run : runsOf(bytes, 16384))
        if (run >= 13000 && run <= 13500) return true;
    return false;
}

std::string readFrom(const std::string& path, size_t offset) {
    std::string all = readWholeFile(path);
    return all.size() > offset ? all.substr(offset) : std::string();
}
}  // namespace

TEST_F(MainWindowTest, TheInstrumentWindowRecordsPlaysAndRenders) {
    const std::string device = deviceOutputPath();
    ASSERT_FALSE(device.empty()) << "the test set-up names the device's output file";
    TempDir dir;
    const std::string path = dir.file("tone.wav");
    ASSERT_EQ(0, runSox("-n -r 44100 -c 2 -b 16 \"" + unixPath(path) + "\" synth 1 sine 300 sine 500 vol 0.5"));
    CreateDirectoryA(dir.file("plugins").c_str(), nullptr);
    copyTestPlugin(dir, "synth_plugin", "plugins\\synth.dll");
    PluginFolderScope folder(dir.file("plugins").c_str());
    clearNoteEvents(noteEventList());
    markNoticeShown(NoticeInstrumentKeys);
    systemInput.tickCount = fakeTick;

    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    auto* page = static_cast<EditorWindow*>(openDocumentInWindow(w, KindEditor, path.c_str()));
    ASSERT_NE(nullptr, page);
    page->pane->selectAllPlain();
    SetForegroundWindow(w->hwnd);
    SetActiveWindow(w->hwnd);
    pumpUntil([] { return false; }, 200);

    const HWND main = w->hwnd;
    i32 waits = 0;
    std::vector<std::function<bool()>> steps = {
        [&] { return PostMessageA(main, WM_COMMAND, VstInstrumentsMenuId, 0) != 0; },
        [&] {
            if (tick_steps::shownPopups().empty() || dynamicPopupCommand != (i32)VstInstrumentsMenuId) {
                if (++waits < 30) return false;
                tick_steps::postKey(main, VK_ESCAPE);
                tick_steps::abandon();
                return false;
            }
            return tick_steps::postKey(main, VK_DOWN);
        },
        [&] { return tick_steps::postKey(main, VK_RETURN); },
    };

    size_t deviceBefore = 0;
    HWND keysTo = nullptr, keyboard = nullptr;
    std::string recorded, played;
    bool playedAlone = false;
    ModalScript script(TypeGVSTInstrumentDialog, {
        [&](GDialog& d) {
            deviceBefore = readWholeFile(device).size();
            g_tick = 5000;
            ModalScript::click(d, InstrumentRecordCommand);
            // E of octave 4 held for 300 ms, typed where the focus went: the keyboard.
            auto& i = static_cast<GVSTInstrumentDialog&>(d);
            keysTo = GetFocus();
            keyboard = i.keyboard->hwnd;
            g_tick = 5100;
            PostMessageA(keysTo, WM_KEYDOWN, 'E', 1);
        },
        [&](GDialog& d) {
            g_tick = 5400;
            saveWindowShot(d.hwnd, "instrument_window_main.bmp");
            PostMessageA(keysTo, WM_KEYUP, 'E', (LPARAM)0xC0000001u);
        },
        [&](GDialog& d) {
            g_tick = 5600;
            ModalScript::click(d, InstrumentRecordCommand);
            char text[64];
            for (u32 k = 0; k < noteEventList().count; ++k) {
                const PluginEvent& e = noteEventList()[k];
                snprintf(text, sizeof text, "%s%u:%X:%u", k ? " " : "", e.time, e.status, e.data1);
                recorded += text;
            }
            ModalScript::click(d, InstrumentPlayCommand);
            auto& i = static_cast<GVSTInstrumentDialog&>(d);
            playedAlone = pumpUntil([&] { return i.recorder->playing == 0; }, 5000);
            // What the device wrote lags what was mixed by its buffers.
            pumpUntil([&] { return holdsPlayedNote(readFrom(device, deviceBefore)); }, 3000);
            played = readFrom(device, deviceBefore);
            ModalScript::click(d, 1);
        },
    });
    const UINT_PTR timer = tick_steps::start(std::move(steps));
    EXPECT_TRUE(pumpUntil([&] { return page->history.canUndo(); }, 20000));
    KillTimer(nullptr, timer);
    pumpUntil([&] { return !page->running() && !page->job; }, 10000);
    systemInput.tickCount = systemInputDefaults.tickCount;

    EXPECT_EQ(script.runs, 1);
    EXPECT_EQ(keysTo, keyboard) << "recording gives the keyboard the focus";
    EXPECT_EQ(recorded, "0:90:64 300:80:64 500:B0:120");
    EXPECT_TRUE(playedAlone);
    // Key 64 of 128 on the left for 300 ms of the device's 44100 Hz (13230 frames, cut in blocks);
    // the key as it was typed sounded for as long as it was held.
    EXPECT_TRUE(holdsPlayedNote(played));

    // Rendered: the same 300 ms at the start of the sound, silence after.
    std::vector<i16> left(page->store.length / 4);
    std::string bytes(page->store.length, '\0');
    page->store.lock(nullptr);
    page->store.readRange(page->store.findSegment(page->store.dataOffset), page->store.length,
                          reinterpret_cast<u8*>(&bytes[0]));
    page->store.unlock();
    ASSERT_EQ(bytes.size(), 44100u * 4);
    for (size_t i = 0; i < left.size(); ++i) memcpy(&left[i], bytes.data() + i * 4, 2);
    for (size_t i : {100u, 6000u, 13000u}) EXPECT_EQ(left[i], 16384) << "frame " << i;
    for (size_t i : {13400u, 30000u}) EXPECT_EQ(left[i], 0) << "frame " << i;
    clearNoteEvents(noteEventList());
}
