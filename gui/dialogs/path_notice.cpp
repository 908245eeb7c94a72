#include "gui/dialogs/path_notice.h"

#include <sys/stat.h>

#include "core/paths.h"
#include "gui/kernel/life_record.h"

ListenerList& pathListenerList() {
    static ListenerList list;
    return list;
}

void listAppendNode(GPathListener* holder, u32 word) {
    if (holder->kindMask == word && holder->lifeRecord()->owner == &pathListenerList()) return;
    ListenerChain::append(pathListenerList(), holder->lifeRecord());
    holder->kindMask = word;
}

void rememberDialogPath(RecentPath& record) {
    if (!normalizePath(record.path) && record.path.empty()) return;
    struct stat info;
    bool found = stat(record.path.c_str(), &info) == 0;
    if (found && (info.st_mode & S_IFDIR)) {
        stringMove(record.folder, record.path);
        stringClear(record.path);
    } else {
        stringCopy(record.folder, record.path);
        pathRemoveLastComponent(record.folder);
        pathStripTrailingSeparator(record.folder);
    }
    ListenerChain::notify(pathListenerList(), &record);
}

void rememberDialogPath(u32 kind, const char* path) {
    RecentPath record;
    record.kind = kind;
    stringAssignText(record.path, path);
    rememberDialogPath(record);
}
