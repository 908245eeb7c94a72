#include "gui/views/table_menu.h"

#include <windows.h>

#include <algorithm>

#include "gui/kernel/gui_texts.h"
#include "gui/kernel/item_base.h"
#include "gui/kernel/life_record.h"
#include "gui/menus/action_table.h"
#include "gui/menus/action_texts.h"
#include "gui/menus/menu_tracking.h"
#include "gui/menus/popup_menu.h"
#include "gui/views/table.h"

namespace {
struct TableActionName {
    u32 id;
    const char* name;
    GuiText title;
};
const TableActionName kTableActions[] = {
    {TableCopy, "GTable_COPY", GuiText::TableCopy},
    {TableFormatMenu, "GTable_FORMAT", GuiText::TableFormat},
    {TableFitAllByContent, "GTable_FORMAT_ALL_BY_CONTENT", GuiText::TableFormatAllByContent},
    {TableFitAllByContentAndHeader, "GTable_FORMAT_ALL_BY_CONTENT_AND_HEADER", GuiText::TableFormatAllByContentAndHeader},
    {TableFitCurrentByContent, "GTable_FORMAT_CURRENT_BY_CONTENT", GuiText::TableFormatCurrentByContent},
    {TableFitCurrentByContentAndHeader, "GTable_FORMAT_CURRENT_BY_CONTENT_AND_HEADER",
     GuiText::TableFormatCurrentByContentAndHeader},
    {TableFormatAuto, "GTable_FORMAT_AUTO", GuiText::TableFormatAuto},
    {TableViewOffsetAsHex, "GTable_VIEW_OFFSET_AS_HEX", GuiText::TableViewOffsetAsHex},
    {TableViewOffsetAsHex + 1, "GTable_VIEW_SIZE_AS_HEX", GuiText::TableViewSizeAsHex},
    {TableViewCountAsHex, "GTable_VIEW_COUNT_AS_HEX", GuiText::TableViewCountAsHex},
    {TableSetBaseOffset, "GTable_SET_BASE_OFFSET", GuiText::TableSetBaseOffset},
    {TableZeroBaseOffset, "GTable_ZERO_BASE_OFFSET", GuiText::TableZeroBaseOffset},
    {TableViewAsMenu, "GTable_VIEW_AS_MENU", GuiText::TableViewAs},
    {TableViewAsFirst, "GTable_VIEW_AS_SBYTE", GuiText::TableViewAsSByte},
    {TableViewAsFirst + 1, "GTable_VIEW_AS_UBYTE", GuiText::TableViewAsUByte},
    {TableViewAsFirst + 2, "GTable_VIEW_AS_SWORD", GuiText::TableViewAsSWord},
    {TableViewAsFirst + 3, "GTable_VIEW_AS_UWORD", GuiText::TableViewAsUWord},
    {TableViewAsFirst + 4, "GTable_VIEW_AS_SDWORD", GuiText::TableViewAsSDWord},
    {TableViewAsFirst + 5, "GTable_VIEW_AS_UDWORD", GuiText::TableViewAsUDWord},
    {TableViewAsFirst + 6, "GTable_VIEW_AS_SQWORD", GuiText::TableViewAsSQWord},
    {TableViewAsFirst + 7, "GTable_VIEW_AS_UQWORD", GuiText::TableViewAsUQWord},
    {TableViewAsFirst + 8, "GTable_VIEW_AS_FLOAT", GuiText::TableViewAsFloat},
    {TableViewAsFirst + 9, "GTable_VIEW_AS_DOUBLE", GuiText::TableViewAsDouble},
    {TableViewAsLast, "GTable_VIEW_AS_ASCII", GuiText::TableViewAsAscii},
};
const i32 kTableActionCount = (i32)(sizeof kTableActions / sizeof kTableActions[0]);

const i32 kFormatItems[] = {TableFitAllByContent, TableFitAllByContentAndHeader, TableFitCurrentByContent,
                            TableFitCurrentByContentAndHeader};
const i32 kViewAsItems[] = {155, 156, 157, 158, 159, 160, 161, 162, 163, 164, 165};
// The row menu: -1 is a separator.
const i32 kRowMenuItems[] = {TableCopy,        TableFormatMenu,     TableFormatAuto, -1, TableViewOffsetAsHex,
                             TableViewOffsetAsHex + 1, TableViewCountAsHex, -1, TableSetBaseOffset,
                             TableZeroBaseOffset, -1, TableViewAsMenu};

GActionItem tableActions[kTableActionCount];

struct TableActionRegistrar {
    TableActionRegistrar() {
        for (i32 i = 0; i < kTableActionCount; ++i) {
            GActionItem& a = tableActions[i];
            a.id = kTableActions[i].id;
            a.keyName = kTableActions[i].name;
            a.title = const_cast<char**>(&kxguiTexts[(u32)kTableActions[i].title]);
            if (a.id == TableFormatMenu) {
                a.flags = ActionPopup;
                a.subItems = kFormatItems;
                a.subItemCount = (i32)(sizeof kFormatItems / sizeof kFormatItems[0]);
            } else if (a.id == TableViewAsMenu) {
                a.flags = ActionPopup;
                a.subItems = kViewAsItems;
                a.subItemCount = (i32)(sizeof kViewAsItems / sizeof kViewAsItems[0]);
            }
            registerAction(&a);
        }
    }
} tableActionRegistrar;
}  // namespace

void GTableMenuProvider::fillMenu(GTable& table, GMenu& menu, i64, i32) {
    fillMenuFromIds(&table, menu, kRowMenuItems, (i32)(sizeof kRowMenuItems / sizeof kRowMenuItems[0]), MenuContext);
}

void GTableMenuProvider::runCommand(GTable& table, i32 command, i64, i32) {
    GStateQuery query;
    query.command = (u32)command;
    routeStateQuery(&table, QueryExecute, &query);
}

GTableMenuProvider* defaultTableMenuProvider() {
    static GTableMenuProvider provider;
    return &provider;
}

GTableMenuProvider* GTable::rowMenuProvider() const {
    return menuProvider ? menuProvider : defaultTableMenuProvider();
}

void GTable::setMenuProvider(GTableMenuProvider* provider) {
    if (provider == menuProvider) return;
    if (ownsMenuProvider) delete menuProvider;
    menuProvider = provider;
    ownsMenuProvider = provider != nullptr;
    rowMenuProvider()->attach(this);
}

void GTable::showRowMenu(u64 row, i32 column, i32 x, i32 y) {
    if (row >= rows) return;
    LifeGuard guard(lifeRecord());
    // The row takes the click as the caret; a selected row keeps the selection around it.
    if (!selectionModel->isSelected((i64)row)) {
        selectionModel->onClick((i64)row, column, *this);
    } else {
        selectionModel->setCaret((i64)row);
        selectionModel->setColumn(column);
        markDirty(TableCaretMoved);
    }
    if (!guard.alive()) return;
    scrollToRow((i64)row);
    invalidate();
    GTableMenuProvider* provider = rowMenuProvider();
    GPopupMenu menu;
    provider->fillMenu(*this, menu, (i64)row, column);
    if (!guard.alive()) return;
    i32 chosen = trackPopupMenu(this, menu, x, y, 0);
    if (chosen > 0 && guard.alive()) provider->runCommand(*this, chosen, (i64)row, column);
}

void GTable::showCaretRowMenu() {
    i64 caret = selectionModel->caret();
    if (caret < 0 || (u64)caret >= rows) return;
    i32 column = selectionModel->column();
    if (column < 0 || column >= columnCount || !columns[column].visible) {
        column = -1;
        for (i32 p = 0; p < columns.count() && column < 0; ++p)
            if (columns[columns.atPosition(p)].visible) column = columns.atPosition(p);
        if (column < 0) return;
    }
    scrollToRow(caret);
    // Below the caret cell's left end, kept inside the window.
    RECT cell = cellRect((u64)caret, column);
    RECT client;
    GetClientRect(hwnd, &client);
    i32 x = std::min(std::max<i32>(cell.left + 4, 0), (i32)client.right - 1);
    i32 y = std::min(std::max<i32>(cell.bottom, headerHeightPixels()), (i32)client.bottom - 1);
    showRowMenu((u64)caret, column, x, y);
}
