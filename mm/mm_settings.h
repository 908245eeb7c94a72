#pragma once
// The settings record of the multimedia library: the converter's remembered targets, the metronome,
// the notes display, and the sound settings (play and record devices, the filter parameters of the
// effect dialogs, the buffer counts of the player, the recorder and the synthesizer output). Stored
// as tagged-record sections in the multimedia settings store.
#include "core/bag.h"
#include "core/level_value.h"
#include "mm/converter_settings.h"
#include "mm/device_settings.h"

class ErrorHandler;

// The store file, its bag-file tag and version, and the root section holding the record.
extern const char* const kMultimediaSettingsPath;
extern const char* const kMultimediaSettingsSection;
const u32 kMultimediaSettingsVersion = 1;

struct MetronomeSettings {
    u32 count = 4;
    u32 time = 500;
};

struct ShowSettings {
    u8 boardSound = 1;
    u32 noteStyle = 0;
    u32 octaveStyle = 2;
};

struct FilterSettings {
    LevelValue ampData_bq{32767.0, 1.0, 0.0, LevelUnit::Decibels};
    f64 bqFilterFreq = 440.0;
    f64 bqQuality = 1.0;
    f64 bqSlope = 1.5;
    f64 highFilterFreq = 10000.0;
    u32 loopFilter = 1;
    f64 lowFilterFreq = 51.0;
    IntervalValue pitchData_bandwidth{2.0, 12.0, 3};
};

// Buffer counts of one wave device user; the recorder stores no bufPresend.
struct BufferSettings {
    u32 bufCount;
    u32 bufPerSecond;
    u32 bufPresend;
};

struct SoundSettings {
    PlayDeviceSettings play;
    RecordDeviceSettings record;
    FilterSettings filters;
    BufferSettings player{5, 20, 3};
    BufferSettings recorder{3, 20, 0};
    BufferSettings synth{4, 20, 4};
};

class MultimediaSettings {
public:
    MultimediaSettings() = default;
    MultimediaSettings(const MultimediaSettings&) = delete;
    MultimediaSettings& operator=(const MultimediaSettings&) = delete;

    // Copies every value of another record; the device entries keep their listeners.
    void assign(const MultimediaSettings& other);
    // Reads the sections at the bag's position; what is missing keeps its value. A damaged record
    // throws GBagException, keeping what was read before.
    void read(GBag* bag);

    RecentConversions recentConversions;
    MetronomeSettings metronome;
    ShowSettings show;
    SoundSettings sound;
};

// The program's one record, read at start and written at stop by its settings store.
MultimediaSettings& multimediaSettings();

// The four sections, in this order.
void writeConverterSettings(GBag* bag, const MultimediaSettings& settings);
void writeMetronomeSettings(GBag* bag, const MultimediaSettings& settings);
void writeShowSettings(GBag* bag, const MultimediaSettings& settings);
void writeSoundSettings(GBag* bag, const MultimediaSettings& settings);
void writeMultimediaSettings(GBag* bag, const MultimediaSettings& settings);

// The store as a bag file of tag "OPTS" whose bag holds the root section.
bool saveMultimediaSettings(const MultimediaSettings& settings, const char* path = kMultimediaSettingsPath,
                            ErrorHandler* handler = nullptr);
// False, keeping the values not read, when the file is missing, foreign or damaged.
bool loadMultimediaSettings(MultimediaSettings& settings, const char* path = kMultimediaSettingsPath,
                            ErrorHandler* handler = nullptr);
