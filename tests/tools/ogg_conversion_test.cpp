// Ogg Vorbis through the Vorbis decoder that the test set-up installs as a user would: a file made by
// oggenc plays through the Ogg range chain and converts to WAVE, both matching oggdec's output within
// the decoders' rounding.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>

#include <algorithm>
#include <memory>

#include "mm/acm_stream.h"
#include "mm/ogg_range_source.h"
#include "tests/mm/format_blocks.h"
#include "tests/mm/memory_source.h"
#include "tests/tools/conversion_fixture.h"
#include "tools/acm_conversion_task.h"
#include "tools/file_structure.h"

using namespace conversion_fixture;

namespace {
// The largest difference over the common length.
i32 largestDifference(const std::vector<i16>& a, const std::vector<i16>& b) {
    i32 worst = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

struct OggFile {
    TempDir dir;
    std::string ogg = dir.file("in.ogg");
    std::vector<i16> reference;  // oggdec's samples
    OggFile() {
        std::string wav = dir.file("in.wav"), decoded = dir.file("ref.wav");
        EXPECT_EQ(runSox("-n -r 44100 -c 2 -b 16 " + soxPath(wav) + " synth 1.5 sine 440 sine 1000 vol 0.6"), 0);
        EXPECT_EQ(runUnixTool("oggenc -Q -q 4 -o " + soxPath(ogg) + " " + soxPath(wav)), 0);
        EXPECT_EQ(runUnixTool("oggdec -Q -o " + soxPath(decoded) + " " + soxPath(ogg)), 0);
        reference = waveSamples(decoded);
    }
};
}  // namespace

TEST(OggVorbis, PlaysThroughTheRangeChainAndConverts) {
    OggFile f;
    ASSERT_EQ(f.reference.size(), 2u * 66150);

    // The chain a player builds: the file's range, the Ogg filter, the conversion to PCM.
    std::unique_ptr<FileStructure> s(parseFileStructure(f.ogg.c_str(), nullptr, nullptr));
    SoundStreamWalker walker(s.get());
    SoundStreamInfo stream = {};
    ASSERT_TRUE(findFirstSoundStream(walker, stream));
    ASSERT_TRUE(stream.format->wFormatTag == 0x674F || stream.format->wFormatTag == 0x676F);
    RecordingHandler sink;
    auto* range = new FileRangeSource(0, stream.dataSize, &sink, stream.dataOffset);
    ASSERT_TRUE(range->open(f.ogg.c_str()));
    auto* ogg = new OggRangeSource(0, 0, 0, stream.dataSize);
    ogg->setInner(range);
    AcmStream acm;
    acm.errorSink = &sink;
    ASSERT_TRUE(acm.openToPcm(ogg, stream.format, stream.dataSize)) << (sink.reports.empty() ? "" : sink.lastText());
    EXPECT_EQ(acm.format()->nChannels, 2);
    EXPECT_EQ(acm.format()->nSamplesPerSec, 44100u);
    std::vector<i16> played = samplesOf(readAll(acm, 8192));
    EXPECT_TRUE(sink.reports.empty());
    EXPECT_NEAR((double)played.size(), (double)f.reference.size(), 2 * 2048.0);
    EXPECT_LE(largestDifference(played, f.reference), 2);

    // Converted to WAVE by the ACM task, read back by sox.
    BoxScope boxes;
    WAVEFORMATEX pcm = pcmFormat(2, 44100, 16);
    std::string out = f.dir.file("out.wav");
    ASSERT_TRUE(runOne(new AcmConversionTask(f.ogg.c_str(), out.c_str(), 0, nullptr, &pcm))) << boxes.all();
    std::vector<i16> converted = soxSamples(out);
    EXPECT_EQ(converted, played);
}
