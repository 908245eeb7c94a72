// The installation job and the removal, in the build's prefix: real files under a test folder,
// the real uninstall entry (HKLM: the entry's place), the real shell links and Wine's cmd.
#include "setup/install_job.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include "core/paths.h"
#include "gui/kernel/application.h"
#include "setup/install_record.h"
#include "setup/installation_removal.h"
#include "setup/registry_key.h"
#include "setup/update_step.h"
#include "tests/support/test_support.h"

namespace {
std::string fixture(const char* name) {
    return std::string(programFolder().c_str()) + "\\setup_fixtures\\" + name + ".exe";
}
const char* const kEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RavoSetupTestEntry";

std::string entryValue(const char* name) {
    char value[1024] = {};
    DWORD size = sizeof value, type = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    LONG r = RegQueryValueExA(key, name, nullptr, &type, (BYTE*)value, &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? value : "<none>";
}

bool isFile(const std::string& path) { return pathIsFile(path.c_str()); }
bool isFolder(const std::string& path) { return pathIsDirectory(path.c_str()); }

struct InstallFixture : ::testing::Test {
    void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kEntry); }
    void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kEntry); }
    // A job of the fixture installer into the folder.
    void prepare(const char* name, const std::string& folder) { prepare(job, name, folder); }
    void prepare(InstallJob& job, const char* name, const std::string& folder) {
        job.installerPath = GString(fixture(name).c_str());
        ASSERT_TRUE(readInstallRecord(job.installerPath.c_str(), &sink, &job.record, &job.index));
        job.targetText = GString(folder.c_str());
        job.handler = &sink;
    }
    // The installed copy's own record and index.
    void readInstalled(const std::string& exe, InstallRecord& record, GBag& index) {
        ASSERT_TRUE(hasInstallRecord(exe.c_str()));
        ASSERT_TRUE(readInstallRecord(exe.c_str(), &sink, &record, &index));
    }
    TempDir dir;
    RecordingHandler sink;
    InstallJob job;
};
}  // namespace

TEST_F(InstallFixture, InstallsFilesTailAndEntryAndRemovesOnlyWhatItListed) {
    std::string target = dir.file("Prog");
    // A foreign file in a listed folder and one beside the program.
    CreateDirectoryA(target.c_str(), nullptr);
    CreateDirectoryA((target + "\\Data").c_str(), nullptr);
    dir.write("Prog\\Data\\mine.txt", "mine");
    dir.write("Prog\\notes.txt", "notes");
    prepare("product", target);
    ASSERT_TRUE(job.run(nullptr)) << (sink.reports.empty() ? "" : sink.lastText());
    EXPECT_TRUE(job.succeeded);
    EXPECT_FALSE(job.running);
    for (const char* name : {"ravo.exe", "helper.dll", "readme.txt", "Data\\a.txt", "Data\\lang\\lang.xml"})
        EXPECT_TRUE(isFile(target + "\\" + name)) << name;
    EXPECT_EQ("read me\n", dir.read("Prog\\readme.txt"));
    std::string exe = target + "\\ravo.exe";
    EXPECT_EQ(dir.read("Prog\\ravo.exe").substr(0, job.record.imageSize),
              readWholeFile(fixture("product")).substr(0, job.record.imageSize));
    InstallRecord installed;
    GBag installedIndex;
    readInstalled(exe, installed, installedIndex);
    EXPECT_EQ(0u, installed.payloadSize);  // a normal start when run again
    EXPECT_EQ(job.index.size, installedIndex.size);
    EXPECT_EQ("Ravo Test", std::string(installed.displayName.c_str()));

    EXPECT_EQ("Ravo Test", entryValue("DisplayName"));
    EXPECT_EQ("Ravo Makers", entryValue("Publisher"));
    EXPECT_EQ("\"" + exe + "\" -uninstall -suicide", entryValue("UninstallString"));
    EXPECT_EQ(target, entryValue("InstallLocation"));
    EXPECT_EQ(exe, entryValue("DisplayIcon"));

    GString data = installDataFolder(installed);
    ASSERT_TRUE(data.length);
    CreateDirectoryA(data.c_str(), nullptr);
    CreateDirectoryA((std::string(data.c_str()) + "\\sub").c_str(), nullptr);
    RemovalResult result;
    EXPECT_EQ(1, removeInstallation(&sink, nullptr, target.c_str(), installed, installedIndex, nullptr, false, &result));
    for (const char* gone : {"ravo.exe", "helper.dll", "readme.txt", "license.htm", "Data\\a.txt", "Data\\lang"})
        EXPECT_FALSE(pathExists((target + "\\" + gone).c_str())) << gone;
    EXPECT_EQ("mine", dir.read("Prog\\Data\\mine.txt"));
    EXPECT_EQ("notes", dir.read("Prog\\notes.txt"));
    EXPECT_FALSE(result.filesLeft);
    EXPECT_FALSE(isFolder(data.c_str()));
    EXPECT_EQ("<no key>", entryValue("DisplayName"));
}

TEST_F(InstallFixture, DriveRootsAndTheWindowsFolderAreRefusedWithNothingWritten) {
    GString windows = windowsFolder();
    for (std::string folder : {std::string("C:\\"), std::string(windows.c_str()), std::string(windows.c_str()) + "\\system32"}) {
        SCOPED_TRACE(folder);
        sink.reports.clear();
        InstallJob job;
        prepare(job, "product", folder);
        EXPECT_FALSE(job.run(nullptr));
        ASSERT_EQ(1u, sink.reports.size());
        EXPECT_EQ("Cannot install into " + folder, sink.lastText());
        EXPECT_FALSE(job.running);
        EXPECT_FALSE(isFile(folder + (folder.back() == '\\' ? "" : "\\") + "readme.txt"));
        EXPECT_EQ("<no key>", entryValue("DisplayName"));
    }
}

TEST_F(InstallFixture, AFailedInstallTakesOnlyTheFilesItWrote) {
    for (bool existing : {true, false}) {
        SCOPED_TRACE(existing ? "into a used folder" : "into a new folder");
        std::string target = dir.file(existing ? "Used" : "New");
        if (existing) {
            CreateDirectoryA(target.c_str(), nullptr);
            CreateDirectoryA((target + "\\Data").c_str(), nullptr);
            dir.write("Used\\foreign.txt", "f");
            dir.write("Used\\Data\\foreign.txt", "g");
            dir.write("Used\\ravo.exe", "an older program");
        }
        InstallJob job;
        prepare(job, "failing", target);
        EXPECT_FALSE(job.run(nullptr));
        EXPECT_TRUE(job.running);  // stopped midway
        EXPECT_TRUE(isFile(target + "\\one.txt"));
        job.undo();
        EXPECT_FALSE(isFile(target + "\\one.txt"));
        EXPECT_FALSE(isFile(target + "\\Data\\b.txt"));
        if (existing) {
            EXPECT_EQ("f", dir.read("Used\\foreign.txt"));
            EXPECT_EQ("g", dir.read("Used\\Data\\foreign.txt"));
            EXPECT_TRUE(isFile(target + "\\ravo.exe"));  // it was there before
        } else {
            EXPECT_FALSE(isFolder(target));
        }
    }
}

TEST_F(InstallFixture, KeepingTheRunningFilesLeavesOnlyListedTopLevelProgramFiles) {
    std::string target = dir.file("Prog");
    prepare("product", target);
    ASSERT_TRUE(job.run(nullptr));
    dir.write("Prog\\X.EXE", "foreign");
    CreateDirectoryA((target + "\\Other").c_str(), nullptr);
    dir.write("Prog\\Other\\o.dll", "foreign");
    InstallRecord installed;
    GBag index;
    readInstalled(target + "\\ravo.exe", installed, index);
    RemovalResult result;
    EXPECT_EQ(1, removeInstallation(&sink, nullptr, target.c_str(), installed, index, nullptr, true, &result));
    EXPECT_TRUE(isFile(target + "\\ravo.exe"));
    EXPECT_TRUE(isFile(target + "\\helper.dll"));
    EXPECT_FALSE(isFile(target + "\\readme.txt"));
    EXPECT_FALSE(isFolder(target + "\\Data"));
    EXPECT_TRUE(isFile(target + "\\X.EXE"));
    EXPECT_TRUE(isFile(target + "\\Other\\o.dll"));
    std::vector<std::string> expected = {target + "\\helper.dll", target + "\\ravo.exe"};
    EXPECT_EQ(expected, result.keptFiles);
}

TEST_F(InstallFixture, AnOlderCopyWithoutIndexLosesOnlyItsProgram) {
    std::string target = dir.file("Old");
    prepare("product", target);
    ASSERT_TRUE(job.run(nullptr));
    GBag none;
    RemovalResult result;
    EXPECT_EQ(1, removeInstallation(&sink, nullptr, target.c_str(), job.record, none, nullptr, false, &result));
    EXPECT_FALSE(isFile(target + "\\ravo.exe"));
    EXPECT_TRUE(isFile(target + "\\readme.txt"));
    EXPECT_TRUE(isFile(target + "\\Data\\a.txt"));
    EXPECT_TRUE(result.filesLeft);
}

TEST(InstallDataFolder, NeedsOneNonEmptyComponent) {
    InstallRecord record;
    for (const char* bad : {"", ".", "..", "a\\b", "C:x"}) {
        record.folderName = GString(bad);
        EXPECT_EQ(0u, installDataFolder(record).length) << bad;
    }
    record.folderName = GString("Ravo");
    GString expected = specialFolder(CSIDL_APPDATA);
    pathJoin(expected, "Ravo");
    EXPECT_STREQ(expected.c_str(), installDataFolder(record).c_str());
}

TEST(SelfDeleteScript, NamesTheFilesDoublesPercentAndGivesUp) {
    std::vector<std::string> files = {"C:\\a%b\\ravo.exe", "C:\\a%b\\x.dll"};
    EXPECT_EQ("@echo off\r\n"
              "set tries=0\r\n"
              ":retry\r\n"
              "del \"C:\\a%%b\\ravo.exe\" >nul 2>nul\r\n"
              "del \"C:\\a%%b\\x.dll\" >nul 2>nul\r\n"
              "if exist \"C:\\a%%b\\ravo.exe\" goto wait\r\n"
              "if exist \"C:\\a%%b\\x.dll\" goto wait\r\n"
              "goto done\r\n"
              ":wait\r\n"
              "set /a tries+=1\r\n"
              "if %tries% geq 60 goto done\r\n"
              "ping -n 2 127.0.0.1 >nul\r\n"
              "goto retry\r\n"
              ":done\r\n"
              "rmdir \"C:\\a%%b\" >nul 2>nul\r\n"
              "del \"%~f0\" >nul 2>nul\r\n",
              selfDeleteScript("C:\\a%b", files));
}

namespace {
// Runs the script with Wine's cmd and waits for it.
DWORD runScript(const std::string& path) {
    std::string command = "cmd.exe /c \"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return (DWORD)-1;
    WaitForSingleObject(process.hThread, 0);
    DWORD wait = WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return wait;
}
}  // namespace

TEST(SelfDeleteScript, UnderCmdRemovesTheFilesTheFolderAndItself) {
    TempDir dir;
    std::string folder = dir.file("in%stall");
    CreateDirectoryA(folder.c_str(), nullptr);
    dir.write("in%stall\\ravo.exe", "x");
    dir.write("in%stall\\x.dll", "y");
    std::vector<std::string> files = {folder + "\\ravo.exe", folder + "\\x.dll"};
    dir.write("s.bat", selfDeleteScript(folder.c_str(), files, 3));
    ASSERT_EQ(WAIT_OBJECT_0, runScript(dir.file("s.bat")));
    EXPECT_FALSE(isFolder(folder));
    EXPECT_FALSE(dir.exists("s.bat"));

    // A file held open stops it after its tries; the file and folder stay.
    CreateDirectoryA(folder.c_str(), nullptr);
    dir.write("in%stall\\ravo.exe", "x");
    HANDLE held = CreateFileA(files[0].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    dir.write("s.bat", selfDeleteScript(folder.c_str(), files, 2));
    EXPECT_EQ(WAIT_OBJECT_0, runScript(dir.file("s.bat")));
    CloseHandle(held);
    EXPECT_TRUE(isFile(files[0]));
    EXPECT_FALSE(dir.exists("s.bat"));
}

TEST(RelocateShortcut, MovesWhatLayInsideTheBuildFolderOnly) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    {
        TempDir dir;
        std::string build = "C:\\build\\ravo";
        ShellLinkRecord link;
        link.path = GString((build + "\\bin\\ravo.exe").c_str());
        link.iconPath = GString((build + "\\ravo.ico").c_str());
        link.workingDirectory = GString("D:\\work");
        link.arguments = GString("-x");
        link.description = GString("Ravo");
        link.iconIndex = 2;
        ASSERT_TRUE(saveShellLink(link, dir.file("Ravo.lnk").c_str()));
        RecordingHandler sink;
        ASSERT_TRUE(relocateShortcut(&sink, "Ravo.lnk", build.c_str(), dir.path().c_str()));
        ShellLinkRecord moved;
        ASSERT_TRUE(loadShellLink(moved, dir.file("Ravo.lnk").c_str()));
        EXPECT_EQ(dir.file("bin\\ravo.exe"), moved.path.c_str());
        EXPECT_EQ(dir.file("ravo.ico"), moved.iconPath.c_str());
        EXPECT_STREQ("D:\\work", moved.workingDirectory.c_str());
        EXPECT_STREQ("-x", moved.arguments.c_str());
        EXPECT_EQ(2, moved.iconIndex);

        EXPECT_FALSE(relocateShortcut(&sink, "missing.lnk", build.c_str(), dir.path().c_str()));
        EXPECT_EQ("Cannot read shortcut " + dir.file("missing.lnk"), sink.lastText());
    }
    CoUninitialize();
}

// The shipped shortcuts: relocated, copied to the desktop and into the start menu's folder, gone
// from the install folder; without the two boxes only gone. The removal takes the copies again.
TEST_F(InstallFixture, ShortcutsAreCopiedOutOfTheFolderAndRemovedWithIt) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    const std::string build = "C:\\build\\ravo";
    const std::string desktop = specialFolder(CSIDL_DESKTOPDIRECTORY).c_str();
    const std::string menu = std::string(specialFolder(CSIDL_PROGRAMS).c_str()) + "\\RavoSetupTest Menu";
    ASSERT_FALSE(desktop.empty());
    for (bool ticked : {true, false}) {
        SCOPED_TRACE(ticked);
        std::string target = dir.file(ticked ? "Prog" : "Plain");
        ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
        // The installer's own copies of the links, made on the build machine.
        for (const char* name : {"Ravo Test.lnk", "Ravo Test Help.lnk"}) {
            ShellLinkRecord link;
            link.path = GString((build + "\\ravo.exe").c_str());
            link.workingDirectory = GString(build.c_str());
            ASSERT_TRUE(saveShellLink(link, (target + "\\" + name).c_str()));
        }
        InstallJob job;
        prepare(job, "product", target);
        stringAssignText(job.record.desktopShortcut, "Ravo Test.lnk");
        stringListAppend(job.record.shortcutNames, "Ravo Test Help.lnk");
        stringAssignText(job.record.startMenuFolder, "RavoSetupTest Menu");
        stringAssignText(job.record.buildFolder, build.c_str());
        job.desktopShortcut = job.startMenuShortcuts = ticked;
        ASSERT_TRUE(job.run(nullptr)) << (sink.reports.empty() ? "" : sink.lastText());
        EXPECT_FALSE(isFile(target + "\\Ravo Test.lnk"));
        EXPECT_FALSE(isFile(target + "\\Ravo Test Help.lnk"));
        EXPECT_EQ(ticked, isFile(desktop + "\\Ravo Test.lnk"));
        EXPECT_EQ(ticked, isFile(menu + "\\Ravo Test Help.lnk"));
        if (ticked) {
            ShellLinkRecord copied;
            ASSERT_TRUE(loadShellLink(copied, (menu + "\\Ravo Test Help.lnk").c_str()));
            EXPECT_EQ(target + "\\ravo.exe", copied.path.c_str());
            EXPECT_EQ(target, copied.workingDirectory.c_str());
        }
        InstallRecord installed;
        GBag index;
        readInstalled(target + "\\ravo.exe", installed, index);
        EXPECT_STREQ("Ravo Test.lnk", installed.desktopShortcut.c_str());
        ASSERT_EQ(1, removeInstallation(&sink, nullptr, target.c_str(), installed, index, nullptr, false, nullptr));
        EXPECT_FALSE(isFile(desktop + "\\Ravo Test.lnk"));
        EXPECT_FALSE(isFolder(menu));
        EXPECT_FALSE(isFolder(target));
    }
    CoUninitialize();
}

// The update's patch goes to the entry that the installed copy's record names.
TEST(UpdateEntry, TheInstalledCopyNamesItsUninstallEntry) {
    TempDir dir;
    RecordingHandler sink;
    ASSERT_TRUE(installProgramFiles(fixture("product").c_str(), nullptr, &sink, nullptr, dir.path().c_str(), nullptr));
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const struct {
        std::string path;
        const char* key;
    } cases[] = {{dir.file("ravo.exe"), "RavoSetupTestEntry"},
                 {fixture("product"), "RavoSetupTestEntry"},
                 {fixture("tree"), ""},
                 {self, ""},
                 {dir.file("missing.exe"), ""}};
    for (const auto& c : cases) EXPECT_STREQ(c.key, recordedUninstallKey(c.path.c_str()).c_str()) << c.path;
}
