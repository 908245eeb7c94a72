#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/bag.h"
#include "core/exceptions.h"
#include "tests/support/bag_hex.h"

namespace {

std::string written(const std::function<void(GBag&)>& write) {
    GBag bag;
    write(bag);
    EXPECT_EQ(bag.pos, bag.size);
    return bagHex(bag);
}

// A bag holding one of every encoding, read back by readAll.
void writeAll(GBag& bag) {
    StringList list;
    stringListAppend(list, "one");
    appendSlot(list, nullptr);
    bagWriteU8(bag, 0x11);
    bagWriteU32(bag, 0x22334455);
    bagWriteString(bag, "text");
    bagWriteStringList(bag, list);
    bagWriteGString(bag, GString("abc"));
    bagWriteBlock(bag, "xyz", 3);
    const u32 colours[3] = {1, 2, 3};
    writeSettingsIntArray(bag, colours, 10, 12);
    const u8 steps[2] = {'a', 'b'};
    const u32 a[2] = {5, 6}, b[2] = {7, 8};
    writeSettingsBlock(bag, steps, a, b, 2);
    bagWriteF64(bag, 2.5);
    deleteOwnedArray(list);
}

void readAll(GBag& bag) {
    u8 byte;
    u32 word;
    bagReadU8(bag, &byte);
    bagReadU32(bag, &word);
    EXPECT_STREQ(bagReadText(bag), "text");
    StringList list;
    bagReadStringList(bag, list);
    GString s;
    bagReadGString(bag, s);
    GBag block;
    bagReadBlock(bag, block);
    u32 colours[3];
    readSettingsIntArrays(bag, colours, 10, 12);
    u8 steps[2];
    u32 a[2], b[2];
    readSettingsBlock(bag, steps, a, b, 2);
    f64 value;
    bagReadF64(bag, &value);
    deleteOwnedArray(list);
}

}  // namespace

TEST(BagEncoding, BytesOfEachWriter) {
    struct Case {
        const char* what;
        std::function<void(GBag&)> write;
        const char* hex;
    } cases[] = {
        {"string list with a null entry",
         [](GBag& b) {
             StringList list;
             stringListAppend(list, "ab");
             appendSlot(list, nullptr);
             stringListAppend(list, "c");
             bagWriteStringList(b, list);
             deleteOwnedArray(list);
         },
         "03 00 00 00 61 62 00 00 63 00"},
        {"empty string list", [](GBag& b) { bagWriteStringList(b, StringList()); }, "00 00 00 00"},
        {"GString abc", [](GBag& b) { bagWriteGString(b, GString("abc")); }, "03 00 00 00 61 62 63 00"},
        {"empty GString", [](GBag& b) { bagWriteGString(b, GString()); }, "00 00 00 00"},
        {"text and null text", [](GBag& b) { bagWriteString(b, "hi"), bagWriteString(b, nullptr); }, "68 69 00 00"},
        {"byte block", [](GBag& b) { bagWriteBlock(b, "\x01\x02", 2); }, "02 00 00 00 01 02"},
        {"null byte block", [](GBag& b) { bagWriteBlock(b, nullptr, 5); }, "00 00 00 00"},
        {"blob", [](GBag& b) { const u32 v[2] = {1, 0x01020304}; bagWriteBlob(b, v, 2); },
         "02 00 00 00 01 00 00 00 04 03 02 01"},
        {"range array", [](GBag& b) { const u32 v[2] = {9, 10}; writeSettingsIntArray(b, v, 366, 367); },
         "02 00 00 00 09 00 00 00 0A 00 00 00"},
        {"parallel arrays",
         [](GBag& b) {
             const u32 first[2] = {1, 2}, second[2] = {3, 4};
             writeSettingsBlock(b, (const u8*)"xy", first, second, 2);
         },
         "02 00 00 00 78 79 01 00 00 00 02 00 00 00 03 00 00 00 04 00 00 00"},
        {"empty parallel arrays", [](GBag& b) { writeSettingsBlock(b, nullptr, nullptr, nullptr, 0); }, "00 00 00 00"},
        {"unaligned numbers",
         [](GBag& b) {
             bagWriteU8(b, 0xAA);
             bagWriteU32(b, 0x11223344);
             bagWriteI32(b, -2);
             bagWriteU64(b, 0x0102030405060708ull);
             bagWriteF64(b, 1.0);
             bagWriteF32(b, -1.0f);
         },
         "AA 44 33 22 11 FE FF FF FF 08 07 06 05 04 03 02 01 00 00 00 00 00 00 F0 3F 00 00 80 BF"},
    };
    for (const Case& c : cases) EXPECT_EQ(written(c.write), c.hex) << c.what;
}

TEST(BagEncoding, ReadsBackWhatWasWritten) {
    GBag bag;
    writeAll(bag);
    bag.pos = 0;
    u8 byte;
    u32 word;
    bagReadU8(bag, &byte);
    bagReadU32(bag, &word);
    EXPECT_EQ(byte, 0x11);
    EXPECT_EQ(word, 0x22334455u);
    EXPECT_STREQ(bagReadText(bag), "text");

    StringList list;
    stringListAppend(list, "old entry");
    bagReadStringList(bag, list);
    ASSERT_EQ(list.count, 2u);
    EXPECT_STREQ(stringListAt(list, 0), "one");
    ASSERT_NE(stringListAt(list, 1), nullptr);  // a null entry comes back empty
    EXPECT_STREQ(stringListAt(list, 1), "");
    deleteOwnedArray(list);

    GString s("a longer text than abc");
    bagReadGString(bag, s);
    EXPECT_STREQ(s.c_str(), "abc");
    EXPECT_EQ(s.length, 3u);

    GBag block;
    bagWriteU32(block, 0xDEADBEEF);
    bagReadBlock(bag, block);
    EXPECT_EQ(block.size, 3u);
    EXPECT_EQ(block.pos, 0u);
    EXPECT_EQ(memcmp(block.data, "xyz", 3), 0);

    u32 colours[3] = {0, 0, 0};
    EXPECT_TRUE(readSettingsIntArrays(bag, colours, 10, 12));
    EXPECT_EQ(colours[2], 3u);

    u8 steps[2];
    u32 a[2], b[2];
    EXPECT_EQ(readSettingsBlock(bag, steps, a, b, 2), 2u);
    EXPECT_EQ(steps[1], 'b');
    EXPECT_EQ(a[1], 6u);
    EXPECT_EQ(b[0], 7u);
    f64 value;
    bagReadF64(bag, &value);
    EXPECT_EQ(value, 2.5);
    EXPECT_EQ(bag.pos, bag.size);
}

TEST(BagEncoding, LengthPrefixedReadersIntoStringsAndTexts) {
    GBag bag;
    bagFromHex(bag, "03 00 00 00 61 62 63 00 00 00 00 02 00 00 00 78 79 00 00 00 00");
    GString s("stale");
    bagReadString(bag, s);
    EXPECT_STREQ(s.c_str(), "abc");
    bagReadString(bag, s);
    EXPECT_STREQ(s.c_str(), "");
    char* text = copyHeapText("old");
    bagReadCText(bag, &text);
    EXPECT_STREQ(text, "xy");
    bagReadCText(bag, &text);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(bag.pos, bag.size);

    bagFromHex(bag, "00 00 00 00");
    GString full("abc");
    bagReadGString(bag, full);
    EXPECT_EQ(full.data, nullptr);  // a zero length frees the string
    EXPECT_EQ(full.capacity, 0u);
}

TEST(BagEncoding, SettingsArraysOfAnotherCountAreSkipped) {
    GBag bag;
    const u32 stored[4] = {1, 2, 3, 4};
    writeSettingsIntArray(bag, stored, 0, 3);
    bagWriteU32(bag, 77);
    const u32 first[3] = {1, 2, 3}, second[3] = {4, 5, 6};
    writeSettingsBlock(bag, (const u8*)"abc", first, second, 3);
    bagWriteU32(bag, 88);
    bag.pos = 0;

    u32 colours[2] = {9, 9};
    EXPECT_FALSE(readSettingsIntArrays(bag, colours, 5, 6));
    EXPECT_EQ(colours[0], 9u);
    EXPECT_EQ(bagGetU32(bag), 77u);

    u8 text[2];
    u32 a[2], b[2];
    EXPECT_EQ(readSettingsBlock(bag, text, a, b, 2), 2u);  // keeps what fits, skips the rest
    EXPECT_EQ(text[1], 'b');
    EXPECT_EQ(a[1], 2u);
    EXPECT_EQ(b[1], 5u);
    EXPECT_EQ(bagGetU32(bag), 88u);
}

TEST(BagStructure, ReserveRoundsTheCapacity) {
    struct Case {
        u32 n, capacity;
    } cases[] = {{1, 16}, {16, 16}, {17, 32}, {256, 256}, {257, 512}, {300, 512}, {4096, 4096}, {4097, 8192}};
    for (const Case& c : cases) {
        GBag bag;
        bagReserve(bag, c.n);
        EXPECT_EQ(bag.capacity, c.capacity) << c.n;
        EXPECT_EQ(bag.size, c.n);
    }
    GBag bag;
    bagWriteString(bag, "hello");
    bagReserve(bag, 3);  // never shrinks
    EXPECT_EQ(bag.size, 6u);
    bagReserve(bag, 10);  // within the capacity: only the size moves
    EXPECT_EQ(bag.capacity, 16u);
    EXPECT_EQ(bag.size, 10u);
    bagReserve(bag, 300);
    EXPECT_STREQ((const char*)bag.data, "hello");
    // Growing a large bag takes at least half as much again.
    bagReserve(bag, 65536);
    EXPECT_EQ(bag.capacity, 65536u);
    bagReserve(bag, 65537);
    EXPECT_EQ(bag.capacity, 98304u);
    EXPECT_STREQ((const char*)bag.data, "hello");
}

TEST(BagStructure, AllocateAssignAndFree) {
    GBag bag;
    bagWriteString(bag, "abc");
    bagAllocate(bag, 7);
    EXPECT_EQ(bag.capacity, 7u);
    EXPECT_EQ(bag.size, 7u);
    EXPECT_EQ(bag.pos, 0u);
    bagAllocate(bag, 0);
    EXPECT_EQ(bag.data, nullptr);
    EXPECT_EQ(bag.size, 0u);

    GBag source, copy;
    bagWriteString(source, "copied");
    copy.pos = 2;
    bagAssign(copy, source);
    EXPECT_EQ(copy.capacity, 7u);
    EXPECT_EQ(copy.size, 7u);
    EXPECT_EQ(copy.pos, 2u);
    EXPECT_STREQ((const char*)copy.data, "copied");
    bagAssign(copy, copy);
    EXPECT_STREQ((const char*)copy.data, "copied");

    bagFree(copy);
    EXPECT_EQ(copy.data, nullptr);
    EXPECT_EQ(copy.capacity + copy.size + copy.pos, 0u);

    GBag moved(std::move(source));
    EXPECT_EQ(source.data, nullptr);
    EXPECT_STREQ((const char*)moved.data, "copied");
}

TEST(BagStructure, WritesBelowTheSizeOverwrite) {
    GBag bag;
    bagWriteU32(bag, 0);
    bagWriteString(bag, "name");
    bag.pos = 0;
    bagWriteU32(bag, 0x0A);
    EXPECT_EQ(bag.size, 9u);
    EXPECT_EQ(bagHex(bag), "0A 00 00 00 6E 61 6D 65 00");
    bag.pos = 7;
    bagWriteString(bag, "XY");  // runs past the size
    EXPECT_EQ(bag.size, 10u);
    EXPECT_EQ(bagHex(bag), "0A 00 00 00 6E 61 6D 58 59 00");
}

TEST(BagStructure, WritingItsOwnBytesWhileGrowing) {
    GBag bag;
    bagWriteBytes(bag, "0123456789abcdef", 16);
    ASSERT_EQ(bag.capacity, 16u);
    bagWriteBytes(bag, bag.data, 16);
    EXPECT_EQ(bag.size, 32u);
    EXPECT_EQ(std::string((const char*)bag.data, 32), "0123456789abcdef0123456789abcdef");
}

TEST(BagReading, ABagCutAnywhereThrows) {
    GBag whole;
    writeAll(whole);
    whole.pos = 0;
    readAll(whole);
    ASSERT_EQ(whole.pos, whole.size);
    for (u32 cut = 0; cut < whole.size; ++cut) {
        GBag bag;
        bagWriteBytes(bag, whole.data, cut);
        bag.pos = 0;
        EXPECT_THROW(readAll(bag), GBagException) << "cut at " << cut;
    }
}

TEST(BagReading, ShortReadsThrow) {
    GBag bag;
    bagFromHex(bag, "01 02 03");
    u32 word;
    EXPECT_THROW(bagReadU32(bag, &word), GBagException);  // exactly 3 bytes remain

    bagFromHex(bag, "61 62 63");
    EXPECT_THROW(bagReadText(bag), GBagException);  // no NUL before the end
    bagFromHex(bag, "61 00");
    EXPECT_STREQ(bagReadText(bag), "a");
    EXPECT_THROW(bagReadText(bag), GBagException);  // pos equals size
    EXPECT_THROW(bagSkip(bag, 1), GBagException);
    bag.pos = 5;  // beyond the size
    EXPECT_THROW(bagReadText(bag), GBagException);
    EXPECT_THROW(bagReadBytes(bag, &word, 0), GBagException);
}

TEST(BagReading, HugeLengthPrefixesThrowInsteadOfWrapping) {
    struct Reader {
        const char* what;
        std::function<void(GBag&)> read;
    } readers[] = {
        {"GString", [](GBag& b) { GString s; bagReadGString(b, s); }},
        {"string", [](GBag& b) { GString s; bagReadString(b, s); }},
        {"block", [](GBag& b) { GBag t; bagReadBlock(b, t); }},
        {"heap text", [](GBag& b) { char* t = nullptr; bagReadCText(b, &t); delete[] t; }},
        {"string list", [](GBag& b) { StringList l; bagReadStringList(b, l); deleteOwnedArray(l); }},
        {"range array", [](GBag& b) { u32 v[1]; readSettingsIntArrays(b, v, 0, 0); }},
        {"parallel arrays", [](GBag& b) { u8 t[1]; u32 x[1], y[1]; readSettingsBlock(b, t, x, y, 1); }},
    };
    // Prefixes whose end wraps past 2^32 back into the bag in 32-bit arithmetic.
    const char* prefixes[] = {"FF FF FF FF", "FE FF FF FF", "FC FF FF FF", "00 00 00 80", "01 00 00 40", "72 1C C7 71"};
    for (const Reader& r : readers) {
        for (const char* prefix : prefixes) {
            GBag bag;
            bagFromHex(bag, (std::string("AA ") + prefix + " 61 62 63 00 64 65 66 00 01 02 03 04").c_str());
            bag.pos = 1;
            EXPECT_THROW(r.read(bag), GBagException) << r.what << " " << prefix;
        }
    }
}
