#pragma once
// The work folder: where the program's file dialogs and folder lists start, the music folder unless
// the user chose another one, which "workdir.dir" in the data folder keeps across runs.
#include "core/gstring.h"

class GFileDialog;

// The music folder, replaced by the whole content of "workdir.dir" when it can be read (not
// normalised). True when the file was read.
bool loadWorkDirectory(GString& path);
// Expands and normalises the path (null: empty), re-points every dialog of workFolderDialogs (each
// cleared) and every program folder list to it, and stores it in "workdir.dir" when it differs
// from the file's content.
void setWorkDirectory(const char* path);

// The program's file dialogs that start in the work folder, ended by null.
enum { WorkFolderDialogCount = 14 };
extern GFileDialog* const workFolderDialogs[WorkFolderDialogCount + 1];
