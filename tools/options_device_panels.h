#pragma once
// The program options' mixer page with the real device panels: the play and the record device's
// mixer panels, and the whole sound set-up as the page's line, taken when the page is first shown
// and put back on Cancel. The shell installs both into the options page's hooks.
class GLayoutBuilder;
class OptionsMixerLine;
struct SoundSettings;

void buildOptionsDevicePanels(GLayoutBuilder& builder, SoundSettings& sound);
// The set-up of the program's sound settings as a line; the options dialog owns it.
OptionsMixerLine* makeSoundSetupLine();
