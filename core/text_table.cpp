#include "core/text_table.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/texts.h"

TextTable::~TextTable() { fileCloseQuietly(file); }

bool TextWriter::writeField(const char* text) {
    if (!text) text = "";
    bool ok = column == 0 || fileWrite(file, ";", 1);
    ++column;
    if (!strchr(text, '"')) return ok && fileWriteText(file, text);
    GString quoted("\"");
    for (const char* p = text; *p; ++p) {
        if (*p == '"') stringAppendChar(quoted, '"');
        stringAppendChar(quoted, *p);
    }
    stringAppendChar(quoted, '"');
    return ok && fileWrite(file, quoted.data, quoted.length);
}

bool TextWriter::endLine() {
    column = 0;
    ++line;
    return fileWrite(file, "\r\n", 2);
}

// One byte of the file, or -1 at its end or when it cannot be read. The first failure is reported
// and marks the reader broken; a broken reader reads nothing more and reports nothing more.
int TextReader::readByte() {
    if (pushedBack != -2) {
        int c = pushedBack;
        pushedBack = -2;
        return c;
    }
    if (broken) return -1;
    if (!file.fp || !(file.flags & FileFlag::Read)) {
        broken = true;
        char ignored;
        fileRead(file, &ignored, 1);  // reports why the file cannot be read
        return -1;
    }
    errno = 0;
    int c = getc(file.fp);
    if (c == EOF && ferror(file.fp)) {
        broken = true;
        reportFileError(file, coreText(CoreText::CannotReadFile), nullptr, errno);
    }
    return c == EOF ? -1 : c;
}

int TextReader::peekByte() {
    if (pushedBack == -2) pushedBack = readByte();
    return pushedBack;
}

bool TextReader::atEnd() { return fileEnded || peekByte() < 0; }

bool TextReader::error(const char* message) {
    GString position;
    stringFormat(position, coreText(CoreText::TablePosition), (int)line, (int)column);
    // The table ends here: the file is closed first, so that a handler that throws leaves it closed.
    broken = true;
    fileCloseQuietly(file);
    return reportFileError(file, position.c_str(), message, 0);
}

const char* TextReader::nextField() {
    if (broken) {  // the failure was reported; the fields asked for still count
        ++column;
        return nullptr;
    }
    if (lineEnded) {
        error(coreText(CoreText::TableEndOfLine));
        return nullptr;
    }
    if (fileEnded) {
        error(coreText(CoreText::TableEndOfFile));
        return nullptr;
    }
    ++column;
    stringClear(field);
    bool consumed = false, quoted = false;
    for (;;) {
        int c = readByte();
        if (c < 0) {
            fileEnded = lineEnded = true;
            if (consumed) return field.c_str();
            if (!broken) error(coreText(CoreText::TableEndOfFile));
            return nullptr;
        }
        if (c == '\r') continue;
        bool first = !consumed;
        consumed = true;
        if (c == ';') return field.c_str();
        if (c == '\n') {
            lineEnded = true;
            return field.c_str();
        }
        if (c == '"') {
            if (quoted) {
                if (peekByte() == '"') {
                    readByte();
                    stringAppendChar(field, '"');
                } else {
                    quoted = false;
                }
                continue;
            }
            if (first) {
                quoted = true;
                continue;
            }
        }
        stringAppendChar(field, (char)c);
    }
}

bool TextReader::nextLine() {
    if (broken) return false;
    if (!lineEnded) {
        error(coreText(CoreText::TableLineNotEnded));
        return false;
    }
    if (atEnd()) {
        fileEnded = true;
        return false;
    }
    ++line;
    column = 0;
    lineEnded = false;
    return true;
}
