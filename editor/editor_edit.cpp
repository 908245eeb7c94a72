// The Editor's edits: making the processor, running it at once or in the background, the undo
// record it leaves, rolling back a stopped edit, undo and redo.
#include <algorithm>

#include "app/app_settings.h"
#include "app/program_texts.h"
#include "core/error.h"
#include "core/exceptions.h"
#include "editor/edit_record.h"
#include "editor/editor_file_commands.h"
#include "editor/editor_menus.h"
#include "editor/editor_options.h"
#include "editor/editor_window.h"
#include "editor/rate_change.h"
#include "editor/wave_pane.h"
#include "gui/frame/progress_line.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/message_boxes.h"
#include "gui/menus/action_table.h"
#include "gui/menus/action_texts.h"
#include "mm/plugin_host.h"

namespace {

// The progress line as the job's sink, captioned with the edit.
class LineSink : public PlacerJobSink {
public:
    void start(i32, i32) override {
        line->begin(total);
        line->setCaption(caption.c_str());
    }
    void end() override { line->end(); }

    GProgressLinePlacer* line = nullptr;
    u64 total = 0;
    GString caption;
};

struct EditJob : PlacerJob {
    LineSink lineSink;
};

u64 toFrame(u64 position, u64 start, u32 frameBytes) {
    return position <= start ? 0 : (position - start) / std::max<u32>(frameBytes, 1);
}

}  // namespace

GString runningCaption(u32 id) {
    GString title;
    if (id >= firstDynamicItemId) {
        const u32 index = id - firstDynamicItemId;
        if (VstPlugin* plugin = index < vstPluginList().count ? vstPluginAt(index) : nullptr)
            stringAssignText(title, plugin->name());
    } else if (const GActionItem* action = actionById((i32)id)) {
        title = actionTitleWithShortcut(action);
    }
    GString caption;
    stringFormat(caption, "%s%s'...", ravoText(RavoText::EditorRunning), title.c_str());
    return caption;
}

SoundBlockProcessor* EditorWindow::createSoundBlockProcessor(u32 id) {
    SlotCall call;
    // The file rows work on the file, not its samples: any sound reaches them.
    const bool fileRow = !slotForAction(id, &call);
    if (!hasDocument || (!fileRow && (!samplesPresent || dataLength == 0))) {
        showMessageBox(&mbError, window, ravoText(RavoText::EditorEmptySound));
        return nullptr;
    }
    const u64 fb = std::max<u32>(format.bytesPerFrame, 1);
    u64 from = dataStart, to = dataStart + dataLength;
    i32 flags = actionFlags(id);
    if (flags & (ActSelection | ActNonEmptySelection)) {
        bool anyTrack = false;
        for (u32 t = 0; t < format.trackCount(); ++t) anyTrack = anyTrack || (format.tracks[t].flags & trackSelected);
        if (!anyTrack) {
            showMessageBox(&mbError, window, ravoText(RavoText::EditorNoTrack));
            return nullptr;
        }
        if (pane->selStart < pane->selEnd) {
            from = dataStart + pane->selStart * fb;
            to = std::min(dataStart + pane->selEnd * fb, dataStart + dataLength);
        } else if (!askYesNo(ravoText(RavoText::EditorWholeSound))) {
            return nullptr;
        }
    }
    format.rebuildSelectionMask();
    SoundBlockProcessor* made = createProcessorForEncoding(fileRow ? encodingInt16 : format.encoding, &errorHandler);
    if (!made) return nullptr;
    made->bind(id, &format, &store, dataStart, from, to, dataStart + dataLength,
               edgeFadeBytesFor(appSettings.Editor.smoothing != 0, appSettings.Editor.smoothTime, format.sampleRate,
                                format.bytesPerFrame));
    made->param1 = 1.0;
    return made;
}

bool EditorWindow::beginRun(SoundBlockProcessor* made) {
    if (running() || job) return false;
    pane->suspendReading();
    if (!store.lock(&errorHandler)) {
        pane->resumeReading();
        return false;
    }
    processor = made;
    processor->owner = this;
    // A stopped run goes back whole: nothing after the stop needs writing.
    processor->ownerRollsBackStops = true;
    record = new EditRecord;
    record->selectionBefore[0] = pane->selStart;
    record->selectionBefore[1] = pane->selEnd;
    record->cursorBefore = pane->cursor;
    processor->undoRecord = processor->ownedUndoRecord = record;
    {
        std::lock_guard<std::mutex> hold(changeLock);
        changes.clear();
    }
    return true;
}

bool EditorWindow::runNow() {
    EditJob* edit = new EditJob;
    edit->action = processor->actionId;
    processor->progress = nullptr;
    bool done = false;
    try {
        done = runJobNow(edit);
    } catch (...) {
        // The job is over; what was recorded goes back.
        afterJob(edit);
        done = false;
    }
    delete edit;
    if (trial)
        finishTrial(done);
    else
        finishRun(done);
    return done;
}

bool EditorWindow::runAction(SoundBlockProcessor* made) {
    if (!beginRun(made)) {
        delete made;
        return false;
    }
    if (processor->rangeLength <= kEditAtOnceBytes) return runNow();
    EditJob* edit = new EditJob;
    edit->action = processor->actionId;
    edit->lineSink.line = progressLine;
    edit->lineSink.total = processor->rangeLength;
    edit->lineSink.caption = runningCaption(processor->actionId);
    edit->sink = &edit->lineSink;
    processor->progress = progressLine;
    return runJobInBackground(edit);
}

EditRecord* EditorWindow::runTrial(SoundBlockProcessor* p) {
    if (!beginRun(p)) return nullptr;
    struct TrialScope {
        bool& on;
        explicit TrialScope(bool& flag) : on(flag) { on = true; }
        ~TrialScope() { on = false; }
    } scope(trial);
    runNow();
    EditRecord* made = trialRecord;
    trialRecord = nullptr;
    return made;
}

void EditorWindow::finishTrial(bool succeeded) {
    recordPositionChanges();
    processor->ownedUndoRecord = nullptr;
    processor->undoRecord = nullptr;
    processor = nullptr;
    EditRecord* edit = record;
    record = nullptr;
    if (succeeded) {
        trialRecord = edit;
    } else {
        edit->undo(0, nullptr);
        delete edit;
    }
    takeDataLength();
    pane->resumeReading();
    updateViews();
}

void EditorWindow::undoTrial(EditRecord* made) {
    if (!made) return;
    pane->suspendReading();
    made->undo(0, nullptr);
    applyRecordPositions(made, false);
    delete made;
    takeDataLength();
    pane->resumeReading();
    updateViews();
}

bool EditorWindow::performJob(PlacerJob* j) {
    if (auto* file = dynamic_cast<EditorFileJob*>(j)) return file->perform(this);
    SlotCall call;
    if (!processor) return false;
    if (!slotForAction(processor->actionId, &call)) return fileRowHandler(this, processor);
    processor->runSlot(call.slot, call.argument, call.argument2);
    return !(processor->progress && processor->progress->isCancelled());
}

void EditorWindow::afterJob(PlacerJob* j) {
    if (dynamic_cast<EditorFileJob*>(j)) return;
    if (store.locked) store.unlock();
}

void EditorWindow::jobSucceeded(PlacerJob* j) {
    if (auto* file = dynamic_cast<EditorFileJob*>(j)) return finishFileJob(file, true);
    finishRun(true);
}

void EditorWindow::jobFailed(PlacerJob* j) {
    if (auto* file = dynamic_cast<EditorFileJob*>(j)) return finishFileJob(file, false);
    finishRun(false);
}

void EditorWindow::finishFileJob(EditorFileJob* file, bool succeeded) {
    pane->resumeReading();
    file->done(this, succeeded);
    updateViews();
}

void EditorWindow::onRangeChanged(GCommonObject* undoRecord, u64 position, u64 oldLength, u64 newLength) {
    auto* edit = dynamic_cast<EditRecord*>(undoRecord);
    if (ChangeRecord* change = store.takePendingChange()) {
        // A change of nothing into nothing is no step.
        if (edit && (oldLength || newLength)) edit->add(new StoreChangeOperation(&store, change));
        else delete change;
    }
    // Bookmarks and positions move on the interface thread, after the run.
    std::lock_guard<std::mutex> hold(changeLock);
    changes.push_back(Change{position, oldLength, newLength});
}

void EditorWindow::onChangeFinished() { recordFinished = true; }

void EditorWindow::recordPositionChanges() {
    std::vector<Change> done;
    {
        std::lock_guard<std::mutex> hold(changeLock);
        done.swap(changes);
    }
    for (const Change& c : done) {
        if (!c.oldLength && !c.newLength) continue;
        auto* moved = new PanePositionsOperation(pane, c.position, c.oldLength, c.newLength);
        moved->apply();
        record->add(moved);
    }
}

void EditorWindow::finishRun(bool succeeded) {
    recordPositionChanges();
    SoundBlockProcessor* p = processor;
    EditRecord* edit = record;
    p->ownedUndoRecord = nullptr;
    p->undoRecord = nullptr;
    record = nullptr;
    i32 flags = actionFlags(p->actionId);
    if (!succeeded) {
        edit->undo(0, nullptr);
        delete edit;
        takeDataLength();
        TaskQueue::clear(commandTasks);
        tasksArmed = 0;
    } else {
        checkUndoDisk();
        if (p->flags & clippedFlag) showMessageBox(&mbInformation, window, ravoText(RavoText::EditorClipped));
        if (p->flags & shortRangeFlag) showMessageBox(&mbInformation, window, ravoText(RavoText::EditorShortRange));
        if (flags & ActLengthChanges) takeDataLength();
        const u32 fb = format.bytesPerFrame;
        const u64* at = p->extraPositions;
        if (at[newSelectionStart] != unsetPosition && at[newSelectionEnd] != unsetPosition)
            pane->setSelection(toFrame(at[newSelectionStart], dataStart, fb), toFrame(at[newSelectionEnd], dataStart, fb));
        if (at[newCursor] != unsetPosition) pane->setCursor(toFrame(at[newCursor], dataStart, fb));
        if (p->actionId == EditorChangeRate) finishRateChange(this, p, edit);
        edit->selectionAfter[0] = pane->selStart;
        edit->selectionAfter[1] = pane->selEnd;
        edit->cursorAfter = pane->cursor;
        if (edit->empty()) {
            delete edit;
        } else {
            if (flags & ActMarksModified) setModified(true);
            u32 result = history.execute(edit);
            if (result & UndoFailed) {
                processor = nullptr;
                delete p;
                pane->resumeReading();
                throw GException();
            }
        }
        reportResult(p);
        requeueTasks();
    }
    processor = nullptr;
    delete p;
    pane->resumeReading();
    updateViews();
}

void EditorWindow::checkUndoDisk() {
    const EditorSettings& e = appSettings.Editor;
    if (!e.undoDiskLimitWarning || !undoWarningThreshold || (u64)store.workEnd <= undoWarningThreshold) return;
    undoWarningThreshold = (u64)store.workEnd * 2;
    GString text;
    stringFormat(text, ravoText(RavoText::EditorUndoDiskWarning), (f64)(u64)store.workEnd / 1048576.0);
    showEditorNotice(window, text.c_str(), EditorOptionsUndo);
}

void EditorWindow::applyRecordPositions(EditRecord* edit, bool after) {
    if (!edit) return;
    const u64* selection = after ? edit->selectionAfter : edit->selectionBefore;
    pane->setSelection(selection[0], selection[1]);
    pane->setCursor(after ? edit->cursorAfter : edit->cursorBefore);
}

u32 EditorWindow::undo() {
    if (running() || !history.canUndo()) return 1;
    auto* edit = dynamic_cast<EditRecord*>(history.current);
    pane->suspendReading();
    u32 result = history.undo();
    takeDataLength();
    applyRecordPositions(edit, false);
    setModified(history.canUndo());
    pane->resumeReading();
    return result;
}

u32 EditorWindow::redo() {
    if (running() || !history.canRedo()) return 1;
    NamedOperation* next = history.current ? history.current->next : history.commands.head;
    auto* edit = dynamic_cast<EditRecord*>(next);
    pane->suspendReading();
    u32 result = history.redo();
    takeDataLength();
    applyRecordPositions(edit, true);
    setModified(true);
    pane->resumeReading();
    return result;
}
