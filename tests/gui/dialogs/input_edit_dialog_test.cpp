// The text input dialog run modally for real, typed into through its edit line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/controls/button.h"
#include "gui/controls/edit_line.h"
#include "gui/dialogs/input_edit_dialog.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/gui_fixture.h"

namespace {
GInputEditStrDialog& asInput(GDialog& d) { return static_cast<GInputEditStrDialog&>(d); }

void type(GDialog& d, const std::string& keys) {
    HWND edit = asInput(d).edit->hwnd;
    // Backspace as the edit sees it after translation ('\b' is VK_BACK).
    for (char c : keys) PostMessageA(edit, WM_CHAR, (u8)c, 0);
}

bool okEnabled(GDialog& d) { return IsWindowEnabled(asInput(d).okButton->hwnd) != FALSE; }
}  // namespace

TEST(InputEditDialog, OkOnlyForANonEmptyText) {
    TestApplication app;
    struct Case {
        const char* what;
        const char* initial;
        std::string typed;
        u32 end;
        bool okAtOpen, okAfterTyping;
        bool answer;
        std::string result;
    } cases[] = {
        {"unchanged text confirmed", "Take 1", "", 1, true, true, true, "Take 1"},
        {"every character deleted", "ab", "\b\b", 2, true, false, false, "old"},
        {"deleted then one typed", "ab", "\b\bx", 1, true, true, true, "x"},
        {"typed then cancelled", "ab", "cd", 2, true, true, false, "old"},
        {"empty at the start", "", "", 2, false, false, false, "old"},
        {"spaces only", "", "  ", 1, false, true, true, "  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool okAtOpen = false, okAfter = false;
        ModalScript script(TypeInputEditStrDialog, {
            [&](GDialog& d) {
                okAtOpen = okEnabled(d);
                // The caret to the end, then the keys.
                SendMessageA(asInput(d).edit->hwnd, EM_SETSEL, 100, 100);
                type(d, c.typed);
            },
            [&](GDialog& d) {
                okAfter = okEnabled(d);
                ModalScript::post(d, c.end);
            },
        });
        GString result("old");
        EXPECT_EQ(c.answer, GInputEditStrDialog::run(nullptr, "Name", "New name:", c.initial, result));
        EXPECT_EQ(c.okAtOpen, okAtOpen);
        EXPECT_EQ(c.okAfterTyping, okAfter);
        EXPECT_EQ(c.result, result.c_str());
    }
}

TEST(InputEditDialog, TheEditLineTakesAtMostTheLimit) {
    TestApplication app;
    const std::string longName(60, 'n');
    for (i32 limit : {39, 50}) {
        SCOPED_TRACE(limit);
        ModalScript script(TypeInputEditStrDialog, {
            [&](GDialog& d) {
                SetWindowTextA(asInput(d).edit->hwnd, "");
                type(d, longName);
            },
            [&](GDialog& d) { ModalScript::post(d, 1); },
        });
        GString result;
        EXPECT_TRUE(GInputEditStrDialog::run(nullptr, "Name", "New name:", "x", result, limit));
        EXPECT_EQ(std::string((size_t)limit, 'n'), result.c_str());
    }
}
