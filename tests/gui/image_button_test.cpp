// The image button on a real dialog: placement of its image and its preferred size.
#include <gtest/gtest.h>

#include "gui/image_button.h"
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
