#include "shell/editor_page.h"

#include "app/child_windows.h"
#include "app/program_file_dialogs.h"
#include "app/window_kinds.h"
#include "editor/editor_file_commands.h"
#include "editor/editor_window.h"
#include "editor/file_rows.h"
#include "editor/range_command.h"
#include "editor/track_dialogs.h"
#include "gui/frame/file_placer.h"
#include "gui/frame/object_window.h"
#include "tools/plugin_conversion_task.h"

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
// The Editor's decompression through the codec library's conversion task.
bool decompressWithCodec(GWindow* owner, const char* source, i32 stream, const char* target, JobProgress* progress) {
    try {
        PluginConversionTask task(source, stream, target);
        task.run(owner, progress);
        return true;
    } catch (...) {
        // The task has shown why.
        return false;
    }
}
}  // namespace

void registerEditorPage() {
    registerPageMaker(KindEditor, makeEditorPage);
    openToolPageHook = openToolPage;
    tracksDialogHook = runModifyTracks;
    decompressHook = decompressWithCodec;
    rangeDialogHook = runRangeWindow;
}
