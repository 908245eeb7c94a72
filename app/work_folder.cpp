#include "app/work_folder.h"

#include <cstring>

#include "app/program_file_dialogs.h"
#include "core/paths.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/dialogs/folder_list.h"

namespace {
const char* const kWorkFolderFile = "workdir.dir";
}  // namespace

// Every program dialog whose default folder is the music folder; the general and programs dialogs
// keep theirs.
GFileDialog* const workFolderDialogs[WorkFolderDialogCount + 1] = {
    &notesFileDialog,       &spectrumFileDialog,  &soundFileDialog,      &analyzedFileDialog,
    &secondSoundFileDialog, &converterTargetDialog, &textReportDialog,   &harmonicTableDialog,
    &reverbPresetDialog,    &mixerSettingsDialog, &equalizerPresetDialog, &instrumentFileDialog,
    &backupFileDialog,      &midiFileDialog,      nullptr};

bool loadWorkDirectory(GString& path) {
    path = musicFolder();
    GString stored;
    if (!readDataFile(kWorkFolderFile, stored)) return false;
    stringMove(path, stored);
    return true;
}

void setWorkDirectory(const char* text) {
    GString path(text ? text : "");
    expandPathMacros(path);
    normalizePath(path);
    for (GFileDialog* const* d = workFolderDialogs; *d; ++d) {
        GFileDialog* dialog = *d;
        if (!stringEquals(dialog->folderText, path.c_str())) dialog->folderText = path;
        dialog->clear();
    }
    for (GFolderList* const* l = programFolderLists; *l; ++l) (*l)->folder = path;
    // Written only when the content differs, so that setting the same folder again leaves the file.
    GString file = dataFolder();
    pathJoin(file, kWorkFolderFile);
    CachedFile stored(file.c_str());
    readCachedFile(stored);
    writeFileIfChanged(stored, path.c_str(), path.length);
}
