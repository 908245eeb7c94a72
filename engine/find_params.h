#pragma once
// The parameters of a search (FIND, FINDNEXT): made by the Editor's handler and handed to the
// processor as its auxiliary object, which the processor owns and deletes. The find slot reports
// the hit in extraPositions[newCursor] and [showPosition], or sets notFound.
#include "core/arrays.h"
#include "core/types.h"

// FindParams::mode.
enum : u32 {
    findDefects = 0,  // jumps between neighbouring samples, runs of clipped samples
    findSilence = 1,  // the border of a silence
    findPeak = 2,     // the sample of greatest magnitude (its value goes to param1)
    findNothing = ~0u,
};

struct FindParams : GCommonObject {
    u8 inSelection = 0;  // search the selection instead of the whole sound
    u8 forward = 1;      // from the range's start toward its end; 0: from its end back
    u8 jumps = 1;        // defects: jumps of at least `level`
    u8 clipping = 1;     // defects: runs of at least `period` samples of magnitude 32767 or more
    u32 mode = findNothing;
    u32 period = 0;   // frames: the shortest silence, or the shortest clipped run
    f64 level = 0.0;  // sample units: the smallest jump, or the loudest sample still silent
    u8 notFound = 0;  // set by the search
};

// The byte range a search covers, from the cursor, the selection and the sound's data.
struct FindRange {
    u64 start = 0;
    u64 end = 0;
};
FindRange findRange(const FindParams& params, u64 cursor, u64 selectionStart, u64 selectionEnd, u64 soundStart,
                    u64 soundEnd);
// A period of `count` samples kept with the rate it was set at, at the sound's rate (truncated).
u32 periodAtRate(u32 count, u32 storedRate, u32 soundRate);
