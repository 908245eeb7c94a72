#include "gui/layout/scroll_bar.h"

void GScrollBar::sync(i64 total, i64 position, i32 page) const {
    SetScrollRange(hwnd, bar, 0, (int)kThumbScale - 1, FALSE);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_PAGE;
    if (page >= total) {
        EnableScrollBar(hwnd, bar, ESB_DISABLE_BOTH);
        info.nPage = 0;
        SetScrollInfo(hwnd, bar, &info, FALSE);
        SetScrollPos(hwnd, bar, 0, TRUE);
        return;
    }
    EnableScrollBar(hwnd, bar, ESB_ENABLE_BOTH);
    info.nPage = (UINT)thumbSize(total, page);
    SetScrollInfo(hwnd, bar, &info, FALSE);
    SetScrollPos(hwnd, bar, (int)thumbFromOrigin(total, page, position), TRUE);
}
