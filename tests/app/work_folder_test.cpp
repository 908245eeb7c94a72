// The work folder: its file in the data folder and the dialogs and folder lists it re-points.
#include "app/work_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/program_file_dialogs.h"
#include "core/paths.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/dialogs/folder_list.h"
#include "tests/support/test_support.h"

namespace {

std::string workFile() {
    GString path = dataFolder();
    pathJoin(path, "workdir.dir");
    return path.c_str();
}

// Keeps the program's dialogs and lists as they were and removes the file around each test.
class WorkFolder : public testing::Test {
protected:
    void SetUp() override {
        ensureDataFolder();
        DeleteFileA(workFile().c_str());
        for (GFileDialog* const* d = programFileDialogs; *d; ++d) dialogFolders.push_back((*d)->folderText.c_str());
        for (GFolderList* const* l = programFolderLists; *l; ++l) listFolders.push_back((*l)->folder.c_str());
    }
    void TearDown() override {
        DeleteFileA(workFile().c_str());
        u32 i = 0;
        for (GFileDialog* const* d = programFileDialogs; *d; ++d) (*d)->folderText = dialogFolders[i++].c_str();
        i = 0;
        for (GFolderList* const* l = programFolderLists; *l; ++l) (*l)->folder = listFolders[i++].c_str();
    }

    std::vector<std::string> dialogFolders, listFolders;
};

u64 writeTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (u64)data.ftLastWriteTime.dwHighDateTime << 32 | data.ftLastWriteTime.dwLowDateTime;
}

}  // namespace

TEST_F(WorkFolder, FirstStartTakesTheMusicFolderAndStoresItNormalised) {
    GString path("left over");
    EXPECT_FALSE(loadWorkDirectory(path));
    EXPECT_STREQ(path.c_str(), musicFolder().c_str());

    setWorkDirectory(path.c_str());
    GString normal = musicFolder();
    normalizePath(normal);
    EXPECT_EQ(readWholeFile(workFile()), normal.c_str());  // no line end, no NUL
    for (GFileDialog* const* d = workFolderDialogs; *d; ++d) EXPECT_STREQ((*d)->folderText.c_str(), normal.c_str());
    for (GFolderList* const* l = programFolderLists; *l; ++l) EXPECT_STREQ((*l)->folder.c_str(), normal.c_str());
    // The general and programs dialogs keep their own folders.
    EXPECT_STREQ(generalFileDialog.folderText.c_str(), dialogFolders[14].c_str());
    EXPECT_STREQ(programFileDialog.folderText.c_str(), dialogFolders[15].c_str());

    GString again;
    EXPECT_TRUE(loadWorkDirectory(again));
    EXPECT_STREQ(again.c_str(), normal.c_str());
}

TEST_F(WorkFolder, MacroPathStoredExpandedAndTheSameFolderTwiceLeavesTheFile) {
    setWorkDirectory("$m/sub\\");
    GString normalMusic = musicFolder();
    normalizePath(normalMusic);
    const std::string expected = std::string(normalMusic.c_str()) + "\\sub";
    EXPECT_EQ(readWholeFile(workFile()), expected);
    EXPECT_STREQ(soundFileDialog.folderText.c_str(), expected.c_str());

    // An old write time survives a second call with the same folder.
    HANDLE h = CreateFileA(workFile().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME old{0x12345678, 0x01C00000};
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &old));
    CloseHandle(h);
    u64 before = writeTime(workFile());
    setWorkDirectory(expected.c_str());
    EXPECT_EQ(writeTime(workFile()), before);
    setWorkDirectory("$m\\other");
    EXPECT_NE(writeTime(workFile()), before);
}

TEST_F(WorkFolder, ADialogAlreadyThereKeepsItsFolderAndIsCleared) {
    GString normal = musicFolder();
    normalizePath(normal);
    soundFileDialog.folderText = normal;
    soundFileDialog.setFileNames("take.wav");
    soundFileDialog.ofn.nFilterIndex = 3;
    ASSERT_STREQ(soundFileDialog.nameBuffer, "take.wav");

    const char* before = soundFileDialog.folderText.c_str();
    setWorkDirectory(normal.c_str());
    EXPECT_EQ(soundFileDialog.folderText.c_str(), before);  // the same text, not replaced
    EXPECT_STREQ(soundFileDialog.nameBuffer, "");
    EXPECT_EQ(soundFileDialog.ofn.nFilterIndex, 0u);
}
