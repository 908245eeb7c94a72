#pragma once
// GSectionColumn: a column of sections (status lines) that the user shows and hides from a context
// menu. Child 0 is a thin placeholder line, included exactly when every section is excluded, so a
// collapsed column still shows a line to click. Columns with the same key (the same panel in
// several windows) change together; each keeps its section states in a byte buffer that its owner
// saves and restores. A layout item: its container owns it, it owns its windows; every live column
// is linked in one list.
#include <windows.h>

#include <string>
#include <vector>

#include "core/bag.h"
#include "gui/layout/layout_rows.h"

class GLayoutBuilder;
class GMenu;
class GStatusLine;

// Commands of the section menu; any other value toggles the section of that index.
enum : u32 { SectionsShowAll = 1000000, SectionsHideAll = 1000001 };

class GSectionColumn : public GColumnsItem {
public:
    GSectionColumn(GWindow* owner, u32 key);
    ~GSectionColumn() override;

    // A new section (a status line), included or excluded.
    GStatusLine* addSection(const char* title, bool shown);
    void showAllSections();
    void hideAllSections();
    void toggleSection(u32 i);
    // Applies one command to this column and re-arranges the window.
    void applySectionCommand(u32 command);
    // Applies the command here and to every column of the same key that has that section, then
    // stores the states.
    void runSectionCommand(u32 command);
    // Reads one state byte per section (1: hidden); a short bag throws GBagException and changes
    // nothing.
    void restoreSections(GBag& bag);

    // The owner-drawn context menu: one entry per section, checked when shown, a separator, then
    // "show all" and "hide all".
    void fillSectionMenu(GMenu& menu);
    // Tracks the menu at the screen point and runs the choice.
    void openSectionMenu(POINT at);
    // Hides every section when any is shown, else shows them all (a click on the placeholder, a
    // double click on a section).
    void switchAllSections();

    bool excluded(u32 i) const;

    std::vector<std::string> titles;  // one per section, from child 1
    u32 key;
    std::vector<u8> states;           // byte i: section i hidden (i >= 1)
    GSectionColumn* previous = nullptr;
    GSectionColumn* next = nullptr;

    static GSectionColumn* first;

private:
    void include(u32 i, bool on);
    void storeStates();
};

// A new column added to the builder's current container, with the optional alignment code.
GSectionColumn* addSectionColumn(GLayoutBuilder& builder, u32 key, const char* code);
