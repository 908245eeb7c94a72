#pragma once
// Harmonics: the fixed 56-byte record of one sinusoidal partial, the list that holds them, the
// spectrum file that stores such a list, and the routines that read harmonics out of a complex
// spectrum (the result of an FFT of n real samples, bin j standing for j x rate / n). The engine's
// analysis and generation use them, and so does the spectrum editor above it.
//
// A harmonic's phase is the bin phase + pi/2: a sine of phase 0 is a cosine of phase -pi/2.
#include "core/arrays.h"
#include "core/gfile.h"
#include "core/types.h"
#include "engine/fft.h"

// The same layout in memory and in spectrum files (little-endian).
struct HarmonicRecord {
    f64 amplitude;      // peak amplitude in sample units (16-bit full scale is 32767)
    f64 frequency;      // Hz
    f64 phase;          // radians, -pi..pi
    u16 reserved16;     // mark bits; 0 whenever the note fields are recomputed
    u16 padding;        // carried as held
    i32 overtone;       // overtone number relative to baseFrequency
    u32 note;           // 0..11, 0 = C
    u32 octave;         // 0..15
    f64 baseFrequency;  // Hz
    f64 reserved64;     // carried with the record (a voice's phase step per sample)

    // Note and octave from the frequency, the note number capped at 191 (octave 15).
    static void updateNote(HarmonicRecord* record);
};
static_assert(sizeof(HarmonicRecord) == 56, "harmonic records are 56 bytes");

// The frequency of an overtone of base: (n + 1) x base for n >= 1, base / (1 - n) for n < 0.
f64 overtoneFrequency(f64 base, i32 overtone);
// The distance of the frequency from its note's exact pitch in semitones; 0 below 16 Hz.
f64 harmonicCentsOffNote(const HarmonicRecord& record);

// The records of one spectrum document.
typedef RecordArray<HarmonicRecord> HarmonicArray;
// A block of exactly n records when n differs from the capacity (old records dropped, new ones zero);
// the same block when it does not. The count is left to the caller.
void resizeHarmonicArray(HarmonicArray& array, u32 n);

// The spectrum file's header, the same in memory and in the file.
struct SpectrumHeader {
    u32 magic;       // "OVT#"
    u32 headerSize;  // the count follows at this offset
    u32 version;
    u32 flags;
    u32 sampleRate;
    u32 fftSize;
};
static_assert(sizeof(SpectrumHeader) == 24, "the spectrum header is 24 bytes");
const u32 spectrumMagic = 0x2354564F;
const u32 spectrumVersion = 768;
const u32 spectrumNotesValid = 2;  // flag: the note fields of every record are set
void initSpectrumHeader(SpectrumHeader* header);

// Sets base = frequency, overtone and marks 0 and the note fields of every record; marks the
// header's notes as valid.
void recomputeHarmonicNotes(SpectrumHeader* header, HarmonicArray& array);
// Reads a spectrum file from its start: a failed check closes the file, marks it failed, reports
// the reason (unless the file is quiet) and leaves the array as it was. Notes are recomputed when
// the file does not say they are valid.
bool readSpectrumFile(SpectrumHeader* header, HarmonicArray& array, GFile& file);
// Writes the header (flag bit 0 cleared, header size 24), the count and the records.
bool writeSpectrumFile(SpectrumHeader* header, const HarmonicArray& array, GFile& file);

// The bin of largest power among 1 .. n/2 - 1 (the lowest of equals) when its amplitude 2|X|/n
// reaches minAmplitude; -1 otherwise and for n < 4.
i32 findStrongestBin(const Complex* spectrum, i32 n, f64 minAmplitude);
// The lower bin of the pair between which a sinusoid peaking at bin k lies (k - 1 or k), judged by
// the phase turning over between them; -1 when k is no such clean peak.
i32 findNeighbourPeak(const Complex* spectrum, i32 n, i32 k, f64 minAmplitude);
// Amplitude, frequency and phase of the one sinusoid between bins k and k + 1, solved from the
// magnitude ratio and the phase of the two bins.
void refineHarmonic(const Complex* spectrum, HarmonicRecord* record, i32 k, i32 n, i32 rate);
// Amplitude 2|X|/n, phase and frequency k x rate / n of one bin.
void binToHarmonic(i32 k, i32 rate, i32 n, const Complex& bin, HarmonicRecord* record);
// Appends the DC level (when re(0) reaches n x minAmplitude) and one record per bin 1 .. (n+1)/2 - 1
// whose amplitude reaches minAmplitude, in rising frequency; with setNotes the note fields are set.
// Bins of non-finite power are skipped.
void harmonicsFromFft(const Complex* spectrum, i32 n, HarmonicArray& array, i32 rate, bool setNotes,
                      f64 minAmplitude);

// Adds amplitude x scale at the harmonic's bin phase (phase - pi/2) to the bin.
void addPolarToComplex(const HarmonicRecord& record, f64 scale, Complex& bin);
// Puts the harmonic whole on bin floor(n f / rate + 0.5) (scale n), when that bin is below n/2: an
// inverse transform of the bins then gives the harmonic's sinusoid.
void placeHarmonicOnBin(const HarmonicRecord& record, Complex* spectrum, u32 n, u32 rate);
// Adds the spectrum of the harmonic to bins 0 .. n/2 - 1: below 1e-5 Hz only re(0), by n x
// amplitude; on a bin that bin; else the bins walked up and down from the nearest one, each walk
// ending after the first bin whose new power is below the limit. Nothing below minAmplitude, at or
// above rate / 2, or not a number.
void addHarmonicToSpectrum(const HarmonicRecord& record, Complex* spectrum, i32 n, i32 rate, f64 minAmplitude);
// The inverse of the above, changing a bin only while its power is at least the limit; reports the
// lowest and highest bin changed (both -1 when none).
void subtractHarmonicFromSpectrum(const HarmonicRecord& record, Complex* spectrum, i32 n, i32 rate, i32* firstBin,
                                  i32* lastBin, f64 minAmplitude);
