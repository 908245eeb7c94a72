// GTable's own commands: copying the caret cell, fitting columns, the auto-fit flag, and the
// number formats of the byte-level views (in the toolkit settings "viewFlags" and "viewMode").
#include "core/gstring.h"
#include "gui/kernel/clipboard_text.h"
#include "gui/kernel/item_base.h"
#include "gui/paint/gui_settings.h"
#include "gui/views/table.h"

namespace {
bool isViewCommand(u32 command) { return command >= TableViewOffsetAsHex && command <= TableViewAsLast; }
}  // namespace

i32 GTable::commandState(u32 command) {
    if (command < TableCopy || command > TableLastCommand) return GUserImage::commandState(command);
    i32 column = selectionModel->column();
    bool caretColumn = column >= 0 && column < columnCount;
    bool on = false;
    switch (command) {
    case TableCopy:
        on = caretColumn && selectionModel->caret() >= 0 && (u64)selectionModel->caret() < rows;
        break;
    case TableFormatMenu:
    case TableFitAllByContent:
    case TableFitAllByContentAndHeader:
    case TableFormatAuto:
        on = hasHeader();
        break;
    case TableFitCurrentByContent:
    case TableFitCurrentByContentAndHeader:
        on = hasHeader() && caretColumn;
        break;
    default:
        on = isViewCommand(command) && hasByteViewCommands(command);
        break;
    }
    return on ? CommandEnabled : CommandDisabled;
}

i32 GTable::commandChecked(u32 command) {
    if (command < TableCopy || command > TableLastCommand) return GUserImage::commandChecked(command);
    if (command == TableFormatAuto) return (tableFlags & TableAutoFit) ? 1 : 0;
    if (command >= TableViewOffsetAsHex && command <= TableViewCountAsHex)
        return (guiSettings.viewFlags >> (command - TableViewOffsetAsHex)) & 1;
    if (command >= TableViewAsFirst && command <= TableViewAsLast)
        return guiSettings.viewMode == command - TableViewAsFirst ? 1 : 0;
    return 0;
}

bool GTable::onCommand(u32 command, GStateQuery* query) {
    if (command < TableCopy || command > TableLastCommand) return GUserImage::onCommand(command, query);
    i32 column = selectionModel->column();
    switch (command) {
    case TableCopy: {
        GString scratch;
        const char* text = tableModel->cellText(scratch, (u64)selectionModel->caret(), column);
        copyTextToClipboard(text ? text : "");
        break;
    }
    case TableFitAllByContent:
    case TableFitAllByContentAndHeader:
        fitColumnWidths(-1, command == TableFitAllByContentAndHeader);
        invalidate();
        break;
    case TableFitCurrentByContent:
    case TableFitCurrentByContentAndHeader:
        fitColumnWidths(column, command == TableFitCurrentByContentAndHeader);
        invalidate();
        break;
    case TableFormatAuto:
        tableFlags ^= TableAutoFit;
        break;
    case TableSetBaseOffset:
        setBaseOffset(baseOffsetValue());
        break;
    case TableZeroBaseOffset:
        setBaseOffset(0);
        break;
    default:
        if (command >= TableViewOffsetAsHex && command <= TableViewCountAsHex) {
            guiSettings.viewFlags ^= 1u << (command - TableViewOffsetAsHex);
            refreshAllTables();
        } else if (command >= TableViewAsFirst && command <= TableViewAsLast) {
            if (guiSettings.viewMode != command - TableViewAsFirst) {
                guiSettings.viewMode = command - TableViewAsFirst;
                refreshAllTables();
            }
        }
        break;
    }
    return true;
}
