// The value commands and duplicate merging of the spectrum window, through its dispatcher, with
// the pitch and amplitude dialogs scripted and the randomise dialog run for real.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "app/program_texts.h"
#include "engine/random.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/spinner_field.h"
#include "spectrum/harmonic_randomize_dialog.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/spectrum/harmonic_commands_fixture.h"

namespace {
const double kPi = 3.14159265358979323846;

std::string tooFew(int n) {
    char text[128];
    snprintf(text, sizeof text, ravoText(RavoText::HarmonicsTooFew), n);
    return text;
}

// Undo gives back the records byte for byte, redo the changed ones.
void expectUndoRedo(SpectrumPage& p, const std::vector<HarmonicRecord>& before) {
    const std::vector<HarmonicRecord> after = p.records();
    ASSERT_TRUE(p.page->history.canUndo());
    p.command(SpectrumUndo);
    EXPECT_TRUE(sameBytes(p.records(), before));
    p.command(SpectrumRedo);
    EXPECT_TRUE(sameBytes(p.records(), after));
}

// A click on a mark window's box, as the mouse gives it.
void clickMark(GMarkWindow* mark) {
    SendMessageA(mark->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 6));
    SendMessageA(mark->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
}
}  // namespace

TEST_F(HarmonicCommandTest, PitchMultipliesFrequenciesKeepingOvertonesAndNotes) {
    SpectrumPage p;
    p.set({overtoneOf(440.0, 1), overtoneOf(440.0, -1), overtoneOf(440.0, 0)});
    const std::vector<HarmonicRecord> before = p.records();
    p.select({0, 1}, 0);
    valueScript().value = 2.0;
    p.command(SpectrumPitch);
    EXPECT_EQ(valueScript().helpPages, std::vector<std::string>{"harm_pitch.htm"});
    EXPECT_NEAR(valueScript().intervalRange.ratioMin, 1.0 / 1024, 1e-12);
    EXPECT_NEAR(valueScript().intervalRange.ratioMax, 1024.0, 1e-9);
    EXPECT_EQ(appSettings.Editor.pitchData_pitch.ratio, 2.0);
    const HarmonicArray& l = p.page->list;
    EXPECT_EQ(l[0].frequency, 880.0);
    EXPECT_EQ(l[0].baseFrequency, 440.0);
    EXPECT_EQ(l[0].note, 9u);
    EXPECT_EQ(l[0].octave, 5u);
    EXPECT_EQ(l[1].frequency, 880.0);
    EXPECT_EQ(l[1].baseFrequency, 1760.0);
    EXPECT_TRUE(!memcmp(&l[2], &before[2], sizeof(HarmonicRecord))) << "an unselected row stays";
    EXPECT_TRUE(p.page->isModified());
    expectUndoRedo(p, before);

    // Nothing selected: still one step, nothing changed. Cancel: no step.
    p.page->history.reset();
    p.page->table->clearSelection();
    const std::vector<HarmonicRecord> now = p.records();
    p.command(SpectrumPitch);
    EXPECT_TRUE(p.page->history.canUndo());
    EXPECT_TRUE(sameBytes(p.records(), now));
    p.page->history.reset();
    valueScript().ok = false;
    p.select({0}, 0);
    p.command(SpectrumPitch);
    EXPECT_FALSE(p.page->history.canUndo());
    EXPECT_TRUE(sameBytes(p.records(), now));
}

TEST_F(HarmonicCommandTest, AmplitudeCommandsScaleTheSelectedRowsOnly) {
    SpectrumPage p;
    p.set({harmonic(100, 100), harmonic(200, 400), harmonic(300, 200), harmonic(400, 1000)});
    const std::vector<HarmonicRecord> before = p.records();

    // MUL with the empty last row selected too.
    p.select({0, 2, 4}, 0);
    valueScript().value = 0.5;
    p.command(SpectrumMul);
    EXPECT_EQ(valueScript().helpPages.back(), "mul_harm.htm");
    EXPECT_EQ(valueScript().levelRange.enabled[0], 0);
    EXPECT_EQ(valueScript().levelRange.factorMin, 0.001);
    EXPECT_EQ(valueScript().levelRange.factorMax, 1000.0);
    EXPECT_EQ(p.page->list.count, 4u);
    EXPECT_EQ(p.page->list[0].amplitude, 50.0);
    EXPECT_EQ(p.page->list[1].amplitude, 400.0);
    EXPECT_EQ(p.page->list[2].amplitude, 100.0);
    expectUndoRedo(p, before);
    p.command(SpectrumUndo);

    // The largest of the selected becomes the target.
    p.select({0, 1, 2}, 0);
    valueScript().value = 16000.0;
    p.command(SpectrumChangeMaxVolume);
    EXPECT_EQ(valueScript().levelRange.sampleMin, 1.0);
    EXPECT_EQ(valueScript().levelRange.sampleMax, 32767.0);
    EXPECT_EQ(p.page->list[0].amplitude, 4000.0);
    EXPECT_EQ(p.page->list[1].amplitude, 16000.0);
    EXPECT_EQ(p.page->list[2].amplitude, 8000.0);
    EXPECT_EQ(p.page->list[3].amplitude, 1000.0);
    expectUndoRedo(p, before);

    // No amplitude above 0: nothing changes and no step. Nothing selected: the box with 1.
    p.set({harmonic(100, 0), harmonic(200, -5)});
    p.page->history.reset();
    p.select({0, 1}, 0);
    p.command(SpectrumChangeMaxVolume);
    EXPECT_FALSE(p.page->history.canUndo());
    EXPECT_EQ(p.page->list[1].amplitude, -5.0);
    for (u32 id : {SpectrumMul, SpectrumChangeMaxVolume, SpectrumRandomize}) {
        shownBoxes().clear();
        p.select({2}, 2);
        p.command(id);
        EXPECT_EQ(shownBoxes(), std::vector<std::string>{tooFew(1)}) << id;
        EXPECT_FALSE(p.page->history.canUndo()) << id;
    }
}

TEST_F(HarmonicCommandTest, RandomizeThroughItsDialog) {
    SpectrumPage p;
    HarmonicRecord loud = harmonic(1000, 30000, 3.0);
    p.set({loud, harmonic(2000, 500, -1.0), harmonic(3000)});
    const std::vector<HarmonicRecord> before = p.records();
    p.select({0, 1}, 0);

    // A new process: phase on, absolute, 1/5/100 %. Switching phase off disables its field;
    // with all off the step has its entries and changes nothing.
    bool opened[4] = {};
    bool phaseFieldAfter = true;
    ModalScript offScript(TypeHarmonicRandomizeDialog, {[&](GDialog& d) {
                                                            auto& r = static_cast<HarmonicRandomizeDialog&>(d);
                                                            opened[0] = r.switches[0]->isChecked();
                                                            opened[1] = r.switches[1]->isChecked();
                                                            opened[2] = r.switches[2]->isChecked();
                                                            opened[3] = r.absoluteBox->isChecked();
                                                            clickMark(r.switches[2]);
                                                            phaseFieldAfter = IsWindowEnabled(r.percents[2]->edit->hwnd);
                                                            ModalScript::post(d, IDOK);
                                                        }});
    p.command(SpectrumRandomize);
    EXPECT_EQ(offScript.runs, 1);
    EXPECT_FALSE(opened[0]);
    EXPECT_FALSE(opened[1]);
    EXPECT_TRUE(opened[2]);
    EXPECT_TRUE(opened[3]);
    EXPECT_FALSE(phaseFieldAfter);
    EXPECT_TRUE(sameBytes(p.records(), before));
    ASSERT_TRUE(p.page->history.canUndo());
    auto* edit = dynamic_cast<HarmonicModifyEdit*>(p.page->history.current);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->entries.count, 2u);
    EXPECT_EQ(appSettings.Spectrum.randData.flags[2], 0) << "the accepted switches are kept";
}

TEST_F(HarmonicCommandTest, RandomizeDrawsWithinItsRanges) {
    const struct {
        const char* name;
        int which;  // 1 amplitude, 2 phase
        u64 seed;
    } cases[] = {{"amplitude", 1, 12345}, {"phase", 2, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SpectrumPage p;
        p.set({harmonic(1000, 30000, 3.0), harmonic(2000)});
        const std::vector<HarmonicRecord> before = p.records();
        p.select({0}, 0);
        SpectrumRandom& s = appSettings.Spectrum.randData;
        s = SpectrumRandom();
        s.flags[0] = 0;
        s.flags[1] = c.which == 1;
        s.flags[2] = c.which == 2;
        s.flags[3] = 1;
        s.values[1] = s.values[2] = 100.0;
        // For the phase a state whose draw lies above pi, so that it folds.
        u64 seed = c.seed;
        if (c.which == 2)
            for (u64 probe = 1;; ++probe) {
                u64 st = probe;
                if (randomInRange(&st, 3.0 - kPi, 3.0 + kPi) > kPi) {
                    seed = probe;
                    break;
                }
            }
        setRandomState(seed);
        u64 expectState = seed;
        ModalScript ok(TypeHarmonicRandomizeDialog, {[](GDialog& d) { ModalScript::post(d, IDOK); }});
        p.command(SpectrumRandomize);
        const HarmonicRecord& r = p.page->list[0];
        if (c.which == 1) {
            EXPECT_EQ(r.amplitude, randomInRange(&expectState, 0.0, 32767.0));
            EXPECT_EQ(r.phase, 3.0);
        } else {
            const f64 drawn = randomInRange(&expectState, 3.0 - kPi, 3.0 + kPi);
            EXPECT_GT(drawn, kPi);
            EXPECT_DOUBLE_EQ(r.phase, drawn - 2 * kPi);
            EXPECT_EQ(r.amplitude, 30000.0);
        }
        expectUndoRedo(p, before);
    }
}

TEST_F(HarmonicCommandTest, DuplicatesMergeIntoTheirHeads) {
    struct Case {
        const char* name;
        std::vector<HarmonicRecord> records;
        f64 tolerance;
        std::vector<f64> frequencies, amplitudes;  // after
    };
    HarmonicRecord opposite = harmonic(440.5, 100, kPi);
    HarmonicRecord negative = harmonic(441, -100);
    HarmonicRecord dc0 = harmonic(0, 10), dc1 = harmonic(0, 20);
    const Case cases[] = {
        {"weighted mean", {harmonic(440, 100), harmonic(441, 50), harmonic(470, 80)}, 1.01, {440.0 + 1.0 / 3, 470}, {150, 80}},
        {"opposite phases", {harmonic(440, 100), opposite}, 1.01, {440.25}, {0}},
        {"weights summing to 0", {harmonic(440, 100), negative}, 1.01, {440}, {0}},
        {"third against the first", {harmonic(440, 100), harmonic(443, 100), harmonic(446, 100)}, 1.014, {442}, {300}},
        {"direct current", {dc0, dc1}, 1.0001, {0}, {30}},
        {"tolerance 1", {harmonic(440, 100), harmonic(441, 50)}, 1.0, {440, 441}, {100, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        valueScript() = ValueDialogScript();
        SpectrumPage p;
        std::vector<HarmonicRecord> records = c.records;
        records.push_back(harmonic(5000, 7));  // unselected
        records.back().reserved16 = 4;
        records[0].reserved16 = 2;  // an old mark
        p.set(records);
        const std::vector<HarmonicRecord> before = p.records();
        p.page->table->clearSelection();
        for (u32 r = 0; r < c.records.size(); ++r) p.page->table->setRowSelected(r, true);
        p.page->table->setRowSelected(records.size(), true);  // the empty row
        valueScript().value = c.tolerance;
        p.command(SpectrumRemoveDuplicates);
        EXPECT_EQ(valueScript().helpPages, std::vector<std::string>{"remove_dups.htm"});
        ASSERT_EQ(p.page->list.count, c.frequencies.size() + 1);
        for (size_t i = 0; i < c.frequencies.size(); ++i) {
            EXPECT_TRUE(std::isfinite(p.page->list[i].frequency));
            EXPECT_NEAR(p.page->list[i].frequency, c.frequencies[i], 1e-9) << i;
            EXPECT_NEAR(p.page->list[i].amplitude, c.amplitudes[i], 1e-9) << i;
        }
        EXPECT_EQ(p.page->list[(u32)c.frequencies.size()].frequency, 5000.0);
        EXPECT_EQ(p.page->table->rowCount(), c.frequencies.size() + 2);
        expectUndoRedo(p, before);
    }

    SpectrumPage p;
    p.set({harmonic(440), harmonic(441)});
    p.select({0}, 0);
    p.command(SpectrumRemoveDuplicates);
    EXPECT_EQ(shownBoxes(), std::vector<std::string>{tooFew(2)});
    EXPECT_FALSE(p.page->history.canUndo());
}
