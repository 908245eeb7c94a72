#pragma once
// GTable ("GTable", type 86): the scrolling table over a GTableModel, with its columns and a
// selection model. Made by createTable from a GTableDesc and added to a layout; it deletes itself
// with its native window, and with itself its selection model, its columns, its owned fonts and
// its model (unless style bit 0x4000 is set). Every live table is listed for refreshAllTables.
#include "gui/kernel/user_window.h"
#include "gui/paint/fonts.h"
#include "gui/views/input_bubbling.h"
#include "gui/views/selection_model.h"
#include "gui/views/table_columns.h"
#include "gui/views/table_model.h"

class GHotTracker;
class GLayoutItem;
class GSavedDC;
class GTableMenuProvider;
class GTableTypeAhead;

// Table style bits.
enum : u32 {
    TableHeader = 0x20,
    TableMultiSelect = 0x40,
    TableMovableColumns = 0x80,
    TableResizableColumns = 0x100,
    TableColumnMenu = 0x200,
    TableAutoFit = 0x400,
    TableToolTips = 0x800,
    TableMoveRows = 0x1000,
    TableCaretFollowsMouse = 0x2000,
    TableModelNotOwned = 0x4000,
    TableTypeAhead = 0x8000,
    TableRubberBand = 0x10000,
    TableFixedIndent = 0x20000,    // trees: the text of every row starts at the indent column's width
    TableFitFirstColumn = 0x40000, // trees: the first column follows the indent column's changes
};

// Table notifications sent up the layout tree (and layout event kinds under the redraw lock).
enum : u32 {
    TableOriginMoved = 1,
    TablePageChanged = 14,   // client size or page changed (2 is a row activation to every owner)
    TableCaretMoved = SelectionCaretMoved,
    TableSelectionChanged = SelectionChanged,
    TableColumnsChanged = 6,
    TableRowActivated = 2,   // sent up with the row: a double click on it, or Enter
    TableCellButton = 13,    // sent up with the row: a release on a button cell
    TableCheckToggled = 12,  // sent up with the row: a check cell changed
};


const u32 TypeTable = 86;

// The table's own commands.
enum : u32 {
    TableCopy = 142,
    TableFormatMenu = 143,
    TableFitAllByContent = 144,
    TableFitAllByContentAndHeader = 145,
    TableFitCurrentByContent = 146,
    TableFitCurrentByContentAndHeader = 147,
    TableFormatAuto = 148,
    TableViewOffsetAsHex = 149,
    TableViewCountAsHex = 151,
    TableSetBaseOffset = 152,
    TableZeroBaseOffset = 153,
    TableViewAsMenu = 154,
    TableViewAsFirst = 155,
    TableViewAsLast = 165,
    TableLastCommand = 166,
};

// The creation record of every table; its defaults are a plain list with a header.
struct GTableDesc {
    u32 flags = 0x10BA0;
    u32 style = 0x50330000;
    u32 exStyle = WS_EX_CLIENTEDGE;
    u32 columnCount = 1;
    const char* columnSpec = nullptr;
    i32 minHeaderTextHeight = 0;
    i32 minRowTextHeight = 0;
    // The shared message font by default, never owned (the toolkit keeps it for the process).
    FontHolder headerFont{getMessageFont()->font, false};
    FontHolder cellFont{getMessageFont()->font, false};
    i32 headerHeight = -1;
    i32 rowHeight = -1;
    GTableModel* model = nullptr;  // taken over; null: a cell grid of columnCount columns
    GTableMenuProvider* menuProvider = nullptr;  // not owned; null: the default row menu
    u32 visibleRows = 4;
    u8 tallRows = 0;
    u8 paddedRows = 0;
};

class GTable : public GUserImage, public GSelectionHost {
public:
    explicit GTable(GWindow* owner) : GUserImage(owner) {}
    ~GTable() override;

    bool isKindOf(u32 id) const override { return id == TypeTable || GUserImage::isKindOf(id); }
    const char* className() const override { return "GTable"; }
    u32 typeId() const override { return TypeTable; }

    // Makes the native window and everything the record names; fonts the record owns are taken.
    bool create(GTableDesc& desc);
    // Deletes the previous model unless it is not owned.
    void setModel(GTableModel* model, u64 caretRow);
    void reload(u64 caretRow);

    // Ignored past the row count.
    void setCaretRow(u64 row);
    void scrollRowIntoView(u64 row);
    void setScrollOrigin(u64 row);
    // Selects first..last: replacing without Ctrl, adding with it.
    void clickRow(u64 first, u64 last);
    void clearRows();
    // Removes the selected rows from the model.
    void removeRows();
    // Removes one row from the model and the selection model; nothing past the rows.
    void removeRow(u64 row);
    // One row of columnCount texts (null: empty); answers the rows added.
    u64 appendRows(const char* const* texts);
    u64 insertRows(u64 at, const char* const* texts, i32 count);
    // The same through the model's own row form.
    u64 appendRecords(const void* records, i32 count);
    u64 insertRecords(u64 at, const void* records, i32 count);
    // Rows and no selection: the caret row is selected (row 0 when there is no caret).
    void ensureSelection();
    // On a single-selection table these do nothing.
    void selectAll();
    void invertSelection();
    void clearSelection();
    void setRowSelected(u64 row, bool selected);

    // Client coordinates; -1 outside the rows or columns.
    i64 rowAt(i32 y);
    i32 columnAt(i32 x);
    // The cell under the point, moved to the anchor of its span; false outside.
    bool cellAt(i32 x, i32 y, i64* row, i32* column);

    // Every table fits its widths when it fits on reload, and repaints.
    static void refreshAllTables();

    void getPreferredSize(i32* width, i32* height) override;
    // The relayout recorded under the redraw lock: the scroll bars and fill widths again.
    void onDeferredRelayout() override { updateScrollBars(nullptr, nullptr, true, false); }
    // New range states (null: the current one); widths of the fill and auto columns, the bars.
    virtual void updateScrollBars(const GScrollRange* h, const GScrollRange* v, bool notify, bool force);
    void setScrollState(const GScrollRange& h, const GScrollRange& v) override { updateScrollBars(&h, &v, true, false); }
    // One column (-1: all) to its widest text, each within its limits.
    void fitColumnWidths(i32 column, bool withHeader);
    void setColumns(const char* spec);
    // Column state, then the auto-fit flag.
    virtual void saveColumns(GBag& bag);
    virtual void loadColumns(GBag& bag);
    // What the column menu's item of the column does: shows or hides it.
    void toggleColumn(i32 column);
    void showColumnMenu(i32 x, i32 y);
    // The row context menu at (x, y) in client pixels: the row becomes the caret (selected unless it
    // already is) and visible, the provider fills the menu and hears the chosen command.
    void showRowMenu(u64 row, i32 column, i32 x, i32 y);
    // The same for the caret row and column, below the caret cell (the menu key, Shift+F10).
    void showCaretRowMenu();
    // A press or double click on a cell whose formatter takes its own input: the event (kind
    // CellInputPress or CellInputDoubleClick) goes to the table's mouse input and up the layout
    // tree; true when taken.
    virtual bool cellInput(GInputEvent& event, u64 row, i32 column);

    // With style bit 0x800 and no header press or resize running: the text of a cell or title that
    // is cut, by its width or by the visible area, shown over the cell.
    bool getToolTip(i32 x, i32 y, GString* text, tagRECT* tool, tagRECT* anchor) override;
    void paint(HDC dc, const RECT& update, bool erase) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    i32 handleKey(GInputEvent* event) override;
    i32 acceptsFocus() override { return 1; }
    // Layout events go up the tree as notifications of the same code.
    void onLayoutEvent(u32 kind) override;
    // The text typed so far, from the type-ahead collector of style bit 0x8000: the first row
    // whose caret-column text contains it without letter case becomes the caret row; the typed
    // text is cleared.
    virtual void typedText(GTableTypeAhead& collector, const char* text);
    // Moves the selected rows up or down by one through the model's swapRows; nothing when a
    // selected row is already at that end.
    void caretUp();
    void caretDown();
    // A release on a check cell: the negated check goes to the cell, or to that column of every
    // selected row when the row is selected.
    void toggleCheck(u64 row, i32 column);
    // Commands 142..166: copy, column fitting, the auto-fit flag, and the byte views' number
    // formats, which a plain table shows disabled.
    i32 commandState(u32 command) override;
    i32 commandChecked(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    // Byte-level views answer true for the view commands (149..165) they take, and keep a base
    // offset.
    virtual bool hasByteViewCommands(u32 /*command*/) { return false; }
    virtual i64 baseOffsetValue() { return 0; }
    virtual void setBaseOffset(i64 /*offset*/) {}
    virtual i64 baseOffset() const { return 0; }
    // The rectangle of a cell in client pixels.
    RECT cellRect(u64 row, i32 column);
    GTableTypeAhead* typeAhead() const { return typeAheadCollector; }
    GTableMenuProvider* rowMenuProvider() const;
    // Null: the shared default. The table deletes a provider given here, when another replaces it
    // or with itself; the record's provider stays its maker's.
    void setMenuProvider(GTableMenuProvider* provider);
    // The colour of the grid lines: an appearance colour, followed when it changes (the text
    // colour by default).
    const COLORREF* separatorColour = nullptr;
    // The hot and pressed check squares and button faces.
    GHotTracker* hotTracker() const { return tracker; }
    // The element of a check or button cell under the point, for the hot tracker.
    bool hitPart(GHotTracker* tracker, i32 x, i32 y, tagRECT* rect, u32* flags) override;

    GTableModel* model() const { return tableModel; }
    GSelectionModel* selection() const { return selectionModel; }
    u64 rowCount() const { return rows; }
    i32 rowHeightPixels() const { return rowHeight; }
    i32 headerHeightPixels() const { return hasHeader() ? headerHeight : 0; }
    bool hasHeader() const { return (tableFlags & TableHeader) != 0; }
    bool hasGrid() const { return grid; }

    u32 tableFlags = 0;
    GTableColumns columns;

    // GSelectionHost
    i32 selectionRowHeight() override { return rowHeight; }
    void scrollToRow(i64 row) override;
    bool navigate(u32 kind, u32 key, u32 modifiers, i64* position) override;
    void applyNavigation() override { updateScrollBars(&navigatedH, &navigatedV, true, false); }
    void selectionNotify(u32 kind) override { markDirty(kind); }
    void repaintRows() override { invalidate(); }

protected:
    // Painting and measuring that derived views replace. The cell is clipped, filled and framed by
    // its separators before paintCell; the default draws it through the model's formatter.
    virtual void paintCell(GSavedDC& dc, const RECT& cell, u64 row, i32 column, bool selected);
    // The row gutter (the horizontal leading inset) of a row, or of the header for row -1; the
    // default fills it with the window background.
    virtual void paintRowGutter(HDC dc, const RECT& rect, i64 row, bool selected);
    // The focused caret row's frame; XORed, so drawing it twice removes it.
    virtual void drawFocusFrame(HDC dc, i64 row, const RECT& frame);
    // A tip of the table's own for the cell, shown over it whether cut or not; none by default.
    virtual bool cellToolTip(u64 /*row*/, i32 /*column*/, GString* /*text*/) { return false; }
    // The width the cell's content needs, through its formatter with the cell font selected.
    virtual i32 measureCell(GSavedDC& dc, u64 row, i32 column);
    // The widest content of the column over [first, end) and, with withHeader, its title.
    virtual i32 measureColumn(i32 column, u64 first, u64 end, bool withHeader);

private:
    class Metrics;
    void caretIntoView();
    // The selection and the view after the model took rows at the row.
    u64 rowsAdded(u64 at, u64 added, bool appended);
    void sendUp(u32 code, intptr_t value);
    // The pressable element of the cell under the point, as its formatter answers a press there.
    bool cellElementAt(GHotTracker* asking, i32 x, i32 y, i64* row, i32* column, RECT* rect, u32* bits);
    // Presses and releases on cells whose formatter accepts them; true when taken.
    bool pressCell(i32 x, i32 y);
    bool releaseCell(i32 x, i32 y);
    // Presses in the header: a border fits (double click) or starts a resize, a title is pressed.
    bool pressHeader(i32 x, i32 y, bool doubleClick, u32 keys);
    // A title released over itself sorts its column; a resize ends.
    bool releaseHeader(i32 x, i32 y);
    // A resize follows the pointer; a pressed title of a movable-columns table starts a column drag
    // once the pointer is 4 pixels away from the press.
    bool dragHeader(i32 x);
    // The display position a dragged column lands on at x, and the x of that border.
    i32 dropPosition(i32 x, i32* borderX);
    void paintHeaderCell(HDC dc, RECT r, const GTableColumn* column, bool pressed);
    // Ascending unless sorted ascending; columns of state 3 are not sorted.
    void sortColumn(i32 column);
    void paintHeader(HDC dc, const RECT& client);
    void paintRows(HDC dc, const RECT& client, const RECT& update);
    // The focused caret row's frame in client pixels, with the columns moved by dx and the rows by
    // dy (where it was before a scroll by that much); false when none shows.
    bool focusFrame(i64 dx, i64 dy, RECT* frame);
    // The frame is XORed onto the pixels: it goes before they move and comes back at its new place.
    void scrollWithMargins(i64 dx, i64 dy) override;
    // Clipped to the cell within the visible area: the separators, the fill, then paintCell.
    void paintCellArea(GSavedDC& dc, const RECT& cell, const RECT& visible, u64 row, i32 column, HBRUSH fill,
                       bool isSelected);

    GTableModel* tableModel = nullptr;
    GSelectionModel* selectionModel = nullptr;
    FontHolder headerFont, cellFont;
    i32 headerHeight = 0, rowHeight = 0;
    i32 columnCount = 0;
    u64 rows = 0;
    u32 visibleRows = 4;
    bool grid = true;
    GScrollRange navigatedH, navigatedV;
    GTableTypeAhead* typeAheadCollector = nullptr;
    GTableMenuProvider* menuProvider = nullptr;
    bool ownsMenuProvider = false;
    // A listener on the window's chain, which deletes it.
    GHotTracker* tracker = nullptr;
    // The cell a press landed on (row -1: none) and its element.
    i64 pressedRow = -1;
    i32 pressedColumn = -1;
    RECT pressedRect = {0, 0, 0, 0};
    // The header column pressed and the column being resized (-1: none).
    i32 pressedHeader = -1;
    i32 resizingColumn = -1;
    // The x of the header press and of the pointer while a column is dragged.
    i32 headerPressX = 0, headerDragX = 0;
    bool draggingColumn = false;
    // The rubber band: its anchor in content pixels, the pointer in client pixels, its states.
    i32 bandAnchorX = 0;
    i64 bandAnchorY = 0;
    POINT bandPointer = {0, 0};
    bool bandArmed = false, bandActive = false;
    // Moves with the button held: starts the band 4 pixels from the press and selects its rows.
    bool dragBand(i32 x, i32 y);
};

// A table made from the record, added to the layout with fill in both directions.
GTable* createTable(GLayoutItem* parent, GWindow* owner, GTableDesc& desc);
// The row goes from both row models; the view shows the rest.
void tableRemoveRow(GTable* table, u64 row);

namespace GTableWindow {
// Makes the table's window with one column and a multi-row selection over the model, the flags
// added to the record's. The table takes the model and the record's fonts; when no window could be
// made they are deleted here (the model unless the flags say it is not owned).
bool setModel(GTable* table, GTableDesc& desc, GTableModel* model, u32 flags);
}
