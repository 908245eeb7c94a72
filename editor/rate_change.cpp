#include "editor/rate_change.h"

#include "app/program_texts.h"
#include "app/sound_format_dialogs.h"
#include "editor/edit_record.h"
#include "editor/editor_file_commands.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "engine/processor.h"
#include "gui/menus/action_table.h"

namespace {

// What the dialog answered, kept by the processor until the run is over.
struct RateRequest : GCommonObject {
    u32 oldRate = 0, newRate = 0;
    u64 selection[2] = {0, 0};
};

}  // namespace

u64 mapFrameToRate(u64 frame, u32 oldRate, u32 newRate) {
    if (!oldRate) return frame;
    return (u64)((i64)(frame * (u64)newRate) / (i64)oldRate);
}

i32 prepareRateChange(EditorWindow* e, SoundBlockProcessor* p) {
    const u32 oldRate = e->format.sampleRate;
    u32 rate = oldRate;
    GActionItem* action = actionById(EditorChangeRate);
    const char* title = action && *action->titleText() ? action->titleText() : nullptr;
    if (!runRateDialog(e->window, title, &rate) || !rate || !oldRate) return 0;
    p->param1 = (f64)oldRate / (f64)rate;
    p->paramInt = rate;
    p->rangeStart = e->dataStart;
    p->rangeEnd = e->dataStart + e->dataLength;
    RateRequest* request = new RateRequest;
    request->oldRate = oldRate;
    request->newRate = rate;
    request->selection[0] = mapFrameToRate(e->pane->selStart, oldRate, rate);
    request->selection[1] = mapFrameToRate(e->pane->selEnd, oldRate, rate);
    p->setAuxObject(request);
    return 1;
}

void finishRateChange(EditorWindow* e, SoundBlockProcessor* p, EditRecord* record) {
    RateRequest* request = dynamic_cast<RateRequest*>(p->auxObject);
    if (!request) return;
    e->setSampleRate(request->newRate);
    e->pane->setSelection(request->selection[0], request->selection[1]);
    if (record) record->add(new RateChangeOperation(e, request->oldRate, request->newRate));
}

u32 RateChangeOperation::undo(u32, JobProgress*) {
    editor->setSampleRate(oldRate);
    return 0;
}

u32 RateChangeOperation::redo(u32, JobProgress*) {
    editor->setSampleRate(newRate);
    return 0;
}
