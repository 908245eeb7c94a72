// The FFT, find and harmonic dialogs run modally and worked with clicks and keys: what they enable,
// hide and refuse, and what they store.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/fft_dialog.h"
#include "app/find_dialog.h"
#include "app/harmonic_dialog.h"
#include "gui/controls/combo.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/page_stack.h"
#include "gui/controls/spinner_field.h"
#include "gui/frame/note_board.h"
#include "gui/input/input_event.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/layout/layout_cell.h"
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

struct DialogFixture {
    TestApplication app;
    DialogFixture() {
        errors.clear();
        setMessageBoxSink(recordBox);
    }
    ~DialogFixture() { setMessageBoxSink(nullptr); }
};

// A mouse click on the mark of a check or radio box.
void clickOn(GMarkWindow* box) {
    ASSERT_NE(box, nullptr);
    RECT mark, text;
    box->geometry(&mark, &text);
    const i32 x = (mark.left + mark.right) / 2, y = (mark.top + mark.bottom) / 2;
    InputSeam seam;
    seam.active = GetAncestor(box->hwnd, GA_ROOT);
    seam.pointAt(box->hwnd, x, y);
    SendMessageA(box->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(box->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void typeInto(GEditLine* edit, const std::string& text) {
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit->hwnd, EM_SETSEL, 0, -1);
    SendMessageA(edit->hwnd, WM_CHAR, VK_BACK, 0);
    for (char c : text) SendMessageA(edit->hwnd, WM_CHAR, (u8)c, 0);
}

bool enabled(GWindow* control) { return control && IsWindowEnabled(control->hwnd); }

std::string comboText(GCombo* combo) {
    GString text;
    if (!combo || !combo->items().itemText(combo->selection, text)) return "";
    return text.c_str();
}

const f64 pi = 3.14159265358979323846;
}  // namespace

TEST(FftDialog, SizeListFollowsTheRangeChoiceAndOkStoresTheChoices) {
    DialogFixture f;
    FourierSettings s;
    s.defaultSizeIndex = 2;
    s.defaultSize = 8192;
    s.selection = 1;
    s.windowFunction = 6;
    FFTDialog dialog(nullptr);
    ASSERT_TRUE(buildFftBody(&dialog, "FFT", &s));
    std::string shownSize, shownWindow;
    std::vector<bool> sizesEnabled;
    ModalScript script(TypeFFTDialog, {
        [&](GDialog&) {
            saveWindowShot(dialog.hwnd, "fft_dialog.bmp");
            shownSize = comboText(dialog.sizes);
            shownWindow = comboText(dialog.windows);
            sizesEnabled.push_back(enabled(dialog.sizes));
            clickOn(dialog.cursorBox);
            sizesEnabled.push_back(enabled(dialog.sizes));
            clickOn(dialog.selectionBox);
            sizesEnabled.push_back(enabled(dialog.sizes));
            clickOn(dialog.cursorBox);
            sizesEnabled.push_back(enabled(dialog.sizes));
            typeInto(dialog.limitLine, "100000.5");
            ModalScript::click(dialog, IDOK);
        },
        [&](GDialog& d) {
            EXPECT_EQ(d.result, -1);
            EXPECT_EQ(errors.size(), 1u);
            typeInto(dialog.limitLine, "0");
            ModalScript::click(d, IDOK);
        },
    });
    EXPECT_EQ(placeWindowAuto(&dialog, PlaceCentreOnOwner), 1);
    EXPECT_EQ(shownSize, "2048");
    EXPECT_EQ(shownWindow, "Blackman-Harris");
    EXPECT_EQ(sizesEnabled, (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(s.defaultSize, 2048u);
    EXPECT_EQ(s.defaultSizeIndex, 2u);
    EXPECT_EQ(s.windowFunction, 6u);
    EXPECT_EQ(s.selection, 0u);
    EXPECT_EQ(s.ampLimit, 0.0);
}

TEST(FindDialog, ScopeKindAndDefectTests) {
    DialogFixture f;
    u8 record[8] = {1, 1, 1, 1, 0xFF, 0xFF, 0xFF, 0xFF};  // scope: the selection; kind -1
    LevelValue defect = levelFactor(0.1), silence = levelFactor(0.001);
    SamplePeriod defectPeriod{10, 44100}, silencePeriod{2205, 44100};
    const LevelRange units = {{1, 1, 1, 1}, 0.0, 32767.0, 0.0, 1.0, -30.0, 0.0};
    FindDialogValues values = {record, &defect, units, &silence, units, &defectPeriod, &silencePeriod, false, 44100};
    FindDialog dialog(nullptr, "find.htm");
    ASSERT_TRUE(buildFindBody(&dialog, "Find", values));
    struct State {
        i32 kind, page;
        bool selectionEnabled, wholeChecked, directionShown;
    };
    std::vector<State> states;
    auto note = [&] {
        states.push_back({dialog.kind(), dialog.pages->current, enabled(dialog.selectionBox), dialog.wholeBox->isChecked(),
                          !(dialog.directionGroup->cellFlags & CellExcluded)});
    };
    // Keys as the input routing hands them to the focused combo.
    auto keys = [&](u32 vk) {
        for (int k = 0; k < 2; ++k) {
            GInputEvent e;
            keyModifierState(WM_KEYDOWN, vk, 0, &e);
            e.target = dialog.kinds;
            dialog.kinds->handleKey(&e);
        }
    };
    ModalScript script(TypeFindDialog, {
        [&](GDialog&) {
            note();
            keys(VK_DOWN);
        },
        [&](GDialog&) {
            note();
            saveWindowShot(dialog.hwnd, "find_dialog_peak.bmp");
            keys(VK_UP);
        },
        [&](GDialog&) {
            note();
            clickOn(dialog.jumps);
            clickOn(dialog.clipping);
            ModalScript::click(dialog, IDOK);
        },
        [&](GDialog& d) {
            EXPECT_EQ(d.result, -1);
            EXPECT_EQ(errors.size(), 1u);
            clickOn(dialog.jumps);
            clickOn(dialog.backwardBox);
            ModalScript::click(d, IDOK);
        },
    });
    EXPECT_EQ(placeWindowAuto(&dialog, PlaceCentreOnOwner), 1);
    ASSERT_EQ(states.size(), 3u);
    // Opened on defect, the selection box disabled and the whole sound chosen.
    EXPECT_EQ(states[0].kind, 0);
    EXPECT_EQ(states[0].page, 0);
    EXPECT_FALSE(states[0].selectionEnabled);
    EXPECT_TRUE(states[0].wholeChecked);
    EXPECT_TRUE(states[0].directionShown);
    // The peak hides the direction.
    EXPECT_EQ(states[1].kind, 2);
    EXPECT_EQ(states[1].page, 2);
    EXPECT_FALSE(states[1].directionShown);
    EXPECT_EQ(states[2].page, 0);
    EXPECT_TRUE(states[2].directionShown);
    i32 kind;
    std::memcpy(&kind, record + 4, 4);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(record[0], 0);  // scope: the whole sound
    EXPECT_EQ(record[1], 0);  // backward
    EXPECT_EQ(record[2], 1);
    EXPECT_EQ(record[3], 0);
}

TEST(HarmonicDialog, OpensOnTheDefaultsAndDerivesTheFrequency) {
    DialogFixture f;
    const HarmonicRecord kept = sineDefaults();
    {
        HarmonicOneDialog dialog(nullptr);
        ASSERT_TRUE(buildHarmonicBody(&dialog, "Sine", HarmonicSineFields, sineDefaults()));
        EXPECT_EQ(std::string(dialog.amplitude->text()), "10000");
        EXPECT_EQ(std::string(dialog.phase->text()), "0");
        EXPECT_EQ(dialog.board->frequency, 440.0);
        EXPECT_EQ(dialog.switches[0], nullptr);  // no check boxes without mask bit 0
        EXPECT_EQ(dialog.values.note, 9u);
        EXPECT_EQ(dialog.values.octave, 4u);
    }
    const struct {
        const char* number;
        f64 hz;
        u32 note, octave;
    } cases[] = {{"-1", 220.0, 9, 3}, {"0", 440.0, 9, 4}, {"1", 880.0, 9, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        HarmonicOneDialog dialog(nullptr);
        ASSERT_TRUE(buildHarmonicBody(&dialog, "Sine", HarmonicSineFields, sineDefaults()));
        ModalScript script(TypeHarmonicOneDialog, {[&](GDialog& d) {
            typeInto(dialog.number->edit, c.number);
            typeInto(dialog.phase, "180");
            ModalScript::click(d, IDOK);
        }});
        ASSERT_EQ(placeWindowAuto(&dialog, PlaceCentreOnOwner), 1);
        EXPECT_DOUBLE_EQ(dialog.values.phase, pi);
        storeSineDefaults(dialog.values);
        EXPECT_DOUBLE_EQ(sineDefaults().frequency, c.hz);
        EXPECT_DOUBLE_EQ(sineDefaults().baseFrequency, 440.0);
        EXPECT_EQ(sineDefaults().note, c.note);
        EXPECT_EQ(sineDefaults().octave, c.octave);
        EXPECT_DOUBLE_EQ(sineDefaults().phase, pi);
    }
    sineDefaults() = kept;
}

TEST(HarmonicDialog, CheckBoxColumnAppliesOnlyWhatWasTicked) {
    DialogFixture f;
    HarmonicRecord record = {};
    record.amplitude = 1000.0;
    record.baseFrequency = record.frequency = 300.0;
    record.overtone = 0;
    record.note = 2;
    record.octave = 4;
    HarmonicOneDialog dialog(nullptr);
    ASSERT_TRUE(buildHarmonicBody(&dialog, "Change", 0x1F, record));
    std::vector<bool> ticked;
    ModalScript script(TypeHarmonicOneDialog, {[&](GDialog& d) {
        for (GCheckBox* box : dialog.switches) ticked.push_back(box && box->isChecked());
        typeInto(dialog.amplitude, "5000");
        for (GCheckBox* box : dialog.switches) ticked.push_back(box && box->isChecked());
        saveWindowShot(dialog.hwnd, "harmonic_dialog_checks.bmp");
        ModalScript::click(d, IDOK);
    }});
    ASSERT_EQ(placeWindowAuto(&dialog, PlaceCentreOnOwner), 1);
    EXPECT_EQ(ticked, (std::vector<bool>{false, false, false, false, false, false, true, false}));
    EXPECT_EQ(dialog.applied(), (u32)HarmonicAmplitude);
    HarmonicRecord changed = record;
    changed.overtone = 3;  // a value the dialog did not apply stays
    applyHarmonicValues(dialog.values, dialog.applied(), &changed);
    EXPECT_EQ(changed.amplitude, 5000.0);
    EXPECT_EQ(changed.frequency, 300.0);
    EXPECT_EQ(changed.overtone, 3);
    EXPECT_EQ(changed.note, 2u);
    EXPECT_EQ(changed.octave, 4u);
}
