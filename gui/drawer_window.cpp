#include "gui/drawer_window.h"

void GDrawerWindow::paint(HDC dc, const RECT&, bool) {
    RECT client;
    GetClientRect(hwnd, &client);
    callback(dc, &client, argument, extra);
}
