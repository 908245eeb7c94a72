#pragma once
// The tool bars of a window in its tool-bar strips, rebuilt from the tool-bar records of the
// window's kind; each record's placement values say where its bar was last shown. The strips own
// the bars they hold.
#include <vector>

#include "core/types.h"

class GParentWindow;
class GStripItem;

// The visible strips of the window's content in tree order (a strip is not entered).
std::vector<GStripItem*> dockList(GParentWindow* window);
// The first visible strip with the key, or null.
GStripItem* findStripByKey(GParentWindow* window, u32 key);
// Empties every visible strip and fills them anew with a bar for each shown, non-empty tool-bar
// record of the window's kind, then writes each new bar's place back into its record.
void arrangeToolBars(GParentWindow* window);
