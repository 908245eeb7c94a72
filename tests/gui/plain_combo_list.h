#pragma once
// A plain pop-up standing in for a combo's drop-down list: one window that paints its rows, marks
// the current one and records what the combo forwards. Non-client presses are recorded with the
// capture holder at that moment and never start the system's scroll loop.
#include <windows.h>

#include <string>
#include <vector>

#include "gui/controls/combo_list.h"

class PlainComboList : public GComboList {
public:
    PlainComboList() { last = this; }
    ~PlainComboList() override;

    bool open(GWindow* combo, GTableModel* model, i32 row, i32 itemHeight, const RECT& screen,
              bool verticalBar) override;
    HWND popupWindow() override { return window; }
    HWND listWindow() override { return window; }
    i32 currentRow() override { return row; }
    void setCurrentRow(i32 r) override;
    i32 rowAtPoint(i32 x, i32 y) override;
    i32 forwardKey(GInputEvent* event) override;
    void forwardWheel(i32 delta, i32 x, i32 y) override;
    void forwardMouse(u32 message, uintptr_t wParam, i32 x, i32 y) override;
    void setModel(GTableModel* m) override { model = m; }
    void destroy() override;

    // Installs the factory for the scope.
    struct Install {
        Install() { comboListFactory = [] { return (GComboList*)new PlainComboList; }; }
        ~Install() {
            comboListFactory = nullptr;
            last = nullptr;
        }
    };

    HWND window = nullptr;
    GTableModel* model = nullptr;
    i32 row = -1;
    i32 itemHeight = 0;
    RECT placed = {0, 0, 0, 0};
    bool verticalBar = false;
    std::vector<std::string> log;
    // The newest list made; null once it is deleted.
    static inline PlainComboList* last = nullptr;
};
