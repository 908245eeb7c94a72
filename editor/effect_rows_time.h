#pragma once
// The effect handler's rows for pitch, tempo and stretch, the length changes, pulsation, vibrato
// and the cut, pass and biquad filters: their dialogs, remembered values and processor fields, with
// the field arithmetic apart so that it can be checked on a processor alone.
#include "app/editor_settings.h"
#include "app/filter_dialog.h"
#include "core/types.h"

class EditorWindow;
class SoundBlockProcessor;

// True for the ids these rows handle.
bool isTimeEffectRow(u32 id);
// 1 run, 0 cancelled or refused with a message, -1 nothing to do.
i32 runTimeEffectRow(EditorWindow* editor, u32 id, const char* title, SoundBlockProcessor* p);

// The cursor's byte position after the range [rangeStart, rangeEnd) became newLength bytes by the
// factor: unsetPosition at or before the start; after the end it moves with the end; inside it is
// scaled by 1 / factor in whole frames.
u64 cursorAfterResize(u64 cursor, u64 rangeStart, u64 rangeEnd, u64 newLength, u32 frameBytes, f64 factor);
// After PITCH_SCALE (vocoder false), TEMPO and STRETCH (true), with param1 set: the work length, the
// new selection and the cursor.
void setResizedRange(SoundBlockProcessor& p, u64 cursorByte, bool vocoder);
// STRETCH's factor, old frames / new frames.
f64 stretchFactor(u32 oldFrames, u32 newFrames);
// The phase vocoder's settings: FFT size, overlap and window.
void setVocoderFields(SoundBlockProcessor& p, const PitchSettings& analysis);
// An accepted biquad dialog's values and passes.
void setBiquadFields(SoundBlockProcessor& p, const BiquadResult& result);

// Kept for the run only, never saved: the cut filters' frequencies (0 at the start) and the pass
// count they share with the biquad filters; the biquad dialog's values.
struct CutFilterValues {
    f64 low = 0.0;
    f64 high = 0.0;
    i32 passes = 1;
};
extern CutFilterValues cutFilterValues;
extern BiquadValues biquadValues;
