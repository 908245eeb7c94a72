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

// A file of tests/mm/fixtures, reached through the drive that maps the Unix root.
inline std::string fixturePath(const char* name) {
    std::string source = __FILE__;
    return "Z:" + source.substr(0, source.find_last_of("/\\")) + "/fixtures/" + name;
}

// The samples of the fixture WAVE files: ramps that wrap, so that every bit pattern matters.
inline i16 rampSample(u32 frame, u32 channel) {
    return channel == 0 ? (i16)(u16)((frame * 377) % 65536 - 32768) : (i16)(u16)(32767 - (frame * 1013) % 65536);
}
inline float rampFloat(u32 frame, u32 channel) {
    return channel == 0 ? (float)((i32)(frame % 200) - 100) / 256.0f : (float)((i32)(frame % 77) - 38) / 512.0f;
}
