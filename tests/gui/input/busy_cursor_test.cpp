// The busy-cursor hook: a box (a modal scope) opened inside a busy scope shows the arrow, and the
// wait cursor comes back once the last box inside the busy scope has ended.
#include "gui/input/busy_cursor.h"

#include <gtest/gtest.h>

#include "gui/kernel/modal_run.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "tests/gui/gui_fixture.h"

TEST(BusyCursor, ArrowOverBoxesInsideABusyScopeAndWaitAfterThem) {
    TestApplication app;
    GParentWindow main;
    ASSERT_TRUE(createTopLevelWindow(&main, WS_POPUP, 0, "busy"));
    SetWindowPos(main.hwnd, nullptr, 10, 10, 100, 80, SWP_NOZORDER | SWP_SHOWWINDOW);
    HCURSOR wait = LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));
    HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    {
        ModalScope before(&main, nullptr);  // open before the busy scope: remembered, not touched
        {
            BusyCursor busy;
            EXPECT_EQ(wait, GetCursor());
            {
                BusyCursor nested;  // appends no second hook
                ModalScope box(&main, nullptr);
                EXPECT_EQ(arrow, GetCursor());
                {
                    ModalScope inner(&main, nullptr);
                    EXPECT_EQ(arrow, GetCursor());
                }
                EXPECT_EQ(arrow, GetCursor());  // the outer box is still up
            }
            EXPECT_EQ(wait, GetCursor());
            u32 hooks = 0;
            for (ListenerNode* n = app.app.eventList.first; n; n = n->next) ++hooks;
            EXPECT_EQ(1u, hooks);
        }
        EXPECT_EQ(arrow, GetCursor());
        SetCursor(wait);
    }
    EXPECT_EQ(wait, GetCursor());  // the remembered scope's end is only forgotten
    DestroyWindow(main.hwnd);
}
