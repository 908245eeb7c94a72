#pragma once
// GMultiLabel: word-wrapped text that scrolls when it does not fit, with size policies for the
// layout. Made by its factory into a layout builder; it deletes itself when its native window ends
// (and an owned font with it).
#include "core/gstring.h"
#include "gui/kernel/user_window.h"

class GLayoutBuilder;

enum : u32 { TypeMultiLabel = 83 };

// Style bits of the control style word.
enum : u32 {
    MultiBorder = 0x20,          // thin sunken border (and 4-pixel margins)
    MultiCopy = 0x40,            // the right-button release copies the text
    MultiWidthPixels = 0x80,     // width value in pixels (0: percent of the desktop)
    MultiWidthChars = 0x100,     // width value in average characters
    MultiHeightPixels = 0x200,
    MultiHeightChars = 0x400,
    MultiMargins = 0x800,        // 4-pixel margins without the border
    MultiWiden = 0x1000,         // natural width grows to the widest line
    MultiShrink = 0x2000,        // width shrinks to the widest line
    MultiNoVerticalBar = 0x4000,
    MultiNoGrow = 0x8000,        // the height does not grow to the limit
};

class GMultiLabel : public GUserImage {
public:
    using GUserImage::GUserImage;
    ~GMultiLabel() override;

    bool isKindOf(u32 id) const override { return id == TypeMultiLabel || GUserImage::isKindOf(id); }
    const char* className() const override { return "GMultiLabel"; }
    u32 typeId() const override { return TypeMultiLabel; }

    // Alignment letters 1, 2 for the cell, 3, 4 for the text.
    static GMultiLabel* create(GLayoutBuilder& builder, const char* text, i32 widthValue, i32 heightValue,
                               u32 style, const char* alignment = nullptr);
    using GUserImage::create;

    void setText(const char* text);
    void setFont(HFONT font, bool owned);
    // Margins of 20 on every side.
    void resetSpacing();
    // Wraps the text in the window, switches the scroll bars on or off as needed.
    void layoutText();
    // The wrapped size of the text at a width.
    SIZE wrap(i32 width);

    void getPreferredSize(i32* width, i32* height) override;
    void paint(HDC dc, const RECT& update, bool erase) override;
    bool onSize(i32 width, i32 height) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;

    GString text;
    HFONT font = nullptr;
    bool ownsFont = false;
    COLORREF background = (COLORREF)-1;
    COLORREF textColour = (COLORREF)-1;
    char textAlign[2] = {'<', '^'};
    i32 widthValue = 0, heightValue = 0;
    u32 style = 0;
    i32 wrapWidth = 0;    // the width of the last layout's wrapping
    SIZE textSize = {0, 0};

private:
    void setMargins(i32 margin);
    bool laying = false;
};
