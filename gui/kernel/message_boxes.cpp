#include "gui/kernel/message_boxes.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <set>

namespace {
i32 showFormatted(const MessageBoxDescription* description, const char* format, va_list args) {
    char buffer[4096];
    vsnprintf(buffer, sizeof buffer, format, args);
    return showMessageBox(description, nullptr, buffer);
}

std::mutex g_reportedLock;
std::set<u32>& reported() {
    static std::set<u32> codes;
    return codes;
}
}  // namespace

#define FORMATTED_BOX(description, format)            \
    va_list args;                                     \
    va_start(args, format);                           \
    i32 answer = showFormatted(description, format, args); \
    va_end(args)

void showError(const char* text) { showMessageBox(&mbError, nullptr, text); }

void showErrorF(const char* format, ...) {
    FORMATTED_BOX(&mbError, format);
    (void)answer;
}

void showInfoF(const char* format, ...) {
    FORMATTED_BOX(&mbInformation, format);
    (void)answer;
}

bool askYesNo(const char* text) { return showMessageBox(&mbQuestion, nullptr, text) == 6; }

bool askYesNoF(const char* format, ...) {
    FORMATTED_BOX(&mbQuestion, format);
    return answer == 6;
}

bool askOkCancelF(const char* format, ...) {
    FORMATTED_BOX(&mbWarning, format);
    return answer == 1;
}

i32 messageBoxF(const MessageBoxDescription* description, const char* format, ...) {
    FORMATTED_BOX(description, format);
    return answer;
}

bool reportErrorOnce(u32 code, const char* text) {
    {
        std::lock_guard<std::mutex> hold(g_reportedLock);
        if (!reported().insert(code).second) return false;
    }
    showMessageBox(&mbInformation, nullptr, text);
    return true;
}

void resetReportedErrors() {
    std::lock_guard<std::mutex> hold(g_reportedLock);
    reported().clear();
}
