#pragma once
// The program's two pane colour groups (wave panes, spectrum panes): global objects registered in
// the toolkit's two colour-group slots at static initialisation; their ranges hold nine colours.
#include "gui/menus/command_range.h"
#include "gui/menus/pane_color_group.h"

class ProgramColorGroup : public PaneColorGroup {
public:
    ProgramColorGroup(i32 first, i32 last, u32 kind) : colours(first, last), kind(kind) {}
    // The title of the group's window kind.
    const char* name() override;
    CommandRange* range() override { return &colours; }
    // Writes the defaults, then applies them.
    void restoreDefaults() override;
    bool loaded() const { return colours.flag != 0; }

    CommandRange colours;  // flag: loaded from the store
    u32 kind;

protected:
    // Nine colours in id order from the toolkit's colours.
    virtual void writeDefaults() = 0;
};

class WavePaneColors : public ProgramColorGroup {
public:
    WavePaneColors();
    // Each wave pane takes the background and repaints.
    void apply() override;

protected:
    void writeDefaults() override;
};

class SpectrumPaneColors : public ProgramColorGroup {
public:
    SpectrumPaneColors();
    // Each spectrum pane is told to take the colours over.
    void apply() override;

protected:
    void writeDefaults() override;
};

extern WavePaneColors wavePaneColors;
extern SpectrumPaneColors spectrumPaneColors;
enum : u32 { WaveColorSlot = 0, SpectrumColorSlot = 1 };
