// Opening a spectrum file of 2^20 harmonics in a spectrum page until its table and pane show it.
#include <string>

#include "app/app_settings.h"
#include "app/pane_color_groups.h"
#include "bench/bench.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/table.h"
#include "spectrum/harmonic_pane.h"
#include "spectrum/harmonic_window.h"

RAVO_BENCH(harmonic_open) {
    const u32 count = 1u << 20;
    GDialog* owner = new GDialog(nullptr, "spectrum.htm");
    if (!createTopLevelWindow(owner, WS_POPUP | WS_CLIPCHILDREN, 0, "")) {
        delete owner;
        benchResult("spectrum file open (no display)", -1, "ms");
        return;
    }
    SetWindowPos(owner->hwnd, nullptr, 0, 0, 1000, 700, SWP_NOACTIVATE | SWP_NOZORDER | SWP_SHOWWINDOW);
    spectrumPaneColors.restoreDefaults();
    SpectrumWindow* page = new SpectrumWindow(owner);
    owner->setContent(page);
    page->setRect(RECT{0, 0, 1000, 700});

    SpectrumHeader head;
    initSpectrumHeader(&head);
    HarmonicArray list;
    HarmonicRecord* r = list.append(count);
    for (u32 i = 0; i < count; ++i) {
        r[i].frequency = r[i].baseFrequency = i * (44100.0 / (2.0 * count));
        r[i].amplitude = 100.0 + (i * 2654435761u) % 30000;
        HarmonicRecord::updateNote(&r[i]);
    }
    head.flags |= spectrumNotesValid;
    std::string path = std::string(tempFolder().c_str()) + "\\ravo_bench_open.ovt";
    {
        GFile file;
        fileOpen(file, path.c_str(), FileMode::Write);
        writeSpectrumFile(&head, list, file);
        fileClose(file);
    }
    double ms = medianMilliseconds([&] {
        page->newSpectrum();
        page->loadDocument(path.c_str(), nullptr);
        RedrawWindow(owner->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    });
    double readMs = medianMilliseconds([&] {
        GFile file;
        fileOpen(file, path.c_str(), FileMode::Read);
        SpectrumHeader h;
        HarmonicArray a;
        readSpectrumFile(&h, a, file);
        fileClose(file);
    });
    benchResult("spectrum file read alone, 2^20 harmonics", readMs, "ms");
    benchResult("spectrum page open of 2^20 harmonics, table and pane painted", ms, "ms (goal 500)");
    DeleteFileA(path.c_str());
    DestroyWindow(owner->hwnd);
}
