#pragma once
// Byte-exact RIFF and own sound files for the tests, built in strings.
#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "core/types.h"

inline std::string le32(u32 v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
inline std::string le64(u64 v) { return std::string(reinterpret_cast<const char*>(&v), 8); }

// A chunk with its content; an odd content gets its zero pad byte unless pad is false.
inline std::string chunk(const char* id, const std::string& content, bool pad = true) {
    std::string bytes = std::string(id, 4) + le32((u32)content.size()) + content;
    if (pad && (content.size() & 1)) bytes += '\0';
    return bytes;
}
// A chunk whose size field says declared whatever follows.
inline std::string chunkClaiming(const char* id, u32 declared, const std::string& content) {
    return std::string(id, 4) + le32(declared) + content;
}
inline std::string riffList(const char* id, const char* form, const std::string& children) {
    return std::string(id, 4) + le32((u32)(4 + children.size())) + std::string(form, 4) + children;
}

inline std::string formatBytes(const WAVEFORMATEX& w, u32 n) {
    return std::string(reinterpret_cast<const char*>(&w), n);
}
// A 16-byte PCM "fmt " content.
inline std::string pcmFmt(u16 channels, u32 rate, u16 bits) {
    WAVEFORMATEX w = {};
    w.wFormatTag = WAVE_FORMAT_PCM;
    w.nChannels = channels;
    w.nSamplesPerSec = rate;
    w.wBitsPerSample = bits;
    w.nBlockAlign = (u16)(channels * bits / 8);
    w.nAvgBytesPerSec = w.nBlockAlign * rate;
    return formatBytes(w, 16);
}

// The own file header.
inline std::string ravoHeader(u64 formatSize, u64 dataSize, u32 headerSize = 32) {
    return std::string("RAVO", 4) + le32(0) + le32(headerSize) + le32(0) + le64(formatSize) + le64(dataSize);
}
