// A wave pane 1000 pixels wide over one hour of stereo 16-bit sound at 44.1 kHz in a shown window:
// the whole sound painted with all its peaks from setSound, then page scrolls and zoom steps (each
// a fill and a paint) once the peaks are cached.
#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "editor/wave_pane.h"
#include "editor/wave_view_options.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "mm/sound_format.h"

namespace {
void paintNow(WavePane* pane) { RedrawWindow(pane->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
}  // namespace

RAVO_BENCH(wave_pane) {
    SoundStore store;
    SoundFormat format;
    if (!openHourOfSound(store, format)) {
        benchResult("wave pane: no sound", 0, "");
        return;
    }
    store.unlock();  // the peak cache reads from its own thread
    for (u32 t = 0; t < format.trackCount(); ++t) format.tracks[t].flags |= trackSelected;
    const i32 width = 1000, height = 400;
    GParentWindow frame;
    createTopLevelWindow(&frame, WS_POPUP, 0, "");
    SetWindowPos(frame.hwnd, nullptr, 0, 0, width, height, SWP_NOACTIVATE | SWP_NOZORDER | SWP_SHOWWINDOW);
    WavePane* pane = new WavePane(&frame);
    pane->create(WS_CHILD | WS_VISIBLE);
    pane->setRect(RECT{0, 0, width, height}, SWP_NOZORDER);
    pane->invalidateLayout();

    double start = benchSeconds();
    pane->setSound(&store, store.dataOffset, store.length, &format);
    paintNow(pane);
    // Peaks arrive from the cache's worker; the pane reads them as they come.
    while (pane->source->loadProgress() >= 0 && pane->source->loadProgress() < 100 && benchSeconds() - start < 120) {
        benchPumpMessages();
        pane->refreshData();
        Sleep(5);
    }
    pane->onCommand(1000, nullptr);
    paintNow(pane);
    double full = benchSeconds() - start;
    benchResult("wave pane peak cache progress at that point", pane->source->loadProgress(), "%");
    benchResult("wave pane, one hour stereo 44.1 kHz: whole view with all peaks from setSound", full, "s");

    // Four zoom steps in, then page scrolls and zoom steps at that scale.
    for (int i = 0; i < 4; ++i) pane->onCommand(GraphHScalePlus, nullptr);
    paintNow(pane);
    benchResult("wave pane page scroll (fill and paint)", medianMilliseconds([&] {
                    for (int i = 0; i < 10; ++i) {
                        GScrollRange h = pane->horizontal, v = pane->vertical;
                        h.setPosition(h.origin + h.page);
                        pane->setScrollState(h, v);
                        paintNow(pane);
                    }
                }) / 10,
                "ms");
    bool in = true;
    benchResult("wave pane zoom step (fill and paint)", medianMilliseconds([&] {
                    for (int i = 0; i < 10; ++i) {
                        pane->onCommand(in ? GraphHScalePlus : GraphHScaleMinus, nullptr);
                        in = !in;
                        paintNow(pane);
                    }
                }) / 10,
                "ms");
    pane->setSound(nullptr, 0, 0, nullptr);
    DestroyWindow(frame.hwnd);
}
