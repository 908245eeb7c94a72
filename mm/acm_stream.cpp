#include "mm/acm_stream.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "mm/mm_error.h"
#include "mm/mm_texts.h"

static_assert(sizeof(ACMSTREAMHEADER) == 84, "the stream header is 84 bytes");

namespace {
const u32 sourceBlockLimit = 0x4000;
const u32 destinationLimit = 0x400000;

HACMSTREAM streamOf(void* s) { return static_cast<HACMSTREAM>(s); }
HACMDRIVER driverOf(void* d) { return static_cast<HACMDRIVER>(d); }
WAVEFORMATEX* mutableFormat(AcmFormatBytes& b) { return reinterpret_cast<WAVEFORMATEX*>(b.data()); }

u32 formatBytes(const WAVEFORMATEX* f) { return f->wFormatTag == WAVE_FORMAT_PCM ? 16u : 18u + f->cbSize; }
}  // namespace

AcmFormatBytes copyAcmFormat(const WAVEFORMATEX* format) {
    if (!format) return AcmFormatBytes();
    const u8* p = reinterpret_cast<const u8*>(format);
    // PCM copies keep room for the extra-size field, which stays 0.
    AcmFormatBytes b(std::max<u32>(formatBytes(format), 18), 0);
    memcpy(b.data(), p, formatBytes(format));
    return b;
}

// ---- the stream ----

AcmStream::AcmStream() : errorSink(&ownSink) { memset(header, 0, sizeof header); }

AcmStream::~AcmStream() { close(1); }

bool AcmStream::report(u32 result) { return result == MMSYSERR_NOERROR || reportMmError(errorSink, result); }

bool AcmStream::setInner(SoundSource* source) {
    if (inner != source) {
        if (inner) inner->close(1);
        delete inner;
    }
    inner = source;
    return true;
}

bool AcmStream::openStream() {
    HACMSTREAM s = nullptr;
    u32 r = acmStreamOpen(&s, driverOf(driver), mutableFormat(sourceFormat), mutableFormat(destinationFormat),
                          nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
    stream = r == MMSYSERR_NOERROR ? s : nullptr;
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
    sourceFormat = copyAcmFormat(from);
    destinationFormat = copyAcmFormat(to);
    sourceRate = from->nAvgBytesPerSec;
    destinationRate = to->nAvgBytesPerSec;
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
    if (!report(acmStreamSize(streamOf(stream), block, &size, ACM_STREAMSIZEF_SOURCE))) return false;
    if (size > destinationLimit) {
        block = align;
        if (!report(acmStreamSize(streamOf(stream), block, &size, ACM_STREAMSIZEF_SOURCE))) return false;
    }
    try {
        sourceBuffer.assign(block, 0);
        destinationBuffer.assign(std::max<DWORD>(size, 1), 0);
    } catch (const std::bad_alloc&) {
        return reportMmError(errorSink, MMSYSERR_NOMEM);
    }
    return prepareHeader();
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
    if (driver == opened) {
        ownsDriver = true;
    } else {
        closeAcmDriver(opened, nullptr);
    }
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
    total = length;
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
        u32 r;
        try {
            r = acmStreamConvert(streamOf(stream), h, flags);
        } catch (...) {
            return reportMmError(errorSink, mmErrorCodecFailed);
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

// ---- drivers and formats ----

namespace {
struct DriverEnumContext {
    std::vector<AcmDriverInfo>* drivers;
    ExceptionCarrier failures;
};

BOOL CALLBACK collectDriver(HACMDRIVERID id, DWORD_PTR instance, DWORD support) {
    DriverEnumContext* c = reinterpret_cast<DriverEnumContext*>(instance);
    return callGuarded(&c->failures, FALSE, [&]() -> BOOL {
        ACMDRIVERDETAILSA details;
        memset(&details, 0, sizeof details);
        details.cbStruct = sizeof details;
        AcmDriverInfo info = {};
        info.id = id;
        info.support = support;
        if (acmDriverDetailsA(id, &details, 0) == MMSYSERR_NOERROR) {
            memcpy(info.shortName, details.szShortName, sizeof info.shortName);
            memcpy(info.longName, details.szLongName, sizeof info.longName);
            info.formatTags = details.cFormatTags;
        }
        c->drivers->push_back(info);
        return TRUE;
    });
}

struct FormatEnumContext {
    HACMDRIVER driver;
    const WAVEFORMATEX* source;
    AcmFormatCallback callback;
    void* context;
    ExceptionCarrier failures;
};

BOOL CALLBACK offerFormat(HACMDRIVERID, LPACMFORMATDETAILSA details, DWORD_PTR instance, DWORD) {
    FormatEnumContext* c = reinterpret_cast<FormatEnumContext*>(instance);
    return callGuarded(&c->failures, FALSE, [&]() -> BOOL {
        u32 r = acmStreamOpen(nullptr, c->driver, const_cast<WAVEFORMATEX*>(c->source), details->pwfx, nullptr, 0, 0,
                              ACM_STREAMOPENF_QUERY);
        if (r != MMSYSERR_NOERROR) return TRUE;
        return c->callback(c->context, details->pwfx) ? TRUE : FALSE;
    });
}
}  // namespace

bool enumAcmDrivers(std::vector<AcmDriverInfo>& drivers, bool includeDisabled, ErrorHandler* sink) {
    drivers.clear();
    DriverEnumContext c;
    c.drivers = &drivers;
    u32 r = acmDriverEnum(collectDriver, reinterpret_cast<DWORD_PTR>(&c), includeDisabled ? ACM_DRIVERENUMF_DISABLED : 0);
    if (c.failures.take()) return reportMmError(sink, MMSYSERR_ERROR);
    if (r != MMSYSERR_NOERROR) return reportMmError(sink, r);
    if (drivers.empty()) return reportMmError(sink, MMSYSERR_NODRIVER);
    return true;
}

bool openAcmDriver(void** driver, void* driverId, ErrorHandler* sink) {
    HACMDRIVER had = nullptr;
    u32 r = acmDriverOpen(&had, static_cast<HACMDRIVERID>(driverId), 0);
    *driver = r == MMSYSERR_NOERROR ? had : nullptr;
    return r == MMSYSERR_NOERROR || reportMmError(sink, r);
}

bool closeAcmDriver(void* driver, ErrorHandler* sink) {
    u32 r = acmDriverClose(driverOf(driver), 0);
    return r == MMSYSERR_NOERROR || reportMmError(sink, r);
}

bool enumAcmFormats(void* driver, const WAVEFORMATEX* source, AcmFormatCallback callback, void* context,
                    ErrorHandler* sink) {
    DWORD maxSize = 0;
    u32 r = acmMetrics(reinterpret_cast<HACMOBJ>(driver), ACM_METRIC_MAX_SIZE_FORMAT, &maxSize);
    if (r != MMSYSERR_NOERROR) return reportMmError(sink, r);
    AcmFormatBytes buffer = copyAcmFormat(source);
    buffer.resize(std::max<size_t>(buffer.size(), maxSize), 0);
    ACMFORMATDETAILSA details;
    memset(&details, 0, sizeof details);
    details.cbStruct = sizeof details;
    details.pwfx = mutableFormat(buffer);
    details.cbwfx = (DWORD)buffer.size();
    details.dwFormatTag = WAVE_FORMAT_UNKNOWN;
    FormatEnumContext c;
    c.driver = driverOf(driver);
    c.source = source;
    c.callback = callback;
    c.context = context;
    r = acmFormatEnumA(driverOf(driver), &details, offerFormat, reinterpret_cast<DWORD_PTR>(&c), ACM_FORMATENUMF_CONVERT);
    if (c.failures.take()) return reportMmError(sink, MMSYSERR_ERROR);
    return r == MMSYSERR_NOERROR || reportMmError(sink, r);
}

u32 acmCandidateScore(const WAVEFORMATEX* c, const AcmFormatWish& p) {
    u32 score = 1;
    if (p.tag && c->wFormatTag == p.tag) score += 0x10;
    if (p.bits && c->wBitsPerSample == p.bits) score += 8;
    if (p.channels && c->nChannels == p.channels) score += 4;
    if (p.rate && c->nSamplesPerSec == p.rate) score += 2;
    return score;
}

static u32 rateDistance(u32 rate, u32 wanted) { return rate > wanted ? rate - wanted : wanted - rate; }

bool acmCandidateWins(const WAVEFORMATEX* candidate, u32 score, const WAVEFORMATEX* best, u32 bestScore,
                      const AcmFormatWish& preferred) {
    if (!best || score > bestScore) return true;
    if (score < bestScore || !preferred.rate || candidate->nSamplesPerSec == preferred.rate) return false;
    return rateDistance(candidate->nSamplesPerSec, preferred.rate) < rateDistance(best->nSamplesPerSec, preferred.rate);
}

namespace {
struct SearchState {
    AcmFormatWish required;
    AcmFormatWish preferred;
    u32 perfect;
    void* driverId;
    AcmConversion* best;
    u32 bestScore;
    bool done;
};

bool considerCandidate(void* context, const WAVEFORMATEX* c) {
    SearchState* s = static_cast<SearchState*>(context);
    const AcmFormatWish& r = s->required;
    if ((r.tag && c->wFormatTag != r.tag) || (r.channels && c->nChannels != r.channels) ||
        (r.rate && c->nSamplesPerSec != r.rate) || (r.bits && c->wBitsPerSample != r.bits))
        return true;
    u32 score = acmCandidateScore(c, s->preferred);
    if (acmCandidateWins(c, score, asFormat(s->best->format), s->bestScore, s->preferred)) {
        s->best->format = copyAcmFormat(c);
        s->best->driverId = s->driverId;
        s->bestScore = score;
    }
    if (score == s->perfect) s->done = true;
    return !s->done;
}
}  // namespace

bool findAcmConversion(const AcmFormatWish& required, const AcmFormatWish& preferred, const WAVEFORMATEX* source,
                       AcmConversion* found, ErrorHandler* sink) {
    found->driverId = nullptr;
    found->format.clear();
    std::vector<AcmDriverInfo> drivers;
    if (!enumAcmDrivers(drivers, false, sink)) return false;
    SearchState s = {required, preferred, 0, nullptr, found, 0, false};
    s.perfect = 1 + (preferred.tag ? 0x10 : 0) + (preferred.bits ? 8 : 0) + (preferred.channels ? 4 : 0) +
                (preferred.rate ? 2 : 0);
    for (const AcmDriverInfo& d : drivers) {
        void* opened = nullptr;
        if (!openAcmDriver(&opened, d.id, nullptr) || !opened) continue;
        s.driverId = d.id;
        enumAcmFormats(opened, source, considerCandidate, &s, nullptr);
        closeAcmDriver(opened, nullptr);
        if (s.done) break;
    }
    return !found->format.empty();
}
