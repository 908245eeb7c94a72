#pragma once
// The phase vocoder of pitch and tempo: shifts the pitch of one or two tracks (lanes) by a factor,
// frame by frame, keeping their length. Both lanes share one complex transform each way. Made for
// one operation and deleted after it.
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

    u32 n, step, osamp, lanes;
    u32 rover;
    f64 outputGain;
    FftPlan plan;
    std::vector<f64> window;
    std::vector<f64> inFifo[2], outFifo[2], accum[2], lastPhase[2], sumPhase[2];
    std::vector<Complex> work, spectrum[2], synthesis[2];
    std::vector<f64> synMagnitude, synBin, magnitude, trueBin;
};
