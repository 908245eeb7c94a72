#include "gui/controls/section_column.h"

#include "core/texts.h"
#include "gui/controls/line_window.h"
#include "gui/controls/status_line.h"
#include "gui/kernel/tracked_object.h"
#include "gui/layout/layout_builder.h"
#include "gui/menus/menu_tracking.h"
#include "gui/menus/popup_menu.h"

GSectionColumn* GSectionColumn::first = nullptr;

namespace {

// The windows of a column pass their mouse gestures to it.
class SectionLine : public GStatusLine {
public:
    using GStatusLine::GStatusLine;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override {
        if ((message != WM_CONTEXTMENU && message != WM_LBUTTONDBLCLK) || !container)
            return GStatusLine::handleMessage(message, wParam, lParam, result);
        GSectionColumn* column = static_cast<GSectionColumn*>(container);
        if (message == WM_CONTEXTMENU)
            column->openSectionMenu(menuPoint(hwnd, lParam));
        else
            column->switchAllSections();
        *result = 0;
        return true;
    }
    // A right-button release gives the cursor's screen point; the keyboard gives -1.
    static POINT menuPoint(HWND window, intptr_t lParam) {
        POINT at = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        if (lParam == -1) {
            at = POINT{0, 0};
            ClientToScreen(window, &at);
        }
        return at;
    }
};

class Placeholder : public GLineN {
public:
    using GLineN::GLineN;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override {
        GSectionColumn* column = static_cast<GSectionColumn*>(container);
        if (!column || (message != WM_CONTEXTMENU && message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK))
            return GLineN::handleMessage(message, wParam, lParam, result);
        if (message == WM_CONTEXTMENU)
            column->openSectionMenu(SectionLine::menuPoint(hwnd, lParam));
        else
            column->switchAllSections();
        *result = 0;
        return true;
    }
};

// Lays out the whole tree the cell belongs to again, from its root.
void relayoutTree(GLayoutCell* cell) {
    while (cell->container) cell = cell->container;
    applyLayoutChange(cell, cell->rect);
}

}  // namespace

GSectionColumn::GSectionColumn(GWindow* owner, u32 key) : GColumnsItem(owner), key(key) {
    setAlignmentCode(this, "Uv");
    GLineN* placeholder = new Placeholder(owner);
    placeholder->create();
    addChild(placeholder);
    placeholder->notify(LayoutExclude);
    next = first;
    if (first) first->previous = this;
    first = this;
}

GSectionColumn::~GSectionColumn() {
    if (previous)
        previous->next = next;
    else
        first = next;
    if (next) next->previous = previous;
}

GSectionColumn* addSectionColumn(GLayoutBuilder& builder, u32 key, const char* code) {
    GSectionColumn* column = new GSectionColumn(builder.owner, key);
    builder.addContainer(column, nullptr, code);
    return column;
}

GStatusLine* GSectionColumn::addSection(const char* title, bool shown) {
    GStatusLine* section = new SectionLine(owner);
    section->create();
    addChild(section);
    if (!shown) section->notify(LayoutExclude);
    titles.push_back(title ? title : "");
    return section;
}

bool GSectionColumn::excluded(u32 i) const {
    return i >= children.size() || !children[i] || (children[i]->cellFlags & CellExcluded);
}

void GSectionColumn::include(u32 i, bool on) {
    if (i < children.size() && children[i] && excluded(i) == on) children[i]->notify(on ? LayoutInclude : LayoutExclude);
}

void GSectionColumn::showAllSections() {
    include(0, false);
    for (u32 i = 1; i < children.size(); i++) include(i, true);
}

void GSectionColumn::hideAllSections() {
    include(0, true);
    for (u32 i = 1; i < children.size(); i++) include(i, false);
}

void GSectionColumn::toggleSection(u32 i) {
    if (i < 1 || i >= children.size()) return;
    bool appears = excluded(i);
    u32 visible = 0;
    for (u32 j = 1; j < children.size(); j++) visible += !excluded(j);
    // The placeholder shows exactly when no section does.
    if (appears)
        include(0, false);
    else if (visible <= 1)
        include(0, true);
    include(i, appears);
}

void GSectionColumn::applySectionCommand(u32 command) {
    if (command == SectionsShowAll)
        showAllSections();
    else if (command == SectionsHideAll)
        hideAllSections();
    else
        toggleSection(command);
    relayoutTree(this);
    GControlNotification changed{this, 14, 0};
    notifyUp(this, &changed);
}

void GSectionColumn::storeStates() {
    states.assign(children.size(), 0);
    for (u32 i = 1; i < children.size(); i++) states[i] = excluded(i) ? 1 : 0;
}

void GSectionColumn::runSectionCommand(u32 command) {
    applySectionCommand(command);
    for (GSectionColumn* other = first; other; other = other->next) {
        if (other == this || other->key != key) continue;
        if (command < SectionsShowAll && command >= other->children.size()) continue;
        other->applySectionCommand(command);
        other->storeStates();
    }
    storeStates();
}

void GSectionColumn::restoreSections(GBag& bag) {
    // Every byte is read before any is applied: a short bag changes nothing.
    std::vector<u8> hidden(children.size(), 0);
    for (u32 i = 1; i < children.size(); i++) bagReadU8(bag, &hidden[i]);
    bool any = false;
    for (u32 i = 1; i < children.size(); i++) {
        include(i, hidden[i] == 0);
        any |= hidden[i] == 0;
    }
    include(0, !any);
    storeStates();
    relayoutTree(this);
}

void GSectionColumn::fillSectionMenu(GMenu& menu) {
    u32 position = 0;
    auto insert = [&](u32 flags, u32 id, const char* text) {
        GMenuItemData* data = menu.makeItemData(text, nullptr, (flags & MF_SEPARATOR) ? -1 : (i32)id);
        if (!InsertMenuA(menu.menu, position++, MF_BYPOSITION | MF_OWNERDRAW | flags, id, (LPCSTR)data)) delete data;
    };
    for (u32 i = 1; i < children.size(); i++) insert(excluded(i) ? 0 : MF_CHECKED, i, titles[i - 1].c_str());
    insert(MF_SEPARATOR, 0, nullptr);
    insert(0, SectionsShowAll, coreText(CoreText::SectionsShowAll));
    insert(0, SectionsHideAll, coreText(CoreText::SectionsHideAll));
}

void GSectionColumn::openSectionMenu(POINT at) {
    GPopupMenu menu;
    fillSectionMenu(menu);
    LifeGuard guard(lifeRecord());
    i32 command = trackPopupMenu(topLevelWindow(), menu, at.x, at.y, TrackScreenPoint);
    if (command > 0 && guard.alive()) runSectionCommand((u32)command);
}

void GSectionColumn::switchAllSections() { runSectionCommand(excluded(0) ? SectionsHideAll : SectionsShowAll); }
