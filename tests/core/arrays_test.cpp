#include <gtest/gtest.h>

#include <cstring>

#include "core/arrays.h"

namespace {
struct Counted : GCommonObject {
    explicit Counted(int* counter) : counter(counter) {}
    ~Counted() override { ++*counter; }
    int* counter;
};

struct Event {
    u32 time, status, data;
};
static_assert(sizeof(Event) == 12, "event records are 12 bytes");

int compareTexts(const void* key, const void* entry) {
    return strcmp(static_cast<const char*>(key), static_cast<const char*>(entry));
}
}  // namespace

TEST(PointerArray, GrowsByTheRuleWhenFull) {
    struct Case {
        u32 full, grown;
    } cases[] = {{16, 32}, {256, 512}, {4096, 8192}};
    for (const Case& c : cases) {
        PointerArray a;
        for (u32 i = 0; i < c.full; ++i) appendSlot(a, (void*)(uintptr_t)(i + 1));
        ASSERT_EQ(a.capacity, c.full) << c.full;
        appendSlot(a, (void*)1);
        EXPECT_EQ(a.capacity, c.grown) << c.full;
        EXPECT_EQ(a.count, c.full + 1);
        for (u32 i = 0; i < c.full; ++i) ASSERT_EQ(a[i], (void*)(uintptr_t)(i + 1));
    }

    // A large full array grows by half at least.
    PointerArray large;
    large.data = ptrArrayRealloc(65536, nullptr, 0);
    large.capacity = large.count = 65536;
    appendSlot(large, nullptr);
    EXPECT_EQ(large.capacity, 98304u);
    EXPECT_EQ(large.count, 65537u);
}

TEST(PointerArray, ReallocAndFree) {
    void** storage = ptrArrayRealloc(4, nullptr, 0);
    storage[0] = (void*)7;
    storage = ptrArrayRealloc(8, storage, 1);
    EXPECT_EQ(storage[0], (void*)7);
    EXPECT_EQ(ptrArrayRealloc(0, storage, 1), nullptr);

    PointerArray a;
    appendSlot(a, nullptr);
    arrayFree(a);
    EXPECT_EQ(a.data, nullptr);
    EXPECT_EQ(a.capacity, 0u);
    EXPECT_EQ(a.count, 0u);
}

TEST(PointerArray, OwnedObjectsAndStringLists) {
    int destroyed = 0;
    PointerArray objects;
    for (int i = 0; i < 3; ++i) appendSlot(objects, new Counted(&destroyed));
    deleteOwnedPointers(objects);
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(objects.count, 0u);

    StringList list;
    stringListAppend(list, "alpha");
    stringListAppend(list, nullptr);
    stringListAppend(list, "beta");
    EXPECT_EQ(stringListIndexOf(list, "beta"), 2);
    EXPECT_EQ(stringListIndexOf(list, nullptr), 1);
    EXPECT_EQ(stringListIndexOf(list, "gamma"), -1);
    deleteOwnedArray(list);
    EXPECT_EQ(list.data, nullptr);
}

TEST(PointerArray, BinarySearchAndCommandIndex) {
    const char* names[] = {"a.wav", "b.wav", "c.wav", "d.wav"};
    PointerArray sorted;
    for (const char* n : names) appendSlot(sorted, (void*)n);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(binarySearch(sorted, names[i], compareTexts), i);
    EXPECT_EQ(binarySearch(sorted, "bb.wav", compareTexts), -1);

    StringList& queued = commandFileList();
    stringListAppend(queued, "x.ravo");
    stringListAppend(queued, "y.ravo");
    EXPECT_EQ(commandIndex("y.ravo"), 1);
    EXPECT_EQ(commandIndex("z.ravo"), -1);
    deleteOwnedArray(queued);

    // Null entries count as empty texts (they sort first).
    stringListAppend(queued, nullptr);
    stringListAppend(queued, "x.ravo");
    EXPECT_EQ(commandIndex("x.ravo"), 1);
    EXPECT_EQ(commandIndex("a.ravo"), -1);
    EXPECT_EQ(commandIndex(""), 0);
    deleteOwnedArray(queued);
}

TEST(RecordArray, AppendInsertAndReorder) {
    RecordArray<Event> events;
    for (u32 i = 0; i < 16; ++i) growRecordArray(events)->time = i;
    EXPECT_EQ(events.capacity, 16u);
    events.append(1)->time = 16;
    EXPECT_EQ(events.capacity, 32u);
    RecordArray<Event> many;
    many.append(8192);
    many.append(1);
    EXPECT_EQ(many.capacity, 12288u);  // above 4096 by half at least

    Event* gap = events.insert(1, 2);
    gap[0].time = 100;
    gap[1].time = 101;
    ASSERT_EQ(events.count, 19u);
    EXPECT_EQ(events[0].time, 0u);
    EXPECT_EQ(events[1].time, 100u);
    EXPECT_EQ(events[2].time, 101u);
    EXPECT_EQ(events[3].time, 1u);
    EXPECT_EQ(events[18].time, 16u);

    RecordArray<Event> small;
    for (u32 i = 0; i < 3; ++i) small.append(1)->time = 10 + i;
    RecordOrder order[] = {{2, nullptr}, {0, nullptr}, {1, nullptr}};
    reorderRecords(small, order);
    EXPECT_EQ(small.capacity, 3u);
    EXPECT_EQ(small[0].time, 12u);
    EXPECT_EQ(small[1].time, 10u);
    EXPECT_EQ(small[2].time, 11u);
}

TEST(SmallHelpers, CompareLookupAndCopy) {
    EXPECT_EQ(compareInt(1, 2), -1);
    EXPECT_EQ(compareInt(2, 2), 0);
    EXPECT_EQ(compareInt(3, 2), 1);

    const KeyValue table[] = {{1, 10}, {2, 20}, {1, 30}, {0, 0}};
    EXPECT_EQ(lookupPair(table, 1), 10u);
    EXPECT_EQ(lookupPair(table, 2), 20u);
    EXPECT_EQ(lookupPair(table, 5), 0u);

    U32Array a, b;
    b.data = new u32[3]{1, 2, 3};
    b.count = 3;
    copyU32Array(a, b);
    ASSERT_EQ(a.count, 3u);
    EXPECT_EQ(a.data[2], 3u);
}
