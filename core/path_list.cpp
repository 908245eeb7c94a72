#include "core/path_list.h"

#include "core/format.h"
#include "core/paths.h"

GString PathKeyedList::pathKey(const char* path) {
    GString key(path);
    normalizePath(key);
    if (!key.length) stringAssignText(key, path);  // not even its folder exists
    textToLowerInPlace(key.data, key.length);
    return key;
}

PathKeyedList::Entry* PathKeyedList::find(const GString& key) const {
    for (u32 i = 0; i < entries.count; ++i) {
        Entry* entry = entries.at<Entry>(i);
        if (stringEquals(entry->key, key.c_str())) return entry;
    }
    return nullptr;
}

GCommonObject* PathKeyedList::lookup(const char* path) const {
    Entry* entry = find(pathKey(path));
    return entry ? entry->payload : nullptr;
}

void PathKeyedList::set(const char* path, GCommonObject* payload) {
    GString key = pathKey(path);
    if (Entry* entry = find(key)) {
        // The payload it already holds stays.
        if (entry->payload != payload) delete entry->payload;
        entry->payload = payload;
        return;
    }
    appendSlot(entries, new Entry{key, payload});
}

void PathKeyedList::clear() {
    for (u32 i = 0; i < entries.count; ++i) {
        Entry* entry = entries.at<Entry>(i);
        delete entry->payload;
        delete entry;
    }
    arrayFree(entries);
}
