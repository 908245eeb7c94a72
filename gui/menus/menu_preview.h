#pragma once
// GMenuPreview: a small drawn window showing one menu item highlighted, drawn with effect bits of
// its own (the ones being edited), as a popup item or as a menu-bar item. It owns its item; its
// window owns it like any child.
#include "gui/kernel/user_window.h"
#include "gui/menus/menu.h"

class GLayoutBuilder;

class GMenuPreview : public GUserWindow {
public:
    GMenuPreview(GWindow* owner, const char* text, bool vertical, u32 effects);

    // Added to the builder's container.
    static GMenuPreview* create(GLayoutBuilder& builder, const char* text, bool vertical, u32 effects);

    // New bits, drawn at once.
    void setEffects(u32 effects);
    // The item's measured size; a menu-bar item 20 pixels wider.
    void getPreferredSize(i32* width, i32* height) override;
    // The item selected and hot-lit over the client area.
    void paint(HDC dc, const RECT& update, bool erase) override;

    // Draws with the preview's bits.
    class Item : public GMenuItemData {
    public:
        Item(const char* text, const u32* effects) : GMenuItemData(text, nullptr, 0), effects(effects) {}
        u32 effectBits() const override { return *effects; }
        const u32* effects;
    };

    u32 effects;
    bool vertical;
    Item item;
};
