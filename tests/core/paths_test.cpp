#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/paths.h"
#include "tests/support/test_support.h"

namespace {
std::string expanded(const char* path) {
    GString s(path);
    expandPathMacros(s);
    return s.c_str();
}

std::string normalized(const char* path, bool* exists = nullptr) {
    GString s(path);
    bool result = normalizePath(s);
    if (exists) *exists = result;
    return s.c_str();
}
}  // namespace

TEST(Paths, FolderMacros) {
    const std::string data = dataFolder().c_str();
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(data.substr(data.size() - 10), "\\RavoTests");
    EXPECT_EQ(expanded("$d/x.ini"), data + "\\x.ini");
    EXPECT_EQ(expanded("a/b/c.txt"), "a\\b\\c.txt");
    EXPECT_EQ(expanded("$t"), std::string(tempFolder().c_str()));
    EXPECT_NE(tempFolder().last(), '\\');
    EXPECT_EQ(expanded("$e\\Data"), std::string(programFolder().c_str()) + "\\Data");
    EXPECT_FALSE(systemFolder().empty());
    EXPECT_FALSE(windowsFolder().empty());
    EXPECT_EQ(expanded("$w|$s|$m|$x"), std::string(windowsFolder().c_str()) + "|" + systemFolder().c_str() + "|" +
                                           musicFolder().c_str() + "|$x");
}

TEST(Paths, CuttingAndExtensions) {
    struct NameCase {
        const char* path;
        const char* name;
    } names[] = {{"C:\\a\\b.wav", "b.wav"}, {"C:\\a\\b\\", "b\\"}, {"c:x", "x"}, {"x/y", "y"}, {"plain", "plain"}};
    for (const NameCase& c : names) EXPECT_STREQ(pathNamePart(c.path, (u32)strlen(c.path)), c.name) << c.path;

    struct CutCase {
        const char* path;
        bool cut;
        const char* result;
    } cuts[] = {{"C:\\a\\b.wav", true, "C:\\a\\"}, {"C:\\a", true, "C:\\"}, {"C:\\", false, "C:\\"},
                {"file", true, ""},                 {"", false, ""}};
    for (const CutCase& c : cuts) {
        GString s(c.path);
        EXPECT_EQ(pathRemoveLastComponent(s), c.cut) << c.path;
        EXPECT_STREQ(s.c_str(), c.result) << c.path;
    }

    struct StripCase {
        const char* path;
        bool stripped;
        const char* result;
    } strips[] = {{"C:\\dir\\", true, "C:\\dir"}, {"C:\\", false, "C:\\"}, {"a\\\\", false, "a\\\\"}, {"a/", true, "a"}};
    for (const StripCase& c : strips) {
        GString s(c.path);
        EXPECT_EQ(pathStripTrailingSeparator(s), c.stripped) << c.path;
        EXPECT_STREQ(s.c_str(), c.result);
    }

    EXPECT_STREQ(pathExtensionPtr("C:\\a.b\\song.wav"), "wav");
    EXPECT_STREQ(pathExtensionPtr("C:\\a.b\\song"), "");
    EXPECT_STREQ(pathExtensionPtr("x.tar.gz"), "gz");

    GString s("C:\\a.b\\song.wav");
    pathRemoveExtension(s);
    EXPECT_STREQ(s.c_str(), "C:\\a.b\\song");
    pathRemoveExtension(s);
    EXPECT_STREQ(s.c_str(), "C:\\a.b\\song");
    pathSetExtension(s, "ravo");
    EXPECT_STREQ(s.c_str(), "C:\\a.b\\song.ravo");
    pathReplaceExtension(s, ".wav");
    EXPECT_STREQ(s.c_str(), "C:\\a.b\\song.wav");
    GString dotted("name.");
    pathSetExtension(dotted, ".ext");
    EXPECT_STREQ(dotted.c_str(), "name.ext");

    GString folder("C:\\music\\old");
    setFolderName(folder, "new");
    EXPECT_STREQ(folder.c_str(), "C:\\music\\new");

    GString pathPart("C:\\tmp\\");
    pathJoin(pathPart, "x");
    EXPECT_STREQ(pathPart.c_str(), "C:\\tmp\\x");
    pathJoin(pathPart, "/y");
    EXPECT_STREQ(pathPart.c_str(), "C:\\tmp\\x/y");

    GString out;
    makeLongFileName(out, "C:\\music\\track.wav", "%_mix.ravo");
    EXPECT_STREQ(out.c_str(), "track_mix.ravo");
    makeLongFileName(out, "C:\\music\\track.wav", "fixed.ravo");
    EXPECT_STREQ(out.c_str(), "fixed.ravo");
    makeLongFileName(out, "C:\\music\\track.wav", "");
    EXPECT_STREQ(out.c_str(), "");
}

TEST(Paths, Normalize) {
    TempDir dir;
    bool exists = false;
    EXPECT_EQ(normalized("C:", &exists), "C:\\");
    EXPECT_TRUE(exists);
    EXPECT_EQ(normalized("c:\\windows\\", &exists), "C:\\windows");
    EXPECT_TRUE(exists);
    EXPECT_EQ(normalized("", &exists), "");
    EXPECT_FALSE(exists);

    // A missing last component keeps the normalised form but answers false.
    const std::string missing = dir.file("not-there");
    EXPECT_EQ(normalized((" \"" + missing + "\" ").c_str(), &exists), missing);
    EXPECT_FALSE(exists);
    EXPECT_EQ(normalized((dir.path() + "/sub/../x/").c_str(), &exists), dir.file("x"));
    EXPECT_FALSE(exists);
    // Neither the component nor its parent exist.
    EXPECT_EQ(normalized(dir.file("a\\b").c_str(), &exists), "");
    EXPECT_FALSE(exists);
    // Existing paths come back in their long form.
    dir.write("Long File Name.txt", "x");
    EXPECT_EQ(normalized((dir.path() + "\\.\\Long File Name.txt").c_str(), &exists), dir.file("Long File Name.txt"));
    EXPECT_TRUE(exists);
}

TEST(Paths, TemporaryNames) {
    TempDir dir;
    const std::string inFolder = dir.file("song.wav");
    GString a, b;
    makeTempFileName(inFolder.c_str(), a, "temp");
    makeTempFileName(inFolder.c_str(), b, "temp");
    const std::string first = pathNamePart(a), second = pathNamePart(b);
    ASSERT_EQ(first.size(), 12u);
    EXPECT_EQ(first.substr(0, 4), "temp");
    EXPECT_EQ(std::stoi(second.substr(4, 4)), std::stoi(first.substr(4, 4)) + 1);
    EXPECT_EQ(std::string(a.c_str()), dir.file(first));

    // Taken names are skipped.
    char taken[32];
    u32 next = nextTempCounter() + 1;
    snprintf(taken, sizeof taken, "renren%04u.tmp", next);
    dir.write(taken, "mine");
    GString c;
    makeTempFileName(inFolder.c_str(), c, "renren");
    snprintf(taken, sizeof taken, "renren%04u.tmp", next + 1);
    EXPECT_EQ(std::string(c.c_str()), dir.file(taken));

    GString convert;
    tempConvertName(dir.path().c_str(), convert);
    EXPECT_EQ(std::string(convert.c_str()).find(dir.path() + "\\temp_convert_"), 0u);

    // The counter is shared safely by threads: no name is handed out twice.
    std::vector<std::string> names[4];
    std::vector<std::thread> threads;
    for (auto& list : names)
        threads.emplace_back([&list, &inFolder] {
            for (int i = 0; i < 500; ++i) {
                GString n;
                makeTempFileName(inFolder.c_str(), n, "t");
                list.push_back(n.c_str());
            }
        });
    for (auto& t : threads) t.join();
    std::set<std::string> unique;
    for (auto& list : names) unique.insert(list.begin(), list.end());
    EXPECT_EQ(unique.size(), 2000u);
}

TEST(Paths, DirectoryListing) {
    TempDir dir;
    dir.write("a.wav", "1");
    dir.write("b.wav", "22");
    dir.write("c.txt", "333");
    CreateDirectoryA(dir.file("sub").c_str(), nullptr);
    SetFileAttributesA(dir.file("b.wav").c_str(), FILE_ATTRIBUTE_HIDDEN);

    auto list = [&](const char* pattern, u32 required, u32 excluded) {
        std::set<std::string> names;
        DirIterator it(dir.file(pattern).c_str(), required, excluded);
        while (it.next()) names.insert(it.entry().name);
        EXPECT_FALSE(it.next());  // stays ended
        return names;
    };
    EXPECT_EQ(list("*", 0xFFFFFFFF, 0), (std::set<std::string>{"a.wav", "b.wav", "c.txt", "sub"}));
    EXPECT_EQ(list("*", 0xFFFFFFFF, 0x17), (std::set<std::string>{"a.wav", "c.txt"}));
    EXPECT_EQ(list("*.wav", 0xFFFFFFFF, 0x10), (std::set<std::string>{"a.wav", "b.wav"}));
    EXPECT_EQ(list("*", 0x10, 0), (std::set<std::string>{"sub"}));
    EXPECT_EQ(list("none*", 0xFFFFFFFF, 0), std::set<std::string>{});

    DirIterator it(dir.file("c.*").c_str());
    ASSERT_TRUE(it.next());
    EXPECT_EQ(it.entry().size, 3u);
    GString path;
    it.currentPath(path);
    EXPECT_EQ(std::string(path.c_str()), dir.file("c.txt"));

    // Emptying removes plain files only, and never works on a drive root.
    emptyFolder(dir.path().c_str());
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"b.wav", "sub"}));
    emptyFolder("C:\\");
    SetFileAttributesA(dir.file("b.wav").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Paths, FilesWrittenOnlyWhenChanged) {
    TempDir dir;
    const std::string name = dir.file("settings.txt");
    CachedFile cached(name.c_str());
    ASSERT_TRUE(writeFileIfChanged(cached, "abc", 3));
    EXPECT_EQ(dir.read("settings.txt"), "abc");
    EXPECT_EQ(dir.list().size(), 1u);

    // Unchanged text writes nothing: a file put in its place is left alone.
    dir.write("settings.txt", "other");
    ASSERT_TRUE(writeFileIfChanged(cached, "abc", 3));
    EXPECT_EQ(dir.read("settings.txt"), "other");

    CachedFile reread(name.c_str());
    ASSERT_TRUE(readCachedFile(reread));
    EXPECT_STREQ(reread.content.c_str(), "other");
    ASSERT_TRUE(writeFileIfChanged(reread, "abcd", 4));
    EXPECT_EQ(dir.read("settings.txt"), "abcd");
    EXPECT_EQ(dir.list().size(), 1u);

    ASSERT_TRUE(ensureDataFolder());
    ASSERT_TRUE(writeDataFile("probe.txt", "in the data folder"));
    GString back;
    ASSERT_TRUE(readDataFile("probe.txt", back));
    EXPECT_STREQ(back.c_str(), "in the data folder");
    GString probePath = dataFolder();
    pathJoin(probePath, "probe.txt");
    deleteFile(probePath.c_str());
    EXPECT_FALSE(readDataFile("probe.txt", back));
}

TEST(Paths, WorkTempFolder) {
    ASSERT_TRUE(ensureDataFolder());
    GString marker = dataFolder();
    pathJoin(marker, "tempdir.dir");
    deleteFile(marker.c_str());
    resetWorkTempFolder();
    GString expected = dataFolder();
    pathJoin(expected, "temp");
    EXPECT_STREQ(workTempFolder().c_str(), expected.c_str());
    EXPECT_TRUE(pathIsDirectory(expected.c_str()));

    TempDir dir;
    struct Case {
        std::string folder;
        bool accepted;
    } cases[] = {
        {expected.c_str(), true},                // the current one
        {tempFolder().c_str(), false},           // the user's temporary folder
        {dir.path(), true},                      // an existing folder
        {dir.file("fresh"), true},               // created inside an existing folder
        {dir.file("no\\parent"), false},         // parent missing
        {"C:\\ravo-missing-under-root", false},  // directly under a drive root
        {"C:\\", false},
        {std::string(windowsFolder().c_str()) + "\\system32", false},
        {std::string(windowsFolder().c_str()) + "\\ravo-new", false},
    };
    for (const Case& c : cases) EXPECT_EQ(validateWorkTempFolder(c.folder.c_str()), c.accepted) << c.folder;
    EXPECT_TRUE(pathIsDirectory(dir.file("fresh").c_str()));
    EXPECT_FALSE(pathExists("C:\\ravo-missing-under-root"));

    EXPECT_TRUE(isProtectedFolder("C:\\"));
    EXPECT_TRUE(isProtectedFolder(windowsFolder().c_str()));
    EXPECT_FALSE(isProtectedFolder(dir.path().c_str()));
    EXPECT_FALSE(isProtectedFolder(dir.file("missing").c_str()));

    // A chosen folder takes effect through "tempdir.dir".
    ASSERT_TRUE(setWorkTempFolder(dir.path().c_str()));
    resetWorkTempFolder();
    EXPECT_EQ(std::string(workTempFolder().c_str()), dir.path());
    EXPECT_TRUE(isCurrentWorkTempFolder((dir.path() + "\\").c_str()));
    deleteFile(marker.c_str());
    resetWorkTempFolder();
    EXPECT_STREQ(workTempFolder().c_str(), expected.c_str());
    removeWorkTempFolder();
    EXPECT_FALSE(pathExists(expected.c_str()));
}

TEST(Paths, OnlyTheProgramsTemporaryNamesAreItsOwn) {
    const struct {
        const char* name;
        bool own;
    } cases[] = {
        {"undo0001.tmp", true},   {"cache12345.tmp", true}, {"clip0003.tmp", true},   {"temp0004.tmp", true},
        {"renren0005.tmp", true}, {"temp_convert_7", true}, {"undo.tmp", false},      {"undo00a1.tmp", false},
        {"Undo0001.tmp", false},  {"undo0001.TMP", false},  {"mine0001.tmp", false},  {"temp_convert_", false},
        {"temp_convert_7.wav", false}, {"song.wav", false}, {"cache0002.tmp.bak", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.own, isProgramTempFileName(c.name)) << c.name;
}
