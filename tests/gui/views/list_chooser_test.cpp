// The two-list chooser on a real dialog: entries move by double clicks, buttons and Alt+arrows
// sent as real messages; the separator stays available; the buttons follow the selections; the
// dialog around it hands the chosen rows on and guards its receiver against re-entry.
#include "gui/views/list_chooser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/image_button.h"
#include "gui/input/input_routing.h"
#include "gui/paint/bitmaps.h"
#include "gui/views/list_chooser_dialog.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/input_fixture.h"

using namespace controls;

namespace {
std::string texts(GBox* box) {
    std::string out;
    for (u64 i = 0; i < box->rowCount(); ++i) {
        const ListRow* row = box->rowModel()->row(i);
        out += row->value == ChooserSeparator ? std::string("--") : std::string(row->text ? row->text : "<null>");
        if (box->selection()->isSelected((i64)i)) out += "*";
        out += " ";
    }
    return out;
}

// A real click: press and release with the pointer over the button of the active window.
void clickButton(GUserButton* button) {
    ASSERT_NE(nullptr, button);
    InputSeam seam;
    seam.active = GetAncestor(button->hwnd, GA_ROOT);
    seam.pointAt(button->hwnd, 3, 3);
    SendMessageA(button->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(button->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

void fillChooser(GListChooser* chooser, std::initializer_list<const char*> available,
                 std::initializer_list<const char*> chosen) {
    ListRowArray left, right;
    for (const char* t : available) ChoiceList::add(left, t, t ? 1 : ChooserSeparator, 0);
    for (const char* t : chosen) ChoiceList::add(right, t, 1, 0);
    chooser->fill(left, right);
    EXPECT_EQ(0u, left.count);
}

struct ChooserFixture : Fixture {
    GColumnsItem* column = new GColumnsItem(dialog);
    GLayoutBuilder builder{dialog};
    GListChooser* chooser;
    ChooserFixture() : Fixture(500, 300) {
        dialog->setContent(column);
        builder.current = column;
        chooser = GListChooser::create(builder);
        layout();
        fillChooser(chooser, {"delta", "Alpha", nullptr, "charlie", "bravo"}, {"one", "two"});
    }
    // Client point of a row of the list.
    static POINT rowPoint(GBox* box, u64 row) {
        RECT r = box->cellRect(row, 0);
        return POINT{r.left + 5, (r.top + r.bottom) / 2};
    }
    static void click(GBox* box, u64 row, u32 keys = 0) {
        POINT p = rowPoint(box, row);
        SendMessageA(box->hwnd, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(p.x, p.y));
        SendMessageA(box->hwnd, WM_LBUTTONUP, keys, MAKELPARAM(p.x, p.y));
    }
    // A click with Ctrl held: the row's selection flips.
    static void ctrlClick(GBox* box, u64 row) {
        InputSeam seam;
        seam.held.insert(VK_CONTROL);
        click(box, row, MK_CONTROL);
    }
    static void doubleClick(GBox* box, u64 row) {
        POINT p = rowPoint(box, row);
        click(box, row);
        SendMessageA(box->hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageA(box->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    // A real click on the command's button.
    void press(u32 command) { clickButton(chooser->buttons[command - ChooserRemove]); }
    // Enabled buttons as letters: remove, add, up, down.
    std::string enabled() {
        std::string out;
        const char* letters = "RAUD";
        for (int i = 0; i < 4; ++i) out += IsWindowEnabled(chooser->buttons[i]->hwnd) ? letters[i] : '.';
        return out;
    }
};
}  // namespace

TEST(ListChooser, BuildsTwoListsAndFourArrowButtons) {
    ChooserFixture f;
    ASSERT_NE(nullptr, f.chooser->left);
    ASSERT_NE(nullptr, f.chooser->right);
    // The left list sorted, the separator first; the right one in its order.
    EXPECT_EQ("--* Alpha bravo charlie delta ", texts(f.chooser->left));
    EXPECT_EQ("one* two ", texts(f.chooser->right));
    const u32 bitmaps[] = {ChooserRemoveBitmap, ChooserAddBitmap, ChooserUpBitmap, ChooserDownBitmap};
    for (u32 i = 0; i < 4; ++i) {
        GImageButton* b = f.chooser->buttons[i];
        ASSERT_NE(nullptr, b);
        EXPECT_EQ(ChooserRemove + i, b->command());
        EXPECT_EQ(getCachedImage((i32)bitmaps[i]), b->image);
        EXPECT_NE(nullptr, b->toolTipText);
    }
    // The image list's height (16) is the row height; the lists sit side by side with the buttons
    // between them.
    EXPECT_EQ(16, f.chooser->left->rowHeightPixels());
    EXPECT_EQ(16, f.chooser->right->rowHeightPixels());
    RECT l = f.chooser->left->rect, r = f.chooser->right->rect, add = f.chooser->buttons[1]->rect;
    EXPECT_LT(l.right, add.left);
    EXPECT_LT(add.right, r.left);
    EXPECT_GT(l.bottom - l.top, 100);
}

TEST(ListChooser, DoubleClicksMoveEntriesAndReturnedOnesSortIn) {
    ChooserFixture f;
    f.click(f.chooser->right, 0);
    f.doubleClick(f.chooser->left, 3);  // charlie goes in after the caret of the right list
    EXPECT_EQ("-- Alpha bravo delta* ", texts(f.chooser->left));
    EXPECT_EQ("one charlie* two ", texts(f.chooser->right));
    EXPECT_EQ(1, f.chooser->right->selection()->caret());

    f.doubleClick(f.chooser->right, 2);  // two returns to its place in the sorted list
    EXPECT_EQ("-- Alpha bravo delta two* ", texts(f.chooser->left));
    EXPECT_EQ("one charlie* ", texts(f.chooser->right));

    // A new page size of a list is no activation: nothing moves.
    f.chooser->left->setRect(RECT{0, 0, 120, 100});
    f.chooser->right->setRect(RECT{200, 0, 320, 100});
    EXPECT_EQ("one charlie* ", texts(f.chooser->right));
    EXPECT_EQ(5u, f.chooser->left->rowCount());
}

TEST(ListChooser, TheSeparatorIsCopiedAndStaysAvailable) {
    ChooserFixture f;
    f.click(f.chooser->right, 1);
    f.click(f.chooser->left, 0);
    f.ctrlClick(f.chooser->left, 2);  // the separator and bravo, in their order
    EXPECT_EQ("--* Alpha bravo* charlie delta ", texts(f.chooser->left));
    f.press(ChooserAdd);
    EXPECT_EQ("--* Alpha charlie delta ", texts(f.chooser->left));
    EXPECT_EQ("one two -- bravo* ", texts(f.chooser->right));
    f.press(ChooserAdd);  // the separator again
    EXPECT_EQ("--* Alpha charlie delta ", texts(f.chooser->left));
    EXPECT_EQ("one two -- bravo --* ", texts(f.chooser->right));

    // A returned separator leaves no second one on the left.
    f.click(f.chooser->right, 2);
    f.press(ChooserRemove);
    EXPECT_EQ("--* Alpha charlie delta ", texts(f.chooser->left));
    EXPECT_EQ("one two bravo* -- ", texts(f.chooser->right));
}

TEST(ListChooser, AltRightAndAltLeftTakeTheKey) {
    ChooserFixture f;
    f.click(f.chooser->right, 1);
    f.click(f.chooser->left, 4);
    SetForegroundWindow(f.dialog->hwnd);
    SendMessageA(f.dialog->hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    f.chooser->left->setFocusSafe();
    ASSERT_EQ(f.chooser->left->hwnd, GetFocus());
    {
        InputSeam seam;
        seam.active = f.dialog->hwnd;
        seam.held.insert(VK_MENU);
        PostMessageA(f.chooser->left->hwnd, WM_SYSKEYDOWN, VK_RIGHT, 0x20000001 | (0x4D << 16));
        ASSERT_TRUE(pumpUntil([&] { return f.chooser->right->rowCount() == 3; }));
        EXPECT_EQ("one two delta* ", texts(f.chooser->right));

        f.chooser->right->setFocusSafe();
        PostMessageA(f.chooser->right->hwnd, WM_SYSKEYDOWN, VK_LEFT, 0x20000001 | (0x4B << 16));
        ASSERT_TRUE(pumpUntil([&] { return f.chooser->right->rowCount() == 2; }));
        EXPECT_EQ("-- Alpha bravo charlie delta* ", texts(f.chooser->left));
    }

    // Taken even with nothing to move.
    f.chooser->right->clearSelection();
    GInputEvent e = keyEvent(KeyDown, VK_LEFT, ModAlt);
    e.target = f.chooser->right;
    EXPECT_TRUE(routeKeyEvent(&e));
    EXPECT_EQ(2u, f.chooser->right->rowCount());
}

TEST(ListChooser, ButtonsFollowTheSelectionsAndUpDownMoveTheCaret) {
    ChooserFixture f;
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* right;
        const char* buttons;  // remove, add, up, down
    };
    const Step steps[] = {
        {"filled", [] {}, "one* two ", "RA.D"},
        {"down", [&] { f.press(ChooserDown); }, "two one* ", "RAU."},
        {"down at the end: disabled", [&] { f.press(ChooserDown); }, "two one* ", "RAU."},
        {"up", [&] { f.press(ChooserUp); }, "one* two ", "RA.D"},
        {"no left selection",
[&] { f.ctrlClick(f.chooser->left, 0); },
         "one* two ", "R..D"},
        {"no right selection",
[&] { f.ctrlClick(f.chooser->right, 0); },
         "one two ", "...."},
        {"the last row selected", [&] { f.click(f.chooser->right, 1); }, "one two* ", "R.U."},
        {"both returned",
         [&] {
             f.ctrlClick(f.chooser->right, 0);
             f.press(ChooserRemove);
         },
         "", ".A.."},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(s.right, texts(f.chooser->right)) << s.what;
        EXPECT_EQ(s.buttons, f.enabled()) << s.what;
    }
    EXPECT_EQ("-- Alpha bravo charlie delta one* two ", texts(f.chooser->left));
}

namespace {
// Hears the dialog's notifications; on a selection change it changes the right list once more.
struct Receiver : GItemBase {
    bool onControlNotify(void* notification) override {
        auto* n = static_cast<GControlNotification*>(notification);
        heard.push_back(n->code);
        if (n->code == ChooserAccepted) accepted = reinterpret_cast<ListRowModel*>(n->value);
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (n->code == TableSelectionChanged && chooser && chooser->right->rowCount() > 1) chooser->right->selectItem(0);
        --depth;
        return true;
    }
    std::vector<u32> heard;
    ListRowModel* accepted = nullptr;
    GListChooser* chooser = nullptr;
    int depth = 0, maxDepth = 0;
};

}  // namespace

TEST(ListChooserDialog, OkHandsTheChosenRowsOnAndEndsTheDialog) {
    struct Case {
        u32 command;
        bool handsOn;
    } cases[] = {{1, true}, {2, false}};
    for (const Case& c : cases) {
        TestApplication app;
        Receiver receiver;
        GListChooserDialog dialog(nullptr, nullptr, &receiver);
        ASSERT_TRUE(dialog.build("Items", "Pick the items."));
        ShowWindow(dialog.hwnd, SW_SHOWNOACTIVATE);
        fillChooser(dialog.chooser, {"a", "b"}, {"c"});
        EXPECT_EQ(nullptr, dialog.buttonRow->findButton(9));  // no help page, no Help
        receiver.heard.clear();
        clickButton(dialog.buttonRow->findButton(c.command));
        EXPECT_EQ(c.handsOn ? dialog.chooser->chosenRows() : nullptr, receiver.accepted) << c.command;
        EXPECT_EQ((i32)c.command, dialog.result);
        // The modeless dialog closes through its posted WM_CLOSE (hidden first: a visible window
        // takes Wine seconds to end).
        HWND hwnd = dialog.hwnd;
        SetWindowLongA(hwnd, GWL_STYLE, GetWindowLongA(hwnd, GWL_STYLE) & ~WS_VISIBLE);
        MSG m;
        while (PeekMessageA(&m, hwnd, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        EXPECT_FALSE(IsWindow(hwnd));
    }
}

TEST(ListChooserDialog, ChangesReachTheReceiverOnceWithoutReentry) {
    TestApplication app;
    Receiver receiver;
    GListChooserDialog dialog(nullptr, "chooser.htm", &receiver);
    ASSERT_TRUE(dialog.build("Items", "Pick the items."));
    ShowWindow(dialog.hwnd, SW_SHOWNOACTIVATE);
    EXPECT_NE(nullptr, dialog.buttonRow->findButton(9));
    fillChooser(dialog.chooser, {"a", "b"}, {"c", "d"});
    receiver.chooser = dialog.chooser;
    receiver.heard.clear();

    ChooserFixture::click(dialog.chooser->right, 1);
    EXPECT_EQ(1, receiver.maxDepth);
    ASSERT_FALSE(receiver.heard.empty());
    // The receiver's own change stands and did not come back to it.
    EXPECT_EQ(0, dialog.chooser->right->selection()->caret());
    size_t selections = 0;
    for (u32 code : receiver.heard) selections += code == TableSelectionChanged;
    EXPECT_EQ(1u, selections);
    SetWindowLongA(dialog.hwnd, GWL_STYLE, GetWindowLongA(dialog.hwnd, GWL_STYLE) & ~WS_VISIBLE);
    DestroyWindow(dialog.hwnd);
}
