#include "engine/fft.h"

#include <emmintrin.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "core/exceptions.h"
#include "core/progress.h"
#include "mm/mm_texts.h"

// The steps one transform reports: each on top of the steps of the parts before it.
struct FftSteps {
    JobProgress* progress;
    u64 base = 0;

    explicit FftSteps(JobProgress* progress) : progress(progress) {}
    // True when the job is cancelled.
    bool report(u64 step) { return progress && progress->report(base + step, nullptr); }
};

void fftOutOfMemory(i64 n) {
    GVerifyException e;
    e.code = (u32)n;
    e.text = mmText(MmText::FftOutOfMemory);
    throw e;
}

namespace {
const f64 pi = 3.14159265358979323846;

// count complex values that must be there; the transform of n points cannot go on without them.
Complex* allocate(u64 count, i64 n) {
    Complex* p = count <= 0x7FFFFFFF / sizeof(Complex) ? new (std::nothrow) Complex[(size_t)count] : nullptr;
    if (!p) fftOutOfMemory(n);
    return p;
}

struct Owned {
    Complex* p;
    ~Owned() { delete[] p; }
};

// root[k] = e^(-i pi / 2^k): entry 0 is -1, entry 1 is -i.
const Complex* roots() {
    static const struct Table {
        Complex r[32];
        Table() {
            for (int k = 0; k < 32; ++k) r[k] = {std::cos(pi / std::ldexp(1.0, k)), -std::sin(pi / std::ldexp(1.0, k))};
            r[1] = {0.0, -1.0};
        }
    } table;
    return table.r;
}

inline Complex mul(Complex a, Complex b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }

// w(j) = e^(-2 pi i j/n) for j < n/4 (n a power of two at least 8) at w[j x stride], each entry one
// product away from an entry of a shorter stage.
void makeQuarterTwiddles(Complex* w, u32 n, size_t stride) {
    const u32 m = n / 4;
    const Complex* root = roots();
    for (u32 i = 0; i < m; ++i) w[i * stride] = {0.0, 0.0};
    w[0] = {1.0, 0.0};
    u32 s = m, h = m / 2;
    for (u32 k = 2; h > 0; ++k, s = h, h /= 2) {
        for (u32 i = 0; i < m; i += s) w[(i + h) * stride] = mul(w[i * stride], root[k]);
    }
}

// The 32-bit reversals of the bytes.
const u8* reversedBytes() {
    static const struct Table {
        u8 r[256];
        Table() {
            for (u32 b = 0; b < 256; ++b) {
                u32 v = 0;
                for (u32 k = 0; k < 8; ++k) v |= ((b >> k) & 1) << (7 - k);
                r[b] = (u8)v;
            }
        }
    } table;
    return table.r;
}

inline u32 reverse32(u32 i, const u8* t) {
    return (u32)t[i & 255] << 24 | (u32)t[(i >> 8) & 255] << 16 | (u32)t[(i >> 16) & 255] << 8 | t[i >> 24];
}

// SSE2 complex arithmetic, one complex value per register {re, im}.
inline __m128d load(const Complex* p) { return _mm_loadu_pd(&p->re); }
inline void store(Complex* p, __m128d v) { _mm_storeu_pd(&p->re, v); }

// x * w, or x * conj(w): sign holds -0.0 in the lane whose product term is subtracted.
inline __m128d cmul(__m128d x, __m128d w, __m128d sign) {
    __m128d wr = _mm_unpacklo_pd(w, w), wi = _mm_unpackhi_pd(w, w);
    __m128d swapped = _mm_xor_pd(_mm_shuffle_pd(x, x, 1), sign);
    return _mm_add_pd(_mm_mul_pd(x, wr), _mm_mul_pd(swapped, wi));
}

// x * (-i), or x * i: {im, -re} or {-im, re}.
inline __m128d rotate(__m128d x, __m128d sign) { return _mm_xor_pd(_mm_shuffle_pd(x, x, 1), sign); }

// The combined butterfly of two stages over a0..a3 (blocks of h, twiddles w1 = w2^2, w2, w3 = w2^3).
inline void butterfly4(Complex* x, u32 h, __m128d p1, __m128d p2, __m128d p3, __m128d a0, __m128d rotSign) {
    __m128d s = _mm_add_pd(a0, p1), d = _mm_sub_pd(a0, p1);
    __m128d e = _mm_add_pd(p2, p3), f = rotate(_mm_sub_pd(p2, p3), rotSign);
    store(x, _mm_add_pd(s, e));
    store(x + 2 * h, _mm_sub_pd(s, e));
    store(x + h, _mm_add_pd(d, f));
    store(x + 3 * h, _mm_sub_pd(d, f));
}
}  // namespace

FftPlan::FftPlan(u32 order) : bits(order), n(1u << order) {
    if (order > 28) fftOutOfMemory((i64)1 << order);
    if (order <= 13 && n >= 4) {
        // The pairs of the bit-reversal permutation, ended by a 0.
        const u8* table = reversedBytes();
        u32 pairs = 0;
        for (u32 i = 1; i + 1 < n; ++i) pairs += i < reverse32(i, table) >> (32 - bits);
        swaps.reset(new (std::nothrow) u32[2 * pairs + 1]);
        if (!swaps) fftOutOfMemory(n);
        u32* s = swaps.get();
        for (u32 i = 1; i + 1 < n; ++i) {
            u32 r = reverse32(i, table) >> (32 - bits);
            if (i < r) {
                *s++ = i;
                *s++ = r;
            }
        }
        *s = 0;
    }
    if (n < 8) return;
    // Radix-4 stages with quarters h = 1, 4, 16, ... (after an odd first stage of radix 2: 2, 8,
    // 32, ...); h = 1 needs no twiddles.
    u64 entries = 0;
    for (u32 h = (bits & 1) ? 2 : 4; h <= n / 4; h *= 4) entries += 3 * (u64)h;
    twiddles.reset(allocate(entries, n));
    // The last pair of stages (h = n/4) takes w(2j), w(j), w(3j) for every j < n/4: w(j) first, the
    // others from it by whole quarter turns (w(j + n/4) = -i w(j)), which are exact. No other table.
    Complex* last = twiddles.get() + (entries - 3 * (u64)(n / 4));
    makeQuarterTwiddles(last + 1, n, 3);
    const u32 quarter = n / 4;
    auto w = [&](u32 index) {
        Complex v = last[3 * (index % quarter) + 1];
        for (u32 q = index / quarter; q > 0; --q) v = {v.im, -v.re};
        return v;
    };
    for (u32 j = 0; j < quarter; ++j) {
        last[3 * j] = w(2 * j);
        last[3 * j + 2] = w(3 * j);
    }
    // An earlier pair of stages takes every stride-th triple of the last.
    Complex* t = twiddles.get();
    for (u32 h = (bits & 1) ? 2 : 4; h < quarter; h *= 4) {
        const u32 stride = quarter / h;
        for (u32 j = 0; j < h; ++j, t += 3) {
            const Complex* from = last + 3 * (size_t)j * stride;
            t[0] = from[0];
            t[1] = from[1];
            t[2] = from[2];
        }
    }
}

bool FftPlan::run(Complex* x, bool inverse, FftSteps* steps) const {
    if (n < 2) return true;
    if (swaps) {
        for (const u32* s = swaps.get(); s[0]; s += 2) {
            __m128d a = load(x + s[0]);
            store(x + s[0], load(x + s[1]));
            store(x + s[1], a);
        }
    } else {
        const u8* table = reversedBytes();
        for (u32 i = 1; i + 1 < n; ++i) {
            u32 r = reverse32(i, table) >> (32 - bits);
            if (i < r) {
                Complex v = x[i];
                x[i] = x[r];
                x[r] = v;
            }
        }
    }
    // The twiddle product subtracts in the real lane (forward) or the imaginary lane (inverse);
    // the rotation by -i (forward) or i (inverse) the other way round.
    const __m128d low = _mm_set_pd(0.0, -0.0), high = _mm_set_pd(-0.0, 0.0);
    const __m128d mulSign = inverse ? high : low, rotSign = inverse ? low : high;
    u32 stage = 0;
    if (bits & 1) {
        for (u32 b = 0; b < n; b += 2) {
            __m128d a = load(x + b), c = load(x + b + 1);
            store(x + b, _mm_add_pd(a, c));
            store(x + b + 1, _mm_sub_pd(a, c));
        }
        stage = 1;
        if (steps && steps->report(stage)) return false;
    }
    const Complex* t = twiddles.get();
    for (u32 h = 1u << stage; stage < bits; h *= 4) {
        if (h == 1) {
            for (u32 b = 0; b < n; b += 4) {
                Complex* y = x + b;
                butterfly4(y, 1, load(y + 1), load(y + 2), load(y + 3), load(y), rotSign);
            }
        } else {
            for (u32 b = 0; b < n; b += 4 * h) {
                Complex* y = x + b;
                const Complex* w = t;
                for (u32 j = 0; j < h; ++j, ++y, w += 3) {
                    __m128d p1 = cmul(load(y + h), load(w), mulSign);
                    __m128d p2 = cmul(load(y + 2 * h), load(w + 1), mulSign);
                    __m128d p3 = cmul(load(y + 3 * h), load(w + 2), mulSign);
                    butterfly4(y, h, p1, p2, p3, load(y), rotSign);
                }
            }
            t += 3 * h;
        }
        stage += 2;
        if (steps && (steps->report(stage - 1) || steps->report(stage))) return false;
    }
    return true;
}

u32 fftOrder(i32 n) {
    if (n < 1) return 0;
    u32 p = (u32)std::floor(std::log((f64)n) / std::log(2.0) + 0.5);
    if (p < 31 && (1u << p) == (u32)n) return p + 1;
    u32 big = 0;
    while (((u64)1 << big) < 2 * (u64)n) ++big;
    return 3 * big + 4;
}

namespace {
// The plan of a length: the last one made is kept for the next transform of that length (fresh
// memory for the tables costs more than building them), up to 2^16 points.
std::shared_ptr<const FftPlan> planFor(u32 order) {
    static std::mutex lock;
    static std::shared_ptr<const FftPlan> last;
    {
        std::lock_guard<std::mutex> hold(lock);
        if (last && last->size() == 1u << order) return last;
    }
    std::shared_ptr<const FftPlan> plan = std::make_shared<FftPlan>(order);
    if (order <= 16) {
        std::lock_guard<std::mutex> hold(lock);
        last = plan;
    }
    return plan;
}

bool fftPow2(Complex* data, u32 order, bool inverse, FftSteps& steps, bool inPlace) {
    const u32 n = 1u << order;
    std::shared_ptr<const FftPlan> plan = planFor(order);
    // With a progress object the work goes on a copy, so that a cancel leaves the data whole, unless
    // the caller drops cancelled data.
    Owned copy{steps.progress && !inPlace ? allocate(n, n) : nullptr};
    Complex* x = data;
    if (copy.p) {
        memcpy(copy.p, data, n * sizeof(Complex));
        x = copy.p;
    }
    if (!plan->run(x, inverse, &steps)) return false;
    if (inverse) {
        const f64 scale = 1.0 / n;
        for (u32 i = 0; i < n; ++i) x[i] = {x[i].re * scale, x[i].im * scale};
    }
    if (steps.report(order + 1)) return false;
    if (copy.p) memcpy(data, copy.p, n * sizeof(Complex));
    return true;
}

// e^(i sign pi t^2 / n) for t = 0, 1, 2, ... in turn: t^2 is kept modulo 2n in whole numbers, and
// e^(i pi q / n) is the product of two table entries (q = 1024 h + l), so no angle grows large and
// the sines are taken only for the tables.
class ChirpSweep {
public:
    ChirpSweep(u32 n, f64 sign) : n(n), conjugate(sign < 0) {
        const u32 highs = (2 * n) / 1024 + 1;
        low = std::unique_ptr<Complex[]>(allocate(1024, n));
        high = std::unique_ptr<Complex[]>(allocate(highs, n));
        for (u32 l = 0; l < 1024; ++l) low[l] = {std::cos(pi * l / n), std::sin(pi * l / n)};
        for (u32 h = 0; h < highs; ++h) high[h] = {std::cos(pi * 1024.0 * h / n), std::sin(pi * 1024.0 * h / n)};
    }
    Complex next() {
        Complex v = mul(high[q >> 10], low[q & 1023]);
        // (t + 1)^2 = t^2 + 2t + 1.
        q += step;
        if (q >= 2 * n) q -= 2 * n;
        step += 2;
        if (step >= 2 * n) step -= 2 * n;
        return conjugate ? Complex{v.re, -v.im} : v;
    }

private:
    u32 n;
    bool conjugate;
    u32 q = 0, step = 1;  // below 2n < 2^30
    std::unique_ptr<Complex[]> low, high;
};

bool fftChirp(Complex* x, u32 n, bool inverse, FftSteps& steps) {
    u32 order = 0;
    while (((u64)1 << order) < 2 * (u64)n) ++order;
    if (order > 28) fftOutOfMemory(n);
    const u32 size = 1u << order;
    const f64 sign = inverse ? -1.0 : 1.0;
    Owned a{allocate(size, n)};
    Owned b{allocate(size, n)};
    std::shared_ptr<const FftPlan> plan = planFor(order);
    ChirpSweep forward(n, sign);
    for (u32 j = 0; j < n; ++j) a.p[j] = mul(x[j], forward.next());
    for (u32 j = n; j < size; ++j) a.p[j] = {0.0, 0.0};
    if (steps.report(1)) return false;
    // b[m] holds the reversed chirp of 2n - 2 - m, so t = |2n - 2 - m| fills b on both sides of 2n - 2.
    const i64 last = 2 * (i64)n - 2;
    ChirpSweep backward(n, -sign);
    for (i64 t = 0; t <= last || last + t < (i64)size; ++t) {
        const Complex v = backward.next();
        if (t <= last) b.p[last - t] = v;
        if (t > 0 && last + t < (i64)size) b.p[last + t] = v;
    }
    if (steps.report(2)) return false;
    steps.base += 2;
    if (!plan->run(a.p, false, &steps)) return false;
    steps.base += order;
    if (!plan->run(b.p, false, &steps)) return false;
    steps.base += order;
    for (u32 m = 0; m < size; ++m) a.p[m] = mul(a.p[m], b.p[m]);
    if (steps.report(1)) return false;
    steps.base += 1;
    if (!plan->run(a.p, true, &steps)) return false;
    steps.base += order;
    if (steps.report(1)) return false;
    const f64 scale = 1.0 / size / (inverse ? n : 1);
    ChirpSweep result(n, sign);
    for (u32 k = 0; k < n; ++k) {
        Complex v = mul(a.p[last - k], result.next());
        x[k] = {v.re * scale, v.im * scale};
    }
    return true;
}
}  // namespace

bool fft(Complex* data, i32 n, bool inverse, JobProgress* progress, bool inPlace) {
    if (n < 1) return true;
    FftSteps steps(progress);
    u32 p = (u32)std::floor(std::log((f64)n) / std::log(2.0) + 0.5);
    if (p < 31 && (1u << p) == (u32)n) return fftPow2(data, p, inverse, steps, inPlace);
    return fftChirp(data, (u32)n, inverse, steps);
}
