// The equalizer's and the reverberation's preset files on real files: round trips, the files that
// are refused (wrong magic, version 2, cut short, a count beyond the file, a band ratio of 1) and
// what each leaves of the bank or list; the band layout checks.
#include "app/effect_presets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cmath>
#include <string>
#include <vector>

#include "app/effect_records.h"
#include "app/program_texts.h"
#include "core/error.h"
#include "core/gfile.h"
#include "tests/support/test_support.h"

namespace {
struct Reports : ErrorHandler {
    bool report(const char* text, int) override {
        texts.push_back(text ? text : "");
        return false;
    }
    std::vector<std::string> texts;
};

template <class T>
void put(std::string& bytes, const T& v) {
    bytes.append(reinterpret_cast<const char*>(&v), sizeof v);
}

std::string eqFile(const char* magic, u32 version, f64 start, f64 end, f64 ratio, u32 count,
                   const std::vector<i32>& gains) {
    std::string b(magic, 4);
    put(b, version);
    put(b, start);
    put(b, end);
    put(b, ratio);
    put(b, count);
    put(b, (u32)0);
    for (i32 g : gains) put(b, g);
    return b;
}

ReflectionRow row(u32 delay, f64 factor, u32 repeats) {
    EchoBlock b;
    b.delay1 = b.delay2 = delay;
    b.factor1 = b.factor2 = factor;
    b.repeats = repeats;
    ReflectionRow r;
    memcpy(r.bytes, &b, sizeof r);
    return r;
}

std::string reverbFile(const char* magic, u32 version, u32 count, const std::vector<ReflectionRow>& rows) {
    std::string b(magic, 4);
    put(b, version);
    put(b, count);
    for (const ReflectionRow& r : rows) b.append(reinterpret_cast<const char*>(r.bytes), 64);
    return b;
}

struct PresetFiles {
    TempDir dir;
    Reports reports;
    PresetRead readEq(const std::string& bytes, GeometricScale* bank) {
        dir.write("p.eq", bytes);
        GFile f(&reports);
        EXPECT_TRUE(fileOpen(f, dir.file("p.eq").c_str(), FileMode::Read));
        return readEqPreset(f, bank);
    }
    PresetRead readReverb(const std::string& bytes, std::vector<ReflectionRow>* rows) {
        dir.write("p.rvr", bytes);
        GFile f(&reports);
        EXPECT_TRUE(fileOpen(f, dir.file("p.rvr").c_str(), FileMode::Read));
        return readReverbPreset(f, rows);
    }
};

std::vector<i32> gainsOf(const GeometricScale& s) {
    return std::vector<i32>(reinterpret_cast<const i32*>(s.values.data),
                            reinterpret_cast<const i32*>(s.values.data) + s.count());
}
}  // namespace

TEST(EqualizerLayout, ChecksInOrder) {
    const struct {
        f64 low, high, ratio;
        RavoText refusal;  // Count: accepted
    } cases[] = {
        {50.0, 20000.0, 2.0, RavoText::Count},
        {20.0, 20000.0, 1.05, RavoText::EqTooManyBands},  // about 141.6 bands
        {20.0, 20000.0, 1.1, RavoText::Count},            // about 72.5
        {100.0, 100.0, 2.0, RavoText::EqLowNotBelowHigh},
        {0.5, 100.0, 2.0, RavoText::EqLowTooLow},
        {1.0, 1000000.0, 2.0, RavoText::Count},
        {1.0, 1000000.5, 2.0, RavoText::EqHighTooHigh},
        {50.0, 20000.0, 1.0, RavoText::EqRatioTooSmall},
        {50.0, 20000.0, 0.5, RavoText::EqRatioTooSmall},
        {50.0, 20000.0, 1.0000001, RavoText::EqTooManyBands},
        {std::nan(""), 20000.0, 2.0, RavoText::EqLowNotBelowHigh},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.low << " " << c.high << " " << c.ratio);
        const char* refusal = eqLayoutRefusal(c.low, c.high, c.ratio);
        if (c.refusal == RavoText::Count)
            EXPECT_EQ(refusal, nullptr) << refusal;
        else
            EXPECT_STREQ(refusal, ravoText(c.refusal));
    }
}

TEST(EqualizerPreset, RoundTripKeepsFrequenciesAndGains) {
    PresetFiles f;
    GeometricScale bank;
    bank.set(50.0, 20000.0, 2.0);
    ASSERT_EQ(bank.count(), 9u);
    for (u32 k = 0; k < 9; ++k) bank.values.data[k] = (u32)(i32)((i32)k * 5 - 20);
    {
        GFile w(&f.reports);
        ASSERT_TRUE(fileOpen(w, f.dir.file("p.eq").c_str(), FileMode::Write));
        ASSERT_TRUE(writeEqPreset(w, bank));
        ASSERT_TRUE(fileClose(w));
    }
    const std::string written = f.dir.read("p.eq");
    EXPECT_EQ(written, eqFile("EQ_", 1, 50.0, 20000.0, 2.0, 9, gainsOf(bank)));
    GeometricScale back;
    back.set(100.0, 200.0, 1.5);
    EXPECT_EQ(f.readEq(written, &back), PresetRead::Ok);
    EXPECT_EQ(back.start, 50.0);
    EXPECT_EQ(back.end, 20000.0);
    EXPECT_EQ(back.factor, 2.0);
    EXPECT_EQ(gainsOf(back), gainsOf(bank));
    EXPECT_TRUE(f.reports.texts.empty());
}

// Each refused file leaves the bank as it was.
TEST(EqualizerPreset, RefusedFilesLeaveTheBank) {
    const std::vector<i32> nine(9, 3);
    const struct {
        const char* what;
        std::string bytes;
        PresetRead expected;
        bool reported;  // by the file object
    } cases[] = {
        {"wrong magic", eqFile("RVR", 1, 50, 20000, 2, 9, nine), PresetRead::WrongFormat, false},
        {"version 2", eqFile("EQ_", 2, 50, 20000, 2, 9, nine), PresetRead::Version, false},
        {"ratio 1.0", eqFile("EQ_", 1, 50, 20000, 1.0, 9, nine), PresetRead::WrongFormat, false},
        {"ratio just above 1", eqFile("EQ_", 1, 50, 20000, 1.000001, 9, nine), PresetRead::WrongFormat, false},
        {"end below start", eqFile("EQ_", 1, 20000, 50, 2, 0, {}), PresetRead::WrongFormat, false},
        {"header cut short", eqFile("EQ_", 1, 50, 20000, 2, 9, {}).substr(0, 30), PresetRead::Failed, true},
        {"gains cut short", eqFile("EQ_", 1, 50, 20000, 2, 9, {1, 2, 3}), PresetRead::Failed, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PresetFiles f;
        GeometricScale bank;
        bank.set(100.0, 1000.0, 2.0);
        bank.values.data[1] = 7;
        EXPECT_EQ(f.readEq(c.bytes, &bank), c.expected);
        EXPECT_EQ(bank.start, 100.0);
        EXPECT_EQ(bank.count(), 4u);
        EXPECT_EQ(bank.values.data[1], 7u);
        EXPECT_EQ(!f.reports.texts.empty(), c.reported);
    }
}

// The bands come from the frequencies: a stored count beyond them takes only as many gains, one
// below them leaves the rest at 0.
TEST(EqualizerPreset, StoredCountIsNotTrusted) {
    PresetFiles f;
    GeometricScale bank;
    std::vector<i32> many(12, 0);
    for (i32 k = 0; k < 12; ++k) many[(size_t)k] = k + 1;
    EXPECT_EQ(f.readEq(eqFile("EQ_", 1, 50, 20000, 2, 0x40000000, many), &bank), PresetRead::Ok);
    EXPECT_EQ(gainsOf(bank), std::vector<i32>({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(f.readEq(eqFile("EQ_", 1, 50, 20000, 2, 2, {-4, 4}), &bank), PresetRead::Ok);
    EXPECT_EQ(gainsOf(bank), std::vector<i32>({-4, 4, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(ReverbPreset, RoundTripAndEmptyList) {
    PresetFiles f;
    std::vector<ReflectionRow> rows = {row(100, 0.5, 3), row(2500, 0.8, 1)};
    {
        GFile w(&f.reports);
        ASSERT_TRUE(fileOpen(w, f.dir.file("p.rvr").c_str(), FileMode::Write));
        ASSERT_TRUE(writeReverbPreset(w, rows));
        ASSERT_TRUE(fileClose(w));
    }
    const std::string written = f.dir.read("p.rvr");
    EXPECT_EQ(written, reverbFile("RVR", 1, 2, rows));
    std::vector<ReflectionRow> back = {row(1, 0.1, 1)};
    EXPECT_EQ(f.readReverb(written, &back), PresetRead::Ok);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(memcmp(back.data(), rows.data(), 128), 0);
    EXPECT_EQ(f.readReverb(reverbFile("RVR", 1, 0, {}), &back), PresetRead::Ok);
    EXPECT_TRUE(back.empty());
    EXPECT_TRUE(f.reports.texts.empty());
}

// Wrong magic and version keep the list; past the header a short file or a count beyond it empties
// it, and a huge count allocates nothing.
TEST(ReverbPreset, RefusedFiles) {
    const std::vector<ReflectionRow> two = {row(100, 0.5, 3), row(200, 0.4, 2)};
    const struct {
        const char* what;
        std::string bytes;
        PresetRead expected;
        size_t rowsLeft;
    } cases[] = {
        {"wrong magic", reverbFile("EQ_", 1, 2, two), PresetRead::WrongFormat, 1},
        {"version 2", reverbFile("RVR", 2, 2, two), PresetRead::Version, 1},
        {"header cut short", reverbFile("RVR", 1, 2, two).substr(0, 6), PresetRead::Failed, 1},
        {"count missing", reverbFile("RVR", 1, 2, two).substr(0, 9), PresetRead::Failed, 0},
        {"rows cut short", reverbFile("RVR", 1, 2, two).substr(0, 12 + 64 + 10), PresetRead::WrongFormat, 0},
        {"huge count", reverbFile("RVR", 1, 0xFFFFFFFF, two), PresetRead::WrongFormat, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PresetFiles f;
        std::vector<ReflectionRow> rows = {row(50, 0.7, 3)};
        EXPECT_EQ(f.readReverb(c.bytes, &rows), c.expected);
        EXPECT_EQ(rows.size(), c.rowsLeft);
    }
}
