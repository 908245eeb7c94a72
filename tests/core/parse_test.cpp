#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/gfile.h"
#include "core/parse.h"
#include "core/text_table.h"
#include "tests/support/test_support.h"

namespace {

template <class T>
struct ParseCase {
    const char* text;
    bool ok;
    T value;
};

// Every case through the parser; a refused text leaves the output untouched.
template <class T, size_t N>
void expectParses(bool (*parse)(const char*, T*), const ParseCase<T> (&cases)[N]) {
    for (const ParseCase<T>& c : cases) {
        const char* shown = c.text ? c.text : "(null)";
        T out = 777;
        EXPECT_EQ(parse(c.text, &out), c.ok) << shown;
        EXPECT_EQ(out, c.ok ? c.value : (T)777) << shown;
    }
}

}  // namespace

TEST(Parse, NumbersAreStrict) {
    const ParseCase<u32> unsignedCases[] = {
        {"0", true, 0},        {"12", true, 12},      {"4294967295", true, 4294967295u},
        {"12 ", false, 0},     {"", false, 0},        {nullptr, false, 0},
        {"4294967296", false, 0}, {"-1", false, 0},   {" 5", false, 0},
        {"+5", false, 0},      {"1a", false, 0},
    };
    expectParses(parseUnsigned, unsignedCases);

    const ParseCase<i32> signedCases[] = {
        {"-12", true, -12},  {"+7", true, 7},     {"2147483647", true, INT_MAX}, {"-2147483648", true, INT_MIN},
        {"2147483648", false, 0}, {"-", false, 0}, {"", false, 0},           {"3x", false, 0},
        {"--3", false, 0},   {" -3", false, 0},
    };
    expectParses(parseSigned, signedCases);
    for (const ParseCase<i32>& c : signedCases) {
        if (c.ok)
            EXPECT_EQ(parseIntOrThrow(c.text), c.value);
        else
            EXPECT_THROW(parseIntOrThrow(c.text), GException) << c.text;
    }
    EXPECT_THROW(parseIntOrThrow(nullptr), GException);
}

TEST(Parse, HexadecimalAndBinary) {
    const ParseCase<u32> hexCases[] = {
        {"1FH", true, 31}, {"1F", true, 31},  {"1fH", true, 31}, {"ffffffff", true, 0xFFFFFFFFu},
        {"100000001", true, 1},  // overflow wraps
        {"H", false, 0},   {"1G", false, 0},  {"", false, 0},    {"1FHx", false, 0},
        {"1FHH", false, 0}, {"1Fh", false, 0}, {" 1", false, 0},
    };
    expectParses(parseHexH, hexCases);
    const ParseCase<u32> binaryCases[] = {
        {"101B", true, 5}, {"101", true, 5}, {"0", true, 0}, {"B", false, 0},
        {"102", false, 0}, {"1b", false, 0}, {"11BB", false, 0}, {"", false, 0},
    };
    expectParses(parseBinaryB, binaryCases);
}

TEST(Parse, TimeTexts) {
    const ParseCase<u32> cases[] = {
        {"1:02.5", true, 62005}, {"90", true, 90000},      {"1:", true, 60000},  {"0.250", true, 250},
        {"2:00", true, 120000},  {".5", true, 5},          {"1:2x", false, 0},   {"", false, 0},
        {"1:2:3", false, 0},     {"1.2.3", false, 0},      {"x", false, 0},      {"1 ", false, 0},
        {"-1", false, 0},        {"71583:00", false, 0},   // above 32 bits of milliseconds
    };
    expectParses(parseTimeText, cases);
}

TEST(Format, SizesTimesAndHex) {
    struct SizeCase {
        i64 bytes;
        const char* text;
    };
    const SizeCase sizes[] = {
        {0, "0"},
        {-5, "-5"},
        {-5000, "-5000"},
        {1023, "1023"},
        {1024, "1.0 Kb"},
        {1536, "1.5 Kb"},
        {1048575, "1024.0 Kb"},
        {1048576, "1.0 Mb"},
        {3LL << 30, "3.0 Gb"},
        {(1LL << 40) - 1, "1024.0 Gb"},
        {1LL << 40, "1.0 Tb"},
        {5000LL << 40, "5000.0 Tb"},
    };
    char buffer[100];
    for (const SizeCase& c : sizes) {
        formatSize(buffer, sizeof buffer, c.bytes);
        EXPECT_STREQ(buffer, c.text) << c.bytes;
    }

    struct TimeCase {
        u64 ms;
        const char* text;
    };
    const TimeCase times[] = {
        {0, "0.000"}, {59999, "59.999"}, {60000, "1:00.000"}, {3600000, "1:00:00.000"}, {3723004, "1:02:03.004"},
    };
    for (const TimeCase& c : times) {
        formatTime(buffer, sizeof buffer, c.ms);
        EXPECT_STREQ(buffer, c.text);
    }

    formatHexPair(buffer, 255);
    EXPECT_STREQ(buffer, "0xff FF");
    formatHexPair(buffer, 0);
    EXPECT_STREQ(buffer, "0 0");
}

TEST(Format, CaseInsensitiveCompareAndSortCallbacks) {
    EXPECT_EQ(compareNoCase("abc", 3, "ABD", 3), -1);
    EXPECT_EQ(compareNoCase("ABC", 3, "abc", 3), 0);
    EXPECT_EQ(compareNoCase("ab", 2, "ABC", 3), -1);
    EXPECT_EQ(compareNoCase("b", 1, "ABC", 3), 1);
    EXPECT_EQ(compareTextNoCase(nullptr, ""), 0);
    EXPECT_EQ(compareTextNoCase("a", nullptr), 1);

    const char* slots[] = {"beta", "Alpha", nullptr, "alpha", "Beta"};
    qsort(slots, 5, sizeof slots[0], compareSlotsBytes);
    EXPECT_EQ(slots[0], nullptr);
    EXPECT_STREQ(slots[1], "Alpha");
    EXPECT_STREQ(slots[2], "Beta");
    EXPECT_STREQ(slots[3], "alpha");
    EXPECT_STREQ(slots[4], "beta");
    qsort(slots, 5, sizeof slots[0], compareSlotsNoCase);
    EXPECT_EQ(slots[0], nullptr);
    EXPECT_EQ(compareTextNoCase(slots[1], "ALPHA"), 0);
    EXPECT_EQ(compareTextNoCase(slots[2], "ALPHA"), 0);
    EXPECT_EQ(compareTextNoCase(slots[3], "BETA"), 0);
    EXPECT_EQ(compareTextNoCase(slots[4], "BETA"), 0);
}

TEST(CommandLine, SplitsByTheLexerTable) {
    struct Case {
        const char* text;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"a \"b c\" d", {"a", "b c", "d"}},
        {"\"x\"\"y\"", {"x\"y"}},
        {"", {}},
        {"   ", {}},
        {"a  b ", {"a", "b"}},
        {"\"C:\\Program Files\\\" next", {"C:\\Program Files\\", "next"}},  // a backslash escapes nothing
        {"x\\\"y", {"x\\y"}},
        {"ab\"c d\"e", {"abc de"}},
        {"\"x\"y z", {"xy z"}},  // after a closing quote the argument goes on inside quotes
        {"\"\"", {"\""}},  // a quote right after the opening one is literal
        {"a\tb", {"a\tb"}},
        {"-lang German file.ravo", {"-lang", "German", "file.ravo"}},
    };
    for (const Case& c : cases) {
        ArgumentList list;
        splitCommandLine(list, c.text);
        ASSERT_EQ(list.count, c.arguments.size()) << c.text;
        for (u32 i = 0; i < list.count; ++i) EXPECT_EQ(list.arguments[i], c.arguments[i]) << c.text;
        EXPECT_EQ(list.arguments[list.count], nullptr);
        EXPECT_EQ(list.buffer == nullptr, c.arguments.empty()) << c.text;
    }
    // A list can be filled again.
    ArgumentList list;
    splitCommandLine(list, "one two");
    splitCommandLine(list, "three");
    ASSERT_EQ(list.count, 1u);
    EXPECT_STREQ(list.arguments[0], "three");
}

TEST(TextTable, WrittenFieldsReadBack) {
    TempDir dir;
    {
        TextWriter writer;
        ASSERT_TRUE(fileOpen(writer.file, dir.file("t.txt").c_str(), FileMode::Write));
        for (const char* field : {"plain", "say \"hi\"", "a;b", ""}) EXPECT_TRUE(writer.writeField(field));
        EXPECT_TRUE(writer.endLine());
        EXPECT_TRUE(writer.writeField("\"x\""));
        EXPECT_TRUE(writer.endLine());
    }
    EXPECT_EQ(dir.read("t.txt"), "plain;\"say \"\"hi\"\"\";a;b;\r\n\"\"\"x\"\"\"\r\n");

    RecordingHandler handler;
    TextReader reader(&handler);
    ASSERT_TRUE(fileOpen(reader.file, dir.file("t.txt").c_str(), FileMode::Read));
    std::vector<std::string> fields;
    const char* field;
    for (int i = 0; i < 5 && (field = reader.nextField()); ++i) fields.push_back(field);
    // The text holding ";" comes back as two fields.
    EXPECT_EQ(fields, (std::vector<std::string>{"plain", "say \"hi\"", "a", "b", ""}));
    ASSERT_TRUE(reader.nextLine());
    ASSERT_NE(field = reader.nextField(), nullptr);
    EXPECT_STREQ(field, "\"x\"");
    EXPECT_FALSE(reader.nextLine());  // the end of the file, nothing reported
    EXPECT_TRUE(reader.atEnd());
    EXPECT_TRUE(handler.reports.empty());

    // Reading past the end of a line: the position comes first, then the message; the file is closed
    // and nothing more is read or reported.
    TextReader past(&handler);
    ASSERT_TRUE(fileOpen(past.file, dir.file("t.txt").c_str(), FileMode::Read));
    for (int i = 0; i < 5; ++i) ASSERT_NE(past.nextField(), nullptr);
    EXPECT_EQ(past.nextField(), nullptr);
    ASSERT_EQ(handler.reports.size(), 1u);
    EXPECT_EQ(handler.lastText(), "At line 1 column 5.\nUnexpected end of line (need more items per line)\n" +
                                      dir.file("t.txt") + ".");
    EXPECT_FALSE(past.file.isOpen());
    EXPECT_TRUE(past.file.failed());
    EXPECT_FALSE(past.nextLine());
    EXPECT_EQ(past.nextField(), nullptr);
    EXPECT_EQ(handler.reports.size(), 1u);
    // A caller's own error on a later field names that field.
    EXPECT_FALSE(past.error("Bad double format"));
    EXPECT_EQ(handler.lastText().rfind("At line 1 column 6.\nBad double format.\n", 0), 0u) << handler.lastText();
}

TEST(TextTable, ReaderEdgesAndErrors) {
    struct Case {
        const char* bytes;
        std::vector<std::string> fields;  // the fields of the first line
        const char* error;                 // the start of what the next nextField reports
    };
    const Case cases[] = {
        {"a;b", {"a", "b"}, "At line 1 column 2.\nUnexpected end of line"},
        {"a;", {"a"}, "At line 1 column 2.\nUnexpected end of file.\n"},
        {"", {}, "At line 1 column 1.\nUnexpected end of file.\n"},
        {"\"a;b\"\n", {"a", "b\""}, "At line 1 column 2.\nUnexpected end of line"},  // quoting does not protect ";"
        {"\"x\"y;\"\"\r\n", {"xy", ""}, "At line 1 column 2.\nUnexpected end of line"},
        {"\"p\"\"q\";r\"s\n", {"p\"q", "r\"s"}, "At line 1 column 2.\nUnexpected end of line"},
        {"a\r;\rb\r\n", {"a", "b"}, "At line 1 column 2.\nUnexpected end of line"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        dir.write("r.txt", c.bytes);
        RecordingHandler handler;
        TextReader reader(&handler);
        ASSERT_TRUE(fileOpen(reader.file, dir.file("r.txt").c_str(), FileMode::Read));
        for (const std::string& expected : c.fields) {
            const char* field = reader.nextField();
            ASSERT_NE(field, nullptr) << c.bytes;
            EXPECT_EQ(field, expected) << c.bytes;
        }
        EXPECT_EQ(reader.nextField(), nullptr) << c.bytes;
        ASSERT_EQ(handler.reports.size(), 1u) << c.bytes;
        EXPECT_EQ(handler.lastText().rfind(c.error, 0), 0u) << c.bytes << " -> " << handler.lastText();
        EXPECT_TRUE(reader.file.failed());
    }

    // Fields left on a line when the next one is asked for.
    dir.write("r.txt", "a;b\nc\n");
    RecordingHandler handler;
    TextReader reader(&handler);
    ASSERT_TRUE(fileOpen(reader.file, dir.file("r.txt").c_str(), FileMode::Read));
    reader.nextField();
    EXPECT_FALSE(reader.nextLine());
    EXPECT_EQ(handler.lastText().rfind("At line 1 column 1.\nEnd of line not found  (too many items per line)\n", 0), 0u);

    // A quiet file reports nothing but still fails.
    TextReader quiet(&handler);
    ASSERT_TRUE(fileOpen(quiet.file, dir.file("r.txt").c_str(), FileMode::Read | FileFlag::Quiet));
    size_t before = handler.reports.size();
    EXPECT_FALSE(quiet.error("Bad integer format"));
    EXPECT_EQ(handler.reports.size(), before);
    EXPECT_TRUE(quiet.file.failed());

    // A reader without an open file reports through the file, once.
    TextReader closed(&handler);
    before = handler.reports.size();
    EXPECT_EQ(closed.nextField(), nullptr);
    EXPECT_EQ(closed.nextField(), nullptr);
    EXPECT_FALSE(closed.nextLine());
    ASSERT_EQ(handler.reports.size(), before + 1);
    EXPECT_EQ(handler.reports[before].first.rfind("File is not opened.", 0), 0u);
}
