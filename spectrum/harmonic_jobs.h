#pragma once
// SpectrumJob: a background job of the spectrum page (TEST, RESTORE_OVER, MAKE_FOURIER,
// REMOVE_SMEARING). It carries copies of the rows and records its step reads and the result the
// step computes, so the worker never touches the page's list, table or history; the page applies
// the result when the job ends. Its placer deletes it, and with it what was not taken over.
#include <vector>

#include "engine/harmonic_synth.h"
#include "engine/harmonics.h"
#include "gui/frame/placer.h"

class GProgressLinePlacer;

struct SpectrumJob : PlacerJob, PlacerJobSink {
    SpectrumJob(u32 action, GProgressLinePlacer* line, u64 total);
    ~SpectrumJob() override;

    void start(i32, i32) override;
    void end() override;
    // The progress line as the step's progress, or null.
    JobProgress* progress();

    GProgressLinePlacer* line;
    u64 total;
    std::vector<u32> rows;                // the selected rows, in selection order
    std::vector<HarmonicRecord> records;  // RESTORE_OVER: the whole list; else the selected records
    // RESTORE_OVER
    f64 tolerance = 0.0, minFrequency = 0.0;
    i32 depth = 0, maxOvertone = 0;
    // MAKE_FOURIER and REMOVE_SMEARING
    u32 rate = 0, fftSize = 0;
    f64 threshold = 0.0;
    std::vector<Complex> spectrum;
    HarmonicArray result;
    // TEST: the tone and its envelope, until the output takes them
    PeriodLoop* loop = nullptr;
    HarmonicSynth* synth = nullptr;
};

// The steps, on the job's data only (any thread).
bool restoreOvertones(SpectrumJob& job);
bool buildSpectrumFromHarmonics(SpectrumJob& job);
bool extractPeaks(SpectrumJob& job);
bool preparePlayback(SpectrumJob& job);
