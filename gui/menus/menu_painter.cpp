#include "gui/menus/menu_painter.h"

#include <commctrl.h>

#include <cstring>

#include "gui/menus/action_image.h"
#include "gui/menus/menu.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/fonts.h"
#include "gui/paint/gui_settings.h"
#include "gui/paint/paint_composite.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/system_metrics.h"
#include "gui/paint/text_measure.h"

u32 GMenuItemData::effectBits() const {
    return flag == MenuItemBar ? guiSettings.horizontalMenuEffects : guiSettings.verticalMenuEffects;
}

namespace {
HFONT menuFont() {
    HFONT font = getMenuFont()->font;
    return font ? font : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

enum { KeyGap = 18, ArrowColumn = 16 };

// The title and the shortcut part (after the TAB) of an item text.
void splitText(const GMenuItemData* data, GString& title, const char*& keys) {
    const char* text = data->text.c_str();
    const char* tab = strchr(text, '\t');
    stringAssign(title, text, tab ? (u32)(tab - text) : (u32)strlen(text));
    keys = tab ? tab + 1 : nullptr;
}

// Whether the item of the menu that holds the data opens a submenu. A command item is found by its
// id at once; popup items (id 0) by a scan.
bool opensSubmenu(HMENU menu, UINT id, ULONG_PTR data) {
    if (!menu || !IsMenu(menu)) return false;
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

// Text width (title, and the keys after a gap) and height in the DC's font.
SIZE measureText(HDC dc, const GMenuItemData* data) {
    GString title;
    const char* keys;
    splitText(data, title, keys);
    SIZE t = textExtentW(dc, title.c_str(), -1);
    if (keys) {
        SIZE k = textExtentW(dc, keys, -1);
        t.cx += k.cx + KeyGap;
        if (k.cy > t.cy) t.cy = k.cy;
    }
    return t;
}

// The item's content over the face: image or check mark centred in the cell, the title after it,
// the keys at the right before the extra width.
class MenuItemContent : public GPaintElement {
public:
    MenuItemContent(const GMenuItemData* data, SIZE cell, bool checked, bool noPrefix)
        : data(data), cell(cell), checked(checked), noPrefix(noPrefix) {}
    void paint(GSavedDC& dc, const RECT& rect) override {
        HDC h = dc.dc();
        SetBkMode(h, TRANSPARENT);
        i32 left = rect.left + 2;
        if (cell.cx) {
            RECT box{left, rect.top + (rect.bottom - rect.top - cell.cy) / 2, left + cell.cx, 0};
            box.bottom = box.top + cell.cy;
            if (checked) {
                RECT mark = box;
                InflateRect(&mark, -2, -2);
                DrawFrameControl(h, &mark, DFC_MENU, DFCS_MENUCHECK | DFCS_TRANSPARENT);
            } else if (data->image) {
                SIZE size = actionImageSize(data->image);
                drawActionImage(h, data->image, box.left + (cell.cx - size.cx) / 2, box.top + (cell.cy - size.cy) / 2,
                                ILD_TRANSPARENT);
            }
            left += cell.cx + 4;
        }
        GString title;
        const char* keys;
        splitText(data, title, keys);
        UINT format = DT_SINGLELINE | DT_VCENTER | (noPrefix ? DT_HIDEPREFIX : 0);
        RECT text{left, rect.top, rect.right - data->extraWidth() - 2, rect.bottom};
        if (data->flag == MenuItemBar && !cell.cx) {
            text.left = rect.left;
            text.right = rect.right;
            format |= DT_CENTER;
        }
        drawTextW(h, &text, title.c_str(), -1, format);
        if (keys) drawTextW(h, &text, keys, -1, format | DT_RIGHT | DT_NOPREFIX);
    }
    const GMenuItemData* data;
    SIZE cell;
    bool checked, noPrefix;
};
}  // namespace

u32 menuItemPaintFlags(u32 effects, UINT itemState, bool* selectionColours) {
    u32 flags = Composite::Buffered;
    bool selection = false;
    if (itemState & (ODS_SELECTED | ODS_HOTLIGHT)) {
        static const struct {
            u32 bit, add;
        } adds[] = {{0x2, Composite::CornerMarks}, {0x4, Composite::Shadow},   {0x8, Composite::Reversed},
                    {0x10, Composite::Selected},   {0x40, 0x6000},            {0x80, 0x4000},
                    {0x100, 0x5000}};
        selection = (effects & 0x20) != 0;
        if (effects & 0x1) flags = Composite::Buffered | 2;
        for (const auto& a : adds)
            if (effects & a.bit) flags |= a.add;
    }
    if (itemState & (ODS_DISABLED | ODS_GRAYED)) flags |= Composite::Disabled;
    if (!(flags & Composite::FillMask)) flags |= 0x2000;
    if (selectionColours) *selectionColours = selection;
    return flags;
}

SIZE menuItemImageCell(const GMenuItemData* data) {
    SIZE image = data->image ? actionImageSize(data->image) : SIZE{0, 0};
    if (data->flag == MenuItemBar) return image;
    i32 s = 20;
    if (image.cx > s) s = image.cx;
    if (image.cy > s) s = image.cy;
    if (!systemMetrics.filled) initSystemMetrics();
    i32 check = systemMetrics.cxMenuCheck;
    return SIZE{s > check ? s : check, s > check ? s : check};
}

SIZE measureMenuItem(HDC dc, const GMenuItemData* data) {
    if (data->separator()) return SIZE{1, 5};
    SIZE cell = menuItemImageCell(data);
    HGDIOBJ old = SelectObject(dc, menuFont());
    SIZE text = measureText(dc, data);
    SelectObject(dc, old);
    i32 height = (cell.cy > text.cy ? cell.cy : text.cy) + 8;
    i32 width = cell.cx + (data->text.length && cell.cx ? 6 : 2) + text.cx + data->extraWidth() + 4;
    if (data->flag == MenuItemBar) width -= 6;
    return SIZE{width, height};
}

SIZE measurePlainItem(HDC dc, const GMenuItemData* data) {
    SIZE cell = data->image ? actionImageSize(data->image) : SIZE{0, 0};
    SIZE text = data->text.length ? measureText(dc, data) : SIZE{0, 0};
    i32 height = (cell.cy > text.cy ? cell.cy : text.cy) + 4;
    i32 width = cell.cx + (data->text.length && cell.cx ? 7 : 3) + text.cx + (data->text.length ? 4 : 0);
    return SIZE{width, height};
}

namespace {
// Paints the item; true when it opens a submenu (its arrow drawn).
bool paintItem(HDC hdc, const GMenuItemData* data, const DRAWITEMSTRUCT* d) {
    const ToolkitColors& c = toolkitColors;
    GSavedDC dc(hdc);
    const RECT& r = d->rcItem;
    if (data->separator()) {
        dc.selectSolidBrush(c.background);
        fillCurrentBrush(dc, r);
        dc.selectPen(c.darkShade);
        drawHLine(dc, r.left + 2, r.right - 3, r.top + 2);
        dc.selectPen(c.lightShade);
        drawHLine(dc, r.left + 2, r.right - 3, r.top + 3);
        return false;
    }
    bool selection = false;
    u32 flags = menuItemPaintFlags(data->effectBits(), d->itemState, &selection);
    bool disabled = (flags & Composite::Disabled) != 0;
    COLORREF ink = selection ? c.selectionText : c.text;
    dc.selectFont(menuFont());
    dc.selectSolidBrush(selection ? c.selection : c.background);
    SetTextColor(hdc, ink);
    SetBkMode(hdc, TRANSPARENT);
    MenuItemContent content(data, menuItemImageCell(data), (d->itemState & ODS_CHECKED) != 0,
                            (d->itemState & ODS_NOACCEL) != 0);
    paintComposite(dc, r, &content, flags);
    if (data->flag != MenuItemBar && opensSubmenu((HMENU)d->hwndItem, d->itemID, d->itemData)) {
        drawSubmenuArrow(hdc, r.right - ArrowColumn + (ArrowColumn - 4) / 2, (r.top + r.bottom) / 2,
                         disabled ? c.darkShade : ink);
        return true;
    }
    return false;
}
}  // namespace

void drawMenuItem(HDC dc, const GMenuItemData* data, const DRAWITEMSTRUCT* d) {
    // The system draws its own arrow into the item after this message: keep it off the item (after
    // the saved state is restored, which would undo it).
    if (paintItem(dc, data, d)) ExcludeClipRect(dc, d->rcItem.left, d->rcItem.top, d->rcItem.right, d->rcItem.bottom);
}

bool paintMenuItem(GParentWindow*, UINT message, LPARAM lParam) {
    if (message == WM_MEASUREITEM) {
        MEASUREITEMSTRUCT* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (m->CtlType != ODT_MENU) return false;
        GMenuItemData* data = reinterpret_cast<GMenuItemData*>(m->itemData);
        if (!data) return false;
        GSavedDC& screen = screenDC();
        SIZE size = measureMenuItem(screen.dc(), data);
        m->itemWidth = (UINT)size.cx;
        m->itemHeight = (UINT)size.cy;
        return true;
    }
    if (message != WM_DRAWITEM) return false;
    DRAWITEMSTRUCT* d = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (d->CtlType != ODT_MENU) return false;
    GMenuItemData* data = reinterpret_cast<GMenuItemData*>(d->itemData);
    if (!data) return false;
    drawMenuItem(d->hDC, data, d);
    return true;
}
