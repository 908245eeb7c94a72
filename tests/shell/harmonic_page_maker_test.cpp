// The spectrum page's maker: a spectrum page that leaves its placer is forgotten by the Editors
// that refer to it, and only by those; the harmonic dialog it installs for the spectrum.
#include <gtest/gtest.h>

#include "app/harmonic_dialog.h"
#include "app/page_links.h"
#include "editor/editor_window.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/spinner_field.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "shell/harmonic_page_maker.h"
#include "spectrum/harmonic_window.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/gui_fixture.h"

TEST(HarmonicPageMaker, ADetachedSpectrumPageIsForgottenByTheEditors) {
    TestApplication app;
    registerSpectrumPage();
    ASSERT_NE(forgetSpectrumPage, nullptr);
    GDialog owner(nullptr, "spectrum.htm");
    ASSERT_TRUE(createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, ""));
    GDialog second(nullptr, "spectrum.htm");
    ASSERT_TRUE(createTopLevelWindow(&second, WS_POPUP | WS_CLIPCHILDREN, 0, ""));
    SpectrumWindow* a = new SpectrumWindow(&owner);
    owner.setContent(a);
    SpectrumWindow* b = new SpectrumWindow(&second);
    second.setContent(b);
    GDialog editors(nullptr, "edit.htm");
    ASSERT_TRUE(createTopLevelWindow(&editors, WS_POPUP | WS_CLIPCHILDREN, 0, ""));
    EditorWindow* toA = new EditorWindow(&editors);
    EditorWindow* toB = new EditorWindow(&editors);
    toA->spectrumPage = a;
    toB->spectrumPage = b;
    a->detach();
    EXPECT_EQ(toA->spectrumPage, nullptr);
    EXPECT_EQ(toB->spectrumPage, b);
    delete toA;
    delete toB;
    for (GDialog* d : {&owner, &second, &editors}) destroyHidden(d->hwnd);
}

// The spectrum's harmonic dialog is the program's: one harmonic (form 30) applies every value and
// derives the frequency; several (form 31) apply only the ticked values, in the spectrum's bits.
TEST(HarmonicPageMaker, TheSpectrumsHarmonicDialogAppliesWhatWasChosen) {
    TestApplication app;
    registerSpectrumPage();
    ASSERT_NE(SpectrumCalls::runSineGenDialog, nullptr);
    HarmonicRecord start = {};
    start.amplitude = 1000.0;
    start.frequency = start.baseFrequency = 440.0;
    start.note = 9;
    start.octave = 4;
    const struct {
        i32 form;
        u32 applied;
        f64 amplitude, frequency;
        u32 octave;
    } cases[] = {{HarmonicDialogOne, ApplyBase | ApplyOvertone | ApplyAmplitude | ApplyPhase, 2000.0, 880.0, 5},
                 {HarmonicDialogSeveral, ApplyAmplitude, 2000.0, 440.0, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form);
        HarmonicRecord values = start;
        u32 applied = 0;
        ModalScript script(TypeHarmonicOneDialog, {[](GDialog& d) {
            auto& dialog = static_cast<HarmonicOneDialog&>(d);
            auto type = [](GEditLine* edit, const char* text) {
                SendMessageA(edit->hwnd, EM_SETSEL, 0, -1);
                SendMessageA(edit->hwnd, WM_CHAR, VK_BACK, 0);
                for (const char* p = text; *p; ++p) SendMessageA(edit->hwnd, WM_CHAR, (u8)*p, 0);
            };
            type(dialog.amplitude, "2000");
            if (!(dialog.mask & HarmonicChecks)) type(dialog.number->edit, "1");
            ModalScript::click(d, IDOK);
        }});
        ASSERT_TRUE(SpectrumCalls::runSineGenDialog(nullptr, c.form, "edit_harm.htm", &values, &applied));
        EXPECT_EQ(applied, c.applied);
        EXPECT_EQ(values.amplitude, c.amplitude);
        EXPECT_EQ(values.frequency, c.frequency);
        EXPECT_EQ(values.octave, c.octave);
    }
}
