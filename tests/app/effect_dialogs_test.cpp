// The Editor's dialog family: every class's kind test, the behaviour they share run modally for real
// (Esc and Ctrl+F4 cancel, validation on 1, 4 and 5, Help only with a page), the duration, vibrato
// and echo bodies, and the echo presets through the real selection dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmreg.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/amp_dialog.h"
#include "app/chorus_dialog.h"
#include "app/echo_dialog.h"
#include "app/effect_bodies.h"
#include "app/effect_records.h"
#include "app/equalizer_dialog.h"
#include "app/fft_dialog.h"
#include "app/filter_dialog.h"
#include "app/find_dialog.h"
#include "app/harmonic_dialog.h"
#include "app/options_dialog.h"
#include "app/pitch_dialogs.h"
#include "app/range_window.h"
#include "app/reverb_dialog.h"
#include "engine/echo_reflections.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/regulator.h"
#include "gui/controls/sample_count.h"
#include "gui/controls/spinner_field.h"
#include "gui/controls/value_field.h"
#include "gui/dialogs/select_dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/views/box.h"
#include "mm/riff_block.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
std::vector<std::string> errors;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    errors.push_back(text ? text : "");
    return 1;
}

struct BoxSink {
    BoxSink() {
        errors.clear();
        setMessageBoxSink(recordBox);
    }
    ~BoxSink() { setMessageBoxSink(nullptr); }
};

void typeInto(GEditLine* edit, const std::string& text) {
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit->hwnd, EM_SETSEL, 0, -1);
    SendMessageA(edit->hwnd, WM_CHAR, VK_BACK, 0);
    for (char c : text) SendMessageA(edit->hwnd, WM_CHAR, (u8)c, 0);
}
}  // namespace

TEST(EffectDialogs, EveryClassAnswersItsKindAndItsBases) {
    struct Case {
        std::unique_ptr<GDialog> dialog;
        const char* name;
        u32 type;
        std::vector<u32> more;  // bases besides 7, 2 and 1
    };
    std::vector<Case> cases;
    auto add = [&](GDialog* d, const char* name, u32 type, std::vector<u32> more = {}) {
        cases.push_back(Case{std::unique_ptr<GDialog>(d), name, type, std::move(more)});
    };
    // The track dialogs (98 to 100) and the plug-in dialogs (112 to 114) live with the Editor and
    // are checked there.
    add(new GFilterDialog(nullptr), "GFilterDialog", 121);
    add(new GBQFFilterDialog(nullptr), "GBQFFilterDialog", 122, {121});
    add(new DurationDialog(nullptr, "setsize.htm"), "DurationDialog", 1005);
    add(new HarmonicOneDialog(nullptr), "HarmonicOneDialog", 1006);
    add(new RangeWin(nullptr), "RangeWin", 1010);
    add(new FormatDialog(nullptr, "create_new.htm"), "FormatDialog", 1013);
    add(new RateDialog(nullptr, "rate.htm"), "RateDialog", 1014);
    add(new AmpDialog(nullptr, "volume2.htm"), "AmpDialog", 1017);
    add(new PulsationDialog(nullptr, "pulse.htm"), "PulsationDialog", 1018);
    add(new PitchDialog(nullptr), "PitchDialog", 1019);
    add(new PitchShiftDialog(nullptr, "tempo.htm"), "PitchShiftDialog", 1020);
    add(new EchoDialog(nullptr), "EchoDialog", 1021);
    add(new ReverberationDialog(nullptr), "ReverberationDialog", 1022);
    add(new EqualizerDialog(nullptr), "EqualizerDialog", 1024);
    add(new VibrationDialog(nullptr, "vibrato.htm"), "VibrationDialog", 1025);
    add(new ChorusDialog(nullptr), "ChorusDialog", 1026);
    add(new FindDialog(nullptr, "find.htm"), "FindDialog", 1027);
    add(new FFTDialog(nullptr), "FFTDialog", 1036);
    const u32 everyType[] = {98, 99, 112, 113, 114, 121, 122, 1005, 1006, 1010, 1013, 1014, 1017, 1018,
                             1019, 1020, 1021, 1022, 1024, 1025, 1026, 1027, 1032, 1036};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(c.dialog->className(), c.name);
        EXPECT_EQ(c.dialog->typeId(), c.type);
        EXPECT_EQ(c.dialog->result, -1);
        for (u32 id : {c.type, 7u, 2u, 1u}) EXPECT_TRUE(c.dialog->isKindOf(id)) << id;
        for (u32 id : c.more) EXPECT_TRUE(c.dialog->isKindOf(id)) << id;
        for (u32 other : everyType) {
            if (other != c.type && std::find(c.more.begin(), c.more.end(), other) == c.more.end()) {
                EXPECT_FALSE(c.dialog->isKindOf(other)) << other;
            }
        }
    }
    // And OptionsDialog, on its page; the track and plug-in dialogs with the Editor.
    EXPECT_EQ(cases.size() + 1 + 2 + 3, sizeof everyType / sizeof everyType[0]);
    EXPECT_EQ(TypeOptionsDialog, 1032u);
}

// The ends every dialog of the family shares, on an amplitude dialog run modally.
TEST(EffectDialogs, EscAndCtrlF4CancelAndTheAcceptingCodesValidate) {
    TestApplication app;
    BoxSink sink;
    InputSeam seam;
    LevelValue value = levelFactor(0.5);
    const LevelRange range = {{0, 1, 1, 1}, -1.0, 1.0, 0.0, 2.0, -30.0, 3.0};
    struct Case {
        const char* what;
        std::vector<ModalScript::Step> steps;
        i32 result;
        size_t refusals;
    } cases[] = {
        {"Esc",
         {[](GDialog& d) {
             ModalScript::unmark(d);
             PostMessageA(static_cast<AmpDialog&>(d).field->editOf(1)->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
         }},
         2, 0},
        {"Ctrl+F4",
         {[&](GDialog& d) {
             ModalScript::unmark(d);
             seam.held = {VK_CONTROL};
             PostMessageA(static_cast<AmpDialog&>(d).field->editOf(1)->hwnd, WM_KEYDOWN, VK_F4, 0);
         }},
         2, 0},
        {"1, 4 and 5 refused, then 5",
         {[](GDialog& d) {
              typeInto(static_cast<AmpDialog&>(d).field->editOf(1), "2.5");
              PostMessageA(d.hwnd, WM_COMMAND, 1, 0);
              PostMessageA(d.hwnd, WM_COMMAND, 4, 0);
              PostMessageA(d.hwnd, WM_COMMAND, 5, 0);
          },
          [](GDialog& d) {
              EXPECT_EQ(d.result, -1);
              typeInto(static_cast<AmpDialog&>(d).field->editOf(1), "1.5");
              ModalScript::post(d, 5);
          }},
         5, 3},
        {"4 accepted", {[](GDialog& d) { ModalScript::post(d, 4); }}, 4, 0},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        errors.clear();
        seam.held.clear();
        AmpDialog dialog(nullptr, "volume2.htm");
        dialog.limits = range;
        ASSERT_NE(buildDialogBody(&dialog, "Amplify", "Multiply", "Factor", &value), nullptr);
        ModalScript script(TypeAmpDialog, c.steps);
        EXPECT_EQ(placeWindowAuto(&dialog, PlaceCentreOnOwner), c.result);
        EXPECT_EQ(errors.size(), c.refusals);
    }
    EXPECT_DOUBLE_EQ(value.factor, 1.5);
}

// Help exists only with a page (the vibrato body asks for it always, the row still needs a page).
TEST(EffectDialogs, BodiesHaveAHelpButtonOnlyWithAPage) {
    TestApplication app;
    EchoParams echo;
    SamplePeriod duration{44100, 44100}, period{8820, 44100};
    IntervalValue depth = interval(0.2, IntervalUnit::Cents);
    LevelValue level;
    const SampleCountRange options = {0, 0, 441000, -1};
    struct Case {
        const char* what;
        std::function<GDialog*(const char* help)> build;
    } cases[] = {
        {"amplitude",
         [&](const char* help) {
             auto* d = new AmpDialog(nullptr, help);
             buildDialogBody(d, "A", "caption", "label", &level);
             return d;
         }},
        {"duration",
         [&](const char* help) {
             auto* d = new DurationDialog(nullptr, help);
             buildDurationBody(d, "D", "caption", &duration, options, 48000);
             return d;
         }},
        {"echo",
         [&](const char* help) {
             auto* d = new EchoDialog(nullptr, help);
             buildEchoBody(d, "E", &echo, 44100);
             return d;
         }},
        {"vibrato",
         [&](const char* help) {
             auto* d = new VibrationDialog(nullptr, help);
             buildVibratoBody(d, "V", "caption", &depth, &period, 44100);
             return d;
         }},
    };
    for (const Case& c : cases)
        for (const char* help : {(const char*)nullptr, "x.htm"}) {
            SCOPED_TRACE(std::string(c.what) + (help ? " with a page" : " without"));
            std::unique_ptr<GDialog> d(c.build(help));
            ASSERT_NE(d->hwnd, nullptr);
            EXPECT_NE(GetDlgItem(d->hwnd, IDOK), nullptr);
            EXPECT_NE(GetDlgItem(d->hwnd, IDCANCEL), nullptr);
            EXPECT_EQ(GetDlgItem(d->hwnd, 9) != nullptr, help != nullptr);
            DestroyWindow(d->hwnd);
        }
}

// A duration typed as samples is kept at the body's rate; the vibrato's limits hold.
TEST(EffectDialogs, DurationAndVibratoBodiesWriteTheirRecords) {
    TestApplication app;
    BoxSink sink;
    SamplePeriod duration{44100, 44100};
    const SampleCountRange options = {0, 1, 96000, -1};
    DurationDialog dialog(nullptr, "copypaste.htm");
    ASSERT_TRUE(buildDurationBody(&dialog, "Insert", "How long?", &duration, options, 48000));
    for (GFieldBinding* f = dialog.fields.head; f; f = f->next) {
        if (auto* parts = dynamic_cast<SampleCountParts*>(f)) {
            EXPECT_EQ(parts->count, 48000u);
        }
    }
    EXPECT_TRUE(dialog.validate(&dialog.fields));
    EXPECT_EQ(duration.count, 48000u);
    EXPECT_EQ(duration.rate, 48000u);
    DestroyWindow(dialog.hwnd);

    IntervalValue depth = interval(0.2, IntervalUnit::Cents);
    SamplePeriod period{8820, 44100};
    VibrationDialog vibrato(nullptr, "vibrato.htm");
    ASSERT_TRUE(buildVibratoBody(&vibrato, "Vibrato", "Depth and period", &depth, &period, 8000));
    EXPECT_TRUE(vibrato.validate(&vibrato.fields));
    EXPECT_EQ(period.count, 1600u);  // 200 ms at 8000
    EXPECT_EQ(period.rate, 8000u);
    DestroyWindow(vibrato.hwnd);
}

TEST(EffectDialogs, EchoPresetNineFillsTheControls) {
    TestApplication app;
    BoxSink sink;
    EchoParams record;
    EchoDialog dialog(nullptr);
    ASSERT_TRUE(buildEchoBody(&dialog, "Echo", &record, 48000));
    EXPECT_STREQ(dialog.dampingLabel->text.c_str(), "0%");
    // Down eight times from the first preset, then OK.
    ModalScript script(TypeSelectDialog, {
        [](GDialog& d) {
            for (int k = 0; k < 8; ++k) {
                PostMessageA(static_cast<GSelectDialog&>(d).list->hwnd, WM_KEYDOWN, VK_DOWN, 0);
                PostMessageA(static_cast<GSelectDialog&>(d).list->hwnd, WM_KEYUP, VK_DOWN, 0xC0000000);
            }
        },
        [](GDialog& d) { ModalScript::post(d, 1); },
    });
    GStateQuery query{EchoPresetsCommand, 0};
    EXPECT_TRUE(dialog.onCommand(EchoPresetsCommand, &query));
    EXPECT_EQ(script.runs, 1);
    // 100 ms at 48000, factors 0.75, 10 repeats, decay 0.1.
    EXPECT_STREQ(dialog.firstDelay->samples->edit->text(), "4800");
    EXPECT_STREQ(dialog.nextDelay->samples->edit->text(), "4800");
    EXPECT_STREQ(dialog.firstLevel->editOf(LevelUnit::Factor)->text(), "0.75");
    EXPECT_EQ(dialog.damping->value, 90);
    EXPECT_STREQ(dialog.dampingLabel->text.c_str(), "90%");
    EXPECT_EQ(dialog.tone->value, 500);
    EXPECT_STREQ(dialog.toneLabel->text.c_str(), "500 Hz");
    SetWindowPos(dialog.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    saveWindowShot(dialog.hwnd, "echo_dialog.bmp");
    ASSERT_TRUE(dialog.validate(&dialog.fields));
    EXPECT_EQ(record.firstDelay.count, 4800u);
    EXPECT_EQ(record.firstDelay.rate, 48000u);
    EXPECT_DOUBLE_EQ(record.nextLevel.factor, 0.75);
    EXPECT_EQ(record.count, 10u);
    EXPECT_EQ(record.mode, 90u);
    EXPECT_EQ(record.feedback, 500u);
    EXPECT_TRUE(errors.empty());
    DestroyWindow(dialog.hwnd);
}

TEST(EffectRecords, EchoBlockConversionsBothWays) {
    EchoParams params;  // 8820 frames at 44100
    EchoBlock block = echoBlockOf(params);
    EXPECT_EQ(block.delay1, 200u);
    EXPECT_EQ(block.delay2, 200u);
    EXPECT_DOUBLE_EQ(block.factor1, 0.4);
    EXPECT_EQ(block.repeats, 10u);
    EXPECT_DOUBLE_EQ(block.decay, 1.0);
    EXPECT_DOUBLE_EQ(block.tone, 500.0);
    EXPECT_DOUBLE_EQ(block.slope, 1.5);
    EXPECT_EQ(block.kind, 5u);
    const struct {
        u32 rate, frames;
    } back[] = {{44100, 8820}, {48000, 9600}, {8000, 1600}};
    for (const auto& b : back) {
        EchoParams out;
        echoParamsFromBlock(block, b.rate, &out);
        EXPECT_EQ(out.firstDelay.count, b.frames) << b.rate;
        EXPECT_EQ(out.nextDelay.count, b.frames) << b.rate;
        EXPECT_EQ(out.firstDelay.rate, b.rate);
    }
    // Damping and decay.
    params.mode = 90;
    block = echoBlockOf(params);
    EXPECT_NEAR(block.decay, 0.1, 1e-12);
    EchoParams out;
    echoParamsFromBlock(block, 44100, &out);
    EXPECT_EQ(out.mode, 90u);
    block.decay = 0.1;
    block.factor1 = 0.25;
    echoParamsFromBlock(block, 44100, &out);
    EXPECT_EQ(out.mode, 90u);
    EXPECT_DOUBLE_EQ(out.firstLevel.factor, 0.25);
    EXPECT_EQ(out.firstLevel.sampleValue, 8192.0);  // floor(0.25 x 32767 + 0.5)
    // A second delay kept at another rate is converted before the reflection is made.
    params = EchoParams();
    params.nextDelay = SamplePeriod{9600, 48000};  // 200 ms
    EchoReflectionList* list = echoReflectionsOf(params, 8000);
    ASSERT_EQ(list->reflections.size(), 1u);
    EXPECT_EQ(list->reflections[0].delay, 1600u);
    EXPECT_EQ(list->reflections[0].spacing, 1600u);
    delete list;
}

TEST(EffectRecords, RoundingPresetsAndPeriods) {
    const struct {
        f64 x;
        i32 want;
    } rounds[] = {{2.5, 3}, {-2.5, -2}, {2.4999, 2}, {-0.5, 0}, {-0.5001, -1}};
    for (const auto& r : rounds) EXPECT_EQ(roundToInt(r.x), r.want) << r.x;
    EXPECT_EQ(echoPresetBlock(1).delay1, 200u);
    EXPECT_EQ(echoPresetBlock(5).decay, 0.4);
    EXPECT_EQ(echoPresetBlock(9).repeats, 10u);
    EXPECT_EQ(echoPresetBlock(12).delay2, 1000u);
    EXPECT_EQ(echoPresetBlock(13).delay1, 200u);  // beyond the table: the first
    // SamplePeriod at another rate: 64-bit product, truncated.
    EXPECT_EQ((SamplePeriod{8820, 44100}.countAt(48000)), 9600u);
    EXPECT_EQ((SamplePeriod{1, 44100}.countAt(44099)), 0u);
    EXPECT_EQ((SamplePeriod{4000000000u, 96000}.countAt(48000)), 2000000000u);
    // The wave-format block keeps 16 bytes of a PCM format whatever its cbSize says.
    WAVEFORMATEX pcm = {};
    pcm.wFormatTag = 1;
    pcm.nChannels = 2;
    pcm.cbSize = 22;
    WaveFormatBlock stored(nullptr, 0, 0, &pcm);
    EXPECT_EQ(stored.storedBytes(), 16u);
    pcm.wFormatTag = 2;
    WaveFormatBlock other(nullptr, 0, 0, &pcm);
    EXPECT_EQ(other.storedBytes(), 40u);
    EXPECT_EQ(sizeof(FormatCarryingBlock), 32u);
    EXPECT_EQ(FormatCarryingBlock().tag, 8u);
}
