// The Editor's completion report by action: the analysis and search results, the copy hint, the
// end of a save and the files a file row made; the rate setter that the rate change uses.
#include <cmath>

#include "app/program_texts.h"
#include "editor/editor_file_commands.h"
#include "editor/editor_window.h"
#include "editor/file_rows.h"
#include "editor/stroke_commands.h"
#include "editor/track_commands.h"
#include "editor/wave_pane.h"
#include "engine/analysis_requests.h"
#include "engine/find_params.h"
#include "gui/controls/notes.h"
#include "gui/kernel/message_box.h"
#include "gui/layout/layout_cell.h"

namespace {

void noSpectrumPage(EditorWindow*, SoundBlockProcessor*, u32) {}

f64 decibels(f64 amplitude) {
    const f64 ratio = std::fabs(amplitude / 32767.0);
    return ratio > 1e-10 ? 10.0 * std::log10(ratio) : -100.0;
}

void showPeak(GWindow* owner, const HarmonicRecord& peak) {
    if (peak.frequency == 0.0) {
        showMessageBox(&mbInformation, owner, ravoText(RavoText::EditorFftNoPeak));
        return;
    }
    const f64 f = peak.frequency;
    i32 number = (i32)std::lround(12.0 * std::log2(f / 440.0)) + 57;
    i32 note = 0, octave = 0;
    if (number > 0) {
        note = number % 12;
        octave = number / 12;
    } else {
        number = 0;
    }
    const f64 noteHz = noteToFrequency(number);
    const f64 cents = 1200.0 * std::log2(f / noteHz);
    GString text;
    stringFormat(text, ravoText(RavoText::EditorFftPeak), f, peak.phase * 180.0 / 3.14159265358979323846, noteName(note),
                 octaveName(octave), cents, noteHz, peak.amplitude, peak.amplitude * 100.0 / 32767.0,
                 decibels(peak.amplitude));
    showMessageBox(&mbInformation, owner, text.c_str());
}

}  // namespace

FftResultHandler fftResultHandler = noSpectrumPage;

void EditorWindow::reportResult(SoundBlockProcessor* p) {
    const u32 id = p->actionId;
    if (id == EditorFft || id == EditorFftRepeat) {
        auto* analysis = dynamic_cast<FftAnalysis*>(p->auxObject);
        if (p->paramInt == 2) {
            if (analysis) showPeak(window, analysis->strongest);
        } else {
            fftResultHandler(this, p, p->paramInt);
        }
    } else if (id == EditorFind || id == EditorFindNext) {
        auto* find = dynamic_cast<FindParams*>(p->auxObject);
        if (find) lastFindKind = find->mode;
        if (pane->hwnd) pane->invalidate();
        if (!find || find->notFound) {
            showMessageBox(&mbInformation, window, ravoText(RavoText::EditorFindNothing));
        } else if (find->mode == findPeak) {
            GString text;
            stringFormat(text, ravoText(RavoText::EditorFindPeak), p->param1, std::fabs(p->param1) * 100.0 / 32767.0,
                         decibels(p->param1));
            showMessageBox(&mbInformation, window, text.c_str());
        }
    } else if (id == EditorCopy) {
        static bool hinted = false;
        if (!hinted) {
            hinted = true;
            showMessageBox(&mbInformation, window, ravoText(RavoText::EditorCopyHint));
        }
    } else if (id == FileCommandSaveAs) {
        if (!p->workBuffer.empty()) finishSave(p->workBuffer.c_str(), p->paramInt);
    } else if (isFileRow(id)) {
        reportFileRow(this, p);
    } else {
        finishTrackCommand(this, p);
    }
}

void EditorWindow::setSampleRate(u32 rate) {
    format.sampleRate = rate;
    format.bytesPerSecond = rate * format.bytesPerFrame;
    refreshAfterReload(this, format);
}

bool EditorWindow::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (n && playbackNotify(n)) return true;
    if (n && strokeNotify(this, n)) return true;
    if (n && n->source == pane) {
        if (n->code == WavePaneChanged || n->code == WavePaneCursorMoved || n->code == GraphViewChanged) updateStrips();
        if (n->code == kNewPeaksNotification) updateStatusLine();
    }
    return GFilePlacer::onControlNotify(notification);
}
