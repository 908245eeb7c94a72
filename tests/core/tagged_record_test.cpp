#include <gtest/gtest.h>

#include <string>

#include "core/exceptions.h"
#include "core/tagged_record.h"
#include "tests/support/bag_hex.h"

namespace {

// A level holding the u32 fields a = 1 and c = 3, then the sections M (holding field z = 26) and S.
void writeLevel(GBag& bag) {
    bagWriteValueField(bag, "a", (u32)1);
    bagWriteValueField(bag, "c", (u32)3);
    bagWriteSection(bag, "M", [](GBag& b) { bagWriteValueField(b, "z", (u32)26); });
    bagWriteSection(bag, "S", [](GBag&) {});
    bagWriteU32(bag, RecordKind::SectionEnd);
    bag.pos = 0;
}

}  // namespace

TEST(TaggedRecordWriting, SectionAndFieldBytes) {
    GBag bag;
    bagWriteSection(bag, "A", [](GBag& b) { bagWriteValueField(b, "x", (u32)7); });
    EXPECT_EQ(bagHex(bag), "FF FF FF FF 12 00 00 00 41 00 00 00 00 00 04 00 00 00 78 00 07 00 00 00 FE FF FF FF");
    EXPECT_EQ(bag.pos, 28u);

    bagFree(bag);
    bagWriteBlockField(bag, "b", "\x05\x06\x07", 3);
    EXPECT_EQ(bagHex(bag), "01 00 00 00 07 00 00 00 62 00 03 00 00 00 05 06 07");

    bagFree(bag);
    bagWriteField(bag, RecordKind::Raw, "r", nullptr, 2);  // no value bytes without a value
    EXPECT_EQ(bagHex(bag), "04 00 00 00 02 00 00 00 72 00");
}

TEST(TaggedRecordWriting, NestedSectionsArePatchedAndPositionedAtTheEnd) {
    GBag bag;
    bagWriteSection(bag, "Root", [](GBag& b) {
        bagWriteValueField(b, "f", (u8)9);
        bagWriteSection(b, "Sub", [](GBag& s) { bagWriteValueField(s, "g", (u64)1); });
        RecordMark mark = bagBeginField(b, RecordKind::Value, "late");  // out of order on purpose: size only
        bagWriteString(b, "abc");
        bagEndField(b, mark);
    });
    EXPECT_EQ(bag.pos, bag.size);
    bag.pos = 0;
    u32 rootSize;
    ASSERT_TRUE(bagFindSection(bag, "Root", &rootSize));
    EXPECT_EQ(bag.pos + rootSize, bag.size);  // from after the name to after the end marker
    u8 f = 0;
    EXPECT_TRUE(bagReadValueField(bag, "f", &f));
    EXPECT_EQ(f, 9);
    bagSkipFields(bag);
    u32 subSize;
    ASSERT_TRUE(bagFindSection(bag, "Sub", &subSize));
    EXPECT_EQ(subSize, 4u + 4u + 2u + 8u + 4u);
    bagSkip(bag, subSize);
    u32 lateSize;
    ASSERT_TRUE(bagFindField(bag, RecordKind::Value, "late", &lateSize));
    EXPECT_EQ(lateSize, 4u);
}

TEST(TaggedRecordLookup, FieldsForwardOnly) {
    GBag bag;
    writeLevel(bag);
    u32 size = 0, value = 0;
    EXPECT_FALSE(bagFindField(bag, RecordKind::Value, "b", &size));  // absent: stops at c
    EXPECT_EQ(bag.pos, 14u);
    EXPECT_TRUE(bagReadValueField(bag, "c", &value));
    EXPECT_EQ(value, 3u);
    EXPECT_FALSE(bagReadValueField(bag, "a", &value));  // behind the position now
    EXPECT_EQ(value, 3u);

    bag.pos = 0;
    u32 atSections = 28;
    EXPECT_FALSE(bagFindField(bag, RecordKind::Value, "d", &size));  // passes a and c, stops at the section
    EXPECT_EQ(bag.pos, atSections);
    EXPECT_FALSE(bagFindField(bag, RecordKind::Value, "a", &size));  // only sections left: position unchanged
    EXPECT_EQ(bag.pos, atSections);

    bag.pos = 0;
    bagSkipFields(bag);
    EXPECT_EQ(bag.pos, atSections);
}

TEST(TaggedRecordLookup, AnotherKindIsSkippedAndAbsent) {
    GBag bag;
    bagWriteBlockField(bag, "k", "xy", 2);
    bagWriteValueField(bag, "m", (u32)5);
    bagWriteU32(bag, RecordKind::SectionEnd);
    bag.pos = 0;
    u32 size;
    EXPECT_FALSE(bagFindField(bag, RecordKind::Value, "k", &size));
    u32 value = 0;
    EXPECT_TRUE(bagReadValueField(bag, "m", &value));  // the next lookup starts behind k
    EXPECT_EQ(value, 5u);

    bag.pos = 0;
    GBag block;
    EXPECT_TRUE(bagReadBlockField(bag, "k", block));
    EXPECT_EQ(std::string((const char*)block.data, block.size), "xy");
    EXPECT_TRUE(bagReadValueField(bag, "m", &value));
}

TEST(TaggedRecordLookup, Sections) {
    GBag bag;
    writeLevel(bag);
    bagSkipFields(bag);
    u32 start = bag.pos, size;
    EXPECT_FALSE(bagFindField(bag, RecordKind::Value, "a", &size));
    EXPECT_FALSE(bagFindSection(bag, "L", &size));  // M is greater: stop
    EXPECT_EQ(bag.pos, start);
    EXPECT_TRUE(bagFindSection(bag, "S", &size));  // M is smaller: skipped
    EXPECT_EQ(size, 4u);

    bag.pos = start;
    EXPECT_FALSE(bagFindSection(bag, nullptr, &size));  // skips every section, stops at the end marker
    EXPECT_EQ(bag.size - bag.pos, 4u);

    bag.pos = 0;
    EXPECT_FALSE(bagFindSection(bag, "M", &size));  // a field ends the search at once
    EXPECT_EQ(bag.pos, 0u);

    bag.pos = start;
    u32 z = 0;
    EXPECT_TRUE(bagReadSection(bag, "M", [&](GBag& b) { bagReadValueField(b, "z", &z); }));
    EXPECT_EQ(z, 26u);
    EXPECT_TRUE(bagFindSection(bag, "S", &size));  // the helper left the position behind M
}

TEST(TaggedRecordLookup, NamesSortByUnsignedBytes) {
    const char* names[] = {"Zeta", "alpha", "alphabet", "\xC3\xA9t\xC3\xA9"};
    GBag bag;
    for (u32 i = 0; i < 4; ++i) bagWriteValueField(bag, names[i], i);
    bagWriteU32(bag, RecordKind::SectionEnd);
    bag.pos = 0;
    for (u32 i = 0; i < 4; ++i) {
        u32 value = 99;
        EXPECT_TRUE(bagReadValueField(bag, names[i], &value)) << names[i];
        EXPECT_EQ(value, i);
    }
    bag.pos = 0;
    u32 value;
    EXPECT_TRUE(bagReadValueField(bag, "alphabet", &value));
    EXPECT_FALSE(bagReadValueField(bag, "alpha", &value));  // asked out of order: missed
}

TEST(TaggedRecordLookup, StoredSizeOtherThanExpected) {
    GBag bag;
    bagWriteField(bag, RecordKind::Value, "long", "\x01\x00\x00\x00\xEE\xEE", 6);
    bagWriteField(bag, RecordKind::Value, "short", "\x02\x00", 2);
    bagWriteValueField(bag, "tail", (u32)3);
    bagWriteU32(bag, RecordKind::SectionEnd);
    bag.pos = 0;
    u32 value = 0;
    EXPECT_TRUE(bagReadValueField(bag, "long", &value));
    EXPECT_EQ(value, 1u);
    value = 77;
    EXPECT_FALSE(bagReadValueField(bag, "short", &value));  // would read into the next field
    EXPECT_EQ(value, 77u);
    EXPECT_TRUE(bagReadValueField(bag, "tail", &value));
    EXPECT_EQ(value, 3u);
}

TEST(TaggedRecordLookup, DamagedRecordsThrow) {
    struct Case {
        const char* what;
        const char* hex;
        bool section;
    } cases[] = {
        {"bag ends inside a name", "00 00 00 00 04 00 00 00 61 62", false},
        {"bag ends after the kind", "00 00 00 00 04 00", false},
        {"empty bag", "", false},
        {"field size past the end", "00 00 00 00 10 00 00 00 61 00 01 02", false},
        {"field size wrapping back", "00 00 00 00 F6 FF FF FF 61 00 FE FF FF FF", false},
        {"section size wrapping back", "FF FF FF FF F6 FF FF FF 41 00 FE FF FF FF", true},
        {"section ends inside its name", "FF FF FF FF 04 00 00 00 41", true},
    };
    for (const Case& c : cases) {
        GBag bag;
        bagFromHex(bag, c.hex);
        u32 size;
        if (c.section)
            EXPECT_THROW(bagFindSection(bag, "Z", &size), GBagException) << c.what;
        else
            EXPECT_THROW(bagFindField(bag, RecordKind::Value, "z", &size), GBagException) << c.what;
    }

    // A record cut anywhere throws from the usual reading pattern.
    GBag whole;
    bagWriteSection(whole, "R", [](GBag& b) {
        bagWriteValueField(b, "v", (u32)1);
        bagWriteSection(b, "S", [](GBag& s) { bagWriteValueField(s, "w", (u32)2); });
    });
    auto readRecord = [](GBag& b) {
        u32 v, w;
        bagReadSection(b, "R", [&](GBag& r) {
            bagReadValueField(r, "v", &v);
            bagSkipFields(r);
            bagReadSection(r, "S", [&](GBag& s) { bagReadValueField(s, "w", &w); });
        });
    };
    whole.pos = 0;
    EXPECT_NO_THROW(readRecord(whole));
    for (u32 cut = 0; cut < whole.size; ++cut) {
        GBag bag;
        bagWriteBytes(bag, whole.data, cut);
        bag.pos = 0;
        EXPECT_THROW(readRecord(bag), GBagException) << "cut at " << cut;
    }
}
