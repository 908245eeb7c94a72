// The Editor's RECORD command: the record and recording dialogs around a record-fragment
// processor, the target range and end rule from the recording settings, and one undo step.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>

#include "app/app_settings.h"
#include "app/program_texts.h"
#include "editor/edit_record.h"
#include "editor/editor_window.h"
#include "editor/editor_file_commands.h"
#include "editor/record_dialogs.h"
#include "editor/record_fragment.h"
#include "editor/wave_pane.h"
#include "gui/kernel/message_boxes.h"
#include "gui/kernel/modal_run.h"
#include "mm/mm_settings.h"

// Replaceable for tests: the processor a record command uses.
RecordFragmentProcessor* (*makeRecordProcessor)() = [] {
    return new RecordFragmentProcessor(&multimediaSettings().sound.record, multimediaSettings().sound.recorder);
};

void EditorWindow::recordFragment() {
    format.rebuildSelectionMask();
    i32 tracks = format.selectedTrackCount();
    if (tracks < 1 || tracks > 2) {
        // The count is shown, then the track dialog; one or two tracks must be selected after it.
        char text[256];
        std::snprintf(text, sizeof text, ravoText(RavoText::RecordTrackCount), tracks);
        showMessageBox(&mbInformation, window, text);
        runTrackChoice(this);
        format.rebuildSelectionMask();
        tracks = format.selectedTrackCount();
        if (tracks < 1 || tracks > 2) return;
    }
    std::unique_ptr<RecordFragmentProcessor> processor(makeRecordProcessor());
    if (!processor->start(format)) {
        processor->endRecording(window);
        relayoutViews();
        return;
    }
    {
        RecordDialog choice(window, processor.get());
        if (!choice.build(format.sampleRate) || runModal(&choice) != 1) {
            processor->stopAndWait();
            processor->endRecording(window);
            relayoutViews();
            return;
        }
    }

    const RecordSettings& r = appSettings.Editor.Record;
    const u64 fb = std::max<u32>(format.bytesPerFrame, 1);
    const bool inserting = r.writeMode == 0;
    u64 start, end;
    if (r.positionMode == 1 && !inserting) {
        start = dataStart + pane->selStart * fb;
        end = dataStart + pane->selEnd * fb;
        if (start >= end) {
            showMessageBox(&mbError, window, ravoText(RavoText::EditorNoSelection));
            processor->stopAndWait();
            processor->endRecording(window);
            return;
        }
    } else {
        start = end = dataStart + pane->cursor * fb;
    }
    i32 silenceLevel = 0;
    u32 silenceMs = 0;
    if (r.end.mode == 1) {
        const u64 limit = (u64)r.end.delay.countAt(format.sampleRate) * fb;
        if (start == end || start + limit < end) end = start + limit;
    } else if (r.end.mode == 2) {
        silenceLevel = (i32)r.end.level.sampleValue;
        silenceMs = r.end.silenceTime.rate ? (u32)((u64)r.end.silenceTime.count * 1000 / r.end.silenceTime.rate) : 0;
    }
    processor->setPositions(&store, inserting, start, end, dataStart + dataLength, r.writeMode == 1, silenceLevel,
                            silenceMs);

    pane->suspendReading();
    const bool locked = store.lock(&errorHandler);
    if (locked) {
        RecordProcessDialog run(window, processor.get());
        if (run.build(format)) runModal(&run);
    }
    processor->stopAndWait();
    const u64 oldLength = store.length;
    const bool entered = processor->endRecording(window);
    const u64 count = entered ? processor->recordedBytes() : 0;
    if (count) {
        auto* edit = new EditRecord;
        edit->selectionBefore[0] = pane->selStart;
        edit->selectionBefore[1] = pane->selEnd;
        edit->cursorBefore = pane->cursor;
        const u64 removed = oldLength + count - store.length;
        onRangeChanged(edit, start, removed, count);
        std::vector<Change> done;
        {
            std::lock_guard<std::mutex> hold(changeLock);
            done.swap(changes);
        }
        takeDataLength();
        for (const Change& c : done) {
            auto* moved = new PanePositionsOperation(pane, c.position, c.oldLength, c.newLength);
            moved->apply();
            edit->add(moved);
        }
        pane->setSelection((start - dataStart) / fb, (start - dataStart + count) / fb);
        edit->selectionAfter[0] = pane->selStart;
        edit->selectionAfter[1] = pane->selEnd;
        edit->cursorAfter = pane->cursor;
        setModified(true);
        history.execute(edit);
    }
    if (locked) store.unlock();
    pane->resumeReading();
    relayoutViews();
    updateViews();
}
