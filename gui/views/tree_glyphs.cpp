#include "gui/views/tree_glyphs.h"

#include "gui/paint/drawing.h"
#include "gui/paint/gradients.h"
#include "gui/paint/saved_dc.h"

static const i32 kLevelWidth = 13;

void paintTreeGlyphs(GSavedDC& dc, const TreeGlyphNode* node, const RECT& rect, COLORREF background, COLORREF shade) {
    fillCurrentBrush(dc, rect);
    if (!node) return;
    i32 depth = 0;
    for (const TreeGlyphNode* p = node->glyphParent(); p; p = p->glyphParent()) ++depth;
    i32 x0 = rect.left + depth * kLevelWidth, y = (rect.top + rect.bottom) / 2 - 1;
    bool hasParent = node->glyphParent() != nullptr;
    if (node->hasChildren()) {
        bool expanded = node->isExpanded();
        drawCornerFrame(dc, x0 + 2, y - 4, x0 + 11, y + 5, 1);
        RECT inside = {x0 + 3, y - 3, x0 + 10, y + 4};
        gradientRect(dc, inside, expanded ? shade : background, expanded ? background : shade, true, false);
        drawHLine(dc, x0 + 4, x0 + 8, y);
        if (hasParent) drawHLine(dc, x0 - 7, x0 + 1, y);
        if (expanded)
            drawLine(dc, x0 + 6, y + 5, rect.bottom - 1);
        else
            drawLine(dc, x0 + 6, y - 2, y + 2);
    } else {
        drawHLine(dc, x0 - 7, rect.right - 1, y);
    }
    // The levels upward: the node's own, then each ancestor's.
    i32 x = x0 - 7;
    for (const TreeGlyphNode* n = node; n && n->glyphParent(); n = n->glyphParent(), x -= kLevelWidth) {
        if (!n->isLastChild())
            drawLine(dc, x, rect.top, rect.bottom - 1);
        else if (n == node)
            drawLine(dc, x, rect.top, y);
    }
}
