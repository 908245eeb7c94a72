#pragma once
// Strict text-to-number parsers and the command-line splitter. Parsers accept the whole text or
// nothing: on failure they answer false and leave the output untouched.
#include "core/types.h"

// Decimal digits only.
bool parseUnsigned(const char* text, u32* out);
// Decimal digits after an optional sign.
bool parseSigned(const char* text, i32* out);
// As parseSigned; throws GException on failure.
i32 parseIntOrThrow(const char* text);
// Hexadecimal digits, optionally ended by "H"; overflow wraps.
bool parseHexH(const char* text, u32* out);
// Binary digits, optionally ended by "B"; overflow wraps.
bool parseBinaryB(const char* text, u32* out);
// [minutes ":"] seconds ["." milliseconds] to milliseconds; the digits after the point count as
// milliseconds as written ("1:02.5" is 62005).
bool parseTimeText(const char* text, u32* milliseconds);

// The arguments of a command line, each NUL-terminated inside one buffer; arguments[count] is null.
struct ArgumentList {
    char* buffer = nullptr;        // null when there are no arguments
    char** arguments = nullptr;
    u32 count = 0;

    ArgumentList() = default;
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;
    ~ArgumentList();
};

// Spaces (byte 32 only) separate arguments; a double quote opens or closes quoting anywhere, and
// inside quotes two quotes in a row give one literal quote. Backslashes are ordinary characters.
void splitCommandLine(ArgumentList& out, const char* text);
