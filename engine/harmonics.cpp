#include "engine/harmonics.h"

#include <cmath>
#include <complex>
#include <cstring>
#include <new>

#include "gui/controls/notes.h"
#include "mm/mm_texts.h"

namespace {
const f64 pi = 3.141592653589793;
const f64 twoPi = 6.283185307179586;

f64 power(const Complex& b) { return b.re * b.re + b.im * b.im; }
f64 phaseOf(const Complex& b) { return std::atan2(b.im, b.re); }
// The power limit of an amplitude: a sinusoid of amplitude a peaks at a x n / 2.
f64 powerLimit(i32 n, f64 minAmplitude) { return (f64)n * n * minAmplitude * minAmplitude / 4.0; }
// A bin phase as a harmonic phase, -pi..pi.
f64 harmonicPhase(f64 binPhase) {
    f64 p = binPhase + pi / 2;
    return p > pi ? p - twoPi : p;
}
f64 wrapOnce(f64 d) { return d > pi ? d - twoPi : d < -pi ? d + twoPi : d; }

typedef std::complex<f64> C;
// sin(pi x), exact for whole x and accurate for large x.
f64 sinPi(f64 x) {
    const f64 r = std::nearbyint(x), d = x - r;
    const f64 s = std::sin(pi * d);
    return std::fmod(r, 2.0) == 0 ? s : -s;
}

// The transform kernel K(j, n, b, q) of a cosine of fractional bin b and phase q, made for one b and q
// and asked at many bins j. With a1 = pi (j + b) / n and a2 = pi (b - j) / n:
// K = sin(pi b) (e^(-i (q + pi b) + i a1) / sin a1 + e^(i (q + pi b) - i a2) / sin a2),
// the quotient of a term taken as n e^(-+iq) where its sine is 0 (the cosine sits on bin j).
class Kernel {
public:
    Kernel(i32 n, f64 b, f64 q) : n(n), b(b), q(q), sb(sinPi(b)), turn(std::polar(1.0, q + pi * std::fmod(b, 2.0))) {}

    C at(i32 j) const { return from(C(std::cos(pi * (j + b) / n), std::sin(pi * (j + b) / n)), std::polar(1.0, pi * (j - b) / n)); }

    // Bins one after another from j in steps of `by` (1 or -1): the two angles turn by pi / n a
    // step, so a step costs no sine.
    class Walk {
    public:
        Walk(const Kernel& k, i32 j, i32 by)
            : k(k), e1(std::polar(1.0, pi * (j + k.b) / k.n)), e2(std::polar(1.0, pi * (j - k.b) / k.n)),
              turnStep(std::polar(1.0, by * pi / k.n)) {}
        C next() {
            const C v = k.from(e1, e2);
            e1 *= turnStep;
            e2 *= turnStep;
            return v;
        }

    private:
        const Kernel& k;
        C e1, e2, turnStep;
    };

private:
    // The kernel from e^(i a1) and e^(-i a2).
    C from(const C& e1, const C& e2) const {
        const f64 s1 = e1.imag(), s2 = -e2.imag();
        C k1 = s1 == 0 ? std::polar((f64)n, -q) : std::conj(turn) * e1 * (sb / s1);
        C k2 = s2 == 0 ? std::polar((f64)n, q) : turn * e2 * (sb / s2);
        return k1 + k2;
    }

    i32 n;
    f64 b, q, sb;
    C turn;  // e^(i (q + pi b))
};

C kernel(i32 j, i32 n, f64 b, f64 q) { return Kernel(n, b, q).at(j); }

// Solves error(x) = 0 in [lo, hi]: the bracket is scanned for the change of sign with the smallest
// errors beside it (a phase error jumps by 2 pi where it wraps), then halved down to 1e-10. Without
// a change of sign the scanned point of least error is the answer.
template <class Error>
f64 solve(f64 lo, f64 hi, Error error) {
    const int steps = 64;
    f64 best = lo, bestError = std::fabs(error(lo));
    f64 a = 0, b = 0, jump = INFINITY;
    f64 x0 = lo, e0 = error(lo);
    for (int i = 1; i <= steps; ++i) {
        f64 x1 = lo + (hi - lo) * i / steps, e1 = error(x1);
        if (std::fabs(e1) < bestError) best = x1, bestError = std::fabs(e1);
        const f64 around = std::fabs(e0) + std::fabs(e1);
        if ((e0 <= 0) != (e1 <= 0) && around < jump) a = x0, b = x1, jump = around;
        x0 = x1, e0 = e1;
    }
    if (jump == INFINITY) return best;
    f64 ea = error(a);
    while (b - a > 1e-10) {
        f64 m = 0.5 * (a + b), em = error(m);
        if ((em <= 0) == (ea <= 0)) a = m, ea = em;
        else b = m;
    }
    return 0.5 * (a + b);
}

bool failSpectrum(GFile& file, MmText message) {
    fileCloseQuietly(file);
    reportFileError(file, mmText(message), nullptr, 0);
    return false;
}
}  // namespace

f64 overtoneFrequency(f64 base, i32 overtone) {
    if (overtone >= 1) return base * (overtone + 1);
    if (overtone < 0) return base / (1 - overtone);
    return base;
}

void HarmonicRecord::updateNote(HarmonicRecord* record) {
    static const f64 top = noteToFrequency(191);  // octave 15 is the highest
    const NoteOctave r = frequencyToNote(record->frequency > top ? top : record->frequency);
    record->note = (u32)r.note;
    record->octave = (u32)r.octave;
}

f64 harmonicCentsOffNote(const HarmonicRecord& record) {
    if (record.frequency < 16.0) return 0.0;
    f64 ratio = record.frequency / noteToFrequency((i32)(12 * record.octave + record.note));
    if (ratio < 1e-10) return 0.0;
    return 12.0 * std::log2(ratio);
}

void resizeHarmonicArray(HarmonicArray& array, u32 n) {
    if (n == array.capacity) return;
    HarmonicRecord* fresh = n ? reinterpret_cast<HarmonicRecord*>(new char[sizeof(HarmonicRecord) * n]) : nullptr;
    if (n) memset(static_cast<void*>(fresh), 0, sizeof(HarmonicRecord) * n);
    delete[] reinterpret_cast<char*>(array.data);
    array.data = fresh;
    array.capacity = n;
}

void initSpectrumHeader(SpectrumHeader* header) {
    *header = SpectrumHeader{spectrumMagic, sizeof(SpectrumHeader), spectrumVersion, 0, 44100, 16384};
}

void recomputeHarmonicNotes(SpectrumHeader* header, HarmonicArray& array) {
    for (u32 i = 0; i < array.count; ++i) {
        HarmonicRecord& r = array[i];
        r.baseFrequency = r.frequency;
        r.reserved16 = 0;
        r.overtone = 0;
        HarmonicRecord::updateNote(&r);
    }
    header->flags |= spectrumNotesValid;
}

bool readSpectrumFile(SpectrumHeader* header, HarmonicArray& array, GFile& file) {
    u32 head[3];
    if (!fileSeek(file, 0, SEEK_SET) || !fileRead(file, head, 12)) return false;
    if (head[0] != spectrumMagic) return failSpectrum(file, MmText::SpectrumBadFormat);
    if (head[2] != spectrumVersion) return failSpectrum(file, MmText::SpectrumBadVersion);
    const u32 headerSize = head[1];
    if (headerSize < sizeof(SpectrumHeader)) return failSpectrum(file, MmText::SpectrumBadFormat);
    u32 count;
    SpectrumHeader read;
    if (!fileSeek(file, 0, SEEK_SET) || !fileRead(file, &read, sizeof read) ||
        !fileSeek(file, headerSize, SEEK_SET) || !fileRead(file, &count, 4))
        return false;
    // The size rule in 64 bits, so that a count cannot wrap it into agreement.
    const i64 size = fileSize(file);
    if (size < 0 || size >= (1ll << 32) || (u64)size != (u64)headerSize + 56ull * count + 4)
        return failSpectrum(file, MmText::SpectrumSizeMismatch);
    HarmonicArray fresh;
    try {
        resizeHarmonicArray(fresh, count);
    } catch (const std::bad_alloc&) {
        return failSpectrum(file, MmText::SpectrumNoMemory);
    }
    fresh.count = count;
    if (count && !fileRead(file, fresh.data, 56 * count)) return false;
    for (u32 i = 0; i < count; ++i) {
        const HarmonicRecord& r = fresh[i];
        if (!std::isfinite(r.amplitude) || !std::isfinite(r.frequency) || !std::isfinite(r.phase))
            return failSpectrum(file, MmText::SpectrumBadFormat);
    }
    *header = read;
    std::swap(array.data, fresh.data);
    std::swap(array.capacity, fresh.capacity);
    std::swap(array.count, fresh.count);
    if (!(header->flags & spectrumNotesValid)) recomputeHarmonicNotes(header, array);
    return true;
}

bool writeSpectrumFile(SpectrumHeader* header, const HarmonicArray& array, GFile& file) {
    header->flags &= ~1u;
    SpectrumHeader out = *header;
    out.headerSize = sizeof(SpectrumHeader);
    const u32 count = array.count;
    return fileWrite(file, &out, sizeof out) && fileWrite(file, &count, 4) &&
           (count == 0 || fileWrite(file, array.data, 56 * count));
}

i32 findStrongestBin(const Complex* spectrum, i32 n, f64 minAmplitude) {
    if (n < 4) return -1;
    i32 best = -1;
    f64 bestPower = -1.0;
    for (i32 j = 1; j < n / 2; ++j) {
        f64 p = power(spectrum[j]);
        if (p > bestPower) best = j, bestPower = p;
    }
    return bestPower >= powerLimit(n, minAmplitude) ? best : -1;
}

i32 findNeighbourPeak(const Complex* spectrum, i32 n, i32 k, f64 minAmplitude) {
    if (k < 2 || k >= n / 2 - 1) return -1;
    const f64 limit = powerLimit(n, minAmplitude);
    const f64 pl = power(spectrum[k - 1]), pk = power(spectrum[k]), pr = power(spectrum[k + 1]);
    if (!(pl <= pk && pk >= pr)) return -1;
    const f64 dL = std::fabs(wrapOnce(phaseOf(spectrum[k]) - phaseOf(spectrum[k - 1])));
    const f64 dR = std::fabs(wrapOnce(phaseOf(spectrum[k]) - phaseOf(spectrum[k + 1])));
    if (dL > pi / 2 && dR < pi / 4 && pk / 2 > pr && pl >= limit) return k - 1;
    if (dR <= pi / 2) return -1;
    if (dL >= pi / 4 || pk / 2 <= pl) return -1;
    return pr >= limit ? k : -1;
}

void refineHarmonic(const Complex* spectrum, HarmonicRecord* record, i32 k, i32 n, i32 rate) {
    const bool upper = power(spectrum[k + 1]) >= power(spectrum[k]);
    const i32 a = upper ? k + 1 : k, b = upper ? k : k + 1;
    const C xa(spectrum[a].re, spectrum[a].im), xb(spectrum[b].re, spectrum[b].im);
    if (std::abs(xb) == 0) return binToHarmonic(a, rate, n, spectrum[a], record);  // no pair to solve from
    const f64 ratio = std::abs(xa) / std::abs(xb), angle = std::arg(xa);
    f64 f = k + 0.5, q = 0.0;
    int settled = 0;
    for (int pass = 0; pass < 1000 && settled < 2; ++pass) {
        if (pass % 2 == 0) {
            auto error = [&](f64 x) { return std::abs(kernel(a, n, x, q)) / std::abs(kernel(b, n, x, q)) - ratio; };
            if (std::fabs(error(f)) < 1e-10) ++settled;
            else settled = 0, f = solve(k, k + 1, error);
        } else {
            auto error = [&](f64 x) { return wrapOnce(std::arg(kernel(a, n, f, x)) - angle); };
            if (std::fabs(error(q)) < 1e-10) ++settled;
            else settled = 0, q = wrapOnce(solve(-twoPi, twoPi, error));
        }
    }
    record->amplitude = std::abs(2.0 * xa / kernel(a, n, f, q));
    record->frequency = f * rate / n;
    record->phase = harmonicPhase(q);
}

void binToHarmonic(i32 k, i32 rate, i32 n, const Complex& bin, HarmonicRecord* record) {
    record->amplitude = 2.0 * std::sqrt(power(bin)) / n;
    record->phase = harmonicPhase(phaseOf(bin));
    record->frequency = (f64)k * rate / n;
}

void harmonicsFromFft(const Complex* spectrum, i32 n, HarmonicArray& array, i32 rate, bool setNotes,
                      f64 minAmplitude) {
    if (n <= 0) return;
    if (spectrum[0].re >= n * minAmplitude && std::isfinite(spectrum[0].re))
        array.append(1)->amplitude = spectrum[0].re / n;
    const f64 limit = powerLimit(n, minAmplitude);
    auto passes = [limit](const Complex& bin) {
        const f64 p = power(bin);
        return p >= limit && std::isfinite(p);
    };
    // Room for every record at once: growing step by step would copy the list over and over.
    u32 found = 0;
    for (i32 j = 1; j < (n + 1) / 2; ++j) found += passes(spectrum[j]);
    array.reserveFor(array.count + found);
    for (i32 j = 1; j < (n + 1) / 2; ++j) {
        if (!passes(spectrum[j])) continue;
        HarmonicRecord* r = array.append(1);
        binToHarmonic(j, rate, n, spectrum[j], r);
        if (setNotes) {
            r->baseFrequency = r->frequency;
            HarmonicRecord::updateNote(r);
        }
    }
}

void addPolarToComplex(const HarmonicRecord& record, f64 scale, Complex& bin) {
    f64 q = record.phase - pi / 2;
    if (q < -pi) q += twoPi;
    const f64 a = record.amplitude * scale;
    bin.re += a * std::cos(q);
    bin.im += a * std::sin(q);
}

void placeHarmonicOnBin(const HarmonicRecord& record, Complex* spectrum, u32 n, u32 rate) {
    const f64 k = std::floor(record.frequency * n / rate + 0.5);
    if (k >= 0 && k < n / 2) addPolarToComplex(record, n, spectrum[(size_t)k]);
}

namespace {
// The walks of adding (sign 1) and subtracting (sign -1) one harmonic: adding stops after the first
// bin whose new power is below the limit, subtracting at the first bin whose old power is. Reports the lowest and highest bin changed (-1 for none).
void spreadHarmonic(const HarmonicRecord& r, Complex* spectrum, i32 n, i32 rate, f64 minAmplitude, f64 sign,
                    i32* firstBin, i32* lastBin) {
    *firstBin = *lastBin = -1;
    if (!(r.amplitude >= minAmplitude) || n < 1 || rate <= 0) return;
    if (r.frequency < 1e-5) {
        spectrum[0].re += sign * n * r.amplitude;
        *firstBin = *lastBin = 0;
        return;
    }
    const f64 b = r.frequency * n / rate;
    if (!(b < n / 2)) return;  // at or above half the rate, and not a number
    const i32 k = (i32)std::floor(b + 0.5);
    f64 q = r.phase - pi / 2;
    if (q < -pi) q += twoPi;
    if (std::fabs(k - b) < 1e-5 && k < n / 2) {
        spectrum[k].re += sign * n * r.amplitude / 2 * std::cos(q);
        spectrum[k].im += sign * n * r.amplitude / 2 * std::sin(q);
        *firstBin = *lastBin = k;
        return;
    }
    const f64 limit = powerLimit(n, minAmplitude), scale = sign * r.amplitude / 2;
    const Kernel kernel(n, b, q);
    // One step of a walk: false once it must stop.
    auto step = [&](i32 j, Kernel::Walk& walk) {
        if (sign < 0 && !(power(spectrum[j]) >= limit)) return false;
        const C v = walk.next() * scale;
        spectrum[j].re += v.real();
        spectrum[j].im += v.imag();
        if (*firstBin < 0 || j < *firstBin) *firstBin = j;
        if (j > *lastBin) *lastBin = j;
        return sign < 0 || power(spectrum[j]) >= limit;
    };
    Kernel::Walk up(kernel, k, 1);
    for (i32 j = k; j < n / 2 && step(j, up);) ++j;
    const i32 top = std::min(k - 1, n / 2 - 1);
    Kernel::Walk down(kernel, top, -1);
    for (i32 j = top; j >= 1 && step(j, down);) --j;
}
}  // namespace

void addHarmonicToSpectrum(const HarmonicRecord& record, Complex* spectrum, i32 n, i32 rate, f64 minAmplitude) {
    i32 first, last;
    spreadHarmonic(record, spectrum, n, rate, minAmplitude, 1.0, &first, &last);
}

void subtractHarmonicFromSpectrum(const HarmonicRecord& record, Complex* spectrum, i32 n, i32 rate, i32* firstBin,
                                  i32* lastBin, f64 minAmplitude) {
    spreadHarmonic(record, spectrum, n, rate, minAmplitude, -1.0, firstBin, lastBin);
}
