#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <gtest/gtest.h>

#include <cmath>

#include "core/progress.h"
#include "mm/acm_drivers.h"
#include "mm/acm_file_writer.h"
#include "mm/acm_stream.h"
#include "mm/mm_error.h"
#include "mm/mm_texts.h"
#include "mm/sound_file.h"
#include "tests/mm/format_blocks.h"
#include "tests/mm/memory_source.h"
#include "tests/mm/riff_bytes.h"
#include "tests/support/test_plugins.h"
#include "tests/support/test_support.h"

namespace {
// Converts all of `bytes` from one format to another through the machine's codecs.
std::vector<u8> convert(const std::vector<u8>& bytes, const WAVEFORMATEX* from, const WAVEFORMATEX* to,
                        RecordingHandler& sink, AcmStream* keep = nullptr) {
    AcmStream local;
    AcmStream& s = keep ? *keep : local;
    s.errorSink = &sink;
    EXPECT_TRUE(s.open(new MemorySource(bytes), from, bytes.size(), to)) << (sink.reports.empty() ? "" : sink.lastText());
    bool ok = true;
    std::vector<u8> out = readAll(s, 7000, &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(s.atEnd());
    return out;
}

std::vector<u8> decodeToPcm(const std::vector<u8>& bytes, const WAVEFORMATEX* from, RecordingHandler& sink,
                            AcmFormatBytes* format = nullptr) {
    AcmStream s;
    s.errorSink = &sink;
    EXPECT_TRUE(s.openToPcm(new MemorySource(bytes), from, bytes.size()))
        << (sink.reports.empty() ? "" : sink.lastText());
    if (format) *format = copyAcmFormat(s.format());
    return readAll(s);
}

// The largest difference between two signals over their common length, and that length.
i32 largestDifference(const std::vector<i16>& a, const std::vector<i16>& b, size_t skip = 0) {
    i32 worst = 0;
    for (size_t i = skip; i < std::min(a.size(), b.size()); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

// A format a driver of the machine offers from the source with the given tag, channels and rate.
AcmFormatBytes offeredFormat(const WAVEFORMATEX& source, u16 tag, u16 channels, u32 rate) {
    AcmConversion found;
    RecordingHandler sink;
    AcmFormatWish required = {tag, channels, rate, 0};
    AcmFormatWish none = {0, 0, 0, 0};
    EXPECT_TRUE(findAcmConversion(required, none, &source, &found, &sink)) << "tag " << tag;
    return found.format;
}
}  // namespace

TEST(AcmStream, PcmRateAndChannelChanges) {
    struct Case {
        u16 channels;
        u32 rate;
        u16 toChannels;
        u32 toRate;
    } cases[] = {
        {2, 44100, 2, 22050},
        {1, 22050, 1, 44100},
        {2, 44100, 1, 44100},
        {1, 44100, 2, 44100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << "ch " << c.rate << " -> " << c.toChannels << "ch " << c.toRate);
        WAVEFORMATEX from = pcmFormat(c.channels, c.rate, 16), to = pcmFormat(c.toChannels, c.toRate, 16);
        const u32 frames = c.rate;  // one second of 441 Hz
        std::vector<u8> in = sineBytes(frames, c.channels, c.rate, 441.0);
        RecordingHandler sink;
        std::vector<u8> out = convert(in, &from, &to, sink);
        EXPECT_TRUE(sink.reports.empty());

        u64 expected = (u64)frames * c.toRate / c.rate * to.nBlockAlign;
        EXPECT_NEAR((double)out.size(), (double)expected, to.nBlockAlign * 4.0);
        EXPECT_EQ(out.size() % to.nBlockAlign, 0u);
        // Still one second of 441 Hz on every channel.
        std::vector<i16> s = samplesOf(out);
        for (u32 ch = 0; ch < c.toChannels; ++ch) EXPECT_NEAR(risingCrossings(s, c.toChannels, ch), 441, 2);
    }
}

TEST(AcmStream, ImaAdpcmRoundTrip) {
    WAVEFORMATEX pcm = pcmFormat(1, 22050, 16);
    AcmFormatBytes adpcm = offeredFormat(pcm, WAVE_FORMAT_IMA_ADPCM, 1, 22050);
    ASSERT_FALSE(adpcm.empty());
    const WAVEFORMATEX* a = asFormat(adpcm);
    ASSERT_GT(a->nBlockAlign, 1u);
    u16 perBlock;  // samples per block, the first field after the format
    memcpy(&perBlock, adpcm.data() + 18, 2);

    // Three whole blocks of samples, then half a block that the codec takes no byte of.
    const u32 frames = perBlock * 3 + perBlock / 2;
    std::vector<u8> in = sineBytes(frames, 1, 22050, 500.0);
    RecordingHandler sink;
    AcmStream encoder;
    std::vector<u8> encoded = convert(in, &pcm, a, sink, &encoder);
    EXPECT_TRUE(sink.reports.empty());
    EXPECT_EQ(encoded.size(), 3u * a->nBlockAlign);
    EXPECT_EQ(encoder.currentState(), (u32)acmClosed);

    AcmFormatBytes decodedFormat;
    std::vector<u8> decoded = decodeToPcm(encoded, a, sink, &decodedFormat);
    EXPECT_TRUE(sink.reports.empty());
    const WAVEFORMATEX* d = asFormat(decodedFormat);
    EXPECT_EQ(d->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(d->wBitsPerSample, 16);
    EXPECT_EQ(d->nChannels, 1);
    EXPECT_EQ(d->nSamplesPerSec, 22050u);
    EXPECT_EQ(decoded.size(), 3u * perBlock * 2);
    // Lossy, but close to the original.
    EXPECT_LT(largestDifference(samplesOf(decoded), samplesOf(in), perBlock / 4), 2500);
}

// The machine's MS ADPCM codec only decodes: the fixture was encoded by another program.
TEST(AcmStream, MsAdpcmFileDecodes) {
    RecordingHandler sink;
    GFile file(&sink);
    ASSERT_TRUE(fileOpen(file, fixturePath("ms_adpcm_500hz.wav").c_str(), FileMode::Read));
    SoundFileLayout layout;
    ASSERT_TRUE(readSoundFileLayout(file, &layout));
    const WAVEFORMATEX* f = layout.parts.format;
    ASSERT_EQ(f->wFormatTag, WAVE_FORMAT_ADPCM);
    u16 perBlock;
    memcpy(&perBlock, reinterpret_cast<const u8*>(f) + 18, 2);
    const u64 blocks = layout.parts.dataSize / f->nBlockAlign;

    FileRangeSource* range = new FileRangeSource(0, layout.parts.dataSize, &sink, layout.dataOffset);
    ASSERT_TRUE(range->open(fixturePath("ms_adpcm_500hz.wav").c_str()));
    AcmStream s;
    s.errorSink = &sink;
    ASSERT_TRUE(s.openToPcm(range, f, layout.parts.dataSize));
    std::vector<i16> pcm = samplesOf(readAll(s));
    EXPECT_TRUE(sink.reports.empty());
    EXPECT_EQ(pcm.size(), blocks * perBlock);
    // A quarter of a second of 500 Hz at half the full scale.
    EXPECT_NEAR(risingCrossings(pcm, 1, 0, 1000), 125, 2);
    EXPECT_NEAR(*std::max_element(pcm.begin(), pcm.begin() + 5000), 16384, 800);
}

TEST(AcmStream, Mp3DecodesToPcm) {
    std::string mp3 = readWholeFile(fixturePath("sine1k_mono.mp3"));
    ASSERT_GT(mp3.size(), 1000u);
    MPEGLAYER3WAVEFORMAT f = {};
    f.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    f.wfx.nChannels = 1;
    f.wfx.nSamplesPerSec = 44100;
    f.wfx.nAvgBytesPerSec = 64000 / 8;
    f.wfx.nBlockAlign = 1;
    f.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    f.wID = MPEGLAYER3_ID_MPEG;
    f.nBlockSize = 209;
    f.nFramesPerBlock = 1;
    f.nCodecDelay = 1393;
    RecordingHandler sink;
    AcmFormatBytes format;
    std::vector<u8> pcm = decodeToPcm(std::vector<u8>(mp3.begin(), mp3.end()), &f.wfx, sink, &format);
    ASSERT_TRUE(sink.reports.empty()) << sink.lastText();
    EXPECT_EQ(asFormat(format)->nChannels, 1);
    EXPECT_EQ(asFormat(format)->nSamplesPerSec, 44100u);
    // Half a second of 1 kHz; the encoder adds up to two frames of near silence.
    std::vector<i16> s = samplesOf(pcm);
    EXPECT_NEAR((double)s.size(), 22050.0, 2 * 1152.0);
    EXPECT_NEAR(risingCrossings(s, 1, 0, 1000), 500, 3);
}

TEST(AcmStream, SourceBlockSize) {
    struct Case {
        u32 bytes;
        u32 block;
    } cases[] = {
        {1000, 1000},    // a short range converts in one block of exactly its length
        {16383, 16383},
        {16384, 16386},  // 16384 rounded up to whole frames of 6 bytes
        {50000, 16386},
    };
    WAVEFORMATEX from = pcmFormat(3, 8000, 16), to = pcmFormat(3, 16000, 16);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        RecordingHandler sink;
        AcmStream s;
        s.errorSink = &sink;
        ASSERT_TRUE(s.open(new MemorySource(std::vector<u8>(c.bytes)), &from, c.bytes, &to))
            << (sink.reports.empty() ? "" : sink.lastText());
        EXPECT_EQ(s.sourceBlockBytes(), c.block);
        std::vector<u8> out = readAll(s);
        EXPECT_NEAR((double)out.size(), c.bytes / 6 * 2 * 6.0, 6 * 4.0);
    }
}

TEST(AcmStream, SeekAndRewindConvertAgain) {
    WAVEFORMATEX from = pcmFormat(1, 44100, 16), to = pcmFormat(1, 22050, 16);
    std::vector<u8> in = sineBytes(44100, 1, 44100, 300.0);
    RecordingHandler sink;
    AcmStream s;
    s.errorSink = &sink;
    ASSERT_TRUE(s.open(new MemorySource(in), &from, in.size(), &to));
    std::vector<u8> first = readAll(s);
    ASSERT_TRUE(s.atEnd());
    ASSERT_TRUE(s.rewind());
    EXPECT_TRUE(s.atStart());
    EXPECT_EQ(readAll(s), first);

    // The second half only.
    ASSERT_TRUE(s.seek(in.size() / 2, in.size() / 2));
    std::vector<u8> half = readAll(s, 333);
    EXPECT_NEAR((double)half.size(), first.size() / 2.0, 8.0);
    EXPECT_EQ(s.position(), in.size());
    EXPECT_TRUE(sink.reports.empty());
}

TEST(AcmStream, FailuresReachTheSink) {
    RecordingHandler sink;
    // No codec of the machine decodes this tag, also where its fields read like PCM's (as an Ogg
    // stream's do): no driver that does not know the tag is taken for it.
    WAVEFORMATEX ogg = pcmFormat(2, 44100, 16);
    ogg.wFormatTag = 0x2222;
    const struct {
        u16 blockAlign, bits;
    } layouts[] = {{1, 0}, {4, 16}};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.bits);
        sink.reports.clear();
        WAVEFORMATEX foreign = ogg;
        foreign.nBlockAlign = layout.blockAlign;
        foreign.wBitsPerSample = layout.bits;
        AcmConversion found;
        EXPECT_FALSE(findAcmConversion({WAVE_FORMAT_PCM, 0, 0, 0}, {WAVE_FORMAT_PCM, 2, 44100, 16}, &foreign, &found,
                                       nullptr));
        AcmStream s;
        s.errorSink = &sink;
        EXPECT_FALSE(s.openToPcm(new MemorySource(std::vector<u8>(100)), &foreign, 100));
        ASSERT_FALSE(sink.reports.empty());
        EXPECT_EQ(sink.lastText(), std::string(mmText(MmText::NoCodec)) + ".");
    }
    ogg.nBlockAlign = 1;
    ogg.wBitsPerSample = 0;

    // A stream between formats no codec joins: the open reports the conversion manager's code.
    sink.reports.clear();
    WAVEFORMATEX from = pcmFormat(1, 44100, 16), to = ogg;
    AcmStream s;
    s.errorSink = &sink;
    EXPECT_FALSE(s.open(new MemorySource(std::vector<u8>(100)), &from, 100, &to));
    ASSERT_EQ(sink.reports.size(), 1u);
    EXPECT_EQ(sink.lastCode(), 512);  // the conversion is not possible
}

TEST(AcmSearch, EqualScoresGoToTheNearerRate) {
    AcmFormatWish preferred = {WAVE_FORMAT_PCM, 2, 44100, 16};
    WAVEFORMATEX r22 = pcmFormat(2, 22050, 16), r48 = pcmFormat(2, 48000, 16), r44 = pcmFormat(2, 44100, 16);
    WAVEFORMATEX r44mono = pcmFormat(1, 44100, 16), r8000 = pcmFormat(2, 8000, 16);
    EXPECT_EQ(acmCandidateScore(&r44, preferred), 0x1Fu);
    EXPECT_EQ(acmCandidateScore(&r48, preferred), 0x1Du);
    EXPECT_EQ(acmCandidateScore(&r44mono, preferred), 0x1Bu);
    AcmFormatWish noRate = {WAVE_FORMAT_PCM, 2, 0, 16};

    struct Case {
        const WAVEFORMATEX* candidate;
        const WAVEFORMATEX* best;
        const AcmFormatWish* wish;
        bool wins;
    } cases[] = {
        {&r48, &r22, &preferred, true},     // equal scores: 48000 is nearer to 44100
        {&r22, &r48, &preferred, false},
        {&r8000, &r22, &preferred, false},
        {&r48, &r44mono, &preferred, true},  // higher score
        {&r44mono, &r48, &preferred, false},
        {&r48, &r22, &noRate, false},       // no rate preferred: the first stays
        {&r22, nullptr, &preferred, true},  // anything beats nothing
    };
    for (const Case& c : cases) {
        u32 score = acmCandidateScore(c.candidate, *c.wish);
        u32 bestScore = c.best ? acmCandidateScore(c.best, *c.wish) : 0;
        EXPECT_EQ(acmCandidateWins(c.candidate, score, c.best, bestScore, *c.wish), c.wins)
            << c.candidate->nChannels << "ch " << c.candidate->nSamplesPerSec << " against "
            << (c.best ? c.best->nSamplesPerSec : 0);
    }
}

TEST(AcmSearch, FindsTheMachinesCodecs) {
    RecordingHandler sink;
    std::vector<AcmDriverInfo> drivers;
    ASSERT_TRUE(enumAcmDrivers(drivers, true, &sink));
    EXPECT_GE(drivers.size(), 3u);

    // IMA ADPCM to PCM: the codec's own 16-bit output at the source's rate and channels wins.
    WAVEFORMATEX pcm = pcmFormat(2, 44100, 16);
    AcmFormatBytes ima = offeredFormat(pcm, WAVE_FORMAT_IMA_ADPCM, 2, 44100);
    ASSERT_FALSE(ima.empty());
    AcmConversion found;
    AcmFormatWish required = {WAVE_FORMAT_PCM, 0, 0, 0}, preferred = {WAVE_FORMAT_PCM, 2, 44100, 16};
    ASSERT_TRUE(findAcmConversion(required, preferred, asFormat(ima), &found, &sink));
    EXPECT_EQ(asFormat(found.format)->nSamplesPerSec, 44100u);
    EXPECT_EQ(asFormat(found.format)->nChannels, 2);
    EXPECT_EQ(asFormat(found.format)->wBitsPerSample, 16);
    EXPECT_EQ(found.format.size(), 18u);
    EXPECT_TRUE(sink.reports.empty());
}

TEST(AcmDrivers, CollectsTagsAndFormats) {
    RecordingHandler sink;
    std::vector<AcmDriverRecord> drivers;
    ASSERT_TRUE(collectAcmDrivers(drivers, false, &sink));
    EXPECT_TRUE(sink.reports.empty());
    const AcmFormatTagRecord* ima = nullptr;
    for (const AcmDriverRecord& d : drivers)
        for (const AcmFormatTagRecord& t : d.tags)
            if (t.tag == WAVE_FORMAT_IMA_ADPCM) ima = &t;
    ASSERT_NE(ima, nullptr);
    EXPECT_FALSE(ima->name.empty());
    ASSERT_FALSE(ima->formats.empty());
    EXPECT_EQ(ima->formats.size(), ima->formatNames.size());
    bool stereo44 = false;
    for (const AcmFormatBytes& f : ima->formats) {
        EXPECT_EQ(asFormat(f)->wFormatTag, WAVE_FORMAT_IMA_ADPCM);
        EXPECT_EQ(f.size(), 18u + asFormat(f)->cbSize);
        stereo44 = stereo44 || (asFormat(f)->nChannels == 2 && asFormat(f)->nSamplesPerSec == 44100);
    }
    EXPECT_TRUE(stereo44);
}

// Without a driver, Wine answers "not possible" for every tag index (Windows looks the index up
// among the tags of all drivers); an index past every tag fails on both.
TEST(AcmDrivers, FailuresGoToTheSinkOrNowhere) {
    ACMFORMATTAGDETAILSA tag;
    RecordingHandler sink;
    EXPECT_FALSE(getFormatTagDetails(100000, &tag, &sink));
    ASSERT_EQ(sink.reports.size(), 1u);
    EXPECT_EQ(sink.lastCode(), 512);  // not possible
    sink.answer = true;  // a sink that lets the caller go on
    EXPECT_TRUE(getFormatTagDetails(100000, &tag, &sink));
    EXPECT_FALSE(getFormatTagDetails(100000, &tag, nullptr));

    void* driver = nullptr;
    EXPECT_FALSE(openAcmDriver(&driver, nullptr, nullptr));
    EXPECT_EQ(driver, nullptr);
    EXPECT_FALSE(setAcmDriverPriority(nullptr, 1, 0, nullptr));
}

TEST(AcmFileWriter, WritesAWaveFileOnlyWhenComplete) {
    TempDir dir;
    std::string target = dir.file("out.wav");
    dir.write("out.wav", "old contents");
    WAVEFORMATEX from = pcmFormat(2, 44100, 16), to = pcmFormat(2, 22050, 16);
    std::vector<u8> in = sineBytes(44100, 2, 44100, 441.0);

    // A cancelled job leaves the target as it was.
    {
        RecordingHandler sink;
        AcmStream s;
        s.errorSink = &sink;
        ASSERT_TRUE(s.open(new MemorySource(in), &from, in.size(), &to));
        JobProgress progress;
        progress.setTotal(in.size());
        progress.cancel();
        EXPECT_FALSE(acmConvertToWaveFile(target.c_str(), s, &progress, &sink));
        EXPECT_EQ(dir.read("out.wav"), "old contents");
        EXPECT_EQ(dir.list().size(), 1u) << "no temporary file is left";
    }
    // A write that fails stops the loop with false.
    {
        RecordingHandler sink;
        AcmStream s;
        s.errorSink = &sink;
        ASSERT_TRUE(s.open(new MemorySource(in), &from, in.size(), &to));
        GFile readOnly(&sink);
        ASSERT_TRUE(fileOpen(readOnly, target.c_str(), FileMode::Read));
        EXPECT_FALSE(acmConvertLoop(s, readOnly, nullptr));
        EXPECT_EQ(s.currentState(), (u32)acmClosed);
        EXPECT_FALSE(sink.reports.empty());
    }
    // A complete conversion replaces it with a WAVE of the destination format.
    RecordingHandler sink;
    AcmStream s;
    s.errorSink = &sink;
    ASSERT_TRUE(s.open(new MemorySource(in), &from, in.size(), &to));
    JobProgress progress;
    progress.setTotal(in.size());
    ASSERT_TRUE(acmConvertToWaveFile(target.c_str(), s, &progress, &sink));
    EXPECT_TRUE(sink.reports.empty());
    GFile file(&sink);
    ASSERT_TRUE(fileOpen(file, target.c_str(), FileMode::Read));
    SoundFileLayout layout;
    ASSERT_TRUE(readSoundFileLayout(file, &layout));
    ASSERT_NE(layout.parts.format, nullptr);
    EXPECT_EQ(layout.parts.format->nSamplesPerSec, 22050u);
    EXPECT_NEAR((double)layout.parts.dataSize, 22050.0 * 4, 16.0);
    EXPECT_EQ(fileSize(file), (i64)(layout.dataOffset + layout.parts.dataSize));
}

namespace {
// The tests' codec driver (tests/plugins/crash_codec.cpp), added to the conversion manager for this
// process; it converts the tag 0x5241 by copying.
struct TestCodec {
    TestCodec() {
        library = LoadLibraryA(testPluginPath("crash_codec").c_str());
        if (!library) return;
        auto procOf = (void* (*)())(void*)GetProcAddress(library, "codecDriverProc");
        setMode = (void (*)(int))(void*)GetProcAddress(library, "setCodecMode");
        if (!procOf || !setMode) return;
        added = acmDriverAdd(&id, library, (LPARAM)procOf(), 0, ACM_DRIVERADDF_FUNCTION | ACM_DRIVERADDF_LOCAL);
    }
    ~TestCodec() {
        if (setMode) setMode(0);
        for (HACMDRIVER had : opened) acmDriverClose(had, 0);
        if (id) acmDriverRemove(id, 0);
        // The library stays: a codec that faulted is never released by the manager.
    }
    // A driver handle of the codec in the given mode (null on failure).
    void* open(int mode) {
        setMode(mode);
        HACMDRIVER had = nullptr;
        if (acmDriverOpen(&had, id, 0) != MMSYSERR_NOERROR) return nullptr;
        opened.push_back(had);
        return had;
    }
    std::vector<HACMDRIVER> opened;
    HMODULE library = nullptr;
    void (*setMode)(int) = nullptr;
    HACMDRIVERID id = nullptr;
    MMRESULT added = MMSYSERR_ERROR;
};

WAVEFORMATEX codecFormat() {
    WAVEFORMATEX f = pcmFormat(2, 8000, 16);
    f.wFormatTag = 0x5241;
    return f;
}
}  // namespace

TEST(AcmStream, ACodecFaultInsideACallIsContainedAndReported) {
    TestCodec codec;
    ASSERT_EQ(codec.added, MMSYSERR_NOERROR) << "the test codec could not be added";
    WAVEFORMATEX from = codecFormat(), to = pcmFormat(2, 8000, 16);
    std::vector<u8> bytes = sineBytes(4000, 2, 8000, 300.0);

    // Copying, the codec passes the bytes on as they are.
    {
        RecordingHandler sink;
        AcmStream s;
        s.errorSink = &sink;
        ASSERT_TRUE(s.open(new MemorySource(bytes), &from, bytes.size(), &to, codec.open(0)));
        EXPECT_EQ(readAll(s), bytes);
        EXPECT_TRUE(sink.reports.empty()) << sink.lastText();
    }

    struct Case {
        const char* name;
        int mode;
        bool opens;
    } cases[] = {
        {"in the stream open", 1, false},
        {"in the size query", 2, false},
        {"in the conversion", 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHandler sink;
        void* driver = codec.open(c.mode);
        ASSERT_NE(driver, nullptr);
        AcmStream s;
        s.errorSink = &sink;
        EXPECT_EQ(s.open(new MemorySource(bytes), &from, bytes.size(), &to, driver), c.opens);
        if (c.opens) {
            bool ok = true;
            EXPECT_TRUE(readAll(s, 5000, &ok).empty());
            EXPECT_FALSE(ok);
            EXPECT_TRUE(s.atEnd()) << "a faulted codec is not called again";
            EXPECT_FALSE(s.rewind());
        }
        ASSERT_EQ(sink.reports.size(), 1u);
        EXPECT_EQ(sink.lastCode(), -1);
        GString text;
        mmErrorText(text, mmErrorCodecFailed);
        EXPECT_EQ(sink.lastText(), std::string(text.c_str()));
        EXPECT_TRUE(s.close(1));
    }

    // The program goes on, and so do the machine's codecs.
    RecordingHandler sink;
    WAVEFORMATEX mono = pcmFormat(1, 8000, 16);
    std::vector<u8> out = convert(bytes, &to, &mono, sink);
    EXPECT_EQ(out.size(), bytes.size() / 2);
}

TEST(AcmStream, CodecEdgeCases) {
    TestCodec codec;
    ASSERT_EQ(codec.added, MMSYSERR_NOERROR) << "the test codec could not be added";
    WAVEFORMATEX from = codecFormat(), to = pcmFormat(2, 8000, 16);
    std::vector<u8> bytes = sineBytes(8000, 2, 8000, 300.0);
    RecordingHandler sink;

    // A destination above 4 MB for a block of 16384 bytes: the block becomes one frame.
    {
        AcmStream s;
        s.errorSink = &sink;
        ASSERT_TRUE(s.open(new MemorySource(bytes), &from, bytes.size(), &to, codec.open(4)));
        EXPECT_EQ(s.sourceBlockBytes(), 4u);
        std::vector<u8> head(400);
        u32 n = (u32)head.size();
        ASSERT_TRUE(s.read(head.data(), &n));
        EXPECT_EQ(std::vector<u8>(head.begin(), head.begin() + n), std::vector<u8>(bytes.begin(), bytes.begin() + n));
        EXPECT_EQ(n, 400u);
    }
    // A codec that takes and gives nothing ends the conversion.
    {
        AcmStream s;
        s.errorSink = &sink;
        ASSERT_TRUE(s.open(new MemorySource(bytes), &from, bytes.size(), &to, codec.open(5)));
        bool ok = true;
        EXPECT_TRUE(readAll(s, 5000, &ok).empty());
        EXPECT_TRUE(ok);
        EXPECT_TRUE(s.atEnd());
        EXPECT_EQ(s.sourceBytesUsed(), bytes.size());
    }
    EXPECT_TRUE(sink.reports.empty()) << sink.lastText();
}

// Bytes that come before the range at every start (Ogg header pages) are converted again after a
// seek, and so is the whole new range.
TEST(AcmStream, LeadBytesCountAgainAfterASeek) {
    WAVEFORMATEX from = pcmFormat(1, 44100, 16), to = pcmFormat(1, 22050, 16);
    std::vector<u8> all = sineBytes(44100, 1, 44100, 300.0);
    const u32 lead = 4000;
    // Delivers the first `lead` bytes, then the range.
    class LeadSource : public MemorySource {
    public:
        LeadSource(std::vector<u8> bytes, u32 lead) : MemorySource(std::move(bytes)), lead(lead) {}
        bool read(void* buffer, u32* n) override {
            if (given < lead) {
                u32 k = std::min(*n, lead - given);
                memcpy(buffer, bytes.data() + given, k);
                given += k;
                *n = k;
                return true;
            }
            return MemorySource::read(buffer, n);
        }
        bool seek(u64 start, u64 length) override {
            given = 0;
            return MemorySource::seek(start, length);
        }
        u32 lead, given = 0;
    };
    RecordingHandler sink;
    AcmStream s;
    s.errorSink = &sink;
    s.leadBytes = lead;
    LeadSource* inner = new LeadSource(all, lead);
    ASSERT_TRUE(inner->seek(lead, all.size() - lead));
    ASSERT_TRUE(s.open(inner, &from, all.size(), &to));
    const size_t whole = readAll(s).size();

    ASSERT_TRUE(s.seek(all.size() / 2, all.size() / 2));
    const size_t half = readAll(s).size();
    EXPECT_EQ(s.position(), all.size()) << "the range was read to its end";
    EXPECT_NEAR((double)half, (lead + all.size() / 2) / 2.0, 8.0);
    EXPECT_NEAR((double)whole, all.size() / 2.0, 8.0);
    EXPECT_TRUE(sink.reports.empty()) << sink.lastText();
}
