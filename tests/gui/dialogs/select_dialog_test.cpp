// The selection dialog run modally for real: hot letters by key, OK and Cancel, the preview.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/controls/multi_label.h"
#include "gui/dialogs/select_dialog.h"
#include "gui/views/box.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
const char* const kItems[] = {"[A] Append", "[B] Blend", "[c] Copy", "Delete"};

GBox* listOf(GDialog& d) { return static_cast<GSelectDialog&>(d).list; }

void key(GDialog& d, u32 vk) {
    PostMessageA(listOf(d)->hwnd, WM_KEYDOWN, vk, 0);
    PostMessageA(listOf(d)->hwnd, WM_KEYUP, vk, 0xC0000000);
}

// Fills the preview with the entry's index and counts its calls.
struct IndexPreview : GSelectPreview {
    void preview(GMultiLabel* label, i32 index) override {
        calls.push_back(index);
        label->setText(("Entry " + std::to_string(index)).c_str());
    }
    std::vector<i32> calls;
};
}  // namespace

TEST(SelectDialog, CtrlAndABracketedLetterPicksItsEntry) {
    TestApplication app;
    struct Case {
        const char* what;
        std::vector<int> held;
        u32 vk;
        bool answer;
        i32 out;
    } cases[] = {
        {"Ctrl+B", {VK_CONTROL}, 'B', true, 1},
        {"B alone", {}, 'B', false, 7},
        {"Ctrl+Shift+B", {VK_CONTROL, VK_SHIFT}, 'B', false, 7},
        {"Ctrl+C: the entry's letter is lower case", {VK_CONTROL}, 'C', false, 7},
        {"Ctrl+Q: no entry", {VK_CONTROL}, 'Q', false, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InputSeam input;
        input.held.insert(c.held.begin(), c.held.end());
        ModalScript script(TypeSelectDialog, {
            [&](GDialog& d) {
                ModalScript::unmark(d);
                key(d, c.vk);
            },
            [&](GDialog& d) {
                // Still open: the standard keys end it.
                input.held.clear();
                key(d, VK_ESCAPE);
            },
        });
        i32 out = 7;
        EXPECT_EQ(c.answer, GSelectDialog::run(0, nullptr, "Pick", "Which one?", kItems, 4, &out));
        EXPECT_EQ(c.out, out);
        EXPECT_EQ(1, script.runs);
    }
}

TEST(SelectDialog, OkCancelAndActivationWithAndWithoutAnEntry) {
    TestApplication app;
    struct Case {
        const char* what;
        i32 initial;
        ModalScript::Step act;
        bool answer;
        i32 out;
    } cases[] = {
        {"Cancel", 2, [](GDialog& d) { ModalScript::post(d, 2); }, false, 9},
        {"OK", 2, [](GDialog& d) { ModalScript::post(d, 1); }, true, 2},
        {"OK with no entry", -1, [](GDialog& d) { ModalScript::post(d, 1); }, true, 9},
        {"Enter on the list", 3,
         [](GDialog& d) {
             ModalScript::unmark(d);
             key(d, VK_RETURN);
         },
         true, 3},
        {"closing the window", 1,
         [](GDialog& d) {
             ModalScript::unmark(d);
             PostMessageA(d.hwnd, WM_CLOSE, 0, 0);
         },
         false, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModalScript script(TypeSelectDialog, {c.act});
        i32 out = 9;
        EXPECT_EQ(c.answer, GSelectDialog::run(c.initial, nullptr, "Pick", nullptr, kItems, 4, &out));
        EXPECT_EQ(c.out, out);
    }
}

TEST(SelectDialog, ThePreviewFollowsTheCurrentEntry) {
    TestApplication app;
    IndexPreview preview;
    std::vector<std::string> shown;
    ModalScript script(TypeSelectDialog, {
        [&](GDialog& d) {
            shown.push_back(static_cast<GSelectDialog&>(d).previewLabel->text.c_str());
            key(d, VK_DOWN);
        },
        [&](GDialog& d) {
            shown.push_back(static_cast<GSelectDialog&>(d).previewLabel->text.c_str());
            ModalScript::post(d, 1);
        },
    });
    i32 out = -1;
    EXPECT_TRUE(GSelectDialog::run(1, nullptr, "Pick", "Which one?", kItems, 4, &out, &preview));
    EXPECT_EQ(2, out);
    EXPECT_EQ((std::vector<std::string>{"Entry 1", "Entry 2"}), shown);
    EXPECT_EQ((std::vector<i32>{1, 2}), preview.calls);

    // With no entry the preview stays empty.
    IndexPreview none;
    ModalScript empty(TypeSelectDialog, {[&](GDialog& d) {
        EXPECT_STREQ("", static_cast<GSelectDialog&>(d).previewLabel->text.c_str());
        ModalScript::post(d, 2);
    }});
    EXPECT_FALSE(GSelectDialog::run(-1, nullptr, "Pick", nullptr, kItems, 4, &out, &none));
    EXPECT_TRUE(none.calls.empty());
}
