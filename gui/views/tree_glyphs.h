#pragma once
// The expand boxes and connecting lines in front of a tree row.
#include <windows.h>

#include "core/types.h"

class GSavedDC;

// What the glyphs ask of a row's node.
class TreeGlyphNode {
public:
    virtual ~TreeGlyphNode() = default;
    virtual TreeGlyphNode* glyphParent() const = 0;  // null at the top level
    virtual bool hasChildren() const = 0;
    virtual bool isExpanded() const = 0;
    virtual bool isLastChild() const = 0;
};

// Fills the rectangle with the current brush and draws, in the current pen, the node's box (a
// gradient between the two colours, plus or minus) or its leaf line, and the lines of its ancestors'
// levels, 13 pixels a level.
void paintTreeGlyphs(GSavedDC& dc, const TreeGlyphNode* node, const RECT& rect, COLORREF background, COLORREF shade);
