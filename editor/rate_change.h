#pragma once
// CHANGE_RATE: the rate dialog over a copy of the sound's rate, the processor's resampling by old
// rate / new rate over the whole sound, and after the run the new rate, the selection mapped by new
// / old and the undo step that sets the rate back and forth.
#include "gui/frame/undo_history.h"

class EditorWindow;
class EditRecord;
class SoundBlockProcessor;

// Asks for the new rate and prepares the bound processor: 1 run, 0 cancelled.
i32 prepareRateChange(EditorWindow* editor, SoundBlockProcessor* processor);
// A selection frame mapped to the new rate (64-bit, truncated).
u64 mapFrameToRate(u64 frame, u32 oldRate, u32 newRate);
// After a successful run, before the edit is recorded.
void finishRateChange(EditorWindow* editor, SoundBlockProcessor* processor, EditRecord* record);

class RateChangeOperation : public NamedOperation {
public:
    RateChangeOperation(EditorWindow* editor, u32 oldRate, u32 newRate)
        : editor(editor), oldRate(oldRate), newRate(newRate) {}
    u32 undo(u32 a, JobProgress* progress) override;
    u32 redo(u32 a, JobProgress* progress) override;
    u64 byteCount() override { return 0; }

    EditorWindow* editor;
    u32 oldRate, newRate;
};
