// WAVE and the own format converted both ways, checked against sox: each own encoding reopened
// sample-equal, the own file back to WAVE decoded by sox, other PCM widths refused before writing.
#include "tests/tools/conversion_fixture.h"
#include "tools/file_structure.h"
#include "tools/native_conversion_task.h"

#include "core/progress.h"
#include "mm/mm_texts.h"
#include "mm/sound_format.h"
#include "tests/mm/format_blocks.h"
#include "tests/mm/riff_bytes.h"

using namespace conversion_fixture;

namespace {
// The own file's samples as doubles, by its encoding.
std::vector<f64> ownSamples(const std::string& path, u32* encoding, u32* channels) {
    std::unique_ptr<FileStructure> s(parseFileStructure(path.c_str(), nullptr, nullptr));
    SoundStreamWalker walker(s.get());
    SoundStreamInfo stream = {};
    if (!s || s->fileKind != ChunkId::Ravo || !findFirstSoundStream(walker, stream)) return {};
    *encoding = encodingOf(stream.format);
    *channels = stream.format->nChannels;
    std::string b = readWholeFile(path).substr((size_t)stream.dataOffset, (size_t)stream.dataSize);
    std::vector<f64> out;
    const u32 width = bytesPerSampleOf(*encoding);
    for (size_t i = 0; i + width <= b.size(); i += width) {
        const char* p = b.data() + i;
        if (*encoding == encodingInt16) out.push_back(*reinterpret_cast<const i16*>(p));
        if (*encoding == encodingInt32) out.push_back(*reinterpret_cast<const i32*>(p));
        if (*encoding == encodingFloat) out.push_back(*reinterpret_cast<const f32*>(p));
        if (*encoding == encodingDouble) out.push_back(*reinterpret_cast<const f64*>(p));
    }
    return out;
}
}  // namespace

TEST(NativeConversion, WaveToEachOwnEncodingAndBack) {
    TempDir dir;
    std::string in = dir.file("in.wav");
    ASSERT_EQ(runSox("-n -r 22050 -c 2 -b 16 " + soxPath(in) + " synth 0.3 sine 440 sine 1250 vol 0.9"), 0);
    std::vector<i16> original = waveSamples(in);
    ASSERT_EQ(original.size(), 2u * 6615);
    for (u32 encoding : {encodingInt16, encodingInt32, encodingFloat, encodingDouble}) {
        SCOPED_TRACE(encoding);
        BoxScope boxes;
        std::string own = dir.file("own" + std::to_string(encoding) + ".rvo");
        ASSERT_TRUE(runOne(new NativeConversionTask(in.c_str(), own.c_str(), encoding))) << boxes.all();
        u32 e = 0, channels = 0;
        std::vector<f64> samples = ownSamples(own, &e, &channels);
        EXPECT_EQ(e, encoding);
        EXPECT_EQ(channels, 2u);
        ASSERT_EQ(samples.size(), original.size());
        for (size_t i = 0; i < samples.size(); ++i)
            if (samples[i] != original[i]) FAIL() << "sample " << i << ": " << samples[i] << " != " << original[i];

        // Back to WAVE: sox reads the same samples.
        std::string back = dir.file("back" + std::to_string(encoding) + ".wav");
        ASSERT_TRUE(runOne(new NativeConversionTask(own.c_str(), back.c_str(), 0))) << boxes.all();
        EXPECT_EQ(soxSamples(back), original);
    }
    // No temporary file is left beside the targets.
    for (const std::string& name : dir.list()) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST(NativeConversion, OtherSourcesAreRefusedBeforeWriting) {
    TempDir dir;
    struct Case {
        const char* name;
        const char* make;  // sox arguments around the file name; none: the MPEG fixture
        const char* message;
    } cases[] = {
        {"8-bit", "-n -r 8000 -c 1 -b 8 -e unsigned %s synth 0.1 sine 300", "16-bit"},
        {"24-bit", "-n -r 8000 -c 1 -b 24 %s synth 0.1 sine 300", "16-bit"},
        {"float", "-n -r 8000 -c 1 -b 32 -e float %s synth 0.1 sine 300", "16-bit"},
        {"mpeg", nullptr, "File of Ravo or RIFF/WAVE format expected."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string in = dir.file(std::string(c.name) + ".in");
        if (c.make) {
            std::string make = c.make;
            make.replace(make.find("%s"), 2, "-t wav " + soxPath(in));
            ASSERT_EQ(runSox(make), 0);
        } else {
            dir.write(std::string(c.name) + ".in", readWholeFile(fixturePath("sine1k_mono.mp3")));
        }
        dir.write("target.rvo", "kept");
        BoxScope boxes;
        EXPECT_FALSE(runOne(new NativeConversionTask(in.c_str(), dir.file("target.rvo").c_str(), encodingFloat)));
        EXPECT_NE(boxes.all().find(c.message), std::string::npos) << boxes.all();
        EXPECT_EQ(dir.read("target.rvo"), "kept");
        for (const std::string& name : dir.list()) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
    }
}

// A stop during the write: the target stays as it was and the partial output goes.
TEST(NativeConversion, AStopLeavesTheTarget) {
    struct StopAtFirst : JobProgress {
        bool report(u64 done, const char* text) override {
            if (done > 0) cancel();
            return JobProgress::report(done, text);
        }
    } stop;
    TempDir dir;
    std::string in = dir.file("in.wav");
    ASSERT_EQ(runSox("-n -r 8000 -c 1 -b 16 " + soxPath(in) + " synth 0.2 sine 300"), 0);
    dir.write("out.rvo", "kept");
    BoxScope boxes;
    EXPECT_FALSE(runOne(new NativeConversionTask(in.c_str(), dir.file("out.rvo").c_str(), encodingDouble), &stop));
    EXPECT_EQ(dir.read("out.rvo"), "kept");
    EXPECT_EQ(dir.list().size(), 2u);
}

// The single sound stream of a source: none, several, or a file of instruments is refused with its
// file error before anything is written.
TEST(NativeConversion, SoundStreamSelectionErrors) {
    std::vector<u8> own = ownBlockBytes(1);
    std::string ownFile = ravoHeader(own.size(), 400) + std::string(own.begin(), own.end()) + std::string(400, '\1');
    struct Case {
        const char* name;
        std::string bytes;
        MmText message;
    } cases[] = {
        {"no stream", riffList("RIFF", "WAVE", chunk("fmt ", pcmFmt(1, 8000, 16))), MmText::NoSoundStream},
        {"two streams", riffList("RIFF", "WAVE", chunk("fmt ", pcmFmt(1, 8000, 16)) + chunk("data", std::string(400, '\2'))) + ownFile,
         MmText::ConvertSeveralStreams},
        {"DLS", riffList("RIFF", "DLS ", chunk("colh", le32(0))), MmText::ConvertDlsFile},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("in.bin", c.bytes);
        dir.write("out.wav", "kept");
        BoxScope boxes;
        EXPECT_FALSE(runOne(new NativeConversionTask(dir.file("in.bin").c_str(), dir.file("out.wav").c_str(), 0)));
        EXPECT_NE(boxes.all().find(mmText(c.message)), std::string::npos) << boxes.all();
        EXPECT_EQ(dir.read("out.wav"), "kept");
        EXPECT_EQ(dir.list().size(), 2u);
    }
}
