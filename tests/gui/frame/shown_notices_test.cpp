#include "gui/frame/shown_notices.h"

#include <gtest/gtest.h>

#include "gui/kernel/message_box.h"
#include "tests/support/test_support.h"

namespace {

std::vector<std::string> shownTexts;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    shownTexts.push_back(text);
    return 1;
}

class ShownNoticesTest : public ::testing::Test {
protected:
    void SetUp() override {
        shownTexts.clear();
        setMessageBoxSink(recordBox);
        loadNotices("");
    }
    void TearDown() override {
        setMessageBoxSink(nullptr);
        loadNotices("");
    }
    TempDir dir;
};

std::string keysFile(std::initializer_list<u32> values) {
    std::string bytes;
    for (u32 v : values) bytes.append(reinterpret_cast<const char*>(&v), 4);
    return bytes;
}

}  // namespace

TEST_F(ShownNoticesTest, ANoticeIsShownOnceAndTheSetSurvivesASaveAndLoad) {
    EXPECT_TRUE(showNoticeOnce(30, "third"));
    EXPECT_FALSE(showNoticeOnce(30, "third"));
    EXPECT_TRUE(showNoticeOnce(10, "first"));
    markNoticeShown(20);
    markNoticeShown(20);  // once in the set
    EXPECT_EQ((std::vector<std::string>{"third", "first"}), shownTexts);
    EXPECT_EQ((std::vector<u32>{10, 20, 30}), shownNotices());
    for (u32 key : {10u, 20u, 30u}) EXPECT_GE(findNotice(key), 0);
    EXPECT_EQ(-1, findNotice(15));

    ASSERT_TRUE(saveNotices(dir.file("notices.bin").c_str()));
    EXPECT_EQ(keysFile({3, 10, 20, 30}), dir.read("notices.bin"));
    loadNotices("");
    EXPECT_TRUE(shownNotices().empty());
    loadNotices(dir.file("notices.bin").c_str());
    EXPECT_EQ((std::vector<u32>{10, 20, 30}), shownNotices());
    EXPECT_FALSE(showNoticeOnce(20, "second"));
    EXPECT_EQ(2u, shownTexts.size());
}

TEST_F(ShownNoticesTest, ADamagedFileGivesAnEmptySet) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"truncated keys", keysFile({3, 10, 20})},
        {"huge count", keysFile({0x40000000, 1})},
        {"short count", std::string("\x01\x00", 2)},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        markNoticeShown(5);
        dir.write("n.bin", c.bytes);
        loadNotices(dir.file("n.bin").c_str());
        EXPECT_TRUE(shownNotices().empty()) << c.name;
    }
    markNoticeShown(5);
    loadNotices(dir.file("missing.bin").c_str());
    EXPECT_TRUE(shownNotices().empty());
}
