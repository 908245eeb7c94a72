#include "gui/controls/combo_list.h"

#include <algorithm>

ComboListFactory comboListFactory = nullptr;

ComboListMetrics systemComboListMetrics() {
    return {GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CXBORDER),
            GetSystemMetrics(SM_CYBORDER)};
}

ComboListPlace placeComboList(const RECT& r, const RECT& a, i32 itemHeight, i32 n, i32 widest,
                              const ComboListMetrics& m, bool moreRows) {
    const i32 s = m.hScrollHeight;
    const i32 wantedHeight = itemHeight * n + 2 * m.borderHeight;
    i32 top, bottom;
    bool below;
    if (r.bottom + wantedHeight <= a.bottom - s) {
        top = r.bottom, bottom = r.bottom + wantedHeight, below = true;
    } else if (r.top - wantedHeight >= a.top + s) {
        top = r.top - wantedHeight, bottom = r.top, below = false;
    } else if (r.top - (a.top + s) >= 2 * ((a.bottom - s) - r.bottom)) {
        top = a.top + s, bottom = r.top, below = false;
    } else {
        top = r.bottom, bottom = a.bottom - s, below = true;
    }
    const bool cut = bottom - top < wantedHeight || moreRows;

    const i32 wantedWidth = 2 * m.borderWidth + (cut ? m.vScrollWidth : 0) + widest;
    i32 width = std::min(wantedWidth, (i32)(a.right - a.left) / 2);
    width = std::max(width, (i32)(r.right - r.left));
    i32 left = r.left;
    if (left + width > a.right) left = std::max(a.right - width, a.left);
    left = std::min(left, (i32)r.left);
    const i32 right = std::max(left + width, (i32)r.right);

    if (!cut && right - left < wantedWidth) {
        if (below)
            bottom += s;
        else
            top -= s;
    }
    return {RECT{left, top, right, bottom}, cut};
}
