// The program's own codec library: it parses and decodes a small stream file of its own (16-bit
// PCM streams, see mm/codec_interface.h) and 8-bit PCM WAVE files, and writes 16-bit PCM WAVE files. For tests the result of
// a conversion and its message may be forced through DARODEZA_RESULT and DARODEZA_MESSAGE.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "mm/codec_interface.h"

#define EXPORT extern "C" __declspec(dllexport)

namespace {
const uint32_t maxStreams = 16;
const uint32_t progressStep = 65536;
CodecStreamEntry parsed[maxStreams];

struct StandInHeader {
    uint32_t magic;
    uint32_t count;
};

// The stream headers of a stand-in file; 0 when it is none.
uint32_t readHeaders(FILE* f, CodecStandInStream* streams) {
    StandInHeader head;
    if (fread(&head, sizeof head, 1, f) != 1 || head.magic != codecStandInMagic || head.count == 0 ||
        head.count > maxStreams)
        return 0;
    if (fread(streams, sizeof *streams, head.count, f) != head.count) return 0;
    for (uint32_t i = 0; i < head.count; ++i)
        if (streams[i].channels == 0 || streams[i].channels > 8 || streams[i].rate == 0) return 0;
    return head.count;
}

uint16_t half(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }

// An 8-bit PCM WAVE as one stream (bytes: of its 16-bit decoding); the file is left at its data,
// of which inBytes are read. False for any other file.
bool readByteWave(FILE* f, CodecStandInStream* s, uint32_t* inBytes) {
    uint8_t head[12];
    if (fseek(f, 0, SEEK_SET) || fread(head, 1, 12, f) != 12 || memcmp(head, "RIFF", 4) || memcmp(head + 8, "WAVE", 4))
        return false;
    bool format = false;
    for (;;) {
        uint8_t h[8];
        if (fread(h, 1, 8, f) != 8) return false;
        uint32_t n;
        memcpy(&n, h + 4, 4);
        if (!memcmp(h, "fmt ", 4) && n >= 16) {
            uint8_t w[16];
            if (fread(w, 1, 16, f) != 16) return false;
            memset(s, 0, sizeof *s);
            memcpy(&s->rate, w + 4, 4);
            s->channels = half(w + 2);
            if (half(w) != 1 || half(w + 14) != 8 || s->channels == 0 || s->channels > 8 || s->rate == 0) return false;
            memcpy(s->title, "8-bit PCM", 10);
            format = true;
            if (fseek(f, (long)(n - 16 + (n & 1)), SEEK_CUR)) return false;
        } else if (!memcmp(h, "data", 4)) {
            if (!format || n > 0x7FFFFFFF) return false;
            s->bytes = n * 2;
            *inBytes = n;
            return true;
        } else if (fseek(f, (long)(n + (n & 1)), SEEK_CUR)) {
            return false;
        }
    }
}

void putWord(uint8_t* p, uint32_t v) { memcpy(p, &v, 4); }

bool writeWaveHeader(FILE* out, const CodecStandInStream& s, uint32_t bytes) {
    uint8_t h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0};
    putWord(h + 4, 36 + bytes);
    h[22] = (uint8_t)s.channels;
    putWord(h + 24, s.rate);
    putWord(h + 28, s.rate * s.channels * 2);
    h[32] = (uint8_t)(s.channels * 2);
    h[34] = 16;
    memcpy(h + 36, "data", 4);
    putWord(h + 40, bytes);
    return fwrite(h, sizeof h, 1, out) == 1;
}

// A variable of the process's environment; false when it is not set.
bool environment(const char* name, char* out, DWORD size) {
    DWORD n = GetEnvironmentVariableA(name, out, size);
    return n > 0 && n < size;
}

// The forced result, or -1.
int forcedResult() {
    char text[16];
    return environment("DARODEZA_RESULT", text, sizeof text) ? atoi(text) : -1;
}
}  // namespace

EXPORT void __cdecl ffmpeg_init() {}

EXPORT int32_t __cdecl ffmpeg_parseFile(const char* fileName, const CodecStreamEntry** entries) {
    *entries = parsed;
    FILE* f = fileName ? fopen(fileName, "rb") : nullptr;
    if (!f) return 0;
    CodecStandInStream streams[maxStreams];
    uint32_t n = readHeaders(f, streams);
    uint32_t inBytes = 0;
    if (!n && readByteWave(f, streams, &inBytes)) n = 1;
    fclose(f);
    memset(parsed, 0, sizeof parsed);
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t* w = parsed[i].words;
        w[2] = i + 1;
        char* text = reinterpret_cast<char*>(w + 3);
        memcpy(text, streams[i].title, sizeof streams[i].title);
        text[sizeof streams[i].title - 1] = 0;
        w[28] = streams[i].rate;
        w[29] = streams[i].rate * streams[i].channels * 16;
        w[30] = streams[i].channels;
    }
    return (int32_t)n;
}

EXPORT int32_t __cdecl ffmpeg_findBestConversion(void*, int32_t, void*) { return 0; }

EXPORT bool __cdecl ffmpeg_enumerateDecoders(uint32_t* cursor, const char*, CodecDecoderEntry* out) {
    static const CodecDecoderEntry decoders[] = {
        {"dzs", "Stand-in stream", "dzs stream", 1},
        {"raw", "Raw bytes", "raw", 0},
    };
    if (*cursor >= sizeof decoders / sizeof decoders[0]) return false;
    *out = decoders[(*cursor)++];
    return true;
}

EXPORT bool __cdecl ffmpeg_enumerateEncoders(uint32_t* cursor, CodecEncoderEntry* out) {
    if (*cursor >= 1) return false;
    *out = {CodecFamilyPcm, "wav", "PCM WAVE 16-bit"};
    ++*cursor;
    return true;
}

// Decodes the first stream of a stand-in file (or an 8-bit WAVE) into a 16-bit PCM WAVE file, telling the progress
// callback every 64 KiB; its stop ends the conversion with 2.
EXPORT int32_t __cdecl ffmpeg_convert(const CodecSourceDescriptor* source, const CodecTargetDescriptor* target,
                                      char* message) {
    CodecProgress progress = reinterpret_cast<const CodecProgress*>(target)[-1];
    int forced = forcedResult();
    char text[256];
    const bool forcedText = environment("DARODEZA_MESSAGE", text, sizeof text);
    if (forcedText) {
        // "*" fills the whole buffer without an end.
        if (strcmp(text, "*") == 0) memset(message, 'x', codecMessageBytes);
        else snprintf(message, codecMessageBytes, "%s", text);
    }
    FILE* in = fopen(source->fileName, "rb");
    if (!in) return forced >= 0 ? forced : 1;
    CodecStandInStream streams[maxStreams];
    uint32_t n = readHeaders(in, streams);
    uint32_t byteSamples = 0;
    if (!n && readByteWave(in, streams, &byteSamples)) n = 1;
    FILE* out = n ? fopen(target->fileName, "wb") : nullptr;
    if (!out) {
        fclose(in);
        if (!n && !forcedText) snprintf(message, codecMessageBytes, "Not a stand-in stream file");
        return forced >= 0 ? forced : 1;
    }
    int32_t result = writeWaveHeader(out, streams[0], streams[0].bytes) ? 0 : 1;
    static char buffer[progressStep];
    uint32_t done = 0;
    static uint8_t wide[progressStep * 2];
    while (result == 0 && done < byteSamples) {
        uint32_t want = byteSamples - done < progressStep ? byteSamples - done : progressStep;
        size_t got = fread(buffer, 1, want, in);
        for (size_t i = 0; i < got; ++i) {
            wide[2 * i] = 0;
            wide[2 * i + 1] = (uint8_t)((uint8_t)buffer[i] ^ 0x80);
        }
        if (got == 0 || fwrite(wide, 2, got, out) != got) result = 1;
        done += (uint32_t)got;
        if (progress && progress(done)) result = 2;
    }
    while (result == 0 && !byteSamples && done < streams[0].bytes) {
        uint32_t want = streams[0].bytes - done < progressStep ? streams[0].bytes - done : progressStep;
        size_t got = fread(buffer, 1, want, in);
        if (got == 0 || fwrite(buffer, 1, got, out) != got) result = 1;
        done += (uint32_t)got;
        if (progress && progress(done)) result = 2;
    }
    fclose(in);
    fclose(out);
    if (result != 0) DeleteFileA(target->fileName);
    return forced >= 0 ? forced : result;
}
