// DLS chunks at every depth with their tables and bounded counts, and the instrument form and WAVE
// "mif " chunk read and written back byte for byte.
#include <gtest/gtest.h>

#include <typeinfo>

#include "tests/tools/analyzer_bytes.h"
#include "tools/dls_blocks.h"
#include "tools/instrument_blocks.h"

namespace {
// The rows of a block's table as "name@offset+size" joined by spaces.
std::string rowsOf(BlockBase* block) {
    u64 offset = 0, size = 0;
    const FieldDescriptor* rows = block->secondRecord(&offset, &size);
    if (!rows) return "<none>";
    std::string s;
    for (u32 i = 0; rows[i].name; ++i) {
        if (!s.empty()) s += ' ';
        s += std::string(rows[i].name) + "@" + std::to_string(rows[i].offset) + "+" + std::to_string(rows[i].size);
    }
    return s;
}

// Writes the structure's children to a new file and gives its bytes.
std::string writtenBack(Parsed& p) {
    GFile source, target;
    std::string out = p.dir.file("out.bin");
    if (!fileOpen(source, p.path.c_str(), FileMode::Read) || !fileOpen(target, out.c_str(), FileMode::Write))
        return "<no file>";
    bool ok = p.root->write(&source, target, nullptr);
    fileClose(target);
    fileClose(source);
    return ok ? readWholeFile(out) : "<failed>";
}

const std::string connections3 = le32(8) + le32(3) + std::string(36, 'c');
}  // namespace

TEST(DlsBlocks, ChunksAtEveryDepth) {
    const std::string wsmp = le32(20) + std::string(32, 'w');
    const std::string bytes = riffList(
        "RIFF", "DLS ",
        chunk("colh", le32(1)) + chunk("vers", le32(0x00010002) + le32(0x00030004)) +
            chunk("ptbl", le32(8) + le32(2) + le32(0) + le32(100)) +
            riffList("LIST", "lins",
                     riffList("LIST", "ins ",
                              chunk("insh", le32(1) + le32(0) + le32(5)) + chunk("wsmp", wsmp) +
                                  riffList("LIST", "lart", chunk("art1", connections3)) +
                                  riffList("LIST", "INFO", chunk("INAM", std::string("Pad\0", 4))))) +
            chunk("zzzz", "12") + riffList("LIST", "lart", chunk("art1", le32(8) + le32(100) + std::string(24, 'c'))));
    Parsed p("a.dls", bytes);
    BlockBase* form = p.child(0);
    ASSERT_NE(dynamic_cast<DlsListBlock*>(form), nullptr);
    EXPECT_EQ(rowsOf(form->child(0)), "Signature@0+4 Size@4+4 Number of Instruments@8+4");
    EXPECT_EQ(rowsOf(form->child(1)), "Signature@0+4 Size@4+4 Version2@8+2 Version1@10+2 Version4@12+2 Version3@14+2");
    EXPECT_EQ(rowsOf(form->child(2)), "Signature@0+4 Size@4+4 Header Size@8+4 Number of Cues@12+4 Cue@16+8");
    BlockBase* instrument = form->child(3)->child(0);
    ASSERT_EQ(instrument->childCount(), 4u);
    EXPECT_EQ(rowsOf(instrument->child(0)),
              "Signature@0+4 Size@4+4 Count of Regions@8+4 MIDI Bank Location@12+4 MIDI Program Change@16+4");
    // Two lists deep, still with its loop fields.
    EXPECT_EQ(rowsOf(instrument->child(1)),
              "Signature@0+4 Size@4+4 Header Size@8+4 Note@12+2 Tuning@14+2 Attenuation@16+4 Options@20+4 "
              "Number of Loops@24+4 Loop Data Size@28+4 Loop Type@32+4 Loop Start, samples@36+4 "
              "Loop Length, samples@40+4");
    DlsChunkBlock* art = dynamic_cast<DlsChunkBlock*>(instrument->child(2)->child(0));
    ASSERT_NE(art, nullptr);
    EXPECT_EQ(art->count, 3u);
    EXPECT_EQ(rowsOf(art), "Signature@0+4 Size@4+4 Header Size@8+4 Number of Connections@12+4 Connections@16+36");
    u64 offset = 0, size = 0;
    const FieldDescriptor* rows = art->secondRecord(&offset, &size);
    EXPECT_EQ(offset, art->start);
    EXPECT_EQ(size, 52u);
    EXPECT_EQ(rows[4].sub->size, 12u);
    EXPECT_STREQ(rows[4].sub->sub[4].name, "Control");
    // INFO lists stay INFO lists; an unknown chunk is a plain RIFF block.
    EXPECT_EQ(dynamic_cast<RiffInfoListBlock*>(instrument->child(3)) != nullptr, true);
    EXPECT_EQ(typeid(*form->child(4)), typeid(RiffBlock));
    EXPECT_EQ(rowsOf(form->child(4)), "<none>");
    // A count past the chunk is cut to the records it holds.
    DlsChunkBlock* cut = dynamic_cast<DlsChunkBlock*>(form->child(5)->child(0));
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->storedCount, 100u);
    EXPECT_EQ(cut->count, 2u);
    EXPECT_EQ(rowsOf(cut), "Signature@0+4 Size@4+4 Header Size@8+4 Number of Connections@12+4 Connections@16+24");
    // The chunks write their bytes back.
    EXPECT_EQ(writtenBack(p), bytes);
}

namespace {
std::string instrumentEntry(const std::string& text) {
    return riffList("LIST", "ins ", chunk("hdr ", std::string(56, 'h')) + chunk("mtd ", text) + chunk("data", "sound!"));
}
std::string instrumentFile(u32 storedCount, const std::string& entries, const std::string& info) {
    return riffList("RIFF", "MIF ", chunk("main", le32(1) + le32(2) + le32(storedCount) + le32(4)) +
                                        riffList("LIST", "lins", entries) + riffList("LIST", "INFO", info));
}
}  // namespace

TEST(InstrumentBlocks, FormReadAndWrittenBack) {
    const std::string entries = instrumentEntry(std::string("one\0", 4)) + instrumentEntry(std::string("two!\0", 5)) +
                                instrumentEntry(std::string("3\0", 2));
    const std::string info = chunk("INAM", std::string("Set\0", 4)) + chunk("ISBJ", "");
    Parsed p("a.mif", instrumentFile(3, entries, info));
    InstrumentFormBlock* form = dynamic_cast<InstrumentFormBlock*>(p.child(0));
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->checkList());
    ASSERT_EQ(form->childCount(), 3u);
    EXPECT_NE(dynamic_cast<InstrumentListBlock*>(form->child(1)), nullptr);
    InstrumentEntryBlock* first = dynamic_cast<InstrumentEntryBlock*>(form->child(1)->child(0));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->checkList());
    EXPECT_STREQ(static_cast<InstrumentTextBlock*>(first->child(1))->text.c_str(), "one");
    EXPECT_STREQ(static_cast<InstrumentTextBlock*>(form->child(2)->child(0))->text.c_str(), "Set");
    // Byte for byte, the empty ISBJ as a bare header of size 0.
    EXPECT_EQ(writtenBack(p), instrumentFile(3, entries, info));

    // "main" takes the entry count, whatever it held.
    Parsed stale("a.mif", instrumentFile(7, entries, info));
    EXPECT_EQ(writtenBack(stale), instrumentFile(3, entries, info));

    // An entry of "hdr " and "mtd " only is not complete; short "main" and "hdr " are kept as read.
    const std::string odd = riffList(
        "RIFF", "MIF ",
        chunk("main", "abc") + riffList("LIST", "lins",
                                        riffList("LIST", "ins ", chunk("hdr ", "xy") + chunk("mtd ", std::string("t\0", 2)))));
    Parsed q("a.mif", odd);
    InstrumentEntryBlock* partial = dynamic_cast<InstrumentEntryBlock*>(q.child(0)->child(1)->child(0));
    ASSERT_NE(partial, nullptr);
    EXPECT_FALSE(partial->checkList());
    FixedChunkBlock* main = dynamic_cast<FixedChunkBlock*>(q.child(0)->child(0));
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(std::string((char*)main->bytes, 16), std::string("abc") + std::string(13, '\0'));
}

TEST(InstrumentBlocks, TextChunks) {
    struct Case {
        const char* what;
        std::string content;
        const char* text;
        std::string written;
    } cases[] = {
        {"a text", std::string("abc\0", 4), "abc", chunk("mtd ", std::string("abc\0", 4))},
        {"an empty body: a bare header", "", "", chunk("mtd ", "")},
        {"only the terminator: a bare header", std::string(1, '\0'), "", chunk("mtd ", "")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string head = riffList("LIST", "ins ", chunk("hdr ", std::string(56, 'h')) + chunk("mtd ", c.content));
        Parsed p("a.mif", riffList("RIFF", "MIF ", chunk("main", std::string(16, 0)) + riffList("LIST", "lins", head)));
        InstrumentTextBlock* text = dynamic_cast<InstrumentTextBlock*>(p.child(0)->child(1)->child(0)->child(1));
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text->text.c_str(), c.text);
        const std::string expected = riffList(
            "RIFF", "MIF ",
            chunk("main", std::string(8, 0) + le32(1) + le32(0)) +
                riffList("LIST", "lins", riffList("LIST", "ins ", chunk("hdr ", std::string(56, 'h')) + c.written)));
        EXPECT_EQ(writtenBack(p), expected);
    }
}

TEST(InstrumentBlocks, WaveInstrumentChunk) {
    const std::string fixed(56, 'f');
    struct Case {
        const char* what;
        std::string content;
        const char* text;
        std::string written;
    } cases[] = {
        {"five characters: size 62", fixed + std::string("abcde\0", 6), "abcde", fixed + std::string("abcde\0", 6)},
        {"no text: a single zero", fixed + std::string(1, '\0'), "", fixed + std::string(1, '\0')},
        {"body under 57 bytes", fixed.substr(0, 20), "", fixed.substr(0, 20) + std::string(37, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto wave = [](const std::string& mif) {
            return riffList("RIFF", "WAVE", chunk("fmt ", pcmFmt(1, 8000, 16)) + chunk("mif ", mif) + chunk("data", "ab"));
        };
        Parsed p("a.wav", wave(c.content));
        WaveInstrumentBlock* mif = dynamic_cast<WaveInstrumentBlock*>(p.child(0)->child(1));
        ASSERT_NE(mif, nullptr);
        EXPECT_STREQ(mif->text.c_str(), c.text);
        EXPECT_EQ(writtenBack(p), wave(c.written));
        EXPECT_EQ(mif->size, 8 + c.written.size());
    }
}

TEST(InstrumentBlocks, InstrumentFileByItself) {
    struct Case {
        const char* what;
        std::string bytes;
        bool read;
    } cases[] = {
        {"an instrument file", instrumentFile(1, instrumentEntry(std::string("x\0", 2)), ""), true},
        {"a WAVE", riffList("RIFF", "WAVE", chunk("fmt ", pcmFmt(1, 8000, 16))), false},
        {"too short", "RIFF", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        dir.write("a.mif", c.bytes);
        RecordingHandler handler;
        GFile file(&handler);
        ASSERT_TRUE(fileOpen(file, dir.file("a.mif").c_str(), FileMode::Read));
        std::unique_ptr<InstrumentFormBlock> form(readInstrumentFile(file, nullptr));
        EXPECT_EQ(form != nullptr, c.read);
        if (form) {
            EXPECT_EQ(form->size, c.bytes.size());
            EXPECT_EQ(form->childCount(), 3u);
        } else {
            ASSERT_EQ(handler.reports.size(), 1u);
            EXPECT_NE(handler.lastText().find(mmText(MmText::NotInstrumentFile)), std::string::npos);
        }
        fileCloseQuietly(file);
    }
}
