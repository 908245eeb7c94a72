#pragma once
// The discrete Fourier transform of complex f64 data of any length, shared by the engine's spectral
// operations and the spectrum editor.
//
// Forward: X[k] = sum x[j] e^(-2 pi i jk/n), not scaled. Inverse: x[j] = (1/n) sum X[k] e^(+2 pi i jk/n).
// A power of two is transformed in place by radix-2/4 stages; any other length by a chirp-z
// convolution over the next power of two at least 2n, so every length costs O(n log n).
//
// Progress: with a progress object the transform reports steps 1, 2, ... up to fftOrder(n) (on top
// of the object's committed count) and stops when a report answers cancelled; the data is then left
// as it was. Memory the transform cannot get throws the exception of fftOutOfMemory.
#include <memory>

#include "core/types.h"

class JobProgress;

struct Complex {
    f64 re, im;
};
static_assert(sizeof(Complex) == 16, "complex values are two f64");

// Transforms the n values at data in place (n < 1: nothing); false when cancelled. inPlace: the
// caller drops cancelled data, so a power of two is transformed without a copy and a cancel leaves
// the data part transformed.
bool fft(Complex* data, i32 n, bool inverse, JobProgress* progress = nullptr, bool inPlace = false);
// The number of progress steps fft reports for n values: order + 1 for a power of two 2^order,
// else 3P + 4 with 2^P the chirp-z length.
u32 fftOrder(i32 n);
// fft keeps the tables of its last large lengths (up to 64 MB each) for the next call of that length;
// an operation that is done with them gives them back.
void fftReleaseTables();

// The forward transform of n real values, the real parts of data (the imaginary parts are not
// read), into the whole spectrum at data. An even n goes through a complex transform of n/2 points
// (the even values in its real parts, the odd ones in its imaginary parts); an odd one through fft.
// Reports fftRealOrder(n) steps, progress and inPlace as for fft.
bool fftReal(Complex* data, i32 n, JobProgress* progress = nullptr, bool inPlace = false);
// fftOrder(n/2) + 1 for an even n from 4, else fftOrder(n) + 1: the last step takes the spectrum apart.
u32 fftRealOrder(i32 n);
// Two real sequences a and b transformed together as a + ib by fft: their spectra taken apart,
// A into z and B into b (n values each).
void splitTwoReal(Complex* z, Complex* b, i32 n);

struct FftSteps;

// A transform of one power-of-two length, built once and run on many blocks. Unscaled in both
// directions: an inverse run gives n times the inverse transform. Data need not be aligned.
class FftPlan {
public:
    explicit FftPlan(u32 order);  // n = 2^order, order 0..28
    FftPlan(const FftPlan&) = delete;
    FftPlan& operator=(const FftPlan&) = delete;

    u32 size() const { return n; }
    void forward(Complex* data) const { run(data, false, nullptr); }
    void inverse(Complex* data) const { run(data, true, nullptr); }
    // With steps, reports stage s = 1 .. order after it ran; false when a report cancelled. The
    // results are multiplied by scale (a blocked plan does it on their way out of the last pass).
    bool run(Complex* data, bool inverse, FftSteps* steps, f64 scale = 1.0) const;
    // As run, without reordering: runToReversed leaves the spectrum of values in order in the order
    // of the bit-reversed indices, runFromReversed takes its values in that order. A convolution
    // needs no reordering pass.
    bool runToReversed(Complex* data, bool inverse, FftSteps* steps) const;
    bool runFromReversed(Complex* data, bool inverse, FftSteps* steps, f64 scale = 1.0) const;

private:
    // Above 2^16 points the stages run in blocks of 2^blockBits values that stay in the caches, then
    // on columns of those blocks, a few at a time.
    static const u32 blockedFrom = 16;
    bool runBlocked(Complex* data, bool inverse, FftSteps* steps, f64 scale) const;
    // Puts value i at the bit reversal of i.
    void reverse(Complex* data) const;

    u32 bits, n;
    u32 blockBits = 0, columns = 0;
    // Per pair of stages within a block, for each position j: the three twiddles of the combined
    // butterfly, in order of stage and j. A blocked plan adds, from columnTwiddles on, the turns of
    // the values of a group of columns, those of each group, and the twiddles of the stages down the
    // columns (a transform of n / 2^blockBits points): about 3n / columns entries.
    std::unique_ptr<Complex[]> twiddles;
    size_t columnTwiddles = 0;
    // Up to 2^13 points (a list that stays in the cache): the index pairs that the bit reversal
    // swaps, ended by 0.
    std::unique_ptr<u32[]> swaps;
};

// Throws the out-of-memory error of a transform of n points: a GVerifyException with its text.
[[noreturn]] void fftOutOfMemory(i64 n);
