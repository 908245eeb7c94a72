#pragma once
// The tool bars of a window in its tool-bar strips, rebuilt from the tool-bar records of the
// window's kind; each record's placement values say where its bar was last shown. The strips own
// the bars they hold.
#include "gui/menus/dock_slot.h"

// Empties every visible strip and fills them anew with a bar for each shown, non-empty tool-bar
// record of the window's kind, then writes each new bar's place back into its record.
void arrangeToolBars(GParentWindow* window);
