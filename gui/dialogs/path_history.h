#pragma once
// The two history files of the file dialogs ("GF__") and the folder lists ("QS__"), over the
// null-ended tables the program registers, and their start/stop steps.
#include "core/bag.h"
#include "gui/kernel/init_step.h"

class GFileDialog;
class GFolderList;

// The program's tables in stored order (null-ended; not owned).
void registerFileDialogs(GFileDialog* const* dialogs);
void registerFolderLists(GFolderList* const* lists);
GFileDialog* const* registeredFileDialogs();
GFolderList* const* registeredFolderLists();

enum : u32 { FileDialogHistoryVersion = 2, FolderListsVersion = 1 };

// The bags. Reading throws GBagException when the bag ends inside a record (records before keep
// what they read); false when a size or offset is out of bounds (nothing is changed).
void writeFileDialogHistory(GBag& bag, GFileDialog* const* dialogs);
bool readFileDialogHistory(GBag& bag, GFileDialog* const* dialogs);
void writeFolderLists(GBag& bag, GFolderList* const* lists);
void readFolderLists(GBag& bag, GFolderList* const* lists);

// The files; a missing file or one of another tag or version is not read (false).
bool saveFileDialogHistory(const char* path, GFileDialog* const* dialogs);
bool loadFileDialogHistory(const char* path, GFileDialog* const* dialogs);
bool saveFolderLists(const char* path, GFolderList* const* lists);
bool loadFolderLists(const char* path, GFolderList* const* lists);

// Loads the file at start (or resets the family with the reset flag, or when the bag is cut) and
// saves it at stop.
class PathHistoryStep : public GInitStep {
public:
    // folderLists: "QS__" over the registered lists, else "GF__" over the registered dialogs.
    PathHistoryStep(const char* path, bool folderLists) : path(path), folderLists(folderLists) {}
    bool start(ErrorHandler* handler, bool reset) override;
    void stop() override;

    const char* path;
    bool folderLists;
};
