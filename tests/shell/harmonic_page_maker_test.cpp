// The spectrum page's maker: a spectrum page that leaves its placer is forgotten by the Editors
// that refer to it, and only by those.
#include <gtest/gtest.h>

#include "app/page_links.h"
#include "editor/editor_window.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "shell/harmonic_page_maker.h"
#include "spectrum/harmonic_window.h"
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
