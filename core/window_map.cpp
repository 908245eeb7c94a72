#include "core/window_map.h"

void GWindowMap::init(u32 bits) {
    delete[] buckets;
    mask = (1u << bits) - 1;
    buckets = new GWindowMapEntry*[mask + 1]();
    GWindowMapEntry* entry = head;
    head = nullptr;
    while (entry) {
        GWindowMapEntry* following = entry->mapNext;
        insert(entry);
        entry = following;
    }
}

void GWindowMap::insert(GWindowMapEntry* entry) {
    if (!buckets) init(4);
    GWindowMapEntry*& bucket = buckets[entry->hashKey() & mask];
    if (!bucket) {
        bucket = entry;
        entry->mapPrevious = nullptr;
        entry->mapNext = head;
        if (head) head->mapPrevious = entry;
        head = entry;
        return;
    }
    entry->mapPrevious = bucket;
    entry->mapNext = bucket->mapNext;
    if (bucket->mapNext) bucket->mapNext->mapPrevious = entry;
    bucket->mapNext = entry;
}

void GWindowMap::remove(GWindowMapEntry* entry) {
    GWindowMapEntry* following = entry->mapNext;
    for (Iterator* it = iterators; it; it = it->nextIterator)
        if (it->current == entry) it->current = following;
    u32 index = entry->hashKey() & mask;
    if (buckets && buckets[index] == entry)
        buckets[index] = following && (following->hashKey() & mask) == index ? following : nullptr;
    if (entry->mapPrevious)
        entry->mapPrevious->mapNext = following;
    else if (head == entry)
        head = following;
    if (following) following->mapPrevious = entry->mapPrevious;
    entry->mapPrevious = entry->mapNext = nullptr;
}

GWindowMapEntry* GWindowMap::lookup(u32 hash, const void* key) const {
    if (!buckets) return nullptr;
    u32 index = hash & mask;
    for (GWindowMapEntry* e = buckets[index]; e && (e->hashKey() & mask) == index; e = e->mapNext)
        if (e->matchesKey(key)) return e;
    return nullptr;
}

GWindowMap::Iterator::Iterator(GWindowMap& map) : nextIterator(map.iterators), map(&map), current(map.head) {
    if (nextIterator) nextIterator->previousIterator = this;
    map.iterators = this;
}

GWindowMap::Iterator::~Iterator() {
    if (previousIterator)
        previousIterator->nextIterator = nextIterator;
    else
        map->iterators = nextIterator;
    if (nextIterator) nextIterator->previousIterator = previousIterator;
}

GWindowMapEntry* GWindowMap::Iterator::next() {
    GWindowMapEntry* entry = current;
    if (entry) current = entry->mapNext;
    return entry;
}
