#pragma once
// Number and time texts and the case helpers of the user's locale.
#include "core/gstring.h"
#include "core/types.h"

// "%d:%02d:%02d.%03d", "%d:%02d.%03d" or "%d.%03d" by the largest non-zero unit.
void formatTime(char* buffer, u32 size, u64 milliseconds);
// "%d" below 1024 (negative counts included), else one decimal in the first unit of 1024 whose
// whole quotient stays below 1024: Kb, Mb, Gb, and Tb for everything larger.
void formatSize(char* buffer, u32 size, i64 bytes);
// Local date and time of a count of seconds since 1970, long date then time ("%#x %X") in the user's
// default locale; empty when the system cannot format it.
void formatDateTime(GString& out, i64 seconds);
// "%#x %X" of the value.
void formatHexPair(char buffer[100], u32 value);

char toLowerChar(char c);
char toUpperChar(char c);
void textToLowerInPlace(char* text, u32 n);
// -1, 0, 1; on an equal prefix the shorter text is smaller.
int compareNoCase(const char* a, u32 na, const char* b, u32 nb);
// The same for NUL-terminated texts; null counts as empty.
int compareTextNoCase(const char* a, const char* b);

// Sort callbacks over char* slots (qsort style): case-insensitive, and by bytes. Null counts as empty.
int compareSlotsNoCase(const void* a, const void* b);
int compareSlotsBytes(const void* a, const void* b);
