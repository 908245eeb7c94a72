#include "gui/section_column.h"

#include "core/texts.h"
#include "gui/host_window.h"
#include "gui/line_window.h"
#include "gui/status_line.h"
#include "gui/tracked_object.h"

GSectionColumn* GSectionColumn::first = nullptr;

GSectionColumn::GSectionColumn(GWindow* owner, u32 key) : owner(owner), key(key) {
    host = GHostWindow::make(owner, this);
    GLineN* placeholder = new GLineN(host);
    placeholder->create();
    ShowWindow(placeholder->hwnd, SW_HIDE);
    children.push_back(placeholder);
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
    GHostWindow::release(host, this);  // with the sections
}

GStatusLine* GSectionColumn::addSection(const char* title, bool shown) {
    GStatusLine* section = new GStatusLine(host);
    section->GUserWindow::create(WS_CHILD | (shown ? WS_VISIBLE : 0));
    children.push_back(section);
    titles.push_back(title ? title : "");
    arrange();
    return section;
}

bool GSectionColumn::excluded(u32 i) const { return i >= children.size() || !isShown(children[i]->hwnd); }

void GSectionColumn::include(u32 i, bool on) { showChild(children[i]->hwnd, on); }

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
    arrange();
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
    arrange();
}

HMENU GSectionColumn::buildSectionMenu() {
    HMENU menu = CreatePopupMenu();
    u32 position = 0;
    for (u32 i = 1; i < children.size(); i++)
        InsertMenuA(menu, position++, MF_BYPOSITION | MF_STRING | (excluded(i) ? 0 : MF_CHECKED), i,
                    titles[i - 1].c_str());
    InsertMenuA(menu, position++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    InsertMenuA(menu, position++, MF_BYPOSITION | MF_STRING, SectionsShowAll, coreText(CoreText::SectionsShowAll));
    InsertMenuA(menu, position++, MF_BYPOSITION | MF_STRING, SectionsHideAll, coreText(CoreText::SectionsHideAll));
    return menu;
}

bool GSectionColumn::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message == WM_CONTEXTMENU) {
        // A right-button release on the column or any of its sections.
        POINT at = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        if (lParam == -1) GetCursorPos(&at);
        HMENU menu = buildSectionMenu();
        LifeGuard guard(lifeRecord());
        u32 command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, host->hwnd,
                                     nullptr);
        DestroyMenu(menu);
        if (command && guard.alive()) runSectionCommand(command);
        *result = 0;
        return true;
    }
    bool press = message == WM_LBUTTONDOWN || (message == WM_PARENTNOTIFY && LOWORD(wParam) == WM_LBUTTONDOWN);
    if (press && !excluded(0)) {
        // A click on the collapsed column shows every section again.
        runSectionCommand(SectionsShowAll);
        *result = 0;
        return true;
    }
    return false;
}

void GSectionColumn::setRect(const RECT& rect) {
    host->place(rect);
    arrange();
}

void GSectionColumn::arrange() {
    RECT r;
    GetClientRect(host->hwnd, &r);
    i32 y = r.top;
    u32 last = 0;
    for (u32 i = 0; i < children.size(); i++)
        if (!excluded(i)) last = i;
    for (u32 i = 0; i < children.size(); i++) {
        if (excluded(i)) continue;
        i32 width = -1, height = 0;
        children[i]->getPreferredSize(&width, &height);
        if (i == last && r.bottom - y > height) height = r.bottom - y;
        SetWindowPos(children[i]->hwnd, nullptr, r.left, y, r.right - r.left, height, SWP_NOZORDER | SWP_NOACTIVATE);
        y += height;
    }
}
