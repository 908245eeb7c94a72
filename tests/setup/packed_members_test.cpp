#include "setup/packed_members.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/paths.h"
#include "core/progress.h"
#include "setup/install_record.h"
#include "tests/support/test_support.h"

namespace {
// The packer's installers, made at build time beside the test program.
std::string fixture(const char* name) {
    return std::string(programFolder().c_str()) + "\\setup_fixtures\\" + name + ".exe";
}

// Every file below the folder by relative path, with its content.
void collect(const std::string& root, const std::string& relative, std::map<std::string, std::string>& out) {
    WIN32_FIND_DATAA data;
    std::string folder = relative.empty() ? root : root + "\\" + relative;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = relative.empty() ? name : relative + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            collect(root, path, out);
        else
            out[path] = readWholeFile(root + "\\" + path);
    } while (FindNextFileA(h, &data));
    FindClose(h);
}

struct Opened {
    InstallRecord record;
    GBag index;
    RecordingHandler handler;
    GFile source{&handler};

    explicit Opened(const char* name) {
        EXPECT_TRUE(readInstallRecord(fixture(name).c_str(), &handler, &record, &index)) << name;
        EXPECT_TRUE(fileOpen(source, fixture(name).c_str(), FileMode::Read));
        EXPECT_TRUE(fileSeek(source, (i64)record.imageSize, 0));
    }
    std::string firstReport() const { return handler.reports.empty() ? "" : handler.reports.front().first; }
};

const std::string kText = [] {
    std::string t;
    for (int i = 0; i < 40; ++i) t += "sound editor payload\n";
    return t;
}();
}  // namespace

TEST(PackedMembersTest, UnpacksPackerInstallers) {
    std::string firstFile, secondFile;
    for (int i = 0; i < 50; ++i) firstFile += "first file\n";
    for (int i = 0; i < 30; ++i) secondFile += "second file\n";
    const struct {
        const char* fixture;
        bool ok;
        std::map<std::string, std::string> files;
        const char* message;  // the start of the first report
    } cases[] = {
        {"tree", true, {{"Data\\a.txt", "alpha\n"}}, ""},
        // Kind 7 skipped, the second member after the first's packed length, a 0-byte and a stored member.
        {"flat", true, {{"one.txt", firstFile}, {"two.txt", secondFile}, {"empty.txt", ""}, {"stored.bin", "kept as it is"}}, ""},
        {"truncated", false, {}, "Unpack failed."},
        {"corrupted", false, {}, "Unpack failed."},
        {"overlong", false, {}, "Unpack failed."},
        {"short", false, {}, "Unpack failed."},
        {"joined", false, {}, "Unpack failed."},
        {"dotdot", false, {}, "Bad file name in installation data"},
        {"backslash", false, {}, "Bad file name in installation data"},
        {"drive", false, {}, "Bad file name in installation data"},
        {"leave", false, {}, "Bad file name in installation data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        TempDir dir;
        std::string target = dir.file("T");
        CreateDirectoryA(target.c_str(), nullptr);
        Opened opened(c.fixture);
        JobProgress progress;
        progress.setTotal(opened.record.payloadSize + 1);
        bool ok = unpackAllMembers(target.c_str(), opened.source, opened.index, &progress, opened.record.recordOffset);
        EXPECT_EQ(c.ok, ok);
        EXPECT_EQ(0u, opened.firstReport().rfind(c.message, 0)) << opened.firstReport();
        std::map<std::string, std::string> files;
        collect(target, "", files);
        EXPECT_EQ(c.files, files);
        EXPECT_EQ(std::vector<std::string>{"T"}, dir.list());  // nothing beside the target
        if (c.ok) {
            EXPECT_EQ(opened.record.payloadSize, progress.current);
        }
    }
}

TEST(PackedMembersTest, ExtractsOneMember) {
    const struct {
        const char* fixture;
        const char* member;
        bool ok;
        std::string content;
    } cases[] = {
        {"flat", "two.txt", true, ""},  // after the first member
        {"flat", "stored.bin", true, "kept as it is"},
        {"flat", "empty.txt", true, ""},
        {"tree", "Data\\a.txt", true, "alpha\n"},
        {"tree", "data\\A.txt", false, ""},
        {"tree", "a.txt", false, ""},
        {"flat", "missing.txt", false, ""},
    };
    std::string second;
    for (int i = 0; i < 30; ++i) second += "second file\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.member);
        TempDir dir;
        Opened opened(c.fixture);
        std::string out = dir.file("out.bin");
        EXPECT_EQ(c.ok, extractMember(opened.source, opened.index, c.member, out.c_str(), opened.record.recordOffset));
        if (c.ok) {
            EXPECT_EQ(std::string(c.member) == "two.txt" ? second : c.content, dir.read("out.bin"));
            EXPECT_TRUE(opened.handler.reports.empty());
        } else {
            EXPECT_FALSE(dir.exists("out.bin"));
            ASSERT_EQ(1u, opened.handler.reports.size());
            EXPECT_EQ(0u, opened.firstReport().rfind("File was not found in archive:", 0));
            EXPECT_NE(std::string::npos, opened.firstReport().find(c.member));
        }
    }
}

TEST(PackedMembersTest, ExtractFromInstallerReadsRecordItself) {
    TempDir dir;
    RecordingHandler handler;
    std::string out = dir.file("a.txt");
    ASSERT_TRUE(extractFromInstaller(fixture("tree").c_str(), nullptr, &handler, nullptr, "Data\\a.txt", out.c_str()));
    EXPECT_EQ("alpha\n", dir.read("a.txt"));
    // A damaged member leaves no file behind.
    EXPECT_FALSE(extractFromInstaller(fixture("corrupted").c_str(), nullptr, &handler, nullptr, "x.bin", out.c_str()));
    EXPECT_FALSE(dir.exists("x.bin"));
    ASSERT_FALSE(handler.reports.empty());
    EXPECT_EQ(0u, handler.lastText().rfind("Unpack failed.", 0));
}

TEST(PackedMembersTest, GzipMemberStreamStopsAtItsMember) {
    // From the source's position; the source is left at the member's end, not where inflating stopped.
    Opened opened("flat");
    TempDir dir;
    GFile output(&opened.handler);
    ASSERT_TRUE(fileOpen(output, dir.file("one.txt").c_str(), FileMode::Write));
    opened.index.pos = 4 + 8;  // kind and "one.txt\0"
    u64 packed, unpacked;
    bagReadU64(opened.index, &packed);
    bagReadU64(opened.index, &unpacked);
    ASSERT_TRUE(gzipMemberStream(opened.source, -1, output, unpacked, packed));
    i64 position = 0;
    fileTell(opened.source, &position);
    EXPECT_EQ((i64)(opened.record.imageSize + packed), position);
    fileClose(output);
    EXPECT_EQ(unpacked, dir.read("one.txt").size());
}
