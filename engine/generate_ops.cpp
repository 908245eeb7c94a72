// Generation: a synthesised signal written over the range into the selected tracks, replacing their
// samples or added to them (mix); other tracks are copied. The range keeps its length; its edges
// are blended with the old sound when smoothing is on.
#include <cmath>

#include "engine/frame_walk.h"
#include "engine/sample_processor.h"
#include "engine/spectrum_requests.h"

namespace {
const f64 twoPi = 6.283185307179586;

// Writes signal(frame) into the selected tracks by the rounded store: alone, or added to the old
// sample. The reader carries the progress; the writer ends the walk, so a cancel does not stop it.
template <class Traits, class Signal>
void writeSignal(SoundBlockProcessor& p, bool mix, Signal signal) {
    typedef typename Traits::Sample Sample;
    RangeChange change = p.openSameLengthChange();
    u32 clipped = 0;
    walkFrames<Traits>(p, change, signal, [mix, &clipped](Sample s, f64 v) {
        Sample y;
        Traits::storeRounded(mix ? (f64)s + v : v, &y, &clipped);
        return y;
    });
    p.flags |= clipped;
    p.applyEdgeCrossfades(p.rangeStart, p.rangeEnd);
}
}  // namespace

// One sine of the tone's amplitude, frequency and phase; its step per frame goes to reserved64.
template <class Traits>
void SampleProcessor<Traits>::sineGenerate(u32 mix) {
    auto* params = dynamic_cast<ToneParams*>(auxObject);
    if (!params || sampleRate == 0) return;
    HarmonicRecord& tone = params->tone;
    const f64 step = twoPi * tone.frequency / sampleRate;
    tone.reserved64 = step;
    const f64 amplitude = tone.amplitude, phase = tone.phase;
    writeSignal<Traits>(*this, mix != 0, [=](f64 frame) { return amplitude * std::sin(step * frame + phase); });
}

#define INSTANTIATE_GENERATE(T) template void SampleProcessor<T>::sineGenerate(u32);
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_GENERATE)
