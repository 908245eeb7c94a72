#include "gui/menus/tool_bar_strips.h"

#include "gui/menus/dock_slot.h"

#include "gui/controls/tool_bar.h"
#include "gui/kernel/parent_window.h"
#include "gui/layout/strip_item.h"
#include "gui/menus/action_table.h"

void arrangeToolBars(GParentWindow* window) {
    std::vector<GStripItem*> strips = dockList(window);
    for (GStripItem* strip : strips) {
        strip->removeAllChildren();
        strip->rows.clear();
        strip->dragged = nullptr;
    }
    std::vector<GToolBar*> made;
    WindowKind* kind = windowKindOf(window);
    for (GToolBarSpec* spec = kind ? kind->firstSpec : nullptr; spec; spec = spec->next) {
        if (spec->entryKind != SpecToolBar || !spec->shown || spec->activeCount() <= 0) continue;
        GStripItem* strip = findStripByKey(window, (u32)spec->p1);
        if (!strip) continue;
        GToolBar* bar = GToolBar::create(window, spec->name, 0, 0);
        if (!bar) continue;
        strip->add(bar, spec->p3, spec->p2, (char)spec->p4);
        bar->setSpec(spec);
        made.push_back(bar);
    }
    for (GStripItem* strip : strips) strip->compact();
    for (GToolBar* bar : made) bar->storePlacement();
    if (!strips.empty() && window->hwnd) {
        RECT client;
        GetClientRect(window->hwnd, &client);
        window->layoutContent(client.right, client.bottom);
    }
}
