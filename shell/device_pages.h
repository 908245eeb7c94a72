#pragma once
// The device tools of the program: the devices page (kind 71) and the real mixer panels of the
// options dialog.
// Registers the page's maker and installs the options dialog's panels.
void registerDevicePages();
