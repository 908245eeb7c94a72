#pragma once
// A spectrum window on a shown top-level window of its own, with helpers to give it a document,
// select rows and run its commands.
#include <windows.h>

#include <initializer_list>
#include <vector>

#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/table.h"
#include "spectrum/harmonic_window.h"

struct SpectrumPage {
    GDialog owner{nullptr, "spectrum.htm"};
    SpectrumWindow* page;
    explicit SpectrumPage(i32 x = 0) {
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(owner.hwnd, HWND_TOP, x, 0, 700, 500, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        page = new SpectrumWindow(&owner);
        owner.setContent(page);
        page->setRect(RECT{0, 0, 700, 500});
    }
    ~SpectrumPage() {
        SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(owner.hwnd);
    }
    // A document of these records.
    void set(const std::vector<HarmonicRecord>& records, u32 rate = 44100, u32 fft = 16384) {
        HarmonicArray a;
        for (const HarmonicRecord& r : records) *a.append(1) = r;
        SpectrumHeader h;
        initSpectrumHeader(&h);
        h.flags |= spectrumNotesValid;
        h.sampleRate = rate;
        h.fftSize = fft;
        page->setHarmonics(a, h);
    }
    void select(std::initializer_list<u32> rows, i64 caret) {
        page->table->clearSelection();
        if (caret >= 0) page->table->setCaretRow((u64)caret);
        page->table->clearSelection();
        for (u32 r : rows) page->table->setRowSelected(r, true);
    }
    bool command(u32 id) { return page->onCommand(id, nullptr); }
    std::vector<HarmonicRecord> records() { return std::vector<HarmonicRecord>(page->list.data, page->list.data + page->list.count); }
};
