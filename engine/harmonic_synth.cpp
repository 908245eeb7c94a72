#include "engine/harmonic_synth.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
const f64 twoPi = 6.283185307179586;

// Truncated toward zero and saturated; not a number is silence.
inline i16 toSample(f64 v) {
    if (v >= 32767.0) return 32767;
    if (v <= -32767.0) return -32767;
    return v == v ? (i16)v : 0;
}

// Samples of t seconds at the rate: negative or not a number is 0, beyond u32 the largest.
u32 samplesOf(f64 seconds, u32 rate) {
    const f64 v = std::floor(seconds * rate + 0.5);
    if (!(v > 0)) return 0;
    return v >= 4294967295.0 ? 0xFFFFFFFFu : (u32)v;
}
}  // namespace

EnvelopeParams initDefaultEnvelope(f64 total) {
    EnvelopeParams e = {0.08, 1.0, 0.15, 0.3, 0.1, 0.29, total - 0.08 - 0.15 - 0.1, 0.07, 0.1};
    if (!(e.releaseTime >= 0.01)) {
        e.attackTime = 0.08 * total;
        e.decayTime = 0.15 * total;
        e.holdTime = 0.1 * total;
        e.releaseTime = total - e.attackTime - e.decayTime - e.holdTime;
    }
    return e;
}

// ---- stages ----

u32 RampGain::readFrames(void* out, u32 frames) {
    const u32 k = std::min(frames, length - position);
    if (!k) return 0;
    i16* s = static_cast<i16*>(out);
    const u32 got = std::min(input->readFrames(s, k), k);
    const f64 slope = (endGain - startGain) / length;
    for (u32 i = 0; i < got; ++i) s[i] = toSample((startGain + slope * (f64)(position + i)) * s[i] + 0.5);
    position += got;
    return got;
}

bool RampGain::rewind() {
    position = 0;
    return input->rewind();
}

u32 SourceChain::readFrames(void* out, u32 frames) {
    i16* s = static_cast<i16*>(out);
    u32 total = 0;
    while (current < sources.size()) {
        total += sources[current]->readFrames(s + total, frames - total);
        if (total >= frames) break;
        ++current;
    }
    return total;
}

bool SourceChain::rewind() {
    bool ok = true;
    for (SynthGenerator* g : sources) ok = g->rewind() && ok;
    current = 0;
    return ok;
}

u32 SineTremolo::readFrames(void* out, u32 frames) {
    i16* s = static_cast<i16*>(out);
    const u32 got = input->readFrames(s, frames);
    for (u32 i = 0; i < got; ++i, ++position) s[i] = toSample((std::sin(position * step) * depth + 1.0) * s[i]);
    return got;
}

bool SineTremolo::rewind() {
    position = 0;
    return input->rewind();
}

u32 PeriodLoop::readFrames(void* out, u32 frames) {
    const u32 length = (u32)samples.size();
    if (!length) return 0;
    i16* s = static_cast<i16*>(out);
    for (u32 done = 0; done < frames;) {
        const u32 k = std::min(frames - done, length - position);
        memcpy(s + done, samples.data() + position, k * sizeof(i16));
        done += k;
        position += k;
        if (position == length) position = 0;
    }
    return frames;
}

bool PeriodLoop::rewind() {
    position = 0;
    return true;
}

bool buildPeriod(PeriodLoop& loop, JobProgress* progress) {
    const u32 n = (u32)loop.spectrum.size();
    if (!fft(loop.spectrum.data(), (i32)n, true, progress)) return false;
    loop.samples.resize(n);
    for (u32 t = 0; t < n; ++t) loop.samples[t] = toSample(loop.spectrum[t].re);
    std::vector<Complex>().swap(loop.spectrum);
    loop.position = 0;
    return true;
}

// ---- synthesizer ----

HarmonicSynth::HarmonicSynth(SynthGenerator* tone, const EnvelopeParams& e, u32 rate, bool ownsTone)
    : tone(tone), ownsTone(ownsTone) {
    const f64 times[4] = {e.attackTime, e.decayTime, e.holdTime, e.releaseTime};
    const f64 levels[5] = {0.0, e.attackLevel, e.decayLevel, e.holdEndLevel, 0.0};
    for (int i = 0; i < 4; ++i) {
        segments[i].length = samplesOf(times[i], rate);
        segments[i].startGain = levels[i];
        segments[i].endGain = levels[i + 1];
        segments[i].input = tone;
        chain.sources.push_back(&segments[i]);
    }
    tremolo.input = &chain;
    if (e.tremoloPeriod > 1e-6 && e.tremoloDepth > 1e-6) {
        tremoloOn = true;
        tremolo.depth = e.tremoloDepth;
        tremolo.step = twoPi / (e.tremoloPeriod * rate);
    }
}

HarmonicSynth::~HarmonicSynth() {
    if (ownsTone) delete tone;
}

u32 HarmonicSynth::readFrames(void* out, u32 frames) {
    return tremoloOn ? tremolo.readFrames(out, frames) : chain.readFrames(out, frames);
}

bool HarmonicSynth::rewind() { return tremoloOn ? tremolo.rewind() : chain.rewind(); }

// ---- note voice ----

void generateNoteHarmonics(HarmonicArray& array, f64 f, f64 level, f64 phase) {
    array.count = 0;
    if (!(f > 0) || !std::isfinite(f)) return;
    auto add = [&](f64 frequency, f64 amplitude) {
        HarmonicRecord* r = array.append(1);
        r->amplitude = amplitude;
        r->frequency = frequency;
        r->phase = phase;
        r->baseFrequency = frequency;
        HarmonicRecord::updateNote(r);
    };
    if (f >= 100) return add(f, level);
    f64 a = level / 3;
    // The multiples below 40 Hz are skipped.
    for (f64 m = std::max(1.0, std::ceil(40.0 / f)) * f;; m += f) {
        add(m, a);
        const f64 next = a - 2000;
        // Also ends for a level that is not a number or too large to fall.
        if (!(next > 0) || !(next < a)) break;
        a = next;
    }
}

NoteVoice::NoteVoice(u32 rate, f64 frequency, f64 level, f64 phase, f64 duration)
    : HarmonicSynth(&voiceTone, initDefaultEnvelope(duration), rate) {
    generateNoteHarmonics(voiceTone.harmonics, frequency, level, phase);
    for (u32 i = 0; i < voiceTone.harmonics.count; ++i)
        voiceTone.harmonics[i].reserved64 = voiceTone.harmonics[i].frequency * twoPi / rate;
}

NoteVoice::~NoteVoice() = default;

u32 NoteVoice::Tone::readFrames(void* out, u32 frames) {
    if (!harmonics.count) return 0;
    i16* s = static_cast<i16*>(out);
    for (u32 i = 0; i < frames; ++i, ++counter) {
        const f64 t = counter;
        f64 v = 0.0;
        for (u32 h = 0; h < harmonics.count; ++h) {
            const HarmonicRecord& r = harmonics[h];
            v += r.amplitude * std::sin(r.reserved64 * t + r.phase);
        }
        s[i] = toSample(v);
    }
    return frames;
}

bool NoteVoice::Tone::rewind() {
    counter = 0;
    return true;
}
