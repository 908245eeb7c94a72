#pragma once
// GColorPane: the drawn window family whose colours come from a pane colour group (wave panes 1003,
// spectrum panes 1004). The group sets the background and repaints; the other colours the pane
// reads from the group when it paints. Same ownership as GUserWindow.
#include <windows.h>

#include "gui/kernel/user_window.h"

enum : u32 { TypeWavePane = 1003, TypeSpectrumPane = 1004 };
// Posted to a spectrum pane when its group's colours changed; it takes them over itself.
enum : u32 { PaneColorsChanged = WM_APP + 0x310 };

class GColorPane : public GUserWindow {
public:
    using GUserWindow::GUserWindow;
    u32 backgroundColor = 0;  // 0x00BBGGRR
};
