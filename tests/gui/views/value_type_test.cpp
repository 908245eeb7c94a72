// The value types over field records: texts of all 18 types, composites and their children, locate
// into nested arrays, structures and gaps, and the guarded cases.
#include <gtest/gtest.h>

#include <string>

#include "gui/views/value_type.h"

namespace {
std::string text(void (GValueType::*op)(GString&, const FieldDescriptor&, bool) const, const FieldDescriptor& r,
                 bool hex) {
    GString out;
    (valueType(r.type).*op)(out, r, hex);
    return out.c_str();
}
std::string shown(bool (GValueType::*op)(GString&, const FieldDescriptor&, const u8*) const,
                  const FieldDescriptor& r, const u8* bytes) {
    GString out;
    return (valueType(r.type).*op)(out, r, bytes) ? out.c_str() : "(none)";
}

const FieldDescriptor bitsList[] = {
    {"Low", 0, 3, FieldType::Bits, nullptr},
    {"Flag", 17, 1, FieldType::Bits, nullptr},
    {"Pair", 18, 2, FieldType::Bits, nullptr},
    {nullptr, 32, 0, FieldType::None, nullptr},
};
const FieldDescriptor member[] = {
    {"a", 0, 2, FieldType::Word, nullptr},
    {"b", 4, 4, FieldType::DWord, nullptr},
    {nullptr, 0, 0, FieldType::None, nullptr},
};
const FieldDescriptor pair = {"Pair", 0, 8, FieldType::Structure, member};
const FieldDescriptor element12 = {"Cue", 0, 12, FieldType::Structure, member};
}  // namespace

TEST(ValueTypes, TextsOfEveryType) {
    const u8 bytes[32] = {0x01, 0x02, 0xFE, 0xFF, 0x00, 0x00, 0x80, 0x3F, 'a', 'b', 'c'};
    const u8 guid[16] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71, 0x01, 0x02};
    const u8 dbl[8] = {0, 0, 0, 0, 0, 0, 0xF8, 0x3F};
    const u8 text30[30] = {'H', 'e', 'l', 'l', 'o', 9, 'w', 'o', 'r', 'l', 'd', '!', '1', '2', '3', '4', '5', '6'};
    const u8 abc[8] = {'a', 'b', 'c', 0, 'd'};
    const u8 mpeg[4] = {0xFF, 0xFB, 0x90, 0x64};
    const FieldDescriptor mpegSet = {"Head", 0, 4, FieldType::BitSet, bitsList};
    struct Case {
        FieldDescriptor r;
        const u8* bytes;
        const char* type;
        const char* size;
        const char* hexSize;
        const char* offset;  // at absolute 300
        const char* value;
        const char* raw;
    } cases[] = {
        {{"A", 0, 40, FieldType::Array, &element12}, bytes, "Structure[3]", "40", "28H", "300",
         "[double click to see items]", "(none)"},
        {pair, bytes, "Structure", "8", "8H", "300", "[double click to see items]", "(none)"},
        {mpegSet, mpeg, "Bit Set", "4", "4H", "300", "[double click to see items]", "(none)"},
        {{"Flag", 17, 1, FieldType::Bits, nullptr}, mpeg, "Bits", "1 bit(s)", "1 bit(s)", "Bit 17", "0", "0H"},
        {{"Pair", 18, 2, FieldType::Bits, nullptr}, mpeg, "Bits", "2 bit(s)", "2 bit(s)", "Bits 19..18", "0", "0H"},
        {{"Rate", 20, 4, FieldType::Bits, nullptr}, mpeg, "Bits", "4 bit(s)", "4 bit(s)", "Bits 23..20", "9", "9H"},
        {{"B", 0, 1, FieldType::Byte, nullptr}, bytes + 2, "Byte", "1", "1H", "300", "254", "FEH"},
        {{"C", 0, 1, FieldType::Int8, nullptr}, bytes + 2, "Int 8", "1", "1H", "300", "-2", "FEH"},
        {{"W", 0, 2, FieldType::Word, nullptr}, bytes, "Word", "2", "2H", "300", "513", "0201H"},
        {{"S", 0, 2, FieldType::Int16, nullptr}, bytes + 2, "Int 16", "2", "2H", "300", "-2", "FFFEH"},
        {{"D", 0, 4, FieldType::DWord, nullptr}, bytes, "DWord", "4", "4H", "300", "4294836737", "FFFE0201H"},
        {{"I", 0, 4, FieldType::Int32, nullptr}, bytes, "Int 32", "4", "4H", "300", "-130559", "FFFE0201H"},
        {{"Q", 0, 8, FieldType::QWord, nullptr}, bytes, "QWord", "8", "8H", "300", "4575657225703260673",
         "3F800000FFFE0201H"},
        {{"J", 0, 8, FieldType::Int64, nullptr}, dbl, "Int 64", "8", "8H", "300", "4609434218613702656",
         "3FF8000000000000H"},
        {{"F", 0, 4, FieldType::Float, nullptr}, bytes + 4, "Float", "4", "4H", "300", "1", "3F800000H"},
        {{"G", 0, 8, FieldType::Double, nullptr}, dbl, "Double", "8", "8H", "300", "1.5", "3FF8000000000000H"},
        {{"T", 0, 30, FieldType::Ascii, nullptr}, text30, "ASCII", "30", "1EH", "300", "Hello world!1234...",
         "3433323121646C726F77096F6C6C6548H"},
        {{"Z", 0, 8, FieldType::Asciiz, nullptr}, abc, "ASCIIZ", "8", "8H", "300", "abc", "0000006400636261H"},
        {{"U", 0, 16, FieldType::Guid, nullptr}, guid, "GUID", "16", "10H", "300",
         "00000000-0010-0080-00AA-00389B710102", "0201719B3800AA000080001000000000H"},
        {{"X", 0, 3, FieldType::Binary, nullptr}, bytes, "Binary", "3", "3H", "300", "(none)", "FE0201H"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.r.name);
        EXPECT_EQ(text(&GValueType::typeName, c.r, false), c.type);
        EXPECT_EQ(text(&GValueType::sizeText, c.r, false), c.size);
        EXPECT_EQ(text(&GValueType::sizeText, c.r, true), c.hexSize);
        GString out;
        valueType(c.r.type).offsetText(out, c.r, false, 300);
        EXPECT_STREQ(out.c_str(), c.offset);
        EXPECT_EQ(shown(&GValueType::valueText, c.r, c.bytes), c.value);
        EXPECT_EQ(shown(&GValueType::rawText, c.r, c.bytes), c.raw);
        EXPECT_STREQ(valueType(c.r.type).fieldName(c.r), c.r.name);
        bool composite = c.r.type == FieldType::Array || c.r.type == FieldType::Structure || c.r.type == FieldType::BitSet;
        bool text = composite || c.r.type >= FieldType::Ascii;
        EXPECT_EQ(valueType(c.r.type).valueKind(), text ? 2u : 1u);
        EXPECT_EQ(valueType(c.r.type).isBitSet(), c.r.type == FieldType::BitSet);
        if (!composite) EXPECT_EQ(valueType(c.r.type).childCount(c.r), 0u);
    }
    // Offsets in hex have eight digits; the array's count in hex.
    GString out;
    valueType(FieldType::Word).offsetText(out, cases[8].r, true, 300);
    EXPECT_STREQ(out.c_str(), "0000012CH");
    EXPECT_EQ(text(&GValueType::typeName, cases[0].r, true), "Structure[3H]");
}

TEST(ValueTypes, ChildrenAskTheirOwnTypes) {
    const u8 bytes[40] = {1, 0, 9, 9, 2, 0, 0, 0, 3, 0, 9, 9, 4, 0, 0, 0};
    const FieldDescriptor array = {"A", 0, 16, FieldType::Array, &pair};
    const GValueType& type = valueType(FieldType::Array);
    ASSERT_EQ(type.childCount(array), 2u);
    GString out;
    type.childName(out, array, 1, false);
    EXPECT_STREQ(out.c_str(), "Pair[1]");
    type.childName(out, array, 11, true);  // past the children: empty
    EXPECT_STREQ(out.c_str(), "");
    type.childOffsetText(out, array, 1, false, 100);
    EXPECT_STREQ(out.c_str(), "108");
    u64 at = 0, size = 0;
    EXPECT_EQ(type.childSpan(array, 1, 100, &at, &size), &valueType(FieldType::Structure));
    EXPECT_EQ(at, 108u);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(type.child(array, 1), &pair);

    // The structure's members read from its bytes.
    const GValueType& structure = valueType(FieldType::Structure);
    EXPECT_EQ(structure.childCount(pair), 2u);
    EXPECT_TRUE(structure.childValueText(out, pair, 1, bytes + 8));
    EXPECT_STREQ(out.c_str(), "4");
    structure.childTypeName(out, pair, 1, false);
    EXPECT_STREQ(out.c_str(), "DWord");
    structure.childSizeText(out, pair, 0, false);
    EXPECT_STREQ(out.c_str(), "2");
    EXPECT_TRUE(structure.childRawText(out, pair, 0, bytes + 8));
    EXPECT_STREQ(out.c_str(), "0003H");
    // A structure shorter than its description shows the members that fit.
    const FieldDescriptor shortPair = {"Pair", 0, 6, FieldType::Structure, member};
    EXPECT_EQ(structure.childCount(shortPair), 1u);

    // Bit fields keep the set's offset and size.
    const FieldDescriptor set = {"Head", 4, 4, FieldType::BitSet, bitsList};
    const GValueType& bitSet = valueType(FieldType::BitSet);
    EXPECT_EQ(bitSet.childCount(set), 3u);
    EXPECT_EQ(bitSet.childSpan(set, 2, 64, &at, &size), &valueType(FieldType::Bits));
    EXPECT_EQ(at, 64u);
    EXPECT_EQ(size, 4u);
    const u8 head[4] = {0x05, 0x00, 0x0E, 0x00};
    EXPECT_TRUE(bitSet.childValueText(out, set, 0, head));
    EXPECT_STREQ(out.c_str(), "5");
    EXPECT_TRUE(bitSet.childValueText(out, set, 2, head));
    EXPECT_STREQ(out.c_str(), "3");
    bitSet.childOffsetText(out, set, 2, true, 64);
    EXPECT_STREQ(out.c_str(), "Bits 19..18");
    // Scalars have no children.
    const FieldDescriptor word = {"W", 0, 2, FieldType::Word, nullptr};
    EXPECT_EQ(valueType(FieldType::Word).childSpan(word, 0, 0, &at, &size), nullptr);
    EXPECT_FALSE(valueType(FieldType::Word).childValueText(out, word, 0, bytes));
}

TEST(ValueTypes, GuardedSizesShowNothingInsteadOfFaulting) {
    const u8 bytes[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    GString out;
    struct Case {
        FieldDescriptor r;
        const char* value;
    } bits[] = {
        {{"Top", 60, 8, FieldType::Bits, nullptr}, "15"},   // past bit 63: the bits above are zero
        {{"Far", 70, 3, FieldType::Bits, nullptr}, "0"},
        {{"All", 0, 64, FieldType::Bits, nullptr}, "-1"},
        {{"More", 0, 70, FieldType::Bits, nullptr}, "-1"},
    };
    for (const Case& c : bits) {
        EXPECT_TRUE(valueType(FieldType::Bits).valueText(out, c.r, bytes));
        EXPECT_STREQ(out.c_str(), c.value) << c.r.name;
    }
    // Elements of size 0 make an empty array.
    const FieldDescriptor empty = {"E", 0, 0, FieldType::Byte, nullptr};
    const FieldDescriptor array = {"A", 0, 16, FieldType::Array, &empty};
    EXPECT_EQ(valueType(FieldType::Array).childCount(array), 0u);
    EXPECT_EQ(text(&GValueType::typeName, array, false), "Byte[0]");
    FieldCursor cursor;
    EXPECT_TRUE(locateField(array, 5, cursor));
    EXPECT_EQ(cursor.record, &array);
    EXPECT_EQ(cursor.offset, 5u);
    // A Bit Set of 12 bytes reads the first 8.
    const FieldDescriptor wide = {"W", 0, 12, FieldType::BitSet, bitsList};
    EXPECT_TRUE(valueType(FieldType::BitSet).childValueText(out, wide, 0, bytes));
    EXPECT_STREQ(out.c_str(), "7");
}

TEST(ValueTypes, LocateFindsTheInnermostField) {
    // { a Word @0, b DWord @4 } x 3 inside a structure with a gap and a tail.
    const FieldDescriptor cues = {"Cues", 0, 26, FieldType::Array, &pair};
    const FieldDescriptor outer[] = {
        {"Head", 0, 4, FieldType::DWord, nullptr},
        {"Cues", 8, 24, FieldType::Array, &pair},
        {nullptr, 0, 0, FieldType::None, nullptr},
    };
    const FieldDescriptor root = {"Root", 0, 40, FieldType::Structure, outer};
    struct Case {
        u64 offset;
        const FieldDescriptor* parent;
        const FieldDescriptor* record;
        u64 index, at, size;
    } cases[] = {
        {2, &root, &outer[0], 0, 2, 4},          // a scalar member
        {5, &root, nullptr, 1, 1, 4},            // the gap before Cues
        {8, &pair, &member[0], 0, 0, 2},         // first element's a
        {21, &pair, &member[1], 1, 1, 4},        // element 1 at 8..15: b holds 13
        {26, &pair, nullptr, 1, 0, 2},           // element 2's gap between a and b
        {35, &root, nullptr, 2, 3, 8},           // past the last member
    };
    for (const Case& c : cases) {
        FieldCursor cursor;
        EXPECT_TRUE(locateField(root, c.offset, cursor));
        EXPECT_EQ(cursor.parent, c.parent) << c.offset;
        EXPECT_EQ(cursor.record, c.record) << c.offset;
        EXPECT_EQ(cursor.index, c.index) << c.offset;
        EXPECT_EQ(cursor.offset, c.at) << c.offset;
        EXPECT_EQ(cursor.size, c.size) << c.offset;
    }
    // An array of scalars: the element and the offset inside it.
    const FieldDescriptor dword = {"Cue", 0, 4, FieldType::DWord, nullptr};
    const FieldDescriptor dwords = {"Cues", 0, 24, FieldType::Array, &dword};
    FieldCursor cursor;
    EXPECT_TRUE(locateField(dwords, 18, cursor));
    EXPECT_EQ(cursor.parent, &dwords);
    EXPECT_EQ(cursor.record, &dword);
    EXPECT_EQ(cursor.index, 4u);
    EXPECT_EQ(cursor.offset, 2u);
    EXPECT_EQ(cursor.size, 4u);
    // The bytes after the last whole element.
    EXPECT_TRUE(locateField(cues, 23, cursor));
    EXPECT_EQ(cursor.record, &member[1]);
    // Scalars answer false and leave the cursor.
    FieldCursor before = cursor;
    EXPECT_FALSE(valueType(FieldType::Word).locate(cursor, 1));
    EXPECT_EQ(cursor.record, before.record);
    // A structure without members gives itself.
    const FieldDescriptor bare = {"Bare", 0, 10, FieldType::Structure, nullptr};
    EXPECT_TRUE(locateField(bare, 3, cursor));
    EXPECT_EQ(cursor.record, &bare);
    EXPECT_EQ(cursor.size, 10u);
}
