// The command line: options, run modes, the localizer of the run, the rights restart and the
// installer-mode run with its question and lock. Installers come from the setup fixtures.
#include "shell/command_line.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "core/paths.h"
#include "gui/kernel/application.h"
#include "gui/kernel/init_step.h"
#include "gui/kernel/message_box.h"
#include "app/installer_texts.h"
#include "app/text_modules.h"
#include "gui/views/language_dialog.h"
#include "gui/views/localization_object.h"
#include "gui/views/box.h"
#include "setup/install_job.h"
#include "shell/hand_over.h"
#include "shell/startup_steps.h"
#include "shell/step_table.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

namespace {
std::string fixture(const char* name) {
    return std::string(programFolder().c_str()) + "\\setup_fixtures\\" + name + ".exe";
}

std::vector<std::string> toolkitBoxes;
i32 answerNo(const MessageBoxDescription*, GWindow*, const char* text) {
    toolkitBoxes.push_back(text);
    return IDNO;
}

std::vector<std::string> relaunches;
bool relaunchRefused = false;
bool recordRelaunch(const char* parameters) {
    relaunches.push_back(parameters);
    return !relaunchRefused;
}
bool rights = true;
bool fakeRights() { return rights; }

std::vector<std::string> pagesRun;
i32 recordInstallPage(const char* path, bool) {
    pagesRun.push_back(std::string("install ") + path);
    return 2;
}
i32 recordUninstallPage(const char* path, bool) {
    pagesRun.push_back(std::string("uninstall ") + path);
    return 2;
}

struct CommandLineTest : ::testing::Test {
    void SetUp() override {
        toolkitBoxes.clear();
        relaunches.clear();
        pagesRun.clear();
        recordedBoxes().clear();
        relaunchRefused = false;
        rights = true;
        elevatedRelaunch = recordRelaunch;
        machineRightsProbe = fakeRights;
        runInstallPage = recordInstallPage;
        runUninstallPage = recordUninstallPage;
        setMessageBoxSink(answerNo);
    }
    void TearDown() override {
        elevatedRelaunch = relaunchElevated;
        machineRightsProbe = canWriteMachineRegistry;
        setMessageBoxSink(nullptr);
        if (installLock.fp) fileCloseQuietly(installLock);
        clearStepTable();
        queuedFiles.clear();
        extractPayloadMember = nullptr;
    }
    TempDir dir;
};
}  // namespace

TEST_F(CommandLineTest, OptionsModesAndTheLocalizerOfTheRun) {
    // An installed copy: the image with a record whose payload size is 0.
    RecordingHandler sink;
    ASSERT_TRUE(installProgramFiles(fixture("product").c_str(), nullptr, &sink, nullptr, dir.path().c_str(), nullptr));
    std::string product = fixture("product"), installed = dir.file("ravo.exe");
    const struct {
        std::string command;
        i32 result;
        bool install, uninstall, packedTexts;
        std::string code;
        std::vector<std::string> files;
    } cases[] = {
        {"", 2, false, false, false, "", {}},
        {"-lang de a.wav -nop \"b c.wav\"", 2, false, false, false, "de", {"a.wav", "b c.wav"}},
        {"x.wav -lang", 2, false, false, false, "", {"x.wav"}},
        {"-idata", 2, false, false, false, "", {}},
        {"-install -uninstall -idata \"" + product + "\"", 1, false, true, true, "", {}},
        {"-idata \"" + product + "\" -lang fr", 1, true, false, true, "fr", {}},
        {"-idata \"" + product + "\" -diskloc", 1, true, false, false, "", {}},
        {"-idata \"" + installed + "\"", 2, false, false, false, "", {}},
        {"-uninstall -idata \"" + installed + "\"", 1, false, true, false, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        clearStepTable();
        EXPECT_EQ(c.result, parseCommandLine(c.command.c_str()));
        EXPECT_EQ(c.install, commandLineState.installRequested);
        EXPECT_EQ(c.uninstall, commandLineState.uninstallRequested);
        EXPECT_EQ(c.code, commandLineState.languageCode.c_str());
        EXPECT_EQ(c.files, std::vector<std::string>(queuedFiles.begin(), queuedFiles.end()));
        ASSERT_NE(nullptr, initSteps[SlotLanguage]);
        EXPECT_EQ(c.packedTexts, initSteps[SlotLanguage] != (GInitStep*)&diskLanguageStep());
        EXPECT_EQ(c.packedTexts, extractPayloadMember != nullptr);
    }
    EXPECT_TRUE(relaunches.empty());

    // The packed texts' hook reads the installer named by "-idata".
    ASSERT_EQ(1, parseCommandLine(("-idata \"" + product + "\"").c_str()));
    ASSERT_TRUE(extractPayloadMember("Data\\lang\\lang.xml", dir.file("list.xml").c_str()));
    EXPECT_EQ("<languages/>", dir.read("list.xml"));
    EXPECT_FALSE(extractPayloadMember("Data\\lang\\missing.lng", dir.file("m.lng").c_str()));

    // A missing data file: the open error in a box, and the end.
    recordedBoxes().clear();
    EXPECT_EQ(0, parseCommandLine(("-idata \"" + dir.file("none.exe") + "\"").c_str()));
    ASSERT_EQ(1u, recordedBoxes().size());
    EXPECT_EQ("Error", recordedBoxes()[0].title);
}

TEST_F(CommandLineTest, WithoutRightsItRestartsOnceElevatedThenAsks) {
    std::string command = "-idata \"" + fixture("product") + "\"";
    rights = false;
    EXPECT_EQ(0, parseCommandLine(command.c_str()));
    ASSERT_EQ(1u, relaunches.size());
    EXPECT_EQ("-admin " + command, relaunches[0]);

    // A refused restart goes on without rights; so does the restarted one, without a loop.
    relaunchRefused = true;
    EXPECT_EQ(1, parseCommandLine(command.c_str()));
    EXPECT_EQ(2u, relaunches.size());
    EXPECT_EQ(1, parseCommandLine(("-admin " + command).c_str()));
    EXPECT_EQ(2u, relaunches.size());
    EXPECT_FALSE(commandLineState.isAdministrator);
    // The question answered No ends the run before anything is shown.
    EXPECT_FALSE(runInstallerMode());
    ASSERT_EQ(1u, toolkitBoxes.size());
    EXPECT_EQ("No administrator rights. Go on anyway?", toolkitBoxes[0]);
    EXPECT_TRUE(pagesRun.empty());
}

TEST_F(CommandLineTest, TheLockStopsASecondInstallerAndTheModesPickTheirPage) {
    std::string product = fixture("product");
    GString lockPath = tempFolder();
    pathJoin(lockPath, kInstallLockName);
    // Another installer holds the lock.
    HANDLE held = CreateFileA(lockPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_EQ(1, parseCommandLine(("-idata \"" + product + "\"").c_str()));
    EXPECT_FALSE(runInstallerMode());
    ASSERT_EQ(1u, toolkitBoxes.size());
    EXPECT_EQ("Another installer is running.", toolkitBoxes[0]);
    EXPECT_TRUE(pagesRun.empty());
    CloseHandle(held);

    const struct {
        std::string command;
        std::string page;  // or the message
    } cases[] = {
        {"-idata \"" + product + "\"", "install " + product},
        {"-uninstall -idata \"" + product + "\"", "uninstall " + product},
        {"-install", "is not an installer."},
        {"-uninstall", "Nothing is installed by "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        toolkitBoxes.clear();
        pagesRun.clear();
        ASSERT_EQ(1, parseCommandLine(c.command.c_str()));
        EXPECT_FALSE(runInstallerMode());
        if (c.page.rfind("install", 0) == 0 || c.page.rfind("uninstall", 0) == 0) {
            EXPECT_EQ(std::vector<std::string>{c.page}, pagesRun);
            EXPECT_TRUE(toolkitBoxes.empty());
        } else {
            EXPECT_TRUE(pagesRun.empty());
            ASSERT_EQ(1u, toolkitBoxes.size());
            EXPECT_NE(std::string::npos, toolkitBoxes[0].find(c.page));
        }
        // The lock is held until the program ends.
        EXPECT_EQ(INVALID_HANDLE_VALUE,
                  CreateFileA(lockPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
        fileCloseQuietly(installLock);
    }
    ASSERT_EQ(2, parseCommandLine(""));
    EXPECT_TRUE(runInstallerMode());
}

// A running editor that does not end: after the message to close it, the question whether to wait
// on; No ends the installer run before any page.
TEST_F(CommandLineTest, ARunningEditorThatDoesNotEndLetsTheUserEndTheRun) {
    ASSERT_TRUE(ensureDataFolder());
    std::string folder = dataFolder().c_str();
    std::string lockPath = folder + "\\running", commandPath = folder + "\\command";
    // The editor's lock; in this process it may be held already.
    HANDLE held = CreateFileA(lockPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    i32 savedWait = runningStopWaitMs;
    runningStopWaitMs = 200;
    ASSERT_EQ(1, parseCommandLine(("-idata \"" + fixture("product") + "\"").c_str()));
    EXPECT_FALSE(runInstallerMode());
    runningStopWaitMs = savedWait;
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    std::string asked;
    std::ifstream(commandPath) >> asked;
    DeleteFileA(commandPath.c_str());
    EXPECT_EQ("-stop", asked);
    ASSERT_EQ(2u, toolkitBoxes.size());
    EXPECT_EQ("Ravo is still running. Close it to go on.", toolkitBoxes[0]);
    EXPECT_EQ("The program still runs. Wait for it to end? (No ends the installation.)", toolkitBoxes[1]);
    EXPECT_TRUE(pagesRun.empty());
}

// An installer's texts: its packed language (chosen in the language dialog, as a user does) unless
// "-diskloc" asks for the files beside the program; without the packed list the start ends.
TEST_F(CommandLineTest, AnInstallerSpeaksItsPackedLanguageUnlessDiskFilesAreAsked) {
    setMessageBoxSink(nullptr);
    TestApplication test;
    struct Restore {
        ~Restore() {
            for (u32 i = 0; i < programTextModuleCount; ++i) restoreDefaultTexts(*programTextModules[i]);
        }
    } restore;
    const std::string localized = "-idata \"" + fixture("localized") + "\"";
    ASSERT_EQ(1, parseCommandLine(localized.c_str()));
    ASSERT_NE((GInitStep*)&diskLanguageStep(), initSteps[SlotLanguage]);
    std::vector<std::string> offered;
    ModalScript script(TypeLanguageDialog, {[&](GDialog& d) {
                                               GLanguageDialog& dialog = static_cast<GLanguageDialog&>(d);
                                               for (i32 i = 0; i < dialog.list->itemCount(); ++i) {
                                                   char* text = dialog.list->itemText(i);
                                                   offered.push_back(text ? text : "");
                                                   delete[] text;
                                               }
                                               ModalScript::click(d, 1);
                                           }});
    RecordingHandler sink;
    ASSERT_TRUE(initSteps[SlotLanguage]->start(&sink, false)) << (sink.reports.empty() ? "" : sink.lastText());
    EXPECT_EQ(std::vector<std::string>{"Testish"}, offered);
    EXPECT_STREQ("[xx] Install", installerText(InstallerText::InstallTitle));
    EXPECT_STREQ("[xx] %s is not an installer.", installerText(InstallerText::NotAnInstaller));

    // The disk files beside the test program are English.
    ASSERT_EQ(1, parseCommandLine((localized + " -diskloc").c_str()));
    ASSERT_EQ((GInitStep*)&diskLanguageStep(), initSteps[SlotLanguage]);
    ASSERT_TRUE(initSteps[SlotLanguage]->start(&sink, false));
    EXPECT_STREQ("Install", installerText(InstallerText::InstallTitle));
    EXPECT_EQ(1, script.runs);

    // No packed list: reported with the member's name, and the start fails.
    ASSERT_EQ(1, parseCommandLine(("-idata \"" + fixture("unlisted") + "\"").c_str()));
    sink.reports.clear();
    EXPECT_FALSE(initSteps[SlotLanguage]->start(&sink, false));
    ASSERT_EQ(1u, sink.reports.size());
    EXPECT_NE(std::string::npos, sink.lastText().find("Localization loading failed.")) << sink.lastText();
    EXPECT_NE(std::string::npos, sink.lastText().find("Data\\lang\\lang.xml")) << sink.lastText();
    EXPECT_EQ(1, script.runs);
}
