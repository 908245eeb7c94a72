#pragma once
// The range fields of the length changes, set on a processor bound to the sound as the Editor's
// handler does after its duration dialog. Lengths are in frames.
#include "engine/processor.h"

// INSWAVE: `frames` of silence at the cursor frame.
void setInsertRange(SoundBlockProcessor& p, u64 cursorFrame, u64 frames);
// SETSIZE: the sound's new length. False when it is the present length: the command then ends
// without running the processor. A shrink reports no work for progress (rangeLength 0).
bool setNewLength(SoundBlockProcessor& p, u64 frames);
// A length kept from an earlier use at the rate it was entered at, at the sound's rate (truncated).
u64 lengthAtRate(u64 frames, u32 enteredRate, u32 rate);
