// Folder lists, the path chain and the two history files: announcements reach the listeners by kind,
// the bytes of "GF__" and "QS__", files that are bad or cut, and the start step over a cut file.
#include "gui/dialogs/path_history.h"

#include <gtest/gtest.h>

#include <string>

#include "core/bag_file.h"
#include "core/exceptions.h"
#include "core/paths.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/dialogs/folder_list.h"
#include "tests/support/bag_hex.h"
#include "tests/support/test_support.h"

namespace {
std::string join(const StringList& list) {
    std::string out;
    for (u32 i = 0; i < list.count; ++i) out += std::string(i ? "|" : "") + (stringListAt(list, i) ? stringListAt(list, i) : "");
    return out;
}

// Takes the listeners out of the path chain at the end of a test.
struct Chain {
    ~Chain() {
        while (ListenerNode* n = pathListenerList().first) ListenerChain::unlink(static_cast<GLifeRecord*>(n));
        stringListClear(favouriteFolders());
        stringListClear(favouriteFiles());
    }
};
}  // namespace

TEST(PathNotice, RecordsByKindToDialogsAndLists) {
    Chain chain;
    TempDir dir;
    dir.write("take.wav", "x");
    GFileDialog notes(nullptr, "md", "C:\\"), sounds(nullptr, "wav", "C:\\"), analyzer(nullptr, "wav", "C:\\");
    GFolderList noteList("*.md\0"), soundList("*.*\0"), analyzerList("*.*\0");
    GFileDialog* dialogs[6] = {&notes, nullptr, &sounds, nullptr, nullptr, &analyzer};
    GFolderList* lists[6] = {&noteList, nullptr, &soundList, nullptr, nullptr, &analyzerList};
    registerRecentPathListeners(dialogs, lists);
    registerRecentPathListeners(dialogs, lists);  // the same masks: not again
    u32 count = 0;
    for (ListenerNode* n = pathListenerList().first; n; n = n->next) ++count;
    EXPECT_EQ(6u, count);
    EXPECT_EQ(&notes, static_cast<GLifeRecord*>(pathListenerList().first)->object);
    EXPECT_EQ(24u, analyzerList.kindMask);

    // A file: its path and parent; twice stays once, at the front.
    rememberDialogPath(16, dir.file("take.wav").c_str());
    rememberDialogPath(16, dir.file("other.wav").c_str());  // not there yet (a save)
    rememberDialogPath(16, dir.file("take.wav").c_str());
    EXPECT_EQ(dir.file("take.wav") + "|" + dir.file("other.wav"), join(soundList.recentNames));
    EXPECT_EQ(dir.path(), join(soundList.recentFolders));
    EXPECT_EQ(dir.path(), soundList.folder.c_str());
    EXPECT_EQ(dir.path(), sounds.folderText.c_str());
    EXPECT_EQ(join(soundList.recentNames), join(analyzerList.recentNames));  // 24 shares bit 16
    EXPECT_EQ("", join(noteList.recentNames));
    EXPECT_STREQ("C:\\", notes.folderText.c_str());

    // A folder: no name entry; kind 0 reaches nobody.
    rememberDialogPath(2, (dir.path() + "\\").c_str());
    EXPECT_EQ("", join(noteList.recentNames));
    EXPECT_EQ(dir.path(), join(noteList.recentFolders));
    EXPECT_EQ(dir.path(), notes.folderText.c_str());
    rememberDialogPath(0, "C:\\windows");
    EXPECT_EQ(dir.path(), notes.folderText.c_str());
    RecentPath empty;
    rememberDialogPath(empty);  // nothing sent, nothing thrown
    EXPECT_EQ(1u, noteList.recentFolders.count);

    stringListAppend(favouriteFiles(), "x");
    noteList.pattern = "";
    GFolderList* table[] = {&noteList, &soundList, nullptr};
    resetFolderLists(table);
    EXPECT_EQ(0u, soundList.recentNames.count + soundList.recentFolders.count + favouriteFiles().count);
    EXPECT_STREQ("*.md", noteList.pattern.c_str());
}

TEST(PathHistory, FileDialogBytes) {
    GFileDialog fresh(nullptr, "md", "C:\\a"), used(nullptr, "wav", "C:\\b");
    used.ofn.nFilterIndex = 2;
    used.setFileNames("C:\\b\\x.wav;y.wav");
    GFileDialog* table[] = {&fresh, &used, nullptr};
    GBag bag;
    writeFileDialogHistory(bag, table);
    EXPECT_EQ(
        "00 00 00 00 43 3A 5C 61 00 04 01 00 00 00 00 00 00 00 00 00 00 "
        "02 00 00 00 43 3A 5C 62 00 FE FF 00 00 0D 00 00 00 00 78 2E 77 61 76 00 79 2E 77 61 76 00 "
        "02 00 00 00 01 00 00 00 07 00 00 00",
        bagHex(bag));

    TempDir dir;
    ASSERT_TRUE(saveFileDialogHistory(dir.file("gf.ini").c_str(), table));
    EXPECT_EQ("47 46 5F 5F 02 00 00 00 3F 00 00 00 00 00 00 00", bytesHex(dir.read("gf.ini").substr(0, 16)));
    GFileDialog a(nullptr, "md", "C:\\z"), b(nullptr, "wav", "C:\\z");
    GFileDialog* loaded[] = {&a, &b, nullptr};
    ASSERT_TRUE(loadFileDialogHistory(dir.file("gf.ini").c_str(), loaded));
    GString names;
    b.getFileNames(names);
    EXPECT_STREQ("C:\\b\\x.wav;y.wav", names.c_str());
    EXPECT_EQ(2u, b.ofn.nFilterIndex);
    EXPECT_EQ(MultiNameChars, b.ofn.nMaxFile);
    EXPECT_STREQ("C:\\a", a.folderText.c_str());
    EXPECT_EQ(0u, a.nameOffsets.count);
}

TEST(PathHistory, BadAndCutFilesKeepTheStartValues) {
    TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
        bool fileRead;  // the file got past its header
    } cases[] = {
        {"wrong tag", "47 46 5F 58 02 00 00 00 05 00 00 00 00 00 00 00 00", false},
        {"wrong version", "47 46 5F 5F 03 00 00 00 05 00 00 00 00 00 00 00 00", false},
        {"buffer of 10^9", "47 46 5F 5F 02 00 00 00 0D 00 00 00 00 00 00 00 00 00 CA 9A 3B 00 00 00 00", true},
        {"names past the buffer", "47 46 5F 5F 02 00 00 00 0D 00 00 00 00 00 00 00 00 04 01 00 00 06 01 00 00", true},
        {"offset past the names",
         "47 46 5F 5F 02 00 00 00 17 00 00 00 01 00 00 00 00 04 01 00 00 02 00 00 00 61 00 01 00 00 00 02 00 00 00",
         true},
    };
    for (const Case& c : cases) {
        dir.write("gf.ini", bytesFromHex(c.bytes.c_str()));
        GFileDialog d(nullptr, "wav", "C:\\start");
        GFileDialog* table[] = {&d, nullptr};
        EXPECT_FALSE(loadFileDialogHistory(dir.file("gf.ini").c_str(), table)) << c.name;
        EXPECT_STREQ("C:\\start", d.folderText.c_str()) << c.name;
        EXPECT_EQ(0u, d.ofn.nFilterIndex) << c.name;
        EXPECT_EQ(FileNameChars, d.ofn.nMaxFile) << c.name;
    }
    // A bag cut inside the second record: the first keeps what it read, the caller gets the throw.
    GFileDialog first(nullptr, "md", "C:\\one"), second(nullptr, "md", "C:\\two");
    first.ofn.nFilterIndex = 3;
    GFileDialog* table[] = {&first, &second, nullptr};
    GBag bag;
    writeFileDialogHistory(bag, table);
    first.ofn.nFilterIndex = 0;
    bag.size -= 3;
    bag.pos = 0;
    EXPECT_THROW(readFileDialogHistory(bag, table), GBagException);
    EXPECT_EQ(3u, first.ofn.nFilterIndex);
    EXPECT_FALSE(loadFileDialogHistory(dir.file("missing.ini").c_str(), table));
}

TEST(PathHistory, FolderListBytesAndChecks) {
    Chain chain;
    GFolderList md("*.md\0"), bins("*.bins\0");
    stringAssignText(md.folder, "C:\\m");
    stringListAppend(md.recentFolders, "C:\\m");
    stringListAppend(md.recentFolders, "");
    stringListAppend(md.recentNames, "C:\\m\\a.md");
    stringListAppend(favouriteFiles(), "C:\\f.wav");
    stringAssignText(bins.folder, "");
    GFolderList* table[] = {&md, &bins, nullptr};
    GBag bag;
    writeFolderLists(bag, table);
    EXPECT_EQ(
        "04 00 00 00 43 3A 5C 6D 04 00 00 00 2A 2E 6D 64 02 00 00 00 04 00 00 00 43 3A 5C 6D 00 00 00 00 "
        "01 00 00 00 09 00 00 00 43 3A 5C 6D 5C 61 2E 6D 64 "
        "00 00 00 00 06 00 00 00 2A 2E 62 69 6E 73 00 00 00 00 00 00 00 00 "
        "00 00 00 00 01 00 00 00 08 00 00 00 43 3A 5C 66 2E 77 61 76",
        bagHex(bag));

    TempDir dir;
    ASSERT_TRUE(saveFolderLists(dir.file("qs.ini").c_str(), table));
    EXPECT_EQ("51 53 5F 5F 01 00 00 00", bytesHex(dir.read("qs.ini").substr(0, 8)));
    GFolderList md2("*.md\0"), bins2("*.bins\0");
    GFolderList* loaded[] = {&md2, &bins2, nullptr};
    stringListClear(favouriteFiles());
    ASSERT_TRUE(loadFolderLists(dir.file("qs.ini").c_str(), loaded));
    EXPECT_EQ("C:\\m|", join(md2.recentFolders));  // order and the empty text kept
    EXPECT_EQ("C:\\m\\a.md", join(md2.recentNames));
    EXPECT_STREQ("", bins2.folder.c_str());
    EXPECT_EQ("C:\\f.wav", join(favouriteFiles()));

    // Counts and lengths larger than what is left throw before anything is allocated.
    const char* cut[] = {"FF FF FF 7F", "00 00 00 00 00 00 00 00 FF FF FF 3F", "00 00 00 00 00 00 00 00 01 00 00 00 05 00 00 00 41"};
    for (const char* hex : cut) {
        GBag b;
        bagFromHex(b, hex);
        EXPECT_THROW(readFolderLists(b, loaded), GBagException) << hex;
    }
}

TEST(PathHistory, StartStepResetsAFamilyWhoseFileIsCut) {
    Chain chain;
    TempDir dir;
    GFolderList list("*.md\0");
    GFolderList* lists[] = {&list, nullptr};
    GFileDialog d(nullptr, "md", "C:\\");
    GFileDialog* dialogs[] = {&d, nullptr};
    registerFolderLists(lists);
    registerFileDialogs(dialogs);
    stringListAppend(list.recentNames, "C:\\kept.md");
    std::string qs = dir.file("qs.ini"), gf = dir.file("gf.ini");
    PathHistoryStep lists1(qs.c_str(), true), dialogs1(gf.c_str(), false);
    lists1.stop();
    dialogs1.stop();
    stringListClear(list.recentNames);
    EXPECT_TRUE(lists1.start(nullptr, false));
    EXPECT_EQ("C:\\kept.md", join(list.recentNames));
    EXPECT_TRUE(lists1.start(nullptr, true));  // the reset flag
    EXPECT_EQ("", join(list.recentNames));

    // The body cut in the middle of the names list: the start goes on with a reset family.
    stringListAppend(list.recentNames, "C:\\kept.md");
    lists1.stop();
    std::string bytes = dir.read("qs.ini");
    std::string body = bytes.substr(12, bytes.size() - 12 - 6);
    dir.write("qs.ini", bytes.substr(0, 8) + u32le((u32)body.size()) + body);
    stringListAppend(favouriteFiles(), "x");
    EXPECT_TRUE(lists1.start(nullptr, false));
    EXPECT_EQ(0u, list.recentNames.count + favouriteFiles().count);
    registerFolderLists(nullptr);
    registerFileDialogs(nullptr);
}
