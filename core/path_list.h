#pragma once
// A list of objects keyed by file path; paths compare normalised and lower-cased.
#include "core/arrays.h"
#include "core/gstring.h"

class PathKeyedList {
public:
    PathKeyedList() = default;
    ~PathKeyedList() { clear(); }
    PathKeyedList(const PathKeyedList&) = delete;
    PathKeyedList& operator=(const PathKeyedList&) = delete;

    // The payload stored for the path, or null.
    GCommonObject* lookup(const char* path) const;
    // Stores the payload (owned) for the path: an entry of the same path destroys its old payload
    // and takes the new one (the same payload again is kept), else a new entry is appended.
    void set(const char* path, GCommonObject* payload);
    void clear();
    u32 count() const { return entries.count; }

    // The comparison key of a path: normalised and lower-cased.
    static GString pathKey(const char* path);

private:
    struct Entry {
        GString key;
        GCommonObject* payload;
    };
    Entry* find(const GString& key) const;

    PointerArray entries;  // Entry*
};
