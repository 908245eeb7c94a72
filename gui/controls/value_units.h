#pragma once
// The unit conversions of the level and interval fields, on the working values of their parts
// (indexed by unit). A changed part sets every other part from its value.
#include "core/level_value.h"
#include "core/types.h"

enum : u32 { LevelPartCount = 4, IntervalPartCount = 5 };

// Parts: sample value, factor, percent, decibels. A decibel edit keeps the sign of the current factor.
void convertLevelParts(f64* parts, u32 changed);
// Parts: ratio, semitones, tones, octaves, cents.
void convertIntervalParts(f64* parts, u32 changed);

// Every part from one factor (the sample value not rounded) or one ratio.
void levelPartsFromFactor(f64* parts, f64 factor);
void intervalPartsFromRatio(f64* parts, f64 ratio);

// The working values a field starts from: the record's stored units and the derived ones.
void levelPartsOf(const LevelValue& value, f64* parts);
void intervalPartsOf(const IntervalValue& value, f64* parts);

// Minimum and maximum of each part, derived units from their stored unit's range.
void levelPartRanges(const LevelRange& range, f64* minimum, f64* maximum);
void intervalPartRanges(const IntervalRange& range, f64* minimum, f64* maximum);
