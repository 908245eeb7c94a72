// Painting of the strip: tabs with icons, marker, attached marks and mini buttons; strip buttons;
// the insertion marker of a drag.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "gui/input/system_input.h"
#include "gui/paint/drawing.h"
#include "gui/paint/fonts.h"
#include "gui/paint/image_list_cache.h"
#include "gui/views/tab.h"
#include "gui/views/tab_actions.h"

namespace {
enum : u32 { CloseMiniList = 0x2357, AttachMiniList = 0x2359, AttachedMarkList = 0x235b };

void fill(HDC dc, const RECT& r, int sysColour) { FillRect(dc, &r, GetSysColorBrush(sysColour)); }

void frame(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(dc, &r, brush);
    DeleteObject(brush);
}

// Image `state` of the list, or image 0 when the list has fewer.
void drawListImage(HDC dc, u32 listId, i32 state, i32 x, i32 y, UINT style = ILD_TRANSPARENT) {
    HIMAGELIST list = (HIMAGELIST)getImageList(listId);
    if (!list) return;
    i32 count = ImageList_GetImageCount(list);
    ImageList_Draw(list, state < count ? state : 0, dc, x, y, style);
}

SIZE listImageSize(u32 listId) {
    int w = 0, h = 0;
    if (HIMAGELIST list = (HIMAGELIST)getImageList(listId)) ImageList_GetIconSize(list, &w, &h);
    return SIZE{w, h};
}
}  // namespace

void GTab::paintTab(HDC dc, i32 index, const RECT& r) {
    GTabRecord* record = recordOf(index);
    if (!record) return;
    const bool isCurrent = index == current, isHot = index == hoverTab && hoverMini == TabMiniNone;
    const bool isDragged = index == dragIndex;
    fill(dc, r, isCurrent ? COLOR_WINDOW : COLOR_BTNFACE);
    if (isDragged) {
        RECT inner = r;
        InflateRect(&inner, -1, -1);
        FillRect(dc, &inner, tabHighlightBrush());
    }
    frame(dc, r, GetSysColor(isCurrent ? COLOR_BTNTEXT : COLOR_BTNSHADOW));
    if (isHot && !isCurrent) {
        RECT inner = r;
        InflateRect(&inner, -1, -1);
        frame(dc, inner, tabHighlightColor);
    }
    RECT inner = r;
    InflateRect(&inner, -3, -3);
    SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    if (iconSize > 0) {
        SaveDC(dc);
        IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
        if (!record->icon)
            FillRect(dc, &inner, tabHighlightBrush());
        else
            DrawIconEx(dc, inner.left, inner.top + (inner.bottom - inner.top - iconSize) / 2, record->icon, iconSize,
                       iconSize, 0, nullptr, DI_NORMAL);
        RestoreDC(dc, -1);
        if (iconSize > inner.right - inner.left) {
            RestoreDC(dc, -1);
            return;
        }
        inner.left += iconSize + 3;
    }
    if (record->attached) {
        SIZE mark = listImageSize(AttachedMarkList);
        drawListImage(dc, AttachedMarkList, 0, r.left + 1, r.top + 1);
        drawListImage(dc, AttachedMarkList, 0, r.right - 1 - mark.cx, r.bottom - 1 - mark.cy);
    }
    // Mini buttons at the top right; the marker sits left of them, the label below them.
    i32 markerRight = inner.right, labelTop = inner.top;
    for (i32 which : {TabMiniClose, TabMiniAttach}) {
        RECT m = miniButtonRect(index, which);
        if (m.right <= m.left) continue;
        const i32 shift = r.left - fullTabRect(index).left;
        m.left += shift;
        m.right += shift;
        i32 state = 0;
        if (index == hoverTab && hoverMini == which) state = tracker && tracker->pressed() ? 2 : 1;
        drawListImage(dc, which == TabMiniClose ? CloseMiniList : AttachMiniList, state, m.left + 1, m.top + 1);
        markerRight = std::min<i32>(markerRight, m.left);
        labelTop = std::max<i32>(labelTop, m.bottom);
    }
    HGDIOBJ oldFont = SelectObject(dc, getMessageFont()->font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    if (record->modified) {
        inner.right -= markerWidth;
        RECT star{markerRight - markerWidth, r.top + 3, markerRight, inner.bottom};
        DrawTextA(dc, "*", 1, &star, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    }
    inner.top = std::min<LONG>(labelTop, inner.bottom);
    RECT label = inner;
    DrawTextA(dc, record->label.c_str(), (int)record->label.length, &label,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | DT_LEFT);
    SelectObject(dc, oldFont);
    RestoreDC(dc, -1);
}

void GTab::paint(HDC dc, const RECT&, bool) {
    RECT client;
    GetClientRect(hwnd, &client);
    layout(client.right);
    fill(dc, client, COLOR_BTNFACE);
    if (showsTabs()) {
        for (i32 i = 0; i < tabCount(); ++i) {
            RECT r = tabRect(i);
            if (r.right <= r.left) continue;
            SaveDC(dc);
            IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
            paintTab(dc, i, fullTabRect(i));
            RestoreDC(dc, -1);
        }
    }
    // Strip buttons, each with a separator on its inner side.
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (i32 k = 0; k < TabButtonCount; ++k) {
        const GTabStripButton* b = tabStripButton(k);
        RECT r = buttonRect(b);
        if (r.right <= r.left) continue;
        const bool enabled = b->isEnabled(*this);
        if (b == hoverButton && enabled) {
            FillRect(dc, &r, tabHighlightBrush());
            if (tracker && tracker->pressed()) frame(dc, r, GetSysColor(COLOR_BTNTEXT));
        }
        SIZE s = listImageSize(b->bitmapId);
        drawListImage(dc, b->bitmapId, 0, (r.left + r.right - s.cx) / 2, (r.top + r.bottom - s.cy) / 2,
                      enabled ? ILD_TRANSPARENT : ILD_TRANSPARENT | ILD_BLEND50);
        i32 x = b->side == 1 ? r.right : r.left - 1;
        MoveToEx(dc, x, r.top + 2, nullptr);
        LineTo(dc, x, r.bottom - 2);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    // The insertion marker of a drag inside the strip.
    if (dragIndex >= 0 && !dragImage) {
        POINT cursor{0, 0};
        systemInput.cursorPos(&cursor);
        ScreenToClient(hwnd, &cursor);
        dropGap = insertionGap(cursor.x);
        i32 x = -1;
        i32 l, rr;
        if (dropGap >= 0 && tabSpan(dropGap, &l, &rr))
            x = l - 1;
        else if (dropGap > 0 && tabSpan(dropGap - 1, &l, &rr))
            x = rr;
        if (x >= 0) {
            RECT marker{x - 1, 0, x + 1, client.bottom};
            FillRect(dc, &marker, GetSysColorBrush(COLOR_WINDOWFRAME));
        }
    }
}
