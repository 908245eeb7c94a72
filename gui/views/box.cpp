#include "gui/views/box.h"

#include "gui/controls/combo.h"
#include "gui/input/input_event.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/table_menu.h"

namespace {
// The pop-up under the combo: it refuses the activation a click would give it.
class BoxPopup : public GParentWindow {
public:
    using GParentWindow::GParentWindow;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override {
        if (message == WM_MOUSEACTIVATE) {
            *result = MA_NOACTIVATE;
            return true;
        }
        return GParentWindow::handleMessage(message, wParam, lParam, result);
    }
};

// The drop-down has no row menu: an empty menu is not shown.
class NoRowMenu : public GTableMenuProvider {
public:
    void fillMenu(GTable&, GMenu&, i64, i32) override {}
};
NoRowMenu noRowMenu;
}  // namespace

bool GBoxList::open(GWindow* combo, GTableModel* model, i32 row, i32 itemHeight, const RECT& screen, bool) {
    destroy();
    popup = new BoxPopup(combo);
    if (!createTopLevelWindow(popup, WS_POPUP | WS_BORDER, WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "")) {
        delete popup;
        popup = nullptr;
        return false;
    }
    SetWindowPos(popup->hwnd, HWND_TOPMOST, screen.left, screen.top, screen.right - screen.left,
                 screen.bottom - screen.top, SWP_NOACTIVATE);
    GTableDesc desc;
    desc.flags = TableCaretFollowsMouse | TableModelNotOwned;
    desc.style &= ~(u32)WS_TABSTOP;
    desc.exStyle = WS_EX_NOACTIVATE;
    desc.rowHeight = itemHeight;
    desc.model = model;
    desc.menuProvider = &noRowMenu;
    box = new GBox(popup);
    if (!box->create(desc)) {
        delete box;
        box = nullptr;
        destroy();
        return false;
    }
    // The combo's formatter parameter: the image box of its items.
    if (auto* owner = dynamic_cast<GCombo*>(combo)) box->columns[0].formatParam = (u32)owner->listMetric;
    RECT client;
    GetClientRect(popup->hwnd, &client);
    box->setRect(client);
    if (row >= 0) box->setCaretRow((u64)row);
    ShowWindow(popup->hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(popup->hwnd);
    return true;
}

HWND GBoxList::popupWindow() { return popup ? popup->hwnd : nullptr; }
HWND GBoxList::listWindow() { return box ? box->hwnd : nullptr; }

i32 GBoxList::currentRow() { return box ? (i32)box->selection()->caret() : -1; }

void GBoxList::setCurrentRow(i32 row) {
    if (!box) return;
    if (row >= 0)
        box->setCaretRow((u64)row);
    else
        box->selection()->setCaret(-1);
    box->invalidate();
}

i32 GBoxList::rowAtPoint(i32, i32 y) { return box ? (i32)box->rowAt(y) : -1; }

i32 GBoxList::forwardKey(GInputEvent* event) { return box ? box->handleKey(event) : 0; }

void GBoxList::forwardWheel(i32 delta, i32, i32) {
    if (box) box->onWheel(delta, 0, true);
}

void GBoxList::forwardMouse(u32 message, uintptr_t wParam, i32 x, i32 y) {
    if (!box) return;
    // The caret follows the pointer.
    if (message == WM_MOUSEMOVE) {
        i32 row = rowAtPoint(x, y);
        if (row >= 0 && row != currentRow()) setCurrentRow(row);
        return;
    }
    SendMessageA(box->hwnd, message, wParam, MAKELPARAM(x, y));
}

void GBoxList::setModel(GTableModel* model) {
    if (box) box->setModel(model, 0);
}

void GBoxList::destroy() {
    if (!popup) return;
    GParentWindow* p = popup;
    popup = nullptr;
    box = nullptr;
    if (p->hwnd) DestroyWindow(p->hwnd);
}

void installBoxList() {
    comboListFactory = []() -> GComboList* { return new GBoxList; };
}
