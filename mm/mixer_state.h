#pragma once
// The record of the state of every mixer of the machine: the current values of every control of
// every line, saved into a byte bag and set again later.
//
// All mixers: u32 mixer count, then per mixer a u32-counted block holding one mixer record (empty for
// a mixer whose state could not be read). Mixer record: the 32-byte product name, u32 mixer number,
// u32 destination count, then per destination its line record, u32 source count and the source line
// records. Line record: the 64-byte line name, u32 control count, then per control a u32-counted list
// of its values.
#include "core/bag.h"
#include "mm/mixer.h"

// Appends the line record; false when the line or one of its controls cannot be read.
bool writeLineSettings(GBag& bag, Mixer& mixer, MixerLineRef ref);
// Appends the mixer record; false when any part of it cannot be read (the bag then holds a part).
bool writeMixerState(GBag& bag, Mixer& mixer);
// Appends the count and a block per mixer; false when the state of any mixer could not be read.
bool writeAllMixers(GBag& bag, ErrorHandler* sink);

// Sets the line to a line record; a record that does not fit the line raises GBagException before
// any value is set. False when a value could not be set.
bool readLineSettings(GBag& bag, Mixer& mixer, MixerLineRef ref);
// Sets the mixer named by the record to the record's values. A record that does not fit the live
// mixer (another product name, other lines, controls or value counts) or that is too short raises
// GBagException before any value is set. False when a value could not be set.
bool readMixerState(GBag& bag, ErrorHandler* sink);
// Restores every mixer block; a block that does not fit its mixer is passed over. True only when
// every mixer was restored; a record too short for its blocks raises GBagException.
bool readAllMixers(GBag& bag, ErrorHandler* sink);
