#pragma once
// The native scroll bar of a 64-bit range: its scale is always 0..9999 (thumb size and position
// by the mapping of scroll_range.h).
#include <windows.h>

#include "gui/layout/scroll_range.h"

struct GScrollBar {
    HWND hwnd;
    int bar;  // SB_HORZ, SB_VERT or SB_CTL

    // Range, page and position to the bar; a page of at least the total disables it.
    void sync(i64 total, i64 position, i32 page) const;
    void sync(const GScrollRange& range) const { sync(range.total, range.origin, range.page); }
};
