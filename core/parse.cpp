#include "core/parse.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/exceptions.h"

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The runtime's conversion, refused on a conversion error or on trailing text. Leading spaces and,
// for unsigned numbers, a sign are refused before: the runtime would take "-1" as 4294967295.
bool convertSigned(const char* text, long* value) {
    if (!text || !(isDigit(*text) || ((*text == '-' || *text == '+') && isDigit(text[1])))) return false;
    char* end = nullptr;
    errno = 0;
    long v = strtol(text, &end, 10);
    if (errno || *end) return false;
    *value = v;
    return true;
}

// Digits of the given radix up to the end or the closing letter, which must end the text.
bool parseRadix(const char* text, u32* out, u32 radix, char closing) {
    if (!text || !*text || *text == closing) return false;
    u32 value = 0;
    for (const char* p = text;; ++p) {
        char c = *p;
        if (c == 0 || (c == closing && p[1] == 0)) break;
        u32 digit;
        if (c >= '0' && c <= '9')
            digit = (u32)(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = (u32)(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = (u32)(c - 'A' + 10);
        else
            return false;
        if (digit >= radix) return false;
        value = value * radix + digit;
    }
    *out = value;
    return true;
}

// Decimal digits at p (none reads as 0); false when the number does not fit 32 bits.
bool readNumber(const char*& p, u64* value) {
    u64 v = 0;
    for (; isDigit(*p); ++p) {
        v = v * 10 + (u64)(*p - '0');
        if (v > 0xFFFFFFFFu) return false;
    }
    *value = v;
    return true;
}
}  // namespace

bool parseUnsigned(const char* text, u32* out) {
    if (!text || !isDigit(*text)) return false;
    char* end = nullptr;
    errno = 0;
    unsigned long v = strtoul(text, &end, 10);
    if (errno || *end) return false;
    *out = (u32)v;
    return true;
}

bool parseSigned(const char* text, i32* out) {
    long v;
    if (!convertSigned(text, &v)) return false;
    *out = (i32)v;
    return true;
}

i32 parseIntOrThrow(const char* text) {
    long v;
    if (!convertSigned(text, &v)) throw GException();
    return (i32)v;
}

bool parseHexH(const char* text, u32* out) { return parseRadix(text, out, 16, 'H'); }

bool parseBinaryB(const char* text, u32* out) { return parseRadix(text, out, 2, 'B'); }

bool parseTimeText(const char* text, u32* milliseconds) {
    if (!text || !*text) return false;
    const char* p = text;
    u64 minutes = 0, seconds = 0, ms = 0;
    if (!readNumber(p, &seconds)) return false;
    if (*p == ':') {
        ++p;
        minutes = seconds;
        if (!readNumber(p, &seconds)) return false;
    }
    if (*p == '.') {
        ++p;
        if (!readNumber(p, &ms)) return false;
    }
    if (*p) return false;
    u64 total = minutes * 60000 + seconds * 1000 + ms;
    if (total > 0xFFFFFFFFu) return false;
    *milliseconds = (u32)total;
    return true;
}

// ---- command line ----

ArgumentList::~ArgumentList() {
    delete[] buffer;
    delete[] arguments;
}

namespace {
enum LexAction : u8 { Drop, Keep, End };
struct LexStep {
    u8 next;
    LexAction action;
};
// States: 0 between arguments, 1 just after a quote, 2 inside quotes, 3 inside a word, 4 finished.
// Classes: NUL, space, quote, other.
const LexStep lexTable[4][4] = {
    {{4, Drop}, {0, Drop}, {1, Drop}, {3, Keep}},
    {{4, End}, {0, End}, {2, Keep}, {2, Keep}},
    {{4, End}, {2, Keep}, {1, Drop}, {2, Keep}},
    {{4, End}, {0, End}, {1, Drop}, {3, Keep}},
};

u32 lexClass(char c) { return c == 0 ? 0 : c == ' ' ? 1 : c == '"' ? 2 : 3; }

// Runs the lexer; with a null buffer only counts. Returns the number of arguments.
u32 lexArguments(const char* text, char* buffer, char** arguments) {
    u32 count = 0;
    char* out = buffer;
    u8 state = 0;
    for (const char* p = text; state != 4; ++p) {
        const LexStep& step = lexTable[state][lexClass(*p)];
        if (state == 0 && step.next != 0 && step.next != 4 && arguments) arguments[count] = out;
        if (step.action == Keep) {
            if (buffer) *out = *p;
            ++out;
        } else if (step.action == End) {
            if (buffer) *out = 0;
            ++out;
            ++count;
        }
        state = step.next;
    }
    return count;
}
}  // namespace

void splitCommandLine(ArgumentList& out, const char* text) {
    delete[] out.buffer;
    delete[] out.arguments;
    out.buffer = nullptr;
    if (!text) text = "";
    out.count = lexArguments(text, nullptr, nullptr);
    out.arguments = new char*[out.count + 1];
    out.arguments[out.count] = nullptr;
    if (!out.count) return;
    out.buffer = new char[strlen(text) + 1];
    lexArguments(text, out.buffer, out.arguments);
}
