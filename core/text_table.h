#pragma once
// Semicolon-separated text tables: fields separated by ";", lines by line ends. A field holding a
// double quote is written in quotes with every quote doubled; nothing else is quoted.
#include "core/gfile.h"
#include "core/gstring.h"

class ErrorHandler;

// The file and the position shared by the writer and the reader. The file is opened by the caller
// (fileOpen on `file`) and closed quietly with the object.
class TextTable {
public:
    explicit TextTable(ErrorHandler* handler = nullptr) : file(handler) {}
    ~TextTable();
    TextTable(const TextTable&) = delete;
    TextTable& operator=(const TextTable&) = delete;

    GFile file;
    u32 line = 1;
    u32 column = 0;  // fields of the current line so far
};

class TextWriter : public TextTable {
public:
    using TextTable::TextTable;
    bool writeField(const char* text);
    // Writes CR LF and starts the next line.
    bool endLine();
};

class TextReader : public TextTable {
public:
    using TextTable::TextTable;
    // The next field of the current line, valid until the next call; null after reporting
    // "Unexpected end of line" or "Unexpected end of file", or when the file cannot be read (reported
    // once).
    const char* nextField();
    // Moves to the next line: false at the end of the file, and false after reporting when fields
    // of the current line are left.
    bool nextLine();
    // True when nothing is left to read.
    bool atEnd();
    // Ends the table: closes the file, sets its error bit and reports "At line %d column %d" with
    // the current line and column, then the message, to the file's handler (unless quiet); the
    // handler's answer. Later fields read as null without further reports.
    bool error(const char* message);

private:
    int readByte();
    int peekByte();

    GString field;
    int pushedBack = -2;  // a byte read ahead, -1 for the end of the file, -2 for none
    bool lineEnded = false;
    bool fileEnded = false;
    bool broken = false;  // a failure was reported: nothing more is read
};
