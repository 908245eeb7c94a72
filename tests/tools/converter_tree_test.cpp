// The converter's format tree over real source files (made-up drivers and codec entries where the
// machine has none to show a case, Wine's drivers once), the naming of ACM records, target names
// from the chosen format and the format from a target name.
#include <gtest/gtest.h>

#include "gui/controls/button.h"
#include "gui/controls/label.h"
#include "gui/dialogs/path_field.h"
#include "tests/mm/riff_bytes.h"
#include "tests/tools/converter_fixture.h"
#include "tools/native_conversion_task.h"

using namespace converter_fixture;

namespace {
typedef PageFixture<> Page;

FakeDriver driver(const char* name, std::vector<u16> convertible, std::vector<u16> suggested = {}) {
    FakeDriver d;
    d.name = name;
    d.convertible = std::move(convertible);
    d.suggested = std::move(suggested);
    return d;
}
}  // namespace

TEST(ConverterTree, GroupsOfAWaveSource) {
    struct Case {
        const char* what;
        int bits;
        std::vector<FakeDriver> drivers;
        std::vector<CodecEncoderInfo> encoders;
        const char* tree;
    };
    const Case cases[] = {
        {"16-bit: own group first", 16, {driver("A", {17})}, {},
         "Ravo+{Ravo} ADPCM-{ACM: A}"},
        {"24-bit: no own group", 24, {driver("A", {17})}, {}, "ADPCM-{ACM: A}"},
        {"first tags 17, 0x6771, 0x6772", 16,
         {driver("Adp", {17, 0x55}), driver("Vorb", {0x6771}), driver("Odd", {0x6772, 17})}, {},
         "Ravo+{Ravo} Ogg+{ACM: Vorb} Other-{ACM: Odd} ADPCM-{ACM: Adp}"},
        {"every group in order", 16,
         {driver("P", {1}), driver("M2", {0x50}), driver("M3", {0x55}), driver("Ad", {2}), driver("Ad32", {32}),
          driver("O", {0x674F}), driver("X", {0x31})},
         {encoder(3, "lame", "LAME MP3"), encoder(9, "odd", "Odd codec"), encoder(0, "pcm", "PCM out")},
         "Ravo+{Ravo} MP2-{ACM: M2} MP3+{Codec library: lame [LAME MP3],ACM: M3} Ogg+{ACM: O} "
         "Other-{Codec library: odd [Odd codec],ACM: X} PCM-{Codec library: pcm [PCM out],ACM: P} "
         "ADPCM-{ACM: Ad,ACM: Ad32}"},
        {"a driver without targets adds nothing", 16, {driver("None", {}), driver("M3", {0x55})}, {},
         "Ravo+{Ravo} MP3+{ACM: M3}"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMachineScope fake;
        fake.machine.drivers = c.drivers;
        fake.machine.encoders = c.encoders;
        BoxScope boxes;
        Page f;
        f.load(makeWave(dir, "s" + std::to_string(c.bits) + ".wav", c.bits));
        EXPECT_EQ(treeText(f.page->formatTree), c.tree);
        EXPECT_EQ(boxes.all(), "");
        EXPECT_TRUE(IsWindowEnabled(f.page->convertButton->hwnd));
        // Groups collapsed show no rows of their own.
        u64 rows = 0;
        for (GTreeRoot* r : f.page->formatTree->roots) rows += 1 + (r->node->state ? r->node->childCount() : 0);
        EXPECT_EQ(f.page->formatTree->rowNodes.size(), rows);
    }
}

TEST(ConverterTree, NodesCarryTheirConversion) {
    FakeMachineScope fake;
    FakeDriver pcm = driver("PCM converter", {1, 1, 0x11}, {0x11});
    pcm.mid = 1;
    pcm.pid = 0x26;
    fake.machine.drivers = {driver("Plain", {0x11, 1, 0x11}, {1}), pcm};
    fake.machine.encoders = {encoder(4, "vorbis", "Vorbis encoder")};
    TempDir dir;
    Page f;
    f.load(makeWave(dir, "a.wav"));
    ConverterFormatNode* own = f.nodeOfTag(OwnFormatTag);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->kind, (u32)FormatOwnNode);
    ConverterFormatNode* plain = f.nodeOfTag(0x11);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->kind, (u32)FormatAcmNode);
    EXPECT_EQ(plain->acmDriver, (void*)1);
    // Another driver's PCM records stay plain; the PCM converter's read "tag; format".
    EXPECT_EQ(recordTexts(plain->convertible), "T11; f0|f1|T11; f2");
    EXPECT_EQ(recordTexts(plain->suggested), "f0");
    ConverterFormatNode* converter = f.nodeOfTag(1);
    ASSERT_NE(converter, nullptr);
    EXPECT_EQ(recordTexts(converter->convertible), "T1; f0|T1; f1|T11; f2");
    ConverterFormatNode* ogg = f.nodeOfTag(0x674F);
    ASSERT_NE(ogg, nullptr);
    EXPECT_EQ(ogg->kind, (u32)FormatPluginNode);
    EXPECT_STREQ(ogg->encoderText.c_str(), "Vorbis encoder");
    EXPECT_TRUE(ogg->decoderText.empty());
    // The info label names the source format.
    EXPECT_EQ(std::string(f.page->sourceInfo->text.c_str()).substr(0, 18), "Source format: PCM") << f.page->sourceInfo->text.c_str();
    // Records keep 18 bytes at least, cbSize the bytes past them.
    const AcmFormatRecord& r = plain->convertible[1];
    EXPECT_EQ(r.format.size(), 18u);
    EXPECT_EQ(asFormat(r.format)->cbSize, 0);
}

TEST(ConverterTree, ATagWithoutDetailsDropsAllItsRecords) {
    AcmDriverInfo details = {};
    details.mid = 2;
    FakeMachineScope fake;
    FakeDriver d = driver("D", {});
    d.unreadableTags = {0x31};
    fake.machine.drivers = {d};
    AcmFormatRecords records;
    for (u16 tag : {0x31, 0x31, 0x11, 0x31, 1, 0x11}) {
        WAVEFORMATEX f = {};
        f.wFormatTag = tag;
        char text[8];
        snprintf(text, sizeof text, "r%X", tag);
        collectAcmTarget(&records, &f, text);
    }
    nameAcmTargets(records, (void*)1, details);
    EXPECT_EQ(recordTexts(records), "T11; r11|r1|T11; r11");

    // The PCM collector keeps only PCM, named for it.
    AcmFormatRecords pcm;
    WAVEFORMATEX f = {};
    f.wFormatTag = 0x11;
    collectPcmTarget(&pcm, &f, "x");
    f.wFormatTag = 1;
    collectPcmTarget(&pcm, &f, "8 kHz");
    EXPECT_EQ(recordTexts(pcm), "PCM; 8 kHz");
    EXPECT_EQ(pcm[0].format.size(), 18u);
}

TEST(ConverterTree, OtherSources) {
    TempDir dir;
    const std::string wave = makeWave(dir, "w.wav");
    const std::string own = dir.file("o.ravo");
    ASSERT_TRUE(runOne(new NativeConversionTask(wave.c_str(), own.c_str(), 2)));
    dir.write("s.mp3", readWholeFile(fixturePath("sine1k_mono.mp3")));
    dir.write("note.txt", "nothing to hear here");
    struct Case {
        const char* what;
        std::string file;
        std::vector<CodecDecoderInfo> decoders;
        std::vector<FakeDriver> drivers;
        const char* tree;
        bool loaded;  // Convert enabled
        const char* box;
        const char* info;
    };
    const Case cases[] = {
        {"own form", own, {}, {driver("A", {1})}, "Decoders+{To WAVE: Ravo}", true, "", nullptr},
        {"MPEG with a flagged decoder and an ACM decoder", dir.file("s.mp3"),
         {decoder(1, "mp3", "MP3 decoder", "MPEG layer 3 by the library"), decoder(0, "any", "Any", "x")},
         {driver("Dec", {0x11, 1, 1}, {1}), driver("Enc", {0x11})},
         "Decoders+{Codec library: mp3 [MP3 decoder],ACM: Dec} Other decoders-{Codec library: any [Any]}", true, "",
         "Source format: MP3"},
        {"only flag-clear decoders", dir.file("s.mp3"), {decoder(0, "any", "Any", "x")}, {},
         "Other decoders-{Codec library: any [Any]}", false, "No conversion of this file is known\n", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMachineScope fake;
        fake.machine.decoders = c.decoders;
        fake.machine.drivers = c.drivers;
        BoxScope boxes;
        Page f;
        f.load(c.file);
        EXPECT_EQ(treeText(f.page->formatTree), c.tree);
        EXPECT_EQ(IsWindowEnabled(f.page->convertButton->hwnd) != 0, c.loaded);
        EXPECT_EQ(boxes.all(), c.box);
        if (c.info) {
            EXPECT_NE(strstr(f.page->sourceInfo->text.c_str(), c.info), nullptr);
        }
    }
    {
        // A file without a sound stream leaves the tree as it was.
        FakeMachineScope fake;
        fake.machine.drivers = {driver("A", {17})};
        Page f;
        f.load(wave);
        const std::string before = treeText(f.page->formatTree);
        BoxScope boxes;
        EXPECT_FALSE(f.page->buildFormatTree(dir.file("note.txt").c_str()));
        EXPECT_EQ(treeText(f.page->formatTree), before);
        EXPECT_EQ(boxes.all(), "The file holds no sound stream\n");
    }
}

TEST(ConverterTree, WinesDriversOfferImaAdpcm) {
    TempDir dir;
    BoxScope boxes;
    Page f;
    f.load(makeWave(dir, "w.wav"));
    ConverterFormatNode* adpcm = nullptr;
    for (GTreeRoot* root : f.page->formatTree->roots)
        for (u32 i = 0; i < root->node->childCount(); ++i) {
            auto* n = static_cast<ConverterFormatNode*>(root->node->child(i));
            if (n->tag == 0x11) adpcm = n;
        }
    ASSERT_NE(adpcm, nullptr) << treeText(f.page->formatTree);
    ASSERT_FALSE(adpcm->convertible.empty());
    EXPECT_EQ(acmTargetGroup(0x11), GroupAdpcm);
    // Named by the tag through the driver: "IMA ADPCM; 8.000 kHz, 4 Bit, Mono" or the like.
    EXPECT_NE(strstr(adpcm->convertible[0].text.c_str(), "; "), nullptr) << adpcm->convertible[0].text.c_str();
    // The source's own text through any driver.
    std::string text;
    WAVEFORMATEX pcm = {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    EXPECT_TRUE(acmFormatText(&pcm, text));
    EXPECT_EQ(text.substr(0, 5), "PCM, ") << text;
}

TEST(ConverterNames, ProposedTargets) {
    struct Case {
        const char* source;
        i32 tag;  // of the caret node; 0: no caret
        const char* target;
    };
    const Case cases[] = {
        {"D:\\snd\\a.wav", 0x55, "D:\\snd\\a.mp3"},
        {"D:\\snd\\a.wav", 1, "D:\\snd\\a.-.wav"},
        {"D:\\snd\\a.WAV", 0x11, "D:\\snd\\a.-.wav"},
        {"D:\\snd\\a.wav", 0, "D:\\snd\\a.-.wav"},
        {"D:\\snd\\a.wav;b.wav", 0x55, "D:\\snd\\%.mp3"},
        {"D:\\snd\\a.wav;b.wav", OwnFormatTag, "D:\\snd\\%.ravo"},
        {"D:\\snd\\a.ogg", 0x6750, "D:\\snd\\a.-.ogg"},
        {"D:\\snd\\a.ogg", 0x6760, "D:\\snd\\a.wav"},
        {"D:\\snd\\a.ogg", 0x6771, "D:\\snd\\a.-.ogg"},
        {"D:\\snd\\a", 0x50, "D:\\snd\\a.mp2"},
    };
    Page f;
    addGroup(f.page->formatTree, "G", {0x55, 1, 0x11, OwnFormatTag, 0x6750, 0x6760, 0x6771, 0x50});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " " + std::to_string(c.tag));
        f.page->setFieldText(f.page->sourceField, c.source);
        if (c.tag) f.caretOn(f.nodeOfTag(c.tag));
        else f.page->formatTree->setCaretRow(0);
        f.page->convertButton->clearDefault();
        f.page->proposeTargetName();
        EXPECT_STREQ(f.page->fieldText(f.page->targetField).c_str(), c.target);
        EXPECT_TRUE(f.page->convertButton->isDefaultButton());
    }
}

TEST(ConverterNames, TargetExtensionPicksTheFormat) {
    struct Case {
        const char* target;
        i32 caretTag;    // before
        const char* expected;  // caret node's name after, or group "G2"
    };
    const Case cases[] = {
        {"x.OGG", 0x6771, "n6771"},      // kept
        {"x.OGG", 0x55, "n674F"},        // the first visible Ogg row
        {"x.mp3", 0x674F, "n55"},
        {"x.pcm", 0x55, "n1"},
        {"x.ravo", 0x55, "nBA0D"},       // revealed in the collapsed group
        {"x.flac", 0x55, "n55"},         // no such extension: kept
        {"x", 0x55, "n55"},
        {"x.mp2", 0x55, "n55"},          // nothing matches: kept
    };
    Page f;
    GTreeView* tree = f.page->formatTree;
    addGroup(tree, "G1", {0x55, 0x674F, 0x6771, 1});
    ConverterFormatNode* collapsed = addGroup(tree, "G2", {OwnFormatTag});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        if (collapsed->state) tree->collapseRow(tree->rowOf(collapsed));
        f.caretOn(f.nodeOfTag(c.caretTag));
        f.page->setFieldText(f.page->targetField, c.target);
        selectTargetByExtension(f.page);
        auto* caret = static_cast<ConverterFormatNode*>(tree->caretNode());
        ASSERT_NE(caret, nullptr);
        EXPECT_STREQ(caret->name.c_str(), c.expected);
    }
    EXPECT_EQ(tagOfTargetExtension("Wav"), 1);
    EXPECT_TRUE(tagMatchesExtension(0x6760, tagOfTargetExtension("ogg")));
    EXPECT_FALSE(tagMatchesExtension(0x6772, tagOfTargetExtension("ogg")));
    EXPECT_STREQ(targetExtensionOfTag(0x6752), "wav");
    EXPECT_STREQ(targetExtensionOfTag(0x676F), "ogg");
}
