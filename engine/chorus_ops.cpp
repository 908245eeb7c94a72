// Chorus: a chain of stages, each mixing its input with one delayed, modulated copy of it, over
// half-second blocks read and written whole. Every stage keeps its input of the previous block as
// the history its delays reach into, so memory stays a few blocks for any range.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "core/error.h"
#include "core/exceptions.h"
#include "core/progress.h"
#include "engine/change_guard.h"
#include "engine/chorus_params.h"
#include "engine/cubic_interpolate.h"
#include "engine/random.h"
#include "engine/recursive_filter.h"
#include "engine/sample_processor.h"
#include "mm/mm_texts.h"

namespace {
const f64 twoPi = 6.283185307179586;
}  // namespace

u32 chorusStageCount(i32 voices) {
    u32 stages = 0;
    for (i64 heard = 1; heard < voices; heard *= 2) ++stages;
    return stages;
}

ChorusSetup makeChorusSetup(const ChorusParams& params, u32 sampleRate, i32 channels, i32 blockFrames) {
    ChorusSetup setup;
    const u32 stages = chorusStageCount(params.voices);
    if (params.usePhaseFilters) {
        setup.phaseFilters.resize((size_t)stages * (size_t)std::max(channels, 0));
        for (BiquadState& f : setup.phaseFilters)
            biquadCoefficients(&f, biquadAllPass, 0.0, randomInRange(200.0, 600.0), 1.0, sampleRate, 0.0, nullptr);
    }
    if (stages == 0) return setup;
    const u32 share = (u32)std::max(params.maxDelay, 0) / stages;
    const u32 period = (u32)std::max(params.lfoPeriod, 0);
    for (u32 s = 0; s < stages; ++s) {
        ChorusStage stage;
        i64 delay = !params.useDelay ? 0 : stages == 1 ? randomBelow(share / 2, share) : share;
        if (params.driftDelay && delay < 4) delay = 4;
        // A delay reaches at most one block back; a drifting one a frame less, for its interpolation.
        delay = std::min<i64>(delay, params.driftDelay ? blockFrames - 1 : blockFrames);
        stage.delay = (i32)std::max<i64>(delay, 0);
        if (params.useLevelSpread) {
            const f64 v = stages == 1 ? params.levelSpread : randomInRange(0.0, params.levelSpread);
            stage.dry = stage.wet = 1.0 - v / 2.0;
        }
        if (params.useGain) {
            stage.dry *= 1.0 + params.gain;
            stage.wet *= 1.0 + params.gain;
        }
        if (params.useLfo) {
            const u32 frames = stages == 1 ? period : randomBelow(period / 2, period);
            stage.lfoStep = twoPi / (f64)std::max(frames, 1u);
            stage.lfoDepth = stages == 1 ? params.lfoDepth : randomInRange(params.lfoDepth / 2.0, params.lfoDepth);
        }
        stage.currentDelay = stage.delay;
        setup.stages.push_back(stage);
    }
    return setup;
}

namespace {
// The next segment of a drifting delay: a length of half a second to two seconds, and an end delay
// moved away from the base delay d, or back toward it, kept inside [4, ceiling].
void startDriftSegment(ChorusStage& s, i32 d, f64 driftRatio, u32 sampleRate, i32 ceiling) {
    s.segmentLength = (i32)std::max(randomBelow(sampleRate / 2, 2 * sampleRate), 1u);
    s.driftStart = s.currentDelay;
    f64 move = (f64)s.segmentLength * (1.0 - 1.0 / driftRatio);
    if (!std::isfinite(move)) move = 0.0;
    const i32 step = (i32)std::max(-(f64)ceiling, std::min((f64)ceiling, move));
    i32 target = s.currentDelay <= d || s.currentDelay - step <= 4 ? s.currentDelay + step : s.currentDelay - step;
    target = std::max(std::min(target, ceiling), std::min(4, ceiling));
    s.currentDelay = target;
    s.driftDelta = target - s.driftStart;
    s.counter = 0;
}

template <class Traits>
class ChorusRun {
public:
    typedef typename Traits::Sample S;

    ChorusRun(SoundBlockProcessor& p, const ChorusParams& params)
        : p(p), params(params), channels(p.channelCount), blockFrames(std::max((i32)(p.sampleRate / 2), 1)) {}

    // The guard learns how far the blocks written reach.
    void run(const RangeChange& change, ChangeGuard& guard) {
        const size_t block = (size_t)blockFrames * (size_t)channels;
        try {
            // The history of a block, the current block and three frames of zeros after it.
            work.assign(2 * block + 3 * (size_t)channels, S());
            output.assign(block, S());
            setup = makeChorusSetup(params, p.sampleRate, channels, blockFrames);
            history.assign(setup.stages.size() * block, S());
        } catch (const std::bad_alloc&) {
            reportMessage(p.store->errorHandler(), mmText(MmText::MmErrNoMemory), 0);
            throw GException();
        }
        DenormalsFlushed flushed;
        SegmentCursor from = change.oldCursor, to = change.newCursor;
        const u64 length = change.newLength, blockBytes = (u64)block * sizeof(S);
        u64 done = 0, firstFrame = 0;
        while (done + (u64)p.frameBytes <= length) {
            const u64 bytes = std::min(blockBytes, length - done) / (u64)p.frameBytes * (u64)p.frameBytes;
            const i32 frames = (i32)(bytes / (u64)p.frameBytes);
            S* current = work.data() + block;
            p.store->readRange(from, bytes, (u8*)current);
            for (size_t s = 0; s < setup.stages.size(); ++s) {
                S* past = history.data() + s * block;
                std::copy(past, past + block, work.data());
                if (params.usePhaseFilters && frames > 2) filterPhases(s, current, frames, firstFrame == 0);
                std::copy(current, current + block, past);
                mix(setup.stages[s], current, frames, firstFrame);
                std::copy(output.data(), output.data() + (size_t)frames * channels, current);
            }
            p.store->writeRange(to, bytes, (const u8*)current);
            done += bytes;
            guard.reached(done);
            if (p.progress) p.progress->report(done, nullptr);
            from.advance(bytes);
            to.advance(bytes);
            firstFrame += (u64)frames;
        }
        // A piece shorter than a frame at the end is left as it was.
        if (done < length) p.fillRestWithOld(change, done);
        p.flags |= clipped;
    }

private:
    // The selected tracks of the block through the stage's all-pass sections, in place. The first two
    // frames of the range pass unchanged and prime the sections.
    void filterPhases(size_t stage, S* block, i32 frames, bool first) {
        for (i32 c = 0; c < channels; ++c) {
            if (!p.channelMask[c]) continue;
            BiquadState& f = setup.phaseFilters[stage * (size_t)channels + (size_t)c];
            i32 k = 0;
            if (first) {
                biquadPrime(f, (f64)block[c], (f64)block[channels + c]);
                k = 2;
            }
            for (S* x = block + (size_t)k * channels + c; k < frames; ++k, x += channels)
                *x = filterOutput<Traits>(biquadStep(f, (f64)*x), &clipped);
        }
    }

    void mix(ChorusStage& s, const S* current, i32 frames, u64 firstFrame) {
        i32 d = s.delay;
        if (d >= 1 && d <= 3) d = 4;
        d = std::min(d, blockFrames);
        const bool drift = params.driftDelay && d > 0;
        const u8* mask = p.channelMask;
        for (i32 k = 0; k < frames; ++k) {
            const S* x = current + (size_t)k * channels;
            S* out = output.data() + (size_t)k * channels;
            f64 delayNow = d;
            f64 t = 0.0;
            const S* points = nullptr;  // with a drifting delay, the first of the four frames
            if (drift) {
                if (s.counter >= s.segmentLength)
                    startDriftSegment(s, d, params.driftRatio, p.sampleRate, blockFrames - 1);
                delayNow = s.driftStart + (f64)((i64)s.counter * s.driftDelta) / (f64)s.segmentLength;
                ++s.counter;
                const f64 at = (f64)k - delayNow;
                const f64 whole = std::floor(at);
                t = at - whole + 1.0;
                points = current + ((i64)whole - 1) * channels;
            }
            const f64 frame = (f64)(firstFrame + (u64)k);
            const f64 m = params.useLfo ? s.lfoDepth * std::sin((frame - delayNow) * s.lfoStep) : 0.0;
            for (i32 c = 0; c < channels; ++c) {
                if (!mask[c]) {
                    out[c] = x[c];
                    continue;
                }
                const f64 v = (f64)x[c];
                f64 y;
                if (d == 0) y = v * s.dry + (1.0 + m) * s.wet * s.wet * v;
                else if (!drift) y = v * s.dry + (1.0 + m) * s.wet * (f64)x[c - (i64)d * channels];
                else y = v * s.dry + (1.0 + m) * s.wet * cubicInterpolate<Traits>(points + c, (size_t)channels, t);
                Traits::storeRounded(y, &out[c], &clipped);
            }
        }
    }

    SoundBlockProcessor& p;
    const ChorusParams& params;
    const i32 channels;
    const i32 blockFrames;  // the frames of a block and of a stage's history
    ChorusSetup setup;
    std::vector<S> work, output, history;
    u32 clipped = 0;
};
}  // namespace

template <class Traits>
void SampleProcessor<Traits>::chorus() {
    const ChorusParams* params = dynamic_cast<const ChorusParams*>(auxObject);
    if (!params || params->voices <= 1) return;
    RangeChange change = openSameLengthChange(savedEdgesBoth);
    ChangeGuard guard(store, change);
    if (channelCount <= 0 || frameBytes <= 0) return fillRestWithOld(change, 0);
    ChorusRun<Traits>(*this, *params).run(change, guard);
    applyEdgeCrossfades(rangeStart, rangeEnd);
}

#define RAVO_CHORUS(T) template void SampleProcessor<T>::chorus();
RAVO_FOR_EACH_SAMPLE_TYPE(RAVO_CHORUS)
