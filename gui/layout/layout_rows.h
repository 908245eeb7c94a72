#pragma once
// The row, column and equal-cell row containers. Each is a GLayoutItem that measures and arranges
// its children by their alignment letters and the item's digits (margins and gaps); created by the
// builder or by hand and owned like any item.
#include "gui/layout/layout_cell.h"

class GLayoutBuilder;

// Children side by side. Digits: left margin, gap, right margin, top margin, bottom margin.
class GRowItem : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;
    void getPreferredSize(i32* width, i32* height) override;
    void setRect(const RECT& rect) override;

    // A row on the builder's owner with the digits; it becomes current until endContainer.
    static GRowItem* create(GLayoutBuilder& builder, const char* digits);

private:
    // One routine measures and arranges: measuring answers the size in *width and *height.
    void run(i32 x, i32 y, i32 width, i32 height, bool measure, bool widthUnknown, i32* outW, i32* outH);
};

// Children stacked. Digits: left margin, right margin, top margin, gap, bottom margin.
class GColumnsItem : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;
    void getPreferredSize(i32* width, i32* height) override;
    void setRect(const RECT& rect) override;
    bool inheritedFlagFor(GLayoutCell*) override { return container != nullptr; }

    // A column on the builder's owner with gap 8 before the digits apply; it becomes current.
    static GColumnsItem* create(GLayoutBuilder& builder, const char* digits, const char* code);
};

// Equal-width cells side by side, one per entry of the child array, present or not.
class GEqualRowItem : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;
    void getPreferredSize(i32* width, i32* height) override;
    void setRect(const RECT& rect) override;
};
