#include "tools/mixer_settings_file.h"

#include "app/program_file_dialogs.h"
#include "core/bag_file.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window.h"
#include "mm/mm_texts.h"
#include "tools/sound_setup.h"

// The history kind of mixer settings files.
static const u32 mixerFileKind = 1;

bool saveSoundSettings(GWindow* owner, SoundSettings& sound) {
    if (!runFileDialog(&mixerSettingsDialog, mixerFileKind, owner, FileSave)) return false;
    GString path(mixerSettingsDialog.nameBuffer);
    return saveSoundSettingsTo(path.c_str(), owner, sound);
}

bool saveSoundSettingsTo(const char* path, GWindow* owner, SoundSettings& sound) {
    WindowErrorHandler handler(owner);
    GBag body;
    if (!writeSoundSetup(sound, body, &handler)) {
        showMessageBox(&mbError, owner, mmText(MmText::MixerSettingsUnread));
        return false;
    }
    return saveBagFile(path, body, bagFileTag("MIX"), mixerSettingsVersion, &handler);
}

bool loadSoundSettings(const char* path, GWindow* owner, SoundSettings& sound) {
    WindowErrorHandler handler(owner);
    GBag body;
    if (!loadBagFile(path, body, bagFileTag("MIX"), mixerSettingsVersion, &handler)) return false;
    return readSoundSetup(sound, body, &handler);
}

bool chooseAndLoadSoundSettings(GWindow* owner, SoundSettings& sound) {
    if (!runFileDialog(&mixerSettingsDialog, mixerFileKind, owner, FileOpenOne)) return false;
    GString path(mixerSettingsDialog.nameBuffer);
    return loadSoundSettings(path.c_str(), owner, sound);
}
