#pragma once
// GFolderList: the recent folders and files of one kind of document, with its current folder and
// pattern; it feeds the quick-pick dialog. The program defines the global lists and owns them;
// registered on the path chain with a kind mask, a list moves announced paths of those kinds to the
// front. Two lists of favourites (folders, files) are shared by every folder list.
#include "core/arrays.h"
#include "gui/dialogs/path_notice.h"

class GFileDialog;

class GFolderList : public GPathListener {
public:
    // patterns: zero-separated, ended by an empty text; null for none.
    explicit GFolderList(const char* patterns);
    ~GFolderList() override;

    bool onEvent(void* event) override;

    GString name;
    GString folder;
    GString pattern;
    StringList recentFolders;  // most recent first
    StringList recentNames;
    StringList patterns;
};

// The first and the second shared list: favourite folders and favourite files.
StringList& favouriteFolders();
StringList& favouriteFiles();

// Heap-text list helpers.
void stringListClear(StringList& list);
void stringListRemoveAt(StringList& list, u32 index);
// Removes the text (when present) and inserts it at the front.
void stringListMoveToFront(StringList& list, const char* text);
void stringListCopy(StringList& target, const StringList& source);

// Empties the recent lists of every list of the null-ended table (an empty pattern becomes the
// first pattern), then both shared lists.
void resetFolderLists(GFolderList* const* lists);

// Registers six dialogs and six lists on the path chain in this order, with the masks 2, 4, 16, 1,
// 8, 24 each: notes, spectra, sounds, mixer settings, instruments, analyzer files.
void registerRecentPathListeners(GFileDialog* const dialogs[6], GFolderList* const lists[6]);
