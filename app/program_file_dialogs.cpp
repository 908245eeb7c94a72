#include "app/program_file_dialogs.h"

#include "app/program_texts.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/dialogs/folder_list.h"
#include "gui/dialogs/path_history.h"

namespace {
char** filter(RavoText text) { return ravoTextSlot(text); }
}  // namespace

GFileDialog notesFileDialog(filter(RavoText::NotesFilesFilter), "md", "$m");
GFileDialog spectrumFileDialog(filter(RavoText::SpectrumFilesFilter), "ovt", "$m");
GFileDialog soundFileDialog(filter(RavoText::SoundFilesFilter), "wav", "$m");
GFileDialog analyzedFileDialog(filter(RavoText::AnalyzedFilesFilter), "wav", "$m");
GFileDialog secondSoundFileDialog(filter(RavoText::SoundFilesFilter), "wav", "$m");
GFileDialog converterTargetDialog(filter(RavoText::SoundFilesFilter), "wav", "$m");
GFileDialog textReportDialog(filter(RavoText::TextReportsFilter), "txt", "$m");
GFileDialog harmonicTableDialog(filter(RavoText::HarmonicTablesFilter), "csv", "$m");
GFileDialog reverbPresetDialog(filter(RavoText::ReverbPresetsFilter), "rvr", "$m");
GFileDialog mixerSettingsDialog(filter(RavoText::MixerSettingsFilter), "mix", "$m");
GFileDialog equalizerPresetDialog(filter(RavoText::EqualizerPresetsFilter), "eq", "$m");
GFileDialog instrumentFileDialog(filter(RavoText::InstrumentFilesFilter), "mif", "$m");
GFileDialog backupFileDialog(filter(RavoText::BackupsFilter), "bak", "$m");
GFileDialog midiFileDialog(filter(RavoText::MidiFilesFilter), "mid", "$m");
GFileDialog generalFileDialog(filter(RavoText::GeneralFilter), nullptr, nullptr);
GFileDialog programFileDialog(nullptr, "exe", "$e");

GFolderList notesFolderList("*.md\0*.*\0");
GFolderList spectrumFolderList("*.ovt\0*.*\0");
GFolderList soundFolderList("*.*\0*.wav\0*.ravo\0*.mp3\0*.ogg\0");
GFolderList analyzerFolderList("*.*\0");
GFolderList mixerFolderList("*.mix\0*.*\0");
GFolderList instrumentFolderList("*.bins\0*.*\0");

GFileDialog* const programFileDialogs[ProgramFileDialogCount + 1] = {
    &notesFileDialog,     &spectrumFileDialog,  &soundFileDialog,       &analyzedFileDialog,
    &secondSoundFileDialog, &converterTargetDialog, &textReportDialog,  &harmonicTableDialog,
    &reverbPresetDialog,  &mixerSettingsDialog, &equalizerPresetDialog, &instrumentFileDialog,
    &backupFileDialog,    &midiFileDialog,      &generalFileDialog,     &programFileDialog,
    nullptr};
GFolderList* const programFolderLists[ProgramFolderListCount + 1] = {
    &notesFolderList, &spectrumFolderList, &soundFolderList, &analyzerFolderList, &mixerFolderList,
    &instrumentFolderList, nullptr};

namespace {
struct TableRegistrar {
    TableRegistrar() {
        registerFileDialogs(programFileDialogs);
        registerFolderLists(programFolderLists);
    }
} tableRegistrar;
}  // namespace

void registerFileCategories() {
    GFileDialog* const dialogs[6] = {&notesFileDialog, &spectrumFileDialog, &soundFileDialog,
                                     &mixerSettingsDialog, &instrumentFileDialog, &analyzedFileDialog};
    GFolderList* const lists[6] = {&notesFolderList, &spectrumFolderList, &soundFolderList,
                                   &mixerFolderList, &instrumentFolderList, &analyzerFolderList};
    registerRecentPathListeners(dialogs, lists);
}
