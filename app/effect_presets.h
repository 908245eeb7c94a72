#pragma once
// The equalizer's and the reverberation's preset files and the band layout checks that both the
// layout dialog and a loaded preset pass. Little-endian; "EQ_" or "RVR" with a zero byte, version 1.
#include <vector>

#include "app/editor_settings.h"

struct GFile;

enum class PresetRead { Ok, WrongFormat, Version, Failed };

// The text of the first layout check that fails (lowest below highest, lowest at least 1 Hz,
// highest at most 1000000 Hz, ratio above 1, at most about 100 bands), or null when it fits.
const char* eqLayoutRefusal(f64 lowest, f64 highest, f64 ratio);

// Header {magic, 1, start, end, ratio, count, 0} and count i32 gains.
bool writeEqPreset(GFile& f, const GeometricScale& bank);
// The bank from the file's frequencies (checked as a layout; else WrongFormat) and at most as many
// gains as those give. The bank changes only on Ok; read failures were reported by the file.
PresetRead readEqPreset(GFile& f, GeometricScale* bank);

// {magic, 1, count} and count 64-byte rows.
bool writeReverbPreset(GFile& f, const std::vector<ReflectionRow>& rows);
// Wrong magic or version leave the rows; past the header a failed read, or a count of more rows
// than the rest of the file holds, empties them (Failed or WrongFormat).
PresetRead readReverbPreset(GFile& f, std::vector<ReflectionRow>* rows);
