// The analyzer's field lists read through the structure viewers' value types.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmreg.h>

#include "gui/views/value_type.h"
#include "mm/field_tables.h"

TEST(FieldTables, MpegHeaderBitsAndPatchedTemplates) {
    const u8 head[4] = {0xFF, 0xFB, 0x90, 0x64};
    const GValueType& set = valueType(mpegHeaderElement.type);
    struct Case {
        u64 index;
        const char* name;
        const char* value;
    } cases[] = {{0, "Sync Bits", "255"}, {2, "Layer", "1"}, {8, "Bit Rate", "9"}, {13, "Channel Mode", "1"}};
    EXPECT_EQ(set.childCount(mpegHeaderElement), 14u);
    GString out;
    for (const Case& c : cases) {
        set.childName(out, mpegHeaderElement, c.index, false);
        EXPECT_STREQ(out.c_str(), c.name);
        EXPECT_TRUE(set.childValueText(out, mpegHeaderElement, c.index, head));
        EXPECT_STREQ(out.c_str(), c.value) << c.name;
    }

    // A 16-byte "fmt " chunk described as extensible shows the six PCM fields.
    WAVEFORMATEXTENSIBLE format = {};
    format.Format.wFormatTag = 0xFFFE;
    format.Format.cbSize = 22;
    FormatChunkFields fmt;
    const FieldDescriptor* list = fmt.build(&format.Format, 16);
    EXPECT_STREQ(list[2].name, "WAVEFORMATEX");
    EXPECT_EQ(valueType(FieldType::Structure).childCount(list[2]), 6u);

    // The pool table's cues by the chunk, "Number of Cues" as its 4 bytes.
    SizedFieldList pool;
    list = pool.build(dlsPoolTableFields, 12);
    EXPECT_EQ(list[3].size, 4u);
    EXPECT_EQ(list[3].type, FieldType::DWord);
    EXPECT_EQ(valueType(FieldType::Array).childCount(list[4]), 3u);
    EXPECT_EQ(list[5].name, nullptr);

    // The samples of a 16-bit data chunk of 10 bytes, and an undecoded one with only its header.
    DataChunkFields data;
    list = data.build(2, 10);
    EXPECT_STREQ(list[2].name, "Samples");
    EXPECT_EQ(list[2].offset, 8u);
    EXPECT_EQ(valueType(FieldType::Array).childCount(list[2]), 5u);
    DataChunkFields packed;
    EXPECT_EQ(packed.build(0, 10)[2].name, nullptr);
    TextChunkFields text;
    EXPECT_EQ(text.build(30)[2].size, 30u);
}
