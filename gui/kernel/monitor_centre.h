#pragma once
// Centres a top-level window on the work area of the monitor of another window (or of its own).
#include <windows.h>

void centreOnMonitor(HWND window, HWND nearTo);
