#pragma once
// Wide texts and the conversions between the program's byte texts and wide texts, in the code page
// of the interface language.
#include <cwchar>

#include "core/gstring.h"
#include "core/types.h"

// The code page of all conversions; the localizer sets it to the chosen language's (0 is the
// system's ANSI code page).
void setProcessCodePage(u32 codePage);
u32 processCodePage();

// Owned, NUL-terminated wide text; capacity and length count characters, length without the NUL.
struct WideString {
    wchar_t* data = nullptr;
    u32 capacity = 0;
    u32 length = 0;

    WideString() = default;
    WideString(const WideString&) = delete;
    WideString& operator=(const WideString&) = delete;
    WideString(WideString&& other) noexcept;
    WideString& operator=(WideString&& other) noexcept;
    ~WideString() { delete[] data; }

    const wchar_t* c_str() const { return data ? data : L""; }
};

// Wide copy of a byte text (length -1: up to its NUL); capacity is length + 1.
WideString toWide(const char* text, i32 length = -1);
// Converts min(length, size) characters into the buffer of size bytes, "?" standing for characters
// without a byte form. When the input's character at length - 1 is a NUL, one character fewer is
// converted and a NUL ends the output. When the characters take more bytes than there is room for,
// the longest prefix that fits is converted. Returns the bytes stored, NUL included; 0 when nothing
// was done.
u32 wideToMultibyte(const wchar_t* wide, u32 length, char* buffer, u32 size);

// Assignment forms (length -1: up to the NUL).
void wideStringAssign(WideString& out, const wchar_t* text, i32 length = -1);
void wideStringCopy(WideString& out, const WideString& from);
void wideFromMultibyteAssign(WideString& out, const char* text, i32 length = -1);
// Byte form of a wide text in a GString.
void stringAssignCopy(GString& out, const wchar_t* text, i32 length = -1);

// Order of two texts converted in the code page, case ignored: <0, 0, >0; -1 when a conversion fails.
int compareTexts(const char* a, const char* b);

// Upper and lower case of one byte character in the code page; a character without a single-byte
// form in the other case stays as it is. One rule for the mnemonics of menus, buttons and labels.
u32 upperCharacter(u32 character);
u32 lowerCharacter(u32 character);
