#pragma once
// The texts of the typed values that edit lines show and read: 32-bit signed and unsigned (with
// the binary 'B' and hexadecimal 'H' suffixes), 64-bit signed, floating point and times in
// milliseconds. Readers take the whole text or nothing; an empty text is no number.
#include "core/gstring.h"

bool readI32Text(const char* text, i32* out);
bool readU32Text(const char* text, u32* out);
bool readI64Text(const char* text, i64* out);
bool readDoubleText(const char* text, double* out);
bool readTimeText(const char* text, u32* milliseconds);

void formatI32Text(GString& s, i32 value);
void formatU32Text(GString& s, u32 value);
void formatI64Text(GString& s, i64 value);
void formatDoubleText(GString& s, double value);
// "m:ss.mmm" from one minute up, else "s.mmm".
void formatTimeText(GString& s, u32 milliseconds);
