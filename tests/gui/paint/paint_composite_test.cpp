#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "gui/paint/alpha_blend.h"
#include "gui/paint/colors.h"
#include "gui/paint/paint_composite.h"
#include "gui/paint/saved_dc.h"
#include "tests/gui/dib_canvas.h"

namespace {
const COLORREF kText = RGB(10, 10, 10), kDark = RGB(60, 60, 60), kLight = RGB(240, 240, 240);
const COLORREF kClass = RGB(200, 210, 220), kBackground = RGB(180, 180, 180), kGlass = RGB(25, 160, 100);
const COLORREF kMark = RGB(255, 0, 255), kBrush = RGB(0, 0, 255);
const RECT kFace = {5, 5, 35, 25};

// Paints a 2x2 mark at the top left of its rectangle and remembers the rectangle.
class MarkElement : public GPaintElement {
public:
    void paint(GSavedDC& dc, const RECT& r) override {
        RECT mark = {r.left, r.top, r.left + 2, r.top + 2};
        HBRUSH brush = CreateSolidBrush(kMark);
        FillRect(dc.dc(), &mark, brush);
        DeleteObject(brush);
        painted = r;
    }
    RECT painted = {};
};

class Composite : public ::testing::Test {
protected:
    void SetUp() override {
        toolkitColors.text = kText;
        toolkitColors.darkShade = kDark;
        toolkitColors.lightShade = kLight;
        toolkitColors.classBackground = kClass;
        toolkitColors.background = kBackground;
        toolkitColors.glass = kGlass;
    }
    void TearDown() override { toolkitColors = saved; }
    ToolkitColors saved = toolkitColors;

    // Paints the face on a canvas of the class background, the brush of fill 0x2000 selected.
    RECT paint(DibCanvas& canvas, u32 flags, const RECT& face = kFace) {
        MarkElement content;
        GSavedDC dc(canvas.dc());
        dc.selectSolidBrush(kBrush);
        paintComposite(dc, face, &content, flags);
        return content.painted;
    }
};

struct Probe {
    i32 x, y;
    COLORREF colour;
};

BOOL WINAPI refuseBlending(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION) { return FALSE; }

// Pixels of a column between two rows that have the colour.
i32 countInColumn(const DibCanvas& canvas, i32 x, i32 top, i32 bottom, COLORREF colour) {
    i32 n = 0;
    for (i32 y = top; y < bottom; ++y) n += canvas.pixel(x, y) == colour;
    return n;
}
}  // namespace

TEST_F(Composite, FramesFillsAndContentFollowTheFlags) {
    const COLORREF first = kElementLight, second = kElementMid;
    struct Case {
        u32 flags;
        RECT content;
        std::vector<Probe> probes;
        std::function<void(const DibCanvas&)> check;
    };
    const Case cases[] = {
        {0x0, {5, 5, 35, 25}, {{5, 15, kClass}, {20, 15, kClass}}, nullptr},
        {0x2, {6, 6, 34, 24}, {{5, 5, kText}, {5, 15, kText}, {34, 24, kText}, {20, 15, kClass}}, nullptr},
        {0x3, {6, 6, 34, 24}, {}, [](const DibCanvas& c) {
             EXPECT_GT(countInColumn(c, 5, 6, 24, kText), 3);
             EXPECT_GT(countInColumn(c, 5, 6, 24, kClass), 3);
         }},
        {0x4, {6, 6, 34, 24}, {{5, 5, kClass}, {7, 5, kText}, {5, 15, kText}, {34, 15, kText}}, nullptr},
        {0x5, {7, 7, 33, 23}, {{5, 5, kText}, {34, 24, kText}, {34, 5, kText}}, nullptr},
        {0x6, {7, 7, 33, 23}, {{5, 5, kClass}}, nullptr},
        {0x22, {7, 7, 33, 23}, {{5, 15, kText}, {6, 15, kLight}, {6, 6, kLight}}, nullptr},
        {0x32, {7, 7, 33, 23}, {}, [](const DibCanvas& c) {
             EXPECT_GT(countInColumn(c, 6, 7, 23, kLight), 3);
             EXPECT_EQ(countInColumn(c, 6, 7, 23, kLight) + countInColumn(c, 6, 7, 23, kClass), 16);
         }},
        {0x42, {7, 7, 33, 23}, {{6, 6, kClass}, {6, 15, mixColors(kDark, kText)}}, nullptr},
        {0x52, {7, 7, 33, 23}, {{6, 6, kText}, {33, 23, kText}}, nullptr},
        {0x2002, {6, 6, 34, 24}, {{20, 15, kBrush}, {33, 23, kBrush}}, nullptr},
        {0x3002, {6, 6, 34, 24}, {{20, 15, kBackground}}, nullptr},
        {0x3002 | 1u << 26, {6, 6, 34, 24}, {{20, 15, kGlass}}, nullptr},
        {0x4002, {6, 6, 34, 24}, {{20, 6, second}, {20, 23, first}}, nullptr},
        {0x4002 | 1u << 28, {6, 6, 34, 24}, {{20, 6, first}, {20, 23, second}}, nullptr},
        {0x4002 | 1u << 25, {6, 6, 34, 24}, {{6, 15, second}, {33, 15, first}}, nullptr},
        {0x4002 | 1u << 26, {6, 6, 34, 24}, {{20, 6, kGlass}, {20, 23, setColorBrightness(kGlass, 255)}}, nullptr},
        {0x5002, {6, 6, 34, 24}, {{20, 6, second}, {20, 23, kClass}}, nullptr},
        {0x5002 | 1u << 28, {6, 6, 34, 24}, {{20, 6, kClass}, {20, 23, second}}, nullptr},
        {0x6002, {6, 6, 34, 24}, {{20, 6, second}, {20, 23, second}, {20, 7, first}}, nullptr},
        // Reversed: the midline face of the check marks, not left unpainted.
        {0x6002 | 1u << 28, {6, 6, 34, 24},
         {{20, 6, setColorBrightness(first, 255)}, {20, 15, mixColors(first, second)}, {20, 23, first}}, nullptr},
        {0x6002 | 1u << 28 | 1u << 26, {6, 6, 34, 24},
         {{20, 15, mixColors(setColorBrightness(kGlass, 255), kGlass)}, {20, 23, setColorBrightness(kGlass, 255)}},
         nullptr},
        {0x2 | 1u << 20, {7, 7, 35, 25}, {{7, 7, kMark}, {6, 6, kClass}}, nullptr},
        {0x2 | 1u << 21, {5, 5, 33, 23}, {{5, 5, kMark}, {5, 15, kText}}, nullptr},
        {0x2 | 1u << 30, {10, 10, 30, 20}, {{10, 10, kMark}}, nullptr},
        // Disabled content paints in DrawState's own DC, at (0, 0).
        {0x2 | 1u << 23, {0, 0, 28, 18}, {{5, 15, kDark}}, [](const DibCanvas& c) {
             EXPECT_NE(c.pixel(6, 6), kMark);  // greyed
             EXPECT_EQ(c.pixel(20, 15), kClass);
         }},
        // The shadow's own buffer nests inside the buffered painting.
        {0x2 | 1u << 22, {6, 6, 34, 24}, {{9, 9, RGB(145, 152, 160)}, {10, 10, kClass}}, nullptr},
        {0x2 | 1u << 24, {6, 6, 34, 24}, {{6, 15, kClass}}, [](const DibCanvas& c) {
             EXPECT_GT(24 - 7 - countInColumn(c, 7, 7, 24, kClass), 3);  // the focus rectangle's dots
             EXPECT_LT(countInColumn(c, 7, 9, 23, kClass), 14);
         }},
        {0x2 | 1u << 27, {6, 6, 34, 24}, {{8, 8, first}, {31, 8, first}, {8, 21, first}, {31, 21, first},
                                          {11, 15, first}, {28, 15, first}, {12, 15, kClass}}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << "flags 0x" << c.flags);
        DibCanvas direct(40, 30, kClass), buffered(40, 30, kClass);
        RECT content = paint(direct, c.flags);
        EXPECT_EQ(content.left, c.content.left);
        EXPECT_EQ(content.top, c.content.top);
        EXPECT_EQ(content.right, c.content.right);
        EXPECT_EQ(content.bottom, c.content.bottom);
        if (!(c.flags & 1u << 23)) {
            EXPECT_EQ(direct.pixel(c.content.left, c.content.top), kMark);
        }
        for (const Probe& p : c.probes) EXPECT_EQ(direct.pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
        if (c.check) c.check(direct);
        // Nothing outside the face.
        for (i32 y = 0; y < 30; ++y)
            for (i32 x = 0; x < 40; ++x)
                if (x < kFace.left || x >= kFace.right || y < kFace.top || y >= kFace.bottom) {
                    ASSERT_EQ(direct.pixel(x, y), kClass) << x << "," << y;
                }
        // Through the buffer the same pixels arrive.
        paint(buffered, c.flags | 1u << 29);
        EXPECT_TRUE(buffered.samePixels(direct));
    }
}

TEST_F(Composite, DropShadowDarkensBelowAndRightOfTheContent) {
    for (bool blending : {true, false}) {
        SCOPED_TRACE(blending);
        if (!blending)
            setAlphaBlendFunction(refuseBlending);
        DibCanvas canvas(40, 30, kClass);
        paint(canvas, 0x2 | 1u << 22);
        setAlphaBlendFunction(nullptr);
        EXPECT_EQ(canvas.pixel(6, 6), kMark);
        EXPECT_EQ(canvas.pixel(7, 7), kMark);
        COLORREF shadow = canvas.pixel(9, 9);
        if (blending) {
            // Black at alpha 70 over the class background.
            EXPECT_NEAR(GetRValue(shadow), 200 * 185 / 255, 3);
            EXPECT_NEAR(GetBValue(shadow), 220 * 185 / 255, 3);
        } else {
            EXPECT_EQ(shadow, RGB(192, 192, 192));
        }
        EXPECT_EQ(canvas.pixel(10, 10), kClass);
        EXPECT_EQ(canvas.pixel(20, 15), kClass);
    }
}

TEST_F(Composite, ElementsDrawTextAndCentredImages) {
    DibCanvas canvas(60, 20, RGB(255, 255, 255));
    GSavedDC dc(canvas.dc());
    GEmptyElement empty;
    paintComposite(dc, RECT{0, 0, 60, 20}, &empty, 0);
    EXPECT_EQ(canvas.countOther(RGB(255, 255, 255)), 0);
    GTextElement text("Wide", "<-");
    paintComposite(dc, RECT{0, 0, 60, 20}, &text, 0);
    i32 leftInk = 0, rightInk = 0;
    for (i32 y = 0; y < 20; ++y)
        for (i32 x = 0; x < 60; ++x)
            if (canvas.pixel(x, y) != RGB(255, 255, 255)) (x < 30 ? leftInk : rightInk)++;
    EXPECT_GT(leftInk, 10);
    EXPECT_EQ(rightInk, 0);
    GImageElement none(nullptr);
    paintComposite(dc, RECT{0, 0, 60, 20}, &none, 0x2);  // an image element without an image
}

TEST_F(Composite, CentredElementPaintsItsWidthInTheMiddle) {
    struct Case {
        RECT rect;
        i32 paintedWidth;
        i32 left;
    };
    const Case cases[] = {
        {{0, 0, 60, 20}, 10, 25},
        {{3, 2, 64, 18}, 10, 28},  // odd room: the extra pixel goes right
        {{10, 0, 20, 20}, 20, 5},  // wider than the rectangle: it overhangs both sides
        {{0, 0, 40, 20}, 0, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rect.left * 100 + c.paintedWidth);
        MarkElement mark;
        GCentredElement centred(&mark, c.paintedWidth);
        DibCanvas canvas(70, 20, RGB(255, 255, 255));
        GSavedDC dc(canvas.dc());
        centred.paint(dc, c.rect);
        EXPECT_EQ(mark.painted.left, c.left);
        EXPECT_EQ(mark.painted.right, c.left + c.paintedWidth);
        EXPECT_EQ(mark.painted.top, c.rect.top);
        EXPECT_EQ(mark.painted.bottom, c.rect.bottom);
        if (c.left >= 0) {
            EXPECT_EQ(canvas.pixel(c.left, c.rect.top), kMark);
            EXPECT_EQ(canvas.countOther(RGB(255, 255, 255)), 4);
        }
    }
    // Inside a composite it takes the content rectangle; without a painter it paints nothing.
    DibCanvas canvas(60, 20, RGB(255, 255, 255));
    GSavedDC dc(canvas.dc());
    MarkElement mark;
    GCentredElement centred(&mark, 6);
    paintComposite(dc, RECT{0, 0, 60, 20}, &centred, 0);
    EXPECT_EQ(mark.painted.left, 27);
    EXPECT_EQ(canvas.pixel(27, 0), kMark);
    GCentredElement none(nullptr, 6);
    paintComposite(dc, RECT{0, 0, 60, 20}, &none, 0);
}
