#pragma once
// GNativeControl: a system control (static text, push button, progress bar) as a toolkit child
// window and layout cell, through a superclass of the system class; it stands in where the
// toolkit's own labels and buttons are not built yet. Same ownership as every child window.
#include "gui/child_window.h"

class GNativeControl : public GChildWindow {
public:
    enum Kind { Label, Button, ProgressBar };

    // A fixed width (below 0: the text's width) and the font's line height.
    GNativeControl(GWindow* owner, Kind kind, i32 width) : GChildWindow(owner), kind(kind), width(width) {}

    WindowClassRecord* windowClassRecord() override;
    void getPreferredSize(i32* outWidth, i32* outHeight) override;

    // Creates the native control, hidden, with the text, extra style and control id.
    bool create(const char* text, u32 style, u32 id);
    void setText(const char* text);

    Kind kind;
    i32 width;
};
