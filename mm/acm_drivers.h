#pragma once
// The drivers and formats of the machine's audio compression manager: thin wrappers that report a
// failing call to a sink (answering its answer, true on success), and the scored search for the
// driver and destination format of a conversion.
#include <string>
#include <vector>

#include "core/error.h"
#include "mm/acm_stream.h"

struct tACMDRIVERDETAILSA;
struct tACMFORMATTAGDETAILSA;
struct tACMFORMATDETAILSA;

struct AcmDriverInfo {
    void* id;
    u32 support;
    char shortName[32];
    char longName[128];
    u32 formatTags;
    u16 mid, pid;  // manufacturer and product
};

// The drivers of the machine (disabled ones too when asked); none found is reported as no driver.
bool enumAcmDrivers(std::vector<AcmDriverInfo>& drivers, bool includeDisabled, ErrorHandler* sink);
bool openAcmDriver(void** driver, void* driverId, ErrorHandler* sink);
bool closeAcmDriver(void* driver, ErrorHandler* sink);
// Details of a driver (by id), zeroed first.
bool getAcmDriverDetails(void* driverId, tACMDRIVERDETAILSA* details, ErrorHandler* sink);
// Details of the format tag at an index, of any driver or of an opened one.
bool getFormatTagDetails(u32 index, tACMFORMATTAGDETAILSA* details, ErrorHandler* sink);
bool getDriverFormatTagDetails(void* driver, u32 index, tACMFORMATTAGDETAILSA* details, ErrorHandler* sink);
// Details of the format of a tag at an index of an opened driver; the format goes to `format`.
bool getAcmFormatDetails(void* driver, u32 tag, u32 index, tACMFORMATDETAILSA* details, AcmFormatBytes* format,
                         ErrorHandler* sink);
bool setAcmDriverPriority(void* driverId, u32 priority, u32 flags, ErrorHandler* sink);

// One format tag of a driver with its formats.
struct AcmFormatTagRecord {
    u32 tag = 0;
    std::string name;
    std::vector<AcmFormatBytes> formats;
    std::vector<std::string> formatNames;
};
struct AcmDriverRecord {
    AcmDriverInfo info;
    std::vector<AcmFormatTagRecord> tags;
};
// Every driver with its format tags and formats; each driver is opened and closed again.
bool collectAcmDrivers(std::vector<AcmDriverRecord>& drivers, bool includeDisabled, ErrorHandler* sink);
// Flag words of enumAcmFormats: every format the source converts to, or those the driver suggests.
enum : u32 { AcmEnumConvert = 0x100000, AcmEnumSuggest = 0x200000 };
// Calls back with every format of the opened driver that the enumeration of the flag word offers
// for the source and that a query open of a stream accepts, with the details' format text; the
// callback answers false to stop.
typedef bool (*AcmFormatCallback)(void* context, const WAVEFORMATEX* candidate, const char* formatText);
bool enumAcmFormats(void* driver, const WAVEFORMATEX* source, u32 flags, AcmFormatCallback callback, void* context,
                    ErrorHandler* sink);
// The name of a format tag as the opened driver (null: any driver) gives it; false when none does.
bool acmFormatTagName(void* driver, u32 tag, std::string& name);
// "tag name, format name" of a format through any driver; false (out empty) when none knows it.
bool acmFormatText(const WAVEFORMATEX* format, std::string& out);

// Fields of a wanted format; zero fields are free.
struct AcmFormatWish {
    u16 tag;
    u16 channels;
    u32 rate;
    u16 bits;
};

// The score of a candidate: 1, plus 0x10 for the preferred tag, 8 for the bits, 4 for the
// channels and 2 for the rate.
u32 acmCandidateScore(const WAVEFORMATEX* candidate, const AcmFormatWish& preferred);
// True when the candidate replaces the best so far: a higher score, or an equal one whose rate is
// strictly closer to a preferred rate the best did not match either.
bool acmCandidateWins(const WAVEFORMATEX* candidate, u32 score, const WAVEFORMATEX* best, u32 bestScore,
                      const AcmFormatWish& preferred);

struct AcmConversion {
    void* driverId = nullptr;
    AcmFormatBytes format;
};
// Searches every driver that knows the source's tag for the best destination of the source that
// meets the required fields; one that matches every preferred field ends the search. False when
// none is found.
bool findAcmConversion(const AcmFormatWish& required, const AcmFormatWish& preferred, const WAVEFORMATEX* source,
                       AcmConversion* found, ErrorHandler* sink);
