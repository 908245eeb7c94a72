#pragma once
// The hash map from window handles to window objects. The entries are the objects themselves: all
// of them are chained in one doubly linked list in which the entries of one bucket stand together,
// and each bucket points at the first entry of its run.
#include <cstdint>

#include "core/types.h"

class GWindowMapEntry {
public:
    virtual u32 hashKey() const = 0;
    virtual bool matchesKey(const void* key) const = 0;

    GWindowMapEntry* mapPrevious = nullptr;
    GWindowMapEntry* mapNext = nullptr;

protected:
    ~GWindowMapEntry() = default;
};

class GWindowMap {
public:
    // A walk over every entry that stays valid when entries are removed during it.
    class Iterator {
    public:
        explicit Iterator(GWindowMap& map);
        ~Iterator();
        Iterator(const Iterator&) = delete;
        Iterator& operator=(const Iterator&) = delete;
        // The next entry, or null at the end.
        GWindowMapEntry* next();

    private:
        friend class GWindowMap;
        Iterator* nextIterator;
        Iterator* previousIterator = nullptr;
        GWindowMap* map;
        GWindowMapEntry* current;  // the entry that next() returns
    };

    GWindowMap() = default;
    explicit GWindowMap(u32 bits) { init(bits); }
    ~GWindowMap() { delete[] buckets; }
    GWindowMap(const GWindowMap&) = delete;
    GWindowMap& operator=(const GWindowMap&) = delete;

    // 2^bits buckets; entries already in the map are sorted into the new buckets.
    void init(u32 bits);
    void insert(GWindowMapEntry* entry);
    void remove(GWindowMapEntry* entry);
    GWindowMapEntry* lookup(u32 hash, const void* key) const;
    // Lookup of a window handle under its usual hash.
    GWindowMapEntry* lookup(const void* handle) const { return lookup(handleHash(handle), handle); }
    GWindowMapEntry* first() const { return head; }
    u32 bucketCount() const { return buckets ? mask + 1 : 0; }

    // The hash of a window handle: the handle shifted right by one bit.
    static u32 handleHash(const void* handle) { return (u32)((intptr_t)handle >> 1); }

private:
    Iterator* iterators = nullptr;
    u32 mask = 0;
    GWindowMapEntry** buckets = nullptr;
    GWindowMapEntry* head = nullptr;
};
