#pragma once
// GKeyTableWindow: every key binding in a table with add, edit, delete and restore-defaults
// buttons above it. Changes are made on the table's rows only; storeInto writes them back. Its
// container owns it; it owns its rows through the model, which the table owns.
// GKeyCustomizeDialog: the window in a dialog whose OK replaces the live bindings.
#include <vector>

#include "core/arrays.h"
#include "core/gstring.h"
#include "gui/dialogs/single_placer_dialog.h"
#include "gui/layout/layout_rows.h"
#include "gui/menus/action_table.h"
#include "gui/views/table_model.h"

class GButton;
class GLayoutBuilder;
class GTable;

// One binding as a table row, with its texts.
struct KeyRow {
    GKeyBinding binding;
    GString title;
    GString keyText;        // the key alone
    GString modifiersText;  // the modifiers alone, "" without any
    const char* contextName;
};

class KeyTableModel : public GTableModel {
public:
    ~KeyTableModel() override { clearRows(); }
    void fill(const RecordArray<GKeyBinding>& bindings);

    u64 rowCount() override { return rows.size(); }
    i32 columnCount() override { return 5; }
    const char* cellText(GString& scratch, u64 row, i32 column) override;
    void clearRows() override;
    void removeRows(u64 first, u64 end) override;
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }
    // In place, by the column's comparator (descending: its exact reverse).
    void sortByColumn(i32 column, bool ascending) override;

    std::vector<KeyRow*> rows;
};

// The comparators of the five columns, ascending then descending: index column * 2 + descending.
typedef int (*KeyRowCompare)(const KeyRow* a, const KeyRow* b);
extern const KeyRowCompare keyRowComparators[10];
KeyRow* makeKeyRow(const GKeyBinding& binding);

enum : u32 { KeyTableDelete = 1000, KeyTableEdit = 1001, KeyTableAdd = 1002, KeyTableRestore = 1003 };

class GKeyTableWindow : public GColumnsItem {
public:
    // Buttons and the table on the builder's owner; the caller adds it.
    GKeyTableWindow(GLayoutBuilder& builder, const RecordArray<GKeyBinding>* defaults,
                    const RecordArray<GKeyBinding>* live);

    // The rows' bindings in the table's order.
    void storeInto(RecordArray<GKeyBinding>& bindings);
    // The rows again from the live bindings.
    void refresh();
    void updateButtons();
    // The selected row, -1 for none.
    i64 selectedRow();

    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    bool onControlNotify(void* notification) override;
    i32 handleKey(GInputEvent* event) override;

    void deleteRow();
    void editRow(bool add);
    void restoreDefaults();

    const RecordArray<GKeyBinding>* defaults;
    const RecordArray<GKeyBinding>* live;
    GTable* table = nullptr;
    GButton* deleteButton = nullptr;
    GButton* editButton = nullptr;
    KeyTableModel* model = nullptr;  // the table's
};

const u32 TypeKeyCustomizeDialog = 81;

class GKeyCustomizeDialog : public GSinglePlacerDialog {
public:
    explicit GKeyCustomizeDialog(GWindow* owner) : GSinglePlacerDialog(owner, "hotkeys.htm") {}

    bool isKindOf(u32 id) const override { return id == TypeKeyCustomizeDialog || GSinglePlacerDialog::isKindOf(id); }
    const char* className() const override { return "GKeyCustomizeDialog"; }
    u32 typeId() const override { return TypeKeyCustomizeDialog; }

    bool build();
    // OK: the rows replace the live bindings.
    bool onCommand(u32 command, GStateQuery* query) override;
    static i32 run(GWindow* owner);

    GKeyTableWindow* keys = nullptr;
};
