#include "shell/editor_page.h"

#include "app/child_windows.h"
#include "app/program_file_dialogs.h"
#include "app/window_kinds.h"
#include "editor/editor_window.h"

namespace {
GPlacer* makeEditorPage(GWindow* parent) {
    return new EditorWindow(parent, programWindowKind(KindEditor), &soundFileDialog, &soundFileDialog,
                            &soundFolderList);
}
}  // namespace

void registerEditorPage() { registerPageMaker(KindEditor, makeEditorPage); }
