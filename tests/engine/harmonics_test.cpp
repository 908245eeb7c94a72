// Harmonic records, the spectrum file, and harmonics read out of a spectrum.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/harmonics.h"
#include "gui/controls/notes.h"
#include "tests/support/bag_hex.h"
#include "tests/support/test_support.h"

namespace {
const f64 pi = 3.141592653589793;

// The n-point transform of a sum of cosines a cos(2 pi b t / n + q), computed bin by bin.
std::vector<Complex> cosineSpectrum(i32 n, const std::vector<std::vector<f64>>& cosines) {
    std::vector<Complex> x((size_t)n, Complex{0, 0});
    for (i32 t = 0; t < n; ++t) {
        f64 v = 0;
        for (const auto& c : cosines) v += c[0] * std::cos(2 * pi * c[1] * t / n + c[2]);
        for (i32 j = 0; j < n; ++j) {
            x[(size_t)j].re += v * std::cos(2 * pi * j * t / n);
            x[(size_t)j].im -= v * std::sin(2 * pi * j * t / n);
        }
    }
    return x;
}

std::string spectrumBytes(u32 magic, u32 headerSize, u32 version, u32 flags, const std::vector<HarmonicRecord>& records,
                          i32 sizeDelta = 0) {
    std::string b(headerSize, '\0');
    const u32 head[6] = {magic, headerSize, version, flags, 8000, 1024};
    memcpy(&b[0], head, 24);
    const u32 count = (u32)records.size();
    b.append((const char*)&count, 4);
    if (count) b.append((const char*)records.data(), 56 * count);
    if (sizeDelta > 0) b.append((size_t)sizeDelta, 'x');
    if (sizeDelta < 0) b.resize(b.size() + sizeDelta);
    return b;
}
}  // namespace

TEST(HarmonicRecord, NotesFollowTheFrequency) {
    struct Case {
        f64 frequency;
        u32 note, octave;
    } cases[] = {{440, 9, 4},  {261.63, 0, 4}, {27.5, 9, 0}, {16.35, 0, 0}, {8, 0, 0}, {0, 0, 0},
                 {NAN, 0, 0}, {-440, 0, 0}, {1e30, 11, 15}, {INFINITY, 11, 15}};
    for (const Case& c : cases) {
        HarmonicRecord r = HarmonicRecord{1, c.frequency, 0};
        HarmonicRecord::updateNote(&r);
        EXPECT_EQ(r.note, c.note) << c.frequency;
        EXPECT_EQ(r.octave, c.octave) << c.frequency;
    }
    // The toolkit's note names and the records' notes are one table in one program.
    HarmonicRecord a = HarmonicRecord{1, 440, 0};
    HarmonicRecord::updateNote(&a);
    EXPECT_STREQ(noteName((i32)a.note), noteName(frequencyToNote(440).note));
    EXPECT_EQ(noteToFrequency((i32)(12 * a.octave + a.note)), 440.0);
    HarmonicRecord r = HarmonicRecord{1, 440 * std::pow(2.0, 0.3 / 12), 0};
    HarmonicRecord::updateNote(&r);
    EXPECT_NEAR(harmonicCentsOffNote(r), 0.3, 1e-9);
    EXPECT_EQ(offsetof(HarmonicRecord, overtone), 28u);
    EXPECT_EQ(offsetof(HarmonicRecord, baseFrequency), 40u);
}

TEST(SpectrumFile, ReadsWhatWasWrittenAndRefusesBrokenFiles) {
    TempDir dir;
    RecordingHandler handler;
    std::vector<HarmonicRecord> records = {HarmonicRecord{100, 440, 0.5}, HarmonicRecord{50, 880, -1}};
    records[1].note = 3;  // kept when the file says its notes are valid
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;  // null: read
        u32 count;
    };
    const Case cases[] = {
        {"empty list", spectrumBytes(spectrumMagic, 24, 768, 0, {}), nullptr, 0},
        {"header of 32 bytes", spectrumBytes(spectrumMagic, 32, 768, 0, records), nullptr, 2},
        {"notes valid", spectrumBytes(spectrumMagic, 24, 768, 2, records), nullptr, 2},
        {"bad magic", spectrumBytes(0x2454564F, 24, 768, 0, records), "not a spectrum file", 9},
        {"version 769", spectrumBytes(spectrumMagic, 24, 769, 0, records), "version", 9},
        {"header too short", spectrumBytes(spectrumMagic, 20, 768, 0, records), "not a spectrum file", 9},
        {"one byte more", spectrumBytes(spectrumMagic, 24, 768, 0, records, 1), "does not match", 9},
        {"one byte less", spectrumBytes(spectrumMagic, 24, 768, 0, records, -1), "does not match", 9},
        {"an amplitude not a number", spectrumBytes(spectrumMagic, 24, 768, 0, {HarmonicRecord{NAN, 440, 0}}),
         "not a spectrum file", 9},
        {"an infinite frequency", spectrumBytes(spectrumMagic, 24, 768, 0, {HarmonicRecord{1, INFINITY, 0}}),
         "not a spectrum file", 9},
        {"a phase not a number", spectrumBytes(spectrumMagic, 24, 768, 0, {records[0], HarmonicRecord{1, 2, NAN}}),
         "not a spectrum file", 9},
        {"a count that wraps the size", spectrumBytes(spectrumMagic, 24, 768, 0, {}).replace(24, 4, "\0\0\0\x20", 4),
         "does not match", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("s.ovt", c.bytes);
        handler.reports.clear();
        GFile file(&handler);
        ASSERT_TRUE(fileOpen(file, dir.file("s.ovt").c_str(), FileMode::Read));
        SpectrumHeader header;
        initSpectrumHeader(&header);
        HarmonicArray array;
        array.append(9);
        const bool ok = readSpectrumFile(&header, array, file);
        EXPECT_EQ(ok, c.message == nullptr);
        EXPECT_EQ(array.count, c.count) << "a refused file leaves the list as it was";
        if (!ok) {
            EXPECT_FALSE(file.isOpen());
            ASSERT_EQ(handler.reports.size(), 1u);
            EXPECT_NE(handler.lastText().find(c.message), std::string::npos) << handler.lastText();
            EXPECT_EQ(header.fftSize, 16384u) << "a refused file leaves the header as it was";
            EXPECT_EQ(header.sampleRate, 44100u);
            continue;
        }
        EXPECT_EQ(header.fftSize, 1024u);
        if (c.count == 0) continue;
        EXPECT_EQ(array[1].frequency, 880.0);
        EXPECT_EQ(array[1].note, c.bytes[12] == 2 ? 3u : 9u) << "recomputed unless valid";
        EXPECT_EQ(array[0].baseFrequency, c.bytes[12] == 2 ? 0.0 : 440.0);

        // Written back: header size 24, bit 0 cleared, the records as held.
        header.flags |= 1;
        GFile out(&handler);
        ASSERT_TRUE(fileOpen(out, dir.file("w.ovt").c_str(), FileMode::Write));
        ASSERT_TRUE(writeSpectrumFile(&header, array, out));
        ASSERT_TRUE(fileClose(out));
        std::string written = dir.read("w.ovt");
        ASSERT_EQ(written.size(), 24u + 4 + 56 * 2);
        u32 head[6];
        memcpy(head, written.data(), 24);
        EXPECT_EQ(head[1], 24u);
        EXPECT_EQ(head[3] & 1, 0u);
        EXPECT_EQ(memcmp(written.data() + 28, array.data, 112), 0);
    }
}

// A file laid down by hand reads into the record it holds and is written back byte for byte.
TEST(SpectrumFile, AStoredFileWritesBackUnchanged) {
    const std::string stored = bytesFromHex(
        "4F 56 54 23 18 00 00 00 00 03 00 00 02 00 00 00 44 AC 00 00 00 40 00 00 "  // header, notes valid
        "01 00 00 00 "                                                              // one record:
        "00 00 00 00 00 00 59 40 00 00 00 00 00 80 7B 40 00 00 00 00 00 00 E0 BF "  // 100, 440 Hz, -0.5
        "03 00 07 00 FE FF FF FF 09 00 00 00 04 00 00 00 "                          // marks, pad, -2, A, 4
        "00 00 00 00 00 A0 94 40 00 00 00 00 00 00 D0 3F");                         // 1320 Hz, 0.25
    TempDir dir;
    dir.write("s.ovt", stored);
    GFile in;
    ASSERT_TRUE(fileOpen(in, dir.file("s.ovt").c_str(), FileMode::Read));
    SpectrumHeader header;
    HarmonicArray array;
    ASSERT_TRUE(readSpectrumFile(&header, array, in));
    ASSERT_TRUE(fileClose(in));
    EXPECT_EQ(header.sampleRate, 44100u);
    EXPECT_EQ(header.fftSize, 16384u);
    ASSERT_EQ(array.count, 1u);
    const HarmonicRecord& r = array[0];
    EXPECT_EQ(r.amplitude, 100.0);
    EXPECT_EQ(r.frequency, 440.0);
    EXPECT_EQ(r.phase, -0.5);
    EXPECT_EQ(r.reserved16, 3u);
    EXPECT_EQ(r.padding, 7u);
    EXPECT_EQ(r.overtone, -2);
    EXPECT_EQ(r.note, 9u);
    EXPECT_EQ(r.octave, 4u);
    EXPECT_EQ(r.baseFrequency, 1320.0);
    EXPECT_EQ(r.reserved64, 0.25);

    GFile out;
    ASSERT_TRUE(fileOpen(out, dir.file("w.ovt").c_str(), FileMode::Write));
    ASSERT_TRUE(writeSpectrumFile(&header, array, out));
    ASSERT_TRUE(fileClose(out));
    EXPECT_EQ(bytesHex(dir.read("w.ovt")), bytesHex(stored));
}

TEST(SpectrumPeaks, StrongestBinAndTheHarmonicList) {
    const i32 n = 64;
    // DC 3, a cosine of 100 on bin 10 and one of 40 on bin 20 with phase 1.
    std::vector<Complex> x = cosineSpectrum(n, {{3, 0, 0}, {100, 10, 0}, {40, 20, 1}});
    EXPECT_EQ(findStrongestBin(x.data(), n, 99.0), 10);
    EXPECT_EQ(findStrongestBin(x.data(), n, 101.0), -1);
    EXPECT_EQ(findStrongestBin(x.data(), 3, 0.0), -1);
    std::vector<Complex> twin = cosineSpectrum(n, {{50, 7, 0}, {50, 12, 0}});
    EXPECT_EQ(findStrongestBin(twin.data(), n, 1.0), 7) << "of equal peaks the lowest";

    HarmonicArray list;
    harmonicsFromFft(x.data(), n, list, 6400, true, 1.0);
    ASSERT_EQ(list.count, 3u);
    EXPECT_NEAR(list[0].amplitude, 3.0, 1e-9);
    EXPECT_EQ(list[0].frequency, 0.0);
    EXPECT_NEAR(list[1].amplitude, 100.0, 1e-9);
    EXPECT_EQ(list[1].frequency, 1000.0);
    EXPECT_NEAR(list[1].phase, pi / 2, 1e-9) << "a cosine is a sine a quarter turn on";
    EXPECT_EQ(list[1].baseFrequency, 1000.0);
    EXPECT_EQ(list[2].octave * 12 + list[2].note, 12u * 6 + 11) << "2000 Hz is nearest B6";
    EXPECT_NEAR(list[2].phase, 1 + pi / 2, 1e-9);
    HarmonicArray none;
    harmonicsFromFft(x.data(), n, none, 6400, false, 1000.0);
    EXPECT_EQ(none.count, 0u);

    // Samples NaN, 1, 2, 3 (or an infinity) give bins that are not numbers: no record, not a NaN one.
    for (f64 bad : {(f64)NAN, (f64)INFINITY}) {
        std::vector<Complex> frames = {{bad, 0}, {1, 0}, {2, 0}, {3, 0}};
        ASSERT_TRUE(fft(frames.data(), 4, false));
        HarmonicArray list4;
        harmonicsFromFft(frames.data(), 4, list4, 8000, false, 10.0);
        EXPECT_EQ(list4.count, 0u) << bad;
    }
}

TEST(SpectrumPeaks, RefineFindsTheSinusoidBetweenTwoBins) {
    const i32 n = 256;
    for (f64 phase : {0.7, -2.5}) {
        std::vector<Complex> x = cosineSpectrum(n, {{250, 10.3, phase}});
        HarmonicRecord r = {};
        refineHarmonic(x.data(), &r, 10, n, 25600);
        EXPECT_NEAR(r.frequency, 1030.0, 1e-6) << phase;
        EXPECT_NEAR(r.amplitude, 250.0, 1e-6) << phase;
        EXPECT_NEAR(r.phase, phase + pi / 2, 1e-6) << phase;
    }
}

TEST(SpectrumPeaks, NeighbourPeakByThePhaseTurning) {
    // Bins k - 1, k, k + 1 as (power, phase); the answer names the lower bin of the pair.
    struct Case {
        const char* name;
        f64 pl, al, pk, ak, pr, ar;
        i32 expected;
    } cases[] = {
        {"turning toward k - 1", 50, 2.0, 100, 0.0, 10, 0.1, 9},
        {"turning toward k + 1", 40, 0.1, 100, 0.0, 30, 2.0, 10},
        {"no turn", 40, 0.1, 100, 0.0, 30, 0.2, -1},
        {"not a maximum", 120, 0.0, 100, 0.0, 30, 2.0, -1},
        {"k + 1 below the limit", 40, 0.1, 100, 0.0, 0.5, 2.0, -1},
    };
    for (const Case& c : cases) {
        std::vector<Complex> x(64, Complex{0, 0});
        auto set = [&](i32 j, f64 p, f64 a) {
            x[(size_t)j] = Complex{std::sqrt(p) * std::cos(a), std::sqrt(p) * std::sin(a)};
        };
        set(9, c.pl, c.al);
        set(10, c.pk, c.ak);
        set(11, c.pr, c.ar);
        // Limit: power 1 (amplitude 2/64).
        EXPECT_EQ(findNeighbourPeak(x.data(), 64, 10, 2.0 / 64), c.expected) << c.name;
    }
    std::vector<Complex> x(64, Complex{1, 0});
    EXPECT_EQ(findNeighbourPeak(x.data(), 64, 1, 0), -1);
    EXPECT_EQ(findNeighbourPeak(x.data(), 64, 31, 0), -1);
}

namespace {
// A spectrum of n bins between two guard values.
struct GuardedSpectrum {
    explicit GuardedSpectrum(i32 n, Complex fill = {0, 0}) : n(n), store((size_t)n + 2, fill) {
        store.front() = store.back() = Complex{12345, -54321};
    }
    Complex* bins() { return store.data() + 1; }
    bool guardsIntact() const {
        return store.front().re == 12345 && store.front().im == -54321 && store.back().re == 12345 &&
               store.back().im == -54321;
    }
    i32 n;
    std::vector<Complex> store;
};
f64 powerOf(const Complex& c) { return c.re * c.re + c.im * c.im; }
}  // namespace

TEST(SpectrumSynthesis, OneHarmonicAddedIntoTheBins) {
    const i32 n = 1024, rate = 8192;  // 8 Hz per bin
    const f64 limit = (f64)n * n / 4;  // minAmplitude 1
    struct Case {
        const char* name;
        f64 amplitude, frequency, phase;
        const char* changes;  // "bin", "walk", "dc" or "none"
    } cases[] = {
        {"on bin 10", 100, 80, pi / 2, "bin"},
        {"10.3 bins", 20, 82.4, 0.4, "walk"},
        {"0 Hz", 100, 0, 0, "dc"},
        {"negative, below 1e-5 Hz", 100, -80, 0, "dc"},
        {"below minAmplitude", 0.5, 80, 0, "none"},
        {"half the rate", 100, 4096, 0, "none"},
        {"above half the rate", 100, 6000.3, 0, "none"},
        {"frequency not a number", 100, NAN, 0, "none"},
        {"amplitude not a number", NAN, 80, 0, "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GuardedSpectrum s(n);
        const HarmonicRecord r = {c.amplitude, c.frequency, c.phase};
        addHarmonicToSpectrum(r, s.bins(), n, rate, 1.0);
        EXPECT_TRUE(s.guardsIntact());
        const std::string kind = c.changes;
        i32 changed = 0;
        for (i32 j = 0; j < n; ++j) changed += powerOf(s.bins()[j]) != 0;
        if (kind == "none") EXPECT_EQ(changed, 0);
        if (kind == "dc") {
            EXPECT_EQ(changed, 1);
            EXPECT_EQ(s.bins()[0].re, n * 100.0);
        }
        if (kind == "bin") {
            EXPECT_EQ(changed, 1);
            EXPECT_NEAR(s.bins()[10].re, n * 50.0, 1e-9);  // the cosine's phase: q = 0
            EXPECT_NEAR(s.bins()[10].im, 0, 1e-9);
        }
        if (kind != "walk") continue;
        // The changed bins are a run of the cosine's transform; each walk ends on its first bin
        // below the limit.
        std::vector<Complex> exact = cosineSpectrum(n, {{20, 10.3, c.phase - pi / 2}});
        i32 lo = n, hi = -1;
        for (i32 j = 0; j < n; ++j) {
            if (powerOf(s.bins()[j]) == 0) continue;
            lo = std::min(lo, j), hi = std::max(hi, j);
            EXPECT_NEAR(s.bins()[j].re, exact[(size_t)j].re, 1e-6) << j;
            EXPECT_NEAR(s.bins()[j].im, exact[(size_t)j].im, 1e-6) << j;
        }
        EXPECT_EQ(changed, hi - lo + 1);
        ASSERT_TRUE(lo >= 1 && lo < 10 && hi > 10 && hi < n / 2) << lo << " " << hi;
        EXPECT_LT(powerOf(s.bins()[lo]), limit);
        EXPECT_LT(powerOf(s.bins()[hi]), limit);
        for (i32 j = lo + 1; j < hi; ++j) EXPECT_GE(powerOf(s.bins()[j]), limit) << j;
    }
}

TEST(SpectrumSynthesis, SubtractUndoesAdd) {
    const i32 n = 1024, rate = 8192;
    const f64 limit = (f64)n * n / 4;
    const HarmonicRecord off = {100, 802.4, 1.1};  // 100.3 bins
    // Over a strong background every bin below n/2 is walked both ways and comes back.
    GuardedSpectrum loud(n, Complex{1e6, -2e5});
    addHarmonicToSpectrum(off, loud.bins(), n, rate, 1.0);
    i32 first = 0, last = 0;
    subtractHarmonicFromSpectrum(off, loud.bins(), n, rate, &first, &last, 1.0);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, n / 2 - 1);
    EXPECT_TRUE(loud.guardsIntact());
    for (i32 j = 0; j < n; ++j) {
        ASSERT_NEAR(loud.bins()[j].re, 1e6, 1e-6) << j;
        ASSERT_NEAR(loud.bins()[j].im, -2e5, 1e-6) << j;
    }

    // Over silence the subtraction stops at the bins where the addition stopped: they stay as they
    // were (below the limit), every bin between comes back to 0.
    GuardedSpectrum quiet(n);
    addHarmonicToSpectrum(off, quiet.bins(), n, rate, 1.0);
    const std::vector<Complex> added = quiet.store;
    i32 lo = n, hi = -1;
    for (i32 j = 0; j < n; ++j)
        if (powerOf(quiet.bins()[j]) != 0) lo = std::min(lo, j), hi = std::max(hi, j);
    subtractHarmonicFromSpectrum(off, quiet.bins(), n, rate, &first, &last, 1.0);
    EXPECT_EQ(first, lo + 1);
    EXPECT_EQ(last, hi - 1);
    EXPECT_EQ(powerOf(quiet.bins()[lo]), powerOf(added[(size_t)lo + 1]));
    EXPECT_EQ(powerOf(quiet.bins()[hi]), powerOf(added[(size_t)hi + 1]));
    EXPECT_LT(powerOf(quiet.bins()[hi]), limit);
    for (i32 j = lo + 1; j < hi; ++j) ASSERT_NEAR(std::sqrt(powerOf(quiet.bins()[j])), 0, 1e-6) << j;

    // On a bin and at 0 Hz the one bin comes back and is reported; nothing changed reports -1.
    for (f64 f : {0.0, 800.0}) {
        GuardedSpectrum s(n);
        const HarmonicRecord r = {100, f, 0.3};
        addHarmonicToSpectrum(r, s.bins(), n, rate, 1.0);
        subtractHarmonicFromSpectrum(r, s.bins(), n, rate, &first, &last, 1.0);
        EXPECT_EQ(first, f == 0 ? 0 : 100);
        EXPECT_EQ(last, first);
        EXPECT_NEAR(std::sqrt(powerOf(s.bins()[first])), 0, 1e-9);
    }
    GuardedSpectrum s(n);
    subtractHarmonicFromSpectrum(HarmonicRecord{100, 5000, 0}, s.bins(), n, rate, &first, &last, 1.0);
    EXPECT_EQ(first, -1);
    EXPECT_EQ(last, -1);
}

TEST(SpectrumSynthesis, PlacingOnTheNearestBin) {
    const u32 n = 64, rate = 6400;
    std::vector<Complex> bins(n, Complex{0, 0});
    // 1004 Hz and 996 Hz both fall on bin 10 and add up; the bin n/2 and above is left out.
    placeHarmonicOnBin(HarmonicRecord{2, 1004, pi / 2}, bins.data(), n, rate);
    placeHarmonicOnBin(HarmonicRecord{3, 996, pi / 2}, bins.data(), n, rate);
    placeHarmonicOnBin(HarmonicRecord{3, 3200, 0}, bins.data(), n, rate);
    placeHarmonicOnBin(HarmonicRecord{3, NAN, 0}, bins.data(), n, rate);
    EXPECT_NEAR(bins[10].re, 5.0 * n, 1e-9);
    for (u32 j = 0; j < n; ++j)
        if (j != 10) EXPECT_EQ(powerOf(bins[j]), 0) << j;
    Complex c = {1, 1};
    addPolarToComplex(HarmonicRecord{2, 0, -3}, 10, c);  // q = -3 - pi/2 + 2 pi
    EXPECT_NEAR(c.re, 1 + 20 * std::cos(-3 - pi / 2 + 2 * pi), 1e-12);
    EXPECT_NEAR(c.im, 1 + 20 * std::sin(-3 - pi / 2 + 2 * pi), 1e-12);
}
