// The entry's step table and the steps of the shell: which class stands in which slot, the layout
// step's callback words, the work temp folder's own files, and the cap on restored windows.
#include "shell/program_settings_step.h"
#include "shell/startup_steps.h"

#include <gtest/gtest.h>

#include <typeindex>
#include <vector>

#include "app/settings_step.h"
#include "core/bag.h"
#include "core/bag_file.h"
#include "core/paths.h"
#include "gui/controls/splash_window.h"
#include "gui/dialogs/path_history.h"
#include "setup/update_step.h"
#include "gui/frame/window_layout_store.h"
#include "gui/kernel/toolkit_steps.h"
#include "mm/codec_plugin.h"
#include "shell/hand_over.h"
#include "shell/program_window.h"
#include "shell/step_table.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

namespace {
struct TableGuard {
    ~TableGuard() {
        clearStepTable();
        queuedFiles.clear();
    }
};

std::vector<i32> callbackWords;
GAppWindow* recordWord(i32 n) {
    callbackWords.push_back(n);
    return nullptr;
}
}  // namespace

TEST(StepTable, EachSlotHoldsItsStepAndNoOther) {
    TableGuard guard;
    EXPECT_EQ(2, parseCommandLine("-lang de \"C:\\a b.wav\" x.ovt -nop"));
    EXPECT_EQ((std::vector<std::string>{"C:\\a b.wav", "x.ovt"}), queuedFiles);
    fillStepTable(2);
    const struct {
        u32 slot;
        std::type_index type;
    } slots[] = {
        {0, typeid(CommonControlsStep)},    {1, typeid(AppIconsStep)},      {2, typeid(SplashStep)},
        {3, typeid(LanguageStep)},          {8, typeid(SettingsStep)},      {9, typeid(SettingsStep)},
        {10, typeid(ProgramSettingsStep)},  {11, typeid(ColorSchemeStep)},  {12, typeid(DataFolderStep)},
        {13, typeid(WorkTempFolderStep)},   {14, typeid(KeyBindingsStep)},  {15, typeid(PathHistoryStep)},
        {16, typeid(PathHistoryStep)},      {17, typeid(HistoryStep)},      {18, typeid(ActionStoreStep)},
        {19, typeid(WorkDirStep)},          {20, typeid(WindowLayoutStep)}, {21, typeid(ToolTipStep)},
        {22, typeid(HintsStep)},            {23, typeid(NoteNamesStep)},
        {25, typeid(UpdateCheckStep)},
    };
    std::vector<bool> used(InitStepSlots, false);
    for (const auto& s : slots) {
        used[s.slot] = true;
        ASSERT_NE(nullptr, initSteps[s.slot]) << s.slot;
        EXPECT_EQ(s.type, std::type_index(typeid(*initSteps[s.slot]))) << s.slot;
    }
    for (u32 i = 0; i < InitStepSlots; ++i) {
        if (!used[i]) {
            EXPECT_EQ(nullptr, initSteps[i]) << i;
        }
    }
    EXPECT_EQ("de", std::string(static_cast<LanguageStep*>(initSteps[3])->language.c_str()));
    // Each settings step over its own store.
    const char* stores[] = {"$d/kxgui_settings.ini", "$d/dizo_veduzuzo.ini", "$d/ravo_settings.ini"};
    for (u32 i = 0; i < 3; ++i)
        EXPECT_STREQ(stores[i], static_cast<SettingsStep*>(initSteps[8 + i])->path.c_str()) << 8 + i;
    EXPECT_EQ(initSteps[20], windowLayoutStep);
    // The two history steps read different files.
    EXPECT_FALSE(static_cast<PathHistoryStep*>(initSteps[15])->folderLists);
    EXPECT_TRUE(static_cast<PathHistoryStep*>(initSteps[16])->folderLists);

    clearStepTable();
    fillStepTable(1);
    for (u32 i = 0; i < InitStepSlots; ++i) EXPECT_EQ(i == 0 || i == 1 || i == 19, initSteps[i] != nullptr) << i;
}

TEST(StepTable, TheLayoutCallbackGetsMinusOneOnResetAndMinusTwoForNamedFiles) {
    TestApplication app;
    TableGuard guard;
    WindowLayoutStep layout("$d\\no_such_layout.ini", recordWord);
    windowLayoutStep = &layout;
    callbackWords.clear();
    layout.start(nullptr, true);
    // No store: the callback is asked for the default window.
    layout.start(nullptr, false);
    EXPECT_EQ((std::vector<i32>{-1, -1}), callbackWords);

    // Files on the command line: the work-folder step sets the word before the layout step runs.
    RecordingHandler handler;
    WorkDirStep workDir;
    queuedFiles = {"a.wav"};
    ASSERT_TRUE(workDir.start(&handler, false));
    EXPECT_NE(nullptr, codecPlugin().module);
    callbackWords.clear();
    layout.start(nullptr, false);
    EXPECT_EQ((std::vector<i32>{-2}), callbackWords);
    workDir.stop();
    EXPECT_EQ(nullptr, codecPlugin().module);
    EXPECT_TRUE(handler.reports.empty());
}

TEST(WorkTempFolder, StartAndStopRemoveOnlyTheProgramsFiles) {
    TempDir dir;
    GString marker = dataFolder();
    pathJoin(marker, "tempdir.dir");
    ASSERT_TRUE(setWorkTempFolder(dir.path().c_str()));
    struct Restore {
        GString path;
        ~Restore() {
            deleteFile(path.c_str());
            resetWorkTempFolder();
        }
    } restore{marker};

    dir.write("mine.wav", "user");
    dir.write("undo0001.tmp", "u");
    dir.write("cache0002.tmp", "c");
    WorkTempFolderStep step;
    ASSERT_TRUE(step.start(nullptr, false));
    EXPECT_EQ((std::vector<std::string>{"mine.wav"}), dir.list());
    dir.write("clip0003.tmp", "c");
    dir.write("temp_convert_4", "t");
    step.stop();
    EXPECT_EQ((std::vector<std::string>{"mine.wav"}), dir.list());
    EXPECT_TRUE(pathIsDirectory(dir.path().c_str()));

    // A folder holding only the program's files goes at stop.
    deleteFile(dir.file("mine.wav").c_str());
    step.start(nullptr, false);
    dir.write("renren0005.tmp", "r");
    step.stop();
    EXPECT_FALSE(pathExists(dir.path().c_str()));
    createDirectory(dir.path().c_str());
}

TEST(WindowLayout, ADamagedStoreOfManyTinyEntriesRestoresAFewWindows) {
    TestApplication app;
    TempDir dir;
    GBag bag;
    for (int i = 0; i < 1000; ++i) {
        bagWriteU32(bag, TypeObjectWindow);
        bagWriteU32(bag, 0);
    }
    std::string path = dir.file("ravo_layout.ini");
    ASSERT_TRUE(saveBagFile(path.c_str(), bag, bagFileTag("WLAY"), WindowLayoutVersion));
    u32 before = objectWindowCount;
    beginWindowRestore();
    EXPECT_EQ((u32)MaxRestoredWindows, loadWindowLayout(path.c_str(), rebuildMainWindow));
    EXPECT_EQ(before + MaxRestoredWindows, objectWindowCount);
    std::vector<HWND> made;
    for (GParentWindow* w : GAppWindow::windowListOrder()) made.push_back(w->hwnd);
    for (HWND h : made) destroyHidden(h);
    EXPECT_EQ(before, objectWindowCount);
}
