// Conversions through the machine's real ACM codecs, each result decoded by sox: PCM to IMA ADPCM
// and back, MS ADPCM and MPEG decoding, rate and channel changes; the strip flags; a refused
// conversion leaving the target as it was; a bare MPEG stream re-wrapped into RIFF.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>

#include <algorithm>
#include <memory>

#include "mm/acm_drivers.h"
#include "tests/mm/format_blocks.h"
#include "tests/mm/memory_source.h"
#include "tests/mm/riff_bytes.h"
#include "tests/tools/conversion_fixture.h"
#include "tools/acm_conversion_task.h"
#include "tools/file_structure.h"
#include "tools/mpeg_block.h"

using namespace conversion_fixture;

namespace {
AcmFormatBytes offered(const WAVEFORMATEX& source, u16 tag, u16 channels, u32 rate) {
    AcmConversion found;
    RecordingHandler sink;
    AcmFormatWish required = {tag, channels, rate, 0}, none = {0, 0, 0, 0};
    EXPECT_TRUE(findAcmConversion(required, none, &source, &found, &sink)) << "tag " << tag;
    return found.format;
}

i32 largestDifference(const std::vector<i16>& a, const std::vector<i16>& b, size_t skip) {
    i32 worst = 0;
    for (size_t i = skip; i < std::min(a.size(), b.size()); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

bool convert(const std::string& from, const std::string& to, const WAVEFORMATEX* format, u32 strip = 0,
             BoxScope* boxes = nullptr, u32 container = 0) {
    auto* task = new AcmConversionTask(from.c_str(), to.c_str(), strip, nullptr, format);
    task->container = container;
    bool ok = runOne(task);
    if (!ok && boxes) ADD_FAILURE() << boxes->all();
    return ok;
}

// The ids of the top-level pieces and the chunks of the first RIFF form of a file.
std::string layout(const std::string& path) {
    std::unique_ptr<FileStructure> s(parseFileStructure(path.c_str(), nullptr, nullptr));
    std::string out;
    for (u32 i = 0; s && i < s->childCount(); ++i) {
        BlockBase* b = s->child(i);
        if (b->id == BlockId::EndOfFile) continue;
        out += b->id < 0x1000 ? std::to_string(b->id) : std::string(fourCCText(b->id, false).c_str());
        if (b->id == ChunkId::Riff) {
            out += "(";
            for (u32 k = 0; k < b->childCount(); ++k) out += std::string(fourCCText(b->child(k)->id, false).c_str()) + ";";
            out += ")";
        }
        out += " ";
    }
    return out;
}
}  // namespace

TEST(AcmConversion, ImaAdpcmBothWaysAndPcmChanges) {
    TempDir dir;
    std::string in = dir.file("in.wav");
    ASSERT_EQ(runSox("-n -r 22050 -c 2 -b 16 " + soxPath(in) + " synth 0.5 sine 441 sine 882 vol 0.5"), 0);
    std::string same = dir.file("same.wav");
    ASSERT_EQ(runSox("-n -r 22050 -c 2 -b 16 " + soxPath(same) + " synth 0.5 sine 441 vol 0.5"), 0);
    std::vector<i16> original = waveSamples(in);
    WAVEFORMATEX pcm = pcmFormat(2, 22050, 16);
    AcmFormatBytes ima = offered(pcm, WAVE_FORMAT_IMA_ADPCM, 2, 22050);
    ASSERT_FALSE(ima.empty());
    BoxScope boxes;

    std::string encoded = dir.file("ima.wav");
    ASSERT_TRUE(convert(in, encoded, asFormat(ima), 0, &boxes));
    EXPECT_EQ(layout(encoded), "RIFF(fmt ;data;) ");
    std::vector<i16> bySox = soxSamples(encoded);
    ASSERT_GT(bySox.size(), original.size() * 9 / 10);
    EXPECT_LT(largestDifference(bySox, original, 200), 2000);

    std::string decoded = dir.file("back.wav");
    ASSERT_TRUE(convert(encoded, decoded, &pcm, 0, &boxes));
    std::vector<i16> back = soxSamples(decoded);
    EXPECT_EQ(back.size(), bySox.size());
    EXPECT_LT(largestDifference(back, bySox, 0), 4);

    // Rate and channels through the PCM converter: still 441 Hz on the left track.
    struct Case {
        u16 channels;
        u32 rate;
    } cases[] = {{1, 22050}, {2, 11025}, {1, 44100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " " << c.rate);
        WAVEFORMATEX to = pcmFormat(c.channels, c.rate, 16);
        std::string out = dir.file("changed.wav");
        ASSERT_TRUE(convert(same, out, &to, 0, &boxes));
        std::vector<i16> s = soxSamples(out);
        EXPECT_NEAR((double)s.size(), c.rate * 0.5 * c.channels, c.channels * 8.0);
        EXPECT_NEAR(risingCrossings(s, c.channels, 0, 500), 220, 3);
    }
}

TEST(AcmConversion, MsAdpcmAndMpegDecode) {
    TempDir dir;
    BoxScope boxes;
    struct Case {
        const char* fixture;
        bool asSoxDecodes;  // sox reads the fixture too
        u32 crossings;
        double samples, slack;
    } cases[] = {
        {"ms_adpcm_500hz.wav", true, 125, 0, 0},
        {"sine1k_mono.mp3", false, 500, 22050, 2 * 1152},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        std::string in = dir.file(c.fixture);
        dir.write(c.fixture, readWholeFile(fixturePath(c.fixture)));
        std::unique_ptr<FileStructure> s(parseFileStructure(in.c_str(), nullptr, nullptr));
        SoundStreamWalker walker(s.get());
        SoundStreamInfo stream = {};
        ASSERT_TRUE(findFirstSoundStream(walker, stream));
        WAVEFORMATEX to = pcmFormat(stream.format->nChannels, stream.format->nSamplesPerSec, 16);
        std::string out = dir.file("out.wav");
        ASSERT_TRUE(convert(in, out, &to, 0, &boxes));
        std::vector<i16> pcm = soxSamples(out);
        if (c.samples) {
            EXPECT_NEAR((double)pcm.size(), c.samples, c.slack);
        }
        EXPECT_NEAR(risingCrossings(pcm, 1, 0, 1000), c.crossings, 3);
        if (c.asSoxDecodes) {
            EXPECT_LT(largestDifference(pcm, soxSamples(in), 0), 200);
        }
    }
}

TEST(AcmConversion, StripFlags) {
    TempDir dir;
    std::string pcmSamples((size_t)4000, '\0');
    for (size_t i = 0; i < pcmSamples.size(); i += 2) pcmSamples[i + 1] = (char)(i / 64);
    std::string info = riffList("LIST", "INFO", chunk("INAM", std::string("name\0", 6)));
    std::string id3v2 = std::string("ID3\x03\x00\x00\x00\x00\x00\x0A", 10) + std::string(10, '\0');
    std::string tail = "TAG" + std::string(125, ' ');
    std::string riff = riffList("RIFF", "WAVE", chunk("fmt ", pcmFmt(1, 8000, 16)) + info + chunk("junk", "abcd") + chunk("data", pcmSamples));
    dir.write("in.wav", id3v2 + riff + tail);
    WAVEFORMATEX to = pcmFormat(1, 8000, 16);
    BoxScope boxes;
    struct Case {
        u32 flags;
        const char* layout;
    } cases[] = {
        {0, "ID3\x03 RIFF(fmt ;LIST;junk;data;) TAG  "},
        {stripId3v1 | stripId3v2, "RIFF(fmt ;LIST;junk;data;) "},
        {stripInfoLists, "ID3\x03 RIFF(fmt ;junk;data;) TAG  "},
        {stripOther | stripId3v1, "ID3\x03 RIFF(fmt ;LIST;data;) "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        std::string out = dir.file("out.wav");
        ASSERT_TRUE(convert(dir.file("in.wav"), out, &to, c.flags, &boxes));
        EXPECT_EQ(layout(out), c.layout);
        EXPECT_EQ(waveSamples(out), waveSamples(dir.file("in.wav")));
    }
}

TEST(AcmConversion, RefusedConversionLeavesTheTarget) {
    TempDir dir;
    ASSERT_EQ(runSox("-n -r 8000 -c 1 -b 16 " + soxPath(dir.file("in.wav")) + " synth 0.1 sine 300"), 0);
    dir.write("out.wav", "the old target");
    WAVEFORMATEX strange = pcmFormat(1, 8000, 16);
    strange.wFormatTag = 0x2222;
    BoxScope boxes;
    EXPECT_FALSE(convert(dir.file("in.wav"), dir.file("out.wav"), &strange));
    EXPECT_NE(boxes.all().find("cannot be converted"), std::string::npos) << boxes.all();
    EXPECT_NE(boxes.all().find(dir.file("in.wav")), std::string::npos);
    EXPECT_EQ(dir.read("out.wav"), "the old target");
    EXPECT_EQ(dir.list().size(), 2u);
}

TEST(AcmConversion, BareMpegRewrappedIntoRiffAndBack) {
    TempDir dir;
    dir.write("in.mp3", readWholeFile(fixturePath("sine1k_mono.mp3")));
    BoxScope boxes;
    std::string wrapped = dir.file("wrapped.wav");
    ASSERT_TRUE(convert(dir.file("in.mp3"), wrapped, nullptr, 0, &boxes, ChunkId::Riff));
    std::string bytes = dir.read("wrapped.wav");
    std::string mp3 = dir.read("in.mp3");
    // A fresh "data" header right before the whole stream.
    size_t at = bytes.find("data");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(bytes.substr(at + 4, 4), u32le((u32)mp3.size()));
    EXPECT_EQ(bytes.substr(at + 8), mp3);
    EXPECT_EQ(layout(wrapped), "RIFF(fmt ;data;) ");

    // Wine's MPEG decoder reads it from inside the WAVE.
    std::string pcm = dir.file("pcm.wav");
    WAVEFORMATEX to = pcmFormat(1, 44100, 16);
    ASSERT_TRUE(convert(wrapped, pcm, &to, 0, &boxes));
    std::vector<i16> s = soxSamples(pcm);
    EXPECT_NEAR((double)s.size(), 22050.0, 2 * 1152.0);
    EXPECT_NEAR(risingCrossings(s, 1, 0, 1000), 500, 3);

    // And out again: the stream copied bare.
    std::string again = dir.file("again.mp3");
    ASSERT_TRUE(convert(wrapped, again, nullptr, 0, &boxes));
    EXPECT_EQ(dir.read("again.mp3"), mp3);
}
