#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <string>

#include "core/gstring.h"

namespace {

u32 lengthBound(const char* format, ...) {
    va_list args;
    va_start(args, format);
    u32 n = formatLength(format, args);
    va_end(args);
    return n;
}

}  // namespace

TEST(GString, ConstructionAndAssignmentCapacities) {
    GString none(nullptr);
    EXPECT_EQ(none.data, nullptr);
    EXPECT_EQ(none.capacity, 0u);

    GString s("hello");
    EXPECT_EQ(s.length, 5u);
    EXPECT_EQ(s.capacity, 6u);  // exact

    GString copy(s);
    EXPECT_STREQ(copy.data, "hello");
    EXPECT_EQ(copy.capacity, 6u);

    // Shorter text reuses the buffer; a longer one allocates exactly n + 1.
    stringAssignText(s, "hi");
    EXPECT_EQ(s.capacity, 6u);
    EXPECT_STREQ(s.data, "hi");
    stringAssignText(s, "a longer text");
    EXPECT_EQ(s.capacity, 14u);

    // From its own buffer only the length changes, never past the buffer.
    char* buffer = s.data;
    stringAssign(s, s.data, 3);
    EXPECT_EQ(s.data, buffer);
    EXPECT_STREQ(s.data, "a l");
    stringAssign(s, s.data, 100);
    EXPECT_EQ(s.data, buffer);
    EXPECT_EQ(s.length, 13u);
    EXPECT_EQ(s.capacity, 14u);

    // Overlapping move inside the buffer.
    stringAssignText(s, "abcdef");
    stringAssign(s, s.data + 2, 3);
    EXPECT_STREQ(s.data, "cde");

    GString moved;
    stringMove(moved, s);
    EXPECT_STREQ(moved.data, "cde");
    EXPECT_EQ(s.data, nullptr);
    EXPECT_EQ(s.length, 0u);
}

TEST(GString, GrowthRule) {
    struct Case {
        u32 needed, capacity;
    } cases[] = {{1, 16}, {16, 16}, {17, 32}, {256, 256}, {257, 512}, {4096, 4096}, {4097, 8192}};
    for (const Case& c : cases) EXPECT_EQ(growCapacity(c.needed), c.capacity) << c.needed;

    // Growing a buffer above 4096 takes at least half as much again, in multiples of 4096.
    struct Growth {
        u32 needed, old, capacity;
    } growths[] = {{17, 16, 32},          {257, 256, 512},          {4096, 256, 4096},
                   {4097, 4096, 8192},    {8193, 8192, 12288},      {12289, 12288, 20480},
                   {100000, 4096, 102400}, {0xFFFFF000u, 0xF0000000u, 0xFFFFF000u}};
    for (const Growth& g : growths) EXPECT_EQ(growCapacity(g.needed, g.old), g.capacity) << g.needed << " " << g.old;

    // Appending one character to length 15, capacity 16 grows to 32; above 4096 by half.
    GString large;
    stringGrow(large, 65536);
    large.length = 65535;
    stringAppendChar(large, 'z');
    EXPECT_EQ(large.capacity, 98304u);

    GString s;
    stringGrow(s, 16);
    memset(s.data, 'x', 15);
    s.length = 15;
    s.data[15] = 0;
    ASSERT_EQ(s.capacity, 16u);
    stringAppendChar(s, 'y');
    EXPECT_EQ(s.capacity, 32u);
    EXPECT_EQ(s.length, 16u);
    EXPECT_EQ(std::string(s.data), std::string(15, 'x') + "y");

    // A null append still gives a bufferless string its NUL.
    GString empty;
    stringAppend(empty, nullptr);
    ASSERT_NE(empty.data, nullptr);
    EXPECT_EQ(empty.capacity, 16u);
    EXPECT_STREQ(empty.data, "");
}

TEST(GString, AppendFromOwnBuffer) {
    GString s("abc");
    stringAppendBytes(s, s.data, s.length);
    EXPECT_STREQ(s.data, "abcabc");
}

TEST(GString, EditingOperations) {
    GString s("abcd");
    stringTruncate(s, 10);
    EXPECT_STREQ(s.data, "");
    EXPECT_EQ(s.length, 0u);

    stringAssignText(s, "aba");
    stringReplaceAll(s, "a", "aa");
    EXPECT_STREQ(s.data, "aabaa");

    stringAssignText(s, "world");
    stringInsert(s, 0, "hello ");
    stringInsert(s, s.length, "!");
    EXPECT_STREQ(s.data, "hello world!");

    stringAssignText(s, " \t\r\n trimmed \x01\n");
    stringTrim(s);
    EXPECT_STREQ(s.data, "trimmed");

    GString joined;
    stringConstruct(joined, "C:\\dir", '\\', "file");
    EXPECT_STREQ(joined.data, "C:\\dir\\file");
    stringConstruct(joined, "C:\\dir\\", '\\', "file");
    EXPECT_STREQ(joined.data, "C:\\dir\\file");
    stringConstruct(joined, "C:\\dir", '\\', "\\file");
    EXPECT_STREQ(joined.data, "C:\\dir\\file");
}

TEST(GString, EndSentence) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {{"word", "word."}, {"7", "7."}, {"\xe9", "\xe9."}, {"quote'", "quote'"},
                 {"done.", "done."}, {"", ""},   {"wow!", "wow!"}};
    for (const Case& c : cases) {
        GString s(c.in);
        stringEndSentence(s);
        EXPECT_STREQ(s.c_str(), c.out) << c.in;
    }
}

TEST(GString, CompareFindAndMatch) {
    GString s("abc");
    EXPECT_EQ(stringCompare(s, "abc"), 0);
    EXPECT_EQ(stringCompare(s, "abd"), -1);
    EXPECT_EQ(stringCompare(s, "ab"), 1);
    EXPECT_EQ(stringCompare(s, "abcd"), -1);
    EXPECT_EQ(stringCompare(s, "\x80"), -1);  // bytes compare unsigned
    EXPECT_TRUE(stringEquals(s, "abc"));
    EXPECT_FALSE(stringEquals(s, "ab"));

    EXPECT_TRUE(stringMatchesAt(s, "bc", -1, 1));
    EXPECT_FALSE(stringMatchesAt(s, "bcd", -1, 1));
    EXPECT_TRUE(stringMatchesAt(s, "", -1, 3));
    EXPECT_TRUE(stringMatchesAt(s, "bxx", 1, 1));

    GString text("one two one");
    EXPECT_EQ(stringFind(text, "one", 0), 0);
    EXPECT_EQ(stringFind(text, "one", 1), 8);
    EXPECT_EQ(stringFind(text, "three", 0), -1);
    EXPECT_EQ(stringFind(text, "one", 20), -1);
}

TEST(GString, FormatNeverOverruns) {
    // formatLength is a true upper bound, including conversions whose fixed estimate is not.
    const std::string longText(5000, 'q');
    struct Case {
        const char* name;
        u32 bound;
        int real;
    } cases[] = {
        {"%f of 1e300", lengthBound("%f", 1e300), snprintf(nullptr, 0, "%f", 1e300)},
        {"%.300f", lengthBound("%.300f", 1.5), snprintf(nullptr, 0, "%.300f", 1.5)},
        {"%*.*f", lengthBound("%*.*f", 40, 100, -1e50), snprintf(nullptr, 0, "%*.*f", 40, 100, -1e50)},
        {"%e", lengthBound("%e", -1e-300), snprintf(nullptr, 0, "%e", -1e-300)},
        {"%g of inf", lengthBound("%g", INFINITY), snprintf(nullptr, 0, "%g", INFINITY)},
        {"%d", lengthBound("%d", -2147483647 - 1), snprintf(nullptr, 0, "%d", -2147483647 - 1)},
        {"%.40d", lengthBound("%.40d", 5), snprintf(nullptr, 0, "%.40d", 5)},
        {"%I64d", lengthBound("%I64d", (long long)INT64_MIN), snprintf(nullptr, 0, "%lld", (long long)INT64_MIN)},
        {"%llu", lengthBound("%llu", ~0ull), snprintf(nullptr, 0, "%llu", ~0ull)},
        {"%08I64X", lengthBound("%08I64XH", ~0ull), snprintf(nullptr, 0, "%08llXH", ~0ull)},
        {"%s long", lengthBound("<%s>", longText.c_str()), snprintf(nullptr, 0, "<%s>", longText.c_str())},
        {"%s null", lengthBound("%s", (const char*)nullptr), 6},
        {"%*d", lengthBound("%*d", 300, 7), snprintf(nullptr, 0, "%*d", 300, 7)},
        {"%-12s|%5c", lengthBound("%-12s|%5c", "ab", 'z'), snprintf(nullptr, 0, "%-12s|%5c", "ab", 'z')},
        {"%%", lengthBound("100%%"), 4},
        {"%#x", lengthBound("%#x", 0xFFFFFFFFu), snprintf(nullptr, 0, "%#x", 0xFFFFFFFFu)},
        {"%#X", lengthBound("%#X", 0x80000000u), snprintf(nullptr, 0, "%#X", 0x80000000u)},
        {"%#llx", lengthBound("%#llx", ~0ull), snprintf(nullptr, 0, "%#llx", ~0ull)},
        {"%#I64x", lengthBound("%#I64x", ~0ull), snprintf(nullptr, 0, "%#llx", ~0ull)},
        {"%#o", lengthBound("%#o", 0xFFFFFFFFu), snprintf(nullptr, 0, "%#o", 0xFFFFFFFFu)},
        {"%#llo", lengthBound("%#llo", ~0ull), snprintf(nullptr, 0, "%#llo", ~0ull)},
        {"%#.12x", lengthBound("%#.12x", 0xFFu), snprintf(nullptr, 0, "%#.12x", 0xFFu)},
    };
    for (const Case& c : cases) EXPECT_GE(c.bound, (u32)c.real + 1) << c.name;

    GString s("short");
    stringFormat(s, "%f", 1e300);
    char expected[400];
    snprintf(expected, sizeof expected, "%f", 1e300);
    EXPECT_STREQ(s.data, expected);
    EXPECT_EQ(s.length, strlen(expected));
    EXPECT_GT(s.capacity, s.length);

    stringAppendFormat(s, "|%.300f|", 2.0);
    EXPECT_EQ(s.length, strlen(expected) + 304);
    EXPECT_EQ(s.data[s.length], 0);

    // Texts made only of alternate-form numbers: the buffer always holds the whole text.
    GString hex;
    stringFormat(hex, "%#x%#x%#x", 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu);
    EXPECT_STREQ(hex.data, "0xffffffff0xffffffff0xffffffff");
    EXPECT_GT(hex.capacity, hex.length);
    GString appended("x");
    stringAppendFormat(appended, "%#llx|%#o", ~0ull, 8u);
    EXPECT_STREQ(appended.data, "x0xffffffffffffffff|010");
    EXPECT_GT(appended.capacity, appended.length);
}

TEST(GString, FormatArgumentsFromTheOwnBuffer) {
    const std::string text = "0123456789abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    struct Case {
        const char* what;
        u32 room;     // capacity made before formatting (0: the exact one of the text)
        bool append;
        std::string expected;
    } cases[] = {
        {"format, buffer replaced", 0, false, "[" + text + "]"},
        {"format, buffer kept", 512, false, "[" + text + "]"},
        {"append, buffer replaced", 0, true, text + "[" + text + "]"},
        {"append, buffer kept", 512, true, text + "[" + text + "]"},
    };
    for (const Case& c : cases) {
        GString s(text.c_str());
        if (c.room) {
            stringGrow(s, c.room);
            s.length = (u32)text.size();
            s.data[s.length] = 0;
        }
        u32 capacity = s.capacity;
        if (c.append)
            stringAppendFormat(s, "[%s]", s.data);
        else
            stringFormat(s, "[%s]", s.data);
        EXPECT_EQ(std::string(s.c_str()), c.expected) << c.what;
        EXPECT_EQ(s.length, c.expected.size()) << c.what;
        if (c.room) {
            EXPECT_EQ(s.capacity, capacity) << c.what;
        }
    }
}

TEST(HeapText, Helpers) {
    char* slot = nullptr;
    assignHeapText(&slot, "abc");
    EXPECT_STREQ(slot, "abc");
    appendToHeapText(&slot, "defgh", 2);
    EXPECT_STREQ(slot, "abcde");
    setStringPtrRange(&slot, "xyz", nullptr);
    EXPECT_STREQ(slot, "xyz");
    const char* text = "0123456";
    setStringPtrRange(&slot, text + 1, text + 3);
    EXPECT_STREQ(slot, "12");
    assignHeapText(&slot, nullptr);
    EXPECT_EQ(slot, nullptr);
    appendToHeapText(&slot, "new", 3);
    EXPECT_STREQ(slot, "new");
    freeHeapText(&slot);
    EXPECT_EQ(copyTextRange(nullptr, nullptr), nullptr);

    EXPECT_TRUE(textEqualsNoCase("ABC", "abc"));
    EXPECT_TRUE(textEqualsNoCase(nullptr, ""));
    EXPECT_FALSE(textEqualsNoCase("ab", "abc"));
    EXPECT_TRUE(pointerEquals(text, text));
    EXPECT_TRUE(pointerEquals("same", "same"));
    EXPECT_FALSE(pointerEquals("a", nullptr));

    char menu[] = "&File && &Edit";
    removeAmpersands(menu);
    EXPECT_STREQ(menu, "File  Edit");

    const char filters[] = "Sound\0*.wav\0All\0*.*\0";
    EXPECT_STREQ(multiStringAt(filters, 0), "Sound");
    EXPECT_STREQ(multiStringAt(filters, 3), "*.*");
    EXPECT_EQ(multiStringAt(filters, 4), nullptr);
    EXPECT_EQ(multiStringAt(filters, 7), nullptr);
}

TEST(GString, AppendTime) {
    struct Case {
        u64 ms;
        const char* text;
    } cases[] = {{59999, "59.999"}, {60000, "1:00.000"}, {3600000, "1:00:00.000"}, {0, "0.000"}};
    for (const Case& c : cases) {
        GString s("t=");
        stringAppendTime(s, c.ms);
        EXPECT_EQ(std::string(s.data), std::string("t=") + c.text);
    }
}
