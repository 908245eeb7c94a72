#pragma once
// Small format blocks for the tests, held in byte vectors.
#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "mm/sound_format.h"

inline WAVEFORMATEX* wave(std::vector<u8>& b) { return reinterpret_cast<WAVEFORMATEX*>(b.data()); }
inline OwnFormatHeader* header(std::vector<u8>& b) { return reinterpret_cast<OwnFormatHeader*>(b.data()); }
inline TrackRecord* trackOf(std::vector<u8>& b, u32 i) {
    return reinterpret_cast<TrackRecord*>(b.data() + sizeof(OwnFormatHeader)) + i;
}

inline WAVEFORMATEX pcmFormat(u16 channels, u32 rate, u16 bits) {
    WAVEFORMATEX w = {};
    w.wFormatTag = WAVE_FORMAT_PCM;
    w.nChannels = channels;
    w.nSamplesPerSec = rate;
    w.wBitsPerSample = bits;
    w.nBlockAlign = (u16)(bits / 8 * channels);
    w.nAvgBytesPerSec = w.nBlockAlign * rate;
    return w;
}

inline std::vector<u8> pcmBlockBytes(const WAVEFORMATEX& w) {
    std::vector<u8> b(sizeof w);
    memcpy(b.data(), &w, sizeof w);
    return b;
}

// The stored block of a fresh own sound.
inline std::vector<u8> ownBlockBytes(u32 tracks, u32 encoding = encodingInt16, u32 rate = 44100) {
    SoundFormat f;
    f.setPlain(tracks, rate, encoding);
    SoundFormatBlock block;
    buildFormatBlock(&block, &f);
    return std::vector<u8>(block.data, block.data + block.blockBytes());
}

// A new rate with the byte rate to match.
inline void setRate(WAVEFORMATEX* w, u32 rate) {
    w->nSamplesPerSec = rate;
    w->nAvgBytesPerSec = w->nBlockAlign * rate;
}
