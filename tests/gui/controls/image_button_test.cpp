// The image button on a real dialog: placement of its image and its preferred size.
#include <gtest/gtest.h>

#include <vector>

#include "gui/controls/image_button.h"
#include "gui/kernel/life_record.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/layout/layout_transaction.h"
#include "tests/gui/control_fixture.h"

using namespace controls;

namespace {
const COLORREF kCorner = RGB(255, 0, 0);  // the 4 x 4 top-left block of the 40 x 30 fixture
const COLORREF kBody = RGB(0, 0, 255);

RECT paintedCorner(GImageButton* button, const RECT& rect) {
    button->setRect(rect);
    RedrawWindow(button->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return boundsOf(button->hwnd, kCorner);
}
}  // namespace

TEST(ImageButton, ImageCentredWithRoomElseFromTheTopLeft) {
    ColumnFixture f;
    GImageButton* button = addImageButton(f.builder, 9050, 1234, nullptr);
    f.layout();
    EXPECT_EQ(1234u, button->command());
    ASSERT_NE(nullptr, button->image);

    RECT big = paintedCorner(button, RECT{0, 0, 100, 80});
    EXPECT_EQ(4, big.right - big.left);
    EXPECT_NEAR(30, big.left, 3);  // (100 - 40) / 2 within the frame
    EXPECT_NEAR(25, big.top, 3);

    // Smaller than the image: the top-left corner stays in view at the frame's edge.
    RECT small = paintedCorner(button, RECT{0, 0, 20, 16});
    EXPECT_EQ(4, small.right - small.left);
    EXPECT_EQ(4, small.bottom - small.top);
    EXPECT_LT(small.left, 5);
    EXPECT_LT(small.top, 5);
    EXPECT_GT(countColour(button->hwnd, RECT{0, 0, 20, 16}, kBody), 0);
}

TEST(ImageButton, TabStopAddsRoomForTheFocusRectangle) {
    ColumnFixture f;
    GImageButton* button = addImageButton(f.builder, 9050, 1, nullptr);
    GImageButton* missing = addImageButton(f.builder, 4711, 2, nullptr);
    EXPECT_EQ(nullptr, missing->image);
    i32 w, h, plainW, plainH;
    button->getPreferredSize(&w, &h);
    SetWindowLongA(button->hwnd, GWL_STYLE, GetWindowLongA(button->hwnd, GWL_STYLE) & ~WS_TABSTOP);
    button->getPreferredSize(&plainW, &plainH);
    EXPECT_EQ(w - 2, plainW);
    EXPECT_EQ(h - 2, plainH);
    EXPECT_EQ(40 + 2 * GetSystemMetrics(SM_CXEDGE) + 4, plainW);
    EXPECT_EQ(30 + 2 * GetSystemMetrics(SM_CYEDGE) + 4, plainH);
    EXPECT_TRUE(button->isKindOf(TypeUserButton));
    EXPECT_STREQ("GImageButton", button->className());
}

TEST(ImageButton, DestroyedAsFocusedDefaultButtonInsideATransaction) {
    ColumnFixture f;
    GImageButton* button = addImageButton(f.builder, 9050, 1, nullptr);
    GImageButton* plain = addImageButton(f.builder, 4711, 2, nullptr);  // no image
    f.layout();
    // The native image is cleared, an icon first, then a bitmap; only where an image is set.
    struct Watch : GItemBase {
        bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t*) override {
            if (message == BM_SETIMAGE) cleared.push_back((i32)wParam * 10 + (lParam != 0));
            return false;
        }
        std::vector<i32> cleared;
    } watch, plainWatch;
    attachWatcher(button, &watch);
    attachWatcher(plain, &plainWatch);
    button->makeDefault();
    button->setFocusSafe();
    ASSERT_EQ(button, focusWindow);
    ASSERT_TRUE(button->isDefaultButton());
    HWND hwnd = button->hwnd;
    {
        LayoutTransaction transaction(f.dialog);
        button->setRect(RECT{5, 5, 60, 50});  // listed in the transaction
        GParentWindow* top = f.dialog;
        f.dialog->flags &= ~WindowDirty;
        DestroyWindow(hwnd);
        EXPECT_EQ((std::vector<i32>{IMAGE_ICON * 10, IMAGE_BITMAP * 10}), watch.cleared);
        EXPECT_EQ(nullptr, focusWindow);
        EXPECT_EQ(nullptr, top->focusChild);
        EXPECT_NE(0u, f.dialog->flags & WindowDirty);
        // Ending the transaction does not reach the dead window.
    }
    EXPECT_FALSE(IsWindow(hwnd));
    DestroyWindow(plain->hwnd);
    EXPECT_TRUE(plainWatch.cleared.empty());
}
