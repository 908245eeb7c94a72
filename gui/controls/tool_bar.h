#pragma once
// GToolBar: an owner-drawn row or column of square buttons for action ids, with separators, a grip
// when its container wants one, hot tracking, drop-down buttons for popup actions, tips and a
// context-menu request. Commands and states go through the state queries, so the bar never knows
// who handles a command. Its owner window owns it like any child window; it owns its buttons, its
// hot tracker and its grip tracker (listeners on its own chain).
#include <vector>

#include "core/gstring.h"
#include "gui/kernel/user_window.h"

class GHotTracker;
class GToolBar;
class ToolBarGripTracker;
struct GToolBarSpec;

enum : u32 { TypeToolBar = 41 };
// Button style bits.
enum : u32 { ButtonDisabled = 1, ButtonChecked = 2, ButtonDropDown = 4 };
enum : i32 { GripDepth = 7, ToolBarMenuCommand = 102, FallbackButtonBitmap = 9063 };

struct ToolBarButton {
    i32 id = -1;  // -1: separator
    GString text;
    void* image = nullptr;  // action image (image list or swatch), may be null
    RECT rect = {0, 0, 0, 0};
    u32 style = 0;
};

// The context-menu request routed up (command 102) when the right button is released over a bar.
struct ToolBarMenuRequest : GStateQuery {
    GToolBar* toolBar = nullptr;
    i32 clickedId = -1;
    i32 buttonCount = -1;
    const char* name = nullptr;
    i32 tag = 2;
};

class GToolBar : public GUserWindow {
public:
    // A bar of buttons width x height (20 when below 1) created in the parent; null on failure.
    static GToolBar* create(GWindow* parent, const char* name, i32 width, i32 height);
    ~GToolBar() override;

    bool isKindOf(u32 id) const override { return id == TypeToolBar || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GToolBar"; }
    u32 typeId() const override { return TypeToolBar; }

    void setSpec(GToolBarSpec* spec);
    void setButtons(const i32* ids, i32 n);
    void addButton(void* image, i32 id, const char* text, u32 style);
    void clear();
    void setOrientation(u8 orientation);
    // Styles from the actions again; true when any button has an action.
    bool refreshStates();
    // Writes the bar's place in its strip into its record.
    void storePlacement();

    void getPreferredSize(i32* width, i32* height) override;
    // The button at a client point, -1 for none (separators are never hit).
    i32 hitTest(i32 x, i32 y);
    bool hasGrip();
    RECT gripRect();
    // Lays the buttons out when the layout is pending.
    void layout();

    bool hitPart(GHotTracker*, i32 x, i32 y, tagRECT* rect, u32* flags) override;
    void clickPart(GHotTracker*) override;
    void redrawPart(GHotTracker*) override;
    bool getToolTip(i32 x, i32 y, GString* text, tagRECT* tool, tagRECT* anchor) override;
    // A right-button release asks the owner for the tool-bar menu (command 102).
    bool handleMouse(GInputEvent* event) override;
    void paint(HDC dc, const RECT& update, bool erase) override;

    const char* name;  // not copied
    std::vector<ToolBarButton*> buttons;
    i32 buttonWidth, buttonHeight;
    i32 hotIndex = -1;
    u8 orientation = 0;
    bool layoutPending = true;
    GHotTracker* hotTracker = nullptr;
    ToolBarGripTracker* gripTracker = nullptr;
    GToolBarSpec* spec = nullptr;

private:
    GToolBar(GWindow* parent, const char* name, i32 width, i32 height);
    void appendFromId(i32 id);
    // The button records alone; the callers repaint once.
    void appendRecord(void* image, i32 id, const char* text, u32 style);
    void deleteButtons();
    void changed();
};

// A user-made record is going: the bars that show it keep their buttons but drop the record and
// its name.
void forgetToolBarSpec(GToolBarSpec* spec);

// The effects word of tool bars (appearance "ToolBar").
u32 toolBarEffects();
