#include "shell/harmonic_page_maker.h"

#include "app/child_windows.h"
#include "app/program_file_dialogs.h"
#include "app/window_kinds.h"
#include "spectrum/harmonic_window.h"

namespace {
GPlacer* makeSpectrumPage(GWindow* parent) {
    return new SpectrumWindow(parent, programWindowKind(KindSpectrum), &spectrumFileDialog, &spectrumFileDialog,
                              &spectrumFolderList);
}
}  // namespace

void registerSpectrumPage() { registerPageMaker(KindSpectrum, makeSpectrumPage); }
