// Pulsations: the selected tracks are multiplied by a gain that changes once per frame, along a
// wave or a line between random levels. The range keeps its length; no edge crossfades.
#include <algorithm>
#include <cmath>

#include "engine/change_guard.h"
#include "engine/frame_walk.h"
#include "engine/pulsation.h"
#include "engine/random.h"
#include "engine/sample_processor.h"
#include "engine/wave_steps.h"

namespace {
const f64 twoPi = 6.283185307179586;

// A period of 0 frames (a converted period that truncated) counts as 1.
u32 periodOf(const SoundBlockProcessor& p) { return std::max(p.periodFrames, 1u); }

// Frame k (from 1) gets the modulation v = modulation(wave), where wave holds sin and cos of
// k x 2 pi / P; over the fade-out, from frame N - F on, the t-th faded frame (t from 0) keeps
// v - t v / F. A sample s becomes s + s v by the rounded store.
template <class Traits, class Modulation>
void runPulsation(SoundBlockProcessor& p, Modulation modulation) {
    typedef typename Traits::Sample Sample;
    RangeChange change = p.openSameLengthChange(savedEdgesNone);
    ChangeGuard guard(p.store, change);
    WaveSteps wave(twoPi / (f64)periodOf(p));
    const u64 fade = p.paramInt2;
    // Frames are counted from 1 here; a fade longer than the range starts past every frame.
    const f64 fadeStart = (f64)(rangeFrames(p) - fade);
    const f64 fadeLength = (f64)fade;
    f64 faded = 0.0;
    u32 clipped = 0;
    walkFrames<Traits>(
        p, change,
        [&](f64 frame) {
            wave.next();
            f64 v = modulation(wave);
            if (fade > 0 && frame + 1.0 >= fadeStart) {
                v = v - (faded * v) / fadeLength;
                faded += 1.0;
            }
            return v;
        },
        [&clipped](Sample s, f64 v) {
            const f64 x = (f64)s;
            Sample y;
            Traits::storeRounded(x + x * v, &y, &clipped);
            return y;
        });
    p.flags |= clipped;
}
}  // namespace

// A sine: the gain swings between 1 - depth/2 and 1 + depth/2 (param1 is left halved).
template <class Traits>
void SampleProcessor<Traits>::pulsation() {
    param1 *= 0.5;
    const f64 depth = param1;
    runPulsation<Traits>(*this, [depth](const WaveSteps& wave) { return depth * wave.sine; });
}

// A raised cosine: the gain swings between 1 and 1 + depth, starting near 1 (param1 left halved).
// With a negative depth the gain swings between 1 - |depth| and 1.
template <class Traits>
void SampleProcessor<Traits>::pulsationPositive() {
    param1 *= 0.5;
    const f64 depth = param1;
    runPulsation<Traits>(*this, [depth](const WaveSteps& wave) { return depth * (1.0 - wave.cosine); });
}

void SoundBlockProcessor::pulsationNegative() {
    param1 = -param1;
    pulsationPositive();
}

// A sine whose positive half-waves have the depth param1 and whose others param2.
template <class Traits>
void SampleProcessor<Traits>::pulsationDissymetric() {
    const f64 up = param1, down = param2;
    runPulsation<Traits>(*this, [up, down](const WaveSteps& wave) {
        f64 w = wave.sine;
        return w > 0 ? w * up : w * down;
    });
}

// Straight lines between random gains in [1 - param2, 1 + param1], over segments of P - P/2 to
// P + P/2 frames drawn from the shared generator. The gain starts at exactly 1; the segment that
// would leave fewer than P frames after it runs to the end of the range and returns toward 1 (its
// drawn length is discarded). Each segment ends one step short of its target.
template <class Traits>
void SampleProcessor<Traits>::pulsationRandom() {
    RangeChange change = openSameLengthChange(savedEdgesNone);
    ChangeGuard guard(store, change);
    const u64 period = periodOf(*this);
    const u32 shortest = (u32)(period - period / 2);
    const u32 longest = (u32)std::min<u64>(period + period / 2, 0xFFFFFFFFu);
    const f64 low = 1.0 - param2, high = 1.0 + param1;
    f64 from = 1.0, target = 1.0, slope = 0.0, j = 0.0;
    u64 left = 0, remaining = rangeFrames(*this);
    u32 clipped = 0;
    walkFrames<Traits>(
        *this, change,
        [&](f64 frame) {
            if (frame > 0) {
                j += 1.0;
                --left;
                --remaining;
            }
            if (left == 0) {
                from = target;
                j = 0.0;
                left = randomBelow(shortest, longest);
                if (period + left > remaining) {
                    left = remaining;
                    target = 1.0;
                } else {
                    target = randomInRange(low, high);
                }
                slope = (target - from) / (f64)left;
            }
            return from + j * slope;
        },
        [&clipped](Sample s, f64 g) {
            Sample y;
            Traits::storeRounded(g * (f64)s, &y, &clipped);
            return y;
        });
    flags |= clipped;
}

#define INSTANTIATE_PULSATIONS(T)                                \
    template void SampleProcessor<T>::pulsation();               \
    template void SampleProcessor<T>::pulsationPositive();       \
    template void SampleProcessor<T>::pulsationDissymetric();    \
    template void SampleProcessor<T>::pulsationRandom();
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_PULSATIONS)

// ---- parameters from the settings ----

u32 pulsationPeriodFrames(u32 count, u32 storedRate, u32 soundRate) {
    u64 frames = count;
    if (storedRate != 0 && storedRate != soundRate) frames = (u64)count * soundRate / storedRate;
    return (u32)std::min<u64>(std::max<u64>(frames, 1), 0xFFFFFFFFu);
}

u32 pulsationFadeFrames(u32 choice, u64 rangeFrames, u32 periodFrames) {
    u64 frames = 0;
    switch (choice) {
    case pulsationFadePeriod: frames = std::min<u64>(rangeFrames, periodFrames); break;
    case pulsationFadeHalf: frames = rangeFrames / 2; break;
    case pulsationFadeWhole: frames = rangeFrames; break;
    default: break;
    }
    return (u32)std::min<u64>(frames, 0xFFFFFFFFu);
}

void setPulsationParameters(SoundBlockProcessor& p, const PulsationSettings& settings) {
    const bool twoLevels = p.actionId == 509 || p.actionId == 510;  // PULSATION_DISSYMETRIC, _RANDOM
    p.param1 = twoLevels ? settings.upperDepth : settings.depth;
    p.param2 = settings.lowerDepth;
    p.periodFrames = pulsationPeriodFrames(settings.periodCount, settings.periodRate, p.sampleRate);
    const u32 choice = p.actionId == 510 ? pulsationFadeNone : settings.fadeChoice;
    p.paramInt2 = pulsationFadeFrames(choice, rangeFrames(p), p.periodFrames);
}
