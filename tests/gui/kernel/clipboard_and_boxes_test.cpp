#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/kernel/clipboard_text.h"
#include "gui/kernel/message_boxes.h"
#include "tests/gui/gui_fixture.h"

namespace {
std::string clipboardText() {
    std::string text = "<none>";
    if (!OpenClipboard(nullptr)) return "<closed>";
    if (HANDLE block = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(block));
        GlobalUnlock(block);
    }
    CloseClipboard();
    return text;
}

HANDLE g_refused = nullptr;
HANDLE WINAPI refuseData(UINT, HANDLE block) {
    g_refused = block;
    return nullptr;
}

struct Shown {
    const MessageBoxDescription* description;
    std::string text;
};
std::vector<Shown> g_shown;
i32 g_answer = 0;
i32 recordBox(const MessageBoxDescription* description, GWindow*, const char* text) {
    g_shown.push_back({description, text});
    return g_answer;
}
}  // namespace

TEST(ClipboardText, CopiesReadsBackEmptiesAndFreesARefusedBlock) {
    TestApplication app;
    EXPECT_TRUE(copyTextToClipboard("first line\r\nsecond"));
    EXPECT_EQ(clipboardText(), "first line\r\nsecond");
    EXPECT_TRUE(copyTextToClipboard(""));
    EXPECT_EQ(clipboardText(), "<none>");

    clipboardCalls.setData = refuseData;
    EXPECT_FALSE(copyTextToClipboard("refused"));
    clipboardCalls.setData = SetClipboardData;
    ASSERT_NE(g_refused, nullptr);
    EXPECT_EQ(GlobalSize(g_refused), 0u);  // freed
}

TEST(MessageBoxes, KindsAnswersCutTextsAndErrorsShownOnce) {
    setMessageBoxSink(recordBox);
    g_shown.clear();
    g_answer = 6;
    EXPECT_TRUE(askYesNoF("Delete %d files?", 3));
    g_answer = 7;
    EXPECT_FALSE(askYesNo("Again?"));
    g_answer = 1;
    EXPECT_TRUE(askOkCancelF("Go on %s", "now"));
    showInfoF("%s", std::string(5000, 'x').c_str());
    showError("plain");
    ASSERT_EQ(g_shown.size(), 5u);
    EXPECT_EQ(g_shown[0].description, &mbQuestion);
    EXPECT_EQ(g_shown[0].text, "Delete 3 files?");
    EXPECT_EQ(g_shown[2].description, &mbWarning);
    EXPECT_EQ(g_shown[3].text.size(), 4095u);
    EXPECT_EQ(g_shown[4].description, &mbError);

    g_shown.clear();
    resetReportedErrors();
    EXPECT_TRUE(reportErrorOnce(7, "codec missing"));
    EXPECT_FALSE(reportErrorOnce(7, "codec missing again"));
    EXPECT_TRUE(reportErrorOnce(8, "other"));
    ASSERT_EQ(g_shown.size(), 2u);
    EXPECT_EQ(g_shown[0].description, &mbInformation);
    EXPECT_EQ(g_shown[0].text, "codec missing");
    setMessageBoxSink(nullptr);
}
