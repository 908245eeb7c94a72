// The wrapping label, the image label and the drawer window on a real dialog.
#include <gtest/gtest.h>

#include <string>

#include "gui/controls/image_label.h"
#include "gui/controls/multi_label.h"
#include "gui/kernel/drawer_window.h"
#include "gui/paint/saved_dc.h"
#include "tests/gui/control_fixture.h"

using namespace controls;

namespace {
std::string clipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "<closed>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = (const char*)GlobalLock(data);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void clearClipboard() {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    CloseClipboard();
}

class ColourDrawer : public GDrawer {
public:
    explicit ColourDrawer(bool* deleted) : deleted(deleted) {}
    ~ColourDrawer() override { *deleted = true; }
    void paint(GSavedDC& dc, const RECT& rect) override {
        HBRUSH brush = CreateSolidBrush(RGB(0, 200, 0));
        FillRect(dc.dc(), &rect, brush);
        DeleteObject(brush);
    }
    bool* deleted;
};
}  // namespace

TEST(MultiLabel, BothBarsWrapAtTheWidthLessTheVerticalBar) {
    ColumnFixture f;
    std::string text = "Averyveryverylongwordthatcannotbebrokenanywhereatall";
    for (int i = 0; i < 30; ++i) text += " line";
    GMultiLabel* label = GMultiLabel::create(f.builder, text.c_str(), 100, 50, MultiWidthPixels | MultiHeightPixels);
    label->setRect(RECT{0, 0, 150, 80});
    LONG style = GetWindowLongA(label->hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(style & WS_HSCROLL);
    EXPECT_EQ(150 - GetSystemMetrics(SM_CXVSCROLL), label->wrapWidth);
    EXPECT_EQ(label->textSize.cx, label->horizontal.total);
    // Short text: no bars, the whole width.
    label->setText("Short");
    style = GetWindowLongA(label->hwnd, GWL_STYLE);
    EXPECT_FALSE(style & (WS_VSCROLL | WS_HSCROLL));
    EXPECT_EQ(150, label->wrapWidth);
    // Margins of the border style.
    GMultiLabel* bordered = GMultiLabel::create(f.builder, "x", 10, 10, MultiBorder);
    EXPECT_EQ(4, bordered->horizontal.leadingInset);
    bordered->resetSpacing();
    EXPECT_EQ(20, bordered->vertical.trailingInset);
}

TEST(MultiLabel, PreferredSizePolicies) {
    ColumnFixture f;
    GMultiLabel* label = GMultiLabel::create(f.builder, "One two three four five six seven", 60, 40,
                                             MultiWidthPixels | MultiHeightPixels);
    i32 w = -1, h = -1;
    label->getPreferredSize(&w, &h);
    EXPECT_EQ(60 + GetSystemMetrics(SM_CXVSCROLL), w);  // above the limit: room for the bar
    EXPECT_EQ(40, h);
    label->setText("One");
    w = -1;
    label->getPreferredSize(&w, &h);
    EXPECT_EQ(60, w);
    EXPECT_EQ(40, h);  // grows to the limit
    label->style |= MultiNoGrow;
    w = -1;
    label->getPreferredSize(&w, &h);
    EXPECT_LT(h, 40);
    label->style = MultiWidthPixels | MultiHeightPixels | MultiShrink;
    label->widthValue = 1000;
    w = -1;
    label->getPreferredSize(&w, &h);
    EXPECT_LT(w, 1000);
}

TEST(MultiLabel, CopiesOnTheRightReleaseOnly) {
    ColumnFixture f;
    GMultiLabel* copying = GMultiLabel::create(f.builder, "Copied text", 100, 30, MultiWidthPixels | MultiHeightPixels | MultiCopy);
    f.layout();
    clearClipboard();
    SendMessageA(copying->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(copying->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    SendMessageA(copying->hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ("", clipboardText());
    SendMessageA(copying->hwnd, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ("Copied text", clipboardText());
}

TEST(ImageLabel, PressOffersAControlEventUp) {
    ColumnFixture f;
    GImageLabel* image = addImageLabel(f.builder, 9030, ImageShadow, "<-");
    GImageLabel* none = GImageLabel::create(f.builder, 4711);
    f.layout();
    SetWindowLongA(image->hwnd, GWL_ID, 1234);
    i32 w, h;
    image->getPreferredSize(&w, &h);
    EXPECT_EQ(11 + 2, w);
    none->getPreferredSize(&w, &h);
    EXPECT_EQ(0, w);
    SendMessageA(image->hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
    ASSERT_EQ(1u, f.dialog->controlCommands.size());
    EXPECT_EQ(image, f.dialog->controlCommands[0].source);
    EXPECT_EQ(1234, f.dialog->controlCommands[0].value);
    SendMessageA(image->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(1u, f.dialog->controlCommands.size());
}

TEST(DrawerWindow, TakesTheDrawerFromTheHolder) {
    bool deleted = false;
    {
        ColumnFixture f;
        GDrawerHolder holder{new ColourDrawer(&deleted), true};
        GDrawerWindow* window = GDrawerWindow::create(f.builder, 30, 20, holder);
        EXPECT_EQ(nullptr, holder.drawer);
        EXPECT_EQ('|', window->hAlign);
        f.layout();
        EXPECT_EQ(RGB(0, 200, 0), pixelAt(window->hwnd, 5, 5));
        i32 w = -1, h = -1;
        window->getPreferredSize(&w, &h);
        EXPECT_EQ(30, w);
        EXPECT_EQ(20, h);
    }
    EXPECT_TRUE(deleted);
}

TEST(ImageLabel, ShadowFallsDownAndRightOfTheImage) {
    ColumnFixture f;
    GImageLabel* shadowed = addImageLabel(f.builder, 9050, ImageShadow, "<^");
    GImageLabel* plain = addImageLabel(f.builder, 9050, 0, "<^");
    f.layout();
    // The 40 x 30 image sits 1 pixel in from the top-left of its 42 x 32 box; the shadow takes
    // the 2 pixels beyond its right and bottom edges.
    const COLORREF blue = RGB(0, 0, 255), background = pixelAt(shadowed->hwnd, 41, 0);
    EXPECT_EQ(RGB(255, 0, 0), pixelAt(shadowed->hwnd, 1, 1));
    EXPECT_EQ(blue, pixelAt(shadowed->hwnd, 40, 30));
    for (POINT p : {POINT{41, 31}, POINT{41, 10}, POINT{10, 31}}) {
        COLORREF c = pixelAt(shadowed->hwnd, p.x, p.y);
        EXPECT_NE(background, c) << p.x << "," << p.y;
        EXPECT_LT(GetRValue(c) + GetGValue(c) + GetBValue(c), GetRValue(background) + GetGValue(background) + GetBValue(background))
            << p.x << "," << p.y;
    }
    EXPECT_EQ(background, pixelAt(shadowed->hwnd, 0, 31));  // left of the shadow
    EXPECT_EQ(RGB(255, 0, 0), pixelAt(plain->hwnd, 0, 0));
    EXPECT_EQ(blue, pixelAt(plain->hwnd, 39, 29));
}
