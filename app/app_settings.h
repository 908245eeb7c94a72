#pragma once
// The program settings record: every persistent choice of the program's windows and dialogs, one
// global read from its store at start and written back at stop. Copies are deep. The pane colours
// live in the two pane colour groups and are stored with the record.
#include "app/editor_settings.h"
#include "app/spectrum_settings.h"
#include "core/bag.h"

struct AnalyzerWindowSettings {
    u8 openInNewTab = 1;
};

struct ConverterWindowSettings {
    u8 openInNewTab = 1;
};

// The format proposed for a new sound: tag 0xBA0D the own format in `encoding`, else 16-bit PCM.
struct SoundFormatSettings {
    u32 channels = 2;
    u32 encoding = 2;
    u32 rate = 44100;
    u32 tag = 1;
};

struct CommonSettings {
    SoundFormatSettings SoundFormat;
};

struct AppSettings {
    AnalyzerWindowSettings Analyzer;
    CommonSettings Common;
    ConverterWindowSettings Converter;
    EditorSettings Editor;
    InstrumentSettings Instrument;
    MDEditorSettings MDEditor;
    SpectrumSettings Spectrum;
};
extern AppSettings appSettings;

// The seven sections at the bag's position, in stored order.
void writeAppSettings(const AppSettings& settings, GBag& bag);
// Reads the groups from the bag's position (inside the store's own section); missing keys keep
// their values. A damaged bag throws GBagException, keeping what was read before it.
void readAppSettings(AppSettings& settings, GBag& bag);

// The store file, its section and version.
extern const char* const kAppSettingsPath;
extern const char* const kAppSettingsSection;
const u32 kAppSettingsVersion = 1;

bool saveAppSettings(const AppSettings& settings, const char* path = kAppSettingsPath);
// False when the file is missing, foreign or damaged; a damaged store keeps what was read before.
bool loadAppSettings(AppSettings& settings, const char* path = kAppSettingsPath);
