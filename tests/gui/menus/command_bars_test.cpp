#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/bag_file.h"
#include "core/gstring.h"
#include "gui/menus/command_bars.h"
#include "tests/gui/menu_fixture.h"

namespace {
std::vector<u8> bytesOf(const GBag& bag) { return std::vector<u8>(bag.data, bag.data + bag.size); }

// Appends a NUL-terminated text or little-endian values to a hand-made body.
struct Body {
    std::vector<u8> bytes;
    Body& text(const char* t) {
        bytes.insert(bytes.end(), t, t + strlen(t) + 1);
        return *this;
    }
    Body& u32v(u32 v) {
        for (int i = 0; i < 4; ++i) bytes.push_back((u8)(v >> (8 * i)));
        return *this;
    }
    Body& u8v(u8 v) {
        bytes.push_back(v);
        return *this;
    }
    Body& block(const Body& inner) {
        u32v((u32)inner.bytes.size());
        bytes.insert(bytes.end(), inner.bytes.begin(), inner.bytes.end());
        return *this;
    }
};

// One entry block: title, p2 p3 p4 (0) and p1, customised, entry kind, shown, items.
Body entry(const char* title, i32 p1, u8 customised, u32 kind, u8 shown, std::vector<const char*> items) {
    Body b;
    b.text(title).u32v(0).u32v(0).u32v(0).u32v((u32)p1).u8v(customised).u32v(kind).u8v(shown);
    if (customised) {
        b.u32v((u32)items.size());
        for (const char* item : items) b.text(item);
    }
    return b;
}

std::vector<i32> idsOf(const GToolBarSpec* spec) { return std::vector<i32>(spec->activeIds(), spec->activeIds() + spec->activeCount()); }

class CommandBarsTest : public testing::Test {
protected:
    void SetUp() override {
        fx.add(501, "&Open", "FILE_OPEN");
        fx.add(502, "Close", "FILE_CLOSE");
        file.name = "File";
        file.defaultIds = fileIds;
        file.defaultCount = 2;
        tools.name = "Tools";
        tools.defaultIds = fileIds;
        tools.defaultCount = 1;
        tools.entryKind = SpecToolBar;
        hidden.name = "Internal";
        hidden.entryKind = SpecInternal;
        linkSpec(&fx.editor, &file);
        linkSpec(&fx.editor, &tools);
        linkSpec(&fx.editor, &hidden);
        fx.editor.extra = &extra;
    }
    void TearDown() override {
        deleteUserSpecs(&fx.editor);
        for (GToolBarSpec* spec : {&file, &tools, &hidden}) {
            unlinkSpec(spec);
            spec->resetUser();
        }
    }
    ActionFixture fx;
    const i32 fileIds[2] = {501, 502};
    GToolBarSpec file, tools, hidden;
    GBag extra;
};
}  // namespace

TEST_F(CommandBarsTest, RoundTripIsByteExact) {
    file.customised = 1;
    for (i32 id : {502, -1, 501}) *file.userIds.append(1) = id;
    assignHeapText(&file.userTitle, "My file");
    file.p1 = 7;
    tools.shown = 0;
    GToolBarSpec* mine = addUserToolBarSpec(&fx.editor, SpecToolBar, "Mine");
    mine->customised = 1;
    *mine->userIds.append(1) = 501;
    bagWriteU32(extra, 0xCAFE);

    GBag first;
    writeCommandBars(first);
    // The body as the format lays it down.
    Body expected;
    expected.text("Analyzer").block(Body().text(""));
    expected.text("Editor").block(Body()
                                      .text("File").block(entry("My file", 7, 1, 0, 1, {"FILE_CLOSE", "", "FILE_OPEN"}))
                                      .text("Tools").block(entry("", 0, 0, 1, 0, {}))
                                      .text("Mine").block(entry("Mine", 0, 1, 1, 1, {"FILE_OPEN"}))
                                      .text("")
                                      .block(Body().u32v(0xCAFE)));
    expected.text("");
    // Kinds other than the fixture's may be registered: compare the fixture's part.
    std::vector<u8> got = bytesOf(first);
    ASSERT_GE(got.size(), expected.bytes.size());
    EXPECT_EQ(std::vector<u8>(got.begin(), got.begin() + (expected.bytes.size() - 1)),
              std::vector<u8>(expected.bytes.begin(), expected.bytes.end() - 1));

    // Read back into reset records, then written again: the same bytes.
    resetAllToolBarSpecs();
    EXPECT_EQ(findSpec(&fx.editor, "Mine"), nullptr);
    bagFree(extra);
    first.pos = 0;
    EXPECT_TRUE(readCommandBars(first));
    GBag second;
    writeCommandBars(second);
    EXPECT_EQ(bytesOf(second), bytesOf(first));
    EXPECT_EQ(idsOf(&file), (std::vector<i32>{502, -1, 501}));
    EXPECT_STREQ(file.displayTitle(), "My file");
    GToolBarSpec* back = findSpec(&fx.editor, "Mine");
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->userMade());
    EXPECT_EQ(back->entryKind, (u32)SpecToolBar);
}

TEST_F(CommandBarsTest, FilesChangeOnlyWhatTheyHoldSoundly) {
    std::string path = "command_bars_test.ini";
    // Version 3: nothing changes.
    GBag old;
    Body oldBody;
    oldBody.text("Editor").block(Body().text("File").block(entry("Old", 9, 1, 0, 0, {"FILE_OPEN"})).text("").block(Body()));
    oldBody.text("");
    bagWriteBytes(old, oldBody.bytes.data(), (u32)oldBody.bytes.size());
    ASSERT_TRUE(saveBagFile(path.c_str(), old, bagFileTag("ACTD"), 3));
    EXPECT_FALSE(loadCommandBars(path.c_str()));
    EXPECT_EQ(file.customised, 0);
    EXPECT_EQ(file.p1, 0);

    // Version 4: a removed action is dropped, an empty name is a separator, an unknown kind is
    // skipped, a name beginning with CR makes no record.
    Body body;
    body.text("Gone kind").block(Body().text("x"));
    body.text("Editor").block(Body()
                                  .text("File").block(entry("", 3, 1, 0, 1, {"FILE_OPEN", "REMOVED", "", "FILE_CLOSE"}))
                                  .text("\rStale").block(entry("", 0, 0, 0, 1, {}))
                                  .text("Mine").block(entry("ignored", 0, 0, 0, 1, {}))
                                  .text("")
                                  .block(Body().u8v(1).u8v(2)));
    body.text("");
    GBag current;
    bagWriteBytes(current, body.bytes.data(), (u32)body.bytes.size());
    ASSERT_TRUE(saveBagFile(path.c_str(), current, bagFileTag("ACTD"), CommandBarsVersion));
    EXPECT_TRUE(loadCommandBars(path.c_str()));
    EXPECT_EQ(idsOf(&file), (std::vector<i32>{501, -1, 502}));
    EXPECT_EQ(file.p1, 3);
    EXPECT_EQ(findSpec(&fx.editor, "\rStale"), nullptr);
    GToolBarSpec* mine = findSpec(&fx.editor, "Mine");
    ASSERT_NE(mine, nullptr);
    EXPECT_STREQ(mine->displayTitle(), "Mine");  // a user-made record keeps its name as title
    EXPECT_EQ(extra.size, 2u);

    // A truncated kind block leaves the kind's records, user-made ones too, as they were.
    std::vector<u8> cut(body.bytes.begin(), body.bytes.end() - 12);
    GBag truncated;
    bagWriteBytes(truncated, cut.data(), (u32)cut.size());
    truncated.pos = 0;
    EXPECT_FALSE(readCommandBars(truncated));
    EXPECT_EQ(findSpec(&fx.editor, "Mine"), mine);
    EXPECT_EQ(idsOf(&file), (std::vector<i32>{501, -1, 502}));

    // A whole kind block whose entry is damaged inside (a count far beyond its data) is parsed
    // before anything is applied: the records stay, and nothing is reserved from the count.
    Body bad;
    bad.text("").u32v(0).u32v(0).u32v(0).u32v(9).u8v(1).u32v(0).u8v(1).u32v(0xFFFFFFF0).text("FILE_OPEN");
    Body huge;
    huge.text("Editor").block(Body().text("File").block(bad).text("").block(Body()));
    huge.text("");
    GBag hugeBag;
    bagWriteBytes(hugeBag, huge.bytes.data(), (u32)huge.bytes.size());
    hugeBag.pos = 0;
    EXPECT_FALSE(readCommandBars(hugeBag));
    EXPECT_EQ(findSpec(&fx.editor, "Mine"), mine);
    EXPECT_EQ(file.p1, 3);
    DeleteFileA(path.c_str());
}

TEST_F(CommandBarsTest, NamesKindsAndSorting) {
    EXPECT_EQ(actionIdByName("FILE_CLOSE"), 502);
    EXPECT_EQ(actionIdByName("NOPE"), -1);
    EXPECT_EQ(actionIdByName(""), -1);
    EXPECT_EQ(actionIdByName(nullptr), -1);
    fx.add(503, "Later", "A_LATER");  // registering marks the index stale
    EXPECT_EQ(actionIdByName("A_LATER"), 503);
    EXPECT_EQ(windowKindIdByName("Editor"), (i32)EditorKindId);
    EXPECT_EQ(windowKindIdByName(""), -1);
    EXPECT_EQ(windowKindIdByName("Nothing"), -2);

    // Sorted by p1, then p3, then p2.
    GToolBarSpec* a = addUserToolBarSpec(&fx.editor, SpecToolBar, "a");
    GToolBarSpec* b = addUserToolBarSpec(&fx.editor, SpecToolBar, "b");
    GToolBarSpec* c = addUserToolBarSpec(&fx.editor, SpecToolBar, "c");
    a->p1 = 1, a->p3 = 2, a->p2 = 0;
    b->p1 = 1, b->p3 = 1, b->p2 = 5;
    c->p1 = 1, c->p3 = 1, c->p2 = 3;
    tools.p1 = 0;
    PointerArray all = collectSpecs(&fx.editor, SpecToolBar, false);
    std::vector<std::string> order;
    for (u32 i = 0; i < all.count; ++i) order.push_back(static_cast<GToolBarSpec*>(all[i])->name);
    EXPECT_EQ(order, (std::vector<std::string>{"Tools", "c", "b", "a"}));
    PointerArray shown = collectSpecs(&fx.editor, SpecToolBar, true);  // the user-made ones are empty
    EXPECT_EQ(shown.count, 1u);
}
