#pragma once
// The whole sound set-up in a byte bag: the play and the record device records, then the state of
// every mixer. The mixer settings file stores it as its body; the option windows keep one to undo
// their changes.
#include "core/bag.h"
#include "core/error.h"

struct SoundSettings;

// The two device records and the stored size of the mixer count, the least a set-up holds.
const u32 soundSetupMinimum = 464 + 460 + 4;

// Replaces the bag's content with the set-up. False when a mixer could not be read (reported to the
// sink); the bag then holds an empty block for it.
bool writeSoundSetup(SoundSettings& sound, GBag& bag, ErrorHandler* sink);
// Applies a set-up from the bag's start: both device records, then the mixers that still fit; then
// every listener of the play device and then of the record device hears of a change of everything.
// A bag too short for the records and the count, or whose mixer blocks overrun it, is reported as
// damaged; the short one applies nothing. False then, and when a mixer did not fit or take its values.
bool readSoundSetup(SoundSettings& sound, GBag& bag, ErrorHandler* sink);
