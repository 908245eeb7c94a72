// A codec driver of the tests, added to the conversion manager at run time (a driver function).
// It converts its own tag 0x5241 to 16-bit PCM by copying bytes; setCodecMode makes it write through
// a null pointer in the stream open, size or convert call, answer a destination size 400 times the
// source, or take and give nothing.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <cstring>

#define CODEC_EXPORT extern "C" __declspec(dllexport)

namespace {
// Driver messages of the conversion manager.
const UINT acmdmBase = 0x6000;
const UINT acmdmDriverDetails = acmdmBase + 10;
const UINT acmdmStreamOpen = acmdmBase + 76;
const UINT acmdmStreamClose = acmdmBase + 77;
const UINT acmdmStreamSize = acmdmBase + 78;
const UINT acmdmStreamConvert = acmdmBase + 79;

// The start of the size request the driver is given (second parameter of the stream messages, after
// the stream instance).
struct StreamSize {
    DWORD cbStruct;
    DWORD fdwSize;
    DWORD cbSrcLength;
    DWORD cbDstLength;
};

// The start of the stream header the driver is given (the same as the application's).
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
};

enum Mode { copying = 0, crashOpen = 1, crashSize = 2, crashConvert = 3, hugeSize = 4, takesNothing = 5 };
volatile int g_mode = copying;

void crash() { *(volatile int*)nullptr = 1; }

LRESULT details(ACMDRIVERDETAILSW* d) {
    const DWORD size = d->cbStruct < sizeof *d ? d->cbStruct : (DWORD)sizeof *d;
    ACMDRIVERDETAILSW out;
    memset(&out, 0, sizeof out);
    out.cbStruct = size;
    out.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
    out.vdwACM = 0x03320000;
    out.vdwDriver = 0x01000000;
    out.fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC;
    wcscpy(out.szShortName, L"Ravo test codec");
    wcscpy(out.szLongName, L"Ravo test codec");
    memcpy(d, &out, size);
    return MMSYSERR_NOERROR;
}

LRESULT CALLBACK driverProc(DWORD_PTR, HDRVR, UINT message, LPARAM p1, LPARAM p2) {
    switch (message) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_OPEN:
    case DRV_CLOSE:
    case DRV_ENABLE:
    case DRV_DISABLE: return 1;
    case acmdmDriverDetails: return details(reinterpret_cast<ACMDRIVERDETAILSW*>(p1));
    case acmdmStreamOpen: {
        if (g_mode == crashOpen) crash();
        // The first member of the stream instance: the source format.
        const WAVEFORMATEX* from = *reinterpret_cast<WAVEFORMATEX* const*>(reinterpret_cast<BYTE*>(p1) + sizeof(DWORD_PTR));
        return from->wFormatTag == 0x5241 ? MMSYSERR_NOERROR : ACMERR_NOTPOSSIBLE;
    }
    case acmdmStreamClose: return MMSYSERR_NOERROR;
    case acmdmStreamSize: {
        if (g_mode == crashSize) crash();
        StreamSize* s = reinterpret_cast<StreamSize*>(p2);
        s->cbDstLength = g_mode == hugeSize ? s->cbSrcLength * 400 : s->cbSrcLength;
        return MMSYSERR_NOERROR;
    }
    case acmdmStreamConvert: {
        if (g_mode == crashConvert) crash();
        StreamHeader* h = reinterpret_cast<StreamHeader*>(p2);
        DWORD n = g_mode == takesNothing ? 0 : h->cbSrcLength < h->cbDstLength ? h->cbSrcLength : h->cbDstLength;
        if (n) memcpy(h->pbDst, h->pbSrc, n);
        h->cbSrcLengthUsed = n;
        h->cbDstLengthUsed = n;
        return MMSYSERR_NOERROR;
    }
    default: return message >= acmdmBase ? MMSYSERR_NOTSUPPORTED : 0;
    }
}
}  // namespace

// The driver function, for acmDriverAdd.
CODEC_EXPORT void* codecDriverProc() { return reinterpret_cast<void*>(&driverProc); }
CODEC_EXPORT void setCodecMode(int mode) { g_mode = mode; }
