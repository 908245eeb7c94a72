// The file structure over small files: the parse order and its cases (unknown bytes, cut RIFF sizes,
// ID3 tags alone and in front of MPEG data, the frame scan by extension, strict refusals), the file
// kinds, the reports byte for byte, the stream walk, and a bounded mutation loop in which every
// block stays inside its parent and the file.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "core/block_data_source.h"
#include "tests/tools/analyzer_bytes.h"
#include "tools/dls_blocks.h"
#include "tools/id3_blocks.h"
#include "tools/instrument_blocks.h"
#include "tools/mpeg_block.h"
#include "tools/ogg_blocks.h"

namespace {
const std::string frame3 = bytesOf({0xFF, 0xFB, 0x90, 0x64});
const std::string frame2 = bytesOf({0xFF, 0xFD, 0x80, 0x0C});

std::string id3v2(const std::string& sizeBytes, const std::string& body) {
    return std::string("ID3\x03\x00\x00", 6) + sizeBytes + body;
}
std::string id3v1(const char* title) {
    std::string tag = std::string("TAG") + title;
    tag.resize(128, '\0');
    return tag;
}
std::string pcmWave(const std::string& samples, const std::string& extra = "") {
    return riffList("RIFF", "WAVE", chunk("fmt ", pcmFmt(1, 8000, 16)) + chunk("data", samples) + extra);
}
std::string fourCCString(u32 id) { return std::string(reinterpret_cast<const char*>(&id), 4); }
}  // namespace

TEST(FileStructure, ParseOrderCases) {
    struct Case {
        const char* what;
        const char* name;
        std::string bytes;
        std::string layout;
        u32 kind;
    } cases[] = {
        {"10 unknown bytes", "a.bin", "0123456789", "[Unknown]@0+10 [EOF]@10+0", BlockId::Unknown},
        {"empty file", "a.bin", "", "[EOF]@0+0", 0},
        {"RIFF size past the end is cut", "a.wav",
         riffList("RIFF", "WAVE", chunk("fmt ", pcmFmt(1, 8000, 16))).substr(0, 4) + le32(5000) + "WAVE" +
             chunk("fmt ", pcmFmt(1, 8000, 16)),
         "RIFF Block: RIFF.WAVE@0+36 [EOF]@36+0", ChunkId::Wave},
        {"RIFF size all ones", "a.wav", std::string("RIFF") + le32(0xFFFFFFFF) + "WAVE" + chunk("abcd", "xy"),
         "RIFF Block: RIFF.WAVE@0+22 [EOF]@22+0", ChunkId::Wave},
        {"RIFF header cut short", "a.wav", std::string("RIFF") + le32(4), "[Unknown]@0+8 [EOF]@8+0", BlockId::Unknown},
        {"only an ID3v1 tail", "a.bin", id3v1("song"), "ID3v1 Tag@0+128 [EOF]@128+0", BlockId::Id3v1},
        // A tag asks for a frame scan; without a frame the handler (answering false here) ends the parse.
        {"ID3v2 of 2000000 bytes: the header", "a.bin", id3v2(bytesOf({0x00, 0x7A, 0x12, 0x00}), std::string(40, 0)),
         "ID3v2 Tag@0+10 [EOF]@50+0", BlockId::Id3v2},
        {"ID3v2 of 00 00 02 01", "a.bin", id3v2(bytesOf({0, 0, 2, 1}), std::string(257, 'i')) + "tail",
         "ID3v2 Tag@0+267 [Unknown]@267+4 [EOF]@271+0", BlockId::Unknown},
        {"ID3v2 past the end: the header", "a.bin", id3v2(bytesOf({0, 0, 2, 1}), std::string(100, 'i')),
         "ID3v2 Tag@0+10 [EOF]@110+0", BlockId::Id3v2},
        {"ID3-tagged MPEG with a tail", "song.mp3",
         id3v2(bytesOf({0, 0, 0, 20}), std::string(20, 'i')) + mpegFrame(frame3, 417) + mpegFrame(frame3, 417) +
             id3v1("song"),
         "ID3v2 Tag@0+30 MP3@30+834 ID3v1 Tag@864+128 [EOF]@992+0", BlockId::Mp3},
        {"MPEG frame at the start, any name", "a.bin", mpegFrame(frame3, 417), "MP3@0+417 [EOF]@417+0", BlockId::Mp3},
        {"MP2 is scanned", "A.MP2", std::string(300, 'x') + mpegFrame(frame2, 8000),
         "[Unknown]@0+300 MP3@300+8000 [EOF]@8300+0", BlockId::Mp3},
        {"mp3 is scanned", "a.Mp3", std::string(300, 'x') + mpegFrame(frame3, 8000),
         "[Unknown]@0+300 MP3@300+8000 [EOF]@8300+0", BlockId::Mp3},
        {"wav is not", "a.wav", std::string(300, 'x') + mpegFrame(frame3, 8000), "[Unknown]@0+8300 [EOF]@8300+0",
         BlockId::Unknown},
        {"an Ogg stream then a WAVE form", "a.bin", oggPage("abc") + pcmWave("abcd"),
         "Ogg@0+31 RIFF Block: RIFF.WAVE@31+48 [EOF]@79+0", ChunkId::Wave},
        {"a DLS collection", "a.dls", riffList("RIFF", "DLS ", chunk("colh", le32(1))),
         "RIFF Block: RIFF.DLS@0+24 [EOF]@24+0", ChunkId::Dls},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Parsed p(c.name, c.bytes);
        ASSERT_NE(p.root, nullptr);
        EXPECT_EQ(p.root->size, c.bytes.size());
        EXPECT_EQ(p.layout(), c.layout);
        EXPECT_EQ(fourCCString(p.root->fileKind), fourCCString(c.kind));
    }
}

TEST(FileStructure, MpegScanFailureGoesThroughTheHandler) {
    // An ID3v2 tag asks for a scan; no frame within the window: the handler decides.
    const std::string bytes = id3v2(bytesOf({0, 0, 0, 0}), "") + std::string(200000, 'x');
    Parsed stops("a.bin", bytes);
    EXPECT_EQ(stops.layout(), "ID3v2 Tag@0+10 [EOF]@200010+0");
    ASSERT_FALSE(stops.handler.reports.empty());
    EXPECT_NE(stops.handler.lastText().find(mmText(MmText::NoMpegFrame)), std::string::npos);
    Parsed goesOn("a.bin", bytes, nullptr, true);
    EXPECT_EQ(goesOn.layout(), "ID3v2 Tag@0+10 [Unknown]@10+0 MP3@10+200000 [EOF]@200010+0");
}

TEST(FileStructure, StrictReads) {
    NoteSink sink;
    // Too short.
    Parsed shortFile("a.wav", "0123456789", &sink);
    ASSERT_EQ(shortFile.handler.reports.size(), 1u);
    EXPECT_NE(shortFile.handler.lastText().find(mmText(MmText::FileTooShort)), std::string::npos);
    EXPECT_EQ(shortFile.layout(), "");
    // A form other than WAVE and DLS ends the loop; no end marker.
    Parsed avi("a.avi", riffList("RIFF", "AVI ", chunk("abcd", "12345678")) + std::string(20, 'z'), &sink);
    EXPECT_EQ(avi.layout(), "[Unknown]@0+48");
    // A second RIFF: the error, then what the handler says.
    const std::string two = pcmWave("abcd") + pcmWave("efgh");
    Parsed stops("a.wav", two, &sink);
    EXPECT_EQ(stops.layout(), "RIFF Block: RIFF.WAVE@0+48 [Unknown]@48+48");
    EXPECT_NE(stops.handler.lastText().find(mmText(MmText::SecondRiffForm)), std::string::npos);
    Parsed goesOn("a.wav", two, &sink, true);
    EXPECT_EQ(goesOn.layout(), "RIFF Block: RIFF.WAVE@0+48 RIFF Block: RIFF.WAVE@48+48");
    // Lenient: both forms without a word.
    Parsed lenient("a.wav", two);
    EXPECT_TRUE(lenient.handler.reports.empty());
    EXPECT_EQ(lenient.root->childCount(), 3u);
}

TEST(FileStructure, ReportsByteForByte) {
    Parsed mp3("song.mp3", id3v2(bytesOf({0, 0, 0, 20}), std::string(20, 'i')) + mpegFrame(frame3, 417) + id3v1("s"));
    EXPECT_EQ(mp3.report(ReportKind::Text),
              "File Size: 575\r\n"
              "00000000H:     ID3v2 Tag: Block size: 30\r\n"
              "0000001EH:     MP3: Block size: 417\r\n"
              "000001BFH:     ID3v1 Tag: Block size: 128\r\n"
              "0000023FH:     [EOF]: Block size: 0\r\n");
    EXPECT_EQ(mp3.report(ReportKind::Html),
              "<html><head></head><body>File Size: 575\r\n<UL>"
              "<li>00000000H: ID3v2 Tag: Block size: 30\r\n"
              "<li>0000001EH: MP3: Block size: 417\r\n"
              "<li>000001BFH: ID3v1 Tag: Block size: 128\r\n"
              "<li>0000023FH: [EOF]: Block size: 0\r\n"
              "</UL></body></html>\r\n");
    EXPECT_EQ(mp3.report(ReportKind::Xml),
              "<?xml version=\"1.0\"?><FILE Size=\"575\">\r\n"
              "<ID3v2Tag Offset=\"00000000H..0000001EH\" BlockSize=\"30\"/>\r\n"
              "<MP3 Offset=\"0000001EH..000001BFH\" BlockSize=\"417\"/>\r\n"
              "<ID3v1Tag Offset=\"000001BFH..0000023FH\" BlockSize=\"128\"/>\r\n"
              "<EOF Offset=\"0000023FH..0000023FH\" BlockSize=\"0\"/>\r\n"
              "</FILE>\r\n");

    // A tagged WAVE: the RIFF lines are the RIFF reader's, nested under the file's.
    Parsed wave("a.wav", pcmWave("abcd", riffList("LIST", "INFO", chunk("INAM", std::string("Song\0", 5)))) +
                             "junk");
    EXPECT_EQ(wave.report(ReportKind::Text),
              "File Size: 78\r\n"
              "00000000H:     RIFF Block: 'RIFF.WAVE' Block size: 74, Content size: 62, Items: 3\r\n"
              "0000000CH:     {\r\n"
              "0000000CH:         RIFF Block: 'fmt '      Block size: 24, Content size: 16, Content from address: 00000014H\r\n"
              "00000024H:         RIFF Block: 'data'      Block size: 12, Content size: 4, Content from address: 0000002CH\r\n"
              "00000030H:         RIFF Block: 'LIST.INFO' Block size: 26, Content size: 14, Items: 1\r\n"
              "0000003CH:         {\r\n"
              "0000003CH:             RIFF Block: 'INAM'      Block size: 13, Content size: 5, Content from address: 00000044H\r\n"
              "0000004AH:         }\r\n"
              "0000004AH:     }\r\n"
              "0000004AH:     Unknown Data: Block size: 4\r\n"
              "0000004EH:     [EOF]: Block size: 0\r\n");
    EXPECT_EQ(wave.report(ReportKind::Xml),
              "<?xml version=\"1.0\"?><FILE Size=\"78\">\r\n"
              "<RIFF.WAVE Offset=\"00000000H..0000004AH\" BlockSize=\"74\" ContentSize=\"62\" Items=\"3\">\r\n"
              "<fmt Offset=\"0000000CH..00000024H\" BlockSize=\"24\" ContentSize=\"16\" ContentFromAddress=\"00000014H\"/>\r\n"
              "<data Offset=\"00000024H..00000030H\" BlockSize=\"12\" ContentSize=\"4\" ContentFromAddress=\"0000002CH\"/>\r\n"
              "<LIST.INFO Offset=\"00000030H..0000004AH\" BlockSize=\"26\" ContentSize=\"14\" Items=\"1\">\r\n"
              "<INAM Offset=\"0000003CH..00000049H\" BlockSize=\"13\" ContentSize=\"5\" ContentFromAddress=\"00000044H\"/>\r\n"
              "</LIST.INFO>\r\n"
              "</RIFF.WAVE>\r\n"
              "<UNKNOWN Offset=\"0000004AH..0000004EH\" BlockSize=\"4\"/>\r\n"
              "<EOF Offset=\"0000004EH..0000004EH\" BlockSize=\"0\"/>\r\n"
              "</FILE>\r\n");
}

TEST(FileStructure, SoundStreams) {
    // A WAVE with a title, an MPEG WAVE, a WAVE whose data precedes its format, and an own file.
    const std::string titled =
        pcmWave("abcd", riffList("LIST", "INFO", chunk("INAM", std::string("Song\0", 5))) +
                            chunk("mif ", std::string(56, 'm') + std::string("hello\0", 6)));
    Parsed p("a.wav", titled);
    SoundStreamWalker walker(p.root.get());
    SoundStreamInfo s;
    ASSERT_TRUE(findFirstSoundStream(walker, s));
    EXPECT_EQ(s.dataOffset, 44u);
    EXPECT_EQ(s.dataSize, 4u);
    ASSERT_NE(s.format, nullptr);
    EXPECT_EQ(s.format->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_STREQ(s.title.c_str(), "Song");
    BlockBase* form = p.child(0);
    EXPECT_EQ(s.topBlock, form);
    EXPECT_EQ(s.topIndex, 0u);
    EXPECT_EQ(s.formatBlock, form->child(0));
    EXPECT_EQ(s.formatIndex, 0u);
    EXPECT_EQ(s.dataBlock, form->child(1));
    EXPECT_EQ(s.dataIndex, 1u);
    ASSERT_NE(s.instrumentBlock, nullptr);
    EXPECT_STREQ(static_cast<WaveInstrumentBlock*>(s.instrumentBlock)->text.c_str(), "hello");
    EXPECT_FALSE(walker.next(s));

    WAVEFORMATEX mpeg = {};
    mpeg.wFormatTag = 0x55;
    mpeg.nChannels = 2;
    const std::string mpegWave =
        riffList("RIFF", "WAVE", chunk("fmt ", formatBytes(mpeg, 18)) + chunk("data", mpegFrame(frame3, 417)));
    const std::string noMpeg = riffList("RIFF", "WAVE", chunk("fmt ", formatBytes(mpeg, 18)) + chunk("data", "abcd"));
    const std::string dataFirst = riffList("RIFF", "WAVE", chunk("data", "abcd") + chunk("fmt ", pcmFmt(1, 8000, 16)));
    struct Case {
        const char* what;
        std::string bytes;
        u32 streams;
        u32 kind;
        u16 tag;
    } cases[] = {
        {"MPEG in a WAVE: the format from the frame", mpegWave, 1, BlockId::Mp3, 0x55},
        {"tag 0x55 without a frame: no stream", noMpeg, 0, ChunkId::Wave, 0},
        {"data before fmt: no stream", dataFirst, 0, ChunkId::Wave, 0},
        {"two forms, lenient", pcmWave("ab") + titled, 2, ChunkId::Wave, 1},
        {"an Ogg stream", oggPage(vorbisIdentification(1, 8000, 0xFFFFFFFF, 64000, 0)), 1, BlockId::Ogg, 0x674F},
        {"a DLS wave pool", riffList("RIFF", "DLS ", riffList("LIST", "wvpl", riffList("LIST", "wave",
             chunk("fmt ", pcmFmt(1, 8000, 16)) + chunk("data", "abcd")))), 1, ChunkId::Dls, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Parsed q("a.bin", c.bytes);
        EXPECT_EQ(fourCCString(q.root->fileKind), fourCCString(c.kind));
        PointerArray streams;
        collectSoundStreams(q.root.get(), streams);
        EXPECT_EQ(streams.count, c.streams);
        if (c.streams) {
            const SoundStreamInfo* first = streams.at<SoundStreamInfo>(0);
            ASSERT_NE(first->format, nullptr);
            EXPECT_EQ(first->format->wFormatTag, c.tag);
            EXPECT_NE(first->topBlock, nullptr);
        }
        freeSoundStreams(streams);
    }
}

TEST(FileStructure, OwnSoundFileStream) {
    const std::string format = pcmFmt(2, 8000, 16);
    const std::string bytes = std::string("RAVO") + le32(0) + le32(32) + le32(0) + le64(format.size()) + le64(8) +
                              format + std::string(8, 's');
    Parsed p("a.snd", bytes);
    EXPECT_EQ(fourCCString(p.root->fileKind), "RAVO");
    SoundStreamWalker walker(p.root.get());
    SoundStreamInfo s;
    ASSERT_TRUE(walker.next(s));
    EXPECT_EQ(s.dataOffset, 48u);
    EXPECT_EQ(s.dataSize, 8u);
    EXPECT_EQ(s.formatIndex, 0u);
    EXPECT_EQ(s.dataIndex, 1u);
    EXPECT_EQ(s.topBlock, p.child(0));
}

namespace {
const u8* fakeEntries = nullptr;
int fakeCount = 0;
int32_t __cdecl fakeParse(const char*, const CodecStreamEntry** entries) {
    *entries = reinterpret_cast<const CodecStreamEntry*>(fakeEntries);
    return fakeCount;
}
}  // namespace

TEST(FileStructure, CodecLibraryStreams) {
    // Two entries, the second with a text that fills its entry without a terminator.
    u8 entries[2 * pluginEntryBytes] = {};
    u32 words[31] = {};
    words[2] = 1;
    words[28] = 22050;
    words[29] = 64000;
    words[30] = 2;
    memcpy(entries, words, sizeof words);
    memcpy(entries + 12, "First", 5);
    memcpy(entries + pluginEntryBytes, words, sizeof words);
    memset(entries + pluginEntryBytes + 12, 'n', pluginEntryBytes - 12);
    fakeEntries = entries;
    fakeCount = 2;
    codecParseFile = fakeParse;
    Parsed p("a.xyz", std::string(1000, 'q'));
    fakeCount = 0;
    Parsed none("a.xyz", std::string(1000, 'q'));
    codecParseFile = nullptr;
    EXPECT_EQ(none.layout(), "[Unknown]@0+1000 [EOF]@1000+0");
    ASSERT_EQ(p.root->childCount(), 3u);
    EXPECT_EQ(p.child(0)->id, BlockId::PluginStream);
    EXPECT_EQ(p.root->fileKind, BlockId::PluginStream);
    GString name;
    p.child(0)->displayName(name);
    EXPECT_STREQ(name.c_str(), "Stream 1: First");
    EXPECT_EQ(strlen(static_cast<PluginStreamBlock*>(p.child(1))->title()), pluginEntryBytes - 25);
    PointerArray streams;
    collectSoundStreams(p.root.get(), streams);
    ASSERT_EQ(streams.count, 2u);
    const SoundStreamInfo* s = streams.at<SoundStreamInfo>(0);
    EXPECT_STREQ(s->title.c_str(), "First");
    EXPECT_EQ(s->format->nSamplesPerSec, 22050u);
    EXPECT_EQ(s->format->nAvgBytesPerSec, 8000u);
    EXPECT_EQ(s->format->nChannels, 2);
    EXPECT_EQ(s->dataSize, 1000u);
    freeSoundStreams(streams);
}

namespace {
// Every block lies inside its parent and the file; every table row of a block inside the block.
void checkTree(BlockBase* block, u64 fileSize, u32& blocks) {
    ++blocks;
    ASSERT_LE(block->start, fileSize);
    ASSERT_LE(block->size, fileSize - block->start);
    if (block->parent && block->parent->parent) {
        EXPECT_GE(block->start, block->parent->start);
        EXPECT_LE(block->start + block->size, block->parent->start + block->parent->size);
    }
    u64 offset = 0, size = 0;
    if (const FieldDescriptor* rows = block->secondRecord(&offset, &size)) {
        EXPECT_LE(offset + size, fileSize);
        for (u32 i = 0; rows[i].name; ++i)
            if (rows[i].type != FieldType::Bits) {
                EXPECT_LE(rows[i].offset + rows[i].size, size) << rows[i].name;
            }
    }
    for (u32 i = 0; i < block->childCount(); ++i) checkTree(block->child(i), fileSize, blocks);
}
}  // namespace

TEST(FileStructure, MutatedFilesStayInsideThemselves) {
    const std::string dls = riffList(
        "RIFF", "DLS ",
        chunk("colh", le32(1)) + chunk("ptbl", le32(8) + le32(2) + le32(0) + le32(4)) +
            riffList("LIST", "lins", riffList("LIST", "ins ", chunk("art1", le32(8) + le32(1) + std::string(12, 'c')))));
    const std::string fixtures[] = {
        pcmWave("abcd", riffList("LIST", "INFO", chunk("INAM", std::string("Song\0", 5)))),
        id3v2(bytesOf({0, 0, 0, 20}), std::string(20, 'i')) + mpegFrame(frame3, 417) + id3v1("s"),
        oggPage(vorbisIdentification(2, 44100, 1, 2, 3)) + oggPage(vorbisComments("c", 1, {"A=1"})) +
            oggPage(std::string(300, 'a'), 0, 9),
        dls,
        riffList("RIFF", "MIF ", chunk("main", std::string(16, 'm')) +
                                     riffList("LIST", "lins", riffList("LIST", "ins ", chunk("hdr ", std::string(56, 'h')) +
                                                                                          chunk("mtd ", "txt") +
                                                                                          chunk("data", "dd")))),
    };
    u32 seed = 12345;
    auto random = [&] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    u32 files = 0, blocks = 0;
    for (const std::string& fixture : fixtures) {
        for (u32 round = 0; round < 60; ++round) {
            std::string bytes = fixture;
            u32 edits = 1 + random() % 4;
            for (u32 e = 0; e < edits && !bytes.empty(); ++e) {
                u32 at = random() % bytes.size();
                switch (random() % 4) {
                case 0: bytes[at] = (char)random(); break;
                case 1: bytes[at] = (char)0xFF; break;
                case 2: bytes.resize(at); break;
                default: {
                    // A size or count word set to an extreme.
                    static const u32 words[] = {0, 1, 7, 0xFFFFFFF8, 0xFFFFFFFF, 0x7FFFFFFF};
                    u32 w = words[random() % 6];
                    if (at + 4 <= bytes.size()) memcpy(&bytes[at], &w, 4);
                }
                }
            }
            SCOPED_TRACE(std::to_string(files) + " " + std::to_string(bytes.size()));
            for (bool strict : {false, true}) {
                NoteSink sink;
                Parsed p(files % 2 ? "m.mp3" : "m.bin", bytes, strict ? &sink : nullptr, round % 2 == 0);
                ASSERT_NE(p.root, nullptr);
                checkTree(p.root.get(), bytes.size(), blocks);
                // The reports write whatever was found.
                EXPECT_NE(p.report(ReportKind::Text), "<failed>");
                PointerArray streams;
                collectSoundStreams(p.root.get(), streams);
                for (u32 i = 0; i < streams.count; ++i) {
                    const SoundStreamInfo* s = streams.at<SoundStreamInfo>(i);
                    EXPECT_LE(s->dataOffset + s->dataSize, bytes.size());
                }
                freeSoundStreams(streams);
            }
            ++files;
        }
    }
    EXPECT_GT(blocks, files);
}
