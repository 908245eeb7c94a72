#pragma once
// GLayoutBuilder: the record through which a window's content is built top-down. It holds the
// current container, the last item made and a stack of saved containers; it owns nothing (the
// items belong to the tree, the tree to its window). GSpacer: a fixed-size empty child window.
#include "gui/kernel/user_window.h"
#include "gui/layout/layout_cell.h"

class GFieldBinding;
class GRegulator;

class GLayoutBuilder {
public:
    // Bound fields link their records into the field list.
    explicit GLayoutBuilder(GWindow* owner, void* fieldList = nullptr);

    // Digits into the item's digits (at most 8), the alignment code, added to the current container,
    // then the item becomes current and last.
    void pushContainer(GLayoutItem* item, const char* digits, const char* code);
    // The same without making it current.
    void addContainer(GLayoutItem* item, const char* digits, const char* code);
    // Ends the current container: the saved one becomes current again.
    void endContainer();
    // Adds a made cell to the current container, sets it as last and applies the code.
    void add(GLayoutCell* cell, const char* code = nullptr);
    // Links a bound field's record at the head of the field list (a GFieldList), which owns it.
    void linkField(GFieldBinding* record);

    GLayoutItem* current = nullptr;
    GLayoutCell* last = nullptr;
    GWindow* owner;
    void* fieldList;
    GLayoutItem* stack[20] = {};
    i32 depth = 0;
    GRegulator* boundRegulators = nullptr;  // regulators bound to variables, last made first
};

class GSpacer : public GUserWindow {
public:
    GSpacer(GWindow* owner, i32 width, i32 height) : GUserWindow(owner), spaceWidth(width), spaceHeight(height) {}

    bool isKindOf(u32 id) const override { return id == 44 || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GSpacer"; }
    u32 typeId() const override { return 44; }
    void getPreferredSize(i32* width, i32* height) override {
        *width = spaceWidth;
        *height = spaceHeight;
    }
    void paint(HDC dc, const RECT& update, bool erase) override;

    // 20 by 1; 1 by h; 1 by 1 taking whatever room it gets ("UC").
    static GSpacer* create(GLayoutBuilder& builder);
    static GSpacer* createSized(GLayoutBuilder& builder, i32 h);
    static GSpacer* createDefault(GLayoutBuilder& builder);

    i32 spaceWidth, spaceHeight;

private:
    static GSpacer* make(GLayoutBuilder& builder, i32 w, i32 h, const char* code);
};
