#include "gui/tool_bar_strips.h"

#include "gui/action_table.h"
#include "gui/parent_window.h"
#include "gui/strip_item.h"
#include "gui/tool_bar.h"

namespace {
// Pre-order over the tree; hidden items are entered, strips are visited and not entered.
void walkStrips(GLayoutCell* cell, std::vector<GStripItem*>& out) {
    if (!cell) return;
    if (cell->wantsGrip()) {
        if (cell->visible()) out.push_back(static_cast<GStripItem*>(cell));
        return;
    }
    if (GLayoutItem* item = cell->asLayoutItem())
        for (int i = 0; i < item->childCount(); ++i) walkStrips(item->childAt(i), out);
}
}  // namespace

std::vector<GStripItem*> dockList(GParentWindow* window) {
    std::vector<GStripItem*> out;
    if (window && window->content) walkStrips(window->content->asLayoutCell(), out);
    return out;
}

GStripItem* findStripByKey(GParentWindow* window, u32 key) {
    for (GStripItem* strip : dockList(window))
        if (strip->key == key) return strip;
    return nullptr;
}

void arrangeToolBars(GParentWindow* window) {
    std::vector<GStripItem*> strips = dockList(window);
    for (GStripItem* strip : strips) {
        strip->removeAllChildren();
        strip->rows.clear();
        strip->dragged = nullptr;
    }
    WindowKind* kind = windowKindOf(window);
    if (!kind) return;
    std::vector<GToolBar*> made;
    for (GToolBarSpec* spec = kind->firstSpec; spec; spec = spec->next) {
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
}
