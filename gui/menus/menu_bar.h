#pragma once
// GMenuBar: the menu bar of a top-level window, built from the shown menus of the window's kind.
// It watches its window: a new bar replaces (and deletes) the window's previous one, and the end
// of the window deletes the bar.
#include "gui/kernel/item_base.h"
#include "gui/menus/menu.h"

class GParentWindow;
struct WindowKind;

class GMenuBar : public GMenu, public GItemBase {
public:
    explicit GMenuBar(GParentWindow* window);
    ~GMenuBar() override;

    GMenuItemData* makeItemData(const char* text, void* image, i32 commandId) override;
    bool isDisposable() override { return true; }

    // Rebuilds the bar: one popup per shown, non-empty menu of the kind, filled in menu-bar mode,
    // with mnemonics; then redraws it.
    void fill(WindowKind* kind);

    GParentWindow* window;
};

// The window's bar, or null.
GMenuBar* menuBarOf(GParentWindow* window);
// Refills every bar from its window's kind (after the key bindings changed).
void refillMenuBars();
