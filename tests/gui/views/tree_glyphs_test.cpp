#include <windows.h>

#include <gtest/gtest.h>

#include "gui/paint/saved_dc.h"
#include "gui/views/tree_glyphs.h"
#include "tests/gui/dib_canvas.h"

namespace {
const COLORREF kPen = RGB(255, 255, 255), kFill = RGB(0, 0, 0);
const COLORREF kBackground = RGB(250, 0, 0), kShade = RGB(0, 0, 250);

struct Node : TreeGlyphNode {
    Node* parent = nullptr;
    bool children = false, expanded = false, last = false;
    TreeGlyphNode* glyphParent() const override { return parent; }
    bool hasChildren() const override { return children; }
    bool isExpanded() const override { return expanded; }
    bool isLastChild() const override { return last; }
};

// A row 60 x 17: y = 7; at depth 2 the box starts at x0 = 26.
void paint(DibCanvas& canvas, const Node& node) {
    GSavedDC dc(canvas.dc());
    dc.selectPen(kPen);
    dc.selectSolidBrush(kFill);
    paintTreeGlyphs(dc, &node, RECT{0, 0, 60, 17}, kBackground, kShade);
}

bool drawnColumn(const DibCanvas& c, i32 x, i32 top, i32 bottom) {
    for (i32 y = top; y <= bottom; ++y)
        if (c.pixel(x, y) != kPen) return false;
    return true;
}
}  // namespace

TEST(TreeGlyphs, BoxesLinesAndAncestorLevels) {
    Node root, parent, node;
    parent.parent = &root;
    node.parent = &parent;
    node.children = true;
    const i32 x0 = 26, y = 7;

    DibCanvas collapsed(60, 17, RGB(9, 9, 9));
    paint(collapsed, node);
    EXPECT_EQ(collapsed.pixel(59, 0), kFill);  // the row filled with the brush
    EXPECT_EQ(collapsed.pixel(x0 + 2, y), kPen);    // box sides
    EXPECT_EQ(collapsed.pixel(x0 + 10, y), kPen);
    EXPECT_EQ(collapsed.pixel(x0 + 2, y - 4), kFill);  // cut corner
    EXPECT_EQ(collapsed.pixel(x0 + 4, y - 4), kPen);
    EXPECT_TRUE(drawnColumn(collapsed, x0 + 6, y - 2, y + 2));  // plus
    EXPECT_EQ(collapsed.pixel(x0 + 4, y), kPen);                // minus bar
    EXPECT_EQ(collapsed.pixel(x0 + 8, y), kPen);
    EXPECT_EQ(collapsed.pixel(x0 + 4, y - 3), kBackground);     // background on top when collapsed
    EXPECT_EQ(collapsed.pixel(x0 - 7, y), kPen);                // connector from the parent's line
    EXPECT_EQ(collapsed.pixel(x0 + 1, y), kPen);
    EXPECT_TRUE(drawnColumn(collapsed, x0 - 7, 0, 16));         // not the last child: full height
    EXPECT_TRUE(drawnColumn(collapsed, x0 - 20, 0, 16));        // nor is the parent
    for (i32 x = 0; x < x0 - 20; ++x) EXPECT_EQ(collapsed.pixel(x, 2), kFill) << x;  // none for the top level

    node.expanded = true;
    node.last = true;
    parent.last = true;
    DibCanvas expanded(60, 17, RGB(9, 9, 9));
    paint(expanded, node);
    EXPECT_NE(expanded.pixel(x0 + 6, y - 2), kPen);      // a minus only
    EXPECT_EQ(GetBValue(expanded.pixel(x0 + 4, y - 3)), 250);  // shade on top when expanded
    EXPECT_TRUE(drawnColumn(expanded, x0 + 6, y + 5, 16));     // down to the children
    EXPECT_TRUE(drawnColumn(expanded, x0 - 7, 0, y));          // last child: top to the middle
    EXPECT_EQ(expanded.pixel(x0 - 7, y + 1), kFill);
    EXPECT_EQ(expanded.pixel(x0 - 20, 2), kFill);              // a last parent draws nothing

    Node leaf;
    leaf.parent = &parent;
    DibCanvas line(60, 17, RGB(9, 9, 9));
    paint(line, leaf);
    for (i32 x = x0 - 7; x < 60; ++x) ASSERT_EQ(line.pixel(x, y), kPen) << x;
    EXPECT_EQ(line.pixel(x0 - 8, y), kFill);
}
