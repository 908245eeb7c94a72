// The program's file dialogs and folder lists, and their categories on the path chain.
#include "app/program_file_dialogs.h"

#include <gtest/gtest.h>

#include <string>

#include "app/program_texts.h"
#include "core/paths.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/dialogs/folder_list.h"
#include "gui/dialogs/path_history.h"
#include "gui/kernel/life_record.h"

namespace {
std::string expanded(const char* folder) {
    if (!folder) return "";
    GString text(folder);
    expandPathMacros(text);
    return text.c_str();
}

std::string patternsOf(const GFolderList& list) {
    std::string out;
    for (u32 i = 0; i < list.patterns.count; ++i) out += std::string(stringListAt(list.patterns, i)) + " ";
    return out;
}
}  // namespace

TEST(ProgramFileDialogs, ExtensionsFoldersAndFilters) {
    const struct {
        GFileDialog* dialog;
        const char* extension;
        const char* folder;
    } cases[] = {
        {&notesFileDialog, "md", "$m"},          {&spectrumFileDialog, "ovt", "$m"},
        {&soundFileDialog, "wav", "$m"},         {&analyzedFileDialog, "wav", "$m"},
        {&secondSoundFileDialog, "wav", "$m"},   {&converterTargetDialog, "wav", "$m"},
        {&textReportDialog, "txt", "$m"},        {&harmonicTableDialog, "csv", "$m"},
        {&reverbPresetDialog, "rvr", "$m"},      {&mixerSettingsDialog, "mix", "$m"},
        {&equalizerPresetDialog, "eq", "$m"},    {&instrumentFileDialog, "mif", "$m"},
        {&backupFileDialog, "bak", "$m"},        {&midiFileDialog, "mid", "$m"},
        {&generalFileDialog, "", nullptr},       {&programFileDialog, "exe", "$e"},
    };
    ASSERT_EQ(sizeof cases / sizeof cases[0], (size_t)ProgramFileDialogCount);
    for (u32 i = 0; i < ProgramFileDialogCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(programFileDialogs[i], cases[i].dialog);
        EXPECT_STREQ(cases[i].dialog->defaultExtension.c_str(), cases[i].extension);
        EXPECT_EQ(cases[i].dialog->folderText.c_str(), expanded(cases[i].folder));
    }
    EXPECT_EQ(programFileDialogs[ProgramFileDialogCount], nullptr);
    EXPECT_NE(expanded("$m"), "");
    // One title for the sound dialogs; the general one empty, the programs one none.
    EXPECT_EQ(soundFileDialog.filterText, secondSoundFileDialog.filterText);
    EXPECT_EQ(soundFileDialog.filterText, converterTargetDialog.filterText);
    EXPECT_NE(soundFileDialog.filterText, analyzedFileDialog.filterText);
    ASSERT_NE(generalFileDialog.filterText, nullptr);
    EXPECT_STREQ(*generalFileDialog.filterText, "");
    EXPECT_EQ(programFileDialog.filterText, nullptr);
    // The history files walk the program's tables.
    EXPECT_EQ(registeredFileDialogs(), programFileDialogs);
    EXPECT_EQ(registeredFolderLists(), programFolderLists);
}

TEST(ProgramFileDialogs, FolderListMasks) {
    const struct {
        GFolderList* list;
        const char* patterns;
    } cases[] = {
        {&notesFolderList, "*.md *.* "},       {&spectrumFolderList, "*.ovt *.* "},
        {&soundFolderList, "*.* *.wav *.ravo *.mp3 *.ogg "}, {&analyzerFolderList, "*.* "},
        {&mixerFolderList, "*.mix *.* "},      {&instrumentFolderList, "*.bins *.* "},
    };
    for (u32 i = 0; i < ProgramFolderListCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(programFolderLists[i], cases[i].list);
        EXPECT_EQ(patternsOf(*cases[i].list), cases[i].patterns);
    }
    EXPECT_EQ(programFolderLists[ProgramFolderListCount], nullptr);
}

TEST(ProgramFileDialogs, CategoriesEnteredInOrderOnce) {
    registerFileCategories();
    registerFileCategories();
    const struct {
        GPathListener* object;
        u32 category;
    } expected[] = {
        {&notesFileDialog, 2},  {&spectrumFileDialog, 4},  {&soundFileDialog, 16},  {&mixerSettingsDialog, 1},
        {&instrumentFileDialog, 8}, {&analyzedFileDialog, 24}, {&notesFolderList, 2}, {&spectrumFolderList, 4},
        {&soundFolderList, 16}, {&mixerFolderList, 1},     {&instrumentFolderList, 8}, {&analyzerFolderList, 24},
    };
    u32 at = 0;
    for (ListenerNode* n = pathListenerList().first; n; n = n->next, ++at) {
        ASSERT_LT(at, 12u);
        EXPECT_EQ(static_cast<GLifeRecord*>(n)->object, expected[at].object) << at;
        EXPECT_EQ(expected[at].object->kindMask, expected[at].category) << at;
    }
    EXPECT_EQ(at, 12u);
}
