#include "gui/layout/sized_box.h"

#include <algorithm>

#include "gui/layout/rect_list.h"

const RECT& primaryWorkArea() {
    static RECT area = [] {
        RECT r{0, 0, 0, 0};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
        return r;
    }();
    return area;
}

GSizedBox::GSizedBox(GWindow* owner, i32 widthPercent, i32 heightPercent)
    : GLayoutItem(owner), widthPercent(widthPercent), heightPercent(heightPercent) {}

void GSizedBox::addChild(GLayoutCell* child) {
    if (GLayoutCell* old = childAt(0)) deleteChildCell(old);
    if (children.empty()) children.push_back(nullptr);
    insertChild(0, child);
}

void GSizedBox::getPreferredSize(i32* width, i32* height) {
    i32 cw = 0, ch = 0;
    GLayoutCell* child = childAt(0);
    if ((widthPercent < 0 || heightPercent < 0) && child) preferredSizeOf(child, &cw, &ch);
    const RECT& area = primaryWorkArea();
    i32 w = widthPercent < 0 ? cw : widthPercent * (area.right - area.left) / 100;
    i32 h = heightPercent < 0 ? ch : heightPercent * (area.bottom - area.top) / 100;
    *width = w + margins[0] + margins[1];
    *height = h + margins[2] + margins[3];
}

void GSizedBox::setRect(const RECT& r) {
    rect = r;
    GLayoutCell* child = childAt(0);
    if (!child) return;
    placeCellAligned(child, insetRect(r, margins[0], margins[2], margins[1], margins[3]), '*', '*');
}
