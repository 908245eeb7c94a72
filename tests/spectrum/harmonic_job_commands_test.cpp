// The spectrum window's background commands with their real dialogs and the real progress line:
// RESTORE_OVER, SPECTRUM_OPTIONS, MAKE_FOURIER, REMOVE_SMEARING and TEST.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "app/program_texts.h"
#include "engine/fft.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/spinner_field.h"
#include "gui/frame/progress_line.h"
#include "spectrum/harmonic_job_dialogs.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/spectrum/harmonic_commands_fixture.h"

namespace {
std::string tooFew(int n) {
    char text[128];
    snprintf(text, sizeof text, ravoText(RavoText::HarmonicsTooFew), n);
    return text;
}

BOOL CALLBACK collectEdit(HWND w, LPARAM p) {
    char name[32] = {};
    GetClassNameA(w, name, sizeof name);
    CharLowerA(name);
    if (strstr(name, "edit")) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
    return TRUE;
}

// The edit lines of a dialog in the order they were made.
std::vector<HWND> editsOf(GDialog& d) {
    std::vector<HWND> edits;
    EnumChildWindows(d.hwnd, collectEdit, (LPARAM)&edits);
    return edits;
}

// Types the texts into the dialog's edit lines (null: left alone), then OK.
// The dialog's help page goes to `help` when given.
ModalScript::Step typeAndOk(std::vector<const char*> texts, std::string* help = nullptr) {
    return [texts, help](GDialog& d) {
        if (help) *help = d.helpPage ? d.helpPage : "";
        std::vector<HWND> edits = editsOf(d);
        ASSERT_GE(edits.size(), texts.size());
        for (size_t i = 0; i < texts.size(); ++i)
            if (texts[i]) SetWindowTextA(edits[i], texts[i]);
        ModalScript::post(d, IDOK);
    };
}

bool waitForJob(SpectrumPage& p) {
    return pumpUntil([&] { return p.page->job == nullptr; }, 10000);
}

std::vector<u32> selectedRows(SpectrumPage& p) {
    std::vector<u32> rows;
    GSelectionModel* s = p.page->table->selection();
    for (i64 r = s->firstSelected(); r >= 0; r = s->nextSelected(r)) rows.push_back((u32)r);
    return rows;
}

// Counts what TEST asks of the output and keeps what it is given.
struct CountingOutput : HarmonicPlayOutput {
    ~CountingOutput() override {
        for (SynthGenerator* g : given) delete g;
    }
    u32 sampleRate() override { return rate; }
    void fadeOut() override { ++fades; }
    bool running() override { return isRunning; }
    void clearSources() override { ++clears; }
    bool addSource(SynthGenerator* g) override {
        if (refuse) return false;
        given.push_back(g);
        return true;
    }
    void addUser() override { ++users; }
    void dropUser() override { --users; }

    u32 rate = 44100;
    bool isRunning = false, refuse = false;
    int fades = 0, clears = 0, users = 0;
    std::vector<SynthGenerator*> given;
};

// The magnitudes of the period's bins.
std::vector<f64> binsOf(SynthGenerator* g) {
    auto* synth = dynamic_cast<HarmonicSynth*>(g);
    auto* loop = synth ? dynamic_cast<PeriodLoop*>(synth->tone) : nullptr;
    if (!loop) return {};
    std::vector<Complex> c(loop->samples.size());
    for (size_t i = 0; i < c.size(); ++i) c[i] = Complex{(f64)loop->samples[i], 0.0};
    fft(c.data(), (i32)c.size(), false);
    std::vector<f64> m(c.size() / 2);
    for (size_t i = 0; i < m.size(); ++i) m[i] = std::hypot(c[i].re, c[i].im);
    return m;
}
}  // namespace

TEST_F(HarmonicCommandTest, RestoreOvertonesFindsTheStrongerBase) {
    struct Case {
        const char* name;
        std::vector<HarmonicRecord> records;
        f64 tolerance;
        i32 depth, maxOvertone;
        std::vector<i32> overtones;
        std::vector<f64> bases;
    };
    HarmonicRecord strong200 = harmonic(200, 1000);
    const Case cases[] = {
        {"overtone of a stronger one", {harmonic(200, 1000), harmonic(400, 500)}, 0.1, 0, 10, {0, 1}, {200, 200}},
        {"the weaker one below", {harmonic(200, 500), harmonic(400, 1000)}, 0.1, 0, 10, {0, 0}, {200, 400}},
        {"equal amplitudes", {harmonic(200, 1000), harmonic(400, 1000)}, 0.1, 0, 10, {0, 0}, {200, 400}},
        {"subharmonic depth 1", {harmonic(300, 500), strong200}, 0.1, 1, 10, {2, 1}, {100, 100}},
        {"highest overtone 0", {harmonic(200, 1000), harmonic(400, 500)}, 0.1, 0, 0, {0, 0}, {200, 400}},
        {"tolerance 0", {harmonic(200, 1000), harmonic(400, 500)}, 0.0, 0, 10, {0, 0}, {200, 400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpectrumPage p;
        std::vector<HarmonicRecord> records = c.records;
        records.push_back(harmonic(5000, 3));
        records.back().reserved16 = 4;  // an unselected record's old mark
        p.set(records);
        p.page->history.reset();
        const std::vector<HarmonicRecord> before = p.records();
        p.page->table->clearSelection();
        for (u32 r = 0; r < c.records.size(); ++r) p.page->table->setRowSelected(r, true);
        char tolerance[32], depth[8], maxOvertone[16];
        snprintf(tolerance, sizeof tolerance, "%g", c.tolerance);
        snprintf(depth, sizeof depth, "%d", c.depth);
        snprintf(maxOvertone, sizeof maxOvertone, "%d", c.maxOvertone);
        ModalScript script(TypeSpectrumRestoreOverDialog, {typeAndOk({tolerance, depth, "0", maxOvertone})});
        p.command(SpectrumRestoreOvertones);
        ASSERT_EQ(script.runs, 1);
        ASSERT_NE(p.page->job, nullptr);
        // A click while the job runs changes nothing of its rows.
        p.page->table->clickRow(records.size() - 1, records.size() - 1);
        EXPECT_EQ(p.page->commandState(SpectrumDelete), CommandDisabled);
        ASSERT_TRUE(waitForJob(p));
        const ProgressState::Amounts a = p.page->progressLine->amounts();
        EXPECT_EQ(a.total, c.records.size() + 2);
        EXPECT_EQ(a.processed, c.records.size() + 2);
        for (size_t i = 0; i < c.records.size(); ++i) {
            EXPECT_EQ(p.page->list[(u32)i].overtone, c.overtones[i]) << i;
            EXPECT_NEAR(p.page->list[(u32)i].baseFrequency, c.bases[i], 1e-9) << i;
            EXPECT_EQ(p.page->list[(u32)i].reserved16, 2) << i;
        }
        EXPECT_EQ(p.page->list[(u32)c.records.size()].reserved16, 0);
        EXPECT_EQ(p.page->list[(u32)c.records.size()].overtone, 0);
        EXPECT_TRUE(p.page->isModified());
        p.command(SpectrumUndo);
        EXPECT_TRUE(sameBytes(p.records(), before));
    }
    EXPECT_EQ(appSettings.Spectrum.overtoneMax, 10u) << "the last accepted values are kept";
    EXPECT_EQ(appSettings.Spectrum.overtoneDeviation, 0.0);
}

TEST_F(HarmonicCommandTest, SpectrumOptionsChangeRateAndSizeOnly) {
    SpectrumPage p;
    p.set({harmonic(1000), harmonic(2000)}, 44100, 16384);
    p.page->history.reset();
    const std::vector<HarmonicRecord> before = p.records();
    std::string help;
    ModalScript script(TypeSpectrumGenParamsDialog, {typeAndOk({"22050", "4096", "12.5"}, &help)});
    p.command(SpectrumOptions);
    ASSERT_EQ(script.runs, 1);
    EXPECT_EQ(help, "spectrum_options.htm");
    EXPECT_EQ(p.page->head.sampleRate, 22050u);
    EXPECT_EQ(p.page->head.fftSize, 4096u);
    EXPECT_EQ(generationThreshold, 12.5);
    EXPECT_TRUE(sameBytes(p.records(), before));
    p.command(SpectrumUndo);
    EXPECT_EQ(p.page->head.sampleRate, 44100u);
    EXPECT_EQ(p.page->head.fftSize, 16384u);
    p.command(SpectrumRedo);
    EXPECT_EQ(p.page->head.fftSize, 4096u);

    // Cancel: no step. The threshold is offered to the next command.
    f64 offered = -1;
    ModalScript cancel(TypeSpectrumGenParamsDialog, {[&](GDialog& d) {
                           offered = static_cast<SpectrumGenParamsDialog&>(d).thresholdField->read();
                           ModalScript::post(d, IDCANCEL);
                       }});
    p.page->history.reset();
    p.command(SpectrumOptions);
    EXPECT_EQ(offered, 12.5);
    EXPECT_FALSE(p.page->history.canUndo());
}

TEST_F(HarmonicCommandTest, PrepareSpectrumReplacesTheSelectedRows) {
    SpectrumPage p;
    // One harmonic on bin 100 exactly, one to be left out below the threshold, one unselected.
    const f64 onBin = 100.0 * 44100 / 16384;
    p.set({harmonic(onBin, 5000), harmonic(3000, 5), harmonic(8000, 700)}, 44100, 8192);
    p.page->history.reset();
    const std::vector<HarmonicRecord> before = p.records();
    p.select({0, 1}, 0);
    ModalScript script(TypeSpectrumGenParamsDialog, {typeAndOk({nullptr, "16384", "10"})});
    p.command(SpectrumMakeFourier);
    ASSERT_TRUE(waitForJob(p));
    EXPECT_EQ(p.page->head.fftSize, 16384u);
    ASSERT_EQ(p.page->list.count, 2u);
    EXPECT_EQ(p.page->list[0].frequency, 8000.0);
    EXPECT_NEAR(p.page->list[1].frequency, onBin, 1e-6);
    EXPECT_NEAR(p.page->list[1].amplitude, 5000.0, 1e-6);
    EXPECT_EQ(selectedRows(p), std::vector<u32>{1});
    p.command(SpectrumUndo);
    EXPECT_TRUE(sameBytes(p.records(), before));
    EXPECT_EQ(p.page->head.fftSize, 8192u);
    EXPECT_EQ(selectedRows(p), (std::vector<u32>{0, 1}));

    // A threshold above every amplitude: the rows go, nothing comes.
    p.select({0, 1}, 0);
    ModalScript high(TypeSpectrumGenParamsDialog, {typeAndOk({nullptr, nullptr, "99999"})});
    p.command(SpectrumMakeFourier);
    ASSERT_TRUE(waitForJob(p));
    ASSERT_EQ(p.page->list.count, 1u);
    EXPECT_EQ(p.page->list[0].frequency, 8000.0);
}

TEST_F(HarmonicCommandTest, RemoveSmearingCollapsesNeighbours) {
    SpectrumPage p;
    p.set({harmonic(1000, 1000), harmonic(1001, 1000), harmonic(1002, 1000), harmonic(5000, 800)}, 44100, 8192);
    p.page->history.reset();
    const std::vector<HarmonicRecord> before = p.records();
    p.select({0, 1}, 0);
    p.command(SpectrumRemoveSmearing);
    EXPECT_EQ(shownBoxes(), std::vector<std::string>{tooFew(3)});
    EXPECT_FALSE(p.page->history.canUndo());

    p.select({0, 1, 2}, 0);
    std::string help;
    ModalScript script(TypeSpectrumGenParamsDialog, {typeAndOk({nullptr, "16384", "1"}, &help)});
    p.command(SpectrumRemoveSmearing);
    ASSERT_EQ(script.runs, 1);
    EXPECT_EQ(help, "remove_smearing.htm");
    ASSERT_TRUE(waitForJob(p));
    EXPECT_EQ(p.page->head.fftSize, 16384u);
    ASSERT_GE(p.page->list.count, 1u);
    EXPECT_LT(p.page->list.count, 3u);
    for (u32 i = 0; i < p.page->list.count; ++i) {
        EXPECT_NEAR(p.page->list[i].frequency, 1001.0, 3.0) << "the unselected row is dropped";
        EXPECT_EQ(p.page->list[i].baseFrequency, p.page->list[i].frequency);
    }
    p.command(SpectrumUndo);
    EXPECT_TRUE(sameBytes(p.records(), before));
    EXPECT_EQ(p.page->head.fftSize, 8192u);
    EXPECT_EQ(selectedRows(p), (std::vector<u32>{0, 1, 2}));

    // Positions far outside the bins place nothing; an FFT size of 3 has one bin.
    p.set({harmonic(1e300, 1000), harmonic(NAN, 1000), harmonic(-50, 1000)});
    p.select({0, 1, 2}, 0);
    ModalScript odd(TypeSpectrumGenParamsDialog, {typeAndOk({nullptr, "3", "0.5"})});
    p.command(SpectrumRemoveSmearing);
    ASSERT_TRUE(waitForJob(p));
    EXPECT_EQ(p.page->list.count, 0u);
}

TEST_F(HarmonicCommandTest, TestPlaysTheSelectedHarmonicsForFiveTicks) {
    CountingOutput out;
    harmonicPlayOutput = &out;
    {
        SpectrumPage p;
        p.set({harmonic(1000, 10000), harmonic(30000, 10000)}, 44100, 16384);
        p.select({0}, 0);
        p.command(SpectrumTest);
        EXPECT_EQ(out.fades, 1);
        ASSERT_TRUE(waitForJob(p));
        ASSERT_EQ(out.given.size(), 1u);
        std::vector<f64> bins = binsOf(out.given[0]);
        ASSERT_EQ(bins.size(), 8192u);
        const f64 top = bins[372];
        EXPECT_GT(top, 1e6);
        for (size_t k = 0; k < bins.size(); ++k)
            if (k != 372) ASSERT_LT(bins[k], top * 1e-3) << k;
        EXPECT_EQ(out.users, 1);
        EXPECT_EQ(out.clears, 1);
        EXPECT_NE(p.page->playTimer.id, 0u);

        // Ticks 1 .. 4 keep it; a second TEST restarts the count without a second timer or use.
        for (int i = 0; i < 3; ++i) p.page->onTimer(&p.page->playTimer);
        out.isRunning = true;
        p.command(SpectrumTest);
        ASSERT_TRUE(waitForJob(p));
        EXPECT_EQ(out.fades, 2);
        EXPECT_EQ(out.users, 1);
        EXPECT_EQ(out.clears, 1);
        EXPECT_EQ(p.page->playCountdown, 5);
        for (int i = 0; i < 4; ++i) p.page->onTimer(&p.page->playTimer);
        EXPECT_EQ(out.users, 1);
        p.page->onTimer(&p.page->playTimer);
        EXPECT_EQ(out.users, 0);
        EXPECT_EQ(p.page->playTimer.id, 0u);

        // Above half the rate: nothing is heard.
        p.select({1}, 1);
        p.command(SpectrumTest);
        ASSERT_TRUE(waitForJob(p));
        ASSERT_EQ(out.given.size(), 3u);
        for (f64 m : binsOf(out.given[2])) ASSERT_EQ(m, 0.0);

        // Switching away stops at once.
        EXPECT_EQ(out.users, 1);
        p.page->deactivatePage();
        EXPECT_EQ(out.users, 0);
        EXPECT_EQ(p.page->playTimer.id, 0u);

        // No bins to place in: nothing plays and the list stays.
        p.set({harmonic(1000, 10000)}, 44100, 1);
        p.select({0}, 0);
        p.command(SpectrumTest);
        EXPECT_EQ(p.page->job, nullptr);
        out.rate = 0;
        p.set({harmonic(1000, 10000)}, 44100, 16384);
        p.select({0}, 0);
        p.command(SpectrumTest);
        EXPECT_EQ(p.page->job, nullptr);
        EXPECT_EQ(out.given.size(), 3u);
        EXPECT_EQ(p.page->list.count, 1u);
    }
    harmonicPlayOutput = nullptr;
}

TEST_F(HarmonicCommandTest, DetachForgetsThePageAndStopsPlayback) {
    CountingOutput out;
    harmonicPlayOutput = &out;
    static std::vector<GPlacer*> forgotten;
    forgotten.clear();
    forgetSpectrumPage = [](GPlacer* page) { forgotten.push_back(page); };
    {
        SpectrumPage p;
        p.set({harmonic(1000, 10000)});
        p.select({0}, 0);
        p.command(SpectrumTest);
        ASSERT_TRUE(waitForJob(p));
        EXPECT_EQ(out.users, 1);
        p.page->detach();
        EXPECT_EQ(forgotten, std::vector<GPlacer*>{p.page});
        EXPECT_EQ(out.users, 0);
    }
    forgetSpectrumPage = nullptr;
    harmonicPlayOutput = nullptr;
}
