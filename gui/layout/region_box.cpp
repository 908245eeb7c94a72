#include "gui/layout/region_box.h"

#include <algorithm>
#include <stdexcept>

GRegionBox::GRegionBox(GWindow* owner) : GLayoutItem(owner) { children.assign(Places, nullptr); }

void GRegionBox::addChild(GLayoutCell* child) {
    if (added >= Places) throw std::length_error("a region box has five places");
    insertChild(added++, child);
}

void GRegionBox::measure(Measure& m) {
    for (int i = 0; i < Places; ++i) {
        GLayoutCell* c = childAt(i);
        m.w[i] = m.h[i] = 0;
        if (c && !(c->cellFlags & CellExcluded)) preferredSizeOf(c, &m.w[i], &m.h[i]);
        m.present[i] = m.w[i] > 0 && m.h[i] > 0;
        if (!m.present[i]) m.w[i] = m.h[i] = 0;
    }
    for (int i = 0; i < 8; ++i) m.gap[i] = digits[i];
    const bool* p = m.present;
    const bool middle = p[Left] || p[Centre] || p[Right];
    if (!(p[Top] && (p[Bottom] || middle))) m.gap[5] = 0;
    if (!(p[Bottom] && (p[Top] || middle))) m.gap[6] = 0;
    if (!(p[Left] && (p[Centre] || p[Right]))) m.gap[1] = 0;
    if (!(p[Right] && (p[Centre] || p[Left]))) m.gap[2] = 0;
}

void GRegionBox::getPreferredSize(i32* width, i32* height) {
    Measure m;
    measure(m);
    const i32 row = m.gap[1] + m.gap[2] + m.w[Left] + m.w[Centre] + m.w[Right];
    *width = m.gap[0] + m.gap[3] + std::max({m.w[Top], m.w[Bottom], row});
    *height = m.gap[4] + m.gap[7] + m.gap[5] + m.gap[6] + m.h[Top] + m.h[Bottom] +
              std::max({m.h[Left], m.h[Centre], m.h[Right]});
}

void GRegionBox::setRect(const RECT& r) {
    rect = r;
    Measure m;
    measure(m);
    RECT in{r.left + m.gap[0], r.top + m.gap[4], r.right - m.gap[3], r.bottom - m.gap[7]};
    in.right = std::max(in.right, in.left);
    in.bottom = std::max(in.bottom, in.top);
    auto place = [&](int i, char h, char v) -> GLayoutCell* {
        GLayoutCell* c = childAt(i);
        if (!c || (c->cellFlags & CellExcluded)) return nullptr;
        placeCellAligned(c, in, h, v);
        return m.present[i] ? c : nullptr;
    };
    if (GLayoutCell* c = place(Top, '*', '^')) in.top = std::min<i32>(c->rect.bottom + m.gap[5], in.bottom);
    if (GLayoutCell* c = place(Bottom, '*', 'v')) in.bottom = std::max<i32>(c->rect.top - m.gap[6], in.top);
    if (GLayoutCell* c = place(Left, '<', '*')) in.left = std::min<i32>(c->rect.right + m.gap[1], in.right);
    if (GLayoutCell* c = place(Right, '>', '*')) in.right = std::max<i32>(c->rect.left - m.gap[2], in.left);
    place(Centre, '*', '*');
}
