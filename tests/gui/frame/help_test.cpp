#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/paths.h"
#include "gui/frame/help.h"
#include "gui/frame/shown_notices.h"
#include "tests/support/test_support.h"

namespace {
std::vector<std::string>& opened() {
    static std::vector<std::string> addresses;
    return addresses;
}
void recordOpen(void*, const char* address) { opened().push_back(address); }

std::vector<u32> noticesAsked;
bool firstTime(u32 key) {
    noticesAsked.push_back(key);
    return noticesAsked.size() == 1;
}

std::string slashes(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}
}  // namespace

TEST(Help, PagesOpenAsFileAddressesOfTheHelpFolder) {
    const NoticeOnceHook storeHook = noticeOnce;
    shellOpen = recordOpen;
    noticeOnce = firstTime;
    char missing[] = "Help page not found: %s", notice[] = "Opens in your browser.";
    helpMissingText = missing;
    helpNoticeText = notice;
    opened().clear();
    recordedBoxes().clear();

    std::string folder = std::string(programFolder().c_str()) + "\\Data\\help";
    CreateDirectoryA((std::string(programFolder().c_str()) + "\\Data").c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string page = folder + "\\echo_test.htm";
    HANDLE file = CreateFileA(page.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);

    openHelp("http://example.invalid/a.htm", nullptr);
    openHelp("file://C:/x.htm", nullptr);
    openHelp("echo_test.htm", nullptr);
    openHelp("\\echo_test.htm", nullptr);  // no doubled separator
    openHelp("absent.htm", nullptr);
    DeleteFileA(page.c_str());

    std::string expected = "file://" + slashes(folder) + "/echo_test.htm";
    EXPECT_EQ(opened(), (std::vector<std::string>{"http://example.invalid/a.htm", "file://C:/x.htm", expected, expected}));
    ASSERT_EQ(recordedBoxes().size(), 2u);
    EXPECT_EQ(recordedBoxes()[0].text, "Opens in your browser.");  // once, with the first page
    EXPECT_EQ(recordedBoxes()[1].title, "Error");
    EXPECT_EQ(recordedBoxes()[1].text, "Help page not found: " + slashes(folder) + "/absent.htm");
    EXPECT_EQ(noticesAsked, (std::vector<u32>{2, 2, 2, 2}));

    helpMissingText = helpNoticeText = const_cast<char*>("");
    noticeOnce = storeHook;
    recordedBoxes().clear();
}

// Without a hook of its own the opener asks the store of shown notices: once ever.
TEST(Help, TheNoticeComesFromTheStoreOfShownNotices) {
    shellOpen = recordOpen;
    char notice[] = "Opens in your browser.";
    helpNoticeText = notice;
    recordedBoxes().clear();
    loadNotices("");  // an empty set
    openHelp("http://example.invalid/a.htm", nullptr);
    openHelp("http://example.invalid/b.htm", nullptr);
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0].text, "Opens in your browser.");
    EXPECT_GE(findNotice(2), 0);
    helpNoticeText = const_cast<char*>("");
    recordedBoxes().clear();
}
