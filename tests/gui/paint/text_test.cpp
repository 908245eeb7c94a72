#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/wide_text.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/drawable.h"
#include "gui/paint/fonts.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"
#include "tests/gui/dib_canvas.h"

namespace {
const COLORREF kWhite = RGB(255, 255, 255);

SIZE wideExtent(HDC dc, const wchar_t* text) {
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, text, (int)wcslen(text), &size);
    return size;
}

// The leftmost and rightmost columns with ink, -1 without any.
struct Ink {
    i32 first, last;
};
Ink inkColumns(const DibCanvas& canvas) {
    i32 first = -1, last = -1;
    for (i32 x = 0; x < canvas.width; ++x)
        for (i32 y = 0; y < canvas.height; ++y)
            if (canvas.pixel(x, y) != kWhite) {
                if (first < 0) first = x;
                last = x;
            }
    return {first, last};
}

// The code page of the conversions, put back after each test.
class TextTest : public ::testing::Test {
protected:
    void TearDown() override { setProcessCodePage(savedCodePage); }
    u32 savedCodePage = processCodePage();
};
}  // namespace

TEST_F(TextTest, MeasuresInTheLanguagesCodePage) {
    DibCanvas canvas(4, 4);
    GSavedDC dc(canvas.dc());
    dc.selectFont(getMessageFont()->font);
    HDC h = dc.dc();
    for (u32 codePage : {1252u, 1251u}) {
        setProcessCodePage(codePage);
        const wchar_t* wide = codePage == 1252 ? L"caf\u00e9 \u00e9t\u00e9" : L"caf\u0439 \u0439t\u0439";
        SIZE expected = wideExtent(h, wide);
        SIZE measured = textWidth(h, "caf\xE9 \xE9t\xE9");
        EXPECT_EQ(measured.cx, expected.cx) << codePage;
        EXPECT_EQ(measured.cy, expected.cy);
    }
    EXPECT_EQ(textExtentW(h, "Hello world", 5).cx, wideExtent(h, L"Hello").cx);
    EXPECT_EQ(textPrefixWidth(h, "Hello world", 5), wideExtent(h, L"Hello").cx);
    EXPECT_EQ(measureCharX(h).cx, wideExtent(h, L"X").cx);
    EXPECT_EQ(textWidth(h, nullptr).cx, 0);

    TEXTMETRICW metrics;
    GetTextMetricsW(h, &metrics);
    SIZE average = fontMetrics(h);
    EXPECT_EQ(average.cx, metrics.tmAveCharWidth);
    EXPECT_EQ(average.cy, metrics.tmHeight);

    // A long text goes to the heap buffer.
    std::string longText(400, 'w');
    std::wstring longWide(400, L'w');
    EXPECT_EQ(textWidth(h, longText.c_str()).cx, wideExtent(h, longWide.c_str()).cx);
}

TEST_F(TextTest, FontsAreMeasuredOnTheSharedScreenDC) {
    FontHolder* message = getMessageFont();
    ASSERT_NE(message->font, nullptr);
    EXPECT_TRUE(message->owned);
    EXPECT_EQ(getMessageFont(), message);
    EXPECT_NE(getMenuFont()->font, nullptr);

    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HGDIOBJ old = SelectObject(screen, message->font);
    SIZE hello = wideExtent(screen, L"Hello");
    SIZE x = wideExtent(screen, L"X");
    SelectObject(screen, old);
    SIZE defaultX = wideExtent(screen, L"X");
    DeleteDC(screen);

    EXPECT_EQ(textExtent(message, "Hello").cx, hello.cx);
    EXPECT_EQ(textExtent(message, "Hello", 5).cy, hello.cy);
    resetSystemMetricsCache();
    EXPECT_EQ(getUiFontMetrics(message).cx, x.cx);
    EXPECT_EQ(getUiFontMetrics(nullptr).cx, defaultX.cx);
    EXPECT_EQ(getUiFontMetrics(message).cy, x.cy);  // from the cache, with the default font selected
    EXPECT_EQ(GetCurrentObject(screenDC().dc(), OBJ_FONT), GetStockObject(SYSTEM_FONT));
}

TEST_F(TextTest, TextBlocksWrapInTheirWidth) {
    DibCanvas canvas(4, 4);
    GSavedDC dc(canvas.dc());
    dc.selectFont(getMessageFont()->font);
    HGDIOBJ font = GetCurrentObject(dc.dc(), OBJ_FONT);
    const char* text = "one two three four five six seven eight nine ten";
    SIZE line = textWidth(dc.dc(), "one");
    SIZE wide = measureTextBlock(dc.dc(), text, -1, 2000);
    SIZE narrow = measureTextBlock(dc.dc(), text, -1, 60);
    EXPECT_EQ(wide.cx, textWidth(dc.dc(), text).cx - 1);
    EXPECT_EQ(wide.cy, line.cy);
    EXPECT_GE(narrow.cy, 4 * line.cy);
    EXPECT_LT(narrow.cx, 60);
    EXPECT_EQ(measureTextBlock(dc.dc(), nullptr, -1, 100).cx, 0);
    EXPECT_EQ(measureTextBlock(dc.dc(), text, 3, 2000).cx, line.cx - 1);
    EXPECT_EQ(GetCurrentObject(dc.dc(), OBJ_FONT), font);
    EXPECT_EQ(measureTextBlockIn(getMessageFont(), text, -1, 60).cy, narrow.cy);
}

TEST_F(TextTest, AlignedTextConsumesTheWidthItUses) {
    DibCanvas canvas(200, 20, kWhite);
    GSavedDC dc(canvas.dc());
    dc.selectFont(getMessageFont()->font);
    i32 width = textWidth(dc.dc(), "Label").cx;
    struct Case {
        char horizontal;
        RECT rect, expected;
    };
    const Case cases[] = {
        {'<', {10, 0, 190, 20}, {10 + width - 1, 0, 190, 20}},
        {'>', {10, 0, 190, 20}, {10, 0, 190 - (width - 1), 20}},
        {'|', {10, 0, 190, 20}, {190, 0, 190, 20}},
        {'<', {10, 0, 14, 20}, {14, 0, 14, 20}},  // narrower than the text: left reaches right
        {'>', {10, 0, 14, 20}, {10, 0, 10, 20}},
    };
    for (const Case& c : cases) {
        canvas.clear(kWhite);
        RECT r = c.rect;
        drawTextAligned(dc, r, "Label", c.horizontal, '-', DT_SINGLELINE);
        EXPECT_EQ(r.left, c.expected.left) << c.horizontal;
        EXPECT_EQ(r.right, c.expected.right) << c.horizontal;
        auto ink = inkColumns(canvas);
        if (c.rect.right - c.rect.left > width) {
            if (c.horizontal == '<') {
                EXPECT_LT(ink.first, 14);
            }
            if (c.horizontal == '>') {
                EXPECT_GT(ink.last, 180);
            }
        }
    }
    RECT empty = {50, 0, 50, 20};
    drawTextAligned(dc, empty, "Label", '<', '-', 0);
    EXPECT_EQ(empty.left, 50);
    RECT some = {10, 0, 100, 20};
    drawTextAligned(dc, some, "", '<', '-', 0);
    EXPECT_EQ(some.left, 10);
}

TEST_F(TextTest, ClippedTextFollowsItsLettersAndSkipsNothingToDraw) {
    DibCanvas canvas(200, 20, kWhite);
    GSavedDC dc(canvas.dc());
    drawTextClipped(dc, RECT{0, 0, 200, 20}, nullptr, -1, '<', '-', 0);
    drawTextClipped(dc, RECT{0, 0, 0, 20}, "Text", -1, '<', '-', 0);
    drawTextClipped(dc, RECT{0, 5, 200, 5}, "Text", -1, '<', '-', 0);
    EXPECT_EQ(canvas.countOther(kWhite), 0);

    drawTextClipped(dc, RECT{0, 0, 200, 20}, "Text", -1, '>', '-', 0);
    auto right = inkColumns(canvas);
    EXPECT_GT(right.first, 150);
    canvas.clear(kWhite);
    drawTextClipped(dc, RECT{0, 0, 200, 20}, "Text", -1, '|', '-', 0);
    auto centred = inkColumns(canvas);
    EXPECT_NEAR((centred.first + centred.last) / 2, 100, 3);
    canvas.clear(kWhite);
    drawTextClipped(dc, RECT{0, 0, 200, 20}, "Text and more", 4, '<', '^', 0);
    EXPECT_LT(inkColumns(canvas).last, right.last - right.first + 4);

    RECT failed = {1, 2, 3, 4};
    EXPECT_EQ(drawTextW(nullptr, &failed, "Text", -1, 0), 0);
    EXPECT_EQ(failed.right, 0);
    EXPECT_EQ(failed.bottom, 0);
}

namespace {
// A 6x4 block that paints beyond itself, to show the clip.
class Block : public GDrawable {
public:
    SIZE size() override { return {6, 4}; }
    void drawAt(GSavedDC& dc, i32 x, i32 y, i32 w, i32 h) override {
        RECT r = {x - 10, y - 10, x + w + 10, y + h + 10};
        FillRect(dc.dc(), &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
    }
    void draw(GSavedDC& dc, i32 x, i32 y) override {
        drawAt(dc, x, y, 6, 4);
        lastX = x;
        lastY = y;
    }
    i32 lastX = 0, lastY = 0;
};
}  // namespace

TEST_F(TextTest, ImagesArePlacedClippedAndConsumed) {
    DibCanvas canvas(40, 20, kWhite);
    GSavedDC dc(canvas.dc());
    Block block;
    RECT r = {5, 2, 35, 12};
    clipToRectAligned(dc, r, &block, '>');
    EXPECT_EQ(block.lastX, 29);
    EXPECT_EQ(block.lastY, 5);  // centred vertically
    EXPECT_EQ(r.right, 29);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(canvas.countOther(kWhite), (35 - 19) * 10);  // the fill stayed in the rectangle
    RECT none = r;
    clipToRectAligned(dc, none, nullptr, '<');
    EXPECT_EQ(none.left, r.left);
}

TEST_F(TextTest, ColourCellsShowTheirColourOrTheirText) {
    DibCanvas canvas(40, 16, RGB(9, 9, 9));
    GSavedDC dc(canvas.dc());
    drawColorCell(dc, RECT{0, 0, 20, 16}, RGB(0, 200, 0), "none");
    EXPECT_EQ(canvas.pixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(canvas.pixel(1, 1), kWhite);
    EXPECT_EQ(canvas.pixel(10, 8), RGB(0, 200, 0));
    EXPECT_EQ(canvas.pixel(17, 13), RGB(0, 200, 0));
    EXPECT_EQ(canvas.pixel(18, 14), kWhite);

    drawColorCell(dc, RECT{20, 0, 40, 16}, 0xFFFFFFFF, "ab");
    i32 ink = 0, background = 0;
    for (i32 y = 2; y < 14; ++y)
        for (i32 x = 22; x < 38; ++x) {
            COLORREF p = canvas.pixel(x, y);
            background += p == RGB(9, 9, 9);
            ink += p != RGB(9, 9, 9);
        }
    EXPECT_GT(ink, 5);  // the text, on a transparent background
    EXPECT_GT(background, 50);
}
