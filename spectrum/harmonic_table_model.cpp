#include "spectrum/harmonic_table_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/program_texts.h"
#include "gui/controls/notes.h"
#include "spectrum/harmonic_page.h"

namespace {
const f64 kDcLimit = 1e-100;

const char* blank() { return ravoText(RavoText::HarmonicBlank); }

// Names past the tables are empty here.
const char* noteText(u32 note) { return note > 11 ? "" : noteName((i32)note); }
const char* octaveText(u32 octave) { return octave > 15 ? "" : octaveName((i32)octave); }
}  // namespace

u64 HarmonicTableModel::rowCount() { return page->hasDocument() ? (u64)page->harmonics().count + 1 : 0; }

const char* HarmonicTableModel::cellText(GString& scratch, u64 row, i32 column) {
    if (column < 0 || column >= HarmonicColumnCount) return nullptr;
    const HarmonicArray& list = page->harmonics();
    if (row >= list.count) return "";
    const HarmonicRecord& r = list[(u32)row];
    if (r.frequency < kDcLimit && column != 6 && column != 9) return blank();
    switch (column) {
    case 0: stringFormat(scratch, "%.15G", r.frequency); break;
    case 1: return noteText(r.note);
    case 2: return octaveText(r.octave);
    case 3: stringFormat(scratch, "%.15G", r.baseFrequency); break;
    case 4: stringFormat(scratch, "%d", r.overtone); break;
    case 5: stringFormat(scratch, "%.15G", r.frequency <= 1e-10 ? 0.0 : 1000.0 / r.baseFrequency); break;
    case 6: stringFormat(scratch, "%.15G", r.amplitude); break;
    case 7: stringFormat(scratch, "%.15G", phaseInDegrees(r.phase)); break;
    case 8:
        if (r.frequency < 16.0) return blank();
        stringFormat(scratch, ravoText(RavoText::HarmonicCents), harmonicCentsOffNote(r) * 100.0);
        break;
    default: {
        const SpectrumHeader& h = page->header();
        if (h.sampleRate == 0) return blank();
        stringFormat(scratch, "%.3f", (f64)h.fftSize * r.frequency / (f64)h.sampleRate);
        break;
    }
    }
    return scratch.c_str();
}

void HarmonicTableModel::removeRows(u64 first, u64 end) {
    HarmonicArray& list = page->harmonics();
    end = std::min<u64>(end, list.count);
    if (first >= end) return;
    list.remove((u32)first, (u32)(end - first));
}

u64 HarmonicTableModel::appendRecords(const void* records, i32 n) { return insertRecords(page->harmonics().count, records, n); }

u64 HarmonicTableModel::insertRecords(u64 at, const void* records, i32 n) {
    if (n < 1) return 0;
    HarmonicArray& list = page->harmonics();
    at = std::min<u64>(at, list.count);
    HarmonicRecord* made = list.insert((u32)at, (u32)n);
    const HarmonicRecord* from = static_cast<const HarmonicRecord*>(records);
    for (i32 i = 0; i < n; ++i) {
        HarmonicRecord& r = made[i];
        r.amplitude = from[i].amplitude;
        r.phase = from[i].phase;
        r.overtone = from[i].overtone;
        r.baseFrequency = from[i].baseFrequency;
        r.frequency = overtoneFrequency(r.baseFrequency, r.overtone);
        HarmonicRecord::updateNote(&r);
    }
    return (u64)n;
}

void HarmonicTableModel::sortByColumn(i32 column, bool ascending) { page->sortByColumn(column, ascending); }

void HarmonicTableModel::swapRows(u64 a, u64 b) {
    HarmonicArray& list = page->harmonics();
    if (a >= list.count || b >= list.count) return;
    std::swap(list[(u32)a], list[(u32)b]);
}

void HarmonicTableModel::removeAllRows() { arrayFree(page->harmonics()); }

namespace {
// A total order: NaN after every number, equal to another NaN.
int compareKeys(f64 a, f64 b, bool ascending) {
    bool nanA = std::isnan(a), nanB = std::isnan(b);
    if (nanA || nanB) return nanA == nanB ? 0 : nanA ? 1 : -1;
    if (!ascending) std::swap(a, b);
    return a < b ? -1 : a > b ? 1 : 0;
}

f64 frequencyKey(const HarmonicRecord& r) { return r.frequency; }
f64 noteKey(const HarmonicRecord& r) { return (i32)r.note; }
f64 octaveKey(const HarmonicRecord& r) { return (i32)r.octave; }
f64 baseKey(const HarmonicRecord& r) { return r.baseFrequency; }
f64 overtoneKey(const HarmonicRecord& r) { return r.overtone; }
f64 amplitudeKey(const HarmonicRecord& r) { return r.amplitude; }
f64 phaseKey(const HarmonicRecord& r) { return r.phase; }
f64 centsKey(const HarmonicRecord& r) { return harmonicCentsOffNote(r); }

template <f64 (*Key)(const HarmonicRecord&), bool Ascending>
int byKey(const void* a, const void* b) {
    return compareKeys(Key(*static_cast<const HarmonicRecord*>(a)), Key(*static_cast<const HarmonicRecord*>(b)), Ascending);
}

template <f64 (*Key)(const HarmonicRecord&)>
struct Pair {
    static constexpr HarmonicCompare up = byKey<Key, true>;
    static constexpr HarmonicCompare down = byKey<Key, false>;
};
}  // namespace

const HarmonicCompare harmonicComparators[2 * HarmonicColumnCount] = {
    Pair<frequencyKey>::up, Pair<frequencyKey>::down,  // 0 frequency
    Pair<noteKey>::up,      Pair<noteKey>::down,       // 1 note
    Pair<octaveKey>::up,    Pair<octaveKey>::down,     // 2 octave
    Pair<baseKey>::up,      Pair<baseKey>::down,       // 3 base frequency
    Pair<overtoneKey>::up,  Pair<overtoneKey>::down,   // 4 overtone
    Pair<frequencyKey>::down, Pair<frequencyKey>::up,  // 5 period: the shortest first
    Pair<amplitudeKey>::up, Pair<amplitudeKey>::down,  // 6 amplitude
    Pair<phaseKey>::up,     Pair<phaseKey>::down,      // 7 phase
    Pair<centsKey>::up,     Pair<centsKey>::down,      // 8 deviation
    Pair<frequencyKey>::up, Pair<frequencyKey>::down,  // 9 bin
};

void sortHarmonics(HarmonicRecord* records, u32 count, i32 column, bool ascending) {
    if (column < 0 || column >= HarmonicColumnCount || count < 1) return;
    auto sortBy = [](HarmonicRecord* first, HarmonicRecord* last, HarmonicCompare compare) {
        std::sort(first, last, [compare](const HarmonicRecord& a, const HarmonicRecord& b) { return compare(&a, &b) < 0; });
    };
    u32 dc = 0;
    if (column != 6) {
        for (u32 i = 0; i < count; ++i)
            if (records[i].frequency < kDcLimit) std::swap(records[i], records[dc++]);
        sortBy(records, records + dc, harmonicComparators[12]);
    }
    sortBy(records + dc, records + count, harmonicComparators[2 * column + (ascending ? 0 : 1)]);
}
