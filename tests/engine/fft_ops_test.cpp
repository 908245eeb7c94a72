// FFT analysis of the range: the strongest peak or the list of peaks, with phase refinement.
#include <cmath>

#include "engine/analysis_requests.h"
#include "engine/window_functions.h"
#include "mm/mm_texts.h"
#include "tests/engine/engine_fixture.h"

namespace {
const f64 pi = 3.141592653589793;

// n frames of tracks: track t holds amplitude[t] x sin(2 pi bin[t] x i / n + phase).
std::vector<f64> tones(u32 n, const std::vector<std::vector<f64>>& tracks) {
    std::vector<f64> v;
    for (u32 i = 0; i < n; ++i)
        for (const auto& t : tracks) v.push_back(std::floor(t[0] * std::sin(2 * pi * t[1] * i / n + t[2]) + 0.5));
    return v;
}

FftAnalysis* analysis(u8 singlePeak, u8 sum, u8 refine, u32 window, f64 threshold = 10.0) {
    auto* a = new FftAnalysis;
    a->singlePeak = singlePeak;
    a->sumChannels = sum;
    a->phaseRefine = refine;
    a->windowType = window;
    a->peakThreshold = threshold;
    return a;
}

FftAnalysis* run(TestSound& sound, FftAnalysis* a, u64 frames) {
    RecordingOwner owner(&sound);
    auto p = bindProcessor(sound, 0, frames, 0, &owner);
    JobProgress progress;
    p->progress = &progress;
    p->setAuxObject(a);
    p->runSlot(Slot::fftRepeat);
    EXPECT_TRUE(owner.events.empty()) << "the sound is not changed";
    p->auxObject = nullptr;  // the test keeps the result
    return a;
}
}  // namespace

TEST(FftRepeat, ABinCentredSineGivesItsFrequencyAmplitudeAndPhase) {
    // 1024 frames at 8000 Hz: bin 64 is 500 Hz.
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        TestSound sound(encoding, 1, tones(1024, {{1000, 64, 0.5}}));
        std::unique_ptr<FftAnalysis> peak(run(sound, analysis(1, 0, 0, 0), 1024));
        EXPECT_EQ(peak->fftSize, 1024u);
        EXPECT_DOUBLE_EQ(peak->strongest.frequency, 500.0);
        EXPECT_NEAR(peak->strongest.amplitude, 1000.0, 0.5);
        EXPECT_NEAR(peak->strongest.phase, 0.5, 1e-3);
        EXPECT_EQ(peak->strongest.baseFrequency, 500.0);
        EXPECT_EQ(peak->strongest.octave * 12 + peak->strongest.note, 12u * 4 + 11) << "500 Hz is nearest B4";

        std::unique_ptr<FftAnalysis> list(run(sound, analysis(0, 0, 0, 0), 1024));
        ASSERT_EQ(list->harmonics.count, 1u);
        EXPECT_DOUBLE_EQ(list->harmonics[0].frequency, 500.0);
        EXPECT_NEAR(list->harmonics[0].amplitude, 1000.0, 0.5);
    }
}

TEST(FftRepeat, PhaseRefinementFindsATone) {
    // Bin 10.3 of 1000 frames at 8000 Hz: 82.4 Hz, 2.4 Hz from bin 10.
    TestSound sound(encodingDouble, 1, tones(1000, {{10000, 10.3, 0.4}}));
    struct Case {
        const char* name;
        u8 refine;
        u32 window;
    } cases[] = {
        {"the bins alone", 0, 0},
        {"refined", 1, 0},
        {"refined, Hann window", 1, windowTypeHann},
        {"refined, Blackman window", 1, windowTypeBlackman},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The list holds bins; only the phase advance moves them.
        std::unique_ptr<FftAnalysis> list(run(sound, analysis(0, 0, c.refine, c.window, 1000.0), 1000));
        ASSERT_GE(list->harmonics.count, 1u);
        const HarmonicRecord* strongest = &list->harmonics[0];
        for (u32 i = 0; i < list->harmonics.count; ++i)
            if (list->harmonics[i].amplitude > strongest->amplitude) strongest = &list->harmonics[i];
        if (c.refine) EXPECT_NEAR(strongest->frequency, 82.4, 0.1);
        else EXPECT_EQ(strongest->frequency, 80.0);
        // The strongest peak: refined from its two bins where the phase turns between them, else
        // by the phase advance.
        std::unique_ptr<FftAnalysis> peak(run(sound, analysis(1, 0, c.refine, c.window), 1000));
        if (c.refine || c.window == 0) EXPECT_NEAR(peak->strongest.frequency, 82.4, 0.1);
    }
}

TEST(FftRepeat, TracksSummedOrTheFirstSelectedAlone) {
    // Four tracks; track 2 holds a tone on bin 8, track 3 one on bin 16 (256 frames).
    TestSound sound(encodingInt32, 4, tones(256, {{3000, 40, 0}, {3000, 50, 0}, {1000, 8, 0}, {800, 16, 0}}));
    sound.select({0, 0, 1, 1});
    struct Case {
        u8 sum;
        std::vector<f64> frequencies;
    } cases[] = {{1, {250, 500}}, {0, {250}}};
    for (const Case& c : cases) {
        std::unique_ptr<FftAnalysis> list(run(sound, analysis(0, c.sum, 0, 0, 100.0), 256));
        std::vector<f64> found;
        for (u32 i = 0; i < list->harmonics.count; ++i) found.push_back(list->harmonics[i].frequency);
        EXPECT_EQ(found, c.frequencies) << (int)c.sum;
    }
    sound.select({0, 0, 0, 1});
    for (u8 sum : {0, 1}) {
        std::unique_ptr<FftAnalysis> list(run(sound, analysis(0, sum, 0, 0, 100.0), 256));
        ASSERT_EQ(list->harmonics.count, 1u);
        EXPECT_EQ(list->harmonics[0].frequency, 500.0);
    }
}

TEST(FftRepeat, NoPeakLeavesTheRecordAndTinyRangesStillRun) {
    TestSound sound(encodingInt16, 1, std::vector<f64>(64, 0.0));
    FftAnalysis* a = analysis(1, 0, 1, 0);
    a->strongest.frequency = 123;
    a->strongest.amplitude = 7;
    std::unique_ptr<FftAnalysis> peak(run(sound, a, 64));
    EXPECT_EQ(peak->strongest.frequency, 0.0);
    EXPECT_EQ(peak->strongest.amplitude, 7.0);
    // Three frames with refinement: a shift of one frame.
    std::unique_ptr<FftAnalysis> tiny(run(sound, analysis(0, 0, 1, windowTypeHann, 0.0), 3));
    EXPECT_EQ(tiny->fftSize, 3u);
}

TEST(FftRepeat, TheReadingStageShowsItsTextThenReportsAtEachPageEnd) {
    // Every report in order: the reading's text first, then one 0-step report per page read.
    struct Reports : JobProgress {
        std::vector<std::pair<u64, std::string>> seen;
        bool report(u64 done, const char* text) override {
            seen.emplace_back(done, text ? text : "");
            return JobProgress::report(done, text);
        }
    };
    const u32 n = 1u << 18;  // 512 KB of 16-bit frames: several pages
    TestSound sound(encodingInt16, 1, std::vector<f64>(n, 100.0));
    RecordingOwner owner(&sound);
    auto p = bindProcessor(sound, 0, n, 0, &owner);
    Reports progress;
    p->progress = &progress;
    std::unique_ptr<FftAnalysis> a(analysis(1, 0, 0, 0));
    p->setAuxObject(a.get());
    p->runSlot(Slot::fftRepeat);
    p->auxObject = nullptr;

    ASSERT_FALSE(progress.seen.empty());
    EXPECT_EQ(progress.seen[0], (std::pair<u64, std::string>{0, mmText(MmText::ReadingSound)}));
    size_t pageEnds = 1;
    while (pageEnds < progress.seen.size() && progress.seen[pageEnds] == std::pair<u64, std::string>{0, ""})
        ++pageEnds;
    EXPECT_GE(pageEnds - 1, 2u) << "a report at each page end of the reading";
    ASSERT_LT(pageEnds, progress.seen.size());
    EXPECT_EQ(progress.seen[pageEnds].first, 1u) << "then the transform's steps";
}
