#pragma once
// GBox ("GBox", type 108): the list that drops down under a combo box, a table without a header
// over the combo's model (not owned) in a borderless pop-up that never takes the activation.
// GBoxList is the combo's list object: the combo makes one through comboListFactory when it
// opens and deletes it when it closes; destroying it destroys the pop-up, which takes the box.
#include "gui/combo_list.h"
#include "gui/views/table.h"

class GParentWindow;

const u32 TypeBox = 108;

class GBox : public GTable {
public:
    using GTable::GTable;
    bool isKindOf(u32 id) const override { return id == TypeBox || GTable::isKindOf(id); }
    const char* className() const override { return "GBox"; }
    u32 typeId() const override { return TypeBox; }
};

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
