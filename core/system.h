#pragma once
// Platform error texts and file copies with progress.
#include "core/gstring.h"

class ErrorHandler;
class JobProgress;

// The platform's message for the error code in the system's default language; else the message
// table of the named loaded module (when given); else the code in the "System error %d" text.
// Surrounding white space and line ends are trimmed.
GString systemErrorText(u32 code, const char* moduleFileName = nullptr);

// Copies a file over the target. With a progress object the copy goes in chunks, reporting the bytes
// copied so far to it (its listener set aside meanwhile), and stops when it answers cancelled; a
// cancelled copy removes the partial target, reports "Operation was canceled" to the progress
// object's listener and returns its answer. Other failures report the platform's error text to the
// handler and return its answer (false without one).
bool copyFileWithProgress(const char* from, const char* to, JobProgress* progress, ErrorHandler* handler);
