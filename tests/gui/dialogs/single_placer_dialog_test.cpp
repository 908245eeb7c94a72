#include "gui/dialogs/single_placer_dialog.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "gui/controls/button_row.h"
#include "gui/controls/label.h"
#include "gui/dialogs/choose_color.h"
#include "gui/layout/layout_rows.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/gui_fixture.h"

namespace {
using controls::Fixture;
using controls::Patch;

// What the chooser was called with, and what it answers.
struct ChooserCall {
    CHOOSECOLORA record;
    bool ownerEnabled;
    u32 thread;
};
ChooserCall g_call;
BOOL g_answer = TRUE;
COLORREF g_picked = 0;

BOOL WINAPI fakeChooser(CHOOSECOLORA* record) {
    g_call.record = *record;
    g_call.ownerEnabled = record->hwndOwner && IsWindowEnabled(record->hwndOwner);
    g_call.thread = GetCurrentThreadId();
    record->lpCustColors[3] = RGB(1, 2, 3);
    if (g_answer) record->rgbResult = g_picked;
    return g_answer;
}
}  // namespace

TEST(SinglePlacerDialog, ContentSeparatorAndButtonRowInOneColumn) {
    Fixture fx;
    GSinglePlacerDialog dialog(nullptr, "page.htm");
    EXPECT_TRUE(dialog.isKindOf(120) && dialog.isKindOf(7) && dialog.isKindOf(2) && dialog.isKindOf(1));
    EXPECT_STREQ("GSinglePlacerDialog", dialog.className());
    ASSERT_TRUE(dialog.createWindow("Title"));
    GColumnsItem* body = new GColumnsItem(&dialog);
    GButtonRow* row = setDialogContent(body, &dialog, "88848", true);
    EXPECT_EQ(body, dialog.body);
    EXPECT_EQ(row, dialog.buttonRow);
    auto* column = static_cast<GLayoutItem*>(dialog.content);
    ASSERT_EQ(3u, column->children.size());
    EXPECT_EQ(body, column->children[0]);
    EXPECT_STREQ("GLine2", static_cast<GLine2*>(column->children[1])->className());
    EXPECT_EQ(row, column->children[2]);
    DestroyWindow(dialog.hwnd);

    GSinglePlacerDialog plain(nullptr, nullptr);
    ASSERT_TRUE(plain.createWindow("Plain"));
    setDialogContent(new GColumnsItem(&plain), &plain, "00088", false);
    EXPECT_EQ(2u, static_cast<GLayoutItem*>(plain.content)->children.size());
    DestroyWindow(plain.hwnd);
}

TEST(SystemColorChooser, TheChooserRunsModallyOnTheInterfaceThread) {
    Fixture fx;
    setChooseColorFunction(fakeChooser);
    struct Case {
        BOOL answer;
        COLORREF picked, initial, expected;
    } cases[] = {{TRUE, RGB(9, 8, 7), RGB(1, 1, 1), RGB(9, 8, 7)}, {FALSE, RGB(9, 8, 7), RGB(4, 5, 6), RGB(4, 5, 6)}};
    for (const Case& c : cases) {
        g_answer = c.answer;
        g_picked = c.picked;
        COLORREF result = 0;
        chooseColor(fx.dialog, &result, c.initial);
        EXPECT_EQ(c.expected, result);
        EXPECT_EQ(sizeof(CHOOSECOLORA), g_call.record.lStructSize);
        EXPECT_EQ(fx.dialog->hwnd, g_call.record.hwndOwner);
        EXPECT_EQ(c.initial, g_call.record.rgbResult);
        EXPECT_EQ((DWORD)(CC_RGBINIT | CC_FULLOPEN), g_call.record.Flags);
        EXPECT_EQ(customColors(), g_call.record.lpCustColors);
        EXPECT_FALSE(g_call.ownerEnabled);  // inside a modal scope
        EXPECT_TRUE(IsWindowEnabled(fx.dialog->hwnd));
        EXPECT_EQ(GetCurrentThreadId(), g_call.thread);
    }
    EXPECT_EQ(RGB(1, 2, 3), customColors()[3]);  // kept for the next use

    // From a worker: the chooser runs on this thread while the worker waits.
    g_answer = TRUE;
    g_picked = RGB(20, 30, 40);
    std::atomic<bool> done{false};
    COLORREF result = 0;
    std::thread worker([&] {
        chooseColor(fx.dialog, &result, RGB(0, 0, 0));
        done = true;
    });
    EXPECT_TRUE(pumpUntil([&] { return done.load(); }, 5000));
    worker.join();
    EXPECT_EQ(RGB(20, 30, 40), result);
    EXPECT_EQ(GetCurrentThreadId(), g_call.thread);
    setChooseColorFunction(nullptr);
    customColors()[3] = 0;
}

namespace {
// Ends the system chooser once it shows: OK after setting nothing (its colour stays the initial one),
// or Cancel.
WPARAM g_endWith = IDCANCEL;
bool g_chooserSeen = false;
void CALLBACK endChooser(HWND, UINT, UINT_PTR timer, DWORD) {
    DWORD self = GetCurrentProcessId();
    for (HWND w = FindWindowA("#32770", nullptr); w; w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process != self || !IsWindowVisible(w)) continue;
        g_chooserSeen = true;
        KillTimer(nullptr, timer);
        // Not visible, so that its end does not wait for the display's focus events.
        SetWindowLongA(w, GWL_STYLE, GetWindowLongA(w, GWL_STYLE) & ~WS_VISIBLE);
        PostMessageA(w, WM_COMMAND, g_endWith, 0);
        return;
    }
}
}  // namespace

TEST(SystemColorChooser, TheRealChooserAnswersTheInitialColourOnCancelAndOk) {
    Fixture fx;
    for (WPARAM end : {(WPARAM)IDCANCEL, (WPARAM)IDOK}) {
        g_endWith = end;
        g_chooserSeen = false;
        UINT_PTR timer = SetTimer(nullptr, 0, 30, endChooser);
        COLORREF result = 0;
        chooseColor(fx.dialog, &result, RGB(12, 34, 56));
        KillTimer(nullptr, timer);
        EXPECT_TRUE(g_chooserSeen);
        // Cancel answers the initial colour; OK the chooser's colour, which started there.
        EXPECT_EQ(RGB(12, 34, 56), result) << end;
        EXPECT_TRUE(IsWindowEnabled(fx.dialog->hwnd));
    }
}
