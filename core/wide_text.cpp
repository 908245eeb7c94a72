#include "core/wide_text.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <utility>

static std::atomic<u32> g_codePage{CP_ACP};

void setProcessCodePage(u32 codePage) { g_codePage = codePage; }
u32 processCodePage() { return g_codePage.load(); }

WideString::WideString(WideString&& other) noexcept
    : data(std::exchange(other.data, nullptr)),
      capacity(std::exchange(other.capacity, 0u)),
      length(std::exchange(other.length, 0u)) {}

WideString& WideString::operator=(WideString&& other) noexcept {
    if (this != &other) {
        delete[] data;
        data = std::exchange(other.data, nullptr);
        capacity = std::exchange(other.capacity, 0u);
        length = std::exchange(other.length, 0u);
    }
    return *this;
}

// Makes room for n characters and the NUL; the old content is dropped.
static wchar_t* wideReserve(WideString& s, u32 n) {
    if (s.capacity < n + 1) {
        delete[] s.data;
        s.data = new wchar_t[n + 1];
        s.capacity = n + 1;
    }
    return s.data;
}

void wideFromMultibyteAssign(WideString& out, const char* text, i32 length) {
    if (!text) text = "";
    u32 n = length < 0 ? (u32)strlen(text) : (u32)length;
    wchar_t* data = wideReserve(out, n);
    int converted = n ? MultiByteToWideChar(processCodePage(), 0, text, (int)n, data, (int)n) : 0;
    if (converted < 0) converted = 0;
    data[converted] = 0;
    out.length = (u32)converted;
}

WideString toWide(const char* text, i32 length) {
    WideString out;
    wideFromMultibyteAssign(out, text, length);
    return out;
}

// Bytes that the first n characters take in the code page.
static u32 multibyteLength(const wchar_t* wide, u32 n) {
    int bytes = n ? WideCharToMultiByte(processCodePage(), 0, wide, (int)n, nullptr, 0, "?", nullptr) : 0;
    return bytes > 0 ? (u32)bytes : 0;
}

// Converts n characters into room bytes; 0 when they do not fit.
static int convertInto(const wchar_t* wide, u32 n, char* buffer, u32 room) {
    if (!n || !room) return 0;
    int converted = WideCharToMultiByte(processCodePage(), 0, wide, (int)n, buffer, (int)room, "?", nullptr);
    return converted > 0 ? converted : 0;
}

u32 wideToMultibyte(const wchar_t* wide, u32 length, char* buffer, u32 size) {
    u32 count = length < size ? length : size;
    if (count == 0) return 0;
    bool terminated = wide[length - 1] == 0;
    u32 n = terminated ? count - 1 : count;
    u32 room = terminated ? size - 1 : size;
    int converted = convertInto(wide, n, buffer, room);
    if (converted == 0 && n && room) {
        // Characters of more than one byte do not all fit: keep the longest prefix that does, never
        // splitting a surrogate pair.
        u32 low = 0, high = n;  // low fits, high does not
        while (high - low > 1) {
            u32 middle = low + (high - low) / 2;
            if (multibyteLength(wide, middle) <= room) low = middle;
            else high = middle;
        }
        if (low && wide[low - 1] >= 0xD800 && wide[low - 1] < 0xDC00) --low;
        converted = convertInto(wide, low, buffer, room);
    }
    if (!terminated) return (u32)converted;
    buffer[converted] = 0;
    return (u32)converted + 1;
}

void wideStringAssign(WideString& out, const wchar_t* text, i32 length) {
    if (!text) text = L"";
    u32 n = length < 0 ? (u32)wcslen(text) : (u32)length;
    if (text >= out.data && text < out.data + out.capacity) {  // a part of itself
        memmove(out.data, text, n * sizeof(wchar_t));
    } else {
        wchar_t* data = wideReserve(out, n);
        memcpy(data, text, n * sizeof(wchar_t));
    }
    out.data[n] = 0;
    out.length = n;
}

void wideStringCopy(WideString& out, const WideString& from) {
    if (&out != &from) wideStringAssign(out, from.c_str(), (i32)from.length);
}

void stringAssignCopy(GString& out, const wchar_t* text, i32 length) {
    if (!text) text = L"";
    u32 n = length < 0 ? (u32)wcslen(text) : (u32)length;
    int bytes = n ? WideCharToMultiByte(processCodePage(), 0, text, (int)n, nullptr, 0, "?", nullptr) : 0;
    if (bytes <= 0) {
        stringAssign(out, "", 0);
        return;
    }
    GString converted;
    char* data = stringGrow(converted, (u32)bytes + 1);
    WideCharToMultiByte(processCodePage(), 0, text, (int)n, data, bytes, "?", nullptr);
    data[bytes] = 0;
    converted.length = (u32)bytes;
    stringMove(out, converted);
}

int compareTexts(const char* a, const char* b) {
    if (!a || !b) return -1;
    WideString wa = toWide(a), wb = toWide(b);
    if ((*a && !wa.length) || (*b && !wb.length)) return -1;
    int order = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.c_str(), (int)wa.length, wb.c_str(), (int)wb.length);
    return order ? order - 2 : -1;
}

static u32 foldCharacter(u32 character, bool upper) {
    const char byte = (char)(character & 0xFF);
    wchar_t wide[2] = {0, 0};
    if (MultiByteToWideChar(processCodePage(), 0, &byte, 1, wide, 1) != 1) return character & 0xFF;
    if (upper)
        CharUpperBuffW(wide, 1);
    else
        CharLowerBuffW(wide, 1);
    char out[4] = {0, 0, 0, 0};
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(processCodePage(), 0, wide, 1, out, sizeof out, nullptr, &lossy);
    return n == 1 && !lossy ? (u8)out[0] : character & 0xFF;
}

u32 upperCharacter(u32 character) { return foldCharacter(character, true); }
u32 lowerCharacter(u32 character) { return foldCharacter(character, false); }
