#include "app/child_windows.h"

#include <map>
#include <new>

#include "app/program_texts.h"
#include "app/window_kinds.h"
#include "gui/frame/app_window.h"
#include "gui/frame/page_factory.h"
#include "gui/frame/tab_placer.h"
#include "gui/kernel/message_box.h"
#include "gui/menus/popup_menu.h"

namespace {
std::map<u32, PageMaker>& makers() {
    static std::map<u32, PageMaker> table;
    return table;
}

// A dynamic popup opened by a tool-bar button is filled by its window's page, as the menu bar's.
bool fillPopupFromPage(GWindow* window, i32 commandId, GMenu& menu) {
    auto* app = dynamic_cast<GAppWindow*>(window);
    if (!app) return false;
    app->fillDynamicMenu((u32)commandId, menu.menu);
    return true;
}

class ProgramPageFactory : public PageFactory {
public:
    GPlacer* create(GWindow* parent, u32 kind) override { return createChildWindow(parent, kind); }
};
}  // namespace

void registerPageMaker(u32 kind, PageMaker maker) {
    if (maker)
        makers()[kind] = maker;
    else
        makers().erase(kind);
}

GPlacer* createChildWindow(GWindow* parent, u32 kind) {
    if (kind == KindNotesEditor || kind == KindInstrument) {
        showMessageBox(&mbInformation, parent, ravoText(RavoText::NotAvailable));
        return nullptr;
    }
    try {
        if (kind == KindDefault) return new GTabPlacer(parent, programWindowKind(KindDefault));
        auto found = makers().find(kind);
        if (found == makers().end()) return nullptr;
        return found->second(parent);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void installProgramPageFactory() {
    static ProgramPageFactory factory;
    setPageFactory(&factory);
    dynamicPopupFiller = fillPopupFromPage;
}
