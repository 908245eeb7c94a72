#pragma once
// The phase vocoder's per-bin loops: analysis (magnitude, phase, true bin) and synthesis (phase sums
// back to a spectrum), two bins at a time with SSE2, four with AVX2 and FMA where the processor has
// them. Plain functions over arrays the vocoder owns.
#include "core/types.h"
#include "engine/fft.h"

struct BinArrays {
    f64* lastPhase;  // per bin, carried from frame to frame
    f64* sumPhase;
    f64* magnitude;  // analysis output: twice the bin's magnitude
    f64* trueBin;    // analysis output: the bin's frequency in bins
};

// count bins from 0 (even): x the spectrum, expected the phase advance of bin 1 in one step, osamp
// the oversampling. Results differ between the bodies by rounding only.
void analyseBins(bool wide, const Complex* x, u32 count, f64 expected, u32 osamp, const BinArrays& a);
// The synthesis spectrum out of the moved magnitudes and true bins; the phase sums advance.
void synthesiseBins(bool wide, const f64* synMagnitude, const f64* synBin, u32 count, f64 expected, u32 osamp,
                    const BinArrays& a, Complex* out);

// Whether the four-wide bodies run here: chosen once from the processor, unless a test forced the
// two-wide ones.
bool wideBinKernels();
// True: every vocoder made afterwards runs the two-wide bodies (for tests); false: the processor decides.
void forceNarrowBinKernels(bool narrow);
