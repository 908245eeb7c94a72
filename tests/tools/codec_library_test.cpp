// The program's own codec library, loaded for real: its parse gives the analyzer's kind-12 blocks,
// its enumerations, and conversions through the busy byte with progress, stop, forced results and
// a message that fills its buffer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "core/progress.h"
#include "mm/codec_plugin.h"
#include "mm/riff_block.h"
#include "tests/tools/analyzer_bytes.h"
#include "tools/codec_calls.h"

namespace {
// A stand-in stream file of the streams given as {rate, channels, bytes, title}.
std::string standInFile(std::initializer_list<CodecStandInStream> streams) {
    std::string s = le32(codecStandInMagic) + le32((u32)streams.size());
    for (const CodecStandInStream& h : streams) s += std::string(reinterpret_cast<const char*>(&h), sizeof h);
    for (const CodecStandInStream& h : streams)
        for (u32 i = 0; i < h.bytes; ++i) s += (char)(i * 7);
    return s;
}

// The library beside the test program, for the test's length.
struct Library {
    Library() { loaded = loadCodecPlugin(); }
    ~Library() { unloadCodecPlugin(); }
    bool loaded;
};

struct Recorder : JobProgress {
    bool report(u64 done, const char*) override {
        reports.push_back(done);
        if (nestedCall) nested = runCodecConvert(codecPlugin().convert, *source, *target, 0, nullptr, nestedText);
        return stopAt && done >= stopAt;
    }
    std::vector<u64> reports;
    u64 stopAt = 0;
    bool nestedCall = false;
    const CodecSourceDescriptor* source = nullptr;
    const CodecTargetDescriptor* target = nullptr;
    CodecOutcome nested = CodecOutcome::Done;
    GString nestedText;
};
}  // namespace

TEST(CodecLibrary, ParseGivesPluginStreams) {
    Library library;
    ASSERT_TRUE(library.loaded);
    // The structure asks the loaded library.
    Parsed p("two.dzs", standInFile({{22050, 1, 1000, "Voice"}, {44100, 2, 4000, "Music"}}));
    Parsed other("a.xyz", std::string(500, 'q'));
    EXPECT_EQ(p.layout(), "Stream 1: Voice@0+5096 Stream 2: Music@0+5096 [EOF]@5096+0");
    EXPECT_EQ(p.root->fileKind, BlockId::PluginStream);
    PointerArray streams;
    collectSoundStreams(p.root.get(), streams);
    ASSERT_EQ(streams.count, 2u);
    const SoundStreamInfo* second = streams.at<SoundStreamInfo>(1);
    EXPECT_STREQ(second->title.c_str(), "Music");
    EXPECT_EQ(second->format->nSamplesPerSec, 44100u);
    EXPECT_EQ(second->format->nChannels, 2);
    EXPECT_EQ(second->format->nAvgBytesPerSec, 44100u * 2 * 2);
    freeSoundStreams(streams);
    // A file the library does not know is one unknown range.
    EXPECT_EQ(other.layout(), "[Unknown]@0+500 [EOF]@500+0");
}

TEST(CodecLibrary, Enumerations) {
    Library library;
    ASSERT_TRUE(library.loaded);
    std::vector<CodecEncoderInfo> encoders;
    listCodecEncoders(codecPlugin().enumerateEncoders, encoders);
    ASSERT_EQ(encoders.size(), 1u);
    EXPECT_EQ(encoders[0].family, (u32)CodecFamilyPcm);
    std::vector<CodecDecoderInfo> decoders;
    listCodecDecoders(codecPlugin().enumerateDecoders, "x.dzs", decoders);
    ASSERT_EQ(decoders.size(), 2u);
    EXPECT_EQ(decoders[0].flag, 1);
    EXPECT_EQ(decoders[1].flag, 0);
}

TEST(CodecLibrary, Conversions) {
    Library library;
    ASSERT_TRUE(library.loaded);
    TempDir dir;
    const u32 bytes = 3 * 1048576 + 1000;
    dir.write("in.dzs", standInFile({{8000, 2, bytes, "Long"}}));
    const std::string in = dir.file("in.dzs"), out = dir.file("out.wav");
    CodecSourceDescriptor source{in.c_str(), "dzs"};
    CodecTargetDescriptor target{out.c_str(), "wav"};
    GString message;

    // Done: a 16-bit PCM WAVE of the stream's bytes, progress at every whole MiB, a second call
    // refused while it runs.
    Recorder progress;
    progress.nestedCall = true;
    progress.source = &source;
    progress.target = &target;
    EXPECT_EQ(runCodecConvert(codecPlugin().convert, source, target, bytes, &progress, message), CodecOutcome::Done);
    EXPECT_EQ(progress.reports, (std::vector<u64>{1048576, 2 * 1048576, 3 * 1048576}));
    EXPECT_EQ(progress.nested, CodecOutcome::Busy);
    {
        RecordingHandler handler;
        GFile file(&handler);
        ASSERT_TRUE(fileOpen(file, out.c_str(), FileMode::Read));
        std::unique_ptr<RiffListBlock> root(readRiffFile(file, nullptr));
        ASSERT_NE(root, nullptr);
        ASSERT_NE(waveDataBlock(root.get()), nullptr);
        EXPECT_EQ(waveDataBlock(root.get())->contentSize(), bytes);
        fileCloseQuietly(file);
    }

    // The stop: result 2 and no output.
    Recorder stopping;
    stopping.stopAt = 1048576;
    EXPECT_EQ(runCodecConvert(codecPlugin().convert, source, target, bytes, &stopping, message), CodecOutcome::Failed);
    EXPECT_FALSE(dir.exists("out.wav"));

    // Results and messages the tests choose.
    struct Case {
        const char* result;
        const char* text;
        CodecOutcome outcome;
        size_t length;
    } cases[] = {
        {"1", "*", CodecOutcome::FailedWithText, codecMessageBytes - 1},
        {"1", "bad input", CodecOutcome::FailedWithText, 9},
        {"2", "", CodecOutcome::Failed, 0},
        {"3", "", CodecOutcome::Done, 0},
        {"0", "", CodecOutcome::Done, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        SetEnvironmentVariableA("DARODEZA_RESULT", c.result);
        SetEnvironmentVariableA("DARODEZA_MESSAGE", *c.text ? c.text : nullptr);
        EXPECT_EQ(runCodecConvert(codecPlugin().convert, source, target, bytes, nullptr, message), c.outcome);
        EXPECT_EQ(message.length, c.length);
    }
    SetEnvironmentVariableA("DARODEZA_RESULT", nullptr);
    SetEnvironmentVariableA("DARODEZA_MESSAGE", nullptr);
}
