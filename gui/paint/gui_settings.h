#pragma once
// The toolkit's appearance record: seven colours, the effect words of menus, tabs and tool bars, the
// view settings of tables and the undo limit; stored as tagged-record sections in the toolkit's
// settings store. One static record, guiSettings, read at start and written at stop.
#include <windows.h>

#include "core/bag.h"
#include "core/types.h"

class ErrorHandler;

// Colours are COLORREF values; -1 in a colour field means the system colour.
const u32 kSystemColor = 0xFFFFFFFFu;

struct GGuiSettings {
    // "Colors"
    u32 background = kSystemColor;
    u32 glass = 0x0064A019;
    u32 selection = kSystemColor;
    u32 selectionText = kSystemColor;
    u32 style = 2;  // window backgrounds: 0 dark shade, 1 plain, 2 light shade
    u32 text = kSystemColor;
    u32 window = kSystemColor;
    // "Menu"
    u32 horizontalMenuEffects = 0x59;
    u32 verticalMenuEffects = 0x59;
    // "Tab"
    u32 tabEffects = 0x7FF503FF;
    // "Table"
    u32 viewFlags = 1;
    u32 viewMode = 10;
    // "ToolBar"
    u32 toolBarEffects = 0x35;
    // "Undo"
    u32 undoCountLimit = 2000;

    // Reads the sections from the bag's position; what is missing keeps its value, unknown keys and
    // sections are skipped. Reading past the bag's end throws GBagException, keeping what was read.
    void read(GBag& bag);

    // One section each; written in this order.
    void writeColors(GBag& bag) const;
    void writeMenu(GBag& bag) const;
    void writeTab(GBag& bag) const;
    void writeTable(GBag& bag) const;
    void writeToolBar(GBag& bag) const;
    void writeUndo(GBag& bag) const;
    void write(GBag& bag) const;
};
extern GGuiSettings guiSettings;

// The store file, its outer section and version.
extern const char* const kGuiSettingsPath;
extern const char* const kGuiSettingsSection;
const u32 kGuiSettingsVersion = 1;

// The record inside its outer section in a bag file of tag "OPTS".
bool saveGuiSettings(const GGuiSettings& settings, const char* path = kGuiSettingsPath,
                     ErrorHandler* handler = nullptr);
// False when the file is missing, foreign or damaged; a damaged store keeps the defaults and the
// values read before the damage.
bool loadGuiSettings(GGuiSettings& settings, const char* path = kGuiSettingsPath, ErrorHandler* handler = nullptr);

// Derives toolkitColors from guiSettings, gives the toolkit's window classes a background brush of
// the class background and repaints the toolkit's top-level windows of this thread.
void applyColorScheme();
// The names of the toolkit's window classes whose brushes applyColorScheme replaces; a name ending
// in "_ANSI" is an ANSI class, any other a wide one.
extern const char* const kToolkitClassNames[4];
// Gives each named class that is registered a new background brush of the colour (through a
// temporary window of the class) and deletes the old one.
void replaceClassBrushes(const char* const* names, u32 count, COLORREF colour);
