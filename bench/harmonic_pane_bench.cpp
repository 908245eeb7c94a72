// 2^20 harmonics (the FFT of about 50 s of sound) in a spectrum pane and a harmonic table: taking
// the records, repainting at several zooms, and paging the table.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/app_settings.h"
#include "app/pane_color_groups.h"
#include "bench/bench.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/table.h"
#include "spectrum/harmonic_page.h"
#include "spectrum/harmonic_pane.h"
#include "spectrum/harmonic_table_model.h"

namespace {
struct BenchPage : HarmonicPage {
    SpectrumHeader head;
    HarmonicArray list;
    GTable* table = nullptr;
    BenchPage() { initSpectrumHeader(&head); }
    bool hasDocument() override { return true; }
    SpectrumHeader& header() override { return head; }
    HarmonicArray& harmonics() override { return list; }
    GTable* harmonicTable() override { return table; }
    void syncPane() override {}
    void refreshViews() override {}
    void sortByColumn(i32, bool) override {}
};
}  // namespace

RAVO_BENCH(harmonic_pane) {
    const u32 count = 1u << 20;
    const i32 width = 1000, height = 600;
    GParentWindow* frame = new GParentWindow;
    if (!createTopLevelWindow(frame, WS_POPUP, 0, "")) {
        delete frame;
        benchResult("harmonic pane (no display)", -1, "ms");
        return;
    }
    SetWindowPos(frame->hwnd, nullptr, 0, 0, width, height, SWP_NOACTIVATE | SWP_NOZORDER | SWP_SHOWWINDOW);
    spectrumPaneColors.restoreDefaults();
    BenchPage page;
    HarmonicRecord* r = page.list.append(count);
    for (u32 i = 0; i < count; ++i) {
        r[i].frequency = r[i].baseFrequency = i * (44100.0 / (2.0 * count));
        r[i].amplitude = 100.0 + (i * 2654435761u) % 30000;
        r[i].phase = ((i * 40503u) % 6283) / 1000.0 - 3.14;
        HarmonicRecord::updateNote(&r[i]);
    }
    SpectPane* pane = new SpectPane(frame);
    pane->build();
    pane->setRect(RECT{0, 300, width, height}, SWP_NOZORDER);
    double take = medianMilliseconds([&] { pane->setRecords(page.list); });
    // A list handed over in another order is sorted.
    for (u32 i = 0; i + 1 < count; i += 2) std::swap(page.list[i], page.list[i + 1]);
    double takeShuffled = medianMilliseconds([&] { pane->setRecords(page.list); });
    benchResult("spectrum pane setRecords + refresh, 2^20 sorted harmonics", take, "ms (goal 300)");
    benchResult("spectrum pane setRecords + refresh, 2^20 harmonics in pairs swapped", takeShuffled, "ms (goal 300)");

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, 300);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all{0, 0, width, 300};
    // Both curves shown.
    appSettings.Spectrum.Pane.drawFlags |= PanePhaseShown;
    pane->applyDrawFlags(true);
    double worst = 0;
    for (double scale : {0.0002, 0.02, 0.2, 2.0, 200.0}) {
        pane->setScale(scale, pane->scaleY);
        GScrollRange h = pane->horizontal, v = pane->vertical;
        h.setPosition(h.total / 3);
        pane->setScrollState(h, v);
        double ms = medianMilliseconds([&] { pane->paint(memory, all, true); });
        char name[96];
        snprintf(name, sizeof name, "spectrum pane repaint, 2^20 harmonics, %g pixels per Hz", scale);
        benchResult(name, ms, "ms (goal 30)");
        worst = std::max(worst, ms);
    }
    benchResult("spectrum pane repaint, worst zoom", worst, "ms (goal 30)");

    HarmonicTableModel model(&page);
    GTableDesc desc;
    desc.flags |= TableMultiSelect | TableModelNotOwned;
    desc.columnCount = HarmonicColumnCount;
    desc.model = &model;
    GTable* table = new GTable(frame);
    page.table = table;
    table->create(desc);
    table->setRect(RECT{0, 0, width, 300}, SWP_NOZORDER);
    table->reload(0);
    HBITMAP tableBitmap = CreateCompatibleBitmap(screen, width, 300);
    SelectObject(memory, tableBitmap);
    u64 row = 0;
    double page1 = medianMilliseconds([&] {
        for (int i = 0; i < 20; ++i) {
            row += 500000;
            table->setScrollOrigin(row % count);
            table->paint(memory, all, true);
        }
    }) / 20;
    benchResult("harmonic table page (scroll + paint), 2^20 rows", page1, "ms (goal 20)");
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteObject(tableBitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DestroyWindow(frame->hwnd);
}
