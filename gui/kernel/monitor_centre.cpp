#include "gui/kernel/monitor_centre.h"

void centreOnMonitor(HWND window, HWND nearTo) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromWindow(nearTo ? nearTo : window, MONITOR_DEFAULTTOPRIMARY), &info);
    RECT area = info.rcWork, frame;
    GetWindowRect(window, &frame);
    LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
