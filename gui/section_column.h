#pragma once
// GSectionColumn: a column of sections (status lines) that the user shows and hides from a context
// menu. Child 0 is a thin placeholder line, visible exactly when every section is hidden, so a
// collapsed column still shows a line to click. Columns with the same key (the same panel in
// several windows) change together; each keeps its section states in a byte buffer that its owner
// saves and restores.
//
// Until the layout columns exist the column lives in a host child window of the owner (the caller
// places it with setRect); the host and the sections end with the owner. The creator owns the
// column; every live column is linked in one list.
#include <windows.h>

#include <string>
#include <vector>

#include "core/bag.h"
#include "gui/item_base.h"

class GStatusLine;
class GHostWindow;
class GChildWindow;
class GWindow;

// Commands of the section menu; any other value toggles the section of that index.
enum : u32 { SectionsShowAll = 1000000, SectionsHideAll = 1000001 };

class GSectionColumn : public GItemBase {
public:
    GSectionColumn(GWindow* owner, u32 key);
    ~GSectionColumn() override;

    // A new section (a status line), shown or hidden.
    GStatusLine* addSection(const char* title, bool shown);
    void showAllSections();
    void hideAllSections();
    void toggleSection(u32 i);
    // Applies one command to this column and re-arranges it.
    void applySectionCommand(u32 command);
    // Applies the command here and to every column of the same key that has that section, then
    // stores the states.
    void runSectionCommand(u32 command);
    // Reads one state byte per section (1: hidden); a short bag throws GBagException.
    void restoreSections(GBag& bag);

    // The context menu: one entry per section, checked when shown, then "show all" and "hide all".
    HMENU buildSectionMenu();
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;

    bool excluded(u32 i) const;
    u32 childCount() const { return (u32)children.size(); }
    void setRect(const RECT& rect);
    // Stacks the included children from the top; the last one takes the rest.
    void arrange();

    GWindow* owner;
    GHostWindow* host = nullptr;
    std::vector<GChildWindow*> children;  // 0: the placeholder line
    std::vector<std::string> titles;      // one per section, from child 1
    u32 key;
    std::vector<u8> states;               // byte i: section i hidden (i >= 1)
    GSectionColumn* previous = nullptr;
    GSectionColumn* next = nullptr;

    static GSectionColumn* first;

private:
    void include(u32 i, bool on);
    void storeStates();
};
