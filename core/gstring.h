#pragma once
// The program's string type and the helpers for heap texts (NUL-terminated texts in char* slots).
#include <cstdarg>

#include "core/types.h"

// Growth rule shared by strings, bags and arrays: up to 256 a multiple of 16, up to 4096 a multiple
// of 256, above that a multiple of 4096.
u32 growCapacity(u32 n);
// The capacity when a buffer of the given capacity grows to hold n: growCapacity(n), except that above
// 4096 it takes at least half as much again as the old capacity (still a multiple of 4096), so that
// growing a large buffer step by step costs linear time.
u32 growCapacity(u32 n, u32 capacity);

// Owned, NUL-terminated text. data is null for a never-used string.
struct GString {
    char* data = nullptr;
    u32 capacity = 0;
    u32 length = 0;

    GString() = default;
    GString(const char* text);  // exact capacity length + 1; null gives no buffer
    GString(const GString& other);
    GString(GString&& other) noexcept;
    GString& operator=(const GString& other);
    GString& operator=(GString&& other) noexcept;
    ~GString();

    const char* c_str() const { return data ? data : ""; }
    bool empty() const { return length == 0; }
    char last() const { return length ? data[length - 1] : '\0'; }
};

void stringCopy(GString& out, const GString& from);
void stringConstruct(GString& out, const char* first, char separator, const char* second);
void stringAssign(GString& s, const char* text, u32 n);
void stringAssignText(GString& s, const char* text);
void stringMove(GString& s, GString& other);
void stringClear(GString& s);  // length 0, buffer kept
char* stringGrow(GString& s, u32 n);
void stringAppend(GString& s, const char* text);
void stringAppendBytes(GString& s, const char* text, u32 n);
void stringAppendChar(GString& s, char c);
void stringFormat(GString& s, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
void stringFormatV(GString& s, const char* format, va_list args);
void stringAppendFormat(GString& s, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
void stringAppendFormatV(GString& s, const char* format, va_list args);
int stringCompare(const GString& s, const char* text);
bool stringEquals(const GString& s, const char* text);
bool stringMatchesAt(const GString& s, const char* text, int n, u32 position);
bool stringStartsWith(const GString& s, const char* prefix);
int stringFind(const GString& s, const char* text, u32 from);
void stringReplaceAll(GString& s, const char* oldText, const char* newText);
void stringInsert(GString& s, u32 position, const char* text);
void stringTruncate(GString& s, u32 n);
void stringTrim(GString& s);
void stringEndSentence(GString& s);
void stringAppendTime(GString& s, u64 milliseconds);

// Upper bound of the length of a printf-style result, plus 1.
u32 formatLength(const char* format, va_list args);

// Heap texts.
void assignHeapText(char** slot, const char* text);
void assignCString(char** slot, const char* text);
void setStringPtrRange(char** slot, const char* begin, const char* end);
char* copyHeapText(const char* text);
void copyHeapText(char** out, const char* text);
char* copyTextRange(const char* begin, const char* end);
void appendToHeapText(char** slot, const char* text, u32 n);
void freeHeapText(char** slot);
bool textEquals(const char* a, const char* b);
bool textEqualsNoCase(const char* a, const char* b);
bool pointerEquals(const char* a, const char* b);
void removeAmpersands(char* text);
const char* multiStringAt(const char* list, u32 n);
// True when the character ends a sentence-like text that needs a full stop: digit, ASCII letter or
// a byte of 128 and above.
bool needsFullStop(char c);
