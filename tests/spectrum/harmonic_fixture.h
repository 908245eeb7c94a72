#pragma once
// A page for the spectrum tests: a shown dialog with a harmonic table over a list, a spectrum pane
// and an undo history, standing for the spectrum window. The default display settings and colours
// are set for each fixture.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/app_settings.h"
#include "app/pane_color_groups.h"
#include "gui/frame/undo_history.h"
#include "gui/views/table.h"
#include "spectrum/harmonic_page.h"
#include "spectrum/harmonic_pane.h"
#include "spectrum/harmonic_table_model.h"
#include "tests/gui/control_fixture.h"

inline HarmonicRecord harmonic(double frequency, double amplitude = 1000.0, double phase = 0.0) {
    HarmonicRecord r;
    memset(&r, 0, sizeof r);
    r.frequency = r.baseFrequency = frequency;
    r.amplitude = amplitude;
    r.phase = phase;
    HarmonicRecord::updateNote(&r);
    return r;
}

struct HarmonicFixture : controls::Fixture, HarmonicPage {
    SpectrumHeader head;
    HarmonicArray list;
    bool document = true;
    HarmonicTableModel model{this};
    UndoHistory history;
    GTable* table = nullptr;
    SpectPane* pane = nullptr;
    std::vector<std::string> calls;

    explicit HarmonicFixture(i32 width = 700, i32 height = 500, i32 tableHeight = 150) : Fixture(width, height) {
        initSpectrumHeader(&head);
        appSettings.Spectrum.Pane = SpectrumPaneSettings();
        spectrumPaneColors.restoreDefaults();
        GTableDesc desc;
        desc.flags |= TableMultiSelect | TableModelNotOwned;
        desc.columnCount = HarmonicColumnCount;
        desc.model = &model;
        table = new GTable(dialog);
        table->create(desc);
        table->setRect(RECT{0, 0, width, tableHeight}, SWP_NOZORDER);
        pane = new SpectPane(dialog);
        pane->build();
        pane->setRect(RECT{0, tableHeight, width, height}, SWP_NOZORDER);
    }
    ~HarmonicFixture() {
        // The windows go before the list they point into.
        if (!IsWindow(dialog->hwnd)) return;
        SetWindowLongA(dialog->hwnd, GWL_STYLE, GetWindowLongA(dialog->hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(dialog->hwnd);
    }

    bool hasDocument() override { return document; }
    SpectrumHeader& header() override { return head; }
    HarmonicArray& harmonics() override { return list; }
    GTable* harmonicTable() override { return table; }
    void syncPane() override {
        calls.push_back("sync");
        if (document)
            pane->setRecords(list);
        else
            pane->clearRecords();
    }
    void refreshViews() override { calls.push_back("status"); }
    void sortByColumn(i32 column, bool ascending) override {
        calls.push_back("sort " + std::to_string(column) + (ascending ? " up" : " down"));
    }

    // The list becomes these records, the table and the pane show them.
    void setList(const std::vector<HarmonicRecord>& records) {
        arrayFree(list);
        for (const HarmonicRecord& r : records) *list.append(1) = r;
        syncPane();
        table->reload(0);
    }
    std::vector<HarmonicRecord> records() const { return std::vector<HarmonicRecord>(list.data, list.data + list.count); }
    void paintNow() {
        RedrawWindow(dialog->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    std::vector<u32> paneCodes() {
        std::vector<u32> c;
        for (const GControlNotification& n : dialog->notifications)
            if (n.source == pane) c.push_back(n.code);
        return c;
    }
};

inline bool sameBytes(const std::vector<HarmonicRecord>& a, const std::vector<HarmonicRecord>& b) {
    return a.size() == b.size() && (a.empty() || memcmp(a.data(), b.data(), a.size() * sizeof(HarmonicRecord)) == 0);
}
