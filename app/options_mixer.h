#pragma once
// The mixer line that the options page lets the user change while it is open: its state is saved
// when the page is built and put back on Cancel when it was changed. The page owns the line.
#include "core/bag.h"

class GLayoutBuilder;
struct SoundSettings;

class OptionsMixerLine {
public:
    virtual ~OptionsMixerLine() = default;
    // Appends the line's state; false when it cannot be read.
    virtual bool saveState(GBag& state) = 0;
    // Sets the line to a saved state read from the bag's position.
    virtual bool applyState(GBag& state) = 0;
    // The line's volume, 0 to 65535.
    virtual bool volume(u32* value) = 0;
    virtual bool setVolume(u32 value) = 0;
};

// The volume line of the play device's mixer (mixer 0, its first destination); null without one.
OptionsMixerLine* makeDeviceMixerLine();
// What the options page calls for its line; tests put a line of their own here.
extern OptionsMixerLine* (*makeOptionsMixerLine)();
// The page's device panels, installed at start by a layer that has them; null: the stand-in line.
// With them the page's line is the whole sound set-up, put back on Cancel whenever the page was seen.
extern void (*buildOptionsMixerPanels)(GLayoutBuilder& builder, SoundSettings& sound);
