#include "mm/acm_drivers.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>

#include "core/guard.h"
#include "mm/mm_error.h"
#include "mm/plugin_guard.h"

namespace {
HACMDRIVER driverOf(void* d) { return static_cast<HACMDRIVER>(d); }

bool checked(u32 result, ErrorHandler* sink) { return result == MMSYSERR_NOERROR || reportMmError(sink, result); }

u32 maxFormatSize(void* driver, ErrorHandler* sink, bool* ok) {
    DWORD size = 0;
    *ok = checked(acmMetrics(reinterpret_cast<HACMOBJ>(driver), ACM_METRIC_MAX_SIZE_FORMAT, &size), sink);
    return std::max<u32>(size, 18);
}
}  // namespace

namespace {
struct DriverEnumContext {
    std::vector<AcmDriverInfo>* drivers;
    ExceptionCarrier failures;
};

BOOL CALLBACK collectDriver(HACMDRIVERID id, DWORD_PTR instance, DWORD support) {
    DriverEnumContext* c = reinterpret_cast<DriverEnumContext*>(instance);
    return callGuarded(&c->failures, FALSE, [&]() -> BOOL {
        ACMDRIVERDETAILSA details;
        AcmDriverInfo info = {};
        info.id = id;
        info.support = support;
        if (getAcmDriverDetails(id, &details, nullptr)) {
            memcpy(info.shortName, details.szShortName, sizeof info.shortName);
            memcpy(info.longName, details.szLongName, sizeof info.longName);
            info.formatTags = details.cFormatTags;
            info.mid = details.wMid;
            info.pid = details.wPid;
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
        u32 r = MMSYSERR_ERROR;
        HACMDRIVER driver = c->driver;
        WAVEFORMATEX* from = const_cast<WAVEFORMATEX*>(c->source);
        WAVEFORMATEX* to = details->pwfx;
        // A codec that faults in the query offers nothing.
        containPluginFaults([&] { r = acmStreamOpen(nullptr, driver, from, to, nullptr, 0, 0, ACM_STREAMOPENF_QUERY); });
        if (r != MMSYSERR_NOERROR) return TRUE;
        return c->callback(c->context, details->pwfx, details->szFormat) ? TRUE : FALSE;
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

bool enumAcmFormats(void* driver, const WAVEFORMATEX* source, u32 flags, AcmFormatCallback callback, void* context,
                    ErrorHandler* sink) {
    bool ok;
    u32 maxSize = maxFormatSize(driver, sink, &ok);
    if (!ok) return false;
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
    u32 r = acmFormatEnumA(driverOf(driver), &details, offerFormat, reinterpret_cast<DWORD_PTR>(&c), flags);
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

bool considerCandidate(void* context, const WAVEFORMATEX* c, const char*) {
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
        // A driver that does not know the source's tag may still accept it (read as PCM): not taken.
        std::string tagName;
        if (acmFormatTagName(opened, source->wFormatTag, tagName))
            enumAcmFormats(opened, source, AcmEnumConvert, considerCandidate, &s, nullptr);
        closeAcmDriver(opened, nullptr);
        if (s.done) break;
    }
    return !found->format.empty();
}

bool getAcmDriverDetails(void* driverId, tACMDRIVERDETAILSA* details, ErrorHandler* sink) {
    memset(details, 0, sizeof *details);
    details->cbStruct = sizeof *details;
    return checked(acmDriverDetailsA(static_cast<HACMDRIVERID>(driverId), details, 0), sink);
}

bool getDriverFormatTagDetails(void* driver, u32 index, tACMFORMATTAGDETAILSA* details, ErrorHandler* sink) {
    memset(details, 0, sizeof *details);
    details->cbStruct = sizeof *details;
    details->dwFormatTagIndex = index;
    return checked(acmFormatTagDetailsA(driverOf(driver), details, ACM_FORMATTAGDETAILSF_INDEX), sink);
}

bool getFormatTagDetails(u32 index, tACMFORMATTAGDETAILSA* details, ErrorHandler* sink) {
    return getDriverFormatTagDetails(nullptr, index, details, sink);
}

bool getAcmFormatDetails(void* driver, u32 tag, u32 index, tACMFORMATDETAILSA* details, AcmFormatBytes* format,
                         ErrorHandler* sink) {
    bool ok;
    u32 size = maxFormatSize(driver, sink, &ok);
    if (!ok) return false;
    format->assign(size, 0);
    memset(details, 0, sizeof *details);
    details->cbStruct = sizeof *details;
    details->dwFormatIndex = index;
    details->dwFormatTag = tag;
    details->pwfx = mutableFormat(*format);
    details->cbwfx = size;
    if (!checked(acmFormatDetailsA(driverOf(driver), details, ACM_FORMATDETAILSF_INDEX), sink)) return false;
    format->resize(std::max<u32>(details->cbwfx, 16));
    return true;
}

bool setAcmDriverPriority(void* driverId, u32 priority, u32 flags, ErrorHandler* sink) {
    return checked(acmDriverPriority(static_cast<HACMDRIVERID>(driverId), priority, flags), sink);
}

bool collectAcmDrivers(std::vector<AcmDriverRecord>& records, bool includeDisabled, ErrorHandler* sink) {
    records.clear();
    std::vector<AcmDriverInfo> drivers;
    if (!enumAcmDrivers(drivers, includeDisabled, sink)) return false;
    for (const AcmDriverInfo& info : drivers) {
        AcmDriverRecord record;
        record.info = info;
        void* driver = nullptr;
        if (openAcmDriver(&driver, info.id, sink) && driver) {
            for (u32 t = 0; t < info.formatTags; ++t) {
                ACMFORMATTAGDETAILSA tag;
                if (!getDriverFormatTagDetails(driver, t, &tag, sink)) continue;
                AcmFormatTagRecord tagRecord;
                tagRecord.tag = tag.dwFormatTag;
                tagRecord.name = tag.szFormatTag;
                for (u32 f = 0; f < tag.cStandardFormats; ++f) {
                    ACMFORMATDETAILSA details;
                    AcmFormatBytes format;
                    if (!getAcmFormatDetails(driver, tag.dwFormatTag, f, &details, &format, sink)) continue;
                    tagRecord.formats.push_back(format);
                    tagRecord.formatNames.push_back(details.szFormat);
                }
                record.tags.push_back(tagRecord);
            }
            closeAcmDriver(driver, sink);
        }
        records.push_back(record);
    }
    return true;
}

bool acmFormatTagName(void* driver, u32 tag, std::string& name) {
    name.clear();
    ACMFORMATTAGDETAILSA details;
    memset(&details, 0, sizeof details);
    details.cbStruct = sizeof details;
    details.dwFormatTag = tag;
    if (acmFormatTagDetailsA(driverOf(driver), &details, ACM_FORMATTAGDETAILSF_FORMATTAG) != MMSYSERR_NOERROR)
        return false;
    details.szFormatTag[sizeof details.szFormatTag - 1] = 0;
    name = details.szFormatTag;
    return true;
}

bool acmFormatText(const WAVEFORMATEX* format, std::string& out) {
    out.clear();
    if (!format) return false;
    std::string tag;
    if (!acmFormatTagName(nullptr, format->wFormatTag, tag)) return false;
    AcmFormatBytes copy = copyAcmFormat(format);
    ACMFORMATDETAILSA details;
    memset(&details, 0, sizeof details);
    details.cbStruct = sizeof details;
    details.dwFormatTag = format->wFormatTag;
    details.pwfx = mutableFormat(copy);
    details.cbwfx = (DWORD)copy.size();
    if (acmFormatDetailsA(nullptr, &details, ACM_FORMATDETAILSF_FORMAT) != MMSYSERR_NOERROR) return false;
    details.szFormat[sizeof details.szFormat - 1] = 0;
    out = tag + ", " + details.szFormat;
    return true;
}
