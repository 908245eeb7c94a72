// The Ogg blocks over small streams: pages and their packet blocks, the stream's format from the
// identification header, the first page with a granule position, the trailing fragment, continued
// packets, strict reads, the comment rows bounded by their packet, pages inside a WAVE and a stream
// made by sox.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/mm/sox_tool.h"
#include "tests/tools/analyzer_bytes.h"
#include "tools/ogg_blocks.h"

namespace {
const std::string audioPacket = std::string(200, 'a');

OggStreamBlock* streamOf(const Parsed& p) { return dynamic_cast<OggStreamBlock*>(p.child(0)); }
std::string fourCCString(u32 id) { return std::string(reinterpret_cast<const char*>(&id), 4); }
}  // namespace

TEST(OggBlocks, PagesPacketsAndTheFormat) {
    const std::string pages[] = {
        oggPage(vorbisIdentification(2, 44100, 160000, 128000, 0)),
        oggPage(vorbisComments("maker", 1, {"TITLE=x"})),
        oggPage(audioPacket, 0, 1000, 2),
        oggPage(audioPacket, 0, 2000, 3),
    };
    std::string bytes;
    for (const std::string& page : pages) bytes += page;
    Parsed p("a.ogg", bytes + std::string(20, 'z'));
    OggStreamBlock* stream = streamOf(p);
    ASSERT_NE(stream, nullptr);
    // The fragment of fewer than 27 bytes stays outside the stream.
    EXPECT_EQ(stream->size, bytes.size());
    EXPECT_EQ(p.layout(), "Ogg@0+" + std::to_string(bytes.size()) + " [Unknown]@" + std::to_string(bytes.size()) +
                              "+20 [EOF]@" + std::to_string(bytes.size() + 20) + "+0");
    EXPECT_EQ(p.root->fileKind, BlockId::Unknown);
    ASSERT_EQ(stream->childCount(), 4u);
    const u32 kinds[] = {BlockId::OggAudio, BlockId::OggComment, 0, 0};
    u64 at = 0;
    for (u32 i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        BlockBase* page = stream->child(i);
        EXPECT_EQ(page->id, BlockId::OggPage);
        EXPECT_EQ(page->start, at);
        EXPECT_EQ(page->size, pages[i].size());
        EXPECT_EQ(page->headerLength(), 28u);
        ASSERT_EQ(page->childCount(), kinds[i] ? 1u : 0u);
        if (kinds[i]) {
            EXPECT_EQ(page->child(0)->id, kinds[i]);
            EXPECT_EQ(page->child(0)->start, at + 28);
            EXPECT_EQ(page->child(0)->size, pages[i].size() - 28);
        }
        at += pages[i].size();
    }
    EXPECT_EQ(stream->firstGranulePage, pages[0].size() + pages[1].size());

    const WAVEFORMATEX* f = stream->format();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(stream->formatLength(), 26u);
    EXPECT_EQ(f->wFormatTag, 0x676F);
    EXPECT_EQ(f->nChannels, 2);
    EXPECT_EQ(f->nSamplesPerSec, 44100u);
    EXPECT_EQ(f->nAvgBytesPerSec, 16000u);
    EXPECT_EQ(f->nBlockAlign, 4);
    EXPECT_EQ(f->wBitsPerSample, 16);
    EXPECT_EQ(f->cbSize, 8);
    const u16 extra[4] = {0x0913, 0x2001, 0x0910, 0x2001};
    EXPECT_EQ(0, memcmp(reinterpret_cast<const u8*>(f) + 18, extra, 8));

    // The page's table runs from its start; its segment array is as long as its segment table.
    u64 offset = 0, size = 0;
    const FieldDescriptor* rows = stream->child(2)->secondRecord(&offset, &size);
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(offset, stream->child(2)->start);
    EXPECT_STREQ(rows[8].name, "Segment Size");
    EXPECT_EQ(rows[8].offset, 27u);
    EXPECT_EQ(rows[8].size, 1u);
    EXPECT_EQ(rows[9].name, nullptr);
    // The identification header's table.
    rows = stream->child(0)->child(0)->secondRecord(&offset, &size);
    ASSERT_NE(rows, nullptr);
    EXPECT_STREQ(rows[4].name, "Frequency");
    EXPECT_EQ(rows[4].offset, 12u);
    EXPECT_STREQ(rows[5].name, "Max BitRate");
}

TEST(OggBlocks, IdentificationHeaderCases) {
    struct Case {
        const char* what;
        std::string bytes;
        bool strict;
        bool hasFormat;
        u16 tag, channels, blockAlign;
        u32 bytesPerSecond;
        u32 pageChildren;
    } cases[] = {
        {"maximum -1", oggPage(vorbisIdentification(1, 8000, 0xFFFFFFFF, 64000, 0)), false, true, 0x674F, 1, 2, 16000, 1},
        {"maximum set", oggPage(vorbisIdentification(1, 8000, 96000, 64000, 0)), false, true, 0x676F, 1, 2, 16000, 1},
        {"no channels", oggPage(vorbisIdentification(0, 8000, 96000, 64000, 0)), false, true, 0x676F, 0, 0, 0, 1},
        {"strict: no pages kept", oggPage(vorbisIdentification(2, 8000, 96000, 64000, 0)), true, true, 0x676F, 2, 4, 8000, 0},
        {"continued packet", oggPage(vorbisIdentification(2, 8000, 96000, 64000, 0), 1), false, false, 0, 0, 0, 0, 0},
        {"cut identification", oggPage(vorbisIdentification(2, 8000, 96000, 64000, 0).substr(0, 20)), false, false, 0, 0, 0, 0, 1},
        {"video header", oggPage(std::string("\x01video\0\0\0", 9) + std::string(60, 'v')), false, false, 0, 0, 0, 0, 1},
        {"text header", oggPage(std::string("\x01text\0\0\0\0", 9) + std::string(60, 't')), false, false, 0, 0, 0, 0, 1},
        {"other type 1", oggPage(std::string("\x01other\0\0\0", 9) + std::string(60, 'o')), false, false, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NoteSink sink;
        std::string bytes = c.bytes + oggPage(audioPacket, 0, 5);
        Parsed p("a.ogg", bytes, c.strict ? &sink : nullptr);
        OggStreamBlock* stream = streamOf(p);
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(stream->size, bytes.size());
        EXPECT_EQ(stream->childCount(), c.strict ? 0u : 2u);
        EXPECT_EQ(stream->firstGranulePage, c.bytes.size());
        EXPECT_EQ(p.root->fileKind, BlockId::Ogg);
        ASSERT_EQ(stream->format() != nullptr, c.hasFormat);
        if (!c.strict) {
            EXPECT_EQ(stream->child(0)->childCount(), c.pageChildren);
        }
        if (!c.hasFormat) continue;
        const WAVEFORMATEX* f = stream->format();
        EXPECT_EQ(f->wFormatTag, c.tag);
        EXPECT_EQ(f->nChannels, c.channels);
        EXPECT_EQ(f->nBlockAlign, c.blockAlign);
        EXPECT_EQ(f->nAvgBytesPerSec, c.bytesPerSecond);
    }
    Parsed video("a.ogg", oggPage(std::string("\x01video\0\0\0", 9) + std::string(60, 'v')));
    BlockBase* header = streamOf(video)->child(0)->child(0);
    GString name;
    header->displayName(name);
    EXPECT_STREQ(name.c_str(), "Ogg Video Data");
    EXPECT_EQ(header->headerLength(), 53u);
}

TEST(OggBlocks, CommentRowsStayInsideTheirPacket) {
    struct Case {
        const char* what;
        std::string packet;
        u32 rows;  // with the ending record
        u64 lastOffset;
    } cases[] = {
        {"no comments", vorbisComments("abc", 0, {}), 7, 18},
        {"two comments", vorbisComments("abc", 2, {"A=1", "BB=22"}), 11, 34},
        {"count all ones", vorbisComments("abc", 0xFFFFFFFF, {"A=1", "BB=22"}), 11, 34},
        {"a length past the packet", vorbisComments("abc", 2, {"A=1"}) + le32(0x7FFFFFFF), 9, 25},
        {"caption past the packet", std::string("\x03vorbis", 7) + le32(0xFFFFFF00) + "xyz", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Parsed p("a.ogg", oggPage(c.packet));
        OggStreamBlock* stream = streamOf(p);
        ASSERT_NE(stream, nullptr);
        ASSERT_EQ(stream->child(0)->childCount(), 1u);
        BlockBase* comment = stream->child(0)->child(0);
        EXPECT_EQ(comment->id, BlockId::OggComment);
        EXPECT_EQ(comment->headerLength(), 11u);
        u64 offset = 0, size = 0;
        const FieldDescriptor* rows = comment->secondRecord(&offset, &size);
        ASSERT_NE(rows, nullptr);
        u32 n = 0;
        while (rows[n].name) {
            // No row reaches past the packet.
            EXPECT_LE(rows[n].offset + rows[n].size, comment->size) << rows[n].name;
            ++n;
        }
        if (!c.rows) continue;
        EXPECT_EQ(n + 1, c.rows);
        EXPECT_STREQ(rows[n - 1].name, "Terminator");
        EXPECT_EQ(rows[n - 1].offset, c.lastOffset);
    }
}

TEST(OggBlocks, StreamMadeBySox) {
    TempDir dir;
    const std::string path = dir.file("tone.ogg");
    ASSERT_EQ(runSox("-n -r 22050 -c 2 \"" + unixPath(path) + "\" synth 2 sine 440"), 0);
    Parsed p("tone.ogg", readWholeFile(path));
    OggStreamBlock* stream = streamOf(p);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->size, p.root->size);
    EXPECT_EQ(p.layout().substr(p.layout().rfind(' ') + 1), "[EOF]@" + std::to_string(p.root->size) + "+0");
    ASSERT_GE(stream->childCount(), 3u);
    EXPECT_EQ(stream->child(0)->child(0)->id, BlockId::OggAudio);
    EXPECT_EQ(stream->child(1)->child(0)->id, BlockId::OggComment);
    EXPECT_GT(stream->firstGranulePage, 0u);
    const WAVEFORMATEX* f = stream->format();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->nChannels, 2);
    EXPECT_EQ(f->nSamplesPerSec, 22050u);
    EXPECT_GT(f->nAvgBytesPerSec, 0u);
    // The pages lie end to end.
    u64 at = 0;
    for (u32 i = 0; i < stream->childCount(); ++i) {
        EXPECT_EQ(stream->child(i)->start, at);
        at += stream->child(i)->size;
    }
    EXPECT_EQ(at, stream->size);
}

TEST(OggBlocks, PagesInsideAWave) {
    // An Ogg format whose "fmt " chunk carries the header pages after its 26 bytes, and data pages.
    WAVEFORMATEX f = {};
    f.wFormatTag = 0x6750;
    f.nChannels = 1;
    f.nSamplesPerSec = 8000;
    f.cbSize = 8;
    const std::string headers = oggPage(vorbisIdentification(1, 8000, 1, 2, 3));
    const std::string format = formatBytes(f, 18) + std::string(8, 'o') + headers;
    const std::string data = oggPage(audioPacket, 0, 7) + oggPage(audioPacket, 0, 9);
    Parsed p("a.wav", riffList("RIFF", "WAVE", chunk("fmt ", format) + chunk("data", data)));
    BlockBase* form = p.child(0);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(fourCCString(p.root->fileKind), "OggS");
    BlockBase* fmt = form->child(0);
    ASSERT_EQ(fmt->childCount(), 1u);
    EXPECT_EQ(fmt->child(0)->id, BlockId::Ogg);
    EXPECT_EQ(fmt->child(0)->start, fmt->start + 8 + 26);
    EXPECT_EQ(fmt->child(0)->size, headers.size());
    BlockBase* dataBlock = form->child(1);
    ASSERT_EQ(dataBlock->childCount(), 1u);
    OggStreamBlock* pages = dynamic_cast<OggStreamBlock*>(dataBlock->child(0));
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->start, dataBlock->start + 8);
    EXPECT_EQ(pages->childCount(), 2u);
    EXPECT_EQ(pages->firstGranulePage, pages->start);
}
