#pragma once
// Texts of the error codes of the machine's sound functions (wave, conversion and mixer) and their
// report to an error handler.
#include "core/error.h"
#include "core/gstring.h"

// The library's own codes beside the system's.
const u32 mmErrorCodecFailed = (u32)-1;  // a codec raised an exception during a conversion
const u32 mmErrorInternal = (u32)-2;

// Appends the code's text, ended as a sentence; an unknown code gives the unknown-code text with
// the number (no full stop added); a code whose text is empty appends nothing.
void mmErrorText(GString& text, u32 code);
// Reports the code's text with the code; false without a handler, else the handler's answer.
bool reportMmError(ErrorHandler* sink, u32 code);
