#include "gui/controls/value_text.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/parse.h"

namespace {
// 'B' and 'H' endings, else the decimal parser.
template <typename T>
bool readSuffixed(const char* text, T* out, bool (*decimal)(const char*, T*)) {
    size_t n = text ? strlen(text) : 0;
    if (n == 0) return false;
    u32 v;
    if (text[n - 1] == 'B') {
        if (!parseBinaryB(text, &v)) return false;
    } else if (text[n - 1] == 'H') {
        if (!parseHexH(text, &v)) return false;
    } else {
        return decimal(text, out);
    }
    *out = (T)v;
    return true;
}

// The runtime's conversions skip leading blanks; a whole text has none.
bool startsClean(const char* text) { return text && *text && !isspace((unsigned char)*text); }
}  // namespace

bool readI32Text(const char* text, i32* out) { return readSuffixed<i32>(text, out, parseSigned); }
bool readU32Text(const char* text, u32* out) { return readSuffixed<u32>(text, out, parseUnsigned); }

bool readI64Text(const char* text, i64* out) {
    if (!startsClean(text)) return false;
    char* end;
    errno = 0;
    long long v = strtoll(text, &end, 10);
    if (errno || *end || end == text) return false;
    *out = v;
    return true;
}

bool readDoubleText(const char* text, double* out) {
    if (!startsClean(text)) return false;
    char* end;
    errno = 0;
    double v = strtod(text, &end);
    if (errno || *end || end == text) return false;
    *out = v;
    return true;
}

bool readTimeText(const char* text, u32* milliseconds) { return text && *text && parseTimeText(text, milliseconds); }

void formatI32Text(GString& s, i32 value) { stringFormat(s, "%d", value); }
void formatU32Text(GString& s, u32 value) { stringFormat(s, "%u", value); }
void formatI64Text(GString& s, i64 value) { stringFormat(s, "%lld", (long long)value); }
void formatDoubleText(GString& s, double value) { stringFormat(s, "%.15G", value); }

void formatTimeText(GString& s, u32 ms) {
    if (ms >= 60000)
        stringFormat(s, "%u:%02u.%03u", ms / 60000, ms / 1000 % 60, ms % 1000);
    else
        stringFormat(s, "%u.%03u", ms / 1000, ms % 1000);
}
