#pragma once
// GLabel: one line of text on a background, with an optional edge; sized by its text, by a sample
// text or by a count of characters. Made by its factories into a layout builder; like every child
// window it deletes itself when its native window ends (and its font with it when it owns it).
#include "core/gstring.h"
#include "gui/kernel/user_window.h"

class GLayoutBuilder;

enum : u32 { TypeLabel = 23 };

// Label style bits: exactly one edge is drawn; a combination draws none but keeps the insets.
enum : u32 {
    LabelOwnerDrawn = 0x02,
    LabelSunken = 0x08,
    LabelBump = 0x10,
    LabelEtched = 0x20,
    LabelRaised = 0x40,
    LabelThinBorder = 0x80,
    LabelEdges = 0xF8,
};

class GLabel : public GUserWindow {
public:
    explicit GLabel(GWindow* owner) : GUserWindow(owner) {}
    ~GLabel() override;

    bool isKindOf(u32 id) const override { return id == TypeLabel || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GLabel"; }
    u32 typeId() const override { return TypeLabel; }

    // Alignment: letters 1 and 2 set the cell's alignment unless '*'; letters 3 and 4 the text's.
    static GLabel* create(GLayoutBuilder& builder, const char* text, u32 style, const char* alignment = nullptr);
    // Sized by the sample text instead of its own.
    static GLabel* createVariant(GLayoutBuilder& builder, const char* alignment, const char* sample);
    // As wide as `count` average characters; cell "U-", text centred.
    static GLabel* createWithLayout(GLayoutBuilder& builder, i32 count, u32 style);

    // Text, style, the default font, both colours from the toolkit; creates the window.
    bool setup(const char* text, u32 style);
    // False when the text is unchanged; repaints, never relayouts.
    bool setText(const char* text);
    void setTextF(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
    // A colour swatch: no text, the two colours; false when nothing changed.
    bool setValue(COLORREF background, COLORREF text);
    void setFont(HFONT font, bool owned);

    void getPreferredSize(i32* width, i32* height) override;
    void paint(HDC dc, const RECT& update, bool erase) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    // '&' and the letter: the next window in layout order takes the focus when it can.
    bool matchesMnemonic(u32 character) override;

    GString text;
    COLORREF background = (COLORREF)-1;
    COLORREF textColour = (COLORREF)-1;
    HFONT font = nullptr;
    bool ownsFont = false;
    char textAlign[2] = {'<', '-'};
    u32 style = LabelOwnerDrawn;
    GString sample;      // measured instead of the text when set
    i32 charCount = 0;   // > 0: sized by characters

private:
    void repaint();
    SIZE measure(const char* text);
    i32 textOverhang();

    // How far the drawn text passes its extent, for the text and font it was found for.
    GString overhangText;
    HFONT overhangFont = nullptr;
    i32 overhang = -1;
};

// The mnemonic letter of a text ('&' and the character after it), upper-cased; 0 without one.
u32 mnemonicOf(const char* text);
// Letters 3 and 4 of an alignment code into a text alignment; letters 1 and 2 are the cell's.
void setTextAlignment(char textAlign[2], const char* alignment);

// Separators: a solid line in the dark shade (1 by 1) and an etched line (2 by 2).
enum : u32 { TypeLine1 = 25, TypeLine2 = 26 };

class GLine1 : public GUserWindow {
public:
    using GUserWindow::GUserWindow;
    bool isKindOf(u32 id) const override { return id == TypeLine1 || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GLine1"; }
    u32 typeId() const override { return TypeLine1; }
    void getPreferredSize(i32* width, i32* height) override { *width = *height = 1; }
    void paint(HDC dc, const RECT& update, bool erase) override;
    static GLine1* create(GLayoutBuilder& builder);
};

class GLine2 : public GUserWindow {
public:
    using GUserWindow::GUserWindow;
    bool isKindOf(u32 id) const override { return id == TypeLine2 || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GLine2"; }
    u32 typeId() const override { return TypeLine2; }
    void getPreferredSize(i32* width, i32* height) override { *width = *height = 2; }
    // Vertical when exactly 2 wide, else horizontal.
    void paint(HDC dc, const RECT& update, bool erase) override;
    static GLine2* create(GLayoutBuilder& builder);
};
