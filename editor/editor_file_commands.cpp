#include "editor/editor_file_commands.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>

#include "app/app_settings.h"
#include "app/effect_dialogs.h"
#include "app/program_file_dialogs.h"
#include "app/program_texts.h"
#include "app/sound_format_dialogs.h"
#include "core/exceptions.h"
#include "core/gfile.h"
#include "core/system.h"
#include "core/task_queue.h"
#include "core/texts.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/controls/button_row.h"
#include "gui/controls/digit_field.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/dialogs/input_edit_dialog.h"
#include "gui/frame/progress_line.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/message_boxes.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/menus/action_table.h"
#include "mm/riff_block.h"
#include "mm/sound_file.h"
#include "mm/sound_format.h"
#include "mm/sound_store.h"

bool (*openConverterHook)(GWindow* owner, const char* source, const char* target) = nullptr;
bool (*openToolPageHook)(GWindow* owner, u32 kind, const char* path) = nullptr;
void (*rangeDialogHook)(EditorWindow* editor) = nullptr;
bool (*tracksDialogHook)(EditorWindow* editor, SoundFormat* format) = nullptr;

namespace {

// The command ids, looked up once.
struct FileIds {
    u32 backup, unbackup, unbackupMove, deleteBackup, deleteFile, renameFile, gotoPosition, range, tracks,
        analyze, convert, selectPrev, selectBlock, selectNext;
};
const FileIds& ids() {
    static const FileIds table = {
        (u32)actionIdByName("BACKUP_FILE"),   (u32)actionIdByName("UNBACKUP_FILE"),
        (u32)actionIdByName("UNBACKUP_MOVE"), (u32)actionIdByName("DELETE_BACKUP_FILE"),
        (u32)actionIdByName("DELETE_FILE"),   (u32)actionIdByName("RENAME_FILE"),
        (u32)actionIdByName("GOTO"),          (u32)actionIdByName("RANGE"),
        (u32)actionIdByName("TRACKS_MODIFY"), (u32)actionIdByName("ANALYZE_FILE"),
        (u32)actionIdByName("CONVERT_FILE"),  (u32)actionIdByName("SELECT_PREV"),
        (u32)actionIdByName("SELECT_BLOCK"),  (u32)actionIdByName("SELECT_NEXT"),
    };
    return table;
}

enum : u32 { KindConverter = 69, KindAnalyzer = 73 };

GString textF(RavoText id, const char* a, const char* b = "") {
    GString out;
    stringFormat(out, ravoText(id), a, b);
    return out;
}

i32 askBox(const MessageBoxDescription* kind, EditorWindow* e, const GString& text) {
    return showMessageBox(kind, e->window, text.c_str());
}

void infoBox(EditorWindow* e, const GString& text) { showMessageBox(&mbInformation, e->window, text.c_str()); }

void errorBox(EditorWindow* e, const GString& text) { showMessageBox(&mbError, e->window, text.c_str()); }

// A question whose warning switch is off answers yes at once.
bool confirmBySetting(EditorWindow* e, u8 warning, const GString& text) {
    return !warning || askBox(&mbQuestion, e, text) == 6;
}

const char* extensionOf(const char* path) {
    const char* dot = nullptr;
    for (const char* p = path; *p; ++p) {
        if (*p == '.') dot = p;
        else if (*p == '\\' || *p == '/') dot = nullptr;
    }
    return dot ? dot : "";
}

// The progress line as the job's sink.
struct LineJobSink : PlacerJobSink {
    void start(i32, i32) override {
        if (!line) return;
        line->begin(total);
        line->setCaption(caption.c_str());
    }
    void end() override {
        if (line) line->end();
    }
    GProgressLinePlacer* line = nullptr;
    u64 total = 0;
    GString caption;
};

// Reports in the error box over the window, from any thread.
struct BoxErrorHandler : ErrorHandler {
    bool report(const char* text, int) override {
        showMessageBox(&mbError, window, text);
        return false;
    }
    GWindow* window = nullptr;
};

struct LineFileJob : EditorFileJob {
    LineJobSink lineSink;
    BoxErrorHandler handler;
};

// Opens a path in the page once its job is over, then shows a text.
class ReopenTask : public QueuedTask {
public:
    ReopenTask(EditorWindow* e, const char* path, const GString& text) : editor(e), path(path), text(text) {}
    void run() override {
        editor->loadDocument(path.c_str(), nullptr);
        if (!text.empty()) infoBox(editor, text);
    }
    EditorWindow* editor;
    GString path, text;
};

bool startFileJob(EditorWindow* e, LineFileJob* job, u32 action, u64 total) {
    if (e->running() || e->job) {
        delete job;
        return false;
    }
    job->action = action;
    job->total = total;
    job->progress = e->progressLine;
    job->handler.window = e->window;
    job->lineSink.line = e->progressLine;
    job->lineSink.total = std::max<u64>(total, 1);
    job->lineSink.caption = runningCaption(action);
    job->sink = &job->lineSink;
    e->pane->suspendReading();
    return e->runJobInBackground(job);
}

// ---- saving ----

struct SaveJob : LineFileJob {
    bool perform(EditorWindow* e) override {
        const u32 kind = (e->format.flags & formatOwn) ? soundFileRavo : soundFileWave;
        // The document's own file is written as its registry record's borrower: the other holders
        // hear of the write.
        GFile lent;
        const bool own = (mode & SaveOwnFile) && e->fileHolder.record;
        if (own && !OpenFileRegistry::reopen(lent, &e->fileHolder, RegistryMode::SafeReplace | RegistryMode::OthersWait))
            return false;
        bool ok = saveSoundFile(path.c_str(), kind, &e->format, &e->store, progress, &handler, nullptr, &written);
        if (own) ok = OpenFileRegistry::endReopen(lent) && ok;
        return ok;
    }
    void done(EditorWindow* e, bool ok) override {
        if (!ok) return;
        // Every change record points into the old files: the history starts again on the new one.
        e->history.reset();
        if (!e->store.isSourceFile(path.c_str())) e->store.reopen(path.c_str(), written);
        e->dataStart = e->store.dataOffset;
        e->dataLength = e->store.length;
        e->pane->setSound(&e->store, e->dataStart, e->dataLength, &e->format);
        e->undoWarningThreshold = appSettings.Editor.workFileLimit;
        e->finishSave(path.c_str(), mode);
        e->updateViews();
    }
    GString path;
    u32 mode = 0;
    StoreSource written;
};

// ---- backups ----

struct CopyJob : LineFileJob {
    bool perform(EditorWindow*) override {
        if (!copyFileWithProgress(from.c_str(), to.c_str(), progress, &handler)) return false;
        if (progress) progress->report(total, nullptr);
        return true;
    }
    void done(EditorWindow* e, bool ok) override {
        if (!reopen) {
            if (ok) infoBox(e, textF(RavoText::FileBackupMade, to.c_str(), from.c_str()));
            return;
        }
        // The page opens the file again once the job has left it.
        GString text = ok ? textF(RavoText::FileBackupRestored, from.c_str(), to.c_str()) : GString();
        TaskQueue::enqueue(e->pendingTasks, new ReopenTask(e, to.c_str(), text));
    }
    GString from, to;
    bool reopen = false;  // the document's file was released for the copy
};

bool backupExists(const char* path) {
    if (!path || !*path) return false;
    GString name = backupNameOf(path);
    return pathIsFile(name.c_str());
}

void runBackup(EditorWindow* e) {
    const char* path = e->documentPath();
    if (!path) return;
    GString backup = backupNameOf(path);
    if (pathExists(backup.c_str()) && askBox(&mbQuestion, e, textF(RavoText::FileBackupExists, backup.c_str())) != 6)
        return;
    CopyJob* job = new CopyJob;
    job->from = path;
    job->to = backup;
    i64 size = fileSizeByName(path);
    startFileJob(e, job, ids().backup, size > 0 ? (u64)size : 1);
}

// The document's file and its backup, or without a document the backup chosen in a dialog.
bool chooseBackup(EditorWindow* e, GString& file, GString& backup) {
    if (e->hasDocument && e->documentPath()) {
        file = e->documentPath();
        backup = backupNameOf(file.c_str());
        return true;
    }
    GFileDialog* dialog = &backupFileDialog;
    const char* title = dialog->ofn.lpstrTitle;
    dialog->ofn.lpstrTitle = ravoText(RavoText::FileUnbackupTitle);
    bool chosen = runFileDialog(dialog, 0, e->window, FileOpenOne);
    dialog->ofn.lpstrTitle = title;
    if (!chosen) return false;
    backup = dialog->nameBuffer;
    const char* ext = extensionOf(backup.c_str());
    stringAssign(file, backup.c_str(), (u32)(ext - backup.c_str()));
    return true;
}

// The questions before a restore: both files found, unsaved changes given up, the file overwritten.
bool askRestore(EditorWindow* e, const GString& file, const GString& backup) {
    if (!pathIsFile(backup.c_str())) {
        errorBox(e, textF(RavoText::FileBackupMissing, backup.c_str()));
        return false;
    }
    if (e->hasDocument && !pathIsFile(file.c_str())) {
        errorBox(e, textF(RavoText::FileMissing, file.c_str()));
        return false;
    }
    if (e->hasDocument && e->modified && askBox(&mbQuestion, e, GString(ravoText(RavoText::FileDropChanges))) != 6)
        return false;
    if (pathExists(file.c_str()) && askBox(&mbWarning, e, textF(RavoText::FileOverwrite, file.c_str())) != 6)
        return false;
    return true;
}

// Lets go of the document's file (the store reads it) so that it can be replaced.
bool releaseDocument(EditorWindow* e, const GString& file) {
    if (!e->hasDocument || !e->isAttachedFile(file.c_str())) return false;
    e->modified = 0;
    e->newDocument();
    e->notifyPage(PageTitleChanged);
    e->notifyPage(PageStateChanged);
    return true;
}

void runUnbackup(EditorWindow* e) {
    GString file, backup;
    if (!chooseBackup(e, file, backup) || !askRestore(e, file, backup)) return;
    CopyJob* job = new CopyJob;
    job->from = backup;
    job->to = file;
    job->reopen = releaseDocument(e, file) || !e->hasDocument;
    i64 size = fileSizeByName(backup.c_str());
    startFileJob(e, job, ids().unbackup, size > 0 ? (u64)size : 1);
}

bool replaceByRename(const char* from, const char* to, ErrorHandler* handler) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) return true;
    reportToHandler(handler, coreText(CoreText::CannotRenameFile), nullptr, from, 0);
    return false;
}

void runUnbackupMove(EditorWindow* e) {
    GString file, backup;
    if (!chooseBackup(e, file, backup) || !askRestore(e, file, backup)) return;
    const bool reopen = releaseDocument(e, file);
    WindowErrorHandler handler(e->window, 2);
    const bool moved = replaceByRename(backup.c_str(), file.c_str(), &handler);
    if (reopen) e->loadDocument(file.c_str(), nullptr);
    e->relayoutViews();
    if (moved && e->hasDocument) infoBox(e, textF(RavoText::FileBackupRestored, backup.c_str(), file.c_str()));
}

void runDeleteBackup(EditorWindow* e) {
    GString backup;
    if (e->hasDocument && e->documentPath()) {
        backup = backupNameOf(e->documentPath());
    } else {
        GFileDialog* dialog = e->openDialog;
        if (!dialog || !runFileDialog(dialog, 0, e->window, FileOpenOne)) return;
        backup = dialog->nameBuffer;
    }
    if (!pathIsFile(backup.c_str())) {
        errorBox(e, textF(RavoText::FileBackupMissing, backup.c_str()));
        return;
    }
    WindowErrorHandler handler(e->window, 2);
    if (!deleteFile(backup.c_str(), &handler)) return;
    infoBox(e, textF(RavoText::FileBackupDeleted, backup.c_str()));
}

// ---- delete and rename ----

void runDelete(EditorWindow* e) {
    GString file;
    if (e->hasDocument) {
        if (!e->documentPath()) return;
        file = e->documentPath();
        if (askBox(&mbQuestion, e, textF(RavoText::FileDeleteQuestion, file.c_str())) != 6) return;
        e->modified = 0;
        e->onCloseCommand();
        if (e->hasDocument) return;
    } else {
        GFileDialog* dialog = e->openDialog;
        if (!dialog || !runFileDialog(dialog, 0, e->window, FileOpenOne)) return;
        file = dialog->nameBuffer;
    }
    WindowErrorHandler handler(e->window, 2);
    // A file already gone counts as deleted.
    if (!deleteFile(file.c_str(), &handler)) return;
    GString backup = backupNameOf(file.c_str());
    if (pathIsFile(backup.c_str())) {
        if (askBox(&mbQuestion, e, textF(RavoText::FileDeleteBackupToo, backup.c_str())) != 6) return;
        if (!deleteFile(backup.c_str(), &handler)) return;
    }
    infoBox(e, textF(RavoText::FileDeleted, file.c_str()));
}

// The new name as typed: a bare name stays in the file's folder.
GString renameTarget(const char* file, const char* typed) {
    if (std::strchr(typed, '\\') || std::strchr(typed, '/') || std::strchr(typed, ':')) return GString(typed);
    const char* cut = file;
    for (const char* p = file; *p; ++p)
        if (*p == '\\' || *p == '/') cut = p + 1;
    GString out;
    stringAssign(out, file, (u32)(cut - file));
    stringAppend(out, typed);
    return out;
}

void runRename(EditorWindow* e) {
    GString file;
    if (e->hasDocument) {
        if (!e->documentPath()) return;
        file = e->documentPath();
    } else {
        GFileDialog* dialog = e->openDialog;
        if (!dialog || !runFileDialog(dialog, 0, e->window, FileOpenOne)) return;
        file = dialog->nameBuffer;
    }
    const char* shown = file.c_str();
    for (const char* p = shown; *p; ++p)
        if (*p == '\\' || *p == '/') shown = p + 1;
    GString typed;
    if (!GInputEditStrDialog::run(e->window, ravoText(RavoText::FileRenameTitle), ravoText(RavoText::FileRenamePrompt),
                                  shown, typed, 260))
        return;
    GString target = renameTarget(file.c_str(), typed.c_str());
    if (_stricmp(target.c_str(), file.c_str()) == 0) return;
    // A file another page holds is never replaced.
    GFilePlacer* holder = findWindowForFile(TypeEditorWindow, target.c_str());
    if (holder || OpenFileRegistry::recordOf(target.c_str())) {
        errorBox(e, textF(RavoText::EditorFileHeld, target.c_str()));
        return;
    }
    WindowErrorHandler handler(e->window, 2);
    if (pathExists(target.c_str())) {
        if (askBox(&mbWarning, e, textF(RavoText::FileOverwrite, target.c_str())) != 6) return;
        if (!deleteFile(target.c_str(), &handler)) return;
    }
    const bool reopen = releaseDocument(e, file);
    const bool moved = moveFile(file.c_str(), target.c_str(), &handler);
    if (reopen) e->loadDocument(moved ? target.c_str() : file.c_str(), nullptr);
}

// ---- going to a position ----

void runGoto(EditorWindow* e) {
    WavePane* pane = e->pane;
    const u32 rate = std::max<u32>(e->format.sampleRate, 1);
    const u64 frames = pane->frameCount;
    SampleCountRecord position = {(u32)std::min<u64>(pane->cursor, 0xFFFFFFFFull), rate};
    DurationDialog dialog(e->window, "goto.htm");
    if (!createTopLevelWindow(&dialog, WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, ravoText(RavoText::FileGotoTitle)))
        return;
    GLayoutBuilder builder(&dialog);
    GColumnsItem* body = new GColumnsItem(&dialog);
    builder.pushContainer(body, "88488", nullptr);
    dialog.setContent(body);
    SampleCountRange range = {0, 0, (u32)std::min<u64>(frames, 0xFFFFFFFFull), -1};
    addDigitField(builder, ravoText(RavoText::FileGotoPosition), &position, range, rate, nullptr, "UC");
    GButtonRow::create(builder, "OCH");
    builder.endContainer();
    dialog.fitToContent();
    if (runModal(&dialog) != 1) return;
    pane->showCursorAt(position.count);
    pane->setCursor(position.count);
}

// ---- tool pages ----

void openToolPage(EditorWindow* e, u32 kind) {
    if (kind == KindConverter) e->history.reset();
    if (openToolPageHook) openToolPageHook(e->window, kind, e->documentPath() ? e->documentPath() : "");
}

}  // namespace

bool runTrackChoice(EditorWindow* e) {
    if (!tracksDialogHook) return false;
    SoundFormat copy = e->format;
    if (!tracksDialogHook(e, &copy)) return false;
    refreshAfterReload(e, copy);
    return true;
}

GString backupNameOf(const char* path) {
    GString out(path ? path : "");
    if (out.empty()) return out;
    if (out.last() != '.') stringAppendChar(out, '.');
    stringAppend(out, "bak");
    return out;
}

GString safePartName(const char* name) {
    GString kept;
    for (const char* p = name ? name : ""; *p; ++p) {
        const char c = *p;
        if (c == '\\' || c == '/' || c == ':' || (u8)c < 32 || std::strchr("*?\"<>|", c)) continue;
        if (c == '.' && p[1] == '.') {
            while (p[1] == '.') ++p;
            continue;
        }
        stringAppendChar(kept, c);
    }
    // Leading dots and spaces would make a hidden or empty name.
    const char* start = kept.c_str();
    while (*start == '.' || *start == ' ') ++start;
    GString out(start);
    // A reserved device name as the stem opens the device instead of a file.
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "COM1", "COM2", "COM3", "COM4", "COM5",
                                          "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4",
                                          "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    const char* dot = std::strchr(out.c_str(), '.');
    const size_t stem = dot ? (size_t)(dot - out.c_str()) : out.length;
    for (const char* d : devices)
        if (std::strlen(d) == stem && _strnicmp(out.c_str(), d, stem) == 0) stringInsert(out, 0, "_");
    return out;
}

GString splitPartPath(const char* folder, const char* blockName, u32 index) {
    GString out(folder ? folder : "");
    if (!out.empty() && out.last() != '\\' && out.last() != '/') stringAppendChar(out, '\\');
    GString name = safePartName(blockName);
    stringAppend(out, name.empty() ? "unnamed" : name.c_str());
    stringAppendFormat(out, ".%03u.wav", index);
    return out;
}

bool saveToPath(EditorWindow* e, const char* path, u32 mode) {
    if (!e->hasDocument || !path || !*path) return false;
    if (!(mode & SaveOwnFile)) {
        GFilePlacer* holder = findWindowForFile(TypeEditorWindow, path);
        if (holder && holder != e) {
            errorBox(e, textF(RavoText::EditorFileHeld, path));
            return false;
        }
        const char* own = e->documentPath();
        if (own && std::strcmp(extensionOf(own), extensionOf(path)) != 0) {
            if (confirmBySetting(e, appSettings.Editor.switchToConverterWarning,
                                 textF(RavoText::FileSwitchToConverter, path, own)) &&
                openConverterHook)
                openConverterHook(e->window, own, path);
            return false;
        }
    } else if (!e->modified) {
        return false;
    }
    if (!e->samplesPresent) return false;
    SaveJob* job = new SaveJob;
    job->path = path;
    job->mode = mode;
    return startFileJob(e, job, FileCommandSaveAs, std::max<u64>(e->dataLength, 1));
}

i32 editorFileCommandState(EditorWindow* e, u32 id) {
    const FileIds& f = ids();
    if (id == f.unbackup || id == f.unbackupMove || id == f.deleteBackup) {
        if (!e->hasDocument) return 0;
        return backupExists(e->documentPath()) ? 0 : 1;
    }
    if (id == f.range) return rangeDialogHook ? 2 : 1;
    if (id == f.tracks) return tracksDialogHook ? 2 : 1;
    return 2;
}

bool runEditorFileCommand(EditorWindow* e, u32 id, GStateQuery*) {
    const FileIds& f = ids();
    if (id == f.backup) runBackup(e);
    else if (id == f.unbackup) runUnbackup(e);
    else if (id == f.unbackupMove) runUnbackupMove(e);
    else if (id == f.deleteBackup) runDeleteBackup(e);
    else if (id == f.deleteFile) runDelete(e);
    else if (id == f.renameFile) runRename(e);
    else if (id == f.gotoPosition) runGoto(e);
    else if (id == f.range) {
        if (rangeDialogHook) rangeDialogHook(e);
    } else if (id == f.tracks) runTrackChoice(e);
    else if (id == f.analyze) openToolPage(e, KindAnalyzer);
    else if (id == f.convert) openToolPage(e, KindConverter);
    else if (id == f.selectBlock) e->selectBlock(-1);
    else if (id == f.selectPrev) {
        if (e->currentBlock > 0) e->selectBlock(e->currentBlock - 1);
    } else if (id == f.selectNext) {
        if (e->currentBlock + 1 < (i32)e->blockNames.size()) e->selectBlock(e->currentBlock + 1);
    } else return false;
    return true;
}

bool refreshAfterReload(EditorWindow* e, const SoundFormat& format) {
    if (&format != &e->format) e->format = format;
    e->format.rebuildSelectionMask();
    // The strips name the format as it is now.
    SoundFormatBlock block;
    GString name;
    if (buildFormatBlock(&block, &e->format, nullptr) && formatName(&name, block.format())) e->soundFormatName = name;
    e->relayoutViews();
    return true;
}

bool runFileAction(EditorWindow* e, const char* path) {
    if (!e->openPath(path) || !e->samplesPresent) return false;
    const u32 rate = std::max<u32>(e->format.sampleRate, 1);
    const u64 frames = appSettings.Editor.newFilePeriod.countAt(rate);
    SoundBlockProcessor* made = createProcessorForEncoding(e->format.encoding, &e->errorHandler);
    if (!made) return false;
    const u64 end = e->dataStart + e->dataLength;
    made->bind((u32)actionIdByName("SETSIZE"), &e->format, &e->store, e->dataStart, e->dataStart,
               e->dataStart + frames * e->format.bytesPerFrame, end, 0);
    return e->runAction(made);
}

bool createNewSound(EditorWindow* e) {
    if (e->hasDocument || !runFormatDialog(e->window)) return false;
    GFileDialog* dialog = e->saveDialog;
    if (!dialog) return false;
    if (!runFileDialog(dialog, e->historyKind(), e->window, FileSave)) return false;
    return true;
}

bool writeBlockAsWave(BlockBase* node, GFile* source, const char* target, JobProgress* progress,
                      ErrorHandler* handler) {
    RiffListBlock* list = dynamic_cast<RiffListBlock*>(node);
    GFile file(handler);
    if (!fileOpen(file, target, FileMode::WriteReplace)) return false;
    const u32 id = node->id;
    const u32 form = list ? list->formType : 0;
    node->id = ChunkId::Riff;
    if (list) list->formType = ChunkId::Wave;
    bool ok = false;
    try {
        ok = node->write(source, file, progress);
    } catch (...) {
        node->id = id;
        if (list) list->formType = form;
        commitSavedFile(file, target, false);
        throw;
    }
    node->id = id;
    if (list) list->formType = form;
    return commitSavedFile(file, target, ok);
}
