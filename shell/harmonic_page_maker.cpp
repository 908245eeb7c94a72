#include "shell/harmonic_page_maker.h"

#include "app/app_settings.h"
#include "app/child_windows.h"
#include "app/harmonic_dialog.h"
#include "app/page_links.h"
#include "app/program_file_dialogs.h"
#include "app/program_texts.h"
#include "app/window_kinds.h"
#include "editor/editor_window.h"
#include "engine/analysis_requests.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "shell/program_window.h"
#include "spectrum/harmonic_window.h"

namespace {
GPlacer* makeSpectrumPage(GWindow* parent) {
    return new SpectrumWindow(parent, programWindowKind(KindSpectrum), &spectrumFileDialog, &spectrumFileDialog,
                              &spectrumFolderList);
}

void forgetInEditors(GPlacer* page) {
    for (GPlacer* p = firstPlacer(); p; p = p->nextPlacer)
        if (p->windowKind() == TypeEditorWindow) {
            EditorWindow* editor = static_cast<EditorWindow*>(p);
            if (editor->spectrumPage == page) editor->spectrumPage = nullptr;
        }
}

// The spectrum's harmonic dialog: form 30 one harmonic, 31 the values that apply to several.
bool runHarmonicDialog(GWindow* owner, i32 form, const char* helpPage, HarmonicRecord* values, u32* applied) {
    HarmonicOneDialog dialog(owner, helpPage);
    if (!buildHarmonicBody(&dialog, ravoText(RavoText::HarmonicValues), (u32)form, *values)) return false;
    if (placeWindowAuto(&dialog, PlaceCentreOnOwner) != 1) return false;
    const u32 bits = dialog.applied();
    applyHarmonicValues(dialog.values, bits, values);
    if (applied) *applied = bits >> 1;
    return true;
}

// An empty spectrum page in the Editor's main window, else a new one there (or in a window of its own).
SpectrumWindow* pageForAnalysis(EditorWindow* editor, bool reuse) {
    GWindow* top = editor->topLevelWindow();
    if (reuse) {
        if (auto* kept = dynamic_cast<SpectrumWindow*>(editor->spectrumPage)) return kept;
        for (GPlacer* p = firstPlacer(); p; p = p->nextPlacer)
            if (auto* page = dynamic_cast<SpectrumWindow*>(p))
                if (!page->hasDocument() && page->topLevelWindow() == top) return page;
    }
    if (auto* main = dynamic_cast<ProgramWindow*>(top)) return dynamic_cast<SpectrumWindow*>(main->addPage(KindSpectrum));
    ProgramWindow* own = createObjectWindow(-1, KindSpectrum, nullptr, 1);
    return own ? dynamic_cast<SpectrumWindow*>(own->currentPage()) : nullptr;
}

// FFT modes 0 (a new page) and 1 (the page of the last analysis, else an empty one).
void showFftOnPage(EditorWindow* editor, SoundBlockProcessor* p, u32 mode) {
    auto* analysis = dynamic_cast<FftAnalysis*>(p->auxObject);
    if (!analysis) return;
    SpectrumWindow* page = pageForAnalysis(editor, mode == 1);
    if (!page) return;
    editor->spectrumPage = page;
    SpectrumHeader header;
    initSpectrumHeader(&header);
    header.sampleRate = p->sampleRate;
    header.fftSize = analysis->fftSize;
    SpectrumCalls::fitAfterFft = appSettings.Editor.Fourier.autoFit != 0;
    page->setHarmonics(analysis->harmonics, header);
}
}  // namespace

void registerSpectrumPage() {
    registerPageMaker(KindSpectrum, makeSpectrumPage);
    forgetSpectrumPage = forgetInEditors;
    SpectrumCalls::runSineGenDialog = runHarmonicDialog;
    fftResultHandler = showFftOnPage;
}
