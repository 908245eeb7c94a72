#pragma once
// The standard boxes over showMessageBox: printf-style texts cut to 4096 bytes, and errors shown
// once per code and run.
#include "core/types.h"
#include "gui/kernel/message_box.h"

void showError(const char* text);
void showErrorF(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
void showInfoF(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
// True on Yes.
bool askYesNo(const char* text);
bool askYesNoF(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
// True on OK.
bool askOkCancelF(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
// The pressed button's id.
i32 messageBoxF(const MessageBoxDescription* description, const char* format, ...)
    __attribute__((format(gnu_printf, 2, 3)));

// Shows the text in an information box the first time the code is reported in this run; true when
// shown.
bool reportErrorOnce(u32 code, const char* text);
// Forgets the codes reported (tests, a restart).
void resetReportedErrors();
