#include "gui/menus/menu_preview.h"

#include "gui/layout/layout_builder.h"
#include "gui/menus/menu_painter.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"

GMenuPreview::GMenuPreview(GWindow* owner, const char* text, bool vertical, u32 effects)
    : GUserWindow(owner), effects(effects), vertical(vertical), item(text, &this->effects) {
    if (!vertical) item.flag = MenuItemBar;
}

GMenuPreview* GMenuPreview::create(GLayoutBuilder& builder, const char* text, bool vertical, u32 effects) {
    GMenuPreview* preview = new GMenuPreview(builder.owner, text, vertical, effects);
    preview->GUserWindow::create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    builder.add(preview, nullptr);
    return preview;
}

void GMenuPreview::setEffects(u32 bits) {
    effects = bits;
    if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
}

void GMenuPreview::getPreferredSize(i32* width, i32* height) {
    SIZE size = measureMenuItem(screenDC().dc(), &item);
    *width = size.cx + (vertical ? 0 : 20);
    *height = size.cy;
}

void GMenuPreview::paint(HDC dc, const RECT&, bool) {
    DRAWITEMSTRUCT d{};
    d.CtlType = ODT_MENU;
    d.itemAction = ODA_DRAWENTIRE;
    d.itemState = ODS_SELECTED | ODS_HOTLIGHT;
    d.hDC = dc;
    GetClientRect(hwnd, &d.rcItem);
    d.itemData = (ULONG_PTR)&item;
    drawMenuItem(dc, &item, &d);
}
