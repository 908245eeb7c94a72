// Harmonic records, the spectrum file, and harmonics read out of a spectrum.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/harmonics.h"
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
    } cases[] = {{440, 9, 4}, {261.63, 0, 4}, {27.5, 9, 0}, {8, 0, 0}, {0, 0, 0}};
    for (const Case& c : cases) {
        HarmonicRecord r = HarmonicRecord{1, c.frequency, 0};
        HarmonicRecord::updateNote(&r);
        EXPECT_EQ(r.note, c.note) << c.frequency;
        EXPECT_EQ(r.octave, c.octave) << c.frequency;
    }
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
