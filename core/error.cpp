#include "core/error.h"

#include <windows.h>

#include <cstdio>

#include "core/exceptions.h"
#include "core/texts.h"

namespace {
ErrorBoxHook g_errorBox = nullptr;

int systemMessageBox(const char* title, const char* text, unsigned style) {
    return MessageBoxA(nullptr, text, title, style);
}
}  // namespace

PlainMessageBox plainMessageBox = systemMessageBox;

void setErrorBoxHook(ErrorBoxHook hook) { g_errorBox = hook; }

bool WindowErrorHandler::report(const char* text, int code) {
    lastCode = code;
    if (mode & 2) {
        if (g_errorBox)
            g_errorBox(window, text);
        else
            plainMessageBox("Error", text, MB_TASKMODAL | MB_ICONHAND | MB_OK);
    }
    if (mode & 1) throw GException();
    return false;
}

namespace {
struct ErrnoText {
    int code;
    CoreText text;
};
const ErrnoText errnoTable[] = {
    {-1, CoreText::ErrnoEof}, {1, CoreText::Errno1},   {2, CoreText::Errno2},   {3, CoreText::Errno3},
    {4, CoreText::Errno4},    {5, CoreText::Errno5},   {6, CoreText::Errno6},   {7, CoreText::Errno7},
    {8, CoreText::Errno8},    {9, CoreText::Errno9},   {10, CoreText::Errno10}, {11, CoreText::Errno11},
    {12, CoreText::Errno12},  {13, CoreText::Errno13}, {14, CoreText::Errno14}, {16, CoreText::Errno16},
    {17, CoreText::Errno17},  {18, CoreText::Errno18}, {19, CoreText::Errno19}, {20, CoreText::Errno20},
    {21, CoreText::Errno21},  {22, CoreText::Errno22}, {23, CoreText::Errno23}, {24, CoreText::Errno24},
    {25, CoreText::Errno25},  {27, CoreText::Errno27}, {28, CoreText::Errno28}, {29, CoreText::Errno29},
    {30, CoreText::Errno30},  {31, CoreText::Errno31}, {32, CoreText::Errno32}, {33, CoreText::Errno33},
    {34, CoreText::Errno34},  {36, CoreText::Errno36}, {38, CoreText::Errno38}, {39, CoreText::Errno39},
    {40, CoreText::Errno40},  {41, CoreText::Errno41}, {42, CoreText::Errno42}, {80, CoreText::Errno80},
};

void appendLine(GString& out, const char* part) {
    if (!part || !*part) return;
    if (out.length) stringAppendChar(out, '\n');
    stringAppend(out, part);
    stringEndSentence(out);
}
}  // namespace

const char* errorCodeText(int code) {
    for (const ErrnoText& row : errnoTable)
        if (row.code == code) return coreText(row.text);
    return nullptr;
}

void errorText(GString& out, const char* message, const char* detail, const char* fileName, int code) {
    appendLine(out, message);
    appendLine(out, detail);
    appendLine(out, fileName);
    if (code == 0) return;
    if (out.length) stringAppendChar(out, '\n');
    const char* text = errorCodeText(code);
    if (text && *text)
        stringAppendFormat(out, coreText(CoreText::ErrorCodeWithText), code, text);
    else
        stringAppendFormat(out, coreText(CoreText::ErrorCodeOnly), code);
}

bool reportToHandler(ErrorHandler* handler, const char* message, const char* detail, const char* fileName, int code) {
    if (!handler) return false;
    GString text;
    errorText(text, message, detail, fileName, code);
    return handler->report(text.c_str(), code);
}

bool reportMessage(ErrorHandler* handler, const char* message, int code) {
    if (!handler) return false;
    GString text(message);
    stringEndSentence(text);
    return handler->report(text.c_str(), code);
}

bool reportMessageDetail(ErrorHandler* handler, const char* message, const char* detail, int code) {
    if (!handler) return false;
    GString text;
    appendLine(text, message);
    if (detail && *detail) {
        stringAppendChar(text, '\n');
        stringAppend(text, detail);
        stringEndSentence(text);
    }
    return handler->report(text.c_str(), code);
}

bool reportFormatted(ErrorHandler* handler, const char* format, ...) {
    if (!handler) return false;
    char buffer[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return handler->report(buffer, 0);
}
