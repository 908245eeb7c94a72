#pragma once
// ReverberationDialog: the reverberation as a list of reflections ("reverb.htm"): a sortable table
// of the rows beside a graph of every tap, the echo dialog to add and edit rows, clicks in the graph
// and the "rvr" presets. The list is the Editor's settings section, edited in place (kept also on
// Cancel); the graph's scales are stored on every end. Its caller owns it (on the stack of a modal
// run); the controls belong to its window, the taps to the dialog. ReflectionTableModel: the table's
// view of the list, owned by the table.
#include <vector>

#include "app/effect_dialogs.h"
#include "app/effect_records.h"
#include "gui/views/graph.h"
#include "gui/views/table_model.h"

class GTable;
class EchoReflectionList;

enum : u32 {
    ReverbAddCommand = 1000,
    ReverbDeleteCommand = 1001,
    ReverbEditCommand = 1002,
    ReverbClearCommand = 1003,
    ReverbSaveCommand = 1004,
    ReverbLoadCommand = 1005,
};

// The block of a stored row and back.
EchoBlock blockOfRow(const ReflectionRow& row);
ReflectionRow rowOfBlock(const EchoBlock& block);
// One reflection per row, delays from ms to frames at the rate; the caller owns the list.
EchoReflectionList* reverbReflections(const std::vector<ReflectionRow>& rows, u32 rate);

struct ReverbTap {
    f64 time;  // ms
    f64 amplitude;
    u32 row;
};
// Per row, repeats taps from the first delay and factor, each next one a second delay later and
// times the second factor; sorted by time (rows in order for equal times).
std::vector<ReverbTap> reverbTaps(const std::vector<ReflectionRow>& rows);

class ReflectionTableModel : public GTableModel {
public:
    explicit ReflectionTableModel(std::vector<ReflectionRow>* list) : list(list) {}
    u64 rowCount() override { return list->size(); }
    i32 columnCount() override { return 7; }
    const char* cellText(GString& scratch, u64 row, i32 column) override;
    void clearRows() override { list->clear(); }
    void removeRows(u64 first, u64 end) override;
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }
    // Whole 64-byte rows.
    u64 appendRecords(const void* rows, i32 n) override;
    u64 insertRecords(u64 at, const void* rows, i32 n) override;
    // Columns 0 to 4: factors as f64, delays and repeats as u32; 5 and 6 do not sort.
    void sortByColumn(i32 column, bool ascending) override;
    void swapRows(u64 a, u64 b) override;

    std::vector<ReflectionRow>* list;
};

class ReverberationDialog;

// The taps' graph; a button press in its plot area goes to the dialog.
class TapGraph : public GGraph {
public:
    TapGraph(ReverberationDialog* dialog);
    bool handleMouse(GInputEvent* event) override;
    // The time in seconds and the amplitude at a client point.
    void valueAt(i32 x, i32 y, f64* seconds, f64* amplitude) const;
    // The client point of a time and an amplitude.
    POINT pointOf(f64 seconds, f64 amplitude) const;

    ReverberationDialog* dialog;
};

class ReverberationDialog : public GDialog {
public:
    explicit ReverberationDialog(GWindow* owner, const char* help = "reverb.htm") : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeReverberationDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "ReverberationDialog"; }
    u32 typeId() const override { return TypeReverberationDialog; }

    // 169 to 177 answer the graph's state; 1000 to 1005 enabled.
    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    // Delete removes the selected row, Insert adds one, Enter on the table edits.
    i32 handleKey(GInputEvent* event) override;
    // A row activated (double click, Enter) is edited.
    bool onControlNotify(void* notification) override;

    // The selected row, -1 for none.
    i64 selectedRow();
    void selectRow(u64 row);
    // Buttons from the row count (a row selected when there are rows), then the taps.
    void update();
    void rebuildTaps();
    // Through the echo dialog: a new row (from the selected one, else the defaults), or the selected one.
    void addRow(bool edit);
    void deleteRow();
    void clearRows();
    void savePreset();
    void loadPreset();
    // Left: a row of one tap there; right: the row of the nearest tap within 1000 ms goes.
    void graphClick(bool left, f64 seconds, f64 amplitude);
    void focusTable();

    ReverbSettings* settings = nullptr;
    u32 rate = 44100;
    GTable* table = nullptr;
    TapGraph* graph = nullptr;
    std::vector<ReverbTap> taps;
};

// The body over the settings section at the sound's rate; false when no window was made.
bool buildReverberationBody(ReverberationDialog* dialog, const char* title, ReverbSettings* settings, u32 rate);
