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
    // 32, ...); h = 1 needs no twiddles. A blocked plan takes its blocks as large as fit the caches
    // (a power of four rows of them for the column stages) and its columns by measuring.
    const u32 quarter = n / 4;
    u32 inner = n;
    if (bits > blockedFrom) {
        blockBits = (bits & 1) ? 13 : 14;
        inner = 1u << blockBits;
        columns = 16384 / (n / inner);
        columns = columns < 4 ? 4 : columns > 32 ? 32 : columns;
    }
    u64 entries = 0;
    for (u32 h = (bits & 1) ? 2 : 4; h <= inner / 4; h *= 4) entries += 3 * (u64)h;
    columnTwiddles = (size_t)entries;
    const u32 rows = n / inner;
    if (inner < n) {
        // The column pass: rows x columns turns within a group, rows per group, 3 per position of
        // the row stages of quarters 4, 16, ...
        entries += (u64)rows * columns + (u64)rows * (inner / columns);
        for (u32 hr = 4; hr < rows; hr *= 4) entries += 3 * (u64)hr;
    }
    twiddles.reset(allocate(entries, n));
    // w(j) for j < n/4, and the others from it by whole quarter turns (w(j + n/4) = -i w(j)), which
    // are exact. The stage of quarter h takes w(2j s), w(j s), w(3j s) with s = n / 4h.
    std::unique_ptr<Complex[]> base(allocate(quarter, n));
    makeQuarterTwiddles(base.get(), n, 1);
    const u32 quarterBits = bits - 2;
    auto w = [&](u32 index) {
        Complex v = base[index & (quarter - 1)];
        for (u32 q = index >> quarterBits; q > 0; --q) v = {v.im, -v.re};
        return v;
    };
    // j < h, so 3j s < 3n/4 fits 32 bits.
    auto triple = [&](Complex* t, u32 j, u32 h) {
        const u32 js = j * (quarter / h);
        t[0] = w(2 * js);
        t[1] = w(js);
        t[2] = w(3 * js);
    };
    Complex* t = twiddles.get();
    for (u32 h = (bits & 1) ? 2 : 4; h <= inner / 4; h *= 4) {
        for (u32 j = 0; j < h; ++j, t += 3) triple(t, j, h);
    }
    if (inner == n) return;
    // Row r of the blocks holds the spectra of the values at r' = reversed r modulo the rows; value
    // c of it is turned by w(r' c) = w(r' c0) w(r' (c - c0)) in the group of columns from c0, then
    // the rows' transform runs down the columns with the turns of a transform of `rows` points.
    const u8* table = reversedBytes();
    const u32 rowBits = bits - blockBits;
    auto reversedRow = [&](u32 r) { return reverse32(r, table) >> (32 - rowBits); };
    for (u32 r = 0; r < rows; ++r) {
        for (u32 c = 0; c < columns; ++c) *t++ = w(reversedRow(r) * c);
    }
    for (u32 c0 = 0; c0 < inner; c0 += columns) {
        for (u32 r = 0; r < rows; ++r) *t++ = w(reversedRow(r) * c0);
    }
    for (u32 hr = 4; hr < rows; hr *= 4) {
        for (u32 jr = 0; jr < hr; ++jr, t += 3) triple(t, jr, hr);
    }
}

namespace {
// The radix-2 stage over count values.
inline void radix2Stage(Complex* x, u32 count) {
    for (u32 b = 0; b < count; b += 2) {
        __m128d a = load(x + b), c = load(x + b + 1);
        store(x + b, _mm_add_pd(a, c));
        store(x + b + 1, _mm_sub_pd(a, c));
    }
}

// The radix-4 stage of quarter h over count values (t: its twiddles, 3 per position; none for h = 1).
inline void radix4Stage(Complex* x, u32 count, u32 h, const Complex* t, __m128d mulSign, __m128d rotSign) {
    if (h == 1) {
        for (u32 b = 0; b < count; b += 4) {
            Complex* y = x + b;
            butterfly4(y, 1, load(y + 1), load(y + 2), load(y + 3), load(y), rotSign);
        }
        return;
    }
    for (u32 b = 0; b < count; b += 4 * h) {
        Complex* y = x + b;
        const Complex* w = t;
        for (u32 j = 0; j < h; ++j, ++y, w += 3) {
            __m128d p1 = cmul(load(y + h), load(w), mulSign);
            __m128d p2 = cmul(load(y + 2 * h), load(w + 1), mulSign);
            __m128d p3 = cmul(load(y + 3 * h), load(w + 2), mulSign);
            butterfly4(y, h, p1, p2, p3, load(y), rotSign);
        }
    }
}

// The transpose of butterfly4 (its twiddles after the sums): from values in order toward the
// bit-reversed spectrum.
inline void butterfly4Transposed(Complex* y, u32 h, __m128d rotSign) {
    __m128d c0 = load(y), c1 = load(y + h), c2 = load(y + 2 * h), c3 = load(y + 3 * h);
    __m128d s = _mm_add_pd(c0, c2), d = _mm_sub_pd(c0, c2);
    __m128d e = _mm_add_pd(c1, c3), f = rotate(_mm_sub_pd(c1, c3), rotSign);
    store(y, _mm_add_pd(s, e));
    store(y + h, _mm_sub_pd(s, e));
    store(y + 2 * h, _mm_add_pd(d, f));
    store(y + 3 * h, _mm_sub_pd(d, f));
}

inline void butterfly4Transposed(Complex* y, u32 h, __m128d w1, __m128d w2, __m128d w3, __m128d mulSign,
                                 __m128d rotSign) {
    __m128d c0 = load(y), c1 = load(y + h), c2 = load(y + 2 * h), c3 = load(y + 3 * h);
    __m128d s = _mm_add_pd(c0, c2), d = _mm_sub_pd(c0, c2);
    __m128d e = _mm_add_pd(c1, c3), f = rotate(_mm_sub_pd(c1, c3), rotSign);
    store(y, _mm_add_pd(s, e));
    store(y + h, cmul(_mm_sub_pd(s, e), w1, mulSign));
    store(y + 2 * h, cmul(_mm_add_pd(d, f), w2, mulSign));
    store(y + 3 * h, cmul(_mm_sub_pd(d, f), w3, mulSign));
}

// The stages of 2^bits values as run takes them (a radix-2 stage first for odd bits, then radix-4
// stages of quarters 2^s with twiddles t), transposed and in reverse order.
void transposedStages(Complex* x, u32 bits, const Complex* t, __m128d mulSign, __m128d rotSign) {
    const u32 count = 1u << bits, first = bits & 1;
    const Complex* stageTwiddles[16];
    u32 stages = 0;
    for (u32 h = 1u << first, s = first; s < bits; h *= 4, s += 2) {
        stageTwiddles[stages++] = t;
        if (h > 1) t += 3 * h;
    }
    u32 h = count / 4;
    for (u32 k = stages; k-- > 0; h /= 4) {
        for (u32 b = 0; b < count; b += 4 * h) {
            Complex* y = x + b;
            if (h == 1) {
                butterfly4Transposed(y, 1, rotSign);
                continue;
            }
            const Complex* w = stageTwiddles[k];
            for (u32 j = 0; j < h; ++j, ++y, w += 3) butterfly4Transposed(y, h, load(w), load(w + 1), load(w + 2), mulSign, rotSign);
        }
    }
    if (first) radix2Stage(x, count);
}

// Rows of `count` values from rows `fromStride` apart to rows `toStride` apart.
inline void copyColumns(Complex* to, size_t toStride, const Complex* from, size_t fromStride, u32 rows, u32 count) {
    for (u32 r = 0; r < rows; ++r) memcpy(to + r * toStride, from + r * fromStride, count * sizeof(Complex));
}

// Value c of row r of a column group (packed, `columns` a row) times cellTurns[r][c] x groupTurns[r],
// or its conjugate (mulSign as in cmul); row 0's turns are all 1.
inline void turnGroup(Complex* z, const Complex* cellTurns, const Complex* groupTurns, u32 rows, u32 columns,
                      __m128d mulSign) {
    const __m128d plain = _mm_set_pd(0.0, -0.0);
    for (u32 r = 1; r < rows; ++r) {
        const __m128d g = load(groupTurns + r);
        const Complex* a = cellTurns + (size_t)r * columns;
        Complex* y = z + (size_t)r * columns;
        for (u32 c = 0; c < columns; ++c) store(y + c, cmul(load(y + c), cmul(load(a + c), g, plain), mulSign));
    }
}

// The bit reversal of 2^bits values (bits at least 8) by tiles: index hi|mid|lo with 4 bits at each
// end goes to rev(lo)|rev(mid)|rev(hi), so the 16 x 16 values of one mid trade places with those of
// the reversed mid, read and written a row of 16 at a time.
void reverseByTiles(Complex* x, u32 bits) {
    const u32 q = 4, side = 1u << q, midBits = bits - 2 * q, rowStride = 1u << (bits - q);
    const u8* table = reversedBytes();
    Complex a[16 * 16], b[16 * 16];
    u8 rq[16];
    for (u32 i = 0; i < side; ++i) rq[i] = (u8)(table[i] >> (8 - q));
    for (u32 m = 0; m < (1u << midBits); ++m) {
        const u32 rm = midBits ? reverse32(m, table) >> (32 - midBits) : 0;
        if (rm < m) continue;
        Complex* tileA = x + ((size_t)m << q);
        Complex* tileB = x + ((size_t)rm << q);
        for (u32 hi = 0; hi < side; ++hi) {
            memcpy(a + hi * side, tileA + (size_t)hi * rowStride, side * sizeof(Complex));
            if (rm != m) memcpy(b + hi * side, tileB + (size_t)hi * rowStride, side * sizeof(Complex));
        }
        const Complex* fromB = rm != m ? b : a;
        for (u32 hi = 0; hi < side; ++hi) {
            Complex* row = tileA + (size_t)hi * rowStride;
            for (u32 lo = 0; lo < side; ++lo) row[lo] = fromB[rq[lo] * side + rq[hi]];
        }
        if (rm == m) continue;
        for (u32 hi = 0; hi < side; ++hi) {
            Complex* row = tileB + (size_t)hi * rowStride;
            for (u32 lo = 0; lo < side; ++lo) row[lo] = a[rq[lo] * side + rq[hi]];
        }
    }
}
}  // namespace

bool FftPlan::run(Complex* x, bool inverse, FftSteps* steps, f64 scale) const {
    if (n < 2) return true;
    reverse(x);
    return runFromReversed(x, inverse, steps, scale);
}

void FftPlan::reverse(Complex* x) const {
    if (swaps) {
        for (const u32* s = swaps.get(); s[0]; s += 2) {
            __m128d a = load(x + s[0]);
            store(x + s[0], load(x + s[1]));
            store(x + s[1], a);
        }
    } else if (bits >= 8) {
        reverseByTiles(x, bits);
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
}

bool FftPlan::runFromReversed(Complex* x, bool inverse, FftSteps* steps, f64 scale) const {
    if (n < 2) return true;
    // The twiddle product subtracts in the real lane (forward) or the imaginary lane (inverse);
    // the rotation by -i (forward) or i (inverse) the other way round.
    if (bits > blockedFrom) return runBlocked(x, inverse, steps, scale);
    const __m128d low = _mm_set_pd(0.0, -0.0), high = _mm_set_pd(-0.0, 0.0);
    const __m128d mulSign = inverse ? high : low, rotSign = inverse ? low : high;
    u32 stage = 0;
    if (bits & 1) {
        radix2Stage(x, n);
        stage = 1;
        if (steps && steps->report(stage)) return false;
    }
    const Complex* t = twiddles.get();
    for (u32 h = 1u << stage; stage < bits; h *= 4) {
        radix4Stage(x, n, h, t, mulSign, rotSign);
        if (h > 1) t += 3 * h;
        stage += 2;
        if (steps && (steps->report(stage - 1) || steps->report(stage))) return false;
    }
    if (scale != 1.0) {
        for (u32 i = 0; i < n; ++i) x[i] = {x[i].re * scale, x[i].im * scale};
    }
    return true;
}

// Beyond the caches: the stages of span up to a block of 2^b values run block by block; the later
// stages act on each of the 2^b columns of the 2^bits / 2^b rows alone, so they run on a few columns
// at a time copied out of place. Each butterfly is the one of the stage-by-stage order.
bool FftPlan::runBlocked(Complex* x, bool inverse, FftSteps* steps, f64 scale) const {
    const __m128d low = _mm_set_pd(0.0, -0.0), high = _mm_set_pd(-0.0, 0.0);
    const __m128d mulSign = inverse ? high : low, rotSign = inverse ? low : high;
    const u32 b = blockBits, block = 1u << b, rows = n / block;
    u32 stage = 0;
    for (u32 start = 0; start < n; start += block) {
        Complex* y = x + start;
        const Complex* t = twiddles.get();
        u32 s = 0;
        if (bits & 1) {
            radix2Stage(y, block);
            s = 1;
        }
        for (u32 h = 1u << s; s < b; h *= 4, s += 2) {
            radix4Stage(y, block, h, t, mulSign, rotSign);
            if (h > 1) t += 3 * h;
        }
    }
    for (stage = 1; stage <= b; ++stage) {
        if (steps && steps->report(stage)) return false;
    }
    std::unique_ptr<Complex[]> buffer(allocate((u64)rows * columns, n));
    Complex* z = buffer.get();
    const Complex* cellTurns = twiddles.get() + columnTwiddles;
    const Complex* groupTurns = cellTurns + (size_t)rows * columns;
    const Complex* rowTwiddles = groupTurns + (size_t)rows * (block / columns);
    for (u32 c0 = 0; c0 < block; c0 += columns, groupTurns += rows) {
        copyColumns(z, columns, x + c0, block, rows, columns);
        turnGroup(z, cellTurns, groupTurns, rows, columns, mulSign);
        const Complex* w = rowTwiddles;
        for (u32 hr = 1; hr < rows; hr *= 4) {
            const size_t span = (size_t)hr * columns;
            for (u32 rb = 0; rb < rows; rb += 4 * hr) {
                for (u32 jr = 0; jr < hr; ++jr) {
                    Complex* y = z + (size_t)(rb + jr) * columns;
                    if (hr == 1) {
                        for (u32 c = 0; c < columns; ++c, ++y) butterfly4(y, (u32)span, load(y + span), load(y + 2 * span), load(y + 3 * span), load(y), rotSign);
                        continue;
                    }
                    const __m128d w1 = load(w + 3 * jr), w2 = load(w + 3 * jr + 1), w3 = load(w + 3 * jr + 2);
                    for (u32 c = 0; c < columns; ++c, ++y) {
                        __m128d p1 = cmul(load(y + span), w1, mulSign);
                        __m128d p2 = cmul(load(y + 2 * span), w2, mulSign);
                        __m128d p3 = cmul(load(y + 3 * span), w3, mulSign);
                        butterfly4(y, (u32)span, p1, p2, p3, load(y), rotSign);
                    }
                }
            }
            if (hr > 1) w += 3 * hr;
        }
        if (scale != 1.0) {
            const __m128d factor = _mm_set1_pd(scale);
            for (u32 i = 0; i < rows * columns; ++i) store(z + i, _mm_mul_pd(load(z + i), factor));
        }
        copyColumns(x + c0, block, z, columns, rows, columns);
    }
    for (; stage <= bits; ++stage) {
        if (steps && steps->report(stage)) return false;
    }
    return true;
}

bool FftPlan::runToReversed(Complex* x, bool inverse, FftSteps* steps) const {
    if (n < 2) return true;
    const __m128d low = _mm_set_pd(0.0, -0.0), high = _mm_set_pd(-0.0, 0.0);
    const __m128d mulSign = inverse ? high : low, rotSign = inverse ? low : high;
    if (bits <= blockedFrom) {
        transposedStages(x, bits, twiddles.get(), mulSign, rotSign);
        for (u32 stage = 1; stage <= bits; ++stage) {
            if (steps && steps->report(stage)) return false;
        }
        return true;
    }
    // runBlocked backwards: the column pass (its stages transposed and in reverse, then the turns),
    // then the blocks.
    const u32 b = blockBits, block = 1u << b, rows = n / block;
    std::unique_ptr<Complex[]> buffer(allocate((u64)rows * columns, n));
    Complex* z = buffer.get();
    const Complex* cellTurns = twiddles.get() + columnTwiddles;
    const Complex* groupTurns = cellTurns + (size_t)rows * columns;
    const Complex* rowStage[16];
    u32 rowStages = 0;
    for (u32 hr = 1, offset = 0; hr < rows; hr *= 4) {
        rowStage[rowStages++] = groupTurns + (size_t)rows * (block / columns) + offset;
        if (hr > 1) offset += 3 * hr;
    }
    for (u32 c0 = 0; c0 < block; c0 += columns, groupTurns += rows) {
        copyColumns(z, columns, x + c0, block, rows, columns);
        u32 hr = rows / 4;
        for (u32 k = rowStages; k-- > 0; hr /= 4) {
            const u32 span = hr * columns;
            for (u32 rb = 0; rb < rows; rb += 4 * hr) {
                for (u32 jr = 0; jr < hr; ++jr) {
                    Complex* y = z + (size_t)(rb + jr) * columns;
                    if (hr == 1) {
                        for (u32 c = 0; c < columns; ++c) butterfly4Transposed(y + c, span, rotSign);
                        continue;
                    }
                    const Complex* w = rowStage[k] + 3 * jr;
                    const __m128d w1 = load(w), w2 = load(w + 1), w3 = load(w + 2);
                    for (u32 c = 0; c < columns; ++c) butterfly4Transposed(y + c, span, w1, w2, w3, mulSign, rotSign);
                }
            }
        }
        turnGroup(z, cellTurns, groupTurns, rows, columns, mulSign);
        copyColumns(x + c0, block, z, columns, rows, columns);
    }
    u32 stage = 1;
    for (; stage <= bits - b; ++stage) {
        if (steps && steps->report(stage)) return false;
    }
    for (u32 start = 0; start < n; start += block) transposedStages(x + start, b, twiddles.get(), mulSign, rotSign);
    for (; stage <= bits; ++stage) {
        if (steps && steps->report(stage)) return false;
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
// The plans of a length: the last one made up to 2^16 points and the last one above, up to 2^22, are
// kept for the next transform of that length (fresh memory for the tables costs more than building
// them).
std::mutex planLock;
std::shared_ptr<const FftPlan> smallPlan, largePlan;

std::shared_ptr<const FftPlan> planFor(u32 order) {
    std::shared_ptr<const FftPlan>& last = order <= 16 ? smallPlan : largePlan;
    {
        std::lock_guard<std::mutex> hold(planLock);
        if (last && last->size() == 1u << order) return last;
    }
    std::shared_ptr<const FftPlan> plan = std::make_shared<FftPlan>(order);
    if (order <= 22) {
        std::lock_guard<std::mutex> hold(planLock);
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
    if (!plan->run(x, inverse, &steps, inverse ? 1.0 / n : 1.0)) return false;
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

// The transform of the reversed chirp over 2^order points for one length and direction, and a
// work area of that size: the last ones made up to 2^21 points are kept for the next call of that
// length and direction.
struct ChirpTables {
    u32 n = 0;
    bool inverse = false, transformed = false;
    std::unique_ptr<Complex[]> spectrum, work;
};

std::mutex chirpLock;
std::unique_ptr<ChirpTables> chirpKept;

// The kept tables of n points (taken out of the keeping), else new ones with the chirp untransformed.
std::unique_ptr<ChirpTables> chirpTables(u32 n, u32 order, bool inverse) {
    {
        std::lock_guard<std::mutex> hold(chirpLock);
        if (chirpKept && chirpKept->n == n && chirpKept->inverse == inverse) return std::move(chirpKept);
    }
    const u32 size = 1u << order;
    std::unique_ptr<ChirpTables> t(new ChirpTables);
    t->n = n;
    t->inverse = inverse;
    t->work.reset(allocate(size, n));
    t->spectrum.reset(allocate(size, n));
    Complex* b = t->spectrum.get();
    // b[m] holds the reversed chirp of 2n - 2 - m, so k = |2n - 2 - m| fills b on both sides of 2n - 2.
    const i64 last = 2 * (i64)n - 2;
    ChirpSweep backward(n, inverse ? 1.0 : -1.0);
    for (i64 k = 0; k <= last || last + k < (i64)size; ++k) {
        const Complex v = backward.next();
        if (k <= last) b[last - k] = v;
        if (k > 0 && last + k < (i64)size) b[last + k] = v;
    }
    return t;
}

void keepChirpTables(std::unique_ptr<ChirpTables> t, u32 order) {
    if (order > 21) return;
    std::lock_guard<std::mutex> hold(chirpLock);
    chirpKept = std::move(t);
}

bool fftChirp(Complex* x, u32 n, bool inverse, FftSteps& steps) {
    u32 order = 0;
    while (((u64)1 << order) < 2 * (u64)n) ++order;
    if (order > 28) fftOutOfMemory(n);
    const u32 size = 1u << order;
    const f64 sign = inverse ? -1.0 : 1.0;
    std::shared_ptr<const FftPlan> plan = planFor(order);
    std::unique_ptr<ChirpTables> tables = chirpTables(n, order, inverse);
    Complex* a = tables->work.get();
    ChirpSweep forward(n, sign);
    for (u32 j = 0; j < n; ++j) a[j] = mul(x[j], forward.next());
    for (u32 j = n; j < size; ++j) a[j] = {0.0, 0.0};
    if (steps.report(1) || steps.report(2)) return false;
    steps.base += 2;
    // The chirp's transform: its steps come at once when it was kept.
    if (!tables->transformed) {
        if (!plan->runToReversed(tables->spectrum.get(), false, &steps)) return false;
        tables->transformed = true;
    } else {
        for (u32 s = 1; s <= order; ++s) {
            if (steps.report(s)) return false;
        }
    }
    steps.base += order;
    // Both spectra in bit-reversed order: their product goes back without reordering.
    if (!plan->runToReversed(a, false, &steps)) return false;
    steps.base += order;
    const Complex* b = tables->spectrum.get();
    for (u32 m = 0; m < size; ++m) a[m] = mul(a[m], b[m]);
    if (steps.report(1)) return false;
    steps.base += 1;
    if (!plan->runFromReversed(a, true, &steps)) return false;
    steps.base += order;
    if (steps.report(1)) return false;
    const f64 scale = 1.0 / size / (inverse ? n : 1);
    const i64 last = 2 * (i64)n - 2;
    ChirpSweep result(n, sign);
    for (u32 k = 0; k < n; ++k) {
        Complex v = mul(a[last - k], result.next());
        x[k] = {v.re * scale, v.im * scale};
    }
    keepChirpTables(std::move(tables), order);
    return true;
}
}  // namespace

void fftReleaseTables() {
    std::shared_ptr<const FftPlan> plan;
    std::unique_ptr<ChirpTables> chirp;
    {
        std::lock_guard<std::mutex> hold(planLock);
        plan.swap(largePlan);
    }
    std::lock_guard<std::mutex> hold(chirpLock);
    chirp.swap(chirpKept);
}

bool fft(Complex* data, i32 n, bool inverse, JobProgress* progress, bool inPlace) {
    if (n < 1) return true;
    FftSteps steps(progress);
    u32 p = (u32)std::floor(std::log((f64)n) / std::log(2.0) + 0.5);
    if (p < 31 && (1u << p) == (u32)n) return fftPow2(data, p, inverse, steps, inPlace);
    return fftChirp(data, (u32)n, inverse, steps);
}

u32 fftRealOrder(i32 n) { return n >= 4 && n % 2 == 0 ? fftOrder(n / 2) + 1 : fftOrder(n) + 1; }

namespace {
// e^(-2 pi i k/n) for k < n as the product of two table entries (k = 1024 h + l), each entry from
// the library's sine and cosine.
class Turns {
public:
    explicit Turns(u32 n) : low(allocate(1024, n)), high(allocate(n / 1024 + 1, n)) {
        for (u32 l = 0; l < 1024; ++l) low[l] = {std::cos(2 * pi * l / n), -std::sin(2 * pi * l / n)};
        for (u32 h = 0; h <= n / 1024; ++h) high[h] = {std::cos(2 * pi * 1024.0 * h / n), -std::sin(2 * pi * 1024.0 * h / n)};
    }
    Complex operator[](u32 k) const { return k < 1024 ? low[k] : mul(high[k >> 10], low[k & 1023]); }

private:
    std::unique_ptr<Complex[]> low, high;
};
}  // namespace

bool fftReal(Complex* data, i32 n, JobProgress* progress, bool inPlace) {
    if (n < 1) return true;
    // With a progress object the work goes on a copy, so that a cancel leaves the data whole, unless
    // the caller drops cancelled data.
    Owned copy{progress && !inPlace ? allocate((u32)n, n) : nullptr};
    Complex* x = data;
    if (copy.p) {
        memcpy(copy.p, data, (size_t)n * sizeof(Complex));
        x = copy.p;
    }
    if (n < 4 || n % 2 != 0) {
        for (i32 j = 0; j < n; ++j) x[j].im = 0.0;
        if (!fft(x, n, false, progress, true)) return false;
    } else {
        // The values in pairs at the front: z[j] = x[2j] + i x[2j+1].
        const u32 m = (u32)n / 2;
        Complex* z = x;
        for (u32 j = 0; j < m; ++j) z[j] = {x[2 * j].re, x[2 * j + 1].re};
        if (!fft(z, (i32)m, false, progress, true)) return false;
        // E[k] = (Z[k] + conj Z[m-k]) / 2 and O[k] = (Z[k] - conj Z[m-k]) / 2i are the transforms of
        // the even and odd values; X[k] = E[k] + e^(-2 pi i k/n) O[k], X[k+m] = E[k] - e^(-2 pi i k/n)
        // O[k], and X[n-k] = conj X[k]. Bins k and m-k are worked out together from Z[k] and Z[m-k].
        const Turns w((u32)n);
        const Complex z0 = z[0];
        for (u32 k = 1; k <= m - k; ++k) {
            const Complex a = z[k], b = z[m - k];
            const Complex e = {(a.re + b.re) / 2, (a.im - b.im) / 2}, o = {(a.im + b.im) / 2, (b.re - a.re) / 2};
            const Complex t = mul(w[k], o);
            const Complex lower = {e.re + t.re, e.im + t.im}, upper = {e.re - t.re, e.im - t.im};  // X[k], X[k+m]
            x[k] = lower;
            x[n - k] = {lower.re, -lower.im};
            x[m + k] = upper;
            x[m - k] = {upper.re, -upper.im};  // conj X[m+k] = X[n-m-k]
        }
        x[0] = {z0.re + z0.im, 0.0};
        x[m] = {z0.re - z0.im, 0.0};
    }
    FftSteps steps(progress);
    if (steps.report(fftRealOrder(n))) return false;
    if (copy.p) memcpy(data, copy.p, (size_t)n * sizeof(Complex));
    return true;
}

void splitTwoReal(Complex* z, Complex* b, i32 n) {
    if (n < 1) return;
    // A[k] = (Z[k] + conj Z[n-k]) / 2, B[k] = (Z[k] - conj Z[n-k]) / 2i.
    b[0] = {z[0].im, 0.0};
    z[0] = {z[0].re, 0.0};
    for (i32 k = 1; k <= n - k; ++k) {
        const Complex p = z[k], q = z[n - k];
        z[k] = {(p.re + q.re) / 2, (p.im - q.im) / 2};
        z[n - k] = {(q.re + p.re) / 2, (q.im - p.im) / 2};
        b[k] = {(p.im + q.im) / 2, (q.re - p.re) / 2};
        b[n - k] = {(q.im + p.im) / 2, (p.re - q.re) / 2};
    }
}
