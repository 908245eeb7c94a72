#pragma once
// HarmonicPage: what the table model, the undo records and the pane ask of the page that holds a
// spectrum document (its header, its records, its table and its views). The page owns all of it;
// the others only point at the page.
#include "core/types.h"
#include "engine/harmonics.h"

class GTable;

// A phase as the table and the pane show it.
inline f64 phaseInDegrees(f64 radians) { return radians * 180.0 / 3.14159265358979323846; }

// The base of which the frequency is the overtone (the inverse of overtoneFrequency).
inline f64 baseOfOvertone(f64 frequency, i32 overtone) {
    if (overtone >= 1) return frequency / (overtone + 1);
    if (overtone < 0) return frequency * (1 - overtone);
    return frequency;
}

class HarmonicPage {
public:
    virtual ~HarmonicPage() = default;

    virtual bool hasDocument() = 0;
    virtual SpectrumHeader& header() = 0;
    virtual HarmonicArray& harmonics() = 0;
    virtual GTable* harmonicTable() = 0;
    // The pane takes the current records (and the marker the caret row).
    virtual void syncPane() = 0;
    // The status lines again.
    virtual void refreshViews() = 0;
    // The table asked to sort by a column.
    virtual void sortByColumn(i32 column, bool ascending) = 0;
};

// Set while a page moves the table caret or the pane marker itself, so that the notification
// this causes is not answered by moving the other view back. Interface thread only.
extern bool harmonicSyncGuard;

class HarmonicSyncScope {
public:
    HarmonicSyncScope() : saved(harmonicSyncGuard) { harmonicSyncGuard = true; }
    ~HarmonicSyncScope() { harmonicSyncGuard = saved; }
    HarmonicSyncScope(const HarmonicSyncScope&) = delete;
    HarmonicSyncScope& operator=(const HarmonicSyncScope&) = delete;

private:
    bool saved;
};
