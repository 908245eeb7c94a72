#pragma once
// GTableTypeAhead: the text typed into a table to find a row. The table that has one owns it; the
// cell formatters read its text to mark the match.
#include "core/gstring.h"
#include "core/types.h"

class GTableTypeAhead;

// The owner that searches for the typed text.
class GTypeAheadHost {
public:
    virtual ~GTypeAheadHost() = default;
    virtual void typeAhead(GTableTypeAhead& collector, const char* text) = 0;
};

class GTableTypeAhead {
public:
    explicit GTableTypeAhead(GTypeAheadHost* owner = nullptr) : owner(owner) {}

    // A character message: refused while Alt or Ctrl is held and for controls other than
    // Backspace, which removes the last character. The owner hears every change.
    bool handleChar(u32 character);
    const char* typed() const { return text.c_str(); }
    void clear() { stringClear(text); }

    GString text;
    GTypeAheadHost* owner;
};
