#pragma once
// The bodies of the duration and vibrato dialogs, built into a caller's dialog: a caption, the
// fields over the settings record and the button row. The dialog's tree owns what is made; what
// the user types stays in the record also on Cancel.
#include "app/editor_settings.h"
#include "gui/controls/sample_count.h"

class GDialog;

// One duration field under the fixed label ("88488"); options {read only, minimum, maximum, -1}.
// "OCH" with a help page, else "OC". False when no window was made.
bool buildDurationBody(GDialog* dialog, const char* title, const char* caption, SamplePeriod* duration,
                       const SampleCountRange& options, u32 rate);
// The vibrato's depth over the interval record (every unit, 0 to 4 as a ratio, 0 to 24 semitones)
// and its period (1 frame to ten seconds at the rate) ("88448", always "OCH").
bool buildVibratoBody(GDialog* dialog, const char* title, const char* caption, IntervalValue* depth,
                      SamplePeriod* period, u32 rate);
