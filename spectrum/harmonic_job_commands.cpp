// The spectrum page's background commands: RESTORE_OVER, SPECTRUM_OPTIONS, MAKE_FOURIER,
// REMOVE_SMEARING and TEST (its tone, countdown and release), with the job steps' dispatch.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "app/app_settings.h"
#include "app/program_texts.h"
#include "gui/frame/progress_line.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/views/table.h"
#include "spectrum/harmonic_job_dialogs.h"
#include "spectrum/harmonic_jobs.h"
#include "spectrum/harmonic_window.h"

f64 generationThreshold = 0.0;
i32 subharmonicDepth = 0;

// ---- the output TEST plays through ----

u32 HarmonicPlayOutput::sampleRate() { return (u32)SynthOutput::instance().rate; }
void HarmonicPlayOutput::fadeOut() { SynthOutput::instance().fadeOutSources(); }
bool HarmonicPlayOutput::running() {
    return (SynthOutput::instance().stateBits() & (playerRunning | playerDraining)) == playerRunning;
}
void HarmonicPlayOutput::clearSources() { SynthOutput::instance().clearSources(true); }
bool HarmonicPlayOutput::addSource(SynthGenerator* generator) {
    SynthOutput::instance().addSource(generator, true);
    return true;
}
void HarmonicPlayOutput::addUser() { ++SynthOutput::instance().users; }
void HarmonicPlayOutput::dropUser() {
    SynthOutput& out = SynthOutput::instance();
    if (--out.users <= 0) out.stopAndWait(true);
}

HarmonicPlayOutput* harmonicPlayOutput = nullptr;

HarmonicPlayOutput& playOutput() {
    static HarmonicPlayOutput synthOutput;
    return harmonicPlayOutput ? *harmonicPlayOutput : synthOutput;
}

// ---- jobs ----

SpectrumJob* SpectrumWindow::newJob(u32 action, const std::vector<u32>& rows, u64 total) {
    SpectrumJob* job = new SpectrumJob(action, progressLine, total);
    job->rows = rows;
    if (action != SpectrumRestoreOvertones)
        for (u32 r : rows) job->records.push_back(list[r]);
    return job;
}

bool SpectrumWindow::performJob(PlacerJob* placerJob) {
    SpectrumJob* job = dynamic_cast<SpectrumJob*>(placerJob);
    if (!job) return false;
    switch (job->action) {
    case SpectrumTest: return preparePlayback(*job);
    case SpectrumRestoreOvertones: return restoreOvertones(*job);
    case SpectrumMakeFourier: return buildSpectrumFromHarmonics(*job);
    case SpectrumRemoveSmearing: return extractPeaks(*job);
    default: return true;
    }
}

void SpectrumWindow::jobSucceeded(PlacerJob* placerJob) {
    SpectrumJob* job = dynamic_cast<SpectrumJob*>(placerJob);
    if (!job) return;
    switch (job->action) {
    case SpectrumTest: startPlayback(job); break;
    case SpectrumRestoreOvertones: finishRestoreOvertones(job); break;
    case SpectrumMakeFourier: finishPrepareSpectrum(job); break;
    case SpectrumRemoveSmearing: finishRemoveSmearing(job); break;
    default: break;
    }
}

void SpectrumWindow::jobFailed(PlacerJob* placerJob) {
    const u32 action = placerJob->action;
    if (action == SpectrumRestoreOvertones) table->invalidate();
    if (action == SpectrumMakeFourier || action == SpectrumRemoveSmearing) refreshViews();
}

// ---- RESTORE_OVER ----

void SpectrumWindow::restoreOvertonesCommand() {
    std::vector<u32> rows;
    if (!takeAtLeast(rows, 1)) return;
    SpectrumSettings& s = appSettings.Spectrum;
    f64 tolerance = s.overtoneDeviation, minFrequency = s.overtoneLowLimit;
    i32 depth = subharmonicDepth, maxOvertone = (i32)std::min<u32>(s.overtoneMax, 100000);
    {
        SpectrumRestoreOverDialog dialog(window);
        const JobDialogValue values[4] = {
            {ravoText(RavoText::RestoreToleranceHeading), ravoText(RavoText::RestoreToleranceLabel), false, &tolerance, 0.0, 0.5},
            {ravoText(RavoText::RestoreDepthHeading), ravoText(RavoText::RestoreDepthLabel), true, &depth, 0, 2},
            {ravoText(RavoText::RestoreMinFrequencyHeading), ravoText(RavoText::RestoreMinFrequencyLabel), false, &minFrequency, 0.0, 100000.0},
            {ravoText(RavoText::RestoreMaxOvertoneHeading), ravoText(RavoText::RestoreMaxOvertoneLabel), true, &maxOvertone, 0, 100000},
        };
        if (!buildRestoreOverDialog(&dialog, values, dialog.fields) || runModal(&dialog) != 1) return;
    }
    s.overtoneDeviation = tolerance;
    s.overtoneLowLimit = minFrequency;
    s.overtoneMax = (u32)maxOvertone;
    subharmonicDepth = depth;
    SpectrumJob* job = newJob(SpectrumRestoreOvertones, rows, rows.size() + 2);
    job->records.assign(list.data, list.data + list.count);
    job->tolerance = tolerance;
    job->depth = depth;
    job->minFrequency = minFrequency;
    job->maxOvertone = maxOvertone;
    markModified();
    runJobInBackground(job);
}

void SpectrumWindow::finishRestoreOvertones(SpectrumJob* job) {
    // Every record whose bytes change is copied before it changes.
    HarmonicModifyEdit* edit = new HarmonicModifyEdit(ravoText(RavoText::RestoreOver), this);
    history.execute(edit);
    const u32 n = std::min<u32>(list.count, (u32)job->records.size());
    for (u32 i = 0; i < n; ++i) {
        if (!memcmp(&list[i], &job->records[i], sizeof(HarmonicRecord))) continue;
        edit->add(list[i], i);
        list[i] = job->records[i];
    }
    table->invalidate();
    syncPane();
}

// ---- rate, FFT size and threshold ----

bool SpectrumWindow::runGenParams(u32 action, const char* help, u32* rate, u32* fftSize) {
    *rate = head.sampleRate;
    i32 size = (i32)std::min<u32>(std::max<u32>(head.fftSize, 3), 67108864);
    f64 threshold = generationThreshold;
    RavoText title = RavoText::SpectrumOptions, explanation = RavoText::SpectrumOptionsExplanation;
    if (action == SpectrumMakeFourier) title = RavoText::MakeFourier, explanation = RavoText::PrepareSpectrumExplanation;
    if (action == SpectrumRemoveSmearing) title = RavoText::RemoveSmearing, explanation = RavoText::RemoveSmearingExplanation;
    SpectrumGenParamsDialog dialog(window, help);
    const JobDialogValue values[2] = {
        {ravoText(RavoText::FftSizeHeading), ravoText(RavoText::FftSizeLabel), true, &size, 3, 67108864},
        {ravoText(RavoText::ThresholdHeading), ravoText(RavoText::ThresholdLabel), false, &threshold, 0.0, 100000.0},
    };
    GSpinnerField* fields[2] = {};
    if (!buildFormatValuesDialog(&dialog, ravoText(title), ravoText(explanation), rate, values, fields)) return false;
    dialog.sizeField = fields[0];
    dialog.thresholdField = fields[1];
    if (runModal(&dialog) != 1) return false;
    *fftSize = (u32)size;
    generationThreshold = threshold;
    return true;
}

void SpectrumWindow::spectrumOptionsCommand() {
    u32 rate, size;
    if (!runGenParams(SpectrumOptions, "spectrum_options.htm", &rate, &size)) return;
    history.execute(new SpectrumHeaderEdit(ravoText(RavoText::SpectrumOptions), this, SpectrumOptions));
    head.sampleRate = rate;
    head.fftSize = size;
    refreshViews();
    markModified();
}

void SpectrumWindow::beginSnapshotStep(u32 action, u32 rate, u32 fftSize) {
    const char* name = ravoText(action == SpectrumMakeFourier ? RavoText::MakeFourier : RavoText::RemoveSmearing);
    HarmonicGroupEdit* group = new HarmonicGroupEdit(action, name);
    group->add(new SpectrumHeaderEdit(name, this, action));
    group->add(new HarmonicSnapshotEdit(name, this));
    history.execute(group);
    head.sampleRate = rate;
    head.fftSize = fftSize;
    refreshViews();
    markModified();
}

void SpectrumWindow::prepareSpectrumCommand() {
    std::vector<u32> rows;
    if (!takeAtLeast(rows, 1)) return;
    u32 rate, size;
    if (!runGenParams(SpectrumMakeFourier, "prepare_spectrum.htm", &rate, &size)) return;
    beginSnapshotStep(SpectrumMakeFourier, rate, size);
    SpectrumJob* job = newJob(SpectrumMakeFourier, rows, rows.size());
    job->rate = rate;
    job->fftSize = size;
    job->threshold = generationThreshold;
    runJobInBackground(job);
}

void SpectrumWindow::finishPrepareSpectrum(SpectrumJob* job) {
    // The rows the job was made for go, from the highest up.
    std::vector<u32> rows = job->rows;
    std::sort(rows.begin(), rows.end());
    for (size_t i = rows.size(); i-- > 0;)
        if (rows[i] < list.count) list.remove(rows[i]);
    const u32 m = list.count;
    harmonicsFromFft(job->spectrum.data(), (i32)job->fftSize, list, (i32)job->rate, true, job->threshold);
    {
        HarmonicSyncScope guard;
        table->reload((u64)-1);
    }
    syncPane();
    if (list.count > m) table->clickRow(m, list.count - 1);
    refreshViews();
}

void SpectrumWindow::removeSmearingCommand() {
    std::vector<u32> rows;
    if (!takeAtLeast(rows, 3)) return;
    u32 rate, size;
    if (!runGenParams(SpectrumRemoveSmearing, "remove_smearing.htm", &rate, &size)) return;
    beginSnapshotStep(SpectrumRemoveSmearing, rate, size);
    SpectrumJob* job = newJob(SpectrumRemoveSmearing, rows, rows.size());
    job->rate = rate;
    job->fftSize = size;
    job->threshold = generationThreshold;
    runJobInBackground(job);
}

void SpectrumWindow::finishRemoveSmearing(SpectrumJob* job) {
    arrayFree(list);
    list.data = job->result.data;
    list.capacity = job->result.capacity;
    list.count = job->result.count;
    job->result.data = nullptr;
    job->result.capacity = job->result.count = 0;
    {
        HarmonicSyncScope guard;
        table->reload((u64)-1);
    }
    syncPane();
    refreshViews();
}

// ---- TEST ----

void SpectrumWindow::playSpectrum() {
    HarmonicPlayOutput& out = playOutput();
    out.fadeOut();
    std::vector<u32> rows;
    if (!takeAtLeast(rows, 1)) return;
    const u32 n = head.fftSize, rate = out.sampleRate();
    // Nothing to place bins in: nothing plays.
    if (n < 2 || !rate || n > 67108864) return;
    SpectrumJob* job = newJob(SpectrumTest, rows, fftOrder((i32)n));
    try {
        std::unique_ptr<PeriodLoop> loop(new PeriodLoop(n, rate));
        job->synth = new HarmonicSynth(loop.get(), playEnvelope, rate, true);
        job->loop = loop.release();
    } catch (const std::bad_alloc&) {
        delete job;
        return;
    }
    runJobInBackground(job);
}

void SpectrumWindow::startPlayback(SpectrumJob* job) {
    HarmonicPlayOutput& out = playOutput();
    playCountdown = 5;
    if (!playTimer.id) {
        addTimer(&playTimer, 1000, this, nullptr);
        out.addUser();
        if (!out.running()) out.clearSources();
    }
    if (out.addSource(job->synth)) job->synth = nullptr;
}

void SpectrumWindow::onTimer(TimerRecord* record) {
    if (record != &playTimer) return GFilePlacer::onTimer(record);
    if (--playCountdown > 0) return;
    removeTimer(&playTimer);
    playOutput().dropUser();
}

void SpectrumWindow::stopPlayback() {
    if (!playTimer.id) return;
    removeTimer(&playTimer);
    playCountdown = 0;
    playOutput().dropUser();
}

void SpectrumWindow::deactivatePage() {
    stopPlayback();
    GFilePlacer::deactivatePage();
}
