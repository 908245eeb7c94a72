#include "gui/menus/menu_painter.h"

#include <commctrl.h>

#include <cstring>

#include "gui/menus/action_image.h"
#include "gui/menus/menu.h"
#include "gui/paint/fonts.h"

namespace {
HFONT menuFont() {
    HFONT font = getMenuFont()->font;
    return font ? font : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

// Every popup item keeps a column at its right for the submenu arrow, as native menus do.
enum { ImageColumn = 22, ShortcutGap = 24, SeparatorHeight = 7, ArrowColumn = 16 };

// The title and the shortcut part (after the TAB) of an item text.
void splitText(const GMenuItemData* data, GString& title, const char*& keys) {
    const char* text = data->text.c_str();
    const char* tab = strchr(text, '\t');
    stringAssign(title, text, tab ? (u32)(tab - text) : (u32)strlen(text));
    keys = tab ? tab + 1 : "";
}

// Whether the item of the menu that holds the data opens a submenu. A command item is found by its
// id at once; popup items (id 0) by a scan.
bool opensSubmenu(HMENU menu, UINT id, ULONG_PTR data) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | MIIM_SUBMENU;
    if (id && GetMenuItemInfoA(menu, id, FALSE, &info) && info.dwItemData == data) return info.hSubMenu != nullptr;
    i32 count = GetMenuItemCount(menu);
    for (i32 i = 0; i < count; ++i)
        if (GetMenuItemInfoA(menu, (UINT)i, TRUE, &info) && info.dwItemData == data) return info.hSubMenu != nullptr;
    return false;
}

// A solid triangle pointing right, 4 pixels wide and 7 high, its tip at (left + 3, middle).
void drawSubmenuArrow(HDC dc, i32 left, i32 middle, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    for (i32 i = 0; i < 4; ++i) {
        RECT column{left + i, middle - 3 + i, left + i + 1, middle + 4 - i};
        FillRect(dc, &column, brush);
    }
    DeleteObject(brush);
}

SIZE measure(HDC dc, const char* text, UINT format) {
    RECT r{0, 0, 0, 0};
    DrawTextA(dc, text, -1, &r, format | DT_CALCRECT | DT_SINGLELINE);
    return SIZE{r.right - r.left, r.bottom - r.top};
}
}  // namespace

bool paintMenuItem(GParentWindow*, UINT message, LPARAM lParam) {
    if (message == WM_MEASUREITEM) {
        MEASUREITEMSTRUCT* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (m->CtlType != ODT_MENU) return false;
        GMenuItemData* data = reinterpret_cast<GMenuItemData*>(m->itemData);
        if (!data) return false;
        if (data->commandId == -1 && !data->text.length) {
            m->itemWidth = 10;
            m->itemHeight = SeparatorHeight;
            return true;
        }
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, menuFont());
        GString title;
        const char* keys;
        splitText(data, title, keys);
        SIZE t = measure(dc, title.c_str(), 0);
        SIZE k = *keys ? measure(dc, keys, DT_NOPREFIX) : SIZE{0, 0};
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        if (data->flag == 1) {
            m->itemWidth = (UINT)t.cx + 4;
            m->itemHeight = (UINT)t.cy + 4;
        } else {
            m->itemWidth = (UINT)(ImageColumn + t.cx + (k.cx ? ShortcutGap + k.cx : 0) + ArrowColumn);
            m->itemHeight = (UINT)(t.cy + 6 > 20 ? t.cy + 6 : 20);
        }
        return true;
    }
    if (message != WM_DRAWITEM) return false;
    DRAWITEMSTRUCT* d = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (d->CtlType != ODT_MENU) return false;
    GMenuItemData* data = reinterpret_cast<GMenuItemData*>(d->itemData);
    if (!data) return false;
    HDC dc = d->hDC;
    RECT r = d->rcItem;
    bool selected = (d->itemState & ODS_SELECTED) != 0;
    bool disabled = (d->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    FillRect(dc, &r, GetSysColorBrush(selected && !disabled ? COLOR_HIGHLIGHT : COLOR_MENU));
    if (data->commandId == -1 && !data->text.length) {
        RECT line{r.left + 2, (r.top + r.bottom) / 2 - 1, r.right - 2, (r.top + r.bottom) / 2 + 1};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        return true;
    }
    HGDIOBJ old = SelectObject(dc, menuFont());
    SetBkMode(dc, TRANSPARENT);
    COLORREF ink = GetSysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    SetTextColor(dc, ink);
    GString title;
    const char* keys;
    splitText(data, title, keys);
    UINT format = DT_SINGLELINE | DT_VCENTER | ((d->itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
    if (data->flag == 1) {
        DrawTextA(dc, title.c_str(), -1, &r, format | DT_CENTER);
    } else {
        RECT mark{r.left + 2, r.top + 2, r.left + ImageColumn - 4, r.bottom - 2};
        if (d->itemState & ODS_CHECKED) {
            DrawFrameControl(dc, &mark, DFC_MENU, DFCS_MENUCHECK | DFCS_TRANSPARENT);
        } else if (data->image) {
            SIZE size = actionImageSize(data->image);
            drawActionImage(dc, data->image, r.left + 2, r.top + (r.bottom - r.top - size.cy) / 2,
                            disabled ? ILD_BLEND50 : ILD_TRANSPARENT);
        }
        RECT text{r.left + ImageColumn, r.top, r.right - ArrowColumn, r.bottom};
        DrawTextA(dc, title.c_str(), -1, &text, format | DT_LEFT);
        if (*keys) DrawTextA(dc, keys, -1, &text, format | DT_RIGHT | DT_NOPREFIX);
        if (opensSubmenu((HMENU)d->hwndItem, d->itemID, d->itemData)) {
            drawSubmenuArrow(dc, r.right - ArrowColumn + (ArrowColumn - 4) / 2, (r.top + r.bottom) / 2, ink);
            // The system draws its own arrow into the item after this message: keep it off the item.
            ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
    }
    SelectObject(dc, old);
    return true;
}
