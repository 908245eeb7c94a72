#pragma once
// GMarkWindow: a mark square beside a caption; Space and the mouse toggle it. GCheckBox (two or
// three states) and GRadioBox (one checked box per group value among the owner's windows) derive
// from it. Made by their factories into a layout builder; they delete themselves when their native
// window ends. A bound box links a GMarkBinding into the builder's field list, which owns it.
#include "core/gstring.h"
#include "gui/controls/field_list.h"
#include "gui/kernel/user_window.h"

class GLayoutBuilder;
struct GInputEvent;

enum : u32 { TypeMarkWindow = 105, TypeCheckBox = 106, TypeRadioBox = 107 };

// Mark style bits (the control style word).
enum : u32 { MarkMade = 4, MarkTextLeft = 8, MarkThreeState = 16 };

// The notification a mark sends up when its state changed: value = the new state.
enum : u32 { MarkChanged = 0 };

class GMarkWindow : public GUserWindow {
public:
    explicit GMarkWindow(GWindow* owner) : GUserWindow(owner) {}
    ~GMarkWindow() override;

    bool isKindOf(u32 id) const override { return id == TypeMarkWindow || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GMarkWindow"; }
    u32 typeId() const override { return TypeMarkWindow; }

    virtual bool isChecked() = 0;
    // The value a change notification carries.
    virtual i32 markState() { return isChecked(); }
    virtual i32 groupValue() { return 0; }
    // The toggle of the subclass.
    virtual void click() = 0;
    virtual void uncheck() {}
    virtual i32 markSize() { return 15; }
    // Writes the state into the bound variable.
    virtual void store() {}
    virtual void paintMark(HDC dc, const RECT& mark) = 0;

    // Text, style, font; creates the window.
    bool setup(const char* caption, u32 style);
    // The rectangles of the mark and of the caption (2 larger on every side) in the client area.
    void geometry(RECT* mark, RECT* text);
    // A point on the mark or the caption.
    bool hitTest(i32 x, i32 y);

    void getPreferredSize(i32* width, i32* height) override;
    i32 handleKey(GInputEvent* event) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    void paint(HDC dc, const RECT& update, bool erase) override;
    i32 acceptsFocus() override { return 1; }
    // Layout event 0: the pending change notification.
    void onLayoutEvent(u32 kind) override;

    GString text;
    HFONT font = nullptr;
    bool ownsFont = false;
    u32 style = 0;
    bool spacePressed = false;
    RECT markRect = {0, 0, 0, 0};
    bool mousePressed = false;

protected:
    // Notifies up and repaints, or records both while the redraw lock is held.
    void changed();
};

// The field record of a bound mark: commit stores the mark's state while it lives.
class GMarkBinding : public GFieldBinding {
public:
    explicit GMarkBinding(GMarkWindow* mark);
    ~GMarkBinding() override;
    void commit() override;

    GMarkWindow* mark;
    GLifeRecord* life;
};

class GCheckBox : public GMarkWindow {
public:
    using GMarkWindow::GMarkWindow;

    bool isKindOf(u32 id) const override { return id == TypeCheckBox || GMarkWindow::isKindOf(id); }
    const char* className() const override { return "GCheckBox"; }
    u32 typeId() const override { return TypeCheckBox; }

    bool isChecked() override { return state != 0; }
    i32 markState() override { return state; }
    // 0 -> 1 -> -1 -> 0 with the three-state style, else 0 <-> 1; nothing when disabled.
    void click() override;
    // A bound variable gets (state != 0).
    void store() override;
    void paintMark(HDC dc, const RECT& mark) override;
    void setChecked(i32 state);

    i32 state = 0;  // 0 off, 1 on, -1 the third state
    u8* variable = nullptr;
};

// Check box factories: with an initial state, or bound to a variable it reads now and writes on
// commit.
struct GCheckBoxItem {
    static GCheckBox* create(GLayoutBuilder& builder, const char* text, i32 state, const char* code = nullptr,
                             u32 style = 0);
    static GCheckBox* createAlt(GLayoutBuilder& builder, const char* text, u8* variable, const char* code = nullptr,
                                u32 style = 0);
};

class GRadioBox : public GMarkWindow {
public:
    GRadioBox(GLayoutBuilder& builder, const char* text, i32 group, bool checked, const char* code = nullptr);

    bool isKindOf(u32 id) const override { return id == TypeRadioBox || GMarkWindow::isKindOf(id); }
    const char* className() const override { return "GRadioBox"; }
    u32 typeId() const override { return TypeRadioBox; }

    bool isChecked() override { return checked; }
    i32 groupValue() override { return group; }
    // Checks this box and unchecks the checked one of its group; nothing when disabled or checked.
    void click() override;
    void uncheck() override;
    // A bound variable gets the value, only when checked.
    void store() override;
    void paintMark(HDC dc, const RECT& mark) override;
    void setChecked(bool checked, bool notify);
    bool isGroupMember() override { return true; }
    i32 groupId() override { return group; }
    void activateByKey() override { click(); }

    i32 group;
    bool checked = false;
    i32 value = -1;
    i32* variable = nullptr;
};

// A radio box bound to a variable: checked when *variable == value; commit writes the value.
GRadioBox* addRadioBox(GLayoutBuilder& builder, const char* text, i32 group, i32* variable, i32 value);
