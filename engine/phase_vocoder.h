#pragma once
// The phase vocoder of pitch and tempo: shifts the pitch of one or two tracks (lanes) by a factor,
// frame by frame, keeping their length. Two lanes share one complex transform each way; one lane
// goes through a transform of half the frame as its even and odd samples. Made for one operation and
// deleted after it.
#include <memory>
#include <vector>

#include "core/types.h"
#include "engine/fft.h"
#include "engine/window_functions.h"

// The largest frame size: the vocoder's arrays are held for this many bins.
const u32 vocoderMaxFrameSize = 8192;

// frameSize a power of two from 4 to vocoderMaxFrameSize, oversampling from 1 to frameSize.
bool vocoderSettingsValid(u32 frameSize, u32 oversampling);

class PhaseVocoder {
public:
    PhaseVocoder(u32 frameSize, u32 oversampling, u32 sampleRate, WindowFunction window, u32 lanes);

    // Replaces count samples of each lane in place by the vocoder's output for them (b: the second
    // lane, null with one). The output lags the input by latency() samples.
    void process(f64 pitchFactor, f64* a, f64* b, size_t count);
    // The frame size: a frame is taken when its last sample is in, and its first output sample
    // leaves with the next input sample (the fifos are offset by frameSize - step only).
    static u32 latency(u32 frameSize) { return frameSize; }

private:
    void processFrame(f64 pitchFactor);
    // Analysis and synthesis of one lane's spectrum x (bins 0 .. n/2), into the synthesis spectrum.
    void shiftLane(u32 lane, const Complex* x, f64 pitchFactor, Complex* out);
    // One lane's frame through the half-length transform, from and back to the time domain.
    void processSingleLane(f64 pitchFactor);
    // Two lanes in one transform of n points.
    void processPair(f64 pitchFactor);

    u32 n, step, osamp, lanes;
    bool wide;  // the four-wide bin loops
    u32 rover;
    f64 outputGain;
    FftPlan plan;  // n points for two lanes, n/2 for one
    std::vector<Complex> turns;  // one lane: e^(-2 pi i k/n) for k < n/2
    std::vector<f64> window;
    std::vector<f64> inFifo[2], outFifo[2], accum[2], lastPhase[2], sumPhase[2];
    std::vector<Complex> work, spectrum[2], synthesis[2];
    std::vector<f64> synMagnitude, synBin, magnitude, trueBin;
};
