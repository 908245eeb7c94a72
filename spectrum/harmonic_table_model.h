#pragma once
// HarmonicTableModel: the rows of a page's harmonic table, one per record of the page's list and
// an empty one after them, in ten columns; the column sort keys; the row operations the undo
// records use. Made by the page and handed to its table (or kept by the page); it owns nothing.
#include "engine/harmonics.h"
#include "gui/views/table_model.h"

class HarmonicPage;

enum : i32 { HarmonicColumnCount = 10 };

class HarmonicTableModel : public GTableModel {
public:
    explicit HarmonicTableModel(HarmonicPage* page) : page(page) {}

    // 0 without a document, else count + 1.
    u64 rowCount() override;
    i32 columnCount() override { return HarmonicColumnCount; }
    // The empty row gives ""; a record below 1e-100 Hz (DC) shows only columns 6 and 9; null past
    // column 9.
    const char* cellText(GString& scratch, u64 row, i32 column) override;
    void clearRows() override { removeAllRows(); }
    // Records [first, end); nothing past the count.
    void removeRows(u64 first, u64 end) override;
    // Rows are records here, never texts: the text forms add nothing.
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }
    // n records made from the sources: amplitude, phase, overtone and base are taken, the
    // frequency follows from base and overtone, the note from the frequency; marks and the
    // carried f64 are 0.
    u64 appendRecords(const void* records, i32 n) override;
    u64 insertRecords(u64 at, const void* records, i32 n) override;
    // Handed to the page.
    void sortByColumn(i32 column, bool ascending) override;
    void swapRows(u64 a, u64 b) override;
    // Frees the records: capacity and count 0.
    void removeAllRows();

    HarmonicPage* page;
};

// -1, 0, 1 for two records; a NaN key sorts after every number in both directions.
typedef int (*HarmonicCompare)(const void* a, const void* b);
// Entry 2 x column sorts the column ascending, entry 2 x column + 1 descending.
extern const HarmonicCompare harmonicComparators[2 * HarmonicColumnCount];
// The records sorted by the column: unless it is the amplitude column, the DC records first (by
// rising amplitude), then the rest by the column's comparator.
void sortHarmonics(HarmonicRecord* records, u32 count, i32 column, bool ascending);
