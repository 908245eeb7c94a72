// The install and uninstall pages under Xvfb: what the page offers for a fresh and an existing
// installation, the licence gate, and the install and removal commands through the real job on
// the progress dialog's worker, into a test folder.
#include "setup/install_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include "core/paths.h"
#include "gui/controls/button.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/image_label.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/dialogs/path_field.h"
#include "gui/kernel/application.h"
#include "gui/kernel/message_box.h"
#include "setup/uninstall_dialog.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

namespace {
std::string fixture(const char* name) {
    return std::string(programFolder().c_str()) + "\\setup_fixtures\\" + name + ".exe";
}
const char* const kEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RavoSetupTestEntry";

std::vector<std::string> boxes;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    boxes.push_back(text);
    return IDOK;
}
bool rights = true;
bool fakeRights() { return rights; }

std::vector<std::string> scripts;
bool recordScript(const char* folder, const std::vector<std::string>& files) {
    scripts.push_back(folder);
    for (const std::string& file : files) scripts.push_back(file);
    return true;
}
std::string exeFolder;
GString fakeExeFolder() { return GString(exeFolder.c_str()); }

void writeEntry(const std::string& location, const char* name) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kEntry, &key));
    RegSetValueExA(key, "InstallLocation", 0, REG_SZ, (const BYTE*)location.c_str(), (DWORD)location.size() + 1);
    RegSetValueExA(key, "DisplayName", 0, REG_SZ, (const BYTE*)name, (DWORD)strlen(name) + 1);
    RegCloseKey(key);
}

struct InstallPageTest : ::testing::Test {
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kEntry);
        boxes.clear();
        scripts.clear();
        rights = true;
        machineRightsProbe = fakeRights;
        startSelfDeleteScript = recordScript;
        uninstallerFolder = fakeExeFolder;
        setMessageBoxSink(recordBox);
        ASSERT_TRUE(readInstallRecord(fixture("product").c_str(), &sink, &record, &index));
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kEntry);
        machineRightsProbe = canWriteMachineRegistry;
        startSelfDeleteScript = runSelfDeleteScript;
        uninstallerFolder = programFolder;
        setMessageBoxSink(nullptr);
    }
    std::unique_ptr<GInstallDialog> page() {
        std::unique_ptr<GInstallDialog> d(new GInstallDialog);
        EXPECT_TRUE(d->buildPage(fixture("product").c_str(), record, index));
        return d;
    }
    static bool enabled(GWindow* w) { return w && IsWindowEnabled(w->hwnd); }
    static void click(GWindow* w) {
        RECT r;
        GetClientRect(w->hwnd, &r);
        LPARAM at = MAKELPARAM(6, r.bottom / 2);
        SendMessageA(w->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(w->hwnd, WM_LBUTTONUP, 0, at);
    }
    TestApplication test;
    TempDir dir;
    RecordingHandler sink;
    InstallRecord record;
    GBag index;
};
}  // namespace

TEST_F(InstallPageTest, AFreshPageOffersTheDefaultFolderAndTheLicenceGatesInstall) {
    auto d = page();
    EXPECT_TRUE(d->isKindOf(123) && d->isKindOf(7) && d->isKindOf(2) && d->isKindOf(1));
    char title[256] = {};
    GetWindowTextA(d->hwnd, title, sizeof title);
    EXPECT_STREQ("Install - Ravo Test", title);
    GString expected = specialFolder(CSIDL_PROGRAM_FILES);
    pathJoin(expected, "RavoSetupTest");
    EXPECT_STREQ(expected.c_str(), d->folderText().c_str());
    EXPECT_TRUE(enabled(d->folderField->editLine()));
    EXPECT_EQ(nullptr, d->removeButton);
    ASSERT_NE(nullptr, d->licenseBox);
    EXPECT_NE(nullptr, d->runAfterBox);
    EXPECT_EQ(nullptr, d->desktopBox);  // the record names no shortcut
    EXPECT_FALSE(enabled(d->installButton));
    click(d->licenseBox);
    EXPECT_TRUE(d->licenseBox->isChecked());
    EXPECT_TRUE(enabled(d->installButton));
    click(d->licenseBox);
    EXPECT_FALSE(enabled(d->installButton));

    // Without rights the default is on drive C.
    rights = false;
    auto user = page();
    EXPECT_STREQ("C:\\RavoSetupTest", user->folderText().c_str());
}

TEST_F(InstallPageTest, AnExistingEntryFixesTheFolderAndOffersRemovalUnlessRightsAreMissing) {
    writeEntry(dir.file("Prog"), "Old Ravo");
    auto d = page();
    EXPECT_EQ(dir.file("Prog"), d->folderText().c_str());
    EXPECT_FALSE(enabled(d->folderField->editLine()));
    EXPECT_NE(nullptr, d->removeButton);
    EXPECT_EQ(0u, std::string(d->spaceLine->text.c_str()).find("Updates the installation of Old Ravo. Space needed: "));

    GString programFiles = specialFolder(CSIDL_PROGRAM_FILES);
    writeEntry(std::string(programFiles.c_str()) + "\\RavoSetupTest", "Old Ravo");
    rights = false;
    auto blocked = page();
    EXPECT_EQ(nullptr, blocked->removeButton);
    click(blocked->licenseBox);
    EXPECT_FALSE(enabled(blocked->installButton));
    EXPECT_STREQ("Administrator rights are needed to change this installation.", blocked->spaceLine->text.c_str());
}

// The record's picture is drawn on the page; a member that is no picture, or is missing, is
// reported and the page is built without it.
TEST_F(InstallPageTest, ThePagePictureIsDrawnAndAFailureLeavesItOut) {
    std::string pictured = fixture("pictured");
    InstallRecord withLogo;
    GBag logoIndex;
    ASSERT_TRUE(readInstallRecord(pictured.c_str(), &sink, &withLogo, &logoIndex));
    {
        GInstallDialog d;
        ASSERT_TRUE(d.buildPage(pictured.c_str(), withLogo, logoIndex));
        ASSERT_NE(nullptr, d.logoLabel);
        EXPECT_TRUE(boxes.empty());
        SetWindowPos(d.hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        UpdateWindow(d.hwnd);
        RECT r;
        GetClientRect(d.logoLabel->hwnd, &r);
        EXPECT_EQ(8, r.right);
        EXPECT_EQ(8, r.bottom);
        HDC dc = GetDC(d.logoLabel->hwnd);
        EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 4, 4));
        ReleaseDC(d.logoLabel->hwnd, dc);
        destroyHidden(d.hwnd);
    }
    const struct {
        const char* member;
        const char* box;
    } failures[] = {{"broken.bmp", "Cannot show the picture broken.bmp"}, {"missing.bmp", "missing.bmp"}};
    for (const auto& f : failures) {
        SCOPED_TRACE(f.member);
        boxes.clear();
        InstallRecord changed = withLogo;
        stringAssignText(changed.logoMember, f.member);
        GInstallDialog d;
        ASSERT_TRUE(d.buildPage(pictured.c_str(), changed, logoIndex));
        EXPECT_EQ(nullptr, d.logoLabel);
        ASSERT_EQ(1u, boxes.size());
        EXPECT_NE(std::string::npos, boxes[0].find(f.box)) << boxes[0];
        EXPECT_NE(nullptr, d.installButton);
        destroyHidden(d.hwnd);
    }
}

TEST_F(InstallPageTest, InstallThenRemoveThroughThePageAndUninstallThroughItsDialog) {
    std::string target = dir.file("Prog");
    CreateDirectoryA(target.c_str(), nullptr);
    dir.write("Prog\\foreign.txt", "keep");
    writeEntry(target, "Old Ravo");
    {
        auto d = page();
        click(d->licenseBox);
        d->runAfterBox->setChecked(0);
        ASSERT_TRUE(d->onCommand(InstallCommand, nullptr));
        EXPECT_TRUE(d->job.succeeded);
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ("Installed into " + target + ".", boxes[0]);
        EXPECT_TRUE(dir.exists("Prog\\ravo.exe") && dir.exists("Prog\\Data\\a.txt"));
    }
    {
        // Command 3 goes by the installed copy's own list.
        boxes.clear();
        auto d = page();
        ASSERT_TRUE(d->onCommand(InstallRemove, nullptr));
        EXPECT_EQ(1, d->removalResult);
        EXPECT_FALSE(dir.exists("Prog\\ravo.exe") || dir.exists("Prog\\readme.txt") || dir.exists("Prog\\Data"));
        EXPECT_EQ("keep", dir.read("Prog\\foreign.txt"));
        HKEY key;
        EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_READ, &key));
    }
    // The uninstaller: without an entry it cleans its own folder; the script follows a success only.
    RecordingHandler quiet;
    InstallJob job;
    job.installerPath = GString(fixture("product").c_str());
    ASSERT_TRUE(readInstallRecord(job.installerPath.c_str(), &quiet, &job.record, &job.index));
    job.targetText = GString(target.c_str());
    job.handler = &quiet;
    ASSERT_TRUE(job.run(nullptr));
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kEntry);
    exeFolder = target;
    InstallRecord installed;
    GBag installedIndex;
    ASSERT_TRUE(readInstallRecord((target + "\\ravo.exe").c_str(), &quiet, &installed, &installedIndex));
    for (bool failing : {true, false}) {
        SCOPED_TRACE(failing ? "failing" : "going through");
        scripts.clear();
        boxes.clear();
        GUninstallDialog u;
        u.suicideRequested = true;
        ASSERT_TRUE(u.build(installed, installedIndex));
        EXPECT_TRUE(u.isKindOf(124) && u.isKindOf(7));
        // A file held open fails the removal.
        HANDLE held = failing ? CreateFileA((target + "\\readme.txt").c_str(), GENERIC_READ, 0, nullptr,
                                            OPEN_EXISTING, 0, nullptr)
                              : INVALID_HANDLE_VALUE;
        ASSERT_TRUE(u.onCommand(1, nullptr));
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_EQ(target, u.installFolder.c_str());
        if (failing) {
            EXPECT_EQ(-1, u.jobResult);
            EXPECT_TRUE(scripts.empty());
            ASSERT_FALSE(boxes.empty());
            EXPECT_EQ(0u, boxes[0].find("Cannot delete file"));
        } else {
            EXPECT_EQ(1, u.jobResult);
            std::vector<std::string> expected = {target, target + "\\helper.dll", target + "\\ravo.exe"};
            EXPECT_EQ(expected, scripts);
            EXPECT_TRUE(dir.exists("Prog\\ravo.exe") && dir.exists("Prog\\helper.dll"));
            EXPECT_FALSE(dir.exists("Prog\\readme.txt") || dir.exists("Prog\\Data"));
            EXPECT_EQ("keep", dir.read("Prog\\foreign.txt"));
        }
    }
}
