#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gui/controls/line_window.h"
#include "gui/controls/status_line.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/paint/colors.h"
#include "gui/paint/gui_settings.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"

namespace {

const i32 kHeight = 24;

class StatusLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        guiSettings.background = RGB(192, 192, 192);
        guiSettings.style = 2;
        applyColorScheme();
        host = new GParentWindow;
        ASSERT_TRUE(createTopLevelWindow(host, WS_POPUP, WS_EX_TOPMOST, "status"));
        SetWindowPos(host->hwnd, nullptr, 40, 40, 480, 40, SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOZORDER);
        line = new GStatusLine(host);
        ASSERT_TRUE(line->create());
    }
    void TearDown() override {
        DestroyWindow(host->hwnd);  // deletes both
        guiSettings = saved;
        applyColorScheme();
    }
    // The line at the width, painted and copied from the screen.
    void grab(DibCanvas& canvas) {
        SetWindowPos(line->hwnd, nullptr, 0, 0, canvas.width, canvas.height, SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(line->hwnd, nullptr, TRUE);
        UpdateWindow(line->hwnd);
        HDC dc = GetDC(line->hwnd);
        BitBlt(canvas.dc(), 0, 0, canvas.width, canvas.height, dc, 0, 0, SRCCOPY);
        ReleaseDC(line->hwnd, dc);
    }
    // x of each groove met on the middle row (light shade, then dark shade to its right).
    static std::vector<i32> grooves(const DibCanvas& canvas) {
        std::vector<i32> found;
        for (i32 x = 0; x + 1 < canvas.width; x++)
            if (canvas.pixel(x, kHeight / 2) == toolkitColors.lightShade &&
                canvas.pixel(x + 1, kHeight / 2) == toolkitColors.darkShade)
                found.push_back(x);
        return found;
    }
    static bool isInk(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 200; }
    static bool isRed(COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) < 100 && GetBValue(c) < 100; }
    // Columns in [from, to) holding a pixel that passes the test; rows 2..height-3.
    template <class Test>
    static std::vector<i32> inkColumns(const DibCanvas& canvas, i32 from, i32 to, Test test) {
        std::vector<i32> columns;
        for (i32 x = from; x < to; x++)
            for (i32 y = 2; y < canvas.height - 2; y++)
                if (test(canvas.pixel(x, y))) {
                    columns.push_back(x);
                    break;
                }
        return columns;
    }

    // The tallest run of ink rows over the columns from..to.
    static i32 tallestInk(const DibCanvas& canvas, i32 from, i32 to) {
        i32 tallest = 0;
        for (i32 x = from; x <= to; x++) {
            i32 top = -1, bottom = -1;
            for (i32 y = 2; y < canvas.height - 2; y++)
                if (isInk(canvas.pixel(x, y))) {
                    if (top < 0) top = y;
                    bottom = y;
                }
            if (top >= 0) tallest = std::max(tallest, bottom - top + 1);
        }
        return tallest;
    }

    TestApplication test;
    GGuiSettings saved = guiSettings;
    GParentWindow* host = nullptr;
    GStatusLine* line = nullptr;
};

TEST_F(StatusLineTest, FieldsPackFromBothEndsWithGrooves) {
    ASSERT_NE(toolkitColors.lightShade, toolkitColors.darkShade);
    line->setFieldText(0, "One");
    line->setFieldText(1, "Two");
    line->setFieldText(2, "Three");
    line->setFieldText(3, "End");
    line->field(3)->align = '>';
    DibCanvas canvas(400, kHeight);
    grab(canvas);
    saveShot(canvas, "status_line.bmp");
    // The first '<' field's groove starts outside the line: only its dark half shows at x 0.
    EXPECT_EQ(canvas.pixel(0, kHeight / 2), toolkitColors.darkShade);
    std::vector<i32> found = grooves(canvas);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_GT(found[2], 330);  // the '>' field sits at the right end
    std::vector<i32> ink = inkColumns(canvas, 0, 400, isInk);
    ASSERT_FALSE(ink.empty());
    EXPECT_GT(ink.back(), found[2]);
    EXPECT_GT(tallestInk(canvas, ink.back() - 2, ink.back()), 6);  // the "d" of "End", not an ellipsis
    EXPECT_LT(ink.back(), 400 - 3);
    for (i32 x : ink) EXPECT_FALSE(x > found[1] + 60 && x < found[2]) << "text between the packed ends at " << x;

    // A '>' field painted first has no groove.
    line->clear();
    line->setFieldText(0, "Alone");
    line->field(0)->align = '>';
    grab(canvas);
    EXPECT_TRUE(grooves(canvas).empty());
    EXPECT_GT(inkColumns(canvas, 0, 400, isInk).front(), 300);
}

TEST_F(StatusLineTest, FieldColoursAndTheBackgroundAroundThem) {
    line->setFieldText(0, "Plain");
    StatusField* warm = line->field(1);
    warm->background = RGB(255, 255, 0);
    warm->textColour = RGB(220, 0, 0);
    line->setFieldText(1, "Warm");
    DibCanvas canvas(300, kHeight);
    grab(canvas);
    std::vector<i32> found = grooves(canvas);
    ASSERT_EQ(found.size(), 1u);
    i32 left = found[0] + 2;  // the fill starts one pixel inside the field
    EXPECT_EQ(canvas.pixel(left, kHeight / 2), RGB(255, 255, 0));
    EXPECT_EQ(canvas.pixel(left, 2), RGB(255, 255, 0));
    EXPECT_FALSE(inkColumns(canvas, left, 300, isRed).empty());
    EXPECT_TRUE(inkColumns(canvas, 0, found[0], isRed).empty());
    // The default field is not filled; beyond the last field the line's own background shows.
    EXPECT_EQ(canvas.pixel(2, kHeight / 2), toolkitColors.classBackground);
    EXPECT_EQ(canvas.pixel(290, kHeight / 2), toolkitColors.classBackground);
    EXPECT_NE(canvas.pixel(290, kHeight / 2), RGB(255, 255, 0));
}

TEST_F(StatusLineTest, ALongTextTakesTheRestAndEndsInAnEllipsis) {
    std::string wide(40, 'H');
    line->setFieldText(0, "Lead");
    line->setFieldText(1, wide.c_str());
    DibCanvas canvas(160, kHeight);
    grab(canvas);
    saveShot(canvas, "status_ellipsis.bmp");
    std::vector<i32> ink = inkColumns(canvas, 0, 160, isInk);
    ASSERT_FALSE(ink.empty());
    EXPECT_LT(ink.back(), 160 - 3);
    // Each H's stems span the letter height; the dots at the end sit on the baseline.
    EXPECT_LE(tallestInk(canvas, ink.back() - 6, ink.back()), 3);
    EXPECT_GT(tallestInk(canvas, ink.back() - 24, ink.back() - 16), 5);
}

TEST_F(StatusLineTest, RecordsTextsAndRepaints) {
    // Field 5 on an empty line: entries 0-4 stay null and are skipped.
    line->setFieldText(5, "Five");
    ASSERT_EQ(line->fields.count, 6u);
    for (u32 i = 0; i < 5; i++) EXPECT_EQ(line->fields.data[i], nullptr);
    EXPECT_EQ(line->field(5)->align, '<');
    EXPECT_EQ(line->field(5)->background, toolkitColors.background);
    DibCanvas canvas(200, kHeight);
    grab(canvas);
    EXPECT_FALSE(inkColumns(canvas, 0, 200, isInk).empty());
    EXPECT_TRUE(grooves(canvas).empty());

    std::string longText(5000, 'a');
    line->setFieldTextF(2, "%s|%d", longText.c_str(), 7);
    EXPECT_EQ(strlen(line->field(2)->text), 4095u);

    line->clearTexts();
    EXPECT_EQ(line->fields.count, 6u);
    EXPECT_EQ(line->field(5)->text, nullptr);
    grab(canvas);
    EXPECT_TRUE(inkColumns(canvas, 0, 200, isInk).empty());
    line->clear();
    EXPECT_EQ(line->fields.count, 0u);
}

// Counts its paints.
class CountingStatusLine : public GStatusLine {
public:
    using GStatusLine::GStatusLine;
    void paint(HDC dc, const RECT& update, bool erase) override {
        paints++;
        GStatusLine::paint(dc, update, erase);
    }
    int paints = 0;
};

TEST_F(StatusLineTest, TextsUnderTheRedrawLockRepaintOnceWhenItEnds) {
    CountingStatusLine* counted = new CountingStatusLine(host);
    ASSERT_TRUE(counted->create());
    SetWindowPos(counted->hwnd, nullptr, 0, 0, 200, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateWindow(counted->hwnd);
    counted->paints = 0;
    counted->beginRedrawLock();
    counted->setFieldText(0, "One");
    counted->setFieldTextF(1, "%d", 2);
    counted->field(2)->align = '>';
    counted->setFieldText(2, "Three");
    UpdateWindow(counted->hwnd);
    EXPECT_EQ(counted->paints, 0);
    EXPECT_TRUE(counted->flags & WindowRepaintPending);
    counted->endRedrawLock();
    UpdateWindow(counted->hwnd);
    UpdateWindow(counted->hwnd);
    EXPECT_EQ(counted->paints, 1);

    i32 width = -1, height = 0;
    counted->getPreferredSize(&width, &height);
    EXPECT_GT(width, 4);
    EXPECT_GT(height, 4);
}

}  // namespace

namespace {

TEST_F(StatusLineTest, LineWindowDrawsAnEtchedLineAtItsFixedSize) {
    GLineN* rule = new GLineN(host);
    ASSERT_TRUE(rule->create());
    i32 width = -1, height = 0;
    rule->getPreferredSize(&width, &height);
    EXPECT_EQ(width, 8);
    EXPECT_EQ(height, 8);
    EXPECT_TRUE(rule->isKindOf(27) && rule->isKindOf(6));
    SetWindowPos(rule->hwnd, nullptr, 0, 30, 40, 8, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateWindow(rule->hwnd);
    DibCanvas canvas(40, 8);
    HDC dc = GetDC(rule->hwnd);
    BitBlt(canvas.dc(), 0, 0, 40, 8, dc, 0, 0, SRCCOPY);
    ReleaseDC(rule->hwnd, dc);
    for (i32 x : {0, 20, 39}) {
        EXPECT_EQ(canvas.pixel(x, 3), toolkitColors.darkShade);
        EXPECT_EQ(canvas.pixel(x, 4), toolkitColors.lightShade);
        EXPECT_EQ(canvas.pixel(x, 0), toolkitColors.classBackground);
    }
}

}  // namespace
