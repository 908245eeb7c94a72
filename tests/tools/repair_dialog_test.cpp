// The repair dialogs as the mixer panel's repair command runs them: a fix clicked for real, the
// problems shown anew, the mixer line table's check box, the meter's tick and the order of the
// stops when the record dialog closes.
#include "tools/repair_wave_dialog.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "gui/controls/progress_bar.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/table.h"
#include "mm/mm_settings.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"
#include "tests/tools/mixer_machine.h"
#include "tools/mixer_line_table.h"
#include "tools/mixer_panel.h"
#include "tools/repair_wave_in_dialog.h"
#include "tools/repair_wave_out_dialog.h"

namespace {
std::function<void(GRepairWaveDialog*)> whileShown;
GRepairWaveDialog* shownDialog = nullptr;

BOOL CALLBACK findRepair(HWND hwnd, LPARAM) {
    GParentWindow* w = parentWindowFromHandle(hwnd);
    if (w && w->isKindOf(TypeRepairWaveDialog) && IsWindowVisible(hwnd)) {
        shownDialog = static_cast<GRepairWaveDialog*>(w);
        return FALSE;
    }
    return TRUE;
}

void CALLBACK onTick(HWND, UINT, UINT_PTR id, DWORD) {
    shownDialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findRepair, 0);
    if (!shownDialog) return;
    KillTimer(nullptr, id);
    whileShown(shownDialog);
}

void runShown(SoundSettings& sound, bool playback, std::function<void(GRepairWaveDialog*)> work) {
    whileShown = std::move(work);
    UINT_PTR timer = SetTimer(nullptr, 0, 10, onTick);
    ASSERT_NE(mixerRepairDialog, nullptr);
    mixerRepairDialog(nullptr, &sound, playback);
    KillTimer(nullptr, timer);
}

struct FoundButton {
    u32 command;
    HWND found;
};

BOOL CALLBACK findButton(HWND w, LPARAM p) {
    FoundButton* f = reinterpret_cast<FoundButton*>(p);
    if ((u32)GetDlgCtrlID(w) != f->command || !IsWindowVisible(w)) return TRUE;
    f->found = w;
    return FALSE;
}

HWND buttonOf(HWND dialog, u32 command) {
    FoundButton find{command, nullptr};
    EnumChildWindows(dialog, findButton, (LPARAM)&find);
    return find.found;
}

// A press and release with the pointer over the window's centre.
void clickCentre(InputSeam& seam, HWND w) {
    RECT r;
    GetClientRect(w, &r);
    LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    seam.active = GetAncestor(w, GA_ROOT);
    seam.pointAt(w, r.right / 2, r.bottom / 2);
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(w, WM_LBUTTONUP, 0, at);
}

std::vector<u32> shownFixes(HWND dialog) {
    std::vector<u32> list;
    for (u32 c = 1000; c <= 1006; ++c)
        if (buttonOf(dialog, c)) list.push_back(c);
    return list;
}
}  // namespace

TEST(RepairWaveOutDialog, AClickedFixWritesTheMixerAndTheProblemsAreShownAnew) {
    TestApplication app;
    InputSeam seam;
    MixerMachine machine;
    machine.valuesOf(machine.waveMute) = {1};
    machine.valuesOf(machine.waveVolume) = {20000, 30000};
    SoundSettings sound;
    sound.play.mixer = 0;
    sound.play.destination = 0;
    sound.play.source = 0;
    std::vector<u32> before, afterUnmute, afterRaise;
    bool playing = false, alive = false;
    runShown(sound, true, [&](GRepairWaveDialog* d) {
        EXPECT_EQ(d->typeId(), (u32)TypeRepairWaveOutDialog);
        playing = static_cast<GRepairWaveOutDialog*>(d)->output != nullptr;
        before = shownFixes(d->hwnd);
        saveWindowShot(d->hwnd, "repair_play.bmp");
        clickCentre(seam, buttonOf(d->hwnd, 1000));
        afterUnmute = shownFixes(d->hwnd);
        clickCentre(seam, buttonOf(d->hwnd, 1002));
        afterRaise = shownFixes(d->hwnd);
        alive = IsWindow(d->hwnd) != 0;
        saveWindowShot(d->hwnd, "repair_play_fixed.bmp");
        PostMessageA(d->hwnd, WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(playing);
    EXPECT_TRUE(alive);
    EXPECT_EQ(before, (std::vector<u32>{1000, 1002, 1004}));
    EXPECT_EQ(afterUnmute, (std::vector<u32>{1002, 1004}));
    EXPECT_EQ(afterRaise, (std::vector<u32>{1004}));
    EXPECT_EQ(machine.valuesOf(machine.waveMute), std::vector<u32>{0});
    EXPECT_EQ(machine.valuesOf(machine.waveVolume), (std::vector<u32>{32767, 30000}));
}

TEST(RepairWaveInDialog, TableCheckBoxMeterAndTheStopsBeforeTheWindowGoes) {
    TestApplication app;
    MixerMachine machine;
    SoundSettings sound;
    sound.record.mixer = 0;
    sound.record.destination = 2;  // mixer A's Wave In / Microphone: not the multiplexer's choice
    sound.record.source = 0;
    sound.play.mixer = 0;
    sound.play.destination = 0;
    sound.play.source = 0;
    std::vector<u32> fixes;
    std::vector<std::string> lines, linesAfter;
    i32 meterShown = -1;
    u16 peakAfter = 1;
    static std::vector<std::string> stops;
    stops.clear();
    runShown(sound, false, [&](GRepairWaveDialog* d) {
        GRepairWaveInDialog* in = static_cast<GRepairWaveInDialog*>(d);
        in->stopped = [](const char* what) {
            stops.push_back(std::string(what) + (IsWindow(shownDialog->hwnd) ? " window" : " gone"));
        };
        fixes = shownFixes(d->hwnd);
        saveWindowShot(d->hwnd, "repair_record.bmp");
        GString scratch;
        for (const MixerLineRow& r : in->model->rows) lines.push_back(std::string(r.line.szName) + ": " + r.state);
        in->table->toggleCheck(0, MixerLineTableModel::AudibleColumn);
        for (const MixerLineRow& r : in->model->rows) linesAfter.push_back(std::string(r.line.szName) + ": " + r.state);
        {
            std::lock_guard<std::mutex> hold(in->recorder->lock);
            in->recorder->ring.peak = 1234;
        }
        SendMessageA(d->hwnd, WM_TIMER, GRepairWaveInDialog::meterTimer, 0);
        meterShown = in->meter->position;
        peakAfter = in->recorder->takePeak();
        PostMessageA(d->hwnd, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(fixes, std::vector<u32>{1006});
    EXPECT_EQ(lines, (std::vector<std::string>{"Wave Out: Play line", "Microphone: Record line"}));
    EXPECT_EQ(linesAfter, (std::vector<std::string>{"Wave Out: Play line, muted", "Microphone: Record line"}));
    EXPECT_EQ(machine.valuesOf(machine.waveMute), std::vector<u32>{1});
    EXPECT_EQ(meterShown, 1234);
    EXPECT_EQ(peakAfter, 0);
    EXPECT_EQ(stops, (std::vector<std::string>{"recorder window", "output window"}));
}
