#pragma once
// The bodies of the new-sound dialog (FormatDialog over the settings' new-sound format and length)
// and of the rate dialog (RateDialog over a copy of a rate), and their modal runs. The dialogs are
// the caller's; what the builders make belongs to the dialog's tree and field list.
#include "app/effect_dialogs.h"
#include "app/format_panels.h"

struct SamplePeriod;
class DigitField;

// The duration field's maximum: 6060 s at the rate, held to 32 bits.
u32 newSoundMaxFrames(u32 rate);

struct FormatDialogParts {
    NewSoundFormatPanel* format = nullptr;
    DigitField* length = nullptr;
};
// Creates the window and fills it; false when the window could not be made.
bool buildFormatDialog(FormatDialog* dialog, const NewSoundFields& fields, SamplePeriod* length,
                       FormatDialogParts* parts = nullptr);
// The dialog over the program settings' new-sound fields; true on OK.
bool runFormatDialog(GWindow* owner);

bool buildRateDialog(RateDialog* dialog, const char* title, u32* rate, SampleRatePanel** panel = nullptr);
// True on OK, with *rate the chosen one.
bool runRateDialog(GWindow* owner, const char* title, u32* rate);
