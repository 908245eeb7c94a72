#include "shell/harmonic_page_maker.h"

#include "app/child_windows.h"
#include "app/page_links.h"
#include "app/program_file_dialogs.h"
#include "app/window_kinds.h"
#include "editor/editor_window.h"
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
}  // namespace

void registerSpectrumPage() {
    registerPageMaker(KindSpectrum, makeSpectrumPage);
    forgetSpectrumPage = forgetInEditors;
}
