// The Welcome page in a main window: its rows, the hover texts in its status line, the menu bar of
// its kind and the product picture's pixels.
#include "shell/welcome_page.h"

#include <gtest/gtest.h>

#include "app/program_texts.h"
#include "gui/controls/button.h"
#include "gui/controls/status_line.h"
#include "gui/layout/strip_item.h"
#include "gui/menus/menu.h"
#include "gui/paint/bitmaps.h"
#include "shell/welcome_link.h"
#include "tests/shell/main_window_fixture.h"

TEST_F(MainWindowTest, WelcomeRowsHoverTextsAndPicture) {
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    // The Welcome kind's menu bar, without a tool bar.
    HMENU bar = GetMenu(w->hwnd);
    ASSERT_NE(nullptr, bar);
    std::vector<std::string> menus;
    for (i32 i = 0; i < GetMenuItemCount(bar); ++i) menus.push_back(menuStringAt(bar, i).c_str());
    EXPECT_EQ((std::vector<std::string>{"&File", "&Window", "&Help"}), menus);
    EXPECT_TRUE(w->dock->rows.empty() || w->dock->rows[0].empty());
    WelcomePage* page = dynamic_cast<WelcomePage*>(w->currentPage());
    ASSERT_NE(nullptr, page);
    pumpUntil([] { return false; }, 50);

    // MDEditor and Instrument rows are there but disabled; rows without an open action have no ">>".
    for (u32 i : {1u, 2u, 3u, 4u, 5u, 8u, 9u, 12u, 13u, 14u}) {
        const WelcomeLinkRecord& link = page->links[i];
        ASSERT_NE(nullptr, link.linkButton) << i;
        bool enabled = i != 2 && i != 8;
        EXPECT_EQ(enabled, IsWindowEnabled(link.linkButton->hwnd) != FALSE) << i;
        EXPECT_EQ(link.openAction >= 0, link.openButton != nullptr) << i;
        if (link.openButton) {
            EXPECT_EQ(enabled, IsWindowEnabled(link.openButton->hwnd) != FALSE) << i;
        }
    }
    EXPECT_EQ(nullptr, page->links[4].openButton);
    EXPECT_EQ(nullptr, page->links[13].openButton);

    auto moveOver = [&](HWND target, i32 x, i32 y) {
        PostMessageA(target, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        pumpUntil([&] {
            MSG m;
            return !PeekMessageA(&m, target, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE);
        });
    };
    auto shown = [&] {
        StatusField* field = page->statusLine->field(0);
        return std::string(field && field->text ? field->text : "");
    };
    u32 writes = page->statusWrites;
    moveOver(page->links[1].linkButton->hwnd, 3, 3);
    moveOver(page->links[1].linkButton->hwnd, 9, 4);
    moveOver(page->links[1].openButton->hwnd, 2, 2);
    EXPECT_EQ(writes + 1, page->statusWrites);
    EXPECT_EQ(std::string(ravoText(RavoText::WelcomeEditorHint)) + ravoText(RavoText::WelcomeOpenHint), shown());
    moveOver(page->links[13].linkButton->hwnd, 3, 3);
    EXPECT_EQ(writes + 2, page->statusWrites);
    EXPECT_EQ(ravoText(RavoText::WelcomeAcmHint), shown());
    moveOver(w->hwnd, 2, 2);
    EXPECT_EQ(ravoText(RavoText::WelcomeDefaultHint), shown());

    // The picture: centred on the face colour, drawn pixel for pixel.
    HWND link = page->picture->hwnd;
    RedrawWindow(link, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT client;
    GetClientRect(link, &client);
    GBitmap* picture = getCachedImage(ProductImage);
    ASSERT_NE(nullptr, picture->bitmap);
    EXPECT_EQ(picture->width + 20, client.right);
    EXPECT_EQ(picture->height + 20, client.bottom);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, picture->bitmap);
    HDC dc = GetDC(link);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetPixel(dc, 3, 3));
    for (POINT p : {POINT{0, 0}, POINT{picture->width / 2, picture->height / 2}, POINT{picture->width - 1, 30}})
        EXPECT_EQ(GetPixel(memory, p.x, p.y), GetPixel(dc, p.x + 10, p.y + 10)) << p.x << "," << p.y;
    ReleaseDC(link, dc);
    SelectObject(memory, old);
    DeleteDC(memory);
}
