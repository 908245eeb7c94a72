#include "gui/views/table.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "core/exceptions.h"
#include "gui/input/hot_tracker.h"
#include "gui/input/input_event.h"
#include "gui/input/system_input.h"
#include "gui/kernel/life_record.h"
#include "gui/layout/layout_cell.h"
#include "gui/layout/rect_list.h"
#include "gui/menus/action_image.h"
#include "gui/paint/alpha_blend.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/system_metrics.h"
#include "gui/paint/text_measure.h"
#include "gui/views/cell_format.h"
#include "gui/views/cell_grid_model.h"
#include "gui/views/table_menu.h"
#include "gui/views/table_paint.h"
#include "gui/views/table_type_ahead.h"

namespace {
std::vector<GTable*>& liveTables() {
    static std::vector<GTable*> tables;
    return tables;
}

i32 fontHeight(const FontHolder& font) { return getUiFontMetrics(&font).cy; }

// Fitting measures every row up to this many, else the visible rows only.
const u64 kFitAllRowsLimit = 10000;
// The header title's room: 3 pixels each side and a little more for the sort image's gap.
const i32 kHeaderRoom = 8;
}  // namespace

// Column-string widths from the table's fonts.
class GTable::Metrics : public GColumnMetrics {
public:
    explicit Metrics(GTable& table) : table(table) {}
    // What the formatter measures for the text in the cell font.
    i32 cellTextWidth(const char* text, Formatter formatter) override {
        GCellFormat* format = formatter == CheckBox ? checkCellFormat() : formatter == Button ? buttonCellFormat()
                                                                                              : defaultCellFormat();
        selectScreenFont(table.cellFont.font);
        return format->measure(screenDC(), text, nullptr);
    }
    i32 headerTextWidth(const char* text) override { return textExtent(&table.headerFont, text ? text : "").cx + kHeaderRoom; }
    i32 averageCharWidth() override { return getUiFontMetrics(&table.cellFont).cx; }
    // A per-cent of the work area's width.
    i32 percentBase() override { return systemMetrics.workArea.width > 0 ? systemMetrics.workArea.width : 1000; }

private:
    GTable& table;
};

GTable::~GTable() {
    destroyNative();
    if (typeAheadCollector) {
        detachWatcher(typeAheadCollector);
        delete typeAheadCollector;
    }
    auto& tables = liveTables();
    tables.erase(std::remove(tables.begin(), tables.end(), this), tables.end());
    delete selectionModel;
    if (ownsMenuProvider) delete menuProvider;
    if (!(tableFlags & TableModelNotOwned)) delete tableModel;
    if (headerFont.owned) DeleteObject(headerFont.font);
    if (cellFont.owned) DeleteObject(cellFont.font);
}

bool GTable::create(GTableDesc& desc) {
    rows = 0;
    visibleRows = desc.visibleRows;
    horizontal.setTotalAndStep(1, 1);
    vertical.setTotalAndStep(1, 1);
    tableFlags = desc.flags | 0x1C;
    drawStyle |= DrawScrollable;
    if (!GUserWindow::create(desc.style, desc.exStyle)) return false;
    liveTables().push_back(this);
    tracker = new GHotTracker(this);
    menuProvider = desc.menuProvider;
    if (menuProvider) menuProvider->attach(this);

    columnCount = desc.model ? desc.model->columnCount() : (i32)desc.columnCount;
    headerFont = desc.headerFont;
    cellFont = desc.cellFont;
    desc.headerFont.owned = desc.cellFont.owned = false;

    headerHeight = desc.headerHeight >= 0
                       ? desc.headerHeight
                       : std::max({fontHeight(headerFont), desc.minHeaderTextHeight, 10}) + 6;
    if (desc.minHeaderTextHeight >= 1 && headerHeight < desc.minHeaderTextHeight + 6)
        headerHeight = desc.minHeaderTextHeight + 6;

    columns.setCount(columnCount);
    if (desc.columnSpec) setColumns(desc.columnSpec);
    grid = !(columnCount == 1 && !hasHeader());
    // Without a grid the separators take the background's colour.
    separatorColour = grid ? &toolkitColors.text : &toolkitColors.window;
    if (!grid) {
        columns[0].maxWidth = 100000;
        columns.fillColumn = 0;
        columns.fillBaseWidth = columns[0].width;
    }

    if (desc.rowHeight >= 0) {
        rowHeight = desc.rowHeight;
    } else {
        rowHeight = std::max(fontHeight(cellFont), desc.minRowTextHeight);
        if (desc.tallRows) rowHeight = std::max(rowHeight, 19);
        rowHeight += 6 + (grid ? 1 : 0) + (desc.paddedRows ? 4 : 0);
    }
    if (rowHeight < 1) rowHeight = 1;
    if (hasHeader()) vertical.leadingInset = headerHeight;
    vertical.setTotalAndStep(1, rowHeight);

    tableModel = desc.model ? desc.model : new GCellGridModel(columnCount);
    desc.model = nullptr;
    rows = tableModel->rowCount();
    if (tableFlags & TableMultiSelect)
        selectionModel = new GMultiSelection;
    else
        selectionModel = new GSingleSelection;
    selectionModel->reset((i64)rows, 0);
    if (tableFlags & TableTypeAhead) {
        typeAheadCollector = new GTableTypeAhead(this);
        attachWatcher(this, typeAheadCollector);
    }
    reload(0);
    return true;
}

void GTable::setModel(GTableModel* model, u64 caretRow) {
    if (model != tableModel) {
        if (!(tableFlags & TableModelNotOwned)) delete tableModel;
        tableModel = model;
    }
    reload(caretRow);
}

void GTable::reload(u64 caretRow) {
    rows = tableModel->rowCount();
    selectionModel->reset((i64)rows, (i64)caretRow);
    if (tableFlags & TableAutoFit) fitColumnWidths(-1, true);
    GScrollRange v = vertical;
    v.setTotalAndStep((i64)rows * rowHeight, rowHeight);
    i64 caret = selectionModel->caret();
    v.ensureVisible(caret > 0 ? caret * rowHeight : 0);
    updateScrollBars(nullptr, &v, true, false);
    freeHeapText(&toolTipText);
    markDirty(TableSelectionChanged);
    markDirty(TableCaretMoved);
}

void GTable::caretIntoView() {
    i64 caret = selectionModel->caret();
    GScrollRange v = vertical;
    v.setTotalAndStep((i64)rows * rowHeight, rowHeight);
    if (caret >= 0) {
        v.setCaret(caret * rowHeight);
        v.ensureVisible(caret * rowHeight);
    }
    updateScrollBars(nullptr, &v, true, false);
}

void GTable::scrollToRow(i64 row) {
    GScrollRange v = vertical;
    v.setTotalAndStep((i64)rows * rowHeight, rowHeight);
    i64 position = row < 0 ? 0 : row * rowHeight;
    v.setCaret(position);
    v.ensureVisible(position);
    updateScrollBars(nullptr, &v, true, false);
}

void GTable::setCaretRow(u64 row) {
    if (row >= rows) return;
    selectionModel->setCaret((i64)row);
    scrollToRow((i64)row);
    markDirty(TableSelectionChanged);
    markDirty(TableCaretMoved);
}

void GTable::scrollRowIntoView(u64 row) {
    if (row >= rows) return;
    selectionModel->setCaret((i64)row);
    scrollToRow((i64)row);
    markDirty(TableSelectionChanged);
    markDirty(TableCaretMoved);
}

void GTable::setScrollOrigin(u64 row) {
    GScrollRange v = vertical;
    v.setOrigin((i64)row * rowHeight);
    updateScrollBars(nullptr, &v, true, false);
}

void GTable::clickRow(u64 first, u64 last) {
    if (first > last || first >= rows) return;
    if (last >= rows) last = rows - 1;
    bool ctrl = (systemInput.keyState(VK_CONTROL) & 0x8000) != 0;
    if (auto* multi = dynamic_cast<GMultiSelection*>(selectionModel))
        multi->addRange((i64)first, (i64)last, !ctrl);
    else
        selectionModel->setCaret((i64)last);
    markDirty(TableSelectionChanged);
    invalidate();
}

void GTable::clearRows() {
    tableModel->clearRows();
    selectionModel->clear();
    rows = 0;
    caretIntoView();
    invalidate();
    markDirty(TableSelectionChanged);
    markDirty(TableCaretMoved);
}

void GTable::removeRows() {
    // The ranges are taken first: a single selection keeps a caret while rows remain, so asking
    // again after each removal would never end.
    std::vector<std::pair<i64, i64>> ranges;
    i64 first = -1, end = 0;
    for (bool more = selectionModel->firstRange(&first, &end); more; more = selectionModel->nextRange(&first, &end))
        if (first >= 0 && end > first && (u64)end <= rows) ranges.emplace_back(first, end);
    // From the highest down, so that the lower ranges keep their rows.
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        tableModel->removeRows((u64)it->first, (u64)it->second);
        rows -= (u64)(it->second - it->first);
        selectionModel->rowsRemoved(it->first, it->second);
    }
    caretIntoView();
    ensureSelection();
}

void GTable::removeRow(u64 row) {
    if (row >= rows) return;
    tableModel->removeRows(row, row + 1);
    selectionModel->rowsRemoved((i64)row, (i64)row + 1);
    --rows;
    caretIntoView();
    invalidate();
    markDirty(TableSelectionChanged);
    markDirty(TableCaretMoved);
}

void tableRemoveRow(GTable* table, u64 row) { table->removeRow(row); }

u64 GTable::appendRows(const char* const* texts) { return rowsAdded(rows, tableModel->appendRows(texts, 1), true); }

u64 GTable::insertRows(u64 at, const char* const* texts, i32 count) {
    if (at > rows) at = rows;
    return rowsAdded(at, tableModel->insertRows(at, texts, count), false);
}

u64 GTable::appendRecords(const void* records, i32 count) {
    return rowsAdded(rows, tableModel->appendRecords(records, count), true);
}

u64 GTable::insertRecords(u64 at, const void* records, i32 count) {
    if (at > rows) at = rows;
    return rowsAdded(at, tableModel->insertRecords(at, records, count), false);
}

u64 GTable::rowsAdded(u64 at, u64 added, bool appended) {
    if (appended)
        selectionModel->rowsAppended((i64)added);
    else
        selectionModel->rowsInserted((i64)at, (i64)added);
    rows += added;
    caretIntoView();
    invalidate();
    return added;
}

void GTable::ensureSelection() {
    if (rows > 0 && selectionModel->selectedCount() == 0) {
        i64 caret = selectionModel->caret();
        if (caret < 0) {
            selectionModel->selectOnly(0);
            GScrollRange v = vertical;
            v.setPosition(0);
            updateScrollBars(nullptr, &v, true, false);
        } else {
            selectionModel->selectOnly(caret);
        }
    }
    invalidate();
    markDirty(TableSelectionChanged);
    markDirty(TableCaretMoved);
}

void GTable::selectAll() {
    if (!selectionModel->isMulti()) return;
    selectionModel->selectAll();
    invalidate();
    markDirty(TableSelectionChanged);
}

void GTable::invertSelection() {
    if (!selectionModel->isMulti()) return;
    selectionModel->invertSelection();
    invalidate();
    markDirty(TableSelectionChanged);
}

void GTable::clearSelection() {
    if (!selectionModel->isMulti()) return;
    selectionModel->clearSelection();
    invalidate();
    markDirty(TableSelectionChanged);
}

void GTable::setRowSelected(u64 row, bool selected) {
    if (row >= rows || selectionModel->isSelected((i64)row) == selected) return;
    if (selectionModel->isMulti())
        selectionModel->setSelected((i64)row, selected);
    else if (selected)
        selectionModel->setCaret((i64)row);
    else
        return;
    markDirty(TableSelectionChanged);
    invalidate();
}

i64 GTable::rowAt(i32 y) {
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    i32 top = headerHeightPixels();
    if (y < top || y >= client.bottom - vertical.trailingInset || rowHeight <= 0) return -1;
    i64 row = ((i64)(y - top) + vertical.origin) / rowHeight;
    return row < (i64)rows ? row : -1;
}

i32 GTable::columnAt(i32 x) {
    columns.layout(horizontal.leadingInset - (i32)horizontal.origin);
    for (i32 i = 0; i < columns.count(); ++i) {
        const GTableColumn& c = columns[i];
        if (c.visible && x >= c.left && x < c.left + c.width) return i;
    }
    return -1;
}

bool GTable::cellAt(i32 x, i32 y, i64* row, i32* column) {
    *row = rowAt(y);
    *column = columnAt(x);
    if (*row < 0 || *column < 0) return false;
    u64 spanRows, rowOffset;
    i32 spanColumns, columnOffset;
    tableModel->cellSpan((u64)*row, *column, &spanRows, &spanColumns, &rowOffset, &columnOffset);
    *row -= (i64)rowOffset;
    *column -= columnOffset;
    return true;
}

void GTable::refreshAllTables() {
    for (GTable* table : std::vector<GTable*>(liveTables())) {
        if (table->tableFlags & TableAutoFit) table->fitColumnWidths(-1, true);
        table->invalidate();
    }
}

void GTable::getPreferredSize(i32* width, i32* height) {
    *width = columns.totalWidth() + horizontal.leadingInset + horizontal.trailingInset + systemMetrics.cxVScroll;
    *height = (i32)visibleRows * rowHeight + vertical.leadingInset + vertical.trailingInset + systemMetrics.cyHScroll;
    LONG ex = hwnd ? GetWindowLongA(hwnd, GWL_EXSTYLE) : 0;
    i32 frame = ex & WS_EX_CLIENTEDGE ? 4 : (ex & (WS_EX_STATICEDGE | 0x800000)) ? 2 : 0;
    *width += frame;
    *height += frame;
}

i32 GTable::measureColumn(i32 column, u64 first, u64 end, bool withHeader) {
    i32 widest = 0;
    GSavedDC& dc = screenDC();
    selectScreenFont(cellFont.font);
    for (u64 row = first; row < end; ++row) widest = std::max(widest, measureCell(dc, row, column));
    if (withHeader && hasHeader()) {
        Metrics metrics(*this);
        widest = std::max(widest, metrics.headerTextWidth(columns[column].title));
    }
    const GTableColumn& c = columns[column];
    return std::max(c.minWidth, std::min(widest, c.maxWidth));
}

i32 GTable::measureCell(GSavedDC& dc, u64 row, i32 column) {
    GString scratch;
    return tableModel->cellFormat(row, column)->measure(dc, tableModel->cellText(scratch, row, column),
                                                        imageDrawable(tableModel->cellImage(row, column)));
}

bool GTable::getToolTip(i32 x, i32 y, GString* text, tagRECT* tool, tagRECT* anchor) {
    if (!(tableFlags & TableToolTips) || pressedHeader >= 0 || resizingColumn >= 0) return false;
    RECT client;
    GetClientRect(hwnd, &client);
    RECT visible{horizontal.leadingInset, headerHeightPixels(), client.right - horizontal.trailingInset,
                 client.bottom - vertical.trailingInset};
    RECT r;
    const char* tip = nullptr;
    i32 width = 0;
    GString scratch;
    if (hasHeader() && y >= 0 && y < headerHeight) {
        columns.layout(horizontal.leadingInset - (i32)horizontal.origin);
        i32 column = -1;
        bool onBorder = false;
        if (!columns.hitTest(x, &column, &onBorder, tableFlags) || !columns[column].title) return false;
        const GTableColumn& c = columns[column];
        r = RECT{c.left, 0, c.left + c.width + 1, headerHeight};
        visible.top = 0;
        tip = c.title;
        Metrics metrics(*this);
        width = metrics.headerTextWidth(tip);
    } else {
        i64 row = -1;
        i32 column = -1;
        if (!cellAt(x, y, &row, &column)) return false;
        r = cellRect((u64)row, column);
        GString own;
        if (cellToolTip((u64)row, column, &own) && own.length) {
            *tool = r;
            *anchor = r;
            stringAssignText(*text, own.c_str());
            return true;
        }
        tip = tableModel->cellText(scratch, (u64)row, column);
        if (!tip || !*tip) return false;
        selectScreenFont(cellFont.font);
        width = measureCell(screenDC(), (u64)row, column);
    }
    bool cut = width > r.right - r.left || r.left < visible.left || r.right > visible.right || r.top < visible.top ||
               r.bottom > visible.bottom;
    if (!cut) return false;
    *tool = r;
    *anchor = r;
    stringAssignText(*text, tip);
    return true;
}

void GTable::fitColumnWidths(i32 column, bool withHeader) {
    u64 first = 0, end = rows;
    if (rows > kFitAllRowsLimit) {
        first = (u64)(vertical.origin / rowHeight);
        end = std::min<u64>(rows, first + (u64)(vertical.page / rowHeight) + 2);
    }
    for (i32 i = 0; i < columns.count(); ++i)
        if (column < 0 || column == i) columns[i].width = measureColumn(i, first, end, withHeader);
    updateScrollBars(nullptr, nullptr, true, true);
}

void GTable::setColumns(const char* spec) {
    Metrics metrics(*this);
    columns.parseSpec(spec, metrics);
    columnCount = columns.count();
}

void GTable::updateScrollBars(const GScrollRange* hIn, const GScrollRange* vIn, bool notify, bool force) {
    GScrollRange h = hIn ? *hIn : horizontal, v = vIn ? *vIn : vertical;
    RECT client{0, 0, 0, 0};
    LONG style = 0;
    if (hwnd) {
        GetClientRect(hwnd, &client);
        style = GetWindowLongA(hwnd, GWL_STYLE);
    }
    i32 barH = systemMetrics.cyHScroll, barW = systemMetrics.cxVScroll;
    i32 height = client.bottom + (style & WS_HSCROLL ? barH : 0);
    i32 visibleHeight = std::max(1, height - headerHeightPixels() - v.trailingInset);

    GTableColumn* fill = columns.fillColumn >= 0 ? &columns[columns.fillColumn] : nullptr;
    i32 fillBefore = fill ? fill->width : 0;
    // A border drag keeps the widths it is making.
    if (fill && resizingColumn < 0) fill->width = columns.fillBaseWidth;
    bool anyAuto = false;
    for (i32 i = 0; i < columns.count(); ++i) anyAuto |= columns[i].autoWidth != 0;
    if (anyAuto && rows > 0) {
        u64 first = (u64)(v.origin / rowHeight);
        u64 end = std::min<u64>(rows, first + (u64)(visibleHeight / rowHeight) + 2);
        for (i32 i = 0; i < columns.count(); ++i) {
            GTableColumn& c = columns[i];
            if (!c.autoWidth) continue;
            i32 w = measureColumn(i, first, end, c.resizable());
            c.width = force ? w : std::max(c.width, w);
        }
    }
    if (fill && fill->autoWidth && !force) fill->width = std::max(fill->width, std::min(fillBefore, fill->maxWidth));

    i32 total = columns.totalWidth();
    i32 available = std::max<i32>(1, client.right + (style & WS_VSCROLL ? barW : 0) - h.leadingInset - h.trailingInset);
    i64 content = (i64)rows * rowHeight;
    bool needH = total > available;
    if (needH) visibleHeight -= barH;
    bool needV = visibleHeight < content;
    if (needV) {
        available -= barW;
        if (!needH && total > available) {
            needH = true;
            visibleHeight -= barH;
        }
    }
    if (!needH && fill) {
        fill->width += available - total;
        total = available;
    }
    if (hwnd) {
        if (((style & WS_HSCROLL) != 0) != needH) ShowScrollBar(hwnd, SB_HORZ, needH);
        if (((style & WS_VSCROLL) != 0) != needV) ShowScrollBar(hwnd, SB_VERT, needV);
    }
    h.setTotalAndStep(total, 1);
    v.setTotalAndStep(content, rowHeight);
    GScrollRange oldH = horizontal, oldV = vertical;
    GUserImage::setScrollState(h, v);
    if (!notify) return;
    if (horizontal.origin != oldH.origin || vertical.origin != oldV.origin || vertical.caret != oldV.caret)
        markDirty(TableOriginMoved);
    if (horizontal.page != oldH.page || vertical.page != oldV.page || fill) markDirty(TablePageChanged);
}

void GTable::saveColumns(GBag& bag) {
    columns.save(bag);
    bagWriteU8(bag, tableFlags & TableAutoFit ? 1 : 0);
}

void GTable::loadColumns(GBag& bag) {
    try {
        columns.load(bag);
    } catch (...) {
        updateScrollBars(nullptr, nullptr, true, false);
        throw;
    }
    u8 autoFit;
    bagReadU8(bag, &autoFit);
    if (autoFit) {
        tableFlags |= TableAutoFit;
        fitColumnWidths(-1, true);
    } else {
        tableFlags &= ~TableAutoFit;
        updateScrollBars(nullptr, nullptr, true, false);
    }
    invalidate();
}

void GTable::toggleColumn(i32 column) {
    if (column < 0 || column >= columns.count()) return;
    columns[column].visible = !columns[column].visible;
    if (hasHeader()) {
        updateScrollBars(nullptr, nullptr, true, false);
        markDirty(TableColumnsChanged);
    }
    invalidate();
}

void GTable::showColumnMenu(i32 x, i32 y) {
    HMENU menu = CreatePopupMenu();
    for (i32 i = 0; i < columns.count(); ++i)
        AppendMenuA(menu, MF_STRING | (columns[i].visible ? MF_CHECKED : 0), (UINT_PTR)(i + 1),
                    columns[i].title ? columns[i].title : "");
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    i32 chosen = (i32)TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, p.x, p.y, 0, hwnd, nullptr);
    DestroyMenu(menu);
    if (chosen > 0) toggleColumn(chosen - 1);
}

bool GTable::navigate(u32 kind, u32 key, u32 modifiers, i64* position) {
    GInputEvent e;
    e.kind = kind;
    e.key = key;
    e.modifiers = modifiers;
    navigatedH = horizontal;
    navigatedV = vertical;
    i64 caret = selectionModel->caret();
    navigatedV.setCaret(caret > 0 ? caret * rowHeight : 0);
    if (!scrollRangesOnKey(e, navigatedH, navigatedV, ScrollHorizontal | ScrollVertical | CaretVertical)) return false;
    *position = navigatedV.caret;
    return true;
}

i32 GTable::handleKey(GInputEvent* event) {
    if (selectionModel->onKey(event->kind, event->key, event->modifiers, *this)) {
        invalidate();
        return 2;
    }
    if (event->kind == KeyDown && (tableFlags & TableMoveRows) && (event->modifiers & ModAlt) &&
        (event->key == VK_UP || event->key == VK_DOWN)) {
        if (event->key == VK_UP)
            caretUp();
        else
            caretDown();
        return 2;
    }
    if (event->isKeyDown(VK_APPS) || event->isKeyDown(VK_F10, ModShift)) {
        showCaretRowMenu();
        return 2;
    }
    if (i32 taken = GUserImage::handleKey(event)) return taken;
    if (event->kind == KeyDown && event->key == VK_RETURN && !event->modifiers && selectionModel->caret() >= 0) {
        sendUp(TableRowActivated, (intptr_t)selectionModel->caret());
        return 2;
    }
    return 0;
}

void GTable::onLayoutEvent(u32 kind) {
    GControlNotification n;
    n.source = this;
    n.code = kind;
    notifyUp(this, &n);
}

bool GTable::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        i32 x = (i16)LOWORD(lParam), y = (i16)HIWORD(lParam);
        if (GetFocus() != hwnd) SetFocus(hwnd);
        if (pressHeader(x, y, message == WM_LBUTTONDBLCLK, (u32)wParam)) {
            *result = 0;
            return true;
        }
        LifeGuard guard(lifeRecord());
        i64 row = -1;
        i32 column = -1;
        bool onCell = cellAt(x, y, &row, &column);
        u32 cellBits = onCell ? tableModel->cellFormat((u64)row, column)->inputBits() : 0;
        bool selects = !onCell || (cellBits & CellPressSelects);
        // A press on an element of a selected row keeps the selection that its release acts on.
        if (message == WM_LBUTTONDOWN && pressCell(x, y) && selectionModel->isSelected(row)) selects = false;
        if (row < 0) row = rowAt(y);
        if (message == WM_LBUTTONDOWN && (tableFlags & (TableRubberBand | TableMultiSelect)) ==
                                             (TableRubberBand | TableMultiSelect)) {
            bandAnchorX = x + (i32)horizontal.origin;
            bandAnchorY = y + vertical.origin;
            bandArmed = true;
        }
        if (row >= 0 && selects && selectionModel->onClick(row, column < 0 ? 0 : column, *this)) invalidate();
        if (onCell && (cellBits & CellPressOwnInput) && guard.alive()) {
            GInputEvent raw;
            raw.target = this;
            raw.mouse = true;
            raw.button = ButtonLeft;
            raw.action = message == WM_LBUTTONDOWN ? MousePress : MouseDoubleClick;
            raw.x = x;
            raw.y = y;
            GInputEvent e = makeInputEvent(raw, 0, (u32)wParam & (MK_SHIFT | MK_CONTROL));
            cellInput(e, (u64)row, column);
        }
        if (message == WM_LBUTTONDBLCLK && row >= 0 && guard.alive()) sendUp(TableRowActivated, (intptr_t)row);
        *result = 0;
        return true;
    }
    case WM_MOUSEMOVE: {
        if (dragHeader((i16)LOWORD(lParam)) || ((wParam & MK_LBUTTON) && dragBand((i16)LOWORD(lParam), (i16)HIWORD(lParam)))) {
            *result = 0;
            return true;
        }
        i64 row = (tableFlags & TableCaretFollowsMouse) ? rowAt((i16)HIWORD(lParam)) : -1;
        if (row >= 0 && row != selectionModel->caret()) setCaretRow((u64)row);
        break;
    }
    case WM_CAPTURECHANGED:
        // Capture taken away: presses, drags and the band end where they are.
        if ((HWND)lParam != hwnd && (pressedHeader >= 0 || resizingColumn >= 0 || bandActive)) {
            pressedHeader = resizingColumn = -1;
            draggingColumn = bandActive = bandArmed = false;
            invalidate();
        }
        break;
    case WM_LBUTTONUP: {
        bandArmed = false;
        if (bandActive) {
            bandActive = false;
            if (GetCapture() == hwnd) ReleaseCapture();
            invalidate();
            *result = 0;
            return true;
        }
        if (releaseHeader((i16)LOWORD(lParam), (i16)HIWORD(lParam)) ||
            releaseCell((i16)LOWORD(lParam), (i16)HIWORD(lParam))) {
            *result = 0;
            return true;
        }
        break;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        if (GetFocus() != hwnd) SetFocus(hwnd);
        break;
    case WM_RBUTTONUP: {
        // The header's column menu, or the row menu of the cell under the pointer.
        i32 x = (i16)LOWORD(lParam), y = (i16)HIWORD(lParam);
        i64 row = -1;
        i32 column = -1;
        if (hasHeader() && y >= 0 && y < headerHeight) {
            if (tableFlags & TableColumnMenu) showColumnMenu(x, y);
        } else if (cellAt(x, y, &row, &column)) {
            showRowMenu((u64)row, column, x, y);
        }
        *result = 0;
        return true;
    }
    case WM_CONTEXTMENU:
        // The menus open from the button release and the menu keys themselves.
        *result = 0;
        return true;
    default:
        break;
    }
    return GUserImage::handleMessage(message, wParam, lParam, result);
}

// ---- painting ----

void GTable::paint(HDC dc, const RECT& update, bool) {
    RECT client;
    GetClientRect(hwnd, &client);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(hwnd) ? toolkitColors.text : GetSysColor(COLOR_GRAYTEXT));
    columns.layout(horizontal.leadingInset - (i32)horizontal.origin);
    if (hasHeader() && update.top < headerHeight) paintHeader(dc, client);
    paintRows(dc, client, update);
    if (bandActive) {
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
        HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        i32 ax = bandAnchorX - (i32)horizontal.origin, ay = (i32)(bandAnchorY - vertical.origin);
        Rectangle(dc, std::min<i32>(ax, bandPointer.x), std::min<i32>(ay, bandPointer.y),
                  std::max<i32>(ax, bandPointer.x) + 1, std::max<i32>(ay, bandPointer.y) + 1);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
}

void GTable::paintHeaderCell(HDC dc, RECT r, const GTableColumn* column, bool pressed) {
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    InflateRect(&r, -3, -3);
    if (!column || r.right <= r.left) return;
    if (column->sortState == ColumnAscending || column->sortState == ColumnDescending) {
        // A small triangle at the right: point up when ascending.
        const i32 size = 4, cx = r.right - size - 1, cy = (r.top + r.bottom) / 2;
        bool up = column->sortState == ColumnAscending;
        POINT tip{cx, up ? cy - size / 2 : cy + size / 2};
        POINT pts[3] = {tip, {cx - size, up ? cy + size / 2 : cy - size / 2}, {cx + size, up ? cy + size / 2 : cy - size / 2}};
        HBRUSH brush = CreateSolidBrush(GetTextColor(dc));
        HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        Polygon(dc, pts, 3);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
        r.right = std::max<LONG>(r.left, cx - size - 2);
    }
    if (column->title)
        DrawTextA(dc, column->title, -1, &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void GTable::paintHeader(HDC dc, const RECT& client) {
    HGDIOBJ oldFont = SelectObject(dc, headerFont.font);
    i32 x = horizontal.leadingInset - (i32)horizontal.origin;
    for (i32 p = 0; p < columns.count(); ++p) {
        i32 index = columns.atPosition(p);
        const GTableColumn& c = columns[index];
        if (!c.visible) continue;
        paintHeaderCell(dc, RECT{c.left, 0, c.left + c.width + 1, headerHeight}, &c,
                        index == pressedHeader && !draggingColumn);
        x = c.left + c.width + 1;
    }
    if (x < client.right) paintHeaderCell(dc, RECT{x, 0, client.right, headerHeight}, nullptr, false);
    if (horizontal.leadingInset > 0) paintRowGutter(dc, RECT{0, 0, horizontal.leadingInset, headerHeight}, -1, false);
    if (draggingColumn && pressedHeader >= 0) {
        // The insertion marker, then the dragged header half transparent at the pointer.
        i32 border = 0;
        dropPosition(headerDragX, &border);
        RECT marker{border - 1, 0, border + 1, headerHeight};
        HBRUSH brush = CreateSolidBrush(GetTextColor(dc));
        FillRect(dc, &marker, brush);
        DeleteObject(brush);
        const GTableColumn& c = columns[pressedHeader];
        i32 width = c.width + 1;
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, width, headerHeight);
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        HGDIOBJ oldMemoryFont = SelectObject(memory, headerFont.font);
        SetBkMode(memory, TRANSPARENT);
        SetTextColor(memory, GetTextColor(dc));
        paintHeaderCell(memory, RECT{0, 0, width, headerHeight}, &c, false);
        i32 left = headerDragX - headerPressX + c.left;
        alphaBlendImage(dc, RECT{left, 0, left + width, headerHeight}, memory, 0, 0, 128);
        SelectObject(memory, oldMemoryFont);
        SelectObject(memory, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
    SelectObject(dc, oldFont);
}

void GTable::paintRows(HDC dc, const RECT& client, const RECT& update) {
    RECT area{horizontal.leadingInset, headerHeightPixels(), client.right - horizontal.trailingInset,
              client.bottom - vertical.trailingInset};
    RECT visible;
    if (!IntersectRect(&visible, &area, &update)) return;
    HGDIOBJ oldFont = SelectObject(dc, cellFont.font);
    HBRUSH background = getSolidBrush();
    HBRUSH selected = getSelectionBrush();
    FillRect(dc, &visible, background);
    // The row gutter: the background below the last row, each row's gutter by paintRowGutter.
    RECT gutter{0, area.top, std::min<LONG>(horizontal.leadingInset, client.right), area.bottom};
    bool hasGutter = IntersectRect(&gutter, &gutter, &update) != FALSE;
    if (hasGutter) FillRect(dc, &gutter, background);
    GSavedDC saved(dc);
    u64 row = (u64)(vertical.origin / rowHeight);
    const u64 firstRow = row;
    const i32 firstTop = (i32)((i64)row * rowHeight - vertical.origin) + headerHeightPixels();
    i32 top = firstTop;
    bool focused = GetFocus() == hwnd;
    i64 caret = focused ? selectionModel->caret() : -1;
    COLORREF textColour = GetTextColor(dc);
    // Visible columns in display order with their extents.
    struct Shown {
        i32 column, left, right;
    };
    std::vector<Shown> cols((size_t)columns.count());
    i32 n = 0;
    for (i32 p = 0; p < columns.count(); ++p) {
        i32 column = columns.atPosition(p);
        const GTableColumn& c = columns[column];
        if (!c.visible) continue;
        cols[n++] = Shown{column, c.left, c.left + c.width + 1};
    }
    int lastSelected = -1;
    for (; top < visible.bottom && row < rows; ++row, top += rowHeight) {
        bool isSelected = selectionModel->isSelected((i64)row);
        if ((int)isSelected != lastSelected) {
            SetTextColor(dc, isSelected ? toolkitColors.selectionText : textColour);
            lastSelected = isSelected;
        }
        for (i32 i = 0; i < n; ++i) {
            i32 column = cols[i].column;
            u64 spanRows = 1, rowOffset = 0;
            i32 spanColumns = 1, columnOffset = 0;
            tableModel->cellSpan(row, column, &spanRows, &spanColumns, &rowOffset, &columnOffset);
            RECT cell{cols[i].left, top, cols[i].right, top + rowHeight};
            u64 anchorRow = row - std::min(rowOffset, row);
            i32 anchorColumn = column - columnOffset;
            if (spanRows > 1 || spanColumns > 1) {
                // A span is painted once: at its leftmost visible column, in its first painted row.
                i32 left = INT_MAX, right = INT_MIN;
                for (i32 k = 0; k < n; ++k) {
                    if (cols[k].column < anchorColumn || cols[k].column >= anchorColumn + spanColumns) continue;
                    left = std::min(left, cols[k].left);
                    right = std::max(right, cols[k].right);
                }
                if (left != cols[i].left || (row != anchorRow && row != firstRow)) continue;
                cell.left = left;
                cell.right = right;
                if (spanRows > 1) {
                    spanRowExtent((i64)anchorRow, spanRows, (i64)firstRow, firstTop, rowHeight, visible.top,
                                  visible.bottom, &cell.top, &cell.bottom);
                }
            }
            paintCellArea(saved, cell, visible, anchorRow, anchorColumn, isSelected ? selected : background,
                          isSelected);
        }
        if (hasGutter && top + rowHeight > gutter.top && top < gutter.bottom) {
            ClipGuard guard;
            pushClipRect(guard, dc, gutter);
            paintRowGutter(dc, RECT{0, top, horizontal.leadingInset, top + rowHeight}, (i64)row, isSelected);
            popClipRect(guard);
        }
        RECT frame;
        if ((i64)row == caret && focusFrame(0, 0, &frame)) drawFocusFrame(dc, (i64)row, frame);
    }
    SetTextColor(dc, textColour);
    SelectObject(dc, oldFont);
}

bool GTable::focusFrame(i64 dx, i64 dy, RECT* frame) {
    if (!hwnd || GetFocus() != hwnd) return false;
    i64 caret = selectionModel->caret();
    if (caret < 0 || (u64)caret >= rows) return false;
    RECT client;
    GetClientRect(hwnd, &client);
    RECT area{horizontal.leadingInset, headerHeightPixels(), client.right - horizontal.trailingInset,
              client.bottom - vertical.trailingInset};
    i64 top = caret * rowHeight - vertical.origin + headerHeightPixels() + dy;
    if (top >= area.bottom || top + rowHeight <= area.top) return false;
    columns.layout(horizontal.leadingInset - (i32)horizontal.origin);
    i64 right = area.left;
    for (i32 i = 0; i < columns.count(); ++i)
        if (columns[i].visible) right = std::max<i64>(right, columns[i].left + columns[i].width + 1 + dx);
    *frame = RECT{area.left, (LONG)top, (LONG)std::min<i64>(right, area.right), (LONG)(top + rowHeight)};
    return frame->right > frame->left;
}

void GTable::drawFocusFrame(HDC dc, i64 row, const RECT& frame) {
    if (!hwnd || GetFocus() != hwnd) return;
    // XOR with text ^ fill shows the frame in the text colour on the row's own fill.
    bool selected = selectionModel->isSelected(row);
    COLORREF text = selected ? toolkitColors.selectionText
                             : IsWindowEnabled(hwnd) ? toolkitColors.text : GetSysColor(COLOR_GRAYTEXT);
    drawXorFocusFrame(dc, frame, text, selected ? toolkitColors.selection : toolkitColors.window);
}

void GTable::paintRowGutter(HDC dc, const RECT& rect, i64, bool) { fillRectSolid(dc, rect, toolkitColors.window); }

void GTable::scrollWithMargins(i64 dx, i64 dy) {
    RECT frame;
    HDC dc = GetDC(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    IntersectClipRect(dc, horizontal.leadingInset, headerHeightPixels(), client.right - horizontal.trailingInset,
                      client.bottom - vertical.trailingInset);
    // The pixels move by (dx, dy): the frame was that much the other way.
    i64 caret = selectionModel->caret();
    if (focusFrame(-dx, -dy, &frame)) drawFocusFrame(dc, caret, frame);
    GUserImage::scrollWithMargins(dx, dy);
    if (focusFrame(0, 0, &frame)) drawFocusFrame(dc, caret, frame);
    ReleaseDC(hwnd, dc);
}

void GTable::paintCellArea(GSavedDC& dc, const RECT& cell, const RECT& visible, u64 row, i32 column, HBRUSH fill,
                           bool isSelected) {
    RECT clip;
    if (!IntersectRect(&clip, &cell, &visible)) return;
    ClipGuard guard;
    pushClipRect(guard, dc.dc(), clip);
    RECT content = cell;
    if (grid) {
        content.right -= 1;
        content.bottom -= 1;
        static CachedBrush gridLine;
        HBRUSH line = gridLine.get(separatorColour ? *separatorColour : toolkitColors.text);
        RECT right{cell.right - 1, cell.top, cell.right, cell.bottom};
        RECT bottom{cell.left, cell.bottom - 1, cell.right, cell.bottom};
        FillRect(dc.dc(), &right, line);
        FillRect(dc.dc(), &bottom, line);
    }
    FillRect(dc.dc(), &content, fill);
    paintCell(dc, cell, row, column, isSelected);
    popClipRect(guard);
}

void GTable::paintCell(GSavedDC& dc, const RECT& cell, u64 row, i32 column, bool selected) {
    GString scratch;
    const char* text = tableModel->cellText(scratch, row, column);
    const GTableColumn& c = columns[column];
    // The model's picture; else the value, in columns that have an image box, when it is a live one.
    void* picture = tableModel->cellImage(row, column);
    if (!picture && c.formatParam) picture = (void*)(uintptr_t)(u32)tableModel->cellValue(row, column);
    GDrawable* image = imageDrawable(picture);
    u32 state = (selected ? (u32)CellSelected : 0u) | (tableModel->cellChecked(row, column) ? (u32)CellChecked : 0u) |
                (grid ? (u32)CellSeparators : 0u);
    const char* typed = typeAheadCollector ? typeAheadCollector->text.c_str() : nullptr;
    tableModel->cellFormat(row, column)->draw(dc, text, image, &cell, state, (i32)c.formatParam, tracker, typed);
}

bool GTableWindow::setModel(GTable* table, GTableDesc& desc, GTableModel* model, u32 flags) {
    desc.flags |= flags | TableMultiSelect;
    desc.columnCount = 1;
    desc.model = model;
    bool made = table->create(desc);
    if (!made && !(desc.flags & TableModelNotOwned)) delete desc.model;
    desc.model = nullptr;
    if (desc.headerFont.owned && desc.headerFont.font) DeleteObject(desc.headerFont.font);
    if (desc.cellFont.owned && desc.cellFont.font && desc.cellFont.font != desc.headerFont.font)
        DeleteObject(desc.cellFont.font);
    desc.headerFont.owned = desc.cellFont.owned = false;
    return made;
}

GTable* createTable(GLayoutItem* parent, GWindow* owner, GTableDesc& desc) {
    GTable* table = new GTable(owner);
    if (!table->create(desc)) {
        delete table;
        return nullptr;
    }
    if (parent) parent->addChild(table);
    setAlignmentCode(table, "UC");
    return table;
}
