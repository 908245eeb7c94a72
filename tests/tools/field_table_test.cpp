// The field-table holder: static tables are pointed at and never freed, copies and their
// sub-records are owned and move with takeFrom; the variable tables size their rows.
#include <gtest/gtest.h>

#include "mm/field_tables.h"
#include "tools/field_table.h"

TEST(FieldTable, StaticCopiedAndTaken) {
    FieldTable a;
    a.pointAt(id3v1Fields);
    EXPECT_TRUE(a.isStatic);
    EXPECT_EQ(a.count, 7u);
    EXPECT_EQ(a.rows, id3v1Fields);

    // A copy with owned sub-records; taking it leaves the source empty and frees what a held.
    FieldTable b;
    dlsConnectionTable(b, 5);
    FieldDescriptor* element = b.ownRecords(2);
    element[0] = {"x", 0, 1, FieldType::Byte, nullptr};
    EXPECT_FALSE(b.isStatic);
    EXPECT_EQ(b.find("Connections")->size, 60u);
    EXPECT_EQ(b.rows[b.count].name, nullptr);
    FieldDescriptor* rows = b.rows;
    a.takeFrom(b);
    EXPECT_EQ(a.rows, rows);
    EXPECT_FALSE(a.isStatic);
    EXPECT_EQ(a.owned.count, 1u);
    EXPECT_EQ(b.rows, nullptr);
    EXPECT_EQ(b.count, 0u);
    EXPECT_EQ(b.capacity, 0u);
    EXPECT_EQ(b.owned.count, 0u);
    // The static table is still whole after a reset of a holder that pointed at it.
    b.pointAt(id3v1Fields);
    b.reset();
    EXPECT_STREQ(id3v1Fields[6].name, "Genre");
    a.reset();
    EXPECT_EQ(a.rows, nullptr);
    EXPECT_EQ(a.owned.count, 0u);

    struct Case {
        void (*build)(FieldTable&, u32);
        u32 count;
        const char* row;
        u64 size;
    } cases[] = {
        {oggPageTable, 17, "Segment Size", 17},
        {dlsCueTable, 3, "Cue", 12},
        {dlsConnectionTable, 3, "Connections", 36},
        {dlsConnectionTable, 0, "Connections", 0},
    };
    for (const Case& c : cases) {
        FieldTable t;
        c.build(t, c.count);
        ASSERT_NE(t.find(c.row), nullptr);
        EXPECT_EQ(t.find(c.row)->size, c.size);
    }
}
