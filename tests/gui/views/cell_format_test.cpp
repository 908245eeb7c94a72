// The three cell formatters drawn into a DIB: text placement, ellipsis, the type-ahead mark, the
// check square, measures and presses.
#include <gtest/gtest.h>

#include "gui/input/hot_tracker.h"
#include "gui/paint/colors.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/drawable.h"
#include "gui/paint/saved_dc.h"
#include "gui/views/cell_format.h"
#include "tests/gui/dib_canvas.h"

namespace {
const COLORREF kPaper = RGB(255, 255, 255);
const COLORREF kInk = RGB(0, 0, 0);
const COLORREF kImageColour = RGB(0, 0, 255);

// A solid square image.
class SquareImage : public GDrawable {
public:
    explicit SquareImage(i32 side) : side(side) {}
    SIZE size() override { return SIZE{side, side}; }
    void drawAt(GSavedDC& dc, i32 x, i32 y, i32 width, i32 height) override {
        HBRUSH brush = CreateSolidBrush(kImageColour);
        RECT r{x, y, x + width, y + height};
        FillRect(dc.dc(), &r, brush);
        DeleteObject(brush);
    }
    void draw(GSavedDC& dc, i32 x, i32 y) override { drawAt(dc, x, y, side, side); }
    i32 side;
};

// A canvas ready for a row: the GUI font, black text, no background.
struct CellCanvas : DibCanvas {
    CellCanvas(i32 width, i32 height) : DibCanvas(width, height, kPaper) {
        SelectObject(dc(), GetStockObject(DEFAULT_GUI_FONT));
        SetTextColor(dc(), kInk);
        SetBkColor(dc(), kPaper);
        SetBkMode(dc(), TRANSPARENT);
    }
};

SIZE drawnSize(HDC dc, const char* text, UINT format = DT_SINGLELINE | DT_NOPREFIX) {
    RECT r{0, 0, 0, 0};
    drawTextW(dc, &r, text, -1, format | DT_CALCRECT);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// The bounding box of the pixels of a colour; empty when there are none.
RECT inkBox(const DibCanvas& canvas, COLORREF colour) {
    RECT box{canvas.width, canvas.height, 0, 0};
    for (i32 y = 0; y < canvas.height; ++y)
        for (i32 x = 0; x < canvas.width; ++x)
            if (canvas.pixel(x, y) == colour) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

bool isEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }
}  // namespace

// Each case draws the cell and, apart, the text where it must land; the two must match.
TEST(TextCellFormat, PlacesTextAndImageInTheInnerRectangle) {
    struct Case {
        const char* name;
        i32 height;
        u32 state;
        i32 formatParam;
        i32 imageSide;  // 0: no image
        i32 textX;
        i32 innerTop, innerBottom;
        RECT imageAt;   // where the image lands, when there is one
    };
    const Case cases[] = {
        {"plain", 20, 0, 0, 0, 5, 3, 17, {}},
        {"separators take a row", 20, CellSeparators, 0, 0, 5, 3, 16, {}},
        {"image box without image lines up", 20, 0, 16, 0, 3 + 16 + 2, 3, 17, {}},
        {"image centred in the image box", 20, 0, 16, 10, 3 + 16 + 2, 3, 17, {6, 5, 16, 15}},
        {"image at the left edge without a box", 20, 0, 0, 10, 3 + 10 + 2, 3, 17, {3, 5, 13, 15}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CellCanvas cell(120, c.height), expected(120, c.height);
        SquareImage image(c.imageSide);
        RECT rect{0, 0, 120, c.height};
        {
            GSavedDC dc(cell.dc());
            defaultCellFormat()->draw(dc, "Wagon", c.imageSide ? &image : nullptr, &rect, c.state, c.formatParam,
                                      nullptr, nullptr);
        }
        SIZE size = drawnSize(expected.dc(), "Wagon");
        i32 top = c.innerTop + (c.innerBottom - c.innerTop - size.cy) / 2;
        RECT text{c.textX, top, c.textX + size.cx + 1, top + size.cy};
        drawTextW(expected.dc(), &text, "Wagon", -1, DT_SINGLELINE | DT_NOPREFIX);
        if (c.imageSide) {
            HBRUSH brush = CreateSolidBrush(kImageColour);
            FillRect(expected.dc(), &c.imageAt, brush);
            DeleteObject(brush);
        }
        EXPECT_TRUE(cell.samePixels(expected)) << cell.mask(kPaper) << "\n" << expected.mask(kPaper);
    }
}

TEST(TextCellFormat, CutsLongTextsAndSkipsNarrowCells) {
    const char* text = "A text far wider than its cell";
    CellCanvas canvas(60, 20);
    RECT rect{0, 0, 60, 20};
    {
        GSavedDC dc(canvas.dc());
        defaultCellFormat()->draw(dc, text, nullptr, &rect, 0, 0, nullptr, nullptr);
    }
    RECT ink = inkBox(canvas, kInk);
    ASSERT_FALSE(isEmpty(ink));
    EXPECT_EQ(5, ink.left);
    EXPECT_LE(ink.right, 60 - 2);   // the drawing rectangle ends 2 pixels inside the cell
    EXPECT_GE(ink.right, 60 - 8);   // the ellipsis reaches the end
    SIZE dots = drawnSize(canvas.dc(), "...");
    EXPECT_LT(dots.cx, 60 - 5);

    // A cell of 9 pixels leaves no room after the margins; 10 leaves one pixel.
    for (i32 width : {9, 10}) {
        CellCanvas narrow(width, 20);
        RECT r{0, 0, width, 20};
        GSavedDC dc(narrow.dc());
        defaultCellFormat()->draw(dc, "W", nullptr, &r, 0, 0, nullptr, nullptr);
        EXPECT_EQ(width == 9, isEmpty(inkBox(narrow, kInk))) << width;
    }
}

TEST(TextCellFormat, MarksTheTypedTextWhereItOccurs) {
    struct Case {
        const char* typed;
        bool marked;
    };
    const Case cases[] = {{"ab", true}, {"Ab", false}, {"x", false}, {"", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        CellCanvas canvas(120, 20);
        RECT rect{0, 0, 120, 20};
        {
            GSavedDC dc(canvas.dc());
            defaultCellFormat()->draw(dc, "Cabin", nullptr, &rect, 0, 0, nullptr, c.typed);
        }
        EXPECT_EQ(kPaper, GetBkColor(canvas.dc()));  // the colours are restored
        EXPECT_EQ(kInk, GetTextColor(canvas.dc()));
        EXPECT_EQ(TRANSPARENT, GetBkMode(canvas.dc()));
        RECT mark = inkBox(canvas, toolkitColors.glass);
        if (!c.marked) {
            EXPECT_TRUE(isEmpty(mark));
            continue;
        }
        SIZE c1 = drawnSize(canvas.dc(), "C"), cab = drawnSize(canvas.dc(), "Cab");
        EXPECT_EQ(5 + c1.cx, mark.left);
        EXPECT_GE(mark.right, 5 + cab.cx - 1);
        EXPECT_LE(mark.right, 5 + cab.cx + 2);
        // White letters inside the mark.
        RECT white = inkBox(canvas, RGB(255, 255, 255));
        bool whiteInside = false;
        for (i32 y = mark.top; y < mark.bottom; ++y)
            for (i32 x = mark.left; x < mark.right; ++x) whiteInside |= canvas.pixel(x, y) == RGB(255, 255, 255);
        EXPECT_TRUE(whiteInside);
        (void)white;
    }
}

// The plain and check formatters measure texts as they draw them, so an ampersand counts; a
// button measures its mnemonic marker away.
TEST(CellFormat, Measures) {
    CellCanvas canvas(10, 10);
    GSavedDC dc(canvas.dc());
    SquareImage image(16);
    i32 w = drawnSize(canvas.dc(), "Wagon").cx;
    i32 amp = drawnSize(canvas.dc(), "Salt & Pepper").cx;
    i32 mnemonic = drawnSize(canvas.dc(), "Salt & Pepper", DT_SINGLELINE).cx;
    ASSERT_NE(amp, mnemonic);
    struct Case {
        const char* name;
        GCellFormat* format;
        const char* text;
        GDrawable* image;
        i32 expected;
    };
    const Case cases[] = {
        {"plain, nothing", defaultCellFormat(), "", nullptr, 0},
        {"plain, null text", defaultCellFormat(), nullptr, nullptr, 0},
        {"plain, image", defaultCellFormat(), nullptr, &image, 23},
        {"plain, text", defaultCellFormat(), "Wagon", nullptr, w - 1 + 7},
        {"plain, both", defaultCellFormat(), "Wagon", &image, w - 1 + 16 + 2 + 7},
        {"plain, ampersand", defaultCellFormat(), "Salt & Pepper", nullptr, amp - 1 + 7},
        {"check, nothing", checkCellFormat(), "", nullptr, 22},
        {"check, text", checkCellFormat(), "Wagon", nullptr, w - 1 + 7 + 15},
        {"check, ampersand", checkCellFormat(), "Salt & Pepper", nullptr, amp - 1 + 7 + 15},
        {"button, nothing", buttonCellFormat(), "", nullptr, 6},
        {"button, text", buttonCellFormat(), "Wagon", nullptr, w - 1 + 7 + 6},
        {"button, mnemonic", buttonCellFormat(), "Salt & Pepper", nullptr, mnemonic - 1 + 7 + 6},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, c.format->measure(dc, c.text, c.image)) << c.name;
}

TEST(CellFormat, InputBits) {
    EXPECT_EQ(12u, defaultCellFormat()->inputBits());
    EXPECT_EQ(6u, checkCellFormat()->inputBits());
    EXPECT_EQ(5u, buttonCellFormat()->inputBits());
}

TEST(CheckCellFormat, SquareIsDrawnAndPressedAlike) {
    struct Case {
        i32 height;
        RECT square;
    };
    const Case cases[] = {{22, {3, 3, 18, 18}}, {30, {3, 7, 18, 22}}, {12, {3, 3, 18, 8}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        RECT cell{0, 0, 40, c.height};
        RECT s = checkSquareRect(cell);
        EXPECT_EQ(c.square.left, s.left);
        EXPECT_EQ(c.square.top, s.top);
        EXPECT_EQ(c.square.right, s.right);
        EXPECT_EQ(c.square.bottom, s.bottom);
        for (bool checked : {false, true}) {
            CellCanvas canvas(40, c.height);
            {
                GSavedDC dc(canvas.dc());
                checkCellFormat()->draw(dc, nullptr, nullptr, &cell, checked ? (u32)CellChecked : 0u, 0, nullptr, nullptr);
            }
            // Nothing outside the square; the face fills it.
            RECT drawn{canvas.width, canvas.height, 0, 0};
            for (i32 y = 0; y < c.height; ++y)
                for (i32 x = 0; x < 40; ++x)
                    if (canvas.pixel(x, y) != kPaper) {
                        drawn.left = std::min<LONG>(drawn.left, x);
                        drawn.top = std::min<LONG>(drawn.top, y);
                        drawn.right = std::max<LONG>(drawn.right, x + 1);
                        drawn.bottom = std::max<LONG>(drawn.bottom, y + 1);
                    }
            EXPECT_TRUE(EqualRect(&drawn, &s)) << drawn.left << "," << drawn.top << "," << drawn.right << ","
                                               << drawn.bottom;
        }
    }

    RECT cell{0, 0, 40, 22};
    struct Press {
        i32 x, y;
        bool checked, accepted;
        u32 bits;
    };
    const Press presses[] = {
        {3, 3, false, true, 0},  {17, 17, true, true, HotChecked}, {18, 10, true, false, 0},
        {10, 18, false, false, 0}, {2, 10, false, false, 0},
    };
    for (const Press& p : presses) {
        RECT r = cell;
        u32 bits = 0;
        EXPECT_EQ(p.accepted, checkCellFormat()->press(nullptr, p.x, p.y, &r, &bits, p.checked)) << p.x << "," << p.y;
        EXPECT_EQ(p.bits, bits);
        RECT square = checkSquareRect(cell);
        EXPECT_TRUE(EqualRect(&r, &square));
    }
}

TEST(CheckCellFormat, CheckedCellShowsTheMarkAndTheText) {
    RECT cell{0, 0, 80, 22};
    CellCanvas unchecked(80, 22), checked(80, 22);
    {
        GSavedDC dc(unchecked.dc());
        checkCellFormat()->draw(dc, "Salt & Pepper", nullptr, &cell, 0, 0, nullptr, nullptr);
    }
    {
        GSavedDC dc(checked.dc());
        checkCellFormat()->draw(dc, "Salt & Pepper", nullptr, &cell, CellChecked, 0, nullptr, nullptr);
    }
    // The text starts past the square and the two differ only inside the square.
    RECT s = checkSquareRect(cell);
    bool differsInside = false, differsOutside = false, textPastSquare = false;
    for (i32 y = 0; y < 22; ++y)
        for (i32 x = 0; x < 80; ++x) {
            bool inside = x >= s.left && x < s.right && y >= s.top && y < s.bottom;
            bool differs = unchecked.pixel(x, y) != checked.pixel(x, y);
            (inside ? differsInside : differsOutside) |= differs;
            textPastSquare |= !inside && x >= s.right && unchecked.pixel(x, y) == kInk;
        }
    EXPECT_TRUE(differsInside);
    EXPECT_FALSE(differsOutside);
    EXPECT_TRUE(textPastSquare);
}

TEST(ButtonCellFormat, PressesAnywhereOnTheFace) {
    RECT cell{10, 20, 70, 42};
    for (POINT at : {POINT{10, 20}, POINT{69, 41}, POINT{40, 30}}) {
        RECT r = cell;
        u32 bits = 7;
        EXPECT_TRUE(buttonCellFormat()->press(nullptr, at.x, at.y, &r, &bits, false));
        EXPECT_EQ(7u, bits);
        RECT face{11, 21, 68, 40};
        EXPECT_TRUE(EqualRect(&r, &face));
    }
    RECT r = cell;
    u32 bits = 0;
    EXPECT_FALSE(defaultCellFormat()->press(nullptr, 40, 30, &r, &bits, false));
    EXPECT_TRUE(EqualRect(&r, &cell));

    // The face stays inside itself and the text is centred on it in the toolkit's text colour.
    CellCanvas canvas(80, 50);
    {
        GSavedDC dc(canvas.dc());
        buttonCellFormat()->draw(dc, "Go", nullptr, &cell, 0, 0, nullptr, nullptr);
    }
    for (i32 y = 0; y < 50; ++y) {
        for (i32 x = 0; x < 80; ++x) {
            if (x < 11 || x >= 68 || y < 21 || y >= 40) {
                ASSERT_EQ(kPaper, canvas.pixel(x, y)) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(toolkitColors.text, GetTextColor(canvas.dc()));
}

