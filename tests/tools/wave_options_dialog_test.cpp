// The play and record options: the no-line message, Cancel putting back what the dialog changed, and
// one run on the machine's own mixers.
#include "tools/wave_options_dialog.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <functional>
#include <string>
#include <vector>

#include "gui/controls/combo.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/regulator.h"
#include "gui/input/input_routing.h"
#include "gui/kernel/window_procedure.h"
#include "mm/mm_settings.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/tools/mixer_machine.h"
#include "tools/device_adjust_panel.h"
#include "tools/mixer_control_panel.h"
#include "tools/mixer_line_list.h"
#include "tools/mixer_panel.h"

namespace {

struct Heard : DeviceSettingsListener {
    void onSettingsChanged(DeviceSettings*, u32 mask) override { codes.push_back(mask); }
    std::vector<u32> codes;
    DeviceListNode node;
};

// Runs the work once the options dialog runs modally, on its first timer tick.
std::function<void(GWaveOptionsDialog*)> whileShown;
GWaveOptionsDialog* shownDialog = nullptr;

BOOL CALLBACK findOptions(HWND hwnd, LPARAM) {
    GParentWindow* w = parentWindowFromHandle(hwnd);
    if (w && w->isKindOf(TypeWaveOptionsDialog) && IsWindowVisible(hwnd)) {
        shownDialog = static_cast<GWaveOptionsDialog*>(w);
        return FALSE;
    }
    return TRUE;
}

void CALLBACK onTick(HWND, UINT, UINT_PTR id, DWORD) {
    shownDialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findOptions, 0);
    if (!shownDialog) return;
    KillTimer(nullptr, id);
    whileShown(shownDialog);
}

void keyTo(GChildWindow* target, u32 vk) {
    GInputEvent e = GInputEvent::keyDown(vk);
    e.target = target;
    routeKeyEvent(&e);
}
}  // namespace

TEST(WaveOptionsDialog, WithoutAMixerLineAMessageAndNoDialog) {
    for (bool playback : {true, false}) {
        TestApplication app;
        FakeMachine machine;  // no mixer at all
        SoundSettings sound;
        ShownBoxes shown;
        bool ran = false;
        whileShown = [&](GWaveOptionsDialog* d) {
            ran = true;
            PostMessageA(d->hwnd, WM_CLOSE, 0, 0);
        };
        UINT_PTR timer = SetTimer(nullptr, 0, 10, onTick);
        if (playback)
            GWaveOptionsDialog::runPlayOptions(nullptr, &sound);
        else
            GWaveOptionsDialog::runRecordOptions(nullptr, &sound);
        KillTimer(nullptr, timer);
        EXPECT_FALSE(ran);
        EXPECT_EQ(ShownBoxes::texts, std::vector<std::string>{playback ? "No mixer line carries the sound of a play device"
                                                                        : "No mixer line carries the sound of a record device"});
    }
}

TEST(WaveOptionsDialog, CancelPutsBackDeviceLineAndControls) {
    TestApplication app;
    MixerMachine machine;
    SoundSettings sound;
    sound.play.destination = 0;  // mixer A's Speakers / Wave Out
    const std::vector<std::vector<u32>> before = [&] {
        std::vector<std::vector<u32>> v;
        for (const FakeControl& c : machine.controls) v.push_back(c.values);
        return v;
    }();
    Heard player, recorder;
    deviceListLink(player.node, &sound.play, &player);
    deviceListLink(recorder.node, &sound.record, &recorder);
    std::vector<u32> playerCodes, recorderCodes;
    SIZE first = {0, 0}, second = {0, 0};

    whileShown = [&](GWaveOptionsDialog* d) {
        RECT r;
        GetWindowRect(d->hwnd, &r);
        first = {r.right - r.left, r.bottom - r.top};
        saveWindowShot(d->hwnd, "play_options.bmp");
        GMixerPanel* p = d->panel;
        p->sourcePanel->master->setValue(1000);
        p->sourcePanel->balance->setValue(0);
        static_cast<GRegulator*>(p->destinationPanel->controls[0].windows[0])->setValue(5);
        static_cast<GCheckBox*>(p->destinationPanel->controls[1].windows[0])->click();
        keyTo(p->adjust->gain, VK_END);
        keyTo(p->lineList->combo, VK_DOWN);
        keyTo(p->lineList->combo, VK_DOWN);  // mixer B, device 1
        GetWindowRect(d->hwnd, &r);
        second = {r.right - r.left, r.bottom - r.top};
        saveWindowShot(d->hwnd, "play_options_b.bmp");
        playerCodes = player.codes;
        recorderCodes = recorder.codes;
        player.codes.clear();
        PostMessageA(d->hwnd, WM_CLOSE, 0, 0);  // the close box cancels
    };
    UINT_PTR timer = SetTimer(nullptr, 0, 10, onTick);
    GWaveOptionsDialog::runPlayOptions(nullptr, &sound);
    KillTimer(nullptr, timer);

    EXPECT_EQ(playerCodes, (std::vector<u32>{4, 3, 2}));
    EXPECT_TRUE(recorderCodes.empty());
    EXPECT_NE(first.cy, second.cy) << "the dialog fits the panel of the new line";
    std::vector<std::vector<u32>> after;
    for (const FakeControl& c : machine.controls) after.push_back(c.values);
    EXPECT_EQ(before, after);
    EXPECT_EQ(0u, sound.play.device);
    EXPECT_EQ(0, sound.play.mixer);
    EXPECT_EQ(0, sound.play.destination);
    EXPECT_EQ(0, sound.play.source);
    EXPECT_EQ(0, sound.play.adjust1);
    EXPECT_EQ(player.codes, std::vector<u32>{15});
    EXPECT_EQ(recorder.codes, std::vector<u32>{15});
    EXPECT_TRUE(machine.openMixers.empty()) << "the dialog's end closes its mixers";
    deviceListUnlink(player.node);
    deviceListUnlink(recorder.node);
}

// Wine's mixers: the dialog lists their lines and opens them; a move of a destination's one-channel
// volume reaches the mixer and Cancel puts it back. (Wine keeps no value on its wave-out source line.)
TEST(WaveOptionsDialog, OnTheMachinesMixers) {
    TestApplication app;
    SoundSettings sound;
    for (bool playback : {true, false}) {
        SCOPED_TRACE(playback ? "play" : "record");
        GWaveOptionsDialog dialog(nullptr, &sound, playback);
        ASSERT_TRUE(dialog.build());
        GMixerPanel* p = dialog.panel;
        dialog.fitToContent();
        ShowWindow(dialog.hwnd, SW_SHOWNOACTIVATE);
        saveWindowShot(dialog.hwnd, playback ? "machine_play.bmp" : "machine_record.bmp");
        ASSERT_FALSE(p->lineList->entries.empty());
        EXPECT_GE(p->lineList->combo->selection, 0);
        MixerControlPanel* line = p->destinationPanel;
        ASSERT_TRUE(line->lineFound);
        ASSERT_TRUE(line->hasVolume);
        EXPECT_NE(0u, line->handle) << "opened with change messages to its window";
        const u32 was = line->leftValue;
        const u32 target = was > 30000 ? 10000 : 50000;
        line->master->setValue(target);
        Mixer mixer;
        mixer.mixerId = (u32)line->line.mixer;
        MixerLineRef ref = {(u32)line->line.destination, line->line.source};
        u32 left = 0, right = 0;
        ASSERT_TRUE(accessLineVolume(mixer, left, right, false, ref));
        // The mixer keeps the value in steps of its own (the 32-bit system's round one lower).
        EXPECT_NEAR((double)target, (double)left, 1.0);
        dialog.onCommand(2, nullptr);
        ASSERT_TRUE(accessLineVolume(mixer, left, right, false, ref));
        EXPECT_EQ(was, left);
        DestroyWindow(dialog.hwnd);
    }
}
