#include "core/gstring.h"

#include <cstdio>
#include <cstring>

#include "core/format.h"

u32 growCapacity(u32 n) {
    if (n <= 256) return (n + 15) & ~15u;
    if (n <= 4096) return (n + 255) & ~255u;
    return (n + 4095) & ~4095u;
}

u32 growCapacity(u32 n, u32 capacity) {
    const u32 largest = 0xFFFFF000u;  // the last multiple of 4096 that a u32 holds
    if (n <= 4096 || n > largest) return growCapacity(n);
    u64 wanted = (u64)capacity + capacity / 2;
    if (wanted < n) wanted = n;
    if (wanted > largest) wanted = largest;
    return growCapacity((u32)wanted);
}

static char* allocText(u32 n) { return new char[n]; }

GString::GString(const char* text) {
    if (!text) return;
    length = (u32)strlen(text);
    capacity = length + 1;
    data = allocText(capacity);
    memcpy(data, text, capacity);
}

GString::GString(const GString& other) {
    if (!other.data) return;
    length = other.length;
    capacity = length + 1;
    data = allocText(capacity);
    memcpy(data, other.data, length);
    data[length] = 0;
}

GString::GString(GString&& other) noexcept : data(other.data), capacity(other.capacity), length(other.length) {
    other.data = nullptr;
    other.capacity = other.length = 0;
}

GString& GString::operator=(const GString& other) {
    if (this != &other) stringAssign(*this, other.c_str(), other.length);
    return *this;
}

GString& GString::operator=(GString&& other) noexcept {
    if (this != &other) stringMove(*this, other);
    return *this;
}

GString::~GString() { delete[] data; }

void stringCopy(GString& out, const GString& from) { out = GString(from); }

void stringConstruct(GString& out, const char* first, char separator, const char* second) {
    if (!first) first = "";
    if (!second) second = "";
    size_t a = strlen(first), b = strlen(second);
    bool join = !(a && first[a - 1] == separator) && !(b && second[0] == separator);
    stringAssign(out, first, (u32)a);
    if (join) stringAppendChar(out, separator);
    stringAppendBytes(out, second, (u32)b);
}

void stringAssign(GString& s, const char* text, u32 n) {
    if (!text) {
        text = "";
        n = 0;
    }
    if (s.data && text == s.data) {
        if (n >= s.capacity) n = s.capacity - 1;  // the own buffer holds no more
        s.length = n;
        s.data[n] = 0;
        return;
    }
    if (n < s.capacity) {
        memmove(s.data, text, n);
    } else {
        char* buffer = allocText(n + 1);
        memcpy(buffer, text, n);
        delete[] s.data;
        s.data = buffer;
        s.capacity = n + 1;
    }
    s.length = n;
    s.data[n] = 0;
}

void stringAssignText(GString& s, const char* text) { stringAssign(s, text, text ? (u32)strlen(text) : 0); }

void stringMove(GString& s, GString& other) {
    if (&s == &other) return;
    delete[] s.data;
    s.data = other.data;
    s.capacity = other.capacity;
    s.length = other.length;
    other.data = nullptr;
    other.capacity = other.length = 0;
}

void stringClear(GString& s) {
    s.length = 0;
    if (s.data) s.data[0] = 0;
}

char* stringGrow(GString& s, u32 n) {
    u32 capacity = growCapacity(n, s.capacity);
    char* buffer = allocText(capacity);
    if (s.data) memcpy(buffer, s.data, s.length);
    char* end = buffer + s.length;
    delete[] s.data;
    s.data = buffer;
    s.capacity = capacity;
    s.length = n;
    return end;
}

void stringAppendBytes(GString& s, const char* text, u32 n) {
    if (!text) n = 0;
    u32 old = s.length;
    GString keep;  // appending from the own buffer: the bytes must outlive the reallocation
    if (!s.data || old + n + 1 > s.capacity) {
        if (s.data && text >= s.data && text < s.data + s.capacity) {
            stringAssign(keep, text, n);
            text = keep.data;
        }
        stringGrow(s, old + n + 1);
    }
    if (n) memmove(s.data + old, text, n);
    s.length = old + n;
    s.data[s.length] = 0;
}

void stringAppend(GString& s, const char* text) { stringAppendBytes(s, text, text ? (u32)strlen(text) : 0); }

void stringAppendChar(GString& s, char c) { stringAppendBytes(s, &c, 1); }

namespace {
u32 measureFormat(const char* format, va_list args, const char* ownBegin, const char* ownEnd, bool* ownArgument);
}

// Formats at s.data + offset, keeping the bytes before it. The buffer is replaced by one of exactly
// offset + estimate + 1 bytes when the estimate does not fit, and by a fresh one of the same size when
// an argument lies in it; the old buffer is freed only after formatting. When the estimate falls
// short the text is formatted again into a buffer of its real length, so it is never cut.
static void formatAt(GString& s, u32 offset, const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    bool ownArgument = false;
    u32 estimate = measureFormat(format, measure, s.data, s.data + s.capacity, &ownArgument);
    va_end(measure);
    char* buffer = s.data;
    u32 capacity = s.capacity;
    if (!buffer || offset + estimate >= capacity || ownArgument) {
        if (!buffer || offset + estimate >= capacity) capacity = offset + estimate + 1;
        buffer = allocText(capacity);
        if (offset) memcpy(buffer, s.data, offset);
    }
    va_list again;
    va_copy(again, args);
    int n = vsnprintf(buffer + offset, capacity - offset, format, args);
    if (n >= 0 && (u32)n >= capacity - offset) {
        u32 exact = offset + (u32)n + 1;
        char* bigger = allocText(exact);
        if (offset) memcpy(bigger, buffer, offset);
        vsnprintf(bigger + offset, (u32)n + 1, format, again);
        if (buffer != s.data) delete[] buffer;
        buffer = bigger;
        capacity = exact;
    }
    va_end(again);
    if (buffer != s.data) {
        delete[] s.data;
        s.data = buffer;
        s.capacity = capacity;
    }
    s.length = offset + (n < 0 ? 0 : (u32)n);
    s.data[s.length] = 0;
}

void stringFormatV(GString& s, const char* format, va_list args) { formatAt(s, 0, format, args); }

void stringFormat(GString& s, const char* format, ...) {
    va_list args;
    va_start(args, format);
    stringFormatV(s, format, args);
    va_end(args);
}

void stringAppendFormatV(GString& s, const char* format, va_list args) { formatAt(s, s.length, format, args); }

void stringAppendFormat(GString& s, const char* format, ...) {
    va_list args;
    va_start(args, format);
    stringAppendFormatV(s, format, args);
    va_end(args);
}

int stringCompare(const GString& s, const char* text) {
    if (!text) text = "";
    u32 n = (u32)strlen(text);
    u32 common = s.length < n ? s.length : n;
    int c = common ? memcmp(s.data, text, common) : 0;
    if (c) return c < 0 ? -1 : 1;
    if (s.length == n) return 0;
    return s.length < n ? -1 : 1;
}

bool stringEquals(const GString& s, const char* text) {
    if (!text) text = "";
    u32 n = (u32)strlen(text);
    return n == s.length && (n == 0 || memcmp(s.data, text, n) == 0);
}

bool stringMatchesAt(const GString& s, const char* text, int n, u32 position) {
    if (!text) return true;
    u32 count = n < 0 ? (u32)strlen(text) : (u32)n;
    if (count == 0) return true;
    if (position > s.length || count > s.length - position) return false;
    return memcmp(s.data + position, text, count) == 0;
}

bool stringStartsWith(const GString& s, const char* prefix) { return stringMatchesAt(s, prefix, -1, 0); }

int stringFind(const GString& s, const char* text, u32 from) {
    if (!text || from > s.length) return -1;
    u32 n = (u32)strlen(text);
    if (n > s.length - from) return -1;
    for (u32 i = from; i + n <= s.length; ++i)
        if (memcmp(s.data + i, text, n) == 0) return (int)i;
    return -1;
}

void stringReplaceAll(GString& s, const char* oldText, const char* newText) {
    if (!oldText || !*oldText || !s.length) return;
    if (!newText) newText = "";
    u32 oldLength = (u32)strlen(oldText), newLength = (u32)strlen(newText);
    GString out;
    u32 from = 0;
    int at;
    bool any = false;
    while ((at = stringFind(s, oldText, from)) >= 0) {
        stringAppendBytes(out, s.data + from, (u32)at - from);
        stringAppendBytes(out, newText, newLength);
        from = (u32)at + oldLength;
        any = true;
    }
    if (!any) return;
    stringAppendBytes(out, s.data + from, s.length - from);
    stringAssign(s, out.data, out.length);
}

void stringInsert(GString& s, u32 position, const char* text) {
    if (!text) return;
    if (position > s.length) position = s.length;
    GString tail;
    stringAssign(tail, s.c_str() + position, s.length - position);
    stringTruncate(s, s.length - position);
    stringAppend(s, text);
    stringAppendBytes(s, tail.data, tail.length);
}

void stringTruncate(GString& s, u32 n) {
    if (!s.data) return;
    s.length = n >= s.length ? 0 : s.length - n;
    s.data[s.length] = 0;
}

void stringTrim(GString& s) {
    if (!s.length) return;
    u32 begin = 0, end = s.length;
    while (begin < end && (u8)s.data[begin] <= 32) ++begin;
    while (end > begin && (u8)s.data[end - 1] <= 32) --end;
    if (begin == 0 && end == s.length) return;
    memmove(s.data, s.data + begin, end - begin);
    s.length = end - begin;
    s.data[s.length] = 0;
}

bool needsFullStop(char c) {
    u8 b = (u8)c;
    return (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || b >= 128;
}

void stringEndSentence(GString& s) {
    if (s.length && needsFullStop(s.data[s.length - 1])) stringAppendChar(s, '.');
}

void stringAppendTime(GString& s, u64 milliseconds) {
    char buffer[64];
    formatTime(buffer, sizeof buffer, milliseconds);
    stringAppend(s, buffer);
}

// ---- formatLength ----

namespace {
// Real length of one floating conversion; the fixed estimate is no bound for large values or
// precisions.
u32 floatLength(const char* spec, size_t specLength, bool isLong, va_list& args) {
    char conversion[64];
    if (specLength >= sizeof conversion) specLength = sizeof conversion - 1;
    memcpy(conversion, spec, specLength);
    conversion[specLength] = 0;
    int n;
    if (isLong) {
        long double v = va_arg(args, long double);
        n = snprintf(nullptr, 0, conversion, v);
    } else {
        double v = va_arg(args, double);
        n = snprintf(nullptr, 0, conversion, v);
    }
    return n < 0 ? 0 : (u32)n;
}
}  // namespace

u32 formatLength(const char* format, va_list args) { return measureFormat(format, args, nullptr, nullptr, nullptr); }

namespace {
// formatLength that also tells whether a text argument points into [ownBegin, ownEnd).
u32 measureFormat(const char* format, va_list args, const char* ownBegin, const char* ownEnd, bool* ownArgument) {
    auto isOwn = [&](const void* p) {
        if (ownArgument && p && ownBegin && (const char*)p >= ownBegin && (const char*)p < ownEnd) *ownArgument = true;
    };
    u32 total = 0;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            ++total;
            continue;
        }
        const char* spec = p++;
        if (*p == '%') {
            ++total;
            continue;
        }
        bool alternate = false;  // '#': "0x" before hexadecimal, a leading 0 before octal
        for (; *p && strchr("-+ #0'", *p); ++p) alternate |= *p == '#';
        u32 width = 0;
        bool starWidth = false, starPrecision = false;
        if (*p == '*') {
            int w = va_arg(args, int);
            width = w < 0 ? (u32)-(i64)w : (u32)w;
            starWidth = true;
            ++p;
        } else {
            while (*p >= '0' && *p <= '9') width = width * 10 + (u32)(*p++ - '0');
        }
        int precision = -1;
        if (*p == '.') {
            ++p;
            precision = 0;
            if (*p == '*') {
                precision = va_arg(args, int);
                starPrecision = true;
                ++p;
            } else {
                while (*p >= '0' && *p <= '9') precision = precision * 10 + (*p++ - '0');
            }
        }
        bool wide64 = false, isLong = false, longDouble = false, shortWide = false;
        for (;;) {
            if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
                wide64 = true;
                p += 3;
            } else if (p[0] == 'I' && p[1] == '3' && p[2] == '2') {
                p += 3;
            } else if (*p == 'l') {
                if (isLong) wide64 = true;
                isLong = true;
                ++p;
            } else if (*p == 'L') {
                longDouble = true;
                ++p;
            } else if (*p == 'h') {
                shortWide = true;
                ++p;
            } else if (*p == 'j' || *p == 'q') {
                wide64 = true;
                ++p;
            } else if (*p == 'z' || *p == 't' || *p == 'I') {
                ++p;
            } else {
                break;
            }
        }
        char c = *p;
        if (!c) break;
        u32 estimate = 0;
        switch (c) {
        case 'd': case 'i': case 'o':
            estimate = wide64 ? 22 : 11;
            if (c == 'o' && alternate) ++estimate;
            if (wide64) (void)va_arg(args, long long); else (void)va_arg(args, int);
            break;
        case 'u':
            estimate = wide64 ? 20 : 10;
            if (wide64) (void)va_arg(args, long long); else (void)va_arg(args, int);
            break;
        case 'x': case 'X':
            estimate = wide64 ? 16 : 8;
            if (alternate) estimate += 2;
            if (wide64) (void)va_arg(args, long long); else (void)va_arg(args, int);
            break;
        case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A': {
            // Rebuild the conversion with its numbers; a '*' was already taken from the arguments.
            char rebuilt[64];
            int k = snprintf(rebuilt, sizeof rebuilt, "%%%.*s", (int)(strspn(spec + 1, "-+ #0'")),
                             spec + 1);
            if (starWidth || width) k += snprintf(rebuilt + k, sizeof rebuilt - k, "%u", width);
            if (precision >= 0) k += snprintf(rebuilt + k, sizeof rebuilt - k, ".%d", precision);
            else if (starPrecision) k += snprintf(rebuilt + k, sizeof rebuilt - k, ".6");
            if (longDouble) rebuilt[k++] = 'L';
            rebuilt[k++] = c;
            rebuilt[k] = 0;
            estimate = floatLength(rebuilt, (size_t)k, longDouble, args);
            if (estimate < 23) estimate = 23;
            break;
        }
        case 'c':
            estimate = isLong ? 2 : 1;
            (void)va_arg(args, int);
            break;
        case 'C':
            estimate = 2;
            (void)va_arg(args, int);
            break;
        case 's': {
            if (isLong) {
                const wchar_t* w = va_arg(args, const wchar_t*);
                isOwn(w);
                estimate = w ? (u32)wcslen(w) * 3 : 12;
            } else {
                const char* t = va_arg(args, const char*);
                isOwn(t);
                estimate = t ? (u32)strlen(t) : 6;
            }
            break;
        }
        case 'S': {
            if (shortWide) {
                const char* t = va_arg(args, const char*);
                isOwn(t);
                estimate = t ? (u32)strlen(t) : 6;
            } else {
                const wchar_t* w = va_arg(args, const wchar_t*);
                isOwn(w);
                estimate = w ? (u32)wcslen(w) * 3 : 12;
            }
            break;
        }
        case 'p':
            estimate = 2 * sizeof(void*) + 2;
            (void)va_arg(args, void*);
            break;
        case 'n':
            (void)va_arg(args, void*);
            break;
        default:
            break;
        }
        // A precision pads integers with zeros beyond the fixed estimate (plus the sign or the "0x").
        if (precision >= 0 && strchr("diouxX", c)) {
            u32 padded = (u32)precision + ((c == 'x' || c == 'X') && alternate ? 2 : 1);
            if (padded > estimate) estimate = padded;
        }
        total += estimate > width ? estimate : width;
    }
    return total + 1;
}
}  // namespace

// ---- heap texts ----

char* copyHeapText(const char* text) {
    if (!text) return nullptr;
    size_t n = strlen(text) + 1;
    char* copy = allocText((u32)n);
    memcpy(copy, text, n);
    return copy;
}

void copyHeapText(char** out, const char* text) { *out = copyHeapText(text); }

void assignHeapText(char** slot, const char* text) {
    char* copy = copyHeapText(text);
    delete[] *slot;
    *slot = copy;
}

void assignCString(char** slot, const char* text) { assignHeapText(slot, text); }

void freeHeapText(char** slot) {
    delete[] *slot;
    *slot = nullptr;
}

char* copyTextRange(const char* begin, const char* end) {
    if (!begin) return nullptr;
    size_t n = end ? (size_t)(end - begin) : strlen(begin);
    char* copy = allocText((u32)n + 1);
    memcpy(copy, begin, n);
    copy[n] = 0;
    return copy;
}

void setStringPtrRange(char** slot, const char* begin, const char* end) {
    char* copy = copyTextRange(begin, end);
    delete[] *slot;
    *slot = copy;
}

void appendToHeapText(char** slot, const char* text, u32 n) {
    if (!*slot) {
        *slot = copyTextRange(text ? text : "", text ? text + n : nullptr);
        return;
    }
    size_t old = strlen(*slot);
    char* buffer = allocText((u32)(old + n + 1));
    memcpy(buffer, *slot, old);
    if (n) memcpy(buffer + old, text, n);
    buffer[old + n] = 0;
    delete[] *slot;
    *slot = buffer;
}

bool textEquals(const char* a, const char* b) {
    if (!a || !b) return a == b;
    return strcmp(a, b) == 0;
}

bool textEqualsNoCase(const char* a, const char* b) { return compareTextNoCase(a, b) == 0; }

bool pointerEquals(const char* a, const char* b) { return a == b || (a && b && strcmp(a, b) == 0); }

void removeAmpersands(char* text) {
    if (!text) return;
    char* out = text;
    for (char* p = text; *p; ++p)
        if (*p != '&') *out++ = *p;
    *out = 0;
}

const char* multiStringAt(const char* list, u32 n) {
    if (!list) return nullptr;
    const char* p = list;
    for (u32 i = 0; i < n; ++i) {
        if (!*p) return nullptr;
        p += strlen(p) + 1;
    }
    return *p ? p : nullptr;
}
