#include "core/arrays.h"

#include <cstring>

void** ptrArrayRealloc(u32 newCapacity, void** old, u32 oldCount) {
    void** fresh = nullptr;
    if (newCapacity >= 1) {
        fresh = reinterpret_cast<void**>(new char[sizeof(void*) * newCapacity]);
        if (oldCount) memcpy(fresh, old, sizeof(void*) * oldCount);
    }
    delete[] reinterpret_cast<char*>(old);
    return fresh;
}

void** appendSlot(PointerArray& array) {
    if (array.count >= array.capacity) {
        u32 capacity = growCapacity(array.count + 1, array.capacity);
        array.data = ptrArrayRealloc(capacity, array.data, array.count);
        array.capacity = capacity;
    }
    void** slot = array.data + array.count++;
    *slot = nullptr;
    return slot;
}

void appendSlot(PointerArray& array, void* value) { *appendSlot(array) = value; }

int binarySearch(const PointerArray& array, const void* key, int (*compare)(const void*, const void*)) {
    int low = 0, high = (int)array.count - 1;
    while (low <= high) {
        int middle = (low + high) / 2;
        int c = compare(key, array.data[middle]);
        if (c == 0) return middle;
        if (c < 0) high = middle - 1;
        else low = middle + 1;
    }
    return -1;
}

void deleteOwnedPointers(PointerArray& array) {
    for (u32 i = 0; i < array.count; ++i) delete static_cast<GCommonObject*>(array.data[i]);
    arrayFree(array);
}

void stringListAppend(StringList& list, const char* text) { appendSlot(list, copyHeapText(text)); }

int stringListIndexOf(const StringList& list, const char* text) {
    for (u32 i = 0; i < list.count; ++i)
        if (textEquals(stringListAt(list, i), text)) return (int)i;
    return -1;
}

void deleteOwnedArray(StringList& list) {
    for (u32 i = 0; i < list.count; ++i) delete[] static_cast<char*>(list.data[i]);
    arrayFree(list);
}

StringList& commandFileList() {
    static StringList list;
    return list;
}

// Null entries (and a null name) count as empty texts.
static int compareBytes(const void* key, const void* entry) {
    const char* a = static_cast<const char*>(key);
    const char* b = static_cast<const char*>(entry);
    return strcmp(a ? a : "", b ? b : "");
}

int commandIndex(const char* name) { return binarySearch(commandFileList(), name, compareBytes); }

int compareInt(i64 a, i64 b) { return a < b ? -1 : (a > b ? 1 : 0); }

uintptr_t lookupPair(const KeyValue* table, u32 key) {
    for (; table->value != 0; ++table)
        if (table->key == key) return table->value;
    return 0;
}

void copyU32Array(U32Array& target, const U32Array& source) {
    if (target.count != source.count) {
        delete[] target.data;
        target.data = source.count ? new u32[source.count] : nullptr;
        target.count = source.count;
    }
    if (source.count) memcpy(target.data, source.data, sizeof(u32) * source.count);
}
