#include "setup/update_checker.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "gui/kernel/application.h"
#include "gui/kernel/message_box.h"
#include "setup/registry_key.h"
#include "tests/setup/update_fixture.h"
#include "tests/support/test_support.h"

namespace {
struct Start {
    std::string file, parameters, folder;
    bool runAs;
};
std::vector<Start> starts;
int quits;
bool launchWorks;
std::vector<std::string> boxTexts;

struct Apply : ::testing::Test {
    void SetUp() override {
        starts.clear();
        quits = 0;
        launchWorks = true;
        boxTexts.clear();
        savedLauncher = updateLauncher;
        savedQuit = updateQuit;
        updateLauncher = [](const char* file, const char* parameters, const char* folder, bool runAs) {
            starts.push_back({file, parameters ? parameters : "", folder, runAs});
            return launchWorks;
        };
        updateQuit = [] { ++quits; };
        setMessageBoxSink([](const MessageBoxDescription*, GWindow*, const char* text) {
            boxTexts.push_back(text);
            return 0;
        });
        updateUninstallKey = "RavoUpdateTest";
    }
    void TearDown() override {
        updateLauncher = savedLauncher;
        updateQuit = savedQuit;
        setMessageBoxSink(nullptr);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RavoUpdateTest");
    }
    // The worker's download and its signature for the version.
    std::string download(const std::string& bytes, const std::string& signedVersion, const std::string& signedBytes) {
        dir.write("kx_updater_17h3634.tmp", bytes);
        dir.write("kx_updater_17h3634.tmp.sig", signUpdate(signedVersion, signedBytes));
        return dir.file("kx_updater_17h3634.tmp");
    }
    bool run(const std::string& file, const char* version = "0.2.0") {
        return runDownloadedUpdate(file.c_str(), version, testPublicKey().data(), (u32)testPublicKey().size());
    }
    void setInstallLocation(const char* folder) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                                                 "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RavoUpdateTest",
                                                 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
        RegSetValueExA(key, "InstallLocation", 0, REG_SZ, (const BYTE*)folder, (DWORD)strlen(folder) + 1);
        RegCloseKey(key);
    }
    TempDir dir;
    UpdateLauncher savedLauncher;
    void (*savedQuit)();
};
}  // namespace

TEST_F(Apply, SignedInstallerStartsAndQuits) {
    ASSERT_TRUE(run(download("MZ installer", "0.2.0", "MZ installer")));
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(dir.file("ravo_patcher_tmp_1.exe"), starts[0].file);
    EXPECT_EQ("", starts[0].parameters);
    EXPECT_EQ(dir.path(), starts[0].folder);
    EXPECT_EQ(!canWriteMachineRegistry(), starts[0].runAs);
    EXPECT_EQ(1, quits);
    EXPECT_EQ("MZ installer", dir.read("ravo_patcher_tmp_1.exe"));
}

TEST_F(Apply, NothingStartsWithoutTheRightSignature) {
    struct Case {
        const char* name;
        std::string bytes, signedVersion, signedBytes;
        const char* offeredAs;
    } cases[] = {
        {"another version line", "MZ old installer", "0.1.5", "MZ old installer", "0.2.0"},
        {"other bytes signed", "MZ swapped", "0.2.0", "MZ installer", "0.2.0"},
        {"patch signed for another version", "PT patch", "0.2.1", "PT patch", "0.2.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(run(download(c.bytes, c.signedVersion, c.signedBytes), c.offeredAs));
        EXPECT_FALSE(dir.exists("ravo_patcher_tmp_1.exe"));
    }
    EXPECT_TRUE(starts.empty());
    EXPECT_EQ(0, quits);
    EXPECT_EQ(3u, boxTexts.size());
}

TEST_F(Apply, PatchGoesToThePatcherWithSevenArguments) {
    for (const char* folder : {"C:\\Apps\\Ravo", "C:\\Apps\\Ravo\\"}) {
        SCOPED_TRACE(folder);
        starts.clear();
        setInstallLocation(folder);
        ASSERT_TRUE(run(download("PT patch", "0.2.0", "PT patch")));
        ASSERT_EQ(1u, starts.size());
        EXPECT_EQ(dir.file("ravo_patcher_tmp_2.exe"), starts[0].file);
        int count = 0;
        LPWSTR* arguments = CommandLineToArgvW(
            std::wstring(starts[0].parameters.begin(), starts[0].parameters.end()).c_str(), &count);
        ASSERT_EQ(7, count);
        std::vector<std::string> got;
        for (int i = 0; i < count; ++i) got.emplace_back(arguments[i], arguments[i] + wcslen(arguments[i]));
        LocalFree(arguments);
        std::vector<std::string> expected = {"C:\\Apps\\Ravo", "+=", dir.file("ravo_patcher_tmp_1.exe"), "-wait",
                                             "C:\\Apps\\Ravo\\ravo.exe", "-run", "C:\\Apps\\Ravo\\ravo.exe"};
        EXPECT_EQ(expected, got);
    }
}

TEST_F(Apply, RefusalsAndFailedStartsKeepTheProgram) {
    // No installation folder: the patch is refused.
    EXPECT_FALSE(run(download("PT patch", "0.2.0", "PT patch")));
    EXPECT_TRUE(starts.empty());
    // A start that fails shows a box and does not quit.
    launchWorks = false;
    EXPECT_FALSE(run(download("MZ installer", "0.2.0", "MZ installer")));
    EXPECT_EQ(1u, starts.size());
    // Neither installer nor patch.
    EXPECT_FALSE(run(download("XY", "0.2.0", "XY")));
    EXPECT_EQ(1u, starts.size());
    EXPECT_EQ(0, quits);
    EXPECT_EQ(3u, boxTexts.size());
}
