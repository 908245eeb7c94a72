#pragma once
// The min/max folds of sample frames and the conversion of samples to floats, per sample type
// (encodings 2 16-bit, 3 32-bit integer, 4 float, 5 double). A record holds, per track, the
// minimum then the maximum as f32; a value replaces them only when strictly lower or greater.
#include "core/types.h"

// Every track's minimum := +1e20, maximum := -1e20.
void startPeakRecord(float* record, u32 tracks);

void foldInt16Frames(const i16* samples, u32 frames, u32 tracks, float* record);
// Each value rounded to a float first.
void foldInt32Frames(const i32* samples, u32 frames, u32 tracks, float* record);
void foldFloatFrames(const float* samples, u32 frames, u32 tracks, float* record);
// Compared as doubles, stored as floats.
void foldDoubleFrames(const double* samples, u32 frames, u32 tracks, float* record);
// By encoding; other encodings leave the record as it is.
void foldFrames(u32 encoding, const u8* samples, u32 frames, u32 tracks, float* record);

// count samples as floats; other encodings give their bytes.
void samplesToFloats(u32 encoding, const u8* samples, u32 count, float* out);
