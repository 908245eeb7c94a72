// The value dialog's body in a real dialog window.
#include "app/value_dialog_body.h"

#include <gtest/gtest.h>

#include "gui/controls/value_field.h"
#include "gui/kernel/dialog.h"
#include "tests/gui/gui_fixture.h"

TEST(ValueDialogBody, ButtonsByHelpPageAndWindowStyles) {
    TestApplication app;
    const LevelRange range = {{1, 1, 1, 1}, -32768, 32767, -2, 2, -96, 6};
    const struct {
        const char* help;
        bool helpButton;
    } cases[] = {{nullptr, false}, {"", false}, {"amplify.htm", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.help ? c.help : "(none)");
        LevelValue value;
        GDialog* dialog = new GDialog(nullptr, c.help);  // deleted with its window
        ValueField* field = buildValueDialogBody(dialog, "Amplify", "Gain of the selection:", &value, range);
        ASSERT_NE(field, nullptr);
        HWND hwnd = dialog->hwnd;
        char title[64] = {};
        GetWindowTextA(hwnd, title, sizeof title);
        EXPECT_STREQ(title, "Amplify");
        const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
        for (LONG bit : {(LONG)WS_POPUP, (LONG)WS_CAPTION, (LONG)WS_SYSMENU, (LONG)WS_THICKFRAME})
            EXPECT_EQ(style & bit, bit) << std::hex << bit;
        EXPECT_EQ(GetWindowLongA(hwnd, GWL_EXSTYLE) & ~(LONG)WS_EX_WINDOWEDGE, 0);
        EXPECT_NE(GetDlgItem(hwnd, IDOK), nullptr);
        EXPECT_NE(GetDlgItem(hwnd, IDCANCEL), nullptr);
        EXPECT_EQ(GetDlgItem(hwnd, 9) != nullptr, c.helpButton);
        RECT r;
        GetWindowRect(hwnd, &r);
        EXPECT_GT(r.right - r.left, 100);
        DestroyWindow(hwnd);
    }
}
