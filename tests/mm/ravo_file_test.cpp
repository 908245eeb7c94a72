#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/gfile.h"
#include "mm/ravo_file.h"
#include "tests/mm/format_blocks.h"
#include "tests/mm/riff_bytes.h"
#include "tests/support/test_support.h"

namespace {
std::string bytesOf(const std::vector<u8>& v) { return std::string(v.begin(), v.end()); }

class NoteSink : public BlockSink {
public:
    void note(const BlockBase*, const char*) override {}
};

// Reads a root from a whole file written with the given bytes.
struct ReadBack {
    TempDir dir;
    RecordingHandler handler;
    GFile file{&handler};
    RavoFormBlock root;
    bool ok;

    explicit ReadBack(const std::string& bytes, BlockSink* sink = nullptr, bool answer = false) {
        handler.answer = answer;
        dir.write("in.ravo", bytes);
        EXPECT_TRUE(fileOpen(file, dir.file("in.ravo").c_str(), FileMode::Read));
        ok = root.read(sink, file, bytes.size());
    }
};
}  // namespace

TEST(RavoFile, WrittenFromEachSourceAndReadBack) {
    TempDir dir;
    std::vector<u8> own = ownBlockBytes(3, encodingFloat);
    const std::string samples = "0123456789ABCDEFGHIJKLMN";  // two frames of 3 floats
    dir.write("src", "skip" + samples);
    GFile sourceFile;
    ASSERT_TRUE(fileOpen(sourceFile, dir.file("src").c_str(), FileMode::Read));

    struct Case {
        u32 kind;
        std::string data;
    };
    const Case cases[] = {
        {dataSourceZeros, std::string(24, '\0')},
        {dataSourceMemory, samples},
        {dataSourceFile, samples},  // from the source's current position
    };
    for (const Case& c : cases) {
        RavoFormBlock root;
        buildRavoLayout(&root, wave(own), 24);
        RavoDataBlock* data = root.dataBlock();
        ASSERT_TRUE(data);
        EXPECT_EQ(data->start, 32 + own.size());
        data->source.kind = c.kind;
        data->source.memory = reinterpret_cast<const u8*>(samples.data());
        ASSERT_TRUE(fileSeek(sourceFile, 4, SEEK_SET));
        GFile out;
        ASSERT_TRUE(fileOpen(out, dir.file("out.ravo").c_str(), FileMode::Write));
        EXPECT_TRUE(root.write(&sourceFile, out, nullptr));
        fileClose(out);
        const std::string file = dir.read("out.ravo");
        EXPECT_EQ(file, ravoHeader(own.size(), 24) + bytesOf(own) + c.data) << c.kind;

        ReadBack back(file);
        ASSERT_TRUE(back.ok);
        EXPECT_EQ(back.root.size, file.size());
        RavoFormatBlock* format = back.root.formatBlock();
        RavoDataBlock* readData = back.root.dataBlock();
        ASSERT_TRUE(format && readData);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(format->block.data), own.size()), bytesOf(own));
        EXPECT_EQ(readData->start, 32 + own.size());
        EXPECT_EQ(readData->size, 24u);
        EXPECT_EQ(readData->encoding, encodingFloat);
        EXPECT_EQ(readData->fields()[0].sub->type, FieldType::Float);
    }

    // A PCM sound stores the 16-byte block.
    WAVEFORMATEX pcm = pcmFormat(2, 44100, 16);
    pcm.cbSize = 5;
    RavoFormBlock root;
    buildRavoLayout(&root, &pcm, 4);
    root.dataBlock()->source.kind = dataSourceZeros;
    GFile out;
    ASSERT_TRUE(fileOpen(out, dir.file("pcm.ravo").c_str(), FileMode::Write));
    EXPECT_TRUE(root.write(nullptr, out, nullptr));
    fileClose(out);
    EXPECT_EQ(dir.read("pcm.ravo"), ravoHeader(16, 4) + pcmFmt(2, 44100, 16) + std::string(4, '\0'));

    // The structure report: one line per block, children indented.
    ASSERT_TRUE(fileOpen(out, dir.file("report").c_str(), FileMode::Write));
    EXPECT_TRUE(root.report(out, ReportKind::Text));
    fileClose(out);
    EXPECT_EQ(dir.read("report"),
              "00000000H: RAVO: Block size: 52\r\n"
              "00000020H:     fmt: Block size: 16\r\n"
              "00000030H:     data: Block size: 4\r\n");
    EXPECT_STREQ(root.fields()[5].name, "Data Size");
}

TEST(RavoFile, ReadToleratesSizes) {
    const std::string pcm = pcmFmt(1, 8000, 16);
    NoteSink sink;
    struct Case {
        const char* what;
        std::string bytes;
        bool withSink;
        u32 children;
        u64 formatStart, dataStart, dataSize;
    };
    const Case cases[] = {
        {"truncated by 10 bytes", ravoHeader(16, 1000) + pcm + std::string(990, 'd'), false, 2, 32, 48, 990},
        {"6 trailing bytes", ravoHeader(16, 1000) + pcm + std::string(1006, 'd'), false, 2, 32, 48, 1006},
        {"header size 40", ravoHeader(16, 8, 40) + "reserved" + pcm + "12345678", false, 2, 40, 56, 8},
        {"header size 40, with a sink", ravoHeader(16, 8, 40) + "reserved" + pcm + "12345678", true, 2, 40, 56, 8},
        {"header size 31", ravoHeader(16, 8, 31) + pcm + "12345678", false, 0, 0, 0, 0},
        {"negative format size", ravoHeader((u64)-16, 8) + pcm + "12345678", false, 0, 0, 0, 0},
        {"negative data size", ravoHeader(16, (u64)-8) + pcm + "12345678", false, 0, 0, 0, 0},
        {"format past the end", ravoHeader(17, 0) + pcm, false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        ReadBack back(c.bytes, c.withSink ? &sink : nullptr);
        EXPECT_TRUE(back.ok) << c.what;
        EXPECT_TRUE(back.handler.reports.empty()) << c.what;
        ASSERT_EQ(back.root.childCount(), c.children) << c.what;
        if (!c.children) {
            EXPECT_EQ(back.root.size, 32u) << c.what;
            continue;
        }
        EXPECT_EQ(back.root.size, c.bytes.size()) << c.what;
        EXPECT_EQ(back.root.formatBlock()->start, c.formatStart) << c.what;
        EXPECT_EQ(back.root.formatBlock()->format()->nSamplesPerSec, 8000u) << c.what;
        EXPECT_EQ(back.root.dataBlock()->start, c.dataStart) << c.what;
        EXPECT_EQ(back.root.dataBlock()->size, c.dataSize) << c.what;
        EXPECT_EQ(back.root.header.dataSize, c.dataSize) << c.what;
        i64 position;
        EXPECT_TRUE(fileTell(back.file, &position));
        EXPECT_EQ((u64)position, c.dataStart + c.dataSize) << c.what;
    }
}

TEST(RavoFile, FileErrors) {
    NoteSink sink;
    struct Case {
        const char* what;
        std::string bytes;
        bool withSink;
        const char* message;
        bool closed;
    };
    const Case cases[] = {
        {"header size 31 with a sink", ravoHeader(16, 8, 31) + pcmFmt(1, 8000, 16) + "12345678", true,
         "The file is damaged", false},
        {"not the own form", "RAVX" + ravoHeader(16, 0).substr(4) + pcmFmt(1, 8000, 16), false, "Wrong file type", true},
        {"format block over 0x10000", ravoHeader(0x10001, 0) + std::string(0x10001, 'f'), false,
         "The format block is too big", true},
    };
    // A handler that answers true does not turn the failed read into success.
    for (const Case& c : cases) {
        for (bool answer : {false, true}) {
            ReadBack back(c.bytes, c.withSink ? &sink : nullptr, answer);
            EXPECT_FALSE(back.ok) << c.what << " " << answer;
            EXPECT_TRUE(back.file.failed()) << c.what;
            EXPECT_EQ(back.file.isOpen(), !c.closed) << c.what;
            ASSERT_EQ(back.handler.reports.size(), 1u) << c.what;
            EXPECT_NE(back.handler.lastText().find(c.message), std::string::npos) << back.handler.lastText();
            EXPECT_NE(back.handler.lastText().find("in.ravo"), std::string::npos) << c.what;
        }
    }
}
