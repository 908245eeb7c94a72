#pragma once
// GColorListWindow: the colour settings (glass colour, background style, the registered colour
// groups) as a column for a dialog or an options page. Every choice applies at once; revert puts
// back what was there when the window was built. Its container owns it; it owns the saved copies.
#include <vector>

#include "gui/layout/layout_rows.h"

class CommandRange;
class GButton;
class GCombo;
class GLayoutBuilder;
class PaneColorGroup;

// The preset glass colours of rows 1 to 14 of the glass list (row 0 asks for any colour).
extern const COLORREF kGlassPresets[14];

class GColorListWindow : public GColumnsItem {
public:
    // Builds the controls on the builder's owner and saves the current state; the caller adds it.
    explicit GColorListWindow(GLayoutBuilder& builder);
    ~GColorListWindow() override;

    // Restores the glass colour, style and group colours saved at build, and applies them.
    void apply();

    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    bool onControlNotify(void* notification) override;

    // Group i's colour chosen from its popup: the chooser on the entry's colour, then the group applies.
    void chooseGroupColor(u32 group, i32 commandId);

    std::vector<PaneColorGroup*> groups;
    std::vector<CommandRange*> saved;
    u32 savedGlass, savedStyle;
    GCombo* glassCombo = nullptr;
    GCombo* styleCombo = nullptr;
    std::vector<GButton*> groupButtons, defaultButtons;
    bool built = false;
};
