// The chorus dialog run for real: the limits of its duration fields at the sound's rate, OK refused
// while no listed voice count is chosen, a preset chosen in the real selection dialog, the enabled
// state following the check boxes, and the parameter block that OK fills.
#include "app/chorus_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/program_texts.h"
#include "engine/chorus_params.h"
#include "gui/controls/combo.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/sample_count.h"
#include "gui/controls/spinner_field.h"
#include "gui/controls/value_field.h"
#include "gui/dialogs/select_dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "tests/app/nested_answer.h"
#include "tests/app/error_boxes.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
std::vector<std::string>& errors = ErrorBoxes::texts();

struct ChorusFixture {
    TestApplication app;
    ErrorBoxes boxes;
    AppSettings saved = appSettings;
    ChorusParams params;
    ~ChorusFixture() { appSettings = saved; }
};

SampleCountParts* partsOf(GDialog& d, SamplePeriod* record) {
    for (GFieldBinding* f = d.fields.head; f; f = f->next)
        if (auto* parts = dynamic_cast<SampleCountParts*>(f))
            if (parts->record == reinterpret_cast<SampleCountRecord*>(record)) return parts;
    return nullptr;
}

bool enabled(GWindow* w) { return w && w->hwnd && IsWindowEnabled(w->hwnd); }
}  // namespace

TEST(ChorusDialog, FieldLimits) {
    ChorusFixture f;
    EditorSettings& e = appSettings.Editor;
    for (u32 rate : {44100u, 8000u}) {
        SCOPED_TRACE(rate);
        ChorusDialog d(nullptr);
        ASSERT_TRUE(buildChorusBody(&d, "Chorus", &f.params, rate));
        SampleCountParts* delay = partsOf(d, &e.chorusMaxDelay);
        SampleCountParts* period = partsOf(d, &e.chorusAmpPulsePeriod);
        ASSERT_NE(delay, nullptr);
        ASSERT_NE(period, nullptr);
        EXPECT_EQ(delay->minimum, 0u);
        EXPECT_EQ(delay->maximum, rate / 2);
        EXPECT_EQ(period->minimum, 1u);
        EXPECT_EQ(period->maximum, rate * 10);
        DestroyWindow(d.hwnd);
    }
    // Typed at 44100: 22050 and 441000 pass, one more does not.
    ChorusDialog d(nullptr);
    ASSERT_TRUE(buildChorusBody(&d, "Chorus", &f.params, 44100));
    const struct {
        DigitField* field;
        const char* typed;
        bool accepted;
    } cases[] = {{d.maxDelay, "22050", true}, {d.maxDelay, "22051", false},
                 {d.pulsePeriod, "441000", true}, {d.pulsePeriod, "441001", false}, {d.pulsePeriod, "0", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        errors.clear();
        c.field->samples->edit->setText(c.typed);
        EXPECT_EQ(d.validate(&d.fields), c.accepted);
        EXPECT_EQ(errors.empty(), c.accepted);
        c.field->samples->edit->setText("10");
    }
    // The level and interval fields' limits in their units.
    auto* fade = d.fade->editOf(LevelUnit::Factor);
    auto* pulse = d.pulseAmp->editOf(LevelUnit::Factor);
    auto* spread = d.ampDiff->editOf(LevelUnit::Factor);
    auto* detune = d.detuning->editOf(IntervalUnit::Cents);  // the unit shown
    ASSERT_TRUE(fade && pulse && spread && detune);
    EXPECT_EQ(d.fade->editOf(LevelUnit::SampleValue), nullptr);  // no sample values offered
    const struct {
        GEditLine* edit;
        const char* typed;
        bool accepted;
    } levels[] = {{fade, "-1", true},   {fade, "0.1", false},  {pulse, "1", true},    {pulse, "1.1", false},
                  {spread, "0", true},  {spread, "-0.1", false}, {detune, "1200", true}, {detune, "1250", false}};
    for (const auto& c : levels) {
        SCOPED_TRACE(c.typed);
        errors.clear();
        const std::string kept = c.edit->text();
        SendMessageA(c.edit->hwnd, EM_SETSEL, 0, -1);
        SendMessageA(c.edit->hwnd, WM_CHAR, VK_BACK, 0);
        for (char ch : std::string(c.typed)) SendMessageA(c.edit->hwnd, WM_CHAR, (u8)ch, 0);
        EXPECT_EQ(d.validate(&d.fields), c.accepted);
        c.edit->setText(kept.c_str());
    }
    DestroyWindow(d.hwnd);
}

// The default count 5 is not a listed choice: OK says so and the dialog stays; after preset 1 it
// ends and fills the block from the settings.
TEST(ChorusDialog, PresetOneThenOkFillsTheBlock) {
    ChorusFixture f;
    InputSeam seam;
    EditorSettings& e = appSettings.Editor;
    ASSERT_EQ(e.chorusCount, 5u);
    e.chorusUsePhaser = 1;
    ChorusDialog d(nullptr);
    ASSERT_TRUE(buildChorusBody(&d, "Chorus", &f.params, 44100));
    EXPECT_EQ(d.voices->selection, -1);
    EXPECT_TRUE(enabled(d.pulsePeriod->samples->edit));
    bool refusedOpen = false, periodEnabled = true, delayEnabled = false;
    std::string delayText;
    NestedAnswer select(TypeSelectDialog, [](GDialog& s) { ModalScript::post(s, 1); });
    ModalScript script(TypeChorusDialog, {
        [&](GDialog& dialog) { ModalScript::click(dialog, IDOK); },
        [&](GDialog& dialog) {
            refusedOpen = dialog.result == -1 && errors.size() == 1 &&
                          errors[0] == ravoText(RavoText::ChorusNoVoices);
            // The preset list is answered inside the click; the rest follows in this step.
            ModalScript::click(dialog, ChorusPresetsCommand);
            auto& c = static_cast<ChorusDialog&>(dialog);
            periodEnabled = enabled(c.pulsePeriod->samples->edit);
            delayEnabled = enabled(c.maxDelay->samples->edit);
            delayText = c.maxDelay->samples->edit->text();
            saveWindowShot(dialog.hwnd, "chorus_dialog.bmp");
            ModalScript::click(dialog, IDOK);
        },
    });
    EXPECT_EQ(placeWindowAuto(&d, PlaceCentreOnOwner), 1);
    EXPECT_TRUE(refusedOpen);
    EXPECT_EQ(select.runs, 1);
    EXPECT_FALSE(periodEnabled);  // pulse off in preset 1
    EXPECT_TRUE(delayEnabled);
    EXPECT_EQ(delayText, "1102");  // 25 ms at 44100
    EXPECT_EQ(e.chorusCount, 2u);
    EXPECT_EQ(e.chorusUseAmpPulse, 0);
    EXPECT_EQ(e.chorusUsePhaser, 1);  // a preset leaves the phaser
    EXPECT_EQ(f.params.voices, 2);
    EXPECT_EQ(f.params.maxDelay, 1102);  // 25 ms back in frames
    EXPECT_EQ(f.params.lfoPeriod, 22050);
    EXPECT_NEAR(f.params.driftRatio, std::pow(2.0, 0.2 / 12.0), 1e-9);
    EXPECT_DOUBLE_EQ(f.params.lfoDepth, 0.1);
    EXPECT_DOUBLE_EQ(f.params.levelSpread, 0.1);
    EXPECT_DOUBLE_EQ(f.params.gain, -0.382);
    EXPECT_EQ(f.params.useDelay, 1);
    EXPECT_EQ(f.params.driftDelay, 1);
    EXPECT_EQ(f.params.useLfo, 0);
    EXPECT_EQ(f.params.useLevelSpread, 1);
    EXPECT_EQ(f.params.useGain, 1);
    EXPECT_EQ(f.params.usePhaseFilters, 1);
}

// A check box clicked turns its fields off and on; Cancel keeps the settings and fills nothing.
TEST(ChorusDialog, CheckBoxesDriveTheFieldsAndCancelFillsNothing) {
    ChorusFixture f;
    InputSeam seam;
    EditorSettings& e = appSettings.Editor;
    e.chorusCount = 16;
    f.params.voices = -7;
    ChorusDialog d(nullptr);
    ASSERT_TRUE(buildChorusBody(&d, "Chorus", &f.params, 44100));
    EXPECT_EQ(d.voices->selection, 3);
    auto clickBox = [&](GCheckBox* box) {
        RECT r;
        GetClientRect(box->hwnd, &r);
        seam.pointAt(box->hwnd, 5, r.bottom / 2);
        SendMessageA(box->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, r.bottom / 2));
        SendMessageA(box->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, r.bottom / 2));
    };
    const struct {
        GCheckBox* box;
        std::vector<GWindow*> fields;
    } cases[] = {
        {d.useDelay, {d.maxDelay->samples->edit}},
        {d.useDetuning, {d.detuning->combo}},
        {d.useFade, {d.fade->combo}},
        {d.useAmpDiff, {d.ampDiff->combo}},
        {d.useAmpPulse, {d.pulseAmp->combo, d.pulsePeriod->samples->edit}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box->text.c_str());
        clickBox(c.box);
        pumpUntil([] { return false; }, 30);
        for (GWindow* w : c.fields) EXPECT_FALSE(enabled(w));
        clickBox(c.box);
        pumpUntil([] { return false; }, 30);
        for (GWindow* w : c.fields) EXPECT_TRUE(enabled(w));
    }
    clickBox(d.useFade);
    ModalScript script(TypeChorusDialog, {[](GDialog& dialog) { ModalScript::click(dialog, IDCANCEL); }});
    EXPECT_EQ(placeWindowAuto(&d, PlaceCentreOnOwner), 2);
    EXPECT_EQ(e.chorusUseFade, 0);
    EXPECT_EQ(f.params.voices, -7);
}
