#pragma once
// The chosen-path notice: the open-dialog path chain, one global list of the life records of the
// objects that want to know which file or folder the user just picked, opened or saved. The
// listeners are owned by whoever registered them; the chain only links their records.
#include "core/gstring.h"
#include "gui/kernel/item_base.h"

// The record delivered to the listeners' onEvent.
struct RecentPath {
    u32 kind = 0;   // the sender's kind bits
    GString path;   // the file, empty for a folder
    GString folder;
};

// A listener of the path chain with its registration word (the kinds it listens to).
class GPathListener : public GItemBase {
public:
    u32 kindMask = 0;
};

ListenerList& pathListenerList();
// Appends the holder to the path chain unless it was registered with the same word; stores the word.
void listAppendNode(GPathListener* holder, u32 word);
// Normalises the record's path, classifies it (folder: the folder takes the path, which becomes
// empty; file or missing: the folder is the path's parent) and delivers it to every live listener.
// An empty path that cannot be normalised sends nothing.
void rememberDialogPath(RecentPath& record);
void rememberDialogPath(u32 kind, const char* path);
