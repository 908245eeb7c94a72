#pragma once
// GSystemWindow: a child window over a native control. The control's system class is registered
// again under "korvalen_" + toolkit class + "_" + system class, so the shared child procedure sees
// its messages first and the system procedure gets the rest. Owned like every child window; the
// subclass owns its class record (one per class, kept for the process).
#include "gui/kernel/child_window.h"

enum : u32 { TypeSystemWindow = 4 };

// GSystemWindow::controlStyle, copied from the native style at creation.
enum : u32 { ControlReadOnly = 0x02, ControlMultiLine = 0x04 };

class GSystemWindow : public GChildWindow {
public:
    using GChildWindow::GChildWindow;

    bool isKindOf(u32 id) const override { return id == TypeSystemWindow || GChildWindow::isKindOf(id); }
    const char* className() const override { return "GSystemWindow"; }
    u32 typeId() const override { return TypeSystemWindow; }

    // The system class the control is made from ("edit").
    virtual const char* systemClassName() const = 0;
    // Registers the superclass once and creates the native window.
    bool createNative(u32 style, u32 exStyle);

    // Measures in the control's own font (WM_GETFONT).
    SIZE textExtent(const char* text);
    // Word-wrapped at the width.
    SIZE textExtentWrapped(const char* text, i32 width);
    // Average character width and character height.
    SIZE charMetrics();

    u32 controlStyle = 0;
};
