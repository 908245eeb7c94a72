#pragma once
// The program's file dialogs and folder lists: global objects living from static initialisation to
// process exit, each remembering its folder and names between uses, and the null-ended tables the
// history files walk.
class GFileDialog;
class GFolderList;

extern GFileDialog notesFileDialog, spectrumFileDialog, soundFileDialog, analyzedFileDialog,
    secondSoundFileDialog, converterTargetDialog, textReportDialog, harmonicTableDialog, reverbPresetDialog,
    mixerSettingsDialog, equalizerPresetDialog, instrumentFileDialog, backupFileDialog, midiFileDialog,
    generalFileDialog, programFileDialog;
extern GFolderList notesFolderList, spectrumFolderList, soundFolderList, analyzerFolderList, mixerFolderList,
    instrumentFolderList;

enum { ProgramFileDialogCount = 16, ProgramFolderListCount = 6 };
// In stored order, each ended by null; registered as the history files' tables.
extern GFileDialog* const programFileDialogs[ProgramFileDialogCount + 1];
extern GFolderList* const programFolderLists[ProgramFolderListCount + 1];

// Enters the six categories' dialogs and lists on the path chain (notes 2, spectra 4, sounds 16,
// mixer 1, instruments 8, analyzed files 24); a second call adds nothing.
void registerFileCategories();
