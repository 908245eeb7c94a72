#include "core/format.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "core/texts.h"

void formatTime(char* buffer, u32 size, u64 milliseconds) {
    u32 hours = (u32)(milliseconds / 3600000);
    u32 rest = (u32)(milliseconds % 3600000);
    u32 minutes = rest / 60000, seconds = rest % 60000 / 1000, ms = rest % 1000;
    if (hours > 0)
        snprintf(buffer, size, "%u:%02u:%02u.%03u", hours, minutes, seconds, ms);
    else if (minutes > 0)
        snprintf(buffer, size, "%u:%02u.%03u", minutes, seconds, ms);
    else
        snprintf(buffer, size, "%u.%03u", seconds, ms);
}

void formatSize(char* buffer, u32 size, i64 bytes) {
    if (bytes < 1024) {
        snprintf(buffer, size, "%lld", (long long)bytes);
        return;
    }
    static const CoreText units[] = {CoreText::SizeKb, CoreText::SizeMb, CoreText::SizeGb};
    u32 shift = 10;
    for (CoreText unit : units) {
        if ((bytes >> shift) < 1024) {
            snprintf(buffer, size, coreText(unit), (f64)bytes / (f64)(1LL << shift));
            return;
        }
        shift += 10;
    }
    snprintf(buffer, size, coreText(CoreText::SizeTb), (f64)bytes / (f64)(1LL << 40));
}

void formatHexPair(char buffer[100], u32 value) { snprintf(buffer, 100, "%#x %X", value, value); }

// The user's locale decides case for bytes above 127; CharLowerBuff/CharUpperBuff use it.
char toLowerChar(char c) {
    if ((u8)c < 128) return (c >= 'A' && c <= 'Z') ? (char)(c + 32) : c;
    CharLowerBuffA(&c, 1);
    return c;
}

char toUpperChar(char c) {
    if ((u8)c < 128) return (c >= 'a' && c <= 'z') ? (char)(c - 32) : c;
    CharUpperBuffA(&c, 1);
    return c;
}

void textToLowerInPlace(char* text, u32 n) {
    for (u32 i = 0; i < n; ++i) text[i] = toLowerChar(text[i]);
}

int compareNoCase(const char* a, u32 na, const char* b, u32 nb) {
    u32 n = na < nb ? na : nb;
    for (u32 i = 0; i < n; ++i) {
        u8 x = (u8)toLowerChar(a[i]), y = (u8)toLowerChar(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (na == nb) return 0;
    return na < nb ? -1 : 1;
}

int compareTextNoCase(const char* a, const char* b) {
    if (!a) a = "";
    if (!b) b = "";
    return compareNoCase(a, (u32)strlen(a), b, (u32)strlen(b));
}

static const char* slotText(const void* slot) {
    const char* text = *static_cast<const char* const*>(slot);
    return text ? text : "";
}

int compareSlotsNoCase(const void* a, const void* b) { return compareTextNoCase(slotText(a), slotText(b)); }

int compareSlotsBytes(const void* a, const void* b) {
    int r = strcmp(slotText(a), slotText(b));
    return r < 0 ? -1 : r > 0;
}

void formatDateTime(GString& out, i64 seconds) {
    stringClear(out);
    // Seconds since 1970 to a FILETIME (100 ns since 1601), then to local time.
    ULARGE_INTEGER ticks;
    ticks.QuadPart = (u64)(seconds + 11644473600LL) * 10000000ULL;
    FILETIME utc = {ticks.LowPart, ticks.HighPart}, local;
    SYSTEMTIME time;
    if (seconds < 0 || !FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) return;
    char date[128], clock[64];
    if (!GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &time, nullptr, date, sizeof date)) return;
    if (!GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof clock)) return;
    stringFormat(out, "%s %s", date, clock);
}
