#include "shell/converter_page.h"

#include "app/child_windows.h"
#include "app/program_file_dialogs.h"
#include "app/window_kinds.h"
#include "tools/converter_window.h"

namespace {
GPlacer* makeConverterPage(GWindow* parent) {
    return new ConverterWindow(parent, programWindowKind(KindConverter), &soundFileDialog, &converterTargetDialog,
                               &soundFolderList);
}
}  // namespace

void registerConverterPage() { registerPageMaker(KindConverter, makeConverterPage); }
