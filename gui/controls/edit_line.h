#pragma once
// GEditLine: the native edit control as a toolkit window ("korvalen_GEditLine_edit"), and the
// toolkit's typed value editor. Made by its factories into a builder's current container, which
// owns it like every child window; it deletes itself when its native window ends.
//
// Text changes by the user go up the item tree as control notification 0 (deferred under the
// redraw lock); text set through setTextQuiet notifies nobody.
#include "core/gstring.h"
#include "gui/kernel/system_window.h"

class GLayoutBuilder;
struct GInputEvent;

enum : u32 { TypeEditLine = 39 };

// GEditLine::controlStyle beyond the system window's bits.
enum : u32 { EditChangeGuard = 0x08, EditSizedBySample = 0x10, EditSizedByChars = 0x20 };

// The key slot of edit lines: 1 leaves the key to the native edit, 0 passes it on.
i32 editKeyFilter(u32 controlStyle, const GInputEvent* event);

class GEditLine : public GSystemWindow {
public:
    using GSystemWindow::GSystemWindow;
    ~GEditLine() override;

    bool isKindOf(u32 id) const override { return id == TypeEditLine || GSystemWindow::isKindOf(id); }
    const char* className() const override { return "GEditLine"; }
    u32 typeId() const override { return TypeEditLine; }
    const char* systemClassName() const override { return "edit"; }
    WindowClassRecord* windowClassRecord() override;

    // Sized by characters (count wide, one line high).
    static GEditLine* create(GLayoutBuilder& builder, i32 characters, const char* alignment = nullptr);
    // Sized by a sample text.
    static GEditLine* createAlt(GLayoutBuilder& builder, const char* sample, const char* alignment = nullptr);
    // Sized by its own text.
    static GEditLine* createSecond(GLayoutBuilder& builder, const char* alignment = nullptr);
    // The native window with the given style (WS_CHILD etc.) and the interface font.
    bool createEdit(u32 style, u32 exStyle);

    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    bool onControlCommand(void* event) override;
    i32 handleKey(GInputEvent* event) override { return editKeyFilter(controlStyle, event); }
    void getPreferredSize(i32* width, i32* height) override;
    i32 acceptsFocus() override { return 1; }
    void onLayoutEvent(u32 kind) override;

    i32 getSelection();
    void setTextQuiet(const char* text);
    // The window text, kept in the line until the next read.
    const char* text();

    // Typed values; a text that is not one throws GVerifyException carrying the text.
    i32 getI32();
    u32 getU32();
    i64 getI64();
    double getDouble();
    u32 getTime();
    void setI32(i32 value);
    void setU32(u32 value);
    void setI64(i64 value);
    void setDouble(double value);
    void setTime(u32 milliseconds);

    GString sample;        // EditSizedBySample
    i32 sizeChars = 0;     // EditSizedByChars: width in characters
    i32 sizeLines = 1;     // EditSizedByChars: height in lines
    GString cachedText;

private:
    void textChanged();
    [[noreturn]] void refuse();
    // The text read by the reader, or refused.
    template <typename T>
    T readValue(bool (*read)(const char*, T*));
};
