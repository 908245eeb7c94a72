// A decode-only codec driver for Ogg Vorbis (tags 0x674F-0x6751 and 0x676F-0x6771) to 16-bit PCM of
// the same channels and rate, installed into the tests' Wine prefix as a user installs a codec. It
// takes the stream as the program hands it: the header pages first, then whole or partial pages.
// The decoding is stb_vorbis's, compiled in.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PULLDATA_API
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-value"
#pragma GCC diagnostic ignored "-Wmisleading-indentation"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include "stb_vorbis.h"
#pragma GCC diagnostic pop

namespace {
const UINT acmdmBase = 0x6000;
const UINT acmdmDriverDetails = acmdmBase + 10;
const UINT acmdmFormatTagDetails = acmdmBase + 25;
const UINT acmdmFormatDetails = acmdmBase + 26;
const UINT acmdmStreamOpen = acmdmBase + 76;
const UINT acmdmStreamClose = acmdmBase + 77;
const UINT acmdmStreamSize = acmdmBase + 78;
const UINT acmdmStreamConvert = acmdmBase + 79;

// The driver's view of a stream (its first fields).
struct StreamInstance {
    DWORD cbStruct;
    WAVEFORMATEX* source;
    WAVEFORMATEX* destination;
    void* filter;
    DWORD_PTR callback;
    DWORD_PTR instance;
    DWORD openFlags;
    DWORD driverFlags;
    DWORD_PTR driverData;
};
struct StreamSize {
    DWORD cbStruct;
    DWORD flags;
    DWORD sourceBytes;
    DWORD destinationBytes;
};
struct StreamHeader {
    DWORD cbStruct;
    DWORD fdwStatus;
    DWORD_PTR dwUser;
    LPBYTE pbSrc;
    DWORD cbSrcLength;
    DWORD cbSrcLengthUsed;
    DWORD_PTR dwSrcUser;
    LPBYTE pbDst;
    DWORD cbDstLength;
    DWORD cbDstLengthUsed;
    DWORD_PTR dwDstUser;
    DWORD fdwConvert;
};
struct OpenDescription {
    DWORD cbStruct;
    FOURCC fccType;
    FOURCC fccComp;
    DWORD dwVersion;
    DWORD dwFlags;
    DWORD dwError;
};

const WORD vorbisTags[] = {0x674F, 0x6750, 0x6751, 0x676F, 0x6770, 0x6771};
const DWORD vorbisTagCount = sizeof vorbisTags / sizeof vorbisTags[0];
const DWORD rates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
const DWORD rateCount = sizeof rates / sizeof rates[0];
const DWORD pcmFormatCount = rateCount * 2;
const DWORD vorbisFormatBytes = 18 + 8;

bool isVorbis(WORD tag) {
    for (WORD t : vorbisTags)
        if (t == tag) return true;
    return false;
}

WAVEFORMATEX pcm(WORD channels, DWORD rate) {
    WAVEFORMATEX f = {};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = (WORD)(2 * channels);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

// One stream: the bytes not yet decoded, the decoder once the headers are in, and PCM not yet
// handed out.
struct Decoder {
    ~Decoder() {
        if (vorbis) stb_vorbis_close(vorbis);
    }
    std::vector<unsigned char> input;
    size_t inputAt = 0;
    stb_vorbis* vorbis = nullptr;
    bool broken = false;
    std::vector<short> output;
    size_t outputAt = 0;

    size_t pendingBytes() const { return (output.size() - outputAt) * 2; }

    void take(const unsigned char* bytes, size_t n) {
        if (inputAt > 0 && inputAt * 2 > input.size()) {
            input.erase(input.begin(), input.begin() + (ptrdiff_t)inputAt);
            inputAt = 0;
        }
        input.insert(input.end(), bytes, bytes + n);
        decode();
    }

    void decode() {
        while (!broken && inputAt < input.size()) {
            const unsigned char* at = input.data() + inputAt;
            const int left = (int)(input.size() - inputAt);
            if (!vorbis) {
                int used = 0, error = 0;
                vorbis = stb_vorbis_open_pushdata(at, left, &used, &error, nullptr);
                if (!vorbis) {
                    broken = error != VORBIS_need_more_data;
                    return;
                }
                inputAt += (size_t)used;
                continue;
            }
            int channels = 0, samples = 0;
            float** pcm = nullptr;
            int used = stb_vorbis_decode_frame_pushdata(vorbis, at, left, &channels, &pcm, &samples);
            if (used == 0 && samples == 0) return;  // a page is not complete yet
            inputAt += (size_t)used;
            append(pcm, channels, samples);
        }
    }

    void append(float** pcm, int channels, int samples) {
        if (outputAt > 0 && outputAt * 2 > output.size()) {
            output.erase(output.begin(), output.begin() + (ptrdiff_t)outputAt);
            outputAt = 0;
        }
        size_t base = output.size();
        output.resize(base + (size_t)samples * (size_t)channels);
        for (int s = 0; s < samples; ++s)
            for (int c = 0; c < channels; ++c) {
                float v = std::floor(pcm[c][s] * 32768.0f + 0.5f);
                output[base + (size_t)s * channels + c] = (short)(v > 32767.0f ? 32767 : v < -32768.0f ? -32768 : v);
            }
    }

    DWORD give(unsigned char* to, DWORD room) {
        DWORD n = (DWORD)std::min<size_t>(pendingBytes(), room & ~1u);
        memcpy(to, output.data() + outputAt, n);
        outputAt += n / 2;
        return n;
    }
};

LRESULT driverDetails(ACMDRIVERDETAILSW* d) {
    const DWORD size = d->cbStruct < sizeof *d ? d->cbStruct : (DWORD)sizeof *d;
    ACMDRIVERDETAILSW out;
    memset(&out, 0, sizeof out);
    out.cbStruct = size;
    out.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
    out.wMid = 1;
    out.wPid = 1;
    out.vdwACM = 0x03320000;
    out.vdwDriver = 0x01000000;
    out.fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC;
    out.cFormatTags = 1 + vorbisTagCount;
    wcscpy(out.szShortName, L"Vorbis decoder");
    wcscpy(out.szLongName, L"Ogg Vorbis decoder (stb_vorbis)");
    memcpy(d, &out, size);
    return MMSYSERR_NOERROR;
}

// Tag index 0 is PCM, 1 on the Vorbis tags in order; -1 for a tag not handled.
int indexOfTag(DWORD tag) {
    if (tag == WAVE_FORMAT_PCM) return 0;
    for (DWORD i = 0; i < vorbisTagCount; ++i)
        if (vorbisTags[i] == tag) return (int)i + 1;
    return -1;
}

LRESULT formatTagDetails(ACMFORMATTAGDETAILSW* d, DWORD flags) {
    int index;
    switch (flags & ACM_FORMATTAGDETAILSF_QUERYMASK) {
    case ACM_FORMATTAGDETAILSF_INDEX: index = d->dwFormatTagIndex <= vorbisTagCount ? (int)d->dwFormatTagIndex : -1; break;
    case ACM_FORMATTAGDETAILSF_LARGESTSIZE:
        index = d->dwFormatTag == WAVE_FORMAT_UNKNOWN ? 1 : indexOfTag(d->dwFormatTag);
        break;
    case ACM_FORMATTAGDETAILSF_FORMATTAG: index = indexOfTag(d->dwFormatTag); break;
    default: return MMSYSERR_NOTSUPPORTED;
    }
    if (index < 0) return ACMERR_NOTPOSSIBLE;
    d->dwFormatTagIndex = (DWORD)index;
    d->dwFormatTag = index == 0 ? WAVE_FORMAT_PCM : vorbisTags[index - 1];
    d->cbFormatSize = index == 0 ? sizeof(PCMWAVEFORMAT) : vorbisFormatBytes;
    d->fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC;
    d->cStandardFormats = index == 0 ? pcmFormatCount : 0;
    wcscpy(d->szFormatTag, index == 0 ? L"PCM" : L"Ogg Vorbis");
    return MMSYSERR_NOERROR;
}

LRESULT formatDetails(ACMFORMATDETAILSW* d, DWORD flags) {
    switch (flags & ACM_FORMATDETAILSF_QUERYMASK) {
    case ACM_FORMATDETAILSF_INDEX: {
        if (d->dwFormatTag != WAVE_FORMAT_PCM || d->dwFormatIndex >= pcmFormatCount) return ACMERR_NOTPOSSIBLE;
        if (d->cbwfx < sizeof(PCMWAVEFORMAT)) return MMSYSERR_INVALPARAM;
        WAVEFORMATEX f = pcm((WORD)(1 + d->dwFormatIndex / rateCount), rates[d->dwFormatIndex % rateCount]);
        memcpy(d->pwfx, &f, d->cbwfx < sizeof f ? d->cbwfx : sizeof f);
        if (d->cbwfx >= sizeof f) d->pwfx->cbSize = 0;
        break;
    }
    case ACM_FORMATDETAILSF_FORMAT:
        if (d->pwfx->wFormatTag != WAVE_FORMAT_PCM && !isVorbis(d->pwfx->wFormatTag)) return ACMERR_NOTPOSSIBLE;
        break;
    default: return MMSYSERR_NOTSUPPORTED;
    }
    d->fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC;
    wsprintfW(d->szFormat, L"%u Hz, %u channels", (unsigned)d->pwfx->nSamplesPerSec, (unsigned)d->pwfx->nChannels);
    return MMSYSERR_NOERROR;
}

LRESULT streamOpen(StreamInstance* s) {
    const WAVEFORMATEX* from = s->source;
    const WAVEFORMATEX* to = s->destination;
    if (!isVorbis(from->wFormatTag) || to->wFormatTag != WAVE_FORMAT_PCM || to->wBitsPerSample != 16 ||
        to->nChannels != from->nChannels || to->nSamplesPerSec != from->nSamplesPerSec || to->nChannels == 0 ||
        to->nChannels > 2)
        return ACMERR_NOTPOSSIBLE;
    if (s->openFlags & ACM_STREAMOPENF_QUERY) return MMSYSERR_NOERROR;
    Decoder* d = new (std::nothrow) Decoder;
    if (!d) return MMSYSERR_NOMEM;
    s->driverData = reinterpret_cast<DWORD_PTR>(d);
    return MMSYSERR_NOERROR;
}

LRESULT streamConvert(StreamInstance* s, StreamHeader* h) {
    Decoder* d = reinterpret_cast<Decoder*>(s->driverData);
    if (!d) return MMSYSERR_INVALHANDLE;
    // Source is taken while the output waiting does not fill the destination.
    const DWORD piece = 4096;
    DWORD used = 0;
    while (used < h->cbSrcLength && d->pendingBytes() < h->cbDstLength && !d->broken) {
        DWORD n = std::min(piece, h->cbSrcLength - used);
        d->take(h->pbSrc + used, n);
        used += n;
    }
    if (d->broken && used < h->cbSrcLength) used = h->cbSrcLength;  // nothing more can be decoded
    h->cbSrcLengthUsed = used;
    h->cbDstLengthUsed = d->give(h->pbDst, h->cbDstLength);
    return MMSYSERR_NOERROR;
}

LRESULT CALLBACK driverProc(DWORD_PTR, HDRVR, UINT message, LPARAM p1, LPARAM p2) {
    switch (message) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
    case DRV_CLOSE: return 1;
    case DRV_OPEN: {
        OpenDescription* open = reinterpret_cast<OpenDescription*>(p2);
        if (open) open->dwError = MMSYSERR_NOERROR;
        return 1;
    }
    case DRV_QUERYCONFIGURE: return 0;
    case acmdmDriverDetails: return driverDetails(reinterpret_cast<ACMDRIVERDETAILSW*>(p1));
    case acmdmFormatTagDetails: return formatTagDetails(reinterpret_cast<ACMFORMATTAGDETAILSW*>(p1), (DWORD)p2);
    case acmdmFormatDetails: return formatDetails(reinterpret_cast<ACMFORMATDETAILSW*>(p1), (DWORD)p2);
    case acmdmStreamOpen: return streamOpen(reinterpret_cast<StreamInstance*>(p1));
    case acmdmStreamClose: {
        StreamInstance* s = reinterpret_cast<StreamInstance*>(p1);
        delete reinterpret_cast<Decoder*>(s->driverData);
        s->driverData = 0;
        return MMSYSERR_NOERROR;
    }
    case acmdmStreamSize: {
        StreamSize* size = reinterpret_cast<StreamSize*>(p2);
        if ((size->flags & ACM_STREAMSIZEF_QUERYMASK) == ACM_STREAMSIZEF_SOURCE)
            size->destinationBytes = size->sourceBytes < 0x1000000 ? size->sourceBytes * 16 + 8192 : 0x10000000;
        else
            size->sourceBytes = size->destinationBytes / 16 ? size->destinationBytes / 16 : 1;
        return MMSYSERR_NOERROR;
    }
    case acmdmStreamConvert:
        try {
            return streamConvert(reinterpret_cast<StreamInstance*>(p1), reinterpret_cast<StreamHeader*>(p2));
        } catch (...) {
            return MMSYSERR_NOMEM;
        }
    default: return message >= acmdmBase ? MMSYSERR_NOTSUPPORTED : 0;
    }
}
}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK DriverProc(DWORD_PTR id, HDRVR driver, UINT message, LPARAM p1,
                                                           LPARAM p2) {
    return driverProc(id, driver, message, p1, p2);
}
