#include "gui/layout/scroll_bar.h"

void GScrollBar::sync(i64 total, i64 position, i32 page) const {
    const bool disabled = page >= total;
    const int wantPage = disabled ? 0 : (int)thumbSize(total, page);
    const int wantPos = disabled ? 0 : (int)thumbFromOrigin(total, page, position);
    SCROLLINFO now{};
    now.cbSize = sizeof now;
    now.fMask = SIF_ALL;
    const bool known = GetScrollInfo(hwnd, bar, &now) != FALSE;
    EnableScrollBar(hwnd, bar, disabled ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
    if (known && now.nMin == 0 && now.nMax == (int)kThumbScale - 1 && (int)now.nPage == wantPage && now.nPos == wantPos)
        return;
    // Drawn with the window's next paint: drawing the bar at once on every change costs a frame.
    SetScrollRange(hwnd, bar, 0, (int)kThumbScale - 1, FALSE);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_PAGE;
    info.nPage = (UINT)wantPage;
    SetScrollInfo(hwnd, bar, &info, FALSE);
    SetScrollPos(hwnd, bar, wantPos, FALSE);
    if (bar == SB_CTL) InvalidateRect(hwnd, nullptr, FALSE);
    else RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}
