#pragma once
// GUserButton: an owner-drawn push button that sends its command id (its control id) up the item
// chain when clicked by mouse, Space or Enter; it can toggle, and one button of a window can hold
// the default role. GButton adds a text with a mnemonic and a font. Made by their factories into
// a layout builder; they delete themselves when their native window ends (an owned font with them).
#include "core/gstring.h"
#include "gui/kernel/user_window.h"

class GHotTracker;
class GLayoutBuilder;

enum : u32 { TypeUserButton = 101, TypeButton = 102 };

// Button bits of the control style word.
enum : u32 {
    ButtonMade = 2,
    ButtonDefault = 8,
    ButtonCompact = 0x10,
    ButtonHighlight = 0x20,   // the default highlight is shown
    ButtonToggle = 0x40,
    ButtonChecked = 0x80,
    ButtonOwnFont = 0x100,
    ButtonFlat = 0x200,
};

class GUserButton : public GUserWindow {
public:
    using GUserWindow::GUserWindow;
    ~GUserButton() override { destroyNative(); }

    bool isKindOf(u32 id) const override { return id == TypeUserButton || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GUserButton"; }
    u32 typeId() const override { return TypeUserButton; }

    // The style bits (and 2), the window, the control id, the hot tracker.
    bool createHandle(u32 style, u32 command);
    u32 command() const;

    // Flips a toggle button, then offers an execute query of the command id up the chain.
    virtual void click();
    void setChecked(bool checked, bool notify);
    bool checked() const { return (style & ButtonChecked) != 0; }
    // 2 for the default button, 1 otherwise.
    i32 dialogCode() { return isDefaultButton() ? 2 : 1; }
    bool isDefaultButton() override { return (style & ButtonDefault) != 0; }
    // Moves the default role here when the button is visible; the owner recomputes highlights.
    void makeDefault();
    void clearDefault();
    // Shows or hides the default highlight by the focus and the default role.
    void updateHighlight();

    i32 handleKey(GInputEvent* event) override;
    // The tracker's one part: the whole client area.
    bool hitPart(GHotTracker*, i32 x, i32 y, tagRECT* rect, u32* flags) override;
    void clickPart(GHotTracker*) override { click(); }
    bool pressed() const;
    void paint(HDC dc, const RECT& update, bool erase) override;
    // The content inside the frame.
    virtual void paintContent(HDC, const RECT&) {}
    i32 acceptsFocus() override { return 1; }
    void activateByKey() override { click(); }
    void onParentRefresh(u32) override { updateHighlight(); }
    // Layout event 0: the pending check notification.
    void onLayoutEvent(u32 kind) override;
    // The frame painter's flags of the current state.
    u32 frameFlags();

    u32 style = 0;
    GHotTracker* tracker = nullptr;  // owned by the window's chain
    bool spaceDown = false;
};

class GButton : public GUserButton {
public:
    using GUserButton::GUserButton;
    ~GButton() override;

    bool isKindOf(u32 id) const override { return id == TypeButton || GUserButton::isKindOf(id); }
    const char* className() const override { return "GButton"; }
    u32 typeId() const override { return TypeButton; }

    // Text, font, window, added to the builder's container; "*" in the alignment keeps a letter.
    static GButton* create(GLayoutBuilder& builder, const char* text, u32 style, u32 command,
                           const char* alignment = nullptr);
    void setText(const char* text);
    void setFont(HFONT font, bool owned);

    void getPreferredSize(i32* width, i32* height) override;
    void paintContent(HDC dc, const RECT& rect) override;
    // '&' and the letter in either case: clicks when enabled; taken either way.
    bool matchesMnemonic(u32 character) override;

    GString text;
    HFONT font = nullptr;
    bool ownsFont = false;
};
