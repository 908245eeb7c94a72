#pragma once
// The factory of a window's pages by window kind. The Editor, spectrum, welcome, converter, codec
// device and analyzer pages come from the folders that build them, through a maker registered by
// kind; kind 77 is the tabbed placer; kinds 1001 and 1029 make nothing but a notice. The page
// belongs to its parent's tree.
#include "core/types.h"

class GPlacer;
class GWindow;

// A new page of the kind on the parent, or null.
typedef GPlacer* (*PageMaker)(GWindow* parent);
// Replaces the kind's maker; null removes it.
void registerPageMaker(u32 kind, PageMaker maker);

// The page of the kind, or null (unknown kind, no maker, not available, allocation failure).
GPlacer* createChildWindow(GWindow* parent, u32 kind);

// The program's page factory (createChildWindow), set once at start.
void installProgramPageFactory();
