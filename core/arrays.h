#pragma once
// Plain growable arrays: pointer slots (also the string list), fixed-size records and counted u32s.
#include <cstring>
#include <new>

#include "core/gstring.h"
#include "core/types.h"

// Root of the program's plain heap objects; destroyed through its virtual destructor.
class GCommonObject {
public:
    virtual ~GCommonObject() = default;
};

// Allocates newCapacity pointer slots (none below 1), copies oldCount slots, frees the old storage.
void** ptrArrayRealloc(u32 newCapacity, void** old, u32 oldCount);

// Frees the storage and zeroes the three fields of any {data, capacity, count} array.
template <class A>
void arrayFree(A& array) {
    delete[] reinterpret_cast<char*>(array.data);
    array.data = nullptr;
    array.capacity = 0;
    array.count = 0;
}
inline void arrayFree(GString& s) {
    delete[] s.data;
    s.data = nullptr;
    s.capacity = s.length = 0;
}

struct PointerArray {
    void** data = nullptr;
    u32 capacity = 0;
    u32 count = 0;

    PointerArray() = default;
    PointerArray(const PointerArray&) = delete;
    PointerArray& operator=(const PointerArray&) = delete;
    PointerArray(PointerArray&& o) noexcept : data(o.data), capacity(o.capacity), count(o.count) {
        o.data = nullptr;
        o.capacity = o.count = 0;
    }
    ~PointerArray() { arrayFree(*this); }

    void* operator[](u32 i) const { return data[i]; }
    template <class T>
    T* at(u32 i) const { return static_cast<T*>(data[i]); }
};

// Appends one slot, growing to round(count + 1) when full; returns the new slot.
void** appendSlot(PointerArray& array);
void appendSlot(PointerArray& array, void* value);
// Binary search over slots sorted by compare(key, slot value); index or -1.
int binarySearch(const PointerArray& array, const void* key, int (*compare)(const void* key, const void* entry));
// Destroys every object through its virtual destructor, then frees the array.
void deleteOwnedPointers(PointerArray& array);

// A string list: slots of heap texts (entries may be null).
typedef PointerArray StringList;
void stringListAppend(StringList& list, const char* text);
int stringListIndexOf(const StringList& list, const char* text);
inline const char* stringListAt(const StringList& list, u32 i) { return static_cast<const char*>(list.data[i]); }
// Frees every text, then the array.
void deleteOwnedArray(StringList& list);

// The file names queued for opening by the command line and the single-instance hand-over.
StringList& commandFileList();
// Binary search (byte compare) in the command file list; the caller sorts it first.
int commandIndex(const char* name);

int compareInt(i64 a, i64 b);

struct KeyValue {
    u32 key;
    uintptr_t value;
};
// Value of the first row with the key in a table ended by a row whose value is 0; 0 when absent.
uintptr_t lookupPair(const KeyValue* table, u32 key);

// Order entry of a table model's sort: the record index and its sort key.
struct RecordOrder {
    u32 index;
    const void* key;
};

// Growable array of fixed-size records (12-byte event records, 56-byte harmonic records, ...).
template <class R>
struct RecordArray {
    R* data = nullptr;
    u32 capacity = 0;
    u32 count = 0;

    RecordArray() = default;
    RecordArray(const RecordArray&) = delete;
    RecordArray& operator=(const RecordArray&) = delete;
    ~RecordArray() { arrayFree(*this); }

    R& operator[](u32 i) { return data[i]; }
    const R& operator[](u32 i) const { return data[i]; }

    void reserveFor(u32 needed) {
        if (needed <= capacity) return;
        u32 newCapacity = growCapacity(needed, capacity);
        R* fresh = reinterpret_cast<R*>(new char[sizeof(R) * newCapacity]);
        if (count) memcpy(static_cast<void*>(fresh), data, sizeof(R) * count);
        delete[] reinterpret_cast<char*>(data);
        data = fresh;
        capacity = newCapacity;
    }
    // Grows by n records and returns the first new one (zeroed).
    R* append(u32 n) {
        reserveFor(count + n);
        R* first = data + count;
        memset(static_cast<void*>(first), 0, sizeof(R) * n);
        count += n;
        return first;
    }
    // Opens a gap of n zeroed records at index, moving the tail up.
    R* insert(u32 index, u32 n) {
        if (index > count) index = count;
        reserveFor(count + n);
        memmove(static_cast<void*>(data + index + n), data + index, sizeof(R) * (count - index));
        memset(static_cast<void*>(data + index), 0, sizeof(R) * n);
        count += n;
        return data + index;
    }
    void remove(u32 index, u32 n = 1) {
        if (index >= count) return;
        if (n > count - index) n = count - index;
        memmove(static_cast<void*>(data + index), data + index + n, sizeof(R) * (count - index - n));
        count -= n;
    }
};

template <class R>
R* growRecordArray(RecordArray<R>& array) { return array.append(1); }

// Rebuilds the storage with exactly count records, record i being the old record order[i].index.
template <class R>
void reorderRecords(RecordArray<R>& array, const RecordOrder* order) {
    R* fresh = reinterpret_cast<R*>(new char[sizeof(R) * (array.count ? array.count : 1)]);
    for (u32 i = 0; i < array.count; ++i) memcpy(static_cast<void*>(fresh + i), array.data + order[i].index, sizeof(R));
    delete[] reinterpret_cast<char*>(array.data);
    array.data = fresh;
    array.capacity = array.count;
}

// Counted u32 array, reallocated exactly to its count.
struct U32Array {
    u32* data = nullptr;
    u32 count = 0;

    U32Array() = default;
    U32Array(const U32Array&) = delete;
    U32Array& operator=(const U32Array&) = delete;
    ~U32Array() { delete[] data; }
};
void copyU32Array(U32Array& target, const U32Array& source);
