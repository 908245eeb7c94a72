// The spectrum page's background jobs through a real page: MAKE_FOURIER and REMOVE_SMEARING of 2000
// harmonics at 2^20 points, and TEST at 2^22 points until the tone reaches the output.
#include <string>

#include "app/pane_color_groups.h"
#include "bench/bench.h"
#include "gui/frame/progress_line.h"
#include "gui/kernel/application.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_listener.h"
#include "gui/kernel/window_procedure.h"
#include "spectrum/harmonic_jobs.h"
#include "spectrum/harmonic_window.h"

namespace {
// Ends the loop's turn once the page's job has ended; counts the progress readings seen between
// the start and the end of the job.
class JobWatch : public GItemBase {
public:
    JobWatch(SpectrumWindow* page, bool* done) : page(page), done(done), end(benchSeconds() + 60) {}
    bool onIdle() override {
        if (page->job) {
            ProgressState::Amounts a = page->progressLine->amounts();
            if (a.processed > 0 && a.processed < a.total && a.processed != last) {
                ++live;
                last = a.processed;
            }
        }
        if (!page->job || benchSeconds() > end) *done = true;
        return false;
    }
    SpectrumWindow* page;
    bool* done;
    double end;
    u64 last = 0;
    int live = 0;
};

// Runs the job on the page and the loop until it ended; the seconds taken and the live readings.
double runJob(SpectrumWindow* page, SpectrumJob* job, int* live) {
    const double start = benchSeconds();
    if (!page->runJobInBackground(job)) return -1;
    bool done = false;
    JobWatch watch(page, &done);
    ListenerChain::append(application()->pendingWorkList, watch.lifeRecord());
    UINT_PTR wake = SetTimer(nullptr, 0, 1, nullptr);
    messageLoop(&done);
    KillTimer(nullptr, wake);
    *live = watch.live;
    return page->job ? -1 : benchSeconds() - start;
}

// Takes the tone and drops it.
class TakingOutput : public HarmonicPlayOutput {
public:
    u32 sampleRate() override { return 44100; }
    void fadeOut() override {}
    bool running() override { return true; }
    void clearSources() override {}
    bool addSource(SynthGenerator* g) override {
        delete g;
        taken = benchSeconds();
        return true;
    }
    void addUser() override {}
    void dropUser() override {}
    double taken = 0;
};
}  // namespace

RAVO_BENCH(harmonic_jobs) {
    GApplication app;
    setApplication(&app);
    GDialog* owner = new GDialog(nullptr, "spectrum.htm");
    if (!createTopLevelWindow(owner, WS_POPUP | WS_CLIPCHILDREN, 0, "")) {
        delete owner;
        benchResult("spectrum jobs (no display)", -1, "ms");
        setApplication(nullptr);
        return;
    }
    SetWindowPos(owner->hwnd, nullptr, 0, 0, 1000, 700, SWP_NOACTIVATE | SWP_NOZORDER | SWP_SHOWWINDOW);
    spectrumPaneColors.restoreDefaults();
    SpectrumWindow* page = new SpectrumWindow(owner);
    owner->setContent(page);
    page->setRect(RECT{0, 0, 1000, 700});

    const u32 count = 2000, n = 1u << 20;
    auto document = [&] {
        SpectrumHeader head;
        initSpectrumHeader(&head);
        head.fftSize = n;
        HarmonicArray list;
        HarmonicRecord* r = list.append(count);
        for (u32 i = 0; i < count; ++i) {
            r[i] = HarmonicRecord{};
            r[i].frequency = r[i].baseFrequency = 40 + 10.37 * i;
            r[i].amplitude = 1000.0 + (i * 2654435761u) % 20000;
            r[i].phase = 0.1 * (i % 60);
        }
        page->setHarmonics(list, head);
    };
    auto jobOf = [&](u32 action) {
        SpectrumJob* job = new SpectrumJob(action, page->progressLine, count);
        for (u32 i = 0; i < count; ++i) {
            job->rows.push_back(i);
            job->records.push_back(page->list[i]);
        }
        job->rate = 44100;
        job->fftSize = n;
        job->threshold = 1.0;
        return job;
    };
    const struct {
        u32 action;
        const char* name;
    } jobs[] = {{SpectrumMakeFourier, "MAKE_FOURIER of 2000 harmonics, 2^20 points, to the table"},
                {SpectrumRemoveSmearing, "REMOVE_SMEARING of 2000 harmonics, 2^20 points, to the table"}};
    for (const auto& j : jobs) {
        std::vector<double> runs;
        int live = 0;
        for (int i = 0; i < 3; ++i) {
            document();
            runs.push_back(runJob(page, jobOf(j.action), &live));
        }
        benchResult(j.name, benchMedian(runs) * 1000, "ms (goal 2000)");
        printf("  %u rows after; %d progress readings while it ran\n", page->list.count, live);
    }

    TakingOutput out;
    harmonicPlayOutput = &out;
    std::vector<double> runs;
    int live = 0;
    for (int i = 0; i < 3; ++i) {
        document();
        const u32 big = 1u << 22;
        SpectrumJob* job = new SpectrumJob(SpectrumTest, page->progressLine, fftOrder((i32)big));
        for (u32 k = 0; k < count; ++k) job->records.push_back(page->list[k]);
        job->loop = new PeriodLoop(big, 44100);
        job->synth = new HarmonicSynth(job->loop, playEnvelope, 44100, true);
        const double start = benchSeconds();
        runJob(page, job, &live);
        runs.push_back(out.taken > start ? out.taken - start : -1);
        page->stopPlayback();
    }
    harmonicPlayOutput = nullptr;
    benchResult("TEST of 2000 harmonics, 2^22 points, until the output has the tone", benchMedian(runs) * 1000,
                "ms (goal 1000)");
    printf("  %d progress readings while it ran\n", live);
    SetWindowLongA(owner->hwnd, GWL_STYLE, GetWindowLongA(owner->hwnd, GWL_STYLE) & ~WS_VISIBLE);
    DestroyWindow(owner->hwnd);
    setApplication(nullptr);
    fflush(stdout);
}
