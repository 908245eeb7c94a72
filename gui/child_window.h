#pragma once
// GChildWindow: the child branch (controls and drawn windows inside a top-level window). Its owner
// window owns it; it deletes itself when its native window ends. Listed in childWindowMap() while
// its native window lives.
#include "gui/window.h"

class GChildWindow : public GWindow, public GItemBase {
public:
    explicit GChildWindow(GWindow* owner) : owner(owner) {}
    ~GChildWindow() override;

    bool isKindOf(u32 id) const override { return id == TypeChildWindow || GWindow::isKindOf(id); }
    const char* className() const override { return "GChildWindow"; }
    u32 typeId() const override { return TypeChildWindow; }
    void onDestroy() override;
    GItemBase* item() override { return this; }
    GWindow* ownerWindow() const override { return owner; }
    GChildWindow* asChildWindow() override { return this; }

    virtual void onDeferredRelayout() {}
    virtual bool onFocus(bool /*gained*/, HWND /*other*/) { return false; }
    virtual void onParentRefresh(u32 /*flags*/) {}
    virtual bool onSize(i32 /*width*/, i32 /*height*/) { return false; }
    virtual bool onWheel(i32 /*delta*/, u32 /*keys*/, bool /*vertical*/) { return false; }
    virtual i32 charToItem(u32 /*character*/, i32 /*caret*/) { return -1; }
    virtual bool isArrowNavigable() { return false; }
    virtual bool isDefaultButton() { return false; }
    virtual bool isGroupMember() { return false; }
    virtual i32 groupId() { return 0; }
    virtual bool matchesMnemonic(u32 /*character*/) { return false; }
    virtual void activateByKey() {}
    // Focus priority; 0: does not take the keyboard focus.
    virtual i32 acceptsFocus() { return 0; }
    virtual void setRect(const RECT& rect, u32 swpFlags);
    bool getToolTip(i32, i32, GString* text, tagRECT*, tagRECT*) override {
        if (!toolTipText) return false;
        stringAssignText(*text, toolTipText);
        return true;
    }

    GWindow* owner;
    char* toolTipText = nullptr;  // owned
    i32 redrawLock = 0;
};
