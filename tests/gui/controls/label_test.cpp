// Labels, separators and the group box on a real dialog: pixels read back, sizes, texts, mnemonics
// and the group box's share in a layout transaction.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/layout_transaction.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/text_measure.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/dib_canvas.h"

using namespace controls;

namespace {
// A root that keeps its children where the test puts them.
class FreeItem : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;
    void setRect(const RECT& r) override { rect = r; }
};

GLayoutBuilder freeBuilder(Fixture& f) {
    GLayoutBuilder builder(f.dialog);
    FreeItem* root = new FreeItem(f.dialog);
    f.dialog->setContent(root);
    builder.current = root;
    return builder;
}

void placeAndPaint(GChildWindow* w, RECT r) {
    w->setRect(r);
    RedrawWindow(w->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
}  // namespace

TEST(Label, EdgesAndColours) {
    const COLORREF back = RGB(10, 200, 30), fore = RGB(0, 0, 255);
    struct Case {
        u32 style;
        bool edgeDrawn;  // the corner is not the background
        i32 inset;       // the first pixel of the background
    } cases[] = {
        {0, false, 0}, {LabelSunken, true, 2}, {LabelBump, true, 2}, {LabelEtched, true, 2},
        {LabelRaised, true, 2}, {LabelThinBorder, true, 1}, {LabelSunken | LabelThinBorder, false, 2},
    };
    Fixture f;
    GLayoutBuilder builder = freeBuilder(f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        GLabel* label = GLabel::create(builder, "", c.style);
        EXPECT_TRUE(label->setValue(back, fore));
        EXPECT_FALSE(label->setValue(back, fore));
        placeAndPaint(label, RECT{10, 10, 70, 34});
        EXPECT_EQ(back, pixelAt(label->hwnd, 30, 12));
        EXPECT_EQ(back, pixelAt(label->hwnd, c.inset, c.inset));
        if (c.edgeDrawn) {
            EXPECT_NE(back, pixelAt(label->hwnd, 0, 0));
        }
        if (c.inset) {
            EXPECT_NE(back, pixelAt(label->hwnd, c.inset - 1, c.inset - 1));
        }
        DestroyWindow(label->hwnd);
    }
    // Text in its own colour, and in the toolkit's when none is set.
    GLabel* label = GLabel::create(builder, "WWW", 0);
    label->setValue(back, fore);
    label->setText("WWW");
    placeAndPaint(label, RECT{10, 10, 70, 34});
    EXPECT_GT(countColour(label->hwnd, RECT{0, 0, 60, 24}, fore), 10);
    label->textColour = (COLORREF)-1;
    RedrawWindow(label->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(0, countColour(label->hwnd, RECT{0, 0, 60, 24}, fore));
    EXPECT_GT(countColour(label->hwnd, RECT{0, 0, 60, 24}, toolkitColors.text), 10);
}

TEST(Label, PreferredSizes) {
    Fixture f;
    GLayoutBuilder builder = freeBuilder(f);
    SIZE wq = textExtent(getMessageFont(), "WQ");
    SIZE text = textExtent(getMessageFont(), "Longer text");
    struct Case {
        const char* text;
        u32 style;
        SIZE expected;
    } cases[] = {
        {"", 0, wq},
        {"", LabelThinBorder, {wq.cx + 6, wq.cy + 4}},
        {"Longer text", LabelEtched, {text.cx + 8, text.cy + 6}},
    };
    for (const Case& c : cases) {
        GLabel* label = GLabel::create(builder, c.text, c.style);
        i32 w = -1, h = -1;
        label->getPreferredSize(&w, &h);
        EXPECT_EQ(c.expected.cx, w) << c.text << " " << c.style;
        EXPECT_EQ(c.expected.cy, h) << c.text << " " << c.style;
    }
    // Sized by a sample, not by its own text.
    GLabel* variant = GLabel::createVariant(builder, nullptr, "Longer text");
    variant->setText("x");
    i32 w = -1, h = -1;
    variant->getPreferredSize(&w, &h);
    EXPECT_EQ(text.cx, w);
    // Sized by characters: "U-" in the cell, centred text.
    GLabel* chars = GLabel::createWithLayout(builder, 10, 0);
    chars->getPreferredSize(&w, &h);
    EXPECT_GT(w, 10 * 3);
    EXPECT_EQ('U', chars->hAlign);
    EXPECT_EQ('|', chars->textAlign[0]);
}

TEST(Label, AlignmentStringKeepsTheCellLettersAndPlacesTheText) {
    Fixture f;
    GLayoutBuilder builder = freeBuilder(f);
    GLabel* label = GLabel::create(builder, "W", 0, "**|v");
    EXPECT_EQ('?', label->hAlign);
    EXPECT_EQ('?', label->vAlign);
    EXPECT_EQ('|', label->textAlign[0]);
    EXPECT_EQ('v', label->textAlign[1]);
    placeAndPaint(label, RECT{0, 0, 100, 60});
    RECT text = boundsOf(label->hwnd, toolkitColors.text);
    ASSERT_LT(text.left, text.right);
    EXPECT_NEAR(50, (text.left + text.right) / 2, 3);
    EXPECT_GT(text.top, 30);
}

TEST(Label, SameTextDoesNotRepaint) {
    Fixture f;
    GLayoutBuilder builder = freeBuilder(f);
    GLabel* label = GLabel::create(builder, "Same", 0);
    placeAndPaint(label, RECT{0, 0, 80, 20});
    ValidateRect(label->hwnd, nullptr);
    EXPECT_FALSE(label->setText("Same"));
    EXPECT_FALSE(label->setText(label->text.data));
    EXPECT_FALSE(GetUpdateRect(label->hwnd, nullptr, FALSE));
    EXPECT_TRUE(label->setText("Other"));
    EXPECT_TRUE(GetUpdateRect(label->hwnd, nullptr, FALSE));
    // WM_SETTEXT goes into the label's text; setTextF formats.
    label->GWindow::setText("Sent");  // WM_SETTEXT
    EXPECT_STREQ("Sent", label->text.data);
    label->setTextF("%d of %d", 3, 7);
    EXPECT_STREQ("3 of 7", label->text.data);
}

TEST(Label, MnemonicFocusesTheNextWindowInEitherCase) {
    Fixture f;
    GColumnsItem* column = new GColumnsItem(f.dialog);
    f.dialog->setContent(column);
    GLayoutBuilder builder(f.dialog);
    builder.current = column;
    GLabel* label = GLabel::create(builder, "&File", 0);
    Patch* target = new Patch(f.dialog, RGB(1, 2, 3));
    target->create(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    builder.add(target);
    Patch* other = new Patch(f.dialog, RGB(1, 2, 3));
    other->create(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    builder.add(other);
    f.layout();
    for (u32 typed : {(u32)'F', (u32)'f'}) {
        giveFocus(other);
        EXPECT_TRUE(label->matchesMnemonic(typed));
        EXPECT_EQ(target->hwnd, GetFocus());
        EXPECT_EQ(target, f.dialog->focusChild);
    }
    EXPECT_FALSE(label->matchesMnemonic('i'));
    // A disabled target keeps the focus where it is, but the letter is still taken.
    giveFocus(other);
    EnableWindow(target->hwnd, FALSE);
    EXPECT_TRUE(label->matchesMnemonic('f'));
    EXPECT_EQ(other->hwnd, GetFocus());
}

TEST(Separators, Line2IsVerticalWhenTwoWide) {
    Fixture f;
    GLayoutBuilder builder = freeBuilder(f);
    GLine2* vertical = GLine2::create(builder);
    GLine2* horizontal = GLine2::create(builder);
    GLine1* solid = GLine1::create(builder);
    placeAndPaint(vertical, RECT{10, 10, 12, 40});
    placeAndPaint(horizontal, RECT{20, 10, 23, 40});
    placeAndPaint(solid, RECT{30, 10, 31, 40});
    const COLORREF back = toolkitColors.classBackground;
    // Vertical: both columns drawn along the whole height.
    EXPECT_NE(back, pixelAt(vertical->hwnd, 0, 15));
    EXPECT_NE(back, pixelAt(vertical->hwnd, 1, 15));
    // Horizontal: the top rows drawn, the rest background.
    EXPECT_NE(back, pixelAt(horizontal->hwnd, 2, 0));
    EXPECT_EQ(back, pixelAt(horizontal->hwnd, 2, 15));
    EXPECT_EQ(toolkitColors.darkShade, pixelAt(solid->hwnd, 0, 15));
    i32 w, h;
    vertical->getPreferredSize(&w, &h);
    EXPECT_EQ(2, w);
    solid->getPreferredSize(&w, &h);
    EXPECT_EQ(1, h);
}

TEST(GroupBox, CaptionOnlyWhenTheBoxIsWideEnough) {
    Fixture f;
    GLayoutItem* root = new FreeItem(f.dialog);
    f.dialog->setContent(root);
    GGroupBoxItem* group = new GGroupBoxItem(f.dialog, "Group");
    root->addChild(group);
    i32 w, h;
    group->frame->getPreferredSize(&w, &h);
    EXPECT_EQ(textExtent(getMessageFont(), "Group").cx + 12, w);
    i32 caption = group->frame->captionHeight();
    for (i32 width : {14, 15, 100}) {
        SCOPED_TRACE(width);
        placeAndPaint(group->frame, RECT{10, 10, 10 + width, 90});
        i32 textPixels = countColour(group->frame->hwnd, RECT{0, 0, width, caption}, toolkitColors.text);
        if (width < 15)
            EXPECT_EQ(0, textPixels);
        else
            EXPECT_GT(textPixels, 0);
        // The frame is there in every width.
        EXPECT_NE(toolkitColors.background, pixelAt(group->frame->hwnd, 0, 60));
    }
    GGroupBox bare(nullptr, "");
    bare.getPreferredSize(&w, &h);
    EXPECT_EQ(0, w);
    EXPECT_EQ(2, h);
}

// The caption band is in the colour of uncovered areas, not the button face.
TEST(GroupBox, CaptionBandTakesThePanelColour) {
    Fixture f;
    ToolkitColors saved = toolkitColors;
    toolkitColors.classBackground = RGB(40, 180, 90);
    toolkitColors.background = RGB(200, 60, 60);
    GLayoutItem* root = new FreeItem(f.dialog);
    f.dialog->setContent(root);
    GGroupBoxItem* group = new GGroupBoxItem(f.dialog, "Group");
    root->addChild(group);
    placeAndPaint(group->frame, RECT{10, 10, 210, 90});
    const i32 caption = group->frame->captionHeight();
    // Inside the caption box left of the text, and above the frame line right of the caption.
    EXPECT_EQ(RGB(40, 180, 90), pixelAt(group->frame->hwnd, 5, 1));
    EXPECT_EQ(RGB(40, 180, 90), pixelAt(group->frame->hwnd, 190, caption / 2 - 1));
    EXPECT_EQ(0, countColour(group->frame->hwnd, RECT{0, 0, 200, caption}, RGB(200, 60, 60)));
    toolkitColors = saved;
}

TEST(GroupBox, TransactionRepaintsTheInsideAsUncoveredButNeverTheFrame) {
    Fixture f;
    GLayoutItem* root = new FreeItem(f.dialog);
    f.dialog->setContent(root);
    GGroupBoxItem* group = new GGroupBoxItem(f.dialog, "Group");
    root->addChild(group);
    Patch* content = new Patch(f.dialog, RGB(255, 0, 0));
    content->create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    group->addChild(content);
    group->frame->setRect(RECT{10, 10, 210, 150});
    content->setRect(RECT{40, 50, 80, 90});
    RedrawWindow(f.dialog->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ASSERT_EQ(RGB(255, 0, 0), pixelAt(f.dialog->hwnd, 60, 70));
    COLORREF frameCorner = pixelAt(f.dialog->hwnd, 10, 149);

    // Moving the group box lists only its frame band as its own area.
    beginLayoutTransaction();
    group->frame->setRect(RECT{10, 10, 210, 151});
    RectangleList band;
    group->frame->framePieces(RECT{10, 10, 210, 150}, band);
    EXPECT_EQ(band.area(), uncoveredArea().area());
    group->frame->setRect(RECT{10, 10, 210, 150});
    content->setRect(RECT{120, 50, 160, 90});
    endLayoutTransaction(f.dialog);
    UpdateWindow(content->hwnd);

    // Where the content was, inside the frame, is now the uncovered background; the frame stays.
    EXPECT_EQ(toolkitColors.classBackground, pixelAt(f.dialog->hwnd, 60, 70));
    EXPECT_EQ(RGB(255, 0, 0), pixelAt(f.dialog->hwnd, 140, 70));
    EXPECT_EQ(frameCorner, pixelAt(f.dialog->hwnd, 10, 149));
    EXPECT_NE(toolkitColors.classBackground, frameCorner);
}

namespace {
// Columns from the first to past the last pixel other than the background (0, 0 when none).
std::pair<i32, i32> inkColumns(const DibCanvas& canvas, COLORREF background) {
    i32 left = canvas.width, right = 0;
    for (i32 y = 0; y < canvas.height; ++y)
        for (i32 x = 0; x < canvas.width; ++x)
            if (canvas.pixel(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
            }
    return left < right ? std::make_pair(left, right) : std::make_pair(0, 0);
}

// The text drawn alone with room to spare.
std::pair<i32, i32> freeInk(const char* text) {
    DibCanvas canvas(400, 40, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(canvas.dc(), getMessageFont()->font);
    SetTextColor(canvas.dc(), RGB(0, 0, 0));
    SetBkMode(canvas.dc(), TRANSPARENT);
    RECT r{0, 0, 400, 40};
    drawTextW(canvas.dc(), &r, text, -1, DT_SINGLELINE);
    SelectObject(canvas.dc(), old);
    return inkColumns(canvas, RGB(255, 255, 255));
}

std::pair<i32, i32> windowInk(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    DibCanvas canvas(r.right, r.bottom);
    HDC dc = GetDC(window);
    BitBlt(canvas.dc(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    return inkColumns(canvas, toolkitColors.classBackground);
}
}  // namespace

// Labels in a two-column grid in a group box, beside edit fields, as dialogs build them: each
// label's window is as wide as it asks, and every column of its glyphs shows, the last one too.
TEST(Label, GridLabelsShowTheirLastGlyphColumn) {
    const char* texts[] = {"Buffers per second", "Window:", "Lower depth", "Buffers", "Sent &ahead:"};
    const char* alignments[] = {nullptr, "<C", "U-|-", "U->-"};
    for (const char* alignment : alignments) {
        SCOPED_TRACE(alignment ? alignment : "default");
        ColumnFixture f;
        f.builder.pushContainer(new GGroupBoxItem(f.dialog, "Player"), nullptr, "U^");
        addGridLayout(2, 5, f.builder, "U^");
        std::vector<GLabel*> labels;
        for (const char* text : texts) {
            labels.push_back(GLabel::create(f.builder, text, 0, alignment));
            GEditLine::create(f.builder, 10);
        }
        f.builder.endContainer();
        f.builder.endContainer();
        f.layout();
        saveWindowShot(f.dialog->hwnd, "grid_labels.bmp");
        for (GLabel* label : labels) {
            SCOPED_TRACE(label->text.data);
            i32 w, h;
            label->getPreferredSize(&w, &h);
            RECT r;
            GetClientRect(label->hwnd, &r);
            EXPECT_GE(r.right, w);
            EXPECT_GE(w, textExtent(getMessageFont(), label->text.data).cx);
            std::pair<i32, i32> drawn = windowInk(label->hwnd), free = freeInk(label->text.data);
            EXPECT_EQ(free.second - free.first, drawn.second - drawn.first);
            EXPECT_GE(drawn.first, 0);
            EXPECT_LE(drawn.second, r.right);
        }
    }
}

// The caption band holds the whole caption, ink past its measured width included.
TEST(GroupBox, CaptionShowsItsLastGlyphColumn) {
    Fixture f;
    GLayoutItem* root = new FreeItem(f.dialog);
    f.dialog->setContent(root);
    for (const char* caption : {"Lower depth", "Window:", "Player"}) {
        SCOPED_TRACE(caption);
        GGroupBoxItem* group = new GGroupBoxItem(f.dialog, caption);
        root->addChild(group);
        placeAndPaint(group->frame, RECT{10, 10, 210, 90});
        RECT text = boundsOf(group->frame->hwnd, toolkitColors.text);
        std::pair<i32, i32> free = freeInk(caption);
        EXPECT_EQ(free.second - free.first, text.right - text.left);
        DestroyWindow(group->frame->hwnd);
    }
}
