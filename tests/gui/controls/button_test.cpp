// Buttons on a real dialog: keys, the mouse, toggling, mnemonics, the default role and highlight,
// sizes, the standard button row, and a button whose command closes its dialog.
#include <gtest/gtest.h>

#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/input/input_event.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/paint/text_measure.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/input_fixture.h"

using namespace controls;

using ButtonFixture = ColumnFixture;

TEST(Button, SpaceAndEnterClickOnce) {
    ButtonFixture f;
    GButton* button = GButton::create(f.builder, "Go", 0, 1001);
    f.layout();
    EXPECT_EQ(1001u, button->command());
    GInputEvent down = keyEvent(KeyDown, VK_SPACE), up = keyEvent(KeyUp, VK_SPACE);
    EXPECT_EQ(2, button->handleKey(&down));
    EXPECT_TRUE(button->pressed());
    EXPECT_EQ(button->hwnd, GetFocus());
    EXPECT_TRUE(f.dialog->commands.empty());
    EXPECT_EQ(2, button->handleKey(&up));
    EXPECT_EQ(std::vector<u32>{1001}, f.dialog->commands);
    EXPECT_EQ(0, button->handleKey(&up));  // no press: nothing
    GInputEvent enter = keyEvent(KeyDown, VK_RETURN);
    EXPECT_EQ(2, button->handleKey(&enter));
    EXPECT_EQ(2u, f.dialog->commands.size());
    GInputEvent ctrlEnter = keyEvent(KeyDown, VK_RETURN, ModCtrl), letter = keyEvent(KeyDown, 'A');
    EXPECT_EQ(0, button->handleKey(&ctrlEnter));
    EXPECT_EQ(0, button->handleKey(&letter));
    EXPECT_EQ(2u, f.dialog->commands.size());
}

TEST(Button, MouseReleaseOverTheButtonClicks) {
    ButtonFixture f;
    InputSeam seam;
    GButton* button = GButton::create(f.builder, "Mouse", 0, 1002, "<^");
    f.layout();
    seam.active = f.dialog->hwnd;
    seam.pointAt(button->hwnd, 5, 5);
    SendMessageA(button->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(button->pressed());
    SendMessageA(button->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(std::vector<u32>{1002}, f.dialog->commands);
    SendMessageA(button->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    seam.pointAt(button->hwnd, 500, 5);
    SendMessageA(button->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(500, 5));
    EXPECT_FALSE(button->pressed());
    SendMessageA(button->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
    EXPECT_EQ(1u, f.dialog->commands.size());
    seam.pointAt(button->hwnd, 5, 5);
    EnableWindow(button->hwnd, FALSE);
    SendMessageA(button->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(button->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(1u, f.dialog->commands.size());
}

TEST(Button, ToggleTwiceEndsUncheckedWithTwoCommands) {
    ButtonFixture f;
    GButton* button = GButton::create(f.builder, "Toggle", ButtonToggle, 1003);
    f.layout();
    button->click();
    EXPECT_TRUE(button->checked());
    button->click();
    EXPECT_FALSE(button->checked());
    EXPECT_EQ((std::vector<u32>{1003, 1003}), f.dialog->commands);
    ASSERT_EQ(2u, f.dialog->notifications.size());
    EXPECT_EQ(1, f.dialog->notifications[0].value);
    EXPECT_EQ(0, f.dialog->notifications[1].value);
}

TEST(Button, MnemonicInEitherCaseAndTakenWhenDisabled) {
    ButtonFixture f;
    GButton* button = GButton::create(f.builder, "E&xit", 0, 1004);
    f.layout();
    EXPECT_TRUE(button->matchesMnemonic('x'));
    EXPECT_TRUE(button->matchesMnemonic('X'));
    EXPECT_FALSE(button->matchesMnemonic('e'));
    EXPECT_EQ((std::vector<u32>{1004, 1004}), f.dialog->commands);
    EnableWindow(button->hwnd, FALSE);
    EXPECT_TRUE(button->matchesMnemonic('x'));
    EXPECT_EQ(2u, f.dialog->commands.size());
}

TEST(Button, OneDefaultAfterMakeDefaultAndNoneMovedToAHiddenButton) {
    ButtonFixture f;
    GButton* first = GButton::create(f.builder, "First", ButtonDefault, 1);
    GButton* second = GButton::create(f.builder, "Second", 0, 1005);
    GButton* hidden = GButton::create(f.builder, "Hidden", 0, 1006);
    hidden->notify(LayoutHide);
    f.layout();
    auto defaults = [&] {
        int n = 0;
        for (GButton* b : {first, second, hidden}) n += b->isDefaultButton();
        return n;
    };
    second->makeDefault();
    EXPECT_EQ(1, defaults());
    EXPECT_TRUE(second->isDefaultButton());
    EXPECT_EQ(2, second->dialogCode());
    EXPECT_EQ(1, first->dialogCode());
    hidden->makeDefault();
    EXPECT_TRUE(second->isDefaultButton());
    EXPECT_FALSE(hidden->isDefaultButton());
    second->clearDefault();
    EXPECT_EQ(0, defaults());
}

TEST(Button, DefaultHighlightFollowsTheFocus) {
    ButtonFixture f;
    Patch* field = new Patch(f.dialog, RGB(1, 2, 3));
    field->create(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    f.builder.add(field);
    GButton* ok = GButton::create(f.builder, "OK", ButtonDefault, 1);
    GButton* other = GButton::create(f.builder, "Other", 0, 1007);
    f.layout();
    giveFocus(field);
    refreshDirtyWindows();
    EXPECT_TRUE(ok->style & ButtonHighlight);
    EXPECT_FALSE(other->style & ButtonHighlight);
    giveFocus(other);
    refreshDirtyWindows();
    EXPECT_FALSE(ok->style & ButtonHighlight);  // a focused button takes the default role
    EXPECT_TRUE(other->style & ButtonHighlight);
    giveFocus(field);
    EnableWindow(ok->hwnd, FALSE);
    refreshDirtyWindows();
    EXPECT_FALSE(ok->style & ButtonHighlight);
}

TEST(Button, PreferredSizes) {
    ButtonFixture f;
    SIZE wide = textExtent(getMessageFont(), "A much longer caption");
    SIZE shortText = textExtent(getMessageFont(), "Ok");
    struct Case {
        const char* text;
        u32 style;
        i32 width, height;
    } cases[] = {
        {"Ok", 0, 70, shortText.cy + 12},
        {"A much longer caption", 0, wide.cx + 25, wide.cy + 12},
        {"Ok", ButtonCompact, shortText.cx + 5, shortText.cy + 4},
        {"Ok", ButtonFlat, shortText.cx + 12, shortText.cy + 8},
    };
    for (const Case& c : cases) {
        GButton* button = GButton::create(f.builder, c.text, c.style, 1008);
        i32 w = -1, h = -1;
        button->getPreferredSize(&w, &h);
        EXPECT_EQ(c.width, w) << c.text << " " << c.style;
        EXPECT_EQ(c.height, h) << c.text << " " << c.style;
    }
}

TEST(ButtonRow, LettersBuildTheStandardButtons) {
    struct Case {
        const char* letters;
        const char* help;
        std::vector<u32> commands;
    } cases[] = {
        {"OCH", nullptr, {1, 2}},
        {"OCH", "index.htm", {1, 2, 9}},
        {"YNX", nullptr, {6, 7, 2}},
        {"Q?O", nullptr, {1}},
    };
    for (const Case& c : cases) {
        ButtonFixture f;
        f.dialog->helpPage = c.help;
        GButtonRow* row = GButtonRow::create(f.builder, c.letters);
        EXPECT_EQ(row, f.builder.last);
        EXPECT_EQ('|', row->hAlign);
        EXPECT_EQ('v', row->vAlign);
        ASSERT_EQ((int)c.commands.size(), row->childCount()) << c.letters;
        for (size_t i = 0; i < c.commands.size(); ++i) {
            GButton* button = row->findButton(c.commands[i]);
            ASSERT_NE(nullptr, button);
            EXPECT_EQ(c.commands[i] == 1, button->isDefaultButton());
        }
        EXPECT_EQ(nullptr, row->findButton(3));
    }
}

TEST(Button, ACommandThatClosesTheDialogEndsTheClickSafely) {
    ButtonFixture f;
    GButton* button = GButton::create(f.builder, "Close", ButtonToggle, 1);
    f.layout();
    f.dialog->commandHook = [&](u32) {
        SetWindowLongA(f.dialog->hwnd, GWL_STYLE, GetWindowLongA(f.dialog->hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(f.dialog->hwnd);
    };
    GInputEvent enter = keyEvent(KeyDown, VK_RETURN);
    EXPECT_EQ(2, button->handleKey(&enter));
    EXPECT_FALSE(IsWindow(f.dialog->hwnd));
    EXPECT_EQ(std::vector<u32>{1}, f.dialog->commands);
}

TEST(Button, RealKeysThroughTheMessageLoop) {
    ButtonFixture f;
    GButton* button = GButton::create(f.builder, "E&xit", 0, 1009);
    GButton* other = GButton::create(f.builder, "Other", 0, 1010);
    f.layout();
    SendMessageA(f.dialog->hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    giveFocus(button);
    PostMessageA(button->hwnd, WM_KEYDOWN, VK_SPACE, 0x00390001);
    PostMessageA(button->hwnd, WM_KEYUP, VK_SPACE, 0xC0390001);
    ASSERT_TRUE(pumpUntil([&] { return !f.dialog->commands.empty(); }));
    EXPECT_EQ(std::vector<u32>{1009}, f.dialog->commands);
    // Alt and the mnemonic letter reach the button from wherever the focus is.
    giveFocus(other);
    InputSeam seam;
    seam.active = f.dialog->hwnd;
    seam.held.insert(VK_MENU);
    PostMessageA(other->hwnd, WM_SYSCHAR, 'x', 0x202D0001);
    ASSERT_TRUE(pumpUntil([&] { return f.dialog->commands.size() == 2; }));
    EXPECT_EQ(1009u, f.dialog->commands.back());
}
