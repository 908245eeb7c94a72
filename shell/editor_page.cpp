#include "shell/editor_page.h"

#include "app/child_windows.h"
#include "app/program_file_dialogs.h"
#include "app/window_kinds.h"
#include "editor/editor_file_commands.h"
#include "editor/editor_window.h"
#include "editor/range_command.h"
#include "gui/frame/file_placer.h"
#include "gui/frame/object_window.h"

namespace {
GPlacer* makeEditorPage(GWindow* parent) {
    return new EditorWindow(parent, programWindowKind(KindEditor), &soundFileDialog, &soundFileDialog,
                            &soundFolderList);
}
// The analyzer (or, once there is one, the converter) as a page of the Editor's main window.
bool openToolPage(GWindow* owner, u32 kind, const char* path) {
    while (owner && !owner->item()->asParentWindow()) owner = owner->ownerWindow();
    auto* top = owner ? static_cast<GParentWindow*>(owner->item()->asParentWindow()) : nullptr;
    if (!top || !top->isKindOf(TypeObjectWindow)) return false;
    return openDocumentInWindow(top, kind, path) != nullptr;
}
}  // namespace

void registerEditorPage() {
    registerPageMaker(KindEditor, makeEditorPage);
    openToolPageHook = openToolPage;
    rangeDialogHook = runRangeWindow;
}
