#pragma once
// The analysis, generation and search rows of the effect command handler: FFT and FFT_REPEAT
// (range and analysis request), FFT_GEN and FFT_GEN_MIX (a spectrum file), SINE_GEN and
// SINE_GEN_MIX (the sine dialog) and FIND and FINDNEXT (the find dialog and the search request).
// The request objects go to the processor, which owns them.
#include "core/types.h"

class EditorWindow;
class SoundBlockProcessor;

// The rows' answer (1 run, 0 cancelled, -1 nothing to do) in *result; false for an id of no row here.
bool runAnalysisRow(EditorWindow* editor, u32 id, const char* title, SoundBlockProcessor* processor, i32* result);

// The frames an analysis around the cursor takes: size frames starting size / 2 before it, clipped
// to the sound's frames.
struct FrameSpan {
    u64 start, end;
};
FrameSpan fftCursorSpan(u64 cursor, u32 size, u64 frames);
// Whether an analysis takes this many frames: 0 yes (3 to 2^26), -1 too few, 1 too many.
i32 fftFramesFit(u64 frames);
