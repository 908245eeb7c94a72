// Block trees: finding the block at an offset, shifting after growth, report lines in the three
// kinds, the block columns and copying a block's bytes.
#include <gtest/gtest.h>

#include <string>

#include "core/block_base.h"
#include "core/gfile.h"
#include "tests/support/test_support.h"

namespace {
// RIFF(0, 100) { a(12, 24) { x(20, 8) }, b(36, 30), c(66, 34) { y(74, 10), z(84, 16) } }
struct Tree {
    BlockBase root{nullptr, fourCC("RIFF"), 0, 100};
    BlockBase* a = new BlockBase(&root, fourCC("a   "), 12, 24);
    BlockBase* x = new BlockBase(a, fourCC("x   "), 20, 8);
    BlockBase* b = new BlockBase(&root, fourCC("b   "), 36, 30);
    BlockBase* c = new BlockBase(&root, fourCC("c   "), 66, 34);
    BlockBase* y = new BlockBase(c, fourCC("y   "), 74, 10);
    BlockBase* z = new BlockBase(c, fourCC("z   "), 84, 16);
};

std::string reportOf(BlockBase& block, u32 kind) {
    TempDir dir;
    GFile out;
    EXPECT_TRUE(fileOpen(out, dir.file("r").c_str(), FileMode::Write));
    EXPECT_TRUE(block.report(out, kind));
    fileClose(out);
    return dir.read("r");
}
}  // namespace

TEST(BlockTree, FindBlockAtDescendsByBinarySearch) {
    Tree t;
    struct Case {
        u64 offset;
        BlockBase* found;
    } cases[] = {
        {0, &t.root},   // the root's header
        {12, t.a},      // a child's first byte
        {19, t.a},      // inside a's header, before its first child
        {20, t.x},      {27, t.x},
        {28, t.a},      // after x, inside a
        {36, t.b},      // a's end is b's start
        {73, t.c},      // c's header
        {83, t.y},      {84, t.z},
        {99, t.z},      {100, nullptr},  // the root's end
        {5000, nullptr},
    };
    for (const Case& c : cases) EXPECT_EQ(findBlockAt(&t.root, c.offset), c.found) << c.offset;
    EXPECT_EQ(findBlockAt(t.c, 70), t.c);
    EXPECT_EQ(findBlockAt(t.c, 65), nullptr);  // before the block
    // A gap between children belongs to the parent.
    BlockBase gappy(nullptr, 0, 0, 50);
    new BlockBase(&gappy, 1, 10, 5);
    new BlockBase(&gappy, 2, 30, 5);
    EXPECT_EQ(findChildAt(gappy.children, 20), -1);
    EXPECT_EQ(findChildAt(gappy.children, 32), 1);
    EXPECT_EQ(findBlockAt(&gappy, 20), &gappy);
    EXPECT_EQ(findChildAt(BlockBase().children, 0), -1);
}

// Many children: the lookup agrees with the children after they move, gain one and lose one
// behind its back (every other stretch is a gap owned by the parent).
TEST(BlockTree, FindBlockAtAmongManyChildrenFollowsChanges) {
    BlockBase root(nullptr, 0, 0, 4000);
    for (u32 i = 0; i < 100; ++i) new BlockBase(&root, 1, 20 * (u64)i, 10);
    auto expectAll = [&root](const char* stage) {
        for (u64 at = 0; at < root.size; ++at) {
            i64 i = findChildAt(root.children, at);
            EXPECT_EQ(findBlockAt(&root, at), i < 0 ? &root : root.child((u32)i)) << stage << " " << at;
        }
    };
    expectAll("built");
    shiftBlockOffsets(root.child(40), 5);  // 41.. move up by 5
    expectAll("shifted up");
    shiftBlockOffsets(root.child(60), -7);  // 61.. move down by 7, before their old starts
    expectAll("shifted down");
    BlockBase* extra = new BlockBase(&root, 2, 3000, 10);
    expectAll("appended");
    delete extra;
    root.children.count -= 1;
    root.child(99)->start = 1995;  // moved without the index knowing
    expectAll("moved");
}

TEST(BlockTree, GrowingABlockMovesWhatFollowsIt) {
    Tree t;
    shiftBlockOffsets(t.b, 10);
    EXPECT_EQ(t.b->size, 40u);
    EXPECT_EQ(t.root.size, 110u);
    EXPECT_EQ(t.b->start, 36u);
    EXPECT_EQ(t.c->start, 76u);
    EXPECT_EQ(t.y->start, 84u);
    EXPECT_EQ(t.z->start, 94u);
    // Before the path nothing moves.
    EXPECT_EQ(t.a->start, 12u);
    EXPECT_EQ(t.x->start, 20u);
    EXPECT_EQ(t.c->size, 34u);
    // Growth deep down: every level above grows, later siblings at each level move.
    shiftBlockOffsets(t.x, 4);
    EXPECT_EQ(t.x->size, 12u);
    EXPECT_EQ(t.a->size, 28u);
    EXPECT_EQ(t.root.size, 114u);
    EXPECT_EQ(t.b->start, 40u);
    EXPECT_EQ(t.z->start, 98u);
}

TEST(BlockTree, ReportLinesInTheThreeKinds) {
    Tree t;
    EXPECT_EQ(reportOf(t.root, ReportKind::Text),
              "00000000H: RIFF: Block size: 100\r\n"
              "0000000CH:     a: Block size: 24\r\n"
              "00000014H:         x: Block size: 8\r\n"
              "00000024H:     b: Block size: 30\r\n"
              "00000042H:     c: Block size: 34\r\n"
              "0000004AH:         y: Block size: 10\r\n"
              "00000054H:         z: Block size: 16\r\n");
    // "<li>" only under a parent.
    EXPECT_EQ(reportOf(*t.a, ReportKind::Html),
              "<li>0000000CH: a: Block size: 24\r\n"
              "<li>00000014H: x: Block size: 8\r\n");
    BlockBase lone(nullptr, fourCC("fmt "), 12, 24);
    EXPECT_EQ(reportOf(lone, ReportKind::Html), "0000000CH: fmt: Block size: 24\r\n");
    EXPECT_EQ(reportOf(lone, ReportKind::Xml), "<fmt Offset=\"0000000CH..00000024H\" BlockSize=\"24\"/>\r\n");
    EXPECT_EQ(reportOf(lone, fourCC("PDF ")), "");

    // The lines with other names, and the children of a block in order.
    TempDir dir;
    GFile out;
    ASSERT_TRUE(fileOpen(out, dir.file("r").c_str(), FileMode::Write));
    EXPECT_TRUE(writeBlockReport(out, ReportKind::Text, t.y, "Unknown Data", "", ""));
    EXPECT_TRUE(writeBlockReport(out, ReportKind::Html, t.y, "", "Unknown Data", ""));
    EXPECT_TRUE(writeBlockReport(out, ReportKind::Xml, t.y, "", "", "UNKNOWN"));
    EXPECT_TRUE(reportChildren(t.x, out, ReportKind::Xml));  // none: nothing
    EXPECT_TRUE(reportChildren(t.c, out, ReportKind::Xml));
    fileClose(out);
    EXPECT_EQ(dir.read("r"),
              "0000004AH:         Unknown Data: Block size: 10\r\n"
              "<li>0000004AH: Unknown Data: Block size: 10\r\n"
              "<UNKNOWN Offset=\"0000004AH..00000054H\" BlockSize=\"10\"/>\r\n"
              "<y Offset=\"0000004AH..00000054H\" BlockSize=\"10\"/>\r\n"
              "<z Offset=\"00000054H..00000064H\" BlockSize=\"16\"/>\r\n");
}

TEST(BlockTree, ColumnsFollowTheDisplayFlagsAndOrigin) {
    Tree t;
    struct Case {
        u32 flags;
        i64 origin;
        const char* texts[8];
    } cases[] = {
        {0, 0, {"c", "66", "34", "74", "26", "8", "2", ""}},
        {7, 0, {"c", "00000042H", "00000022H", "0000004AH", "0000001AH", "00000008H", "2H", ""}},
        {1, 60, {"c", "00000006H", "34", "0000000EH", "26", "8", "2", ""}},
        {2, 70, {"c", "-4", "00000022H", "4", "0000001AH", "00000008H", "2", ""}},
    };
    GString out;
    for (const Case& c : cases) {
        BlockColumns columns;
        columns.viewFlags = c.flags;
        columns.origin = c.origin;
        for (i32 column = 0; column < 8; ++column)
            EXPECT_STREQ(t.c->columnText(out, column, &columns), c.texts[column]) << c.flags << " " << column;
    }
    EXPECT_STREQ(t.c->columnText(out, 1, nullptr), "66");
    EXPECT_STREQ(t.c->typeCodeText().c_str(), "c");
    EXPECT_EQ(t.c->cellObject(0), nullptr);
}

TEST(BlockTree, CopyBlockBytesToTheTargetsPosition) {
    TempDir dir;
    dir.write("source", "0123456789abcdef");
    GFile source, target;
    ASSERT_TRUE(fileOpen(source, dir.file("source").c_str(), FileMode::Read));
    ASSERT_TRUE(fileOpen(target, dir.file("target").c_str(), FileMode::Write));
    ASSERT_TRUE(fileWrite(target, "XY", 2));
    BlockBase block(nullptr, 0, 4, 6), empty(nullptr, 0, 4, 0);
    EXPECT_TRUE(copyBlockBytes(&block, source, target, nullptr));
    EXPECT_TRUE(copyBlockBytes(&empty, source, target, nullptr));
    fileClose(target);
    EXPECT_EQ(dir.read("target"), "XY456789");
    // A target whose position cannot be had gets nothing.
    GFile closed;
    EXPECT_FALSE(copyBlockBytes(&block, source, closed, nullptr));
    fileClose(source);
}
