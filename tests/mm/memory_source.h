#pragma once
// Sound sources and signals for the tests: a range reader over bytes in memory and sine waves.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "mm/sound_source.h"

// Positions are indices into the bytes. `chunk` limits what one read delivers.
class MemorySource : public RangeSource {
public:
    explicit MemorySource(std::vector<u8> bytes, u32 chunk = 0xFFFFFFFF)
        : RangeSource(0, bytes.size()), bytes(std::move(bytes)), chunk(chunk) {}

    bool read(void* buffer, u32* n) override {
        u32 k = std::min(clampToRange(*n), chunk);
        if (current + k > bytes.size()) k = current < bytes.size() ? (u32)(bytes.size() - current) : 0;
        memcpy(buffer, bytes.data() + current, k);
        current += k;
        *n = k;
        ++reads;
        return !failReads;
    }
    bool close(u32) override {
        ++closes;
        return true;
    }

    std::vector<u8> bytes;
    u32 chunk;
    int reads = 0;
    int closes = 0;
    bool failReads = false;
};

// Everything a source delivers, read in chunks of the given size.
inline std::vector<u8> readAll(SoundSource& s, u32 chunk = 5000, bool* ok = nullptr) {
    std::vector<u8> all, buf(chunk);
    for (int guard = 0; guard < 1000000; ++guard) {
        u32 n = chunk;
        if (!s.read(buf.data(), &n)) {
            if (ok) *ok = false;
            break;
        }
        all.insert(all.end(), buf.begin(), buf.begin() + n);
        if (!n && s.atEnd()) break;
        if (!n) break;
    }
    return all;
}

// Interleaved 16-bit frames of a sine of the given frequency on every channel.
inline std::vector<u8> sineBytes(u32 frames, u32 channels, u32 rate, f64 hz, f64 amplitude = 16000.0) {
    std::vector<u8> b((size_t)frames * channels * 2);
    i16* s = reinterpret_cast<i16*>(b.data());
    for (u32 f = 0; f < frames; ++f)
        for (u32 c = 0; c < channels; ++c)
            s[(size_t)f * channels + c] = (i16)std::lround(amplitude * std::sin(2 * 3.14159265358979323846 * hz * f / rate));
    return b;
}

inline std::vector<i16> samplesOf(const std::vector<u8>& b) {
    std::vector<i16> s(b.size() / 2);
    if (!s.empty()) memcpy(s.data(), b.data(), s.size() * 2);
    return s;
}

// Rises along one channel from below -threshold to at least +threshold (noise near zero does not
// count).
inline u32 risingCrossings(const std::vector<i16>& s, u32 channels = 1, u32 channel = 0, i32 threshold = 0) {
    u32 n = 0;
    bool low = false;
    for (size_t i = channel; i < s.size(); i += channels) {
        if (s[i] < -threshold) low = true;
        if (low && s[i] >= threshold) {
            ++n;
            low = false;
        }
    }
    return n;
}
