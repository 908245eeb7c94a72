#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "core/gfile.h"
#include "mm/riff_block.h"
#include "tests/mm/riff_bytes.h"
#include "tests/support/test_support.h"

namespace {
// One parsed file: the bytes written to a temporary file and the tree read from it.
struct Parsed {
    TempDir dir;
    RecordingHandler handler;
    GFile file{&handler};
    std::unique_ptr<RiffListBlock> root;

    Parsed(const std::string& bytes, BlockSink* sink = nullptr) {
        dir.write("in.wav", bytes);
        EXPECT_TRUE(fileOpen(file, dir.file("in.wav").c_str(), FileMode::Read));
        root.reset(readRiffFile(file, sink));
    }
};

// "id:start:size" of each child, nested lists in braces.
std::string shape(const BlockBase* b) {
    std::string s;
    for (u32 i = 0; i < b->childCount(); ++i) {
        const BlockBase* c = b->child(i);
        if (!s.empty()) s += ' ';
        s += c->id == ChunkId::Unknown ? std::string("?") : std::string(fourCCText(c->id, false).c_str());
        s += ':' + std::to_string(c->start) + ':' + std::to_string(c->size);
        if (c->childCount()) s += '{' + shape(c) + '}';
    }
    return s;
}

class NoteSink : public BlockSink {
public:
    void note(const BlockBase*, const char* text) override { notes.push_back(text); }
    std::vector<std::string> notes;
};

const std::string fmt16 = chunk("fmt ", pcmFmt(2, 44100, 16));
}  // namespace

TEST(RiffRead, ChunkLayouts) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* shape;
    };
    const Case cases[] = {
        {"data declaring more than the file holds is cut to the list",
         riffList("RIFF", "WAVE", fmt16 + chunkClaiming("data", 1000, "abcd")), "fmt :12:24 data:36:12"},
        {"an odd chunk followed by a zero pad byte",
         riffList("RIFF", "WAVE", chunk("junk", "abc") + chunk("data", "xy")), "junk:12:11 data:24:10"},
        {"an odd chunk followed by a non-zero byte: that byte starts the next header",
         riffList("RIFF", "WAVE", chunk("junk", "abc", false) + chunk("data", "xy")), "junk:12:11 data:23:10"},
        {"an id byte below 32 makes the rest of the list one unknown block",
         riffList("RIFF", "WAVE", fmt16 + chunk("d\x01ta", "1234") + chunk("data", "xy")), "fmt :12:24 ?:36:22"},
        {"lists nest; fewer than 8 bytes left end the list",
         riffList("RIFF", "WAVE", riffList("LIST", "adtl", chunk("labl", "1234")) + "xyz"),
         "LIST:12:24{labl:24:12}"},
        {"an empty list", riffList("RIFF", "WAVE", riffList("LIST", "INFO", "") + fmt16), "LIST:12:12 fmt :24:24"},
        {"chunks of other forms are plain", riffList("RIFF", "AVI ", chunk("data", "1234")), "data:12:12"},
    };
    for (const Case& c : cases) {
        Parsed p(c.bytes);
        ASSERT_TRUE(p.root) << c.what;
        EXPECT_EQ(shape(p.root.get()), c.shape) << c.what;
        EXPECT_TRUE(p.handler.reports.empty()) << c.what;
    }
}

TEST(RiffRead, WaveChunkClasses) {
    WAVEFORMATEX extensible = {};
    extensible.wFormatTag = 0xFFFE;
    extensible.cbSize = 22;
    std::string extensibleFmt = formatBytes(extensible, 18) + std::string(22, '\x5A');
    Parsed p(riffList("RIFF", "WAVE",
                      chunk("fmt ", extensibleFmt) + chunk("fact", le32(12345)) +
                          riffList("LIST", "INFO", chunk("INAM", std::string("Song\0", 5)) + chunk("ICMT", "note")) +
                          chunk("data", "12345678")));
    ASSERT_TRUE(p.root);
    WaveFormatBlock* format = dynamic_cast<WaveFormatBlock*>(p.root->child(0));
    ASSERT_TRUE(format);
    EXPECT_EQ(format->storedBytes(), 40u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(format->block.data), 40), extensibleFmt);
    WaveFactBlock* fact = dynamic_cast<WaveFactBlock*>(p.root->child(1));
    ASSERT_TRUE(fact);
    EXPECT_EQ(fact->sampleCount, 12345u);
    RiffListBlock* info = dynamic_cast<RiffInfoListBlock*>(p.root->child(2));
    ASSERT_TRUE(info);
    RiffTextBlock* name = dynamic_cast<RiffTextBlock*>(info->child(0));
    RiffTextBlock* comment = dynamic_cast<RiffTextBlock*>(info->child(1));
    ASSERT_TRUE(name && comment);
    EXPECT_STREQ(name->text, "Song");
    EXPECT_EQ(comment->text, nullptr);
    WaveDataBlock* data = waveDataBlock(p.root.get());
    ASSERT_TRUE(data);
    EXPECT_EQ(data->formatBlock(), format);
    EXPECT_EQ(data->encoding, encodingCompressed);
    EXPECT_EQ(data->fields(), nullptr);

    // A 16-byte PCM block reads with cbSize 0 and lays its samples out as 16-bit values.
    Parsed pcm(riffList("RIFF", "WAVE", fmt16 + chunk("data", "12345678")));
    WaveDataBlock* pcmData = waveDataBlock(pcm.root.get());
    ASSERT_TRUE(pcmData);
    EXPECT_EQ(pcmData->formatBlock()->format()->cbSize, 0);
    EXPECT_EQ(pcmData->encoding, encodingInt16);
    const FieldDescriptor* fields = pcmData->fields();
    ASSERT_TRUE(fields);
    EXPECT_STREQ(fields[0].name, "Samples");
    EXPECT_EQ(fields[0].size, 8u);
    EXPECT_EQ(fields[0].sub->type, FieldType::Int16);
}

TEST(RiffRead, FileErrors) {
    {
        Parsed p("RIFX" + le32(4) + "WAVE");
        EXPECT_FALSE(p.root);
        ASSERT_EQ(p.handler.reports.size(), 1u);
        EXPECT_NE(p.handler.lastText().find("Wrong file type"), std::string::npos);
        EXPECT_FALSE(p.file.isOpen());
    }
    {
        // A chunk size below 8, as a maker of blocks may give it.
        Parsed p(riffList("RIFF", "WAVE", fmt16));
        ASSERT_TRUE(fileSeek(p.file, 20, SEEK_SET));
        RiffBlock tiny(nullptr, fourCC("tiny"), 0, 7);
        EXPECT_FALSE(tiny.read(nullptr, p.file, 0));
        EXPECT_EQ(tiny.start, 12u);
        ASSERT_EQ(p.handler.reports.size(), 1u);
        EXPECT_NE(p.handler.lastText().find("Bad RIFF chunk"), std::string::npos);
        EXPECT_FALSE(p.file.isOpen());
    }
    {
        // A list too short for its form type.
        Parsed p(riffList("RIFF", "WAVE", chunkClaiming("LIST", 2, "ab")));
        ASSERT_EQ(p.handler.reports.size(), 1u);
        EXPECT_NE(p.handler.lastText().find("Bad RIFF chunk"), std::string::npos);
        EXPECT_TRUE(p.file.failed());
        EXPECT_FALSE(p.file.isOpen());
    }
}

// The analyzer reads strictly through a sink and plugs its own classes in.
namespace {
class RefusingList : public RiffListBlock {
public:
    using RiffListBlock::RiffListBlock;
    BlockBase* createChild(const ChunkHeader& header) override {
        return header.id == ChunkId::Data ? nullptr : RiffListBlock::createChild(header);
    }
    bool checkList() override { return childCount() >= 2; }
};

struct MadeBlock : BlockBase {
    MadeBlock(BlockBase* parent, u32 id, u64 start, u64 size) : BlockBase(parent, id, start, size) {}
    bool read(BlockSink*, GFile& file, u64 limit) override {
        i64 position;
        fileTell(file, &position);
        readAt = position;
        readLimit = limit;
        return true;
    }
    i64 readAt = -1;
    u64 readLimit = 0;
};
u32 firstMpegBytes;
}  // namespace

TEST(RiffRead, StrictReadWithSink) {
    NoteSink sink;
    {
        // A PCM block that does not fit its data is noted, and reading goes on.
        Parsed p(riffList("RIFF", "WAVE", fmt16 + chunk("data", "123456")), &sink);
        EXPECT_EQ(shape(p.root.get()), "fmt :12:24 data:36:14");
        ASSERT_EQ(sink.notes.size(), 1u);
        EXPECT_EQ(sink.notes[0], "Bad PCM sound block: Data size is not aligned");
        EXPECT_TRUE(p.handler.reports.empty());
    }
    {
        // With a sink an "AVI " form is not parsed.
        Parsed p(riffList("RIFF", "AVI ", chunk("strl", "1234")), &sink);
        EXPECT_EQ(p.root->childCount(), 0u);
    }
    struct Case {
        std::string children;
        const char* message;
    };
    const Case cases[] = {
        {fmt16 + chunk("data", "1234"), "Unknown RIFF chunk"},
        {fmt16, "Incomplete RIFF list"},
    };
    for (const Case& c : cases) {
        for (bool answer : {false, true}) {
            // A handler that answers true does not turn the failed parse into success.
            TempDir dir;
            dir.write("in.wav", riffList("RIFF", "WAVE", c.children));
            RecordingHandler handler;
            handler.answer = answer;
            GFile file(&handler);
            ASSERT_TRUE(fileOpen(file, dir.file("in.wav").c_str(), FileMode::Read));
            ChunkHeader header;
            header.id = ChunkId::Riff;
            header.formType = ChunkId::Wave;
            header.contentSize = 4 + c.children.size();
            RefusingList root(nullptr, header);
            ASSERT_TRUE(fileSeek(file, 12, SEEK_SET));
            EXPECT_FALSE(root.read(&sink, file, 0)) << c.message;
            ASSERT_EQ(handler.reports.size(), 1u) << c.message;
            EXPECT_NE(handler.lastText().find(c.message), std::string::npos) << handler.lastText();
            EXPECT_FALSE(file.isOpen());
        }
    }
}

TEST(RiffRead, AnalyzerClassesPlugIn) {
    AnalyzerBlockClasses saved = analyzerBlockClasses();
    analyzerBlockClasses().instrument = [](BlockBase* parent, const ChunkHeader& h) -> BlockBase* {
        return new MadeBlock(parent, h.id, 0, h.contentSize + 8);
    };
    analyzerBlockClasses().mpegFrames = [](BlockBase* parent, u32 first, u64 start, u64 size) -> BlockBase* {
        firstMpegBytes = first;
        return new MadeBlock(parent, fourCC("MP3 "), start, size);
    };
    WAVEFORMATEX mp3 = {};
    mp3.wFormatTag = 0x55;
    Parsed p(riffList("RIFF", "WAVE",
                      chunk("fmt ", formatBytes(mp3, 18)) + chunk("mif ", std::string(120, 'i')) +
                          chunk("data", std::string("\xFF\xFB\x90\x00rest", 8))));
    analyzerBlockClasses() = saved;

    MadeBlock* instrument = dynamic_cast<MadeBlock*>(p.root->child(1));
    ASSERT_TRUE(instrument);
    EXPECT_EQ(instrument->readAt, 12 + 26 + 8);
    WaveDataBlock* data = waveDataBlock(p.root.get());
    ASSERT_TRUE(data);
    ASSERT_EQ(data->childCount(), 1u);
    MadeBlock* frames = dynamic_cast<MadeBlock*>(data->child(0));
    ASSERT_TRUE(frames);
    EXPECT_EQ(firstMpegBytes, 0x0090FBFFu);
    EXPECT_EQ(frames->readAt, (i64)data->start + 8);
    EXPECT_EQ(frames->readLimit, 8u);

    // Without the analyzer's classes the same chunks are plain blocks.
    Parsed plain(riffList("RIFF", "WAVE", chunk("fmt ", formatBytes(mp3, 18)) + chunk("mif ", "1234")));
    EXPECT_EQ(typeid(*plain.root->child(1)), typeid(RiffBlock));
}

namespace {
// Writes the tree into a fresh file (source: the file it was read from) and returns the bytes.
std::string written(BlockBase* root, GFile* source, const TempDir& dir, RecordingHandler* handler = nullptr,
                    bool* ok = nullptr) {
    GFile out(handler);
    EXPECT_TRUE(fileOpen(out, dir.file("out.wav").c_str(), FileMode::Write | FileFlag::Read));
    bool done = root->write(source, out, nullptr);
    if (ok) *ok = done;
    fileClose(out);
    return dir.read("out.wav");
}
}  // namespace

TEST(RiffWrite, SizesAndPadding) {
    TempDir dir;
    // A list with a 3-byte child: 8 + 3 bytes, one zero pad, and the list's size counts the pad.
    ChunkHeader header;
    header.id = ChunkId::List;
    header.formType = fourCC("test");
    RiffListBlock list(nullptr, header);
    dir.write("src", std::string(8, '-') + "abc");
    GFile source;
    ASSERT_TRUE(fileOpen(source, dir.file("src").c_str(), FileMode::Read));
    new RiffBlock(&list, fourCC("abc3"), 0, 11);
    EXPECT_EQ(written(&list, &source, dir), "LIST" + le32(16) + "test" + "abc3" + le32(3) + "abc" + '\0');
    EXPECT_EQ(list.size, 24u);

    // A parsed file written back from itself is the same file, whatever its padding and nesting.
    std::string original = riffList(
        "RIFF", "WAVE",
        fmt16 + riffList("LIST", "INFO", chunk("INAM", "odd")) + chunk("junk", "12345") + chunk("data", "1234"));
    Parsed p(original);
    EXPECT_EQ(written(p.root.get(), &p.file, dir), original);
    EXPECT_EQ(p.root->size, original.size());
}

TEST(RiffWrite, WaveLayoutFromEachSource) {
    TempDir dir;
    const WAVEFORMATEX mono = [] {
        WAVEFORMATEX w = {};
        w.wFormatTag = WAVE_FORMAT_PCM;
        w.nChannels = 1;
        w.nSamplesPerSec = 8000;
        w.nAvgBytesPerSec = 16000;
        w.nBlockAlign = 2;
        w.wBitsPerSample = 16;
        w.cbSize = 77;  // not written for PCM
        return w;
    }();
    const std::string head = "RIFF" + le32(4 + 24 + 14) + "WAVE" + chunk("fmt ", pcmFmt(1, 8000, 16)) + "data" + le32(6);
    dir.write("src", std::string(44, '-') + "SOURCE");
    GFile sourceFile;
    ASSERT_TRUE(fileOpen(sourceFile, dir.file("src").c_str(), FileMode::Read));
    const u8 memory[] = {'m', 'e', 'm', 'o', 'r', 'y'};

    struct Case {
        u32 kind;
        std::string data;
    };
    const Case cases[] = {
        {dataSourceZeros, std::string(6, '\0')},
        {dataSourceMemory, "memory"},
        {dataSourceFile, "SOURCE"},  // copied from the block's own content position (44)
    };
    for (const Case& c : cases) {
        std::unique_ptr<RiffListBlock> root(buildWaveLayout(&mono, 6));
        EXPECT_EQ(root->size, 50u);
        WaveDataBlock* data = waveDataBlock(root.get());
        data->start = 36;
        data->source.kind = c.kind;
        data->source.memory = memory;
        EXPECT_EQ(written(root.get(), &sourceFile, dir), head + c.data) << c.kind;
        EXPECT_EQ(data->start, 36u);
    }

    // Keep: the data bytes already in the target stay.
    std::unique_ptr<RiffListBlock> root(buildWaveLayout(&mono, 6));
    GFile out;
    ASSERT_TRUE(fileOpen(out, dir.file("keep.wav").c_str(), FileMode::Write | FileFlag::Read));
    ASSERT_TRUE(fileWrite(out, (std::string(44, '-') + "KEPT!!").data(), 50));
    ASSERT_TRUE(fileRewind(out));
    EXPECT_TRUE(root->write(nullptr, out, nullptr));
    i64 end;
    EXPECT_TRUE(fileTell(out, &end));
    EXPECT_EQ(end, 50);
    fileClose(out);
    EXPECT_EQ(dir.read("keep.wav"), head + "KEPT!!");
}

TEST(RiffWrite, DataOf4GiBIsRefusedBeforeWriting) {
    TempDir dir;
    WAVEFORMATEX stereo = {};
    stereo.wFormatTag = WAVE_FORMAT_PCM;
    stereo.nChannels = 2;
    stereo.nBlockAlign = 4;
    stereo.wBitsPerSample = 16;
    const u64 largest = 0xFFFFFFFFull - 4 - 24 - 8 - 1;  // the largest even data whose RIFF content fits
    EXPECT_TRUE(waveDataFits(largest, 16));
    EXPECT_FALSE(waveDataFits(largest + 1, 16));
    EXPECT_FALSE(waveDataFits(0x100000000ull, 16));

    for (u64 dataSize : {largest + 2, 0x100000000ull, 0x140000000ull}) {
        // Refused whatever the handler answers.
        for (bool answer : {false, true}) {
            std::unique_ptr<RiffListBlock> root(buildWaveLayout(&stereo, dataSize));
            RecordingHandler handler;
            handler.answer = answer;
            bool ok = true;
            EXPECT_EQ(written(root.get(), nullptr, dir, &handler, &ok), "") << dataSize;
            EXPECT_FALSE(ok) << answer;
            ASSERT_EQ(handler.reports.size(), 1u);
            EXPECT_NE(handler.lastText().find("less than 4 GB"), std::string::npos);
            // The data block alone refuses content past the 32-bit size.
            if (dataSize <= maxChunkContent) continue;
            handler.reports.clear();
            ok = true;
            EXPECT_EQ(written(waveDataBlock(root.get()), nullptr, dir, &handler, &ok), "") << dataSize;
            EXPECT_FALSE(ok) << answer;
            EXPECT_EQ(handler.reports.size(), 1u);
        }
    }
}

TEST(RiffReport, TwoLevelWaveInEachKind) {
    Parsed p(riffList("RIFF", "WAVE", fmt16 + chunk("data", "1234")));
    struct Case {
        u32 kind;
        const char* text;
    };
    const Case cases[] = {
        {ReportKind::Text,
         "00000000H: RIFF Block: 'RIFF.WAVE' Block size: 48, Content size: 36, Items: 2\r\n"
         "0000000CH: {\r\n"
         "0000000CH:     RIFF Block: 'fmt '      Block size: 24, Content size: 16, Content from address: 00000014H\r\n"
         "00000024H:     RIFF Block: 'data'      Block size: 12, Content size: 4, Content from address: 0000002CH\r\n"
         "00000030H: }\r\n"},
        {ReportKind::Html,
         "00000000H: RIFF Block: <b>RIFF.WAVE</b> Items: 2, Block size: 48, Content size=36\r\n<UL>\r\n"
         "<li>0000000CH: RIFF Block: 'fmt ' Block size: 24, Content size: 16, Content from address: 00000014H\r\n"
         "<li>00000024H: RIFF Block: 'data' Block size: 12, Content size: 4, Content from address: 0000002CH\r\n"
         "</UL>\r\n00000030H: End of <b>RIFF.WAVE</b>\r\n"},
        {ReportKind::Xml,
         "<RIFF.WAVE Offset=\"00000000H..00000030H\" BlockSize=\"48\" ContentSize=\"36\" Items=\"2\">\r\n"
         "<fmt Offset=\"0000000CH..00000024H\" BlockSize=\"24\" ContentSize=\"16\" ContentFromAddress=\"00000014H\"/>\r\n"
         "<data Offset=\"00000024H..00000030H\" BlockSize=\"12\" ContentSize=\"4\" ContentFromAddress=\"0000002CH\"/>\r\n"
         "</RIFF.WAVE>\r\n"},
    };
    for (const Case& c : cases) {
        GFile out;
        ASSERT_TRUE(fileOpen(out, p.dir.file("report").c_str(), FileMode::Write));
        EXPECT_TRUE(p.root->report(out, c.kind));
        fileClose(out);
        EXPECT_EQ(p.dir.read("report"), c.text);
    }
    GString title;
    p.root->displayName(title);
    EXPECT_STREQ(title.c_str(), "RIFF Block: RIFF.WAVE");

    // Addresses past 4 GiB keep all their digits.
    RiffBlock distant(nullptr, ChunkId::Data, 0x123456789ull, 16);
    GFile out;
    ASSERT_TRUE(fileOpen(out, p.dir.file("distant").c_str(), FileMode::Write));
    EXPECT_TRUE(distant.report(out, ReportKind::Text));
    fileClose(out);
    EXPECT_EQ(p.dir.read("distant"),
              "123456789H: RIFF Block: 'data'      Block size: 16, Content size: 8, Content from address: 123456791H\r\n");
}

TEST(RiffRead, FilesOfOtherPrograms) {
    struct Case {
        const char* file;
        u16 tag, channels;
        u32 rate;
        u16 bits;
        const char* shape;
        const char* title;  // INAM of its INFO list, or null
    };
    const Case cases[] = {
        {"mono16.wav", 1, 1, 8000, 16, "fmt :12:24 data:36:608 LIST:644:50{INAM:656:18 ICMT:674:20}", "Ramp m16"},
        {"stereo16.wav", 1, 2, 22050, 16, "fmt :12:24 data:36:1208 LIST:1244:50{INAM:1256:18 ICMT:1274:20}",
         "Ramp s16"},
        {"float32.wav", 3, 2, 44100, 32,
         "fmt :12:24 fact:36:12 PEAK:48:32 data:80:2408 LIST:2488:50{INAM:2500:18 ICMT:2518:20}", "Ramp f32"},
        {"float32_fact.wav", 3, 2, 44100, 32, "fmt :12:26 fact:38:12 data:50:2408", nullptr},
    };
    for (const Case& c : cases) {
        RecordingHandler handler;
        GFile file(&handler);
        ASSERT_TRUE(fileOpen(file, fixturePath(c.file).c_str(), FileMode::Read)) << fixturePath(c.file);
        std::unique_ptr<RiffListBlock> root(readRiffFile(file, nullptr));
        ASSERT_TRUE(root) << c.file;
        EXPECT_TRUE(handler.reports.empty()) << c.file;
        EXPECT_EQ(root->size, (u64)fileSize(file)) << c.file;
        EXPECT_EQ(shape(root.get()), c.shape) << c.file;

        WaveDataBlock* data = waveDataBlock(root.get());
        ASSERT_TRUE(data && data->formatBlock()) << c.file;
        const WAVEFORMATEX* f = data->formatBlock()->format();
        EXPECT_EQ(f->wFormatTag, c.tag);
        EXPECT_EQ(f->nChannels, c.channels);
        EXPECT_EQ(f->nSamplesPerSec, c.rate);
        EXPECT_EQ(f->wBitsPerSample, c.bits);
        EXPECT_EQ(f->nBlockAlign, c.channels * c.bits / 8);

        std::vector<u8> bytes(data->contentSize());
        ASSERT_TRUE(fileSeek(file, (i64)data->start + 8, SEEK_SET));
        ASSERT_TRUE(fileRead(file, bytes.data(), (u32)bytes.size()));
        u32 frames = (u32)(bytes.size() / f->nBlockAlign), wrong = 0;
        EXPECT_EQ(frames, 300u) << c.file;
        for (u32 i = 0; i < frames; ++i) {
            for (u32 ch = 0; ch < c.channels; ++ch) {
                if (c.bits == 16) {
                    i16 v;
                    memcpy(&v, &bytes[i * f->nBlockAlign + ch * 2], 2);
                    wrong += v != rampSample(i, ch);
                } else {
                    float v;
                    memcpy(&v, &bytes[i * f->nBlockAlign + ch * 4], 4);
                    wrong += v != rampFloat(i, ch);
                }
            }
        }
        EXPECT_EQ(wrong, 0u) << c.file;

        BlockBase* list = root->findChild(ChunkId::List);
        RiffTextBlock* title = list ? dynamic_cast<RiffTextBlock*>(list->findChild(ChunkId::Name)) : nullptr;
        if (c.title) {
            ASSERT_TRUE(title) << c.file;
            EXPECT_STREQ(title->text, c.title);
        } else {
            EXPECT_FALSE(title) << c.file;
        }
    }
}

TEST(RiffRead, ListsNestedPastTheDepthLimitAreLeaves) {
    // 20000 lists, each holding only the next one, between a format and a data chunk.
    const u32 lists = 20000;
    std::string nested;
    nested.reserve(lists * 12);
    for (u32 i = 0; i < lists; ++i) nested += "LIST" + le32(4 + 12 * (lists - 1 - i)) + "deep";
    const std::string original = riffList("RIFF", "WAVE", fmt16 + nested + chunk("data", "1234"));
    Parsed p(original);
    ASSERT_TRUE(p.root);
    EXPECT_TRUE(p.handler.reports.empty());
    ASSERT_EQ(p.root->childCount(), 3u);
    EXPECT_TRUE(waveDataBlock(p.root.get()));

    // Lists open up to the limit; the list at the limit is one leaf holding the rest of the nesting.
    const BlockBase* b = p.root->child(1);
    u32 depth = 1;
    while (b->childCount() == 1) {
        b = b->child(0);
        ++depth;
    }
    EXPECT_EQ(depth, maxRiffListDepth);
    EXPECT_EQ(b->id, ChunkId::List);
    EXPECT_EQ(typeid(*b), typeid(RiffBlock));
    EXPECT_EQ(b->start, 36u + 12 * (depth - 1));
    EXPECT_EQ(b->size, 12u * (lists - depth + 1));

    // Reports and writing go through the same tree: the file comes back whole.
    GFile out;
    ASSERT_TRUE(fileOpen(out, p.dir.file("report").c_str(), FileMode::Write));
    EXPECT_TRUE(p.root->report(out, ReportKind::Xml));
    fileClose(out);
    EXPECT_NE(p.dir.read("report").find("<LIST Offset="), std::string::npos);
    EXPECT_EQ(written(p.root.get(), &p.file, p.dir), original);
}
