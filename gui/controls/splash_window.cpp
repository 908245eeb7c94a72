#include "gui/controls/splash_window.h"

#include "core/paths.h"
#include "gui/kernel/monitor_centre.h"
#include "gui/kernel/window_procedure.h"

GSplashWindow* GSplashWindow::create(DrawerCallback callback, void* argument, void* extra) {
    GSplashWindow* splash = new GSplashWindow;
    GString title = productName();
    if (!createTopLevelWindow(splash, WS_POPUP | WS_BORDER, 0, title.c_str())) {
        delete splash;
        return nullptr;
    }
    splash->drawer = new GDrawerWindow(splash, callback, argument, extra);
    if (!splash->drawer->create(WS_CHILD | WS_VISIBLE)) {
        delete splash->drawer;
        delete splash;
        return nullptr;
    }
    SIZE size = splash->drawer->contentSize();
    RECT frame = {0, 0, size.cx, size.cy};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, 0);
    SetWindowPos(splash->hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(splash->drawer->hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    centreOnMonitor(splash->hwnd, nullptr);
    ShowWindow(splash->hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(splash->hwnd);
    return splash;
}

bool SplashStep::start(ErrorHandler*, bool) {
    if (!splash) splash = GSplashWindow::create(callback, argument, extra);
    return true;
}

void SplashStep::stop() {
    delete splash;
    splash = nullptr;
}
