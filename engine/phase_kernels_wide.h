#pragma once
// The four-wide bodies of the vocoder's bin loops, compiled for AVX2 and FMA alone: call them only
// where the processor has both. Spectra are re, im pairs; count a multiple of 4.
#include "core/types.h"

void analyseBinsWide(const f64* x, u32 count, f64 expected, f64 binsPerRadian, f64* lastPhase, f64* magnitude,
                     f64* trueBin);
void synthesiseBinsWide(const f64* synMagnitude, const f64* synBin, u32 count, f64 expected, f64 radiansPerBin,
                        f64* sumPhase, f64* out);
