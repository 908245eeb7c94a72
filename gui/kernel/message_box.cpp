#include "gui/kernel/message_box.h"

#include "core/error.h"

#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>

static const MessageBoxButton okButton[] = {{"OK", 1, nullptr}};
static const MessageBoxButton okCancelButtons[] = {{"OK", 1, nullptr}, {"Cancel", 2, nullptr}};
static const MessageBoxButton yesNoButtons[] = {{"Yes", 6, nullptr}, {"No", 7, nullptr}};

const MessageBoxDescription mbError = {32513, "Error", okButton, 1, 1, nullptr};
const MessageBoxDescription mbInformation = {32516, "Information", okButton, 1, 1, nullptr};
const MessageBoxDescription mbWarning = {32515, "Warning", okCancelButtons, 2, 2, nullptr};
const MessageBoxDescription mbQuestion = {32514, "Question", yesNoButtons, 2, 6, nullptr};

static std::atomic<MessageBoxSink> g_sink{nullptr};

void setMessageBoxSink(MessageBoxSink sink) { g_sink = sink; }

static const char* titleOf(const MessageBoxDescription* d) {
    return d->titleText && *d->titleText && **d->titleText ? *d->titleText : d->title;
}

// The platform's box stands in until the toolkit's own box window exists.
i32 showMessageBox(const MessageBoxDescription* d, GWindow* owner, const char* text, MessageBoxExtraAction*) {
    if (MessageBoxSink sink = g_sink.load()) return sink(d, owner, text);
    if (!text || !*text) {
        for (u32 i = 0; i < d->count; ++i)
            if (d->buttons[i].id == 1 || d->buttons[i].id == 6) return (i32)d->buttons[i].id;
        return 0;
    }
    UINT style = MB_TASKMODAL;
    switch (d->icon) {
    case 32513: style |= MB_ICONHAND | MB_OK; break;
    case 32515: style |= MB_ICONEXCLAMATION | MB_OKCANCEL | MB_DEFBUTTON2; break;
    case 32514: style |= MB_ICONQUESTION | MB_YESNO; break;
    default: style |= MB_ICONASTERISK | MB_OK; break;
    }
    int answer = plainMessageBox(titleOf(d), text, style);
    return d == &mbError ? 0 : answer;
}

i32 showErrorF(GWindow* owner, const char* format, ...) {
    char buffer[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return showMessageBox(&mbError, owner, buffer);
}
