#pragma once
// The page factory: makes a page (a placer) of a window kind on a parent window. The program sets
// its own at start and owns it; tests set theirs.
#include "core/types.h"

class GPlacer;
class GWindow;

class PageFactory {
public:
    // A new page of the kind, or null when the kind cannot be made.
    virtual GPlacer* create(GWindow* parent, u32 kind) = 0;

protected:
    ~PageFactory() = default;
};

PageFactory* pageFactory();
// Null: no page can be made.
void setPageFactory(PageFactory* factory);
