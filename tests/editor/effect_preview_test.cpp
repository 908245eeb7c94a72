// The effect preview in a real Editor with its real dialogs, through the machine's wave-out device
// (its output written to a file by the test set-up): the trial played and taken back, play-as-is,
// the five-second limit, the stop window and the translucent dialog.
#include "editor/effect_preview.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/echo_dialog.h"
#include "app/effect_records.h"
#include "app/effect_dialogs.h"
#include "editor/effect_command.h"
#include "editor/effect_rows_time.h"
#include "gui/menus/action_table.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/kernel/application.h"
#include "gui/kernel/window_listener.h"
#include "mm/mm_settings.h"
#include "mm/sound_player.h"
#include "editor/editor_menus.h"
#include "editor/plugin_dialog.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/editor_page_fixture.h"
#include "tests/editor/plugin_fixture.h"
#include "gui/controls/combo.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dib_canvas.h"
#include "tests/mm/sound_bytes.h"

namespace {

// The dialogs' commands and the echo's action.
const u32 Ok = IDOK, Cancel = IDCANCEL, Preview = 4, PlayAsIs = 5, EchoId = 503;
const u32 fb = 4;  // 16-bit stereo

// The page with the real effect handler, fades and loop off, AMPLIFY's factor 0.5.
struct PreviewPage : EditorPage {
    EffectCommandHandler savedHandler = effectCommandHandler;
    AppSettings savedSettings = appSettings;
    DeviceSettings& entry = multimediaSettings().sound.play;
    const u32 savedSwitches = entry.choiceFlags;
    PreviewPage() {
        effectCommandHandler = runEffectCommand;
        entry.choiceFlags = 0;
        appSettings.Editor.ampData_mul = levelFactor(0.5);
    }
    ~PreviewPage() {
        effectCommandHandler = savedHandler;
        appSettings = savedSettings;
        entry.choiceFlags = savedSwitches;
    }
};

// Sees the stop window's modal run begin (the dialog already dimmed, the window placed); a stop
// window still open after 10 s fails and ends.
class StopWindowWatch : public GItemBase {
public:
    StopWindowWatch() { ListenerChain::append(application()->eventList, lifeRecord()); }
    ~StopWindowWatch() override { KillTimer(nullptr, stuck); }
    bool onEvent(void* event) override {
        if (!isModalEvent(event)) return false;
        auto* modal = static_cast<ModalEvent*>(event);
        auto* stop = dynamic_cast<PreviewStopWindow*>(modal->scope->dialog());
        if (!stop) return false;
        KillTimer(nullptr, stuck);
        if (!modal->begin) return false;
        ++runs;
        stuck = SetTimer(nullptr, 0, 10000, endStuck);
        if (atBegin) atBegin(*stop);
        return false;
    }
    std::function<void(PreviewStopWindow&)> atBegin;
    int runs = 0;
    UINT_PTR stuck = 0;

private:
    static void CALLBACK endStuck(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        ADD_FAILURE() << "the stop window did not close";
        if (GDialog* open = pendingModalDialog()) open->endDialog(2);
    }
};

BYTE alphaOf(HWND window) {
    BYTE alpha = 0;
    DWORD how = 0;
    COLORREF key = 0;
    if (!(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED)) return 255;
    GetLayeredWindowAttributes(window, &key, &alpha, &how);
    return alpha;
}

RECT screenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// A picture of the stop window (and of the dim dialog under it) once shown, when pictures are asked for.
HWND shotStop = nullptr, shotDialog = nullptr;
void CALLBACK shootPreview(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (IsWindow(shotStop)) saveWindowShot(shotStop, "preview_stop_window.bmp");
    if (IsWindow(shotDialog)) saveWindowShot(shotDialog, "preview_dialog_dim.bmp");
}

bool sameRect(HWND a, HWND b) {
    RECT ra = screenRect(a), rb = screenRect(b);
    return EqualRect(&ra, &rb) != 0;
}

// Every 16-bit sample of [from, to) frames is the original's times the gain within 1, the rest equal.
void expectGain(const std::string& got, const std::string& original, f64 gain, u64 from, u64 to) {
    ASSERT_EQ(got.size(), original.size());
    for (size_t i = 0; i < got.size() / 2; ++i) {
        const bool inside = i >= from * fb / 2 && i < to * fb / 2;
        const i32 expected = inside ? (i32)(sampleAt(original, i) * gain) : sampleAt(original, i);
        ASSERT_LE(std::abs(sampleAt(got, i) - expected), 1) << "sample " << i;
    }
}

}  // namespace

// Preview twice: each time the trial is what plays and is taken back, the dialog dimmed under the
// stop window; the history stays as it was. OK then records one step whose bytes equal an OK
// without preview, and undo gives the exact original back.
TEST(EffectPreview, PreviewPlaysTheTrialThenOkRunsTheRealEdit) {
    PreviewPage f;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 2 -b 16", "synth 1 sine 440 sine 660 vol 0.8")));
    const std::string original = f.bytes();
    const u64 from = 4410, to = 26000;  // under 100000 bytes: OK runs at once
    f.page->pane->setSelection(from, to);
    clearDeviceOutput();

    HWND dialog = nullptr;
    int run = 0;
    std::vector<int> buttonXs;
    std::vector<BYTE> alphaDuring, alphaBetween;
    std::vector<bool> stopOverPreview, untouchedBetween, historyBetween;
    std::vector<std::string> trialBytes;
    PlayRange played{0, 0};
    StopWindowWatch watch;
    watch.atBegin = [&](PreviewStopWindow& stop) {
        alphaDuring.push_back(alphaOf(dialog));
        stopOverPreview.push_back(sameRect(stop.hwnd, GetDlgItem(dialog, Preview)));
        trialBytes.push_back(f.bytes());
        played = f.page->player->currentRange();
        shotStop = stop.hwnd;
        shotDialog = dialog;
        if (getenv("RAVO_GUI_SHOT")) SetTimer(nullptr, 0, 100, shootPreview);
    };
    ModalScript script(TypeAmpDialog, {[&](GDialog& d) {
        dialog = d.hwnd;
        if (++run == 1) {
            saveWindowShot(d.hwnd, "preview_buttons.bmp");
            for (u32 id : {(u32)Preview, (u32)PlayAsIs, 1u, 2u}) buttonXs.push_back(screenRect(GetDlgItem(d.hwnd, (int)id)).left);
        } else {
            alphaBetween.push_back(alphaOf(d.hwnd));
            untouchedBetween.push_back(f.bytes() == original);
            historyBetween.push_back(f.page->history.canUndo());
        }
        ModalScript::click(d, run < 3 ? Preview : Ok);
    }});
    ASSERT_TRUE(f.command(EditorAmplify));
    ASSERT_EQ(run, 3);
    EXPECT_EQ(watch.runs, 2);

    // Preview, play-as-is, OK, Cancel from left to right.
    ASSERT_EQ(buttonXs.size(), 4u);
    for (size_t i = 1; i < buttonXs.size(); ++i) EXPECT_LT(buttonXs[i - 1], buttonXs[i]) << i;
    EXPECT_EQ(alphaDuring, (std::vector<BYTE>{100, 100}));
    EXPECT_EQ(alphaBetween, (std::vector<BYTE>{255, 255}));
    EXPECT_EQ(stopOverPreview, (std::vector<bool>{true, true}));
    EXPECT_EQ(untouchedBetween, (std::vector<bool>{true, true}));
    EXPECT_EQ(historyBetween, (std::vector<bool>{false, false}));
    // A range under five seconds plays whole.
    EXPECT_EQ(played.start, from * fb);
    EXPECT_EQ(played.end, to * fb);

    const std::string done = f.bytes();
    expectGain(done, original, 0.5, from, to);
    ASSERT_EQ(trialBytes.size(), 2u);
    EXPECT_TRUE(trialBytes[0] == done && trialBytes[1] == done);
    const std::string range = done.substr(from * fb, (to - from) * fb);
    EXPECT_NE(devicePlayed().find(range), std::string::npos);
    EXPECT_TRUE(f.takeBoxes().empty());

    // One step, undone exactly; the same edit without a preview gives the same bytes.
    ASSERT_TRUE(f.command(EditorUndo));
    EXPECT_TRUE(f.bytes() == original);
    EXPECT_FALSE(f.page->history.canUndo());
    f.page->pane->setSelection(from, to);
    run = 10;
    ASSERT_TRUE(f.command(EditorAmplify));
    EXPECT_EQ(watch.runs, 2);
    EXPECT_TRUE(f.bytes() == done);
}

// Play-as-is plays the untouched bytes and undoes nothing, even with the loop switch on (the stop
// window still closes at the end, the switch and the player's repeat bit come back); Cancel after
// it leaves the sound, the history and the modified mark as they were.
TEST(EffectPreview, PlayAsIsPlaysTheUntouchedSoundAndEndsWithTheLoopOn) {
    PreviewPage f;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 2 -b 16", "synth 0.5 sine 330 vol 0.7")));
    const std::string original = f.bytes();
    f.page->pane->setSelection(2205, 15435);
    f.entry.choiceFlags = DeviceSwitch::Loop;
    const u32 repeatBefore = f.page->player->stateBits() & playerRepeat;
    clearDeviceOutput();

    bool loopDuring = true, repeatDuring = true, stopOverButton = false;
    int run = 0;
    StopWindowWatch watch;
    HWND dialog = nullptr;
    watch.atBegin = [&](PreviewStopWindow& stop) {
        loopDuring = (f.entry.switches() & DeviceSwitch::Loop) != 0;
        repeatDuring = (f.page->player->stateBits() & playerRepeat) != 0;
        stopOverButton = sameRect(stop.hwnd, GetDlgItem(dialog, PlayAsIs));
    };
    ModalScript script(TypeAmpDialog, {[&](GDialog& d) {
        dialog = d.hwnd;
        ModalScript::click(d, ++run == 1 ? PlayAsIs : Cancel);
    }});
    ASSERT_TRUE(f.command(EditorAmplify));
    EXPECT_EQ(run, 2);
    EXPECT_EQ(watch.runs, 1);
    EXPECT_FALSE(loopDuring);
    EXPECT_FALSE(repeatDuring);
    EXPECT_TRUE(stopOverButton);
    EXPECT_TRUE(f.entry.switches() & DeviceSwitch::Loop);
    EXPECT_EQ(f.page->player->stateBits() & playerRepeat, repeatBefore);
    EXPECT_FALSE(f.page->player->isRunning());

    EXPECT_TRUE(f.bytes() == original);
    EXPECT_FALSE(f.page->history.canUndo());
    EXPECT_FALSE(f.page->modified);
    EXPECT_NE(devicePlayed().find(original.substr(2205 * fb, (15435 - 2205) * fb)), std::string::npos);
}

// Over a range longer than five seconds the preview plays the first five only (Stop in the stop
// window ends it at once), and OK after it still changes the whole selection as sox's vol does.
TEST(EffectPreview, ALongRangePreviewsFiveSecondsAndOkTakesItWhole) {
    PreviewPage f;
    const std::string in = f.make("-r 8000 -c 2 -b 16", "synth 7 sine 300 vol 0.8");
    ASSERT_TRUE(f.open(in));
    const std::string original = f.bytes();
    const u64 frames = original.size() / fb;
    f.page->pane->setSelection(0, frames);

    PlayRange played{0, 0};
    StopWindowWatch watch;
    watch.atBegin = [&](PreviewStopWindow& stop) {
        played = f.page->player->currentRange();
        PostMessageA(stop.hwnd, WM_COMMAND, 2, 0);
    };
    int run = 0;
    ModalScript script(TypeAmpDialog, {[&](GDialog& d) { ModalScript::click(d, ++run == 1 ? Preview : Ok); }});
    ASSERT_TRUE(f.command(EditorAmplify));
    ASSERT_TRUE(pumpUntil([&] { return !f.page->running(); }, 20000));
    EXPECT_EQ(watch.runs, 1);
    EXPECT_EQ(played.start, 0u);
    EXPECT_EQ(played.end, 5u * 8000 * fb);
    EXPECT_FALSE(f.page->player->isRunning());
    expectGain(f.bytes(), original, 0.5, 0, frames);
    expectSoxGain(f.page, in, f.dir.file("out.wav"), "0.5", 2, 0, frames);
}

// Another family's dialog opts in the same way: the echo dialog gets both buttons before its OK,
// its values are taken after play-as-is, and Cancel answers 0 with the sound untouched.
TEST(EffectPreview, TheEchoDialogOptsInWithOneCall) {
    PreviewPage f;
    ASSERT_TRUE(f.open(f.make("-r 22050 -c 2 -b 16", "synth 0.4 sine 500 vol 0.6")));
    const std::string original = f.bytes();
    f.page->pane->setSelection(0, 4410);
    SoundBlockProcessor* p = f.page->createSoundBlockProcessor(EchoId);
    ASSERT_NE(p, nullptr);
    EchoParams record = appSettings.Editor.Echo;
    EchoDialog dialog(f.page->window);
    ASSERT_TRUE(buildEchoBody(&dialog, "Echo", &record, 22050));
    clearDeviceOutput();

    int run = 0, taken = 0;
    std::vector<int> xs;
    StopWindowWatch watch;
    ModalScript script(TypeEchoDialog, {[&](GDialog& d) {
        if (++run == 1)
            for (u32 id : {(u32)Preview, (u32)PlayAsIs, 1u}) xs.push_back(screenRect(GetDlgItem(d.hwnd, (int)id)).left);
        ModalScript::click(d, run == 1 ? PlayAsIs : Cancel);
    }});
    EXPECT_EQ(runEffectDialog(f.page, p, &dialog, [&] { ++taken; }), 0);
    delete p;
    EXPECT_EQ(run, 2);
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(watch.runs, 1);
    ASSERT_EQ(xs.size(), 3u);
    EXPECT_TRUE(xs[0] < xs[1] && xs[1] < xs[2]);
    EXPECT_TRUE(f.bytes() == original);
    EXPECT_NE(devicePlayed().find(original.substr(0, 4410 * fb)), std::string::npos);
}

// The plug-in dialog previews through the plug-in: the trial that plays holds the plug-in's change,
// and Cancel after it leaves the sound and the history as they were.
TEST(EffectPreview, APluginPreviewIsTakenBackOnCancel) {
    PluginFixture f({"gain_plugin=gain.dll"});
    ASSERT_TRUE(f.open("-r 8000 -c 2 -b 16", "synth 0.3 sine 440 vol 0.8"));
    const std::string before = f.bytes();
    f.menu(VstEffectsMenuId);
    f.page->pane->selectAllPlain();
    std::vector<bool> trialChanged, untouchedAfter;
    StopWindowWatch watch;
    watch.atBegin = [&](PreviewStopWindow&) { trialChanged.push_back(f.bytes() != before); };
    int run = 0;
    ModalScript script(TypeGVSTEffectDialog, {
        [&](GDialog& d) {
            if (++run > 1) {
                untouchedAfter.push_back(f.bytes() == before);
                return;
            }
            // The program "Half".
            auto& e = static_cast<GVSTEffectDialog&>(d);
            e.programCombo->setCurrentIndex(2);
            e.programCombo->setFocusSafe();
            PostMessageA(e.programCombo->hwnd, WM_KEYDOWN, VK_UP, 0);
        },
        [&](GDialog& d) { ModalScript::post(d, run == 1 ? Preview : Cancel); },
    });
    ASSERT_TRUE(f.command((u32)f.itemId("Test Gain")));
    EXPECT_EQ(run, 2);
    EXPECT_EQ(trialChanged, std::vector<bool>{true});
    EXPECT_EQ(untouchedAfter, std::vector<bool>{true});
    EXPECT_FALSE(f.page->history.canUndo());
    EXPECT_TRUE(f.bytes() == before);
}

namespace {

u32 actionId(const char* name) { return (u32)actionIdByName(name); }

// What a row's dialog saw over Preview, Preview, OK on a sound's whole length.
struct PreviewRun {
    std::vector<bool> untouchedBetween, historyBetween;
    std::vector<std::string> trials;  // the sound while each stop window ran
    std::vector<PlayRange> played;
    std::string done;
    std::string firstPlayed;  // the device's output of the first preview (each play starts it anew)
};

// The first preview plays to its end; the second is stopped at once.
PreviewRun previewTwiceThenOk(PreviewPage& f, u32 action, u32 dialogType, const std::string& original) {
    PreviewRun r;
    StopWindowWatch watch;
    watch.atBegin = [&](PreviewStopWindow& stop) {
        r.trials.push_back(f.bytes());
        r.played.push_back(f.page->player->currentRange());
        if (r.trials.size() > 1) PostMessageA(stop.hwnd, WM_COMMAND, 2, 0);
    };
    int run = 0;
    ModalScript script(dialogType, {[&](GDialog& d) {
        if (++run == 2) r.firstPlayed = devicePlayed();
        if (run > 1) {
            r.untouchedBetween.push_back(f.bytes() == original);
            r.historyBetween.push_back(f.page->history.canUndo());
        }
        ModalScript::click(d, run < 3 ? Preview : Ok);
    }});
    EXPECT_TRUE(f.command(action));
    EXPECT_TRUE(pumpUntil([&] { return !f.page->running(); }, 20000));
    EXPECT_EQ(run, 3);
    r.done = f.bytes();
    return r;
}

}  // namespace

// Every dialog that previews shows Preview and play-as-is before OK; the length-changing pitch and
// time dialogs do not. Cancel leaves the sound and the history alone.
TEST(EffectPreview, PreviewButtonsOnTheRowsThatPreview) {
    PreviewPage f;
    ASSERT_TRUE(f.open(f.make("-r 22050 -c 2 -b 16", "synth 0.3 sine 500 vol 0.6")));
    const std::string original = f.bytes();
    appSettings.Editor.chorusCount = 2;
    const struct {
        const char* action;
        u32 dialog;
        bool previews;
    } rows[] = {
        {"PITCH", TypePitchShiftDialog, true},       {"TEMPO", TypePitchShiftDialog, false},
        {"STRETCH", TypePitchShiftDialog, false},    {"PITCH_SCALE", TypePitchDialog, false},
        {"PULSATION", TypePulsationDialog, true},    {"PULSATION_RANDOM", TypePulsationDialog, true},
        {"VIBRATO", TypeVibrationDialog, true},      {"LOW_CUT_FILTER", TypeGFilterDialog, true},
        {"BAND_CUT_FILTER", TypeGFilterDialog, true}, {"BQF_NOTCH", TypeGBQFFilterDialog, true},
        {"EQUALIZER", TypeEqualizerDialog, true},    {"ECHO", TypeEchoDialog, true},
        {"REVERBERATION", TypeReverberationDialog, true}, {"CHORUS", TypeChorusDialog, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.action);
        f.page->pane->setSelection(0, 4410);
        std::vector<int> xs;
        bool preview = false, asIs = false;
        ModalScript script(row.dialog, {[&](GDialog& d) {
            preview = GetDlgItem(d.hwnd, Preview) != nullptr;
            asIs = GetDlgItem(d.hwnd, PlayAsIs) != nullptr;
            if (preview && asIs)
                for (u32 id : {(u32)Preview, (u32)PlayAsIs, 1u, 2u}) xs.push_back(screenRect(GetDlgItem(d.hwnd, (int)id)).left);
            saveWindowShot(d.hwnd, ("preview_" + std::string(row.action) + ".bmp").c_str());
            ModalScript::click(d, Cancel);
        }});
        ASSERT_TRUE(f.command(actionId(row.action)));
        EXPECT_EQ(script.runs, 1);
        EXPECT_EQ(preview, row.previews);
        EXPECT_EQ(asIs, row.previews);
        if (row.previews) {
            ASSERT_EQ(xs.size(), 4u);
            for (size_t i = 1; i < xs.size(); ++i) EXPECT_LT(xs[i - 1], xs[i]) << i;
        }
        EXPECT_TRUE(f.bytes() == original);
        EXPECT_FALSE(f.page->history.canUndo());
    }
    EXPECT_TRUE(f.takeBoxes().empty());
}

// A two-pass biquad and an echo over seven seconds: each preview plays the trial on the first five
// seconds, which are the final edit's first five; between previews the sound is untouched and the
// history empty; Preview twice then OK gives the bytes of OK alone, in one undo step.
TEST(EffectPreview, PreviewThenOkEqualsOkAloneForFilterAndEcho) {
    PreviewPage f;
    const CutFilterValues savedCut = cutFilterValues;
    const BiquadValues savedBiquad = biquadValues;
    cutFilterValues.passes = 2;
    biquadValues.frequency = 700.0;
    biquadValues.number1 = 0.9;
    const u32 rate = 44100;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 2 -b 16", "synth 7 sine 300 sine 2500 vol 0.4")));
    const std::string original = f.bytes();
    const u64 frames = original.size() / fb, five = 5ull * rate * fb;
    const struct {
        const char* action;
        u32 dialog;
    } rows[] = {{"BQF_LOW_PASS", TypeGBQFFilterDialog}, {"ECHO", TypeEchoDialog}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.action);
        f.page->pane->setSelection(0, frames);
        clearDeviceOutput();
        const PreviewRun r = previewTwiceThenOk(f, actionId(row.action), row.dialog, original);
        EXPECT_EQ(r.untouchedBetween, (std::vector<bool>{true, true}));
        EXPECT_EQ(r.historyBetween, (std::vector<bool>{false, false}));
        ASSERT_EQ(r.trials.size(), 2u);
        EXPECT_TRUE(r.trials[0] == r.trials[1]);
        for (const PlayRange& played : r.played) {
            EXPECT_EQ(played.start, 0u);
            EXPECT_EQ(played.end, five);
        }
        ASSERT_EQ(r.done.size(), original.size());
        EXPECT_TRUE(r.done != original);
        EXPECT_TRUE(r.trials[0].substr(0, five) == r.done.substr(0, five));
        EXPECT_TRUE(r.trials[0].substr(five) == original.substr(five));
        EXPECT_NE(r.firstPlayed.find(r.done.substr(0, five)), std::string::npos);

        ASSERT_TRUE(f.command(EditorUndo));
        ASSERT_TRUE(pumpUntil([&] { return !f.page->running(); }, 20000));
        EXPECT_TRUE(f.bytes() == original);
        EXPECT_FALSE(f.page->history.canUndo());
        f.page->pane->setSelection(0, frames);
        ModalScript okAlone(row.dialog, {[](GDialog& d) { ModalScript::click(d, Ok); }});
        ASSERT_TRUE(f.command(actionId(row.action)));
        ASSERT_TRUE(pumpUntil([&] { return !f.page->running(); }, 20000));
        EXPECT_TRUE(f.bytes() == r.done);
        ASSERT_TRUE(f.command(EditorUndo));
        ASSERT_TRUE(pumpUntil([&] { return !f.page->running(); }, 20000));
        EXPECT_TRUE(f.bytes() == original);
    }
    cutFilterValues = savedCut;
    biquadValues = savedBiquad;
}

// The chorus dialog fills one parameter block that each pass copies to the processor: a preview
// then Cancel leaves the sound and history alone; a preview then OK records one step, undone exactly.
TEST(EffectPreview, ChorusPreviewsWithItsOwnCopyEachPass) {
    PreviewPage f;
    ASSERT_TRUE(f.open(f.make("-r 22050 -c 2 -b 16", "synth 0.3 sine 500 vol 0.6")));
    const std::string original = f.bytes();
    appSettings.Editor.chorusCount = 2;
    for (const u32 last : {Cancel, Ok}) {
        SCOPED_TRACE(last);
        f.page->pane->setSelection(0, 6615);
        std::vector<bool> trialChanged;
        StopWindowWatch watch;
        watch.atBegin = [&](PreviewStopWindow& stop) {
            trialChanged.push_back(f.bytes() != original);
            PostMessageA(stop.hwnd, WM_COMMAND, 2, 0);
        };
        int run = 0;
        ModalScript script(TypeChorusDialog, {[&](GDialog& d) { ModalScript::click(d, ++run == 1 ? Preview : last); }});
        ASSERT_TRUE(f.command(actionId("CHORUS")));
        ASSERT_TRUE(pumpUntil([&] { return !f.page->running(); }, 20000));
        EXPECT_EQ(run, 2);
        EXPECT_EQ(trialChanged, std::vector<bool>{true});
        EXPECT_EQ(f.bytes() != original, last == Ok);
        EXPECT_EQ(f.page->history.canUndo(), last == Ok);
    }
    ASSERT_TRUE(f.command(EditorUndo));
    ASSERT_TRUE(pumpUntil([&] { return !f.page->running(); }, 20000));
    EXPECT_TRUE(f.bytes() == original);
    EXPECT_FALSE(f.page->history.canUndo());
}
