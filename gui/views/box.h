#pragma once
// GBox ("GBox", type 108): the list that drops down under a combo box, a table without a header
// over the combo's model (not owned) in a borderless pop-up that never takes the activation; made
// by addTable over a row model of its own, the simple list box of dialogs. Every box offers the
// list interface of dialogs.
// GBoxList is the combo's list object: the combo makes one through comboListFactory when it
// opens and deletes it when it closes; destroying it destroys the pop-up, which takes the box.
#include "core/arrays.h"
#include "gui/controls/combo_list.h"
#include "gui/views/list_interface.h"
#include "gui/views/list_rows.h"
#include "gui/views/table.h"

class GParentWindow;

const u32 TypeBox = 108;

class GBox : public GTable, public GListInterface {
public:
    using GTable::GTable;
    bool isKindOf(u32 id) const override { return id == TypeBox || GTable::isKindOf(id); }
    const char* className() const override { return "GBox"; }
    u32 typeId() const override { return TypeBox; }

    // The row model of a stand-alone list box; null over another model.
    ListRowModel* rowModel() const { return dynamic_cast<ListRowModel*>(model()); }
    // A row with these fields appended; the object is taken over.
    void addItem(u32 value, u32 secondValue, ListRowObject* object, u32 data);
    void insertRow(u64 at, u32 value, u32 secondValue, u32 data);
    void appendRow() { addItem(0, 0, nullptr, 0); }
    // Heap copy of row i's text (delete[]); null for a null text or past the rows.
    char* rowText(u64 i);
    // One row per text, each with the value; then one relayout and repaint (only flagged under
    // the redraw lock).
    void setRowText(const char* const* texts, i32 n, u32 value);
    // A row {copy of text, 0, -1, no object, 0} appended.
    void addTextRow(const char* text);
    // The list becomes one heap copy per row text (null for a null text); its old texts are freed.
    void setRows(StringList& texts);

    GListInterface* asList() override { return this; }
    // The list interface, over the rows of a row model (a box over another model has none).
    i32 itemCount() override { return rowModel() ? (i32)rowCount() : 0; }
    void setItems(GBag& texts, i32 select) override;
    bool isItemSelected(i32 index) override { return index >= 0 && selection()->isSelected(index); }
    void selectItem(i32 index) override;
    i32 currentItem() override { return (i32)selection()->caret(); }
    char* itemText(i32 index) override { return index < 0 ? nullptr : rowText((u64)index); }
    void addItem(const char* text) override { addTextRow(text); }
};

// A stand-alone list box over a new row model, added to the parent item with the table flags
// added to the record's; the two alignment letters replace the cell's where they are not '*'.
GBox* addTable(GLayoutItem* parent, GWindow* owner, GTableDesc& desc, u32 flags = 0, const char* alignment = nullptr);

class GBoxList : public GComboList {
public:
    ~GBoxList() override { destroy(); }

    bool open(GWindow* combo, GTableModel* model, i32 row, i32 itemHeight, const RECT& screen,
              bool verticalBar) override;
    HWND popupWindow() override;
    HWND listWindow() override;
    i32 currentRow() override;
    void setCurrentRow(i32 row) override;
    i32 rowAtPoint(i32 x, i32 y) override;
    i32 forwardKey(GInputEvent* event) override;
    void forwardWheel(i32 delta, i32 x, i32 y) override;
    void forwardMouse(u32 message, uintptr_t wParam, i32 x, i32 y) override;
    void setModel(GTableModel* model) override;
    void destroy() override;

    GBox* box = nullptr;

private:
    GParentWindow* popup = nullptr;
};

// Makes combo boxes drop down a GBox.
void installBoxList();
