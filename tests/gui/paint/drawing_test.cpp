#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/layout/rect_list.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/gradients.h"
#include "gui/paint/saved_dc.h"
#include "tests/gui/dib_canvas.h"

namespace {
const COLORREF kWhite = RGB(255, 255, 255);

// Draws twice on fresh canvases, once copying and once XOR-ing a white pen: a pixel drawn twice
// vanishes from the XOR picture, so equal pictures mean each pixel was drawn once.
template <class F>
void expectEachPixelOnce(i32 width, i32 height, F&& draw, std::string* picture = nullptr) {
    DibCanvas copied(width, height), xored(width, height);
    {
        GSavedDC dc(copied.dc());
        dc.selectPen(kWhite);
        draw(dc);
    }
    {
        GSavedDC dc(xored.dc());
        dc.selectPen(kWhite);
        SetROP2(xored.dc(), R2_XORPEN);
        draw(dc);
    }
    EXPECT_EQ(xored.mask(), copied.mask());
    if (picture) *picture = copied.mask();
}
}  // namespace

TEST(Lines, CoverBothEndsInEitherOrder) {
    std::string picture;
    expectEachPixelOnce(6, 5, [](GSavedDC& dc) {
        drawLine(dc, 1, 3, 1);
        drawHLine(dc, 5, 3, 4);
    }, &picture);
    EXPECT_EQ(picture,
              "......\n"
              ".#....\n"
              ".#....\n"
              ".#....\n"
              "...###\n");
}

TEST(Lines, RectangleOutlinesDrawEachPixelOnce) {
    struct Case {
        i32 x1, x2, y1, y2;
        const char* picture;
    };
    const Case cases[] = {
        {1, 2, 1, 2, ".....\n.#...\n.....\n.....\n"},
        {3, 1, 3, 1, ".....\n.##..\n.##..\n.....\n"},  // 2x2, corners reversed
        {0, 4, 0, 3, "####.\n#..#.\n####.\n.....\n"},
        {0, 1, 0, 4, "#....\n#....\n#....\n#....\n"},
        {0, 5, 2, 3, ".....\n.....\n#####\n.....\n"},
        {2, 2, 0, 4, ".....\n.....\n.....\n.....\n"},  // zero width
        {0, 5, 1, 1, ".....\n.....\n.....\n.....\n"},  // zero height
    };
    for (const Case& c : cases) {
        std::string picture;
        expectEachPixelOnce(5, 4, [&](GSavedDC& dc) { drawRectOutline(dc, c.x1, c.x2, c.y1, c.y2); }, &picture);
        EXPECT_EQ(picture, c.picture) << c.x1 << "," << c.x2 << "," << c.y1 << "," << c.y2;
    }
}

// Octagons draw each pixel once; the bowed frame's corner strokes cross themselves, so it is
// only held inside its rectangle (its bottom right corner included).
TEST(Lines, CornerFramesStayInsideTheirRectangle) {
    struct Case {
        i32 left, top, right, bottom, r;
        bool drawn;
    };
    const Case cases[] = {
        {2, 2, 20, 14, 2, true},   {2, 2, 20, 14, 1, true},  {0, 0, 11, 9, 3, true},
        {2, 2, 20, 14, -1, true},  {2, 2, 20, 14, -2, true}, {1, 1, 21, 21, -3, true},
        {1, 1, 11, 11, -1, true},  {2, 2, 20, 14, 0, true},
        {2, 2, 6, 14, 2, false},   // r larger than half the width
        {2, 2, 20, 6, -2, false},  // or the height
        {2, 2, 7, 14, -3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.right - c.left << "x" << c.bottom - c.top << " r " << c.r);
        auto draw = [&](GSavedDC& dc) { drawCornerFrame(dc, c.left, c.top, c.right, c.bottom, c.r); };
        DibCanvas canvas(24, 24);
        {
            GSavedDC dc(canvas.dc());
            dc.selectPen(kWhite);
            draw(dc);
        }
        if (c.r >= 0) expectEachPixelOnce(24, 24, draw);
        i32 outside = 0, inside = 0;
        for (i32 y = 0; y < 24; ++y)
            for (i32 x = 0; x < 24; ++x) {
                if (canvas.pixel(x, y) != kWhite) continue;
                bool in = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
                (in ? inside : outside)++;
            }
        EXPECT_EQ(outside, 0) << canvas.mask();
        EXPECT_EQ(inside > 0, c.drawn) << canvas.mask();
        if (c.drawn && c.r < 0) {
            EXPECT_EQ(canvas.pixel(c.left, c.top), kWhite);
            EXPECT_EQ(canvas.pixel(c.right - 1, c.top), kWhite);
            EXPECT_EQ(canvas.pixel(c.left, c.bottom - 1), kWhite);
            EXPECT_EQ(canvas.pixel(c.right - 1, c.bottom - 1), kWhite) << canvas.mask();
        }
    }
}

TEST(Lines, ArrowsMirrorAndTransposeTheLeftArrow) {
    auto draw = [](void (*arrow)(GSavedDC&, i32, i32)) {
        auto canvas = std::make_unique<DibCanvas>(21, 21);
        GSavedDC dc(canvas->dc());
        dc.selectPen(kWhite);
        dc.selectSolidBrush(kWhite);
        arrow(dc, 10, 10);
        return canvas;
    };
    auto left = draw(drawArrowLeft), right = draw(drawArrowRight), up = draw(drawArrowUp), down = draw(drawArrowDown);
    EXPECT_EQ(left->pixel(2, 10), kWhite) << left->mask();  // the tip at x - 8
    EXPECT_EQ(left->pixel(11, 10), kWhite);  // the shaft to x + 1
    EXPECT_EQ(left->pixel(12, 10), 0u);
    EXPECT_EQ(left->pixel(10, 6), kWhite);   // the base corners at y -+ 4
    EXPECT_EQ(left->pixel(10, 14), kWhite);
    for (i32 y = 0; y < 21; ++y)
        for (i32 x = 0; x < 21; ++x) {
            COLORREF p = left->pixel(x, y);
            ASSERT_EQ(right->pixel(20 - x, y), p) << x << "," << y;
            ASSERT_EQ(up->pixel(y, x), p) << x << "," << y;
            ASSERT_EQ(down->pixel(y, 20 - x), p) << x << "," << y;
        }
}

TEST(Lines, DottedLineLeavesGaps) {
    DibCanvas canvas(40, 3);
    GSavedDC dc(canvas.dc());
    drawDottedLine(dc, 0, 1, 40, 1, kWhite);
    i32 drawn = 0;
    for (i32 x = 0; x < 40; ++x) drawn += canvas.pixel(x, 1) == kWhite;
    EXPECT_GT(drawn, 5);
    EXPECT_LT(drawn, 35);
    EXPECT_EQ(canvas.countOther(0), drawn);
}

TEST(Fills, SkipEmptyRectanglesAndKeepTheWrappersObjects) {
    DibCanvas canvas(8, 8);
    GSavedDC dc(canvas.dc());
    dc.selectSolidBrush(RGB(0, 0, 255));
    for (RECT r : {RECT{4, 1, 4, 6}, RECT{5, 1, 2, 6}, RECT{1, 6, 6, 2}}) {
        fillSolidRect(dc, r, kWhite);
        fillCurrentBrush(dc, r);
    }
    EXPECT_EQ(canvas.countOther(0), 0);
    fillSolidRect(dc, RECT{1, 1, 3, 2}, kWhite);
    fillCurrentBrush(dc, RECT{5, 5, 8, 8});
    EXPECT_EQ(canvas.pixel(2, 1), kWhite);
    EXPECT_EQ(canvas.pixel(7, 7), RGB(0, 0, 255));
    EXPECT_EQ(canvas.countOther(0), 2 + 9);
}

TEST(Fills, RectListFillsTheAreaAroundAHoleAndKeepsTheBrush) {
    DibCanvas canvas(10, 10);
    GSavedDC dc(canvas.dc());
    dc.selectSolidBrush(RGB(0, 0, 255));
    HGDIOBJ brush = GetCurrentObject(dc.dc(), OBJ_BRUSH);
    RectangleList list;
    list.add(RECT{1, 1, 9, 9});
    list.subtract(RECT{3, 3, 6, 6});
    list.add(RECT{7, 0, 7, 5});  // empty: skipped
    fillRectList(dc, list, kWhite);
    EXPECT_EQ(canvas.countOther(0), 64 - 9);
    EXPECT_EQ(canvas.pixel(4, 4), 0u);  // the hole
    EXPECT_EQ(canvas.pixel(1, 8), kWhite);
    EXPECT_EQ(GetCurrentObject(dc.dc(), OBJ_BRUSH), brush);
}

// Each cached brush is kept while its colour stays and made anew (the old one deleted) when the
// colour changes.
TEST(Fills, CachedBrushesFollowTheirColours) {
    struct Case {
        const char* name;
        COLORREF* colour;
        HBRUSH (*brush)();
    };
    const Case cases[] = {
        {"background", &toolkitColors.classBackground, backgroundBrush},
        {"selection", &toolkitColors.selection, getSelectionBrush},
        {"solid", &toolkitColors.window, getSolidBrush},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        COLORREF saved = *c.colour;
        *c.colour = RGB(1, 2, 3);
        HBRUSH first = c.brush();
        EXPECT_EQ(c.brush(), first);
        LOGBRUSH info;
        ASSERT_TRUE(GetObjectA(first, sizeof info, &info));
        EXPECT_EQ(info.lbColor, RGB(1, 2, 3));
        *c.colour = RGB(4, 5, 6);
        HBRUSH second = c.brush();
        ASSERT_TRUE(GetObjectA(second, sizeof info, &info));
        EXPECT_EQ(info.lbColor, RGB(4, 5, 6));
        EXPECT_EQ(GetObjectType(first), 0u);  // the old brush was deleted
        EXPECT_EQ(c.brush(), second);
        *c.colour = saved;
    }
}

TEST(Gradients, ExactEndFinishesOnTheSecondColour) {
    const COLORREF from = RGB(0, 0, 0), to = RGB(200, 100, 40);
    for (bool vertical : {true, false}) {
        SCOPED_TRACE(vertical);
        DibCanvas canvas(10, 10, kWhite);
        GSavedDC dc(canvas.dc());
        gradientRect(dc, RECT{0, 0, 10, 10}, from, to, vertical, true);
        for (i32 i = 0; i < 10; ++i) {
            EXPECT_EQ(vertical ? canvas.pixel(i, 9) : canvas.pixel(9, i), to);
            EXPECT_EQ(vertical ? canvas.pixel(i, 0) : canvas.pixel(0, i), from);
        }
        // Inside, the channels grow towards the end.
        COLORREF middle = canvas.pixel(5, 5);
        EXPECT_GT(GetRValue(middle), 0);
        EXPECT_LT(GetRValue(middle), 200);
    }
    // One row with exactEnd is the second colour alone.
    DibCanvas line(4, 1);
    GSavedDC dc(line.dc());
    gradientRect(dc, RECT{0, 0, 4, 1}, from, to, true, true);
    EXPECT_EQ(line.countOther(to), 0);
}

TEST(Gradients, StepsOfAFourteenPixelExtentUseThreePixelBands) {
    const COLORREF c1 = RGB(0, 0, 0), c2 = RGB(210, 210, 210);
    DibCanvas canvas(4, 14, kWhite);
    GSavedDC dc(canvas.dc());
    drawGradientSteps(dc, RECT{0, 0, 4, 14}, c1, c2, true);
    std::vector<i32> red;
    for (i32 y = 0; y < 14; ++y) red.push_back(GetRValue(canvas.pixel(1, y)));
    // A band restarts from c1 at rows 0, 3 and 11; the last row is c2.
    for (i32 start : {0, 3, 11}) EXPECT_EQ(red[start], 0) << start;
    EXPECT_GT(red[2], red[1]);
    EXPECT_GT(red[10], red[4]);
    EXPECT_EQ(red[13], 210);
    EXPECT_EQ(canvas.countOther(kWhite), 56);
}

TEST(Gradients, BandedLooksFillTheirWholeRectangle) {
    for (auto look : {drawMidlineGradient, drawGlassBar, drawGradientSteps}) {
        for (bool vertical : {true, false}) {
            DibCanvas canvas(12, 12, RGB(1, 1, 1));
            GSavedDC dc(canvas.dc());
            look(dc, RECT{1, 1, 11, 11}, RGB(40, 80, 120), RGB(200, 160, 120), vertical);
            EXPECT_EQ(canvas.countOther(RGB(1, 1, 1)), 100) << canvas.mask(RGB(1, 1, 1));
        }
    }
}

TEST(Gradients, FourVerticesFillTwoRectangles) {
    DibCanvas canvas(10, 4);
    GSavedDC dc(canvas.dc());
    GradientVertices v = {{{0, 0}, {5, 4}, {5, 0}, {10, 4}},
                          {RGB(255, 0, 0), RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 0, 255)}};
    fillGradient(dc, v, GRADIENT_FILL_RECT_H);
    EXPECT_EQ(canvas.pixel(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(canvas.pixel(8, 1), RGB(0, 0, 255));
}

TEST(PointBuffer, KeepsItsPointsForTheSameCount) {
    POINT* first = ensurePointBuffer(16);
    ASSERT_NE(first, nullptr);
    first[15] = {7, 9};
    EXPECT_EQ(ensurePointBuffer(16), first);
    EXPECT_EQ(pointBuffer.points[15].y, 9);
    ensurePointBuffer(4);
    EXPECT_EQ(pointBuffer.count, 4u);
    EXPECT_EQ(ensurePointBuffer(0), nullptr);
    EXPECT_EQ(pointBuffer.count, 0u);
}
