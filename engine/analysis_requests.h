#pragma once
// The parameter objects of the analysis and the generation operations (the processor's auxObject,
// made by the Editor, owned and deleted by the processor): the analysis leaves its result in its
// FftAnalysis for the Editor to read after the run.
#include "core/arrays.h"
#include "engine/harmonics.h"

struct FftAnalysis : GCommonObject {
    HarmonicArray harmonics;         // list mode: the peaks, after the DC level when there is one
    f64 peakThreshold = 0.0;         // the smallest amplitude that counts as a peak
    u32 fftSize = 0;                 // written: the frames analysed
    u32 windowType = 0;              // index of the window function; 0: none
    HarmonicRecord strongest = {};   // single-peak mode: the result
    u8 singlePeak = 0;               // 1: find only the strongest peak
    u8 sumChannels = 0;              // 1: the selected tracks of a frame added; 0: the first selected
    u8 phaseRefine = 0;              // 1: frequencies refined from the phase advance of a later start
};

// sineGenerate: one sine; the operation writes its step per frame into reserved64.
struct ToneParams : GCommonObject {
    HarmonicRecord tone = {};
};

// fftGenerate: a spectrum as read from a spectrum file; its header's FFT size is the period.
struct SpectrumSource : GCommonObject {
    SpectrumHeader header = {};
    HarmonicArray harmonics;
};
// The largest FFT size a spectrum may ask for (points).
const u32 maxSpectrumFftSize = 1u << 24;
