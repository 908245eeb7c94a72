// The pitch, tempo, stretch, pulsation, filter and range dialogs run for real: the tempo ratio
// check, the analysis choices written back, the stretch limits, the filter bodies by kind with their
// number limits, and the range window's rules and shortcuts with the selection following live.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/filter_dialog.h"
#include "app/pitch_dialogs.h"
#include "app/program_texts.h"
#include "app/range_window.h"
#include "gui/controls/button.h"
#include "gui/controls/combo.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/sample_count.h"
#include "gui/controls/spinner_field.h"
#include "gui/controls/value_field.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"

namespace {
std::vector<std::string> refusals;
i32 keepBox(const MessageBoxDescription*, GWindow*, const char* text) {
    refusals.push_back(text ? text : "");
    return 1;
}
struct Boxes {
    Boxes() {
        refusals.clear();
        setMessageBoxSink(keepBox);
    }
    ~Boxes() { setMessageBoxSink(nullptr); }
};

void retype(GEditLine* edit, const std::string& text) {
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit->hwnd, EM_SETSEL, 0, -1);
    SendMessageA(edit->hwnd, WM_CHAR, VK_BACK, 0);
    for (char c : text) SendMessageA(edit->hwnd, WM_CHAR, (u8)c, 0);
}

void show(GDialog& d, const char* shot) {
    SetWindowPos(d.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    saveWindowShot(d.hwnd, shot);
}
}  // namespace

TEST(PitchDialogs, TempoRatioAndStretchLimits) {
    const struct {
        f64 oldTempo, newTempo;
        bool accepted;
    } tempi[] = {{120, 30, true}, {120, 29, false}, {120, 480, true}, {120, 481, false}, {0, 30, false}};
    for (const auto& t : tempi) EXPECT_EQ(tempoRatioAccepted(t.oldTempo, t.newTempo), t.accepted) << t.newTempo;
    u32 low = 0, high = 0;
    stretchLimits(10000, &low, &high);
    EXPECT_EQ(low, 2500u);
    EXPECT_EQ(high, 40000u);
    stretchLimits(4, &low, &high);
    EXPECT_EQ(low, 1u);
    EXPECT_EQ(high, 16u);
    for (u32 k = 0; k < pitchFftSizeCount; ++k) EXPECT_EQ(pitchFftSizeOf(k), 512u << k);
}

// 120 to 29 is refused with the bounds named and the dialog stays; 120 to 30 goes, and the
// analysis choices are written back with the size's value.
TEST(PitchDialogs, TempoVariantChecksTheRatioAndStoresTheAnalysis) {
    TestApplication app;
    Boxes boxes;
    EditorSettings settings;
    settings.oldTempo = 120;
    settings.newTempo = 100;
    PitchShiftDialog dialog(nullptr, "tempo.htm");
    ASSERT_TRUE(buildPitchShiftBody(&dialog, "Tempo", PitchShiftTempo, &settings, nullptr, 44100));
    ASSERT_NE(dialog.newTempo, nullptr);
    EXPECT_STREQ(dialog.oldTempo->text(), "120");
    EXPECT_EQ(dialog.fftSize->selection, 2);
    EXPECT_EQ(dialog.window->selection, 1);
    EXPECT_EQ(dialog.window->rowCount(), 10);
    bool openAfterRefusal = false;
    ModalScript script(TypePitchShiftDialog, {
        [&](GDialog& d) {
            show(d, "tempo_dialog.bmp");
            retype(dialog.newTempo, "29");
            ModalScript::click(d, IDOK);
        },
        [&](GDialog& d) {
            openAfterRefusal = d.result == -1 && IsWindow(d.hwnd);
            retype(dialog.newTempo, "30");
            dialog.fftSize->select(4);
            dialog.window->select(8);
            retype(dialog.overlap->edit, "8");
            ModalScript::click(d, IDOK);
        },
    });
    EXPECT_EQ(placeWindowAuto(&dialog, PlaceCentreOnOwner), 1);
    EXPECT_TRUE(openAfterRefusal);
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_NE(refusals[0].find("0.25"), std::string::npos) << refusals[0];
    EXPECT_NE(refusals[0].find("4"), std::string::npos) << refusals[0];
    EXPECT_DOUBLE_EQ(settings.newTempo, 30.0);
    EXPECT_EQ(settings.Pitch.fftSizeIndex, 4u);
    EXPECT_EQ(settings.Pitch.fftSize, 8192u);
    EXPECT_EQ(settings.Pitch.windowFunction, 8u);
    EXPECT_EQ(settings.Pitch.overlapFactor, 8u);
}

// The three variants show their own row; the stretch's field offers a quarter to four times.
TEST(PitchDialogs, VariantsShowTheirRows) {
    TestApplication app;
    Boxes boxes;
    EditorSettings settings;
    SamplePeriod length{10000, 8000};
    const struct {
        u32 command;
        bool tempo, length;
    } cases[] = {{PitchShiftPitch, false, false}, {PitchShiftTempo, true, false}, {PitchShiftStretch, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        PitchShiftDialog dialog(nullptr, c.command == PitchShiftPitch ? "transp.htm" : "tempo.htm");
        ASSERT_TRUE(buildPitchShiftBody(&dialog, "T", c.command, &settings, &length, 8000));
        EXPECT_EQ(dialog.newTempo != nullptr, c.tempo);
        EXPECT_EQ(dialog.length != nullptr, c.length);
        EXPECT_NE(GetDlgItem(dialog.hwnd, 9), nullptr);
        if (dialog.length) {
            SampleCountParts* parts = nullptr;
            for (GFieldBinding* f = dialog.fields.head; f && !parts; f = f->next) parts = dynamic_cast<SampleCountParts*>(f);
            ASSERT_NE(parts, nullptr);
            EXPECT_EQ(parts->minimum, 2500u);
            EXPECT_EQ(parts->maximum, 40000u);
            EXPECT_EQ(parts->count, 10000u);
            retype(dialog.length->samples->edit, "40001");
            EXPECT_FALSE(dialog.validate(&dialog.fields));
            retype(dialog.length->samples->edit, "2500");
            EXPECT_TRUE(dialog.validate(&dialog.fields));
            EXPECT_EQ(length.count, 2500u);
            show(dialog, "stretch_dialog.bmp");
        }
        DestroyWindow(dialog.hwnd);
    }
}

// Kind 1 has one level, kind 2 two; the random pulsation has no fade choice; the choice is stored.
TEST(PitchDialogs, PulsationBodies) {
    TestApplication app;
    Boxes boxes;
    LevelValue l0 = levelFactor(1.0), l1 = levelFactor(0.5), l2 = levelFactor(0.2);
    u32 fade = 1;
    SamplePeriod period{8820, 44100};
    const struct {
        u32 kind;
        bool fade;
        size_t levels;
    } cases[] = {{1, true, 1}, {2, true, 2}, {2, false, 2}};
    for (const auto& c : cases) {
        PulsationDialog dialog(nullptr, "pulse.htm");
        ASSERT_TRUE(buildPulsationBody(&dialog, "P", c.kind, &l0, &l1, &l2, c.fade ? &fade : nullptr, &period, 48000));
        size_t levels = 0;
        for (GFieldBinding* f = dialog.fields.head; f; f = f->next) levels += dynamic_cast<CompositeValueParts*>(f) != nullptr;
        EXPECT_EQ(levels, c.levels);
        EXPECT_EQ(dialog.fade != nullptr, c.fade);
        if (dialog.fade) {
            EXPECT_EQ(dialog.fade->rowCount(), 4);
            dialog.fade->select(3);
            show(dialog, "pulsation_dialog.bmp");
        }
        EXPECT_TRUE(dialog.validate(&dialog.fields));
        DestroyWindow(dialog.hwnd);
    }
    EXPECT_EQ(fade, 3u);
    EXPECT_EQ(period.count, 9600u);  // 200 ms at 48000
    EXPECT_EQ(period.rate, 48000u);
}

// Which fields each biquad kind shows, and what it hands on.
TEST(FilterDialogs, BiquadKindsShowTheirFieldsAndHandOnTheirThirdValue) {
    TestApplication app;
    Boxes boxes;
    i32 passes = 1;
    BiquadValues values;
    values.order = &passes;
    semitoneRatio(&values.interval, 12.0, IntervalUnit::Semitones);
    values.gain.setFactor(2.0);
    const struct {
        u32 kind;
        bool interval, gain, number;
        f64 gainOut, third;
    } cases[] = {
        {BiquadLowPass, false, false, true, 0.0, 0.7071},  {BiquadHighPass, false, false, true, 0.0, 0.7071},
        {BiquadBandPass, false, false, true, 0.0, 0.7071}, {BiquadNotch, true, false, false, 0.0, 1.0},
        {BiquadBand, true, true, false, 2.0, 1.0},         {BiquadLowShelf, false, true, true, 2.0, 1.0},
        {BiquadHighShelf, false, true, true, 2.0, 1.0},    {BiquadPhaser, false, false, true, 0.0, 0.7071},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const FilterFields f = biquadFields(c.kind, &values);
        EXPECT_NE(f.frequency1, nullptr);
        EXPECT_EQ(f.frequency2, nullptr);
        EXPECT_EQ(f.order, &passes);
        EXPECT_EQ(f.interval != nullptr, c.interval);
        EXPECT_EQ(f.gain != nullptr, c.gain);
        EXPECT_EQ(f.number != nullptr, c.number);
        const BiquadResult r = biquadResultOf(c.kind, values);
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_DOUBLE_EQ(r.gain, c.gainOut);
        EXPECT_DOUBLE_EQ(r.third, c.third);
        EXPECT_DOUBLE_EQ(r.frequency, 1000.0);
        EXPECT_EQ(r.order, 1u);
    }
}

// A low shelf's gain offers factor, percent and decibels, no sample value; its number refuses 0.001
// and takes 0.01 and 100; OK fills the result record.
TEST(FilterDialogs, LowShelfDialogRunsAndFillsItsResult) {
    TestApplication app;
    Boxes boxes;
    i32 passes = 1;
    BiquadValues values;
    values.order = &passes;
    GBQFFilterDialog dialog(nullptr);
    ASSERT_TRUE(buildBiquadBody(&dialog, "Low shelf", BiquadLowShelf, &values));
    EXPECT_TRUE(dialog.isKindOf(TypeGFilterDialog));
    ASSERT_NE(dialog.number, nullptr);
    ValueField* gain = dialog.gain;
    ASSERT_NE(gain, nullptr);
    EXPECT_EQ(dialog.interval, nullptr);
    EXPECT_EQ(gain->editOf(LevelUnit::SampleValue), nullptr);
    for (u32 u : {LevelUnit::Factor, LevelUnit::Percent, LevelUnit::Decibels}) EXPECT_NE(gain->editOf(u), nullptr) << u;
    const struct {
        const char* text;
        bool accepted;
    } numbers[] = {{"0.001", false}, {"0.01", true}, {"100", true}, {"100.5", false}};
    for (const auto& n : numbers) {
        retype(dialog.number, n.text);
        EXPECT_EQ(dialog.checkOnly(&dialog.fields), n.accepted) << n.text;
    }
    retype(dialog.number, "2.5");
    retype(dialog.frequency[0], "440");
    EXPECT_NE(dialog.note[0]->text.c_str()[0], 0);
    retype(dialog.order->edit, "3");
    retype(gain->editOf(LevelUnit::Factor), "0.5");
    show(dialog, "low_shelf_dialog.bmp");
    ModalScript script(TypeGBQFFilterDialog, {[](GDialog& d) { ModalScript::click(d, IDOK); }});
    EXPECT_EQ(placeWindowAuto(&dialog, PlaceCentreOnOwner), 1);
    EXPECT_EQ(dialog.biquad.kind, (u32)BiquadLowShelf);
    EXPECT_DOUBLE_EQ(dialog.biquad.frequency, 440.0);
    EXPECT_DOUBLE_EQ(dialog.biquad.third, 2.5);
    EXPECT_DOUBLE_EQ(dialog.biquad.gain, 0.5);
    EXPECT_EQ(dialog.biquad.order, 3u);
    EXPECT_EQ(passes, 3);
    EXPECT_TRUE(refusals.empty());
}

// The rules, each from start 100, end 300 (length 200) of a 1000-frame sound with a field fixed.
TEST(RangeWindow, RulesAsATable) {
    const struct {
        const char* what;
        u32 fixed;
        char edited;  // 's', 'e', 'l', 'm' marker of `value`, 'c' command `value`
        u32 value;
        u32 start, end, length, fixedAfter;
    } cases[] = {
        {"start, end fixed", RangeFixedEnd, 's', 50, 50, 300, 250, RangeFixedEnd},
        {"start past the end, end fixed", RangeFixedEnd, 's', 400, 300, 300, 200, RangeFixedEnd},
        {"start, length fixed", RangeFixedLength, 's', 500, 500, 700, 200, RangeFixedLength},
        {"start past total - length", RangeFixedLength, 's', 900, 800, 300, 200, RangeFixedLength},
        {"start, start fixed: the mark moves to the end", RangeFixedStart, 's', 50, 50, 300, 250, RangeFixedEnd},
        {"end, start fixed", RangeFixedStart, 'e', 600, 100, 600, 500, RangeFixedStart},
        {"end below the start, start fixed", RangeFixedStart, 'e', 50, 100, 100, 200, RangeFixedStart},
        {"end, length fixed", RangeFixedLength, 'e', 600, 400, 600, 200, RangeFixedLength},
        {"end below the length", RangeFixedLength, 'e', 150, 100, 200, 200, RangeFixedLength},
        {"end, end fixed: the mark moves to the start", RangeFixedEnd, 'e', 600, 100, 600, 500, RangeFixedStart},
        {"length, start fixed", RangeFixedStart, 'l', 50, 100, 150, 50, RangeFixedStart},
        {"length past the total, start fixed", RangeFixedStart, 'l', 950, 100, 300, 200, RangeFixedStart},
        {"length, end fixed", RangeFixedEnd, 'l', 250, 50, 300, 250, RangeFixedEnd},
        {"length past the end, end fixed", RangeFixedEnd, 'l', 400, 100, 300, 300, RangeFixedEnd},
        {"length, length fixed: the mark moves to the start", RangeFixedLength, 'l', 50, 100, 150, 50, RangeFixedStart},
        {"marker of the end", RangeFixedLength, 'm', RangeFixedEnd, 100, 300, 200, RangeFixedEnd},
        {"marker of the fixed start", RangeFixedStart, 'm', RangeFixedStart, 100, 300, 200, RangeFixedEnd},
        {"marker of the fixed length", RangeFixedLength, 'm', RangeFixedLength, 100, 300, 200, RangeFixedStart},
        {"1003", RangeFixedLength, 'c', RangeFromBeginning, 0, 300, 300, RangeFixedLength},
        {"1004", RangeFixedLength, 'c', RangeToEnd, 100, 1000, 900, RangeFixedLength},
        {"1005", RangeFixedLength, 'c', RangeAll, 0, 1000, 1000, RangeFixedLength},
        {"1006", RangeFixedLength, 'c', RangeNone, 0, 0, 0, RangeFixedLength},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RangeState s{100, 300, 200, 1000, c.fixed};
        switch (c.edited) {
        case 's': s.editStart(c.value); break;
        case 'e': s.editEnd(c.value); break;
        case 'l': s.editLength(c.value); break;
        case 'm': s.clickMarker(c.value); break;
        default: s.shortcut(c.value); break;
        }
        EXPECT_EQ(s.start, c.start);
        EXPECT_EQ(s.end, c.end);
        EXPECT_EQ(s.length, c.length);
        EXPECT_EQ(s.fixed, c.fixedAfter);
    }
}

// The window: typing moves the selection at once, the shortcuts by their buttons, an end below the
// start is refused on OK, and Cancel puts the opening's selection back.
TEST(RangeWindow, LiveSelectionShortcutsAndCancel) {
    TestApplication app;
    Boxes boxes;
    std::vector<std::pair<u32, u32>> applied;
    RangeWin dialog(nullptr);
    ASSERT_TRUE(buildRangeBody(&dialog, "Range", 100, 300, 1000, 1000,
                               [&](u32 a, u32 b) { applied.push_back({a, b}); }));
    EXPECT_EQ(dialog.state.fixed, (u32)RangeFixedLength);
    ASSERT_NE(dialog.digits[RangeFixedLength]->button, nullptr);
    EXPECT_TRUE(dialog.digits[RangeFixedLength]->button->checked());
    EXPECT_FALSE(dialog.digits[RangeFixedStart]->button->checked());
    ModalScript script(TypeRangeWin, {
        [&](GDialog& d) {
            show(d, "range_window.bmp");
            retype(dialog.digits[RangeFixedStart]->samples->edit, "500");
        },
        [&](GDialog&) {
            EXPECT_EQ(applied.back(), std::make_pair(500u, 700u));
            EXPECT_STREQ(dialog.digits[RangeFixedEnd]->samples->edit->text(), "700");
            ModalScript::click(dialog, RangeFromBeginning);
        },
        [&](GDialog&) {
            EXPECT_EQ(applied.back(), std::make_pair(0u, 700u));
            EXPECT_STREQ(dialog.digits[RangeFixedLength]->samples->edit->text(), "700");
            ModalScript::click(dialog, RangeMarkEnd);
            EXPECT_TRUE(dialog.digits[RangeFixedEnd]->button->checked());
            ModalScript::click(dialog, RangeNone);
            EXPECT_EQ(applied.back(), std::make_pair(0u, 0u));
            ModalScript::click(dialog, IDCANCEL);
        },
    });
    EXPECT_EQ(placeWindowAuto(&dialog, PlaceCentreOnOwner), 2);
    EXPECT_EQ(applied.back(), std::make_pair(100u, 300u));

    // An end below the start cannot be typed past the rules, but a state set so is refused.
    RangeWin refused(nullptr);
    ASSERT_TRUE(buildRangeBody(&refused, "Range", 100, 300, 1000, 1000, nullptr));
    refused.state.start = 400;
    EXPECT_FALSE(refused.validate(&refused.fields));
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0], ravoText(RavoText::RangeEndBeforeStart));
    DestroyWindow(refused.hwnd);
}
