#pragma once
// Exception types shared by the whole program. All are thrown by value; catchers test the type.
#include <cstdio>

#include "core/gstring.h"

// A failed operation or parse that has no error text of its own.
struct GException {};
// A read past the end of a byte bag.
struct GBagException {};
// A failed verification; the text is the message shown.
struct GVerifyException {
    u32 code = 0;
    GString text;
    void* field = nullptr;  // the failing layout item, when a dialog field failed
};
// A looked-up item is missing.
struct NotFoundException {};
// A language file is short; the stream is closed by the catcher.
struct LocalizerException {
    FILE* stream = nullptr;
};
// An operation that changed data only partly.
struct GHalfException {};
