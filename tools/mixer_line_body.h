#pragma once
// The body of the mixer line dialog: one control panel for a line, in a titled group box, as the
// dialog's content. The dialog owns it.
class GDialog;
class MixerControlPanel;
struct MixerLineBinding;

MixerControlPanel* buildMixerLineBody(GDialog* dialog, const MixerLineBinding& line);
