#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/bag_file.h"
#include "core/exceptions.h"
#include "core/paths.h"
#include "tests/support/bag_hex.h"
#include "tests/support/test_support.h"

namespace {

const u32 kOpts = bagFileTag("OPTS");

// Replaces the completion of saves for the life of the object.
class ReplaceHookScope {
public:
    explicit ReplaceHookScope(FileReplaceHook hook) : saved(fileReplaceHook) { fileReplaceHook = hook; }
    ~ReplaceHookScope() { fileReplaceHook = saved; }

private:
    FileReplaceHook saved;
};

bool failingReplace(GFile&, const char*) { return false; }
bool throwingReplace(GFile&, const char*) { throw GException(); }

}  // namespace

TEST(BagFile, TagsInFileOrder) {
    EXPECT_EQ(bagFileTag("OPTS"), 0x5354504Fu);
    EXPECT_EQ(bagFileTag("MIX"), 0x0058494Du);
}

TEST(BagFile, SavesAndLoadsTheBody) {
    TempDir dir;
    GBag bag;
    bagWriteString(bag, "hello");
    bagWriteU32(bag, 0x01020304);
    ASSERT_TRUE(saveBagFile(dir.file("store.ini").c_str(), bag, kOpts, 7));
    EXPECT_EQ(dir.read("store.ini"), bytesFromHex("4F 50 54 53 07 00 00 00 0A 00 00 00 68 65 6C 6C 6F 00 04 03 02 01"));
    EXPECT_EQ(dir.list(), std::vector<std::string>{"store.ini"});

    GBag loaded;
    bagWriteU32(loaded, 99);
    RecordingHandler handler;
    ASSERT_TRUE(loadBagFile(dir.file("store.ini").c_str(), loaded, kOpts, 7, &handler));
    EXPECT_EQ(bagHex(loaded), bagHex(bag));
    EXPECT_EQ(loaded.capacity, 10u);
    EXPECT_EQ(loaded.pos, 0u);
    EXPECT_TRUE(handler.reports.empty());

    // Saving again replaces the file and leaves nothing else behind.
    bagFree(bag);
    bagWriteU8(bag, 1);
    ASSERT_TRUE(saveBagFile(dir.file("store.ini").c_str(), bag, kOpts, 7));
    EXPECT_EQ(dir.read("store.ini").size(), 13u);
    EXPECT_EQ(dir.list(), std::vector<std::string>{"store.ini"});
}

TEST(BagFile, EmptyBagIsTwelveBytes) {
    TempDir dir;
    GBag empty;
    ASSERT_TRUE(saveBagFile(dir.file("e.bin").c_str(), empty, bagFileTag("MIX"), 3));
    EXPECT_EQ(dir.read("e.bin"), bytesFromHex("4D 49 58 00 03 00 00 00 00 00 00 00"));
    GBag kept;
    bagWriteString(kept, "as it was");
    ASSERT_TRUE(loadBagFile(dir.file("e.bin").c_str(), kept, bagFileTag("MIX"), 3));
    EXPECT_STREQ((const char*)kept.data, "as it was");
}

TEST(BagFile, PathMacrosAreExpanded) {
    TempDir dir;
    GString temp = tempFolder();
    std::string path = "$t" + dir.path().substr(temp.length) + "/macro.bin";
    GBag bag;
    bagWriteU8(bag, 5);
    ASSERT_TRUE(saveBagFile(path.c_str(), bag, kOpts, 1));
    EXPECT_TRUE(dir.exists("macro.bin"));
    GBag loaded;
    EXPECT_TRUE(loadBagFile(path.c_str(), loaded, kOpts, 1));
    EXPECT_EQ(loaded.size, 1u);
}

TEST(BagFile, RefusedFiles) {
    struct Case {
        const char* what;
        const char* hex;  // null: no file
        std::string text;  // the report, with "<name>" for the file's name
        int code;
        bool bagFreed;
    } cases[] = {
        {"another tag", "4F 50 54 58 01 00 00 00 00 00 00 00", "Bad type of file content.\n<name>.", 0, false},
        {"another version", "4F 50 54 53 02 00 00 00 00 00 00 00", "Bad version of file.\n<name>.", 0, false},
        {"shorter than the header", "4F 50 54 53 01 00",
         "Cannot read file.\n<name>.\nError Code: -1 (Unexpected end of file).", -1, false},
        {"body shorter than its length", "4F 50 54 53 01 00 00 00 05 00 00 00 61 62",
         "Cannot read file.\n<name>.\nError Code: -1 (Unexpected end of file).", -1, true},
        {"length near 4 GB", "4F 50 54 53 01 00 00 00 FE FF FF FF 61 62",
         "Cannot read file.\n<name>.\nError Code: -1 (Unexpected end of file).", -1, true},
        {"missing file", nullptr, "Cannot open or create file.\n<name>.\nError Code: 2 (No such file or directory).", 2,
         false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        if (c.hex) dir.write("s.bin", bytesFromHex(c.hex));
        std::string name = dir.file("s.bin");
        RecordingHandler handler;
        handler.answer = true;  // even a handler that says go on gets a failed load
        GBag bag;
        bagWriteString(bag, "before");
        EXPECT_FALSE(loadBagFile(name.c_str(), bag, kOpts, 1, &handler)) << c.what;
        ASSERT_EQ(handler.reports.size(), 1u) << c.what;
        std::string text = c.text;
        text.replace(text.find("<name>"), 6, name);
        EXPECT_EQ(handler.lastText(), text) << c.what;
        EXPECT_EQ(handler.lastCode(), c.code) << c.what;
        EXPECT_EQ(bag.data == nullptr, c.bagFreed) << c.what;
        GBag quiet;
        EXPECT_FALSE(loadBagFile(name.c_str(), quiet, kOpts, 1)) << c.what;
        EXPECT_TRUE(dir.list().size() <= 1u);
    }
}

TEST(BagFile, FailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
    TempDir dir;
    const std::string old = bytesFromHex("4F 50 54 53 01 00 00 00 01 00 00 00 2A");
    GBag bag;
    bagWriteString(bag, "new content");

    struct Case {
        const char* what;
        FileReplaceHook hook;
    } cases[] = {{"failing completion", failingReplace}, {"throwing completion", throwingReplace}};
    for (const Case& c : cases) {
        dir.write("keep.ini", old);
        ReplaceHookScope scope(c.hook);
        EXPECT_FALSE(saveBagFile(dir.file("keep.ini").c_str(), bag, kOpts, 1)) << c.what;
        EXPECT_EQ(dir.read("keep.ini"), old) << c.what;
        EXPECT_EQ(dir.list(), std::vector<std::string>{"keep.ini"}) << c.what;
    }

    // The old file is held open by another reader, so it cannot be moved away.
    dir.write("keep.ini", old);
    GFile holder;
    ASSERT_TRUE(fileOpen(holder, dir.file("keep.ini").c_str(), FileMode::Read));
    RecordingHandler handler;
    EXPECT_FALSE(saveBagFile(dir.file("keep.ini").c_str(), bag, kOpts, 1, &handler));
    EXPECT_FALSE(handler.reports.empty());
    fileClose(holder);
    EXPECT_EQ(dir.read("keep.ini"), old);
    EXPECT_EQ(dir.list(), std::vector<std::string>{"keep.ini"});

    // A folder that does not exist: the temporary cannot even be made.
    EXPECT_FALSE(saveBagFile(dir.file("none\\x.ini").c_str(), bag, kOpts, 1));
    EXPECT_EQ(dir.list(), std::vector<std::string>{"keep.ini"});
}
