#include "mm/acm_stream.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>

#include "mm/acm_drivers.h"
#include "mm/mm_error.h"
#include "mm/mm_texts.h"
#include "mm/plugin_guard.h"
#include "mm/riff_block.h"

static_assert(sizeof(ACMSTREAMHEADER) == acmStreamHeaderBytes, "the platform's stream header");

namespace {
const u32 sourceBlockLimit = 0x4000;
const u32 destinationLimit = 0x400000;

HACMSTREAM streamOf(void* s) { return static_cast<HACMSTREAM>(s); }
HACMDRIVER driverOf(void* d) { return static_cast<HACMDRIVER>(d); }

// A call into the codec with its faults and exceptions contained: either answers mmErrorCodecFailed.
template <class F>
u32 codecCall(F&& call) {
    u32 r = mmErrorCodecFailed;
    try {
        if (!containPluginFaults([&] { r = call(); })) r = mmErrorCodecFailed;
    } catch (...) {
        r = mmErrorCodecFailed;
    }
    return r;
}
}  // namespace

AcmFormatBytes copyAcmFormat(const WAVEFORMATEX* format) {
    if (!format) return AcmFormatBytes();
    const u8* p = reinterpret_cast<const u8*>(format);
    // PCM copies keep room for the extra-size field, which stays 0.
    const u32 n = storedFormatBytes(format);
    AcmFormatBytes b(std::max<u32>(n, 18), 0);
    memcpy(b.data(), p, n);
    return b;
}

// ---- the stream ----

AcmStream::AcmStream() : errorSink(&ownSink) { memset(header, 0, sizeof header); }

AcmStream::~AcmStream() { close(1); }

bool AcmStream::report(u32 result) { return result == MMSYSERR_NOERROR || reportMmError(errorSink, result); }

// A codec that failed inside a call is not called again: its stream and driver are left to it.
bool AcmStream::codecFailed(u32 result) {
    if (result != mmErrorCodecFailed) return false;
    crashed = true;
    stream = nullptr;
    prepared = false;
    driver = nullptr;
    ownsDriver = false;
    state = acmClosed;
    pendingCount = 0;
    pending = nullptr;
    return true;
}

bool AcmStream::setInner(SoundSource* source) {
    if (inner != source) {
        if (inner) inner->close(1);
        delete inner;
    }
    inner = source;
    return true;
}

bool AcmStream::openStream() {
    if (crashed) return false;
    HACMSTREAM s = nullptr;
    HACMDRIVER d = driverOf(driver);
    WAVEFORMATEX* from = mutableFormat(sourceFormat);
    WAVEFORMATEX* to = mutableFormat(destinationFormat);
    u32 r = codecCall([&] { return acmStreamOpen(&s, d, from, to, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME); });
    stream = r == MMSYSERR_NOERROR ? s : nullptr;
    if (codecFailed(r)) {
        report(r);
        return false;
    }
    return report(r) && stream;
}

bool AcmStream::prepareHeader() {
    ACMSTREAMHEADER* h = reinterpret_cast<ACMSTREAMHEADER*>(header);
    memset(h, 0, sizeof *h);
    h->cbStruct = sizeof *h;
    h->pbSrc = sourceBuffer.data();
    h->cbSrcLength = (DWORD)sourceBuffer.size();
    h->pbDst = destinationBuffer.data();
    h->cbDstLength = (DWORD)destinationBuffer.size();
    u32 r = acmStreamPrepareHeader(streamOf(stream), h, 0);
    prepared = r == MMSYSERR_NOERROR;
    return report(r);
}

bool AcmStream::open(SoundSource* source, const WAVEFORMATEX* from, u64 byteCount, const WAVEFORMATEX* to,
                     void* useDriver) {
    setInner(source);
    closeStream();
    crashed = false;
    sourceFormat = copyAcmFormat(from);
    destinationFormat = copyAcmFormat(to);
    total = byteCount;
    usedTotal = producedTotal = 0;
    held = producedNow = pendingCount = 0;
    pending = nullptr;
    state = acmNew;
    if (driver != useDriver && ownsDriver) closeAcmDriver(driver, nullptr);
    if (driver != useDriver) ownsDriver = false;
    driver = useDriver;

    if (!openStream()) return false;
    const u32 align = from->nBlockAlign ? from->nBlockAlign : 1;
    u32 block = byteCount < sourceBlockLimit ? (u32)byteCount : (sourceBlockLimit + align - 1) / align * align;
    if (!block) block = align;
    DWORD size = 0;
    if (!askSize(block, &size)) return false;
    if (size > destinationLimit) {
        block = align;
        if (!askSize(block, &size)) return false;
    }
    try {
        sourceBuffer.assign(block, 0);
        destinationBuffer.assign(std::max<DWORD>(size, 1), 0);
    } catch (const std::bad_alloc&) {
        return reportMmError(errorSink, MMSYSERR_NOMEM);
    }
    return prepareHeader();
}

bool AcmStream::askSize(u32 block, DWORD* size) {
    HACMSTREAM h = streamOf(stream);
    u32 r = codecCall([&] { return acmStreamSize(h, block, size, ACM_STREAMSIZEF_SOURCE); });
    if (codecFailed(r)) {
        report(r);
        return false;
    }
    return report(r);
}

bool AcmStream::openToPcm(SoundSource* source, const WAVEFORMATEX* from, u64 byteCount) {
    setInner(source);
    AcmFormatWish required = {WAVE_FORMAT_PCM, 0, 0, 0};
    AcmFormatWish preferred = {WAVE_FORMAT_PCM, from->nChannels, from->nSamplesPerSec, 16};
    AcmConversion found;
    if (!findAcmConversion(required, preferred, from, &found, errorSink)) {
        reportMessage(errorSink, mmText(MmText::NoCodec), 0);
        return false;
    }
    void* opened = nullptr;
    if (!openAcmDriver(&opened, found.driverId, errorSink) || !opened) return false;
    bool ok = open(source, from, byteCount, asFormat(found.format), opened);
    ownsDriver = true;  // closed with the stream
    return ok;
}

// Unprepares and closes the stream (failures reported); the driver stays.
void AcmStream::closeStream() {
    ACMSTREAMHEADER* h = reinterpret_cast<ACMSTREAMHEADER*>(header);
    if (prepared) {
        h->cbSrcLength = (DWORD)sourceBuffer.size();
        h->cbDstLength = (DWORD)destinationBuffer.size();
        report(acmStreamUnprepareHeader(streamOf(stream), h, 0));
        prepared = false;
    }
    if (stream) {
        void* s = stream;
        stream = nullptr;
        report(acmStreamClose(streamOf(s), 0));
    }
}

bool AcmStream::reset() {
    if (stream) report(acmStreamReset(streamOf(stream), 0));
    closeStream();
    usedTotal = producedTotal = 0;
    held = producedNow = pendingCount = 0;
    pending = nullptr;
    state = acmNew;
    if (sourceFormat.empty() || !openStream()) return false;
    return prepareHeader();
}

bool AcmStream::close(u32) {
    closeStream();
    bool ok = true;
    if (driver && ownsDriver) ok = closeAcmDriver(driver, errorSink);
    driver = nullptr;
    ownsDriver = false;
    if (inner) {
        ok = inner->close(1) && ok;
        delete inner;
        inner = nullptr;
    }
    sourceBuffer.clear();
    sourceBuffer.shrink_to_fit();
    destinationBuffer.clear();
    destinationBuffer.shrink_to_fit();
    state = acmClosed;
    pendingCount = 0;
    pending = nullptr;
    return ok;
}

u64 AcmStream::position() const { return inner ? inner->position() : 0; }

bool AcmStream::seek(u64 start, u64 length) {
    if (!inner || !inner->seek(start, length)) return false;
    total = length + leadBytes;
    return reset();
}

bool AcmStream::rewind() {
    if (!inner || !inner->rewind()) return false;
    return reset();
}

bool AcmStream::fillSource() {
    if (!inner) return true;
    u64 remaining = total - std::min(total, usedTotal + held);
    u32 want = (u32)std::min<u64>(sourceBuffer.size() - held, remaining);
    while (want) {
        u32 n = want;
        if (!inner->read(sourceBuffer.data() + held, &n)) return false;
        if (!n) break;
        held += n;
        want -= n;
    }
    return true;
}

bool AcmStream::convertStep() {
    ACMSTREAMHEADER* h = reinterpret_cast<ACMSTREAMHEADER*>(header);
    producedNow = 0;
    if (state == acmNew) state = acmConverting;
    if (state == acmConverting || state == acmSourceFinished) {
        const bool ending = state == acmSourceFinished;
        h->cbSrcLength = ending ? 0 : held;
        h->cbSrcLengthUsed = 0;
        h->cbDstLengthUsed = 0;
        u32 flags = ending ? ACM_STREAMCONVERTF_END : usedTotal == 0 ? ACM_STREAMCONVERTF_START : 0;
        HACMSTREAM target = streamOf(stream);
        u32 r = codecCall([&] { return acmStreamConvert(target, h, flags); });
        if (codecFailed(r)) {
            report(r);
            return false;
        }
        if (r != MMSYSERR_NOERROR) return report(r);
        u32 used = std::min<u32>(h->cbSrcLengthUsed, h->cbSrcLength);
        u32 produced = std::min<u32>(h->cbDstLengthUsed, (u32)destinationBuffer.size());
        producedNow = produced;
        producedTotal += produced;
        if (ending) {
            if (!produced) state = acmFlushed;
            return true;
        }
        if (!used && !produced) {
            // The codec takes nothing more: the rest of the source cannot be converted.
            usedTotal = total;
            held = 0;
            state = acmSourceFinished;
            return true;
        }
        memmove(sourceBuffer.data(), sourceBuffer.data() + used, held - used);
        held -= used;
        usedTotal += used;
        if (usedTotal >= total) state = acmSourceFinished;
        return true;
    }
    if (state == acmFlushed) {
        if (!prepared) {
            state = acmClosed;
            return true;
        }
        h->cbSrcLength = (DWORD)sourceBuffer.size();
        h->cbDstLength = (DWORD)destinationBuffer.size();
        prepared = false;
        return report(acmStreamUnprepareHeader(streamOf(stream), h, 0));
    }
    return true;
}

bool AcmStream::fillAndConvert() {
    producedNow = 0;
    if (state == acmClosed) return true;
    if ((state == acmNew || state == acmConverting) && !fillSource()) return false;
    return convertStep();
}

bool AcmStream::read(void* buffer, u32* bytes) {
    u8* out = static_cast<u8*>(buffer);
    const u32 want = *bytes;
    u32 got = std::min(want, pendingCount);
    if (got) {
        memcpy(out, pending, got);
        pending += got;
        pendingCount -= got;
    }
    while (got < want && state != acmClosed) {
        if (!fillAndConvert()) {
            *bytes = got;
            return false;
        }
        u32 n = std::min(producedNow, want - got);
        memcpy(out + got, destinationBuffer.data(), n);
        got += n;
        if (n < producedNow) {
            pending = destinationBuffer.data() + n;
            pendingCount = producedNow - n;
        }
    }
    *bytes = got;
    return true;
}
