#pragma once
// Error reporting: handlers that receive composed error texts, and the composition itself.
#include "core/gstring.h"

class GWindow;

class ErrorHandler {
public:
    // Receives the composed text and the error number (errno, -1 for an unexpected end of file, 0).
    virtual bool report(const char* text, int code) = 0;

protected:
    ~ErrorHandler() = default;
};

// The standard handler of windows and players: mode 0x2 shows the text in the error box over the
// window, then mode 0x1 throws GException; otherwise it answers false.
class WindowErrorHandler : public ErrorHandler {
public:
    explicit WindowErrorHandler(GWindow* window = nullptr, u32 mode = 2) : window(window), mode(mode) {}
    bool report(const char* text, int code) override;

    GWindow* window;
    i32 lastCode = 0;
    u32 mode;
};

// The box that shows the texts of WindowErrorHandler over a window. The toolkit installs its error
// box at start; without a hook the plain box below shows them.
typedef void (*ErrorBoxHook)(GWindow* owner, const char* text);
void setErrorBoxHook(ErrorBoxHook hook);

// The system's message box (title, text, MB_ style) -> the pressed button's id. Test programs
// replace it to record the boxes instead of showing them.
typedef int (*PlainMessageBox)(const char* title, const char* text, unsigned style);
extern PlainMessageBox plainMessageBox;

// Passes every report on to another handler; false when it holds none.
class ForwardingErrorHandler : public ErrorHandler {
public:
    explicit ForwardingErrorHandler(ErrorHandler* target = nullptr) : target(target) {}
    bool report(const char* text, int code) override { return target ? target->report(text, code) : false; }

    ErrorHandler* target;
};

// Text of an error number, or null when the table has none.
const char* errorCodeText(int code);
// Appends message, detail and file name, each on its own line ended as a sentence, then the
// "Error Code" line when code is not 0.
void errorText(GString& out, const char* message, const char* detail, const char* fileName, int code);
// Composes the text and returns the handler's answer; false without a handler.
bool reportToHandler(ErrorHandler* handler, const char* message, const char* detail, const char* fileName, int code);

// Helpers that end a failing operation with their result (always false without a handler).
bool reportMessage(ErrorHandler* handler, const char* message, int code);
bool reportMessageDetail(ErrorHandler* handler, const char* message, const char* detail, int code);
bool reportFormatted(ErrorHandler* handler, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
