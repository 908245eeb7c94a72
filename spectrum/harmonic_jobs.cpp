#include "spectrum/harmonic_jobs.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "gui/frame/progress_line.h"
#include "spectrum/harmonic_page.h"

namespace {

// Note and octave of the restoration: 0 and 0 at or below note number 0.
void restoredNote(HarmonicRecord& r) {
    const f64 x = 12.0 * std::log(r.frequency / 440.0) / std::log(2.0) + 0.5;
    if (!(x > -57.0) || !(x < 1e6)) {
        r.note = r.octave = 0;
        return;
    }
    const i32 k = (i32)std::floor(x) + 57;
    if (k <= 0) {
        r.note = r.octave = 0;
        return;
    }
    r.note = (u32)(k % 12);
    r.octave = (u32)(k / 12);
}

bool report(SpectrumJob& job, u64 done) {
    JobProgress* p = job.progress();
    return p && p->report(done, nullptr);
}

// Zeroed complex values, or false when the memory is not there.
bool allocate(std::vector<Complex>& values, size_t n) {
    try {
        values.assign(n, Complex{0.0, 0.0});
        return true;
    } catch (const std::bad_alloc&) {
        std::vector<Complex>().swap(values);
        return false;
    }
}

// A new harmonic of its own: base = frequency, overtone and marks 0, its note.
void asFundamental(HarmonicRecord& r) {
    r.baseFrequency = r.frequency;
    r.reserved16 = 0;
    r.overtone = 0;
    HarmonicRecord::updateNote(&r);
}
}  // namespace

SpectrumJob::SpectrumJob(u32 id, GProgressLinePlacer* line, u64 total) : line(line), total(total) {
    action = id;
    sink = this;
}

SpectrumJob::~SpectrumJob() {
    arrayFree(result);
    delete synth;
}

void SpectrumJob::start(i32, i32) {
    if (line) line->begin(total);
}

void SpectrumJob::end() {
    if (line) line->end();
}

JobProgress* SpectrumJob::progress() { return line; }

bool restoreOvertones(SpectrumJob& job) {
    const f64 t = job.tolerance, F = job.minFrequency;
    const i32 D = job.depth, H = job.maxOvertone;
    report(job, 0);
    std::vector<HarmonicRecord*> P;
    P.reserve(job.records.size());
    for (HarmonicRecord& r : job.records) {
        r.reserved16 = 0;
        P.push_back(&r);
    }
    for (u32 row : job.rows)
        if (row < job.records.size()) job.records[row].reserved16 |= 2;
    report(job, 1);
    std::stable_sort(P.begin(), P.end(), [](const HarmonicRecord* a, const HarmonicRecord* b) { return a->frequency < b->frequency; });
    if (report(job, 2)) return false;
    u64 done = 2;
    for (HarmonicRecord* s : P) {
        if (!(s->reserved16 & 2)) continue;
        const f64 f = s->frequency;
        f64 best = s->amplitude;
        HarmonicRecord* chosen = nullptr;
        i32 chosenOvertone = 0, chosenDepth = 0;
        f64 chosenBase = 0.0;
        const f64 L = (1.0 + t) * f;
        if (f > F) {
            for (i32 k = 0; k <= D; ++k) {
                for (HarmonicRecord* c : P) {
                    if (!(c->frequency <= L)) break;
                    if (c->amplitude < best || c->frequency <= F) continue;
                    const f64 b = c->baseFrequency / (k + 1);
                    // A base of 0 is no base.
                    if (!(b != 0.0)) continue;
                    const f64 q = f / b;
                    const f64 N = std::floor(q + 0.5);
                    if (!std::isfinite(N) || N - 1 > H || std::fabs(q - N) >= t || c->amplitude <= best) continue;
                    chosen = c;
                    best = c->amplitude;
                    chosenOvertone = (i32)N - 1;
                    chosenDepth = k;
                    chosenBase = b;
                }
            }
        }
        if (chosen) {
            s->overtone = chosenOvertone;
            if (chosenDepth > 0 && (chosen->reserved16 & 2)) {
                chosen->overtone += chosenDepth;
                chosen->baseFrequency = chosenBase;
                restoredNote(*chosen);
            }
        } else {
            s->overtone = 0;
        }
        s->baseFrequency = baseOfOvertone(f, s->overtone);
        restoredNote(*s);
        if (report(job, ++done)) return false;
    }
    return true;
}

bool buildSpectrumFromHarmonics(SpectrumJob& job) {
    const i32 N = (i32)job.fftSize, R = (i32)job.rate;
    if (N < 1 || !allocate(job.spectrum, (size_t)N)) return false;
    for (size_t i = 0; i < job.records.size(); ++i) {
        if (report(job, i)) return false;
        const HarmonicRecord& r = job.records[i];
        if (r.amplitude >= job.threshold) addHarmonicToSpectrum(r, job.spectrum.data(), N, R, job.threshold);
    }
    return true;
}

bool extractPeaks(SpectrumJob& job) {
    const i32 N = (i32)job.fftSize, R = (i32)job.rate;
    const f64 T = job.threshold;
    const i32 h = N / 2;
    arrayFree(job.result);
    if (N < 1 || R < 1) return true;
    // Two spare bins: the peak routines look one bin past the pair they are given.
    std::vector<Complex> W;
    if (!allocate(W, (size_t)h + 2)) return false;
    for (const HarmonicRecord& r : job.records) {
        // Only bins 0 .. h-1: a huge or undefined position has none.
        const f64 x = std::floor(r.frequency * N / R + 0.5);
        if (x >= 0 && x < h) addPolarToComplex(r, N / 2.0, W[(size_t)x]);
    }
    const f64 d = W[0].re / N;
    if (d >= T) {
        HarmonicRecord* dc = job.result.append(1);
        *dc = HarmonicRecord{};
        dc->amplitude = d;
        asFundamental(*dc);
    }
    const f64 P = (T * N) * (T * N) / 4.0;
    for (size_t pass = 0; pass < job.records.size() && h >= 2; ++pass) {
        if (report(job, pass)) return false;
        const i32 k = findStrongestBin(W.data(), N, T);
        if (k < 0 || W[k].re * W[k].re + W[k].im * W[k].im < P) break;
        HarmonicRecord r{};
        const i32 p = findNeighbourPeak(W.data(), N, k, T);
        if (p < 0) {
            binToHarmonic(k, R, N, W[k], &r);
        } else {
            refineHarmonic(W.data(), &r, p, N, R);
            i32 first, last;
            subtractHarmonicFromSpectrum(r, W.data(), N, R, &first, &last, T);
        }
        asFundamental(r);
        *job.result.append(1) = r;
        W[k] = Complex{0.0, 0.0};
    }
    return true;
}

bool preparePlayback(SpectrumJob& job) {
    if (!job.loop) return false;
    const u32 n = (u32)job.loop->spectrum.size();
    for (const HarmonicRecord& r : job.records) placeHarmonicOnBin(r, job.loop->spectrum.data(), n, job.loop->rate);
    return buildPeriod(*job.loop, job.progress());
}
