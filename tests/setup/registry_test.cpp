#include "setup/registry_key.h"

#include <gtest/gtest.h>

#include <set>

#include "core/paths.h"
#include "setup/file_types.h"
#include "setup/install_record.h"
#include "tests/support/test_support.h"

// Every test runs in the build's private prefix and deletes the keys it makes.
namespace {
const char* const kTestKey = "Software\\RavoTests\\RegistryKey";

std::set<std::string> subkeys(HKEY root, const char* path) {
    std::set<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS) return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD n = sizeof name;
        if (RegEnumKeyExA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.insert(name);
    }
    RegCloseKey(key);
    return names;
}

// The default value of an HKCR key, or "<none>".
std::string classValue(const char* path) {
    char value[1024] = {};
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, path, value, &size) != ERROR_SUCCESS) return "<none>";
    return value;
}

bool hasKey(HKEY root, const char* path) { return RegistryKey::exists(root, path); }
}  // namespace

TEST(RegistryKeyTest, RootsValuesAndFailures) {
    RecordingHandler sink;
    RegistryKey key(&sink);
    EXPECT_EQ(HKEY_CLASSES_ROOT, key.rootOf("HKCR\\.x"));
    EXPECT_EQ(HKEY_LOCAL_MACHINE, key.rootOf("HKLM\\x"));
    EXPECT_EQ(HKEY_CURRENT_USER, key.rootOf("HKCU\\x"));
    EXPECT_EQ(HKEY_USERS, key.rootOf("HKUS\\x"));
    EXPECT_TRUE(sink.reports.empty());
    for (const char* bad : {"HKXX\\Software\\RavoTests", "hkcu\\Software", ""}) {
        EXPECT_EQ(nullptr, key.rootOf(bad));
        EXPECT_FALSE(key.create(bad));
        EXPECT_FALSE(key.openForReading(bad));
    }
    EXPECT_EQ(9u, sink.reports.size());  // one each, through rootOf
    EXPECT_EQ("Unknown registry root.\nHKXX\\Software\\RavoTests.", sink.reports[0].first);
    EXPECT_FALSE(hasKey(HKEY_CURRENT_USER, "Software\\RavoTests"));

    sink.reports.clear();
    ASSERT_TRUE(key.create(HKEY_CURRENT_USER, kTestKey));
    EXPECT_TRUE(key.setString("Name", "value one"));
    EXPECT_TRUE(key.setString(nullptr, "default"));
    DWORD number = 5;
    RegSetValueExA(key.key, "Number", 0, REG_DWORD, (const BYTE*)&number, sizeof number);
    ASSERT_TRUE(key.openForReading("HKCU\\Software\\RavoTests\\RegistryKey"));
    GString out("stale");
    EXPECT_TRUE(key.getString("Name", out));
    EXPECT_STREQ("value one", out.c_str());
    EXPECT_TRUE(key.getString(nullptr, out));
    EXPECT_STREQ("default", out.c_str());
    EXPECT_TRUE(sink.reports.empty());
    // A missing value and one of another type empty the buffer and report the name.
    for (const char* name : {"Missing", "Number"}) {
        stringAssignText(out, "stale");
        EXPECT_FALSE(key.getString(name, out));
        EXPECT_STREQ("", out.c_str());
        EXPECT_EQ(0u, sink.lastText().rfind(std::string("Cannot read registry value.\n") + name, 0)) << sink.lastText();
    }
    // Writing through a key opened for reading fails with the value's name.
    EXPECT_FALSE(key.setString("Name", "x"));
    EXPECT_NE(std::string::npos, sink.lastText().find("Cannot write registry value.\nName")) << sink.lastText();
    EXPECT_FALSE(key.openForReading("HKCU\\Software\\RavoTests\\Absent"));
    EXPECT_NE(std::string::npos, sink.lastText().find("Software\\RavoTests\\Absent")) << sink.lastText();
    key.close();
    EXPECT_TRUE(key.deleteTree(HKEY_CURRENT_USER, "Software\\RavoTests"));
    EXPECT_FALSE(hasKey(HKEY_CURRENT_USER, "Software\\RavoTests"));
}

TEST(RegistryKeyTest, DeleteTreeRemovesNestedKeys) {
    RecordingHandler sink;
    RegistryKey key(&sink);
    for (const char* path : {"Software\\RavoTests\\Tree\\A\\B\\C", "Software\\RavoTests\\Tree\\A\\D", "Software\\RavoTests\\Tree\\E"}) {
        ASSERT_TRUE(key.create(HKEY_CURRENT_USER, path));
        EXPECT_TRUE(key.setString("v", path));
    }
    key.close();
    EXPECT_TRUE(key.deleteTree(HKEY_CURRENT_USER, "Software\\RavoTests\\Tree"));
    EXPECT_FALSE(hasKey(HKEY_CURRENT_USER, "Software\\RavoTests\\Tree"));
    // A missing key is no failure; no root or an empty subkey deletes nothing.
    EXPECT_TRUE(key.deleteTree(HKEY_CURRENT_USER, "Software\\RavoTests\\Tree"));
    EXPECT_FALSE(key.deleteTree(nullptr, "Software\\RavoTests"));
    EXPECT_FALSE(key.deleteTree(HKEY_CURRENT_USER, ""));
    EXPECT_TRUE(hasKey(HKEY_CURRENT_USER, "Software"));
    EXPECT_TRUE(sink.reports.empty());
    key.deleteTree(HKEY_CURRENT_USER, "Software\\RavoTests");
}

TEST(RegistryKeyTest, ReadsInstallLocation) {
    const char* entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RavoTests";
    RecordingHandler sink;
    GString folder;
    EXPECT_FALSE(readInstallLocation(nullptr, "", folder));
    RegistryKey key(&sink);
    ASSERT_TRUE(key.create(HKEY_LOCAL_MACHINE, entry));
    EXPECT_FALSE(readInstallLocation(&sink, nullptr, folder));  // no value yet
    key.setString("InstallLocation", "C:\\Program Files\\Ravo");
    key.close();
    // An empty key name takes the product name.
    EXPECT_TRUE(readInstallLocation(&sink, "", folder));
    EXPECT_STREQ("C:\\Program Files\\Ravo", folder.c_str());
    EXPECT_TRUE(readInstallLocation(&sink, "RavoTests", folder));
    key.deleteTree(HKEY_LOCAL_MACHINE, entry);
}

class FileTypesTest : public testing::Test {
protected:
    void SetUp() override {
        readDataFile("lang", savedLang);
        hadLang = pathIsFile((std::string(dataFolder().c_str()) + "\\lang").c_str());
        record.exeName = "ravo_app.exe";
        registrar.languageCode = "de";
        registrar.hasMachineRights = [] { return true; };
    }
    void TearDown() override {
        RegistryKey key;
        for (const FileType& type : programFileTypes) {
            key.deleteTree(HKEY_CLASSES_ROOT, type.extension);
            key.deleteTree(HKEY_CLASSES_ROOT, type.className);
        }
        if (hadLang)
            writeDataFile("lang", savedLang.c_str());
        else
            deleteFile((std::string(dataFolder().c_str()) + "\\lang").c_str());
    }
    void expectRegistered() {
        for (const FileType& type : programFileTypes) {
            SCOPED_TRACE(type.extension);
            EXPECT_EQ(type.className, classValue(type.extension));
            EXPECT_EQ(type.description, classValue(type.className));
            std::string base = type.className;
            EXPECT_EQ((std::set<std::string>{"DefaultIcon", "shell"}), subkeys(HKEY_CLASSES_ROOT, base.c_str()));
            EXPECT_EQ(std::set<std::string>{"open"}, subkeys(HKEY_CLASSES_ROOT, (base + "\\shell").c_str()));
            EXPECT_EQ("C:\\Apps\\Ravo\\ravo_app.exe, 0", classValue((base + "\\DefaultIcon").c_str()));
            EXPECT_EQ("open", classValue((base + "\\shell").c_str()));
            EXPECT_EQ("\"C:\\Apps\\Ravo\\ravo.exe\" \"%1\"", classValue((base + "\\shell\\open\\command").c_str()));
        }
    }

    InstallRecord record;
    FileTypeRegistrar registrar;
    RecordingHandler sink;
    GString savedLang;
    bool hadLang = false;
};

TEST_F(FileTypesTest, RegistersOneSetAndRemovesIt) {
    // Unregistering nothing reports nothing.
    EXPECT_TRUE(registrar.unregisterFileTypes(&sink, record, "C:\\Apps\\Ravo"));
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(registrar.registerFileTypes(&sink, record, "C:\\Apps\\Ravo"));
        expectRegistered();
    }
    GString lang;
    EXPECT_TRUE(readDataFile("lang", lang));
    EXPECT_STREQ("de", lang.c_str());
    EXPECT_TRUE(registrar.unregisterFileTypes(&sink, record, "C:\\Apps\\Ravo"));
    for (const FileType& type : programFileTypes) {
        EXPECT_FALSE(hasKey(HKEY_CLASSES_ROOT, type.extension)) << type.extension;
        EXPECT_FALSE(hasKey(HKEY_CLASSES_ROOT, type.className)) << type.className;
    }
    EXPECT_TRUE(sink.reports.empty());
}

TEST_F(FileTypesTest, ForeignExtensionSurvives) {
    ASSERT_FALSE(hasKey(HKEY_CLASSES_ROOT, ".md"));
    RegistryKey key(&sink);
    ASSERT_TRUE(key.create("HKCR\\.md"));
    key.setString(nullptr, "Other.md");
    ASSERT_TRUE(key.create("HKCR\\.md\\OpenWithProgids"));
    key.close();
    ASSERT_TRUE(registrar.registerFileTypes(&sink, record, "C:\\Apps\\Ravo"));
    EXPECT_EQ("Other.md", classValue(".md"));
    EXPECT_EQ(std::set<std::string>{"OpenWithProgids"}, subkeys(HKEY_CLASSES_ROOT, ".md"));
    EXPECT_EQ("Ravo Notes file", classValue("Ravo.md"));
    EXPECT_EQ("Ravo.ravo", classValue(".ravo"));
    ASSERT_TRUE(registrar.unregisterFileTypes(&sink, record, "C:\\Apps\\Ravo"));
    EXPECT_EQ("Other.md", classValue(".md"));
    EXPECT_FALSE(hasKey(HKEY_CLASSES_ROOT, "Ravo.md"));
    EXPECT_TRUE(sink.reports.empty());
}

TEST_F(FileTypesTest, WithoutRightsNothingIsWritten) {
    registrar.hasMachineRights = [] { return false; };
    deleteFile((std::string(dataFolder().c_str()) + "\\lang").c_str());
    EXPECT_TRUE(registrar.registerFileTypes(&sink, record, "C:\\Apps\\Ravo"));
    for (const FileType& type : programFileTypes) {
        EXPECT_FALSE(hasKey(HKEY_CLASSES_ROOT, type.extension));
        EXPECT_FALSE(hasKey(HKEY_CLASSES_ROOT, type.className));
    }
    GString lang;
    EXPECT_FALSE(readDataFile("lang", lang));
    EXPECT_TRUE(sink.reports.empty());
}
