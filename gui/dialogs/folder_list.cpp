#include "gui/dialogs/folder_list.h"

#include <cstring>

#include "core/paths.h"
#include "gui/dialogs/file_dialog.h"

GFolderList::GFolderList(const char* list) {
    for (const char* p = list; p && *p; p += strlen(p) + 1) stringListAppend(patterns, p);
    stringAssignText(folder, "$m");
    expandPathMacros(folder);
    stringAssignText(pattern, patterns.count ? stringListAt(patterns, 0) : "*.*");
}

GFolderList::~GFolderList() {
    deleteOwnedArray(recentFolders);
    deleteOwnedArray(recentNames);
    deleteOwnedArray(patterns);
}

bool GFolderList::onEvent(void* event) {
    const RecentPath* record = static_cast<const RecentPath*>(event);
    if (!record || !(record->kind & kindMask)) return false;
    if (!record->path.empty()) stringListMoveToFront(recentNames, record->path.c_str());
    if (!record->folder.empty()) {
        stringListMoveToFront(recentFolders, record->folder.c_str());
        stringCopy(folder, record->folder);
    }
    return false;
}

StringList& favouriteFolders() {
    static StringList list;
    return list;
}

StringList& favouriteFiles() {
    static StringList list;
    return list;
}

void stringListClear(StringList& list) {
    for (u32 i = 0; i < list.count; ++i) delete[] static_cast<char*>(list.data[i]);
    list.count = 0;
}

void stringListRemoveAt(StringList& list, u32 index) {
    if (index >= list.count) return;
    delete[] static_cast<char*>(list.data[index]);
    memmove(list.data + index, list.data + index + 1, (list.count - index - 1) * sizeof(void*));
    --list.count;
}

void stringListMoveToFront(StringList& list, const char* text) {
    int at = stringListIndexOf(list, text);
    if (at >= 0) stringListRemoveAt(list, (u32)at);
    stringListAppend(list, text);
    void* moved = list.data[list.count - 1];
    memmove(list.data + 1, list.data, (list.count - 1) * sizeof(void*));
    list.data[0] = moved;
}

void stringListCopy(StringList& target, const StringList& source) {
    stringListClear(target);
    for (u32 i = 0; i < source.count; ++i) stringListAppend(target, stringListAt(source, i));
}

void resetFolderLists(GFolderList* const* lists) {
    for (; lists && *lists; ++lists) {
        GFolderList* list = *lists;
        stringListClear(list->recentFolders);
        stringListClear(list->recentNames);
        if (list->pattern.empty() && list->patterns.count) stringAssignText(list->pattern, stringListAt(list->patterns, 0));
    }
    stringListClear(favouriteFolders());
    stringListClear(favouriteFiles());
}

void registerRecentPathListeners(GFileDialog* const dialogs[6], GFolderList* const lists[6]) {
    static const u32 masks[6] = {2, 4, 16, 1, 8, 24};
    for (u32 i = 0; i < 6; ++i)
        if (dialogs[i]) listAppendNode(dialogs[i], masks[i]);
    for (u32 i = 0; i < 6; ++i)
        if (lists[i]) listAppendNode(lists[i], masks[i]);
}
