#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/bag_file.h"
#include "core/tagged_record.h"
#include "gui/paint/gui_settings.h"
#include "tests/support/test_support.h"

namespace {
struct ExpectedField {
    const char* name;
    u32 value;
};
struct ExpectedSection {
    const char* name;
    std::vector<ExpectedField> fields;
};

u32 wordAt(const GBag& bag, u32 pos) {
    u32 v;
    memcpy(&v, bag.data + pos, 4);
    return v;
}

// Walks the raw bytes of the sections without the record reader.
void expectSections(const GBag& bag, const std::vector<ExpectedSection>& expected) {
    u32 pos = 0;
    for (const ExpectedSection& section : expected) {
        SCOPED_TRACE(section.name);
        ASSERT_LE(pos + 8, bag.size);
        EXPECT_EQ(wordAt(bag, pos), 0xFFFFFFFFu);
        u32 size = wordAt(bag, pos + 4);
        pos += 8;
        EXPECT_STREQ((const char*)bag.data + pos, section.name);
        pos += (u32)strlen(section.name) + 1;
        u32 contentStart = pos;
        std::string previous;
        for (const ExpectedField& field : section.fields) {
            EXPECT_EQ(wordAt(bag, pos), 0u) << field.name;  // kind
            EXPECT_EQ(wordAt(bag, pos + 4), 4u) << field.name;
            pos += 8;
            std::string name = (const char*)bag.data + pos;
            EXPECT_EQ(name, field.name);
            EXPECT_LT(previous, name);
            previous = name;
            pos += (u32)name.size() + 1;
            EXPECT_EQ(wordAt(bag, pos), field.value) << field.name;
            pos += 4;
        }
        EXPECT_EQ(wordAt(bag, pos), 0xFFFFFFFEu);
        pos += 4;
        EXPECT_EQ(size, pos - contentStart);
    }
    EXPECT_EQ(pos, bag.size);
}

const std::vector<ExpectedSection> defaultSections = {
    {"Colors",
     {{"background", 0xFFFFFFFF},
      {"glass", 0x0064A019},
      {"selection", 0xFFFFFFFF},
      {"selectionText", 0xFFFFFFFF},
      {"style", 2},
      {"text", 0xFFFFFFFF},
      {"window", 0xFFFFFFFF}}},
    {"Menu", {{"horizontalMenuEffects", 0x59}, {"verticalMenuEffects", 0x59}}},
    {"Tab", {{"effects", 0x7FF503FF}}},
    {"Table", {{"viewFlags", 1}, {"viewMode", 10}}},
    {"ToolBar", {{"effects", 0x35}}},
    {"Undo", {{"undoCountLimit", 2000}}},
};
}  // namespace

TEST(GuiSettings, DefaultRecordWritesSixSectionsOfAscendingFields) {
    GGuiSettings settings;
    GBag bag;
    settings.write(bag);
    expectSections(bag, defaultSections);

    // The section writers one by one give the same bytes.
    GBag parts;
    settings.writeColors(parts);
    settings.writeMenu(parts);
    settings.writeTab(parts);
    settings.writeTable(parts);
    settings.writeToolBar(parts);
    settings.writeUndo(parts);
    ASSERT_EQ(parts.size, bag.size);
    EXPECT_EQ(memcmp(parts.data, bag.data, bag.size), 0);
}

TEST(GuiSettings, ReadsWhatIsThereAndSkipsWhatIsNot) {
    struct Case {
        const char* name;
        void (*write)(GBag&);
        u32 background, style, viewMode, undoCountLimit;
    };
    const Case cases[] = {
        {"no Undo section",
         [](GBag& b) {
             bagWriteSection(b, "Colors", [](GBag& s) { bagWriteValueField(s, "style", (u32)0); });
             bagWriteSection(b, "Table", [](GBag& s) { bagWriteValueField(s, "viewMode", (u32)3); });
         },
         0xFFFFFFFF, 0, 3, 2000},
        {"unknown keys and a subsection in Colors",
         [](GBag& b) {
             bagWriteSection(b, "Colors", [](GBag& s) {
                 bagWriteValueField(s, "alpha", (u32)7);
                 bagWriteValueField(s, "background", (u32)0x123456);
                 bagWriteValueField(s, "shine", (u64)99);
                 bagWriteValueField(s, "style", (u32)1);
                 bagWriteValueField(s, "zebra", (u32)5);
                 bagWriteSection(s, "Inner", [](GBag& i) { bagWriteValueField(i, "style", (u32)0); });
             });
             bagWriteSection(b, "Undo", [](GBag& s) { bagWriteValueField(s, "undoCountLimit", (u32)17); });
         },
         0x123456, 1, 10, 17},
        {"plain fields before the sections, an unknown section and one after Undo",
         [](GBag& b) {
             bagWriteValueField(b, "version", (u32)4);
             bagWriteSection(b, "Bars", [](GBag& s) { bagWriteValueField(s, "style", (u32)0); });
             bagWriteSection(b, "Table", [](GBag& s) { bagWriteValueField(s, "viewMode", (u32)6); });
             bagWriteSection(b, "Undo", [](GBag& s) { bagWriteValueField(s, "undoCountLimit", (u32)9); });
             bagWriteSection(b, "Zone", [](GBag& s) {
                 bagWriteSection(s, "Colors", [](GBag& c) { bagWriteValueField(c, "style", (u32)0); });
             });
         },
         0xFFFFFFFF, 2, 6, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GBag bag;
        bagWriteSection(bag, "KXGUI", [&](GBag& b) { c.write(b); });
        bagWriteValueField(bag, "after", (u32)1);
        bag.pos = 0;
        GGuiSettings settings;
        ASSERT_TRUE(bagReadSection(bag, "KXGUI", [&](GBag& b) {
            settings.read(b);
            // The reader leaves the position at the outer section's end marker.
            EXPECT_EQ(bagGetU32(b), 0xFFFFFFFEu);
        }));
        EXPECT_EQ(settings.background, c.background);
        EXPECT_EQ(settings.style, c.style);
        EXPECT_EQ(settings.viewMode, c.viewMode);
        EXPECT_EQ(settings.undoCountLimit, c.undoCountLimit);
        EXPECT_EQ(settings.tabEffects, 0x7FF503FFu);
        u32 after = 0;
        EXPECT_TRUE(bagReadValueField(bag, "after", &after));
        EXPECT_EQ(after, 1u);
    }
}

TEST(GuiSettings, StoreRoundTripsThroughItsFile) {
    TempDir dir;
    std::string path = dir.file("kxgui_settings.ini");
    GGuiSettings written;
    written.glass = 0x00102030;
    written.style = 0;
    written.tabEffects = 0x12345678;
    written.undoCountLimit = 55;
    ASSERT_TRUE(saveGuiSettings(written, path.c_str()));

    GGuiSettings read;
    ASSERT_TRUE(loadGuiSettings(read, path.c_str()));
    EXPECT_EQ(read.glass, 0x00102030u);
    EXPECT_EQ(read.style, 0u);
    EXPECT_EQ(read.tabEffects, 0x12345678u);
    EXPECT_EQ(read.undoCountLimit, 55u);
    EXPECT_EQ(read.viewFlags, 1u);

    GGuiSettings missing;
    EXPECT_FALSE(loadGuiSettings(missing, dir.file("none.ini").c_str()));
    EXPECT_EQ(missing.undoCountLimit, 2000u);
}

// A section whose size reaches past the end of the bag must not stop the start: the values read
// before the damage stay, the rest keep their defaults.
TEST(GuiSettings, DamagedStoreKeepsDefaultsAndWhatWasRead) {
    GGuiSettings source;
    source.style = 1;
    source.horizontalMenuEffects = 0x11;
    source.undoCountLimit = 77;
    GBag bag;
    bagWriteSection(bag, "KXGUI", [&](GBag& b) {
        source.writeColors(b);
        u32 menuSize = b.pos + 4;
        source.writeMenu(b);
        source.writeTab(b);
        source.writeUndo(b);
        memcpy(b.data + menuSize, "\xF0\xFF\x00\x00", 4);  // the Menu section claims 65520 bytes
    });
    TempDir dir;
    std::string path = dir.file("damaged.ini");
    ASSERT_TRUE(saveBagFile(path.c_str(), bag, bagFileTag("OPTS"), kGuiSettingsVersion));

    GGuiSettings read;
    EXPECT_FALSE(loadGuiSettings(read, path.c_str()));
    EXPECT_EQ(read.style, 1u);
    EXPECT_EQ(read.horizontalMenuEffects, 0x11u);
    EXPECT_EQ(read.undoCountLimit, 2000u);
}
