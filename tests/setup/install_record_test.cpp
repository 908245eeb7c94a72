#include "setup/install_record.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/exceptions.h"
#include "core/paths.h"
#include "tests/support/test_support.h"

namespace {
const std::string kImage = "MZ-image-bytes";

std::string u64le(u64 v) { return u32le((u32)v) + u32le((u32)(v >> 32)); }
std::string text(const std::string& t) { return u32le((u32)t.size()) + (t.empty() ? "" : t + std::string(1, '\0')); }
std::string footer(u64 recordOffset) { return u64le(recordOffset) + "I#ST" + u32le(0); }

// A record body: twelve texts (the first given), no shortcuts, the three sizes.
std::string body(const std::string& first = "Ravo 1.0", u64 imageSize = kImage.size()) {
    std::string b = text(first);
    for (int i = 1; i < 12; ++i) b += text("");
    return b + u32le(0) + u64le(imageSize) + u64le(0) + u64le(0);
}

// Image, record (version, L, body), optional index, footer.
std::string installedFile(const std::string& recordBody, u32 version = 2, const std::string* index = nullptr) {
    std::string f = kImage + u32le(version) + u32le((u32)recordBody.size()) + recordBody;
    if (index) f += u32le((u32)index->size()) + *index;
    return f + footer(kImage.size());
}

struct ReadResult {
    bool ok;
    std::string message;  // the first report
};

ReadResult readFile(const TempDir& dir, const std::string& bytes, InstallRecord* record = nullptr, GBag* index = nullptr) {
    dir.write("copy.exe", bytes);
    RecordingHandler handler;
    InstallRecord scratch;
    bool ok = readInstallRecord(dir.file("copy.exe").c_str(), &handler, record ? record : &scratch, index);
    return {ok, handler.reports.empty() ? "" : handler.reports.front().first};
}

bool startsWith(const std::string& s, const char* prefix) { return s.compare(0, strlen(prefix), prefix) == 0; }
}  // namespace

TEST(InstallRecordTest, RefusesDamagedFiles) {
    TempDir dir;
    std::string good = installedFile(body());
    std::string noNul = body();
    noNul[4 + 8] = 'X';  // the NUL of the first text
    std::string longL = kImage + u32le(2) + u32le(0x7FFFFFF0) + body() + footer(kImage.size());
    std::string m = "index";
    std::string longM = kImage + u32le(2) + u32le((u32)body().size()) + body() + u32le(0xFFFFFF00) + m + footer(kImage.size());
    std::string farR = good.substr(0, good.size() - 16) + footer(0xFFFFFFFFFFull);
    std::string nearR = good.substr(0, good.size() - 16) + footer(good.size() - 16 - 4);
    std::string imagePastRecord = installedFile(body("Ravo", 1000));
    const struct {
        const char* name;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"15 bytes", std::string(15, 'x'), kInstallerTooSmall},
        {"other marker", kImage + std::string(8, '\0') + "I#SX" + u32le(0), kNoInstallationData},
        {"version 1", installedFile(body(), 1), kBadInstallerVersion},
        {"version 3", installedFile(body(), 3), kBadInstallerVersion},
        {"text without NUL", installedFile(noNul), kNoInstallationData},
        {"L past the end", longL, kNoInstallationData},
        {"M past the end", longM, kNoInstallationData},
        {"R past the end", farR, kNoInstallationData},
        {"R leaves no room for the record", nearR, kNoInstallationData},
        {"image past the record", imagePastRecord, kNoInstallationData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GBag index;
        ReadResult r = readFile(dir, c.bytes, nullptr, &index);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(startsWith(r.message, c.message)) << r.message;
    }
    // A body shorter than its fields throws the bag exception.
    std::string shortBody = body().substr(0, 60);
    EXPECT_THROW(readFile(dir, installedFile(shortBody)), GBagException);
}

TEST(InstallRecordTest, HasInstallRecordShowsNothing) {
    TempDir dir;
    dir.write("small.exe", std::string(15, 'x'));
    dir.write("other.exe", kImage + std::string(8, '\0') + "ABCD" + u32le(0));
    dir.write("good.exe", installedFile(body()));
    recordedBoxes().clear();
    EXPECT_FALSE(hasInstallRecord(dir.file("small.exe").c_str()));
    EXPECT_FALSE(hasInstallRecord(dir.file("other.exe").c_str()));
    EXPECT_TRUE(hasInstallRecord(dir.file("good.exe").c_str()));
    EXPECT_THROW(hasInstallRecord(dir.file("missing.exe").c_str()), GException);
    EXPECT_TRUE(recordedBoxes().empty());
}

TEST(InstallRecordTest, EmptyDisplayNameIsProductAndVersion) {
    TempDir dir;
    GString savedVersion = versionText();
    for (const char* version : {"2.5", ""}) {
        setVersionText(version);
        InstallRecord record;
        ASSERT_TRUE(readFile(dir, installedFile(body("")), &record).ok);
        EXPECT_STREQ(*version ? "RavoTests 2.5" : "RavoTests", record.displayName.c_str());
    }
    setVersionText(savedVersion.c_str());
}

TEST(InstallRecordTest, RoundTripAndTextSizes) {
    TempDir dir;
    InstallRecord record;
    const char* texts[12] = {"Ravo 3", "Maker", "Ravo", "RavoKey", "", "Ravo Menu", "ravo.exe", "Ravo.lnk",
                             "ravo.exe", "Data\\help\\license.htm", "Data\\help\\logo.gif", "C:\\build"};
    for (u32 i = 0; i < 12; ++i) record.text(i) = texts[i];
    stringListAppend(record.shortcutNames, "Ravo.lnk");
    stringListAppend(record.shortcutNames, "Uninstall Ravo.lnk");
    record.imageSize = kImage.size();
    record.payloadSize = 12345;
    record.extraSize = 0x123456789ull;

    // Text sizes: 4 bytes for an empty text, n + 5 for n bytes.
    auto bodyLength = [&](const InstallRecord& r) {
        GFile f;
        fileOpen(f, dir.file("body.bin").c_str(), FileMode::Write);
        writeInstallRecordBody(r, f);
        fileClose(f);
        std::string bytes = dir.read("body.bin");
        EXPECT_EQ(u32le(2), bytes.substr(0, 4));
        return bytes.size() - 8;
    };
    InstallRecord empty;
    EXPECT_EQ(12 * 4 + 4 + 24u, bodyLength(empty));
    empty.publisher = "abc";
    EXPECT_EQ(12 * 4 + 4 + 24u + 4, bodyLength(empty));

    GFile f;
    ASSERT_TRUE(fileOpen(f, dir.file("copy.exe").c_str(), FileMode::Write));
    fileWrite(f, kImage.data(), (u32)kImage.size());
    ASSERT_TRUE(writeInstallRecordBody(record, f));
    ASSERT_TRUE(writeInstallFooter(f, kImage.size()));
    fileClose(f);
    std::string bytes = dir.read("copy.exe");
    EXPECT_EQ(footer(kImage.size()), bytes.substr(bytes.size() - 16));

    InstallRecord back;
    RecordingHandler handler;
    GBag index;
    ASSERT_TRUE(readInstallRecord(dir.file("copy.exe").c_str(), &handler, &back, &index));
    for (u32 i = 0; i < 12; ++i) EXPECT_STREQ(texts[i], back.text(i).c_str()) << i;
    ASSERT_EQ(2u, back.shortcutNames.count);
    EXPECT_STREQ("Uninstall Ravo.lnk", stringListAt(back.shortcutNames, 1));
    EXPECT_EQ(record.imageSize, back.imageSize);
    EXPECT_EQ(12345u, back.payloadSize);
    EXPECT_EQ(0x123456789ull, back.extraSize);
    EXPECT_EQ(0u, index.size);  // an older installed copy: no index

    InstallRecord copy(back);
    back.clear();
    EXPECT_TRUE(back.displayName.empty());
    EXPECT_STREQ("Maker", copy.publisher.c_str());
    EXPECT_STREQ("Ravo.lnk", stringListAt(copy.shortcutNames, 0));
}

TEST(InstallRecordTest, InstalledTailKeepsTheIndex) {
    TempDir dir;
    InstallRecord record;
    record.exeName = "ravo.exe";
    record.imageSize = kImage.size();
    record.payloadSize = 999;
    GBag index;
    bagWriteU32(index, 0);
    bagWriteString(index, "Data");
    bagWriteU32(index, 3);
    GFile f;
    ASSERT_TRUE(fileOpen(f, dir.file("installed.exe").c_str(), FileMode::Write));
    fileWrite(f, kImage.data(), (u32)kImage.size());
    ASSERT_TRUE(writeInstalledTail(f, record, index));
    fileClose(f);

    InstallRecord back;
    GBag backIndex;
    RecordingHandler handler;
    ASSERT_TRUE(readInstallRecord(dir.file("installed.exe").c_str(), &handler, &back, &backIndex));
    EXPECT_EQ(0u, back.payloadSize);
    EXPECT_EQ(kImage.size(), back.recordOffset);
    ASSERT_EQ(index.size, backIndex.size);
    EXPECT_EQ(0, memcmp(index.data, backIndex.data, index.size));
    EXPECT_TRUE(hasInstallRecord(dir.file("installed.exe").c_str()));
}

TEST(InstallRecordTest, NamesJoinedToFoldersMustStayInside) {
    const struct {
        const char* name;
        bool component;
        bool relative;
    } cases[] = {
        {"ravo.exe", true, true}, {"Data\\help\\a.htm", false, true}, {"", false, true},   {".", false, true},
        {"..", false, false},     {"a\\..\\..\\x", false, false},     {"a\\b", false, true}, {"a/b", false, true},
        {"C:x", false, false},    {"\\abs", false, false},            {"/abs", false, false}, {"..x", true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.component, isSingleComponent(c.name)) << c.name;
        EXPECT_EQ(c.relative, isSafeRelativePath(c.name)) << c.name;
    }
    TempDir dir;
    for (const char* bad : {"..\\evil.exe", "C:\\evil.exe"}) {
        InstallRecord record;
        record.imageSize = kImage.size();
        record.exeName = bad;
        GFile f;
        fileOpen(f, dir.file("bad.exe").c_str(), FileMode::Write);
        fileWrite(f, kImage.data(), (u32)kImage.size());
        writeInstalledTail(f, record, GBag());
        fileClose(f);
        RecordingHandler handler;
        InstallRecord back;
        EXPECT_FALSE(readInstallRecord(dir.file("bad.exe").c_str(), &handler, &back, nullptr));
        ASSERT_EQ(1u, handler.reports.size());
        EXPECT_NE(std::string::npos, handler.lastText().find(bad)) << handler.lastText();
    }
}
