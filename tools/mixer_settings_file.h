#pragma once
// The mixer settings file: the sound set-up (tools/sound_setup.h) as the body of a bag file of tag
// "MIX" and version 3. Errors are shown over the owner window.
#include "core/types.h"

class GWindow;
struct SoundSettings;

const u32 mixerSettingsVersion = 3;

// Asks for a file name with the save dialog and writes the file there; false when cancelled or not
// written.
bool saveSoundSettings(GWindow* owner, SoundSettings& sound);
// Writes the file only when every mixer could be read; otherwise the failing call has been shown and
// a box says that no file was written.
bool saveSoundSettingsTo(const char* path, GWindow* owner, SoundSettings& sound);
// Reads the file and applies it (readSoundSetup); another tag or version applies nothing.
bool loadSoundSettings(const char* path, GWindow* owner, SoundSettings& sound);
// Asks for a file with the open dialog and loads it.
bool chooseAndLoadSoundSettings(GWindow* owner, SoundSettings& sound);
