#pragma once
// GRegulator: the owner-drawn slider, a groove with a thumb and optional tick marks, horizontal or
// vertical, over a signed 64-bit range with an optional quantum. Value changes go up the item tree
// as control notification 0. Made by its factories into a builder's current container; owned like
// every child window. Its hover and press trackers are listeners on its own chain, deleted with it.
//
// GRegulatorItem: a container of two children on one rectangle (a main child and an overlay), such
// as a regulator under its value labels.
#include "gui/kernel/user_window.h"
#include "gui/layout/layout_cell.h"

class GLayoutBuilder;
class GHotTracker;
class GMouseCapture;
struct FontHolder;

enum : u32 { TypeRegulator = 97 };

// GRegulator::style.
enum : u32 {
    RegulatorVertical = 0x20,
    RegulatorTicksBefore = 0x40,  // top, or left when vertical
    RegulatorTicksAfter = 0x80,   // bottom, or right
    RegulatorHasDefault = 0x100,
    RegulatorFlat = 0x200,
    RegulatorAlways = 0x06,
};

// Pixel geometry of one client rectangle.
struct RegulatorGeometry {
    RECT track;
    i32 start, end;  // the usable axis, along x (horizontal) or y (vertical)
    bool vertical;
    i32 length() const { return end - start; }
};

class GRegulator : public GUserWindow {
public:
    explicit GRegulator(GWindow* owner, u32 style = 0) : GUserWindow(owner), style(style | RegulatorAlways) {}
    ~GRegulator() override { destroyNative(); }

    bool isKindOf(u32 id) const override { return id == TypeRegulator || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GRegulator"; }
    u32 typeId() const override { return TypeRegulator; }

    static GRegulator* create(GLayoutBuilder& builder, u32 style, i32 minimum, i32 maximum, const char* alignment = nullptr);
    // Vertical with ticks on both sides, bound to the variable; listed in the builder's bound
    // regulators.
    static GRegulator* createSized(GLayoutBuilder& builder, i32* variable, i32 minimum, i32 maximum);
    // The window and its two trackers.
    bool createWindow();

    void setValue(i64 value);
    // The bound variable takes the value.
    void storeBound();
    // The extent of a value label in the font.
    static SIZE formatValue(const char* text, const FontHolder* font);

    RegulatorGeometry geometry() const;
    RegulatorGeometry geometry(const RECT& client) const;
    i32 positionOf(const RegulatorGeometry& g, i64 value) const;
    RECT thumbRect(const RegulatorGeometry& g, i32 position) const;
    // One key step and the tick (page) step for an axis length.
    i64 lineStep(i32 length) const;
    i64 tickStep(i32 length) const;
    // Page up (+1) or down (-1) from the value: to the next multiple of the tick step.
    i64 pageFrom(i64 value, i32 direction, i32 length) const;
    // The value at a point along the axis (client coordinates).
    i64 valueAtPoint(i32 x, i32 y) const;
    i64 clamp(i64 value) const;

    void getPreferredSize(i32* width, i32* height) override;
    void paint(HDC dc, const RECT& update, bool erase) override;
    i32 handleKey(GInputEvent* event) override;
    bool onWheel(i32 delta, u32 keys, bool vertical) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    bool dragBegin(GMouseCapture* capture, i32 x, i32 y) override;
    bool dragMove(GMouseCapture* capture, i32 fromX, i32 fromY, i32 x, i32 y) override;
    void dragDrop(GMouseCapture* capture, i32 x, i32 y) override;
    bool hitPart(GHotTracker* tracker, i32 x, i32 y, tagRECT* rect, u32* flags) override;
    bool getToolTip(i32 x, i32 y, GString* text, tagRECT* rect, tagRECT* second) override;
    i32 acceptsFocus() override { return 1; }
    void onLayoutEvent(u32 kind) override;

    u32 style;
    i64 minimum = 0, maximum = 100, value = 0;
    i64 quantum = 1;
    i64 defaultValue = 0;
    i32* bound = nullptr;
    i32 preferredLength = 100;
    GHotTracker* hover = nullptr;     // owned by the window's chain
    GMouseCapture* press = nullptr;   // owned by the window's chain
    GRegulator* nextBound = nullptr;  // the builder's list of bound regulators

private:
    void changed();
};

// Every regulator of the list stores its value into its variable.
void storeBoundRegulators(GRegulator* first);

class GRegulatorItem : public GLayoutItem {
public:
    GRegulatorItem(GWindow* owner, bool widthFromBoth, bool heightFromBoth)
        : GLayoutItem(owner), widthFromBoth(widthFromBoth), heightFromBoth(heightFromBoth) {}
    // Added and made the builder's current container.
    static GRegulatorItem* create(GLayoutBuilder& builder, bool widthFromBoth, bool heightFromBoth);
    void getPreferredSize(i32* width, i32* height) override;

    bool widthFromBoth, heightFromBoth;
};
