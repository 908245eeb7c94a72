#pragma once
// GCombo: an owner-drawn drop-down selector over a table model (a string list by default). It
// shows the selected row and an arrow zone; a click, F4, Alt+Down or Space opens the list
// (GComboList) below or above it; keys and the wheel change the selection while it is closed. The
// combo owns its model and its open list; its owner window owns it (it ends with its window).
#include "gui/controls/combo_items.h"
#include "gui/kernel/user_window.h"

struct GBag;
struct ListRowArray;

class GComboCapture;
class GComboList;
class GHotTracker;
class GLayoutBuilder;
class GTableModel;

enum : u32 { TypeCombo = 109 };
// The notification code of a selection changed by the user.
enum : u32 { ComboSelectionChanged = 3 };
// The arrow image.
enum : i32 { ComboArrowBitmap = 9044 };

class GCombo : public GUserWindow {
public:
    explicit GCombo(GWindow* owner);
    ~GCombo() override;

    bool isKindOf(u32 id) const override { return id == TypeCombo || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GCombo"; }
    u32 typeId() const override { return TypeCombo; }

    // A combo of the texts of a bag (one item per non-empty NUL-terminated text), `width`
    // characters wide, added to the builder's container; alignment letters "*" keep the default.
    static GCombo* create(GLayoutBuilder& builder, const GBag* items, i32 selection, i32 width,
                          const char* alignment = nullptr);
    // The same over a model the combo takes over.
    static GCombo* create(GLayoutBuilder& builder, GTableModel* model, i32 selection, i32 width,
                          const char* alignment = nullptr);
    // The same over a choice list with values: its rows move into the combo's model and the array
    // is left empty.
    static GCombo* create(GLayoutBuilder& builder, ListRowArray& choices, i32 selection, i32 width,
                          const char* alignment = nullptr);

    // The native window with comboStyle and comboExStyle; a list row is the default font's height
    // (at least minTextHeight) + 6 high. Makes the hot tracker, the mouse capture and a new empty
    // string list model. False when the window cannot be made.
    bool createHandle(i32 minTextHeight);
    // Ignored at or past the row count; a negative index is none. Re-lays out and repaints.
    void setCurrentIndex(i32 index);
    // The item operations of this combo, for the dialogs that fill and query it.
    GComboItems& items() { return itemInterface; }

    void setItems(const GBag* texts, i32 selection);
    void addItem(const char* text);
    void clear();
    // From the program: an index from -1 below the row count becomes the selection, quietly.
    void select(i32 index);
    void setup(i32 index) { select(index); }
    // Replaces (and deletes) the model; an open list shows the new one.
    void setModel(GTableModel* model, i32 selection);
    // Keeps the selection inside the rows after a model change.
    void clampSelection();
    void dropDown();
    void closeUp(bool takeChoice);

    i32 rowCount() const;
    bool dropped() const { return isDropped; }
    GTableModel* model() const { return itemModel; }
    GComboList* list() const { return openList; }
    // Client rectangles of the two zones.
    RECT textZone() const;
    RECT arrowZone() const;

    // Window and item slots.
    void paint(HDC dc, const RECT& update, bool erase) override;
    void getPreferredSize(i32* width, i32* height) override;
    i32 acceptsFocus() override { return 1; }
    i32 handleKey(GInputEvent* event) override;
    bool handleMouse(GInputEvent* event) override;
    bool onWheel(i32 delta, u32 keys, bool vertical) override;
    bool onFocus(bool gained, HWND other) override;
    bool hitPart(GHotTracker*, i32 x, i32 y, RECT* rect, u32* flags) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    void onDestroy() override;
    void onLayoutEvent(u32 kind) override;

    i32 visibleRows = 30;  // rows the list shows at most
    i32 selection = -1;
    i32 itemHeight;         // of a list row
    i32 listMetric = 0;     // handed to the list with the rows
    i32 widthInChars = 10;
    i32 lineHeight;
    i32 minTextHeight = 0;
    u32 comboStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
    u32 comboExStyle = 0;

private:
    // A selection made by the user: selected and notified when it changed.
    void userSelect(i32 index);
    // The routing of a captured mouse message while the list is open.
    void routeOpenMouse(u32 message, uintptr_t wParam, intptr_t lParam);
    void relayout();
    void repaint();
    // Disabled (also with nothing selected) and, while open, checked.
    u32 frameState() const;
    // The native window, the list and the capture go; nothing is chosen.
    void dropList();
    i32 widestText();

    GTableModel* itemModel;
    GComboList* openList = nullptr;
    GComboCapture* capture = nullptr;
    GHotTracker* tracker = nullptr;
    GComboItems itemInterface{this};
    bool isDropped = false;

    friend class GComboCapture;
};
