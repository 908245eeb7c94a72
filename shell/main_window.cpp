#include "shell/main_window.h"

#include "gui/kernel/window_procedure.h"

bool MainWindow::create(const char* title, i32 showCommand) {
    if (!createTopLevelWindow(this, WS_OVERLAPPEDWINDOW, 0, title)) return false;
    SetWindowPos(hwnd, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    show(showCommand);
    return true;
}
