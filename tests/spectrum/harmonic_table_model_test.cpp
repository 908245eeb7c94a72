// The harmonic table's cells, the records it makes from inserted rows, its row operations and the
// column sort keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "app/program_texts.h"
#include "core/gstring.h"
#include "gui/controls/notes.h"
#include "tests/spectrum/harmonic_fixture.h"

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// The list and header of a model, without any window.
struct PlainPage : HarmonicPage {
    SpectrumHeader head;
    HarmonicArray list;
    bool document = true;
    HarmonicTableModel model{this};
    std::string sorted;
    PlainPage() { initSpectrumHeader(&head); }
    bool hasDocument() override { return document; }
    SpectrumHeader& header() override { return head; }
    HarmonicArray& harmonics() override { return list; }
    GTable* harmonicTable() override { return nullptr; }
    void syncPane() override {}
    void refreshViews() override {}
    void sortByColumn(i32 column, bool ascending) override { sorted = std::to_string(column) + (ascending ? "+" : "-"); }
    void add(const HarmonicRecord& r) { *list.append(1) = r; }
    std::string cell(u64 row, i32 column) {
        GString scratch;
        const char* text = model.cellText(scratch, row, column);
        return text ? text : "(none)";
    }
};
}  // namespace

TEST(HarmonicTableModel, CellsOfRecordsDcTheEmptyRowAndNoDocument) {
    PlainPage page;
    HarmonicRecord a = harmonic(440.0, 1234.5, 1.5707963267948966);
    a.baseFrequency = 220.0;
    a.overtone = 1;
    page.add(a);
    page.add(harmonic(0.0, 77.0));                // DC
    page.add(harmonic(15.9));                     // below the deviation's limit
    page.add(harmonic(16.0));
    page.add(harmonic(1e21, 2.5e-7));             // the exponent form
    page.head.sampleRate = 44100;
    page.head.fftSize = 16384;
    EXPECT_EQ(6u, page.model.rowCount());
    EXPECT_EQ(10, page.model.columnCount());
    const std::string blank = ravoText(RavoText::HarmonicBlank);
    GString cents;
    stringFormat(cents, ravoText(RavoText::HarmonicCents), harmonicCentsOffNote(page.list[3]) * 100.0);
    struct Case {
        u64 row;
        i32 column;
        std::string text;
    } cases[] = {
        {0, 0, "440"},   {0, 1, noteName(9)},  {0, 2, octaveName(4)}, {0, 3, "220"},          {0, 4, "1"},
        {0, 5, "4.54545454545455"},            {0, 6, "1234.5"},      {0, 7, "90"},           {0, 8, "+0.00"},
        {0, 9, "163.468"},
        {1, 0, blank},   {1, 1, blank},        {1, 5, blank},         {1, 6, "77"},           {1, 7, blank},
        {1, 8, blank},   {1, 9, "0.000"},
        {2, 8, blank},   {3, 8, cents.c_str()},
        {4, 0, "1E+21"}, {4, 6, "2.5E-07"},
        {5, 0, ""},      {5, 6, ""},           {5, 9, ""},
        {0, 10, "(none)"}, {5, 10, "(none)"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, page.cell(c.row, c.column)) << "row " << c.row << " column " << c.column;
    EXPECT_NE(blank, page.cell(3, 8));

    // A rate of 0 gives no bin.
    page.head.sampleRate = 0;
    EXPECT_EQ(blank, page.cell(0, 9));
    page.document = false;
    EXPECT_EQ(0u, page.model.rowCount());
}

TEST(HarmonicTableModel, InsertedRowsTakeTheirFrequencyFromBaseAndOvertone) {
    PlainPage page;
    page.add(harmonic(1000.0));
    struct Case {
        i32 overtone;
        double frequency;
    } cases[] = {{2, 300.0}, {-1, 50.0}, {0, 100.0}};
    HarmonicRecord sources[3];
    for (int i = 0; i < 3; ++i) {
        memset(&sources[i], 0xAB, sizeof sources[i]);
        sources[i].amplitude = 10.0 * (i + 1);
        sources[i].phase = 0.5;
        sources[i].baseFrequency = 100.0;
        sources[i].overtone = cases[i].overtone;
        sources[i].frequency = 12345.0;  // not taken
    }
    EXPECT_EQ(3u, page.model.insertRecords(0, sources, 3));
    ASSERT_EQ(4u, page.list.count);
    for (int i = 0; i < 3; ++i) {
        const HarmonicRecord& r = page.list[(u32)i];
        EXPECT_EQ(cases[i].frequency, r.frequency);
        EXPECT_EQ(10.0 * (i + 1), r.amplitude);
        EXPECT_EQ(0.5, r.phase);
        EXPECT_EQ(0, r.reserved16);
        EXPECT_EQ(0.0, r.reserved64);
        HarmonicRecord expected = harmonic(cases[i].frequency);
        EXPECT_EQ(expected.note, r.note);
        EXPECT_EQ(expected.octave, r.octave);
    }
    EXPECT_EQ(1000.0, page.list[3].frequency);
    // Appending goes after the last record; texts are no rows here.
    EXPECT_EQ(1u, page.model.appendRecords(sources, 1));
    EXPECT_EQ(300.0, page.list[4].frequency);
    const char* texts[10] = {};
    EXPECT_EQ(0u, page.model.insertRows(0, texts, 1));

    // Row operations: swap, a range out, all out.
    page.model.swapRows(0, 3);
    EXPECT_EQ(1000.0, page.list[0].frequency);
    EXPECT_EQ(300.0, page.list[3].frequency);
    page.model.removeRows(1, 3);
    ASSERT_EQ(3u, page.list.count);
    EXPECT_EQ(300.0, page.list[1].frequency);
    page.model.removeRows(2, 99);
    EXPECT_EQ(2u, page.list.count);
    page.model.removeAllRows();
    EXPECT_EQ(0u, page.list.count);
    EXPECT_EQ(0u, page.list.capacity);
    EXPECT_EQ(1u, page.model.rowCount());

    page.model.sortByColumn(5, true);
    EXPECT_EQ("5+", page.sorted);
}

TEST(HarmonicTableModel, SortKeysPerColumnWithDcFirst) {
    std::vector<HarmonicRecord> list = {harmonic(200.0, 3.0), harmonic(0.0, 9.0), harmonic(1000.0, 1.0),
                                        harmonic(0.0, 2.0), harmonic(50.0, 5.0)};
    auto frequencies = [](const std::vector<HarmonicRecord>& l) {
        std::vector<double> f;
        for (const HarmonicRecord& r : l) f.push_back(r.frequency);
        return f;
    };
    auto amplitudes = [](const std::vector<HarmonicRecord>& l) {
        std::vector<double> a;
        for (const HarmonicRecord& r : l) a.push_back(r.amplitude);
        return a;
    };
    std::vector<HarmonicRecord> s = list;
    // Shortest periods first, the DC records before them by rising amplitude.
    sortHarmonics(s.data(), (u32)s.size(), 5, true);
    EXPECT_EQ((std::vector<double>{0, 0, 1000, 200, 50}), frequencies(s));
    EXPECT_EQ(2.0, s[0].amplitude);
    sortHarmonics(s.data(), (u32)s.size(), 0, false);
    EXPECT_EQ((std::vector<double>{0, 0, 1000, 200, 50}), frequencies(s));
    sortHarmonics(s.data(), (u32)s.size(), 0, true);
    EXPECT_EQ((std::vector<double>{0, 0, 50, 200, 1000}), frequencies(s));
    // By amplitude the DC records are rows like the others.
    sortHarmonics(s.data(), (u32)s.size(), 6, false);
    EXPECT_EQ((std::vector<double>{9, 5, 3, 2, 1}), amplitudes(s));
}

// A NaN in any key (a maximum volume of 0 makes one) must not break the sort: it ends last.
TEST(HarmonicTableModel, ComparatorsOrderNaNKeysLastInEveryColumn) {
    std::vector<HarmonicRecord> list;
    for (int i = 0; i < 1000; ++i) {
        HarmonicRecord r = harmonic(20.0 + (i * 7919) % 5000, (i * 104729) % 30000);
        r.phase = ((i * 31) % 628) / 100.0 - 3.14;
        r.overtone = (i * 13) % 21 - 10;
        r.baseFrequency = 10.0 + (i * 17) % 900;
        if (i % 3 == 0) {
            r.frequency = kNaN;
            r.amplitude = kNaN;
        }
        if (i % 5 == 0) {
            r.phase = kNaN;
            r.baseFrequency = kNaN;
        }
        list.push_back(r);
    }
    for (i32 entry = 0; entry < 2 * HarmonicColumnCount; ++entry) {
        HarmonicCompare compare = harmonicComparators[entry];
        std::vector<HarmonicRecord> s = list;
        std::sort(s.begin(), s.end(), [compare](const HarmonicRecord& a, const HarmonicRecord& b) { return compare(&a, &b) < 0; });
        for (size_t i = 1; i < s.size(); ++i) ASSERT_LE(compare(&s[i - 1], &s[i]), 0) << "entry " << entry << " at " << i;
        EXPECT_EQ(0, compare(&s[0], &s[0]));
    }
    // NaN after every number in both directions.
    HarmonicRecord number = harmonic(100.0), nan = harmonic(100.0);
    nan.frequency = kNaN;
    EXPECT_EQ(-1, harmonicComparators[0](&number, &nan));
    EXPECT_EQ(-1, harmonicComparators[1](&number, &nan));
    EXPECT_EQ(1, harmonicComparators[1](&nan, &number));
    std::vector<HarmonicRecord> s = list;
    sortHarmonics(s.data(), (u32)s.size(), 6, true);
    EXPECT_TRUE(std::isnan(s.back().amplitude));
    EXPECT_FALSE(std::isnan(s.front().amplitude));
}
